// The texts of the plate search: the object lines of "result.pl4" (pltlines),
// their motion records, and the description records of "plt.hat". Layouts in
// pltcalc.h.
//
// Calls: raddms, jdcal, catname, io::fmt_i / fmt_f.
#include <algorithm>
#include <cmath>

#include "core/catalog.h"
#include "core/corestate.h"
#include "core/datajd.h"
#include "core/names.h"
#include "core/utils.h"
#include "io/fields.h"
#include "tasks/pltcalc.h"
#include "tasks/taskhead.h"

namespace zelvomat {

namespace {

// A blank directly before a point becomes "0", so that a number below one
// always shows its zero.
void zero_before_points(std::string& s) {
    for (std::size_t i = 1; i < s.size(); ++i)
        if (s[i] == '.' && s[i - 1] == ' ') s[i - 1] = '0';
}

}  // namespace

std::array<std::uint8_t, PlateObjectLine::kLength> PlateObjectLine::encode(std::string_view text) {
    std::array<std::uint8_t, kLength> rec{};
    io::put_text(rec, 0, kTextWidth, text);
    return rec;  // bytes 81 and 82 stay zero
}

std::array<std::uint8_t, PlateMotionRecord::kLength> PlateMotionRecord::encode() const {
    std::array<std::uint8_t, kLength> rec{};
    io::put_f64(rec, kRaRateOff, ra_rate);
    io::put_f64(rec, kDeclRateOff, decl_rate);
    return rec;
}

PlateMotionRecord PlateMotionRecord::decode(io::Bytes rec) {
    return {io::get_f64(rec, kRaRateOff), io::get_f64(rec, kDeclRateOff)};
}

std::string plate_object_text(std::int32_t number, bool numbered, std::string_view name, bool accepted, double ra,
                              double decl, double magnitude) {
    using L = PlateObjectLine;
    std::string s(L::kTextWidth, ' ');
    if (numbered) put_columns(s, L::kNumberCol, number_field(number, L::kNumberWidth));
    put_columns(s, L::kNameCol, io::pad(name, L::kNameWidth));
    if (!accepted) s[L::kMarkCol - 1] = '*';

    // Right ascension in hours, minutes, seconds of time (2 decimals). A
    // value that rounds up to 24h is written as 0h.
    char sign = '+';
    int h = 0, m = 0;
    double sec = 0.0;
    raddms(ra / 15.0, sign, h, m, sec, 2);
    if (h >= 24) h -= 24;
    put_columns(s, L::kHoursCol, io::fmt_i(h, 2));
    put_columns(s, L::kMinutesCol, io::fmt_i(m, 3));
    put_columns(s, L::kSecondsCol, io::fmt_f(sec, 6, 2));

    // Declination in degrees, arc minutes, arc seconds (1 decimal).
    int d = 0, am = 0;
    double as = 0.0;
    raddms(decl, sign, d, am, as, 1);
    s[L::kSignCol - 1] = sign == '-' ? '-' : '+';
    put_columns(s, L::kDegreesCol, io::fmt_i(d, 2));
    put_columns(s, L::kArcMinCol, io::fmt_i(am, 3));
    put_columns(s, L::kArcSecCol, io::fmt_f(as, 5, 1));

    put_columns(s, L::kMagnitudeCol, io::fmt_f(magnitude, 4, 1));
    zero_before_points(s);
    return s;
}

Status pltlines(const CatalogueState& cat, const PlateBatch& batch, std::int32_t total, std::int32_t numbered,
                PlateScratch& scratch) {
    const auto first = static_cast<std::size_t>(total - batch.count);  // objects before this batch
    if (total < batch.count || scratch.size() != first)
        return error_status("internal error: a batch of the plate search out of its place");
    for (int k = 0; k < batch.count; ++k) {
        const auto i = static_cast<std::size_t>(k);
        const std::int32_t n = batch.number[i];
        auto name = catname(cat, n);
        if (!name) return name.status();
        const std::string text = plate_object_text(n, n <= numbered, *name, batch.accepted[i], batch.ra[i],
                                                   batch.decl[i], batch.magnitude[i]);
        scratch.keys.push_back(batch.ra[i]);
        scratch.lines.push_back(PlateObjectLine::encode(text));
        scratch.motions.push_back(PlateMotionRecord{batch.ra_rate[i], batch.decl_rate[i]}.encode());
    }
    return ok_status();
}

Result<std::array<std::string, 2>> plate_header_records(std::string_view line, std::int32_t jd, double jd_fraction,
                                                        double half_ra_min, double half_dec_deg) {
    auto col = [&](std::size_t first, std::size_t last) { return io::column(line, first, last - first + 1); };
    auto real = [&](std::size_t first, std::size_t last, int decimals) -> Result<double> {
        const std::string f = col(first, last);
        auto v = io::read_real(f, decimals);
        if (!v)
            return error_status("The plate centre in columns " + std::to_string(first) + "-" + std::to_string(last) +
                                " of the plate line (\"" + f + "\") is not a number.");
        return *v;
    };
    auto whole = [&](std::size_t first, std::size_t last) -> Result<int> {
        const std::string f = col(first, last);
        auto v = io::read_int(f);
        if (!v || *v < -99999 || *v > 99999)
            return error_status("The plate centre in columns " + std::to_string(first) + "-" + std::to_string(last) +
                                " of the plate line (\"" + f + "\") is not a number.");
        return static_cast<int>(*v);
    };

    std::array<std::string, 2> rec;
    rec[0] = "  Plate:  " + io::pad(col(1, 13), 13) + std::string(8, ' ') + "Full dimension " +
             "(sqr. degree): " + io::fmt_f(half_ra_min * 30.0 / 60.0, 6, 1) + " x " +
             io::fmt_f(2.0 * half_dec_deg, 5, 1);

    int year = 0, month = 0, day = 0;
    double fraction = 0.0;
    jdcal(jd, jd_fraction, year, month, day, fraction);
    // The fraction follows the day directly (".ddddd"); the line gives it to
    // 5 decimals, so rounding never reaches the next day.
    fraction = std::clamp(roundn(fraction, 5), 0.0, 0.99999);
    std::string date = io::fmt_f(fraction, 7, 5);  // " 0.ddddd"
    const std::size_t point = date.find('.');
    date = point == std::string::npos ? std::string(6, '*') : date.substr(point);
    std::string r2 = "  Date:   " + io::fmt_i(year, 4) + " " + io::fmt_i(month, 2) + " " + io::fmt_i(day, 2) + date +
                     std::string(5, ' ') + "Center: ";

    const std::string sign = io::column(line, 45, 1) == "-" ? "-" : "+";
    const bool decimal_minutes = io::column(line, 38, 1) == "." && io::column(line, 51, 1) == ".";
    if (decimal_minutes) {
        auto h = whole(33, 34);
        if (!h) return h.status();
        auto m = real(36, 40, 2);
        if (!m) return m.status();
        auto d = whole(46, 47);
        if (!d) return d.status();
        auto am = real(49, 52, 1);
        if (!am) return am.status();
        r2 += " R.A.= " + io::fmt_i(*h, 3) + " " + io::fmt_f(*m, 5, 2) + "  " + " Decl.= " + sign + io::fmt_i(*d, 2) +
              " " + io::fmt_f(*am, 4, 1) + std::string(4, ' ');
    } else {
        auto h = whole(33, 34);
        if (!h) return h.status();
        auto m = whole(35, 37);
        if (!m) return m.status();
        auto s = real(38, 43, 2);
        if (!s) return s.status();
        auto d = whole(46, 47);
        if (!d) return d.status();
        auto am = whole(48, 50);
        if (!am) return am.status();
        auto as = real(51, 55, 1);
        if (!as) return as.status();
        r2 += " R.A.= " + io::fmt_i(*h, 3) + io::fmt_i(*m, 3) + " " + io::fmt_f(*s, 5, 2) + "  " + " Decl.= " + sign +
              io::fmt_i(*d, 2) + io::fmt_i(*am, 3) + " " + io::fmt_f(*as, 4, 1);
    }
    rec[1] = std::move(r2);
    for (auto& r : rec) {
        r = io::pad(r, PlateObjectLine::kTextWidth);
        zero_before_points(r);
    }
    return rec;
}

}  // namespace zelvomat
