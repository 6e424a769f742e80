// Angle, unit and text utilities shared by the whole library.
//
// Angles are radians unless a name says otherwise; distances AU.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "core/constants.h"
#include "io/status.h"

namespace zelvomat {

// Degrees to radians, element by element; in and out may be the same array
// (out must be at least as long as in).
void degrad(std::span<const double> in_deg, std::span<double> out_rad);
double raddeg(double rad);
void aukm(std::span<const double> in_au, std::span<double> out_km);
void kmau(std::span<const double> in_km, std::span<double> out_au);

// Sexagesimal forms. sign is '-' or '+' (anything but '-' counts as '+').
double dmrad(char sign, int deg, double min);
double dmsrad(char sign, int deg, int min, double sec);
// rad to sign, degrees and minutes, rounded to nd decimals of the minutes
// before the split (so 59.9999' becomes the next degree).
void raddm(double rad, char& sign, int& deg, double& min, int nd);
// rad to sign, degrees, minutes and seconds, rounded to nd decimals of the
// seconds before the split.
void raddms(double rad, char& sign, int& deg, int& min, double& sec, int nd);

// x rounded to nd decimals, halves away from zero (nd may be 0 or negative).
double roundn(double x, int nd);

// Direction of (x, y): angle in [0, 2 pi) (longitudes, right ascensions) and t
// in [-pi/2, pi/2] (latitudes, declinations, with x the projected length).
// When r < 1e-15, angle and t are left as they are.
void polar(double x, double y, double& angle, double& t, double& r);

// x reduced into [0, 2 pi).
double norm2pi(double x);

// Reads a decimal number typed in a field (the whole of text is the field):
// blanks and zero bytes are skipped, one sign before the digits, one point
// (at 1-based position point_pos when point_pos is not 0), digits. A field
// that is all blank reads as -1e64 (the empty value). Returns false, leaving
// value unchanged, for anything else (a second point, an exponent, a letter).
bool char_rl(std::string_view text, double& value, int point_pos);
inline constexpr double kEmptyField = -1e64;

// Letters up to the last non-blank character to upper / lower case, in place.
void strup(std::string& text);
void strdown(std::string& text);
void strup(std::span<char> text);

// Size of the named file in bytes (trailing blanks of the name ignored); -1
// when the file cannot be examined.
long long filesize(std::string_view name);

// An element set in degrees (M, peri, node, incl, e, n) to radians; e copied.
void eldegrad(const double in[6], double out[6]);
// Fraction of a day to hours, minutes and seconds, and back.
void dayhms(double fraction, int& h, int& m, double& s);
double hmsday(int h, int m, double s);
// Two typed fields of 6 characters: the first read with 2 implied decimals;
// the second "  X  ", "  Y  " or "  Z  " stands for 0.15, 0.25, 0.40, else it
// is read as 5 characters with 2 implied decimals.
Status numxyz(std::string_view text1, std::string_view text2, double& first, double& second);
// IAU H, G magnitude at heliocentric distance r, observer distance delta (AU)
// and phase angle (rad).
double hgmag(double r, double delta, double phase, double h, double g);

}  // namespace zelvomat
