// The O-C windows and dialogs: the combinations of the observation type, the
// orbit parameters, the separation checks, the status texts of the input
// window, its data type, the result window's export, levels and Continue,
// the save question, and printing through the shared printer (Print Setup's
// choice used by the next print, the preview).
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMdiArea>
#include <QPageLayout>
#include <QPointer>
#include <QPrinter>
#include <QRadioButton>
#include <filesystem>
#include <fstream>

#include "framework/childframe.h"
#include "framework/cp1252.h"
#include "framework/ids.h"
#include "framework/printing.h"
#include "framework/progress.h"
#include "task_support.h"
#include "zelvo/app/tables.h"
#include "zelvo/observations/lineview.h"
#include "zelvo/observations/ocdialogs.h"
#include "zelvo/observations/ocwindows.h"

namespace {

namespace fs = std::filesystem;
using namespace zelvo;
using namespace zeltest;
using fw::Answer;

TEST(ObservationType, CombinationsOfPositionsPlaneAndEquinox) {
    struct Case {
        const char* what;
        int start;
        std::vector<std::pair<char, int>> clicks;  // 'p' positions, 'c' plane, 'e' equinox
        int code;
    } cases[] = {
        {"323 opens as it is", 323, {}, 323},
        {"113: astrometric has no true equinox", 113, {}, 111},
        {"astrometric after apparent, horizon, true", 333, {{'p', 1}}, 111},
        {"apparent after astrometric, equator, 1950.0", 112, {{'p', 3}}, 313},
        {"geometric keeps the equinox, horizon becomes equator", 333, {{'p', 2}}, 213},
        {"apparent: a 2000.0 equinox becomes true when the plane is chosen", 311, {{'e', 1}, {'c', 2}}, 323},
        {"astrometric: an ecliptic becomes equator when the equinox is chosen", 121, {{'e', 2}}, 112},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ObsTypeModel m;
        m.start(c.start);
        m.onShow();
        for (auto [kind, v] : c.clicks) {
            if (kind == 'p') m.choosePositions(v);
            if (kind == 'c') m.chooseMainPlane(v);
            if (kind == 'e') m.chooseEquinox(v);
        }
        ASSERT_TRUE(m.ok());
        EXPECT_EQ(m.typeCode, c.code);
    }
    // 323: 2000.0 and 1950.0 disabled; astrometric: only the equator.
    ObsTypeModel m;
    m.start(323);
    EXPECT_FALSE(m.equinoxEnabled(1));
    EXPECT_FALSE(m.equinoxEnabled(2));
    EXPECT_TRUE(m.planeEnabled(3));
    m.choosePositions(1);
    EXPECT_FALSE(m.planeEnabled(2));
    EXPECT_TRUE(m.equinoxEnabled(2));
    // Nothing set: every button enabled, OK asks "Unknown file format.Ignore?".
    ObsTypeModel none;
    none.onShow();
    EXPECT_TRUE(none.planeEnabled(3) && none.equinoxEnabled(1));
    EXPECT_FALSE(none.ok());

    // The bar text: the parts of the members, then the model's accuracy
    // (integration with Jupiter and Saturn only).
    OcAccuracySettings acc;
    acc.model = 2;
    acc.perturbers = {0, 0, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0};
    acc.relSun = 1;
    EXPECT_EQ(obsTypeHeader(3, 3, 3, acc),
              " Horizon  and meridian  True  Apparent positions   Accuracy: Integration - - - - J S - - - - - -");
    EXPECT_EQ(obsTypeHeader(-1, -1, -1, acc).substr(0, 12), "  Accuracy: ");

    // The dialog answers its buttons by the rules.
    ObsTypeModel shown;
    shown.start(113);
    CObsTypeDlg dlg(shown);
    dlg.onInitDialog();
    dlg.show();
    EXPECT_TRUE(dlg.equinoxButton(1)->isChecked());
    EXPECT_FALSE(dlg.equinoxButton(3)->isEnabled());
    dlg.positionsButton(3)->click();
    EXPECT_TRUE(dlg.equinoxButton(3)->isChecked());
    EXPECT_FALSE(dlg.equinoxButton(1)->isEnabled());
}

TEST(OrbitParameters, KeysAndFlags) {
    OcChoices ctx;
    std::string& record = ctx.taskRecord;
    record.assign(1418, ' ');
    record.replace(1218, 9, "mine.txt ");
    record.replace(1318, 30, "a_coordinate_list_of_30_chars_");
    struct Case {
        const char* key;
        OrbitParamModel::Choice choice;
        const char* keyAfter;
    } cases[] = {
        {"ZELV", OrbitParamModel::Catalogue, "ZELV"}, {"felm", OrbitParamModel::Elements, "FELM"},
        {"EELM", OrbitParamModel::Elements, "EELM"},  {"FXYZ", OrbitParamModel::Coordinates, "FXYZ"},
        {"QQQQ", OrbitParamModel::None, "QQQQ"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        record.replace(0, 4, c.key);
        OrbitParamModel m(ctx);
        EXPECT_EQ(m.init(), c.choice);
        EXPECT_EQ(m.key(), c.keyAfter);
        EXPECT_EQ(m.elementsButtonEnabled(), c.choice == OrbitParamModel::Elements);
    }
    // Elements to coordinates and back: "FELM" -> "XXYZ" -> "EELM"; the
    // catalogue clears the introduced orbit.
    record.replace(0, 4, "FELM");
    OrbitParamModel m(ctx);
    m.init();
    EXPECT_TRUE(ctx.orbitIntroduced);
    EXPECT_EQ(ctx.orbitListFile.substr(0, 8), "mine.txt");
    m.chooseCoordinates();
    EXPECT_EQ(m.key(), "XXYZ");
    EXPECT_FALSE(ctx.orbitAsElements);
    m.chooseElements();
    EXPECT_EQ(m.key(), "EELM");
    m.chooseCatalogue();
    EXPECT_EQ(m.key(), "ZELV");
    EXPECT_FALSE(ctx.orbitIntroduced);
}

TEST(OcStatusText, AccuracyAndOrbit) {
    OcAccuracySettings acc;
    acc.perturbers.fill(1);
    acc.relSun = 1;
    const std::string head = "   Equator and equinox   2000.0  Astrometric positions Accuracy: Nodes";
    struct Case {
        const char* what;
        int model;
        bool relSun, introduced, elements, single;
        std::string file, expected;
    } cases[] = {
        {"catalogue, nodes", 1, false, false, true, true, "",
         " Accuracy: Nodes  Orbit: from data base of the package "},
        {"one typed element set", 0, false, true, true, true, "",
         " Accuracy: Elliptic motion  Orbit: Introduced elements"},
        {"a list of 30 characters: its last 20", 0, false, true, true, false,
         std::string(10, 'x') + "0123456789abcdefghij  ",
         " Accuracy: Elliptic motion  Orbit: Introduced elements file '...0123456789abcdefghij'"},
        {"coordinates, integration with the relativistic term", 2, true, true, false, true, "",
         " Accuracy: Integration M V E+M M J S U N P c p v + rel_Sun   Orbit: Introduced coordinates&velocities"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(ocStatusText(head, c.model, acc, c.relSun, c.introduced, c.elements, c.single, c.file),
                  "   Equator and equinox   2000.0  Astrometric positions " + c.expected);
    }
}

// The separation dialog's model with the library's own field checks.
struct Separation {
    AppContext ctx;
    zeltest::FakeLibrary lib;
    fw::ScriptedMessageService boxes;
    fw::ScopedMessageService use{boxes};
    SeparationModel m{ctx, lib};
    std::vector<SeparationModel::FieldError> errors;
    Separation() {
        m.showFieldError = [this](const SeparationModel::FieldError& e) { errors.push_back(e); };
    }
};

TEST(SeparationChecks, SwitchesFieldsAndOk) {
    {
        SCOPED_TRACE("conditions off: every field off and empty; on again brings the texts back");
        Separation s;
        s.m.conditionsOn = 0;
        s.m.selectObservatory = 1;
        s.m.separateByOC = 1;
        s.m.codeText = "095";
        s.m.maxText = "  5.0    ";
        s.m.init();
        EXPECT_TRUE(s.m.noSeparationsChecked);
        EXPECT_EQ(s.m.field[1], "");
        EXPECT_FALSE(s.m.fieldEnabled[1] || s.m.fieldEnabled[2] || s.m.fieldEnabled[3]);
        s.m.clickConditions();
        EXPECT_EQ(s.m.field[1], "095");
        EXPECT_EQ(s.m.field[2], "  5.0    ");
        EXPECT_TRUE(s.m.fieldEnabled[1] && s.m.fieldEnabled[2]);
        // Observatory off and on again: the code typed before is back.
        s.m.type(1, "168");
        s.m.clickObservatory(false);
        EXPECT_EQ(s.m.field[1], "");
        s.m.clickObservatory(true);
        EXPECT_EQ(s.m.field[1], "168");
    }
    {
        SCOPED_TRACE("a refused code keeps the focus; the upper limit is not checked");
        Separation s;
        s.m.conditionsOn = s.m.selectObservatory = s.m.separateByOC = 1;
        s.m.init();
        s.m.enterField(1);
        s.m.type(1, "X!!");
        s.m.type(2, "abc");
        s.m.enterField(2);
        ASSERT_EQ(s.errors.size(), 1u);
        EXPECT_EQ(s.errors[0].line1, " Change the number of Observatory.");
        EXPECT_EQ(s.m.focus, 1);
        EXPECT_EQ(s.m.editedField, 1);
        EXPECT_EQ(std::count(s.lib.fieldKinds.begin(), s.lib.fieldKinds.end(), 15), 0);
        // Corrected, the next field is entered and becomes the edited one.
        s.m.type(1, "095");
        s.m.enterField(2);
        EXPECT_EQ(s.errors.size(), 1u);
        EXPECT_EQ(s.m.observatory, 95);
        EXPECT_EQ(s.m.editedField, 2);
        // A limit that is no number is refused at OK, naming its field.
        EXPECT_FALSE(s.m.ok());
        ASSERT_EQ(s.errors.size(), 2u);
        EXPECT_EQ(s.errors[1].line2, " Change the field abs(O-C)(arcsec) <=");
    }
    {
        SCOPED_TRACE("a blank limit becomes 9 blanks, a negative one is refused; Enter keeps the dialog open");
        Separation s;
        s.m.conditionsOn = s.m.separateByOC = 1;
        s.m.maxText = "-5       ";  // as OC1.cfg held it
        s.m.init();
        s.m.enterField(3);
        s.m.type(3, "  ");
        s.m.enter();
        EXPECT_EQ(s.m.focus, 3);
        s.m.enterField(2);
        EXPECT_EQ(s.m.field[3], std::string(9, ' '));
        EXPECT_TRUE(s.errors.empty());
        // The upper limit was not typed in: OK finds it negative.
        s.m.editing = false;
        s.ctx.OcResultFromRun = 1;
        EXPECT_FALSE(s.m.ok());
        ASSERT_FALSE(s.boxes.shown.empty());
        EXPECT_EQ(s.boxes.shown.back().text, "The maximum value (0-C) must be positive");
        EXPECT_EQ(s.ctx.OcResultFromRun, 1);
        // Typed and checked by the library: a negative limit is no limit.
        s.m.enterField(2);
        s.m.type(2, "-5");
        s.m.enterField(3);
        ASSERT_EQ(s.errors.size(), 1u);
        EXPECT_EQ(s.errors[0].line1, "Wrong field definition.");
        s.m.type(2, "12.5");
        EXPECT_TRUE(s.m.ok());
        EXPECT_EQ(s.ctx.OcResultFromRun, 0);
        EXPECT_EQ(s.m.maxText.substr(0, 4), "12.5");
    }
}

// A started program with an O-C input window over five lines.
struct OcStarted : Started {
    OcStarted() {
        std::vector<std::string> lines;
        for (int i = 1; i <= 5; ++i) lines.push_back(obs_line(std::to_string(i)));
        openOc(lines);
    }
};

TEST(OcInputWindow, DataTypeChangesCaptionsRulerAndCheckNotTheLines) {
    OcStarted s;
    COCView* v = s.ocView();
    ASSERT_NE(v, nullptr);
    fw::ChildFrame* f = s.app.frame()->activeChildFrame();
    const auto lines = v->doc()->lines;
    s.dialogs.typeAnswer = 223;
    ASSERT_TRUE(s.app.routeCommand(cmd::kOcDataType));
    EXPECT_EQ(v->typeCode(), 223);
    EXPECT_EQ(readOcConfig(s.pkg.work.dir_slash())->code, 223);
    EXPECT_NE(f->controlText(1074).indexOf(QStringLiteral("Long.")), -1);
    EXPECT_NE(f->controlText(1074).indexOf(QStringLiteral("Lat.")), -1);
    EXPECT_EQ(v->model().ruler(), fw::from_cp1252(FormatRulerTable[8]));
    EXPECT_EQ(v->model().columnCount(), 1);
    EXPECT_EQ(v->doc()->lines, lines);
    EXPECT_EQ(s.ctx().HeaderText, " Ecliptic and equinox  True  Geometric positions   Accuracy: Nodes");
    // Another window's command does not change this window's check system.
    s.ctx().ObservationTypeCode = 111;
    s.app.OnOcCalculate();
    EXPECT_EQ(s.pkg.lib.calls.front(), "cntl 3 2");
    EXPECT_EQ(s.pkg.lib.OcCode, 223);
    EXPECT_EQ(s.ctx().TaskCode, 11);
    ASSERT_NE(dynamic_cast<COCResView*>(s.app.frame()->activeChildFrame()->view()), nullptr);
    EXPECT_EQ(dynamic_cast<COCResView*>(s.app.frame()->activeChildFrame()->view())->formatKey(), 5);

    // A short OC1.cfg: the message, the data type stays.
    s.app.frame()->mdiArea()->setActiveSubWindow(f);
    zeltest::write_text(s.path("OC1.cfg"), "short");
    s.dialogs.typeAnswer = 111;
    s.app.routeCommand(cmd::kOcDataType);
    EXPECT_EQ(s.texts().back(), "Error reading configuration file");
    EXPECT_EQ(v->typeCode(), 223);
}

// The user closes the O-C input window while its run goes on (the pump
// lets the close through): the run ends and its result window comes up,
// every time, with the run's records.
TEST(OcInputWindow, ClosingItDuringTheRunLeavesTheResultWindow) {
    for (int attempt = 0; attempt < 3; ++attempt) {
        SCOPED_TRACE(attempt);
        Started s;
        std::vector<std::string> lines;
        for (int i = 1; i <= 30; ++i) lines.push_back(obs_line(std::to_string(i)));
        s.openOc(lines);
        QPointer<fw::ChildFrame> input = s.app.frame()->activeChildFrame();
        ASSERT_NE(input, nullptr);
        const std::string records = std::string(70, 'r') + std::string(70, 's');
        int pumps = 0;
        fw::set_pump_hook([&] {
            if (++pumps == attempt + 1 && input) {
                input->close();
                QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            }
        });
        s.pkg.lib.onRun = [&] { zeltest::write_text(s.path("result.oc4"), records); };
        s.app.OnOcCalculate();
        fw::set_pump_hook({});
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
        EXPECT_TRUE(input.isNull());
        fw::ChildFrame* f = s.app.frame()->activeChildFrame();
        ASSERT_NE(f, nullptr) << (s.texts().empty() ? "" : s.texts().back());
        auto* result = dynamic_cast<COCResView*>(f->view());
        ASSERT_NE(result, nullptr);
        EXPECT_EQ(dynamic_cast<fw::LineDocument*>(result->document())->lines.size(), 2u);
        EXPECT_FALSE(fw::library_busy());
    }
}

// 28 lines of an observatory that the list gives without coordinates (WISE,
// C51) among 30: "Skip all" at the first leaves all 28 out without asking
// again, the run takes the other two, and the count stands in the status
// bar and in the result window's head. Retry and Cancel are still offered.
TEST(OcInputWindow, SkipAllLeavesOutEveryLineWithTheSameError) {
    Started s;
    std::vector<std::string> lines{obs_line("first")};
    for (int i = 1; i <= 28; ++i) lines.push_back(obs_line("C51 " + std::to_string(i)));
    lines.push_back(obs_line("last"));
    s.openOc(lines);
    s.pkg.lib.checks.push_back({0, 0, 0});
    for (int i = 1; i <= 28; ++i) s.pkg.lib.checks.push_back({9, 78, 80});
    s.pkg.lib.checks.push_back({0, 0, 0});
    s.boxes.shown.clear();
    s.boxes.answers = {fw::Answer::Ok, fw::Answer::SkipAll};
    s.app.OnOcCalculate();
    ASSERT_EQ(s.boxes.shown.size(), 2u);
    EXPECT_EQ(s.boxes.shown[0].text, "Data for the observatory are absent in line 2");
    EXPECT_EQ(s.boxes.shown[1].text.substr(0, 24), "Try to correct or cancel");
    EXPECT_EQ(s.boxes.shown[1].buttons, fw::Buttons::RetrySkipAllCancel);
    ASSERT_FALSE(s.pkg.lib.runCounters.empty());
    EXPECT_EQ(s.pkg.lib.runCounters.back()[2], 2);  // the run's last line
    EXPECT_NE(s.ctx().HeaderText.find("Skipped lines: 28"), std::string::npos) << s.ctx().HeaderText;
    EXPECT_EQ(s.app.frame()->paneText(fw::ids::kSeparator), QStringLiteral("Skipped lines: 28"));
    fw::ChildFrame* f = s.app.frame()->activeChildFrame();
    ASSERT_NE(f, nullptr);
    ASSERT_NE(dynamic_cast<COCResView*>(f->view()), nullptr);
    EXPECT_NE(f->controlText(bars::kHeaderEdit).indexOf(QStringLiteral("Skipped lines: 28")), -1);

    // Cancel still stops the run; a new run asks again.
    s.app.frame()->mdiArea()->setActiveSubWindow(s.app.frame()->childFrames().front());
    for (int i = 0; i < 30; ++i) s.pkg.lib.checks.push_back({i == 3 ? 9 : 0, 78, 80});
    s.boxes.shown.clear();
    s.boxes.answers = {fw::Answer::Ok, fw::Answer::Cancel};
    const std::size_t runs = s.pkg.lib.runCounters.size();
    s.app.OnOcCalculate();
    EXPECT_EQ(s.boxes.shown.size(), 2u);
    EXPECT_EQ(s.pkg.lib.runCounters.size(), runs);
}

TEST(OcInputWindow, OrbitAndAccuracyRebuildTheHeader) {
    OcStarted s;
    s.dialogs.orbitAnswer = [](OrbitParamModel& m) { m.chooseElements(); };
    ASSERT_TRUE(s.app.routeCommand(cmd::kOcOrbit));
    // Nodes is never used for an introduced orbit.
    EXPECT_NE(s.ctx().HeaderText.find(" Accuracy: Elliptic motion  Orbit: Introduced elements"), std::string::npos);
    COCView* first = s.ocView();
    EXPECT_EQ(first->choices().taskRecord.substr(0, 4), "EELM");
    EXPECT_EQ(first->choices().accuracy.model, 0);
    fw::ChildFrame* f = s.app.frame()->activeChildFrame();
    EXPECT_EQ(fw::toCp1252(f->controlText(1311)), s.ctx().HeaderText);
    EXPECT_EQ(first->headerText(), s.ctx().HeaderText);
    // A new window starts from the catalogue orbit and nodes again; the
    // first window keeps its choices and its bar.
    const std::string firstBar = fw::toCp1252(f->controlText(1311));
    s.openOc({obs_line("x")});
    ASSERT_NE(s.ocView(), first);
    EXPECT_EQ(s.ocView()->choices().taskRecord.substr(0, 4), "ZELV");
    EXPECT_EQ(s.ocView()->choices().accuracy.runModel, 1);
    EXPECT_EQ(first->choices().taskRecord.substr(0, 4), "EELM");
    EXPECT_EQ(first->choices().accuracy.model, 0);
    EXPECT_EQ(fw::toCp1252(f->controlText(1311)), firstBar);
}

TEST(SaveQuestion, AModifiedInputFileIsOfferedWhenItsWindowCloses) {
    OcStarted s;
    fw::ChildFrame* f = s.app.frame()->activeChildFrame();
    COCView* v = s.ocView();
    v->doc()->lines.erase(v->doc()->lines.begin());
    v->doc()->setModified();
    // Cancel keeps the window; Yes stores the file in its record format.
    s.boxes.answers = {Answer::Cancel};
    EXPECT_FALSE(f->close());
    EXPECT_EQ(s.texts().back(), "Save changes to obs.oc?");
    s.boxes.answers = {Answer::Yes};
    EXPECT_TRUE(f->close());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    std::string expected;
    for (int i = 2; i <= 5; ++i) expected += obs_line(std::to_string(i)) + "\r\n";
    EXPECT_EQ(read_file(s.pkg.work.path() / "obs.oc"), expected);

    // Save As asks with the template's filter; result windows do not save.
    s.openOc({obs_line("1")});
    s.files.answers.push_back(s.path("copy.oc"));
    ASSERT_TRUE(s.app.routeCommand(fw::ids::kFileSaveAs));
    EXPECT_EQ(s.files.asked.back().filter, "O-C files (*.oc)|*.oc|All files (*.*)|*.*||");
    EXPECT_EQ(s.files.asked.back().defaultExt, "oc");
    EXPECT_EQ(read_file(s.pkg.work.path() / "copy.oc"), obs_line("1") + "\r\n");
}

TEST(OcResultWindow, ExportLevelsAndOwnContinue) {
    OcStarted s;
    // Records as the library writes them: 70 characters, no separators; a
    // trailing partial record is not loaded.
    std::string records;
    for (int i = 0; i < 3; ++i) records += std::string(69, static_cast<char>('a' + i)) + "|";
    zeltest::write_text(s.path("result.oc4"), records + "part");
    s.ctx().OcResultFromRun = 1;
    s.ctx().TaskCode = 10;
    s.ctx().OcRun = {-2, 3, 5};
    std::vector<COCResView*> views;
    for (int k = 0; k < 3; ++k) {
        ASSERT_NE(s.app.findTemplate("OCRes"), nullptr);
        s.app.openDocumentFile(*s.app.findTemplate("OCRes"), s.path("result.oc4"));
        views.push_back(dynamic_cast<COCResView*>(s.app.frame()->activeChildFrame()->view()));
        ASSERT_NE(views.back(), nullptr);
    }
    // Levels 1 and 2; a third window finds none and keeps its count to
    // itself, overwriting no other's.
    EXPECT_EQ(views[0]->rowCountLevel(), 1);
    EXPECT_EQ(views[1]->rowCountLevel(), 2);
    EXPECT_EQ(views[2]->rowCountLevel(), -1);
    EXPECT_EQ(s.ctx().RowCountStack[1], 3);
    s.app.frame()->updateCommandUI();
    EXPECT_EQ(s.app.frame()->paneText(fw::ids::kIndicatorCaps), QStringLiteral("Num 3"));
    // Each keeps its run: stopped, and continued only while the work files
    // are that run's.
    EXPECT_TRUE(views[2]->interrupted());
    EXPECT_TRUE(views[2]->continueAllowed(false));
    ++s.ctx().OcRunSerial;
    EXPECT_FALSE(views[2]->continueAllowed(false));
    // A window closed below another frees its level for the next one.
    ASSERT_EQ(s.app.frame()->childFrames()[1]->view(), views[0]);
    s.app.frame()->childFrames()[1]->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(s.ctx().RowCountDepth, 2);
    s.app.openDocumentFile(*s.app.findTemplate("OCRes"), s.path("result.oc4"));
    EXPECT_EQ(dynamic_cast<COCResView*>(s.app.frame()->activeChildFrame()->view())->rowCountLevel(), 1);

    // The export: title, head, lines; without "omc.hat" the warning and no head.
    s.files.answers.push_back(s.path("out.ocr"));
    ASSERT_TRUE(s.app.routeCommand(fw::ids::kFileSaveAs));
    EXPECT_EQ(s.texts().back(), "Warning: head file not found");
    EXPECT_EQ(read_file(s.pkg.work.path() / "out.ocr"), "                       O-C RESULT\r\n" + std::string(69, 'a') +
                                                            "|\r\n" + std::string(69, 'b') + "|\r\n" +
                                                            std::string(69, 'c') + "|\r\n");
    std::string hat;
    for (int r = 1; r <= 6; ++r) hat += ("record " + std::to_string(r) + std::string(70, '.')).substr(0, 70);
    zeltest::write_text(s.path("omc.hat"), hat);
    s.files.answers.push_back(s.path("out.ocr"));
    ASSERT_TRUE(s.app.routeCommand(fw::ids::kFileSave));  // Save exports too, never over the work file
    const std::string text = read_file(s.pkg.work.path() / "out.ocr");
    EXPECT_EQ(text.substr(35, 71), ("record 1" + std::string(70, '.')).substr(0, 69) + "\r\n");
    EXPECT_EQ(text.substr(106, 4), "  \r\n");
    EXPECT_EQ(read_file(s.pkg.work.path() / "result.oc4"), records + "part");
}

// Counts the pages and keeps the page info of each.
struct PageCounter final : fw::Printable {
    int lines = 100;
    std::vector<fw::PrintInfo> printed;
    int perPage = 0;
    void onBeginPrinting(fw::PrintInfo& info) override { perPage = beginListPrinting(info, lines); }
    void onPrint(QPainter&, const fw::PrintInfo& info) override { printed.push_back(info); }
};

TEST(Printing, PrintSetupChoiceHoldsForTheNextPrintAndPreview) {
    zeltest::ScopedWorkDir work;
    fw::ScriptedPrintDialogService dialogs;
    fw::ScopedPrintDialogService use{dialogs};
    QPrinter& printer = fw::sharedPrinter();
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString((work.path() / "out.pdf").string()));
    printer.setPageOrientation(QPageLayout::Portrait);
    // Print Setup: landscape.
    dialogs.setupAnswers.push_back([](QPrinter& p) { p.setPageOrientation(QPageLayout::Landscape); });
    EXPECT_TRUE(fw::printSetup());
    PageCounter counter;
    dialogs.printAnswers.push_back(std::make_pair(2, 0));  // from page 2 on
    EXPECT_EQ(fw::printWithDialog(counter), 3);
    EXPECT_EQ(counter.perPage, 30);
    ASSERT_EQ(counter.printed.size(), 3u);
    EXPECT_EQ(counter.printed.front().currentPage, 2);
    EXPECT_FALSE(counter.printed.front().portrait);
    EXPECT_GT(fs::file_size(work.path() / "out.pdf"), 0u);
    // Cancel in the print dialog prints nothing.
    dialogs.printAnswers.push_back(std::nullopt);
    EXPECT_EQ(fw::printWithDialog(counter), 0);
    // The preview shows the pages on the same paper, page by page.
    {
        fw::PrintPreviewWindow preview(counter);
        EXPECT_EQ(preview.pageCount(), 4);
        preview.nextPage();
        preview.nextPage();
        EXPECT_EQ(preview.currentPage(), 3);
        preview.prevPage();
        EXPECT_EQ(preview.currentPage(), 2);
        const double zoom = preview.zoomFactor();
        preview.zoomIn();
        EXPECT_GT(preview.zoomFactor(), zoom);
        preview.print();
        EXPECT_TRUE(preview.printRequested());
    }
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setOutputFileName(QString());
}

}  // namespace
