// Opposition files, opposition dates of one object, the EMP opposition data.
// See oppos.h for the file layouts and the two senses of opposition.
#include "tasks/oppos.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <optional>

#include "core/corestate.h"
#include "core/datajd.h"
#include "core/destate.h"
#include "core/fallback.h"
#include "core/reade403.h"
#include "core/twobody.h"
#include "io/fields.h"
#include "io/files.h"
#include "io/mapfile.h"

namespace zelvomat {

// ---- Records and files ------------------------------------------------------------

void OppositionRecord::encode(io::MutBytes rec) const {
    io::put_f64(rec, kJdOff, jd);
    io::put_i32(rec, kNumberOff, number);
}

OppositionRecord OppositionRecord::decode(io::Bytes rec) {
    return {io::get_f64(rec, kJdOff), io::get_i32(rec, kNumberOff)};
}

Status OppositionFile::open(std::string_view data_dir, int year, std::int32_t count) {
    close();
    const std::string path = io::find_file(io::trim_right(data_dir), files::opposition_file(year));
    if (count < 0) return error_status("the settings give a negative record count for the opposition file " + path);
    auto f = io::RecordFile::open(path, OppositionRecord::kLength, io::OpenMode::Read);
    if (!f) return error_status("cannot open the opposition file " + path + ": " + f.message());
    auto have = f->record_count();
    if (!have) return have.status();
    if (*have < count)
        return error_status("the opposition file " + path + " holds " + std::to_string(*have) +
                            " records; the settings count " + std::to_string(count));
    file_ = std::move(*f);
    year_ = year;
    count_ = count;
    return ok_status();
}

void OppositionFile::close() {
    file_.close();
    year_ = 0;
    count_ = 0;
}

Result<OppositionRecord> OppositionFile::read(std::int32_t n) const {
    if (!file_.is_open()) return error_status("internal error: opposition file not open");
    if (n < 1 || n > count_)
        return error_status("record " + std::to_string(n) + " of the opposition file " + file_.path() +
                            " is beyond its " + std::to_string(count_) + " records");
    std::array<std::uint8_t, OppositionRecord::kLength> rec{};
    ZEL_TRY(file_.read(n, rec));
    const OppositionRecord r = OppositionRecord::decode(rec);
    ZEL_TRY(check_opposition_record(r, file_.path(), n));
    return r;
}

Result<std::vector<OppositionRecord>> OppositionFile::read_until(std::int32_t n, double last_jd) const {
    auto r = read(n);
    if (!r) return r.status();
    std::vector<OppositionRecord> out;
    if (r->jd > last_jd) return out;
    // Bisection: record lo is not later than last_jd; hi is, or lies past the end.
    std::int32_t lo = n, hi = count_ + 1;
    while (hi - lo >= 2) {
        const std::int32_t mid = lo + (hi - lo) / 2;
        auto m = read(mid);
        if (!m) return m.status();
        if (m->jd > last_jd)
            hi = mid;
        else
            lo = mid;
    }
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(lo - n + 1) * OppositionRecord::kLength);
    ZEL_TRY(file_.read_run(n, bytes));
    out.resize(static_cast<std::size_t>(lo - n + 1));
    for (std::size_t k = 0; k < out.size(); ++k) {
        out[k] = OppositionRecord::decode(
            io::Bytes(bytes).subspan(k * OppositionRecord::kLength, OppositionRecord::kLength));
        ZEL_TRY(check_opposition_record(out[k], file_.path(), n + static_cast<std::int64_t>(k)));
    }
    return out;
}

Status check_opposition_record(const OppositionRecord& r, const std::string& path, std::int64_t n) {
    if (!(r.jd > 0.0 && is_calendar_jd(r.jd)))
        return error_status("The opposition file " + path + " is damaged: record " + std::to_string(n) +
                            " holds no date.");
    return ok_status();
}

int year_of_jd(double jd) {
    // Dates outside the calendar's range count as its ends.
    if (!(jd >= -kLargestCalendarJd)) jd = -kLargestCalendarJd;
    if (jd > kLargestCalendarJd) jd = kLargestCalendarJd;
    const double whole = std::floor(jd);
    int y = 0, m = 0, d = 0;
    double f = 0.0;
    jdcal(day_number(whole), jd - whole, y, m, d, f);
    return y;
}

double new_year_jd(int year) {
    std::int32_t j = 0;
    double f = 0.0;
    caljd(year, 1, 1, 0.0, j, f, DayStart::Civil);
    return j + f;
}

namespace {
// Julian dates the calendar routines handle (years -4712 to about 1.36 million).
bool usable_jd(double jd) { return jd > 0.0 && is_calendar_jd(jd); }
}  // namespace

// ---- The mapped opposition files -------------------------------------------------------

struct OppositionYears::Year {
    int year = 0;
    std::int32_t count = 0;
    std::string path;
    io::MappedFile map;
};

OppositionYears::OppositionYears(std::string_view data_dir, const OppositionCounts& counts, int first_year,
                                 int last_year)
    : dir_(io::trim_right(data_dir)), counts_(counts), first_(first_year), last_(last_year) {}

OppositionYears::~OppositionYears() = default;

Result<const OppositionYears::Year*> OppositionYears::year(int y) {
    const std::lock_guard<std::mutex> hold(lock_);
    for (const auto& p : years_)
        if (p->year == y) return p.get();
    auto next = std::make_unique<Year>();
    next->year = y;
    next->count = counts_[static_cast<std::size_t>(y - first_)];
    if (next->count > 0) {
        next->path = io::find_file(dir_, files::opposition_file(y));
        auto m = io::MappedFile::open(next->path);
        if (!m) return error_status("The opposition file " + next->path + " cannot be read: " + m.message());
        if (m->bytes().size() / OppositionRecord::kLength < static_cast<std::size_t>(next->count))
            return error_status("The opposition file " + next->path + " holds fewer than its " +
                                std::to_string(next->count) + " records.");
        next->map = std::move(*m);
    }
    years_.push_back(std::move(next));
    return years_.back().get();
}

Result<OppositionRecord> OppositionYears::record(const Position& p, std::size_t k) {
    const OppositionRecord r =
        OppositionRecord::decode(p.records.subspan(k * OppositionRecord::kLength, OppositionRecord::kLength));
    ZEL_TRY(check_opposition_record(r, *p.path, static_cast<std::int64_t>(k + 1)));
    return r;
}

Result<std::optional<OppositionYears::Position>> OppositionYears::find(double jd) {
    if (!usable_jd(jd)) return std::optional<Position>();
    const int y = year_of_jd(jd);
    if (y < first_ || y > last_ || y - first_ >= static_cast<int>(counts_.size())) return std::optional<Position>();
    auto yr = year(y);
    if (!yr) return yr.status();
    Position p;
    p.count = static_cast<std::size_t>((*yr)->count);
    if (p.count == 0) return std::optional<Position>();
    p.records = (*yr)->map.bytes().first(p.count * OppositionRecord::kLength);
    p.path = &(*yr)->path;
    // Bisection: the first record whose date is not earlier than jd.
    std::size_t lo = 0, hi = p.count;
    while (lo < hi) {
        const std::size_t mid = lo + (hi - lo) / 2;
        auto r = record(p, mid);
        if (!r) return r.status();
        if (jd > r->jd)
            lo = mid + 1;
        else
            hi = mid;
    }
    if (lo == p.count) return std::optional<Position>();
    p.index = lo;
    return std::optional<Position>(p);
}

// ---- opfop ------------------------------------------------------------------------------

Status opfop(const OppositionCounts& year_counts, std::int16_t first_year, std::int16_t last_year, OppositionFile& file,
             std::string_view data_dir, double jd, std::int32_t& record, std::int32_t& err) {
    record = 0;
    err = 0;
    file.close();
    // 1. The year of jd inside the package years (and the five counts).
    const int y = usable_jd(jd) ? year_of_jd(jd) : first_year - 1;
    if (y < first_year || y > last_year || y - first_year >= static_cast<int>(year_counts.size())) {
        err = 1;
        return ok_status();
    }
    // 2. The file of the year with its count.
    ZEL_TRY(file.open(data_dir, y, year_counts[static_cast<std::size_t>(y - first_year)]));
    const std::int32_t n = file.count();
    auto fail = [&file](const Status& s) {
        file.close();
        return s;
    };
    if (n == 0) {
        file.close();
        return ok_status();
    }
    // 3. Bisection: record lo is earlier than jd; hi is not, or is the last.
    std::int32_t k = 1;
    auto first = file.read(1);
    if (!first) return fail(first.status());
    if (jd > first->jd) {
        std::int32_t lo = 1, hi = n;
        while (hi - lo >= 2) {
            const std::int32_t mid = lo + (hi - lo) / 2;
            auto r = file.read(mid);
            if (!r) return fail(r.status());
            if (r->jd < jd)
                lo = mid;
            else
                hi = mid;
        }
        k = hi;
    }
    // 4. Scan to the first record not earlier than jd.
    for (;; ++k) {
        auto r = file.read(k);
        if (!r) return fail(r.status());
        if (!(jd > r->jd)) {
            record = k;
            return ok_status();
        }
        if (k == n) break;
    }
    // 5. None.
    file.close();
    return ok_status();
}

// ---- Prdat ------------------------------------------------------------------------------

Status Prdat(std::int16_t first_year, std::int16_t last_year, OppositionFile& file, std::string_view data_dir,
             std::int32_t number, double& date, const OppositionCounts& year_counts) {
    const double lower = date - 1.0;
    const double upper = date + 1.0;
    if (!usable_jd(lower) || !usable_jd(upper)) return ok_status();
    // The window may begin before the first package year and end in it.
    int y = year_of_jd(lower);
    double jd = lower;
    if (y < first_year) {
        y = first_year;
        jd = new_year_jd(y);
    }
    while (jd <= upper) {
        std::int32_t record = 0, err = 0;
        ZEL_TRY(opfop(year_counts, first_year, last_year, file, data_dir, jd, record, err));
        if (err == 1) return ok_status();
        // Records from the first at or after jd to the end of the window,
        // read as one range: the window's end found by bisection first.
        if (record >= 1 && record <= file.count()) {
            auto range = file.read_until(record, upper);
            if (!range) {
                file.close();
                return range.status();
            }
            for (const OppositionRecord& r : *range)
                if (r.number == number) {
                    date = r.jd;
                    file.close();
                    return ok_status();
                }
            // A record past the window ends the search, even the object's
            // own: only dates within one day are taken.
            if (record - 1 + static_cast<std::int32_t>(range->size()) < file.count()) {
                file.close();
                return ok_status();
            }
        }
        // The year ends inside the window: on into the next year's file.
        file.close();
        if (y >= last_year) return ok_status();
        ++y;
        jd = new_year_jd(y);
    }
    return ok_status();
}

// ---- The Earth ----------------------------------------------------------------------------

Status earth_heliocentric(CoreState& core, double jd, Vec3& pos) {
    const DeState& de = core.de;
    if (jd >= de.first_jd && jd <= de.last_jd && de.last_jd > de.first_jd) {
        State9 s{};
        // File bodies: 3 the Earth, 11 the Sun.
        ZEL_TRY(bodystate(core.de, core.de_copies, core.data_paths, DeReader::Position, jd, 3, 11, s));
        pos = {s[0], s[1], s[2]};
        return ok_status();
    }
    StateVector s{};
    ZEL_TRY(eaa(jd, s));
    pos = {s[0], s[1], s[2]};
    return ok_status();
}

namespace {

// Two-body position of a catalogue element set at the Julian date t in the
// frame of eps (mass 0).
Status object_position(const ElementSet& el, double t, double eps, double tol, Vec3& pos) {
    const double e0 = std::floor(el[0]);
    const double t0 = std::floor(t);
    StateVector s{};
    ZEL_TRY(twobody(0.0, day_number(e0), el[0] - e0, OrbitElements::from(&el[1]), day_number(t0), t - t0, eps, s, tol));
    pos = {s[0], s[1], s[2]};
    return ok_status();
}

}  // namespace

Result<EarthTrack> earth_track(CoreState& core, double first_jd, double last_jd, double step) {
    if (!(step > 0.0) || !(last_jd >= first_jd)) return error_status("internal error: bad Earth grid");
    EarthTrack t;
    t.first_jd = first_jd;
    t.step = step;
    const auto n = static_cast<std::size_t>(std::ceil((last_jd - first_jd) / step)) + 1;
    t.equatorial.resize(n);
    for (std::size_t k = 0; k < n; ++k)
        ZEL_TRY(earth_heliocentric(core, first_jd + static_cast<double>(k) * step, t.equatorial[k]));
    return t;
}

// ---- Datopp -------------------------------------------------------------------------------

Status Datopp(CoreState& core, std::int32_t number, std::int16_t year, std::int16_t& count,
              std::array<double, 3>& dates) {
    count = 0;
    dates = {0.0, 0.0, 0.0};
    if (number < 1) return ok_status();
    const int comet = core.catalogue.comet_mode != 0 ? 1 : 0;
    const double h = comet ? 2.0 : 1.0;
    const double tol = kepler_tolerance(comet);

    // The year and the grid: S and E on whole tens of days (day numbers of
    // 1 January 0h), half a day after the day number, beyond both ends.
    std::int32_t d1 = 0, d2 = 0;
    double f1 = 0.0, f2 = 0.0;
    caljd(year, 1, 1, 0.0, d1, f1, DayStart::Civil);
    caljd(year + 1, 1, 1, 0.0, d2, f2, DayStart::Civil);
    const double j1 = d1 + f1, j2 = d2 + f2;
    const double s = 10.0 * (d1 / 10) + 0.5;
    const double e = 10.0 * (d2 / 10) + 10.5;
    const auto n = static_cast<int>((e - s + h) / h);

    auto el = catelem(core.catalogue, number);
    if (!el) return el.status();

    std::array<double, 3> found{};
    std::int16_t c = 0;
    double prev = 0.0;
    for (int k = 0; k < n; ++k) {
        const double t = s + k * h;
        Vec3 x{}, X{};
        ZEL_TRY(object_position(*el, t, kObliquityJ2000, tol, x));
        ZEL_TRY(earth_heliocentric(core, t, X));
        const double r = std::hypot(x[0], x[1]);
        const double R = std::hypot(X[0], X[1]);
        const double dot = X[0] * x[0] + X[1] * x[1];
        const double cross = X[1] * x[0] - X[0] * x[1];
        // A sign change of the cross product, the object on the Earth's side
        // of the Sun and farther out. A crossing exactly at a grid date is
        // taken there, not again at the next date.
        if (k > 0 && prev != 0.0 && prev * cross <= 0.0 && dot > 0.0 && R <= r) {
            const double to = t - h * cross / (cross - prev);
            if (to > j1 && to < j2 && c < 3) found[static_cast<std::size_t>(c++)] = to;
        }
        prev = cross;
    }
    count = c;
    dates = found;
    return ok_status();
}

// ---- Oppositions of an orbit given by element sets ------------------------------------

namespace {

// The projections on the equator of the object (x) and the Earth (X).
struct Geometry {
    double cross;  // X y - Y x: R r sin(heliocentric R.A. of the object - of the Earth)
    double dot;    // X x + Y y
    double r, R;   // distances from the Sun in the equator plane
};

Geometry geometry(const Vec3& x, const Vec3& X) {
    return {X[0] * x[1] - X[1] * x[0], X[0] * x[0] + X[1] * x[1], std::hypot(x[0], x[1]), std::hypot(X[0], X[1])};
}

// The set of orbit whose epoch lies nearest t (the earlier on a tie).
const ElementSet& nearest_set(std::span<const ElementSet> orbit, double t) {
    const auto later =
        std::lower_bound(orbit.begin(), orbit.end(), t, [](const ElementSet& s, double jd) { return s[0] < jd; });
    if (later == orbit.begin()) return orbit.front();
    if (later == orbit.end()) return orbit.back();
    const auto earlier = later - 1;
    return (*later)[0] - t < t - (*earlier)[0] ? *later : *earlier;
}

Status orbit_position(std::span<const ElementSet> orbit, double t, Vec3& pos) {
    return object_position(nearest_set(orbit, t), t, kObliquityJ2000, kKeplerTol, pos);
}

Result<Geometry> geometry_at(CoreState& core, std::span<const ElementSet> orbit, double t) {
    Vec3 x{}, X{};
    ZEL_TRY(orbit_position(orbit, t, x));
    ZEL_TRY(earth_heliocentric(core, t, X));
    return geometry(x, X);
}

}  // namespace

Status opposition_times(CoreState& core, std::span<const ElementSet> orbit, const EarthTrack& earth, double from_jd,
                        double to_jd, std::vector<double>& out) {
    if (orbit.empty()) return error_status("internal error: an orbit without element sets");
    const double h = earth.step;
    const auto size = static_cast<std::int64_t>(earth.equatorial.size());
    const auto k0 = static_cast<std::int64_t>(std::floor((from_jd - earth.first_jd) / h)) - 1;
    const auto k1 = static_cast<std::int64_t>(std::ceil((to_jd - earth.first_jd) / h)) + 1;
    if (k0 < 0 || k1 >= size) return error_status("internal error: the Earth grid does not cover the dates");

    double t_prev = 0.0;
    Geometry g_prev{};
    for (std::int64_t k = k0; k <= k1; ++k) {
        const double t = earth.first_jd + static_cast<double>(k) * h;
        Vec3 x{};
        ZEL_TRY(orbit_position(orbit, t, x));
        const Geometry g = geometry(x, earth.equatorial[static_cast<std::size_t>(k)]);
        // A sign change of the cross product between t_prev and t (a zero at
        // t counts here, a zero at t_prev was counted before), the object on
        // the Earth's side of the Sun at one end at least (a conjunction,
        // with the object beyond the Sun, changes the sign too).
        if (k > k0 && g_prev.cross != 0.0 && g_prev.cross * g.cross <= 0.0 && (g.dot > 0.0 || g_prev.dot > 0.0)) {
            // Refined by regula falsi with the Illinois modification to
            // 1e-6 day (the step of the last iteration or the bracket).
            double a = t_prev, fa = g_prev.cross, b = t, fb = g.cross;
            double root = b;
            Geometry at = g;
            int side = 0;
            for (int it = 0; it < 100 && fb != 0.0; ++it) {
                const double c = (a * fb - b * fa) / (fb - fa);
                auto gc = geometry_at(core, orbit, c);
                if (!gc) return gc.status();
                const double moved = std::fabs(c - root);
                root = c;
                at = *gc;
                if (gc->cross == 0.0) break;
                if ((gc->cross > 0.0) == (fb > 0.0)) {
                    b = c;
                    fb = gc->cross;
                    if (side == -1) fa /= 2.0;
                    side = -1;
                } else {
                    a = c;
                    fa = gc->cross;
                    if (side == 1) fb /= 2.0;
                    side = 1;
                }
                if (moved < 1e-7 || b - a < 1e-6) break;
            }
            // Opposition, not conjunction: the object on the Earth's side of
            // the Sun and farther from it.
            if (at.dot > 0.0 && at.r > at.R && root >= from_jd && root < to_jd) out.push_back(root);
        }
        t_prev = t;
        g_prev = g;
    }
    return ok_status();
}

// ---- opls1.dat ------------------------------------------------------------------------------

std::string opls_object_line(std::int32_t number, std::int16_t count) {
    return io::fmt_i(number, 6) + io::fmt_i(count, 2);
}

std::string opls_date_line(double jd) { return io::fmt_f(jd, 12, 3); }

Result<OplsObject> read_opls_object_line(std::string_view line) {
    const std::string number = io::column(line, 1, 6), count = io::column(line, 7, 2);
    auto n = io::read_int(number);
    auto c = io::read_int(count);
    if (!n || !c || io::is_blank(number) || io::is_blank(count) || *c < 0 || *c > 3 || *n < INT32_MIN ||
        *n > INT32_MAX || !io::is_blank(line.substr(std::min<std::size_t>(line.size(), 8))))
        return error_status("not an object line of " + std::string(files::kOppositionDates) + ": " + std::string(line));
    return OplsObject{static_cast<std::int32_t>(*n), static_cast<std::int16_t>(*c)};
}

Result<double> read_opls_date_line(std::string_view line) {
    // As opls_date_line writes it: the date with its point and three
    // decimals, nothing after column 12. A line cut short or run together
    // with the next one is no date.
    const std::string field = io::column(line, 1, 12);
    const std::size_t point = field.find('.');
    auto v = io::read_real(field, 3);
    if (!v || point == std::string::npos || point == 0 || field[point - 1] < '0' || field[point - 1] > '9' ||
        field.find_first_not_of("0123456789", point + 1) != std::string::npos || field.size() - point - 1 != 3 ||
        !usable_jd(*v) || !io::is_blank(line.substr(std::min<std::size_t>(line.size(), 12))))
        return error_status("not a date line of " + std::string(files::kOppositionDates) + ": " + std::string(line));
    return *v;
}

// ---- EMP ------------------------------------------------------------------------------------

EmpephRecord EmpephRecord::decode(io::Bytes rec) {
    EmpephRecord r;
    const std::string month = io::get_text(rec, kMonthOff, kMonthLen);
    auto m = io::read_int(month);
    r.month = m ? static_cast<int>(*m) : 0;
    r.text_a = io::get_text(rec, kTextAOff, kTextALen);
    r.text_b = io::get_text(rec, kTextBOff, kTextBLen);
    r.text_c = io::get_text(rec, kTextCOff, kTextCLen);
    r.year2 = io::get_text(rec, kYearOff, kYearLen);
    r.tail = io::get_text(rec, kTailOff, kTailLen);
    return r;
}

std::string EmpephRecord::date_text() const {
    auto y = io::read_int(year2);
    std::string s = (y && *y < 51) ? "20" : "19";
    s += year2;
    s += (!tail.empty() && tail[0] == 'C') ? '-' : ' ';
    s += tail;
    return s;
}

Result<std::optional<EmpephRecord>> emp_record(const io::RecordFile& empeph, std::int32_t number, int month,
                                               std::int32_t objects, std::span<const std::int32_t> extra_list) {
    auto have = empeph.record_count();
    if (!have) return have.status();
    auto read = [&](std::int64_t n) -> Result<EmpephRecord> {
        std::array<std::uint8_t, EmpephRecord::kLength> rec{};
        ZEL_TRY(empeph.read(n, rec));
        return EmpephRecord::decode(rec);
    };
    if (number < 1 || number > *have) return std::optional<EmpephRecord>{};
    auto r = read(number);
    if (!r) return r.status();
    EmpephRecord last = *r;
    if (last.month == month) return std::optional<EmpephRecord>{last};
    for (std::size_t i = 0; i < extra_list.size() && extra_list[i] != 0; ++i) {
        if (extra_list[i] != number) continue;
        const std::int64_t n = static_cast<std::int64_t>(objects) + static_cast<std::int64_t>(i) + 1;
        if (n > *have) break;
        auto x = read(n);
        if (!x) return x.status();
        last = *x;
        if (last.month == month) break;
    }
    return std::optional<EmpephRecord>{last};
}

}  // namespace zelvomat
