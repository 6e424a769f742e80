// Check of one typed field of a set-up dialog (contreph.h), and its export.
#include "tasks/contreph.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <string>

#include "core/contrelm.h"
#include "core/datajd.h"
#include "core/setpar.h"
#include "core/utils.h"
#include "io/errchan.h"
#include "io/fields.h"
#include "io/files.h"
#include "io/recfile.h"
#include "tasks/inpdat.h"
#include "tasks/obsfiles.h"
#include "zelvomat/zelvomat.h"

namespace zelvomat {

namespace {

using checks::CheckError;

// Every mask is stored in a work field of this many characters.
constexpr std::size_t kWorkWidth = 14;

constexpr std::array<DialogFieldForm, 15> kForms = {{
    {6, "511111", 0},           // 1 object number
    {10, "11111111.1", 1},      // 2 date YYYYMMDD.d
    {4, "1111", 0},             // 3 year
    {9, "444444444", 5},        // 4 step, 0 or more
    {14, "11111114422222", 5},  // 5 date or Julian date
    {3, "t22", 0},              // 6 observatory code
    {9, "444422222", 5},        // 7 longitude
    {8, "44222222", 6},         // 8 rho cos phi'
    {9, "664222222", 6},        // 9 rho sin phi'
    {9, "644422222", 5},        // 10 latitude
    {9, "644444444", 1},        // 11 height (signed: below sea level)
    {9, "444444444", 5},        // 12 step, above 0
    {7, "444434", 1},           // 13 tolerance
    {6, "4434", 1},             // 14 magnitude limit
    {9, "4444444444444", 2},    // 15 limit of the residuals (0.15 stays 0.15)
}};

constexpr bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Integer field of the work text (1-based columns).
std::int64_t int_field(std::string_view work, std::size_t start, std::size_t width) {
    auto v = io::read_int(io::column(work, start, width));
    return v ? *v : 0;  // the mask admits only digits and one sign here
}

// True when year-month-day survives the way to a Julian date and back
// (no 30 February, no month 13, no day 0).
bool calendar_date_exists(int year, int month, int day, double fraction) {
    std::int32_t jd = 0;
    double f = 0.0;
    caljd(year, month, day, fraction, jd, f, DayStart::Civil);
    int y2 = 0, m2 = 0, d2 = 0;
    double f2 = 0.0;
    jdcal(jd, f, y2, m2, d2, f2);
    return y2 == year && m2 == month && d2 == day;
}

std::string two_digits(int v) {
    std::string s(2, '0');
    s[0] = static_cast<char>('0' + v / 10 % 10);
    s[1] = static_cast<char>('0' + v % 10);
    return s;
}

// Kind 6: the observatory of the code, looked up in "observat.dat".
void check_observatory(std::string_view work, DialogFieldCheck& r) {
    auto n = obs_n(work);
    r.aux = n ? *n : -1;
    if (r.aux < 0) {
        r.error = CheckError::ObservatoryAbsent;
        return;
    }
    if (r.aux == kGeocentreCode) {  // the geocentre needs no record
        r.error = CheckError::Geocentre;
        return;
    }
    auto path = observatory_file(files::kObservatoryRecords);
    if (!path) {
        r.error = CheckError::ObservatoryAbsent;
        r.files = path.status();
        return;
    }
    auto records = io::RecordFile::open(*path, ObservatoryRecord::kLength, io::OpenMode::Read);
    if (!records) {
        r.error = CheckError::ObservatoryAbsent;
        r.files = error_status("The observatory list \"" + *path + "\" cannot be read (" + records.message() + ").");
        return;
    }
    auto count = records->record_count();
    if (!count || r.aux + 1 > *count) {  // a code past the end of the list has no record
        r.error = CheckError::ObservatoryAbsent;
        if (!count) r.files = count.status();
        return;
    }
    auto rec = read_observatory(*records, r.aux);
    if (!rec) {
        r.error = CheckError::ObservatoryAbsent;
        r.files = rec.status();
        return;
    }
    if (rec->number != r.aux) {
        r.error = CheckError::ObservatoryAbsent;
        return;
    }
    if (is_geocentric_code(r.aux)) {
        r.error = CheckError::Geocentre;
        return;
    }
    if (rec->longitude_deg == 0.0 && rec->rho_cos_phi == 0.0 && rec->rho_sin_phi == 0.0)
        r.error = CheckError::ObservatoryDataAbsent;
}

// Kind 5: the date or Julian date; on success work becomes its fixed form.
void check_date(std::string& work, DialogFieldCheck& r) {
    double jd = 0.0;
    bool bad = true;
    Inpdat1(work, jd, bad);
    if (bad) {
        r.error = CheckError::Format;
        return;
    }
    r.value = jd;
    int year = 0;
    const bool calendar = work[8] == '.';  // the point as the 9th character
    if (calendar) {
        year = static_cast<int>(int_field(work, 1, 4));
        const int month = static_cast<int>(int_field(work, 5, 2));
        const int day = static_cast<int>(int_field(work, 7, 2));
        auto fraction = io::read_real(io::column(work, 9, 6), 0);
        const double frac = fraction ? *fraction : 0.0;
        if (!calendar_date_exists(year, month, day, frac)) {
            r.error = CheckError::OutOfRange;
            return;
        }
        if (year < 1800 || year > 2101) {
            r.error = CheckError::OutOfRange;
            return;
        }
        // YYYYMMDD.ddddd: at most five decimals were typed, so the rounding
        // only removes the error of the binary fraction.
        const auto units = static_cast<int>(io::round_decimals(frac * 1e5, 0));
        std::array<char, 8> digits{};
        auto res = std::to_chars(digits.data(), digits.data() + digits.size(), 100000 + units);
        const std::string five(digits.data() + 1, res.ptr);  // drop the leading "1"
        work = std::to_string(year) + two_digits(month) + two_digits(day) + "." + five;
    } else {
        if (!is_calendar_jd(jd)) {
            r.error = CheckError::OutOfRange;
            return;
        }
        const double whole = std::floor(jd);
        int month = 0, day = 0;
        double f = 0.0;
        jdcal(day_number(whole), jd - whole, year, month, day, f);
        if (year < 1800 || year > 2101) {
            r.error = CheckError::OutOfRange;
            return;
        }
        work = io::fmt_f(jd, 13, 5) + " ";
    }
}

DialogFieldCheck check_masked_field(int kind, std::span<char> text) {
    DialogFieldCheck r;
    const DialogFieldForm form = kForms[static_cast<std::size_t>(kind - 1)];
    const std::string_view in(text.data(), text.size());

    // n: the last non-blank position (1-based), p: the first.
    std::size_t n = in.size();
    while (n > 0 && in[n - 1] == ' ') --n;
    if (n == 0) {
        r.error = CheckError::Format;
        return r;
    }
    std::size_t p = 1;
    while (in[p - 1] == ' ') ++p;

    // The left-justified work field; the mask stands over the characters
    // typed (leading blanks are not part of the field's content).
    const std::size_t m = n - p + 1;
    std::string work(in.substr(p - 1, m));
    if (work.size() < kWorkWidth) work.resize(kWorkWidth, ' ');
    if (!checks::mask_test(form.mask, work, m).ok()) {
        r.error = CheckError::Format;
        if (kind == 6) r.aux = -1;
        return r;
    }

    const std::size_t point = work.find('.');
    if (point != std::string::npos && work.find('.', point + 1) != std::string::npos) {
        r.error = CheckError::Format;
        return r;
    }
    if (point != std::string::npos) {
        // Cut the digits beyond the allowed decimals.
        int kept = 0;
        for (std::size_t i = point + 1; i < work.size(); ++i) {
            if (!is_digit(work[i])) continue;
            if (kept < form.decimals) {
                ++kept;
                continue;
            }
            for (std::size_t j = i; j < work.size(); ++j) work[j] = ' ';
            break;
        }
    } else {
        const std::string_view content = io::trim(work);
        if (content == "+" || content == "-") {
            r.error = CheckError::Format;
            return r;
        }
        if (n > form.mask.size() - static_cast<std::size_t>(form.decimals)) {
            r.error = CheckError::OutOfRange;
            return r;
        }
    }
    if (io::is_blank(work)) work.replace(0, 1, "0");

    if (kind == 4 || kind == 5 || kind >= 7) {
        double v = 0.0;
        if (!char_rl(work, v, 0)) {
            r.error = CheckError::Format;
            return r;
        }
        r.value = v;
    }

    switch (kind) {
        case 1: {
            auto params = settings_params();
            r.aux = static_cast<std::int32_t>(int_field(work, 1, 6));
            if (!params) {
                r.error = CheckError::OutOfRange;
                r.files = params.status();
            } else if (r.aux < -12 || r.aux > params->numbered) {
                r.error = CheckError::OutOfRange;
            }
            break;
        }
        case 2: {
            auto params = settings_params();
            auto date = io::read_real(io::column(work, 1, 10), 1);
            r.value = date ? *date : 0.0;
            if (!params) {
                r.error = CheckError::DateOutsidePackage;
                r.files = params.status();
                break;
            }
            const double first = params->first_year * 10000.0 + 1101.0;
            const double last = params->last_year * 10000.0 + 301.0;
            if (r.value < first || r.value > last) {
                r.error = CheckError::DateOutsidePackage;
                break;
            }
            auto fraction = io::read_real(io::column(work, 9, 2), 0);
            if (!calendar_date_exists(static_cast<int>(int_field(work, 1, 4)), static_cast<int>(int_field(work, 5, 2)),
                                      static_cast<int>(int_field(work, 7, 2)), fraction ? *fraction : 0.0))
                r.error = CheckError::OutOfRange;
            break;
        }
        case 3: {
            auto params = settings_params();
            r.aux = static_cast<std::int32_t>(int_field(work, 1, 4));
            if (!params) {
                r.error = CheckError::DateOutsidePackage;
                r.files = params.status();
            } else if (r.aux < params->first_year || r.aux > params->last_year) {
                r.error = CheckError::DateOutsidePackage;
            }
            break;
        }
        case 4:
            if (r.value < 0.0) r.error = CheckError::DateOutsidePackage;
            break;
        case 5:
            check_date(work, r);
            break;
        case 6:
            check_observatory(work, r);
            break;
        case 7:
            if (r.value > 360.0 || r.value < 0.0) r.error = CheckError::OutOfRange;
            break;
        case 8:
            if (r.value > 1.1 || r.value < 0.0) r.error = CheckError::OutOfRange;
            break;
        case 9:
            if (std::fabs(r.value) > 1.1) r.error = CheckError::OutOfRange;
            break;
        case 10:
            if (std::fabs(r.value) > 90.0) r.error = CheckError::OutOfRange;
            break;
        case 12:
            if (r.value <= 0.0) r.error = CheckError::DateOutsidePackage;
            break;
        default:
            break;
    }
    if (!r.ok()) return r;

    // The normal form, blank-padded to the field's length. A fixed date form
    // that the field cannot hold whole is not written; the left-justified
    // text always fits.
    std::string normal(io::trim_right(work));
    if (normal.size() > text.size()) normal = io::trim_right(std::string_view(in.substr(p - 1, m)));
    checks::write_back(text, io::pad(normal, text.size()));
    return r;
}

}  // namespace

DialogFieldForm dialog_field_form(int kind) {
    if (kind < kFirstDialogFieldKind || kind > kLastMaskedFieldKind) return {};
    return kForms[static_cast<std::size_t>(kind - 1)];
}

DialogFieldCheck check_dialog_field(int kind, std::span<char> text, std::int32_t orbit_form) {
    if (kind >= kFirstDialogFieldKind && kind <= kLastMaskedFieldKind) return check_masked_field(kind, text);
    DialogFieldCheck r;
    if (kind < kFirstOrbitFieldKind || kind > kLastOrbitFieldKind) {
        r.error = CheckError::Format;
        return r;
    }
    r.aux = orbit_form;
    const OrbitFieldCheck c =
        check_orbit_field(kind, std::string_view(text.data(), text.size()), static_cast<OrbitForm>(orbit_form));
    r.error = c.error;
    r.value = c.value;
    return r;
}

}  // namespace zelvomat

// ---- Export --------------------------------------------------------------------

extern "C" ZELVOMAT_API void contreph(int kind, char* text, int len, int* err, double* value, int* aux) {
    zelvomat::export_guard([&]() -> zelvomat::Status {
        if (err == nullptr || value == nullptr || aux == nullptr)
            return zelvomat::error_status("contreph: output missing");
        const std::int32_t form = *aux;
        *err = 0;
        *value = 0.0;
        if (kind >= zelvomat::kFirstDialogFieldKind && kind <= zelvomat::kLastMaskedFieldKind) *aux = 0;
        std::span<char> buf;
        if (text != nullptr && len > 0) buf = std::span<char>(text, static_cast<std::size_t>(len));
        const zelvomat::DialogFieldCheck r = zelvomat::check_dialog_field(kind, buf, form);
        *err = zelvomat::checks::code(r.error);
        *value = r.value;
        if (kind >= zelvomat::kFirstDialogFieldKind && kind <= zelvomat::kLastMaskedFieldKind) *aux = r.aux;
        return r.files;
    });
}
