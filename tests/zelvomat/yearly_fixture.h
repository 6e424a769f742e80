// A small data package with yearly element files for the tests, in the
// working directory (a ScopedWorkDir): the catalogue of catalogue_fixture.h,
// the package years and the record 8 values patched into its "setpar"
// (record 6: first year i16 at 20, last year i16 at 22; record 8: five i32),
// and the yearly files written through the library's YearlyElementsWriter.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "catalogue_fixture.h"
#include "core/elmnt.h"

namespace zeltest {

inline void put16(std::vector<std::uint8_t>& b, std::size_t off, std::int16_t v) {
    const auto u = static_cast<std::uint16_t>(v);
    b[off] = static_cast<std::uint8_t>(u & 0xff);
    b[off + 1] = static_cast<std::uint8_t>(u >> 8);
}

// Sets the package years and the record 8 values of "setpar".
inline void set_package_years(std::int16_t first, std::int16_t last, const std::array<std::int32_t, 5>& values) {
    std::vector<std::uint8_t> s = read_bytes("setpar");
    put16(s, 5 * 80 + 20, first);
    put16(s, 5 * 80 + 22, last);
    for (std::size_t i = 0; i < 5; ++i) put32(s, 7 * 80 + 4 * i, values[i]);
    write_bytes("setpar", s);
}

// An element set whose elements are told apart by mark: M = mark, peri =
// mark + 0.1, node = mark + 0.2, incl = 0.03 + mark / 1000, e = 0.1, n.
inline zelvomat::ElementSet make_set(double epoch_jd, double mark, double n_rad_per_day) {
    return {epoch_jd, mark, mark + 0.1, mark + 0.2, 0.03 + mark / 1000, 0.1, n_rad_per_day};
}

struct ObjectSets {
    std::int32_t n;
    std::vector<zelvomat::ElementSet> sets;
};

// Writes "ad<year>" and "el<year>" into dir; the objects' sets are laid out in
// the order of the list.
inline void write_year(const std::string& dir, int year, std::int32_t objects, const std::vector<ObjectSets>& list) {
    zelvomat::YearlyElementsWriter w(objects);
    for (const ObjectSets& o : list) {
        const zelvomat::Status s = w.add(o.n, o.sets);
        ASSERT_TRUE(s.ok()) << s.message();
    }
    const zelvomat::Status s = w.write(dir, year);
    ASSERT_TRUE(s.ok()) << s.message();
}

}  // namespace zeltest
