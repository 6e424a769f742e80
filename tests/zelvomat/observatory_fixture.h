// A small package for the tests of observation lines: the settings file
// "setpar" (record 4 the data directory, record 6 the package's first and
// last year) and the observatory lists of the data directory, the text list
// "observa1.dat" written here and the record list "observat.dat" built from
// it by obswri, as the main program builds it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "support.h"
#include "zelvomat/zelvomat.h"

namespace zeltest {

// "setpar": 14 records of 80 bytes. Record 4: the data directory; record 6:
// i16 first year at byte 20, i16 last year at byte 22 (little-endian).
inline void write_observation_settings(const std::string& data_dir, std::int16_t first_year, std::int16_t last_year) {
    std::vector<std::uint8_t> b(14 * 80, 0);
    std::string r4 = data_dir;
    r4.resize(80, ' ');
    std::memcpy(b.data() + 3 * 80, r4.data(), 80);
    std::uint8_t* r6 = b.data() + 5 * 80;
    r6[20] = static_cast<std::uint8_t>(first_year & 0xff);
    r6[21] = static_cast<std::uint8_t>((first_year >> 8) & 0xff);
    r6[22] = static_cast<std::uint8_t>(last_year & 0xff);
    r6[23] = static_cast<std::uint8_t>((last_year >> 8) & 0xff);
    write_bytes("setpar", b);
}

// The code of an observatory number, written out by hand.
inline std::string observatory_code(int n) {
    char buf[16];
    if (n < 1000)
        std::snprintf(buf, sizeof buf, "%03d", n);
    else
        std::snprintf(buf, sizeof buf, "%c%02d", 'A' + (n - 1000) / 100, n % 100);
    return buf;
}

// The text list: line n + 1 for number n, from 000 to the last number given;
// the lines of free numbers carry their code and blanks. Every line is cut or
// blank-padded to 79 bytes; no line ends.
inline void write_observatory_list(const std::string& data_dir, const std::map<int, std::string>& rows) {
    const int last = rows.rbegin()->first;
    std::string all;
    for (int n = 0; n <= last; ++n) {
        auto it = rows.find(n);
        std::string l = it != rows.end() ? it->second : observatory_code(n);
        l.resize(79, ' ');
        all += l;
    }
    write_bytes(std::filesystem::path(data_dir) / "observa1.dat", std::vector<std::uint8_t>(all.begin(), all.end()));
}

// An observation line in the Minor Planet Center's 80-column format:
//   1-12 designation (packed number 1-5, packed provisional designation
//   6-12), 13 discovery asterisk, 14 note 1, 15 note 2, 16-32 date
//   "YYYY MM DD.dddddd" (UT), 33-44 R.A. "HH MM SS.ddd", 45-56 Decl.
//   "sDD MM SS.dd", 57-65 blank, 66-70 magnitude, 71 band, 72-77 blank,
//   78-80 observatory code.
// Each field is placed at its first column and cut to its width.
struct MpcFields {
    std::string designation;  // columns 1-12
    char asterisk = ' ';      // 13
    char note1 = ' ';         // 14
    char note2 = 'C';         // 15 (C: CCD)
    std::string date;         // 16-32
    std::string ra;           // 33-44
    std::string dec;          // 45-56
    std::string mag;          // 66-70
    char band = ' ';          // 71
    std::string code;         // 78-80
};
inline std::string mpc_line(const MpcFields& f) {
    std::string l(80, ' ');
    auto put = [&](std::size_t col, std::size_t width, const std::string& s) {
        l.replace(col - 1, std::min(width, s.size()), s.substr(0, std::min(width, s.size())));
    };
    put(1, 12, f.designation);
    l[12] = f.asterisk;
    l[13] = f.note1;
    l[14] = f.note2;
    put(16, 17, f.date);
    put(33, 12, f.ra);
    put(45, 12, f.dec);
    put(66, 5, f.mag);
    l[70] = f.band;
    put(78, 3, f.code);
    return l;
}

// Places text at a column (1-based) of a line, over what stands there.
inline std::string with(std::string line, std::size_t col, const std::string& text) {
    line.replace(col - 1, text.size(), text);
    return line;
}

}  // namespace zeltest
