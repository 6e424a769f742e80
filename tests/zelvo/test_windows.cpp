// The platform layer as a user meets it: captions standing over their
// columns, fixed-width fields, Windows-1252 texts through dialogs, the
// document windows of the main frame (titles, the Window menu, Cascade,
// Tile, Ctrl+F6), help in front of the dialog that asked, message boxes.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScrollBar>
#include <QStackedWidget>
#include <QTest>
#include <QTextEdit>
#include <QTreeView>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <fstream>

#include "framework/application.h"
#include "framework/captionline.h"
#include "framework/childframe.h"
#include "framework/cp1252.h"
#include "framework/dialog.h"
#include "framework/document.h"
#include "framework/help.h"
#include "framework/ids.h"
#include "framework/linelist.h"
#include "framework/mainframe.h"
#include "framework/mdiwindows.h"
#include "framework/messages.h"
#include "framework/pageddialog.h"
#include "framework/qtmessages.h"
#include "shell_support.h"
#include "zelvomat/support.h"

namespace {

// Column captions over a line that holds the same text, so that every
// glyph of the caption has its twin in the line right below it.
const std::string kCaption = "        t        |   R .A.  |  Decl.  |  Dist.  |    r    | Phase |  V  |Elong.|";

// ---- Captions over their columns --------------------------------------------------------

// The ink of each pixel column of band: how much darker than white it is.
std::vector<long> ink_profile(const QImage& image, const QRect& band) {
    std::vector<long> ink;
    for (int x = band.left(); x <= band.right(); ++x) {
        long sum = 0;
        for (int y = band.top(); y <= band.bottom(); ++y) sum += 255 - qGray(image.pixel(x, y));
        ink.push_back(sum);
    }
    return ink;
}

// The shift (pixels, within +-12) that lays profile b best over profile a.
int best_shift(const std::vector<long>& a, const std::vector<long>& b) {
    int best = 0;
    long bestScore = -1;
    for (int s = -12; s <= 12; ++s) {
        long score = 0;
        for (std::size_t i = 0; i < a.size(); ++i) {
            const long j = static_cast<long>(i) + s;
            if (j >= 0 && j < static_cast<long>(b.size())) score += a[i] * b[static_cast<std::size_t>(j)];
        }
        if (score > bestScore) {
            bestScore = score;
            best = s;
        }
    }
    return best;
}

// The caption's glyphs and those of the text line below it lie in the same
// pixel columns of the window (over the x range both show): the line's ink
// matches the caption's best without any shift.
void expect_same_columns(QWidget* window, const QWidget* caption, const QRect& captionBand, const QWidget* text,
                         const QRect& textBand) {
    const QImage shot = window->grab().toImage();
    const QRect a(caption->mapTo(window, captionBand.topLeft()), captionBand.size());
    const QRect b(text->mapTo(window, textBand.topLeft()), textBand.size());
    const int left = std::max(a.left(), b.left()) + 2, right = std::min(a.right(), b.right()) - 2;
    const auto inkA = ink_profile(shot, QRect(left, a.top(), right - left + 1, a.height()));
    const auto inkB = ink_profile(shot, QRect(left, b.top(), right - left + 1, b.height()));
    const auto dark = std::count_if(inkA.begin(), inkA.end(), [](long v) { return v > 300; });
    ASSERT_GT(dark, 20) << "the caption shows no text";
    EXPECT_EQ(best_shift(inkA, inkB), 0);
}

class CaptionFrame : public fw::ChildFrame {
protected:
    std::vector<fw::BarLayout> barLayouts() override {
        return {{153, fw::Dock::Top, fw::BarLayout::Kind::Captions, {{1074, kCaption}}, true}};
    }
};

class WindowsApp : public fw::Application {
public:
    bool initInstance() override {
        resources().menus[128] = {{"&Tasks", 0, {{"Run", 500, {}}}},
                                  {"&Window",
                                   0,
                                   {{"&Cascade", fw::ids::kWindowCascade, {}},
                                    {"&Tile", fw::ids::kWindowTileHorz, {}},
                                    {"&Arrange Icons", fw::ids::kWindowArrange, {}}}}};
        resources().toolbars[128] = {{fw::ids::kFileNew, "New"}};
        resources().strings[fw::ids::kIndicatorCaps] = std::string(22, ' ');
        addDocTemplate(std::make_unique<fw::DocTemplate>(
            147, "\nEph\nEph2\n\n\nEph.Document\nEph Document", [] { return std::make_unique<fw::LineDocument>(); },
            [] { return new CaptionFrame; }, [] { return std::make_unique<fw::LineListView>(); }));
        auto frame = std::make_unique<fw::MainFrame>(*this);
        if (!frame->loadFrame(128)) return false;
        frame->setAppTitle(QStringLiteral("ZELVO-21"));
        frame->resize(1200, 800);
        setMainFrame(std::move(frame));
        mainFrame()->show();
        return true;
    }
    // Opens file (lines of text) in the template; its window.
    fw::ChildFrame* open(const std::string& file, const std::string& text) {
        std::ofstream(file, std::ios::binary) << text;
        if (openDocumentFile(*templates().front(), file) == nullptr) return nullptr;
        return mainFrame()->activeChildFrame();
    }
};

TEST(CaptionColumns, CaptionsStandOverTheirColumnsAtAnyWidthAndScroll) {
    zeltest::ScopedWorkDir dir;
    WindowsApp app;
    ASSERT_TRUE(app.initInstance());
    const std::string line = kCaption + "\r\n";
    fw::ChildFrame* f = app.open("a.eph", line + line + line + line);
    ASSERT_NE(f, nullptr);
    auto* view = dynamic_cast<fw::LineListView*>(f->view());
    ASSERT_NE(view, nullptr);
    auto* caption = f->barWidget(153)->findChild<fw::CaptionLine*>();
    ASSERT_NE(caption, nullptr);
    EXPECT_EQ(caption->lineFont(), view->columnFont());
    struct Case {
        int width;   // of the window
        int scroll;  // pixels the list is scrolled to the right
    } cases[] = {{1200, 0}, {700, 0}, {420, 0}, {420, 90}, {300, 250}};
    for (const Case& c : cases) {
        SCOPED_TRACE("width " + std::to_string(c.width) + " scroll " + std::to_string(c.scroll));
        f->showNormal();
        f->setGeometry(0, 0, c.width, 400);
        QCoreApplication::processEvents();
        view->list()->horizontalScrollBar()->setValue(c.scroll);
        QCoreApplication::processEvents();
        // Row 2: neither current nor selected, drawn like any line.
        const QRect row = view->list()->visualRect(view->model().index(2, 0));
        expect_same_columns(f, caption, caption->rect(), view->list()->viewport(), row);
    }
}

TEST(CaptionColumns, MasksStandOverTheColumnsOfALineEditor) {
    struct Case {
        int width;
        int caret;  // where the caret is put (a long line scrolls to it)
    } cases[] = {{900, 0}, {380, 0}, {380, 79}};
    for (const Case& c : cases) {
        SCOPED_TRACE("width " + std::to_string(c.width) + " caret " + std::to_string(c.caret));
        QWidget w;
        auto* layout = new QVBoxLayout(&w);
        auto* edit = new QTextEdit;
        edit->setFont(fw::list_font());
        edit->setLineWrapMode(QTextEdit::NoWrap);
        edit->setPlainText(fw::fromCp1252(kCaption));
        const fw::EditorColumns columns(edit);
        auto* mask = new fw::CaptionLine(fw::fromCp1252(kCaption));
        mask->follow(&columns);
        layout->addWidget(mask);
        layout->addWidget(edit);
        w.resize(c.width, 200);
        w.show();
        QCoreApplication::processEvents();
        QTextCursor cursor = edit->textCursor();
        cursor.setPosition(c.caret);
        edit->setTextCursor(cursor);
        edit->ensureCursorVisible();
        QCoreApplication::processEvents();
        const QRect first = edit->cursorRect(QTextCursor(edit->document()));
        expect_same_columns(&w, mask, mask->rect(), edit->viewport(),
                            QRect(0, first.top(), edit->viewport()->width(), first.height()));
    }
}

// ---- Fixed-width fields and Windows-1252 texts --------------------------------------------------

TEST(FixedFields, ShownTrimmedTakeTypingAtOnceAndReadPadded) {
    struct Case {
        const char* what;
        std::string stored;  // the field's bytes as the program keeps them
        const char* typed;   // keys typed at the end of the shown text
        std::string read;    // the bytes read back
    } cases[] = {
        {"all blanks", std::string(18, ' '), "Ceres", "Ceres" + std::string(13, ' ')},
        {"a name", "Vesta" + std::string(13, ' '), "", "Vesta" + std::string(13, ' ')},
        {"blanks at either end are not shown", "  12  ", "3", "123   "},
        {"a right-justified code", " 95", "", "95 "},
        {"full width", "2001.5", "9", "2001.5"},
        {"Windows-1252 letters",
         "\x8A"
         "afa\xF8\xEDk" +
             std::string(4, ' '),
         "\x9A",
         "\x8A"
         "afa\xF8\xEDk\x9A   "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QLineEdit edit;
        edit.setMaxLength(static_cast<int>(c.stored.size()));
        fw::set_fixed_field(&edit, c.stored);
        EXPECT_EQ(edit.text(), fw::fromCp1252(c.stored).trimmed());
        edit.show();
        edit.setFocus();
        edit.end(false);
        zeltest::type_text(&edit, fw::fromCp1252(c.typed));
        EXPECT_EQ(fw::fixed_field_bytes(&edit), c.read);
        // Showing what was read leaves the text being typed as it is.
        const QString typed = edit.text();
        fw::set_fixed_field(&edit, fw::fixed_field_bytes(&edit));
        EXPECT_EQ(edit.text(), typed);
    }
}

// A dialog of every kind of text control, exchanging one value each.
class TextDialog : public fw::Dialog {
public:
    QLineEdit* line = new QLineEdit(this);
    QLabel* label = new QLabel(this);
    QPlainTextEdit* plain = new QPlainTextEdit(this);
    QLineEdit* fixed = new QLineEdit(this);
    std::string lineValue, labelValue, plainValue, fixedValue;

protected:
    void doDataExchange(fw::DataExchange& dx) override {
        fw::ddx_text(dx, line, lineValue);
        fw::ddx_text(dx, label, labelValue);
        fw::ddx_text(dx, plain, plainValue);
        fw::ddx_fixed(dx, fixed, fixedValue);
    }
};

TEST(Cp1252Texts, EveryByteSurvivesARoundTripThroughADialog) {
    // Every byte, in one text and one by one (0x80 and 0x8A among them,
    // which a Latin-1 conversion turns into "?").
    std::string all;
    for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
    std::vector<std::string> texts{all};
    for (int b = 0; b < 256; ++b) texts.emplace_back(1, static_cast<char>(b));
    for (const std::string& text : texts) {
        SCOPED_TRACE(text.size() == 1 ? "byte " + std::to_string(static_cast<unsigned char>(text[0])) : "all bytes");
        TextDialog dlg;
        // A multi-line editor keeps its own line ends: it gets the printable
        // bytes; a fixed field keeps no blank at either end.
        std::string printable;
        for (char ch : text)
            if (static_cast<unsigned char>(ch) >= 0x20) printable.push_back(ch);
        std::string fixed = "x" + text + "x";
        dlg.lineValue = dlg.labelValue = text;
        dlg.plainValue = printable;
        dlg.fixedValue = fixed;
        dlg.fixed->setMaxLength(static_cast<int>(fixed.size()));
        ASSERT_TRUE(dlg.updateData(false));
        dlg.lineValue.clear();
        dlg.labelValue.clear();
        dlg.plainValue.clear();
        dlg.fixedValue.clear();
        ASSERT_TRUE(dlg.updateData(true));
        EXPECT_EQ(dlg.lineValue, text);
        EXPECT_EQ(dlg.labelValue, text);
        EXPECT_EQ(dlg.plainValue, printable);
        EXPECT_EQ(dlg.fixedValue, fixed);
    }
    // A character the code page cannot show becomes "?".
    EXPECT_EQ(fw::toCp1252(QString::fromUtf8("\xE2\x82\xAC=\xE2\x86\x92")), "\x80=?");
}

// ---- The document windows ---------------------------------------------------------------

TEST(DocumentWindows, TitlesAreMadeUniqueInOpeningOrder) {
    struct Case {
        std::vector<std::string> titles, unique;
    } cases[] = {
        {{}, {}},
        {{"result.ep4"}, {"result.ep4"}},
        {{"result.ep4", "a.obs", "result.ep4"}, {"result.ep4:1", "a.obs", "result.ep4:2"}},
        {{"x", "x", "y", "x", "y"}, {"x:1", "x:2", "y:1", "x:3", "y:2"}},
    };
    for (const Case& c : cases) EXPECT_EQ(fw::unique_titles(c.titles), c.unique);
}

// The texts and checks of the window list at the end of the Window menu, as
// the menu shows them when it opens.
std::vector<std::string> window_list(fw::MainFrame& mf) {
    QMenu* menu = mf.windowMenu();
    if (menu == nullptr) return {};
    emit menu->aboutToShow();
    std::vector<std::string> out;
    bool list = false;
    for (QAction* a : menu->actions()) {
        if (a->isSeparator()) {
            list = true;
            continue;
        }
        if (list) out.push_back((a->isChecked() ? "v " : "  ") + a->text().toStdString());
    }
    return out;
}

TEST(DocumentWindows, TheWindowMenuListsTheOpenWindowsAsTheyOpenAndClose) {
    zeltest::ScopedWorkDir dir;
    WindowsApp app;
    ASSERT_TRUE(app.initInstance());
    fw::MainFrame& mf = *app.mainFrame();
    // No document window: an empty list.
    ASSERT_NE(mf.windowMenu(), nullptr);
    EXPECT_TRUE(window_list(mf).empty());

    fw::ChildFrame* a = app.open("result.ep4", "one\r\n");
    EXPECT_EQ(window_list(mf), (std::vector<std::string>{"v &1 result.ep4"}));
    EXPECT_EQ(mf.windowTitle(), QStringLiteral("ZELVO-21 - [result.ep4]"));
    fw::ChildFrame* b = app.open("other.eph", "two\r\n");
    fw::ChildFrame* c = app.open("result.ep4", "three\r\n");
    ASSERT_NE(c, nullptr);
    EXPECT_EQ(window_list(mf), (std::vector<std::string>{"  &1 result.ep4:1", "  &2 other.eph", "v &3 result.ep4:2"}));
    EXPECT_EQ(a->windowTitle(), QStringLiteral("result.ep4:1"));
    EXPECT_EQ(mf.windowTitle(), QStringLiteral("ZELVO-21 - [result.ep4:2]"));

    // Choosing a window from the list activates it.
    mf.windowMenu()->actions().at(mf.windowMenu()->actions().size() - 2)->trigger();
    EXPECT_EQ(mf.activeChildFrame(), b);
    EXPECT_EQ(window_list(mf), (std::vector<std::string>{"  &1 result.ep4:1", "v &2 other.eph", "  &3 result.ep4:2"}));

    // Closing the first window renumbers the rest; the last of a title
    // drops its number.
    a->close();
    EXPECT_EQ(window_list(mf), (std::vector<std::string>{"v &1 other.eph", "  &2 result.ep4"}));
    EXPECT_EQ(c->windowTitle(), QStringLiteral("result.ep4"));

    // Ten windows: nine numbered, then "More Windows...".
    for (int i = 0; i < 8; ++i) app.open("w" + std::to_string(i) + ".eph", "x\r\n");
    const auto many = window_list(mf);
    ASSERT_EQ(many.size(), 10u);
    EXPECT_EQ(many[8], "  &9 w6.eph");
    EXPECT_EQ(many[9], "  &More Windows...");
}

TEST(DocumentWindows, CascadeAndTileFillTheAreaWithoutOverflow) {
    const QRect areas[] = {QRect(0, 0, 1600, 900), QRect(0, 0, 640, 400), QRect(10, 20, 333, 211)};
    for (const QRect& area : areas)
        for (int n = 1; n <= 12; ++n) {
            SCOPED_TRACE(std::to_string(n) + " windows in " + std::to_string(area.width()) + "x" +
                         std::to_string(area.height()));
            // Tile: inside the area, no overlap, the whole area covered.
            const auto tiles = fw::tile_layout(n, area);
            ASSERT_EQ(tiles.size(), static_cast<std::size_t>(n));
            long covered = 0;
            for (std::size_t i = 0; i < tiles.size(); ++i) {
                EXPECT_TRUE(area.contains(tiles[i])) << i;
                covered += static_cast<long>(tiles[i].width()) * tiles[i].height();
                for (std::size_t j = 0; j < i; ++j) EXPECT_FALSE(tiles[i].intersects(tiles[j])) << i << " " << j;
            }
            EXPECT_EQ(covered, static_cast<long>(area.width()) * area.height());
            // Wider than high while there are at most three: one above the other.
            if (n <= 3) {
                EXPECT_EQ(tiles.back().width(), area.width());
            }
            // Cascade: inside the area, at least half its size, the front window
            // at the bottom right, and a step between one window and the next.
            const auto cascade = fw::cascade_layout(n, area, 24);
            ASSERT_EQ(cascade.size(), static_cast<std::size_t>(n));
            for (std::size_t i = 0; i < cascade.size(); ++i) {
                EXPECT_TRUE(area.contains(cascade[i])) << i;
                EXPECT_GE(cascade[i].width(), area.width() / 2);
                EXPECT_GE(cascade[i].height(), area.height() / 2);
            }
            EXPECT_EQ(cascade.back().bottomRight(), area.bottomRight());
            if (n > 1 && cascade[n - 1].topLeft() != cascade[0].topLeft()) {
                EXPECT_EQ(cascade[n - 1].topLeft() - cascade[n - 2].topLeft(), QPoint(24, 24));
            }
        }
    // Minimised windows line up along the bottom, a new row above a full one.
    EXPECT_EQ(fw::icon_positions(3, QRect(0, 0, 300, 200), QSize(160, 30)),
              (std::vector<QPoint>{{0, 170}, {0, 140}, {0, 110}}));
    EXPECT_EQ(fw::icon_positions(3, QRect(0, 0, 500, 200), QSize(160, 30)),
              (std::vector<QPoint>{{0, 170}, {160, 170}, {320, 170}}));
}

TEST(DocumentWindows, WindowCommandsAndCtrlF6ArrangeAndCycleTheWindows) {
    zeltest::ScopedWorkDir dir;
    WindowsApp app;
    ASSERT_TRUE(app.initInstance());
    fw::MainFrame& mf = *app.mainFrame();
    std::vector<fw::ChildFrame*> frames;
    for (const char* name : {"a.eph", "b.eph", "c.eph"}) frames.push_back(app.open(name, "x\r\n"));
    QCoreApplication::processEvents();
    const QRect area = mf.mdiArea()->viewport()->rect();

    EXPECT_TRUE(app.routeCommand(fw::ids::kWindowTileHorz));
    for (fw::ChildFrame* f : frames) {
        EXPECT_FALSE(f->isMaximized());
        EXPECT_TRUE(area.contains(f->geometry()));
        EXPECT_EQ(f->width(), area.width());
    }
    EXPECT_EQ(frames[2]->geometry().bottom(), area.bottom());
    EXPECT_EQ(mf.activeChildFrame(), frames[2]);

    EXPECT_TRUE(app.routeCommand(fw::ids::kWindowCascade));
    for (fw::ChildFrame* f : frames) EXPECT_TRUE(area.contains(f->geometry()));
    EXPECT_GT(frames[0]->width(), area.width() / 2);
    EXPECT_EQ(frames[2]->geometry().bottomRight(), area.bottomRight());  // the active one in front
    EXPECT_EQ(mf.activeChildFrame(), frames[2]);

    // Ctrl+F6 and Ctrl+Shift+F6: the next and the previous window.
    mf.activateWindow();
    QApplication::setActiveWindow(&mf);
    QTest::keyClick(mf.mdiArea(), Qt::Key_F6, Qt::ControlModifier);
    EXPECT_EQ(mf.activeChildFrame(), frames[0]);
    QTest::keyClick(mf.mdiArea(), Qt::Key_F6, Qt::ControlModifier);
    EXPECT_EQ(mf.activeChildFrame(), frames[1]);
    QTest::keyClick(mf.mdiArea(), Qt::Key_F6, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(mf.activeChildFrame(), frames[0]);
}

TEST(DocumentWindows, ClosingTheActiveWindowActivatesTheOneBeneathIt) {
    zeltest::ScopedWorkDir dir;
    WindowsApp app;
    ASSERT_TRUE(app.initInstance());
    fw::MainFrame& mf = *app.mainFrame();
    std::vector<QPointer<fw::ChildFrame>> frames;
    for (const char* name : {"a.eph", "b.eph", "c.eph"}) frames.emplace_back(app.open(name, "x\r\n"));
    QCoreApplication::processEvents();
    // The order of use differs from the order of opening: c, then a, then b
    // on top. Closing b brings back a (the one beneath), not c and not the
    // first-opened by chance; closing a then brings back c.
    for (int i : {2, 0, 1}) {
        mf.mdiArea()->setActiveSubWindow(frames[static_cast<std::size_t>(i)]);
        QCoreApplication::processEvents();
    }
    ASSERT_EQ(mf.activeChildFrame(), frames[1].data());
    frames[1]->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(frames[1].isNull());
    EXPECT_EQ(mf.activeChildFrame(), frames[0].data());
    EXPECT_NE(mf.windowTitle().indexOf(QStringLiteral("a.eph")), -1) << mf.windowTitle().toStdString();
    frames[0]->close();
    QCoreApplication::processEvents();
    EXPECT_EQ(mf.activeChildFrame(), frames[2].data());
    // Opening order c-a-b, used in that order: closing b (the active one,
    // also the last opened) activates a.
    frames.clear();
    frames.emplace_back(mf.activeChildFrame());
    frames.emplace_back(app.open("d.eph", "x\r\n"));
    frames.emplace_back(app.open("e.eph", "x\r\n"));
    mf.mdiArea()->setActiveSubWindow(frames[0]);
    mf.mdiArea()->setActiveSubWindow(frames[2]);
    QCoreApplication::processEvents();
    frames[2]->close();
    QCoreApplication::processEvents();
    EXPECT_EQ(mf.activeChildFrame(), frames[0].data());
}

// ---- Help, message boxes, paged dialogs ------------------------------------------------------------

TEST(HelpWindow, ComesToTheFrontOfTheDialogThatAskedAndOutlivesIt) {
    zeltest::ScopedWorkDir dir;
    std::ofstream("index.html") << "<html><body>Contents</body></html>";
    std::ofstream("ctx20080.html") << "<html><body>Page</body></html>";
    fw::Dialog::setHelpBook((dir.path() / "index.html").string());
    {
        fw::Dialog dlg(nullptr, 0x20080);
        dlg.setWindowModality(Qt::ApplicationModal);
        dlg.show();
        QTest::keyClick(&dlg, Qt::Key_F1);
        QWidget* help = fw::help_window();
        ASSERT_NE(help, nullptr);
        EXPECT_TRUE(help->isVisible());
        // Its window belongs to the dialog's: the window manager keeps it
        // above, and the modal dialog leaves it open to input.
        EXPECT_EQ(help->parentWidget(), &dlg);
        ASSERT_NE(help->windowHandle(), nullptr);
        EXPECT_EQ(help->windowHandle()->transientParent(), dlg.windowHandle());
        EXPECT_EQ(help->windowType(), Qt::Dialog);
        dlg.hide();
        // The dialog is gone; the help stays on screen on its own.
        EXPECT_EQ(help->parentWidget(), nullptr);
        EXPECT_TRUE(help->isVisible());
    }
    ASSERT_NE(fw::help_window(), nullptr);
    delete fw::help_window();
    fw::Dialog::setHelpBook({});
}

TEST(MessageBoxes, CarryTheProgramsTitleAndAreWideEnoughForIt) {
    fw::setMessageTitle("ZELVO-21 for Comets");
    for (const char* text : {"aaa", "No configuration file or it's wrong. Create new?"}) {
        SCOPED_TRACE(text);
        auto box = fw::make_message_box(text, fw::Buttons::Ok, fw::Icon::None, nullptr);
        box->show();
        QCoreApplication::processEvents();
        EXPECT_EQ(box->windowTitle(), QStringLiteral("ZELVO-21 for Comets"));
        QFont f = QApplication::font();
        f.setBold(true);
        EXPECT_GE(box->width(), QFontMetrics(f).horizontalAdvance(box->windowTitle()) + 80);
    }
    fw::setMessageTitle("ZELVO-21");
    // A dialog without a caption of its own carries the program's title; a
    // dialog of few controls is as wide as its title needs.
    fw::Dialog untitled;
    untitled.createModeless();
    EXPECT_EQ(untitled.windowTitle(), QStringLiteral("ZELVO-21"));
    fw::Dialog narrow;
    narrow.setWindowTitle(QStringLiteral("Data retrieval from Observatory list"));
    fw::ok_cancel_buttons(&narrow, false)->setParent(&narrow);
    narrow.createModeless();
    QFont f = QApplication::font();
    f.setBold(true);
    EXPECT_GE(narrow.width(), QFontMetrics(f).horizontalAdvance(narrow.windowTitle()) + 80);
}

// A paged dialog whose first page refuses to be left.
class StickyPages : public fw::PagedDialog {
public:
    StickyPages() {
        first = addItem(QStringLiteral("First"), new QWidget);
        second = addItem(QStringLiteral("Second"), new QWidget);
        third = addItem(QStringLiteral("Third"), new QWidget);
    }
    QTreeWidgetItem *first, *second, *third;
    bool refuse = false;

protected:
    bool onSelChanging(QTreeWidgetItem*, QTreeWidgetItem*) override { return !refuse; }
};

TEST(PagedDialogs, TheTreeMarksThePageOnScreenAfterARefusedClick) {
    StickyPages dlg;
    dlg.show();
    dlg.selectItem(dlg.second);
    QCoreApplication::processEvents();
    dlg.refuse = true;
    QTreeWidget* tree = dlg.tree();
    for (QTreeWidgetItem* clicked : {dlg.third, dlg.first}) {
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(clicked).center());
        QCoreApplication::processEvents();
        EXPECT_EQ(dlg.currentPage(), dlg.stack()->widget(1));
        EXPECT_EQ(tree->currentItem(), dlg.second);
        EXPECT_EQ(tree->selectedItems(), QList<QTreeWidgetItem*>{dlg.second});
    }
    dlg.refuse = false;
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(dlg.third).center());
    EXPECT_EQ(dlg.currentPage(), dlg.stack()->widget(2));
    EXPECT_EQ(tree->selectedItems(), QList<QTreeWidgetItem*>{dlg.third});
}

}  // namespace
