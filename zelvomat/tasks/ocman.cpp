// The O-C driver: observed minus computed residuals of observation lines
// (see ocman.h for the files, zelvomat.h for the export O_C).
//
// Work of one call:
//  1. the motion model, the task options (spherical, kind P, plane C,
//     equinox E, centre the Earth) and the observatory cache of the run;
//  2. the settings ("setpar" records 3-8, 11-14), "omc.cfg" and, in
//     typed-orbit mode, the typed orbits converted into "rab1.da2";
//  3. Delta T ("ephcorr"), the header "omc.hat", the fallback theory
//     ("orb.elm", "moon.xyz"), "observat.dat", the planetary ephemeris file,
//     the catalogue;
//  4. "result.oc4" (new, or the old one of a continuation) and "input.oc1";
//  5. the lines: parse (contr_s1), UT -> TT (deltat), the position (ephem),
//     the residuals, the record; the callback after every tenth line.
//
// Residuals, O the observed and C the computed angles (radians):
//   first angle   d = O1 - C1 brought into [-pi, pi], times cos(O2),
//   second angle  O2 - C2,
// both times 206264.806 arcseconds per radian; magnitude: observed - computed.
//
// Calls: in_par, load_minor_perturbers, catopen, load_delta_t,
// write_task_header, load_planet_elements, load_moon_series, de_open, userorb,
// contr_s1, deltat, obr_nam, ephem.
#include "tasks/ocman.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "core/catalog.h"
#include "core/datajd.h"
#include "core/elemcache.h"
#include "core/ephem.h"
#include "core/fallback.h"
#include "core/force.h"
#include "core/names.h"
#include "core/reade403.h"
#include "core/setpar.h"
#include "core/typedorb.h"
#include "core/userorb.h"
#include "core/utils.h"
#include "io/bytes.h"
#include "io/errchan.h"
#include "io/fields.h"
#include "io/files.h"
#include "io/recfile.h"
#include "io/textfile.h"
#include "tasks/ephrecord.h"
#include "tasks/libstate.h"
#include "tasks/obsline.h"
#include "tasks/taskhead.h"
#include "zelvomat/zelvomat.h"

namespace zelvomat {

namespace {

constexpr std::size_t kLineWidth = 80;
constexpr std::size_t kInputRecord = 82;  // 80 columns and CR LF

// Columns (1-based) of a text, written over what stands there.
void put(std::string& rec, std::size_t col, std::string_view text) { put_columns(rec, col, text); }

OcRecordText blank_record() { return OcRecordText(oc_record::kLength, ' '); }

OcRecordText fitted(OcRecordText rec) {
    rec.resize(oc_record::kLength, ' ');
    return rec;
}

}  // namespace

// ---- Records ---------------------------------------------------------------------

std::string oc_residual_field(double value, std::size_t width) {
    const std::string stars(width, '*');
    if (width < 2) return stars;
    const std::string body = io::fmt_f(std::fabs(value), static_cast<int>(width - 1), 1);
    if (body.find('*') != std::string::npos) return stars;
    const std::string_view digits = io::trim(body);
    const char sign = digits == "0.0" ? ' ' : (value < 0.0 ? '-' : '+');
    std::string s(width - digits.size() - 1, ' ');
    s += sign;
    s += digits;
    return s;
}

OcRecordText oc_observation_record(std::string_view line, bool full_accuracy, double residual1_arcsec,
                                   double residual2_arcsec, bool with_magnitude, double magnitude_residual,
                                   char band_flag) {
    using namespace oc_record;
    OcRecordText rec = blank_record();
    put(rec, kDesignationCol, io::column(line, 1, kDesignationWidth));
    put(rec, kDateCol, io::column(line, kLineDateCol, kDateWidth));
    if (!full_accuracy) rec[kAccuracyCol - 1] = '*';
    put(rec, kResidual1Col, oc_residual_field(residual1_arcsec, kResidualWidth));
    put(rec, kResidual2Col, oc_residual_field(residual2_arcsec, kResidualWidth));
    if (with_magnitude) {
        // The sign in column 59 whatever the width of the digits.
        const std::string digits = io::fmt_f(std::fabs(magnitude_residual), static_cast<int>(kMagWidth), 1);
        const bool zero = digits.find('*') == std::string::npos && io::trim(digits) == "0.0";
        rec[kMagSignCol - 1] = zero ? ' ' : (magnitude_residual < 0.0 ? '-' : '+');
        put(rec, kMagCol, digits);
        rec[kBandCol - 1] = band_flag;
    }
    put(rec, kCodeCol, io::column(line, kLineCodeCol, kCodeWidth));
    return fitted(rec);
}

OcRecordText oc_not_found_record(std::string_view line) {
    using namespace oc_record;
    OcRecordText rec = blank_record();
    put(rec, kDesignationCol, io::column(line, 1, kDesignationWidth));
    put(rec, kDateCol, io::column(line, kLineDateCol, kDateWidth));
    put(rec, kNotFoundCol, kNotFound);
    put(rec, kCodeCol, io::column(line, kLineCodeCol, kCodeWidth));
    return fitted(rec);
}

OcRecordText oc_source_record(bool elements, std::string_view file_name, bool single_orbit) {
    using namespace oc_record;
    OcRecordText rec = blank_record();
    put(rec, kSourceKindCol, elements ? "elements:" : "coor&vel:");
    if (single_orbit)
        put(rec, kSourceNameCol, "single orbit");
    else
        put(rec, kSourceNameCol, io::column(file_name, 1, kSourceNameWidth));
    return fitted(rec);
}

OcRecordText oc_orbit_record(std::string_view name, std::int32_t number) {
    return fitted(io::pad(name, 18) + " orbit" + io::fmt_i(number, 6));
}

OcRecordText oc_refused_record(std::string_view name, std::int32_t number, std::int32_t status,
                               std::string_view field_label) {
    const std::string head = io::pad(name, 18) + " orbit" + io::fmt_i(number, 6);
    const std::string anon = std::string(18, ' ') + " orbit" + io::fmt_i(number, 6);
    switch (status) {
        case 1:
            return fitted(head + ", format error: " + io::pad(field_label, 5));
        case 2:
            return fitted(head + ", data out of range: " + io::pad(field_label, 5));
        case 3:
            return fitted(anon + ", data are incomplete");
        case 4:
            return fitted(anon + ", data out of range  ");
        default:
            return blank_record();
    }
}

std::string_view oc_field_label(bool elements, std::int32_t code) {
    static constexpr std::array<std::string_view, 13> kElements = {"Desi.", "H    ", "G    ", "Epoch", "M    ",
                                                                   "T    ", "Peri.", "Node ", "i    ", "e    ",
                                                                   "n    ", "a    ", "q    "};
    static constexpr std::array<std::string_view, 10> kCoordinates = {"Desi.", "H    ", "G    ", "Epoch", "X    ",
                                                                      "Y    ", "Z    ", "dX/dt", "dY/dt", "dZ/dt"};
    if (code >= 1 && elements && code <= 13) return kElements[static_cast<std::size_t>(code - 1)];
    if (code >= 1 && !elements && code <= 10) return kCoordinates[static_cast<std::size_t>(code - 1)];
    return "     ";
}

std::string oc_description(int p, int c, int e, int model, std::span<const std::int32_t, 12> perturbers,
                           bool relativistic_sun) {
    static constexpr std::array<std::string_view, 3> kPlanes = {"EQT", "ECL", "HRZ"};
    static constexpr std::array<std::string_view, 3> kEquinoxes = {"2000", "1950", "True"};
    static constexpr std::array<std::string_view, 3> kKinds = {" Astrometric", " Geometric", " Apparent"};
    std::string s = frame_text(kPlanes[static_cast<std::size_t>(c - 1)], kEquinoxes[static_cast<std::size_t>(e - 1)]);
    s += kKinds[static_cast<std::size_t>(p - 1)];
    s += " positions ";
    if (model == 0) {
        s += "Elliptic motion";
    } else if (model == 1) {
        s += "Accuracy: Nodes";
    } else {
        std::array<int, 12> sw{};
        for (std::size_t i = 0; i < sw.size(); ++i) sw[i] = perturbers[i];
        s += perturber_letters(sw, relativistic_sun);
        if (!relativistic_sun) s += "   ";
    }
    return s;
}

// ---- The driver --------------------------------------------------------------------

namespace {

// The failure notes: one line, " Bad opening of " and the file's tag in
// double quotes. They are kept beside the message of the error channel.
enum class OcNote { Ephemeris, NewResult, OldResult, Input };

Status note_failure(OcNote note, const std::string& why) {
    std::string_view file, tag;
    switch (note) {
        case OcNote::Ephemeris:
            file = files::kOcNoteEphemeris, tag = "Lae";
            break;
        case OcNote::NewResult:
            file = files::kOcNoteNewResult, tag = "new PTF";
            break;
        case OcNote::OldResult:
            file = files::kOcNoteOldResult, tag = "old PTF";
            break;
        case OcNote::Input:
            file = files::kOcNoteInput, tag = "Input.oc1";
            break;
    }
    const std::string text = " Bad opening of \"" + std::string(tag) + "\"";
    if (auto w = io::TextWriter::create(std::string(file)); w) {
        w->line(text);
        (void)w->close();  // the message below tells the caller in any case
    }
    return error_status(text + ": " + why);
}

// Everything a call opens or changes, undone whatever way it ends: the
// planetary ephemeris file, the catalogue files, the yearly files and the
// converted typed orbits "rab1.da2".
class RunCleanup {
public:
    explicit RunCleanup(CoreState& core) : core_(core) {}
    RunCleanup(const RunCleanup&) = delete;
    RunCleanup& operator=(const RunCleanup&) = delete;
    ~RunCleanup() {
        de_close(core_.de, core_.de_copies);
        catclose(core_.catalogue);
        close_element_files(core_.element_cache);
        std::remove(std::string(files::kUserOrbitsOc).c_str());
        MotionConfig& m = core_.motion;
        m.typed_mode = TypedOrbitMode::Catalogue;
        core_.comet_nongrav = {};
    }

private:
    CoreState& core_;
};

// The orbit source of "omc.cfg".
struct OrbitSource {
    bool catalogue = true;
    bool elements = true;   // typed orbits: elements, else coordinates
    bool single = true;     // the dialog's single orbit, else the user's file
    std::string text_path;  // the file userorb converts
    std::string file_name;  // the name shown in the source record
    std::vector<std::int32_t> fields;
    bool magnitudes = false;  // H and G among the fields
};

Result<OrbitSource> orbit_source(const EphTaskRecord& rec) {
    OrbitSource src;
    const std::string_view key = rec.get(eph_field::objectKey);
    if (key == "ZELV") return src;
    src.catalogue = false;
    src.elements = key.substr(1, 3) != "XYZ";
    src.single = key[0] != 'F';
    RecordField order_field{};
    if (src.single) {
        src.text_path = std::string(single_orbit_file(src.elements, false));
        order_field = src.elements ? eph_field::elementOrder : eph_field::coordinateOrder;
    } else {
        src.file_name =
            std::string(io::trim(rec.get(src.elements ? eph_field::elementListFile : eph_field::coordinateListFile)));
        src.text_path = src.file_name;
        order_field = src.elements ? eph_field::elementListOrder : eph_field::coordinateListOrder;
    }
    auto order = parse_column_order(rec.get(order_field));
    if (!order) return error_status("\"omc.cfg\": the column order of the typed orbits is wrong: " + order.message());
    src.fields = order_fields(*order);
    int hg = 0;
    for (std::int32_t f : src.fields)
        if (f == 2 || f == 3) ++hg;
    src.magnitudes = hg >= 2;
    return src;
}

// One line of "input.oc1" as the driver reads it.
class InputLines {
public:
    static Result<InputLines> open(const std::string& path) {
        auto bytes = io::read_file_bytes(path);
        if (!bytes) return bytes.status();
        InputLines in;
        in.bytes_ = std::move(*bytes);
        return in;
    }
    // Record i (1-based): its 80 columns; none when the file holds no record
    // i (the last may lack its line end).
    bool read(std::int64_t i, std::string& line) const {
        if (i < 1 || i > count()) return false;
        const auto off = static_cast<std::size_t>(i - 1) * kInputRecord;
        line.assign(reinterpret_cast<const char*>(bytes_.data() + off), kLineWidth);
        return true;
    }
    // The lines the file holds.
    std::int64_t count() const {
        return bytes_.size() < kLineWidth ? 0
                                          : static_cast<std::int64_t>((bytes_.size() - kLineWidth) / kInputRecord + 1);
    }
    // The failure of a line the file does not hold.
    Status missing(std::int64_t i) const {
        return error_status("\"input.oc1\" has no line " + std::to_string(i) + ": it holds " + std::to_string(count()) +
                            (count() == 1 ? " line" : " lines") + " of 80 columns.");
    }

private:
    std::vector<std::uint8_t> bytes_;
};

struct Residuals {
    double d1 = 0.0, d2 = 0.0, dm = 0.0;
    bool full_accuracy = false;
    bool magnitude = false;  // a computed magnitude exists
};

// The position of object `number` at the observation just parsed, and its
// residuals.
Status observe(LibraryState& st, std::int32_t number, const std::string& data_dir, Residuals& r) {
    const ParsedObservation& obs = st.parsed_observation;
    double dt = 0.0, fraction_tt = 0.0;
    deltat(st.core.delta_t, obs.jd, obs.jd_fraction, DeltaTDirection::UtToTt, dt, fraction_tt);
    st.core.task_options.observer =
        obs.observatory == kGeocentreCode ? ObserverKind::Geocentric : ObserverKind::Topocentric;
    EphResultValues v;
    std::int16_t accuracy = 0;
    const EphemDate date{static_cast<double>(obs.jd) + fraction_tt, 0.0, 1};
    ZEL_TRY(ephem(st.core, number, date, 0, data_dir, v, accuracy));
    double d = obs.angle1_rad - v(SphQuantity::Angle1);
    if (d > kPi) d -= kTwoPi;
    if (d < -kPi) d += kTwoPi;
    r.d1 = d * std::cos(obs.angle2_rad) * kArcsecPerRad;
    r.d2 = (obs.angle2_rad - v(SphQuantity::Angle2)) * kArcsecPerRad;
    r.dm = obs.magnitude - v(SphQuantity::Magnitude);
    r.full_accuracy = accuracy != 0;
    r.magnitude = !st.core.ephem.no_magnitude;
    return ok_status();
}

std::string line_label(std::int64_t i) { return "\"input.oc1\" line " + std::to_string(i) + ": "; }

}  // namespace

Status oc_run(LibraryState& st, int code, int model, std::span<const std::int32_t, 12> perturbers,
              bool relativistic_sun, OcCounters& counters, OcProgress progress) {
    const int p = code / 100, c = code / 10 % 10, e = code % 10;
    if (code < 111 || code > 333 || p < 1 || p > 3 || c < 1 || c > 3 || e < 1 || e > 3)
        return error_status("Unknown data type code " + std::to_string(code) +
                            " of the observations: three digits 1-3 are expected.");
    if (model < 0 || model > 2)
        return error_status("Unknown motion model " + std::to_string(model) + ": 0, 1 or 2 is expected.");
    RunCleanup cleanup(st.core);

    // Step 1: the motion model of the run.
    MotionConfig& m = st.core.motion;
    m.minor_centre = 0;
    m.model = static_cast<MotionCode>(model);
    for (std::size_t i = 0; i < m.perturber_switch.size(); ++i) m.perturber_switch[i] = perturbers[i];
    m.relativity = relativistic_sun ? 1 : 0;
    m.minor_perturbers = kStandardMinorPerturbers;
    m.k2 = kGaussK2;
    m.perturber_gm = standard_perturber_gm();
    m.gm_earth = kGmEarth;
    m.gm_moon = kGmMoon;
    m.typed_mode = TypedOrbitMode::Catalogue;
    st.core.ephem.no_magnitude = false;
    st.core.centre_object = {};
    st.core.delta_t = {};

    // Step 2: the task options and the observatory cache.
    static constexpr std::array<std::string_view, 3> kKinds = {"AST", "GMT", "APP"};
    static constexpr std::array<std::string_view, 3> kPlanes = {"EQT", "ECL", "HRZ"};
    static constexpr std::array<std::string_view, 3> kEquinoxes = {"2000", "1950", "INST"};
    auto options = task_options_from_texts("SPH", kKinds[static_cast<std::size_t>(p - 1)],
                                           kPlanes[static_cast<std::size_t>(c - 1)],
                                           kEquinoxes[static_cast<std::size_t>(e - 1)], 3, "GEO");
    if (!options) return options.status();
    st.core.task_options = *options;
    st.cached_observatory = {};

    // Step 3: the settings.
    ZEL_TRY(in_par(st.core));
    ZEL_TRY(load_minor_perturbers(st.core.minor_perturbers));
    ZEL_TRY(catopen(st.core.catalogue));
    m.catalogue_epoch = st.core.package.catalogue_epoch;
    m.comet_mode = st.core.catalogue.comet_mode;
    const std::string data_dir(io::trim_right(st.core.data_paths.data_dir));
    io::RecordFile ngr;
    if (m.comet_mode != 0) {
        auto f =
            io::RecordFile::open(data_file(st.core.data_paths, files::kNongrav), kNgrRecordBytes, io::OpenMode::Read);
        if (!f) return error_status("The file \"ngr.eff\" cannot be opened: " + f.message());
        ngr = std::move(*f);
    }

    // Step 4: the orbit source.
    auto task = load_oc_task();
    if (!task) return error_status("The O-C task file \"omc.cfg\" cannot be read: " + task.message());
    auto source = orbit_source(*task);
    if (!source) return source.status();
    UserOrbitCount orbits;
    io::RecordFile orbit_file;
    st.core.comet_nongrav = {};
    if (!source->catalogue) {
        if (model == 1) model = 0;
        m.model = static_cast<MotionCode>(model);
        if (source->single && m.comet_mode != 0) {
            auto a = read_nongrav(std::string(files::kNongravOc), source->elements);
            if (!a) return error_status("The file \"ngr.omc\" cannot be read: " + a.message());
            st.core.comet_nongrav.slot[0] = {(*a)[0], (*a)[1], (*a)[2]};
        }
        auto n = userorb(source->text_path, std::string(files::kUserOrbitsOc),
                         source->elements ? OrbitForm::Elements : OrbitForm::Coordinates, source->fields);
        if (!n) return n.status();
        orbits = *n;
        auto f = io::RecordFile::open(std::string(files::kUserOrbitsOc), UserOrbitRecord::kLength, io::OpenMode::Read);
        if (!f) return error_status("The typed orbits \"rab1.da2\" cannot be read: " + f.message());
        orbit_file = std::move(*f);
    }

    // Steps 5-8: Delta T, the header, the fallback theory, the observatories,
    // the planetary ephemeris file, the catalogue.
    ZEL_TRY(load_delta_t(st.core.delta_t, data_file(st.core.data_paths, files::kDeltaT)));
    const std::string description = oc_description(p, c, e, model, perturbers, relativistic_sun);
    ZEL_TRY(
        write_task_header(st.core.data_paths, TaskHeaderKind::OC, std::span<const std::string>(&description, 1), c));
    ZEL_TRY(load_planet_elements(st.core));
    ZEL_TRY(load_moon_series(st.core.moon_series, st.core.data_paths));
    auto observatories = io::RecordFile::open(data_file(st.core.data_paths, files::kObservatoryRecords),
                                              ObservatoryRecord::kLength, io::OpenMode::Read);
    if (!observatories)
        return error_status("The observatory list \"observat.dat\" cannot be opened: " + observatories.message());
    if (Status s = de_open(st.core.de, st.core.de_copies, st.core.data_paths); !s.ok())
        return note_failure(OcNote::Ephemeris, s.message());
    close_element_files(st.core.element_cache);

    // Step 9: the records the whole run writes.
    const std::int32_t lines = counters.last - counters.first + 1;
    std::int32_t total = lines;
    if (!source->catalogue) {
        const std::int32_t good = orbits.records - (orbits.error ? 1 : 0);
        total = good * std::max(lines, 0) + 5 * good + 4 * (orbits.error ? 1 : 0);
    }

    // Step 10: the result and the input.
    const std::int32_t entry_count = counters.count;
    std::int32_t count = entry_count < 0 ? -entry_count : entry_count;
    const std::string result_path(files::kOcResult);
    io::RecordFile result;
    if (count == 0) {
        auto f = io::RecordFile::open(result_path, oc_record::kLength, io::OpenMode::Create);
        if (!f) {
            counters.count = count;
            return note_failure(OcNote::NewResult, f.message());
        }
        result = std::move(*f);
    } else {
        auto f = io::RecordFile::open(result_path, oc_record::kLength, io::OpenMode::ReadWrite);
        if (!f) {
            counters.count = count;
            return note_failure(OcNote::OldResult, f.message());
        }
        result = std::move(*f);
    }
    auto input = InputLines::open(std::string(files::kOcInput));
    if (!input) {
        counters.count = count;
        return note_failure(OcNote::Input, input.message());
    }

    // The records are counted in count as they are written; a failure in the
    // loop leaves the counters at the records written so far.
    auto write = [&](const OcRecordText& rec) -> Status {
        ZEL_TRY(result.write(count + 1, std::span(reinterpret_cast<const std::uint8_t*>(rec.data()), rec.size())));
        ++count;
        return ok_status();
    };
    std::int32_t done = 0;  // observations of this call
    bool stopped = false;
    // After an observation: the callback every tenth one.
    auto tick = [&] {
        ++done;
        if (done % 10 == 0 && progress != nullptr && progress(count, total) != 0) stopped = true;
    };
    std::string line;
    auto parse = [&](std::int64_t i) -> Status {
        const Status s = contr_s1(st, *observatories, line, kTaskOc, c);
        if (!s.ok()) return error_status(line_label(i) + s.message());
        return ok_status();
    };
    auto has_magnitude = [&] {
        return !io::is_blank(io::column(line, oc_record::kLineMagCol, oc_record::kLineMagWidth));
    };

    Status failure;
    if (source->catalogue) {
        std::int32_t i = counters.first;
        for (; i <= counters.last && !stopped; ++i) {
            if (!input->read(i, line)) {
                failure = input->missing(i);
                break;
            }
            if (failure = parse(i); !failure.ok()) break;
            const std::int32_t n = obr_nam(st.core.catalogue, io::column(line, 1, oc_record::kDesignationWidth));
            if (n <= 0 || n > st.core.package.objects || !catalogue_has(st.core.catalogue, n)) {
                if (failure = write(oc_not_found_record(line)); !failure.ok()) break;
            } else {
                st.core.comet_nongrav = {};
                if (m.comet_mode != 0 && n <= st.core.package.numbered) {
                    auto rec = ngr.read(n);
                    if (!rec) {
                        failure = error_status(line_label(i) + "\"ngr.eff\" has no record " + std::to_string(n) + ": " +
                                               rec.message());
                        break;
                    }
                    const NongravParams a{io::get_f64(*rec, 0), io::get_f64(*rec, 8), io::get_f64(*rec, 16)};
                    if (!std::isfinite(a.a1) || !std::isfinite(a.a2) || !std::isfinite(a.a3)) {
                        failure = error_status(line_label(i) + "record " + std::to_string(n) +
                                               " of \"ngr.eff\" is damaged: its values are not numbers.");
                        break;
                    }
                    st.core.comet_nongrav.slot[0] = a;
                }
                Residuals r;
                if (Status s = observe(st, n, data_dir, r); !s.ok()) {
                    failure = error_status(line_label(i) + s.message());
                    break;
                }
                const ParsedObservation& obs = st.parsed_observation;
                failure = write(oc_observation_record(line, r.full_accuracy, r.d1, r.d2, has_magnitude() && r.magnitude,
                                                      r.dm, obs.band_flag));
                if (!failure.ok()) break;
            }
            tick();
        }
        counters.first = i;
    } else {
        // L numbers every record of the run; records up to the count given
        // on entry were written by the earlier calls.
        const std::int32_t skip = count;
        std::int32_t L = 0;
        auto emit = [&](const OcRecordText& rec) -> Status {
            ++L;
            if (L <= skip) return ok_status();
            return write(rec);
        };
        for (std::int32_t j = 1; j <= orbits.records && !stopped && failure.ok(); ++j) {
            auto orbit = read_user_orbit(orbit_file, j);
            if (!orbit) {
                failure = error_status("The typed orbits \"rab1.da2\" cannot be read: " + orbit.message());
                break;
            }
            const OcRecordText head = oc_source_record(source->elements, source->file_name, source->single);
            for (const OcRecordText& rec : {blank_record(), head, blank_record()})
                if (failure = emit(rec); !failure.ok()) break;
            if (!failure.ok()) break;
            if (!orbit->good()) {
                failure = emit(oc_refused_record(orbit->name, j, static_cast<std::int32_t>(orbit->status),
                                                 oc_field_label(source->elements, orbit->field)));
                continue;
            }
            if (failure = emit(oc_orbit_record(orbit->name, j)); !failure.ok()) break;
            if (failure = emit(blank_record()); !failure.ok()) break;
            m.typed_mode = source->elements ? TypedOrbitMode::Elements : TypedOrbitMode::Coordinates;
            m.typed_epoch = orbit->epoch_jd;
            for (std::size_t k = 0; k < 6; ++k) m.typed_state[k] = orbit->state[k];
            m.typed_h = orbit->h;
            m.typed_g = orbit->g;
            for (std::int32_t i = counters.first; i <= counters.last && !stopped; ++i) {
                if (L + 1 <= skip) {  // written by an earlier call
                    ++L;
                    continue;
                }
                if (!input->read(i, line)) {
                    failure = input->missing(i);
                    break;
                }
                if (failure = parse(i); !failure.ok()) break;
                Residuals r;
                if (Status s = observe(st, j, data_dir, r); !s.ok()) {
                    failure = error_status(line_label(i) + "orbit " + std::to_string(j) + ": " + s.message());
                    break;
                }
                const bool mag = has_magnitude() && source->magnitudes && r.magnitude;
                failure = emit(oc_observation_record(line, r.full_accuracy, r.d1, r.d2, mag, r.dm,
                                                     st.parsed_observation.band_flag));
                if (!failure.ok()) break;
                tick();
            }
        }
    }
    counters.count = stopped ? -count : count;
    return failure;
}

}  // namespace zelvomat

// ---- Export ------------------------------------------------------------------------

extern "C" ZELVOMAT_API void O_C(int code, int model, const int* perturbers, int relSun, int* count, int* first,
                                 int* last, ProgressCallback cb) {
    zelvomat::LibraryState& st = zelvomat::library_state();
    zelvomat::export_guard([&] {
        if (count == nullptr || first == nullptr || last == nullptr)
            return zelvomat::error_status("O_C: no counters given.");
        std::array<std::int32_t, 12> sw{};
        if (perturbers != nullptr)
            for (std::size_t i = 0; i < sw.size(); ++i) sw[i] = perturbers[i];
        zelvomat::OcCounters k{*count, *first, *last};
        const zelvomat::Status s = zelvomat::oc_run(st, code, model, sw, relSun != 0, k, cb);
        *count = k.count;
        *first = k.first;
        return s;
    });
}
