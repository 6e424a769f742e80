// The ephemeris task driver's run (progr.h): the state of one call and the
// helpers its parts share. Parts by concern:
//   progr_setup.cpp        the run's set-up: settings, task record, objects, dates
//   progr_loop.cpp         the object and date loop, progress, the result lines
//   progr_oppositions.cpp  the oppositions of an object and the replay of "opls1.dat"
//   progr_describe.cpp     the description text of the task (the header lines)
//   progr_observer.cpp     the observer's geometry from the task record
//   progr.cpp              the call, the progress meter and the export
#pragma once

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
#include "tasks/libstate.h"
#include "tasks/obsfiles.h"
#include "tasks/oppos.h"
#include "tasks/outform.h"
#include "tasks/progr.h"
#include "tasks/taskhead.h"
#include "zelvomat.h"

namespace zelvomat::progr_detail {

namespace ef = eph_field;

inline constexpr std::int64_t kReportPeriod = 100;  // dates between progress reports
inline constexpr double kSharePerOppositionBlock = 11.0;
inline constexpr double kOppositionShareExtra = 8.5;
inline constexpr double kObjectsPerOppositionDay = 35.0;  // OPPO: objects counted per day of the range
inline constexpr double kNoOppositionStep = 999.9;
inline constexpr std::int64_t kMostDatesPerBlock = 10000000;  // dates of one object: 27000 years at one a day
inline constexpr std::size_t kNameWidth = 18;
inline constexpr std::size_t kLineWidth = 80;
inline constexpr double kGeoAEarth = kGeoA;  // m

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

// A date of the OPPO range, YYYYMMDD.d: its Julian date and the number
// itself with one decimal.
struct RangeDate {
    double jd = 0.0;
    double packed = 0.0;
    int tenth = 0;
};

// Civil date of a Julian date with the day's tenth (at most .9).
struct TenthDate {
    int year = 0, month = 0, day = 0, tenth = 0;
    double packed() const { return year * 10000.0 + month * 100.0 + day + tenth / 10.0; }
};

// Names of the typed orbit fields by the number of the faulty field.
inline constexpr std::array<std::string_view, 13> kElementFieldNames = {"Desi.", "H    ", "G    ", "Epoch", "M    ",
                                                                        "T    ", "Peri.", "Node ", "i    ", "e    ",
                                                                        "n    ", "a    ", "q    "};
inline constexpr std::array<std::string_view, 10> kCoordinateFieldNames = {"Desi.", "H    ", "G    ", "Epoch", "X    ",
                                                                           "Y    ", "Z    ", "dX/dt", "dY/dt", "dZ/dt"};

std::string text_of(const EphTaskRecord& rec, RecordField f);
std::string columns_text(const RecordField& f);
// An integer field of the task record; a field holding anything but digits,
// blanks and a sign ends the run with a message naming its columns.
Result<std::int64_t> int_field(const EphTaskRecord& rec, RecordField f);
Result<double> real_field(const EphTaskRecord& rec, RecordField f);
Result<double> typed_number(std::string_view text, const char* what);
ObjectMode object_mode(std::string_view key);
Result<RangeDate> range_date(const EphTaskRecord& rec, RecordField f);
TenthDate tenth_date(double jd);

// Everything one call needs, from the settings and the stored task record.
class EphemerisRun {
public:
    EphemerisRun(LibraryState& lib, const std::function<int(int)>& step)
        : core_(lib.core), st_(lib.eph_run), step_(step) {}
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

    bool may_write() const { return dates_done_ >= st_.saved_dates; }
    void skip_object() { percent_done_ += static_cast<double>(dates_per_object_) * share_per_date_; }

    CoreState& core_;
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
    std::int32_t object_count_ = 0;                 // objects of the run, as the progress shares count them
    double first_date_jd_ = 0.0, date_step_ = 1.0;  // the block's first date and step (days)
    std::int64_t dates_per_object_ = 1;             // dates of one object's block
    double share_per_date_ = 0.0;                   // percent of the run one date counts for
    std::int32_t coverage_ = 0;
    double opp_step_ = kNoOppositionStep;
    std::int16_t opp_year_ = 0;
    std::int32_t ephem_year_ = 0;
    EphOutputKind kind_ = EphOutputKind::EmpEquator;
    RestrictionBounds bounds_;
    std::string coord_type_;

    // Per call.
    std::int64_t dates_done_ = 0;  // dates counted in this call (done or skipped on replay)
    double percent_done_ = 0.0;    // percent of the run accumulated
    ProgressMeter meter_;
    bool stopped_ = false;
};

}  // namespace zelvomat::progr_detail
