// The identification's and the observatory list's dialogs and records: the
// tolerance check and its pane text, the observatory choice by number or
// name, the parallax conversion through the real library against ERFA's
// geodetic conversions, the observatory records stored byte for byte, and
// the edits of the list checked by cnto against their row.
#include <erfa.h>
#include <erfam.h>
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QRadioButton>
#include <cmath>
#include <filesystem>
#include <fstream>

#include "framework/dialog.h"
#include "framework/messages.h"
#include "task_support.h"
#include "zelvo/app/lineedit.h"
#include "zelvo/observations/linedoc.h"
#include "zelvo/observations/lineview.h"
#include "zelvo/observations/obsdialogs.h"
#include "zelvomat/small_package.h"

namespace {

namespace fs = std::filesystem;
using namespace zelvo;
using namespace zeltest;
using fw::Answer;

// A working directory on the small data package (its settings and its
// observatory lists), the library's checks and scripted message boxes.
struct PackageBench {
    std::string pkg = zeltest::small_package_dir();
    zeltest::ScopedWorkDir work;
    FakeLibrary lib;
    fw::ScriptedMessageService boxes;
    fw::ScopedMessageService use{boxes};
    PackageBench() {
        if (pkg.empty()) return;
        for (const char* f : {"setpar", "setpath"})
            fs::copy_file(fs::path(pkg) / "work" / f, work.path() / f, fs::copy_options::overwrite_existing);
    }
    std::vector<std::string> texts() const {
        std::vector<std::string> t;
        for (const auto& s : boxes.shown) t.push_back(s.text);
        return t;
    }
};

struct FakeList final : ListControl {
    std::vector<int> selected;
    int count = 0;
    std::vector<int> selectedRows() const override { return selected; }
    int itemCount() const override { return count; }
    void setItemCount(int n) override { count = n; }
    bool deleteItem(int) override { return false; }
    void deselect(int row) override { std::erase(selected, row); }
    void clearSelection() override { selected.clear(); }
    void setFocusRow(int) override {}
    void ensureVisible(int) override {}
};

std::string bytes_of(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(TolerancePane, SevenPlacesWithoutTrailingZeros) {
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {30, "30.0"},   {5.5, "5.5"},
        {0, ".0"},      {1234.5, "1234.5"},
        {0.5, ".5"},    {12.25, "12.25"},
        {0.05, ".05"},  {9999.9, "9999.9"},
        {-3, "3.0"},    {1.2345678, "1.234567"},
        {100, "100.0"}, {0.1234567, ".1234567"},
    };
    for (const auto& c : cases) EXPECT_EQ(tolerancePaneText(c.value), c.text) << c.value;
}

TEST(ToleranceDialog, ChecksEachFieldOnItsFirstSevenCharacters) {
    PackageBench b;
    const struct {
        const char* ra;
        const char* decl;
        int failed;  // -1 accepted, 0 R.A., 1 Decl.
        int checks;  // contreph calls
    } cases[] = {
        {"  30.0", "  30.0", -1, 2},
        {"0.0", "0.0", -1, 0},  // passes without a check
        {"0", "0.00", -1, 2},
        {"1234.5", "5", -1, 2},
        {"  30.0 and more", "  30.0", -1, 2},  // only "  30.0 " is checked
        {"abc", "x", 0, 1},                    // Decl. not checked after R.A.
        {"  30.0", "1O.0", 1, 2},
        {"", "  30.0", 0, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.ra) + " / " + c.decl);
        b.boxes.shown.clear();
        b.lib.fieldKinds.clear();
        ToleranceModel m(b.lib);
        m.raText = c.ra;
        m.declText = c.decl;
        EXPECT_EQ(m.ok(), c.failed < 0);
        EXPECT_EQ(m.failedField(), c.failed);
        EXPECT_EQ(std::count(b.lib.fieldKinds.begin(), b.lib.fieldKinds.end(), 13), c.checks);
        if (c.failed < 0) {
            EXPECT_TRUE(b.boxes.shown.empty());
        } else {
            ASSERT_EQ(b.texts().size(), 1u);
            EXPECT_EQ(b.texts()[0], std::string("Wrong field definition. Please enter number in field \"") +
                                        (c.failed == 0 ? "R.A." : "Decl.") + "\" ");
        }
        // The texts stay as typed.
        EXPECT_EQ(m.raText, c.ra);
        EXPECT_EQ(m.declText, c.decl);
    }
}

TEST(ObservatoryChoiceDialog, NumberCheckedAsTheCodeTypedNameTrimmed) {
    PackageBench b;
    if (b.pkg.empty()) FAIL() << "the small data package cannot be built (see package-small/build.log)";
    const struct {
        int choice;
        const char* number;
        const char* name;
        bool ok;
        const char* numberAfter;
        int observatory;
        const char* nameAfter;
    } cases[] = {
        {0, "095", "", true, "095", 95, ""},
        {0, "   095", "", true, "095", 95, ""},  // leading blanks are not part of the code
        {0, "G96", "", true, "G96", -2, ""},
        {0, "0951", "", true, "095", 95, ""},  // cut to 3 characters
        {0, "?!x", "", false, "?!x", -1, ""},  // no code
        {0, "", "", false, "", -1, ""},
        {1, "?!x", "  Crimea  ", true, "?!x", -1, "Crimea"},  // by name the number is not read
        {1, "", "   ", true, "", -1, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.number) + " / " + c.name);
        b.boxes.shown.clear();
        ObsChoiceModel m(b.lib);
        m.choice = c.choice;
        m.numberText = c.number;
        m.nameText = c.name;
        EXPECT_EQ(m.ok(), c.ok);
        EXPECT_EQ(m.numberText, c.numberAfter);
        EXPECT_EQ(m.nameText, c.nameAfter);
        if (c.observatory >= 0) {
            EXPECT_EQ(m.number, c.observatory);
        }
        if (c.observatory == -2) {
            EXPECT_GT(m.number, 0);
        }
        if (c.ok)
            EXPECT_TRUE(b.boxes.shown.empty());
        else
            EXPECT_EQ(b.texts(), std::vector<std::string>{"Wrong observatory number."});
    }
}

// ERFA's geodetic to geocentric conversion on GRS 80, as parallax
// constants in equatorial radii.
std::pair<double, double> erfa_parallax(double latDeg, double heightM) {
    double xyz[3];
    EXPECT_EQ(eraGd2gc(ERFA_GRS80, 0.0, latDeg * ERFA_DD2R, heightM, xyz), 0);
    const double a = 6378137.0;
    return {std::hypot(xyz[0], xyz[1]) / a, xyz[2] / a};
}

// Half a unit of the last decimal written in text.
double half_unit(const std::string& text) {
    const std::size_t point = text.find('.');
    if (point == std::string::npos) return 0.5;
    std::size_t end = point + 1;
    while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end])) != 0) ++end;
    return 0.5 * std::pow(10.0, -static_cast<double>(end - point - 1));
}

TEST(ParallaxDialog, ConversionsAgreeWithErfaForRealSites) {
    PackageBench b;
    // Latitude and height of real sites (and a point below sea level).
    const struct {
        const char* what;
        const char* lat;
        const char* height;
    } sites[] = {
        {"Greenwich", "51.4769", "46"},     {"Mauna Kea", "19.8261", "4160"}, {"Siding Spring", "-31.2733", "1165"},
        {"La Silla", "-29.2567", "2347"},   {"Crimea", "44.7275", "600"},     {"Dead Sea shore", "31.5000", "-400"},
        {"Equator at sea level", "0", "0"},
    };
    for (const auto& s : sites) {
        SCOPED_TRACE(s.what);
        ParallaxModel m(b.lib);
        m.latitudeText = s.lat;
        m.heightText = s.height;
        ASSERT_TRUE(m.runToParallax()) << (b.boxes.shown.empty() ? "" : b.boxes.shown.back().text);
        const auto [dxy, dz] = erfa_parallax(std::stod(s.lat), std::stod(s.height));
        EXPECT_NEAR(std::stod(m.dxyResult), dxy, half_unit(m.dxyResult) + 1e-9) << m.dxyResult;
        EXPECT_NEAR(std::stod(m.dzResult), dz, half_unit(m.dzResult) + 1e-9) << m.dzResult;
        EXPECT_EQ(m.dxyResult.size(), 9u);

        // And back: the parallax constants as typed (8 and 9 characters)
        // to latitude and height, against ERFA from the same texts.
        ParallaxModel back(b.lib);
        back.dxyText = m.dxyResult.substr(0, 8);
        back.dzText = m.dzResult;
        if (std::stod(back.dxyText) == 0 && std::stod(back.dzText) == 0) continue;
        ASSERT_TRUE(back.runToLatitude()) << (b.boxes.shown.empty() ? "" : b.boxes.shown.back().text);
        const double a = 6378137.0;
        double xyz[3] = {std::stod(back.dxyText) * a, 0.0, std::stod(back.dzText) * a};
        double elong = 0, phi = 0, height = 0;
        ASSERT_EQ(eraGc2gd(ERFA_GRS80, xyz, &elong, &phi, &height), 0);
        EXPECT_NEAR(std::stod(back.latitudeResult), phi * ERFA_DR2D, half_unit(back.latitudeResult) + 1e-9)
            << back.latitudeResult;
        // Constants of six decimals fix a point to 1e-6 radii (6.4 m): the
        // height comes rounded to tens of metres.
        EXPECT_NEAR(std::stod(back.heightResult), height, 5.0 + 1e-6) << back.heightResult;

        // The height the conversion produced (negative below sea level)
        // can be typed back.
        ParallaxModel again(b.lib);
        again.latitudeText = back.latitudeResult;
        again.heightText = back.heightResult;
        EXPECT_TRUE(again.runToParallax()) << back.heightResult;
    }
    EXPECT_TRUE(b.boxes.shown.empty());
}

TEST(ParallaxDialog, FieldChecksAndZeroRules) {
    PackageBench b;
    const std::string dxyMsg = "Wrong field definition. Please enter number in field \"dxy\" ";
    const std::string dzMsg = "Wrong field definition. Please enter number in field \"dz\" ";
    const std::string zeroMsg = "Wrong field definition. Zero value of dxy and dz";
    const struct {
        const char* dxy;
        const char* dz;
        std::string message;  // empty: computed
        const char* focus;
    } left[] = {
        {"0", "0.9966", "", ""},  // only one of them zero
        {"0.000", "", zeroMsg, ""},     {"", "   ", zeroMsg, ""},        {"abc", "0.5", dxyMsg, "dxy"},
        {"0.62411", "zz", dzMsg, "dz"}, {"0.62411", "+0.77873", "", ""},
    };
    for (const auto& c : left) {
        SCOPED_TRACE(std::string(c.dxy) + " / " + c.dz);
        b.boxes.shown.clear();
        ParallaxModel m(b.lib);
        m.dxyText = c.dxy;
        m.dzText = c.dz;
        m.latitudeResult = m.heightResult = "stale";
        EXPECT_EQ(m.runToLatitude(), c.message.empty());
        EXPECT_EQ(m.focus, c.focus);
        if (c.message.empty()) {
            EXPECT_TRUE(b.boxes.shown.empty());
            EXPECT_NE(m.latitudeResult, "stale");
            EXPECT_FALSE(m.latitudeResult.find_first_not_of(' ') == std::string::npos);
        } else {
            EXPECT_EQ(b.texts(), std::vector<std::string>{c.message});
            EXPECT_TRUE(m.latitudeResult.empty());
            EXPECT_TRUE(m.heightResult.empty());
        }
    }
    // The right group: a faulty latitude or height.
    const struct {
        const char* lat;
        const char* height;
        const char* message;
        const char* focus;
    } right[] = {
        {"", "", nullptr, ""},  // the equator at sea level
        {"0.", "100", nullptr, ""},
        {"95", "100", "Latitude", "latitude"},
        {"4x", "100", "Latitude", "latitude"},
        {"45", "1e", "Height", "height"},
    };
    for (const auto& c : right) {
        SCOPED_TRACE(std::string(c.lat) + " / " + c.height);
        b.boxes.shown.clear();
        ParallaxModel m(b.lib);
        m.latitudeText = c.lat;
        m.heightText = c.height;
        m.dxyResult = m.dzResult = "stale";
        EXPECT_EQ(m.runToParallax(), c.message == nullptr);
        EXPECT_EQ(m.focus, c.focus);
        if (c.message != nullptr) {
            EXPECT_EQ(b.texts(), std::vector<std::string>{std::string("Wrong field definition. Please enter number in "
                                                                      "field \"") +
                                                          c.message + "\" "});
            EXPECT_TRUE(m.dxyResult.empty());
        }
        if (std::string(c.focus) == "height") {
            EXPECT_EQ(m.heightText, c.height);  // kept as typed
        }
    }
    // The start from a selected record: dxy from characters 13-20, dz from
    // 21-29; nothing without one.
    ParallaxModel start(b.lib);
    start.startFrom("000   0.0000 0.62411 +0.77873 Greenwich");
    EXPECT_EQ(start.dxyText, "0.62411 ");
    EXPECT_EQ(start.dzText, "+0.77873 ");
    ParallaxModel none(b.lib);
    EXPECT_TRUE(none.dxyText.empty() && none.dzText.empty() && none.latitudeText.empty());
}

// ---- Observatory records --------------------------------------------------------------

std::string obs_record(const std::string& code, const std::string& body) {
    std::string r = code + body;
    r.resize(79, ' ');
    return r;
}

TEST(ObservatoryRecords, StoredByteForByteAndNeverShifted) {
    zeltest::ScopedWorkDir work;
    AppContext ctx;
    fw::ScriptedMessageService boxes;
    fw::ScopedMessageService use{boxes};
    std::string file;
    for (int i = 0; i < 5; ++i) {
        char code[4];
        std::snprintf(code, sizeof code, "%03d", i);
        file += obs_record(code, "   0.0000 0.62411 +0.77873 Observatory number " + std::to_string(i));
    }
    // The name of the last record fills its last two characters.
    file.replace(file.size() - 2, 2, "XY");
    zeltest::write_text(work.path() / "observa1.dat", file);
    LineListDocument list(LineDocKind::Observatories, 200, ctx);
    ASSERT_TRUE(list.onOpenDocument((work.path() / "observa1.dat").string()));
    ASSERT_EQ(list.lines.size(), 5u);
    ASSERT_TRUE(list.onSaveDocument((work.path() / "out.dat").string()));
    EXPECT_EQ(bytes_of(work.path() / "out.dat"), file);

    // A record with a zero byte inside stays 79 bytes: the records after
    // it keep their places.
    std::string damaged = file;
    damaged[79 + 40] = '\0';
    zeltest::write_text(work.path() / "damaged.dat", damaged);
    LineListDocument d(LineDocKind::Observatories, 200, ctx);
    ASSERT_TRUE(d.onOpenDocument((work.path() / "damaged.dat").string()));
    ASSERT_TRUE(d.onSaveDocument((work.path() / "damaged2.dat").string()));
    const std::string stored = bytes_of(work.path() / "damaged2.dat");
    ASSERT_EQ(stored.size(), file.size());
    EXPECT_EQ(stored.substr(0, 79 + 40), file.substr(0, 79 + 40));
    EXPECT_EQ(stored.substr(2 * 79), file.substr(2 * 79));
}

TEST(ObservatoryRecords, EditsCheckedByCntoAgainstTheirRow) {
    PackageBench b;
    if (b.pkg.empty()) FAIL() << "the small data package cannot be built (see package-small/build.log)";
    AppContext ctx;
    ScriptedDialogs dialogs;
    LineListDocument doc(LineDocKind::Observatories, 200, ctx);
    ASSERT_TRUE(doc.onOpenDocument((fs::path(b.pkg) / "el" / "observa1.dat").string()));
    ASSERT_GT(doc.lines.size(), 501u);
    const std::vector<std::string> original = doc.lines;
    FakeList list;
    list.count = static_cast<int>(doc.lines.size());
    LineEditor editor(ctx, b.lib, dialogs, doc, list, observatoryEditorFormat());

    const struct {
        const char* what;
        int row;
        std::function<std::string(std::string)> change;
        std::string message;  // empty: accepted
    } cases[] = {
        {"a new name", 17, [](std::string r) { return r.replace(30, 12, "Renamed site"); }, ""},
        {"the name's last two characters", 18, [](std::string r) { return r.replace(77, 2, "ZZ"); }, ""},
        {"another code", 17, [](std::string r) { return r.replace(0, 3, "018"); },
         "Observatory code can not be changed in line 18"},
        {"the geocentre", 500, [](std::string r) { return r.replace(30, 4, "Geo!"); },
         "This is geocenter! in line 501"},
        {"a longitude of 361 degrees", 20, [](std::string r) { return r.replace(4, 9, "361.00000"); },
         "Data out of range in line 21"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        b.boxes.shown.clear();
        doc.lines = original;
        doc.setModified(false);
        list.selected = {c.row};
        const std::string edited = c.change(original[static_cast<std::size_t>(c.row)]);
        dialogs.editAnswers = {edited};
        if (!c.message.empty()) b.boxes.answers = {Answer::Ok, Answer::Cancel};  // the error, "Try to correct"
        editor.edit();
        const std::string& now = doc.lines[static_cast<std::size_t>(c.row)];
        ASSERT_EQ(now.size(), 79u);
        if (c.message.empty()) {
            EXPECT_TRUE(b.boxes.shown.empty()) << b.texts().front();
            EXPECT_EQ(now, edited);
            EXPECT_TRUE(doc.isModified());
        } else {
            ASSERT_EQ(b.texts().size(), 2u);
            EXPECT_NE(b.texts()[0].find(c.message), std::string::npos) << b.texts()[0];
            EXPECT_EQ(b.texts()[1], "Try to correct or cancel");
            EXPECT_EQ(now, original[static_cast<std::size_t>(c.row)]);  // Cancel restores the record
            EXPECT_FALSE(doc.isModified());
        }
    }
}

}  // namespace

namespace {

TEST(IdentificationDialogs, QtDialogsShowTheirModels) {
    PackageBench b;
    // Tolerance: a faulty R.A. keeps the dialog open; then OK ends it with
    // the texts as typed.
    ToleranceModel tm(b.lib);
    tm.raText = tm.declText = "  30.0";
    CToleranceDlg tol(tm);
    tol.onInitDialog();
    EXPECT_EQ(tol.raEdit()->text(), QStringLiteral("  30.0"));
    tol.raEdit()->setText(QStringLiteral("x"));
    tol.onOK();
    EXPECT_NE(tol.result(), fw::kIdOk);
    EXPECT_EQ(b.texts().size(), 1u);
    tol.raEdit()->setText(QStringLiteral("12.5"));
    tol.onOK();
    EXPECT_EQ(tol.result(), fw::kIdOk);
    EXPECT_EQ(tm.raText, "12.5");

    // Choice: by number at first; the name field takes over with its
    // button.
    ObsChoiceModel cm(b.lib);
    CObsChoiceDlg choice(cm);
    choice.onInitDialog();
    EXPECT_TRUE(choice.byNumber()->isChecked());
    EXPECT_TRUE(choice.numberEdit()->isEnabled());
    EXPECT_FALSE(choice.nameEdit()->isEnabled());
    choice.byName()->click();
    EXPECT_FALSE(choice.numberEdit()->isEnabled());
    EXPECT_TRUE(choice.nameEdit()->isEnabled());
    choice.nameEdit()->setText(QStringLiteral("  Crimea "));
    choice.onOK();
    EXPECT_EQ(choice.result(), fw::kIdOk);
    EXPECT_EQ(cm.choice, 1);
    EXPECT_EQ(cm.nameText, "Crimea");

    // Calculation: started from a record, Run fills the results.
    ParallaxModel pm(b.lib);
    pm.startFrom("000   0.0000 0.62411 +0.77873 Greenwich");
    CParallaxCalcDlg calc(pm);
    calc.onInitDialog();
    // A fixed-width field: shown without its padding, read padded.
    EXPECT_EQ(calc.edit(1145)->text(), QStringLiteral("0.62411"));
    EXPECT_EQ(fw::fixed_field_bytes(calc.edit(1145)), "0.62411 ");
    calc.runLeft();
    EXPECT_FALSE(calc.edit(1172)->text().trimmed().isEmpty());
    EXPECT_FALSE(calc.edit(1125)->text().trimmed().isEmpty());
}

}  // namespace
