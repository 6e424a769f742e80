// The observation windows as a daily user meets them: the plate list's menu
// on a new, empty plate file; the plate object list's File menu, panes and
// its one plot; the String Editor's Enter; a progress bar of many steps;
// the printed O-C head; where the Object Info dialog goes; the separation
// limits as typed.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMainWindow>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QTextEdit>
#include <QTimer>
#include <map>

#include "framework/childframe.h"
#include "framework/ids.h"
#include "framework/progress.h"
#include "task_support.h"
#include "zelvo/app/commands.h"
#include "zelvo/app/progressdlg.h"
#include "zelvo/observations/ocdialogs.h"
#include "zelvo/observations/ocwindows.h"
#include "zelvo/observations/platelist.h"
#include "zelvo/observations/plateplot.h"
#include "zelvo/shell/qttaskdialogs.h"

using namespace zelvo;
using namespace zeltest;

namespace {

// The popups of the menu bar: their titles and, for each, its item texts.
std::map<std::string, std::vector<std::string>> menu_items(QMainWindow& mf) {
    std::map<std::string, std::vector<std::string>> out;
    for (QAction* top : mf.menuBar()->actions()) {
        if (top->menu() == nullptr) continue;
        std::vector<std::string>& items = out[top->text().toStdString()];
        for (QAction* a : top->menu()->actions())
            if (!a->isSeparator()) items.push_back(a->text().toStdString());
    }
    return out;
}

// The item of a popup, as the user chooses it.
QAction* menu_action(QMainWindow& mf, const std::string& popup, const std::string& item) {
    for (QAction* top : mf.menuBar()->actions())
        if (top->menu() != nullptr && top->text().toStdString() == popup)
            for (QAction* a : top->menu()->actions())
                if (a->text().toStdString() == item) return a;
    return nullptr;
}

// A plate line: centre 03 50 35.27 +20 12 34.5, 40 minutes of time by 6
// degrees, Greenwich.
std::string plate_line(std::string_view name = "PLEIADES-1") {
    std::string l(80, ' ');
    auto put = [&l](std::size_t c, std::string_view t) { l.replace(c, t.size(), t); };
    put(0, name);
    put(15, "2025 11 20.93750");
    put(32, "03 50 35.27");
    l[44] = '+';
    put(45, "20 12 34.5");
    put(58, "040.0");
    put(66, "06.0");
    put(77, "000");
    return l;
}

}  // namespace

TEST(PlateListWindow, AnEmptyNewFileIsFilledFromItsMenuAndObjectListRuns) {
    Started s;
    s.files.answers.push_back(s.path("new.plt"));
    s.app.OnTasksPlates();
    fw::MainFrame& mf = *s.app.frame();
    ASSERT_NE(s.activeList(), nullptr);
    const auto menus = menu_items(mf);
    ASSERT_EQ(menus.count("&File"), 1u);
    EXPECT_EQ(menus.at("&File"),
              (std::vector<std::string>{"Save &As...", "&Print...\tCtrl+P", "Print Pre&view", "P&rint Setup..."}));
    ASSERT_EQ(menus.count("&Plate"), 1u);
    EXPECT_EQ(menus.at("&Plate"), (std::vector<std::string>{"&Edit", "&Add string", "&Insert string", "&Delete string",
                                                            "&Copy", "&Paste", "&Object list", "Plot &of plate"}));
    // Object list on the empty file: the message, no search.
    menu_action(mf, "&Plate", "&Object list")->trigger();
    EXPECT_EQ(s.texts().back(), "Error: empty input file! Add strings or Save your file");
    EXPECT_TRUE(s.pkg.lib.calls.empty());

    // Add string: the String Editor's line goes in (checked by cntl 1 1).
    s.dialogs.editAnswers = {plate_line()};
    mf.updateCommandUI();
    QAction* add = menu_action(mf, "&Plate", "&Add string");
    ASSERT_NE(add, nullptr);
    EXPECT_TRUE(add->isEnabled());
    add->trigger();
    ASSERT_EQ(s.activeDoc()->lines.size(), 1u);
    EXPECT_EQ(s.activeDoc()->lines[0], plate_line() + "\r\n");
    EXPECT_TRUE(s.activeDoc()->isModified());
    // Object list on the line, not yet saved, runs the search.
    s.activeList()->selectRow(0);
    s.pkg.lib.calls.clear();
    menu_action(mf, "&Plate", "&Object list")->trigger();
    EXPECT_EQ(s.pkg.lib.calls, (std::vector<std::string>{"cntl 1 1", "PltCalc"}));
    EXPECT_EQ(s.pkg.lib.plateLine, plate_line() + "\r\n");
    ASSERT_EQ(s.activeDoc()->docTemplate()->docName(), "PlaLT");

    // The object list window: its File menu, its panes, one plot at a time.
    const auto listMenus = menu_items(mf);
    ASSERT_EQ(listMenus.count("File"), 1u);
    EXPECT_EQ(listMenus.at("File"),
              (std::vector<std::string>{"Save &As...", "&Print...\tCtrl+P", "Print Preview", "P&rint Setup..."}));
    mf.updateCommandUI();
    EXPECT_EQ(mf.paneText(fw::ids::kIndicatorCaps).left(4), QStringLiteral("Num "));
    EXPECT_EQ(mf.paneText(fw::ids::kIndicatorRec), QStringLiteral("Cur 1"));
    fw::ChildFrame* listFrame = mf.activeChildFrame();
    auto* listView = dynamic_cast<CPlateResultView*>(listFrame->view());
    ASSERT_NE(listView, nullptr);
    EXPECT_TRUE(s.app.queryCommand(cmd::kResultPlatePlot).enabled);
    ASSERT_TRUE(s.app.routeCommand(cmd::kResultPlatePlot));
    fw::ChildFrame* plot = mf.activeChildFrame();
    ASSERT_NE(plot, listFrame);
    EXPECT_EQ(listView->plot(), plot);
    const std::size_t windows = mf.childFrames().size();
    mf.mdiArea()->setActiveSubWindow(listFrame);
    mf.updateCommandUI();
    EXPECT_FALSE(s.app.queryCommand(cmd::kResultPlatePlot).enabled);
    s.app.OnResultPlatePlot();  // reached all the same: the plot comes to the front
    EXPECT_EQ(mf.childFrames().size(), windows);
    EXPECT_EQ(mf.activeChildFrame(), plot);
    plot->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    mf.mdiArea()->setActiveSubWindow(listFrame);
    EXPECT_EQ(listView->plot(), nullptr);
    EXPECT_TRUE(s.app.queryCommand(cmd::kResultPlatePlot).enabled);

    // Save As of the object list: the *.plr export with its head.
    zeltest::write_text(s.path("plt.hat"), std::string(" head") + std::string(77, '\0'));
    s.files.answers.push_back(s.path("objects.plr"));
    ASSERT_TRUE(s.app.routeCommand(fw::ids::kFileSaveAs));
    const std::string plr = read_file(s.pkg.work.path() / "objects.plr");
    EXPECT_EQ(plr.substr(0, 42), "                  LIST OF OBJECTS\r\n head\r\n");
}

// A line the check refuses, in the plate list window: Retry gives the
// String Editor the refused text with the error to correct it; Cancel puts
// the old line back in the list (the refusal said before the choice), the
// document as it was; the refused text is never shown as taken.
TEST(PlateListWindow, ARefusedEditStaysInTheEditorOrTheOldLineComesBack) {
    Started s;
    s.files.answers.push_back(s.path("new.plt"));
    s.app.OnTasksPlates();
    fw::MainFrame& mf = *s.app.frame();
    s.dialogs.editAnswers = {plate_line()};
    menu_action(mf, "&Plate", "&Add string")->trigger();
    ASSERT_EQ(s.activeDoc()->lines.size(), 1u);
    s.activeDoc()->setModified(false);
    fw::LineListView* list = s.activeList();
    auto shown = [&] {
        return list->model().data(list->model().index(0, 0), Qt::DisplayRole).toString().toStdString();
    };
    const std::string before = shown();
    ASSERT_EQ(before.substr(0, 10), "PLEIADES-1");
    std::string refused = plate_line();
    refused.replace(15, 4, "1799");
    struct Case {
        const char* name;
        std::vector<fw::Answer> answers;  // to the error and "Try to correct or cancel"
        std::vector<std::string> edits;   // the String Editor's answers (none left: Cancel)
        std::string line;                 // the document's line afterwards
        bool modified;
    } cases[] = {
        {"Cancel after the refusal", {fw::Answer::Ok, fw::Answer::Cancel}, {refused}, plate_line(), false},
        {"Retry, then Cancel in the editor", {fw::Answer::Ok, fw::Answer::Retry}, {refused}, plate_line(), false},
        {"Retry, corrected", {fw::Answer::Ok, fw::Answer::Retry}, {refused, plate_line("PLEIADES-2")}, "", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        s.boxes.shown.clear();
        s.dialogs.edits.clear();
        s.pkg.lib.checks = {{2, 16, 19}, {}};
        s.boxes.answers.assign(c.answers.begin(), c.answers.end());
        s.dialogs.editAnswers.assign(c.edits.begin(), c.edits.end());
        list->selectRow(0);
        mf.updateCommandUI();
        menu_action(mf, "&Plate", "&Edit")->trigger();
        ASSERT_GE(s.texts().size(), 2u);
        EXPECT_EQ(s.texts()[0].substr(0, 18), "Data out of range ");
        EXPECT_EQ(s.texts()[1], "Try to correct or cancel");
        if (c.edits.size() == 2) {
            EXPECT_EQ(s.activeDoc()->lines[0].substr(0, 10), "PLEIADES-2");
            EXPECT_EQ(shown().substr(0, 10), "PLEIADES-2");
        } else {
            EXPECT_EQ(s.activeDoc()->lines[0], c.line + "\r\n");
            EXPECT_EQ(shown(), before);
        }
        if (c.answers.back() == fw::Answer::Retry) {
            // The refused text went back to the editor with its error.
            ASSERT_EQ(s.dialogs.edits.size(), 2u);
            EXPECT_EQ(s.dialogs.edits[1].lineText, refused);
            EXPECT_EQ(s.dialogs.edits[1].message, "After the error: Data out of range");
        }
        EXPECT_EQ(s.activeDoc()->isModified(), c.modified);
    }
}

TEST(StringEditor, EnterSavesTheLine) {
    QtTaskDialogs dialogs;
    StringEditRequest r;
    r.lineText = std::string(80, ' ');
    r.lineNumber = 1;
    QTimer::singleShot(0, [] {
        QWidget* dlg = QApplication::activeModalWidget();
        ASSERT_NE(dlg, nullptr);
        auto* line = dlg->findChild<QTextEdit*>(QStringLiteral("ctl1014"));
        ASSERT_NE(line, nullptr);
        line->moveCursor(QTextCursor::Start);
        for (QChar c : QStringLiteral("Ceres")) {
            QKeyEvent key(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
            QApplication::sendEvent(line, &key);
        }
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, QStringLiteral("\r"));
        QApplication::sendEvent(line, &enter);
        // Still open (Enter not taken): close it so the test ends.
        if (QApplication::activeModalWidget() == dlg) dlg->close();
    });
    const std::optional<std::string> got = dialogs.editLine(r);
    ASSERT_TRUE(got.has_value());
    EXPECT_EQ(got->substr(0, 6), "Ceres ");
    EXPECT_EQ(got->find('\n'), std::string::npos);
}

// A run of 100,000 steps (an identification of 100,000 lines): the bar has
// its whole range and is full only after the last step, not at 32,767.
TEST(ProgressBar, AHundredThousandStepsReachTheEndOnlyAtTheEnd) {
    CCalcProgressDlg dlg;
    fw::Progress& p = fw::progress();
    p.setWindow(&dlg);
    ASSERT_TRUE(p.begin(1, 100000, 1, 1));
    QProgressBar* bar = dlg.progressBar();
    EXPECT_EQ(bar->minimum(), 1);
    EXPECT_EQ(bar->maximum(), 100000);
    p.stepBy(32766);
    EXPECT_EQ(bar->value(), 32767);
    p.stepBy(1);
    EXPECT_EQ(bar->value(), 32768);
    p.stepBy(99998 - 32768);
    EXPECT_EQ(bar->value(), 99998);
    EXPECT_LT(bar->value(), bar->maximum());
    p.stepBy(1);
    EXPECT_LT(bar->value(), bar->maximum());
    p.stepBy(1);
    EXPECT_EQ(bar->value(), bar->maximum());
    p.stepBy(1);  // the bar stays at its end
    EXPECT_EQ(p.position(), 100000);
    p.end();
    p.setWindow(nullptr);
    // One size: no resize handle along its bottom edge.
    EXPECT_EQ(dlg.minimumSize(), dlg.maximumSize());
}

// The printed O-C head: its records keep their leading blanks, so that the
// column captions stand over their columns.
TEST(OcResultPrinting, HeadLinesKeepTheirLeadingBlanks) {
    const std::vector<std::string> head = {"   Object       Date", "                     R.A.     Decl.", "x"};
    const std::vector<std::string> lines = {std::string(70, 'l')};
    const PrintPage page = layoutOcResultPage(1, 85 * 30, 3000, 45, head, "  Title", lines, 70);
    std::vector<std::string> texts;
    for (const PrintItem& it : page.items) texts.push_back(it.text);
    ASSERT_GE(texts.size(), 4u);
    EXPECT_EQ(texts[0], head[0]);
    EXPECT_EQ(texts[1], "Title");
    EXPECT_EQ(texts[2], head[1]);
    EXPECT_EQ(texts[3], head[2]);
}

// The Object Info dialog leaves the object it describes in sight: for a
// point anywhere on a screen, the dialog stays inside the screen and off
// the point and a margin round it.
TEST(PlatePlot, ObjectInfoGoesBesideTheObject) {
    const QRect screen(0, 0, 1024, 768);
    const QSize dialog(300, 260);
    for (int x = 0; x < 1024; x += 37)
        for (int y = 0; y < 768; y += 41) {
            const QPoint at = dialogBesidePoint(screen, dialog, {x, y}, 24);
            const QRect r(at, dialog);
            SCOPED_TRACE(::testing::Message() << x << "," << y);
            EXPECT_TRUE(screen.contains(r));
            EXPECT_FALSE(r.intersects(QRect(x - 24, y - 24, 49, 49)));
        }
    // Below right of the point when there is room, as a tool tip goes.
    EXPECT_EQ(dialogBesidePoint(screen, dialog, {100, 100}, 24), QPoint(125, 125));
}

// The separation limits as typed: the default lower limit -1 (no lower
// limit) is accepted, 0.15 stays 0.15, and the upper limit that stands for
// none (1.0E+26) is not shown in a field.
TEST(SeparationDialog, LimitsAsTyped) {
    AppContext ctx;
    zeltest::FakeLibrary lib;
    fw::ScriptedMessageService boxes;
    fw::ScopedMessageService use{boxes};
    SeparationModel m(ctx, lib);
    std::vector<SeparationModel::FieldError> errors;
    m.showFieldError = [&](const SeparationModel::FieldError& e) { errors.push_back(e); };
    const OcConfigRecord defaults;
    m.conditionsOn = 1;
    m.separateByOC = 1;
    m.maxText = defaults.upperLimit;
    m.minText = defaults.lowerLimit;
    m.init();
    EXPECT_EQ(m.field[2], std::string(9, ' '));
    EXPECT_EQ(m.field[3], "-1       ");
    // Through the lower limit and out again: accepted as it stands.
    m.enterField(3);
    m.enterField(2);
    EXPECT_TRUE(errors.empty());
    EXPECT_EQ(m.field[3], "-1       ");
    EXPECT_TRUE(m.ok());
    EXPECT_TRUE(boxes.shown.empty());
    EXPECT_TRUE(SeparationModel::isNoLowerLimit(m.minText));
    EXPECT_TRUE(SeparationModel::isNoUpperLimit("1.0E+26  "));
    EXPECT_FALSE(SeparationModel::isNoLowerLimit("-1.5"));
    EXPECT_FALSE(SeparationModel::isNoLowerLimit("1"));
    // Another negative lower limit is refused, as the check says.
    m.type(3, "-5       ");
    EXPECT_FALSE(m.ok());
}

// The fixed-width fields of the separation dialog: shown without blanks at
// either end, typed over at once when entered by Tab, read padded to their
// width when the dialog takes them (on leaving the field).
TEST(SeparationDialog, FixedWidthFieldsShowTrimmedTakeTypingAndReadPadded) {
    AppContext ctx;
    zeltest::FakeLibrary lib;
    fw::ScriptedMessageService boxes;
    fw::ScopedMessageService use{boxes};
    SeparationModel m(ctx, lib);
    m.conditionsOn = m.selectObservatory = m.separateByOC = 1;
    m.codeText = m.codeFieldText = " 95";
    m.maxText = "  12.5   ";
    m.minText = std::string(9, ' ');
    CSeparationDlg dlg(m);
    std::vector<SeparationModel::FieldError> errors;
    m.showFieldError = [&](const SeparationModel::FieldError& e) { errors.push_back(e); };
    ASSERT_TRUE(dlg.onInitDialog());
    dlg.show();
    QApplication::setActiveWindow(&dlg);
    struct Case {
        int field;
        const char* shown;  // what the field shows of the start text
        const char* typed;
        std::string read;  // what the dialog holds after leaving the field
    } cases[] = {
        {1, "95", "568", "568"},
        {2, "12.5", "7.25", "7.25     "},
        {3, "", "0.15", "0.15     "},
        {2, "7.25", "1234567890", "123456789"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        QLineEdit* e = dlg.edit(c.field);
        EXPECT_EQ(e->text().toStdString(), c.shown);
        e->setFocus(Qt::TabFocusReason);
        e->selectAll();
        zeltest::type_text(e, QString::fromLatin1(c.typed));
        dlg.edit(c.field == 3 ? 2 : 3)->setFocus(Qt::TabFocusReason);  // leaving it
        QCoreApplication::processEvents();
        EXPECT_EQ(m.field[static_cast<std::size_t>(c.field)], c.read);
    }
}

// Observatories|Select searches the list as last saved: with unsaved edits
// in the open list window the selection says that they were not searched.
TEST(ObservatorySelect, TheSelectionTextNamesTheUnsavedEditsOfTheOpenList) {
    Started s;
    zeltest::write_text(s.pkg.dataDir + "observa1.dat", std::string(79, ' '));
    s.app.OnTasksObservatories();
    s.pkg.lib.seaFound = 1;
    s.dialogs.obsAnswer = ObsChoice{1, "Crimea", ""};
    zeltest::write_text(s.path("result.ob4"), "");
    s.app.OnObservatoriesSelect();
    EXPECT_EQ(s.ctx().SelectionText, "Selection by fragment 'Crimea'");
    // A station added (edited) in the open list, not yet saved.
    fw::ChildFrame* list = s.app.frame()->childFrames().front();
    s.app.frame()->mdiArea()->setActiveSubWindow(list);
    list->document()->setModified();
    s.app.OnObservatoriesSelect();
    EXPECT_EQ(s.ctx().SelectionText,
              "Selection by fragment 'Crimea' (not searched: the unsaved edits of the open list)");
}
