// The ephemeris task record: layout, defaults, what the store of the set-up
// pages writes, and its files.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <string>

#include "io/fields.h"
#include "io/files.h"
#include "support.h"
#include "tasks/ephrecord.h"

using namespace zelvomat;
namespace ef = zelvomat::eph_field;

namespace {

// Columns (1-based, first and last) of the record's layout, written out from
// the record's table independently of the offset constants.
struct ColumnCase {
    RecordField field;
    int first, last;
    const char* name;
};
const ColumnCase kColumns[] = {
    {ef::objectKey, 1, 4, "objectKey"},
    {ef::firstNumber, 5, 10, "firstNumber"},
    {ef::lastNumber, 11, 16, "lastNumber"},
    {ef::objectName, 17, 34, "objectName"},
    {ef::firstOpposition, 35, 44, "firstOpposition"},
    {ef::lastOpposition, 45, 54, "lastOpposition"},
    {ef::objectListFile, 55, 134, "objectListFile"},
    {ef::headingsSwitch, 135, 138, "headingsSwitch"},
    {ef::coordinateType, 139, 141, "coordinateType"},
    {ef::positionKind, 142, 144, "positionKind"},
    {ef::mainPlane, 145, 147, "mainPlane"},
    {ef::equinox, 148, 151, "equinox"},
    {ef::centreIndex, 152, 153, "centreIndex"},
    {ef::observerKind, 154, 156, "observerKind"},
    {ef::observerMode, 157, 157, "observerMode"},
    {ef::observatoryCode, 158, 160, "observatoryCode"},
    {ef::placeName, 161, 210, "placeName"},
    {ef::siteLongitude, 211, 219, "siteLongitude"},
    {ef::rhoCosPhi, 220, 227, "rhoCosPhi"},
    {ef::rhoSinPhi, 228, 236, "rhoSinPhi"},
    {ef::geoLongitude, 237, 245, "geoLongitude"},
    {ef::geoLatitude, 246, 254, "geoLatitude"},
    {ef::geoHeight, 255, 263, "geoHeight"},
    {ef::intervalKind, 264, 267, "intervalKind"},
    {ef::oppositionYear, 268, 271, "oppositionYear"},
    {ef::coverage, 272, 274, "coverage"},
    {ef::oppositionStep, 275, 283, "oppositionStep"},
    {ef::beginDate, 284, 297, "beginDate"},
    {ef::endDate, 298, 311, "endDate"},
    {ef::intervalStep, 312, 320, "intervalStep"},
    {ef::outputKind, 321, 323, "outputKind"},
    {ef::restrictionSwitch, 324, 363, "restrictionSwitch"},
    {ef::lowerBound, 364, 763, "lowerBound"},
    {ef::upperBound, 764, 1163, "upperBound"},
    {ef::restrictionMode, 1164, 1164, "restrictionMode"},
    {ef::motionModel, 1165, 1165, "motionModel"},
    {ef::perturbers, 1166, 1177, "perturbers"},
    {ef::relativisticSun, 1178, 1178, "relativisticSun"},
    {ef::elementOrder, 1179, 1198, "elementOrder"},
    {ef::coordinateOrder, 1199, 1218, "coordinateOrder"},
    {ef::elementListFile, 1219, 1298, "elementListFile"},
    {ef::elementListOrder, 1299, 1318, "elementListOrder"},
    {ef::coordinateListFile, 1319, 1398, "coordinateListFile"},
    {ef::coordinateListOrder, 1399, 1418, "coordinateListOrder"},
};

std::string columns(const EphTaskRecord& r, int first, int last) {
    return std::string(r.text().data() + first - 1, static_cast<std::size_t>(last - first + 1));
}

// A text that fills width characters and differs from field to field.
std::string filler(std::size_t width, int seed) {
    std::string s(width, ' ');
    for (std::size_t i = 0; i < width; ++i) s[i] = static_cast<char>('A' + (seed * 7 + static_cast<int>(i)) % 26);
    return s;
}

}  // namespace

TEST(EphTaskRecord, FieldsSitAtTheirColumns) {
    for (const auto& c : kColumns) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.field.offset, static_cast<std::size_t>(c.first - 1));
        EXPECT_EQ(c.field.end(), static_cast<std::size_t>(c.last));
    }
    EXPECT_EQ(EphTaskRecord::kLength, 1418u);
    // Repeated fields: entry 10 (block - 1) + quantity.
    EXPECT_EQ(EphTaskRecord::switch_field(3, 1).offset, 343u);  // column 344
    EXPECT_EQ(EphTaskRecord::lower_field(2, 4).offset, 363u + 13 * 10);
    EXPECT_EQ(EphTaskRecord::upper_field(4, 10).end(), 1163u);  // last bound ends at column 1163
    EXPECT_EQ(ef::elementOrder.element(10).offset, 1196u);      // columns 1197-1198
}

TEST(EphTaskRecord, DefaultsOfANewRecord) {
    const EphTaskRecord r = EphTaskRecord::defaults();
    const struct {
        int first, last;
        std::string text;
    } cases[] = {
        {1, 4, "NUMB"},
        {5, 10, "1     "},
        {11, 16, "1     "},
        {17, 134, std::string(118, ' ')},
        {135, 138, "ISHD"},
        {139, 151, "SPHASTEQT2000"},
        {152, 153, " 3"},
        {154, 157, "GEO1"},
        {158, 160, " 95"},
        {161, 263, std::string(103, ' ')},
        {264, 267, "ARBT"},
        {268, 283, std::string(16, ' ')},
        {284, 297, "20010101.00000"},
        {298, 311, "20010111.00000"},
        {312, 320, "1.0000000"},
        {321, 323, "EMP"},
        {324, 363, std::string(40, '1')},
        {364, 1163, std::string(800, ' ')},
        {1164, 1164, "2"},
        {1165, 1177, "1111111111111"},
        {1178, 1178, "0"},
        {1179, 1198, "01020304050708091011"},
        {1199, 1218, "01020304050607080910"},
        {1219, 1298, "Eleml.txt" + std::string(71, ' ')},
        {1299, 1318, "01020304050708091011"},
        {1319, 1398, "Coord.txt" + std::string(71, ' ')},
        {1399, 1418, "01020304050607080910"},
    };
    int covered = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "columns " << c.first << "-" << c.last);
        EXPECT_EQ(columns(r, c.first, c.last), c.text);
        covered += c.last - c.first + 1;
    }
    EXPECT_EQ(covered, 1418);  // the table above covers every column

    const EphTaskRecord oc = EphTaskRecord::oc_defaults();
    EXPECT_EQ(columns(oc, 1, 4), "ZELV");
    EXPECT_EQ(columns(oc, 5, 1164), std::string(1160, ' '));
    EXPECT_EQ(columns(oc, 1165, 1418), columns(r, 1165, 1418));
}

TEST(EphTaskRecord, RoundTripThroughItsFile) {
    zeltest::ScopedWorkDir wd;
    EphTaskRecord r;
    int seed = 0;
    for (const auto& c : kColumns) r.set(c.field, filler(c.field.size(), ++seed));
    ASSERT_TRUE(save_eph_task(r).ok());

    // Exactly the 1418 bytes, each field at its columns.
    const auto bytes = zeltest::read_bytes(wd.path() / "eph.cfg");
    ASSERT_EQ(bytes.size(), 1418u);
    seed = 0;
    for (const auto& c : kColumns) {
        SCOPED_TRACE(c.name);
        const std::string expect = filler(static_cast<std::size_t>(c.last - c.first + 1), ++seed);
        EXPECT_EQ(std::string(bytes.begin() + c.first - 1, bytes.begin() + c.last), expect);
    }

    auto back = load_eph_task();
    ASSERT_TRUE(back.ok()) << back.message();
    EXPECT_EQ(*back, r);

    // The other two files of the same layout.
    ASSERT_TRUE(save_eph_check(r).ok());
    ASSERT_TRUE(save_oc_task(r).ok());
    EXPECT_EQ(zeltest::read_bytes(wd.path() / "eph.cf1"), bytes);
    EXPECT_EQ(zeltest::read_bytes(wd.path() / "omc.cfg"), bytes);
    ASSERT_TRUE(load_eph_check().ok());
    EXPECT_EQ(*load_eph_check(), r);
    remove_eph_check();
    EXPECT_FALSE(std::filesystem::exists(wd.path() / "eph.cf1"));
    EXPECT_EQ(*load_oc_task(), r);
}

TEST(EphTaskRecord, ShortOrMissingFilesCountAsMissing) {
    zeltest::ScopedWorkDir wd;
    EXPECT_FALSE(load_eph_task().ok());  // missing
    const auto full = EphTaskRecord::defaults();
    std::vector<std::uint8_t> b(full.bytes().begin(), full.bytes().end());
    b.pop_back();
    zeltest::write_bytes(wd.path() / "eph.cfg", b);  // 1417 bytes
    EXPECT_FALSE(load_eph_task().ok());
    b.push_back('0');
    b.insert(b.end(), {'\r', '\n'});  // bytes past the record are not part of it
    zeltest::write_bytes(wd.path() / "eph.cfg", b);
    ASSERT_TRUE(load_eph_task().ok());
    EXPECT_EQ(*load_eph_task(), full);

    // The O-C views fall back to the O-C defaults and always take the catalogue's orbits.
    EXPECT_EQ(load_oc_task_or_defaults(), EphTaskRecord::oc_defaults());
    ASSERT_TRUE(save_oc_task(full).ok());
    const EphTaskRecord oc = load_oc_task_or_defaults();
    EXPECT_EQ(columns(oc, 1, 4), "ZELV");
    EXPECT_EQ(columns(oc, 5, 1418), columns(full, 5, 1418));
}

TEST(EphTaskRecord, MinorCentreFile) {
    zeltest::ScopedWorkDir wd;
    ASSERT_TRUE(write_minor_file("433").ok());
    EXPECT_EQ(zeltest::read_bytes(wd.path() / "minor"), (std::vector<std::uint8_t>{'4', '3', '3'}));
    auto m = read_minor_file();
    ASSERT_TRUE(m.ok());
    EXPECT_EQ(*m, "433");
}

TEST(EphTaskRecord, FieldWriters) {
    EphTaskRecord r;
    r.set(ef::objectKey, "NAMEXX");  // codes and typed numbers are cut to the field
    EXPECT_EQ(r.get(ef::objectKey), "NAME");
    r.set(ef::firstNumber, "12");
    EXPECT_EQ(r.get(ef::firstNumber), "12    ");
    EXPECT_EQ(*r.get_int(ef::firstNumber), 12);
    EXPECT_EQ(*r.get_int(ef::lastNumber), 0);  // all blank reads as zero
    r.set(ef::lastNumber, "1x");
    EXPECT_FALSE(r.get_int(ef::lastNumber).ok());

    // Names are never cut: a name too long is refused and the field kept.
    ASSERT_TRUE(r.set_name(ef::elementListFile, "orbits/list.txt   ").ok());
    EXPECT_FALSE(r.set_name(ef::elementListFile, std::string(81, 'n')).ok());
    EXPECT_EQ(io::trim(r.get(ef::elementListFile)), "orbits/list.txt");

    ASSERT_TRUE(r.set_int(ef::centreIndex, 7).ok());
    EXPECT_EQ(r.get(ef::centreIndex), " 7");
    EXPECT_FALSE(r.set_int(ef::centreIndex, 100).ok());
    EXPECT_EQ(r.get(ef::centreIndex), " 7");

    EXPECT_THROW(EphTaskRecord::switch_field(5, 1), std::out_of_range);
    EXPECT_THROW(EphTaskRecord::lower_field(1, 11), std::out_of_range);
}

TEST(EphTaskRecord, StoreOfObjectAndCentre) {
    EphTaskRecord r = EphTaskRecord::defaults();
    r.store_object_name("Ceres");
    EXPECT_EQ(columns(r, 1, 4), "NAME");
    EXPECT_EQ(columns(r, 17, 34), "Ceres" + std::string(13, ' '));
    // Back to numbers: the name stays where it was.
    r.store_numbers("5", "10");
    EXPECT_EQ(columns(r, 1, 16), "NUMB5     10    ");
    EXPECT_EQ(columns(r, 17, 34), "Ceres" + std::string(13, ' '));
    r.store_oppositions("20240101.0", "20241231.5");
    EXPECT_EQ(columns(r, 1, 4), "OPPO");
    EXPECT_EQ(columns(r, 35, 54), "20240101.020241231.5");
    ASSERT_TRUE(r.store_object_list("objects.lst").ok());
    EXPECT_EQ(columns(r, 1, 4), "LIST");
    EXPECT_EQ(columns(r, 55, 65), "objects.lst");
    const std::string before = columns(r, 1, 134);
    EXPECT_FALSE(r.store_object_list(std::string(90, 'f')).ok());
    EXPECT_EQ(columns(r, 1, 134), before);

    const EphTaskRecord::ObserverEntry site{"095", "Crimea", "34.0", "0.8", "0.55", "10.5", "-45.25", "120"};
    ASSERT_TRUE(r.store_centre(10, "GEO", 1, site).ok());
    EXPECT_EQ(columns(r, 152, 160), "10GEO1 95");  // a geocentre writes no observer field
    ASSERT_TRUE(r.store_centre(3, "TOP", 2, site).ok());
    EXPECT_EQ(columns(r, 152, 160), " 3TOP2095");
    EXPECT_EQ(columns(r, 161, 166), "Crimea");
    ASSERT_TRUE(r.store_centre(3, "TOP", 3, site).ok());
    EXPECT_EQ(columns(r, 211, 236), "34.0     0.8     0.55     ");
    EXPECT_EQ(columns(r, 237, 263), std::string(27, ' '));
    ASSERT_TRUE(r.store_centre(3, "TOP", 4, site).ok());
    EXPECT_EQ(columns(r, 237, 263), "10.5     -45.25   120      ");
    EXPECT_EQ(columns(r, 157, 157), "4");
    EXPECT_FALSE(r.store_centre(14, "GEO", 1, site).ok());
    EXPECT_FALSE(r.store_centre(3, "TOP", 5, site).ok());
    EXPECT_EQ(columns(r, 152, 157), " 3TOP4");
}

TEST(EphTaskRecord, StoreOfFrameIntervalAndOutput) {
    EphTaskRecord r = EphTaskRecord::defaults();
    r.store_frame("SPH", "APP", "HRZ", "INST");
    EXPECT_EQ(columns(r, 139, 151), "SPHAPPHRZINST");
    r.store_opposition_interval("2025", " 60", "5.0");
    EXPECT_EQ(columns(r, 264, 283), "NOPP2025 605.0      ");
    EXPECT_EQ(columns(r, 284, 320), "20010101.0000020010111.000001.0000000");  // ARBT fields kept
    r.store_arbitrary_interval("2451545.5", "20250101", "0.5");
    EXPECT_EQ(columns(r, 264, 267), "ARBT");
    EXPECT_EQ(columns(r, 284, 320), "2451545.5     20250101      0.5      ");
    r.store_output("PSV");
    EXPECT_EQ(columns(r, 321, 323), "PSV");
}

TEST(EphTaskRecord, StoreOfRestrictions) {
    using Entry = EphTaskRecord::RestrictionEntry;
    EXPECT_EQ(EphTaskRecord::restriction_base("REC", "EQT", "EMP"), 0);
    EXPECT_EQ(EphTaskRecord::restriction_base("REC", "HRZ", "POS"), 1);
    EXPECT_EQ(EphTaskRecord::restriction_base("SPH", "EQT", "EMP"), 2);
    EXPECT_EQ(EphTaskRecord::restriction_base("SPH", "ECL", "PSV"), 3);
    EXPECT_EQ(EphTaskRecord::restriction_base("SPH", "HRZ", "EMP"), 4);

    EphTaskRecord r = EphTaskRecord::defaults();
    // Something old in the equator and horizon blocks.
    r.set(EphTaskRecord::switch_field(2, 5), "2");
    r.set(EphTaskRecord::lower_field(2, 5), "-100000.0");
    r.set(EphTaskRecord::switch_field(4, 1), "2");
    const std::string outside = columns(r, 324, 343) + columns(r, 354, 363);

    r.store_frame("SPH", "AST", "ECL", "2000");
    std::array<Entry, 10> entries{};
    entries[0] = {true, "0100000.0", "3000000.0"};
    entries[8] = {true, "", "15.5"};
    entries[4] = {false, "ignored", "ignored"};
    EXPECT_EQ(r.store_restrictions(true, true, entries), 7);
    EXPECT_EQ(columns(r, 1164, 1164), "7");
    EXPECT_EQ(columns(r, 135, 138), "NOHD");
    EXPECT_EQ(columns(r, 344, 353), "2111111121");
    EXPECT_EQ(columns(r, 324, 343) + columns(r, 354, 363), outside);  // other blocks untouched
    EXPECT_EQ(r.lower_bound(3, 1), "0100000.0 ");
    EXPECT_EQ(r.upper_bound(3, 1), "3000000.0 ");
    EXPECT_EQ(r.lower_bound(3, 9), std::string(10, ' '));
    EXPECT_EQ(r.upper_bound(3, 9), "15.5      ");
    EXPECT_EQ(r.lower_bound(2, 5), "-100000.0 ");

    // No restrictions: only the digit changes.
    const EphTaskRecord kept = r;
    EXPECT_EQ(r.store_restrictions(false, false, entries), 3);
    EXPECT_EQ(columns(r, 1164, 1164), "3");
    EXPECT_EQ(columns(r, 1, 1163), columns(kept, 1, 1163));

    // Rectangular ephemeris output: no restriction system.
    r.store_frame("REC", "GMT", "EQT", "2000");
    r.store_output("EMP");
    EXPECT_EQ(r.store_restrictions(false, false, entries), 0);
    EXPECT_EQ(columns(r, 1164, 1164), "0");
}

TEST(EphTaskRecord, StoreOfMotionModel) {
    EphTaskRecord r = EphTaskRecord::defaults();
    r.store_motion('2', "101010101010", '1');
    EXPECT_EQ(columns(r, 1165, 1178), "21010101010101");
    // Nodes: the perturber digits keep what they held.
    r.store_motion('1', "000000000000", '0');
    EXPECT_EQ(columns(r, 1165, 1178), "11010101010101");
}
