// The ephemeris set-up: loading the task record, the pages' rules and field
// checks (through the library's own checks), the task description, Run with
// the library's record check, and the set-up dialog's widgets.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <cstring>
#include <filesystem>
#include <functional>

#include "framework/cp1252.h"
#include "framework/messages.h"
#include "framework/progress.h"
#include "shell_support.h"
#include "zelvo/app/accuracy.h"
#include "zelvo/app/commands.h"
#include "zelvo/app/tables.h"
#include "zelvo/ephemeris/ephdialog.h"
#include "zelvo/ephemeris/ephresult.h"
#include "zelvo/ephemeris/ephsetup.h"
#include "zelvo/shell/app.h"

namespace {

namespace fs = std::filesystem;
using namespace zelvo;
using namespace zelvo::eph;
namespace F = zelvomat::eph_field;
using zelvomat::EphTaskRecord;

// A settings file "setpar" of 14 records with the package values the checks
// read (record 6): 100 objects, 90 numbered, years 2000-2004, the ephemeris
// file's span 1959-2060.
void write_settings() {
    std::vector<std::uint8_t> b(14 * 80, 0);
    const auto text = [&](int rec, const std::string& t) {
        std::memset(b.data() + (rec - 1) * 80, ' ', 80);
        std::memcpy(b.data() + (rec - 1) * 80, t.data(), t.size());
    };
    const auto put = [&](std::size_t at, const void* v, std::size_t n) { std::memcpy(b.data() + 5 * 80 + at, v, n); };
    text(3, "/tmp/coorbp");
    text(4, "/tmp/");
    text(5, "");
    const double epoch = 2451545.0, first = 2436912.5, last = 2469807.5;
    const std::int32_t objects = 100, numbered = 90, special = 0;
    const std::int16_t y0 = 2000, y1 = 2004;
    put(0, &epoch, 8);
    put(8, &objects, 4);
    put(12, &numbered, 4);
    put(16, &special, 4);
    put(20, &y0, 2);
    put(22, &y1, 2);
    put(24, &first, 8);
    put(32, &last, 8);
    zeltest::write_bytes("setpar", b);
}

// A working directory with the settings, a scripted library (whose checks
// are the library's own) and scripted message boxes.
struct Bench {
    zeltest::ScopedWorkDir dir;
    zeltest::FakeLibrary lib;
    fw::ScriptedMessageService boxes;
    fw::ScopedMessageService use{boxes};
    AppContext ctx;
    Bench() { write_settings(); }
    // A set-up whose pages start from rec.
    std::unique_ptr<EphSetup> setup(const EphTaskRecord& rec) {
        ctx.EphRecord = rec;
        auto s = std::make_unique<EphSetup>(ctx, lib);
        s->initPages();
        return s;
    }
};

EphTaskRecord with(std::function<void(EphTaskRecord&)> f) {
    EphTaskRecord r = EphTaskRecord::defaults();
    f(r);
    return r;
}

// Types text into field k of page p the way the widgets do: the field gets
// the focus, its text changes, then the check runs as the tree does.
std::optional<FieldError> type_and_check(EphSetup& s, int page, int k, const std::string& text, bool fromTree) {
    s.fieldFocused(page, k);
    switch (page) {
        case kObjectPage:
            s.object.text[static_cast<std::size_t>(k)] = text;
            break;
        case kCentrePage:
            s.centre.text[static_cast<std::size_t>(k)] = text;
            break;
        case kIntervalPage:
            s.interval.text[static_cast<std::size_t>(k)] = text;
            break;
        default:
            s.restrict.current[static_cast<std::size_t>(k)] = text;
            break;
    }
    return s.checkPending(fromTree);
}

// ---- Loading ------------------------------------------------------------------------------

TEST(EphSetupLoad, MissingOrShortRecordOffersANewOne) {
    for (int size : {-1, 1417}) {
        SCOPED_TRACE(size);
        Bench b;
        if (size > 0) zeltest::write_text("eph.cfg", std::string(static_cast<std::size_t>(size), ' '));
        b.boxes.answers = {fw::Answer::Yes};
        EphSetup s(b.ctx, b.lib);
        ASSERT_TRUE(s.load());
        ASSERT_EQ(b.boxes.shown.size(), 1u);
        EXPECT_EQ(b.boxes.shown[0].text, "No configuration file or it's wrong. Create new?");
        // The defaults, over ten days from the first day of the package's
        // years (2000-2004 here, before today).
        EXPECT_EQ(b.ctx.EphRecord, with([](EphTaskRecord& r) {
                      r.set(zelvomat::eph_field::beginDate, "20000101.00000");
                      r.set(zelvomat::eph_field::endDate, "20000111.00000");
                  }));
        EXPECT_FALSE(fs::exists("eph.cf1"));  // deleted after the check
        s.BuildTaskDescription();
        EXPECT_EQ(s.description.block1, " Numbers from 1      to 1     \r\n Spherical  Astrometric");
        EXPECT_EQ(s.description.block2.rfind(" Equator  2000.0\r\n Earth   Geocenter\r\n Arbitrary  20000101.00000 "
                                             "20000111.00000 1.0000000",
                                             0),
                  0u)
            << s.description.block2;
        EXPECT_EQ(s.description.block3, " EMP\r\n Nodes\r\n No restrictions");
        EXPECT_EQ(b.ctx.TaskCode, 0);
        EXPECT_EQ(b.ctx.EphFormatKey, 12);
        EXPECT_EQ(b.ctx.SelectionText, " ");
    }
    // No: the task is cancelled after the second message.
    Bench b;
    b.boxes.answers = {fw::Answer::No};
    EphSetup s(b.ctx, b.lib);
    EXPECT_FALSE(s.load());
    ASSERT_EQ(b.boxes.shown.size(), 2u);
    EXPECT_EQ(b.boxes.shown[1].text,
              "Copy configuration file from another folder\nor repeate call and create new configuration");
}

TEST(EphSetupLoad, AGoodRecordLoadsWithoutAQuestion) {
    Bench b;
    const EphTaskRecord rec = with([](EphTaskRecord& r) { r.store_object_name("Ceres"); });
    ASSERT_TRUE(zelvomat::save_eph_task(rec).ok());
    EphSetup s(b.ctx, b.lib);
    ASSERT_TRUE(s.load());
    EXPECT_TRUE(b.boxes.shown.empty());
    EXPECT_EQ(s.object.radio, 1);
    EXPECT_EQ(s.object.text[2], "Ceres             ");
    EXPECT_EQ(s.object.text[0], "");  // other modes' texts are hidden
}

// ---- Coordinates, main plane and output format --------------------------------------------

TEST(FramePages, ChoicesMoveToAllowedCombinations) {
    struct Case {
        const char* what;
        EphTaskRecord start;
        std::function<void(EphSetup&)> act;
        int type, position, plane, equinox, output;
        std::array<bool, 3> planeEnabled, equinoxEnabled, outputEnabled;
        int observer;  // -2: not checked
        bool geoEnabled;
    };
    const auto noop = [](EphSetup&) {};
    const std::vector<Case> cases = {
        {"REC with APP opens geometric",
         with([](EphTaskRecord& r) {
             r.store_frame("REC", "APP", "EQT", "2000");
             r.store_output("POS");
         }),
         noop,
         1,
         1,
         0,
         0,
         1,
         {true, true, false},
         {true, true, false},
         {true, true, true},
         -2,
         true},
        {"rectangular moves EMP to positions",
         EphTaskRecord::defaults(),
         [](EphSetup& s) {
             s.OnRectangular();
             s.onOutputPageShown();
         },
         1,
         1,
         0,
         0,
         1,
         {true, true, false},
         {true, true, false},
         {false, true, true},
         -2,
         true},
        {"apparent, horizon, true: Earth's topocentre",
         EphTaskRecord::defaults(),
         [](EphSetup& s) {
             s.OnApparent();
             s.OnHorizon();
             s.OnTrueEquinox();
         },
         0,
         2,
         2,
         2,
         0,
         {true, true, true},
         {false, false, true},
         {true, true, false},
         1,
         false},
        {"then geometric: equator and the geocentre allowed again",
         EphTaskRecord::defaults(),
         [](EphSetup& s) {
             s.OnApparent();
             s.OnHorizon();
             s.OnGeometric();
         },
         0,
         1,
         0,
         2,
         0,
         {true, true, false},
         {true, true, true},
         {true, true, false},
         1,
         true},
        {"astrometric: equator only, true equinox to 2000",
         with([](EphTaskRecord& r) { r.store_frame("SPH", "GMT", "ECL", "INST"); }),
         [](EphSetup& s) { s.OnAstrometric(); },
         0,
         0,
         0,
         0,
         0,
         {true, false, false},
         {true, true, false},
         {true, true, true},
         -2,
         true},
        {"apparent: no velocities each time the output page shows",
         with([](EphTaskRecord& r) { r.store_output("PSV"); }),
         [](EphSetup& s) {
             s.OnApparent();
             s.onOutputPageShown();
             s.onOutput(2);
             s.onOutputPageShown();
         },
         0,
         2,
         0,
         2,
         1,
         {true, true, true},
         {false, false, true},
         {true, true, false},
         -2,
         true},
        {"back to spherical restores the record's position kind",
         with([](EphTaskRecord& r) { r.store_frame("SPH", "GMT", "EQT", "2000"); }),
         [](EphSetup& s) {
             s.OnAstrometric();
             s.OnRectangular();
             s.OnSpherical();
             s.onOutputPageShown();
         },
         0,
         1,
         0,
         0,
         1,
         {true, true, false},
         {true, true, true},
         {true, true, true},
         1,
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bench b;
        auto s = b.setup(c.start);
        c.act(*s);
        const FramePagesState& f = s->frame;
        EXPECT_EQ(f.type, c.type);
        EXPECT_EQ(f.position, c.position);
        EXPECT_EQ(f.plane, c.plane);
        EXPECT_EQ(f.equinox, c.equinox);
        EXPECT_EQ(f.output, c.output);
        EXPECT_EQ(f.planeEnabled, c.planeEnabled);
        EXPECT_EQ(f.equinoxEnabled, c.equinoxEnabled);
        if (c.what[0] != 'R' || !c.outputEnabled[0]) {
            EXPECT_EQ(f.outputEnabled, c.outputEnabled);
        }
        if (c.observer != -2) {
            EXPECT_EQ(s->centre.observer, c.observer);
        }
        EXPECT_EQ(s->centre.geoEnabled, c.geoEnabled);
    }
    // Storing the REC/APP record writes geometric positions.
    Bench b;
    auto s = b.setup(cases[0].start);
    s->StoreTaskRecord();
    EXPECT_EQ(b.ctx.EphRecord.get(F::positionKind), "GMT");
}

// ---- Object(s) -----------------------------------------------------------------------------

TEST(ObjectPage, FieldChecks) {
    struct Case {
        const char* what;
        int field;
        std::string text, other;  // other: the partner field (To for From, ...)
        bool fromTree;
        std::string message;  // empty: passes
        std::string result;   // the field after a pass
    };
    const std::vector<Case> cases = {
        {"number left-justified", 0, "  12", "20", false, "", "12    "},
        {"To less than From, from the tree", 1, "5", "10", true, "\"Number To\" is less than \"Number From\".", ""},
        {"empty To when From is tested", 0, "10", "", true, "\"Number To\" is less than \"Number From\".", ""},
        {"To less than From, while typing", 1, "5", "10", false, "", "5     "},
        {"blank From", 0, "   ", "1", false, "Change the field \"From\" .", ""},
        {"blank To", 1, "", "1", false, "Change the field \"To\" .", ""},
        {"number beyond the numbered objects", 0, "91", "95", false,
         std::string(ControlErrorText[2]) + ". Change the field \"Number(s) From\".", ""},
        {"not a number", 1, "1x", "1", false,
         std::string(ControlErrorText[1]) + ". Change the field \"Number(s) To\". ", ""},
        {"name left-justified", 2, "  Ceres", "", false, "", "Ceres             "},
        {"blank name", 2, "  ", "", false, "Change the field \"Object name\" .", ""},
        {"opposition dates in order", 3, "20010101.0", "20010301.0", true, "", "20010101.0"},
        {"opposition To before From", 4, "20010101.0", "20010301.0", true,
         "\"Oppositions To\" is less than \"Oppositions From\".", ""},
        {"list file kept as typed", 5, " my.lst", "", true, "", " my.lst" + std::string(73, ' ')},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bench b;
        auto s = b.setup(EphTaskRecord::defaults());
        if (c.field <= 1)
            s->OnNumbers();
        else if (c.field == 2)
            s->OnObjectName();
        else if (c.field <= 4)
            s->OnOppositions();
        else
            s->OnObjectList();
        const int partner = c.field == 0 ? 1 : c.field == 1 ? 0 : c.field == 3 ? 4 : c.field == 4 ? 3 : c.field;
        if (partner != c.field) s->object.text[static_cast<std::size_t>(partner)] = c.other;
        const auto e = type_and_check(*s, kObjectPage, c.field, c.text, c.fromTree);
        if (c.message.empty()) {
            EXPECT_FALSE(e) << e->message;
            EXPECT_EQ(s->object.text[static_cast<std::size_t>(c.field)], c.result);
            EXPECT_FALSE(s->check.pending());
        } else {
            ASSERT_TRUE(e);
            EXPECT_EQ(e->message, c.message);
            EXPECT_TRUE(s->check.pending());  // the user stays on the field
            EXPECT_EQ(s->check.editedField, c.field);
        }
    }
}

TEST(ObjectPage, TypedOrbitsForceAnArbitraryIntervalAndNoNodes) {
    struct Case {
        const char* key;
        bool elements;
        const char* after;
    } cases[] = {{"NUMB", true, "EELM"}, {"FELM", true, "FELM"}, {"NUMB", false, "XXYZ"}, {"FXYZ", false, "FXYZ"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        Bench b;
        auto s = b.setup(with([&](EphTaskRecord& r) {
            r.set(F::objectKey, c.key);
            r.store_opposition_interval("2001", " 80", "10.0");
        }));
        if (std::string(c.key) == "NUMB") {
            EXPECT_EQ(s->interval.kind, 0);
            EXPECT_EQ(s->accuracy.model, 1);
        }
        if (c.elements)
            s->OnElements();
        else
            s->OnCoordinatesVelocities();
        EXPECT_EQ(b.ctx.EphRecord.get(F::objectKey), c.after);
        EXPECT_EQ(s->interval.kind, 1);
        EXPECT_FALSE(s->interval.nearOppositionEnabled);
        EXPECT_EQ(s->accuracy.model, 0);
        EXPECT_FALSE(s->accuracy.nodesEnabled);
        // Back to catalogue objects: near-opposition allowed, not chosen.
        s->OnNumbers();
        EXPECT_TRUE(s->interval.nearOppositionEnabled);
        EXPECT_EQ(s->interval.kind, 1);
        EXPECT_TRUE(s->accuracy.nodesEnabled);
    }
}

TEST(ObjectPage, ModesShowTheTextsAsLoaded) {
    Bench b;
    auto s = b.setup(with([](EphTaskRecord& r) {
        r.store_object_name("Vesta");
        r.store_numbers("5", "9");
    }));
    EXPECT_EQ(s->object.radio, 0);
    s->object.text[0] = "7";
    s->OnObjectName();
    EXPECT_EQ(s->object.text[2], "Vesta             ");
    EXPECT_EQ(s->object.text[0], "");
    s->OnNumbers();
    EXPECT_EQ(s->object.text[0], "5     ");
    // Storing Number(s) keeps the old name in its columns.
    s->StoreTaskRecord();
    EXPECT_EQ(b.ctx.EphRecord.get(F::objectKey), "NUMB");
    EXPECT_EQ(b.ctx.EphRecord.get(F::objectName), "Vesta             ");
}

// ---- Interval ------------------------------------------------------------------------------

TEST(IntervalPage, KindsAndChecks) {
    {
        Bench b;  // a centre other than the Earth: arbitrary only
        auto s = b.setup(with([](EphTaskRecord& r) {
            r.store_frame("REC", "GMT", "EQT", "2000");
            r.store_output("POS");
            r.set(F::centreIndex, "11");
            r.store_opposition_interval("2001", " 80", "10.0");
        }));
        EXPECT_EQ(s->interval.kind, 1);
        EXPECT_FALSE(s->interval.nearOppositionEnabled);
    }
    for (auto [cov, index] : {std::pair{" 80", 2}, std::pair{"090", 6}, std::pair{"120", 0}}) {
        SCOPED_TRACE(cov);
        Bench b;
        auto s = b.setup(with([&](EphTaskRecord& r) { r.store_opposition_interval("2001", cov, "10.0"); }));
        EXPECT_EQ(s->interval.kind, 0);
        EXPECT_EQ(s->interval.coverageIndex(), index);
        s->OnArbitrary();
        EXPECT_EQ(s->interval.coverage, "   ");
        s->StoreTaskRecord();
        EXPECT_EQ(b.ctx.EphRecord.get(F::intervalKind), "ARBT");
        EXPECT_EQ(b.ctx.EphRecord.get(F::coverage), cov);  // fields of the other kind are kept
    }
    struct Case {
        int field;
        std::string text;
        std::string message;
        std::string result;
    } cases[] = {
        {0, "2001", "", "2001"},
        {0, "20x1", "Wrong field definition. Change the field Year", ""},
        {1, "0", "Wrong field definition. Change the field Step", ""},
        {2, "20010111.0", "", "20010111.00000"},
        {3, "20010101.0", "", "20010101.00000"},
        {2, "20019911.0", std::string(ControlErrorText[1]) + ". Change the field \"Begin\"", ""},
        {4, "-1", std::string(ControlErrorText[2]) + ". Change the field \"Step\"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Bench b;
        auto s = b.setup(with([](EphTaskRecord& r) { r.store_opposition_interval("2001", " 80", "10.0"); }));
        if (c.field >= 2) s->OnArbitrary();
        const auto e = type_and_check(*s, kIntervalPage, c.field, c.text, true);
        if (c.message.empty()) {
            EXPECT_FALSE(e) << e->message;
            EXPECT_EQ(s->interval.text[static_cast<std::size_t>(c.field)].substr(0, c.result.size()), c.result);
        } else {
            ASSERT_TRUE(e);
            // Range and format errors may be told apart differently; the
            // field's part of the message is fixed.
            EXPECT_EQ(e->message.substr(e->message.find('.')), c.message.substr(c.message.find('.')));
        }
    }
}

// ---- Center (observer) -------------------------------------------------------------------------

TEST(CentrePage, BodiesAndObservers) {
    {
        Bench b;
        auto s = b.setup(with([](EphTaskRecord& r) { r.set(F::centreIndex, "15"); }));
        EXPECT_EQ(s->centre.centre, 3);
        s->onCentreSelected(4);  // Mars, spherical: back to the Earth
        EXPECT_EQ(s->centre.centre, 3);
    }
    for (bool minorFile : {true, false}) {
        SCOPED_TRACE(minorFile);
        Bench b;
        if (minorFile) zeltest::write_text("minor", "42");
        auto s = b.setup(with([](EphTaskRecord& r) {
            r.store_frame("REC", "GMT", "EQT", "2000");
            r.store_output("POS");
        }));
        s->onCentreSelected(13);
        EXPECT_TRUE(s->centre.numberShown);
        EXPECT_EQ(s->centre.minorNumber, minorFile ? "42" : "1");
        EXPECT_EQ(s->centre.observer, -1);
        EXPECT_FALSE(s->centre.geoEnabled);
        s->StoreTaskRecord();
        EXPECT_EQ(b.ctx.EphRecord.get(F::centreIndex), "13");
        EXPECT_EQ(b.ctx.EphRecord.get(F::observerKind), "GEO");
    }
    {
        Bench b;  // centre Sun stored as "10"
        auto s = b.setup(with([](EphTaskRecord& r) {
            r.store_frame("REC", "GMT", "EQT", "2000");
            r.store_output("POS");
        }));
        s->onCentreSelected(10);
        s->StoreTaskRecord();
        EXPECT_EQ(b.ctx.EphRecord.get(F::centreIndex), "10");
    }
}

TEST(CentrePage, FieldChecks) {
    struct Case {
        const char* what;
        int mode;
        int field;
        std::string text;
        bool fromTree;
        std::string message;  // empty: passes
        bool plainBox = false;
    };
    const std::vector<Case> cases = {
        // The test's data directory has no observatory list: no code is known.
        {"code not in the observatory list", 0, 0, "095", false,
         std::string(ControlErrorText[3]) + ". Change the field \"Catalog code\"."},
        {"longitude out of range", 2, 1, "400", false,
         std::string(ControlErrorText[2]) + ". Change the field \"Par. Longtitude\"."},
        {"dxy out of range", 2, 2, "1.5", false, std::string(ControlErrorText[2]) + ". Change the field \"dxy\". "},
        {"dxy and dz zero, typing", 2, 2, "0", false, ""},
        {"dxy and dz zero, leaving", 2, 2, "0", true, "Wrong field definition. Zero value of dxy and dz", true},
        {"latitude out of range", 3, 4, "95", false,
         std::string(ControlErrorText[2]) + ". Change the field \"Latitude\"."},
        {"blank height", 3, 5, "   ", true, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bench b;
        auto s = b.setup(with([](EphTaskRecord& r) {
            r.set(F::observerKind, "TOP");
            r.set(F::rhoSinPhi, "0");
        }));
        s->onObserverMode(c.mode);
        s->centre.text[6] = "0";
        const auto e = type_and_check(*s, kCentrePage, c.field, c.text, c.fromTree);
        if (c.message.empty()) {
            EXPECT_FALSE(e) << e->message;
        } else {
            ASSERT_TRUE(e);
            EXPECT_EQ(e->message, c.message);
            EXPECT_EQ(e->plainBox, c.plainBox);
        }
    }
}

TEST(CentrePage, AFailedNameSearchLeavesNoEarlierCode) {
    Bench b;
    auto s = b.setup(with([](EphTaskRecord& r) {
        r.set(F::observerKind, "TOP");
        r.set(F::placeName, "Ondrejov");
    }));
    b.lib.seaObsAnswers = {{"557 Ondrejov"}, {}};
    s->onObserverMode(1);
    EXPECT_EQ(s->centre.text[0], "557");
    // The list file still holds the first search's match.
    s->onObserverMode(1);
    EXPECT_TRUE(fs::exists("observat.sp1"));
    EXPECT_EQ(s->centre.text[0], "");
    s->StoreTaskRecord();
    EXPECT_EQ(b.ctx.EphRecord.get(F::observatoryCode), "   ");
    EXPECT_EQ(b.ctx.EphRecord.get(F::observerMode), "2");
}

// ---- Restrictions --------------------------------------------------------------------------------

TEST(RestrictionsPage, LayoutChecksAndStore) {
    {
        Bench b;
        auto s = b.setup(with([](EphTaskRecord& r) { r.set(F::restrictionMode, "6"); }));
        EXPECT_EQ(s->restrict.choice, 1);
        EXPECT_EQ(s->restrict.captions[0], "<=    R.A.    <=");
        EXPECT_EQ(b.ctx.EphCodeKey, "SPHEQTEMP");
    }
    Bench b;
    auto s = b.setup(EphTaskRecord::defaults());
    EXPECT_EQ(s->restrict.choice, 0);
    s->onSetRestrictions();
    ASSERT_TRUE(s->onRowSwitch(0, true));
    auto e = type_and_check(*s, kRestrictionsPage, 0, "12", false);
    EXPECT_FALSE(e);
    EXPECT_EQ(s->restrict.current[0], "120000.00 ");
    e = type_and_check(*s, kRestrictionsPage, 10, "25", false);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->message, "Wrong field definition. Change the field value");
    EXPECT_EQ(e->hint1, "    R.A.      (right)");
    // Switching the row off drops the faulty bound; on again shows the
    // bounds as Set restrictions loaded them.
    ASSERT_TRUE(s->onRowSwitch(0, false));
    EXPECT_FALSE(s->check.pending());
    ASSERT_TRUE(s->onRowSwitch(0, true));
    EXPECT_EQ(s->restrict.current[0], std::string(10, ' '));
    s->restrict.current[0] = "120000.00 ";
    s->restrict.reject = 1;
    s->BuildTaskDescription();
    EXPECT_EQ(b.ctx.SelectionText, " Restrictions:  120000.00<=R.A.;   No solitary headings");
    EXPECT_EQ(s->description.restrictionsText.substr(0, 2), "\r\n");
    s->StoreTaskRecord();
    const EphTaskRecord& r = b.ctx.EphRecord;
    EXPECT_EQ(r.get(F::restrictionMode), "6");
    EXPECT_EQ(r.get(F::headingsSwitch), "NOHD");
    EXPECT_EQ(r.restriction_switch(2, 1), '2');
    EXPECT_EQ(r.lower_bound(2, 1), "120000.00 ");
    EXPECT_EQ(r.restriction_switch(2, 2), '1');
}

TEST(RestrictionsPage, ChangedCodesResetOrLayOutAgain) {
    // A page change after the plane changed resets the page.
    {
        Bench b;
        auto s = b.setup(EphTaskRecord::defaults());
        s->onSetRestrictions();
        s->OnEcliptic();
        ASSERT_TRUE(s->treeSelecting(kRestrictionsPage));
        EXPECT_EQ(s->restrict.choice, 0);
        EXPECT_EQ(b.ctx.EphCodeKey, "SPHECLEMP");
    }
    // Nothing is reset while the page was never laid out.
    {
        Bench b;
        auto s = b.setup(EphTaskRecord::defaults());
        s->OnEcliptic();
        ASSERT_TRUE(s->treeSelecting(kIntervalPage));
        EXPECT_TRUE(b.ctx.EphCodeKey.empty());
    }
    // Run right after the plane changed: the equator's bounds are not
    // stored as the ecliptic's.
    Bench b;
    auto s = b.setup(with([](EphTaskRecord& r) { r.store_frame("SPH", "GMT", "EQT", "2000"); }));
    s->onSetRestrictions();
    ASSERT_TRUE(s->onRowSwitch(0, true));
    ASSERT_FALSE(type_and_check(*s, kRestrictionsPage, 0, "12", false));
    s->OnEcliptic();
    EXPECT_EQ(s->runTaskCheck(), EphSetup::RunResult::Accepted);
    const EphTaskRecord& r = b.ctx.EphRecord;
    EXPECT_EQ(r.get(F::restrictionMode), "7");
    EXPECT_EQ(r.restriction_switch(3, 1), '1');
    EXPECT_EQ(r.lower_bound(3, 1), std::string(10, ' '));
    EXPECT_EQ(s->restrict.captions[0], "<=    Long.   =<");
}

// ---- Description -----------------------------------------------------------------------------------

TEST(TaskDescription, RestrictionsCodesAndFiles) {
    struct R {
        const char *label, *lower, *upper, *want;
    } rs[] = {{"   Dist.  ", "10", "", "10<=Dist."},
              {" Dist.", "", " 2 ", "Dist.<=2"},
              {"Dist.", "1", "2", "1<=Dist.<=2"},
              {"Dist.", "  ", "", ""}};
    for (const R& r : rs) EXPECT_EQ(FormatRestriction(r.label, r.lower, r.upper), r.want);

    struct C {
        const char *type, *pos, *plane, *eq, *out;
        int taskCode, formatKey;
    } cs[] = {{"SPH", "AST", "EQT", "2000", "EMP", 0, 12}, {"SPH", "GMT", "ECL", "2000", "POS", 4, 13},
              {"SPH", "APP", "HRZ", "INST", "POS", 5, 14}, {"REC", "GMT", "ECL", "2000", "POS", 6, 15},
              {"REC", "GMT", "EQT", "2000", "PSV", 9, 25}, {"SPH", "GMT", "ECL", "2000", "PSV", 8, 23},
              {"SPH", "APP", "HRZ", "INST", "PSV", 77, 14}};
    for (const C& c : cs) {
        SCOPED_TRACE(std::string(c.type) + c.plane + c.out);
        Bench b;
        b.ctx.TaskCode = 77;
        auto s = b.setup(with([&](EphTaskRecord& r) {
            r.store_frame(c.type, c.pos, c.plane, c.eq);
            r.store_output(c.out);
        }));
        s->BuildTaskDescription();
        EXPECT_EQ(b.ctx.TaskCode, c.taskCode);
        EXPECT_EQ(b.ctx.EphFormatKey, c.formatKey);
    }
    Bench b;
    auto s = b.setup(with([](EphTaskRecord& r) {
        r.set(F::objectKey, "FELM");
        r.set(F::elementListFile, "/home/usr/orbits/list-2001.txt");  // 30 characters
    }));
    s->BuildTaskDescription();
    EXPECT_EQ(s->description.objectText, "Elements from file '...usr/orbits/list-2001.txt'");
}

// ---- Run -------------------------------------------------------------------------------------------

TEST(EphRun, RejectedRecordMarksItsSectionsAndSavesNothing) {
    Bench b;
    auto s = b.setup(with([](EphTaskRecord& r) { r.set(F::beginDate, ""); }));
    EXPECT_EQ(s->runTaskCheck(), EphSetup::RunResult::RecordRejected);
    EXPECT_FALSE(fs::exists("eph.cfg"));
    EXPECT_TRUE(fs::exists("Eph.cf1") || fs::exists("eph.cf1"));
    EXPECT_EQ(s->description.block2.substr(s->description.block2.rfind("\r\n") + 2, 4), " !  ");
    EXPECT_NE(s->description.block3.find(" !   -    The data conflict\r\n"), std::string::npos);
    ASSERT_FALSE(b.boxes.shown.empty());
    EXPECT_EQ(b.boxes.shown.back().text, "Task description error");

    // Corrected, the record is saved as "eph.cfg" and the driver runs with
    // the progress protocol.
    s->interval.text[2] = "20010101.00000";
    EXPECT_EQ(s->runTaskCheck(), EphSetup::RunResult::Accepted);
    EXPECT_EQ(zeltest::read_bytes("eph.cfg").size(), EphTaskRecord::kLength);
    zeltest::write_text("result.ep4", "old");
    EXPECT_EQ(s->RunEphemerisComputation(), "result.ep4");
    EXPECT_FALSE(fs::exists("result.ep4"));
    EXPECT_EQ(b.lib.calls.back(), "progr");
    EXPECT_EQ(b.ctx.EphRun.percent, 100);
    EXPECT_EQ(b.ctx.CalcInterrupted, 0);
}

// Every combination of choices that the pages allow makes a record that the
// library's check accepts.
TEST(EphRun, EveryAllowedCombinationPassesTheRecordCheck) {
    Bench b;
    zeltest::write_text("minor", "42");
    const EphTaskRecord base = with([](EphTaskRecord& r) {
        r.store_opposition_interval("2001", " 80", "10.0");
        r.set(F::siteLongitude, "14.78");
        r.set(F::rhoCosPhi, "0.6");
        r.set(F::rhoSinPhi, "0.8");
        r.set(F::geoLongitude, "14.78");
        r.set(F::geoLatitude, "49.9");
        r.set(F::geoHeight, "500");
    });
    int combos = 0;
    for (int type = 0; type < 2; ++type)
        for (int pos = 0; pos < 3; ++pos)
            for (int plane = 0; plane < 3; ++plane)
                for (int eq = 0; eq < 3; ++eq)
                    for (int out = 0; out < 3; ++out)
                        for (int centre = 0; centre < 14; ++centre)
                            for (int obs = 0; obs < 4; ++obs)  // 0 geocentre, 1-3 topocentre modes 0, 2, 3
                                for (int restricted = 0; restricted < 2; ++restricted) {
                                    auto s = b.setup(base);
                                    bool allowed = true;
                                    const auto pick = [&](bool enabled, const std::function<void()>& f) {
                                        if (!enabled)
                                            allowed = false;
                                        else
                                            f();
                                    };
                                    if (type == 1)
                                        s->OnRectangular();
                                    else
                                        s->OnSpherical();
                                    pick(s->frame.positionEnabled[pos], [&] {
                                        if (type == 0) {
                                            if (pos == 0) s->OnAstrometric();
                                            if (pos == 1) s->OnGeometric();
                                            if (pos == 2) s->OnApparent();
                                        }
                                    });
                                    pick(s->frame.planeEnabled[plane], [&] {
                                        if (plane == 0) s->OnEquator();
                                        if (plane == 1) s->OnEcliptic();
                                        if (plane == 2) s->OnHorizon();
                                    });
                                    pick(s->frame.equinoxEnabled[eq], [&] {
                                        if (eq == 2)
                                            s->OnTrueEquinox();
                                        else
                                            s->onEquinox(eq);
                                    });
                                    s->onOutputPageShown();
                                    pick(s->frame.outputEnabled[out], [&] { s->onOutput(out); });
                                    s->onCentreSelected(centre);
                                    if (s->centre.centre != centre) allowed = false;
                                    if (obs == 0) {
                                        pick(s->centre.geoEnabled || s->centre.observer == 0 ||
                                                 (s->centre.observer == -1 && centre != 3),
                                             [&] {
                                                 if (s->centre.geoEnabled) s->onGeocenter();
                                             });
                                    } else {
                                        pick(s->centre.topoEnabled && centre == 3, [&] {
                                            s->onTopocenter();
                                            s->onObserverMode(obs == 1 ? 0 : obs);
                                        });
                                    }
                                    if (restricted == 1) {
                                        s->onSetRestrictions();
                                        if (s->restrict.laidOut) {
                                            s->onRowSwitch(6, true);  // r, the distance from the Sun
                                            s->restrict.current[6] = s->restrict.types[6] == 14 ? "" : "1.0";
                                            s->check.page = kRestrictionsPage;
                                            s->check.editedField = 6;
                                            if (s->checkPending(true)) allowed = false;
                                        }
                                    }
                                    if (!allowed) continue;
                                    SCOPED_TRACE(s->codeKey() + " pos " + std::to_string(pos) + " eq " +
                                                 std::to_string(eq) + " centre " + std::to_string(centre) + " obs " +
                                                 std::to_string(obs) + " restricted " + std::to_string(restricted));
                                    ++combos;
                                    b.lib.conflAnswers.clear();
                                    ASSERT_EQ(s->runTaskCheck(), EphSetup::RunResult::Accepted)
                                        << s->description.block1 << "\n"
                                        << s->description.block2 << "\n"
                                        << s->description.block3;
                                }
    // Spherical from the Earth (geocentre and three topocentre modes) and
    // rectangular from any centre, each with and without restrictions.
    EXPECT_GT(combos, 200);
}

// ---- The dialog's widgets ----------------------------------------------------------------------

// The set-up dialog over a new record (the question answered Yes), its field
// errors recorded.
struct DialogBench : Bench {
    CEphTaskDlg dlg{ctx, lib, {}};
    std::vector<FieldError> errors;
    DialogBench() {
        boxes.answers = {fw::Answer::Yes};
        dlg.showFieldError = [this](const FieldError& e) { errors.push_back(e); };
    }
};

TEST(EphDialog, TreeChecksThePendingFieldAndRunSavesTheRecord) {
    DialogBench b;
    CEphTaskDlg& dlg = b.dlg;
    std::vector<FieldError>& errors = b.errors;
    ASSERT_TRUE(dlg.onInitDialog());
    EXPECT_EQ(dlg.currentPageNumber(), kDescriptionPage);
    auto* descr = dlg.findChild<QPlainTextEdit*>(QStringLiteral("ctl1186"));
    ASSERT_NE(descr, nullptr);
    EXPECT_TRUE(descr->toPlainText().startsWith(QStringLiteral(" Numbers from 1")));

    dlg.selectItem(dlg.item(kObjectPage));
    EXPECT_EQ(dlg.currentPageNumber(), kObjectPage);
    // Number To edited to less than From, then the Interval item.
    dlg.setup().object.text[0] = "10    ";
    ASSERT_FALSE(dlg.setup().fieldFocused(kObjectPage, 1));
    dlg.field(kObjectPage, 1)->setText(QStringLiteral("5"));
    emit dlg.field(kObjectPage, 1)->textEdited(QStringLiteral("5"));
    dlg.selectItem(dlg.item(kIntervalPage));
    QCoreApplication::processEvents();
    EXPECT_EQ(dlg.currentPageNumber(), kObjectPage);
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].message, "\"Number To\" is less than \"Number From\".");
    // Corrected, the tree moves on.
    dlg.field(kObjectPage, 1)->setText(QStringLiteral("20"));
    emit dlg.field(kObjectPage, 1)->textEdited(QStringLiteral("20"));
    dlg.selectItem(dlg.item(kIntervalPage));
    EXPECT_EQ(dlg.currentPageNumber(), kIntervalPage);
    // The field shows the checked text without its padding; the set-up
    // holds it padded to the width.
    EXPECT_EQ(dlg.field(kObjectPage, 1)->text(), QStringLiteral("20"));
    EXPECT_EQ(dlg.setup().object.text[1], "20    ");

    // A rectangular choice shows on the output page.
    dlg.selectItem(dlg.item(kCoordinatesPage));
    dlg.findChild<QRadioButton*>(QStringLiteral("ctl1035"))->click();
    dlg.selectItem(dlg.item(kOutputPage));
    EXPECT_FALSE(dlg.findChild<QRadioButton*>(QStringLiteral("ctl1091"))->isEnabled());
    EXPECT_TRUE(dlg.findChild<QRadioButton*>(QStringLiteral("ctl1092"))->isChecked());

    dlg.runPressed();
    EXPECT_EQ(dlg.result(), fw::kIdOk);
    const auto saved = zelvomat::load_eph_task();
    ASSERT_TRUE(saved.ok());
    EXPECT_EQ(saved->get(F::coordinateType), "REC");
    EXPECT_EQ(saved->get(F::lastNumber), "20    ");
    EXPECT_EQ(b.ctx.TaskCode, 6);
}

TEST(EphDialog, BlankFieldsTakeTypingAtOnceAndTheSetUpReadsThemPadded) {
    // A record whose name, opposition dates and restriction bounds are all
    // blanks, as a new record has them.
    DialogBench b;
    CEphTaskDlg& dlg = b.dlg;
    ASSERT_TRUE(dlg.onInitDialog());
    dlg.show();
    dlg.selectItem(dlg.item(kObjectPage));
    dlg.findChild<QRadioButton*>(QStringLiteral("ctl1141"))->click();  // Object name
    QLineEdit* name = dlg.field(kObjectPage, 2);
    EXPECT_EQ(name->text(), QString());
    name->setFocus();
    zeltest::type_text(name, fw::fromCp1252("\x8A"
                                            "afa\xF8\xEDk"));
    EXPECT_EQ(name->text(), fw::fromCp1252("\x8A"
                                           "afa\xF8\xEDk"));
    EXPECT_EQ(dlg.setup().object.text[2],
              "\x8A"
              "afa\xF8\xEDk" +
                  std::string(11, ' '));
    // The check on leaving keeps the name; the field still shows it trimmed.
    dlg.selectItem(dlg.item(kCoordinatesPage));
    EXPECT_EQ(dlg.currentPageNumber(), kCoordinatesPage);
    EXPECT_EQ(name->text(), fw::fromCp1252("\x8A"
                                           "afa\xF8\xEDk"));
    dlg.runPressed();
    ASSERT_EQ(dlg.result(), fw::kIdOk);
    const auto saved = zelvomat::load_eph_task();
    ASSERT_TRUE(saved.ok());
    EXPECT_EQ(saved->get(F::objectName),
              "\x8A"
              "afa\xF8\xEDk" +
                  std::string(11, ' '));
}

// A field entered with Tab: the focus, its text selected (as the platform
// does for Tab; the offscreen window is not active, so it is done here).
void enter_by_tab(QLineEdit* e) {
    e->setFocus(Qt::TabFocusReason);
    e->selectAll();
}

// Every fixed-width field of the set-up: shown without the blanks at either
// end of its text, entered with Tab (its text selected, as every dialog
// field is), typed over at once, and read padded at its end to its width.
TEST(EphDialog, EveryFixedWidthFieldShowsTrimmedTakesTypingAndReadsPadded) {
    DialogBench b;
    CEphTaskDlg& dlg = b.dlg;
    ASSERT_TRUE(dlg.onInitDialog());
    dlg.show();
    // Topocentre by catalog code: the code as a new record holds it, " 95".
    dlg.selectItem(dlg.item(kCentrePage));
    dlg.findChild<QRadioButton*>(QStringLiteral("ctl1056"))->click();
    dlg.findChild<QRadioButton*>(QStringLiteral("ctl1187"))->click();
    QLineEdit* code = dlg.field(kCentrePage, 0);
    ASSERT_TRUE(code->isEnabled());
    EXPECT_EQ(dlg.setup().centre.text[0], " 95");
    EXPECT_EQ(code->text(), QStringLiteral("95"));
    enter_by_tab(code);
    zeltest::type_text(code, QStringLiteral("568"));
    EXPECT_EQ(code->text(), QStringLiteral("568"));
    EXPECT_EQ(dlg.setup().centre.text[0], "568");
    // Clicked at the end of the shorter text, the field takes more keys.
    code->setText(QStringLiteral("5"));
    code->setFocus(Qt::MouseFocusReason);
    code->end(false);
    zeltest::type_text(code, QStringLiteral("6"));
    EXPECT_EQ(dlg.setup().centre.text[0], "56 ");

    struct Field {
        int page, index;
        const char* radio;  // the choice that opens the field
        std::string* (*text)(EphSetup&, int);
        std::size_t width;
    };
    auto object = +[](EphSetup& s, int k) { return &s.object.text[static_cast<std::size_t>(k)]; };
    auto centre = +[](EphSetup& s, int k) { return &s.centre.text[static_cast<std::size_t>(k)]; };
    auto interval = +[](EphSetup& s, int k) { return &s.interval.text[static_cast<std::size_t>(k)]; };
    auto bound = +[](EphSetup& s, int k) { return &s.restrict.current[static_cast<std::size_t>(k)]; };
    std::vector<Field> fields;
    for (int k : {0, 1}) fields.push_back({kObjectPage, k, "ctl1140", object, ObjectPageState::kWidth[k]});
    fields.push_back({kObjectPage, 2, "ctl1141", object, ObjectPageState::kWidth[2]});
    for (int k : {3, 4}) fields.push_back({kObjectPage, k, "ctl1004", object, ObjectPageState::kWidth[k]});
    fields.push_back({kObjectPage, 5, "ctl1147", object, ObjectPageState::kWidth[5]});
    fields.push_back({kCentrePage, 0, "ctl1187", centre, CentrePageState::kWidth[0]});
    for (int k : {1, 2, 6}) fields.push_back({kCentrePage, k, "ctl1189", centre, CentrePageState::kWidth[k]});
    for (int k : {3, 4, 5}) fields.push_back({kCentrePage, k, "ctl1190", centre, CentrePageState::kWidth[k]});
    for (int k = 0; k < 5; ++k) fields.push_back({kIntervalPage, k, nullptr, interval, IntervalPageState::kWidth[k]});
    for (int k : {0, 10}) fields.push_back({kRestrictionsPage, k, "ctl1098", bound, 10});
    int tried = 0;
    for (const Field& f : fields) {
        SCOPED_TRACE(::testing::Message() << "page " << f.page << " field " << f.index);
        dlg.selectItem(dlg.item(f.page));
        if (f.radio != nullptr) {
            auto* r = dlg.findChild<QRadioButton*>(QString::fromLatin1(f.radio));
            ASSERT_NE(r, nullptr);
            if (!r->isChecked()) r->click();
        }
        QLineEdit* e = dlg.field(f.page, f.index);
        ASSERT_NE(e, nullptr);
        if (!e->isEnabled()) continue;  // the interval's other kind
        ++tried;
        EXPECT_EQ(static_cast<std::size_t>(e->maxLength()), f.width);
        // Typed over at once (the field entered by Tab), read padded to the
        // width; a full field takes no more.
        enter_by_tab(e);
        const std::string typed = std::string(f.width, '1');
        zeltest::type_text(e, QString::fromStdString(typed + "9"));
        EXPECT_EQ(*f.text(dlg.setup(), f.index), typed);
        enter_by_tab(e);
        zeltest::type_text(e, QStringLiteral("2"));
        EXPECT_EQ(*f.text(dlg.setup(), f.index), "2" + std::string(f.width - 1, ' '));
        // Clicked at the end of its text, it takes the next key there.
        e->setFocus(Qt::MouseFocusReason);
        e->end(false);
        zeltest::type_text(e, QStringLiteral("3"));
        EXPECT_EQ(*f.text(dlg.setup(), f.index), "23" + std::string(f.width - 2, ' '));
    }
    EXPECT_GE(tried, 15);
}

TEST(EphDialog, AfterAFailedCheckTheTreeMarksThePageOnScreen) {
    DialogBench b;
    CEphTaskDlg& dlg = b.dlg;
    std::vector<FieldError>& errors = b.errors;
    ASSERT_TRUE(dlg.onInitDialog());
    dlg.show();
    QTreeWidget* tree = dlg.tree();
    const auto click = [&](int page) {
        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, tree->visualItemRect(dlg.item(page)).center());
        QCoreApplication::processEvents();
    };
    click(kObjectPage);
    ASSERT_EQ(dlg.currentPageNumber(), kObjectPage);
    // Number To less than Number From, then a click on another page.
    QLineEdit* from = dlg.field(kObjectPage, 0);
    QLineEdit* to = dlg.field(kObjectPage, 1);
    from->setFocus();
    from->selectAll();
    QTest::keyClicks(from, QStringLiteral("10"));
    to->setFocus();
    QCoreApplication::processEvents();
    to->selectAll();
    QTest::keyClicks(to, QStringLiteral("5"));
    for (int page : {kDescriptionPage, kIntervalPage}) {
        SCOPED_TRACE(page);
        errors.clear();
        click(page);
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_EQ(errors[0].message, "\"Number To\" is less than \"Number From\".");
        EXPECT_EQ(dlg.currentPage(), dlg.stack()->widget(0));
        EXPECT_EQ(tree->currentItem(), dlg.item(kObjectPage));
        EXPECT_EQ(tree->selectedItems(), QList<QTreeWidgetItem*>{dlg.item(kObjectPage)});
    }
}

TEST(EphDialog, EveryButtonHasItsCaption) {
    DialogBench b;
    CEphTaskDlg& dlg = b.dlg;
    ASSERT_TRUE(dlg.onInitDialog());
    OcAccuracySettings settings;
    CAccuracyDlg accuracy(b.ctx, settings, false);
    accuracy.onInitDialog();
    for (QWidget* w : std::initializer_list<QWidget*>{&dlg, &accuracy})
        for (QAbstractButton* button : w->findChildren<QAbstractButton*>()) {
            SCOPED_TRACE(button->objectName().toStdString());
            EXPECT_FALSE(button->text().trimmed().isEmpty() && button->accessibleName().isEmpty());
        }
    auto* earth = dlg.findChild<QCheckBox*>(QStringLiteral("ctl1142"));
    ASSERT_NE(earth, nullptr);
    EXPECT_EQ(earth->text(), QStringLiteral("Earth"));
}

// Edit on the Object(s) page: the editor beside the program gets the list
// file that the field names, blanks inside its name and all.
TEST(EphDialog, EditStartsTheEditorOnTheListFile) {
    Bench b;
    b.boxes.answers = {fw::Answer::Yes};
    fs::create_directory(b.dir.path() / "bin");
    b.ctx.ProgramDir = b.dir.dir_slash() + "bin/";
    zeltest::recording_editor(b.ctx.ProgramDir);
    CEphTaskDlg dlg(b.ctx, b.lib, {});
    ASSERT_TRUE(dlg.onInitDialog());
    dlg.selectItem(dlg.item(kObjectPage));
    dlg.findChild<QRadioButton*>(QStringLiteral("ctl1147"))->click();
    dlg.field(kObjectPage, 5)->setText(QStringLiteral("near earth.txt"));
    emit dlg.field(kObjectPage, 5)->textEdited(QStringLiteral("near earth.txt"));
    auto* edit = dlg.findChild<QPushButton*>(QStringLiteral("ctl1062"));
    ASSERT_TRUE(edit->isEnabled());
    edit->click();
    EXPECT_EQ(zeltest::recorded_arguments(b.ctx.ProgramDir), "1\n" + b.dir.dir_slash() + "near earth.txt\n");
    EXPECT_TRUE(fs::exists(b.dir.path() / "near earth.txt"));
}

// Tasks|Ephemerides: the dialog, the run, the header text and the result
// window.
TEST(EphCommand, RunOpensTheResultWithItsHeader) {
    struct Opener : EphemerisResultOpener {
        std::vector<std::string> opened;
        void openEphemerisResult(const std::string& path) override { opened.push_back(path); }
    } opener;
    zeltest::Package pkg;
    fw::ScriptedMessageService boxes;
    fw::ScopedMessageService use{boxes};
    TaskApp app{pkg.lib, pkg.work.dir_slash() + "bin/"};
    ASSERT_TRUE(app.initInstance());
    app.setEphemerisResultOpener(&opener);
    ASSERT_TRUE(zelvomat::save_eph_task(EphTaskRecord::defaults()).ok());
    pkg.lib.onRun = [] {
        std::string hat(164, '\0');
        const std::string l1 = "   Ephemeris of (1) Ceres", l2 = "Equator and equinox J2000.0   ";
        hat.replace(0, l1.size(), l1);
        hat.replace(82, l2.size(), l2);
        zeltest::write_text("eph.hat", hat);
    };
    QTimer::singleShot(0, [] {
        auto* dlg = dynamic_cast<CEphTaskDlg*>(QApplication::activeModalWidget());
        ASSERT_NE(dlg, nullptr);
        dlg->runPressed();
    });
    EXPECT_TRUE(app.routeCommand(cmd::kTasksEphemerides));
    ASSERT_EQ(opener.opened.size(), 1u);
    EXPECT_EQ(opener.opened[0], "result.ep4");
    EXPECT_EQ(app.context().HeaderText, "Ephemeris of (1) Ceres\r\nEquator and equinox J2000.0");
    EXPECT_TRUE(app.context().EphemerisMode);
    EXPECT_EQ(pkg.lib.calls.back(), "progr");
    EXPECT_TRUE(boxes.shown.empty());
    fw::setMessageTitle("ZELVO-21");
}

// A run that the library ends on an error: the error is the only message,
// no result window opens (neither the program's own nor another opener's),
// the earlier result is gone and the set-up does not come back by itself.
TEST(EphCommand, AFailedRunShowsTheErrorAndOpensNothing) {
    for (const bool ownWindow : {true, false}) {
        SCOPED_TRACE(ownWindow ? "the program's window" : "an opener");
        struct Opener : EphemerisResultOpener {
            int opened = 0;
            void openEphemerisResult(const std::string&) override { ++opened; }
        } opener;
        zeltest::Package pkg;
        fw::ScriptedMessageService boxes;
        fw::ScopedMessageService use{boxes};
        TaskApp app{pkg.lib, pkg.work.dir_slash() + "bin/"};
        ASSERT_TRUE(app.initInstance());
        if (!ownWindow) app.setEphemerisResultOpener(&opener);
        int reopened = 0;
        setEphemerisReopenHandler(app.context(), [&] { ++reopened; });
        ASSERT_TRUE(zelvomat::save_eph_task(EphTaskRecord::defaults()).ok());
        zeltest::write_text("result.ep4", std::string(82, 'x'));
        pkg.lib.progrError = "Error: the planetary ephemeris file cannot be read";
        QTimer::singleShot(0, [] {
            auto* dlg = dynamic_cast<CEphTaskDlg*>(QApplication::activeModalWidget());
            ASSERT_NE(dlg, nullptr);
            dlg->runPressed();
        });
        EXPECT_TRUE(app.routeCommand(cmd::kTasksEphemerides));
        EXPECT_EQ(pkg.lib.calls.back(), "progr");
        ASSERT_EQ(boxes.shown.size(), 1u);
        EXPECT_EQ(boxes.shown[0].text, "Error: the planetary ephemeris file cannot be read");
        EXPECT_TRUE(app.frame()->childFrames().empty());
        EXPECT_EQ(opener.opened, 0);
        EXPECT_EQ(app.context().CalcInterrupted, 0);
        EXPECT_FALSE(fs::exists("result.ep4"));
        QCoreApplication::processEvents();
        EXPECT_EQ(reopened, 0);

        // The next run that succeeds opens its result.
        pkg.lib.progrError.clear();
        pkg.lib.onRun = [] { zeltest::write_text("result.ep4", std::string(80, ' ') + "\r\n"); };
        QTimer::singleShot(0, [] {
            auto* dlg = dynamic_cast<CEphTaskDlg*>(QApplication::activeModalWidget());
            ASSERT_NE(dlg, nullptr);
            dlg->runPressed();
        });
        EXPECT_TRUE(app.routeCommand(cmd::kTasksEphemerides));
        EXPECT_EQ(ownWindow ? static_cast<int>(app.frame()->childFrames().size()) : opener.opened, 1);
        EXPECT_TRUE(app.context().EphemerisMode);
        app.context().EphemerisMode = false;
        fw::setMessageTitle("ZELVO-21");
    }
}

}  // namespace

namespace {

// ---- The record of a new task --------------------------------------------------------

std::string field_text(const zelvomat::EphTaskRecord& r, zelvomat::RecordField f) { return std::string(r.get(f)); }

// The days of a "yyyymmdd.00000" text (std::chrono, not the program's reader).
std::chrono::sys_days day_of(const std::string& text) {
    using namespace std::chrono;
    const int y = std::stoi(text.substr(0, 4));
    const unsigned m = static_cast<unsigned>(std::stoi(text.substr(4, 2))),
                   d = static_cast<unsigned>(std::stoi(text.substr(6, 2)));
    EXPECT_EQ(text.substr(8), ".00000");
    return sys_days{year{y} / month{m} / day{d}};
}

// The interval starts on 1 January of the first package year, or on a today
// within the package's years; it spans ten days at a step of one day and
// lies within the years. Every other field is the library's default.
TEST(DefaultTaskRecord, TheIntervalLiesWithinThePackageYears) {
    using namespace std::chrono;
    namespace ef = zelvomat::eph_field;
    const struct {
        const char* what;
        PackageYears years;
        year_month_day today;
        const char* begin;
        const char* end;
    } cases[] = {
        {"today within the years", {2024, 2028}, 2026y / December / 11, "20261211.00000", "20261221.00000"},
        {"today on the first day", {2024, 2028}, 2024y / January / 1, "20240101.00000", "20240111.00000"},
        {"today after the years", {2024, 2028}, 2031y / May / 1, "20240101.00000", "20240111.00000"},
        {"today before the years", {2024, 2028}, 2001y / January / 1, "20240101.00000", "20240111.00000"},
        {"today in the last ten days", {2024, 2028}, 2028y / December / 28, "20281221.00000", "20281231.00000"},
        {"across 29 February", {2024, 2028}, 2028y / February / 25, "20280225.00000", "20280306.00000"},
        {"a package of one year", {2030, 2030}, 2026y / June / 1, "20300101.00000", "20300111.00000"},
        {"no package years", {0, 0}, 2026y / June / 1, "20010101.00000", "20010111.00000"},
    };
    const zelvomat::EphTaskRecord defaults = zelvomat::EphTaskRecord::defaults();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const zelvomat::EphTaskRecord r = defaultTaskRecord(c.years, c.today);
        EXPECT_EQ(field_text(r, ef::beginDate), c.begin);
        EXPECT_EQ(field_text(r, ef::endDate), c.end);
        EXPECT_EQ(field_text(r, ef::intervalKind), "ARBT");
        EXPECT_EQ(field_text(r, ef::intervalStep), field_text(defaults, ef::intervalStep));
        if (c.years.first > 0) {
            const sys_days begin = day_of(field_text(r, ef::beginDate)), end = day_of(field_text(r, ef::endDate));
            EXPECT_EQ(end - begin, days{10});
            EXPECT_GE(begin, sys_days{year{c.years.first} / January / 1});
            EXPECT_LE(end, sys_days{year{c.years.last} / December / 31});
        }
        // Everything else as the defaults.
        std::string a(r.text().data(), r.text().size()), b(defaults.text().data(), defaults.text().size());
        for (auto f : {ef::beginDate, ef::endDate}) {
            a.replace(f.offset, f.size(), f.size(), ' ');
            b.replace(f.offset, f.size(), f.size(), ' ');
        }
        EXPECT_EQ(a, b);
    }
}

// The years come from settings record 6 of the working directory's "setpar"
// (16-bit first and last year at bytes 20 and 22 of the record); a file
// without sane years gives none.
TEST(DefaultTaskRecord, PackageYearsAreReadFromTheSettings) {
    zeltest::Package pkg;
    EXPECT_EQ(packageYears(pkg.work.dir_slash()).first, 0);  // the fixture's filler is no year
    std::vector<std::uint8_t> b = zeltest::settings_bytes(0);
    const auto put16 = [&b](std::size_t at, int v) {
        b[at] = static_cast<std::uint8_t>(v & 0xff);
        b[at + 1] = static_cast<std::uint8_t>((v >> 8) & 0xff);
    };
    put16(5 * 80 + 20, 2024);
    put16(5 * 80 + 22, 2028);
    zeltest::write_bytes(pkg.work.path() / "setpar", b);
    const PackageYears y = packageYears(pkg.work.dir_slash());
    EXPECT_EQ(y.first, 2024);
    EXPECT_EQ(y.last, 2028);
    put16(5 * 80 + 22, 2020);  // last before first
    zeltest::write_bytes(pkg.work.path() / "setpar", b);
    EXPECT_EQ(packageYears(pkg.work.dir_slash()).first, 0);
    std::filesystem::remove(pkg.work.path() / "setpar");
    EXPECT_EQ(packageYears(pkg.work.dir_slash()).first, 0);
    // The bundled package, when it was built.
    const std::filesystem::path built = std::filesystem::path(ZELVO_BINARY_DIR) / "package" / "work";
    if (std::filesystem::exists(built / "setpar")) {
        const PackageYears p = packageYears(built.string() + "/");
        EXPECT_EQ(p.first, 2024);
        EXPECT_EQ(p.last, 2028);
    }
}

}  // namespace
