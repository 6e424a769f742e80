// The windows of the element task: Tasks|Elements from the query dialog to
// the list and back on the small data package through the real library;
// settings and cache failures that open no window; a list that asks only for
// the rows on screen; the print file and the printed pages.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QPrinter>
#include <QScrollBar>
#include <QTimer>
#include <deque>
#include <filesystem>
#include <fstream>

#include "element_fixture.h"
#include "framework/childframe.h"
#include "framework/filedialogs.h"
#include "framework/ids.h"
#include "framework/messages.h"
#include "framework/printing.h"
#include "framework/progress.h"
#include "shell_support.h"
#include "zelvo/app/commands.h"
#include "zelvo/graphics/elwindows.h"
#include "zelvo/shell/app.h"
#include "zelvomat/faults.h"
#include "zelvomat/small_package.h"

namespace {

namespace fs = std::filesystem;
using namespace zelvo;
using namespace zelvo::elements;

std::vector<std::string> read_lines(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::vector<std::string> out;
    for (std::string l; std::getline(in, l);) {
        if (!l.empty() && l.back() == '\r') l.pop_back();
        out.push_back(l);
    }
    return out;
}

// Runs handler on the modal dialog of type D once it shows (within a second).
template <class D, class F>
void when_dialog_shows(F handler) {
    auto* timer = new QTimer;
    auto* started = new QElapsedTimer;
    started->start();
    QObject::connect(timer, &QTimer::timeout, [timer, started, handler] {
        auto* dlg = dynamic_cast<D*>(QApplication::activeModalWidget());
        if (dlg == nullptr && started->elapsed() < 1000) return;
        timer->stop();
        timer->deleteLater();
        delete started;
        if (dlg != nullptr) handler(dlg);
    });
    timer->start(5);
}

// Lets the event loop run until done() or a second has passed.
template <class F>
void run_events_until(F done) {
    QElapsedTimer t;
    t.start();
    while (!done() && t.elapsed() < 1000) QApplication::processEvents(QEventLoop::AllEvents, 20);
}

TEST(ElementWindows, QueryListSortExportAndBackToTheQuery) {
    const fs::path pkg = zeltest::small_package();
    if (pkg.empty()) FAIL() << "the small data package cannot be built (see package-small/build.log)";
    zeltest::LinkedPackage linked(pkg);
    fw::ScriptedMessageService boxes;
    fw::ScopedMessageService useBoxes{boxes};
    fw::ScriptedFileDialogService files;
    fw::ScopedFileDialogService useFiles{files};
    ZelvomatLibrary lib;
    TaskApp app{lib, linked.work.dir_slash() + "bin/"};
    ASSERT_TRUE(app.initInstance());

    // The user lists the objects whose orbits come within 1.3 AU of the
    // Earth's, with their MOID.
    bool shown = false;
    QTimer::singleShot(0, [&] {
        auto* dlg = dynamic_cast<CElSelectDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(dlg, nullptr);
        shown = true;
        EXPECT_FALSE(dlg->edit(kFunction, 0)->isEnabled());
        dlg->functionCombo()->setCurrentIndex(kCodeMoid);
        dlg->OnSelchangeFunction();
        EXPECT_TRUE(dlg->edit(kFunction, 0)->isEnabled());
        EXPECT_TRUE(dlg->objectEdit()->isVisible());
        EXPECT_EQ(dlg->line(0)->text(), QStringLiteral("Calculating MOID"));
        dlg->objectEdit()->setText(QStringLiteral(" earth "));
        dlg->edit(kFunction, 2)->setText(QStringLiteral("1.3"));
        dlg->onOK();
    });
    ASSERT_TRUE(app.routeCommand(cmd::kTasksElements));
    ASSERT_TRUE(shown);
    EXPECT_TRUE(boxes.shown.empty()) << boxes.shown.front().text;
    EXPECT_TRUE(app.context().ReopenElementsTask);

    fw::ChildFrame* frame = app.frame()->activeChildFrame();
    ASSERT_NE(frame, nullptr);
    auto* view = dynamic_cast<CElView*>(frame->view());
    ASSERT_NE(view, nullptr);
    ElementList& list = *view->list();
    ASSERT_GE(list.count(), 5);
    bool eros = false;
    for (int row = 0; row < list.count(); ++row) {
        EXPECT_LE(list.value(row, kColumnDerived), 1.3);
        eros = eros || list.cellText(row, kColumnName) == "Eros";
    }
    EXPECT_TRUE(eros);
    EXPECT_EQ(view->listWidget()->listModel().headerData(kColumnDerived, Qt::Horizontal).toString(),
              QStringLiteral("MOID  "));
    app.frame()->updateCommandUI();
    EXPECT_EQ(app.frame()->paneText(fw::ids::kIndicatorCaps).toStdString(), "Num " + std::to_string(list.count()));
    EXPECT_EQ(app.frame()->paneText(fw::ids::kIndicatorRec).toStdString(), "Cur 1");
    EXPECT_EQ(app.frame()->paneText(fw::ids::kIndicatorOvr).toStdString(), app.context().EpochText);

    // Sort Up on the MOID column: Eros, 0.15 AU, first.
    view->choosePopup = [](int column, QPoint) { return column == kColumnDerived ? cmd::kSortUp : 0; };
    view->OnColumnclick(kColumnDerived, {});
    EXPECT_EQ(list.cellText(0, kColumnName), "Eros");
    for (int row = 1; row < list.count(); ++row)
        EXPECT_LE(list.value(row - 1, kColumnDerived), list.value(row, kColumnDerived));

    // Task Info and the export.
    std::array<std::string, 3> info;
    view->showTaskInfo = [&](const std::array<std::string, 3>& l) { info = l; };
    ASSERT_TRUE(app.routeCommand(cmd::kElTaskInfo));
    EXPECT_EQ(info[0], "Filter:   ( fun <= 1.3 ) ");
    EXPECT_EQ(info[1], "Records: " + std::to_string(list.count()) + ";  Function: MOID  (-3)");
    const std::string out = linked.work.dir_slash() + "near.elr";
    files.answers.push_back(out);
    ASSERT_TRUE(app.routeCommand(fw::ids::kFileSaveAs));
    ASSERT_EQ(files.asked.size(), 1u);
    EXPECT_EQ(files.asked[0].defaultExt, "elr");
    const auto lines = read_lines(out);
    ASSERT_EQ(lines.size(), 7u + static_cast<std::size_t>(list.count()));
    EXPECT_EQ(lines[0], "Elements: " + app.context().EpochText);
    EXPECT_EQ(lines[1], "Filter:   ( fun <= 1.3 ) ");
    EXPECT_NE(lines[4].find("  MOID  (-3)"), std::string::npos);
    EXPECT_EQ(lines[7].substr(0, 16), "    433  Eros   ");
    // A file that cannot be made: the message, and nothing else changes.
    const std::string nowhere = linked.work.dir_slash() + "missing/near.elr";
    files.answers.push_back(nowhere);
    ASSERT_TRUE(app.routeCommand(fw::ids::kFileSaveAs));
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Can't create file " + nowhere +
                                       "\nNo file can be made beside it (No such file or directory); the file was "
                                       "left as it was.");
    boxes.shown.clear();
    // A full disk: the export over the earlier one leaves that one whole.
    {
        const std::vector<std::uint8_t> before = zeltest::read_bytes(out);
        files.answers.push_back(out);
        {
            zeltest::FullDisk full("near.elr", 100);
            ASSERT_TRUE(app.routeCommand(fw::ids::kFileSaveAs));
            EXPECT_TRUE(full.hit());
        }
        EXPECT_EQ(zeltest::read_bytes(out), before);
        EXPECT_FALSE(fs::exists(out + ".new"));
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].text, "Can't create file " + out + "\nNo space left on device");
        boxes.shown.clear();
    }

    // File|Print of the window: each object on two lines of the print file,
    // 30 print lines a page on A4; Print Setup is the program's.
    {
        fw::ScriptedPrintDialogService dialogs;
        fw::ScopedPrintDialogService useDialogs{dialogs};
        QPrinter& printer = fw::sharedPrinter();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(QString::fromStdString(linked.work.dir_slash() + "near.pdf"));
        dialogs.printAnswers.push_back(std::make_pair(1, 0));
        ASSERT_TRUE(app.routeCommand(fw::ids::kFilePrint));
        EXPECT_EQ(dialogs.printAsked, 1);
        const auto printLines = read_lines(linked.work.path() / "result.el4");
        ASSERT_EQ(printLines.size(), 2u * static_cast<std::size_t>(list.count()));
        EXPECT_EQ(printLines[0].substr(0, 16), "   433 Eros     ");
        EXPECT_GT(fs::file_size(linked.work.path() / "near.pdf"), 1000u);
        ASSERT_TRUE(app.routeCommand(fw::ids::kFilePrintSetup));
        EXPECT_EQ(dialogs.setupAsked, 1);
        printer.setOutputFileName(QString());
        EXPECT_TRUE(boxes.shown.empty());
    }

    // Closing the list brings the query back, with the planet by its name.
    std::string objectShown;
    when_dialog_shows<CElSelectDlg>([&](CElSelectDlg* dlg) {
        objectShown = dlg->objectEdit()->text().toStdString();
        dlg->onCancel();
    });
    ASSERT_TRUE(frame->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    run_events_until([&] { return !objectShown.empty(); });
    EXPECT_EQ(objectShown, "Earth");
    EXPECT_FALSE(app.context().ReopenElementsTask);
    EXPECT_EQ(app.frame()->activeChildFrame(), nullptr);
    EXPECT_TRUE(boxes.shown.empty());
}

// A view over a catalogue of the fixture, its program-wide values set as
// Tasks|Elements leaves them.
struct FixtureWindow {
    zeltest::FixtureCatalogue cat;
    zeltest::FakeLibrary lib;
    AppContext ctx;
    QWidget parent;

    explicit FixtureWindow(int objects = 50) {
        writeCatalogue(objects);
        ctx.WorkDir = cat.work.dir_slash();
        ctx.EpochText = "Ecliptic and equinox 2000.0, epoch 2025 November 21.0 TT (JD 2461000.5)";
    }
    void writeCatalogue(int objects) {
        std::vector<zeltest::FixtureObject> o(static_cast<std::size_t>(objects));
        for (std::size_t k = 0; k < o.size(); ++k)
            o[k] = {"Object " + std::to_string(k + 1), " 9.00", std::nullopt, 1, 2, 3, 4, 0.1, 2.0};
        cat.write(o, objects);
    }
    // The list of view in a window 900 pixels wide, once it has asked for
    // the cells on screen.
    bool show(CElView& view, int height) {
        QWidget* widget = view.createWidget(&parent);
        if (widget == nullptr) return false;
        view.onInitialUpdate();
        parent.resize(900, height);
        widget->resize(900, height);
        parent.show();
        run_events_until([&] { return view.listWidget()->listModel().cellsAsked() > 0; });
        return true;
    }
};

TEST(ElementWindows, CatalogueEpochFromTheEpochText) {
    struct Case {
        const char* text;
        double jd;
    };
    const Case cases[] = {
        {"Ecliptic and equinox 2000.0, epoch 2025 November 21.0 TT (JD 2461000.5)", 2461000.5},
        // The built-in text holds no Julian date at its end, a short one
        // none at all: the epoch of the settings.
        {"Ecliptic and equinox 2000.0, epoch 2007 October 27.0 TT", 2459800.5},
        {"JD", 2459800.5},
        {"", 2459800.5},
    };
    for (const Case& c : cases) EXPECT_EQ(catalogue_epoch_jd(c.text, 2459800.5), c.jd) << c.text;
}

TEST(ElementWindows, SettingsOrCacheFailureOpensNoList) {
    fw::ScriptedMessageService boxes;
    fw::ScopedMessageService useBoxes{boxes};
    FixtureWindow w;
    fs::rename(w.cat.work.path() / "setpar", w.cat.work.path() / "setpar.away");
    {
        CElView view(w.ctx, w.lib);
        EXPECT_EQ(view.createWidget(&w.parent), nullptr);
    }
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text,
              "Error in reading file 'setpar'.. \n \nReplace 'Setpar' file or reinstall ZELVO package");

    fs::rename(w.cat.work.path() / "setpar.away", w.cat.work.path() / "setpar");
    fs::remove(w.cat.dataDir + "elitel");
    {
        CElView view(w.ctx, w.lib);
        EXPECT_EQ(view.createWidget(&w.parent), nullptr);
    }
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[1].text,
              "System error in reading data. \n \nCorrect 'Setpath' file or reinstall ZELVO package");
    EXPECT_FALSE(fs::exists(w.cat.dataDir + "_elemdat"));

    // Once the catalogue is whole again the next list opens.
    w.writeCatalogue(50);
    CElView view(w.ctx, w.lib);
    ASSERT_NE(view.createWidget(&w.parent), nullptr);
    EXPECT_EQ(view.rowCount(), 50);
}

TEST(ElementWindows, ListAsksOnlyForTheRowsOnScreen) {
    FixtureWindow w(20000);
    CElView view(w.ctx, w.lib);
    ASSERT_TRUE(w.show(view, 400));
    const auto [first, last] = view.listWidget()->visibleRows();
    const int onScreen = last - first + 1;
    ASSERT_GT(onScreen, 5);
    ASSERT_LT(onScreen, 100);
    EXPECT_LE(view.list()->recordLoads(), 2 * onScreen);
    EXPECT_LE(view.listWidget()->listModel().cellsAsked(), 4LL * onScreen * 11);
    // To the end of the list: the rows shown there, no others.
    const long long before = view.list()->recordLoads();
    view.listWidget()->scrollToBottom();
    run_events_until([&] { return view.list()->recordLoads() > before; });
    const auto [first2, last2] = view.listWidget()->visibleRows();
    EXPECT_EQ(last2, 19999);
    EXPECT_LE(view.list()->recordLoads() - before, 2 * (last2 - first2 + 1));
    EXPECT_EQ(view.cellText(19999, kColumnName), "Object 20000");
}

// Every text of the rows on screen fits its column: after the first
// screen, after a sort brings the widest values up, and after scrolling to
// rows of wider texts (a far comet-like orbit and a long name at the end).
TEST(ElementWindows, ColumnsFitTheTextsOnScreenAfterSortAndScroll) {
    FixtureWindow w(1);
    std::vector<zeltest::FixtureObject> o(300);
    for (std::size_t k = 0; k < o.size(); ++k)
        o[k] = {"Obj " + std::to_string(k + 1), " 9.00", std::nullopt, 1, 2, 3, 4, 0.1, 2.0};
    o.back() = {"Wide-named object", "12.25", std::nullopt, 359.98765, 123.4567, 234.5678, 170.12345, 0.99, 133.1130};
    w.cat.write(o, 300);
    CElView view(w.ctx, w.lib);
    ASSERT_TRUE(w.show(view, 300));
    fw::MultiColumnList& table = *view.listWidget();
    QApplication::processEvents();
    const auto expect_texts_fit = [&] {
        const QFontMetrics fm(table.listModel().font());
        const auto [first, last] = table.visibleRows();
        ASSERT_LE(first, last);
        for (int row = first; row <= last; ++row)
            for (int c = 0; c < table.listModel().columnCount(); ++c) {
                const QString t = table.listModel().data(table.listModel().index(row, c)).toString();
                EXPECT_LT(fm.horizontalAdvance(t), table.columnWidth(c)) << row << " " << c << " " << t.toStdString();
            }
    };
    {
        SCOPED_TRACE("first screen");
        expect_texts_fit();
    }
    // Sort Down on a: the far orbit on top.
    view.choosePopup = [](int, QPoint) { return cmd::kSortDown; };
    view.OnColumnclick(10, {});
    ASSERT_EQ(view.list()->cellText(0, 10).substr(0, 4), "133.");
    {
        SCOPED_TRACE("sorted");
        expect_texts_fit();
    }
    // Sort Up again, then to the end of the list.
    view.choosePopup = [](int, QPoint) { return cmd::kSortUp; };
    view.OnColumnclick(10, {});
    {
        SCOPED_TRACE("sorted back");
        expect_texts_fit();
    }
    table.scrollToBottom();
    QApplication::processEvents();
    {
        SCOPED_TRACE("end of the list");
        expect_texts_fit();
    }
}

TEST(ElementWindows, PrintFileAndPages) {
    fw::ScriptedMessageService boxes;
    fw::ScopedMessageService useBoxes{boxes};
    FixtureWindow w(50);
    elementState(w.ctx).query.QueryFunctionCode = 4;
    CElView view(w.ctx, w.lib);
    ASSERT_NE(view.createWidget(&w.parent), nullptr);
    ASSERT_TRUE(view.writePrintFile());
    const auto lines = read_lines(w.cat.work.path() / "result.el4");
    ASSERT_EQ(lines.size(), 100u);
    for (const std::string& l : lines) EXPECT_EQ(l.size(), 125u);
    EXPECT_EQ(view.pageCount(PaperKind::A4), 4);
    EXPECT_EQ(view.pageCount(PaperKind::A3), 3);

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(w.cat.work.dir_slash() + "list.pdf"));
    printer.setPageSize(QPageSize(QPageSize::A3));
    EXPECT_EQ(view.printTo(printer), 3);
    EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Landscape);
    ASSERT_EQ(boxes.shown.size(), 1u);  // once per job
    EXPECT_EQ(boxes.shown[0].text, kPaperWarning);
    EXPECT_GT(fs::file_size(w.cat.work.path() / "list.pdf"), 1000u);

    // A page range on A4: no warning; the print file is written again.
    fs::remove(w.cat.work.path() / "result.el4");
    printer.setPageSize(QPageSize(QPageSize::A4));
    EXPECT_EQ(view.printTo(printer, 2, 3), 2);
    EXPECT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(fs::exists(w.cat.work.path() / "result.el4"));
    // The print file gone between the pages: the page keeps its head.
    fs::remove(w.cat.work.path() / "result.el4");
    QImage image(1100, 800, QImage::Format_RGB32);
    QPainter painter(&image);
    view.printPage(painter, 1, image.rect());
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[1].text, "Warning: result file not found ore open by another program");
}

// A print dialog that notes whether the print file was there when it was
// asked, and answers from a queue (Cancel when empty).
struct CheckingPrintDialogs final : fw::PrintDialogService {
    fs::path printFile;
    std::vector<bool> fileWhenAsked;
    std::deque<std::optional<std::pair<int, int>>> answers;
    bool askPrint(QPrinter&, fw::PrintInfo& info) override {
        fileWhenAsked.push_back(fs::exists(printFile));
        std::optional<std::pair<int, int>> a;
        if (!answers.empty()) {
            a = answers.front();
            answers.pop_front();
        }
        if (!a) return false;
        info.fromPage = a->first;
        info.toPage = a->second;
        return true;
    }
    bool askSetup(QPrinter&) override { return false; }
};

// File|Print and File|Print Preview of the list on the program's printer: the
// print file is written once the dialog is accepted, the pages are landscape,
// the printer keeps its orientation for the other windows, a print file that
// cannot be made stops the job.
TEST(ElementWindows, PrintAndPreviewOnTheProgramsPrinter) {
    fw::ScriptedMessageService boxes;
    fw::ScopedMessageService useBoxes{boxes};
    FixtureWindow w(40);
    elementState(w.ctx).query.QueryFunctionCode = 4;
    CElView view(w.ctx, w.lib);
    ASSERT_NE(view.createWidget(&w.parent), nullptr);
    const fs::path printFile = w.cat.work.path() / "result.el4";
    const fs::path pdf = w.cat.work.path() / "list.pdf";
    QPrinter& printer = fw::sharedPrinter();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(pdf.string()));
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    CheckingPrintDialogs dialogs;
    dialogs.printFile = printFile;
    fw::ScopedPrintDialogService useDialogs{dialogs};

    // Cancelled: nothing is written.
    EXPECT_EQ(view.onFilePrint(), 0);
    EXPECT_EQ(dialogs.fileWhenAsked, std::vector<bool>{false});
    EXPECT_FALSE(fs::exists(printFile));
    EXPECT_FALSE(fs::exists(pdf));

    // Pages 2 to the last of 80 print lines on A4: 3 pages of 30.
    dialogs.answers.push_back(std::make_pair(2, 0));
    EXPECT_EQ(view.onFilePrint(), 2);
    EXPECT_EQ(dialogs.fileWhenAsked, (std::vector<bool>{false, false}));
    EXPECT_EQ(read_lines(printFile).size(), 80u);
    EXPECT_GT(fs::file_size(pdf), 1000u);
    EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Portrait);
    EXPECT_TRUE(boxes.shown.empty());
    // Printed directly: every page, no dialog.
    EXPECT_EQ(view.onFilePrintDirect(), 3);
    EXPECT_EQ(dialogs.fileWhenAsked.size(), 2u);
    EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Portrait);

    // The preview: the same 3 pages in landscape; its Print goes through the
    // print dialog.
    int pages = 0;
    bool landscape = false;
    QTimer::singleShot(0, [&] {
        auto* preview = dynamic_cast<fw::PrintPreviewWindow*>(QApplication::activeModalWidget());
        ASSERT_NE(preview, nullptr);
        pages = preview->pageCount();
        landscape = printer.pageLayout().orientation() == QPageLayout::Landscape;
        preview->print();
    });
    dialogs.answers.push_back(std::make_pair(1, 1));
    view.OnFilePrintPreview();
    EXPECT_EQ(pages, 3);
    EXPECT_TRUE(landscape);
    EXPECT_EQ(dialogs.fileWhenAsked.size(), 3u);
    EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Portrait);

    // A3: 44 print lines a page (both lines of an object together), and the
    // paper warning once.
    printer.setPageSize(QPageSize(QPageSize::A3));
    dialogs.answers.push_back(std::make_pair(1, 0));
    EXPECT_EQ(view.onFilePrint(), 2);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, kPaperWarning);
    boxes.shown.clear();

    // The print file cannot be made: the message, and no page.
    fs::remove(printFile);
    fs::create_directory(printFile);
    fs::remove(pdf);
    dialogs.answers.push_back(std::make_pair(1, 0));
    EXPECT_EQ(view.onFilePrint(), 0);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "Can't create file result.el4\nIt is a directory.");
    EXPECT_FALSE(fs::exists(pdf));

    // The preview then shows no page, not the pages of the last preview; nor
    // does the preview of an empty list after a list of three pages.
    const auto previewPages = [&](CElView& v) {
        int shown = -1;
        QTimer::singleShot(0, [&] {
            auto* preview = dynamic_cast<fw::PrintPreviewWindow*>(QApplication::activeModalWidget());
            ASSERT_NE(preview, nullptr);
            shown = preview->pageCount();
            preview->reject();
        });
        v.OnFilePrintPreview();
        return shown;
    };
    printer.setPageSize(QPageSize(QPageSize::A4));
    EXPECT_EQ(previewPages(view), 0);
    fs::remove(printFile);
    EXPECT_EQ(previewPages(view), 3);
    elementState(w.ctx).query.rows[elements::kH].flags = elements::kUpper;
    elementState(w.ctx).query.rows[elements::kH].upper = -50;
    CElView empty(w.ctx, w.lib);
    ASSERT_NE(empty.createWidget(&w.parent), nullptr);
    EXPECT_EQ(empty.pageCount(PaperKind::A4), 0);
    EXPECT_EQ(previewPages(empty), 0);
    printer.setOutputFileName(QString());
}

}  // namespace

namespace {

// The application's progress window as the tests see it: counts its calls
// and presses Cancel at its first move when asked to.
struct CancellingProgressWindow final : fw::ProgressWindow {
    bool cancel = true;
    int opened = 0, moved = 0, closed = 0;
    void open(int, int, int) override { ++opened; }
    void setPosition(int) override {
        ++moved;
        if (cancel) fw::progress().requestCancel();
    }
    void close() override { ++closed; }
};

}  // namespace

// A MOID column runs under the application's progress dialog: its Cancel
// stops the computing, no list window opens and the library is free again;
// let run, the list opens whole.
TEST(ElementWindows, MoidColumnUnderTheProgressDialogAndItsCancel) {
    fw::ScriptedMessageService boxes;
    fw::ScopedMessageService useBoxes{boxes};
    CancellingProgressWindow window;
    fw::ProgressWindow* before = fw::progress().window();
    fw::progress().setWindow(&window);
    FixtureWindow w(600);
    elementState(w.ctx).query.QueryFunctionCode = kCodeMoid;
    {
        CElView view(w.ctx, w.lib);
        EXPECT_EQ(view.createWidget(&w.parent), nullptr);
        EXPECT_EQ(view.list(), nullptr);
    }
    EXPECT_EQ(window.opened, 1);
    EXPECT_EQ(window.moved, 1);
    EXPECT_GE(window.closed, 1);
    EXPECT_FALSE(fw::library_busy());
    EXPECT_TRUE(boxes.shown.empty());

    window.cancel = false;
    {
        CElView view(w.ctx, w.lib);
        ASSERT_NE(view.createWidget(&w.parent), nullptr);
        EXPECT_EQ(view.rowCount(), 600);
    }
    EXPECT_EQ(window.opened, 2);
    EXPECT_FALSE(fw::library_busy());

    // Another derived column needs no progress.
    elementState(w.ctx).query.QueryFunctionCode = 4;
    {
        CElView view(w.ctx, w.lib);
        ASSERT_NE(view.createWidget(&w.parent), nullptr);
    }
    EXPECT_EQ(window.opened, 2);
    fw::progress().setWindow(before);
}

// The condition fields of the selection dialog are fixed-width: a condition
// kept padded (as the last query file may hold it) shows trimmed, a field
// entered by Tab is typed over, and the model reads it padded to its width;
// a full field takes no more.
TEST(ElementSelectDialog, ConditionFieldsShowTrimmedTakeTypingAndReadPadded) {
    AppContext ctx;
    zeltest::FakeLibrary lib;
    CElSelectDlg dlg(ctx, lib);
    auto text = [&dlg](int row, int which) -> std::string& {
        const auto j = static_cast<std::size_t>(which);
        return row == 11 ? dlg.model().function[j] : dlg.model().rows[static_cast<std::size_t>(row)][j];
    };
    const std::string blanks30(30, ' ');
    struct Case {
        int row, which;  // row 0 Number .. 11 Function; equal, lower, upper
        std::string stored;
        const char* shown;
        const char* typed;
        std::string read;
    } cases[] = {
        {0, 1, "1000" + std::string(26, ' '), "1000", "25", "25" + std::string(28, ' ')},
        {1, 0, "Ceres" + std::string(13, ' '), "Ceres", "Vesta", "Vesta" + std::string(13, ' ')},
        {1, 0, "", "", "1234567890123456789", "123456789012345678"},
        {8, 2, "  0.3" + std::string(25, ' '), "0.3", "0.95", "0.95" + std::string(26, ' ')},
        {10, 0, blanks30, "", "7777777777777777777777777777777", std::string(30, '7')},
        {11, 0, blanks30, "", "2.5", "2.5" + std::string(27, ' ')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "row " << c.row << " field " << c.which << " typed " << c.typed);
        text(c.row, c.which) = c.stored;
        dlg.updateData(false);
        QLineEdit* e = dlg.edit(c.row, c.which);
        EXPECT_EQ(e->text().toStdString(), c.shown);
        e->setFocus(Qt::TabFocusReason);
        e->selectAll();
        zeltest::type_text(e, QString::fromLatin1(c.typed));
        ASSERT_TRUE(dlg.updateData(true));
        EXPECT_EQ(text(c.row, c.which), c.read);
    }
}
