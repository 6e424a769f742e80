// Observatory search: sea_obs over the record list "observat.dat" into
// "observat.sp1", and sea_ob1 over the text list "observa1.dat" into
// "result.ob4".
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "support.h"
#include "zelvomat/zelvomat.h"

namespace {

namespace fs = std::filesystem;
using zeltest::read_bytes;
using zeltest::write_bytes;

// The observatories of the fixture: code and name (the name columns of a text
// line hold 49 characters).
struct Obs {
    const char* code;
    int number;
    const char* name;
};
const Obs kObs[] = {
    {"000", 0, "Greenwich"},
    {"005", 5, "Meudon"},
    {"006", 6, "Fabra Observatory, Barcelona"},
    {"007", 7, "Paris"},
    {"309", 309, "Cerro Paranal"},
    {"500", 500, "Geocentric"},
    {"644", 644, "Palomar Mountain/NEAT"},
    {"A12", 1012, "Stazione Astronomica di Sozzago"},
    // 49 characters: fills the name columns; the selection keeps 40 of them.
    {"A13", 1013, "Observatorio Astronomico Nacional de Tonantzintla"},
};
constexpr int kLastNumber = 1013;  // A13: lines 1 .. 1014
constexpr int kNamed = 9;

std::string pad(std::string s, std::size_t n) {
    s.resize(n, ' ');
    return s;
}

// Line n + 1 of the text list: the observatory of number n, or its free code.
std::string code_of(int n) {
    char buf[16];
    if (n < 1000)
        std::snprintf(buf, sizeof buf, "%03d", n);
    else
        std::snprintf(buf, sizeof buf, "%c%02d", 'A' + (n - 1000) / 100, n % 100);
    return buf;
}

std::map<int, std::string> names() {
    std::map<int, std::string> m;
    for (const auto& o : kObs) m[o.number] = o.name;
    return m;
}

// The 79-character text line of number n: code, longitude and parallax
// constants (made up from the number, in their columns 4-13, 14-21, 22-30),
// name from column 31.
std::string text_line(int n) {
    const auto m = names();
    if (!m.count(n)) return pad(code_of(n), 79);
    char values[32];
    std::snprintf(values, sizeof values, "%10.5f%8.6f%+9.6f", 0.25 * n, 0.5, -0.25);
    return pad(code_of(n) + values + m.at(n), 79);
}

// Record n + 1 of "observat.dat", built at its byte offsets: i16 number,
// three doubles, the 49 name characters and a blank, two blanks.
std::vector<std::uint8_t> record(int n) {
    std::vector<std::uint8_t> r(78, 0);
    const auto m = names();
    const std::int16_t num = static_cast<std::int16_t>(n);
    std::memcpy(r.data(), &num, 2);
    const double lon = 0.25 * n, rc = 0.5, rs = -0.25;
    std::memcpy(r.data() + 2, &lon, 8);
    std::memcpy(r.data() + 10, &rc, 8);
    std::memcpy(r.data() + 18, &rs, 8);
    const std::string name = pad(m.count(n) ? m.at(n) : "", 50) + "  ";
    std::memcpy(r.data() + 26, name.data(), 52);
    return r;
}

class ObsSearch : public ::testing::Test {
protected:
    zeltest::ScopedWorkDir work;
    std::string data_dir;

    void SetUp() override {
        data_dir = work.dir_slash() + "el/";
        fs::create_directory(data_dir);
        std::vector<std::uint8_t> settings(14 * 80, 0);
        const std::string r4 = pad(data_dir, 80);
        std::memcpy(settings.data() + 3 * 80, r4.data(), 80);
        write_bytes("setpar", settings);
        std::string text;
        std::vector<std::uint8_t> recs;
        for (int n = 0; n <= kLastNumber; ++n) {
            text += text_line(n);
            const auto r = record(n);
            recs.insert(recs.end(), r.begin(), r.end());
        }
        write_bytes(fs::path(data_dir) / "observa1.dat", std::vector<std::uint8_t>(text.begin(), text.end()));
        write_bytes(fs::path(data_dir) / "observat.dat", recs);
    }

    // sea_obs with a fragment; the matches read back from "observat.sp1" as
    // "code|name" (name without trailing blanks).
    struct Search {
        int count = -1;
        std::vector<std::string> matches;
        std::size_t file_size = 0;
    };
    Search search(const std::string& fragment) {
        Search s;
        char out[20];
        sea_obs(fragment.data(), static_cast<int>(fragment.size()), &s.count, out, sizeof out);
        const auto b = read_bytes("observat.sp1");
        s.file_size = b.size();
        for (std::size_t off = 0; off + 54 <= b.size(); off += 54) {
            const std::string rec(reinterpret_cast<const char*>(b.data() + off), 54);
            EXPECT_EQ(rec[3], ' ') << rec;
            std::string name = rec.substr(4);
            name.erase(name.find_last_not_of(' ') + 1);
            s.matches.push_back(rec.substr(0, 3) + "|" + name);
        }
        return s;
    }

    // sea_ob1; the records of "result.ob4".
    struct Selection {
        int found = -1;
        std::vector<std::vector<std::uint8_t>> records;
        std::size_t file_size = 0;
    };
    Selection select(int mode, const std::string& text) {
        Selection s;
        sea_ob1(mode, text.data(), static_cast<int>(text.size()), &s.found);
        const auto b = read_bytes("result.ob4");
        s.file_size = b.size();
        for (std::size_t off = 0; off + 79 <= b.size(); off += 79)
            s.records.emplace_back(b.begin() + static_cast<std::ptrdiff_t>(off),
                                   b.begin() + static_cast<std::ptrdiff_t>(off + 79));
        return s;
    }
};

// ---- sea_obs --------------------------------------------------------------------

TEST_F(ObsSearch, NameFragments) {
    struct Case {
        const char* what;
        std::string fragment;
        std::vector<std::string> matches;  // in list order
    };
    const Case cases[] = {
        {"capitals with blanks around", "   PALOMAR  ", {"644|Palomar Mountain/NEAT"}},
        {"any case in the name", "pArIs", {"007|Paris"}},
        {"several matches in list order",
         "obs",
         {"006|Fabra Observatory, Barcelona", "A13|Observatorio Astronomico Nacional de Tonantzintla"}},
        {"a blank inside the fragment", " Cerro Paran ", {"309|Cerro Paranal"}},
        {"punctuation", "/neat", {"644|Palomar Mountain/NEAT"}},
        {"letter codes", "sozzago", {"A12|Stazione Astronomica di Sozzago"}},
        {"found nowhere", "Kitt Peak", {}},
        {"longer than the name field", std::string(60, 'x'), {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const Search s = search(c.fragment);
        EXPECT_EQ(errmsg(nullptr, 0), 0) << zeltest::last_message();
        EXPECT_EQ(s.count, static_cast<int>(c.matches.size()));
        EXPECT_EQ(s.matches, c.matches);
        // The file holds exactly the records counted.
        EXPECT_EQ(s.file_size, 54u * c.matches.size());
    }
}

TEST_F(ObsSearch, BlankFragmentListsEveryNamedObservatory) {
    for (const std::string& blank : std::vector<std::string>{"", "   ", std::string(80, ' ')}) {
        SCOPED_TRACE("fragment of " + std::to_string(blank.size()) + " blanks");
        const Search s = search(blank);
        ASSERT_EQ(s.count, kNamed);
        ASSERT_EQ(s.matches.size(), static_cast<std::size_t>(kNamed));
        // Free codes (the lines without a name) are skipped; list order kept.
        for (std::size_t i = 0; i < s.matches.size(); ++i)
            EXPECT_EQ(s.matches[i], std::string(kObs[i].code) + "|" + kObs[i].name);
    }
}

TEST_F(ObsSearch, NoStaleRecordsOfAnEarlierSearch) {
    ASSERT_EQ(search("").count, kNamed);
    const Search fewer = search("paranal");
    EXPECT_EQ(fewer.count, 1);
    EXPECT_EQ(fewer.file_size, 54u);
    const Search none = search("no such place");
    EXPECT_EQ(none.count, 0);
    EXPECT_EQ(none.file_size, 0u);
}

TEST_F(ObsSearch, FragmentIsReadOnlyToItsLength) {
    // "Paris" given with length 3 is "Par": Paris and Paranal.
    int count = -1;
    char out[13];
    sea_obs("Paris", 3, &count, out, sizeof out);
    EXPECT_EQ(count, 2);
    // A zero byte counts as a blank (a C string in a longer buffer).
    const char buf[10] = {'P', 'a', 'r', 'i', 's', '\0', 'x', 'x', 'x', 'x'};
    sea_obs(buf, 5, &count, out, sizeof out);
    EXPECT_EQ(count, 1);
}

TEST_F(ObsSearch, OutNameReceivesTheFileName) {
    char out[20];
    std::memset(out, '#', sizeof out);
    int count = -1;
    sea_obs("paris", 5, &count, out, sizeof out);
    EXPECT_EQ(std::string(out, 13), std::string("observat.sp1\0", 13));
    EXPECT_EQ(std::string(out + 13, 7), "#######");  // the rest as it was
    EXPECT_TRUE(fs::exists(out));                    // the name opens the file

    // Too short for the name and its zero byte: refused, buffer untouched.
    char small[12];
    std::memset(small, '#', sizeof small);
    count = 5;
    sea_obs("paris", 5, &count, small, sizeof small);
    EXPECT_EQ(count, 0);
    EXPECT_NE(zeltest::last_message().find("13 characters"), std::string::npos) << zeltest::last_message();
    EXPECT_EQ(std::string(small, 12), std::string(12, '#'));
}

TEST_F(ObsSearch, MissingRecordListIsReportedAndLeavesNoMatches) {
    ASSERT_EQ(search("").count, kNamed);
    fs::remove(fs::path(data_dir) / "observat.dat");
    const Search s = search("");
    EXPECT_EQ(s.count, 0);
    EXPECT_EQ(s.file_size, 0u);
    EXPECT_NE(zeltest::last_message().find("observat.dat"), std::string::npos) << zeltest::last_message();
}

// ---- sea_ob1 ---------------------------------------------------------------------

TEST_F(ObsSearch, SelectionByCode) {
    struct Case {
        const char* text;
        int number;  // the line chosen (number + 1), -1 for none
    };
    const Case cases[] = {
        {"A12", 1012},        {"a12", 1012}, {"500", 500}, {"000", 0}, {"001", 1},  // a free code has a line too
        {"644 Palomar", 644},                                                       // the first 3 characters
        {"A14", -1},          {"Z99", -1},                                          // past the end of the list
        {"   ", -1},          {"", -1},                                             // nothing to look for
        {"A5 ", -1},                                                                // a code cut short
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string("code \"") + c.text + "\"");
        const Selection s = select(1, c.text);
        EXPECT_EQ(errmsg(nullptr, 0), 0) << zeltest::last_message();
        if (c.number < 0) {
            EXPECT_EQ(s.found, 0);
            EXPECT_EQ(s.file_size, 0u);
            continue;
        }
        ASSERT_EQ(s.found, 1);
        ASSERT_EQ(s.file_size, 79u);
        const std::string line = text_line(c.number);
        EXPECT_EQ(std::string(s.records[0].begin(), s.records[0].begin() + 70), line.substr(0, 70));
        EXPECT_EQ(std::vector<std::uint8_t>(s.records[0].begin() + 70, s.records[0].end()),
                  std::vector<std::uint8_t>(9, 0));
    }
}

TEST_F(ObsSearch, UnreadableCodeIsReported) {
    const Selection s = select(1, "#12");
    EXPECT_EQ(s.found, 0);
    EXPECT_NE(zeltest::last_message().find("\"#12\" is not an observatory code"), std::string::npos)
        << zeltest::last_message();
}

TEST_F(ObsSearch, SelectionByNameFragment) {
    struct Case {
        const char* fragment;
        std::vector<int> numbers;
    };
    const Case cases[] = {
        {"  PARIS ", {7}},
        {"par", {7, 309}},
        {"astronomico", {1013}},
        {"nowhere", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fragment);
        const Selection s = select(2, c.fragment);
        ASSERT_EQ(s.found, static_cast<int>(c.numbers.size()));
        ASSERT_EQ(s.records.size(), c.numbers.size());
        EXPECT_EQ(s.file_size, 79u * c.numbers.size());
        for (std::size_t i = 0; i < c.numbers.size(); ++i)
            EXPECT_EQ(std::string(s.records[i].begin(), s.records[i].begin() + 70),
                      text_line(c.numbers[i]).substr(0, 70));
    }
}

TEST_F(ObsSearch, BlankFragmentChoosesTheFreeCodes) {
    const Selection s = select(2, "  ");
    ASSERT_EQ(s.found, kLastNumber + 1 - kNamed);
    // In list order: 001 .. 004 first.
    EXPECT_EQ(std::string(s.records[0].begin(), s.records[0].begin() + 3), "001");
    EXPECT_EQ(std::string(s.records[3].begin(), s.records[3].begin() + 3), "004");
    EXPECT_EQ(std::string(s.records[4].begin(), s.records[4].begin() + 3), "008");
    for (const auto& r : s.records) EXPECT_EQ(std::string(r.begin() + 3, r.begin() + 70), std::string(67, ' '));
}

TEST_F(ObsSearch, LongNameIsCutAfterItsFortiethCharacter) {
    const Selection s = select(2, "tonantzintla");  // the 49-character name: characters 43-49
    // Selected by its whole name, written with its first 40 characters.
    ASSERT_EQ(s.found, 1);
    const std::string text(s.records[0].begin(), s.records[0].begin() + 70);
    EXPECT_EQ(text.substr(30), std::string("Observatorio Astronomico Nacional de Tonantzintla").substr(0, 40));
}

TEST_F(ObsSearch, OtherModesChooseNothingAndTheResultIsWrittenAnew) {
    write_bytes("result.ob4", std::vector<std::uint8_t>(5 * 79, 'z'));  // an older selection
    const Selection s = select(3, "paris");
    EXPECT_EQ(s.found, 0);
    EXPECT_EQ(s.file_size, 0u);
    write_bytes("result.ob4", std::vector<std::uint8_t>(5 * 79, 'z'));
    const Selection t = select(2, "paris");
    EXPECT_EQ(t.found, 1);
    EXPECT_EQ(t.file_size, 79u);
}

TEST_F(ObsSearch, MissingTextListIsReported) {
    fs::remove(fs::path(data_dir) / "observa1.dat");
    const Selection s = select(2, "paris");
    EXPECT_EQ(s.found, 0);
    EXPECT_NE(zeltest::last_message().find("observa1.dat"), std::string::npos) << zeltest::last_message();
}

}  // namespace
