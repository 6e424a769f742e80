// Shared state of the yearly osculating-element files el<YYYY> and ad<YYYY>
// (layout in elmnt.h).
//
// The files of a package year are mapped into memory the first time elmnt
// needs them and stay mapped between calls, so that a call costs a few memory
// reads instead of two opens, reads and closes. At the first use in each
// exported call the mapped files are checked against their sizes: a file that
// another program has cut since is dropped with the others and mapped again
// as it stands, so that no read passes its end. The mappings are dropped
// when in_par loads the settings again, when Closlae runs
// (close_element_files), and when elmnt is given another data directory. A
// year whose files are missing is remembered as such until then.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "io/mapfile.h"

namespace zelvomat {

// The two files of one package year.
struct YearlyFiles {
    std::int32_t year = 0;  // calendar year
    bool present = false;   // both files exist and are mapped
    io::MappedFile index;   // "ad<YYYY>"
    io::MappedFile sets;    // "el<YYYY>"
};

struct ElementCache {
    // Settings record 8: one value per package year (first package year at
    // index 0). A set is accepted whatever its distance in time when the
    // year's value is below the index of the object's first set.
    std::array<std::int32_t, 5> values{};
    std::string data_dir;            // directory of the files below, trailing blanks removed
    std::vector<YearlyFiles> years;  // the years looked at since the cache was last dropped
    std::uint64_t checked_call = 0;  // the exported call in which the mapped files were checked last
};

// Drops the mapped yearly files (the record 8 values stay).
void close_element_files(ElementCache& cache);

}  // namespace zelvomat
