// Ephemeris task driver: the object and date loop.
#include "core/corestate.h"
#include "tasks/progr_run.h"

namespace zelvomat::progr_detail {

// ---- The loop ----------------------------------------------------------------

Status EphemerisRun::report() {
    const auto inc = meter_.after_date(dates_done_, percent_done_, st_.last_percent, st_.sent);
    if (!inc) return ok_status();
    st_.last_callback = step_ ? step_(*inc) : 0;
    if (st_.last_callback != 0) {
        st_.saved_dates = dates_done_;
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
    ZEL_TRY(ephem(core_, number, d, ephem_year_, data_dir_, v, accuracy));
    const bool passed = Conds(number, coord_type_, bounds_, v);
    if (block_heading_due(passed, st_.restrictions.reject_solitary, st_.heading_written)) {
        ZEL_TRY(write_lines(heading));
        st_.heading_written = true;
    }
    if (passed) {
        auto written = Outform(number, result_, d.jd(), kind_, v, accuracy, static_cast<std::int32_t>(st_.next_record),
                               core_.ephem.no_magnitude);
        if (!written) return written.status();
        st_.next_record += *written;
    }
    return ok_status();
}

Status EphemerisRun::block(std::int32_t number, double t1, double step, std::int64_t dates,
                           std::vector<std::string> heading) {
    if (nopp_) percent_done_ += kSharePerOppositionBlock * share_per_date_;
    // A block begun before the stop keeps the heading state of then.
    if (dates_done_ >= st_.saved_dates) st_.heading_written = false;
    for (std::int64_t k = 1; k <= dates; ++k) {
        if (dates_done_ + 1 > st_.saved_dates) {
            ZEL_TRY(date(number, t1, step, static_cast<std::int32_t>(k), heading));
            percent_done_ += share_per_date_;
            ++dates_done_;
            ZEL_TRY(report());
            if (stopped_) return ok_status();
        } else {
            ++dates_done_;
            percent_done_ += share_per_date_;
        }
    }
    return ok_status();
}

std::vector<std::string> EphemerisRun::object_heading(std::int32_t number, const std::string& name,
                                                      std::optional<double> opposition) {
    Line name_line;
    if (number <= core_.catalogue.counts.numbered) name_line.at(5, number_field(number, 6));
    name_line.at(12, io::pad(name, kNameWidth));
    if (opposition) {
        name_line.s.replace(29, 5, 5, ' ');
        const TenthDate t = tenth_date(*opposition);
        name_line.at(35, io::fmt_i(t.year, 4))
            .at(39, io::fmt_i(t.month, 3))
            .at(42, io::fmt_f(t.day + t.tenth / 10.0, 5, 1));
        if (kind_ == EphOutputKind::EmpEquator && !comet_ && t.year == core_.package.first_year + 1 &&
            empeph_present_ && number >= 1) {
            auto emp = emp_record(empeph_, number, t.month, core_.package.objects, extra_list_);
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

Status EphemerisRun::catalogue_object(std::int32_t number, bool absent, std::string_view typed,
                                      std::optional<double> single_opposition) {
    const auto absent_message = [&](std::string_view text) {
        return message({std::string(kLineWidth, ' '),
                        Line().at(4, "object ").at(11, io::pad(text, kNameWidth)).at(29, "is absent in catalog").s});
    };
    if (absent) return absent_message(typed);
    core_.comet_nongrav.slot[0] = NongravParams{};
    std::string name;
    if (number >= 1) {
        if (!catalogue_has(core_.catalogue, number))
            return absent_message(typed.empty() ? std::to_string(number) : typed);
        if (comet_ && number <= core_.catalogue.counts.numbered) {
            auto a = read_ngr(core_.data_paths, number);
            if (!a) return a.status();
            core_.comet_nongrav.slot[0] = *a;
        }
        auto n = catname(core_.catalogue, number);
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
    if (!nopp_)
        return block(number, first_date_jd_, date_step_, dates_per_object_, object_heading(number, name, std::nullopt));

    std::int16_t count = 0;
    std::array<double, 3> dates{};
    if (single_opposition) {
        count = 1;
        dates[0] = *single_opposition;
    } else {
        ZEL_TRY(oppositions_of(number, count, dates));
    }
    if (count == 0) {
        std::string object = number <= core_.catalogue.counts.numbered
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
        ZEL_TRY(block(number, t1, opp_step_, dates_per_object_, object_heading(number, name, jd)));
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
    MotionConfig& m = core_.motion;
    m.typed_mode = elements_form_ ? TypedOrbitMode::Elements : TypedOrbitMode::Coordinates;
    m.typed_epoch = orbit->epoch_jd;
    for (std::size_t i = 0; i < 6; ++i) m.typed_state[i] = orbit->state[i];
    m.typed_h = orbit->h;
    m.typed_g = orbit->g;
    head.push_back(std::string(kLineWidth, ' '));
    head.push_back(io::pad(io::pad(orbit->name, kNameWidth) + " orbit" + number, kLineWidth));
    head.push_back(std::string(kLineWidth, ' '));
    return block(r, first_date_jd_, date_step_, dates_per_object_, head);
}

Status EphemerisRun::opposition_walk() {
    const double span = opp_last_.jd - opp_first_.jd;
    const std::int16_t fy = core_.package.first_year, ly = core_.package.last_year;
    OppositionFile file;
    double jd = opp_first_.jd;
    for (int year = year_of_jd(jd); year <= ly; ++year, jd = new_year_jd(year)) {
        std::int32_t record = 0, err = 0;
        ZEL_TRY(opfop(core_.data_paths.opp_counts, fy, ly, file, data_dir_, jd, record, err));
        if (err == 1) {
            if (year < fy) continue;  // the range starts before the package years
            break;
        }
        if (record == 0) continue;
        for (std::int32_t r = record; r <= file.count(); ++r) {
            auto o = file.read(r);
            if (!o) return o.status();
            if (roundn(tenth_date(o->jd).packed(), 1) > opp_last_.packed) return ok_status();
            percent_done_ = span != 0.0 ? (o->jd - opp_first_.jd) * 100.0 / span : 0.0;
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
    dates_done_ = 0;
    percent_done_ = 0.0;
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
            const std::int32_t total = core_.catalogue.counts.total();
            for (const std::string& line : list_lines_) {
                std::string text = io::pad(line, kNameWidth);
                std::int32_t n = inpnom(core_.catalogue, std::span<char>(text.data(), text.size()), total);
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
            for (std::int32_t r = 1; r <= object_count_ && !stopped_; ++r) ZEL_TRY(typed_orbit(r));
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
    MotionConfig& m = core_.motion;
    m.typed_mode = TypedOrbitMode::Catalogue;
    catclose(core_.catalogue);
    de_close(core_.de, core_.de_copies);
    return written;
}

}  // namespace zelvomat::progr_detail
