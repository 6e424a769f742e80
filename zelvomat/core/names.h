// Object names and numbers: the texts by which users name objects, turned
// into the library's object numbers and back.
//
// Object numbers: a minor object is its catalogue number (1 .. total count,
// catalog.h); a major body is the negative of its body code (-1 Mercury ..
// -9 Pluto, -10 Sun, -11 Moon, -12 Earth-Moon barycentre); 0 is a text found
// nowhere and -90 a number or body that cannot be the object of a task.
// Objects absent from the catalogue (numbers the package does not hold) are
// never the result of a lookup.
//
// Packed minor-planet numbers (the 5-character number field of the Minor
// Planet Center's formats): 1 .. 99999 as five digits ("03202"); 100000 ..
// 619999 as a letter for the ten-thousands (A = 10 .. Z = 35, a = 36 ..
// z = 61) and four digits ("A0345" = 100345, "a0017" = 360017); 620000 ..
// 15396335 in the extended form, "~" followed by n - 620000 as four base-62
// digits 0-9, A-Z, a-z ("~0000" = 620000, "~000z" = 620061, "~AZaz" =
// 3140113, "~zzzz" = 15396335). Letters are significant in their case.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "io/status.h"

namespace zelvomat {

struct CatalogueState;

// "orbit.tmp" (working directory): one 22-byte record exchanged with the main
// program's orbit view: the object's name (18 characters, blank-padded) and
// its catalogue number (i32 little-endian).
namespace orbit_exchange {
inline constexpr std::size_t kRecord = 22;
inline constexpr std::size_t kNameOffset = 0;
inline constexpr std::size_t kNameWidth = 18;
inline constexpr std::size_t kNumberOffset = 18;
}  // namespace orbit_exchange

inline constexpr std::int32_t kNoTaskObject = -90;

// Object number of a typed text (18 characters; a NUL in it becomes a blank in
// place). A text of digits and "-" only is a number: it stands when it lies in
// -12 .. count, is not 0 and, when positive, is an object of the catalogue;
// otherwise -90. Another text is looked up in the catalogue and then among the
// major bodies (the solar-system barycentre gives -90); 0 when found nowhere.
std::int32_t inpnom(const CatalogueState& cat, std::span<char> text, std::int32_t count);

// As inpnom, for the object check of the views: a number that is no object
// gives 0 and leaves the text as typed; every major body gives its code
// (-13 for the solar-system barycentre). Otherwise the text (18 characters)
// is overwritten with the object's name: the catalogue name for n > 0, the
// planet's name for -1 .. -9, blanks for the rest.
Result<std::int32_t> inpnom1(const CatalogueState& cat, std::span<char> text, std::int32_t count);

// Name of planet k (1 Mercury .. 9 Pluto) in mixed case, 18 characters;
// blanks for any other k.
std::string planetname(int k);

// Object number of the designation field of an observation line (columns
// 1-13): a number, a packed number, a name or a provisional designation.
// 0 when not recognised or not an object of the catalogue.
std::int32_t obr_nam(const CatalogueState& cat, std::string_view field);

// A number as typed: optional sign, then digits, or a packed number of five
// characters (a letter and four digits, or "~" and four base-62 digits; see
// above). bad is true for anything else.
struct ObjectNumber {
    std::int32_t n = 0;
    bool bad = false;
};
ObjectNumber objnum(std::string_view text);

// The packed 5-character form of a minor-planet number 1 .. 15396335.
inline constexpr std::int32_t kHighestPackedNumber = 15396335;
Result<std::string> pack_number(std::int32_t n);

// A catalogue number right-aligned in a result column of the given width:
// its decimal digits when they fit, else its packed form (a number of seven
// digits in a six-column field: "~" and four base-62 digits, which objnum
// reads back), else the width filled with "*".
std::string number_field(std::int32_t n, std::size_t width);

// Index 1-13 of a major body name (Mercury .. Pluto, Sun, Moon,
// E+M barycentre, S.S. barycentre) decided by its first two letters, any
// case; 0 when none.
int nomgpl(std::string_view name);

// Name of body code k (0 S.s. barycentre, 1 Mercury .. 12 E+M barycentre),
// 18 characters; blanks for any other k.
std::string centname(int k);

// The bodies of the exports namn1 and NamePl (zelvomat.h).
Status name_to_catalogue(CatalogueState& cat, std::span<char> name, std::int32_t& n);
Status name_exchange(CatalogueState& cat, int mode, std::int32_t& n);

}  // namespace zelvomat
