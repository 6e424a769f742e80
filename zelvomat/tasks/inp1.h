// Checks of what the user types in the graphic views: the name or number of
// an object, or a date; and the small integer reader of the library.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "core/catalog.h"
#include "io/status.h"
#include "tasks/checks.h"

namespace zelvomat {

// Width of the work text of the object check: the catalogue's name width.
inline constexpr std::size_t kViewTextWidth = 18;

struct ObjectDateCheck {
    checks::CheckError error = checks::CheckError::None;  // None or Format
    // Kinds 1-3: the object number (a catalogue number -- typed as a number,
    // 1 .. numbered count -- or -1, -2, -4 .. -9 for the planets other than
    // the Earth); 0 when nothing
    // was typed or the object was refused.
    std::int32_t number = 0;
    double jd = 0.0;  // kinds 4-5: the Julian date (civil day from midnight)
    // Not ok when the catalogue could not be opened (error is then Format).
    Status files;
    bool ok() const { return error == checks::CheckError::None; }
};

// The object or date check of the views, on the caller's buffer.
//  - A text that is blank within its first 18 characters is no input: no
//    error, number 0, nothing written.
//  - Kinds 1-3: the first 18 characters, upper-cased, name an object as
//    inpnom1 (core/names.h) reads them, with the numbered count of the
//    catalogue (opened here when it is not open). Refused (Format): a text
//    found nowhere, a number that is no numbered object, the Earth, the Sun,
//    the Moon and the two barycentres. Accepted: the buffer := the object's
//    name, blank-padded (or cut) to the buffer's length.
//  - Kinds 4-5: the text as typed is a date YYYYMMDD.dddddd or a Julian date
//    (Inpdat2, tasks/inpdat.h); one that does not read is refused (Format).
//    The buffer is not changed.
//  - Other kinds: nothing is tested.
// On refusal the buffer is left as it was.
ObjectDateCheck check_object_or_date(CatalogueState& catalogue, int kind, std::span<char> text);

// The first six characters of text (shorter texts blank-padded) read as an
// integer field: blanks skipped, an optional sign, all blank = 0. Anything
// else is an error that names the text.
Result<std::int32_t> FortrAI(std::string_view text);

// Report on a file, appended to (keep_flag 0) or written over (otherwise)
// the report file "cinquire.inq" of the working directory (lines end CR LF):
//
//    Unit  = hhhh            the handle (I4)
//    File  = name            the name, 50 characters
//  for a handle other than 0, eight lines, each after one blank:
//   path of the open file, its type, its access mode and its status flags
//   (50 characters each: "Path: ..", "Type: REGULAR" / "DIRECTORY" /
//   "CHARACTER" / "BLOCK" / "FIFO" / "SOCKET" / "LINK" / "OTHER",
//   "Access: READ" / "WRITE" / "READWRITE", "Flags: APPEND NONBLOCK SYNC" or
//   "Flags: NONE"), then its size in bytes, the current offset in bytes
//   (-1 where it has none), its number of links and its permission bits
//   (written in octal digits: 644), each I10;
//  for handle 0:
//    Exist = T or F          whether the named file exists (4 columns)
//  and a line of ten "=".
// By handle: the name is blank; a handle that is not open is reported with
// the type "CLOSED" and the numbers -1. By name: the handle is 0 and only
// existence is reported; the name is taken to its first 50 characters with
// trailing blanks dropped.
Status Cinquire(int handle, int keep_flag);
Status Cinquire(std::string_view name, int keep_flag);

}  // namespace zelvomat
