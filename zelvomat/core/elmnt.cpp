// Osculating elements of the yearly element files (elmnt), their writer, and
// the element sets of the NElem export. Layouts in elmnt.h.
//
// The search for the set nearest a date scans the object's consecutive sets
// in ascending order of epoch and stops as soon as the distance in time stops
// decreasing; with the files mapped, a set is read at byte (s-1) x 56 of
// "el<YYYY>", whatever record it lies in. Every value taken from the files is
// known to be a finite number before it is used.
#include "core/elmnt.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>
#include <string>

#include "core/corestate.h"
#include "core/datajd.h"
#include "core/elemcache.h"
#include "core/utils.h"
#include "io/bytes.h"
#include "io/errchan.h"
#include "io/fields.h"
#include "io/files.h"
#include "io/recfile.h"
#include "zelvomat/zelvomat.h"

namespace zelvomat {

using namespace yearly;

void close_element_files(ElementCache& c) {
    c.years.clear();
    c.data_dir.clear();
}

namespace {

// The dates around the one asked for over which every decision of the search
// comes out the same (JdSpan of elmnt_set_span): each comparison of the date
// with a threshold narrows it to the threshold's side the date lies on, kept
// clear of the threshold by kSpanGuard days (rounding of jd - epoch).
constexpr double kSpanGuard = 1e-6;
struct SpanTrack {
    double jd = 0.0;
    double lo = -std::numeric_limits<double>::infinity();
    double hi = std::numeric_limits<double>::infinity();
    // Records that jd lies on its side of thr.
    void side(double thr) {
        if (jd > thr)
            lo = std::max(lo, thr + kSpanGuard);
        else
            hi = std::min(hi, thr - kSpanGuard);
    }
    // Records the outcome of |jd - a| < |jd - b| (or <=): jd's side of the
    // middle of a and b; equal dates give the same outcome at every date.
    void nearer(double a, double b) {
        if (a != b) side(0.5 * (a + b));
    }
};

// ---- The mapped files ------------------------------------------------------------

// The files of a calendar year, mapped on first use. A year whose files are
// missing comes back with present = false.
Result<const YearlyFiles*> year_files(ElementCache& c, std::string_view data_dir, std::int32_t year) {
    const std::string_view dir = io::trim_right(data_dir);
    if (dir != c.data_dir) {
        c.years.clear();
        c.data_dir = std::string(dir);
    }
    // Once per exported call: a file cut since it was mapped drops every
    // mapping (a read past the new end would fault).
    if (c.checked_call != export_calls()) {
        c.checked_call = export_calls();
        for (const YearlyFiles& y : c.years)
            if (y.present && (!y.index.whole() || !y.sets.whole())) {
                c.years.clear();
                break;
            }
    }
    for (const YearlyFiles& y : c.years)
        if (y.year == year) return &y;
    YearlyFiles y;
    y.year = year;
    const std::string index_path = io::find_file(c.data_dir, files::yearly_index(year));
    const std::string sets_path = io::find_file(c.data_dir, files::yearly_elements(year));
    if (io::file_exists(index_path) && io::file_exists(sets_path)) {
        auto index = io::MappedFile::open(index_path);
        if (!index)
            return error_status("The yearly element index " + index_path + " cannot be read: " + index.message());
        auto sets = io::MappedFile::open(sets_path);
        if (!sets) return error_status("The yearly element file " + sets_path + " cannot be read: " + sets.message());
        y.index = std::move(*index);
        y.sets = std::move(*sets);
        y.present = true;
    }
    c.years.push_back(std::move(y));
    return &c.years.back();
}

// ---- One year's search -----------------------------------------------------------

enum class YearOutcome {
    NoSets,   // no set of the object that year (index word below 1000, or no files)
    NoCount,  // a first set is given but the count is 0
    Found,
};

struct YearScan {
    YearOutcome outcome = YearOutcome::NoSets;
    std::int32_t index = 0;  // package-year index (1 = first package year)
    std::int64_t first = 0;
    std::int32_t count = 0;
    double best = 0.0;  // jd - epoch of the nearest set, days
    ElementSet set{};   // the nearest set
};

// Set k (0-based) of the sets from bytes on.
ElementSet read_set(io::Bytes sets, std::size_t k) {
    const io::Bytes b = sets.subspan(k * kSetBytes, kSetBytes);
    ElementSet e{};
    e[0] = io::get_f64(b, kSetEpoch);
    for (std::size_t i = 0; i < 6; ++i) e[i + 1] = io::get_f64(b, kSetElements + 8 * i);
    return e;
}

// The sets of object n in a year's files, by its index word: the index of
// its first set (0: none) and their count. The index must hold the object's
// word, the word must not be negative, and the sets must lie in the file.
struct ObjectSets {
    std::int64_t first = 0;
    std::int32_t count = 0;
};
Result<ObjectSets> object_sets(const YearlyFiles& y, std::int32_t n) {
    auto v = yearly_index_word(y.index.bytes(), n, y.index.path());
    if (!v) return v.status();
    ObjectSets r;
    r.first = *v / kCountFactor;
    r.count = static_cast<std::int32_t>(*v - r.first * kCountFactor);
    const std::int64_t last = r.first + r.count - 1;
    if (r.first > 0 && r.count > 0 && static_cast<std::uint64_t>(last) * kSetBytes > y.sets.bytes().size())
        return error_status("The yearly element file " + y.sets.path() + " has no set " + std::to_string(last) +
                            " (object " + std::to_string(n) + ").");
    return r;
}

// The set of object n in package year `index` nearest jd.
Result<YearScan> scan_year(ElementCache& cache, const PackageInfo& info, std::int32_t n, double jd, std::int32_t index,
                           std::string_view data_dir, SpanTrack* track) {
    YearScan r;
    r.index = index;
    const std::int32_t years = info.last_year - info.first_year + 1;
    if (index < 1 || index > years) return r;  // outside the package: no files
    auto files = year_files(cache, data_dir, info.first_year + index - 1);
    if (!files) return files.status();
    const YearlyFiles& y = **files;
    if (!y.present) return r;
    auto sets = object_sets(y, n);
    if (!sets) return sets.status();
    r.first = sets->first;
    r.count = sets->count;
    if (r.first == 0) return r;
    if (r.count == 0) {
        r.outcome = YearOutcome::NoCount;
        return r;
    }
    // The object's sets (object_sets has checked that they lie in the file).
    const io::Bytes el = y.sets.bytes().subspan(static_cast<std::size_t>(r.first - 1) * kSetBytes,
                                                static_cast<std::size_t>(r.count) * kSetBytes);
    auto damaged = [&](std::int64_t set) {
        return error_status("The yearly element file " + y.sets.path() + " is damaged: set " + std::to_string(set) +
                            " (object " + std::to_string(n) + ") holds a value that is not a number.");
    };
    auto epoch = [&](std::size_t k) { return io::get_f64(el, k * kSetBytes + kSetEpoch); };
    // Ascending epochs: the distance falls until the nearest set, then rises.
    std::size_t best_k = 0;
    if (!std::isfinite(epoch(0))) return damaged(r.first);
    double best = jd - epoch(0);
    for (std::size_t k = 1; k < static_cast<std::size_t>(r.count); ++k) {
        if (!std::isfinite(epoch(k))) return damaged(r.first + static_cast<std::int64_t>(k));
        const double dt = jd - epoch(k);
        if (track) track->nearer(epoch(k), epoch(k - 1));
        if (!(std::fabs(dt) < std::fabs(best))) break;
        best = dt;
        best_k = k;
    }
    r.outcome = YearOutcome::Found;
    r.best = best;
    r.set = read_set(el, best_k);
    for (double x : r.set)
        if (!std::isfinite(x)) return damaged(r.first + static_cast<std::int64_t>(best_k));
    return r;
}

bool is_accepted(const ElementCache& cache, const YearScan& s, SpanTrack* track) {
    const double tol = kAcceptWindowDays / s.count;
    if (track) {
        const double epoch = s.set[0];
        track->side(epoch - tol);
        track->side(epoch + tol);
    }
    if (std::fabs(s.best) <= tol) return true;
    // Settings record 8 has a value for the first five package years only.
    const std::array<std::int32_t, 5>& values = cache.values;
    return s.index >= 1 && s.index <= static_cast<std::int32_t>(values.size()) && values[s.index - 1] < s.first;
}

// The catalogue's set.
Status from_catalogue(const CatalogueState& cat, PackageInfo& info, std::int32_t n, ElementSet& set,
                      ElementFlags& flags) {
    auto e = catelem(cat, n);
    if (!e) return e.status();
    info.catalogue_epoch = (*e)[0];
    set = *e;
    flags.from_catalogue = true;
    flags.accepted = false;
    return ok_status();
}

}  // namespace

Result<std::vector<ElementSet>> yearly_sets(ElementCache& cache, std::int32_t n, std::int32_t year,
                                            std::string_view data_dir) {
    auto files = year_files(cache, data_dir, year);
    if (!files) return files.status();
    const YearlyFiles& y = **files;
    std::vector<ElementSet> out;
    if (!y.present || n < 1) return out;
    auto sets = object_sets(y, n);
    if (!sets) return sets.status();
    for (std::int64_t s = sets->first; sets->first > 0 && s < sets->first + sets->count; ++s) {
        const ElementSet set = read_set(y.sets.bytes(), static_cast<std::size_t>(s - 1));
        for (double x : set)
            if (!std::isfinite(x))
                return error_status("The yearly element file " + y.sets.path() + " is damaged: set " +
                                    std::to_string(s) + " (object " + std::to_string(n) +
                                    ") holds a value that is not a number.");
        out.push_back(set);
    }
    return out;
}

// ---- elmnt -----------------------------------------------------------------------

Result<std::int64_t> yearly_index_word(std::span<const std::uint8_t> ad, std::int32_t n, const std::string& path) {
    const bool wide = ad.size() >= kWideIndexHeader && io::get_i32(ad, 0) == kWideIndexMarker;
    const std::size_t length = wide ? kWideIndexRecord : kIndexRecord;
    const std::size_t at =
        wide ? kWideIndexHeader + static_cast<std::size_t>(n - 1) * length : static_cast<std::size_t>(n - 1) * length;
    if (n < 1 || at + length > ad.size())
        return error_status("The yearly element index " + path + " has no record for object " + std::to_string(n) +
                            ".");
    const std::int64_t v = wide ? io::get_le<std::int64_t>(ad, at) : io::get_i32(ad, at);
    if (v < 0)
        return error_status("The yearly element index " + path + " is damaged: record " + std::to_string(n) +
                            " holds " + std::to_string(v) + ".");
    return v;
}

OrbitElementsArray elements_at(const ElementSet& set, double jd) {
    OrbitElementsArray elements{};
    for (std::size_t i = 0; i < 6; ++i) elements[i] = set[i + 1];
    elements[0] = set[1] + set[6] * (jd - set[0]);
    return elements;
}

Status elmnt(CoreState& core, std::int32_t n, double jd, std::int32_t year, OrbitElementsArray& elements,
             ElementFlags& flags, std::string_view data_dir) {
    ElementSet set{};
    ZEL_TRY(elmnt_set(core, n, jd, year, set, flags, data_dir));
    if (!flags.bad_number) elements = elements_at(set, jd);
    return ok_status();
}

namespace {

Status element_set_search(CoreState& core, std::int32_t n, double jd, std::int32_t year, ElementSet& set,
                          ElementFlags& flags, std::string_view data_dir, SpanTrack* track) {
    flags = {};
    const PackageInfo& info = core.package;
    if (n < 1 || n > info.objects) {
        flags.bad_number = true;
        return ok_status();
    }
    if (track) {
        track->side(info.j1 - kSpanMarginDays);
        track->side(info.j2 + kSpanMarginDays);
    }
    if (!(jd >= info.j1 - kSpanMarginDays && jd < info.j2 + kSpanMarginDays))
        return from_catalogue(core.catalogue, core.package, n, set, flags);

    const std::int32_t years = info.last_year - info.first_year + 1;
    // The calendar date of jd, when it is needed: its year when no year is
    // given, its month when the year searched first has no set.
    int cal_year = 0, month = 0;
    auto calendar = [&] {
        if (month != 0) return;
        const double day = std::floor(jd);
        int mday = 0;
        double day_fraction = 0;
        jdcal(day_number(day), jd - day, cal_year, month, mday, day_fraction);
        if (track) {  // the calendar month of jd
            std::int32_t d0 = 0, d1 = 0;
            double f0 = 0.0, f1 = 0.0;
            caljd(cal_year, month, 1, 0.0, d0, f0, DayStart::Civil);
            caljd(month == 12 ? cal_year + 1 : cal_year, month == 12 ? 1 : month + 1, 1, 0.0, d1, f1, DayStart::Civil);
            track->side(d0 + f0);
            track->side(d1 + f1);
        }
    };
    if (year == 0) calendar();
    // Package-year index of the year searched first. A year far outside the
    // package is brought nearer: every year it leads to lies outside anyway.
    const std::int64_t k64 = static_cast<std::int64_t>(year != 0 ? year : cal_year) - info.first_year + 1;
    const std::int32_t k = static_cast<std::int32_t>(std::clamp<std::int64_t>(k64, -5, std::max(years, 0) + 6));

    // The year of the date, then its neighbours, until one holds sets.
    std::int32_t cur = k;
    YearScan found;
    for (int attempt = 1;; ++attempt) {
        auto scan = scan_year(core.element_cache, info, n, jd, cur, data_dir, track);
        if (!scan) return scan.status();
        if (scan->outcome == YearOutcome::Found) {
            found = *scan;
            break;
        }
        if (scan->outcome == YearOutcome::NoCount || attempt >= 3)
            return from_catalogue(core.catalogue, core.package, n, set, flags);
        if (attempt == 1) {
            calendar();
            cur += month >= 7 ? 1 : -1;
        } else {
            std::int32_t next = 0;
            for (std::int32_t d : {-1, 1, -2, 2})
                if (cur + d >= 1 && cur + d <= years && cur + d != k) {
                    next = cur + d;
                    break;
                }
            if (next == 0) return from_catalogue(core.catalogue, core.package, n, set, flags);
            cur = next;
        }
    }
    if (is_accepted(core.element_cache, found, track)) {
        set = found.set;
        flags.accepted = true;
        return ok_status();
    }

    // Not accepted: when the date lies nearer the object's previous or next
    // opposition than this set's, that opposition's set is in a neighbouring
    // year's file. q is half the synodic period with respect to the Earth.
    const double n_deg = found.set[6] * kDegPerRad;
    const double q = std::fabs(360.0 / (kEarthMotionDegPerDay - n_deg) / 2.0);
    const double w = kAcceptWindowDays * (1.0 - 1.0 / found.count);
    const bool later = found.best > q - w;
    const bool earlier = found.best < w - q;
    if (track) {
        const double epoch = found.set[0];
        track->side(epoch + q - w);
        track->side(epoch + w - q);
        track->side(epoch);
    }
    std::int32_t other = 0;
    // Both can hold only when q < w; the sign of the distance decides then.
    if (later && (!earlier || found.best >= 0)) {
        other = found.index + 1;
        if (other == k) ++other;
    } else if (earlier) {
        other = found.index - 1;
        if (other == k) --other;
    }
    if (other >= 1 && other <= years) {
        auto scan = scan_year(core.element_cache, info, n, jd, other, data_dir, track);
        if (!scan) return scan.status();
        if (scan->outcome == YearOutcome::Found) {
            if (is_accepted(core.element_cache, *scan, track)) {
                set = scan->set;
                flags.accepted = true;
                return ok_status();
            }
            if (track) track->nearer(scan->set[0], found.set[0]);
            if (std::fabs(scan->best) <= std::fabs(found.best)) found = *scan;
        }
    }
    set = found.set;
    return ok_status();
}

}  // namespace

Status elmnt_set(CoreState& core, std::int32_t n, double jd, std::int32_t year, ElementSet& set, ElementFlags& flags,
                 std::string_view data_dir) {
    return element_set_search(core, n, jd, year, set, flags, data_dir, nullptr);
}

Status elmnt_set_span(CoreState& core, std::int32_t n, double jd, std::int32_t year, ElementSet& set,
                      ElementFlags& flags, JdSpan& span, std::string_view data_dir) {
    SpanTrack track;
    track.jd = jd;
    ZEL_TRY(element_set_search(core, n, jd, year, set, flags, data_dir, &track));
    span.lo = track.lo;
    span.hi = track.hi;
    if (!(span.lo <= jd && jd <= span.hi)) span.lo = span.hi = jd;  // a date on a threshold: that date alone
    return ok_status();
}

// ---- Element sets of NElem -----------------------------------------------------------

Result<OrbitElementsArray> read_planet_elements(std::string_view data_dir, int k) {
    if (k < 1 || k > orbelm::kPlanets) return error_status("There is no major planet " + std::to_string(k) + ".");
    const std::string path = io::find_file(io::trim_right(data_dir), files::kPlanetElements);
    auto fail = [&](const std::string& why) {
        return error_status("The planet elements file " + path + " cannot be read: " + why);
    };
    auto f = io::RecordFile::open(path, orbelm::kRecordLength, io::OpenMode::Read);
    if (!f) return fail(f.message());
    std::uint8_t rec[orbelm::kRecordLength];
    if (Status s = f->read(k, rec); !s) return fail(s.message());
    OrbitElementsArray e{};
    for (std::size_t i = 0; i < 6; ++i) {
        e[i] = io::get_f64(rec, 8 * i);
        if (!std::isfinite(e[i])) return fail("planet " + std::to_string(k) + " holds a value that is not a number");
    }
    return e;
}

Result<ElementSet> object_element_set(const CatalogueState& cat, std::int32_t n) {
    if (n >= 1) return catelem(cat, n);
    const int k = n + 100;
    if (k < 1 || k > orbelm::kPlanets)
        return error_status("Object number " + std::to_string(n) +
                            " is neither a catalogue object nor a major planet (" + "-99 Mercury .. -91 Pluto).");
    auto params = settings_params();
    if (!params) return params.status();
    const double epoch = params->catalogue_epoch;
    auto rec4 = read_settings_record(setpar::kRecDataDir);
    if (!rec4) return rec4.status();
    const std::string dir = io::get_text(*rec4, 0, setpar::kPathLength);
    auto el = read_planet_elements(dir, k);
    if (!el) return el.status();
    ElementSet set{};
    set[0] = epoch;
    for (std::size_t i = 0; i < 6; ++i) set[i + 1] = (*el)[i];
    return set;
}

// ---- Writer ----------------------------------------------------------------------------

YearlyElementsWriter::YearlyElementsWriter(std::int32_t objects)
    : index_(static_cast<std::size_t>(std::max<std::int32_t>(objects, 0)), 0) {}

Status YearlyElementsWriter::add(std::int32_t n, std::span<const ElementSet> sets) {
    if (n < 1 || static_cast<std::size_t>(n) > index_.size())
        return error_status("Object " + std::to_string(n) + " is outside the catalogue (1 .. " +
                            std::to_string(index_.size()) + ").");
    std::int64_t& word = index_[static_cast<std::size_t>(n - 1)];
    if (word != 0) return error_status("The sets of object " + std::to_string(n) + " were given before.");
    if (sets.empty()) return ok_status();
    if (sets.size() > static_cast<std::size_t>(kMaxSetsPerObject))
        return error_status("Object " + std::to_string(n) + " has " + std::to_string(sets.size()) +
                            " sets; a year holds at most 999 per object.");
    for (std::size_t i = 1; i < sets.size(); ++i)
        if (!(sets[i][0] > sets[i - 1][0]))
            return error_status("The sets of object " + std::to_string(n) + " are not in ascending order of epoch.");
    const std::int64_t first = sets_ + 1;
    word = first * kCountFactor + static_cast<std::int64_t>(sets.size());
    if (word > std::numeric_limits<std::int32_t>::max()) wide_ = true;
    for (const ElementSet& set : sets) {
        std::array<std::uint8_t, kSetBytes> b;
        io::put_f64(b, kSetEpoch, set[0]);
        for (std::size_t j = 0; j < 6; ++j) io::put_f64(b, kSetElements + 8 * j, set[j + 1]);
        bytes_.insert(bytes_.end(), b.begin(), b.end());
    }
    sets_ += static_cast<std::int64_t>(sets.size());
    return ok_status();
}

void YearlyElementsWriter::reserve(std::int64_t sets) {
    bytes_.reserve(static_cast<std::size_t>(std::max<std::int64_t>(sets, 0)) * kSetBytes);
}

Status YearlyElementsWriter::write(std::string_view dir, int year) const {
    if (year < 0 || year > 9999) return error_status("The year " + std::to_string(year) + " has no four digits.");
    std::vector<std::uint8_t> ad;
    if (wide_) {
        ad.resize(kWideIndexHeader + index_.size() * kWideIndexRecord);
        io::put_i32(ad, 0, kWideIndexMarker);
        for (std::size_t i = 0; i < index_.size(); ++i)
            io::put_le<std::int64_t>(ad, kWideIndexHeader + i * kWideIndexRecord, index_[i]);
    } else {
        ad.resize(index_.size() * kIndexRecord);
        for (std::size_t i = 0; i < index_.size(); ++i)
            io::put_i32(ad, i * kIndexRecord, static_cast<std::int32_t>(index_[i]));
    }
    const std::string d(io::trim_right(dir));
    // The sets' last record is filled up with zero bytes.
    const std::size_t filled = (bytes_.size() + kSetsRecord - 1) / kSetsRecord * kSetsRecord;
    static constexpr std::uint8_t kZeros[kSetsRecord] = {};
    const std::span<const std::uint8_t> parts[] = {bytes_, std::span(kZeros, filled - bytes_.size())};
    ZEL_TRY(io::write_file_parts(d + files::yearly_elements(year), parts));
    return io::write_file_bytes(d + files::yearly_index(year), ad);
}

}  // namespace zelvomat

// ---- Export ---------------------------------------------------------------------------

extern "C" ZELVOMAT_API void NElem(int n, double* elements) {
    zelvomat::export_guard([&] {
        if (n == 0) return zelvomat::ok_status();
        if (elements == nullptr) return zelvomat::error_status("NElem was given no element array.");
        zelvomat::CoreState& core = zelvomat::core_state();
        auto set = zelvomat::object_element_set(core.catalogue, n);
        if (!set) return set.status();
        std::copy(set->begin(), set->end(), elements);
        return zelvomat::ok_status();
    });
}
