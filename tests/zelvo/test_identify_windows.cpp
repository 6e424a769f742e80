// The identification and observatory windows in the program, offscreen: the
// result window with its own run and tolerances (panes, export, printed
// page, closing), the observatory list and its selection each with its own
// mode whatever other windows do in between, the *.obs export, the rebuild
// of the record list when an edited list closes; and the identification
// from end to end through the real library on the small package.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <set>

#include "framework/childframe.h"
#include "framework/ids.h"
#include "framework/progress.h"
#include "task_support.h"
#include "zelvo/app/commands.h"
#include "zelvo/app/progressdlg.h"
#include "zelvo/observations/idwindows.h"
#include "zelvo/shell/app.h"
#include "zelvomat/small_package.h"

namespace {

namespace fs = std::filesystem;
using namespace zelvo;
using namespace zeltest;
using fw::Answer;
using namespace fw::ids;

template <class V>
V* active_view(TaskApp& app) {
    fw::ChildFrame* f = app.frame()->activeChildFrame();
    return f != nullptr ? dynamic_cast<V*>(f->view()) : nullptr;
}

void activate(TaskApp& app, fw::View* v) {
    for (fw::ChildFrame* f : app.frame()->childFrames())
        if (f->view() == v) app.frame()->mdiArea()->setActiveSubWindow(f);
}

void close_view(TaskApp& app, fw::View* v) {
    for (fw::ChildFrame* f : app.frame()->childFrames())
        if (f->view() == v) {
            EXPECT_TRUE(f->close());
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            return;
        }
    ADD_FAILURE() << "no such window";
}

QString pane(TaskApp& app, int id) {
    app.frame()->updateCommandUI();
    return app.frame()->paneText(id);
}

std::string id_record(const std::string& text) {
    std::string r = text;
    r.resize(80, ' ');
    return r + "  ";
}

std::string head_records(int n, const char* prefix) {
    std::string out;
    for (int i = 1; i <= n; ++i) {
        std::string r = std::string(prefix) + std::to_string(i);
        r.resize(80, ' ');
        out += r + std::string(2, '\0');
    }
    return out;
}

TEST(IdentificationResult, KeepsItsRunTolerancesAndExports) {
    Started s;
    s.openIdent({obs_line("a"), obs_line("b"), obs_line("c")});
    auto* input = active_view<CIndentView>(s.app);
    ASSERT_NE(input, nullptr);
    EXPECT_EQ(input->mode(), IndentMode::Identification);
    // The run writes two result lines.
    const std::string records = id_record("     3 Juno        first") + id_record("     7 Iris        second");
    s.pkg.lib.onRun = [&] { zeltest::write_text(s.path("result.id4"), records); };
    s.dialogs.toleranceAnswer = std::make_pair("  20.0", "  10.5");
    s.app.OnIdentificationIdentify();
    auto* first = active_view<CIndentResultView>(s.app);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->rowCount(), 2);
    EXPECT_EQ(pane(s.app, kIndicatorCaps), QStringLiteral("Num 2"));
    EXPECT_EQ(pane(s.app, kIndicatorNum), QStringLiteral("R.A.<20.0"));
    EXPECT_EQ(pane(s.app, kIndicatorExt), QStringLiteral("Decl.<10.5"));
    EXPECT_EQ(s.pkg.lib.tolRA, 20.0);
    EXPECT_EQ(s.pkg.lib.tolDecl, 10.5);
    EXPECT_FALSE(s.app.queryCommand(cmd::kIdContinue).enabled);

    // Export: the title, the head of "ide.hat", the lines in full (82
    // characters).
    zeltest::write_text(s.path("ide.hat"), head_records(7, "head "));
    s.files.answers.push_back(s.path("night.idr"));
    ASSERT_TRUE(s.app.routeCommand(kFileSaveAs));
    std::string expected = "              IDENTIFICATION LIST\r\n";
    for (int i = 1; i <= 7; ++i) {
        std::string h = "head " + std::to_string(i);
        h.resize(80, ' ');
        expected += h + "\r\n";
    }
    expected += records.substr(0, 82) + "\r\n" + records.substr(82) + "\r\n";
    EXPECT_EQ(read_file(s.pkg.work.path() / "night.idr"), expected);
    // Without the head: the message and no head.
    fs::remove(s.pkg.work.path() / "ide.hat");
    s.files.answers.push_back(s.path("bare.idr"));
    ASSERT_TRUE(s.app.routeCommand(kFileSaveAs));
    EXPECT_EQ(s.texts().back(), "Warning: head file not found");
    EXPECT_EQ(read_file(s.pkg.work.path() / "bare.idr"),
              "              IDENTIFICATION LIST\r\n" + records.substr(0, 82) + "\r\n" + records.substr(82) + "\r\n");

    // A second run with other tolerances, stopped after its first line: the
    // first window keeps its own tolerances and count.
    activate(s.app, input);
    s.dialogs.toleranceAnswer = std::make_pair("5", "0.0");
    s.pkg.lib.onRun = [&] { zeltest::write_text(s.path("result.id4"), records.substr(0, 82)); };
    int pumps = 0;
    fw::set_pump_hook([&] {
        if (++pumps == 1) s.app.progressDialog()->onCancel();
    });
    s.app.OnIdentificationIdentify();
    fw::set_pump_hook({});
    auto* second = active_view<CIndentResultView>(s.app);
    ASSERT_NE(second, nullptr);
    ASSERT_NE(second, first);
    EXPECT_TRUE(second->interrupted());
    EXPECT_TRUE(s.app.queryCommand(cmd::kIdContinue).enabled);
    EXPECT_EQ(pane(s.app, kIndicatorNum), QStringLiteral("R.A.<5.0"));
    EXPECT_EQ(pane(s.app, kIndicatorExt), QStringLiteral("Decl.<.0"));
    activate(s.app, first);
    EXPECT_EQ(pane(s.app, kIndicatorNum), QStringLiteral("R.A.<20.0"));
    EXPECT_EQ(pane(s.app, kIndicatorCaps), QStringLiteral("Num 2"));
    EXPECT_FALSE(s.app.queryCommand(cmd::kIdContinue).enabled);

    // Closing the older window leaves the stopped run alone: the second
    // window still continues it, with its own tolerances.
    close_view(s.app, first);
    EXPECT_EQ(s.ctx().TaskCode, 13);
    EXPECT_LT(s.ctx().IdRun.status, 0);
    activate(s.app, second);
    s.pkg.lib.runCounters.clear();
    s.pkg.lib.onRun = [&] { zeltest::write_text(s.path("result.id4"), records); };
    ASSERT_TRUE(s.app.routeCommand(cmd::kIdContinue));
    ASSERT_EQ(s.pkg.lib.runCounters.size(), 1u);
    EXPECT_LT(s.pkg.lib.runCounters[0][0], 0);  // the stopped count goes back to the library
    EXPECT_EQ(s.pkg.lib.tolRA, 5.0);
    EXPECT_EQ(s.pkg.lib.tolDecl, 0.0);
    EXPECT_FALSE(second->interrupted());
    EXPECT_EQ(second->rowCount(), 2);
    EXPECT_EQ(dynamic_cast<fw::LineDocument*>(second->document())->lines[1], records.substr(82));
    close_view(s.app, second);
    EXPECT_EQ(s.ctx().IdRun.status, 0);
}

TEST(IdentificationResult, PrintedPageLayout) {
    std::vector<std::string> lines;
    for (int i = 0; i < 50; ++i) lines.push_back(id_record("line " + std::to_string(i)));
    const std::vector<std::string> head{"h1", "h2", "h3", "h4", "h5", "h6", "h7"};
    // h = 5700 / (45 + 11) = 101, m = 4000 / 85 = 47.
    const PrintPage p = layoutIdResultPage(2, 4000, 5700, 45, head, lines);
    EXPECT_EQ(p.lineHeight, 101);
    EXPECT_EQ(p.charWidth, 47);
    ASSERT_EQ(p.items.size(), 7u + 5u + 1u);
    EXPECT_EQ(p.items[0], (PrintItem{94, 101, "h1"}));
    EXPECT_EQ(p.items[6], (PrintItem{94, 707, "h7"}));
    // The first line of page 2 (index 45) at trunc(1.1 h) + 7 h; 80
    // characters of its 82.
    EXPECT_EQ(p.items[7], (PrintItem{94, 111 + 707, lines[45].substr(0, 80)}));
    EXPECT_EQ(p.items[11].y, 4 * 101 + 111 + 707);
    EXPECT_EQ(p.items.back(), (PrintItem{2000 - 141, 5700 - 202, "2"}));
    // Without the head the lines start at trunc(1.1 h).
    const PrintPage bare = layoutIdResultPage(1, 4000, 5700, 45, std::nullopt, lines);
    EXPECT_EQ(bare.items[0], (PrintItem{94, 111, lines[0].substr(0, 80)}));
}

// ---- Observatory windows ----------------------------------------------------------------

std::string obs_records(int n) {
    std::string out;
    for (int i = 0; i < n; ++i) {
        char code[4];
        std::snprintf(code, sizeof code, "%03d", i);
        std::string r = std::string(code) + "   0.0000 0.62411 +0.77873 Site " + std::to_string(i);
        r.resize(79, ' ');
        out += r;
    }
    return out;
}

TEST(ObservatoryWindows, EachKeepsItsModeAndTheEditedListIsRebuiltOnClose) {
    Started s;
    const std::string list = obs_records(4);
    zeltest::write_text(s.pkg.dataDir + "observa1.dat", list);
    s.app.OnTasksObservatories();
    auto* whole = active_view<CIndentView>(s.app);
    ASSERT_NE(whole, nullptr);
    EXPECT_EQ(whole->mode(), IndentMode::ObservatoryList);
    EXPECT_EQ(pane(s.app, kIndicatorCaps), QStringLiteral("Num 4"));
    EXPECT_TRUE(s.app.queryCommand(32835).enabled);
    EXPECT_TRUE(s.app.queryCommand(cmd::kObservatoriesSelect).enabled);

    // A selection of one record.
    s.pkg.lib.seaFound = 1;
    std::string sel = list.substr(79, 70) + std::string(9, '\0');
    s.pkg.lib.onSelect = [&] { zeltest::write_text(s.path("result.ob4"), sel); };
    s.dialogs.obsAnswer = ObsChoice{0, "", "001"};
    s.app.OnObservatoriesSelect();
    auto* selection = active_view<CIndentView>(s.app);
    ASSERT_NE(selection, nullptr);
    ASSERT_NE(selection, whole) << (s.texts().empty() ? "" : s.texts().back());
    EXPECT_EQ(selection->mode(), IndentMode::ObservatorySelection);
    EXPECT_FALSE(s.app.queryCommand(32835).enabled);
    EXPECT_FALSE(s.app.queryCommand(cmd::kObservatoriesSelect).enabled);
    EXPECT_EQ(pane(s.app, kIndicatorOvr), QStringLiteral("Selection by number 001"));
    EXPECT_EQ(pane(s.app, kIndicatorCaps), QStringLiteral("Num 1"));

    // Export of the selection: its description, an empty line... the head
    // of obs.hd1 (three records), the record without its line end.
    zeltest::write_text(s.pkg.dataDir + "obs.hd1", head_records(3, "obs head "));
    s.files.answers.push_back(s.path("sel.obs"));
    ASSERT_TRUE(s.app.routeCommand(kFileSaveAs));
    std::string expected = "Selection by number 001\r\n";
    for (int i = 1; i <= 3; ++i) {
        std::string h = "obs head " + std::to_string(i);
        h.resize(80, ' ');
        expected += h + "\r\n";
    }
    expected += list.substr(79, 70) + "\r\n";
    EXPECT_EQ(read_file(s.pkg.work.path() / "sel.obs"), expected);

    // An identification window opened and closed in between changes
    // neither window.
    s.openIdent({obs_line("x")});
    auto* ident = active_view<CIndentView>(s.app);
    ASSERT_NE(ident, nullptr);
    EXPECT_EQ(ident->mode(), IndentMode::Identification);
    EXPECT_EQ(s.ctx().TaskCode, 13);
    close_view(s.app, ident);

    // An observatory file opened from the disk while the selection is open
    // is a list of its own, editable: the selection is Select's only.
    fw::DocTemplate* observ = s.app.findTemplate("Observ1");
    ASSERT_NE(observ, nullptr);
    zeltest::write_text(s.path("own.obs"), list);
    ASSERT_NE(s.app.openDocumentFile(*observ, s.path("own.obs")), nullptr);
    auto* own = active_view<CIndentView>(s.app);
    ASSERT_NE(own, nullptr);
    ASSERT_NE(own, selection);
    EXPECT_EQ(own->mode(), IndentMode::ObservatoryList);
    EXPECT_TRUE(own->doc() != nullptr && own->doc()->savable());
    close_view(s.app, own);

    // The whole list stays editable while the selection is open; Select
    // waits for the selection to close.
    activate(s.app, whole);
    EXPECT_TRUE(s.app.queryCommand(32835).enabled);
    EXPECT_FALSE(s.app.queryCommand(cmd::kObservatoriesSelect).enabled);
    EXPECT_EQ(pane(s.app, kIndicatorCaps), QStringLiteral("Num 4"));
    whole->selectRow(2);
    std::string edited = list.substr(2 * 79, 79);
    edited.replace(30, 6, "Edited");
    s.dialogs.editAnswers = {edited};
    ASSERT_TRUE(s.app.routeCommand(32835));
    EXPECT_EQ(whole->doc()->lines[2], edited);
    EXPECT_TRUE(whole->doc()->isModified());

    // The selection closes: Select comes back; nothing is rebuilt.
    s.pkg.lib.calls.clear();
    close_view(s.app, selection);
    activate(s.app, whole);
    EXPECT_TRUE(s.app.queryCommand(cmd::kObservatoriesSelect).enabled);
    EXPECT_EQ(std::count(s.pkg.lib.calls.begin(), s.pkg.lib.calls.end(), "obswri"), 0);

    // The edited list closes (saved): stored byte for byte, then rebuilt
    // once, whatever TaskCode says now.
    s.ctx().TaskCode = 7;
    s.boxes.answers = {Answer::Yes};
    close_view(s.app, whole);
    std::string stored = list;
    stored.replace(2 * 79, 79, edited);
    EXPECT_EQ(read_file(s.pkg.dataDir + "observa1.dat"), stored);
    EXPECT_EQ(std::count(s.pkg.lib.calls.begin(), s.pkg.lib.calls.end(), "obswri"), 1);

    // An unedited list closes without a rebuild; the export of a whole list
    // starts with an empty line.
    s.app.OnTasksObservatories();
    s.files.answers.push_back(s.path("all.obs"));
    ASSERT_TRUE(s.app.routeCommand(kFileSaveAs));
    EXPECT_EQ(read_file(s.pkg.work.path() / "all.obs").substr(0, 2), "\r\n");
    s.pkg.lib.calls.clear();
    close_view(s.app, active_view<CIndentView>(s.app));
    EXPECT_EQ(std::count(s.pkg.lib.calls.begin(), s.pkg.lib.calls.end(), "obswri"), 0);
}

TEST(IdentificationInput, SaveAsWritesTheCopyAndKeepsItsOwnFile) {
    Started s;
    s.openIdent({obs_line("a"), obs_line("b")});
    auto* v = active_view<CIndentView>(s.app);
    ASSERT_NE(v, nullptr);
    v->doc()->lines.pop_back();
    v->doc()->setModified();
    s.files.answers.push_back(s.path("copy.idn"));
    ASSERT_TRUE(s.app.routeCommand(kFileSaveAs));
    EXPECT_EQ(read_file(s.pkg.work.path() / "copy.idn"), obs_line("a") + "\r\n");
    EXPECT_FALSE(v->doc()->isModified());
    EXPECT_EQ(v->doc()->pathName(), s.path("list.idn"));
}

// ---- From end to end ----------------------------------------------------------------------

std::vector<std::string> fixture_lines() {
    std::ifstream in(std::string(ZELVO_SOURCE_DIR) + "/tests/data/id_lines_greenwich.txt");
    std::vector<std::string> lines;
    for (std::string l; std::getline(in, l);) lines.push_back(l);
    return lines;
}

TEST(IdentificationEndToEnd, NamesTheObservedObjectsThroughAStopAndContinue) {
    const std::string pkg = zeltest::small_package_dir();
    ASSERT_FALSE(pkg.empty()) << "the small data package cannot be built (see package-small/build.log)";
    const std::vector<std::string> all = fixture_lines();
    ASSERT_EQ(all.size(), 36u);
    zeltest::ScopedWorkDir work;
    for (const char* f : {"setpar", "setpath"})
        fs::copy_file(fs::path(pkg) / "work" / f, work.path() / f, fs::copy_options::overwrite_existing);
    fw::ScriptedMessageService boxes;
    fw::ScopedMessageService useBoxes{boxes};
    fw::ScriptedFileDialogService files;
    fw::ScopedFileDialogService useFiles{files};
    ScriptedDialogs dialogs;
    dialogs.toleranceAnswer = std::make_pair("  30.0", "  30.0");
    ZelvomatLibrary lib;
    TaskApp app(lib, work.dir_slash() + "bin/");
    app.setDialogs(&dialogs);
    ASSERT_TRUE(app.initInstance());
    {
        std::ofstream out(work.path() / "night.idn", std::ios::binary);
        for (const std::string& l : all) out << l << "\r\n";
    }
    files.answers.push_back(work.dir_slash() + "night.idn");
    app.OnTasksIdentifications();
    auto* input = active_view<CIndentView>(app);
    ASSERT_NE(input, nullptr);

    app.OnIdentificationIdentify();
    auto* whole = active_view<CIndentResultView>(app);
    ASSERT_NE(whole, nullptr) << (boxes.shown.empty() ? "" : boxes.shown.back().text);
    const std::vector<std::string> expected = dynamic_cast<fw::LineDocument*>(whole->document())->lines;
    // One line for each observation, naming the object observed (its
    // number stands in the designation) with residuals far inside the 30"
    // tolerances: the identification carries the orbits by two-body motion
    // from the catalogue's epoch, months away, so a few seconds of arc.
    ASSERT_EQ(expected.size(), all.size());
    const char* names[] = {"Juno", "Iris", "Hygiea"};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        const std::string& r = expected[i];
        SCOPED_TRACE(r);
        ASSERT_EQ(r.size(), 82u);
        EXPECT_EQ(r.substr(80), "  ");
        EXPECT_EQ(r.substr(0, 29), all[i].substr(0, 5) + std::string(8, ' ') + all[i].substr(15, 16));
        const int number = std::stoi(all[i].substr(0, 5));
        EXPECT_EQ(std::stoi(r.substr(32, 6)), number);
        EXPECT_NE(r.find(names[i / 12]), std::string::npos);
        EXPECT_LT(std::abs(std::stod(r.substr(57, 7))), 10.0);
        EXPECT_LT(std::abs(std::stod(r.substr(65, 7))), 10.0);
        EXPECT_EQ(r.substr(77, 3), "000");
    }
    EXPECT_FALSE(whole->interrupted());
    app.frame()->updateCommandUI();
    EXPECT_EQ(app.frame()->paneText(kIndicatorNum), QStringLiteral("R.A.<30.0"));
    EXPECT_EQ(app.frame()->paneText(kIndicatorCaps), QStringLiteral("Num 36"));

    // Stopped at its first progress report, then continued.
    activate(app, input);
    int pumps = 0;
    fw::set_pump_hook([&] {
        if (++pumps == 1) app.progressDialog()->onCancel();
    });
    app.OnIdentificationIdentify();
    fw::set_pump_hook({});
    auto* part = active_view<CIndentResultView>(app);
    ASSERT_NE(part, nullptr);
    ASSERT_NE(part, whole);
    EXPECT_TRUE(part->interrupted());
    EXPECT_LT(dynamic_cast<fw::LineDocument*>(part->document())->lines.size(), expected.size());
    EXPECT_FALSE(whole->continueAllowed(false));
    ASSERT_TRUE(app.routeCommand(cmd::kIdContinue));
    EXPECT_FALSE(part->interrupted());
    EXPECT_EQ(dynamic_cast<fw::LineDocument*>(part->document())->lines, expected);
}

}  // namespace
