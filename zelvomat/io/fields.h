// Fixed-column fields: readers that follow the library's rules for typed and
// stored numbers, and Fortran-style fixed-format writers.
//
// Reading (the library's convention for fixed-column numbers):
//  - blanks inside a field are skipped, an all-blank field reads as zero;
//  - a field written without a point takes its last d digits as decimals,
//    d being the field's stated decimals; a written point overrides them;
//  - an exponent (E or D, Fortran style) may follow the mantissa;
//  - anything else is an error that the caller must look at.
// Writing (Fortran edit descriptors): Iw, Fw.d, Ew.d. A value that does not
// fit its width is written as w asterisks. Fw.d rounds exact halves away from
// zero, as roundn does.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "io/status.h"

namespace zelvomat::io {

// Characters start .. start+width-1 (1-based columns) of a line; columns past
// the end of the line read as blanks, so a short line is a blank-padded one.
std::string column(std::string_view line, std::size_t start, std::size_t width);

bool is_blank(std::string_view text);
std::string_view trim_right(std::string_view text);
std::string_view trim(std::string_view text);
// text padded with blanks (or cut) to exactly width characters.
std::string pad(std::string_view text, std::size_t width);

// Fortran Fw.d reading of a field (see the rules above).
Result<double> read_real(std::string_view field, int decimals = 0);
// Fortran Iw reading: optional sign and digits, blanks skipped, all blank = 0.
Result<std::int64_t> read_int(std::string_view field);

// Fortran-style writers.
std::string fmt_i(std::int64_t value, int width);
std::string fmt_f(double value, int width, int decimals);
std::string fmt_e(double value, int width, int decimals);

// A number for a message: up to 10 significant digits, "nan" and "inf" as
// such.
std::string number_text(double value);

// Rounds x to nd decimals, halves away from zero (nd may be 0 or negative).
double round_decimals(double x, int nd);

}  // namespace zelvomat::io
