// controb: the check of a pair of typed observatory values (linecheck.h):
// the parallax constants rho cos phi' and rho sin phi' (Earth radii, phi' the
// geocentric latitude), or the geodetic latitude (degrees) and the height
// above the ellipsoid (metres).
#include <cmath>

#include "core/utils.h"
#include "io/errchan.h"
#include "io/fields.h"
#include "tasks/linecheck.h"
#include "zelvomat/zelvomat.h"

namespace zelvomat {

namespace {

// A typed number up to its last non-blank character; a blank text is not a
// number here.
bool read_number(std::string_view text, double& value) {
    const std::string_view t = io::trim_right(text);
    if (io::is_blank(t)) return false;
    double v = 0.0;
    if (!char_rl(t, v, 0) || v == kEmptyField) return false;
    value = v;
    return true;
}

}  // namespace

checks::CheckResult check_parallax_pair(int kind, std::string_view text1, std::string_view text2) {
    using checks::CheckError;
    using checks::CheckResult;
    double first = 0.0, second = 0.0;
    if (!read_number(text1, first)) return CheckResult::fail(CheckError::Format, 1);
    if (!read_number(text2, second)) return CheckResult::fail(CheckError::Format, 2);
    if (kind == 1) {
        if (first > 1.1 || first < 0.0) return CheckResult::fail(CheckError::OutOfRange, 1);
        if (std::fabs(second) > 1.1) return CheckResult::fail(CheckError::OutOfRange, 2);
        if (first == 0.0 && second == 0.0) return CheckResult::fail(CheckError::Geocentre, 3);
    } else if (kind == 2) {
        if (std::fabs(first) > 90.0) return CheckResult::fail(CheckError::OutOfRange, 1);
        if (second < 0.0) return CheckResult::fail(CheckError::OutOfRange, 2);
    }
    return CheckResult::pass();
}

}  // namespace zelvomat

extern "C" ZELVOMAT_API void controb(int kind, const char* text1, int len1, const char* text2, int len2, int* err,
                                     int* field) {
    zelvomat::export_guard([&]() -> zelvomat::Status {
        if (err == nullptr || field == nullptr) return zelvomat::error_status("controb: output missing");
        *err = *field = 0;
        using zelvomat::checks::caller_text;
        const auto r = zelvomat::check_parallax_pair(kind, caller_text(text1, len1), caller_text(text2, len2));
        *err = zelvomat::checks::code(r.error);
        *field = r.position;
        return zelvomat::ok_status();
    });
}
