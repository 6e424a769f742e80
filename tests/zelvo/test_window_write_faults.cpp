// The writes of the program's windows under the write-fault shim of the
// library's tests (zelvomat/faults.h, a full disk), each driven as the user
// drives it, offscreen, with the scripted file dialog: the documents' saves,
// the result windows' exports, the O-C settings and the work files of a run.
// A failed write leaves the old file byte for byte and nothing beside it,
// its message names the file and the reason, and nothing goes on as if it
// had been written. Also: a damaged input file of a gigabyte is refused
// before it is read.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QCoreApplication>
#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "framework/childframe.h"
#include "framework/ids.h"
#include "task_support.h"
#include "zelvo/app/commands.h"
#include "zelvo/ephemeris/ephresult.h"
#include "zelvo/observations/idwindows.h"
#include "zelvo/observations/platelist.h"
#include "zelvomat/faults.h"

namespace {

namespace fs = std::filesystem;
using namespace zelvo;
using namespace zeltest;
using namespace fw::ids;

std::string disk_full_message(const std::string& path) {
    return "Cannot write the file " + path + ".\nNo space left on device";
}

// Fixed records of `length` bytes, the text of each padded with blanks.
std::string records_of(const std::vector<std::string>& texts, std::size_t length) {
    std::string out;
    for (std::string t : texts) {
        t.resize(length, ' ');
        out += t;
    }
    return out;
}

// The names in the directory that begin with the file's name and a point:
// the new file a write makes beside the old one.
std::vector<std::string> left_beside(const fs::path& dir, const std::string& file) {
    std::vector<std::string> out;
    for (const auto& e : fs::directory_iterator(dir)) {
        const std::string n = e.path().filename().string();
        if (n.rfind(file + ".", 0) == 0) out.push_back(n);
    }
    return out;
}

template <class V>
V* active_view(TaskApp& app) {
    fw::ChildFrame* f = app.frame()->activeChildFrame();
    return f != nullptr ? dynamic_cast<V*>(f->view()) : nullptr;
}

// The O-C result window on three records of "result.oc4".
void open_oc_result(Started& s) {
    zeltest::write_text(s.path("result.oc4"), records_of({"a", "b", "c"}, 70));
    s.ctx().OcResultFromRun = 1;
    s.ctx().TaskCode = 10;
    s.ctx().OcRun = {0, 1, 3};
    s.app.openDocumentFile(*s.app.findTemplate("OCRes"), s.path("result.oc4"));
    ASSERT_NE(active_view<COCResView>(s.app), nullptr);
}

// The O-C input window on five observations.
void open_oc(Started& s) {
    std::vector<std::string> lines;
    for (int i = 1; i <= 5; ++i) lines.push_back(obs_line(std::to_string(i)));
    s.openOc(lines);
    ASSERT_NE(s.ocView(), nullptr);
}

TEST(WindowWriteFaults, EveryWriteOfTheWindowsKeepsTheOldFileAndNamesItAndTheReason) {
    // Each write path: the window it comes from (open), the file it writes
    // (a name in the working directory), and the user's command (act) that
    // writes it; the file dialog answers with that file where one is asked.
    struct Path {
        const char* what;
        const char* file;
        std::function<void(Started&)> open;
        std::function<void(Started&)> act;
        // After the failure: nothing went on as if the file had been written.
        std::function<void(Started&)> after;
    };
    const auto save_as = [](Started& s) { ASSERT_TRUE(s.app.routeCommand(kFileSaveAs)); };
    const auto no_run = [](Started& s) {
        EXPECT_EQ(std::count(s.pkg.lib.calls.begin(), s.pkg.lib.calls.end(), "O_C"), 0);
        EXPECT_NE(s.ocView(), nullptr);  // no result window
    };
    const std::vector<Path> paths = {
        {"File|Save of the O-C input", "obs.oc",
         [](Started& s) {
             open_oc(s);
             s.activeDoc()->lines.pop_back();
             s.activeDoc()->setModified();
         },
         [](Started& s) { ASSERT_TRUE(s.app.routeCommand(kFileSave)); },
         [](Started& s) {
             EXPECT_TRUE(s.activeDoc()->isModified());  // still to be saved
             EXPECT_EQ(s.activeDoc()->lines.size(), 4u);
         }},
        {"Save As of the identification input", "copy.idn",
         [](Started& s) {
             s.openIdent({obs_line("a"), obs_line("b")});
             ASSERT_NE(active_view<CIndentView>(s.app), nullptr);
         },
         save_as,
         [](Started& s) {
             // The window keeps its own file.
             EXPECT_EQ(s.activeDoc()->pathName(), s.path("list.idn"));
         }},
        {"Save As of the O-C result", "out.ocr", open_oc_result, save_as, {}},
        {"Save of the O-C result (an export too)", "out.ocr", open_oc_result,
         [](Started& s) { ASSERT_TRUE(s.app.routeCommand(kFileSave)); },
         [](Started& s) {
             EXPECT_EQ(read_file(s.path("result.oc4")), records_of({"a", "b", "c"}, 70));
         }},
        {"Save As of the identification result",
         "night.idr",
         [](Started& s) {
             s.openIdent({obs_line("a"), obs_line("b")});
             const std::string records = records_of({"     3 Juno", "     7 Iris"}, 82);
             s.pkg.lib.onRun = [&s, records] { zeltest::write_text(s.path("result.id4"), records); };
             s.app.OnIdentificationIdentify();
             ASSERT_NE(active_view<CIndentResultView>(s.app), nullptr);
         },
         save_as,
         {}},
        {"Save As of the plate object list",
         "plate.plr",
         [](Started& s) {
             zeltest::write_text(s.path("result.pl4"), std::string());
             s.app.openDocumentFile(*s.app.findTemplate("PlaLT"), s.path("result.pl4"));
             ASSERT_NE(active_view<CPlateResultView>(s.app), nullptr);
         },
         save_as,
         {}},
        {"Save As of the ephemeris result",
         "night.epr",
         [](Started& s) {
             AppContext& c = s.ctx();
             c.TaskCode = 3;
             c.EphFormatKey = 12;
             c.SelectionText = " ";
             zeltest::write_text(s.path("result.ep4"), records_of({"line 1", "line 2"}, 80));
             ASSERT_NE(OpenEphemerisResult(s.app, c, {0, 0, 100}), nullptr);
             ASSERT_NE(active_view<CEphView>(s.app), nullptr);
         },
         save_as,
         {}},
        {"\"OC1.cfg\" of the O-C data type",
         "OC1.cfg",
         open_oc,
         [](Started& s) {
             s.dialogs.typeAnswer = 223;
             ASSERT_TRUE(s.app.routeCommand(cmd::kOcDataType));
         },
         {}},
        {"\"omc.cfg\" of Calculate O-C", "omc.cfg", open_oc, [](Started& s) { s.app.OnOcCalculate(); }, no_run},
        {"\"input.oc1\" of Calculate O-C", "input.oc1", open_oc, [](Started& s) { s.app.OnOcCalculate(); }, no_run},
    };
    for (const Path& w : paths) {
        SCOPED_TRACE(w.what);
        Started s;
        w.open(s);
        if (::testing::Test::HasFatalFailure()) return;
        // The file as the user had it: more than the disk will take.
        const std::string path = s.path(w.file);
        const std::string old = "the user's own file\r\n" + std::string(500, 'u') + "\r\n";
        zeltest::write_text(path, old);
        s.files.answers.push_back(path);
        s.boxes.shown.clear();
        s.pkg.lib.calls.clear();
        {
            FullDisk full(w.file, 10);
            w.act(s);
            EXPECT_TRUE(full.hit());
        }
        EXPECT_EQ(read_file(path), old);
        EXPECT_EQ(left_beside(s.pkg.work.path(), w.file), std::vector<std::string>{});
        ASSERT_FALSE(s.boxes.shown.empty());
        EXPECT_EQ(s.boxes.shown.back().text, disk_full_message(path));
        // One message of the failure, whatever warnings came before it.
        EXPECT_EQ(std::count_if(s.boxes.shown.begin(), s.boxes.shown.end(),
                                [&](const auto& b) { return b.text.find(w.file) != std::string::npos; }),
                  1);
        if (w.after) w.after(s);

        // With room on the disk the same command writes the file, silently.
        s.files.answers.push_back(path);
        s.boxes.shown.clear();
        w.act(s);
        EXPECT_NE(read_file(path), old);
        for (const auto& b : s.boxes.shown) EXPECT_EQ(b.text.find("Cannot write"), std::string::npos) << b.text;
        fw::set_pump_hook({});
    }
}

// "OC1.cfg" that cannot be read as the O-C set-up: Tasks|O - C offers a new
// one; when the new one cannot be written the damaged file stays as it was
// (the user may still mend it) and no window opens on the observations.
TEST(WindowWriteFaults, ANewOcSetUpThatCannotBeWrittenOpensNoWindow) {
    Started s;
    const std::string damaged = "not a set-up\r\n";
    zeltest::write_text(s.path("OC1.cfg"), damaged);
    s.writeLines("obs.oc", {obs_line("1")});
    s.boxes.answers.push_back(fw::Answer::Yes);
    s.files.answers.push_back(s.path("obs.oc"));
    {
        FullDisk full("OC1.cfg", 10);
        s.app.OnTasksOc();
        EXPECT_TRUE(full.hit());
    }
    EXPECT_EQ(read_file(s.path("OC1.cfg")), damaged);
    EXPECT_EQ(left_beside(s.pkg.work.path(), "OC1.cfg"), std::vector<std::string>{});
    ASSERT_EQ(s.texts().size(), 2u);
    EXPECT_EQ(s.texts()[0], "No configuration file or it's wrong.Create new?");
    EXPECT_EQ(s.texts()[1], disk_full_message(s.path("OC1.cfg")));
    EXPECT_EQ(s.ocView(), nullptr);
    EXPECT_TRUE(s.files.answers.size() == 1u);  // the file dialog never came
}

// The peak of the memory the process has used, in bytes.
long long peak_memory() {
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return static_cast<long long>(u.ru_maxrss) * 1024;
}

// A damaged observation file of a gigabyte (sparse: it takes no disk) is
// refused by Tasks|O - C with its size, before a byte of it is read: the
// program's memory does not grow by the file.
TEST(WindowWriteFaults, AnInputFileOfAGigabyteIsRefusedBeforeItIsRead) {
    Started s;
    const fs::path big = s.pkg.work.path() / "big.oc";
    zeltest::write_text(big, obs_line("1") + "\r\n");
    fs::resize_file(big, std::uintmax_t{1} << 30);
    s.boxes.answers.push_back(fw::Answer::Yes);  // a new OC1.cfg
    s.files.answers.push_back(big.string());
    const long long before = peak_memory();
    s.app.OnTasksOc();
    EXPECT_LT(peak_memory() - before, 64LL << 20);
    ASSERT_FALSE(s.texts().empty());
    EXPECT_EQ(s.texts().back(),
              "The file " + big.string() + " is too large for a list window (1073741824 bytes; at most 268435456).");
    EXPECT_EQ(s.ocView(), nullptr);
    EXPECT_EQ(fs::file_size(big), std::uintmax_t{1} << 30);
}

}  // namespace
