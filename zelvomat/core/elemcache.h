// Shared state of the yearly osculating-element files el<YYYY> and ad<YYYY>
// (layout in elmnt.h).
//
// The files of a package year are opened the first time elmnt needs them and
// stay open between calls, so that a call costs two reads of the few bytes it
// needs instead of two opens, reads and closes. A file cut or replaced while
// it is open is read as it stands (a read past its end is an error, never a
// fault of the process); a file replaced by a new one under the same name
// keeps being read from the old one until the files are dropped. They are
// dropped when in_par loads the settings again, when Closlae runs
// (close_element_files), and when elmnt is given another data directory. A
// year whose files are missing is remembered as such until then.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "io/recfile.h"

namespace zelvomat {

// The two files of one package year.
struct YearlyFiles {
    std::int32_t year = 0;  // calendar year
    bool present = false;   // both files exist and are open
    io::RecordFile index;   // "ad<YYYY>", 4-byte records
    io::RecordFile sets;    // "el<YYYY>", read set by set (56-byte records)
};

struct ElementCache {
    // Settings record 8: one value per package year (first package year at
    // index 0). A set is accepted whatever its distance in time when the
    // year's value is below the index of the object's first set.
    std::array<std::int32_t, 5> values{};
    std::string data_dir;               // directory of the files below, trailing blanks removed
    std::vector<YearlyFiles> years;     // the years looked at since the cache was last dropped
    std::vector<std::uint8_t> scratch;  // the sets of one object, as read
};
ElementCache& element_cache();

// Closes the yearly files (the record 8 values stay).
void close_element_files();

}  // namespace zelvomat
