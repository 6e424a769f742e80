// The O-C task from end to end on the small data package, through the real
// computing library: observation lines of the catalogued objects 3, 7 and 10
// seen from Greenwich, made from an independent ephemeris
// (tests/data/make_oc_lines.py), opened with Tasks|O - C, computed by
// Calculate O-C once straight through and once stopped at its first progress
// report and continued in its result window; both windows hold the same
// residuals, and a separation of them opens over the run.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMdiArea>
#include <cmath>
#include <filesystem>
#include <fstream>

#include "framework/childframe.h"
#include "framework/ids.h"
#include "framework/progress.h"
#include "task_support.h"
#include "zelvo/app/commands.h"
#include "zelvo/app/progressdlg.h"
#include "zelvo/observations/ocwindows.h"
#include "zelvo/shell/app.h"
#include "zelvomat/small_package.h"

namespace {

namespace fs = std::filesystem;
using namespace zelvo;
using namespace zeltest;

std::vector<std::string> fixture_lines() {
    std::ifstream in(std::string(ZELVO_SOURCE_DIR) + "/tests/data/oc_lines_greenwich.txt");
    std::vector<std::string> lines;
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    return lines;
}

COCResView* active_result(TaskApp& app) {
    fw::ChildFrame* f = app.frame()->activeChildFrame();
    return f != nullptr ? dynamic_cast<COCResView*>(f->view()) : nullptr;
}

std::vector<std::string> lines_of(COCResView* v) { return dynamic_cast<fw::LineDocument*>(v->document())->lines; }

TEST(OcEndToEnd, StoppedAndContinuedEqualsOneRunAndSeparates) {
    const std::string pkg = zeltest::small_package_dir();
    // The test program depends on the package tools: a package that cannot be
    // built is a failure, not a skip.
    ASSERT_FALSE(pkg.empty()) << "the small data package cannot be built (see package-small/build.log)";
    const std::vector<std::string> lines = fixture_lines();
    ASSERT_EQ(lines.size(), 36u);
    zeltest::ScopedWorkDir work;
    for (const char* f : {"setpar", "setpath"})
        fs::copy_file(fs::path(pkg) / "work" / f, work.path() / f, fs::copy_options::overwrite_existing);
    fw::ScriptedMessageService boxes;
    fw::ScopedMessageService useBoxes{boxes};
    fw::ScriptedFileDialogService files;
    fw::ScopedFileDialogService useFiles{files};
    ScriptedDialogs dialogs;
    ZelvomatLibrary lib;
    TaskApp app(lib, work.dir_slash() + "bin/");
    app.setDialogs(&dialogs);
    ASSERT_TRUE(app.initInstance());
    {
        std::ofstream out(work.path() / "greenwich.oc", std::ios::binary);
        for (const std::string& l : lines) out << l << "\r\n";
    }
    boxes.answers.push_back(fw::Answer::Yes);  // create OC1.cfg
    files.answers.push_back(work.dir_slash() + "greenwich.oc");
    app.OnTasksOc();
    fw::ChildFrame* input = app.frame()->activeChildFrame();
    ASSERT_NE(input, nullptr);
    // Calculation accuracy: integration with every perturbing body.
    OcAccuracySettings acc;
    acc.model = acc.runModel = 2;
    acc.perturbers.fill(1);
    dialogs.accuracyAnswer = acc;
    ASSERT_TRUE(app.routeCommand(cmd::kOcAccuracy));
    EXPECT_NE(app.context().HeaderText.find(" Accuracy: Integration M V E+M M J S U N P c p v"), std::string::npos);

    // Straight through.
    app.OnOcCalculate();
    COCResView* whole = active_result(app);
    ASSERT_NE(whole, nullptr) << (boxes.shown.empty() ? "" : boxes.shown.back().text);
    const std::vector<std::string> expected = lines_of(whole);
    ASSERT_EQ(expected.size(), 36u);
    EXPECT_FALSE(whole->interrupted());
    EXPECT_FALSE(app.queryCommand(cmd::kOcContinue).enabled);
    // The residuals against the independent ephemeris: a few hundredths of
    // an arc second (the lines give 0.01 s and 0.1"); 0.3" catches a wrong
    // frame, date, light time or observer.
    for (const std::string& r : expected) {
        SCOPED_TRACE(r);
        ASSERT_EQ(r.size(), 70u);
        EXPECT_LT(std::abs(std::stod(r.substr(31, 13))), 0.3);
        EXPECT_LT(std::abs(std::stod(r.substr(44, 13))), 0.3);
        EXPECT_EQ(r[30], ' ');  // full accuracy
        EXPECT_EQ(r.substr(65, 3), "000");
    }

    // Stopped at the first report (after 10 lines), then continued.
    app.frame()->mdiArea()->setActiveSubWindow(input);
    int pumps = 0;
    fw::set_pump_hook([&] {
        if (++pumps == 1) app.progressDialog()->onCancel();
    });
    app.OnOcCalculate();
    fw::set_pump_hook({});
    COCResView* part = active_result(app);
    ASSERT_NE(part, nullptr);
    ASSERT_NE(part, whole);
    EXPECT_EQ(lines_of(part).size(), 10u);
    EXPECT_TRUE(part->interrupted());
    EXPECT_TRUE(app.queryCommand(cmd::kOcContinue).enabled);
    // Each window has its own level of the row counts.
    EXPECT_NE(part->rowCountLevel(), whole->rowCountLevel());
    app.frame()->updateCommandUI();
    EXPECT_EQ(app.frame()->paneText(fw::ids::kIndicatorCaps), QStringLiteral("Num 10"));
    const int libraryRuns = app.context().LibraryTaskSerial;
    ASSERT_TRUE(app.routeCommand(cmd::kOcContinue));
    EXPECT_EQ(lines_of(part), expected);
    // The continuation changed the library's state: a stopped ephemeris can
    // no longer be continued from it.
    EXPECT_GT(app.context().LibraryTaskSerial, libraryRuns);
    EXPECT_FALSE(part->interrupted());
    app.frame()->updateCommandUI();
    EXPECT_EQ(app.frame()->paneText(fw::ids::kIndicatorCaps), QStringLiteral("Num 36"));
    // The first window's run is no longer the library's: it cannot continue,
    // and Separate from it puts its own records back first.
    EXPECT_FALSE(whole->continueAllowed(false));

    // Separate the residuals of Greenwich: all of them, in a window of its
    // own over the run's.
    SeparationChoice c;
    c.separation = 1;
    c.oneObservatory = 1;
    c.code = "000";
    dialogs.sepAnswer = c;
    dialogs.sepObservatory = 0;
    app.OnOcSeparate();
    COCResView* sel = active_result(app);
    ASSERT_NE(sel, nullptr);
    EXPECT_FALSE(sel->fromRun());
    EXPECT_EQ(lines_of(sel), expected);
    EXPECT_EQ(sel->title(), "  Observatory number 000");
    // The separation did not write over the run's work file.
    std::ifstream oc4(work.path() / "result.oc4", std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(oc4)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes.size(), 36u * 70u);
    EXPECT_FALSE(app.queryCommand(cmd::kOcContinue).enabled);
    // Separate selects from a run: not offered in the selection's window,
    // offered in the run's while the selection window stays open.
    EXPECT_FALSE(app.queryCommand(cmd::kOcSeparate).enabled);
    for (fw::ChildFrame* f : app.frame()->childFrames())
        if (f->view() == part) app.frame()->mdiArea()->setActiveSubWindow(f);
    ASSERT_EQ(active_result(app), part);
    EXPECT_TRUE(app.queryCommand(cmd::kOcSeparate).enabled);
    app.frame()->closeAllDocuments();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(app.context().TaskCode, 7);
    EXPECT_EQ(app.context().RowCountDepth, 0);
}

}  // namespace
