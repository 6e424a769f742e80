// Ephemeris result lines (outform.h).
#include "tasks/outform.h"

#include <cmath>
#include <cstring>

#include "core/datajd.h"
#include "core/force.h"
#include "core/utils.h"
#include "io/fields.h"
#include "io/files.h"
#include "tasks/taskhead.h"

namespace zelvomat {

namespace {

using io::fmt_f;
using io::fmt_i;

// A three-character code as stored (blank padding ignored).
std::string_view code(std::string_view s) { return io::trim(s); }

// Text into a line from a 1-based column on.
void put(std::string& line, std::size_t col, std::string_view text) { put_columns(line, col, text); }
void put_char(std::string& line, std::size_t col, char c) { line[col - 1] = c; }

// An angle as whole units and decimal minutes (the EMP layouts).
struct UnitsMinutes {
    char sign = '+';
    int units = 0;
    double minutes = 0.0;
};
UnitsMinutes split_dm(double rad, int decimals) {
    UnitsMinutes a;
    raddm(rad, a.sign, a.units, a.minutes, decimals);
    return a;
}

// An angle as whole units, whole minutes and decimal seconds.
struct UnitsMinutesSeconds {
    char sign = '+';
    int units = 0;
    int minutes = 0;
    double seconds = 0.0;
};
UnitsMinutesSeconds split_dms(double rad, int decimals) {
    UnitsMinutesSeconds a;
    raddms(rad, a.sign, a.units, a.minutes, a.seconds, decimals);
    return a;
}

// Distances and coordinates are written with fine decimals up to 100 AU and
// coarse ones above. A value of 100 AU or a hair below would round to a text
// too wide for its field at the fine decimals: it takes the coarse ones too,
// so that no field shows asterisks for a value that can be written.
bool needs_coarse(double value, double limit, int width, int fine_decimals) {
    return std::fabs(value) > limit || fmt_f(value, width, fine_decimals).front() == '*';
}
constexpr double kFineLimitAu = 100.0;

// Hour mode: a right ascension (or its rate) in units of 15 degrees, its last
// sexagesimal part to 2 decimals; every other angle to 1 decimal.
constexpr double kDegreesPerHour = 15.0;

// Columns 1-17 of a first line: year, month, day with its fraction, and the
// accuracy mark.
void put_date(std::string& line, double jd, std::int16_t accuracy_flag) {
    // A fraction that rounds to a whole day shows the next day at 0h.
    const CivilDate5 c = civil_date5(jd);
    put(line, 1, fmt_i(c.year, 4));
    put(line, 5, fmt_i(c.month, 3));
    put(line, 8, fmt_f(c.day + static_cast<double>(c.frac5) / 1e5, 9, 5));
    put_char(line, 17, accuracy_flag == 0 ? '*' : ' ');
}

// The texts shared by the spherical kinds.
struct SphericalTexts {
    std::string phase;      // 5 characters: degrees, 1 decimal; blank for the Sun
    std::string magnitude;  // 4 characters, 1 decimal; blank without a magnitude
    double elongation_deg;  // |elongation|
    char side;              // 'E', 'W' (west: negative elongation), blank for the Sun
};
SphericalTexts spherical_texts(std::int32_t number, const EphResultValues& v, bool no_magnitude) {
    SphericalTexts t;
    const bool sun = number == kObjectSun;
    const double elong = v(SphQuantity::Elongation);
    t.elongation_deg = raddeg(std::fabs(elong));
    t.side = sun ? ' ' : elong < 0 ? 'W' : 'E';
    t.phase = sun ? std::string(5, ' ') : fmt_f(raddeg(v(SphQuantity::Phase)), 5, 1);
    t.magnitude = (no_magnitude || number < 1) ? std::string(4, ' ') : fmt_f(v(SphQuantity::Magnitude), 4, 1);
    return t;
}

// "EMP", kinds 2-4 (one line):
//   18-20 degrees (kind 2: hours) of angle 1, 21-25 its minutes F5.1
//   (kind 2: 21-26 F6.2), 30 sign of angle 2, 31-32 degrees, 33-37 minutes
//   F5.1, 39-46 distance from the observer, 50-57 distance from the Sun (F8.5,
//   F8.3 when either exceeds 100 AU), 61-65 phase, 68-71 magnitude, 75-77
//   elongation in whole degrees, 78 E/W.
void layout_emp(EphemerisText& out, std::int32_t number, EphOutputKind kind, const EphResultValues& v,
                bool no_magnitude) {
    std::string& l1 = out.lines[0];
    const bool hours = kind == EphOutputKind::EmpEquator;
    const UnitsMinutes a1 =
        hours ? split_dm(v(SphQuantity::Angle1) / kDegreesPerHour, 2) : split_dm(v(SphQuantity::Angle1), 1);
    put(l1, 18, fmt_i(a1.units, 3));
    put(l1, 21, hours ? fmt_f(a1.minutes, 6, 2) : fmt_f(a1.minutes, 5, 1));
    const UnitsMinutes a2 = split_dm(v(SphQuantity::Angle2), 1);
    put_char(l1, 30, a2.sign);
    put(l1, 31, fmt_i(a2.units, 2));
    put(l1, 33, fmt_f(a2.minutes, 5, 1));

    const bool large = needs_coarse(v(SphQuantity::Distance), kFineLimitAu, 8, 5) ||
                       needs_coarse(v(SphQuantity::SunDistance), kFineLimitAu, 8, 5);
    const int d = large ? 3 : 5;
    put(l1, 39, fmt_f(v(SphQuantity::Distance), 8, d));
    put(l1, 50, fmt_f(v(SphQuantity::SunDistance), 8, d));

    const SphericalTexts t = spherical_texts(number, v, no_magnitude);
    put(l1, 61, t.phase);
    put(l1, 68, t.magnitude);
    put(l1, 75, fmt_i(std::lround(t.elongation_deg), 3));  // halves away from zero
    put_char(l1, 78, t.side);
    out.count = 1;
}

// "POS" spherical, kinds 5-7 (two lines):
//   19-21 degrees (kind 5: hours), 22-24 minutes, 25-29 seconds F5.1 (kind 5:
//   25-30 F6.2) of angle 1; 33 sign, 34-35 degrees, 36-38 minutes, 39-43
//   seconds F5.1 of angle 2; 45-53 distance from the observer, 55-63 distance
//   from the Sun (F9.6, F9.4 when either exceeds 100 AU); 66-70 phase; 75-78
//   magnitude. Second line: 66-70 elongation F5.1, 71 E/W.
void layout_pos(EphemerisText& out, std::int32_t number, EphOutputKind kind, const EphResultValues& v,
                bool no_magnitude) {
    std::string& l1 = out.lines[0];
    std::string& l2 = out.lines[1];
    const bool hours = kind == EphOutputKind::PosEquator;
    const UnitsMinutesSeconds a1 =
        hours ? split_dms(v(SphQuantity::Angle1) / kDegreesPerHour, 2) : split_dms(v(SphQuantity::Angle1), 1);
    put(l1, 19, fmt_i(a1.units, 3));
    put(l1, 22, fmt_i(a1.minutes, 3));
    put(l1, 25, hours ? fmt_f(a1.seconds, 6, 2) : fmt_f(a1.seconds, 5, 1));
    const UnitsMinutesSeconds a2 = split_dms(v(SphQuantity::Angle2), 1);
    put_char(l1, 33, a2.sign);
    put(l1, 34, fmt_i(a2.units, 2));
    put(l1, 36, fmt_i(a2.minutes, 3));
    put(l1, 39, fmt_f(a2.seconds, 5, 1));

    const bool large = needs_coarse(v(SphQuantity::Distance), kFineLimitAu, 9, 6) ||
                       needs_coarse(v(SphQuantity::SunDistance), kFineLimitAu, 9, 6);
    const int d = large ? 4 : 6;
    put(l1, 45, fmt_f(v(SphQuantity::Distance), 9, d));
    put(l1, 55, fmt_f(v(SphQuantity::SunDistance), 9, d));

    const SphericalTexts t = spherical_texts(number, v, no_magnitude);
    put(l1, 66, t.phase);
    put(l1, 75, t.magnitude);
    put(l2, 66, fmt_f(t.elongation_deg, 5, 1));
    put_char(l2, 71, t.side);
    out.count = 2;
}

// "PSV" spherical, kinds 9 and 10 (two lines):
//   19-21, 22-24, 25-29 angle 1 (kind 9: hours, seconds 25-30 F6.2); 34 sign,
//   35-36, 37-39, 40-44 angle 2; 46-54 distance from the observer, 57-65
//   distance from the Sun (F9.6, F9.4 when either exceeds 100 AU); 67-71
//   phase; 76-79 magnitude. Second line: 19 sign, 20-21, 22-24, 25-29 the rate
//   of angle 1 per day (kind 9: hours, 25-30 F6.2); 34 sign, 35-36, 37-39,
//   40-44 the rate of angle 2 per day; 46-56 the rate of the distance F11.8
//   (AU/day); 67-71 elongation F5.1, 72 E/W.
void layout_psv(EphemerisText& out, std::int32_t number, EphOutputKind kind, const EphResultValues& v,
                bool no_magnitude) {
    std::string& l1 = out.lines[0];
    std::string& l2 = out.lines[1];
    const bool hours = kind == EphOutputKind::PsvEquator;
    const auto first_angle = [hours](double rad) {
        return hours ? split_dms(rad / kDegreesPerHour, 2) : split_dms(rad, 1);
    };
    const auto seconds_text = [hours](double s) { return hours ? fmt_f(s, 6, 2) : fmt_f(s, 5, 1); };

    const UnitsMinutesSeconds a1 = first_angle(v(SphQuantity::Angle1));
    put(l1, 19, fmt_i(a1.units, 3));
    put(l1, 22, fmt_i(a1.minutes, 3));
    put(l1, 25, seconds_text(a1.seconds));
    const UnitsMinutesSeconds a2 = split_dms(v(SphQuantity::Angle2), 1);
    put_char(l1, 34, a2.sign);
    put(l1, 35, fmt_i(a2.units, 2));
    put(l1, 37, fmt_i(a2.minutes, 3));
    put(l1, 40, fmt_f(a2.seconds, 5, 1));

    const bool large = needs_coarse(v(SphQuantity::Distance), kFineLimitAu, 9, 6) ||
                       needs_coarse(v(SphQuantity::SunDistance), kFineLimitAu, 9, 6);
    const int d = large ? 4 : 6;
    put(l1, 46, fmt_f(v(SphQuantity::Distance), 9, d));
    put(l1, 57, fmt_f(v(SphQuantity::SunDistance), 9, d));

    const SphericalTexts t = spherical_texts(number, v, no_magnitude);
    put(l1, 67, t.phase);
    put(l1, 76, t.magnitude);

    const UnitsMinutesSeconds r1 = first_angle(v(SphQuantity::Rate1));
    put_char(l2, 19, r1.sign);
    put(l2, 20, fmt_i(r1.units, 2));
    put(l2, 22, fmt_i(r1.minutes, 3));
    put(l2, 25, seconds_text(r1.seconds));
    const UnitsMinutesSeconds r2 = split_dms(v(SphQuantity::Rate2), 1);
    put_char(l2, 34, r2.sign);
    put(l2, 35, fmt_i(r2.units, 2));
    put(l2, 37, fmt_i(r2.minutes, 3));
    put(l2, 40, fmt_f(r2.seconds, 5, 1));
    put(l2, 46, fmt_f(v(SphQuantity::DistanceRate), 11, 8));
    put(l2, 67, fmt_f(t.elongation_deg, 5, 1));
    put_char(l2, 72, t.side);
    out.count = 2;
}

// Decimals of the rectangular kinds: 4 when a coordinate or a distance
// exceeds 100 AU (or would not fit its field with 6), else 6. The fields are
// 10 characters wide for the coordinates, 9 for the distances (kind 11: 10
// for the distance from the observer).
int rectangular_decimals(const EphResultValues& v, int observer_width) {
    const bool large = needs_coarse(v(RecQuantity::X), kFineLimitAu, 10, 6) ||
                       needs_coarse(v(RecQuantity::Y), kFineLimitAu, 10, 6) ||
                       needs_coarse(v(RecQuantity::Z), kFineLimitAu, 10, 6) ||
                       needs_coarse(v(RecQuantity::ObserverDistance), kFineLimitAu, observer_width, 6) ||
                       needs_coarse(v(RecQuantity::SunDistance), kFineLimitAu, 9, 6);
    return large ? 4 : 6;
}

// "POS" rectangular, kind 8 (one line): 18-27 x, 29-38 y, 40-49 z (F10.6),
// 52-60 distance from the observer, 62-70 distance from the Sun (F9.6; 4
// decimals when large), 74-80 speed F7.3 (km/s).
void layout_pos_rectangular(EphemerisText& out, const EphResultValues& v) {
    std::string& l1 = out.lines[0];
    const int d = rectangular_decimals(v, 9);
    put(l1, 18, fmt_f(v(RecQuantity::X), 10, d));
    put(l1, 29, fmt_f(v(RecQuantity::Y), 10, d));
    put(l1, 40, fmt_f(v(RecQuantity::Z), 10, d));
    put(l1, 52, fmt_f(v(RecQuantity::ObserverDistance), 9, d));
    put(l1, 62, fmt_f(v(RecQuantity::SunDistance), 9, d));
    put(l1, 74, fmt_f(v(RecQuantity::Speed), 7, 3));
    out.count = 1;
}

// "PSV" rectangular, kind 11 (two lines): 18-27 x, 30-39 y, 42-51 z, 54-63
// distance from the observer (F10.6), 65-73 distance from the Sun (F9.6; 4
// decimals when large), 74-80 speed F7.3. Second line: 19-29, 31-41, 43-53
// the rates of x, y, z and 55-65 the rate of the distance from the observer
// (F11.8, AU/day).
void layout_psv_rectangular(EphemerisText& out, const EphResultValues& v) {
    std::string& l1 = out.lines[0];
    std::string& l2 = out.lines[1];
    const int d = rectangular_decimals(v, 10);
    put(l1, 18, fmt_f(v(RecQuantity::X), 10, d));
    put(l1, 30, fmt_f(v(RecQuantity::Y), 10, d));
    put(l1, 42, fmt_f(v(RecQuantity::Z), 10, d));
    put(l1, 54, fmt_f(v(RecQuantity::ObserverDistance), 10, d));
    put(l1, 65, fmt_f(v(RecQuantity::SunDistance), 9, d));
    put(l1, 74, fmt_f(v(RecQuantity::Speed), 7, 3));
    put(l2, 19, fmt_f(v(RecQuantity::VX), 11, 8));
    put(l2, 31, fmt_f(v(RecQuantity::VY), 11, 8));
    put(l2, 43, fmt_f(v(RecQuantity::VZ), 11, 8));
    put(l2, 55, fmt_f(v(RecQuantity::ObserverDistanceRate), 11, 8));
    out.count = 2;
}

}  // namespace

std::optional<EphOutputKind> eph_output_kind_from_number(int n) {
    if (n < 2 || n > 11) return std::nullopt;
    return static_cast<EphOutputKind>(n);
}

std::optional<EphOutputKind> eph_output_kind(std::string_view coordinate_type, std::string_view main_plane,
                                             std::string_view output) {
    const std::string_view c = code(coordinate_type), p = code(main_plane), o = code(output);
    int base = 0;
    if (o == "EMP")
        base = 2;
    else if (o == "POS")
        base = 5;
    else if (o == "PSV")
        base = 9;
    else
        return std::nullopt;
    if (c == "REC") {
        if (base == 2) return std::nullopt;
        return eph_output_kind_from_number(base == 5 ? 8 : 11);
    }
    if (c != "SPH") return std::nullopt;
    int offset = 0;
    if (p == "EQT")
        offset = 0;
    else if (p == "ECL")
        offset = 1;
    else if (p == "HRZ" && base != 9)
        offset = 2;
    else
        return std::nullopt;
    return eph_output_kind_from_number(base + offset);
}

bool is_spherical(EphOutputKind k) { return k != EphOutputKind::PosRectangular && k != EphOutputKind::PsvRectangular; }

EphemerisLine::Bytes EphemerisLine::encode(std::string_view text) {
    Bytes b{};
    b.fill(static_cast<std::uint8_t>(' '));
    std::memcpy(b.data(), text.data(), std::min(text.size(), kTextWidth));
    b[kTextWidth] = 0;
    b[kTextWidth + 1] = 0;
    return b;
}

std::string EphemerisLine::decode(std::span<const std::uint8_t, kLength> record) {
    return std::string(reinterpret_cast<const char*>(record.data()), kTextWidth);
}

Result<io::RecordFile> open_ephemeris_result() {
    return io::RecordFile::open(std::string(files::kEphemerisResult), EphemerisLine::kLength, io::OpenMode::Update);
}

Status write_ephemeris_line(io::RecordFile& file, std::int64_t record, std::string_view text) {
    const EphemerisLine::Bytes b = EphemerisLine::encode(text);
    return file.write(record, b);
}

EphemerisText format_ephemeris_lines(std::int32_t number, double jd, EphOutputKind kind, const EphResultValues& values,
                                     std::int16_t accuracy_flag, bool no_magnitude) {
    EphemerisText out;
    out.lines[0].assign(EphemerisLine::kTextWidth, ' ');
    out.lines[1].assign(EphemerisLine::kTextWidth, ' ');
    // Seen from the Earth, the Earth has no direction.
    if (number == kObjectEarth && is_spherical(kind)) return out;
    put_date(out.lines[0], jd, accuracy_flag);
    switch (kind) {
        case EphOutputKind::EmpEquator:
        case EphOutputKind::EmpEcliptic:
        case EphOutputKind::EmpHorizon:
            layout_emp(out, number, kind, values, no_magnitude);
            break;
        case EphOutputKind::PosEquator:
        case EphOutputKind::PosEcliptic:
        case EphOutputKind::PosHorizon:
            layout_pos(out, number, kind, values, no_magnitude);
            break;
        case EphOutputKind::PosRectangular:
            layout_pos_rectangular(out, values);
            break;
        case EphOutputKind::PsvEquator:
        case EphOutputKind::PsvEcliptic:
            layout_psv(out, number, kind, values, no_magnitude);
            break;
        case EphOutputKind::PsvRectangular:
            layout_psv_rectangular(out, values);
            break;
        default:  // not a kind: no lines
            out.lines[0].assign(EphemerisLine::kTextWidth, ' ');
            break;
    }
    return out;
}

Result<int> Outform(std::int32_t number, io::RecordFile& file, double jd, EphOutputKind kind,
                    const EphResultValues& values, std::int16_t accuracy_flag, std::int32_t record, bool no_magnitude) {
    const EphemerisText text = format_ephemeris_lines(number, jd, kind, values, accuracy_flag, no_magnitude);
    for (int i = 0; i < text.count; ++i)
        ZEL_TRY(write_ephemeris_line(file, static_cast<std::int64_t>(record) + 1 + i,
                                     text.lines[static_cast<std::size_t>(i)]));
    return text.count;
}

}  // namespace zelvomat
