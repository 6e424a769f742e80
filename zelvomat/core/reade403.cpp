// Reader of the planetary ephemeris file: file access, the states of the
// file's bodies (recstate, bodystate) and the two entry routines reade403 and
// read403b. See reade403.h for units, frames and numbering.
#include "core/reade403.h"

#include <algorithm>
#include <cmath>

#include "core/catalog.h"
#include "core/corestate.h"
#include "core/elemcache.h"
#include "core/setpar.h"
#include "core/simd.h"
#include "io/errchan.h"
#include "io/fields.h"
#include "io/files.h"
#include "zelvomat/zelvomat.h"

namespace zelvomat {

namespace {

// File body numbers.
constexpr int kFileEarth = 3;
constexpr int kFileMoon = 10;
constexpr int kFileSun = 11;
constexpr int kFileBarycentre = 12;
constexpr int kFileEmb = 13;
constexpr int kFileBodies = 13;
constexpr std::size_t kSunRow = 10;  // row 11 of the record table

std::string jd_text(double jd) { return std::string(io::trim(io::fmt_f(jd, 20, 5))); }

DeCopy& copy_of(DeCopies& copies, DeReader which) {
    return which == DeReader::Position ? copies.position : copies.force;
}

std::int32_t& record_of(DeState& de, DeReader which) {
    return which == DeReader::Position ? de.record_held : de.record_held_force;
}

void release_copies(DeCopies& copies) {
    for (DeCopy* c : {&copies.position, &copies.force}) {
        c->file.reset();
        c->loaded = 0;
        c->record.reset();
    }
}

// Makes record r the copy's record: opens the file when none is open, reads
// the record (unless the copy holds it already from the same file) and checks
// that its dates are those the span gives it. A file that has changed under
// the library is reported and closed, so that the next request opens it as it
// stands then.
Status load_record(DeState& de, DeCopies& copies, const DataPaths& paths, DeCopy& cp, std::int32_t r) {
    if (!de.file) ZEL_TRY(de_open(de, copies, paths));
    const EphemerisFile& file = *de.file;
    if (cp.file != de.file || cp.loaded != r) {
        // A record past the end of the file as it was opened may be there
        // now: the file as it stands decides.
        if (r < 1 || (r > file.record_count() && r > file.records_now()))
            return error_status("Record " + std::to_string(r) + " of the planetary ephemeris file \"" + file.path() +
                                "\" is missing: the file has " + std::to_string(file.records_now()) +
                                " records of 8144 bytes.");
        cp.loaded = 0;
        auto rec = file.record(r);
        if (!rec) {
            const Status s = rec.status();
            de_close(de, copies);
            return s;
        }
        cp.record = std::move(*rec);
        cp.file = de.file;
        cp.loaded = r;
    }
    const double* rec = cp.record->data();
    const double start = de.first_jd + kDeRecordDays * (r - kDeFirstDataRecord);
    if (rec[0] != start || rec[1] != start + kDeRecordDays)
        return error_status("The planetary ephemeris file \"" + file.path() +
                            "\" does not agree with the span of the settings file: its record " + std::to_string(r) +
                            " covers JD " + jd_text(rec[0]) + " to " + jd_text(rec[1]) + " instead of JD " +
                            jd_text(start) + " to " + jd_text(start + kDeRecordDays) + ".");
    return ok_status();
}

std::span<const double> block_of(const DeCopy& cp, const EphemerisRecordRow& row) {
    const std::size_t first = static_cast<std::size_t>(row.first_word - 1);
    return std::span<const double>(*cp.record).subspan(first);
}

void subtract(State9& a, const State9& b) {
    for (std::size_t i = 0; i < 9; ++i) a[i] -= b[i];
}

}  // namespace

int de_file_body(BodyCode b) {
    switch (b) {
        case BodyCode::Barycentre:
            return kFileBarycentre;
        case BodyCode::Sun:
            return kFileSun;
        case BodyCode::Moon:
            return kFileMoon;
        case BodyCode::EarthMoonBarycentre:
            return kFileEmb;
        default:
            break;
    }
    const int k = static_cast<int>(b);
    return (k >= 1 && k <= 9) ? k : 0;
}

Status de_open(DeState& de, DeCopies& copies, const std::string& path) {
    de_close(de, copies);
    auto f = EphemerisFile::open(path);
    if (!f) return error_status("The planetary ephemeris file cannot be opened: " + f.message());
    de.file = std::move(*f);
    return ok_status();
}

Status de_open(DeState& de, DeCopies& copies, const DataPaths& paths) {
    const std::string path(io::trim(paths.ephemeris_path));
    if (path.empty())
        return error_status("The planetary ephemeris file is not known: the package settings have not been loaded.");
    const std::size_t slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return de_open(de, copies, io::find_file(dir, name));
}

void de_close(DeState& de, DeCopies& copies) {
    de.file.reset();
    de.forget_records();
    release_copies(copies);
}

namespace {

// The data record r holding the Julian date t, and the fraction tr of the
// record at t.
Status place_date(const DeState& de, double t, std::int32_t& r, double& tr) {
    // The date against the span of the file; records 1 and 2 (the header) and
    // anything past the last record are never read as coefficients.
    if (!(t >= de.first_jd && t <= de.last_jd && de.first_jd < de.last_jd))
        return error_status("The date JD " + jd_text(t) + " is outside the span of the planetary ephemeris file (JD " +
                            jd_text(de.first_jd) + " to " + jd_text(de.last_jd) + ").");

    // Midnight date a and fraction f of the day; record and fraction of it.
    auto [a, f] = splitjd(t - 0.5);
    a += 0.5;
    const double records = std::trunc((a - de.first_jd) / kDeRecordDays);
    if (!(records >= 0.0 && records < 1.0e9))
        return error_status("The date JD " + jd_text(t) +
                            " cannot be placed in a record of the planetary ephemeris file.");
    r = static_cast<std::int32_t>(records) + kDeFirstDataRecord;
    if (a == de.last_jd) --r;  // the last instant belongs to the last record
    tr = (a - ((r - kDeFirstDataRecord) * kDeRecordDays + de.first_jd) + f) / kDeRecordDays;
    if (!(tr >= 0.0 && tr <= 1.0))
        return error_status("The date JD " + jd_text(t) +
                            " cannot be placed in a record of the planetary ephemeris "
                            "file: the span of the settings file does not start at midnight.");
    return ok_status();
}

// One row's position components at a date, for cheb_positions.
struct ChebRow {
    const double* block;  // the row's words in the record
    int n;                // coefficients per component
    int subintervals;
    double* out;  // the three components, units of the coefficients
};

// Chebyshev polynomials T_0 .. T_(n-1) at one date for the rows of one
// sub-interval count: the rows of a record that share it share them.
struct ChebPolys {
    int subintervals = 0;  // 0: none yet
    int n = 0;             // polynomials computed
    int l = 0;             // sub-interval of the date (1-based)
    double tc = 0.0;
    double p[kDeMaxCoefficients];
};

// The position components of rows of one record at the record fraction
// t_frac, as chebint gives them at level 1 but for the order of the sums:
// each component is summed in four lanes from T_1 up and the lanes added
// before the T_0 term. The rounding stays within a few units of the last
// place of the T_0 term (a position of at most 50 AU in km: 1e-8 km, below
// 1e-16 AU).
ZELVO_SIMD_CLONES void cheb_positions(const ChebRow* rows, int count, double t_frac) {
    using simd::V4;
    ChebPolys polys[4];
    int sets = 0;
    const double w = std::trunc(t_frac);
    for (int r = 0; r < count; ++r) {
        const ChebRow& row = rows[r];
        const int n = row.n;
        ChebPolys* cp = nullptr;
        for (int k = 0; k < sets; ++k)
            if (polys[k].subintervals == row.subintervals) cp = &polys[k];
        if (cp == nullptr) {
            cp = &polys[sets < 4 ? sets++ : 3];
            const double st = static_cast<double>(row.subintervals) * t_frac;
            cp->l = static_cast<int>(std::trunc(st - w)) + 1;
            cp->tc = 2.0 * ((st - std::trunc(st)) + w) - 1.0;
            cp->subintervals = row.subintervals;
            cp->n = 0;
        }
        if (cp->n < n) {
            const double tc = cp->tc, twot = 2.0 * tc;
            double* p = cp->p;
            for (int k = cp->n; k < n; ++k) {
                if (k == 0)
                    p[0] = 1.0;
                else if (k == 1)
                    p[1] = tc;
                else if (k == 2)
                    p[2] = twot * tc - 1.0;
                else
                    p[k] = twot * p[k - 1] - p[k - 2];
            }
            cp->n = n;
        }
        const double* p = cp->p;
        const double* c0 = row.block + static_cast<std::size_t>((cp->l - 1) * 3 * n);
        const double* c1 = c0 + n;
        const double* c2 = c1 + n;
        V4 a0{}, a1{}, a2{};
        int j = 1;
        for (; j + 4 <= n; j += 4) {
            const V4 pj = simd::load4(p + j);
            a0 += pj * simd::load4(c0 + j);
            a1 += pj * simd::load4(c1 + j);
            a2 += pj * simd::load4(c2 + j);
        }
        double s0 = simd::sum4(a0), s1 = simd::sum4(a1), s2 = simd::sum4(a2);
        for (; j < n; ++j) {
            s0 += p[j] * c0[j];
            s1 += p[j] * c1[j];
            s2 += p[j] * c2[j];
        }
        row.out[0] = s0 + c0[0];
        row.out[1] = s1 + c1[0];
        row.out[2] = s2 + c2[0];
    }
}

// recstate with the Sun evaluated to sun_level (1 .. 3).
Status recstate_to(DeState& de, DeCopies& copies, const DataPaths& paths, DeReader which, double t,
                   const std::array<StateLevel, 12>& need, std::span<State9, 10> states, int sun_level) {
    if (t == 0.0) return ok_status();
    DeCopy& cp = copy_of(copies, which);
    std::int32_t& held = record_of(de, which);

    std::int32_t r = 0;
    double tr = 0.0;
    ZEL_TRY(place_date(de, t, r, tr));
    if (r != held) {
        held = 0;
        ZEL_TRY(load_record(de, copies, paths, cp, r));
        held = r;
    }

    // The layout and the AU of the file the record came from.
    const EphemerisHeader& header = cp.file->header();
    const double au_per_km = header.au_per_km;

    // Rows asked for positions alone go to cheb_positions together (they
    // share the polynomials of their sub-interval count), the others to
    // chebint.
    ChebRow rows[11];
    int row_count = 0;
    auto evaluate = [&](const EphemerisRecordRow& row, int lv, std::span<double> out) {
        if (lv == 1)
            rows[row_count++] = {block_of(cp, row).data(), row.coefficients, row.subintervals, out.data()};
        else
            chebint(block_of(cp, row), tr, kDeRecordDays, row.coefficients, 3, row.subintervals, lv, out);
    };
    const EphemerisRecordRow& sun = header.layout[kSunRow];
    evaluate(sun, sun_level, cp.sun);
    for (std::size_t b = 0; b < 10; ++b) {
        const int level = static_cast<int>(need[b]);
        if (level == 0) continue;
        evaluate(header.layout[b], level < 1 ? 1 : (level > 3 ? 3 : level), states[b]);
    }
    if (row_count > 0) cheb_positions(rows, row_count, tr);

    // The Sun, barycentric.
    for (std::size_t i = 0; i < static_cast<std::size_t>(3 * sun_level); ++i) cp.sun[i] *= au_per_km;

    for (std::size_t b = 0; b < 10; ++b) {
        const int level = static_cast<int>(need[b]);
        if (level == 0) continue;
        const int lv = level < 1 ? 1 : (level > 3 ? 3 : level);
        State9& s = states[b];
        const std::size_t n = static_cast<std::size_t>(3 * lv);
        for (std::size_t i = 0; i < n; ++i) s[i] *= au_per_km;
        if (b < 9 && !cp.barycentric)
            for (std::size_t i = 0; i < n; ++i) s[i] -= cp.sun[i];
    }
    return ok_status();
}

bool valid_body(int k) { return k >= 1 && k <= kFileBodies; }

// Rows (file bodies 1 .. 10 at index body - 1) that the state of target
// relative to centre is built from, asked to the given level: the two
// bodies; the Earth and the Moon need each other; the Earth-Moon barycentre
// is row 3 of the file.
void add_need(int target, int centre, StateLevel level, std::array<StateLevel, 12>& need) {
    auto ask = [&](int k) {
        StateLevel& n = need[static_cast<std::size_t>(k - 1)];
        if (static_cast<int>(n) < static_cast<int>(level)) n = level;
    };
    for (int k : {target, centre}) {
        if (k <= kFileMoon) ask(k);
        if (k == kFileMoon) ask(kFileEarth);
        if (k == kFileEarth) ask(kFileMoon);
        if (k == kFileEmb) ask(kFileEarth);
    }
}

// The state of target relative to centre (valid, different file bodies) from
// the barycentric states and the Sun the copy's last recstate left; need is
// what add_need asked for the pair.
void combine(const DeCopy& cp, int target, int centre, const std::array<StateLevel, 12>& need, State9& state) {
    // Working rows (file bodies 1 .. 13 at index body - 1), from the copy's
    // states so that they stay as recstate left them.
    std::array<State9, kFileBodies> pv;
    for (int k : {target, centre, kFileEarth, kFileMoon})
        if (k <= kFileMoon) pv[k - 1] = cp.states[k - 1];
    for (int k : {target, centre}) {
        if (k == kFileSun) pv[kFileSun - 1] = cp.sun;
        if (k == kFileBarycentre) pv[kFileBarycentre - 1].fill(0.0);
        if (k == kFileEmb) pv[kFileEmb - 1] = cp.states[kFileEarth - 1];
    }
    if (target * centre == 30 && target + centre == 13) {
        // The Earth and the Moon: the Moon's geocentric row as it stands.
        pv[kFileEarth - 1].fill(0.0);
    } else {
        State9& earth = pv[kFileEarth - 1];
        State9& moon = pv[kFileMoon - 1];
        const double emrat = cp.file ? cp.file->header().earth_moon_mass_ratio : kDeEarthMoonMassRatio;
        if (need[kFileEarth - 1] != StateLevel::None)
            for (std::size_t i = 0; i < 9; ++i) earth[i] -= moon[i] / (1.0 + emrat);
        if (need[kFileMoon - 1] != StateLevel::None)
            for (std::size_t i = 0; i < 9; ++i) moon[i] += earth[i];
    }
    state = pv[target - 1];
    subtract(state, pv[centre - 1]);
}

Status body_error(int target, int centre) {
    return error_status("internal error: body " + std::to_string(target) + " relative to body " +
                        std::to_string(centre) + " asked of the planetary ephemeris");
}

}  // namespace

Status recstate(DeState& de, DeCopies& copies, const DataPaths& paths, DeReader which, double t,
                const std::array<StateLevel, 12>& need, std::span<State9, 10> states) {
    return recstate_to(de, copies, paths, which, t, need, states, 3);
}

Status bodystate(DeState& de, DeCopies& copies, const DataPaths& paths, DeReader which, double t, int target,
                 int centre, State9& state) {
    state.fill(0.0);
    if (target == centre) return ok_status();
    if (!valid_body(target) || !valid_body(centre)) return body_error(target, centre);
    DeCopy& cp = copy_of(copies, which);

    std::array<StateLevel, 12> need{};
    add_need(target, centre, StateLevel::Acceleration, need);
    const bool saved = cp.barycentric;
    cp.barycentric = true;
    const Status s = recstate(de, copies, paths, which, t, need, cp.states);
    cp.barycentric = saved;
    ZEL_TRY(s);
    combine(cp, target, centre, need, state);
    return ok_status();
}

Status reade403(DeState& de, DeCopies& copies, const DataPaths& paths, double jd, double seconds) {
    if (de.record_held == 0) de.result.fill(0.0);
    const double t = jd + seconds / 86400.0;
    const int c = de_file_body(de.centre);
    for (int b = 1; b <= kBodyCodes; ++b) {
        const int flag = static_cast<int>(de.flags[b - 1]);
        if (flag == 0) continue;
        State9 s;
        ZEL_TRY(bodystate(de, copies, paths, DeReader::Position, t, de_file_body(static_cast<BodyCode>(b)), c, s));
        const std::size_t n = flag >= 3 ? 9 : (flag == 2 ? 6 : 3);
        for (std::size_t i = 0; i < n; ++i) de.result[i] = s[i];
        break;  // only the first flagged body is served
    }
    return ok_status();
}

Status read403b(DeState& de, DeCopies& copies, BodyTable& table, const DataPaths& paths, double t) {
    DeCopy& cp = copies.force;
    if (de.record_held_force == 0) {
        table = {};
        cp.date_valid = false;
    }
    const int c = de_file_body(de.force_centre);

    // Copies the flagged states into the table as far as their flags ask.
    auto deliver = [&] {
        for (std::size_t b = 0; b < static_cast<std::size_t>(kBodyCodes); ++b) {
            const int flag = static_cast<int>(de.force_flags[b]);
            if (flag == 0) continue;
            const std::size_t n = flag >= 3 ? 9 : (flag == 2 ? 6 : 3);
            for (std::size_t i = 0; i < n; ++i) table.state[b][i] = cp.date_states[b][i];
        }
    };
    if (cp.date_valid && t == cp.date_jd && de.force_centre == cp.date_centre && de.force_flags == cp.date_flags) {
        deliver();
        return ok_status();
    }
    cp.date_valid = false;

    // Every row any flagged body needs, read once at the highest level asked;
    // worked out again only when the request changes.
    if (!cp.rows_valid || de.force_centre != cp.rows_centre || de.force_flags != cp.rows_flags) {
        cp.rows_valid = false;
        std::array<StateLevel, 12> need{};
        int level = 0;
        bool read = false;
        for (int b = 1; b <= kBodyCodes; ++b) {
            const int flag = static_cast<int>(de.force_flags[static_cast<std::size_t>(b - 1)]);
            if (flag == 0) continue;
            const int k = de_file_body(static_cast<BodyCode>(b));
            if (k == c) continue;
            if (!valid_body(k) || !valid_body(c)) return body_error(k, c);
            read = true;
            level = std::max(level, flag >= 3 ? 3 : (flag == 2 ? 2 : 1));
        }
        if (read) {
            for (int b = 1; b <= kBodyCodes; ++b) {
                const int k = de_file_body(static_cast<BodyCode>(b));
                if (de.force_flags[static_cast<std::size_t>(b - 1)] != StateLevel::None && k != c)
                    add_need(k, c, static_cast<StateLevel>(level), need);
            }
        }
        cp.rows_need = need;
        cp.rows_level = level;
        cp.rows_read = read;
        cp.rows_centre = de.force_centre;
        cp.rows_flags = de.force_flags;
        cp.rows_valid = true;
    }
    const std::array<StateLevel, 12>& need = cp.rows_need;
    const int level = cp.rows_level;
    const bool read = cp.rows_read;
    if (read) {
        const bool saved = cp.barycentric;
        cp.barycentric = true;
        const Status s = recstate_to(de, copies, paths, DeReader::Force, t, need, cp.states, level);
        cp.barycentric = saved;
        ZEL_TRY(s);
    }
    if (read) {
        // The rows combined as bodystate combines them for each pair: the
        // Earth from the Earth-Moon barycentre and the geocentric Moon, the
        // Moon barycentric from the Earth; the pair Earth-Moon alone takes
        // the Moon's geocentric row as it stands.
        const std::size_t n = static_cast<std::size_t>(3 * level);
        static constexpr State9 kZero{};
        std::array<const double*, kFileBodies> pv{};
        for (int k = 1; k <= kFileMoon; ++k)
            pv[static_cast<std::size_t>(k - 1)] = cp.states[static_cast<std::size_t>(k - 1)].data();
        pv[kFileSun - 1] = cp.sun.data();
        pv[kFileBarycentre - 1] = kZero.data();
        pv[kFileEmb - 1] = cp.states[kFileEarth - 1].data();
        const State9& moon_geo = cp.states[kFileMoon - 1];
        State9 earth{}, moon{};
        if (need[kFileEarth - 1] != StateLevel::None && need[kFileMoon - 1] != StateLevel::None) {
            const double emrat = cp.file ? cp.file->header().earth_moon_mass_ratio : kDeEarthMoonMassRatio;
            const State9& emb = cp.states[kFileEarth - 1];
            for (std::size_t i = 0; i < n; ++i) earth[i] = emb[i] - moon_geo[i] / (1.0 + emrat);
            for (std::size_t i = 0; i < n; ++i) moon[i] = moon_geo[i] + earth[i];
            pv[kFileEarth - 1] = earth.data();
            pv[kFileMoon - 1] = moon.data();
        }
        for (int b = 1; b <= kBodyCodes; ++b) {
            if (de.force_flags[static_cast<std::size_t>(b - 1)] == StateLevel::None) continue;
            State9& s = cp.date_states[static_cast<std::size_t>(b - 1)];
            const int k = de_file_body(static_cast<BodyCode>(b));
            if (k == c) {
                s.fill(0.0);
                continue;
            }
            if (k * c == 30 && k + c == 13) {
                for (std::size_t i = 0; i < n; ++i)
                    s[i] = (k == kFileMoon ? moon_geo[i] : 0.0) - (k == kFileMoon ? 0.0 : moon_geo[i]);
                continue;
            }
            const double* pt = pv[static_cast<std::size_t>(k - 1)];
            const double* pc = pv[static_cast<std::size_t>(c - 1)];
            for (std::size_t i = 0; i < n; ++i) s[i] = pt[i] - pc[i];
        }
    } else {
        for (int b = 1; b <= kBodyCodes; ++b)
            if (de.force_flags[static_cast<std::size_t>(b - 1)] != StateLevel::None)
                cp.date_states[static_cast<std::size_t>(b - 1)].fill(0.0);
    }
    cp.date_valid = de.record_held_force != 0;
    cp.date_jd = t;
    cp.date_centre = de.force_centre;
    cp.date_flags = de.force_flags;
    deliver();
    return ok_status();
}

}  // namespace zelvomat

extern "C" ZELVOMAT_API void Closlae(void) {
    zelvomat::export_guard([] {
        zelvomat::CoreState& core = zelvomat::core_state();
        zelvomat::de_close(core.de, core.de_copies);
        zelvomat::catclose(core.catalogue);
        zelvomat::close_element_files(core.element_cache);
        return zelvomat::ok_status();
    });
}
