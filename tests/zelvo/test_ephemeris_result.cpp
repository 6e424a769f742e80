// The ephemeris result window: lines and header texts from fixture files,
// the text export, the page layout of printing, Continue with its refusals,
// and the set-up that opens again after the window has gone.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMdiArea>
#include <QPointer>
#include <QPrinter>
#include <filesystem>
#include <fstream>

#include "framework/childframe.h"
#include "framework/filedialogs.h"
#include "framework/ids.h"
#include "framework/messages.h"
#include "framework/progress.h"
#include "shell_support.h"
#include "zelvo/app/tables.h"
#include "zelvo/ephemeris/ephresult.h"
#include "zelvo/shell/app.h"

namespace {

namespace fs = std::filesystem;
using namespace zelvo;

std::string read_file(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string pad(std::string s, std::size_t n) {
    s.resize(n, ' ');
    return s;
}

// n records of 82 bytes as the driver writes them: 80 characters, two zero
// bytes; the line of record k reads "line k".
std::string records(int from, int n) {
    std::string out;
    for (int k = from; k < from + n; ++k) out += pad("line " + std::to_string(k), 80) + std::string(2, '\0');
    return out;
}

void append(const fs::path& p, const std::string& bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::app);
    out << bytes;
}

// An "eph.hat" of seven 82-byte records.
const char* const kHat[7] = {
    "  Equator and equinox 2000.0 Astrometric positions Accuracy: Nodes",
    " 095 Crimean Astrophysical Observatory, Simeis, Nauchnij Station      ",
    "    Date (TT)         R.A.          Decl.     Delta      r     Phase   V   Elong",
    "  yyyy mm dd.ddddd   h  m  s       o  '  \"      au        au      o   mag   o",
    "heading 3",
    "heading 4",
    "heading 5",
};

std::string hat_bytes() {
    std::string out;
    for (const char* r : kHat) out += pad(r, 80) + std::string(2, '\0');
    return out;
}

TEST(EphemerisFiles, RecordsAndAPartialEnd) {
    zeltest::ScopedWorkDir dir;
    const fs::path p = dir.path() / "result.ep4";
    zeltest::write_text(p, records(1, 10) + std::string(40, 'x'));
    auto lines = readEphemerisRecords(p.string(), 82);
    ASSERT_TRUE(lines);
    ASSERT_EQ(lines->size(), 10u);
    EXPECT_EQ((*lines)[9], pad("line 10", 80));
    auto tail = readEphemerisRecords(p.string(), 82, 7);
    ASSERT_TRUE(tail);
    ASSERT_EQ(tail->size(), 3u);
    EXPECT_EQ((*tail)[0], pad("line 8", 80));
    EXPECT_FALSE(readEphemerisRecords((dir.path() / "none").string(), 82));
}

TEST(EphemerisFiles, HeaderTextFromEphHat) {
    zeltest::ScopedWorkDir dir;
    zeltest::write_text(dir.path() / "eph.hat", hat_bytes());
    const auto header = readEphHeader((dir.path() / "eph.hat").string());
    ASSERT_TRUE(header);
    ASSERT_EQ(header->size(), 7u);
    EXPECT_EQ((*header)[0], pad(kHat[0], 80));
    struct Case {
        const char* selection;
        std::string expected;
    };
    const std::string base = pad("Equator and equinox 2000.0 Astrometric positions Accuracy: Nodes", 78) + "\r\n" +
                             " 095 Crimean Astrophysical Observatory, Simeis, Nauchnij Station";
    const Case cases[] = {
        {" ", base},
        {" Restrictions:  10<=Dist.", base + "  See Task Info for imposed restrictions"},
        {"", base + "  See Task Info for imposed restrictions"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.selection);
        EXPECT_EQ(ephemerisHeaderText(*header, c.selection), c.expected);
    }
    EXPECT_FALSE(readEphHeader((dir.path() / "missing.hat").string()));
}

TEST(EphemerisTexts, SelectionLinesAlwaysMoveOn) {
    // 200 characters with blanks: lines of at most 78 characters, each
    // continuation beginning with the blank at which it was cut.
    std::string text;
    while (text.size() < 200) text += "  10.0<=Dist.<=20.0";
    text.resize(200);
    struct Case {
        std::string text;
        std::size_t lines;
        bool cutAtBlanks;  // every continuation begins with a blank
    };
    const Case cases[] = {
        {text, 3, true},
        {" ", 1, true},
        {std::string(200, 'x'), 3, false},                               // no blank at all
        {std::string(78, 'x') + " " + std::string(150, 'y'), 3, false},  // the only blank is where a line is cut
        {std::string(80, 'z'), 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.substr(0, 20) + "... (" + std::to_string(c.text.size()) + ")");
        const auto lines = selectionLines(c.text);
        EXPECT_EQ(lines.size(), c.lines);
        std::string joined;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            EXPECT_FALSE(lines[i].empty());
            EXPECT_LE(lines[i].size(), i + 1 < lines.size() ? 78u : 80u);
            if (i > 0 && c.cutAtBlanks) {
                EXPECT_EQ(lines[i].front(), ' ');
            }
            joined += lines[i];
        }
        EXPECT_EQ(joined, c.text);
    }
    EXPECT_EQ(selectionLines(" "), std::vector<std::string>{" "});
}

TEST(EphemerisPrint, LinesPerPageAndPages) {
    struct Case {
        bool portrait;
        PaperKind paper;
        int perPage;
        int pages;  // of 100 lines
    };
    const Case cases[] = {
        {true, PaperKind::A4, 45, 3},     {false, PaperKind::A4, 30, 4}, {true, PaperKind::Other, 30, 4},
        {true, PaperKind::A3, 67, 2},     {false, PaperKind::A3, 45, 3}, {true, PaperKind::A5, 30, 4},
        {false, PaperKind::Other, 20, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.perPage));
        EXPECT_EQ(lines_per_page(c.portrait, c.paper), c.perPage);
        EXPECT_EQ(page_count(100, c.perPage), c.pages);
    }
    // 100 lines on A4 portrait: 45, 45 and 10 lines; without a header the
    // page holds the lines and its number.
    std::vector<std::string> lines;
    for (int k = 1; k <= 100; ++k) lines.push_back(pad("line " + std::to_string(k), 80));
    const int counts[3] = {45, 45, 10};
    for (int p = 1; p <= 3; ++p) {
        const PrintPage page = layoutPrintPage(p, 4760, 6736, 45, std::nullopt, " ", lines, 80);
        ASSERT_EQ(page.items.size(), static_cast<std::size_t>(counts[p - 1] + 1));
        EXPECT_EQ(page.items.back().text, std::to_string(p));
    }
}

TEST(EphemerisPrint, PageLayout) {
    std::vector<std::string> header;
    for (const char* r : kHat) header.push_back(pad(r, 80));  // as read from eph.hat
    const std::vector<std::string> lines{pad("line 1", 80), pad("line 2", 80)};
    // 4760 x 6736 pixels (A4 at 600 dpi less margins), 45 lines a page.
    const PrintPage page = layoutPrintPage(1, 4760, 6736, 45, header, " Restrictions:  10<=Dist.", lines, 80);
    EXPECT_EQ(page.lineHeight, 6736 / 61);
    EXPECT_EQ(page.charWidth, 4760 / 85);
    const int lh = page.lineHeight, cw = page.charWidth;
    const std::vector<PrintItem> expected{
        {4 * cw, 1 * lh, pad("Equator and equinox 2000.0 Astrometric positions Accuracy: Nodes", 78)},
        {4 * cw, 2 * lh, pad("095 Crimean Astrophysical Observatory, Simeis, Nauchnij Station      ", 79)},
        {4 * cw, 3 * lh, "Restrictions:  10<=Dist."},
        {2 * cw, 4 * lh, pad(kHat[2], 80)},
        {2 * cw, 5 * lh, pad(kHat[3], 80)},
        {2 * cw, 6 * lh, pad(kHat[4], 80)},
        {2 * cw, 7 * lh, pad(kHat[5], 80)},
        {2 * cw, 8 * lh, pad(kHat[6], 80)},
        // The last header row is 7: the lines begin two rows lower.
        {2 * cw, 10 * lh, pad("line 1", 80)},
        {2 * cw, 11 * lh, pad("line 2", 80)},
        {4760 / 2 - 3 * cw, 6736 - 2 * lh, "1"},
    };
    ASSERT_EQ(page.items.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(page.items[i], expected[i]);
    }
    // A page too narrow for 85 characters of 28 pixels draws from the left edge.
    EXPECT_EQ(layoutPrintPage(1, 2000, 3000, 45, std::nullopt, " ", lines, 80).charWidth, 0);
}

TEST(EphemerisPrint, Warnings) {
    const std::string width = "The text to print may exceed page width.\n In this case please use ''LANDSCAPE'' mode.";
    const std::string size = "The text to print may exceed page size.\n For correct printing use page size ''A4''.";
    struct Case {
        PaperKind paper;
        bool portrait;
        int width;
        std::string expected;
    };
    const Case cases[] = {
        {PaperKind::A4, true, 4760, ""},       {PaperKind::A4, true, 2000, width}, {PaperKind::A4, false, 2000, ""},
        {PaperKind::A5, true, 4760, width},    {PaperKind::A5, false, 4760, ""},   {PaperKind::A3, true, 6000, size},
        {PaperKind::Other, false, 6000, size},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        EXPECT_EQ(printWarning(c.paper, c.portrait, c.width), c.expected);
    }
}

// A started program with scripted boxes and file dialogs, and the ephemeris
// set-up's values for a result in equatorial positions.
struct Started {
    zeltest::Package pkg;
    fw::ScriptedMessageService boxes;
    fw::ScopedMessageService useBoxes{boxes};
    fw::ScriptedFileDialogService files;
    fw::ScopedFileDialogService useFiles{files};
    TaskApp app{pkg.lib, pkg.work.dir_slash() + "bin/"};
    int reopened = 0;
    bool windowGoneWhenReopened = false;

    Started() {
        EXPECT_TRUE(app.initInstance());
        pkg.lib.calls.clear();
        AppContext& c = ctx();
        c.TaskCode = 3;
        c.EphFormatKey = 12;
        c.SelectionText = " ";
        c.TaskInfoText = " Objects: 1-10";
        setEphemerisReopenHandler(c, [this] {
            ++reopened;
            windowGoneWhenReopened = app.frame()->childFrames().empty();
        });
    }
    ~Started() { fw::set_pump_hook({}); }
    AppContext& ctx() { return app.context(); }
    fs::path path(const std::string& name) const { return pkg.work.path() / name; }

    // A run that wrote n lines and the header, then opened.
    CEphView* openAfterRun(int n, int interrupted, int percent) {
        zeltest::write_text(path("result.ep4"), records(1, n));
        zeltest::write_text(path("eph.hat"), hat_bytes());
        if (OpenEphemerisResult(app, app.context(), {interrupted, interrupted, percent}) == nullptr) return nullptr;
        return view();
    }
    CEphView* view() {
        fw::ChildFrame* f = app.frame()->activeChildFrame();
        return f != nullptr ? dynamic_cast<CEphView*>(f->view()) : nullptr;
    }
    bool continueEnabled() { return app.queryCommand(cmd::kEphContinue).enabled; }
};

TEST(EphemerisWindow, OpensWithItsLinesCaptionsAndHeader) {
    Started s;
    CEphView* v = s.openAfterRun(10, 0, 100);
    ASSERT_NE(v, nullptr);
    EXPECT_TRUE(s.ctx().EphemerisMode);
    EXPECT_EQ(v->model().rowCount(), 10);
    EXPECT_EQ(v->model().lineText(0).trimmed(), QStringLiteral("line 1"));
    fw::ChildFrame* f = s.app.frame()->activeChildFrame();
    EXPECT_EQ(f->controlText(1311).toStdString(),
              pad("Equator and equinox 2000.0 Astrometric positions Accuracy: Nodes", 78) + "\n" +
                  " 095 Crimean Astrophysical Observatory, Simeis, Nauchnij Station");
    EXPECT_NE(f->barWidget(175), nullptr);
    EXPECT_EQ(v->model().ruler(), fw::from_cp1252(FormatRulerTable[2]));
    EXPECT_EQ(s.app.queryCommand(fw::ids::kIndicatorCaps).text.value_or(""), "Num 10");
    // A finished run cannot be continued.
    EXPECT_FALSE(s.continueEnabled());
}

TEST(EphemerisWindow, SaveAsWritesTheTextExport) {
    Started s;
    CEphView* v = s.openAfterRun(3, 0, 100);
    ASSERT_NE(v, nullptr);
    s.files.answers.push_back((s.path("out.epr")).string());
    ASSERT_TRUE(s.app.routeCommand(fw::ids::kFileSaveAs));
    ASSERT_EQ(s.files.asked.size(), 1u);
    EXPECT_FALSE(s.files.asked[0].open);
    EXPECT_EQ(s.files.asked[0].defaultExt, "epr");
    EXPECT_EQ(s.files.asked[0].filter, "Ephemeris files (*.epr)|*.epr|All files (*.*)|*.*||");
    std::string expected = "                      EPHEMERIDES\r\n";
    // 1 + 2 + 1 + 5 header lines: record 2 keeps the observatory's name whole.
    expected += pad(kHat[0], 80) + "\r\n" + pad(kHat[1], 80) + "\r\n" + " \r\n";
    for (int r = 2; r < 7; ++r) expected += pad(kHat[r], 80) + "\r\n";
    for (int k = 1; k <= 3; ++k) expected += pad("line " + std::to_string(k), 80) + "\r\n";
    EXPECT_EQ(read_file(s.path("out.epr")), expected);
    EXPECT_TRUE(s.boxes.shown.empty());

    // Without the header file: a warning and the lines alone.
    fs::remove(s.path("eph.hat"));
    s.files.answers.push_back((s.path("bare.epr")).string());
    ASSERT_TRUE(s.app.routeCommand(fw::ids::kFileSaveAs));
    ASSERT_EQ(s.boxes.shown.size(), 1u);
    EXPECT_EQ(s.boxes.shown[0].text, "Warning: head file not found");
    EXPECT_EQ(read_file(s.path("bare.epr")), "                      EPHEMERIDES\r\n" + pad("line 1", 80) + "\r\n" +
                                                 pad("line 2", 80) + "\r\n" + pad("line 3", 80) + "\r\n");
}

TEST(EphemerisWindow, SaveNeverWritesOverTheWorkFile) {
    Started s;
    ASSERT_NE(s.openAfterRun(3, 1, 40), nullptr);
    const std::string before = read_file(s.path("result.ep4"));
    // Save asks for a name like Save As; cancelled, nothing is written.
    ASSERT_TRUE(s.app.routeCommand(fw::ids::kFileSave));
    EXPECT_EQ(s.files.asked.size(), 1u);
    s.files.answers.push_back((s.path("saved.epr")).string());
    ASSERT_TRUE(s.app.routeCommand(fw::ids::kFileSave));
    EXPECT_EQ(read_file(s.path("result.ep4")), before);
    EXPECT_EQ(read_file(s.path("saved.epr")).substr(0, 35), "                      EPHEMERIDES\r\n");
}

TEST(EphemerisWindow, ContinueAppendsTheNewRecords) {
    Started s;
    CEphView* v = s.openAfterRun(10, 1, 37);
    ASSERT_NE(v, nullptr);
    EXPECT_TRUE(s.continueEnabled());
    int barAtStart = -1;
    s.pkg.lib.onRun = [&] {
        barAtStart = fw::progress().position();
        append(s.path("result.ep4"), records(11, 5));
    };
    ASSERT_TRUE(s.app.routeCommand(cmd::kEphContinue));
    EXPECT_EQ(s.pkg.lib.calls, std::vector<std::string>{"progr"});
    EXPECT_EQ(barAtStart, 37);
    EXPECT_EQ(v->model().rowCount(), 15);
    EXPECT_EQ(v->model().lineText(14).trimmed(), QStringLiteral("line 15"));
    EXPECT_EQ(s.ctx().CalcInterrupted, 0);
    EXPECT_EQ(s.app.queryCommand(fw::ids::kIndicatorCaps).text.value_or(""), "Num 15");
    // The run has ended: nothing more to continue.
    EXPECT_FALSE(s.continueEnabled());
}

TEST(EphemerisWindow, ContinueIsRefusedWhenTheLibraryNoLongerHoldsTheRun) {
    struct Case {
        const char* what;
        std::function<void(Started&)> between;
        const char* message;
    };
    const Case cases[] = {
        {"another task ran", [](Started& s) { noteLibraryTaskRun(s.ctx()); },
         "The computing library has run another task since this ephemeris was stopped;\nit cannot be continued. "
         "Run the ephemeris again."},
        {"a new ephemeris opened",
         [](Started& s) {
             s.openAfterRun(2, 1, 10);
             // Back to the first window.
             s.app.frame()->mdiArea()->setActiveSubWindow(s.app.frame()->childFrames().front());
         },
         "The computing library has run another task since this ephemeris was stopped;\nit cannot be continued. "
         "Run the ephemeris again."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Started s;
        CEphView* v = s.openAfterRun(10, 1, 37);
        ASSERT_NE(v, nullptr);
        c.between(s);
        ASSERT_EQ(s.view(), v);
        EXPECT_FALSE(s.continueEnabled());
        v->OnContinue();
        EXPECT_TRUE(s.pkg.lib.calls.empty());
        ASSERT_FALSE(s.boxes.shown.empty());
        EXPECT_EQ(s.boxes.shown.back().text, c.message);
        EXPECT_EQ(v->model().rowCount(), 10);
    }
    // While another run is in progress.
    Started s;
    CEphView* v = s.openAfterRun(10, 1, 37);
    ASSERT_NE(v, nullptr);
    {
        fw::BusyGuard busy;
        EXPECT_FALSE(s.continueEnabled());
        v->OnContinue();
    }
    EXPECT_TRUE(s.pkg.lib.calls.empty());
    EXPECT_EQ(s.boxes.shown.back().text, "A calculation is in progress.");
    // Afterwards the window's own run goes on.
    EXPECT_TRUE(s.continueEnabled());
}

TEST(EphemerisWindow, AStoppedContinuationCanBeContinuedAgain) {
    Started s;
    CEphView* v = s.openAfterRun(10, 1, 37);
    ASSERT_NE(v, nullptr);
    // The user stops the continuation too.
    s.pkg.lib.onRun = [&] { fw::progress().requestCancel(); };
    v->OnContinue();
    EXPECT_EQ(s.ctx().CalcInterrupted, 1);
    ASSERT_TRUE(v->run());
    EXPECT_EQ(v->run()->counters.cont, 1);
    EXPECT_TRUE(s.continueEnabled());
}

TEST(EphemerisWindow, TheWindowDoesNotCloseDuringItsContinuation) {
    Started s;
    CEphView* v = s.openAfterRun(10, 1, 37);
    ASSERT_NE(v, nullptr);
    QPointer<fw::ChildFrame> frame = s.app.frame()->activeChildFrame();
    bool closed = true;
    s.pkg.lib.onRun = [&] { closed = frame->close(); };
    v->OnContinue();
    EXPECT_FALSE(closed);
    EXPECT_FALSE(frame.isNull());
}

TEST(EphemerisWindow, TheSetUpOpensAgainAfterTheWindowHasGone) {
    Started s;
    ASSERT_NE(s.openAfterRun(3, 0, 100), nullptr);
    QPointer<fw::ChildFrame> frame = s.app.frame()->activeChildFrame();
    ASSERT_TRUE(frame->close());
    // Not from inside the closing.
    EXPECT_EQ(s.reopened, 0);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    EXPECT_TRUE(frame.isNull());
    EXPECT_EQ(s.reopened, 1);
    EXPECT_TRUE(s.windowGoneWhenReopened);
    EXPECT_EQ(s.app.frame()->statusPanes().count(), 1);

    // Once the ephemeris task is left, closing reopens nothing.
    ASSERT_NE(s.openAfterRun(3, 0, 100), nullptr);
    s.ctx().EphemerisMode = false;
    s.app.frame()->activeChildFrame()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
    EXPECT_EQ(s.reopened, 1);
}

TEST(EphemerisWindow, ThePanesShowTheActiveListsCurAndNumWhileOneIsActive) {
    Started s;
    MainFrame& mf = *s.app.frame();
    const std::vector<int> setA{fw::ids::kSeparator, fw::ids::kIndicatorRec, fw::ids::kIndicatorCaps};
    ASSERT_TRUE(mf.setIndicators(setA));  // as Tasks|Ephemerides sets them
    ASSERT_NE(s.openAfterRun(10, 0, 100), nullptr);
    fw::ChildFrame* first = mf.activeChildFrame();
    ASSERT_TRUE(mf.setIndicators(setA));
    ASSERT_NE(s.openAfterRun(4, 0, 100), nullptr);
    fw::ChildFrame* second = mf.activeChildFrame();
    s.view()->selectRow(2);
    const auto panes = [&] {
        s.app.runIdle();
        return mf.paneText(fw::ids::kIndicatorRec).toStdString() + " " +
               mf.paneText(fw::ids::kIndicatorCaps).toStdString();
    };
    EXPECT_EQ(panes(), "Cur 3 Num 4");
    // The set-up dialog opened again and cancelled: the panes stay with the
    // active list.
    mf.ResetStatusPanes();
    EXPECT_EQ(mf.statusPanes().ids(), setA);
    EXPECT_EQ(panes(), "Cur 3 Num 4");
    // Another list made active, even after the panes were reset: its own.
    ASSERT_TRUE(mf.setIndicators({fw::ids::kSeparator}));
    mf.mdiArea()->setActiveSubWindow(first);
    EXPECT_EQ(mf.statusPanes().ids(), setA);
    EXPECT_EQ(panes(), "Cur 1 Num 10");
    // The active window closed: the panes of the window that is active after
    // it.
    mf.mdiArea()->setActiveSubWindow(second);
    second->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(mf.statusPanes().ids(), setA);
    EXPECT_EQ(panes(), "Cur 1 Num 10");
    // The last window closed: the single separator pane.
    first->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(mf.statusPanes().ids(), std::vector<int>{fw::ids::kSeparator});
}

TEST(EphemerisWindow, PrintsThePagesOfItsLines) {
    Started s;
    CEphView* v = s.openAfterRun(100, 0, 100);
    ASSERT_NE(v, nullptr);
    QPrinter printer(QPrinter::ScreenResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(s.path("print.pdf").string()));
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    EXPECT_EQ(v->printTo(printer), 3);
    printer.setPageOrientation(QPageLayout::Landscape);
    EXPECT_EQ(v->printTo(printer), 4);
    EXPECT_GT(fs::file_size(s.path("print.pdf")), 0u);
}

}  // namespace
