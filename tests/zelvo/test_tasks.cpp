// The task launcher with a scripted library: the input files it writes, the
// line check and String Editor loop, the progress protocol with cancel and
// continuation counters, the O-C configuration file and the accuracy rules.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMdiArea>
#include <QMouseEvent>
#include <QRadioButton>
#include <QScreen>
#include <filesystem>
#include <fstream>

#include "framework/document.h"
#include "framework/filedialogs.h"
#include "framework/linelist.h"
#include "framework/messages.h"
#include "framework/progress.h"
#include "shell_support.h"
#include "task_support.h"
#include "zelvo/app/accuracy.h"
#include "zelvo/app/childframes.h"
#include "zelvo/app/commands.h"
#include "zelvo/app/dialogs.h"
#include "zelvo/app/lineedit.h"
#include "zelvo/app/occonfig.h"
#include "zelvo/app/progressdlg.h"
#include "zelvo/app/tables.h"
#include "zelvo/observations/idwindows.h"
#include "zelvo/shell/app.h"

namespace {

namespace fs = std::filesystem;
using namespace zelvo;
using namespace zeltest;
using fw::Answer;

TEST(OcConfig, DefaultsRoundTripAndUsability) {
    const OcConfigRecord d;
    const auto b = d.bytes();
    ASSERT_EQ(b.size(), 41u);
    EXPECT_EQ(b[0], 111);  // 111 little-endian
    EXPECT_EQ(b[1], 0);
    EXPECT_EQ(std::string(b.begin() + 20, b.end()), " 55-1       1.0E+26  ");
    const auto back = OcConfigRecord::parse(b);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->code, 111);
    EXPECT_EQ(back->upperLimit, "1.0E+26  ");
    EXPECT_FALSE(OcConfigRecord::parse(std::span<const std::uint8_t>(b.data(), 40)));
    EXPECT_TRUE(ocConfigUsable(d));

    struct Case {
        const char* what;
        int code, sep, lowerOn, limitsOn;
        const char* lower;
        const char* upper;
        bool usable;
    } cases[] = {
        {"defaults", 111, 0, 0, 0, "-1", "1.0E+26", true},
        {"apparent, horizon, true", 333, 1, 0, 0, "-1", "1", true},
        {"code 334", 334, 0, 0, 0, "-1", "1", false},
        {"code 110", 110, 0, 0, 0, "-1", "1", false},
        {"a zero digit inside the range", 201, 0, 0, 0, "-1", "1", false},
        {"a digit above 3 inside the range", 141, 0, 0, 0, "-1", "1", false},
        {"separation switch negative", 111, -1, 0, 0, "-1", "1", false},
        {"lower limit -5 with its switch on", 111, 0, 1, 0, "-5", "1", false},
        {"lower limit -1 with its switch off", 111, 0, 0, 1, "-1", "1.0E+26", true},
        {"upper limit negative with its switch on", 111, 0, 0, 1, "0.5", "-2.0", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        OcConfigRecord r;
        r.code = c.code;
        r.separation = c.sep;
        r.lowerLimitOn = c.lowerOn;
        r.limitsOn = c.limitsOn;
        r.lowerLimit = c.lower;
        r.upperLimit = c.upper;
        EXPECT_EQ(ocConfigUsable(r), c.usable);
    }
    EXPECT_EQ(leadingInteger("1.0E+26"), 1);
    EXPECT_EQ(leadingInteger(" -5"), -5);
    EXPECT_EQ(leadingInteger("abc"), 0);
}

TEST(OcConfig, TasksOcCreatesTheFileOnlyWhenTheUserAgrees) {
    Started s;
    const fs::path cfg = s.pkg.work.path() / "OC1.cfg";
    // A file of 40 bytes is not usable: No ends the command with advice.
    zeltest::write_bytes(cfg, std::vector<std::uint8_t>(40, 0));
    s.openOc({obs_line("1")}, Answer::No);
    EXPECT_EQ(s.texts(),
              (std::vector<std::string>{
                  "No configuration file or it's wrong.Create new?",
                  "Copy configuration file from another folder\nor repeate call and create new configuration"}));
    EXPECT_EQ(fs::file_size(cfg), 40u);
    EXPECT_EQ(s.app.frame()->activeChildFrame(), nullptr);
    s.files.answers.clear();

    // Yes writes the defaults and the observation file opens in the O-C
    // window with the header of data type 111.
    s.boxes.shown.clear();
    s.openOc({obs_line("1")}, Answer::Yes);
    const auto db = OcConfigRecord{}.bytes();
    EXPECT_EQ(zeltest::read_bytes(cfg), std::vector<std::uint8_t>(db.begin(), db.end()));
    EXPECT_EQ(s.ctx().TaskCode, 7);
    EXPECT_EQ(s.ctx().ObservationTypeCode, 111);
    // The window adds its accuracy and orbit to the task's header.
    EXPECT_EQ(s.ctx().HeaderText,
              "   Equator and equinox   2000.0  Astrometric positions Accuracy: Nodes  Orbit: from data base of the "
              "package ");
    ASSERT_NE(s.activeDoc(), nullptr);
    EXPECT_EQ(s.activeDoc()->docTemplate()->docName(), "OC");
    ASSERT_EQ(s.files.asked.size(), 1u);  // the refused start asked for no file
    EXPECT_EQ(s.files.asked[0].defaultExt, "oc");
    EXPECT_TRUE(s.files.asked[0].promptCreate);

    // A usable file is kept as it is: no question.
    OcConfigRecord r;
    r.code = 231;
    ASSERT_TRUE(writeOcConfig(s.pkg.work.dir_slash(), r));
    s.boxes.shown.clear();
    s.files.answers.push_back(s.path("obs.oc"));
    s.app.OnTasksOc();
    EXPECT_TRUE(s.boxes.shown.empty());
    EXPECT_EQ(s.ctx().ObservationTypeCode, 231);
    EXPECT_EQ(s.ctx().HeaderText,
              "   Horizon and meridian  2000.0  Geometric positions Accuracy: Nodes  Orbit: from data base of the "
              "package ");
    auto* frame = dynamic_cast<TaskChildFrame*>(s.app.frame()->activeChildFrame());
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->formatKey(), 3);
}

TEST(OcTask, CalculateWritesTheSelectedLinesAndRunsWithCountersAndHeader) {
    Started s;
    std::vector<std::string> lines;
    for (int i = 1; i <= 5; ++i) lines.push_back(obs_line(std::to_string(i)));
    s.openOc(lines);
    ASSERT_NE(s.ocView(), nullptr);
    OcAccuracySettings& acc = s.ocView()->choices().accuracy;
    acc.model = acc.runModel = 2;
    acc.perturbers = {1, 1, 2, 1, 1, 1, 1, 1, 1, 0, 1, 0};
    acc.relSun = 1;
    fw::LineListView* list = s.activeList();
    ASSERT_NE(list, nullptr);
    list->selectRow(1);
    list->selectRow(4, true);
    s.app.OnOcCalculate();

    // Exactly lines 2 and 5, 80 columns and CR LF each, and the run of
    // records 1 to 2 with the O-C settings.
    EXPECT_EQ(read_file(s.pkg.work.path() / "input.oc1"), lines[1] + "\r\n" + lines[4] + "\r\n");
    EXPECT_EQ(s.pkg.lib.checked, (std::vector<std::string>{lines[1], lines[4]}));
    EXPECT_EQ(s.pkg.lib.checkLengths, (std::vector<int>{82, 82}));
    ASSERT_EQ(s.pkg.lib.runCounters.size(), 1u);
    EXPECT_EQ(s.pkg.lib.runCounters[0], (std::array<int, 3>{0, 1, 2}));
    EXPECT_EQ(s.pkg.lib.OcCode, 111);
    EXPECT_EQ(s.pkg.lib.OcModel, 2);
    EXPECT_EQ(s.pkg.lib.OcPerturbers[2], 2);
    EXPECT_EQ(s.pkg.lib.OcRelSun, 1);
    EXPECT_EQ(s.ctx().OcRun.status, 2);
    EXPECT_EQ(s.ctx().CalcInterrupted, 0);
    EXPECT_EQ(s.ctx().TaskCode, 10);
    EXPECT_EQ(s.ctx().HeaderText,
              "   Equator and equinox   2000.0  Astrometric positions  Accuracy: Integration M V E,M M J S "
              "U N P - p -+ rel_Sun ");
    // The O-C task's own record is written whole, with the catalogue key.
    const std::string cfg = read_file(s.pkg.work.path() / "omc.cfg");
    ASSERT_EQ(cfg.size(), 1418u);
    EXPECT_EQ(cfg.substr(0, 4), "ZELV");
    EXPECT_EQ(cfg.substr(1218, 9), "Eleml.txt");
    ASSERT_NE(s.activeDoc(), nullptr);
    EXPECT_EQ(s.activeDoc()->docTemplate()->docName(), "OCRes");

    // A second run does not pile up accuracy texts; an introduced orbit
    // turns nodes into elliptic motion after the call.
    s.app.frame()->mdiArea()->setActiveSubWindow(s.app.frame()->childFrames().front());
    acc.model = acc.runModel = 1;
    s.ocView()->choices().orbitIntroduced = true;
    s.app.OnOcCalculate();
    EXPECT_EQ(s.pkg.lib.OcModel, 0);
    EXPECT_EQ(acc.model, 0);
    EXPECT_EQ(acc.runModel, 0);
    // The header is built from the window's own, as the first run's was.
    EXPECT_EQ(s.ctx().HeaderText, "   Equator and equinox   2000.0  Astrometric positions  Accuracy: Elliptic motion");
}

TEST(OcTask, CancelStopsTheRunAndTheCountersComeBackForAContinuation) {
    Started s;
    std::vector<std::string> lines;
    for (int i = 1; i <= 25; ++i) lines.push_back(obs_line(std::to_string(i)));
    s.openOc(lines);
    // The user presses Cancel in the progress dialog during the first pump.
    int pumps = 0;
    fw::set_pump_hook([&] {
        if (++pumps == 1) s.app.progressDialog()->onCancel();
    });
    s.app.OnOcCalculate();
    EXPECT_EQ(pumps, 1);
    EXPECT_EQ(s.ctx().OcRun.status, -10);
    EXPECT_EQ(s.ctx().OcRun.first, 1);
    EXPECT_EQ(s.ctx().OcRun.last, 25);
    EXPECT_EQ(s.ctx().CalcInterrupted, 1);
    EXPECT_EQ(fw::progress().cancelRequested(), 1);
    EXPECT_FALSE(fw::library_busy());
    // The bar: range 1..25 from 1, step 10.
    EXPECT_EQ(fw::progress().lower(), 1);
    EXPECT_EQ(fw::progress().upper(), 25);
    EXPECT_EQ(fw::progress().step(), 10);
    EXPECT_EQ(fw::progress().position(), 11);
}

TEST(OcTask, SeparateWritesTheConditionsAndTheTitle) {
    Started s;
    s.openOc({obs_line("1")});
    zeltest::write_text(s.path("omc.hat"), std::string(68, 'H') + "xx");
    s.pkg.lib.sepCount = 4;
    SeparationChoice c;
    c.separation = 1;
    c.oneObservatory = 1;
    c.limits = 1;
    c.code = "095";
    c.lower = "0.5";
    c.upper = "";
    s.dialogs.sepAnswer = c;
    s.dialogs.sepObservatory = 95;
    s.app.OnOcSeparate();
    EXPECT_EQ(s.dialogs.sepStart.code, " 55");
    EXPECT_EQ(s.pkg.lib.sepMin, 0.5);
    EXPECT_EQ(s.pkg.lib.sepMax, 1.0e26);
    EXPECT_EQ(s.pkg.lib.sepObs, 95);
    const auto rec = readOcConfig(s.pkg.work.dir_slash());
    ASSERT_TRUE(rec);
    EXPECT_EQ(rec->separation, 1);
    EXPECT_EQ(rec->lowerLimitOn, 1);
    EXPECT_EQ(rec->limitsOn, 1);
    EXPECT_EQ(rec->observatory, "095");
    EXPECT_EQ(rec->lowerLimit, "0.5      ");
    EXPECT_EQ(rec->upperLimit, "         ");
    auto* selection = dynamic_cast<COCResView*>(s.app.frame()->activeChildFrame()->view());
    ASSERT_NE(selection, nullptr);
    EXPECT_EQ(selection->title(), "  Observatory number 095  abs(O-C)>=0.5");
    EXPECT_EQ(s.ctx().HeaderText, std::string(68, 'H') + "\r\n  Observatory number 095  abs(O-C)>=0.5");

    // Both limits blank: -1 and 1e26, no abs(O-C) part; no match: message.
    c.lower = c.upper = "   ";
    c.oneObservatory = 0;
    c.code = "";
    s.dialogs.sepAnswer = c;
    s.pkg.lib.sepCount = 0;
    s.boxes.shown.clear();
    s.app.OnOcSeparate();
    EXPECT_EQ(s.pkg.lib.sepMin, -1.0);
    EXPECT_EQ(s.pkg.lib.sepMax, 1.0e26);
    EXPECT_EQ(s.pkg.lib.sepObs, -1);
    EXPECT_EQ(s.texts(), std::vector<std::string>{"No string meets the requirements"});
    EXPECT_EQ(s.ctx().OcResultFromRun, 1);

    // OK with "No separations" keeps a stopped run's Continue.
    s.ctx().CalcInterrupted = 1;
    c.separation = 0;
    s.dialogs.sepAnswer = c;
    s.pkg.lib.calls.clear();
    s.app.OnOcSeparate();
    EXPECT_EQ(s.ctx().CalcInterrupted, 1);
    EXPECT_EQ(s.ctx().OcResultFromRun, 1);
    EXPECT_TRUE(s.pkg.lib.calls.empty());
}

// The header bar of a window (its first bar's edit).
std::string header_bar_text(fw::ChildFrame* f) { return fw::toCp1252(f->controlText(bars::kHeaderEdit)); }

TEST(OcTask, EachWindowCalculatesWithItsOwnOrbitAndAccuracy) {
    Started s;
    // Window A: typed elements, integration by Jupiter and Saturn with the
    // relativistic term.
    s.openOc({obs_line("1")});
    fw::ChildFrame* a = s.app.frame()->activeChildFrame();
    s.dialogs.orbitAnswer = [](OrbitParamModel& m) { m.chooseElements(); };
    ASSERT_TRUE(s.app.routeCommand(cmd::kOcOrbit));
    OcAccuracySettings integration;
    integration.model = integration.runModel = 2;
    integration.perturbers = {0, 0, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0};
    integration.relSun = 1;
    s.dialogs.accuracyAnswer = integration;
    ASSERT_TRUE(s.app.routeCommand(cmd::kOcAccuracy));
    const std::string barA = header_bar_text(a);
    // Window B, opened after A's choices: the catalogue orbit, elliptic
    // motion.
    s.dialogs.orbitAnswer = {};
    s.openOc({obs_line("2")});
    fw::ChildFrame* b = s.app.frame()->activeChildFrame();
    ASSERT_NE(a, b);
    OcAccuracySettings elliptic;
    elliptic.perturbers.fill(1);
    s.dialogs.accuracyAnswer = elliptic;
    ASSERT_TRUE(s.app.routeCommand(cmd::kOcAccuracy));
    const std::string barB = header_bar_text(b);
    EXPECT_NE(barA.find("Accuracy: Integration - - - - J S - - - - - -+ rel_Sun   Orbit: Introduced elements"),
              std::string::npos)
        << barA;
    EXPECT_NE(barB.find("Accuracy: Elliptic motion  Orbit: from data base of the package"), std::string::npos) << barB;

    // Calculate in A, then in B, then in A again: each run, its "omc.cfg"
    // and its result header are the window's own, and B's opening and run
    // changed nothing of A's.
    struct Expect {
        fw::ChildFrame* window;
        const char* key;
        int model;
        int jupiter;
        const char* accuracy;
    } runs[] = {{a, "EELM", 2, 1, "  Accuracy: Integration - - - - J S - - - - - -+ rel_Sun "},
                {b, "ZELV", 0, 1, "  Accuracy: Elliptic motion"},
                {a, "EELM", 2, 1, "  Accuracy: Integration - - - - J S - - - - - -+ rel_Sun "}};
    for (const Expect& e : runs) {
        SCOPED_TRACE(e.key);
        s.app.frame()->mdiArea()->setActiveSubWindow(e.window);
        s.app.OnOcCalculate();
        EXPECT_EQ(s.pkg.lib.OcModel, e.model);
        EXPECT_EQ(s.pkg.lib.OcPerturbers[4], e.jupiter);
        EXPECT_EQ(s.pkg.lib.OcRelSun, e.window == a ? 1 : 0);
        EXPECT_EQ(read_file(s.pkg.work.path() / "omc.cfg").substr(0, 4), e.key);
        fw::ChildFrame* result = s.app.frame()->activeChildFrame();
        ASSERT_NE(result, e.window);
        ASSERT_EQ(result->document()->docTemplate()->docName(), "OCRes");
        const std::string header = header_bar_text(result);
        EXPECT_EQ(header.substr(header.find("  Accuracy")), e.accuracy);
        EXPECT_EQ(header.find("Orbit"), std::string::npos);
    }
    EXPECT_EQ(header_bar_text(a), barA);
    EXPECT_EQ(header_bar_text(b), barB);
}

TEST(OcTask, APlainRunAfterASeparationCarriesNoSeparationText) {
    Started s;
    s.openOc({obs_line("1", "568")});
    fw::ChildFrame* input = s.app.frame()->activeChildFrame();
    zeltest::write_text(s.path("omc.hat"), std::string(68, 'H') + "xx");
    s.app.OnOcCalculate();
    const std::string plain = s.ctx().HeaderText;
    // Separate the residuals of observatory 568 from the run's window.
    s.pkg.lib.sepCount = 1;
    SeparationChoice c;
    c.separation = 1;
    c.oneObservatory = 1;
    c.code = "568";
    s.dialogs.sepAnswer = c;
    s.dialogs.sepObservatory = 568;
    s.app.OnOcSeparate();
    ASSERT_NE(header_bar_text(s.app.frame()->activeChildFrame()).find("Observatory number 568"), std::string::npos);
    // Calculate again in the input window: the header of a plain run.
    s.app.frame()->mdiArea()->setActiveSubWindow(input);
    s.app.OnOcCalculate();
    fw::ChildFrame* result = s.app.frame()->activeChildFrame();
    ASSERT_EQ(result->document()->docTemplate()->docName(), "OCRes");
    EXPECT_EQ(s.ctx().HeaderText, plain);
    EXPECT_EQ(header_bar_text(result).find("Observatory"), std::string::npos);
    EXPECT_EQ(header_bar_text(result), plain);
}

TEST(Identify, AllLinesWhenNoneIsSelectedAndTheToleranceDialogsValues) {
    Started s;
    std::vector<std::string> lines{obs_line("a"), obs_line("b"), obs_line("c")};
    s.openIdent(lines);
    EXPECT_EQ(s.ctx().TaskCode, 13);
    s.app.OnIdentificationIdentify();
    EXPECT_EQ(read_file(s.pkg.work.path() / "input.id1"), lines[0] + "\r\n" + lines[1] + "\r\n" + lines[2] + "\r\n");
    ASSERT_EQ(s.pkg.lib.runCounters.size(), 1u);
    EXPECT_EQ(s.pkg.lib.runCounters[0], (std::array<int, 3>{0, 1, 3}));
    EXPECT_EQ(s.pkg.lib.tolRA, 20.0);
    EXPECT_EQ(s.pkg.lib.tolDecl, 10.0);
    const auto* result = dynamic_cast<CIndentResultView*>(s.app.frame()->activeChildFrame()->view());
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(result->run().tolDecl, 10.0);
    EXPECT_EQ(result->run().tolRA, 20.0);
    EXPECT_EQ(s.ctx().IdRun.status, 3);
    EXPECT_EQ(s.ctx().TaskCode, 14);
    EXPECT_EQ(s.activeDoc()->docTemplate()->docName(), "IndRes");
    // The identification counters are the identification's own.
    EXPECT_EQ(s.ctx().OcRun.last, 0);
}

TEST(Identify, CancellingTheCheckOfTheThirdLineWritesTwoAndRunsNothing) {
    Started s;
    std::vector<std::string> lines;
    for (const char* n : {"a", "b", "c", "d", "e"}) lines.push_back(obs_line(n));
    s.openIdent(lines);
    fw::LineListView* list = s.activeList();
    for (int r = 0; r < 5; ++r) list->selectRow(r, r > 0);
    s.pkg.lib.checks = {{}, {}, {1, 26, 26}};
    s.boxes.answers = {Answer::Ok, Answer::Cancel};
    s.app.OnIdentificationIdentify();
    EXPECT_EQ(read_file(s.pkg.work.path() / "input.id1"), lines[0] + "\r\n" + lines[1] + "\r\n");
    EXPECT_EQ(s.texts(), (std::vector<std::string>{"Format error in line 3", "Try to correct or cancel"}));
    EXPECT_TRUE(s.pkg.lib.runCounters.empty());
    EXPECT_EQ(s.ctx().TaskCode, 13);
}

TEST(Identify, EmptyFileAndMissingWindowAreRefused) {
    Started s;
    zeltest::write_text(s.path("empty.idn"), "");
    s.files.answers.push_back(s.path("empty.idn"));
    s.app.OnTasksIdentifications();
    s.app.OnIdentificationIdentify();
    EXPECT_EQ(s.texts(), std::vector<std::string>{"Error: empty input file! Add strings or Save your file"});
    s.writeLines("empty.idn", {obs_line("a")});
    s.app.frame()->closeAllDocuments();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    s.app.OnIdentificationIdentify();
    EXPECT_EQ(s.texts().back(), "Fail:No Activate View");
    EXPECT_TRUE(s.pkg.lib.runCounters.empty());
}

TEST(LineCheck, GeocentreForAMissingCodeAndTheStringEditorLoop) {
    Started s;
    std::vector<std::string> lines{obs_line("a", "   "), obs_line("b")};
    s.openIdent(lines);
    fw::LineDocument* doc = s.activeDoc();
    auto* frame = dynamic_cast<TaskChildFrame*>(s.app.frame()->activeChildFrame());
    LineWindow w{&doc->lines, doc, frame->formatKey(), {}};
    EXPECT_EQ(w.formatKey, 10);
    LineEditSession session;

    // Code absent, Yes: "500" in columns 78-80, accepted without a second check.
    s.pkg.lib.checks = {{3, 78, 80}};
    s.boxes.answers = {Answer::Yes};
    EXPECT_TRUE(CheckLine(session, s.pkg.lib, s.dialogs, w, 0, 2, 1, 10));
    EXPECT_EQ(s.texts(), std::vector<std::string>{"Observatory code is absent in line 1. \n Geocenter?"});
    EXPECT_EQ(doc->lines[0].substr(77), "500\r\n");
    EXPECT_EQ(doc->lines[0].size(), 82u);
    EXPECT_TRUE(doc->isModified());
    EXPECT_EQ(s.pkg.lib.checked.size(), 1u);

    // A format error, Retry: the editor shows the error and puts the caret
    // at the field; the saved line is checked again and passes.
    s.boxes.shown.clear();
    s.pkg.lib.checks = {{1, 26, 26}, {}};
    s.boxes.answers = {Answer::Ok, Answer::Retry};
    const std::string fixed = obs_line("b fixed") + "overflow";
    s.dialogs.editAnswers = {fixed};
    EXPECT_TRUE(CheckLine(session, s.pkg.lib, s.dialogs, w, 1, 2, 1, 10));
    ASSERT_EQ(s.dialogs.edits.size(), 1u);
    const StringEditRequest& r = s.dialogs.edits[0];
    EXPECT_EQ(r.message, "After the error: Format error");
    EXPECT_EQ(r.caret, 25);
    EXPECT_EQ(r.lineNumber, 2);
    EXPECT_EQ(r.lineText, lines[1]);
    EXPECT_EQ(r.title, std::string(ColumnCaptionTable[24][0]));
    EXPECT_EQ(r.secondsMask, std::string(ColumnCaptionTable[24][2]));
    EXPECT_EQ(r.minutesMask, std::string(ColumnCaptionTable[24][4]));
    EXPECT_EQ(doc->lines[1], fixed.substr(0, 80) + "\r\n");  // cut to 80 columns
    EXPECT_EQ(s.pkg.lib.checked.back(), fixed.substr(0, 80));

    // Retry, then Cancel in the editor: the command ends, the error is cleared.
    s.pkg.lib.checks = {{2, 16, 31}};
    s.boxes.answers = {Answer::Ok, Answer::Retry};
    EXPECT_FALSE(CheckLine(session, s.pkg.lib, s.dialogs, w, 1, 2, 1, 10));
    EXPECT_EQ(session.check[0], 0);
}

TEST(LineEditing, EachWindowKeepsItsOwnRecordFormat) {
    Started s;
    AppContext& ctx = s.ctx();
    // An observatory list line: a 79-byte record, and stays one whatever
    // TaskCode says now.
    std::vector<std::string> obs{std::string("095  30.32750 0.845290+0.533809Crimea-Nauchnij") + std::string(33, ' ')};
    ASSERT_EQ(obs[0].size(), 79u);
    fw::LineDocument doc;
    LineWindow w{&obs, &doc, 200, {0}};
    ctx.TaskCode = kTaskOcInput;
    LineEditSession session;
    std::string edited = obs[0];
    edited.replace(48, 6, "XXXXXX");
    s.dialogs.editAnswers = {edited};
    EXPECT_EQ(EditTableLine(session, s.dialogs, w), 1);
    EXPECT_EQ(obs[0], edited);
    EXPECT_EQ(obs[0].size(), 79u);
    EXPECT_EQ(s.dialogs.edits.back().title, std::string(ColumnCaptionTable[28][0]));
    EXPECT_EQ(s.dialogs.edits.back().lineText.size(), 79u);

    // A shorter edited observation line is padded to 80; saving an
    // unchanged, non-blank line leaves it untouched but marks the document.
    std::vector<std::string> oc{obs_line("x")};
    fw::LineDocument ocDoc;
    LineWindow v{&oc, &ocDoc, 1, {0}};
    s.dialogs.editAnswers = {std::string("short")};
    EXPECT_EQ(EditTableLine(session, s.dialogs, v), 1);
    EXPECT_EQ(oc[0], "short" + std::string(75, ' ') + "\r\n");
    ocDoc.setModified(false);
    s.dialogs.editAnswers = {oc[0]};
    EXPECT_EQ(EditTableLine(session, s.dialogs, v), 1);
    EXPECT_TRUE(ocDoc.isModified());
    EXPECT_EQ(session.savedText, oc[0]);

    // A window without editable lines: "Error: No such type." and key 1;
    // no selection: nothing to edit.
    s.boxes.shown.clear();
    LineWindow none{&oc, &ocDoc, 0, {}};
    EXPECT_EQ(EditTableLine(session, s.dialogs, none), 0);
    EXPECT_EQ(s.texts(), (std::vector<std::string>{"Error: No such type.", "No string selected to edit"}));
    EXPECT_EQ(windowFormatKey("OC", 231), 3);
    EXPECT_EQ(windowFormatKey("Observ1", 0), 200);
    EXPECT_EQ(windowFormatKey("PlaLT", 0), 0);
}

TEST(Plates, ObjectListChecksTheFirstSelectedLineAndSearches) {
    Started s;
    std::string plate = obs_line("plate1", "   ");
    s.writeLines("p.plt", {plate, obs_line("plate2")});
    s.files.answers.push_back(s.path("p.plt"));
    s.app.OnTasksPlates();
    EXPECT_EQ(s.ctx().TaskCode, 15);
    s.activeList()->selectRow(0);
    s.pkg.lib.checks = {{3, 78, 80}};
    s.boxes.answers = {Answer::Yes};
    zeltest::write_text(s.path("plt.hat"), std::string("  head one") + std::string(72, '\0') + "head two");
    s.app.OnPlateObjectList();
    EXPECT_EQ(s.pkg.lib.calls, (std::vector<std::string>{"cntl 1 1", "PltCalc"}));
    EXPECT_EQ(s.pkg.lib.magLimit, 18.5);
    EXPECT_EQ(s.pkg.lib.plateLine, plate.substr(0, 77) + "500\r\n");
    EXPECT_EQ(s.ctx().HeaderText, "  head one\r\nhead two\r\n");
    EXPECT_EQ(s.ctx().TaskCode, 16);
    EXPECT_EQ(s.activeDoc()->docTemplate()->docName(), "PlaLT");
}

TEST(Observatories, NoEditingWithoutTheBackups) {
    Started s;
    zeltest::write_text(s.pkg.dataDir + "observa1.dat", std::string(79, ' '));
    s.pkg.lib.backupError = "cannot write file observat.bak: No space left on device";
    const int task = s.ctx().TaskCode;
    s.app.OnTasksObservatories();
    EXPECT_EQ(s.pkg.lib.calls, (std::vector<std::string>{"obspat", "obsbak"}));
    EXPECT_EQ(s.ctx().TaskCode, task);
    EXPECT_EQ(s.app.frame()->activeChildFrame(), nullptr);
}

TEST(Observatories, BackupsFirstAndASelectionWithoutMatch) {
    Started s;
    zeltest::write_text(s.pkg.dataDir + "observa1.dat", std::string(79, ' '));
    s.app.OnTasksObservatories();
    EXPECT_EQ(s.pkg.lib.calls, (std::vector<std::string>{"obspat", "obsbak", "obsba1"}));
    EXPECT_EQ(s.ctx().TaskCode, 17);
    EXPECT_EQ(s.app.frame()->statusPanes().ids(), (std::vector<int>{0, 59141, 59142, 59138}));
    s.dialogs.obsAnswer = ObsChoice{0, "", "999"};
    s.app.OnObservatoriesSelect();
    EXPECT_EQ(s.pkg.lib.calls.back(), "sea_ob1 1 '999'");
    EXPECT_EQ(s.texts(), std::vector<std::string>{"Fragment not found"});
    EXPECT_EQ(s.ctx().SelectionText, "Selection by number 999");
    s.pkg.lib.seaFound = 2;
    s.dialogs.obsAnswer = ObsChoice{1, "Crimea", ""};
    zeltest::write_text(s.path("result.ob4"), "");
    s.app.OnObservatoriesSelect();
    EXPECT_EQ(s.ctx().SelectionText, "Selection by fragment 'Crimea'");
    EXPECT_EQ(s.ctx().EditCommandEnabled, 0);
}

TEST(BusyShell, ACommandPumpedDuringARunCannotStartASecond) {
    Started s;
    std::vector<std::string> lines;
    for (int i = 1; i <= 20; ++i) lines.push_back(obs_line(std::to_string(i)));
    s.openIdent(lines);
    bool tried = false;
    s.pkg.lib.onRun = [&] {
        if (tried) return;
        tried = true;
        // Inside the run: the user picks Identify again, and Tasks|Observatories.
        EXPECT_FALSE(s.app.queryCommand(cmd::kIdentificationIdentify).enabled);
        EXPECT_FALSE(s.app.routeCommand(cmd::kIdentificationIdentify));
        EXPECT_FALSE(s.app.routeCommand(cmd::kTasksObservatories));
        EXPECT_TRUE(s.app.queryCommand(cmd::kTasksOc).enabled);
    };
    s.app.OnIdentificationIdentify();
    EXPECT_TRUE(tried);
    EXPECT_EQ(s.pkg.lib.runCounters.size(), 1u);
    EXPECT_EQ(std::count(s.pkg.lib.calls.begin(), s.pkg.lib.calls.end(), "obspat"), 0);
    EXPECT_TRUE(s.app.queryCommand(cmd::kIdentificationIdentify).enabled);
}

TEST(Accuracy, PageRules) {
    AccuracyPageModel m;
    OcAccuracySettings s;
    s.model = s.runModel = 2;
    s.perturbers = {0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0};
    m.initFromSettings(s, false);
    EXPECT_TRUE(m.perturbersEnabled);
    EXPECT_TRUE(m.nodesEnabled);
    // Clearing the last ticked body switches to nodes and disables the boxes.
    m.onPerturberClicked(4, false);
    EXPECT_EQ(m.model, 1);
    EXPECT_FALSE(m.perturbersEnabled);

    // An introduced orbit opens with elliptic motion instead of nodes.
    s.model = s.runModel = 1;
    m.initFromSettings(s, true);
    EXPECT_EQ(m.model, 0);
    EXPECT_FALSE(m.nodesEnabled);

    // Earth ticked with "Earth, Moon": switch 2, digit "2" in column 1168.
    m.onIntegration();
    m.onPerturberClicked(kBoxEarth, true);
    EXPECT_TRUE(m.earthRadiosEnabled());
    m.earthMode = 1;
    OcAccuracySettings out;
    m.store(out);
    EXPECT_EQ(out.perturbers[2], 2);
    EXPECT_EQ(out.model, 2);
    std::string record(1418, ' ');
    m.storeRecord(record);
    EXPECT_EQ(record.substr(1164, 14), "20020100000000");  // model, bodies (Jupiter still ticked), relSun
    AccuracyPageModel back;
    back.initFromRecord(record, false);
    EXPECT_EQ(back.model, 2);
    EXPECT_EQ(back.earthMode, 1);
    EXPECT_EQ(back.boxes[kBoxEarth], 1);
}

TEST(Accuracy, DialogOkStoresAndCancelKeepsTheSettings) {
    AppContext ctx;
    ctx.EphemerisMode = true;
    OcAccuracySettings acc;
    acc.model = acc.runModel = 1;
    {
        CAccuracyDlg dlg(ctx, acc, true);
        ASSERT_TRUE(dlg.onInitDialog());
        EXPECT_FALSE(ctx.EphemerisMode);
        EXPECT_TRUE(dlg.page()->radio(0)->isChecked());
        EXPECT_FALSE(dlg.page()->radio(1)->isEnabled());
        EXPECT_EQ(dlg.currentPage(), dlg.page());
        dlg.page()->radio(2)->click();
        dlg.page()->box(3)->click();  // Mars
        dlg.onCancel();
    }
    EXPECT_EQ(acc.model, 1);
    EXPECT_EQ(acc.perturbers[3], 0);
    {
        CAccuracyDlg dlg(ctx, acc, true);
        dlg.onInitDialog();
        dlg.page()->radio(2)->click();
        dlg.page()->box(3)->click();
        dlg.onOK();
    }
    EXPECT_EQ(acc.model, 2);
    EXPECT_EQ(acc.runModel, 2);
    EXPECT_EQ(acc.perturbers[3], 1);
}

TEST(SmallDialogs, FieldErrorHintsAndTheSplashSwallowsTheFirstPress) {
    CFieldErrorDlg err;
    err.message = "Data out of range";
    err.onInitDialog();
    EXPECT_EQ(err.messageLabel()->text(), QStringLiteral("Data out of range"));
    EXPECT_TRUE(err.hintLabel(0)->isHidden());
    EXPECT_TRUE(err.hintLabel(1)->isHidden());

    // A main window that is not yet laid out where it will be (maximised):
    // the splash is centred on the screen all the same.
    QWidget main;
    main.setGeometry(10, 10, 300, 200);
    main.show();
    SplashScreen::EnableSplashScreen(false);
    SplashScreen::ShowSplashScreen(&main);
    EXPECT_EQ(SplashScreen::window(), nullptr);
    SplashScreen::EnableSplashScreen(true);
    SplashScreen::ShowSplashScreen(&main);
    ASSERT_NE(SplashScreen::window(), nullptr);
    const QRect screen = main.screen()->availableGeometry();
    EXPECT_LE((SplashScreen::window()->frameGeometry().center() - screen.center()).manhattanLength(), 2);
    QMouseEvent move(QEvent::MouseMove, QPointF(1, 1), QPointF(1, 1), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    EXPECT_FALSE(SplashScreen::PreTranslateAppMessage(&move));
    QMouseEvent press(QEvent::NonClientAreaMouseButtonPress, QPointF(1, 1), QPointF(1, 1), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    EXPECT_TRUE(SplashScreen::PreTranslateAppMessage(&press));
    EXPECT_EQ(SplashScreen::window(), nullptr);
    QMouseEvent again(QEvent::MouseButtonPress, QPointF(1, 1), QPointF(1, 1), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    EXPECT_FALSE(SplashScreen::PreTranslateAppMessage(&again));
    // A key: its shortcut test and its press are both swallowed.
    SplashScreen::ShowSplashScreen(&main);
    QKeyEvent test(QEvent::ShortcutOverride, Qt::Key_N, Qt::ControlModifier);
    QKeyEvent key(QEvent::KeyPress, Qt::Key_N, Qt::ControlModifier);
    QKeyEvent next(QEvent::KeyPress, Qt::Key_N, Qt::ControlModifier);
    EXPECT_TRUE(SplashScreen::PreTranslateAppMessage(&test));
    EXPECT_TRUE(SplashScreen::PreTranslateAppMessage(&key));
    EXPECT_FALSE(SplashScreen::PreTranslateAppMessage(&next));
    SplashScreen::EnableSplashScreen(false);
    char prog[] = "zelvo", emb[] = "/Embedding", other[] = "-x";
    char* with[] = {prog, emb};
    char* without[] = {prog, other};
    EXPECT_TRUE(SplashScreen::embeddingSwitch(2, with));
    EXPECT_FALSE(SplashScreen::embeddingSwitch(2, without));
}

}  // namespace
