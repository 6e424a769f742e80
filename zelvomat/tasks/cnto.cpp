// cnto: the check of one edited line of the observatory list (linecheck.h).
//
// The line, columns from 1 (the text list "observa1.dat", obsfiles.h):
//   1-3   code: any character, then two digits     mask "t11"
//   4     blank                                    " "
//   5-13  longitude east, degrees, ddd.ddddd       "221.12222" (point in 8)
//   14-21 rho cos phi', Earth radii, d.dddddd      "2.122222"  (point in 15)
//   22-30 rho sin phi', Earth radii, sign in 22    "+2.122222" (point in 24)
//   31-79 name                                     "t" x 49
#include <string>

#include "io/errchan.h"
#include "io/fields.h"
#include "tasks/linecheck.h"
#include "zelvomat/zelvomat.h"

namespace zelvomat {

checks::CheckResult check_observatory_line(int code, std::string_view line) {
    using checks::CheckError;
    using checks::CheckResult;
    constexpr std::size_t kLength = ObservatoryLine::kLength;
    if (line.size() > kLength) line = line.substr(0, kLength);

    std::string mask(kObservatoryLineMask);
    mask.append(kLength - mask.size(), 't');
    if (auto m = checks::mask_test(mask, line, kLength); !m.ok()) return m;

    // The geocentre's row is not edited.
    if (code == 500) return CheckResult::fail(CheckError::Geocentre, 1);
    // The code of a row is fixed: row n holds number n - 1.
    const auto number = obs_n(io::column(line, 1, 3));
    if (!number) return CheckResult::fail(CheckError::Format, 1);
    if (*number != code) return CheckResult::fail(CheckError::ObservatoryCodeFixed, 1);
    // Longitude east in degrees, 0 .. 360.
    const auto lon = io::read_real(io::column(line, 5, 9), 5);
    if (!lon) return CheckResult::fail(CheckError::Format, 5);
    if (*lon > 360.0 || *lon < 0.0) return CheckResult::fail(CheckError::OutOfRange, 5);
    return CheckResult::pass();
}

}  // namespace zelvomat

extern "C" ZELVOMAT_API void cnto(int code, const char* line, int len, int* err, int* col) {
    zelvomat::export_guard([&]() -> zelvomat::Status {
        if (err == nullptr || col == nullptr) return zelvomat::error_status("cnto: output missing");
        *err = *col = 0;
        const auto r = zelvomat::check_observatory_line(code, zelvomat::checks::caller_text(line, len));
        *err = zelvomat::checks::code(r.error);
        *col = r.position;
        return zelvomat::ok_status();
    });
}
