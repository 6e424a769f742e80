// A small element catalogue written byte by byte for the tests, with its
// settings file, in the working directory (a ScopedWorkDir).
//
// Layout written here from the file descriptions, independently of the
// library's own code: "indnm" i32 per record in name order; "elinm" 18-byte
// names; "elih" 5-byte H texts; "elitel" 6 little-endian doubles per record;
// "elig" one record of 9-byte pairs (i32 number, 5-byte G text). The settings
// file "setpar": record 4 the data directory, record 6 epoch (double at 0),
// total (i32 at 8), numbered (i32 at 12), record 9 the slope count (i32 at 4),
// record 14 the comets-edition flag (i32 at 0).
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "support.h"

namespace zeltest {

struct CatObject {
    std::int32_t number;  // catalogue number
    std::string record;   // "elinm" text (packed designation for unnumbered objects)
    std::string key;      // upper-case readable name: the "indnm" order
    std::string h;        // 5-character H text
    std::array<double, 6> el;
};

struct CatSlope {
    std::int32_t number;
    std::string g;  // 5 characters
};

inline void put32(std::vector<std::uint8_t>& b, std::size_t off, std::int32_t v) {
    for (int i = 0; i < 4; ++i) b[off + i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(v) >> (8 * i));
}
inline void put64(std::vector<std::uint8_t>& b, std::size_t off, double v) {
    std::uint64_t u;
    std::memcpy(&u, &v, 8);
    for (int i = 0; i < 8; ++i) b[off + i] = static_cast<std::uint8_t>(u >> (8 * i));
}
inline void puttext(std::vector<std::uint8_t>& b, std::size_t off, std::size_t width, const std::string& t) {
    for (std::size_t i = 0; i < width; ++i) b[off + i] = static_cast<std::uint8_t>(i < t.size() ? t[i] : ' ');
}

inline void write_settings(const std::string& data_dir, double epoch, std::int32_t total, std::int32_t numbered,
                           std::int32_t slope_count, std::int32_t comet = 0) {
    std::vector<std::uint8_t> s(14 * 80, 0);
    puttext(s, 3 * 80, 80, data_dir);
    put64(s, 5 * 80, epoch);
    put32(s, 5 * 80 + 8, total);
    put32(s, 5 * 80 + 12, numbered);
    put32(s, 8 * 80 + 4, slope_count);
    put32(s, 13 * 80, comet);
    write_bytes("setpar", s);
}

// Writes the catalogue into dir (ending with "/"). Numbers 1 .. numbered that
// objs does not hold are absent objects (blank records).
inline void write_catalogue(const std::string& dir, std::int32_t numbered, std::int32_t total,
                            const std::vector<CatObject>& objs, const std::vector<CatSlope>& slopes,
                            double epoch = 2459800.5, std::int32_t comet = 0) {
    const auto n = static_cast<std::size_t>(total);
    std::vector<std::uint8_t> names(18 * n, ' '), hs(5 * n, ' '), els(48 * n, 0), index(4 * n, 0);
    std::vector<std::pair<std::string, std::int32_t>> order;
    std::vector<bool> present(n + 1, false);
    for (const CatObject& o : objs) {
        const auto k = static_cast<std::size_t>(o.number - 1);
        puttext(names, 18 * k, 18, o.record);
        puttext(hs, 5 * k, 5, o.h);
        for (std::size_t i = 0; i < 6; ++i) put64(els, 48 * k + 8 * i, o.el[i]);
        std::string key = o.key;
        key.resize(18, ' ');
        order.emplace_back(key, o.number);
        present[static_cast<std::size_t>(o.number)] = true;
    }
    for (std::int32_t k = 1; k <= total; ++k)
        if (!present[static_cast<std::size_t>(k)]) order.emplace_back(std::string(18, ' '), k);
    std::sort(order.begin(), order.end());  // std::string compares bytes as unsigned char
    for (std::size_t k = 0; k < n; ++k) put32(index, 4 * k, order[k].second);
    std::vector<std::uint8_t> g(9 * slopes.size(), ' ');
    for (std::size_t i = 0; i < slopes.size(); ++i) {
        put32(g, 9 * i, slopes[i].number);
        puttext(g, 9 * i + 4, 5, slopes[i].g);
    }
    write_bytes(dir + "elinm", names);
    write_bytes(dir + "elih", hs);
    write_bytes(dir + "elitel", els);
    write_bytes(dir + "indnm", index);
    write_bytes(dir + "elig", g);
    write_settings(dir, epoch, total, numbered, static_cast<std::int32_t>(slopes.size()), comet);
}

// The standard small catalogue: numbered 1 .. 10 with 5, 6, 8, 9 absent, and
// five unnumbered objects 11 .. 15.
inline std::vector<CatObject> small_objects() {
    auto el = [](double k) { return std::array<double, 6>{0.1 * k, 0.2 * k, 0.3 * k, 0.01 * k, 0.05 * k, 0.004 * k}; };
    return {
        {1, "Ceres", "CERES", " 3.33", el(1)},         {2, "Pallas", "PALLAS", " 4.12", el(2)},
        {3, "Juno", "JUNO", "5.12 ", el(3)},           {4, "Vesta", "VESTA", "   12", el(4)},
        {7, "Iris", "IRIS", " 5.6 ", el(7)},           {10, "1999 AB5", "1999 AB5", "13.10", el(10)},
        {11, "J99A12B", "1999 AB12", "14.20", el(11)}, {12, "J13C00F", "A913 CF", "15.30", el(12)},
        {13, "PLS2040", "2040 P-L", "16.40", el(13)},  {14, "K07Tf8A", "2007 TA418", "17.50", el(14)},
        {15, "K01A00A", "2001 AA", "18.60", el(15)},
    };
}

inline void write_small_catalogue(const std::string& dir, std::int32_t comet = 0) {
    write_catalogue(dir, 10, 15, small_objects(), {{2, " 0.11"}, {4, "   32"}, {7, "0.2  "}}, 2459800.5, comet);
}

}  // namespace zeltest
