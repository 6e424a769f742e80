// Restrictions of an ephemeris task (restr.h) and their exports.
#include "tasks/restr.h"

#include <cmath>
#include <cstdlib>
#include <string>

#include "core/utils.h"
#include "io/errchan.h"
#include "io/fields.h"
#include "zelvomat/zelvomat.h"

namespace zelvomat {

namespace {

using checks::CheckError;

struct TypeForm {
    std::string_view mask;  // blank-padded to ten characters
    int decimals;
};
// clang-format off
constexpr TypeForm kForms[kRestrictionTypes] = {
    {"5223222222", 6},  //  1 +xx.xxxxxx   AU
    {"5232222222", 7},  //  2 +x.xxxxxxx   AU/day
    {"223222    ", 3},  //  3 xx.xxx       km/s
    {"222222322 ", 2},  //  4 hhmmss.ss
    {"522222232 ", 1},  //  5 +ddmmss.s
    {"5222222322", 2},  //  6 +hhmmss.ss   per day
    {"522222232 ", 1},  //  7 +ddmmss.s    per day
    {"22232     ", 1},  //  8 ddd.d        degrees
    {"2232      ", 1},  //  9 xx.x         magnitude
    {"222222232 ", 1},  // 10 dddmmss.s
    {"522232    ", 1},  // 11 +ddd.d       degrees
    {"223222222 ", 6},  // 12 xx.xxxxxx    AU
    {"          ", 0},  // 13 none
    {"          ", 0},  // 14 no quantity
};
// clang-format on

// Conversion kind of each quantity (1-10) by conversion row.
constexpr std::array<int, 10> kRowEquator = {3, 4, 0, 3, 4, 0, 0, 5, 0, 5};      // row 9
constexpr std::array<int, 10> kRowEcliptic = {4, 4, 0, 4, 4, 0, 0, 5, 0, 5};     // row 10
constexpr std::array<int, 10> kRowHorizon = {4, 4, 0, 0, 0, 0, 0, 5, 0, 5};      // row 7
constexpr std::array<int, 10> kRowRectangular = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0};  // row 11

const std::array<int, 10>* conversion_kinds(int row) {
    switch (row) {
        case 9:
            return &kRowEquator;
        case 10:
            return &kRowEcliptic;
        case 7:
            return &kRowHorizon;
        case 11:
            return &kRowRectangular;
        default:
            return nullptr;
    }
}

// A three-character code as the caller passed it (blank-padded or cut).
std::string code3(std::string_view s) { return io::pad(s, 3); }

// Integer sub-field of a normalised bound (1-based columns, all digits).
long sub(const std::string& text, std::size_t first, std::size_t width) {
    return std::strtol(text.substr(first - 1, width).c_str(), nullptr, 10);
}

}  // namespace

std::string_view restriction_mask(int type) {
    if (type < 1 || type > kRestrictionTypes) return {};
    return kForms[type - 1].mask;
}

int restriction_width(int type) { return static_cast<int>(io::trim_right(restriction_mask(type)).size()); }

RestrictionLayout restr(std::string_view coord, std::string_view plane, std::string_view output) {
    RestrictionLayout l;
    l.types.fill(14);
    l.widths.fill(0);
    l.mode = 0;
    const std::string c = code3(coord), p = code3(plane), o = code3(output);
    if (c == "REC") {
        if (o == "EMP") return l;
        l.types = {1, 1, 1, 2, 2, 2, 12, 2, 12, 3};
        l.mode = 1;
    } else {
        l.types[2] = 12;
        l.types[6] = 12;
        l.types[7] = 8;
        l.types[8] = 9;
        l.types[9] = 11;
        auto set5 = [&l](int t1, int t2, int t4, int t5, int t6) {
            l.types[0] = t1;
            l.types[1] = t2;
            l.types[3] = t4;
            l.types[4] = t5;
            l.types[5] = t6;
        };
        if (p == "EQT") {
            set5(4, 5, 6, 7, 2);
            l.mode = 2;
        } else if (p == "ECL") {
            set5(10, 5, 7, 7, 2);
            l.mode = 3;
        } else if (p == "HRZ") {
            l.types[0] = 10;
            l.types[1] = 5;
            l.mode = 4;
        }
    }
    for (std::size_t i = 0; i < l.types.size(); ++i) l.widths[i] = restriction_width(l.types[i]);
    return l;
}

CheckError contr_vv(int type, std::span<char> text, double& value) {
    const std::string_view in(text.data(), text.size());
    if (io::is_blank(in)) return CheckError::None;
    if (type < 1 || type > kRestrictionTypes) return CheckError::Format;
    const std::string_view mask = restriction_mask(type);
    const auto w = static_cast<std::size_t>(restriction_width(type));
    if (w == 0) return CheckError::None;  // types 13 and 14 read nothing

    // Normalise a copy; the caller's text changes only when every test passed.
    std::string work = io::pad(in, w);
    for (std::size_t i = 0; i < w; ++i) {
        if (work[i] != ' ') continue;
        work[i] = mask[i] == '5' ? '+' : mask[i] == '3' ? '.' : '0';
    }
    if (!checks::mask_test(mask, work, w).ok()) return CheckError::Format;

    const auto read = io::read_real(work, kForms[type - 1].decimals);
    if (!read) return CheckError::Format;  // not reached: the mask admits only numbers
    value = *read;

    const double v = *read;
    bool range_ok = true;
    switch (type) {
        case 4:
            range_ok = sub(work, 1, 2) <= 24 && sub(work, 3, 2) <= 60 && sub(work, 5, 2) <= 60;
            break;
        case 5:
        case 7:
            range_ok = std::fabs(v) <= 900000.0 && sub(work, 4, 2) <= 60 && sub(work, 6, 2) <= 60;
            break;
        case 6:
            range_ok = sub(work, 2, 2) <= 24 && sub(work, 4, 2) <= 60 && sub(work, 6, 2) <= 60;
            break;
        case 10:
            range_ok = sub(work, 1, 3) <= 360 && sub(work, 4, 2) <= 60 && sub(work, 6, 2) <= 60;
            break;
        case 8:
            range_ok = v <= 180.0;
            break;
        case 11:
            range_ok = std::fabs(v) <= 180.0;
            break;
        default:
            break;
    }
    if (!range_ok) return CheckError::OutOfRange;

    checks::write_back(text, work);
    return CheckError::None;
}

Result<RestrictionBlock> read_restriction_block(const EphTaskRecord& rec) {
    const char mode = rec.get_char(eph_field::restrictionMode);
    if (mode < '0' || mode > '9') return error_status(std::string("restriction mode is not a digit: \"") + mode + "\"");
    const int digit = mode - '0';
    RestrictionBlock b;
    b.block = digit % 4 == 0 ? 4 : digit % 4;
    b.reject_solitary = digit >= 5 && rec.get(eph_field::headingsSwitch) != "ISHD";
    for (int q = 1; q <= EphTaskRecord::kQuantities; ++q) {
        int& sw = b.switches[static_cast<std::size_t>(q - 1)];
        const char c = rec.restriction_switch(b.block, q);
        sw = digit < 5 ? 1 : (c >= '0' && c <= '9') ? c - '0' : c == ' ' ? 0 : -1;
        b.lower(q) = kOpenLow;
        b.upper(q) = kOpenHigh;
        if (sw == 1) continue;
        const std::string_view lo = rec.lower_bound(b.block, q), hi = rec.upper_bound(b.block, q);
        if (!io::is_blank(lo) && !char_rl(lo, b.lower(q), 0))
            return error_status("restriction bound is not a number: \"" + std::string(lo) + "\"");
        if (!io::is_blank(hi) && !char_rl(hi, b.upper(q), 0))
            return error_status("restriction bound is not a number: \"" + std::string(hi) + "\"");
    }
    return b;
}

double Prcon(int kind, double value) {
    switch (kind) {
        case kPrconHms:
        case kPrconDms: {
            const char sign = value < 0 ? '-' : '+';
            const double a = std::fabs(value);
            const double h = std::trunc(a / 10000.0);
            const double rest = a - h * 10000.0;
            const double m = std::trunc(rest / 100.0);
            const double s = rest - m * 100.0;
            const double rad = dmsrad(sign, static_cast<int>(h), static_cast<int>(m), s);
            return kind == kPrconHms ? rad * 15.0 : rad;
        }
        case kPrconDegrees:
            return value / kDegPerRad;
        default:
            return value;
    }
}

int conversion_row(std::string_view coordinate_type, std::string_view main_plane) {
    const std::string c = code3(coordinate_type), p = code3(main_plane);
    int row = 0;
    if (p == "EQT") row = 9;
    if (p == "ECL") row = 10;
    if (c == "REC") row = 11;
    if (p == "HRZ") row = 7;
    return row;
}

Result<RestrictionBounds> Formcond(const RestrictionBlock& block, std::string_view coordinate_type,
                                   std::string_view main_plane) {
    if (block.block < 1 || block.block > 4)
        return error_status("restriction block " + std::to_string(block.block) + " is not 1-4");
    const int row = conversion_row(coordinate_type, main_plane);
    const std::array<int, 10>* kinds = conversion_kinds(row);
    RestrictionBounds r;
    for (int q = 1; q <= 10; ++q) {
        const int sw = block.switches[static_cast<std::size_t>(q - 1)];
        if (sw == 1) continue;
        if (sw != 2) break;
        if (kinds == nullptr)
            return error_status("no restrictions for coordinates \"" + code3(coordinate_type) + "\" on plane \"" +
                                code3(main_plane) + "\"");
        const auto n = static_cast<std::size_t>(r.count++);
        r.indexes[n] = static_cast<std::int16_t>(q);
        if (block.upper(q) > block.lower(q)) {
            r.senses[n] = 1;
            r.lows(q) = block.lower(q);
            r.highs(q) = block.upper(q);
        } else {
            r.senses[n] = -1;
            r.lows(q) = block.upper(q);
            r.highs(q) = block.lower(q);
        }
        const int kind = (*kinds)[static_cast<std::size_t>(q - 1)];
        if (kind == kPrconNone) continue;
        if (r.lows(q) > -1e20) r.lows(q) = Prcon(kind, r.lows(q));
        if (r.highs(q) < 1e20) r.highs(q) = Prcon(kind, r.highs(q));
    }
    return r;
}

}  // namespace zelvomat

// ---- Exports -------------------------------------------------------------------

extern "C" ZELVOMAT_API void restr(const char* coord, int coord_len, const char* plane, int plane_len,
                                   const char* output, int output_len, int* types, int* widths, int* mode) {
    zelvomat::export_guard([&]() -> zelvomat::Status {
        if (types == nullptr || widths == nullptr || mode == nullptr)
            return zelvomat::error_status("restr: output array missing");
        using zelvomat::checks::caller_text;
        const auto l = zelvomat::restr(caller_text(coord, coord_len), caller_text(plane, plane_len),
                                       caller_text(output, output_len));
        for (std::size_t i = 0; i < 10; ++i) {
            types[i] = l.types[i];
            widths[i] = l.widths[i];
        }
        *mode = l.mode;
        return zelvomat::ok_status();
    });
}

extern "C" ZELVOMAT_API void contr_vv(int type, char* text, int len, int* err, double* value) {
    zelvomat::export_guard([&]() -> zelvomat::Status {
        if (err == nullptr || value == nullptr) return zelvomat::error_status("contr_vv: output missing");
        *err = 0;
        std::span<char> buf;
        if (text != nullptr && len > 0) buf = std::span<char>(text, static_cast<std::size_t>(len));
        *err = zelvomat::checks::code(zelvomat::contr_vv(type, buf, *value));
        return zelvomat::ok_status();
    });
}
