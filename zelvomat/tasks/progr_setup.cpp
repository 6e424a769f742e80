// Ephemeris task driver: the set-up of a run (settings, task record, objects, dates).
#include "core/corestate.h"
#include "tasks/progr_run.h"

namespace zelvomat::progr_detail {

std::string text_of(const EphTaskRecord& rec, RecordField f) { return std::string(rec.get(f)); }

std::string columns_text(const RecordField& f) { return std::to_string(f.offset + 1) + "-" + std::to_string(f.end()); }

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

Status EphemerisRun::read_settings() {
    ZEL_TRY(in_par(core_));
    auto bytes = io::read_file_bytes(std::string(files::kSettings));
    if (!bytes) return error_status("The settings file \"setpar\" cannot be read: " + bytes.message());
    auto s = decode_settings(*bytes);
    if (!s) return error_status("The settings file \"setpar\" cannot be read: " + s.message());
    settings_ = *s;
    data_dir_ = std::string(io::trim_right(core_.data_paths.data_dir));
    // The extra list of "empeph": records 1, 2, 10 in turn, each read only
    // when the one before was full; it ends at the first zero.
    extra_list_.clear();
    for (std::int32_t v : settings_.empeph_list) {
        if (v == 0) break;
        extra_list_.push_back(v);
    }
    comet_ = settings_.comet_edition != 0;
    ZEL_TRY(load_minor_perturbers(core_.minor_perturbers));
    ZEL_TRY(load_planet_elements(core_));
    ZEL_TRY(load_moon_series(core_.moon_series, core_.data_paths));
    ZEL_TRY(load_delta_t(core_.delta_t, data_file(core_.data_paths, files::kDeltaT)));
    // "empeph": the EMP opposition data; a missing or empty file has no
    // record for any object.
    const std::string emp = data_file(core_.data_paths, files::kEmpeph);
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
    object_count_ = 0;
    switch (mode_) {
        case ObjectMode::Numbers: {
            auto a = int_field(rec, ef::firstNumber);
            auto b = int_field(rec, ef::lastNumber);
            if (!a) return a.status();
            if (!b) return b.status();
            first_ = static_cast<std::int32_t>(*a);
            last_ = static_cast<std::int32_t>(*b);
            object_count_ = last_ - first_ + 1;
            break;
        }
        case ObjectMode::Name: {
            const std::string_view name = rec.get(ef::objectName);
            std::int32_t n = catnum(core_.catalogue, name);
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
            object_count_ = 1;
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
            object_count_ = static_cast<std::int32_t>((opp_last_.jd - opp_first_.jd) * kObjectsPerOppositionDay);
            break;
        }
        case ObjectMode::List: {
            const std::string name(io::trim(rec.get(ef::objectListFile)));
            auto lines = io::read_lines(name);
            if (!lines) return error_status("The object list \"" + name + "\" cannot be read: " + lines.message());
            list_lines_.clear();
            for (const std::string& l : *lines)
                if (!io::is_blank(io::column(l, 1, kNameWidth))) list_lines_.push_back(io::column(l, 1, kNameWidth));
            object_count_ = 1 + static_cast<std::int32_t>(list_lines_.size());
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
                core_.comet_nongrav.slot[0] = NongravParams{(*a)[0], (*a)[1], (*a)[2]};
            }
            const std::vector<std::int32_t> fields = order_fields(*order);
            auto count = userorb(text_path, std::string(user_orbit_work_file(true)),
                                 elements_form_ ? OrbitForm::Elements : OrbitForm::Coordinates, fields);
            if (!count) return count.status();
            user_orbits_used_ = true;
            object_count_ = count->records;
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
    dates_per_object_ = k < 1.0 ? 1 : static_cast<std::int64_t>(k);
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
        date_step_ = *h;
        if (b == a) date_step_ = 1.0;
        if (b < a) date_step_ = -date_step_;
        first_date_jd_ = a;
        if (date_step_ != 0.0) {
            ZEL_TRY(set_date_count(std::round((b - a) / date_step_) + 1.0));
        } else {
            dates_per_object_ = 1;
            date_step_ = 1.0;
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
    if (dates_per_object_ < 1) dates_per_object_ = 1;
    const double c = std::max<std::int32_t>(object_count_, 1);
    share_per_date_ = (nopp_ && mode_ != ObjectMode::Oppositions)
                          ? (100.0 / c) / (static_cast<double>(dates_per_object_) + kOppositionShareExtra)
                          : 100.0 / c / static_cast<double>(dates_per_object_);
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
    MotionConfig& m = core_.motion;
    if (!continuation) {
        m = MotionConfig{};
        core_.integration = LiveIntegration{};
    }
    m.comet_mode = comet_ ? 1 : 0;
    m.catalogue_epoch = core_.package.catalogue_epoch;
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
    core_.task_options = *opt;
    core_.observer_site = task_->observer.topocentric ? task_->observer.site : ObserverSite{};

    // The planetary ephemeris file, the catalogue, the centre object.
    ZEL_TRY(de_open(core_.de, core_.de_copies, core_.data_paths));
    ZEL_TRY(catopen(core_.catalogue));
    core_.comet_nongrav = CometNongrav{};
    if (!continuation) core_.ephem = EphemState{};
    if (task_->minor_centre > 0) {
        ZEL_TRY(set_centre_object(core_, task_->minor_centre));
        if (comet_) {
            auto a = read_ngr(core_.data_paths, task_->minor_centre);
            if (!a) return a.status();
            core_.comet_nongrav.slot[1] = *a;
        }
    }
    close_element_files(core_.element_cache);

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
        const auto desc = ephemeris_description(core_.catalogue, rec, task_->minor_centre, task_->observer);
        ZEL_TRY(write_task_header(core_.data_paths, TaskHeaderKind::Ephemeris, desc, kind_number(kind_)));
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

}  // namespace zelvomat::progr_detail
