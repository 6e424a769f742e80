// Observatory lists: code numbers, the text list "observa1.dat" and the record
// list "observat.dat" built from it, the backups, and the list's path.
#include <gtest/gtest.h>
#include <strings.h>

#include <algorithm>
#include <bit>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "faults.h"
#include "support.h"
#include "tasks/obsfiles.h"
#include "zelvomat/zelvomat.h"

namespace {

namespace fs = std::filesystem;
using zeltest::read_bytes;
using zeltest::write_bytes;

static_assert(std::endian::native == std::endian::little, "the record checks below read little-endian bytes");

// Lines of the Minor Planet Center's list of observatory codes, as published
// (code 1-3, longitude 5-13, rho cos phi' 14-21, rho sin phi' 22-30, name 31-).
// Each with the values that its columns state.
struct MpcLine {
    const char* text;
    const char* code;
    double lon_deg, rho_cos, rho_sin;
    const char* name;
};
const MpcLine kMpcLines[] = {
    {"000   0.0000 0.62411 +0.77873 Greenwich", "000", 0.0, 0.62411, 0.77873, "Greenwich"},
    {"002   0.62   0.622   +0.781   Rayleigh", "002", 0.62, 0.622, 0.781, "Rayleigh"},
    {"005   2.231000.659891+0.748875Meudon", "005", 2.23100, 0.659891, 0.748875, "Meudon"},
    {"006   2.124170.751042+0.658129Fabra Observatory, Barcelona", "006", 2.12417, 0.751042, 0.658129,
     "Fabra Observatory, Barcelona"},
    {"250                           Hubble Space Telescope", "250", 0.0, 0.0, 0.0, "Hubble Space Telescope"},
    {"309 289.595690.909943-0.414336Cerro Paranal", "309", 289.59569, 0.909943, -0.414336, "Cerro Paranal"},
    {"500   0.000000.000000+0.000000Geocentric", "500", 0.0, 0.0, 0.0, "Geocentric"},
    {"644 243.140220.836325+0.546877Palomar Mountain/NEAT", "644", 243.14022, 0.836325, 0.546877,
     "Palomar Mountain/NEAT"},
    {"E12 149.0642 0.85563 -0.51621 Siding Spring Survey", "E12", 149.0642, 0.85563, -0.51621, "Siding Spring Survey"},
};

// The code of an observatory number written out by hand, for the fixtures.
std::string code_of(int n) {
    char buf[16];
    if (n < 1000)
        std::snprintf(buf, sizeof buf, "%03d", n);
    else
        std::snprintf(buf, sizeof buf, "%c%02d", 'A' + (n - 1000) / 100, n % 100);
    return buf;
}

int number_of(const std::string& code) {
    if (code[0] >= 'A') return 1000 + 100 * (code[0] - 'A') + std::stoi(code.substr(1));
    return std::stoi(code);
}

std::string pad79(std::string s) {
    s.resize(79, ' ');
    return s;
}

// A text list as the package holds it: line n for number n - 1 from code 000 to
// the last code given, lines of free numbers holding their code and blanks.
std::vector<std::uint8_t> text_list(const std::vector<std::string>& mpc_lines) {
    std::map<int, std::string> by_number;
    for (const auto& l : mpc_lines) by_number[number_of(l.substr(0, 3))] = pad79(l);
    const int last = by_number.rbegin()->first;
    std::string all;
    for (int n = 0; n <= last; ++n) all += by_number.count(n) ? by_number[n] : pad79(code_of(n));
    return std::vector<std::uint8_t>(all.begin(), all.end());
}

std::vector<std::string> all_mpc_lines() {
    std::vector<std::string> v;
    for (const auto& l : kMpcLines) v.push_back(l.text);
    return v;
}

// A record of "observat.dat" read at its byte offsets by the test itself.
struct RawRecord {
    std::int16_t number;
    double lon, rc, rs;
    std::string name, fill;
};
RawRecord raw_record(const std::vector<std::uint8_t>& file, std::size_t index) {
    const std::uint8_t* p = file.data() + index * 78;
    RawRecord r{};
    std::memcpy(&r.number, p + 0, 2);
    std::memcpy(&r.lon, p + 2, 8);
    std::memcpy(&r.rc, p + 10, 8);
    std::memcpy(&r.rs, p + 18, 8);
    r.name.assign(reinterpret_cast<const char*>(p + 26), 50);
    r.fill.assign(reinterpret_cast<const char*>(p + 76), 2);
    return r;
}

// A working directory whose "setpar" names the data directory "<work>/el/".
class ObsFiles : public ::testing::Test {
protected:
    zeltest::ScopedWorkDir work;
    std::string data_dir;

    void SetUp() override {
        data_dir = work.dir_slash() + "el/";
        fs::create_directory(data_dir);
        write_settings(data_dir);
    }
    // 14 records of 80 bytes; record 4 holds the data directory.
    static void write_settings(const std::string& dir) {
        std::vector<std::uint8_t> b(14 * 80, 0);
        std::string r4 = dir;
        r4.resize(80, ' ');
        std::memcpy(b.data() + 3 * 80, r4.data(), 80);
        write_bytes("setpar", b);
    }
    fs::path data(const char* name) const { return fs::path(data_dir) / name; }
};

// ---- Codes and numbers --------------------------------------------------------

TEST(ObsCodes, CodeToNumber) {
    struct Case {
        const char* code;
        int number;
    };
    const Case cases[] = {
        {"000", 0},    {"005", 5},    {" 5 ", 5},    {"  5", 5},    {"500", 500},  {"999", 999},  {"A00", 1000},
        {"A99", 1099}, {"B00", 1100}, {"a12", 1012}, {"A12", 1012}, {"E12", 1412}, {"Z99", 3599}, {"z99", 3599},
        {"   ", -1},   {"", -1},      {"A5 ", -1},   {"a", -1},     {"5000", 500},  // only the first three characters
                                                                                    // are the code
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("code \"") + c.code + "\"");
        auto n = zelvomat::obs_n(c.code);
        ASSERT_TRUE(n.ok()) << n.message();
        EXPECT_EQ(*n, c.number);
    }
}

TEST(ObsCodes, UnreadableCodesAreErrors) {
    for (const char* code : {"#12", "-12", "+12", "A 5", "A5x", "1A2", "AB1", "5-1",
                             "\xc4"
                             "12",
                             "A\0"
                             "1"}) {
        SCOPED_TRACE(std::string("code \"") + code + "\"");
        auto n = zelvomat::obs_n(std::string_view(code, 3));
        ASSERT_FALSE(n.ok()) << "read as " << *n;
        EXPECT_NE(n.message().find("is not an observatory code"), std::string::npos) << n.message();
    }
}

TEST(ObsCodes, NumberToCode) {
    struct Case {
        int number;
        const char* code;
    };
    const Case cases[] = {{0, "000"},    {7, "007"},    {500, "500"},  {998, "998"},  {999, "999"},
                          {1000, "A00"}, {1099, "A99"}, {1100, "B00"}, {1412, "E12"}, {3599, "Z99"},
                          {3600, "   "}, {-1, "   "},   {-500, "   "}, {32767, "   "}};
    for (const auto& c : cases) {
        SCOPED_TRACE("number " + std::to_string(c.number));
        EXPECT_EQ(zelvomat::n_obs(c.number), c.code);
    }
}

TEST(ObsCodes, RoundTripOverAllCodes) {
    for (int n = 0; n <= 3599; ++n) {
        const std::string code = zelvomat::n_obs(n);
        ASSERT_EQ(code, code_of(n)) << "number " << n;
        auto back = zelvomat::obs_n(code);
        ASSERT_TRUE(back.ok()) << code;
        ASSERT_EQ(*back, n) << code;
        std::string lower = code;
        lower[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(lower[0])));
        auto back_lower = zelvomat::obs_n(lower);
        ASSERT_TRUE(back_lower.ok()) << lower;
        ASSERT_EQ(*back_lower, n) << lower;
    }
}

// ---- Layouts --------------------------------------------------------------------

TEST(ObsLayouts, LineFieldsAndImpliedDecimals) {
    struct Case {
        const char* line;
        double lon, rc, rs;
        const char* name;
    };
    const Case cases[] = {
        // A published line: the written points override the implied decimals.
        {"309 289.595690.909943-0.414336Cerro Paranal", 289.59569, 0.909943, -0.414336, "Cerro Paranal"},
        // Without points: 5 implied decimals in columns 4-13, 6 in 14-21 and 22-30.
        {"309  28959569  909943  -414336Cerro Paranal", 289.59569, 0.909943, -0.414336, "Cerro Paranal"},
        // Blank fields read 0; a name of 49 characters fills its columns.
        {"250                           1234567890123456789012345678901234567890123456789XYZ", 0.0, 0.0, 0.0,
         "1234567890123456789012345678901234567890123456789"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        auto l = zelvomat::ObservatoryLine::decode(c.line);
        ASSERT_TRUE(l.ok()) << l.message();
        EXPECT_EQ(l->code, std::string(c.line, 3));
        // Decimal fields read to the nearest double: within 4 ulp.
        EXPECT_DOUBLE_EQ(l->longitude_deg, c.lon);
        EXPECT_DOUBLE_EQ(l->rho_cos_phi, c.rc);
        EXPECT_DOUBLE_EQ(l->rho_sin_phi, c.rs);
        EXPECT_EQ(l->name, pad79(c.name).substr(0, 49));
    }
}

TEST(ObsLayouts, LineWithUnreadableNumberIsAnError) {
    struct Case {
        const char* line;
        const char* field;
    };
    const Case cases[] = {{"010   6.92x240.723655+0.688135Caussols", "longitude"},
                          {"010   6.921240.72a655+0.688135Caussols", "rho cos"},
                          {"010   6.921240.723655+0.6881-5Caussols", "rho sin"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        auto l = zelvomat::ObservatoryLine::decode(c.line);
        ASSERT_FALSE(l.ok());
        EXPECT_NE(l.message().find(c.field), std::string::npos) << l.message();
    }
}

TEST(ObsLayouts, RecordBytesAtTheirOffsets) {
    zelvomat::ObservatoryRecord r;
    r.number = 1412;
    r.longitude_deg = 149.0642;
    r.rho_cos_phi = 0.85563;
    r.rho_sin_phi = -0.51621;
    r.name = "Siding Spring Survey";
    std::vector<std::uint8_t> b(78, 0xEE);
    r.encode(b);
    const RawRecord raw = raw_record(b, 0);
    EXPECT_EQ(b[0], 0x84);  // 1412 = 0x0584, little-endian
    EXPECT_EQ(b[1], 0x05);
    EXPECT_EQ(raw.lon, 149.0642);
    EXPECT_EQ(raw.rc, 0.85563);
    EXPECT_EQ(raw.rs, -0.51621);
    EXPECT_EQ(raw.name, pad79("Siding Spring Survey").substr(0, 50));
    EXPECT_EQ(raw.fill, "  ");
    const auto back = zelvomat::ObservatoryRecord::decode(b);
    EXPECT_EQ(back.number, 1412);
    EXPECT_EQ(back.rho_sin_phi, -0.51621);
    EXPECT_EQ(back.name, raw.name);
}

// ---- obswri ------------------------------------------------------------------------

TEST_F(ObsFiles, RecordListHoldsTheValuesOfTheTextList) {
    write_bytes(data("observa1.dat"), text_list(all_mpc_lines()));
    obswri();
    ASSERT_EQ(errmsg(nullptr, 0), 0) << zeltest::last_message();

    const auto file = read_bytes(data("observat.dat"));
    ASSERT_EQ(file.size(), 1413u * 78u);  // E12 = 1412 is the last number
    for (const auto& l : kMpcLines) {
        SCOPED_TRACE(l.text);
        // The record of observatory number m is record m + 1.
        const RawRecord r = raw_record(file, static_cast<std::size_t>(number_of(l.code)));
        EXPECT_EQ(r.number, number_of(l.code));
        // The published decimal values read to the nearest double: within 4 ulp.
        EXPECT_DOUBLE_EQ(r.lon, l.lon_deg);
        EXPECT_DOUBLE_EQ(r.rc, l.rho_cos);
        EXPECT_DOUBLE_EQ(r.rs, l.rho_sin);
        // The 49 name characters of the line and one blank.
        EXPECT_EQ(r.name, pad79(l.name).substr(0, 50));
        EXPECT_EQ(r.fill, "  ");
    }
    // A free number: its code, zero values and a blank name.
    const RawRecord free = raw_record(file, 1);
    EXPECT_EQ(free.number, 1);
    EXPECT_EQ(free.lon, 0.0);
    EXPECT_EQ(free.name, std::string(50, ' '));
    // The library's own reader of a record by number agrees.
    auto rf = zelvomat::io::RecordFile::open(data("observat.dat").string(), 78, zelvomat::io::OpenMode::Read);
    ASSERT_TRUE(rf.ok());
    auto geo = zelvomat::read_observatory(*rf, 500);
    ASSERT_TRUE(geo.ok()) << geo.message();
    EXPECT_EQ(geo->number, 500);
    EXPECT_EQ(geo->name.substr(0, 10), "Geocentric");
    EXPECT_FALSE(zelvomat::read_observatory(*rf, 1413).ok());  // past the list
    EXPECT_FALSE(zelvomat::read_observatory(*rf, -1).ok());
}

TEST_F(ObsFiles, BlankCodeGivesNumberMinusOne) {
    std::string list = pad79("000   0.0000 0.62411 +0.77873 Greenwich") + std::string(79, ' ');
    write_bytes(data("observa1.dat"), std::vector<std::uint8_t>(list.begin(), list.end()));
    obswri();
    ASSERT_EQ(errmsg(nullptr, 0), 0) << zeltest::last_message();
    const auto file = read_bytes(data("observat.dat"));
    ASSERT_EQ(file.size(), 2u * 78u);
    EXPECT_EQ(raw_record(file, 1).number, -1);
    EXPECT_EQ(raw_record(file, 1).name, std::string(50, ' '));
}

TEST_F(ObsFiles, ShorterListLeavesNoStaleRecords) {
    write_bytes(data("observa1.dat"), text_list(all_mpc_lines()));
    obswri();
    ASSERT_EQ(errmsg(nullptr, 0), 0) << zeltest::last_message();
    // Lines removed: only 000 .. 006 remain.
    write_bytes(data("observa1.dat"), text_list({kMpcLines[0].text, kMpcLines[3].text}));
    obswri();
    ASSERT_EQ(errmsg(nullptr, 0), 0) << zeltest::last_message();
    const auto file = read_bytes(data("observat.dat"));
    ASSERT_EQ(file.size(), 7u * 78u);
    EXPECT_EQ(raw_record(file, 6).number, 6);
    EXPECT_EQ(raw_record(file, 6).rc, 0.751042);
    // Lines added at the end again: one record more per line.
    write_bytes(data("observa1.dat"),
                text_list({kMpcLines[0].text, kMpcLines[3].text, "007   2.336750.659470+0.749223Paris"}));
    obswri();
    EXPECT_EQ(read_bytes(data("observat.dat")).size(), 8u * 78u);
}

TEST_F(ObsFiles, UnreadableLineIsReportedAndRecordsStayAsTheyWere) {
    write_bytes(data("observa1.dat"), text_list(all_mpc_lines()));
    obswri();
    ASSERT_EQ(errmsg(nullptr, 0), 0) << zeltest::last_message();
    const auto before = read_bytes(data("observat.dat"));

    struct Case {
        const char* bad_line;
        const char* says;
    };
    const Case cases[] = {
        {"#12   0.0000 0.62411 +0.77873 Greenwich", "\"#12\" is not an observatory code"},
        {"-12   0.0000 0.62411 +0.77873 Greenwich", "\"-12\" is not an observatory code"},
        {"A 5   0.0000 0.62411 +0.77873 Greenwich", "\"A 5\" is not an observatory code"},
        {"012   4.35x210.633333+0.771306Uccle", "longitude"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bad_line);
        auto list = text_list(all_mpc_lines());
        const std::string bad = pad79(c.bad_line);
        std::memcpy(list.data() + 12 * 79, bad.data(), 79);  // line 13
        write_bytes(data("observa1.dat"), list);
        obswri();
        const std::string m = zeltest::last_message();
        EXPECT_NE(m.find("Line 13 of the observatory list"), std::string::npos) << m;
        EXPECT_NE(m.find(c.says), std::string::npos) << m;
        EXPECT_EQ(read_bytes(data("observat.dat")), before);
    }
}

TEST_F(ObsFiles, MissingTextListIsReportedAndRecordsStay) {
    write_bytes(data("observat.dat"), std::vector<std::uint8_t>(78, 7));
    obswri();
    EXPECT_NE(zeltest::last_message().find("observa1.dat"), std::string::npos) << zeltest::last_message();
    EXPECT_EQ(read_bytes(data("observat.dat")), std::vector<std::uint8_t>(78, 7));
}

TEST_F(ObsFiles, ListsAreFoundWhateverTheirCase) {
    write_bytes(data("OBSERVA1.DAT"), text_list({kMpcLines[0].text}));
    write_bytes(data("Observat.Dat"), std::vector<std::uint8_t>(5 * 78, 0));
    obswri();
    ASSERT_EQ(errmsg(nullptr, 0), 0) << zeltest::last_message();
    EXPECT_EQ(read_bytes(data("Observat.Dat")).size(), 78u);
    // The existing file was written over; no second spelling appeared.
    int lists = 0;
    for (const auto& e : fs::directory_iterator(data_dir))
        lists += strcasecmp(e.path().filename().c_str(), "observat.dat") == 0;
    EXPECT_EQ(lists, 1);
}

TEST_F(ObsFiles, PartialLastLineIsNotALine) {
    auto list = text_list({kMpcLines[0].text, kMpcLines[1].text});
    list.resize(list.size() + 40, ' ');
    write_bytes(data("observa1.dat"), list);
    obswri();
    ASSERT_EQ(errmsg(nullptr, 0), 0) << zeltest::last_message();
    EXPECT_EQ(read_bytes(data("observat.dat")).size(), 3u * 78u);
}

// ---- Backups -------------------------------------------------------------------------

TEST_F(ObsFiles, BackupsAreExactCopies) {
    struct Case {
        void (*backup)();
        const char* list;
        const char* copy;
        std::size_t reclen;
    };
    const Case cases[] = {{obsbak, "observat.dat", "observat.bak", 78}, {obsba1, "observa1.dat", "observa1.bak", 79}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.copy);
        // An older, longer backup must not keep its surplus records.
        write_bytes(data(c.copy), std::vector<std::uint8_t>(40 * c.reclen, 'x'));
        std::vector<std::uint8_t> list(3 * c.reclen);
        for (std::size_t i = 0; i < list.size(); ++i) list[i] = static_cast<std::uint8_t>(i * 7);
        write_bytes(data(c.list), list);
        c.backup();
        ASSERT_EQ(errmsg(nullptr, 0), 0) << zeltest::last_message();
        EXPECT_EQ(read_bytes(data(c.copy)), list);

        // A cut last record is not copied.
        auto cut = list;
        cut.resize(cut.size() + 10, 1);
        write_bytes(data(c.list), cut);
        c.backup();
        ASSERT_EQ(errmsg(nullptr, 0), 0) << zeltest::last_message();
        EXPECT_EQ(read_bytes(data(c.copy)), list);

        // A disk that fills during the copy: reported, the old backup whole.
        write_bytes(data(c.list), std::vector<std::uint8_t>(5 * c.reclen, 'n'));
        {
            zeltest::FullDisk disk(c.copy, 100);
            c.backup();
        }
        EXPECT_NE(zeltest::last_message().find(c.copy), std::string::npos) << zeltest::last_message();
        EXPECT_EQ(read_bytes(data(c.copy)), list);

        // A missing list is reported and the backup stays.
        fs::remove(data(c.list));
        c.backup();
        EXPECT_NE(zeltest::last_message().find(c.list), std::string::npos) << zeltest::last_message();
        EXPECT_EQ(read_bytes(data(c.copy)), list);
    }
}

// A disk that fills while the record list is rebuilt: reported, and the
// list as it was, every observatory in it.
TEST_F(ObsFiles, AFailedRebuildLeavesTheRecordListWhole) {
    write_bytes(data("observa1.dat"), text_list(all_mpc_lines()));
    obswri();
    ASSERT_EQ(errmsg(nullptr, 0), 0) << zeltest::last_message();
    const auto before = read_bytes(data("observat.dat"));
    auto lines = all_mpc_lines();
    lines.pop_back();
    write_bytes(data("observa1.dat"), text_list(lines));
    {
        zeltest::FullDisk disk("observat.dat", 200);
        obswri();
        EXPECT_TRUE(disk.hit());
    }
    EXPECT_NE(zeltest::last_message().find("observat.dat"), std::string::npos) << zeltest::last_message();
    EXPECT_EQ(read_bytes(data("observat.dat")), before);
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(data(""))) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"observa1.dat", "observat.dat"}));
}

TEST_F(ObsFiles, BackupOfTheBuiltRecordList) {
    write_bytes(data("observa1.dat"), text_list(all_mpc_lines()));
    obswri();
    obsbak();
    obsba1();
    ASSERT_EQ(errmsg(nullptr, 0), 0) << zeltest::last_message();
    EXPECT_EQ(read_bytes(data("observat.bak")), read_bytes(data("observat.dat")));
    EXPECT_EQ(read_bytes(data("observa1.bak")), read_bytes(data("observa1.dat")));
}

// ---- obspat --------------------------------------------------------------------------

TEST_F(ObsFiles, PathOfTheTextList) {
    const std::string want = data_dir + "observa1.dat";
    std::string buf(want.size() + 20, 'x');
    obspat(buf.data(), static_cast<int>(buf.size()));
    ASSERT_EQ(errmsg(nullptr, 0), 0) << zeltest::last_message();
    EXPECT_EQ(buf, want + '\0' + std::string(19, ' '));

    // Exactly room for the name and its zero byte.
    std::string exact(want.size() + 1, 'x');
    obspat(exact.data(), static_cast<int>(exact.size()));
    ASSERT_EQ(errmsg(nullptr, 0), 0) << zeltest::last_message();
    EXPECT_EQ(exact, want + '\0');
}

TEST_F(ObsFiles, PathFollowsTheCaseOfAnExistingList) {
    write_bytes(data("Observa1.DAT"), text_list({kMpcLines[0].text}));
    std::string buf(300, 'x');
    obspat(buf.data(), static_cast<int>(buf.size()));
    ASSERT_EQ(errmsg(nullptr, 0), 0) << zeltest::last_message();
    EXPECT_EQ(buf.substr(0, buf.find('\0')), data_dir + "Observa1.DAT");
}

TEST_F(ObsFiles, PathThatDoesNotFitIsRefused) {
    const std::string want = data_dir + "observa1.dat";
    std::string buf(want.size(), 'x');  // no room for the zero byte
    obspat(buf.data(), static_cast<int>(buf.size()));
    EXPECT_NE(zeltest::last_message().find("observa1.dat"), std::string::npos) << zeltest::last_message();
    // An empty name, never a name cut short.
    EXPECT_EQ(buf, '\0' + std::string(want.size() - 1, ' '));
}

TEST_F(ObsFiles, DataDirectoryLongerThan67CharactersIsServed) {
    // The name is built without an 80-character limit of its own.
    std::string deep = work.dir_slash();
    while (deep.size() < 75) deep += "d/";
    fs::create_directories(deep);
    write_settings(deep);
    std::string buf(200, 'x');
    obspat(buf.data(), static_cast<int>(buf.size()));
    ASSERT_EQ(errmsg(nullptr, 0), 0) << zeltest::last_message();
    EXPECT_EQ(buf.substr(0, buf.find('\0')), deep + "observa1.dat");
}

TEST_F(ObsFiles, PathWithoutSettingsIsAnError) {
    fs::remove("setpar");
    std::string buf(100, 'x');
    obspat(buf.data(), static_cast<int>(buf.size()));
    EXPECT_NE(zeltest::last_message().find("setpar"), std::string::npos) << zeltest::last_message();
    EXPECT_EQ(buf[0], '\0');
    obswri();
    EXPECT_NE(zeltest::last_message().find("setpar"), std::string::npos) << zeltest::last_message();
}

}  // namespace
