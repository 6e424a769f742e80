// The editor's window on real files: what is opened, edited and saved goes
// through the text widget and comes back byte for byte; failures keep the
// text; the save question; Find and Replace in the text; printed pages.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextCursor>

#include "finddialog.h"
#include "framework/filedialogs.h"
#include "framework/messages.h"
#include "pad_support.h"
#include "padwindow.h"
#include "zelvomat/faults.h"

namespace {

// A window with its own settings file, scripted message boxes and file
// dialogs, in a temporary folder.
struct Pad {
    QTemporaryDir dir;
    QSettings settings{dir.filePath(QStringLiteral("zelvopad.ini")), QSettings::IniFormat};
    fw::ScriptedMessageService boxes;
    fw::ScopedMessageService useBoxes{boxes};
    fw::ScriptedFileDialogService files;
    fw::ScopedFileDialogService useFiles{files};
    zpad::PadWindow window{settings};

    QString file(const QString& name, const std::string& bytes) {
        const QString path = dir.filePath(name);
        padtest::write_bytes(path, bytes);
        return path;
    }
    QString text() const { return window.editor()->toPlainText(); }
    // Types over the character at pos, as a user does.
    void overtype(int pos, const QString& with) {
        QTextCursor c = window.editor()->textCursor();
        c.setPosition(pos);
        c.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor, static_cast<int>(with.size()));
        c.insertText(with);
    }
    void select(int from, int to) {
        QTextCursor c = window.editor()->textCursor();
        c.setPosition(from);
        c.setPosition(to, QTextCursor::KeepAnchor);
        window.editor()->setTextCursor(c);
    }
};

// Observation lines of 80 columns with Windows-1252 names, CR LF ends.
std::string observation_file() {
    std::string s;
    for (const char* line : {"     K05L03X  C2006 01 01.12345 01 23 45.67 +12 34 56.7          17.8 V      568",
                             "\x8A"
                             "koda\xE9        C2006 01 02.54321 23 59 59.99 -00 00 01.2          18.1 V\xA0\x80    950",
                             "00433         C2006 01 03.00000 12 00 00.00 +45 00 00.0          11.0 R      G96"}) {
        EXPECT_EQ(std::string(line).size(), 80u);
        s += line;
        s += "\r\n";
    }
    return s;
}

TEST(PadFiles, OneCharacterEditedIsTheOnlyByteChanged) {
    Pad pad;
    const std::string before = observation_file();
    const QString path = pad.file(QStringLiteral("obs 2006.oc"), before);
    ASSERT_TRUE(pad.window.loadFile(path));
    EXPECT_EQ(pad.window.windowTitle(), QStringLiteral("obs 2006.oc[*] - ZelvoPad"));
    // Column 78 of the second line: the observatory code 950 becomes 958.
    const int pos = 81 + 78;
    ASSERT_EQ(pad.text()[pos], u'5');
    pad.overtype(pos, QStringLiteral("8"));
    EXPECT_TRUE(pad.window.isModified());
    ASSERT_TRUE(pad.window.save());
    EXPECT_FALSE(pad.window.isModified());
    std::string expected = before;
    expected[82 + 78] = '8';
    EXPECT_EQ(padtest::read_bytes(path), expected);
    EXPECT_TRUE(pad.boxes.shown.empty());
}

TEST(PadFiles, EveryByteValueAndLineEndSurvivesTheEditor) {
    Pad pad;
    // Mostly CR LF, with lone CRs and LFs (among the byte values too).
    const std::string bytes = padtest::all_byte_values() + "\r\r\nlast\r\n\r\nno end";
    const QString path = pad.file(QStringLiteral("bytes.bin"), bytes);
    ASSERT_TRUE(pad.window.loadFile(path));
    ASSERT_TRUE(pad.window.save());
    EXPECT_EQ(padtest::read_bytes(path), bytes);

    // A line typed at the end gets the file's usual end; Shift+Enter's line
    // break in the widget is a line end too.
    pad.window.editor()->moveCursor(QTextCursor::End);
    pad.window.editor()->textCursor().insertText(QStringLiteral("\nA\u2028B"));
    ASSERT_TRUE(pad.window.save());
    EXPECT_EQ(padtest::read_bytes(path), bytes + "\r\nA\r\nB");
}

TEST(PadFiles, AFileThatCannotBeWrittenIsReportedAndTheTextStaysModified) {
    Pad pad;
    const QString path = pad.file(QStringLiteral("list.txt"), "abc\r\n");
    ASSERT_TRUE(pad.window.loadFile(path));
    pad.overtype(0, QStringLiteral("X"));
    // Save As into a "folder" that is a file.
    pad.files.answers = {(path + QStringLiteral("/new.txt")).toStdString()};
    EXPECT_FALSE(pad.window.saveAs());
    ASSERT_EQ(pad.boxes.shown.size(), 1u);
    EXPECT_NE(pad.boxes.shown[0].text.find("Cannot save the file"), std::string::npos);
    EXPECT_TRUE(pad.window.isModified());
    EXPECT_EQ(pad.text(), QStringLiteral("Xbc\n"));
    EXPECT_EQ(pad.window.path(), path);
    EXPECT_EQ(padtest::read_bytes(path), "abc\r\n");

    // Closing asks to save; the save fails again and the window stays open.
    pad.window.show();
    pad.boxes.answers = {fw::Answer::Yes};
    QFile::remove(path);
    ASSERT_TRUE(QDir().mkdir(path));  // the file's name is now a folder's
    EXPECT_FALSE(pad.window.close());
    EXPECT_TRUE(pad.window.isVisible());
    EXPECT_TRUE(pad.window.isModified());
}

TEST(PadFiles, AFullDiskLeavesTheFileWholeAndTheTextModified) {
    Pad pad;
    // A large file of observations: the disk takes the first 4096 bytes of
    // the new text and no more.
    std::string before;
    for (int k = 0; k < 200; ++k) before += observation_file();
    const QString path = pad.file(QStringLiteral("big.oc"), before);
    ASSERT_TRUE(pad.window.loadFile(path));
    pad.overtype(0, QStringLiteral("X"));
    {
        zeltest::FullDisk full("big.oc", 4096);
        EXPECT_FALSE(pad.window.save());
        EXPECT_TRUE(full.hit());
    }
    ASSERT_EQ(pad.boxes.shown.size(), 1u);
    EXPECT_EQ(pad.boxes.shown[0].text, "Cannot save the file " + path.toStdString() + ".\nNo space left on device");
    EXPECT_TRUE(pad.window.isModified());
    EXPECT_EQ(padtest::read_bytes(path), before);
    EXPECT_EQ(QDir(pad.dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("big.oc")});
    // With room again the same save goes through.
    ASSERT_TRUE(pad.window.save());
    EXPECT_EQ(padtest::read_bytes(path), "X" + before.substr(1));
}

TEST(PadFiles, NoFileBesideTheOldOneMeansNothingWrittenInPlace) {
    Pad pad;
    // A name of the longest length a folder takes: the new file beside it
    // (the name followed by ".new") cannot be made.
    const QString path = pad.file(QString(255, u'o'), observation_file());
    ASSERT_TRUE(pad.window.loadFile(path));
    pad.overtype(0, QStringLiteral("X"));
    EXPECT_FALSE(pad.window.save());
    ASSERT_EQ(pad.boxes.shown.size(), 1u);
    EXPECT_EQ(pad.boxes.shown[0].text, "Cannot save the file " + path.toStdString() +
                                           ".\nNo file can be made beside it (File name too long); the file was "
                                           "left as it was.");
    EXPECT_TRUE(pad.window.isModified());
    EXPECT_EQ(pad.text()[0], u'X');
    EXPECT_EQ(padtest::read_bytes(path), observation_file());
}

TEST(PadFiles, ALargeFileIsShownWholeAndSavedByteForByte) {
    Pad pad;
    // More lines than the editor takes in one piece, in mixed line ends,
    // every byte value among them, and no end after the last line.
    std::string bytes;
    for (int k = 0; k < 7000; ++k) bytes += observation_file() + "lf\nlone cr\r";
    bytes += padtest::all_byte_values();
    const QString path = pad.file(QStringLiteral("large.oc"), bytes);
    ASSERT_TRUE(pad.window.loadFile(path));
    EXPECT_EQ(pad.window.editor()->blockCount(), 7000 * 5 + 3);  // the byte values hold a LF and a CR
    // The widget's own text, blocks joined by paragraph separators (its plain
    // text would show the no-break spaces as blanks).
    EXPECT_EQ(pad.window.editor()->document()->toRawText().replace(QChar::ParagraphSeparator, u'\n'),
              zpad::TextFile(bytes).text());
    EXPECT_EQ(pad.window.editor()->textCursor().position(), 0);
    EXPECT_FALSE(pad.window.editor()->document()->isUndoAvailable());
    EXPECT_FALSE(pad.window.isModified());
    // A line added in the middle: every other line keeps its end, the new one
    // takes that of the line before it.
    QTextCursor c(pad.window.editor()->document()->findBlockByNumber(20000));
    c.insertText(QStringLiteral("new\n"));
    ASSERT_TRUE(pad.window.save());
    const std::size_t at = 4000 * (observation_file().size() + 11);  // line 20000 begins a group of five
    EXPECT_EQ(padtest::read_bytes(path), bytes.substr(0, at) + "new\r" + bytes.substr(at));
}

TEST(PadFiles, CharactersOutsideTheCodePageAreSavedOnlyWhenTheUserAgrees) {
    Pad pad;
    const QString path = pad.file(QStringLiteral("t.txt"), "a\r\n");
    ASSERT_TRUE(pad.window.loadFile(path));
    pad.window.editor()->textCursor().insertText(QStringLiteral("\u2264"));
    pad.boxes.answers = {fw::Answer::No};
    EXPECT_FALSE(pad.window.save());
    EXPECT_EQ(padtest::read_bytes(path), "a\r\n");
    EXPECT_TRUE(pad.window.isModified());
    pad.boxes.answers = {fw::Answer::Yes};
    EXPECT_TRUE(pad.window.save());
    EXPECT_EQ(padtest::read_bytes(path), "?a\r\n");
}

TEST(PadFiles, SaveQuestionBeforeANewText) {
    Pad pad;
    // Started without a file: an untitled text; Save asks for a name.
    EXPECT_EQ(pad.window.windowTitle(), QStringLiteral("Untitled[*] - ZelvoPad"));
    pad.window.editor()->insertPlainText(QStringLiteral("line"));
    const QString named = pad.dir.filePath(QStringLiteral("named.txt"));

    pad.boxes.answers = {fw::Answer::Cancel};
    EXPECT_FALSE(pad.window.newDocument());
    EXPECT_EQ(pad.text(), QStringLiteral("line"));

    pad.boxes.answers = {fw::Answer::Yes};
    pad.files.answers = {std::nullopt};  // the name is not given: nothing happens
    EXPECT_FALSE(pad.window.newDocument());
    EXPECT_EQ(pad.text(), QStringLiteral("line"));

    pad.boxes.answers = {fw::Answer::Yes};
    pad.files.answers = {named.toStdString()};
    EXPECT_TRUE(pad.window.newDocument());
    EXPECT_EQ(padtest::read_bytes(named), "line");
    EXPECT_EQ(pad.boxes.shown.back().text, "Save changes to Untitled?");
    EXPECT_EQ(pad.text(), QString());
    EXPECT_EQ(pad.window.path(), QString());

    pad.window.editor()->insertPlainText(QStringLiteral("dropped"));
    pad.boxes.answers = {fw::Answer::No};
    EXPECT_TRUE(pad.window.newDocument());
    EXPECT_EQ(pad.text(), QString());
}

TEST(PadFiles, OpeningFailsWithoutTouchingTheTextShown) {
    Pad pad;
    const QString good = pad.file(QStringLiteral("my list.txt"), "kept\r\n");
    // A relative path with blanks, as the command line gives it.
    const QString cwd = QDir::currentPath();
    QDir::setCurrent(pad.dir.path());
    EXPECT_EQ(zpad::file_argument({QStringLiteral("-style"), QStringLiteral("my list.txt"), QStringLiteral("x")}),
              QStringLiteral("my list.txt"));
    EXPECT_TRUE(pad.window.loadFile(QStringLiteral("my list.txt")));
    QDir::setCurrent(cwd);
    EXPECT_EQ(pad.window.path(), good);
    EXPECT_EQ(pad.window.recentFiles().files(), QStringList{good});
    pad.window.editor()->insertPlainText(QStringLiteral("typed "));

    // A missing file is reported, no question is asked, the text stays.
    EXPECT_FALSE(pad.window.openFile(pad.dir.filePath(QStringLiteral("gone.txt"))));
    ASSERT_EQ(pad.boxes.shown.size(), 1u);
    EXPECT_NE(pad.boxes.shown[0].text.find("Cannot open the file"), std::string::npos);
    EXPECT_EQ(pad.text(), QStringLiteral("typed kept\n"));
    EXPECT_TRUE(pad.window.isModified());

    // A recent file that went away leaves the list.
    QFile::remove(good);
    EXPECT_FALSE(pad.window.openFile(good));
    EXPECT_TRUE(pad.window.recentFiles().files().isEmpty());
}

TEST(PadFind, FindReplaceAndReplaceAllInTheText) {
    Pad pad;
    pad.window.editor()->setPlainText(QStringLiteral("568 Mauna Kea\n568 568x\nG96"));
    const zpad::FindOptions words{false, true, true};

    EXPECT_TRUE(pad.window.find(QStringLiteral("568"), words));
    EXPECT_EQ(pad.window.editor()->textCursor().selectionStart(), 0);
    EXPECT_TRUE(pad.window.findNext());
    EXPECT_EQ(pad.window.editor()->textCursor().selectionStart(), 14);
    EXPECT_TRUE(pad.window.findNext());  // "568x" is not a whole word: back to the first
    EXPECT_EQ(pad.window.editor()->textCursor().selectionStart(), 0);

    // Replace changes the selection only when it is a match, then finds on.
    pad.select(4, 9);
    EXPECT_TRUE(pad.window.replace(QStringLiteral("568"), QStringLiteral("950"), words));
    EXPECT_EQ(pad.text(), QStringLiteral("568 Mauna Kea\n568 568x\nG96"));
    EXPECT_TRUE(pad.window.replace(QStringLiteral("568"), QStringLiteral("950"), words));
    EXPECT_EQ(pad.text(), QStringLiteral("568 Mauna Kea\n950 568x\nG96"));
    EXPECT_EQ(pad.window.editor()->textCursor().selectionStart(), 0);

    // Replace All is one step to undo.
    EXPECT_EQ(pad.window.replaceAll(QStringLiteral("568"), QStringLiteral("I41"), {}), 2);
    EXPECT_EQ(pad.text(), QStringLiteral("I41 Mauna Kea\n950 I41x\nG96"));
    pad.window.editor()->undo();
    EXPECT_EQ(pad.text(), QStringLiteral("568 Mauna Kea\n950 568x\nG96"));

    EXPECT_TRUE(pad.boxes.shown.empty());
    EXPECT_FALSE(pad.window.find(QStringLiteral("xyz"), {}));
    EXPECT_EQ(pad.window.replaceAll(QStringLiteral("xyz"), QStringLiteral("1"), {}), 0);
    ASSERT_EQ(pad.boxes.shown.size(), 2u);
    EXPECT_EQ(pad.boxes.shown[0].text, "Cannot find \"xyz\".");
}

TEST(PadFind, TheDialogStartsFromTheSelectionAndDrivesTheWindow) {
    Pad pad;
    pad.window.editor()->setPlainText(QStringLiteral("568 Mauna Kea\nKea 2"));
    pad.select(10, 13);
    pad.window.showFind(false);
    // Replace takes the place of Find: one dialog is left.
    pad.window.showFind(true);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    const QList<zpad::FindDialog*> dialogs = pad.window.findChildren<zpad::FindDialog*>();
    ASSERT_EQ(dialogs.size(), 1);
    zpad::FindDialog& dlg = *dialogs[0];
    EXPECT_TRUE(dlg.isReplace());
    EXPECT_EQ(dlg.whatField()->text(), QStringLiteral("Kea"));
    dlg.withField()->setText(QStringLiteral("Kauai"));
    for (QPushButton* b : dlg.findChildren<QPushButton*>())
        if (b->text() == QStringLiteral("Replace &All")) b->click();
    EXPECT_EQ(pad.text(), QStringLiteral("568 Mauna Kauai\nKauai 2"));
    // F3 repeats the search with what the dialog last asked for.
    pad.window.editor()->moveCursor(QTextCursor::Start);
    dlg.whatField()->setText(QStringLiteral("kauai"));
    for (QPushButton* b : dlg.findChildren<QPushButton*>())
        if (b->text() == QStringLiteral("&Find Next")) b->click();
    EXPECT_EQ(pad.window.editor()->textCursor().selectionStart(), 10);
    EXPECT_TRUE(pad.window.findNext());
    EXPECT_EQ(pad.window.editor()->textCursor().selectionStart(), 16);
}

int pdf_pages(const QString& path) {
    const std::string pdf = padtest::read_bytes(path);
    int pages = 0;
    for (std::size_t at = pdf.find("/Type /Page\n"); at != std::string::npos; at = pdf.find("/Type /Page\n", at + 1))
        ++pages;
    return pages;
}

TEST(PadPrint, PagesOfTheTextOrItsSelection) {
    Pad pad;
    QString text;
    for (int i = 1; i <= 200; ++i) text += QStringLiteral("line %1\n").arg(i);
    pad.window.editor()->setPlainText(text);
    const auto print = [&](QPrinter::PrintRange range, int from = 0, int to = 0) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        const QString pdf = pad.dir.filePath(QStringLiteral("out.pdf"));
        printer.setOutputFileName(pdf);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageMargins(QMarginsF(0.5, 0.5, 0.5, 0.5), QPageLayout::Inch);
        printer.setPrintRange(range);
        printer.setFromTo(from, to);
        pad.window.paintPages(printer);
        return pdf_pages(pdf);
    };
    // 200 lines of 9.75-point type on A4 less half-inch margins (about 10.7
    // inches, some 69 lines a page): three pages.
    EXPECT_EQ(print(QPrinter::AllPages), 3);
    EXPECT_EQ(print(QPrinter::PageRange, 2, 3), 2);
    pad.select(0, 10);
    EXPECT_EQ(print(QPrinter::Selection), 1);
}

}  // namespace
