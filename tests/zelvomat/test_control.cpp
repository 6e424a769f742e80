// The object and date check of the views, the integer reader FortrAI and the
// file report Cinquire.
#include <erfa.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "catalogue_fixture.h"
#include "core/catalog.h"
#include "io/textfile.h"
#include "support.h"
#include "tasks/inp1.h"
#include "tasks/libstate.h"
#include "zelvomat/zelvomat.h"

namespace {

struct Outcome {
    int err = -1;
    int number = -99;
    double jd = -1.0;
    std::string text;
};

// Calls the export on len characters followed by guard bytes.
Outcome control(int kind, const std::string& typed, int len) {
    std::string buf = typed;
    buf.resize(static_cast<std::size_t>(len), ' ');
    buf += "####";
    Outcome o;
    Control(kind, buf.data(), len, &o.number, &o.jd, &o.err);
    EXPECT_EQ(buf.substr(static_cast<std::size_t>(len)), "####") << "written past len";
    o.text = buf.substr(0, static_cast<std::size_t>(len));
    return o;
}

std::string padded(const std::string& s, std::size_t len) {
    std::string r = s;
    r.resize(len, ' ');
    return r;
}

class ControlTest : public ::testing::Test {
protected:
    void SetUp() override { zeltest::write_small_catalogue(dir.dir_slash()); }
    zelvomat::LibraryState state_;  // a fresh library, current on this thread while the test runs
    zelvomat::ScopedLibraryState current_{state_};
    zeltest::ScopedWorkDir dir;
};

}  // namespace

// Kinds 1-3 with the small catalogue (numbered 1-10 with 5, 6, 8, 9 absent;
// unnumbered 11-15). The catalogue is opened by the check itself.
TEST_F(ControlTest, ObjectsByNameAndNumber) {
    struct Case {
        const char* what;
        int kind;
        const char* typed;
        int err;
        int number;
        const char* written;  // nullptr: unchanged
    } cases[] = {
        {"name in lower case", 1, "ceres", 0, 1, "Ceres"},
        {"number", 2, "4", 0, 4, "Vesta"},
        {"number with blanks", 3, "  7 ", 0, 7, "Iris"},
        {"designation without its blank", 1, "1999ab12", 0, 11, "1999 AB12"},
        {"Mars", 1, "mars", 0, -4, "Mars"},
        {"Pluto", 1, "PLUTO", 0, -9, "Pluto"},
        {"Mercury by number", 1, "-1", 0, -1, "Mercury"},
        {"the Earth", 1, "Earth", 1, 0, nullptr},
        {"the Earth by number", 1, "-3", 1, 0, nullptr},
        {"the Sun", 1, "sun", 1, 0, nullptr},
        {"the Moon", 1, "Moon", 1, 0, nullptr},
        {"the Earth-Moon barycentre", 1, "-12", 1, 0, nullptr},
        {"absent object", 1, "5", 1, 0, nullptr},
        {"unnumbered object by number", 1, "12", 1, 0, nullptr},
        {"zero", 1, "0", 1, 0, nullptr},
        {"found nowhere", 1, "Nowhere", 1, 0, nullptr},
        {"blank", 1, "", 0, 0, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Outcome o = control(c.kind, c.typed, 30);
        EXPECT_EQ(o.err, c.err);
        EXPECT_EQ(o.number, c.number);
        EXPECT_EQ(o.jd, 0.0);
        EXPECT_EQ(o.text, padded(c.written != nullptr ? c.written : c.typed, 30));
    }
}

TEST_F(ControlTest, RewritesTheWholeLengthOrCutsToIt) {
    // 30 characters: the 18 of the name and 12 blanks, whatever stood there.
    std::string buf = padded("vesta", 20) + "typed more";
    int number = 0, err = -1;
    double jd = -1.0;
    Control(1, buf.data(), 30, &number, &jd, &err);
    EXPECT_EQ(err, 0);
    EXPECT_EQ(number, 4);
    EXPECT_EQ(buf, padded("Vesta", 30));
    // A field shorter than a name takes its first characters.
    const Outcome o = control(1, "1", 3);
    EXPECT_EQ(o.err, 0);
    EXPECT_EQ(o.number, 1);
    EXPECT_EQ(o.text, "Cer");
    // Only the first len characters are typed text.
    EXPECT_EQ(control(1, "1999 ab12", 6).err, 1);
}

TEST_F(ControlTest, MissingCatalogueIsARefusal) {
    std::filesystem::remove("setpar");
    const Outcome o = control(1, "ceres", 18);
    EXPECT_EQ(o.err, 1);
    EXPECT_EQ(o.number, 0);
    EXPECT_EQ(o.text, padded("ceres", 18));
    EXPECT_GT(errmsg(nullptr, 0), 0);
}

// Kinds 4-5 against ERFA's eraCal2jd (JD of 0h of the civil date) plus the
// fraction of the day.
TEST(ControlDates, CalendarAndJulianDates) {
    struct Case {
        const char* typed;
        int y, m, d;
        double frac;
    } cases[] = {
        {"20000101.5", 2000, 1, 1, 0.5},
        {"2024 01 15.25", 2024, 1, 15, 0.25},
        {"18591231.123456", 1859, 12, 31, 0.123456},
        {"20240229", 2024, 2, 29, 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        double djm0 = 0.0, djm = 0.0;
        ASSERT_EQ(eraCal2jd(c.y, c.m, c.d, &djm0, &djm), 0);
        const Outcome o = control(4, c.typed, 20);
        EXPECT_EQ(o.err, 0);
        EXPECT_EQ(o.number, 0);
        EXPECT_NEAR(o.jd, djm0 + djm + c.frac, 1e-8);  // days (1 ms)
        EXPECT_EQ(o.text, padded(c.typed, 20));        // never rewritten
    }
    const Outcome jd = control(5, "2451545.5", 20);
    EXPECT_EQ(jd.err, 0);
    EXPECT_NEAR(jd.jd, 2451545.5, 1e-9);  // days
    for (const char* bad : {"-2451545.5", "20001301.5", "20000100.5", "2000.01.01", "1.2.3"}) {
        SCOPED_TRACE(bad);
        const Outcome o = control(4, bad, 20);
        EXPECT_EQ(o.err, 1);
        EXPECT_EQ(o.jd, 0.0);
        EXPECT_EQ(o.text, padded(bad, 20));
    }
    // Other kinds test nothing.
    const Outcome other = control(7, "anything", 20);
    EXPECT_EQ(other.err, 0);
    EXPECT_EQ(other.text, padded("anything", 20));
}

TEST(FortrAI, ReadsSixCharactersNoFurtherThanTheLength) {
    struct Case {
        const char* text;
        int len;
        bool ok;
        int value;
    } cases[] = {
        {"   123", 6, true, 123}, {"-12", 3, true, -12}, {"      ", 6, true, 0}, {"12345678", 8, true, 123456},
        {"12 3", 4, true, 123},   {"1299", 2, true, 12}, {"", 0, true, 0},       {"12a", 3, false, 0},
        {"+", 1, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        int value = -777;
        FortrAI(&value, c.text, c.len);
        if (c.ok) {
            EXPECT_EQ(value, c.value);
            EXPECT_EQ(errmsg(nullptr, 0), 0);
        } else {
            EXPECT_EQ(value, -777);  // unchanged
            EXPECT_GT(errmsg(nullptr, 0), 0);
        }
    }
}

TEST(Cinquire, ReportsByNameAndByHandle) {
    zeltest::ScopedWorkDir dir;
    zeltest::write_text("probe.dat", "0123456789");
    ASSERT_TRUE(zelvomat::Cinquire("probe.dat", 1).ok());
    ASSERT_TRUE(zelvomat::Cinquire("absent.dat", 0).ok());  // appended
    {
        const int fd = ::open("probe.dat", O_RDONLY);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::fchmod(fd, 0640), 0);
        ASSERT_EQ(::lseek(fd, 4, SEEK_SET), 4);
        ASSERT_TRUE(zelvomat::Cinquire(fd, 0).ok());
        ::close(fd);
    }
    const auto bytes = zeltest::read_bytes("cinquire.inq");
    const std::string all(bytes.begin(), bytes.end());
    EXPECT_NE(all.find("\r\n"), std::string::npos);
    auto lines = zelvomat::io::split_lines(all);
    ASSERT_EQ(lines.size(), 4u + 4u + 11u);
    EXPECT_EQ(lines[0], " Unit  =    0");
    EXPECT_EQ(lines[1], " File  = " + padded("probe.dat", 50));
    EXPECT_EQ(lines[2], " Exist =    T");
    EXPECT_EQ(lines[3], "==========");
    EXPECT_EQ(lines[5], " File  = " + padded("absent.dat", 50));
    EXPECT_EQ(lines[6], " Exist =    F");
    EXPECT_EQ(lines[9], " File  = " + std::string(50, ' '));
    EXPECT_EQ(lines[10].substr(0, 7), " Path: ");
    EXPECT_NE(lines[10].find("probe.dat"), std::string::npos);
    EXPECT_EQ(lines[11], " " + padded("Type: REGULAR", 50));
    EXPECT_EQ(lines[12], " " + padded("Access: READ", 50));
    EXPECT_EQ(lines[14], "         10");  // size
    EXPECT_EQ(lines[15], "          4");  // offset
    EXPECT_EQ(lines[16], "          1");  // links
    EXPECT_EQ(lines[17], "        640");  // permissions
    EXPECT_EQ(lines[18], "==========");

    // keep_flag not 0: the report starts afresh.
    ASSERT_TRUE(zelvomat::Cinquire("absent.dat", 1).ok());
    const auto fresh = zeltest::read_bytes("cinquire.inq");
    EXPECT_EQ(zelvomat::io::split_lines(std::string(fresh.begin(), fresh.end())).size(), 4u);
}
