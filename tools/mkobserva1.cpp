// Writes the package's text list of observatories "observa1.dat".
//
//   mkobserva1 LIST OUT
//
// LIST is a list of observatory codes in the Minor Planet Center's format:
// the page ObsCodes.html (the list between <pre> and </pre>) or its plain
// text, one observatory a line:
//   columns  1-3   code (000-999, or a letter and two digits)
//            5-13  longitude, degrees east
//           14-21  rho cos phi' (Earth radii)
//           22-30  rho sin phi' (Earth radii, signed)
//           31-    name
// The header line ("Code  Long. ...") and blank lines are skipped. Names are
// turned from UTF-8 into Windows-1252 (characters it lacks become "?"); bytes
// that are not UTF-8 are taken as Windows-1252 already.
//
// OUT receives 79-byte lines without line ends: line n for observatory number
// n - 1, from code 000 to the last code of the list; numbers that the list
// lacks get a line holding their code and blanks. An MPC line cut or
// blank-padded to 79 characters is such a line, so the lines are copied as
// they stand (names longer than 49 characters are cut).
//
// Codes that the list gives without coordinates (space telescopes, roving
// observers; all three fields blank) are kept with zero values: their names
// stay searchable, and the line check answers an observation line of such a
// code with "Data for the observatory are absent", as it does for any
// observatory without data. The geocentric codes 500, 244 and 248 carry
// zeros by right. The tool lists the codes without coordinates.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "io/fields.h"
#include "io/recfile.h"
#include "io/textfile.h"
#include "tasks/obsfiles.h"

using namespace zelvomat;

namespace {

// Unicode code points 0x80-0x9F of Windows-1252 (0 where it has none).
constexpr char32_t kCp1252High[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char to_cp1252(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<char>(cp);
    for (int i = 0; i < 32; ++i)
        if (kCp1252High[i] != 0 && kCp1252High[i] == cp) return static_cast<char>(0x80 + i);
    return '?';
}

std::string utf8_to_cp1252(std::string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        // Length of a UTF-8 sequence that starts with b (0: not a lead byte).
        const std::size_t extra = (b >= 0xC2 && b < 0xE0)   ? 1
                                  : (b >= 0xE0 && b < 0xF0) ? 2
                                  : (b >= 0xF0 && b < 0xF5) ? 3
                                                            : 0;
        bool ok = extra > 0 && i + extra < s.size();
        char32_t cp = b & (0x3F >> extra);
        for (std::size_t k = 1; ok && k <= extra; ++k) {
            const auto c = static_cast<unsigned char>(s[i + k]);
            ok = (c & 0xC0) == 0x80;
            cp = (cp << 6) | (c & 0x3F);
        }
        if (ok) {
            out.push_back(to_cp1252(cp));
            i += extra + 1;
        } else {
            out.push_back(static_cast<char>(b));  // ASCII, or a Windows-1252 byte as it stands
            ++i;
        }
    }
    return out;
}

// HTML character references of the page: &amp; &lt; &gt; &quot; &apos; &#N; &#xN;.
std::string html_unescape(std::string_view s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '&') {
            out.push_back(s[i]);
            continue;
        }
        const std::size_t semi = s.find(';', i);
        if (semi == std::string_view::npos || semi - i > 10) {
            out.push_back('&');
            continue;
        }
        const std::string_view ent = s.substr(i + 1, semi - i - 1);
        char32_t cp = 0;
        if (ent == "amp")
            cp = '&';
        else if (ent == "lt")
            cp = '<';
        else if (ent == "gt")
            cp = '>';
        else if (ent == "quot")
            cp = '"';
        else if (ent == "apos")
            cp = '\'';
        else if (ent.size() > 1 && ent[0] == '#')
            cp = static_cast<char32_t>(ent[1] == 'x' || ent[1] == 'X'
                                           ? std::strtoul(std::string(ent.substr(2)).c_str(), nullptr, 16)
                                           : std::strtoul(std::string(ent.substr(1)).c_str(), nullptr, 10));
        if (cp == 0) {
            out.push_back('&');
            continue;
        }
        // Written back as UTF-8, turned into Windows-1252 with the rest.
        if (cp < 0x80)
            out.push_back(static_cast<char>(cp));
        else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xE0 | ((cp >> 12) & 0x0F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
        i = semi;
    }
    return out;
}

std::string lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// The list's text: what stands between <pre> and </pre> of a page, else all.
std::string list_text(const std::string& raw) {
    const std::string low = lower(raw);
    const std::size_t pre = low.find("<pre>");
    if (pre == std::string::npos) return raw;
    const std::size_t end = low.find("</pre>", pre);
    return html_unescape(std::string_view(raw).substr(pre + 5, end == std::string::npos ? end : end - pre - 5));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: mkobserva1 LIST OUT\n");
        return 2;
    }
    auto raw = io::read_file_bytes(argv[1]);
    if (!raw) {
        std::fprintf(stderr, "mkobserva1: %s\n", raw.message().c_str());
        return 1;
    }
    const std::string text = list_text(std::string(raw->begin(), raw->end()));

    std::map<int, std::string> lines;  // by observatory number
    std::vector<std::string> without_site;
    int lineno = 0;
    for (const std::string& l : io::split_lines(text)) {
        ++lineno;
        if (io::is_blank(l) || l.rfind("Code", 0) == 0) continue;
        const std::string line = io::pad(utf8_to_cp1252(l), ObservatoryLine::kLength);
        auto fail = [&](const std::string& why) {
            std::fprintf(stderr, "mkobserva1: %s, line %d: %s\n", argv[1], lineno, why.c_str());
            return 1;
        };
        auto parsed = ObservatoryLine::decode(line);
        if (!parsed) return fail(parsed.message());
        auto number = obs_n(parsed->code);
        if (!number) return fail(number.message());
        if (*number < 0) return fail("the line has no observatory code");
        if (lines.count(*number)) return fail("observatory code " + parsed->code + " is listed twice");
        lines[*number] = line;
        const bool blank_fields = io::is_blank(std::string_view(line).substr(
            ObservatoryLine::kLongitudeOff, ObservatoryLine::kNameOff - ObservatoryLine::kLongitudeOff));
        if (blank_fields) without_site.push_back(parsed->code + " " + std::string(io::trim_right(parsed->name)));
    }
    if (lines.empty()) {
        std::fprintf(stderr, "mkobserva1: %s lists no observatory\n", argv[1]);
        return 1;
    }

    const int last = lines.rbegin()->first;
    std::vector<std::uint8_t> out;
    out.reserve(static_cast<std::size_t>(last + 1) * ObservatoryLine::kLength);
    for (int n = 0; n <= last; ++n) {
        const auto it = lines.find(n);
        const std::string line = it != lines.end() ? it->second : io::pad(n_obs(n), ObservatoryLine::kLength);
        out.insert(out.end(), line.begin(), line.end());
    }
    if (Status s = io::write_file_bytes(argv[2], out); !s) {
        std::fprintf(stderr, "mkobserva1: %s\n", s.message().c_str());
        return 1;
    }
    std::printf("%s: %zu observatories in %d lines (000 .. %s)\n", argv[2], lines.size(), last + 1,
                n_obs(last).c_str());
    if (!without_site.empty()) {
        std::printf(
            "%s: %zu codes without coordinates kept with zero values; the line check refuses their "
            "observation lines (\"Data for the observatory are absent\"):\n",
            argv[2], without_site.size());
        for (const std::string& s : without_site) std::printf("  %s\n", s.c_str());
    }
    return 0;
}
