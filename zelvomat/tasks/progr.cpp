// Ephemeris task driver (progr.h).
//
// One call: the set-up (settings, package files, task record, observer,
// motion model, dates per block, output kind, restrictions), the object loop,
// and the end (the last progress report, files closed, "rabb.da1" deleted).
#include "tasks/progr.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <span>
#include <string_view>
#include <utility>

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
#include "io/errchan.h"
#include "io/fields.h"
#include "io/files.h"
#include "io/recfile.h"
#include "io/textfile.h"
#include "tasks/confl.h"
#include "tasks/geodesy.h"
#include "tasks/inpdat.h"
#include "tasks/obsfiles.h"
#include "tasks/oppos.h"
#include "tasks/outform.h"
#include "tasks/taskhead.h"
#include "zelvomat.h"

namespace zelvomat {

EphRunState& eph_run_state() {
    static EphRunState s;
    return s;
}

namespace {

namespace ef = eph_field;

constexpr std::int64_t kReportPeriod = 100;  // dates between progress reports
constexpr double kSharePerOppositionBlock = 11.0;
constexpr double kOppositionShareExtra = 8.5;
constexpr double kObjectsPerOppositionDay = 35.0;  // OPPO: objects counted per day of the range
constexpr double kNoOppositionStep = 999.9;
constexpr std::int64_t kMostDatesPerBlock = 10000000;  // dates of one object: 27000 years at one a day
constexpr std::size_t kNameWidth = 18;
constexpr std::size_t kLineWidth = 80;
constexpr double kGeoAEarth = kGeoA;  // m

std::string text_of(const EphTaskRecord& rec, RecordField f) { return std::string(rec.get(f)); }

std::string columns_text(const RecordField& f) { return std::to_string(f.offset + 1) + "-" + std::to_string(f.end()); }

// An integer field of the task record; a field holding anything but digits,
// blanks and a sign ends the run with a message naming its columns.
Result<std::int64_t> int_field(const EphTaskRecord& rec, RecordField f) {
    auto v = rec.get_int(f);
    if (!v)
        return error_status("The ephemeris task \"eph.cfg\" has no whole number in columns " + columns_text(f) +
                            ": \"" + std::string(rec.get(f)) + "\".");
    return *v;
}

Result<double> real_field(const EphTaskRecord& rec, RecordField f) {
    auto v = io::read_real(rec.get(f));
    if (!v)
        return error_status("The ephemeris task \"eph.cfg\" has no number in columns " + columns_text(f) + ": \"" +
                            std::string(rec.get(f)) + "\".");
    return *v;
}

Result<double> typed_number(std::string_view text, const char* what) {
    double v = 0.0;
    if (io::is_blank(text) || !char_rl(text, v, 0))
        return error_status(std::string("The ephemeris task \"eph.cfg\": the ") + what + " \"" +
                            std::string(io::trim(text)) + "\" is not a number.");
    return v;
}

// A line of text laid into columns.
struct Line {
    std::string s = std::string(kLineWidth, ' ');
    Line& at(std::size_t col, std::string_view t) {
        put_columns(s, col, t);
        return *this;
    }
};

// The key of the object choice.
enum class ObjectMode { Numbers, Name, Oppositions, List, SingleOrbit, OrbitList, None };

ObjectMode object_mode(std::string_view key) {
    if (key == "NUMB") return ObjectMode::Numbers;
    if (key == "NAME") return ObjectMode::Name;
    if (key == "OPPO") return ObjectMode::Oppositions;
    if (key == "LIST") return ObjectMode::List;
    const std::string_view tail = key.substr(1);
    if (tail == "ELM" || tail == "XYZ")
        return (key[0] == 'E' || key[0] == 'X') ? ObjectMode::SingleOrbit : ObjectMode::OrbitList;
    return ObjectMode::None;
}

// A date of the OPPO range, YYYYMMDD.d: its Julian date and the number
// itself with one decimal.
struct RangeDate {
    double jd = 0.0;
    double packed = 0.0;
    int tenth = 0;
};

Result<RangeDate> range_date(const EphTaskRecord& rec, RecordField f) {
    auto v = real_field(rec, f);
    if (!v) return v.status();
    // Written back with one decimal, then split into its digits.
    const std::string t(io::trim(io::fmt_f(*v, 12, 1)));
    const std::size_t point = t.find('.');
    if (point == std::string::npos || point != 8 || t.find('-') != std::string::npos)
        return error_status("The ephemeris task \"eph.cfg\" has no date YYYYMMDD.d in columns " + columns_text(f) +
                            ".");
    const std::string digits = t.substr(point - 8, 8);
    RangeDate d;
    const int year = std::stoi(digits.substr(0, 4)), month = std::stoi(digits.substr(4, 2)),
              day = std::stoi(digits.substr(6, 2));
    d.tenth = t[point + 1] - '0';
    std::int32_t j = 0;
    double fr = 0.0;
    caljd(year, month, day, d.tenth / 10.0, j, fr, DayStart::Civil);
    d.jd = j + fr;
    d.packed = year * 10000.0 + month * 100.0 + day + d.tenth / 10.0;
    return d;
}

// Civil date of a Julian date with the day's tenth (at most .9).
struct TenthDate {
    int year = 0, month = 0, day = 0, tenth = 0;
    double packed() const { return year * 10000.0 + month * 100.0 + day + tenth / 10.0; }
};
TenthDate tenth_date(double jd) {
    const double whole = std::floor(jd);
    int y = 0, m = 0, d = 0;
    double f = 0.0;
    jdcal(day_number(whole), jd - whole, y, m, d, f);
    const double tenth = std::floor(std::min(f, 0.9) * 10.0 + 0.5);
    TenthDate t{y, m, d, tenth >= 0.0 && tenth <= 9.0 ? static_cast<int>(tenth) : 0};
    if (t.tenth > 9) t.tenth = 9;
    return t;
}

// Names of the typed orbit fields by the number of the faulty field.
constexpr std::array<std::string_view, 13> kElementFieldNames = {"Desi.", "H    ", "G    ", "Epoch", "M    ",
                                                                 "T    ", "Peri.", "Node ", "i    ", "e    ",
                                                                 "n    ", "a    ", "q    "};
constexpr std::array<std::string_view, 10> kCoordinateFieldNames = {"Desi.", "H    ", "G    ", "Epoch", "X    ",
                                                                    "Y    ", "Z    ", "dX/dt", "dY/dt", "dZ/dt"};

// Everything one call needs, from the settings and the stored task record.
class EphemerisRun {
public:
    EphemerisRun(EphRunState& st, const std::function<int(int)>& step) : st_(st), step_(step) {}
    ~EphemerisRun() { (void)finish_files(); }

    Status setup(bool continuation);
    // A new run's set-up succeeded: its task and derived values become the
    // run's state, the counters start from zero.
    void commit_new_run();
    Status run();
    bool stopped() const { return stopped_; }
    // Closes what the call opened; a failed write of "opls1.dat" is reported.
    Status finish_files();

private:
    // ---- set-up ----
    Status read_settings();
    Status objects_setup();
    Status interval_setup();
    Status set_date_count(double k);

    // ---- loop ----
    Status catalogue_object(std::int32_t number, bool absent, std::string_view typed,
                            std::optional<double> single_opposition);
    Status typed_orbit(std::int32_t r);
    Status opposition_walk();
    Status block(std::int32_t number, double t1, double step, std::int64_t dates, std::vector<std::string> heading);
    Status date(std::int32_t number, double t1, double step, std::int32_t k, const std::vector<std::string>& heading);
    Status write_lines(const std::vector<std::string>& lines);
    Status message(const std::vector<std::string>& lines);
    Status oppositions_of(std::int32_t number, std::int16_t& count, std::array<double, 3>& dates);
    std::vector<std::string> object_heading(std::int32_t number, const std::string& name,
                                            std::optional<double> opposition);
    std::vector<std::string> typed_heading_head() const;
    Status report();

    bool may_write() const { return n_ >= st_.saved_dates; }
    void skip_object() { p_ += static_cast<double>(k_) * s_; }

    EphRunState& st_;
    const std::function<int(int)>& step_;
    EphRunState pending_;                // a new run's task until its set-up succeeded
    const EphRunState* task_ = nullptr;  // pending_ or st_
    const EphTaskRecord* rec_ = nullptr;
    bool finished_ = false;

    // Settings.
    std::string data_dir_;
    PackageSettings settings_;
    std::vector<std::int32_t> extra_list_;
    bool comet_ = false;

    // Files.
    io::RecordFile result_;
    io::RecordFile user_orbits_;
    io::RecordFile empeph_;
    bool empeph_present_ = false;
    bool user_orbits_used_ = false;
    std::optional<io::TextWriter> opls_out_;
    std::vector<std::string> opls_in_;
    std::size_t opls_pos_ = 0;
    bool opls_replay_ = false;
    bool opls_opened_ = false;

    // The run.
    ObjectMode mode_ = ObjectMode::None;
    bool nopp_ = false;
    std::int32_t first_ = 0, last_ = 0;
    bool name_absent_ = false;
    RangeDate opp_first_, opp_last_;
    std::vector<std::string> list_lines_;
    std::string orbit_list_name_;
    bool elements_form_ = true;
    std::int32_t objects_ = 0;  // C
    double t1_ = 0.0, h_ = 1.0;
    std::int64_t k_ = 1;  // K
    double s_ = 0.0;
    std::int32_t coverage_ = 0;
    double opp_step_ = kNoOppositionStep;
    std::int16_t opp_year_ = 0;
    std::int32_t ephem_year_ = 0;
    EphOutputKind kind_ = EphOutputKind::EmpEquator;
    RestrictionBounds bounds_;
    std::string coord_type_;

    // Per call.
    std::int64_t n_ = 0;
    double p_ = 0.0;
    ProgressMeter meter_;
    bool stopped_ = false;
};

Status EphemerisRun::read_settings() {
    ZEL_TRY(in_par());
    auto bytes = io::read_file_bytes(std::string(files::kSettings));
    if (!bytes) return error_status("The settings file \"setpar\" cannot be read: " + bytes.message());
    auto s = decode_settings(*bytes);
    if (!s) return error_status("The settings file \"setpar\" cannot be read: " + s.message());
    settings_ = *s;
    data_dir_ = std::string(io::trim_right(data_paths().data_dir));
    // The extra list of "empeph": records 1, 2, 10 in turn, each read only
    // when the one before was full; it ends at the first zero.
    extra_list_.clear();
    for (std::int32_t v : settings_.empeph_list) {
        if (v == 0) break;
        extra_list_.push_back(v);
    }
    comet_ = settings_.comet_edition != 0;
    ZEL_TRY(load_minor_perturbers());
    ZEL_TRY(load_planet_elements());
    ZEL_TRY(load_moon_series());
    ZEL_TRY(load_delta_t(data_file(files::kDeltaT)));
    // "empeph": the EMP opposition data; a missing or empty file has no
    // record for any object.
    const std::string emp = data_file(files::kEmpeph);
    if (io::file_exists(emp)) {
        auto f = io::RecordFile::open(emp, EmpephRecord::kLength, io::OpenMode::Read);
        if (!f) return error_status("The file \"" + emp + "\" cannot be read: " + f.message());
        empeph_ = std::move(*f);
        auto n = empeph_.record_count();
        empeph_present_ = n && *n > 0;
    }
    return ok_status();
}

Status EphemerisRun::objects_setup() {
    const EphTaskRecord& rec = *rec_;
    mode_ = object_mode(rec.get(ef::objectKey));
    objects_ = 0;
    switch (mode_) {
        case ObjectMode::Numbers: {
            auto a = int_field(rec, ef::firstNumber);
            auto b = int_field(rec, ef::lastNumber);
            if (!a) return a.status();
            if (!b) return b.status();
            first_ = static_cast<std::int32_t>(*a);
            last_ = static_cast<std::int32_t>(*b);
            objects_ = last_ - first_ + 1;
            break;
        }
        case ObjectMode::Name: {
            const std::string_view name = rec.get(ef::objectName);
            std::int32_t n = catnum(name);
            name_absent_ = false;
            if (n == 0) {
                const int body = nomgpl(name);
                // Index 13 is the solar-system barycentre, body code 0.
                if (body == 13)
                    n = 0;
                else if (body > 0)
                    n = -body;
                else
                    name_absent_ = true;
            }
            first_ = last_ = name_absent_ ? 0 : n;
            objects_ = 1;
            break;
        }
        case ObjectMode::Oppositions: {
            auto a = range_date(rec, ef::firstOpposition);
            auto b = range_date(rec, ef::lastOpposition);
            if (!a) return a.status();
            if (!b) return b.status();
            opp_first_ = *a;
            opp_last_ = *b;
            if (opp_first_.tenth != 0) opp_first_.jd -= 0.05;
            opp_last_.jd += 0.05;
            objects_ = static_cast<std::int32_t>((opp_last_.jd - opp_first_.jd) * kObjectsPerOppositionDay);
            break;
        }
        case ObjectMode::List: {
            const std::string name(io::trim(rec.get(ef::objectListFile)));
            auto lines = io::read_lines(name);
            if (!lines) return error_status("The object list \"" + name + "\" cannot be read: " + lines.message());
            list_lines_.clear();
            for (const std::string& l : *lines)
                if (!io::is_blank(io::column(l, 1, kNameWidth))) list_lines_.push_back(io::column(l, 1, kNameWidth));
            objects_ = 1 + static_cast<std::int32_t>(list_lines_.size());
            break;
        }
        case ObjectMode::SingleOrbit:
        case ObjectMode::OrbitList: {
            elements_form_ = rec.get(ef::objectKey).substr(1) == "ELM";
            const bool single = mode_ == ObjectMode::SingleOrbit;
            const RecordField order_field = single ? (elements_form_ ? ef::elementOrder : ef::coordinateOrder)
                                                   : (elements_form_ ? ef::elementListOrder : ef::coordinateListOrder);
            auto order = parse_column_order(rec.get(order_field));
            if (!order)
                return error_status("The ephemeris task \"eph.cfg\" has a faulty column order in columns " +
                                    columns_text(order_field) + ": " + order.message());
            std::string text_path;
            if (single) {
                text_path = std::string(single_orbit_file(elements_form_, true));
            } else {
                orbit_list_name_ =
                    std::string(io::trim(rec.get(elements_form_ ? ef::elementListFile : ef::coordinateListFile)));
                text_path = orbit_list_name_;
            }
            if (single && comet_) {
                auto a = read_nongrav(std::string(nongrav_file(true)), elements_form_);
                if (!a) return error_status("The nongravitational parameters cannot be read: " + a.message());
                comet_nongrav().slot[0] = NongravParams{(*a)[0], (*a)[1], (*a)[2]};
            }
            const std::vector<std::int32_t> fields = order_fields(*order);
            auto count = userorb(text_path, std::string(user_orbit_work_file(true)),
                                 elements_form_ ? OrbitForm::Elements : OrbitForm::Coordinates, fields);
            if (!count) return count.status();
            user_orbits_used_ = true;
            objects_ = count->records;
            auto file = io::RecordFile::open(std::string(user_orbit_work_file(true)), UserOrbitRecord::kLength,
                                             io::OpenMode::Read);
            if (!file) return error_status("The typed orbits \"rabb.da1\" cannot be read: " + file.message());
            user_orbits_ = std::move(*file);
            break;
        }
        case ObjectMode::None:
            break;
    }
    return ok_status();
}

// K from the interval; a step so small that the dates of a block would pass
// kMostDatesPerBlock is refused.
Status EphemerisRun::set_date_count(double k) {
    if (!(k <= static_cast<double>(kMostDatesPerBlock)))
        return error_status("The ephemeris task \"eph.cfg\" asks for more than " + std::to_string(kMostDatesPerBlock) +
                            " dates per object: the step is too small for the interval.");
    k_ = k < 1.0 ? 1 : static_cast<std::int64_t>(k);
    return ok_status();
}

Status EphemerisRun::interval_setup() {
    const EphTaskRecord& rec = *rec_;
    nopp_ = rec.get(ef::intervalKind) == "NOPP";
    if (!nopp_) {
        double a = 0.0, b = 0.0;
        bool ok_a = false, ok_b = false;
        Inpdat(rec.get(ef::beginDate), a, ok_a);
        Inpdat(rec.get(ef::endDate), b, ok_b);
        if (!ok_a || !ok_b)
            return error_status("The ephemeris task \"eph.cfg\" has no date in columns " +
                                columns_text(ok_a ? ef::endDate : ef::beginDate) + ".");
        a = roundn(a, 5);
        b = roundn(b, 5);
        if (!is_calendar_jd(a) || !is_calendar_jd(b))
            return error_status("The ephemeris task \"eph.cfg\" has a date outside the calendar in columns " +
                                columns_text(is_calendar_jd(a) ? ef::endDate : ef::beginDate) + ".");
        auto h = real_field(rec, ef::intervalStep);
        if (!h) return h.status();
        h_ = *h;
        if (b == a) h_ = 1.0;
        if (b < a) h_ = -h_;
        t1_ = a;
        if (h_ != 0.0) {
            ZEL_TRY(set_date_count(std::round((b - a) / h_) + 1.0));
        } else {
            k_ = 1;
            h_ = 1.0;
        }
    } else {
        auto w = int_field(rec, ef::coverage);
        if (!w) return w.status();
        coverage_ = static_cast<std::int32_t>(*w);
        auto h = real_field(rec, ef::oppositionStep);
        if (!h) return h.status();
        opp_step_ = *h == 0.0 ? kNoOppositionStep : *h;
        ZEL_TRY(set_date_count(std::trunc(coverage_ / opp_step_ + 1.0)));
        if (mode_ == ObjectMode::SingleOrbit || mode_ == ObjectMode::OrbitList)
            return error_status("Typed orbits are computed over an arbitrary interval, not near oppositions.");
    }
    if (k_ < 1) k_ = 1;
    const double c = std::max<std::int32_t>(objects_, 1);
    s_ = (nopp_ && mode_ != ObjectMode::Oppositions) ? (100.0 / c) / (static_cast<double>(k_) + kOppositionShareExtra)
                                                     : 100.0 / c / static_cast<double>(k_);
    auto y = int_field(rec, ef::oppositionYear);
    if (nopp_ && !y) return y.status();
    opp_year_ = y ? static_cast<std::int16_t>(*y) : std::int16_t{0};
    const bool typed = mode_ == ObjectMode::SingleOrbit || mode_ == ObjectMode::OrbitList;
    ephem_year_ = (nopp_ && !typed) ? opp_year_ : 0;
    return ok_status();
}

// Reads the task record of a new run and derives what a continuation keeps.
Status read_task(EphRunState& next) {
    auto rec = load_eph_task();
    if (!rec) return error_status("The ephemeris task \"eph.cfg\" cannot be read: " + rec.message());
    next.record = *rec;
    auto centre = int_field(next.record, ef::centreIndex);
    if (!centre) return centre.status();
    next.minor_centre = 0;
    if (*centre >= kCentreMinorObject) {
        auto text = read_minor_file();
        if (!text) return error_status("The file \"minor\" cannot be read: " + text.message());
        auto n = io::read_int(io::column(*text, 1, 6));
        if (!n || *n < 1)
            return error_status("The file \"minor\" holds no catalogue number: \"" + std::string(io::trim(*text)) +
                                "\".");
        next.minor_centre = static_cast<std::int32_t>(*n);
    }
    auto block = read_restriction_block(next.record);
    if (!block) return error_status("The ephemeris task \"eph.cfg\": " + block.message());
    next.restrictions = *block;
    auto obs = task_observer(next.record);
    if (!obs) return obs.status();
    next.observer = *obs;
    next.has_run = true;
    return ok_status();
}

Status EphemerisRun::setup(bool continuation) {
    // Settings and package files, at every call.
    ZEL_TRY(read_settings());
    if (!continuation) {
        ZEL_TRY(read_task(pending_));
        task_ = &pending_;
    } else if (!st_.has_run || !st_.stopped) {
        return error_status(
            "There is no stopped ephemeris run to continue: the last run ended or failed. Run the ephemeris again.");
    } else {
        task_ = &st_;
    }
    rec_ = &task_->record;
    const EphTaskRecord& rec = *rec_;
    coord_type_ = text_of(rec, ef::coordinateType);

    // The motion model of the record. A continuation keeps the running
    // integration (and what the position routine keeps of the object) from
    // the stopped call: it may resume in the middle of a block, from the
    // state of the last date done.
    MotionModel& m = motion_model();
    if (!continuation) m = MotionModel{};
    m.comet_mode = comet_ ? 1 : 0;
    m.catalogue_epoch = package_info().catalogue_epoch;
    const char model = rec.get_char(ef::motionModel);
    if (model < '0' || model > '2')
        return error_status(std::string("The ephemeris task \"eph.cfg\" has no motion model in column 1165: \"") +
                            model + "\".");
    m.model = static_cast<MotionCode>(model - '0');
    for (int i = 1; i <= kPerturbers; ++i) {
        const char c = rec.get_char(ef::perturbers.element(i));
        m.perturber_switch[static_cast<std::size_t>(i - 1)] = (c >= '0' && c <= '9') ? c - '0' : 0;
    }
    m.relativity = rec.get_char(ef::relativisticSun) == '1' ? 1 : 0;
    m.minor_perturbers = kStandardMinorPerturbers;

    // Frame, centre and observer.
    auto centre = int_field(rec, ef::centreIndex);
    if (!centre) return centre.status();
    auto opt = task_options_from_texts(
        rec.get(ef::coordinateType), rec.get(ef::positionKind), rec.get(ef::mainPlane), rec.get(ef::equinox),
        static_cast<std::int32_t>(std::min<std::int64_t>(*centre, kCentreMinorObject)), rec.get(ef::observerKind));
    if (!opt) return error_status("The ephemeris task \"eph.cfg\": " + opt.message());
    task_options() = *opt;
    observer_site() = task_->observer.topocentric ? task_->observer.site : ObserverSite{};

    // The planetary ephemeris file, the catalogue, the centre object.
    ZEL_TRY(de_open());
    ZEL_TRY(catopen());
    comet_nongrav() = CometNongrav{};
    if (!continuation) ephem_state() = EphemState{};
    if (task_->minor_centre > 0) {
        ZEL_TRY(set_centre_object(task_->minor_centre));
        if (comet_) {
            auto a = read_ngr(task_->minor_centre);
            if (!a) return a.status();
            comet_nongrav().slot[1] = *a;
        }
    }
    close_element_files();

    ZEL_TRY(objects_setup());
    ZEL_TRY(interval_setup());

    // Output kind, the result file and, for a new run, the header.
    auto kind = eph_output_kind(rec.get(ef::coordinateType), rec.get(ef::mainPlane), rec.get(ef::outputKind));
    if (!kind)
        return error_status("The ephemeris task \"eph.cfg\" asks for the output \"" + text_of(rec, ef::outputKind) +
                            "\" in coordinates \"" + coord_type_ + "\" on the plane \"" + text_of(rec, ef::mainPlane) +
                            "\", which has no layout.");
    kind_ = *kind;
    auto bounds = Formcond(task_->restrictions, rec.get(ef::coordinateType), rec.get(ef::mainPlane));
    if (!bounds) return error_status("The ephemeris task \"eph.cfg\": " + bounds.message());
    bounds_ = *bounds;
    auto result = open_ephemeris_result();
    if (!result) return result.status();
    result_ = std::move(*result);
    // The header last: a set-up that fails leaves the header of the run
    // before it (a stopped run stays ready to be continued).
    if (!continuation || st_.saved_dates < 1) {
        const auto desc = ephemeris_description(rec, task_->minor_centre, task_->observer);
        ZEL_TRY(write_task_header(TaskHeaderKind::Ephemeris, desc, kind_number(kind_)));
    }
    return ok_status();
}

void EphemerisRun::commit_new_run() {
    if (task_ != &pending_) return;
    st_ = std::move(pending_);
    st_.next_record = 0;
    st_.saved_dates = 0;
    st_.last_percent = 0.0;
    st_.sent = 0;
    st_.heading_written = false;
    task_ = &st_;
    rec_ = &st_.record;
}

// ---- The loop ----------------------------------------------------------------

Status EphemerisRun::report() {
    const auto inc = meter_.after_date(n_, p_, st_.last_percent, st_.sent);
    if (!inc) return ok_status();
    st_.last_callback = step_ ? step_(*inc) : 0;
    if (st_.last_callback != 0) {
        st_.saved_dates = n_;
        st_.cont = 1;
        st_.interrupted = 1;
        stopped_ = true;
    }
    return ok_status();
}

Status EphemerisRun::write_lines(const std::vector<std::string>& lines) {
    for (const std::string& l : lines) {
        ZEL_TRY(write_ephemeris_line(result_, st_.next_record + 1, l));
        ++st_.next_record;
    }
    return ok_status();
}

Status EphemerisRun::message(const std::vector<std::string>& lines) {
    if (may_write()) ZEL_TRY(write_lines(lines));
    skip_object();
    return ok_status();
}

Status EphemerisRun::date(std::int32_t number, double t1, double step, std::int32_t k,
                          const std::vector<std::string>& heading) {
    EphResultValues v;
    std::int16_t accuracy = 0;
    const EphemDate d{t1, step, k};
    ZEL_TRY(ephem(number, d, ephem_year_, data_dir_, v, accuracy));
    const bool passed = Conds(number, coord_type_, bounds_, v);
    if (block_heading_due(passed, st_.restrictions.reject_solitary, st_.heading_written)) {
        ZEL_TRY(write_lines(heading));
        st_.heading_written = true;
    }
    if (passed) {
        auto written = Outform(number, result_, d.jd(), kind_, v, accuracy, static_cast<std::int32_t>(st_.next_record));
        if (!written) return written.status();
        st_.next_record += *written;
    }
    return ok_status();
}

Status EphemerisRun::block(std::int32_t number, double t1, double step, std::int64_t dates,
                           std::vector<std::string> heading) {
    if (nopp_) p_ += kSharePerOppositionBlock * s_;
    // A block begun before the stop keeps the heading state of then.
    if (n_ >= st_.saved_dates) st_.heading_written = false;
    for (std::int64_t k = 1; k <= dates; ++k) {
        if (n_ + 1 > st_.saved_dates) {
            ZEL_TRY(date(number, t1, step, static_cast<std::int32_t>(k), heading));
            p_ += s_;
            ++n_;
            ZEL_TRY(report());
            if (stopped_) return ok_status();
        } else {
            ++n_;
            p_ += s_;
        }
    }
    return ok_status();
}

std::vector<std::string> EphemerisRun::object_heading(std::int32_t number, const std::string& name,
                                                      std::optional<double> opposition) {
    Line name_line;
    if (number <= catalogue_counts().numbered) name_line.at(5, number_field(number, 6));
    name_line.at(12, io::pad(name, kNameWidth));
    if (opposition) {
        name_line.s.replace(29, 5, 5, ' ');
        const TenthDate t = tenth_date(*opposition);
        name_line.at(35, io::fmt_i(t.year, 4))
            .at(39, io::fmt_i(t.month, 3))
            .at(42, io::fmt_f(t.day + t.tenth / 10.0, 5, 1));
        if (kind_ == EphOutputKind::EmpEquator && !comet_ && t.year == package_info().first_year + 1 &&
            empeph_present_ && number >= 1) {
            auto emp = emp_record(empeph_, number, t.month, package_info().objects, extra_list_);
            if (emp && emp->has_value()) {
                const EmpephRecord& e = **emp;
                name_line.at(48, io::pad(e.text_a, 6)).at(55, io::pad(e.text_b, 4)).at(59, "/");
                name_line.at(60, io::pad(e.text_c, 4)).at(65, e.date_text());
            }
        }
    }
    return {std::string(kLineWidth, ' '), name_line.s, std::string(kLineWidth, ' ')};
}

std::vector<std::string> EphemerisRun::typed_heading_head() const {
    Line l;
    l.at(20, elements_form_ ? "elements:" : "coor&vel:");
    if (mode_ == ObjectMode::SingleOrbit)
        l.at(30, "single orbit");
    else
        l.at(30, orbit_list_name_.substr(0, 51));
    return {std::string(kLineWidth, ' '), l.s};
}

// The oppositions of a catalogue object in the near-opposition year: from
// "opls1.dat" while a continuation replays it, else computed (Datopp, Prdat)
// and written there.
Status EphemerisRun::oppositions_of(std::int32_t number, std::int16_t& count, std::array<double, 3>& dates) {
    const std::string opls(files::kOppositionDates);
    if (!opls_opened_) {
        opls_opened_ = true;
        const bool continuation = st_.saved_dates > 0;
        if (continuation) {
            auto lines = io::read_lines(opls);
            if (lines) opls_in_ = std::move(*lines);
            opls_replay_ = true;
        }
        auto w = io::TextWriter::create(opls, continuation);
        if (!w) return error_status("The file \"opls1.dat\" cannot be written: " + w.message());
        opls_out_.emplace(std::move(*w));
    }
    count = 0;
    dates = {0.0, 0.0, 0.0};
    if (opls_replay_) {
        // The object's line and its date lines, as a new run wrote them.
        bool replayed = false;
        if (opls_pos_ < opls_in_.size()) {
            auto o = read_opls_object_line(opls_in_[opls_pos_]);
            if (o && o->number == number && opls_pos_ + 1 + static_cast<std::size_t>(o->count) <= opls_in_.size()) {
                // A date the year's oppositions cannot have (a damaged line)
                // ends the replay like any other line that does not fit.
                const double earliest = new_year_jd(opp_year_) - 2.0, latest = new_year_jd(opp_year_ + 1) + 2.0;
                bool ok = true;
                for (int i = 0; i < o->count && ok; ++i) {
                    auto d = read_opls_date_line(opls_in_[opls_pos_ + 1 + static_cast<std::size_t>(i)]);
                    if (d && *d >= earliest && *d < latest)
                        dates[static_cast<std::size_t>(i)] = *d;
                    else
                        ok = false;
                }
                if (ok) {
                    count = o->count;
                    opls_pos_ += 1 + static_cast<std::size_t>(o->count);
                    replayed = true;
                }
            }
        }
        if (replayed) return ok_status();
        opls_replay_ = false;  // the file ends here: compute from now on
        dates = {0.0, 0.0, 0.0};
    }
    auto el = catelem(number);
    if (!el) return el.status();
    if ((*el)[5] < 1.0) ZEL_TRY(Datopp(number, opp_year_, count, dates));
    OppositionFile file;
    opls_out_->line(opls_object_line(number, count));
    for (int i = 0; i < count; ++i) {
        double& d = dates[static_cast<std::size_t>(i)];
        ZEL_TRY(Prdat(package_info().first_year, package_info().last_year, file, data_dir_, number, d,
                      data_paths().opp_counts));
        // The date as the file keeps it, so that a continuation replays the
        // very same value.
        const std::string line = opls_date_line(d);
        if (auto back = read_opls_date_line(line)) d = *back;
        opls_out_->line(line);
    }
    return ok_status();
}

Status EphemerisRun::catalogue_object(std::int32_t number, bool absent, std::string_view typed,
                                      std::optional<double> single_opposition) {
    const auto absent_message = [&](std::string_view text) {
        return message({std::string(kLineWidth, ' '),
                        Line().at(4, "object ").at(11, io::pad(text, kNameWidth)).at(29, "is absent in catalog").s});
    };
    if (absent) return absent_message(typed);
    comet_nongrav().slot[0] = NongravParams{};
    std::string name;
    if (number >= 1) {
        if (!catalogue_has(number)) return absent_message(typed.empty() ? std::to_string(number) : typed);
        if (comet_ && number <= catalogue_counts().numbered) {
            auto a = read_ngr(number);
            if (!a) return a.status();
            comet_nongrav().slot[0] = *a;
        }
        auto n = catname(number);
        if (!n) return n.status();
        name = *n;
    } else {
        if (nopp_) {
            return message({std::string(kLineWidth, ' '), Line()
                                                              .at(4, "Data for object ")
                                                              .at(20, io::fmt_i(number, 6))
                                                              .at(27, centname(-number).substr(0, 15))
                                                              .at(42, " are not calculated")
                                                              .s});
        }
        name = centname(-number);
    }
    if (!nopp_) return block(number, t1_, h_, k_, object_heading(number, name, std::nullopt));

    std::int16_t count = 0;
    std::array<double, 3> dates{};
    if (single_opposition) {
        count = 1;
        dates[0] = *single_opposition;
    } else {
        ZEL_TRY(oppositions_of(number, count, dates));
    }
    if (count == 0) {
        std::string object = number <= catalogue_counts().numbered
                                 ? number_field(number, 6) + " " + io::pad(name, kNameWidth).substr(0, 17)
                                 : io::pad(name, kNameWidth).substr(0, 10);
        object = std::string(io::trim_right(object));
        return message(
            {std::string(kLineWidth, ' '),
             io::pad("     object " + object + " has no opposition in " + io::fmt_i(opp_year_, 4), kLineWidth)});
    }
    for (int i = 0; i < count; ++i) {
        const double jd = dates[static_cast<std::size_t>(i)];
        const double t1 = 10.0 * std::trunc(jd / 10.0) - 10.0 * static_cast<double>(coverage_ / 20) + 0.5;
        ZEL_TRY(block(number, t1, opp_step_, k_, object_heading(number, name, jd)));
        if (stopped_) return ok_status();
    }
    return ok_status();
}

Status EphemerisRun::typed_orbit(std::int32_t r) {
    auto orbit = read_user_orbit(user_orbits_, r);
    if (!orbit) return error_status("The typed orbits \"rabb.da1\" cannot be read: " + orbit.message());
    std::vector<std::string> head = typed_heading_head();
    const std::string number = io::fmt_i(r, 6);
    if (!orbit->good()) {
        const auto fields = elements_form_ ? std::span<const std::string_view>(kElementFieldNames)
                                           : std::span<const std::string_view>(kCoordinateFieldNames);
        const std::size_t f = static_cast<std::size_t>(std::max(orbit->field, 1) - 1);
        const std::string_view field = f < fields.size() ? fields[f] : std::string_view("     ");
        const std::string name = io::pad(orbit->name, kNameWidth);
        std::string text;
        switch (orbit->status) {
            case UserOrbitStatus::Format:
                text = name + " orbit" + number + ", format error: " + std::string(field);
                break;
            case UserOrbitStatus::OutOfRange:
                text = name + " orbit" + number + ", data out of range: " + std::string(field);
                break;
            case UserOrbitStatus::Truncated:
                text = std::string(kNameWidth, ' ') + " orbit" + number + ", data are incomplete";
                break;
            default:
                text = std::string(kNameWidth, ' ') + " orbit" + number + ", data out of range  ";
                break;
        }
        head.push_back(io::pad(text, kLineWidth));
        return message(head);
    }
    MotionModel& m = motion_model();
    m.typed_mode = elements_form_ ? TypedOrbitMode::Elements : TypedOrbitMode::Coordinates;
    m.typed_epoch = orbit->epoch_jd;
    for (std::size_t i = 0; i < 6; ++i) m.typed_state[i] = orbit->state[i];
    m.typed_h = orbit->h;
    m.typed_g = orbit->g;
    head.push_back(std::string(kLineWidth, ' '));
    head.push_back(io::pad(io::pad(orbit->name, kNameWidth) + " orbit" + number, kLineWidth));
    head.push_back(std::string(kLineWidth, ' '));
    return block(r, t1_, h_, k_, head);
}

Status EphemerisRun::opposition_walk() {
    const double span = opp_last_.jd - opp_first_.jd;
    const std::int16_t fy = package_info().first_year, ly = package_info().last_year;
    OppositionFile file;
    double jd = opp_first_.jd;
    for (int year = year_of_jd(jd); year <= ly; ++year, jd = new_year_jd(year)) {
        std::int32_t record = 0, err = 0;
        ZEL_TRY(opfop(data_paths().opp_counts, fy, ly, file, data_dir_, jd, record, err));
        if (err == 1) {
            if (year < fy) continue;  // the range starts before the package years
            break;
        }
        if (record == 0) continue;
        for (std::int32_t r = record; r <= file.count(); ++r) {
            auto o = file.read(r);
            if (!o) return o.status();
            if (roundn(tenth_date(o->jd).packed(), 1) > opp_last_.packed) return ok_status();
            p_ = span != 0.0 ? (o->jd - opp_first_.jd) * 100.0 / span : 0.0;
            std::optional<double> single;
            if (nopp_ && year_of_jd(o->jd) == opp_year_) single = o->jd;
            ZEL_TRY(catalogue_object(o->number, false, {}, single));
            if (stopped_) return ok_status();
        }
        file.close();
    }
    return ok_status();
}

Status EphemerisRun::run() {
    n_ = 0;
    p_ = 0.0;
    meter_ = ProgressMeter{};
    switch (mode_) {
        case ObjectMode::Numbers:
        case ObjectMode::Name:
            for (std::int32_t n = first_; n <= last_ && !stopped_; ++n) {
                const std::string typed = mode_ == ObjectMode::Name ? text_of(*rec_, ef::objectName) : std::string();
                ZEL_TRY(catalogue_object(n, mode_ == ObjectMode::Name && name_absent_, typed, std::nullopt));
            }
            break;
        case ObjectMode::Oppositions:
            ZEL_TRY(opposition_walk());
            break;
        case ObjectMode::List: {
            const std::int32_t total = catalogue_counts().total();
            for (const std::string& line : list_lines_) {
                std::string text = io::pad(line, kNameWidth);
                std::int32_t n = inpnom(std::span<char>(text.data(), text.size()), total);
                bool absent = n == 0;
                // -90 is a text that names no object of a task; of the major
                // bodies only the solar-system barycentre (body 0) gets it.
                if (n == kNoTaskObject) {
                    if (nomgpl(line) == 13)
                        n = 0;
                    else
                        absent = true;
                }
                ZEL_TRY(catalogue_object(n, absent, line, std::nullopt));
                if (stopped_) break;
            }
            break;
        }
        case ObjectMode::SingleOrbit:
        case ObjectMode::OrbitList:
            for (std::int32_t r = 1; r <= objects_ && !stopped_; ++r) ZEL_TRY(typed_orbit(r));
            break;
        case ObjectMode::None:
            break;
    }
    return ok_status();
}

Status EphemerisRun::finish_files() {
    if (finished_) return ok_status();
    finished_ = true;
    Status written;
    if (opls_out_) {
        if (Status s = opls_out_->close(); !s)
            written = error_status("The opposition dates \"opls1.dat\" cannot be written: " + s.message());
        opls_out_.reset();
    }
    result_.close();
    empeph_.close();
    user_orbits_.close();
    if (user_orbits_used_) {
        std::remove(std::string(files::kUserOrbitsEph).c_str());
        user_orbits_used_ = false;
    }
    MotionModel& m = motion_model();
    m.typed_mode = TypedOrbitMode::Catalogue;
    catclose();
    de_close();
    return written;
}

}  // namespace

// ---- Progress -----------------------------------------------------------------

std::optional<int> ProgressMeter::after_date(std::int64_t n, double p, double& last_percent, std::int32_t& sent) {
    if (n != 1 && n % kReportPeriod != 0) return std::nullopt;
    const double w = (p - last_percent) + remainder;
    remainder = w;
    int inc = static_cast<int>(std::trunc(std::min(w, 1e9)));
    if (inc >= 1) {
        if (first_step) {
            inc -= 1;
            first_step = false;
        }
        remainder = 0.0;
    } else {
        inc = 0;
        if (n == 1) {
            inc = 1;
            first_step = true;
        }
    }
    // The sum sent stays at most 99 until the end; what is sent is always
    // what the sum says.
    if (sent + inc >= 100) inc = std::max(0, 99 - sent);
    sent += inc;
    last_percent = p;
    return inc;
}

// ---- Header ------------------------------------------------------------------

std::vector<std::string> ephemeris_description(const EphTaskRecord& rec, std::int32_t minor_centre,
                                               const TaskObserver& observer) {
    std::string r1 = frame_text(rec.get(ef::mainPlane), rec.get(ef::equinox));
    if (rec.get(ef::coordinateType) == "REC") {
        r1 += " Rectangular coordinates";
    } else {
        const std::string_view kind = rec.get(ef::positionKind);
        r1 += kind == "AST" ? " Astrometric" : kind == "GMT" ? " Geometric" : kind == "APP" ? " Apparent" : "";
        r1 += " positions";
    }
    switch (rec.get_char(ef::motionModel)) {
        case '0':
            r1 += " Accuracy: Elliptic motion";
            break;
        case '1':
            r1 += " Accuracy: Nodes";
            break;
        case '2': {
            std::array<int, kPerturbers> sw{};
            for (int i = 1; i <= kPerturbers; ++i) {
                const char c = rec.get_char(ef::perturbers.element(i));
                sw[static_cast<std::size_t>(i - 1)] = (c >= '0' && c <= '9') ? c - '0' : 0;
            }
            r1 += " Accuracy: " + perturber_letters(sw, rec.get_char(ef::relativisticSun) == '1');
            break;
        }
        default:
            break;
    }
    Line r2;
    if (!observer.topocentric) {
        r2.at(1, "Center:");
        auto centre = rec.get_int(ef::centreIndex);
        const std::int64_t c = centre ? *centre : 0;
        if (c < kCentreMinorObject) {
            r2.at(10, centname(static_cast<int>(c)));
        } else {
            r2.at(10, number_field(minor_centre, 6));
            auto name = catname(minor_centre);
            r2.at(17, name ? io::pad(*name, kNameWidth) : std::string(kNameWidth, ' '));
        }
    } else if (observer.mode == 1 || observer.mode == 2) {
        r2.at(2, n_obs(observer.observatory)).at(6, io::pad(observer.observatory_name, 50));
    } else if (observer.mode == 3) {
        r2.at(1, "Longitude=").at(11, rec.get(ef::siteLongitude)).at(22, "dxy=").at(26, rec.get(ef::rhoCosPhi));
        r2.at(36, "dz=").at(40, rec.get(ef::rhoSinPhi));
    } else {
        r2.at(1, "Longitude=").at(11, rec.get(ef::geoLongitude)).at(22, "Latitude=").at(31, rec.get(ef::geoLatitude));
        r2.at(42, "Height=").at(50, rec.get(ef::geoHeight));
    }
    return {io::pad(r1, kLineWidth), r2.s};
}

// ---- Observer ----------------------------------------------------------------

Result<TaskObserver> task_observer(const EphTaskRecord& rec) {
    TaskObserver o;
    if (rec.get(ef::observerKind) != "TOP") return o;
    o.topocentric = true;
    const char mode = rec.get_char(ef::observerMode);
    if (mode < '1' || mode > '4')
        return error_status(std::string("The ephemeris task \"eph.cfg\" has no observer mode in column 157: \"") +
                            mode + "\".");
    o.mode = mode - '0';
    if (o.mode == 1 || o.mode == 2) {
        const std::string_view code = rec.get(ef::observatoryCode);
        auto number = obs_n(code);
        if (!number)
            return error_status("The observatory code \"" + std::string(code) +
                                "\" cannot be read: " + number.message());
        auto r = [&]() -> Result<ObservatoryRecord> {
            if (*number == kGeocentreCode) return geocentre_record();  // needs no record
            auto path = observatory_file(files::kObservatoryRecords);
            if (!path) return path.status();
            auto list = io::RecordFile::open(*path, ObservatoryRecord::kLength, io::OpenMode::Read);
            if (!list) return error_status("The observatory list \"" + *path + "\" cannot be read: " + list.message());
            auto listed = read_observatory(*list, *number);
            if (!listed)
                return error_status("The observatory \"" + std::string(code) +
                                    "\" is not in the list: " + listed.message());
            return listed;
        }();
        if (!r) return r.status();
        o.observatory = *number;
        o.observatory_name = r->name;
        o.longitude_deg = r->longitude_deg;
        o.rho_cos_phi = r->rho_cos_phi;
        o.rho_sin_phi = r->rho_sin_phi;
    } else if (o.mode == 3) {
        auto lon = typed_number(rec.get(ef::siteLongitude), "longitude");
        auto dxy = typed_number(rec.get(ef::rhoCosPhi), "parallax constant rho cos phi'");
        auto dz = typed_number(rec.get(ef::rhoSinPhi), "parallax constant rho sin phi'");
        if (!lon) return lon.status();
        if (!dxy) return dxy.status();
        if (!dz) return dz.status();
        o.longitude_deg = *lon;
        o.rho_cos_phi = *dxy;
        o.rho_sin_phi = *dz;
    }
    if (o.mode <= 3) {
        if (o.rho_cos_phi != 0.0) {
            double h = 0.0, lat = 0.0, lon = 0.0;
            GEODESY(o.rho_cos_phi * kGeoAEarth, 0.0, o.rho_sin_phi * kGeoAEarth, PointForm::Rectangular,
                    PointForm::Geodetic, h, lat, lon);
            if (!std::isfinite(h) || !std::isfinite(lat))
                return error_status("The observer's parallax constants place it too near the Earth's centre.");
            o.latitude_deg = lat / 3600.0;
            o.height_m = h;
        } else {
            o.latitude_deg = o.rho_sin_phi >= 0.0 ? 90.0 : -90.0;
            o.height_m = std::fabs(o.rho_sin_phi * kGeoAEarth) - kGeoPolarRadius;
        }
    } else {
        auto lon = typed_number(rec.get(ef::geoLongitude), "longitude");
        auto lat = typed_number(rec.get(ef::geoLatitude), "latitude");
        auto height = typed_number(rec.get(ef::geoHeight), "height");
        if (!lon) return lon.status();
        if (!lat) return lat.status();
        if (!height) return height.status();
        o.longitude_deg = *lon;
        o.latitude_deg = *lat;
        o.height_m = *height;
        double x = 0.0, y = 0.0, z = 0.0;
        GEODESY(o.height_m, o.latitude_deg * 3600.0, 0.0, PointForm::Geodetic, PointForm::Rectangular, x, y, z);
        o.rho_cos_phi = std::hypot(x, y) / kGeoAEarth;
        o.rho_sin_phi = z / kGeoAEarth;
    }
    o.site.longitude = o.longitude_deg / kDegPerRad;
    o.site.latitude = o.latitude_deg / kDegPerRad;
    o.site.rho_cos_phi = o.rho_cos_phi * kParallaxScale;
    o.site.rho_sin_phi = o.rho_sin_phi * kParallaxScale;
    return o;
}

// ---- The call -------------------------------------------------------------------

Status progr(ProgrCounters& counters, const std::function<int(int)>& step) {
    EphRunState& st = eph_run_state();
    const bool continuation = (counters.cont & 0xFF) == 1;
    counters.interrupted = 0;
    EphemerisRun run(st, step);
    ZEL_TRY(run.setup(continuation));
    run.commit_new_run();
    st.cont = continuation ? 1 : 0;
    st.interrupted = 0;
    // From here on the run's files change: only a stop that ends the call
    // normally leaves a run to continue.
    st.stopped = false;
    Status s = run.run();
    const Status closed = run.finish_files();
    if (s.ok()) s = closed;
    if (!s.ok()) {
        counters.percent = st.sent;
        return s;
    }
    if (run.stopped()) {
        st.stopped = true;
        counters.cont = 1;
        counters.interrupted = 1;
    } else {
        if (step) st.last_callback = step(100 - st.sent);
        st.sent = 100;
    }
    counters.percent = st.sent;
    return ok_status();
}

}  // namespace zelvomat

// ---- Export ---------------------------------------------------------------------

extern "C" ZELVOMAT_API void progr(int* cont, int* interrupted, int* percent, ProgressStepCallback cb) {
    zelvomat::export_guard([&]() -> zelvomat::Status {
        if (cont == nullptr || interrupted == nullptr || percent == nullptr)
            return zelvomat::error_status("progr: counters missing");
        zelvomat::ProgrCounters c;
        c.cont = *cont;
        *interrupted = 0;  // whatever way the call ends, until it is known to be stopped
        const std::function<int(int)> step = cb != nullptr ? std::function<int(int)>(cb) : std::function<int(int)>();
        const zelvomat::Status s = zelvomat::progr(c, step);
        *cont = c.cont;
        *interrupted = c.interrupted;
        *percent = c.percent;
        return s;
    });
}
