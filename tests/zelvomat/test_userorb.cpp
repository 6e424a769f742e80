// Typed orbits to the work file: single orbits (elements and coordinates),
// orbit lists, both epoch forms, refused orbits with their status, and the
// records read back byte by byte at their offsets. States computed from
// typed elements are compared with two-body motion computed here from the
// textbook formulas (true anomaly, perifocal frame) and ERFA's rotation
// matrices and mean obliquity.
#include <erfa.h>
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

#include "core/typedorb.h"
#include "core/userorb.h"
#include "io/files.h"
#include "support.h"

using namespace zelvomat;

namespace {

constexpr double kK = 0.01720209895;  // Gaussian constant
constexpr double kRad = 3.14159265358979323846 / 180.0;

// ---- The record as bytes ----------------------------------------------------

std::uint64_t le(const std::vector<std::uint8_t>& b, std::size_t off, int n) {
    std::uint64_t v = 0;
    for (int i = n - 1; i >= 0; --i) v = (v << 8) | b.at(off + static_cast<std::size_t>(i));
    return v;
}

struct RawRecord {
    std::int32_t field, status;
    std::string name;
    double h, g, epoch, state[6];
};

// Record n (1-based) of the work file, decoded at the offsets of its layout.
RawRecord raw_record(const std::string& path, int n) {
    const auto b = zeltest::read_bytes(path);
    const std::size_t base = static_cast<std::size_t>(n - 1) * 98;
    EXPECT_GE(b.size(), base + 98) << "record " << n << " is not whole";
    RawRecord r{};
    if (b.size() < base + 98) return r;
    r.field = static_cast<std::int32_t>(static_cast<std::uint32_t>(le(b, base + 0, 4)));
    r.status = static_cast<std::int32_t>(static_cast<std::uint32_t>(le(b, base + 4, 4)));
    r.name.assign(reinterpret_cast<const char*>(b.data() + base + 8), 18);
    r.h = std::bit_cast<double>(le(b, base + 26, 8));
    r.g = std::bit_cast<double>(le(b, base + 34, 8));
    r.epoch = std::bit_cast<double>(le(b, base + 42, 8));
    for (std::size_t j = 0; j < 6; ++j) r.state[j] = std::bit_cast<double>(le(b, base + 50 + 8 * j, 8));
    return r;
}

void expect_error_record(const RawRecord& r, int field, int status) {
    EXPECT_EQ(r.field, field);
    EXPECT_EQ(r.status, status);
    EXPECT_EQ(r.name, std::string(18, ' '));
    EXPECT_EQ(r.h, 0.0);
    EXPECT_EQ(r.g, 0.0);
    EXPECT_EQ(r.epoch, 0.0);
    for (double x : r.state) EXPECT_EQ(x, 0.0);
}

// ---- Independent two-body state ----------------------------------------------

struct Elements {
    double M_deg, peri_deg, node_deg, incl_deg, e, a;
};

// Heliocentric equatorial J2000 state of ecliptic J2000 elements: Kepler's
// equation by Newton's method in long double, the true anomaly, the state in
// the perifocal frame, then ERFA's rotations (node, inclination, argument of
// perihelion; the mean obliquity of J2000 from eraObl80).
void reference_state(const Elements& el, double out[6]) {
    const long double e = el.e;
    const long double M = std::remainder(el.M_deg * kRad, 2.0 * 3.14159265358979323846);
    long double E = e < 0.8L ? M : 3.14159265358979323846L;
    for (int i = 0; i < 100; ++i) E -= (E - e * std::sin(E) - M) / (1.0L - e * std::cos(E));
    const double nu = static_cast<double>(
        2.0L * std::atan2(std::sqrt(1.0L + e) * std::sin(E / 2.0L), std::sqrt(1.0L - e) * std::cos(E / 2.0L)));
    const double r = el.a * (1.0 - el.e * static_cast<double>(std::cos(E)));
    const double p = el.a * (1.0 - el.e * el.e);
    const double vs = kK / std::sqrt(p);
    double pos[3] = {r * std::cos(nu), r * std::sin(nu), 0.0};
    double vel[3] = {-vs * std::sin(nu), vs * (el.e + std::cos(nu)), 0.0};
    double m[3][3];
    eraIr(m);
    eraRz(-el.peri_deg * kRad, m);
    eraRx(-el.incl_deg * kRad, m);
    eraRz(-el.node_deg * kRad, m);
    eraRx(-eraObl80(2451545.0, 0.0), m);
    eraRxp(m, pos, out);
    eraRxp(m, vel, out + 3);
}

double a_of_n(double n_deg_per_day) { return std::cbrt(std::pow(kK / (n_deg_per_day * kRad), 2.0)); }

// Tolerances: 1e-12 AU and 1e-14 AU/day (two Kepler solutions and two
// rotation chains agree to a few units of 1e-16 relative).
void expect_state(const double* got, const double* want) {
    for (int j = 0; j < 3; ++j) EXPECT_NEAR(got[j], want[j], 1e-12) << "position " << j;
    for (int j = 3; j < 6; ++j) EXPECT_NEAR(got[j], want[j], 1e-14) << "velocity " << j - 3;
}

double erfa_jd(int y, int m, int d, double fraction = 0.0) {
    double djm0 = 0.0, djm = 0.0;
    EXPECT_EQ(eraCal2jd(y, m, d, &djm0, &djm), 0);
    return djm0 + djm + fraction;
}

const std::string kText = "orbits.txt";
const std::string kWork(files::kUserOrbitsEph);

Result<UserOrbitCount> convert(const std::string& text, OrbitForm form, std::vector<std::int32_t> fields) {
    zeltest::write_text(kText, text);
    return userorb(kText, kWork, form, fields);
}

const std::vector<std::int32_t> kElementOrder = {1, 2, 3, 4, 5, 7, 8, 9, 10, 11};
const std::vector<std::int32_t> kCoordinateOrder = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};

}  // namespace

TEST(UserOrbitRecord, LayoutRoundTrip) {
    zeltest::ScopedWorkDir wd;
    UserOrbitRecord r;
    r.field = 7;
    r.status = UserOrbitStatus::OutOfRange;
    r.name = "2001 QX1";
    r.h = 15.5;
    r.g = -0.25;
    r.epoch_jd = 2459600.5;
    r.state = {1.5, -2.25, 3.125, 1e-3, -2e-3, 3e-3};
    const auto b = r.to_bytes();
    zeltest::write_bytes("rec", std::vector<std::uint8_t>(b.begin(), b.end()));
    const RawRecord raw = raw_record("rec", 1);
    EXPECT_EQ(raw.field, 7);
    EXPECT_EQ(raw.status, 2);
    EXPECT_EQ(raw.name, "2001 QX1          ");
    EXPECT_EQ(raw.h, 15.5);
    EXPECT_EQ(raw.g, -0.25);
    EXPECT_EQ(raw.epoch, 2459600.5);
    for (std::size_t j = 0; j < 6; ++j) EXPECT_EQ(raw.state[j], r.state[j]);
    const auto back = UserOrbitRecord::from_bytes(b);
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(back->to_bytes(), b);
    EXPECT_FALSE(UserOrbitRecord::from_bytes(std::span(b).first(97)).ok());
}

TEST(Userorb, SingleElementOrbitFromTheDialogFile) {
    zeltest::ScopedWorkDir wd;
    // The dialog's default fields, with a mean motion typed.
    OrbitFieldTexts texts;
    texts.fill("");
    texts[0] = "2007TestOrbit";
    texts[1] = "15.99";
    texts[2] = "X";
    texts[4] = "192.88384";
    texts[6] = "91.25204";
    texts[7] = "270.56409";
    texts[8] = "2.78545";
    texts[9] = "0.6239435";
    texts[10] = "0.23009281";
    const auto order = parse_column_order("01020304050708091011");
    ASSERT_TRUE(order.ok());
    const Elements el{192.88384, 91.25204, 270.56409, 2.78545, 0.6239435, a_of_n(0.23009281)};
    double want[6];
    reference_state(el, want);

    // Both epoch forms give the same Julian date and state.
    for (const char* epoch : {"2454400.5", "20071027", "20071027.0"}) {
        SCOPED_TRACE(epoch);
        texts[3] = epoch;
        const std::string file(single_orbit_file(true, true));
        ASSERT_TRUE(write_introduced_orbit(file, texts, *order).ok());
        ASSERT_EQ(zeltest::read_bytes(file).size(), 200u);  // ten 20-byte slots, no line end
        const auto n = userorb(file, kWork, OrbitForm::Elements, order_fields(*order));
        ASSERT_TRUE(n.ok()) << n.message();
        EXPECT_EQ(n->records, 1);
        EXPECT_FALSE(n->error);
        const RawRecord r = raw_record(kWork, 1);
        EXPECT_EQ(r.field, 0);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.name, "2007TestOrbit     ");
        EXPECT_DOUBLE_EQ(r.h, 15.99);  // 4 units of the last place
        EXPECT_EQ(r.g, 0.15);
        EXPECT_EQ(r.epoch, erfa_jd(2007, 10, 27));
        expect_state(r.state, want);
    }
}

TEST(Userorb, SingleCoordinateOrbitKeepsTheTypedState) {
    zeltest::ScopedWorkDir wd;
    OrbitFieldTexts texts;
    texts.fill("");
    const char* typed[] = {"Coord1",   "10.0",     "0.15",      "K07AR",      "-4.241737",
                           "-.302802", "-.356426", ".00106363", "-.00463975", "-.00195780"};
    for (std::size_t i = 0; i < 10; ++i) texts[i] = typed[i];
    const auto order = parse_column_order("01020304050607080910");
    ASSERT_TRUE(order.ok());
    const std::string file(single_orbit_file(false, false));
    EXPECT_EQ(file, "xxyz.omc");
    ASSERT_TRUE(write_introduced_orbit(file, texts, *order).ok());
    const std::string work(files::kUserOrbitsOc);
    const auto n = userorb(file, work, OrbitForm::Coordinates, order_fields(*order));
    ASSERT_TRUE(n.ok()) << n.message();
    EXPECT_EQ(n->records, 1);
    EXPECT_FALSE(n->error);
    const RawRecord r = raw_record(work, 1);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.name, "Coord1            ");
    EXPECT_EQ(r.h, 10.0);
    // Typed numbers are read by summing their digits: within 4 units of the
    // last place of the nearest double (EXPECT_DOUBLE_EQ).
    EXPECT_DOUBLE_EQ(r.g, 0.15);
    EXPECT_EQ(r.epoch, erfa_jd(2007, 10, 27));  // packed K07AR
    const double want[6] = {-4.241737, -0.302802, -0.356426, 0.00106363, -0.00463975, -0.00195780};
    for (int j = 0; j < 6; ++j) EXPECT_DOUBLE_EQ(r.state[j], want[j]);
}

TEST(Userorb, ElementListWithMeanMotionSemiAxisAndPerihelionTime) {
    zeltest::ScopedWorkDir wd;
    const Elements ceres{77.37, 73.60, 80.30, 10.59, 0.0758, a_of_n(0.2141)};
    double want[6];

    // Standard order; blank lines skipped; text after the last field ignored.
    {
        const auto n = convert(
            "Ceres 3.34 0.12 2459600.5 77.37 73.60 80.30 10.59 0.0758 0.2141  remarks 1 2 3\r\n"
            "\r\n"
            "   \r\n"
            "Ceres2 3.34 X 20220121.0 77.37 73.60 80.30 10.59 0.0758 0.2141\n",
            OrbitForm::Elements, kElementOrder);
        ASSERT_TRUE(n.ok()) << n.message();
        EXPECT_EQ(n->records, 2);
        EXPECT_FALSE(n->error);
        reference_state(ceres, want);
        const RawRecord r1 = raw_record(kWork, 1), r2 = raw_record(kWork, 2);
        EXPECT_EQ(r1.name, "Ceres             ");
        EXPECT_EQ(r1.epoch, 2459600.5);
        EXPECT_DOUBLE_EQ(r1.g, 0.12);  // 4 units of the last place
        expect_state(r1.state, want);
        EXPECT_EQ(r2.name, "Ceres2            ");
        EXPECT_EQ(r2.epoch, erfa_jd(2022, 1, 21));
        EXPECT_EQ(r2.g, 0.15);
        expect_state(r2.state, want);
    }

    // a and q both typed: n comes from a.
    {
        const auto n = convert("AQ 2459600.5 77.37 73.60 80.30 10.59 0.0758 2.7675 1.0\n", OrbitForm::Elements,
                               {1, 4, 5, 7, 8, 9, 10, 12, 13});
        ASSERT_TRUE(n.ok()) << n.message();
        EXPECT_EQ(n->records, 1);
        reference_state({77.37, 73.60, 80.30, 10.59, 0.0758, 2.7675}, want);
        expect_state(raw_record(kWork, 1).state, want);
    }

    // The comets' order with T and q: M = (epoch - T) n, n from a = q/(1 - e);
    // the typed M (none here) is replaced.
    {
        const auto n =
            convert("C/Test 2459500.5 1.2 0.6 100 200 10 2459600.5\n", OrbitForm::Elements, {1, 6, 13, 10, 7, 8, 9, 4});
        ASSERT_TRUE(n.ok()) << n.message();
        const double a = 1.2 / (1.0 - 0.6);
        const double M_deg = 100.0 * kK / std::pow(a, 1.5) / kRad;
        reference_state({M_deg, 100.0, 200.0, 10.0, 0.6, a}, want);
        const RawRecord r = raw_record(kWork, 1);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.epoch, 2459600.5);
        expect_state(r.state, want);
    }
}

TEST(Userorb, OrbitOverSeveralLinesConvertsLikeOneLine) {
    zeltest::ScopedWorkDir wd;
    const std::string one = "Pallas 4.13 0.11 2459600.5 40.6 310.4 173.0 34.8 0.2302 0.2137\n";
    const std::string three = "Pallas 4.13 0.11\n\n   2459600.5 40.6\n  310.4 173.0 34.8 0.2302 0.2137";
    ASSERT_TRUE(convert(one, OrbitForm::Elements, kElementOrder).ok());
    const auto a = zeltest::read_bytes(kWork);
    std::filesystem::remove(kWork);
    const auto n = convert(three, OrbitForm::Elements, kElementOrder);
    ASSERT_TRUE(n.ok());
    EXPECT_EQ(n->records, 1);
    EXPECT_EQ(zeltest::read_bytes(kWork), a);
    EXPECT_EQ(a.size(), 98u);
}

TEST(Userorb, RefusedOrbits) {
    zeltest::ScopedWorkDir wd;
    const std::string good = "Ceres 3.34 0.12 2459600.5 77.37 73.60 80.30 10.59 0.0758 0.2141\n";
    const struct {
        const char* what;
        std::string text;
        OrbitForm form;
        std::vector<std::int32_t> fields;
        int good_before;  // good records before the error record
        int field, status;
    } cases[] = {
        {"eccentricity out of range", good + "Bad 3 0.1 2459600.5 1 2 3 4 1.2 0.2\n" + good, OrbitForm::Elements,
         kElementOrder, 1, 10, 2},
        {"format error in the epoch", good + "Bad 3 0.1 2459600.5x 1 2 3 4 0.2 0.2\n", OrbitForm::Elements,
         kElementOrder, 1, 4, 1},
        {"designation too long for a field of 50", std::string(51, 'A') + " 3 0.1 2459600.5 1 2 3 4 0.2 0.2\n",
         OrbitForm::Elements, kElementOrder, 0, 1, 1},
        {"text ends inside an orbit", good + "Cut 3 0.1 2459600.5\n\n", OrbitForm::Elements, kElementOrder, 1, 4, 3},
        {"hyperbolic coordinates",
         "Hyp 2459600.5 1 0 0 0 0.03 0\n",
         OrbitForm::Coordinates,
         {1, 4, 5, 6, 7, 8, 9, 10},
         0,
         0,
         4},
        {"just above the escape speed (k sqrt 2 = 0.02432744)",
         "Par 2459600.5 1 0 0 0 0.0243276 0\n",
         OrbitForm::Coordinates,
         {1, 4, 5, 6, 7, 8, 9, 10},
         0,
         0,
         4},
        {"zero distance",
         "Zero 2459600.5 0 0 0 0 0.01 0\n",
         OrbitForm::Coordinates,
         {1, 4, 5, 6, 7, 8, 9, 10},
         0,
         0,
         4},
        {"a so large that the state is not finite",
         "Far 2459600.5 10 20 30 5 0.5 1E200\n",
         OrbitForm::Elements,
         {1, 4, 5, 7, 8, 9, 10, 12},
         0,
         0,
         4},
        {"q so large that the state is not finite",
         "Far 2459600.5 10 20 30 5 0.5 1E200\n",
         OrbitForm::Elements,
         {1, 4, 5, 7, 8, 9, 10, 13},
         0,
         0,
         4},
        {"mean motion so small that the state is not finite",
         "Slow 2459600.5 10 20 30 5 0.5 1E-310\n",
         OrbitForm::Elements,
         {1, 4, 5, 7, 8, 9, 10, 11},
         0,
         0,
         4},
        {"no mean motion among the columns",
         "NoN 2459600.5 10 20 30 5 0.5\n",
         OrbitForm::Elements,
         {1, 4, 5, 7, 8, 9, 10},
         0,
         0,
         4},
        {"coordinate beyond a double",
         "Inf 2459600.5 1E999 0 0 0 0.01 0\n",
         OrbitForm::Coordinates,
         {1, 4, 5, 6, 7, 8, 9, 10},
         0,
         5,
         2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(kWork);
        const auto n = convert(c.text, c.form, c.fields);
        ASSERT_TRUE(n.ok()) << n.message();
        EXPECT_EQ(n->records, c.good_before + 1);
        EXPECT_TRUE(n->error);
        for (int k = 1; k <= c.good_before; ++k) EXPECT_EQ(raw_record(kWork, k).status, 0);
        expect_error_record(raw_record(kWork, c.good_before + 1), c.field, c.status);
        // Nothing after the error record.
        EXPECT_EQ(zeltest::read_bytes(kWork).size(), 98u * static_cast<std::size_t>(n->records));
    }
}

TEST(Userorb, NoOrbitGivesTheSingleErrorRecord) {
    zeltest::ScopedWorkDir wd;
    const std::string good = "Ceres 3.34 0.12 2459600.5 77.37 73.60 80.30 10.59 0.0758 0.2141\n";
    // A work file left from an earlier run with three records.
    ASSERT_TRUE(convert(good + good + good, OrbitForm::Elements, kElementOrder).ok());
    ASSERT_EQ(zeltest::read_bytes(kWork).size(), 3u * 98u);

    const struct {
        const char* what;
        const char* text;  // nullptr: no text file
    } cases[] = {{"missing text", nullptr}, {"empty text", ""}, {"blank lines only", "   \r\n\r\n  "}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(kText);
        if (c.text != nullptr) zeltest::write_text(kText, c.text);
        const auto n = userorb(kText, kWork, OrbitForm::Elements, kElementOrder);
        ASSERT_TRUE(n.ok()) << n.message();
        EXPECT_EQ(n->records, 1);
        EXPECT_TRUE(n->error);
        expect_error_record(raw_record(kWork, 1), 4, 1);
        // Old records beyond the count stay; the drivers read only the count.
        EXPECT_EQ(raw_record(kWork, 2).status, 0);
        EXPECT_EQ(zeltest::read_bytes(kWork).size(), 3u * 98u);
    }
}

TEST(Userorb, AnyFormButElementsIsReadAsCoordinates) {
    zeltest::ScopedWorkDir wd;
    // 400 and -2 would fail the element ranges of M and the node.
    const auto n = convert("X1 2459600.5 400 0 0 0 -2 0\n", OrbitForm::Other, {1, 4, 5, 6, 7, 8, 9, 10});
    ASSERT_TRUE(n.ok()) << n.message();
    const RawRecord r = raw_record(kWork, 1);
    EXPECT_EQ(r.status, 4);  // read as coordinates: x = 400 AU with 2 AU/day is unbound
    const auto m = convert("X1 2459600.5 2 0 0 0 -0.01 0\n", OrbitForm::Other, {1, 4, 5, 6, 7, 8, 9, 10});
    ASSERT_TRUE(m.ok());
    EXPECT_EQ(raw_record(kWork, 1).status, 0);
    EXPECT_DOUBLE_EQ(raw_record(kWork, 1).state[4], -0.01);
}

TEST(Userorb, WrongFieldListIsRefused) {
    zeltest::ScopedWorkDir wd;
    for (const std::vector<std::int32_t>& fields :
         {std::vector<std::int32_t>{}, std::vector<std::int32_t>{1, 4, 0, 7}, std::vector<std::int32_t>{1, 4, 14}}) {
        const auto n = convert("A 1 2 3\n", OrbitForm::Elements, fields);
        EXPECT_FALSE(n.ok());
        EXPECT_FALSE(std::filesystem::exists(kWork));
    }
}

// The orbit input dialog's two default orbits describe one body: its default
// elements (epoch JD 2454400.5, n 0.23009281 deg/day) and its default
// coordinates (epoch 2007 10 27, heliocentric equatorial J2000) give the same
// state, to the precision of the typed coordinates.
TEST(Userorb, DialogDefaultElementsAndCoordinatesAreOneOrbit) {
    zeltest::ScopedWorkDir wd;
    OrbitFieldTexts el;
    el.fill("");
    const char* typed_el[] = {"Example",  "15.99",     "X",       "2454400.5", "192.88384", "",
                              "91.25204", "270.56409", "2.78545", "0.6239435", "0.23009281"};
    for (std::size_t i = 0; i < 11; ++i) el[i] = typed_el[i];
    const auto el_order = parse_column_order("01020304050708091011");
    ASSERT_TRUE(el_order.ok());
    const std::string el_file(single_orbit_file(true, true));
    ASSERT_TRUE(write_introduced_orbit(el_file, el, *el_order).ok());
    ASSERT_TRUE(userorb(el_file, kWork, OrbitForm::Elements, order_fields(*el_order)).ok());
    const RawRecord from_elements = raw_record(kWork, 1);

    OrbitFieldTexts xyz;
    xyz.fill("");
    const char* typed_xyz[] = {"Example",  "10.0",     "0.15",      "20071027",   "-4.241737",
                               "-.302802", "-.356426", ".00106363", "-.00463975", "-.00195780"};
    for (std::size_t i = 0; i < 10; ++i) xyz[i] = typed_xyz[i];
    const auto xyz_order = parse_column_order("01020304050607080910");
    ASSERT_TRUE(xyz_order.ok());
    const std::string xyz_file(single_orbit_file(false, true));
    ASSERT_TRUE(write_introduced_orbit(xyz_file, xyz, *xyz_order).ok());
    ASSERT_TRUE(userorb(xyz_file, kWork, OrbitForm::Coordinates, order_fields(*xyz_order)).ok());
    const RawRecord from_coordinates = raw_record(kWork, 1);

    ASSERT_EQ(from_elements.status, 0);
    ASSERT_EQ(from_coordinates.status, 0);
    EXPECT_EQ(from_elements.epoch, from_coordinates.epoch);
    // Typed to 6 decimals (AU) and 8 decimals (AU/day): half a unit of the last
    // place, plus the rounding of the typed elements (5 decimals of a degree
    // move the position by up to 4e-7 AU at 4.3 AU).
    for (int j = 0; j < 3; ++j) EXPECT_NEAR(from_elements.state[j], from_coordinates.state[j], 1e-6) << j;
    for (int j = 3; j < 6; ++j) EXPECT_NEAR(from_elements.state[j], from_coordinates.state[j], 1e-8) << j;
}
