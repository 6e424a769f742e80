// cntl: the check of one 80-column observation or plate line (linecheck.h).
//
// The check reads the settings file once per task run (data directory, the
// package's years) and an observatory's record once per change of code, so
// that a list of thousands of lines of one observatory opens no file per line.
#include <array>
#include <string>

#include "core/datajd.h"
#include "io/errchan.h"
#include "io/fields.h"
#include "io/files.h"
#include "io/recfile.h"
#include "tasks/libstate.h"
#include "tasks/linecheck.h"
#include "tasks/obsline.h"
#include "zelvomat/zelvomat.h"

namespace zelvomat {

namespace {

using checks::CheckError;

constexpr std::size_t kLineLength = 80;

LineCheck fault(CheckError e, int first, int last, int layout = 0) {
    LineCheck r;
    r.error = e;
    r.first_col = first;
    r.last_col = last;
    r.layout = layout;
    return r;
}

// Settings records 4 (data directory) and 6 (package years).
Status load_settings(LineCheckState& st) {
    auto dir = settings_data_dir();
    if (!dir) return dir.status();
    auto params = settings_params();
    if (!params) return params.status();
    LineCheckState loaded;
    loaded.loaded = true;
    loaded.data_dir = *dir;
    loaded.package = package_info_from(*params);
    st = loaded;  // the observatory record is forgotten with the rest
    return ok_status();
}

// Reads the record of observatory number n into the state, unless the state
// holds it from the same list already.
Status hold_observatory(LineCheckState& st, const ObservatoryListWrites& writes, int n) {
    const std::string path = io::find_file(st.data_dir, files::kObservatoryRecords);
    const ObservatoryListStamp stamp = observatory_records_stamp(writes, path);
    if (n == st.code_number && stamp == st.stamp) return ok_status();

    st.code_number = -1;
    st.found = false;
    auto f = io::RecordFile::open(path, ObservatoryRecord::kLength, io::OpenMode::Read);
    if (!f) return error_status("The observatory list \"" + path + "\" cannot be read (" + f.message() + ").");
    auto count = f->record_count();
    if (!count) return count.status();
    if (n + 1 <= *count) {
        auto rec = read_observatory(*f, n);
        if (!rec) return rec.status();
        st.found = true;
        st.record_number = rec->number;
        st.longitude_deg = rec->longitude_deg;
        st.rho_cos_phi = rec->rho_cos_phi;
        st.rho_sin_phi = rec->rho_sin_phi;
    }
    st.code_number = n;
    st.stamp = stamp;
    return ok_status();
}

// The fields of the two angles, as the layout places them. For the first
// angle: hours or degrees, minutes, and the last field (seconds, or the
// fraction of a minute in the decimal-minutes layout); the same for the
// second angle in degrees.
struct AngleFields {
    std::int64_t a_whole = 0, a_min = 0;
    double a_last = 0.0;
    std::int64_t b_whole = 0, b_min = 0;
    double b_last = 0.0;
};

// Reads the fields; 1 when a field of the first angle does not read, 2 for
// the second angle, 0 when all read.
int read_angle_fields(std::string_view line, bool hours, int layout, AngleFields& a) {
    // An angle whose columns are all blank is no position (its fields would
    // read as zero).
    const auto blank = [&](std::size_t first, std::size_t last) {
        return line.substr(first - 1, last - first + 1).find_first_not_of(' ') == std::string_view::npos;
    };
    if (blank(33, 43)) return 1;
    if (blank(46, 55)) return 2;
    auto whole = [&](std::size_t first, std::size_t width, std::int64_t& v) {
        auto r = io::read_int(io::column(line, first, width));
        if (r) v = *r;
        return r.ok();
    };
    auto real = [&](std::size_t first, std::size_t width, int decimals, double& v) {
        auto r = read_angle_part(io::column(line, first, width), decimals);
        if (r) v = *r;
        return r.ok();
    };
    bool ok1 = false;
    if (hours)
        ok1 = whole(33, 2, a.a_whole) && whole(35, 3, a.a_min) &&
              (layout == 1 ? real(38, 3, 2, a.a_last) : real(38, 6, 2, a.a_last));
    else
        ok1 = whole(33, 3, a.a_whole) && whole(36, 3, a.a_min) &&
              (layout == 1 ? real(39, 2, 1, a.a_last) : real(39, 5, 1, a.a_last));
    if (!ok1) return 1;
    const bool ok2 = whole(46, 2, a.b_whole) && whole(48, 3, a.b_min) &&
                     (layout == 1 ? real(51, 2, 1, a.b_last) : real(51, 5, 1, a.b_last));
    return ok2 ? 0 : 2;
}

}  // namespace

LineCheck check_line(LineCheckState& st, const ObservatoryListWrites& writes, int task, int system,
                     std::string_view text) {
    const std::string line = io::pad(text.substr(0, std::min(text.size(), kLineLength)), kLineLength);
    const bool plate = task == 1;
    const bool hours = system == 1;
    auto col = [&](std::size_t c) { return line[c - 1]; };

    // 1. Field mask.
    std::string mask(kLineMaskDate);
    mask += hours ? kLineMaskHours : kLineMaskDegrees;
    mask += plate ? kLineMaskPlate : kLineMaskObservation;
    if (auto m = checks::mask_test(mask, line, kLineLength); !m.ok())
        return fault(CheckError::Format, m.position, m.position);

    // 2. The date exists: converted to a Julian date and back it is the same.
    const auto year = io::read_int(io::column(line, 16, 4));
    const auto month = io::read_int(io::column(line, 20, 3));
    const auto day = io::read_int(io::column(line, 23, 3));
    const auto fraction = io::read_real(io::column(line, 26, 6), 5);
    if (!year || !month || !day || !fraction) return fault(CheckError::Format, 16, 31);
    {
        std::int32_t jd = 0;
        double jd_fraction = 0.0;
        caljd(static_cast<int>(*year), static_cast<int>(*month), static_cast<int>(*day), *fraction, jd, jd_fraction,
              DayStart::Civil);
        int y = 0, m = 0, d = 0;
        double f = 0.0;
        jdcal(jd, jd_fraction, y, m, d, f);
        if (y != *year || m != *month || d != *day) return fault(CheckError::OutOfRange, 16, 31);
    }

    // 3. Angle layout: 1 decimal minutes, 2 seconds; a mixed pair is refused.
    const std::size_t min_point = hours ? 38 : 39;  // decimal-minutes point of the first angle
    const std::size_t sec_point = hours ? 41 : 42;  // seconds point of the first angle
    if (col(min_point) == '.' && col(54) == '.') return fault(CheckError::Format, 54, 54);
    if (col(sec_point) == '.' && col(51) == '.') return fault(CheckError::Format, 51, 51);
    const int layout = (col(min_point) == '.' && col(51) == '.') ? 1 : 2;

    // 4. The angles read and lie within their ranges.
    AngleFields a;
    switch (read_angle_fields(line, hours, layout, a)) {
        case 1:
            return fault(CheckError::Format, 33, 43, layout);
        case 2:
            return fault(CheckError::Format, 45, 55, layout);
        default:
            break;
    }
    const std::int64_t limit = hours ? 24 : 360;
    if (a.a_whole == limit && (a.a_min != 0 || a.a_last != 0.0)) return fault(CheckError::OutOfRange, 33, 43, layout);
    if (a.b_whole == 90 && (a.b_min != 0 || a.b_last != 0.0)) return fault(CheckError::OutOfRange, 45, 55, layout);
    if (a.a_whole > limit || a.a_min >= 60 || (layout == 2 && a.a_last >= 60.0))
        return fault(CheckError::OutOfRange, 33, 43, layout);
    if (a.b_whole > 90 || a.b_min >= 60 || (layout == 2 && a.b_last >= 60.0))
        return fault(CheckError::OutOfRange, 45, 55, layout);

    // 5. Package data, once per task run.
    Status settings = ok_status();
    if (!st.loaded) settings = load_settings(st);

    // 6. Date span.
    if (task == 3) {
        if (*year < 1800 || *year > 2100) return fault(CheckError::DateOutsidePackage, 16, 31, layout);
    } else {
        if (!st.loaded) {
            LineCheck r = fault(CheckError::DateOutsidePackage, 16, 31, layout);
            r.files = settings;
            return r;
        }
        const int first = st.package.first_year, last = st.package.last_year;
        if (*year < first || *year > last || (*year == first && *month < 11) || (*year == last && *month > 3))
            return fault(CheckError::DateOutsidePackage, 16, 31, layout);
    }

    // 7. Plate sizes: R.A. half size in minutes of time, Decl. half size in
    // degrees; a whole number when the column of the point is blank.
    if (plate) {
        const auto ra =
            col(62) == ' ' ? io::read_real(io::column(line, 59, 3), 0) : io::read_real(io::column(line, 59, 5), 1);
        const auto dec =
            col(69) == ' ' ? io::read_real(io::column(line, 67, 2), 0) : io::read_real(io::column(line, 67, 4), 1);
        if (!ra) return fault(CheckError::Format, 59, 63, layout);
        if (!dec) return fault(CheckError::Format, 67, 70, layout);
        if (*ra > 300.0) return fault(CheckError::PlateRaTooGreat, 59, 63, layout);
        if (*dec > 75.0) return fault(CheckError::PlateDeclTooGreat, 67, 70, layout);
        if (*ra == 0.0 && *dec == 0.0) return fault(CheckError::PlateSizeAbsent, 59, 68, layout);
    }

    // 8. Observatory: the code reads, its record is in the list and carries
    // the code's number, and the record holds data.
    const auto number = obs_n(io::column(line, 78, 3));
    if (!number || *number < 0) return fault(CheckError::ObservatoryAbsent, 78, 80, layout);
    if (!st.loaded) {
        LineCheck r = fault(CheckError::ObservatoryAbsent, 78, 80, layout);
        r.files = settings;
        return r;
    }
    // The geocentre needs no record.
    if (*number == kGeocentreCode) {
        LineCheck r;
        r.layout = layout;
        return r;
    }
    if (Status s = hold_observatory(st, writes, *number); !s) {
        LineCheck r = fault(CheckError::ObservatoryAbsent, 78, 80, layout);
        r.files = s;
        return r;
    }
    if (!st.found || st.record_number != *number) return fault(CheckError::ObservatoryAbsent, 78, 80, layout);
    if (!is_geocentric_code(*number) && st.longitude_deg == 0.0 && st.rho_cos_phi == 0.0 && st.rho_sin_phi == 0.0)
        return fault(CheckError::ObservatoryDataAbsent, 0, 0, layout);

    LineCheck r;
    r.layout = layout;
    return r;
}

}  // namespace zelvomat

extern "C" ZELVOMAT_API void cntl(int task, int system, int* err, int* firstCol, int* lastCol, int* layout,
                                  const char* line, int len) {
    zelvomat::LibraryState& st = zelvomat::library_state();
    zelvomat::export_guard([&]() -> zelvomat::Status {
        if (err == nullptr || firstCol == nullptr || lastCol == nullptr || layout == nullptr)
            return zelvomat::error_status("cntl: output missing");
        *err = *firstCol = *lastCol = *layout = 0;
        zelvomat::LineCheck r = zelvomat::check_line(st.line_check, st.observatory_writes, task, system,
                                                     zelvomat::checks::caller_text(line, len));
        *err = zelvomat::checks::code(r.error);
        *firstCol = r.first_col;
        *lastCol = r.last_col;
        *layout = r.layout;
        return r.files;
    });
}
