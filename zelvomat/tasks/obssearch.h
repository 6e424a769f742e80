// Observatory search: choosing observatories from the lists of the data
// directory by a fragment of their name or by their code (the exports sea_obs
// and sea_ob1).
//
//  - search_observatories reads the record list "observat.dat" and writes the
//    observatories whose name contains a fragment into "observat.sp1" of the
//    working directory (ObservatoryMatch records), for the observatory lists
//    of the set-up dialogs;
//  - select_observatory_lines copies lines of the text list "observa1.dat",
//    chosen by code or by a fragment of the name, into "result.ob4" of the
//    working directory, which the main program opens as an observatory list.
//
// Name fragments are compared without regard to the case of the letters A-Z;
// the leading and trailing blanks of a fragment take no part.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "io/bytes.h"
#include "io/status.h"

namespace zelvomat {

// One record of "observat.sp1": 54 bytes, no separator.
//    0  char3   observatory code (n_obs of the record's number)
//    3  char1   a blank
//    4  char50  the 50-character name of the observatory record
struct ObservatoryMatch {
    static constexpr std::size_t kLength = 54;
    static constexpr std::size_t kCodeOff = 0, kCodeLen = 3;
    static constexpr std::size_t kGapOff = 3;
    static constexpr std::size_t kNameOff = 4, kNameLen = 50;

    std::string code;  // 3 characters
    std::string name;  // 50 characters, blank padding kept

    void encode(io::MutBytes rec) const;  // rec holds kLength bytes
    static ObservatoryMatch decode(io::Bytes rec);
};

// One record of "result.ob4": 79 bytes, the first 70 characters of an
// ObservatoryLine (code, longitude, the two parallax constants and the first
// 40 characters of the name) followed by 9 zero bytes.
inline constexpr std::size_t kSelectionRecordLength = 79;
inline constexpr std::size_t kSelectionTextLength = 70;

// Fragments are taken as 50 characters (longer ones are cut, shorter ones
// blank-padded).
inline constexpr std::size_t kFragmentLength = 50;

// The significant part of a fragment, in lower case: its first 50
// characters from the first non-blank one to the last one; empty when the
// fragment is blank. Zero bytes count as blanks.
std::string significant_fragment(std::string_view fragment);

// Writes "observat.sp1" anew with the observatories of "observat.dat" whose
// name contains the fragment (every observatory with a name when the fragment
// is blank), in list order; returns their count. The file holds exactly the
// records of this search: it is emptied first, whatever happens afterwards.
Result<int> search_observatories(std::string_view fragment);

enum class SelectionMode : int { Code = 1, NameFragment = 2 };

// Writes "result.ob4" anew with the lines of "observa1.dat" chosen by mode:
//  Code          the line of the observatory whose code is the first three
//                characters of text (none for a blank code or a code past the
//                end of the list);
//  NameFragment  the lines whose name (columns 31-79) contains the fragment;
//                a blank fragment chooses the lines without a name, that is
//                the free codes.
// Any other mode chooses nothing. Returns the number of lines written.
Result<int> select_observatory_lines(int mode, std::string_view text);

}  // namespace zelvomat
