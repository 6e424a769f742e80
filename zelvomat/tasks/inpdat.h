// Readers of dates typed as text.
//
// A date is typed either as a calendar date YYYYMMDD.ddddd (Gregorian, the
// fraction of the civil day from midnight) or as a Julian date
// JJJJJJJ.ddddd; both become one Julian date. Texts are fixed fields: the
// readers never look past the given length (a shorter text counts as
// blank-padded).
#pragma once

#include <cstdint>
#include <string_view>

namespace zelvomat {

// Reader of the set-up dialogs' date fields. Positions count from 1. The
// text starts at its first non-blank s; the first point (looked for up to
// position 15) must stand by position 14:
//  - point at s + 8: year (4 characters from s), month (2 from s + 4), day
//    with its fraction (from s + 6 to position 14, 5 implied decimals);
//    a month above 12 or a day above 32 is refused;
//  - point at s + 7: a Julian date in positions 1-14 (5 implied decimals).
// bad is true (and value unchanged) for a blank text and anything else that
// is not a date. Month 0 or day 0 pass here (month 0 is December of the year
// before, as the calendar routines count); the field check that calls this
// reader refuses them by converting the date back.
void Inpdat1(std::string_view text, double& value, bool& bad);

// The same with the flag the other way round: ok is true when a date was read.
void Inpdat(std::string_view text, double& value, bool& ok);

// Reader of the views' date texts: the non-blank characters of the first 15
// are squeezed together (so "2024 01 15.5" reads), a point is appended when
// there is none, and the last point decides:
//  - at place 9: YYYYMMDD.dddddd, month 1-12 and day 1-32;
//  - at place 8: a Julian date.
// err is 0 when a date was read, else 1 (value unchanged); a leading minus
// sign gives 1.
void Inpdat2(std::string_view text, double& value, std::int32_t& err);

}  // namespace zelvomat
