// Calendar dates, Julian dates and Delta T.
//
// Inside the library a Julian date is a 32-bit day number plus a double
// fraction; the pair (J, f) is the instant J + f, the day counted from noon.
// Civil days start at midnight. The Gregorian calendar is used for every
// date, also before 1582 (proleptic). Integer divisions truncate toward zero.
//
// Delta T = TT - UT in seconds, interpolated (Bessel's formula) in the
// package table "ephcorr": yearly values 1819.0 .. 1957.0 (entries 1-139),
// quarterly values from 1955.75 on (entries 142 ..., Besselian years).
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "io/status.h"

namespace zelvomat {

// Calendar date to Julian date.
//   fraction: of the civil day (from midnight) or of the astronomical day
//             (from noon), as mode says;
//   mode: DayStart below (the year of ByYear as given).
// Out-of-range months and days are not tested: month 13 is January of the
// next year, and so on.
enum class DayStart {
    ByYear = 0,        // astronomical before 1925, civil from 1925 on
    Civil = 1,         // the fraction counts from midnight
    Astronomical = 2,  // the fraction counts from noon
};
void caljd(int year, int month, int day, double fraction, std::int32_t& jd, double& jd_fraction, DayStart mode);

// Julian date to the civil date and the fraction of the civil day.
void jdcal(std::int32_t jd, double jd_fraction, int& year, int& month, int& day, double& day_fraction);

// The civil date of a Julian date with the fraction of the day rounded to 5
// decimals (frac5 in 0 .. 99999): a fraction that rounds to a whole day gives
// 0h of the next day, never a day past the end of its month.
struct CivilDate5 {
    int year = 0, month = 0, day = 0;
    long long frac5 = 0;
};
CivilDate5 civil_date5(double jd);

// The dates the calendar routines serve: Julian dates of magnitude up to
// 5e8 (the day numbers of jdcal stay within 32-bit arithmetic; years to about
// 1.36 million) and packed dates of years to +-999999.
inline constexpr double kLargestCalendarJd = 5.0e8;
inline constexpr double kLargestPackedDate = 1.0e10;
bool is_calendar_jd(double jd);
// A whole number of days (the trunc or floor of a Julian date) as a day
// number: clamped into the calendar's range, 0 for a value that is not a
// number, so that the conversion is always defined. Dates are checked where
// they enter; a clamped day gives results that the checks of the results
// refuse.
std::int32_t day_number(double whole_days);

// The packed date YYYYMMDD.ddddd <-> Julian date conversions of the DateT
// export. A value that is not a finite number in the range above gives NaN.
double packed_to_jd(double packed);
double jd_to_packed(double jd);

struct DeltaTTable {
    static constexpr int kCapacity = 500;
    double last_year = 0.0;             // last Besselian year covered
    int n = 0;                          // number of values loaded
    std::array<double, kCapacity> v{};  // v[k-1] is entry k, seconds
};

// Loads the table from the data file "ephcorr" (direct access, 8-byte
// records: record 1 the last year covered, then the values until the end of
// the file; at most 500 values are kept). The table is cleared first. A last
// year that is not a year of the calendar, or a value that is not a number
// of at most 1e6 seconds, is refused: the file is damaged.
Status load_delta_t(DeltaTTable& table, const std::string& path);

// Delta T at the Julian date (jd, fraction) in seconds. UtToTt: dt := Delta
// T, fraction_out := fraction + Delta T / 86400; TtToUt: the sign reversed. fraction_out is
// not normalised into [0, 1). With no table loaded Delta T is 0. A fraction
// that is not a finite number gives NaN.
enum class DeltaTDirection { UtToTt, TtToUt };
void deltat(const DeltaTTable& table, std::int32_t jd, double fraction, DeltaTDirection direction, double& dt,
            double& fraction_out);

}  // namespace zelvomat
