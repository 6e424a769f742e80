// Ephemeris task driver: the oppositions of an object, computed or replayed from "opls1.dat".
#include "tasks/progr_run.h"

namespace zelvomat::progr_detail {

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
    auto el = catelem(core_.catalogue, number);
    if (!el) return el.status();
    if ((*el)[5] < 1.0) ZEL_TRY(Datopp(core_, number, opp_year_, count, dates));
    OppositionFile file;
    opls_out_->line(opls_object_line(number, count));
    for (int i = 0; i < count; ++i) {
        double& d = dates[static_cast<std::size_t>(i)];
        ZEL_TRY(Prdat(core_.package.first_year, core_.package.last_year, file, data_dir_, number, d,
                      core_.data_paths.opp_counts));
        // The date as the file keeps it, so that a continuation replays the
        // very same value.
        const std::string line = opls_date_line(d);
        if (auto back = read_opls_date_line(line)) d = *back;
        opls_out_->line(line);
    }
    return ok_status();
}

}  // namespace zelvomat::progr_detail
