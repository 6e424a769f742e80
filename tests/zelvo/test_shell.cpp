// The main window: templates, status panes, child frames with their caption
// bars, idle time and the shutdown.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QImage>
#include <QMenuBar>
#include <QToolBar>
#include <filesystem>

#include "framework/childframe.h"
#include "framework/ids.h"
#include "framework/linelist.h"
#include "framework/messages.h"
#include "io/files.h"
#include "shell_support.h"
#include "zelvo/app/childframes.h"
#include "zelvo/app/commands.h"
#include "zelvo/app/icons.h"
#include "zelvo/app/tables.h"
#include "zelvo/graphics/elplotwindows.h"
#include "zelvo/graphics/elwindows.h"
#include "zelvo/graphics/orbitview.h"
#include "zelvo/graphics/trackview.h"
#include "zelvo/shell/app.h"

namespace {

namespace fs = std::filesystem;
using namespace zelvo;
using fw::ids::kSeparator;

QString cap(int rec, int line) {
    return fw::from_cp1252(ColumnCaptionTable[static_cast<std::size_t>(rec)][static_cast<std::size_t>(line)]);
}

// A started program in a prepared working directory.
struct Started {
    zeltest::Package pkg;
    fw::ScriptedMessageService boxes;
    fw::ScopedMessageService use{boxes};
    TaskApp app{pkg.lib, pkg.work.dir_slash() + "bin/"};
    Started() { EXPECT_TRUE(app.initInstance()); }
    ~Started() { fw::setMessageTitle("ZELVO-21"); }
    fw::ChildFrame* open(const char* docName, const std::string& file) {
        fw::DocTemplate* t = app.findTemplate(docName);
        if (t == nullptr) return nullptr;
        if (!file.empty()) zeltest::write_text(file, "line 1\r\nline 2\r\n");
        if (app.openDocumentFile(*t, file.empty() ? file : pkg.work.dir_slash() + file) == nullptr) return nullptr;
        return app.frame()->activeChildFrame();
    }
};

TEST(Templates, FifteenInOrderFoundByDocumentName) {
    Started s;
    const auto& t = s.app.templates();
    ASSERT_EQ(t.size(), 15u);
    const char* names[] = {"Observ1", "Eph",   "UltPla", "PlaLi",  "PlaLT",    "Pict",      "Orb",         "Trace",
                           "OC",      "OCRes", "Indent", "IndRes", "Elements", "Histogram", "Distribution"};
    const int ids[] = {129, 147, 146, 145, 110, 148, 151, 158, 167, 165, 168, 164, 104, 112, 115};
    for (std::size_t i = 0; i < 15; ++i) {
        SCOPED_TRACE(names[i]);
        EXPECT_EQ(t[i]->docName(), names[i]);
        EXPECT_EQ(t[i]->resourceId(), ids[i]);
        EXPECT_EQ(s.app.findTemplate(names[i]), t[i].get());
        EXPECT_TRUE(t[i]->docString().windowTitle.empty());
    }
    EXPECT_EQ(t[8]->docString().fileTypeName, "O-C Document");
    EXPECT_EQ(t[2]->docString().fileTypeName, "Plate Document");
    EXPECT_EQ(t[1]->docString().fileTypeName, "Eph Document");
    EXPECT_EQ(t[11]->docString().filterName, "Identification result files(*.id*)");
    EXPECT_TRUE(t[3]->docString().filterName.empty());
}

TEST(MainWindow, MenuTitleAndStatusPanes) {
    Started s;
    MainFrame& mf = *s.app.frame();
    EXPECT_EQ(mf.windowTitle(), QStringLiteral("ZELVO-21"));
    EXPECT_EQ(mf.statusPanes().ids(), std::vector<int>{kSeparator});
    EXPECT_TRUE(mf.toolBar()->isHidden());
    for (int id : {cmd::kTasksElements, cmd::kTasksEphemerides, cmd::kTasksOc, cmd::kTasksIdentifications,
                   cmd::kTasksPlates, cmd::kTasksTracks, cmd::kTasksOrbits, cmd::kTasksObservatories, cmd::kHelpHelp,
                   cmd::kHelpUserGuide, fw::ids::kAppAbout}) {
        SCOPED_TRACE(id);
        ASSERT_NE(mf.action(id), nullptr);
        EXPECT_TRUE(s.app.queryCommand(id).enabled);
    }
    // The three pane sets of the task commands, and their widths.
    const std::vector<int> setA{kSeparator, 59142, 59138}, setB{kSeparator, 59141, 59142, 59138},
        setC{kSeparator, 59139, 59137, 59142, 59138};
    for (const auto* set : {&setA, &setB, &setC}) {
        ASSERT_TRUE(mf.setIndicators(*set));
        EXPECT_EQ(mf.statusPanes().ids(), *set);
    }
    EXPECT_EQ(mf.statusPanes().widthChars(59137), 35);
    EXPECT_EQ(mf.statusPanes().widthChars(59139), 35);
    EXPECT_EQ(mf.statusPanes().widthChars(59138), 22);
    EXPECT_EQ(mf.statusPanes().widthChars(59142), 22);
    EXPECT_EQ(mf.statusPanes().widthChars(59141), 122);
    // The Status Bar command puts the single separator back.
    EXPECT_TRUE(s.app.routeCommand(fw::ids::kViewStatusBar));
    EXPECT_EQ(mf.statusPanes().ids(), std::vector<int>{kSeparator});
}

TEST(ChildFrames, CaptionBarsByFrameClassAndTaskCode) {
    struct Case {
        const char* what;
        FrameClass cls;
        int task;
        int obsType;
        std::vector<int> bars;                          // in creation order
        std::vector<std::pair<int, QString>> controls;  // control id, text
    } cases[] = {
        {"plain frame", FrameClass::CChildFrame, 17, 0, {}, {}},
        {"ephemeris, equator", FrameClass::CChildFrm7, 0, 0, {117, 173}, {{1074, cap(0, 0)}}},
        {"ephemeris, horizon", FrameClass::CChildFrm7, 2, 0, {117, 174}, {{1074, cap(2, 0)}}},
        {"ephemeris, positions equator",
         FrameClass::CChildFrm7,
         3,
         0,
         {117, 175},
         {{1076, cap(3, 0)}, {1062, cap(3, 1)}}},
        {"ephemeris, rectangular", FrameClass::CChildFrm7, 6, 0, {117, 176}, {{1076, cap(6, 0)}}},
        {"ephemeris, velocities", FrameClass::CChildFrm7, 8, 0, {117, 177}, {{1076, cap(8, 0)}, {1062, cap(8, 1)}}},
        {"ephemeris, rectangular velocities",
         FrameClass::CChildFrm7,
         9,
         0,
         {117, 178},
         {{1076, cap(9, 0)}, {1062, cap(9, 1)}}},
        {"ephemeris, unknown kind", FrameClass::CChildFrm7, 12, 0, {117}, {}},
        {"O-C results", FrameClass::CChildFrm2, 11, 0, {117, 153}, {{1074, cap(11, 0)}, {1059, cap(11, 1)}}},
        {"plate object list", FrameClass::CChildFrm3, 16, 0, {117, 170}, {{1074, cap(16, 0)}, {1059, cap(16, 1)}}},
        {"identification input", FrameClass::CChildFrm4, 13, 0, {171}, {{1074, cap(13, 0)}, {1059, cap(13, 1)}}},
        {"identification result", FrameClass::CChildFrm5, 14, 0, {152}, {{1074, cap(14, 0)}, {1059, cap(14, 1)}}},
        {"plate list",
         FrameClass::CChildFrm6,
         15,
         0,
         {172},
         {{1076, cap(15, 0)}, {1062, cap(15, 1)}, {1064, cap(15, 2)}}},
        {"O-C input, horizon", FrameClass::CChildOC, 7, 231, {171, 117}, {{1074, cap(19, 0)}, {1059, cap(19, 1)}}},
        {"O-C input, equator", FrameClass::CChildOC, 7, 111, {171, 117}, {{1074, cap(17, 0)}, {1059, cap(17, 1)}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto bars = captionBars(c.cls, c.task, c.obsType, "head 1\r\nhead 2");
        std::vector<int> ids;
        for (const auto& b : bars) {
            ids.push_back(b.id);
            EXPECT_EQ(b.disabled, c.cls != FrameClass::CChildOC);
            EXPECT_EQ(b.dock, b.id == 117 ? fw::Dock::Bottom : fw::Dock::Top);
        }
        EXPECT_EQ(ids, c.bars);
        std::vector<std::pair<int, QString>> got;
        for (const auto& b : bars)
            if (b.id != 117)
                for (const auto& ctl : b.controls) got.emplace_back(ctl.id, fw::from_cp1252(ctl.text));
        EXPECT_EQ(got, c.controls);
    }
}

// The menu bar of every graphic and element window: its File first, Tasks
// with all the tasks, its own menus, Window (which ends with the list of
// the open windows) and Help.
TEST(MainWindow, EveryChildWindowsMenuCarriesTasksAndWindow) {
    Started s;
    MainFrame& mf = *s.app.frame();
    // A window open, so the Window menu has a list to show.
    ASSERT_NE(s.open("UltPla", "plate.txt"), nullptr);
    struct Case {
        int id;
        const char* name;
        std::vector<std::string> titles;
    };
    const Case cases[] = {
        {cmd::kOrbitMenu, "orbit", {"&File", "Tasks", "&Orbit", "&View", "&Window", "&Help"}},
        {cmd::kTraceMenu, "track", {"&File", "Tasks", "&Tracks", "&Window", "&Help"}},
        {cmd::kHistogramMenu, "histogram", {"&File", "Tasks", "&Options", "&Window", "&Help"}},
        {cmd::kDistributionMenu, "distribution", {"&File", "Tasks", "&Options", "&Window", "&Help"}},
        {cmd::kElementsMenu, "element list", {"&File", "Tasks", "Elements", "&Window", "&Help"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(mf.setMenuResource(c.id));
        std::vector<std::string> titles;
        for (QAction* a : mf.menuBar()->actions()) titles.push_back(a->text().toStdString());
        EXPECT_EQ(titles, c.titles);
        for (int task : {cmd::kTasksElements, cmd::kTasksEphemerides, cmd::kTasksOc, cmd::kTasksIdentifications,
                         cmd::kTasksPlates, cmd::kTasksTracks, cmd::kTasksOrbits, cmd::kTasksObservatories}) {
            ASSERT_NE(mf.action(task), nullptr) << task;
        }
        ASSERT_NE(mf.windowMenu(), nullptr);
        const std::vector<fw::WindowMenuEntry> windows = mf.windowMenuEntries();
        ASSERT_EQ(windows.size(), 1u);
        EXPECT_NE(windows[0].text.find("plate.txt"), std::string::npos) << windows[0].text;
    }
}

TEST(ChildFrames, WindowsShowTheCaptionsAndHeaderOfTheirCreation) {
    Started s;
    AppContext& ctx = s.app.context();
    ctx.TaskCode = 3;
    ctx.HeaderText = "Ephemeris of (1) Ceres\r\nEquator and equinox J2000.0";
    ctx.EphFormatKey = 12;
    // Ephemeris lines are 82-byte records: 80 characters and two zero bytes.
    std::string records;
    for (const char* l : {"line 1", "line 2"}) {
        std::string r = l;
        r.resize(80, ' ');
        records += r + std::string(2, '\0');
    }
    zeltest::write_text(s.pkg.work.dir_slash() + "result.ep4", records);
    ASSERT_NE(s.app.openDocumentFile(*s.app.findTemplate("Eph"), s.pkg.work.dir_slash() + "result.ep4"), nullptr);
    fw::ChildFrame* f = s.app.frame()->activeChildFrame();
    ASSERT_NE(f, nullptr);
    // A later task changes nothing in the open window.
    ctx.TaskCode = 0;
    ctx.HeaderText = "other";
    EXPECT_EQ(f->controlText(1076), cap(3, 0));
    EXPECT_EQ(f->controlText(1062), cap(3, 1));
    EXPECT_EQ(f->controlText(1311), QStringLiteral("Ephemeris of (1) Ceres\nEquator and equinox J2000.0"));
    EXPECT_NE(f->barWidget(175), nullptr);
    EXPECT_EQ(s.app.frame()->windowTitle(), QStringLiteral("ZELVO-21 - [result.ep4]"));

    // The document's lines are what the list shows.
    auto* list = dynamic_cast<fw::LineListView*>(f->view());
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->model().rowCount(), 2);
    EXPECT_EQ(list->model().lineText(1).trimmed(), QStringLiteral("line 2"));
}

TEST(ChildFrames, EveryWindowCarriesTheProgramsOwnIcons) {
    Started s;
    const auto image = [](const QIcon& icon) { return icon.pixmap(32, 32).toImage(); };
    const QImage program = image(program_icon()), document = image(documentIcon());
    ASSERT_FALSE(program.isNull());
    ASSERT_FALSE(document.isNull());
    EXPECT_NE(program, document);
    // The main window, and with it every dialog and message box.
    EXPECT_EQ(image(QApplication::windowIcon()), program);
    EXPECT_EQ(image(s.app.frame()->windowIcon()), program);
    // The task windows, whatever their frame class.
    for (const char* docName : {"UltPla", "Observ1", "OC", "Trace"}) {
        SCOPED_TRACE(docName);
        fw::ChildFrame* f = s.open(docName, std::string(docName) + ".txt");
        ASSERT_NE(f, nullptr);
        EXPECT_EQ(image(f->windowIcon()), document);
    }
}

TEST(ChildFrames, ClosingAChangedObservatoryListRebuildsTheRecordListWhateverTaskCodeIsNow) {
    Started s;
    s.pkg.lib.calls.clear();
    // A track window while TaskCode is 17: no rebuild.
    s.app.context().TaskCode = 17;
    s.open("Trace", "")->close();
    // An observatory list window left unchanged: no rebuild.
    s.open("Observ1", "observa1.dat")->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    // Only the track window's own opening and closing of the library's files.
    EXPECT_EQ(s.pkg.lib.calls, (std::vector<std::string>{"Inpo", "Closlae"}));
    s.pkg.lib.calls.clear();
    // A changed list, closed after another task set TaskCode: rebuilt once.
    fw::ChildFrame* f = s.open("Observ1", "observa1.dat");
    ASSERT_NE(f, nullptr);
    f->document()->setModified();
    f->document()->setModified(false);  // saved: it was still changed
    s.app.context().TaskCode = 7;
    s.open("Indent", "list.idn");
    f->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(s.pkg.lib.calls, std::vector<std::string>{"obswri"});
}

TEST(MainWindow, IdleTimePutsTheMainToolbarBack) {
    Started s;
    MainFrame& mf = *s.app.frame();
    mf.toolBar()->show();
    s.app.context().CurrentToolbarId = 151;
    fw::ChildFrame* f = s.open("Orb", "");
    ASSERT_NE(f, nullptr);
    s.app.runIdle();  // a document window is active: nothing changes
    EXPECT_EQ(s.app.context().CurrentToolbarId, 151);
    f->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    s.app.runIdle();
    EXPECT_EQ(s.app.context().CurrentToolbarId, 128);
    EXPECT_TRUE(mf.toolBar()->isHidden());
    EXPECT_EQ(mf.toolBarResource(), 128);
}

TEST(Shutdown, WorkFilesAreDeletedAndTaskSettingsKept) {
    Started s;
    const std::string work = s.pkg.work.dir_slash();
    for (std::string_view name : zelvomat::files::kTaskWorkFiles) zeltest::write_text(work + std::string(name), "x");
    for (const char* keep : {"eph.cfg", "omc.cfg", "OC1.cfg", "setpar"}) zeltest::write_text(work + keep, "x");
    AppContext& ctx = s.app.context();
    ctx.LineClipboard = {"a line"};
    ctx.EphemerisMode = true;
    ctx.ReopenElementsTask = true;
    ASSERT_NE(s.open("Eph", "result.ep4"), nullptr);
    EXPECT_TRUE(s.app.frame()->close());
    EXPECT_TRUE(s.app.frame()->childFrames().empty() || s.app.frame()->activeChildFrame() == nullptr);
    for (std::string_view name : zelvomat::files::kTaskWorkFiles) {
        SCOPED_TRACE(std::string(name));
        EXPECT_FALSE(fs::exists(work + std::string(name)));
    }
    for (const char* keep : {"eph.cfg", "omc.cfg", "OC1.cfg", "setpar"}) EXPECT_TRUE(fs::exists(work + keep)) << keep;
    EXPECT_TRUE(ctx.LineClipboard.empty());
    EXPECT_FALSE(ctx.EphemerisMode);
    EXPECT_FALSE(ctx.ReopenElementsTask);
    EXPECT_EQ(std::size(zelvomat::files::kTaskWorkFiles), 19u);
}

}  // namespace
