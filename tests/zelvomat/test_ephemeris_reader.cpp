// The planetary ephemeris reader on an excerpt of JPL DE405 (three 32-day
// records, JD 2451536.5 - 2451632.5) written by tools/de405_to_binary.py.
//
// Expected states: tests/data/de405_excerpt_states.txt, written by
// tests/data/make_de405_reference.py, an independent reader of JPL's binary
// layout that evaluates the series with numpy's Chebyshev routines. Positions
// and velocities are also checked against Project Pluto's jpl_eph reader by
// the jpleph_check test program.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "core/corestate.h"
#include "core/destate.h"
#include "core/reade403.h"
#include "core/setpar.h"
#include "io/bytes.h"
#include "io/errchan.h"
#include "support.h"
#include "tasks/libstate.h"
#include "zelvomat/zelvomat.h"

using namespace zelvomat;

namespace {

const std::string kExcerpt = std::string(ZELVO_TEST_DATA) + "/coorbp_de405_excerpt";
constexpr double kFirst = 2451536.5;
constexpr double kLast = 2451632.5;

struct RefState {
    double jd;
    int target;
    int centre;
    State9 s;
};

std::vector<RefState> reference_states() {
    std::ifstream in(std::string(ZELVO_TEST_DATA) + "/de405_excerpt_states.txt");
    std::vector<RefState> out;
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream ls(line);
        ls.imbue(std::locale::classic());
        RefState r{};
        ls >> r.jd >> r.target >> r.centre;
        for (double& v : r.s) ls >> v;
        if (ls) out.push_back(r);
    }
    return out;
}

class EphemerisReader : public ::testing::Test {
protected:
    void SetUp() override {
        core_.de.first_jd = kFirst;
        core_.de.last_jd = kLast;
        ASSERT_TRUE(de_open(core_.de, core_.de_copies, kExcerpt).ok());
    }
    void TearDown() override { de_close(core_.de, core_.de_copies); }

    // The state of this test alone, current on the thread for the exports
    // some tests call.
    LibraryState state_;
    ScopedLibraryState current_{state_};
    CoreState& core_ = state_.core;
};

void expect_state_near(const State9& got, const State9& want) {
    // Positions to 1e-12 AU, velocities to 1e-12 AU/day, accelerations to
    // 1e-12 AU/day^2.
    for (std::size_t i = 0; i < 9; ++i) EXPECT_NEAR(got[i], want[i], 1e-12) << "component " << i;
}

}  // namespace

TEST_F(EphemerisReader, StatesAgreeWithIndependentReader) {
    const auto refs = reference_states();
    ASSERT_EQ(refs.size(), 160u);
    for (const RefState& r : refs) {
        SCOPED_TRACE("JD " + std::to_string(r.jd) + " target " + std::to_string(r.target) + " centre " +
                     std::to_string(r.centre));
        State9 s;
        ASSERT_TRUE(
            bodystate(core_.de, core_.de_copies, core_.data_paths, DeReader::Position, r.jd, r.target, r.centre, s)
                .ok())
            << last_error();
        expect_state_near(s, r.s);
    }
}

TEST_F(EphemerisReader, Reade403ServesFirstFlaggedBodyByBodyCode) {
    // BodyCode -> file numbering: Sun 10 -> 11, Moon 11 -> 10, EMB 12 -> 13,
    // barycentre 0 -> 12.
    struct Case {
        BodyCode target, centre;
        int file_target, file_centre;
    } cases[] = {
        {BodyCode::Earth, BodyCode::Sun, 3, 11},       {BodyCode::Moon, BodyCode::Earth, 10, 3},
        {BodyCode::Sun, BodyCode::Barycentre, 11, 12}, {BodyCode::EarthMoonBarycentre, BodyCode::Sun, 13, 11},
        {BodyCode::Jupiter, BodyCode::Sun, 5, 11},
    };
    const auto refs = reference_states();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file_target);
        for (const RefState& r : refs) {
            if (r.target != c.file_target || r.centre != c.file_centre) continue;
            DeState& de = core_.de;
            de.flags = {};
            de.flags[static_cast<int>(c.target) - 1] = StateLevel::Acceleration;
            if (c.target != BodyCode::EarthMoonBarycentre)  // comes later: not served
                de.flags[static_cast<int>(BodyCode::EarthMoonBarycentre) - 1] = StateLevel::Position;
            de.centre = c.centre;
            // The date split into a day and seconds.
            const double day = std::floor(r.jd);
            ASSERT_TRUE(reade403(core_.de, core_.de_copies, core_.data_paths, day, (r.jd - day) * 86400.0).ok())
                << last_error();
            for (std::size_t i = 0; i < 9; ++i) EXPECT_NEAR(de.result[i], r.s[i], 1e-11) << i;  // 1e-11: split date
        }
    }
}

TEST_F(EphemerisReader, Read403bFillsEveryFlaggedColumn) {
    DeState& de = core_.de;
    de.force_centre = BodyCode::Sun;
    de.force_flags[static_cast<int>(BodyCode::Earth) - 1] = StateLevel::Acceleration;
    de.force_flags[static_cast<int>(BodyCode::Jupiter) - 1] = StateLevel::Position;
    de.force_flags[static_cast<int>(BodyCode::Moon) - 1] = StateLevel::Velocity;
    core_.body_table.state[0].fill(7.0);  // Mercury is not flagged: cleared at the first read
    ASSERT_TRUE(read403b(core_.de, core_.de_copies, core_.body_table, core_.data_paths, 2451545.0).ok());
    State9 earth, jupiter, moon;
    ASSERT_TRUE(
        bodystate(core_.de, core_.de_copies, core_.data_paths, DeReader::Position, 2451545.0, 3, 11, earth).ok());
    ASSERT_TRUE(
        bodystate(core_.de, core_.de_copies, core_.data_paths, DeReader::Position, 2451545.0, 5, 11, jupiter).ok());
    ASSERT_TRUE(
        bodystate(core_.de, core_.de_copies, core_.data_paths, DeReader::Position, 2451545.0, 10, 11, moon).ok());
    const auto& tab = core_.body_table.state;
    for (std::size_t i = 0; i < 9; ++i) {
        EXPECT_EQ(tab[2][i], earth[i]);
        EXPECT_EQ(tab[4][i], i < 3 ? jupiter[i] : 0.0);
        EXPECT_EQ(tab[10][i], i < 6 ? moon[i] : 0.0);
        EXPECT_EQ(tab[0][i], 0.0);
    }
    // Each copy keeps its own record number.
    EXPECT_EQ(de.record_held_force, 3);
    EXPECT_EQ(de.record_held, 3);
}

// read403b reads each row of a record once for a date and keeps the states
// of its last date; every body of the table must still be what bodystate
// gives for it alone, for every centre and level, at dates across the
// records (their ends among them), and a repeated date must serve the same
// states however the table has been touched in between. Positions asked
// alone are summed in another order (four lanes, fused multiply-add where
// the processor has it): they agree to a few units of the last place, within
// 1e-15 AU per AU of the value (seen: 4e-16); the other levels to the bit.
TEST_F(EphemerisReader, Read403bAgreesWithBodystateForEveryBodyAndCentre) {
    DeState& de = core_.de;
    const std::vector<double> dates = {
        kFirst, kFirst + 0.3, 2451545.0, 2451568.5 - 1e-9, 2451568.5, 2451590.123456789, 2451600.5, kLast - 0.7, kLast};
    const BodyCode centres[] = {BodyCode::Sun,  BodyCode::Barycentre,          BodyCode::Earth,
                                BodyCode::Moon, BodyCode::EarthMoonBarycentre, BodyCode::Jupiter};
    int compared = 0;
    for (BodyCode centre : centres) {
        for (StateLevel level : {StateLevel::Position, StateLevel::Velocity, StateLevel::Acceleration}) {
            de.force_centre = centre;
            de.force_flags.fill(level);
            de.forget_records();
            for (double jd : dates) {
                for (int pass = 0; pass < 2; ++pass) {  // the second pass is served from the kept date
                    SCOPED_TRACE("centre " + std::to_string(static_cast<int>(centre)) + " level " +
                                 std::to_string(static_cast<int>(level)) + " JD " + std::to_string(jd) + " pass " +
                                 std::to_string(pass));
                    if (pass == 1) core_.body_table.state[4][0] = 7.0;
                    ASSERT_TRUE(read403b(core_.de, core_.de_copies, core_.body_table, core_.data_paths, jd).ok())
                        << last_error();
                    const std::size_t n = static_cast<std::size_t>(3 * static_cast<int>(level));
                    for (int b = 1; b <= kBodyCodes; ++b) {
                        State9 want;
                        ASSERT_TRUE(bodystate(core_.de, core_.de_copies, core_.data_paths, DeReader::Position, jd,
                                              de_file_body(static_cast<BodyCode>(b)), de_file_body(centre), want)
                                        .ok());
                        const State9& got = core_.body_table.state[static_cast<std::size_t>(b - 1)];
                        for (std::size_t i = 0; i < 9; ++i) {
                            if (level == StateLevel::Position && i < 3)
                                EXPECT_NEAR(got[i], want[i], 1e-15 * std::max(1.0, std::abs(want[i]))) << b << " " << i;
                            else
                                EXPECT_EQ(got[i], i < n ? want[i] : 0.0) << b << " " << i;
                        }
                        ++compared;
                    }
                }
            }
        }
    }
    EXPECT_EQ(compared, 6 * 3 * 9 * 2 * 12);

    // A new request at the same date is served anew, not from the kept one.
    de.force_centre = BodyCode::Sun;
    de.force_flags = {};
    de.force_flags[static_cast<int>(BodyCode::Mars) - 1] = StateLevel::Position;
    ASSERT_TRUE(read403b(core_.de, core_.de_copies, core_.body_table, core_.data_paths, 2451545.0).ok());
    de.force_flags[static_cast<int>(BodyCode::Venus) - 1] = StateLevel::Position;
    ASSERT_TRUE(read403b(core_.de, core_.de_copies, core_.body_table, core_.data_paths, 2451545.0).ok());
    State9 venus;
    ASSERT_TRUE(
        bodystate(core_.de, core_.de_copies, core_.data_paths, DeReader::Position, 2451545.0, 2, 11, venus).ok());
    EXPECT_EQ(core_.body_table.state[1][0], venus[0]);
    // Another file: the states of the old one are not served at the same date.
    ASSERT_TRUE(de_open(core_.de, core_.de_copies, kExcerpt).ok());
    core_.body_table.state[3].fill(7.0);
    ASSERT_TRUE(read403b(core_.de, core_.de_copies, core_.body_table, core_.data_paths, 2451545.0).ok());
    EXPECT_NE(core_.body_table.state[3][0], 7.0);
}

TEST_F(EphemerisReader, FlagLevelsKeepEarlierComponents) {
    DeState& de = core_.de;
    de.centre = BodyCode::Sun;
    de.flags[static_cast<int>(BodyCode::Mars) - 1] = StateLevel::Acceleration;
    ASSERT_TRUE(reade403(core_.de, core_.de_copies, core_.data_paths, 2451545.0, 0.0).ok());
    const State9 first = de.result;
    de.flags[static_cast<int>(BodyCode::Mars) - 1] = StateLevel::Position;
    ASSERT_TRUE(reade403(core_.de, core_.de_copies, core_.data_paths, 2451560.0, 0.0).ok());
    EXPECT_NE(de.result[0], first[0]);
    for (std::size_t i = 3; i < 9; ++i) EXPECT_EQ(de.result[i], first[i]);
    // With no record held the result is cleared before the body is served.
    de.forget_records();
    ASSERT_TRUE(reade403(core_.de, core_.de_copies, core_.data_paths, 2451560.0, 0.0).ok());
    for (std::size_t i = 3; i < 9; ++i) EXPECT_EQ(de.result[i], 0.0);
}

TEST_F(EphemerisReader, EdgeCases) {
    // Target = centre: zeros without touching the file.
    de_close(core_.de, core_.de_copies);
    State9 s;
    s.fill(1.0);
    ASSERT_TRUE(bodystate(core_.de, core_.de_copies, core_.data_paths, DeReader::Position, 2451545.0, 5, 5, s).ok());
    for (double v : s) EXPECT_EQ(v, 0.0);
    ASSERT_TRUE(de_open(core_.de, core_.de_copies, kExcerpt).ok());

    // Earth relative to the Moon is minus the Moon relative to the Earth.
    State9 em, me;
    ASSERT_TRUE(bodystate(core_.de, core_.de_copies, core_.data_paths, DeReader::Position, 2451550.3, 3, 10, em).ok());
    ASSERT_TRUE(bodystate(core_.de, core_.de_copies, core_.data_paths, DeReader::Position, 2451550.3, 10, 3, me).ok());
    for (std::size_t i = 0; i < 9; ++i) EXPECT_EQ(em[i], -me[i]);

    // The last date is served by the last record (its end, tc = 1).
    ASSERT_TRUE(bodystate(core_.de, core_.de_copies, core_.data_paths, DeReader::Position, kLast, 10, 3, s).ok());
    EXPECT_EQ(core_.de.record_held, 5);

    // A date of exactly 0 reads nothing: the state is built from the states
    // of the previous call.
    State9 before, again;
    ASSERT_TRUE(
        bodystate(core_.de, core_.de_copies, core_.data_paths, DeReader::Position, 2451590.7, 4, 11, before).ok());
    ASSERT_TRUE(bodystate(core_.de, core_.de_copies, core_.data_paths, DeReader::Position, 0.0, 4, 11, again).ok());
    for (std::size_t i = 0; i < 9; ++i) EXPECT_EQ(again[i], before[i]);

    // Two dates of one record read it once: the second is served even with
    // the file gone, from the record the copy holds.
    ASSERT_TRUE(bodystate(core_.de, core_.de_copies, core_.data_paths, DeReader::Position, 2451540.0, 6, 11, s).ok());
    core_.de.file.reset();
    EXPECT_TRUE(bodystate(core_.de, core_.de_copies, core_.data_paths, DeReader::Position, 2451560.0, 6, 11, s).ok());
    EXPECT_FALSE(bodystate(core_.de, core_.de_copies, core_.data_paths, DeReader::Position, 2451570.0, 6, 11, s)
                     .ok());  // another record: file needed
}

TEST_F(EphemerisReader, SplitJd) {
    struct Case {
        double x, whole, fraction;
    } cases[] = {{2451545.25, 2451545.0, 0.25}, {3.0, 3.0, 0.0}, {-0.25, -1.0, 0.75}, {-2.0, -2.0, 0.0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.x);
        const auto [w, f] = splitjd(c.x);
        EXPECT_EQ(w, c.whole);
        EXPECT_EQ(f, c.fraction);
    }
}

TEST_F(EphemerisReader, ChebyshevDerivativesOfKnownPolynomial) {
    // x(tc) = T0 + 2 T1 + 3 T2 + 4 T3 = 1 + 2 tc + 3 (2 tc^2 - 1) + 4 (4 tc^3 - 3 tc),
    // one component, one sub-interval of 32 days: d/dt = (2/32) d/dtc.
    const double c[4] = {1.0, 2.0, 3.0, 4.0};
    for (double t : {0.0, 0.3, 0.5, 1.0}) {
        SCOPED_TRACE(t);
        const double tc = 2.0 * t - 1.0;
        double out[3];
        chebint(c, t, 32.0, 4, 1, 1, 3, out);
        EXPECT_NEAR(out[0], 1 + 2 * tc + 3 * (2 * tc * tc - 1) + 4 * (4 * tc * tc * tc - 3 * tc), 1e-14);
        EXPECT_NEAR(out[1], (2 + 12 * tc + 48 * tc * tc - 12) / 16.0, 1e-14);
        EXPECT_NEAR(out[2], (12 + 96 * tc) / 256.0, 1e-14);
    }
}

TEST_F(EphemerisReader, SpanAndFileErrorsAreReported) {
    State9 s;
    struct Case {
        const char* what;
        double jd;
    } outside[] = {{"before the first date", kFirst - 0.001},
                   {"a header record's dates", kFirst - 40.0},
                   {"after the last date", kLast + 1e-6},
                   {"far after", kLast + 400.0}};
    for (const Case& c : outside) {
        SCOPED_TRACE(c.what);
        const Status st = bodystate(core_.de, core_.de_copies, core_.data_paths, DeReader::Position, c.jd, 5, 11, s);
        ASSERT_FALSE(st.ok());
        EXPECT_NE(st.message().find("outside the span"), std::string::npos) << st.message();
    }
    // The reader works on after an error.
    ASSERT_TRUE(bodystate(core_.de, core_.de_copies, core_.data_paths, DeReader::Position, 2451545.0, 5, 11, s).ok());

    // A span in the settings that goes past the file's records.
    core_.de.last_jd = kLast + 64.0;
    core_.de.forget_records();
    Status st = bodystate(core_.de, core_.de_copies, core_.data_paths, DeReader::Position, kLast + 10.0, 5, 11, s);
    ASSERT_FALSE(st.ok());
    EXPECT_NE(st.message().find("is missing"), std::string::npos) << st.message();

    // A span in the settings that does not match the file's records.
    core_.de.first_jd = kFirst + 32.0;
    core_.de.forget_records();
    st = bodystate(core_.de, core_.de_copies, core_.data_paths, DeReader::Position, 2451600.0, 5, 11, s);
    ASSERT_FALSE(st.ok());
    EXPECT_NE(st.message().find("does not agree"), std::string::npos) << st.message();

    // A short file: the last record is cut.
    zeltest::ScopedWorkDir dir;
    auto bytes = zeltest::read_bytes(kExcerpt);
    bytes.resize(bytes.size() - 100);
    zeltest::write_bytes(dir.path() / "coorbp", bytes);
    core_.de.first_jd = kFirst;
    core_.de.last_jd = kLast;
    ASSERT_TRUE(de_open(core_.de, core_.de_copies, (dir.path() / "coorbp").string()).ok());
    EXPECT_TRUE(bodystate(core_.de, core_.de_copies, core_.data_paths, DeReader::Position, 2451545.0, 5, 11, s).ok());
    EXPECT_FALSE(bodystate(core_.de, core_.de_copies, core_.data_paths, DeReader::Position, kLast, 5, 11, s).ok());

    // A missing file, and no settings loaded at all.
    EXPECT_FALSE(de_open(core_.de, core_.de_copies, (dir.path() / "none").string()).ok());
    de_close(core_.de, core_.de_copies);
    st = bodystate(core_.de, core_.de_copies, core_.data_paths, DeReader::Position, 2451545.0, 5, 11, s);
    ASSERT_FALSE(st.ok());
    EXPECT_NE(st.message().find("not known"), std::string::npos) << st.message();
    core_.de.first_jd = 0.0;
    core_.de.last_jd = 0.0;
    EXPECT_FALSE(bodystate(core_.de, core_.de_copies, core_.data_paths, DeReader::Position, 2451545.0, 5, 11, s).ok());
}

TEST_F(EphemerisReader, ClosePlusLazyReopenFromSettingsPath) {
    zeltest::ScopedWorkDir dir;
    // The file of the data directory is found whatever the case of its name.
    zeltest::write_bytes(dir.path() / "COORBP", zeltest::read_bytes(kExcerpt));
    core_.data_paths.ephemeris_path = dir.dir_slash() + "coorbp" + std::string(20, ' ');

    DeState& de = core_.de;
    de.centre = BodyCode::Sun;
    de.flags[static_cast<int>(BodyCode::Venus) - 1] = StateLevel::Acceleration;
    ASSERT_TRUE(reade403(core_.de, core_.de_copies, core_.data_paths, 2451545.0, 0.0).ok());
    const State9 before = de.result;

    Closlae();
    EXPECT_EQ(errmsg(nullptr, 0), 0);
    EXPECT_FALSE(de.file);
    EXPECT_EQ(de.record_held, 0);
    EXPECT_EQ(de.record_held_force, 0);

    ASSERT_TRUE(reade403(core_.de, core_.de_copies, core_.data_paths, 2451545.0, 0.0).ok()) << last_error();
    EXPECT_TRUE(de.file);
    for (std::size_t i = 0; i < 9; ++i) EXPECT_EQ(de.result[i], before[i]);
}

TEST_F(EphemerisReader, SettingsGiveSpanAndFileAndClearBothRecords) {
    zeltest::ScopedWorkDir dir;
    zeltest::write_bytes(dir.path() / "coorbp", zeltest::read_bytes(kExcerpt));
    PackageSettings ps;
    ps.data_dir = dir.dir_slash();
    ps.ephemeris_path = dir.dir_slash() + "coorbp";
    ps.params.eph_first_jd = kFirst;
    ps.params.eph_last_jd = kLast;
    auto bytes = encode_settings(ps);
    ASSERT_TRUE(bytes.ok());
    zeltest::write_bytes(dir.path() / "setpar", *bytes);

    de_close(core_.de, core_.de_copies);
    core_.de = {};
    ASSERT_TRUE(in_par(core_).ok());
    DeState& de = core_.de;
    EXPECT_EQ(de.first_jd, kFirst);
    EXPECT_EQ(de.last_jd, kLast);
    de.centre = BodyCode::Sun;
    de.flags[static_cast<int>(BodyCode::Earth) - 1] = StateLevel::Velocity;
    de.force_flags[static_cast<int>(BodyCode::Earth) - 1] = StateLevel::Velocity;
    ASSERT_TRUE(reade403(core_.de, core_.de_copies, core_.data_paths, 2451545.0, 0.0).ok()) << last_error();
    ASSERT_TRUE(read403b(core_.de, core_.de_copies, core_.body_table, core_.data_paths, 2451545.0).ok())
        << last_error();
    // Earth from the Sun at J2000 TDB in DE405 (jpl_eph gives the same):
    // -0.1771351, 0.8874285, 0.3847429 AU; tolerance 1e-7 AU.
    EXPECT_NEAR(de.result[0], -0.1771351, 1e-7);
    EXPECT_NEAR(de.result[1], 0.8874285, 1e-7);
    EXPECT_NEAR(de.result[2], 0.3847429, 1e-7);
    EXPECT_NE(de.record_held, 0);
    EXPECT_NE(de.record_held_force, 0);
    ASSERT_TRUE(in_par(core_).ok());
    EXPECT_EQ(de.record_held, 0);
    EXPECT_EQ(de.record_held_force, 0);
}

// ---- The header records -----------------------------------------------------------

namespace {

// The excerpt's bytes with a change made to them, written to dir/coorbp.
std::string changed_excerpt(const zeltest::ScopedWorkDir& dir,
                            const std::function<void(std::vector<std::uint8_t>&)>& change) {
    auto bytes = zeltest::read_bytes(kExcerpt);
    change(bytes);
    const std::string path = (dir.path() / "coorbp").string();
    zeltest::write_bytes(path, bytes);
    return path;
}

// Byte offset in record 2 of the value of the constant named name (the names
// are 6 characters from byte 252 of record 1, the values doubles of record 2).
std::size_t constant_offset(const std::vector<std::uint8_t>& bytes, const std::string& name) {
    const std::string padded = name + std::string(6 - name.size(), ' ');
    for (std::size_t i = 0; i < 400; ++i)
        if (std::string(reinterpret_cast<const char*>(bytes.data()) + 252 + 6 * i, 6) == padded) return 8144 + 8 * i;
    ADD_FAILURE() << "no constant " << name;
    return 8144;
}

}  // namespace

TEST_F(EphemerisReader, HeaderRecordsGiveLayoutAuAndMassRatio) {
    // The excerpt's header as JPL's DE405 states it: DE number 405, AU
    // 149597870.691 km, EMRAT 81.30056, the DE403/DE405 coefficient layout.
    const EphemerisHeader& h = core_.de.file->header();
    EXPECT_EQ(h.de_number, 405);
    EXPECT_EQ(h.km_per_au, 149597870.691);
    EXPECT_EQ(h.earth_moon_mass_ratio, 81.30056);
    EXPECT_EQ(h.first_jd, kFirst);
    EXPECT_EQ(h.last_jd, kLast);
    EXPECT_EQ(h.record_days, 32.0);
    for (std::size_t b = 0; b < 12; ++b) {
        SCOPED_TRACE(b);
        EXPECT_EQ(h.layout[b].first_word, kEphemerisRecordTable[b].first_word);
        EXPECT_EQ(h.layout[b].coefficients, kEphemerisRecordTable[b].coefficients);
        EXPECT_EQ(h.layout[b].subintervals, kEphemerisRecordTable[b].subintervals);
    }
}

TEST_F(EphemerisReader, AFileIsReadWithItsOwnAuAndMassRatio) {
    // The same coefficients (km) with an AU of 1.5e8 km and an Earth-Moon
    // mass ratio of 82 in both header records: positions in AU scale by
    // 149597870.691 / 1.5e8, and the Earth sits at EMB - Moon / (1 + 82).
    zeltest::ScopedWorkDir dir;
    const double au = 1.5e8, emrat = 82.0;
    const std::string path = changed_excerpt(dir, [&](std::vector<std::uint8_t>& b) {
        zelvomat::io::put_f64(b, 2680, au);
        zelvomat::io::put_f64(b, 2688, emrat);
        zelvomat::io::put_f64(b, constant_offset(b, "AU"), au);
        zelvomat::io::put_f64(b, constant_offset(b, "EMRAT"), emrat);
    });
    ASSERT_TRUE(de_open(core_.de, core_.de_copies, path).ok()) << last_error();
    EXPECT_EQ(core_.de.file->header().km_per_au, au);
    const double scale = 149597870.691 / au;
    int checked = 0;
    for (const RefState& r : reference_states()) {
        if (r.target != 5 || r.centre != 11) continue;
        SCOPED_TRACE(r.jd);
        State9 s;
        ASSERT_TRUE(bodystate(core_.de, core_.de_copies, core_.data_paths, DeReader::Position, r.jd, 5, 11, s).ok())
            << last_error();
        for (std::size_t i = 0; i < 9; ++i) EXPECT_NEAR(s[i], r.s[i] * scale, 1e-12) << i;
        State9 earth, emb, moon;
        ASSERT_TRUE(
            bodystate(core_.de, core_.de_copies, core_.data_paths, DeReader::Position, r.jd, 3, 11, earth).ok());
        ASSERT_TRUE(bodystate(core_.de, core_.de_copies, core_.data_paths, DeReader::Position, r.jd, 13, 11, emb).ok());
        ASSERT_TRUE(bodystate(core_.de, core_.de_copies, core_.data_paths, DeReader::Position, r.jd, 10, 3, moon).ok());
        for (std::size_t i = 0; i < 9; ++i) EXPECT_NEAR(earth[i], emb[i] - moon[i] / (1.0 + emrat), 1e-15) << i;
        ++checked;
    }
    EXPECT_GT(checked, 0);
}

TEST_F(EphemerisReader, AFileWhoseLayoutCannotBeServedIsRefused) {
    using zelvomat::io::put_f64;
    using zelvomat::io::put_i32;
    struct Case {
        const char* what;
        std::function<void(std::vector<std::uint8_t>&)> change;
        const char* says;
    };
    const Case cases[] = {
        {"64-day records", [](auto& b) { put_f64(b, 2652 + 16, 64.0); }, "cover 64 days"},
        {"Mercury with 20 coefficients", [](auto& b) { put_i32(b, 2696 + 4, 20); }, "Mercury has 20 coefficients"},
        {"the Sun's block past the record end", [](auto& b) { put_i32(b, 2696 + 12 * 10, 1000); },
         "the Sun does not lie within"},
        {"no AU", [](auto& b) { put_f64(b, 2680, 0.0); }, "no astronomical unit"},
        {"a NaN mass ratio", [](auto& b) { put_f64(b, 2688, std::nan("")); }, "no such ratio"},
        {"record 2's AU differs", [](auto& b) { put_f64(b, constant_offset(b, "AU"), 1.5e8); },
         "AU is 150000000 in record 2"},
        {"a header of zeros", [](auto& b) { std::fill(b.begin(), b.begin() + 2 * 8144, std::uint8_t{0}); },
         "cover 0 days"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        zeltest::ScopedWorkDir dir;
        const Status s = de_open(core_.de, core_.de_copies, changed_excerpt(dir, c.change));
        ASSERT_FALSE(s.ok());
        EXPECT_NE(s.message().find("has a layout the reader cannot serve"), std::string::npos) << s.message();
        EXPECT_NE(s.message().find(c.says), std::string::npos) << s.message();
        EXPECT_FALSE(core_.de.file);
    }
    // Two header records and no data record.
    zeltest::ScopedWorkDir dir;
    const std::string path = changed_excerpt(dir, [](auto& b) { b.resize(2 * 8144); });
    const Status s = de_open(core_.de, core_.de_copies, path);
    ASSERT_FALSE(s.ok());
    EXPECT_NE(s.message().find("holds no data record"), std::string::npos) << s.message();
}
