// Checks of typed input: the error codes, the field masks and the rules that
// every check of the library shares.
//
// A check tests a text before anything is computed from it: a whole input
// line, one field of a set-up dialog, an observatory line, a name or date
// typed in a view, a restriction bound. Every check answers with a
// CheckError; the main program shows the message of that code (its own table
// of eleven texts, indexed by the code) with the column or field at fault.
//
// Field masks. Most checks compare the text, position by position, with a
// mask: a text of mask characters, one per position of the field.
//
//   mask   accepts (the test is on the byte value 0-255)
//   't'    any character except the zero byte
//   '1'    a digit 0-9
//   '2'    a digit or a blank
//   '3'    a blank or a point (a digit is refused)
//   '4'    a digit, a blank or a point
//   '5'    a digit, a blank, '+' or '-'
//   '6'    a digit, '+', '-' or a point (a blank is refused)
//   ' '    a blank only
//   '.'    a point only
//   '+'    '+', '-' or a blank
//   other  any character
//
// A text shorter than its mask counts as blank-padded; where a mask is kept
// blank-padded to a fixed length, the positions past its last mask character
// are blank mask characters and so demand blanks.
//
// Rules shared by every check:
//  1. outputs are reset at entry (error 0, positions 0, numbers 0.0);
//  2. tests run in a fixed order and the first failure ends the check;
//  3. fixed-column numbers are read with io::read_real / io::read_int
//     (blanks skipped, all blank = 0, implied decimals when no point), free
//     numbers with char_rl, whose failure is a format error (code 1);
//  4. a check that normalises the text it was given writes the new text back
//     only when the check passed: on any failure the caller's text is left
//     exactly as it was (write_back below is the one place that writes).
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "core/checkerror.h"

namespace zelvomat::checks {

// CheckError and code(): core/checkerror.h.

// Outcome of a check: the code and, where the check reports one, the 1-based
// position (column) at fault; position 0 when the check names none.
struct CheckResult {
    CheckError error = CheckError::None;
    int position = 0;

    bool ok() const { return error == CheckError::None; }
    static CheckResult pass() { return {}; }
    static CheckResult fail(CheckError e, int pos = 0) { return {e, pos}; }
};

// The one-character test. Sets bad := false, then bad := true when ch does
// not fit mask_char.
void contr1(char mask_char, char ch, bool& bad);

// The same test as a value: true when ch fits mask_char.
bool fits_mask(char mask_char, char ch);

// The mask test of a text over positions 1..n: the first position whose
// character does not fit its mask character, or 0 when all fit. Positions past
// the end of text read as blanks and positions past the end of mask as blank
// mask characters.
std::size_t first_misfit(std::string_view mask, std::string_view text, std::size_t n);

// first_misfit as a check: CheckError::Format at the first misfit, else pass.
CheckResult mask_test(std::string_view mask, std::string_view text, std::size_t n);

// Texts at the export boundary. caller_text gives the len characters of a
// caller's text (empty when text is null or len is not positive); nothing past
// len is ever read.
std::string_view caller_text(const char* text, int len);

// Writes a normalised text back into the caller's buffer: the first
// min(text.size(), buffer.size()) characters; the rest of the buffer is left
// as it is. Call it only after the check has passed.
void write_back(std::span<char> buffer, std::string_view text);

}  // namespace zelvomat::checks
