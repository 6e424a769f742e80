// Writes the element catalogue of the data package ("indnm", "elinm", "elih",
// "elig", "elitel"; layouts in zelvomat/core/catalog.h) and its settings
// values.
//
//   mkcatalogue INPUT.tsv DATA_DIR VALUES.txt [--small]
//
// INPUT.tsv is the list that tools/catalogue_extract.py writes: per line
// number, name, designation, H, G, epoch (JD), a (AU), e, i, node, peri, M
// (degrees, ecliptic J2000), tab-separated; number 0 for an unnumbered object.
//
// The catalogue has one epoch, the most frequent epoch of the input; elements
// given at another epoch are brought to it by two-body motion (the mean
// anomaly advanced by n dt, n = k / a^1.5 with the Gaussian constant k).
// Numbered objects keep their official numbers: the numbers the input lacks
// are absent objects (blank name and H, zero elements). Unnumbered objects
// follow under their packed designations, in input order. Objects that the
// catalogue cannot hold (hyperbolic orbits, a designation without a packed
// form, a name longer than 18 characters, an H that does not fit 5
// characters) are left out with a note on standard error.
//
// VALUES.txt receives the settings keys catalogue_epoch, objects, numbered,
// slope_count, comet_edition and perturber1-3 (the catalogue elements of
// (1) Ceres, (2) Pallas and (4) Vesta).
//
// --small keeps numbers 1-20, 433 and 881 and the first 8 unnumbered objects
// of the input and its first 2 with a cycle count of 100 or more ("2015 VO166"),
// for the tests' package.
//
// The Minor Planet Center's orbits:
//
//   mkcatalogue --mpcorb FILE DATA_DIR VALUES.txt [--small]
//
// FILE is in the format of the MPC's MPCORB.DAT (FILE "-": standard input;
// the package step decompresses a gzip file into it). Columns (from 1): 1-7
// the packed number ("00433", "A0345", "~0000") or packed provisional
// designation ("K22H05K"), 9-13 H, 15-19 G, 21-25 the packed epoch ("K2289" =
// 2022 August 9.0 TT), 27-35 M, 38-46 argument of perihelion, 49-57 node,
// 60-68 inclination (degrees, ecliptic J2000), 71-79 e, 81-91 n (degrees a
// day), 93-103 a (AU), 167-194 the readable designation: "(433) Eros" or
// "(105808) 2000 SZ135" for a numbered object, "2022 HK5" for an unnumbered
// one. The header (the lines up to its line of dashes) and blank lines are
// skipped. A line that does not read (a field that is not a number, a packed
// form that is not one, a readable number that is not the packed one, a
// mean motion that does not belong to the semi-major axis) is reported with
// its line number and left out; so are objects the catalogue cannot hold, as
// above, and objects without H; so are lines with elements out of range
// (inclination outside 0-180 degrees, node, perihelion or mean anomaly
// outside 0-360, e < 0), an epoch that is no date (February 30), a zero
// byte, a number or designation given a second time, and a number more than
// a million past the count of objects (a damaged "~zzzz" would make the
// catalogue gigabytes of empty records). A catalogue without (1) Ceres, (2)
// Pallas or (4) Vesta, the perturbers of the settings, is refused naming
// the one missing, before anything is written. n is taken from a
// (n = k / a^1.5, as for the JPL extract); G goes into "elig" when it
// differs from 0.15, the value the MPC gives to objects without a G of
// their own (the default of the catalogue). The catalogue epoch and the
// numbering are as above.
//
// The comets edition:
//
//   mkcatalogue --comets INPUT.tsv DATA_DIR VALUES.txt PERTURBERS.tsv SOURCES.txt [--small]
//
// INPUT.tsv is the list of tools/comets_extract.py: per line number, name, H
// (total absolute magnitude M1), G (factor of log10 r), epoch (JD), a, e, i,
// node, peri, M, M2, K2, A1, A2, A3; empty fields where the source has no
// value. Every comet is a numbered object of the catalogue (its name record
// holds the name as shown, "1P/Halley" or "C/1995 O1", which no packed form
// could hold): the periodic comets under their numbers, the others (fragments
// and unnumbered comets) after the highest number, in input order; the
// numbered count is the total count. Every comet gets a slope entry: its G,
// or 10 (the usual law 5 log10 Delta + 10 log10 r) when it has an H but no G,
// or 0 when it has neither (H and G both 0: no magnitude). Besides the five
// catalogue files the comets edition writes "ngr.eff" (A1, A2, A3, zero
// where the source has none) and "M2C.K2C" (M2 and K2, zero where none).
// PERTURBERS.tsv is a list in the minor planets' form (catalogue_extract.py)
// holding (1) Ceres, (2) Pallas and (4) Vesta: the catalogue epoch is their
// epoch, and their elements are the perturbers of the settings. Every comet
// is moved to that epoch by two-body motion; SOURCES.txt receives, per line,
// the catalogue number, the comet's own epoch (JD) and its elements there
// (M, peri, node, incl in radians, e, n in radians per day), from which the
// epoch step integrates it. --small keeps numbers 1, 2, 4 and 29, the first
// 2 fragments of numbered comets and the first 4 other comets of the input.
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "core/catalog.h"
#include "core/constants.h"
#include "core/datajd.h"
#include "core/force.h"
#include "core/magn.h"
#include "core/names.h"
#include "core/utils.h"
#include "io/bytes.h"
#include "io/fields.h"
#include "io/files.h"
#include "io/recfile.h"

using namespace zelvomat;
using namespace zelvomat::catalogue;

namespace {

constexpr double kGauss = zelvomat::kGaussK;  // Gaussian constant, rad/day for a in AU

struct Object {
    std::int32_t number = 0;  // official number; 0 unnumbered
    std::string record;       // "elinm" text
    std::string h_text, g_text;
    std::array<double, 6> el{};  // M, peri, node, incl, e, n at the catalogue epoch
    double epoch = 0, a = 0, e = 0, incl = 0, node = 0, peri = 0, m = 0;
    bool long_cycle = false;  // unnumbered, cycle count of 100 or more
    int line = 0;             // line of the input (MPCORB.DAT)
    // Comets edition.
    double m2 = 0, k2 = 0;        // nuclear absolute magnitude and its slope
    NongravParams ngr{};          // A1, A2, A3
    std::array<double, 6> own{};  // elements at the object's own epoch
};

std::vector<std::string> split_tabs(const std::string& line) {
    std::vector<std::string> f;
    std::size_t s = 0;
    for (;;) {
        const std::size_t t = line.find('\t', s);
        f.push_back(line.substr(s, t == std::string::npos ? std::string::npos : t - s));
        if (t == std::string::npos) break;
        s = t + 1;
    }
    return f;
}

bool number_of(const std::string& t, double& v) {
    std::string s = t;
    if (!s.empty() && s[0] == '.') s.insert(0, "0");
    if (s.size() > 1 && s[0] == '-' && s[1] == '.') s.insert(1, "0");
    const auto r = std::from_chars(s.data(), s.data() + s.size(), v);
    return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

std::string text5(double v) {
    std::string t = io::fmt_f(v, 5, 2);
    return t.find('*') == std::string::npos ? t : std::string();
}

// A 5-character decimal text with as many decimals (2, 1 or 0) as fit.
std::string text5_fit(double v) {
    for (int d : {2, 1, 0}) {
        std::string t = io::fmt_f(v, 5, d);
        if (t.find('*') == std::string::npos) return d > 0 ? t : t.substr(1) + ".";
    }
    return std::string();
}

// An optional number field: empty is 0.
bool optional_number(const std::string& t, double& v) {
    v = 0.0;
    return t.empty() || number_of(t, v);
}

// Elements of the minor planets' list (12 fields) of numbers 1, 2 and 4.
bool read_perturbers(const char* path, std::map<std::int32_t, Object>& out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        const auto f = split_tabs(line);
        double num = 0;
        if (f.size() != 12 || !number_of(f[0], num) || (num != 1 && num != 2 && num != 4)) continue;
        Object o;
        o.number = static_cast<std::int32_t>(num);
        if (!(number_of(f[5], o.epoch) && number_of(f[6], o.a) && number_of(f[7], o.e) && number_of(f[8], o.incl) &&
              number_of(f[9], o.node) && number_of(f[10], o.peri) && number_of(f[11], o.m)))
            return false;
        out[o.number] = o;
    }
    return out.size() == 3;
}

// ---- MPCORB.DAT -----------------------------------------------------------------

// Columns first..last (from 1) of a line, as text.
std::string_view cols(std::string_view line, std::size_t first, std::size_t last) {
    if (line.size() < first) return {};
    return line.substr(first - 1, std::min(line.size(), last) - (first - 1));
}

// A fixed-column number: blanks around it allowed, nothing else.
bool column_number(std::string_view line, std::size_t first, std::size_t last, double& v) {
    const std::string_view t = io::trim(cols(line, first, last));
    return !t.empty() && number_of(std::string(t), v) && std::isfinite(v);
}

// A packed date of the MPC ("K2289": century letter I, J, K, two digits of the
// year, month and day as 1-9 then A = 10 ..) as a Julian date at 0h.
bool packed_epoch(std::string_view t, double& jd) {
    if (t.size() != 5 || t[0] < 'I' || t[0] > 'K' || !std::isdigit(static_cast<unsigned char>(t[1])) ||
        !std::isdigit(static_cast<unsigned char>(t[2])))
        return false;
    auto code = [](char c) { return c >= '1' && c <= '9' ? c - '0' : c >= 'A' && c <= 'V' ? c - 'A' + 10 : 0; };
    const int year = (t[0] - 'I' + 18) * 100 + (t[1] - '0') * 10 + (t[2] - '0');
    const int month = code(t[3]), day = code(t[4]);
    if (month < 1 || month > 12 || day < 1 || day > 31) return false;
    std::int32_t d = 0;
    double f = 0.0;
    caljd(year, month, day, 0.0, d, f, DayStart::Civil);
    // A day the month does not have (February 30) is no date.
    int y = 0, m = 0, dd = 0;
    double fr = 0.0;
    jdcal(d, f, y, m, dd, fr);
    if (y != year || m != month || dd != day) return false;
    jd = d + f;
    return true;
}

// The most records of absent objects (numbers the input lacks) a catalogue
// may hold: 75 MB of them.
constexpr std::int64_t kMaxAbsentRecords = 1000000;

std::string format_number(double v) {
    char b[32];
    std::snprintf(b, sizeof b, "%g", v);
    return b;
}

// Why the elements of a line cannot be an orbit (empty when they can): the
// angles in their ranges, the eccentricity not negative.
std::string elements_out_of_range(const Object& o) {
    const auto outside = [](const char* what, double v, double hi) {
        return "the " + std::string(what) + " " + format_number(v) + " is outside 0-" + format_number(hi) + " degrees";
    };
    if (o.incl < 0.0 || o.incl > 180.0) return outside("inclination", o.incl, 180.0);
    if (o.node < 0.0 || o.node > 360.0) return outside("node", o.node, 360.0);
    if (o.peri < 0.0 || o.peri > 360.0) return outside("argument of perihelion", o.peri, 360.0);
    if (o.m < 0.0 || o.m > 360.0) return outside("mean anomaly", o.m, 360.0);
    if (o.e < 0.0) return "the eccentricity " + format_number(o.e) + " is negative";
    return {};
}

// Reads the objects of an MPCORB.DAT file; the lines that do not read are
// reported with their numbers and counted in left_out.
void read_mpcorb(std::istream& in, const std::string& label, std::vector<Object>& objects, int& left_out) {
    struct Pending {
        int lineno;
        std::string why;
    };
    std::vector<Pending> pending;                 // lines before the header's dashes (if there are any)
    std::map<std::int32_t, int> number_line;      // line of each number taken
    std::map<std::string, int> designation_line;  // line of each designation taken
    bool in_data = false;
    int lineno = 0;
    std::string line;
    auto report = [&](int at, const std::string& why) {
        ++left_out;
        std::fprintf(stderr, "mkcatalogue: %s line %d left out: %s\n", label.c_str(), at, why.c_str());
    };
    auto refuse = [&](const std::string& why) {
        if (in_data)
            report(lineno, why);
        else
            pending.push_back({lineno, why});
    };
    while (std::getline(in, line)) {
        ++lineno;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (io::is_blank(line)) continue;
        if (const std::size_t z = line.find('\0'); z != std::string::npos) {
            refuse("a zero byte in column " + std::to_string(z + 1));
            continue;
        }
        if (line.rfind("-----", 0) == 0) {
            // The end of the header: what came before it was the header.
            if (!in_data) pending.clear();
            in_data = true;
            continue;
        }
        const std::string_view l = line;
        Object o;
        double h = 0, g = 0, n_deg = 0;
        const std::string_view desig = io::trim_right(cols(l, 1, 7));
        if (l.size() < 103) {
            refuse("the line ends before the elements (column 103)");
            continue;
        }
        if (!packed_epoch(cols(l, 21, 25), o.epoch)) {
            refuse("the epoch \"" + std::string(cols(l, 21, 25)) + "\" is not a packed date");
            continue;
        }
        if (!(column_number(l, 27, 35, o.m) && column_number(l, 38, 46, o.peri) && column_number(l, 49, 57, o.node) &&
              column_number(l, 60, 68, o.incl) && column_number(l, 71, 79, o.e) && column_number(l, 81, 91, n_deg) &&
              column_number(l, 93, 103, o.a))) {
            refuse("an element in columns 27-103 is not a number");
            continue;
        }
        if (const std::string why = elements_out_of_range(o); !why.empty()) {
            refuse(why);
            continue;
        }
        const bool has_h = !io::is_blank(cols(l, 9, 13));
        if (has_h && !column_number(l, 9, 13, h)) {
            refuse("H in columns 9-13 is not a number");
            continue;
        }
        const bool has_g = !io::is_blank(cols(l, 15, 19));
        if (has_g && !column_number(l, 15, 19, g)) {
            refuse("G in columns 15-19 is not a number");
            continue;
        }
        const std::string readable(io::trim(cols(l, 167, 194)));
        if (desig.size() == 5) {
            const ObjectNumber num = objnum(desig);
            if (num.bad || num.n < 1) {
                refuse("\"" + std::string(desig) + "\" in columns 1-7 is no packed number");
                continue;
            }
            o.number = num.n;
            // "(433) Eros": the number again, then the name or designation.
            const std::string prefix = "(" + std::to_string(o.number) + ")";
            if (readable.rfind(prefix, 0) != 0 || readable.size() <= prefix.size() + 1 ||
                readable[prefix.size()] != ' ') {
                refuse("the readable designation \"" + readable + "\" does not begin with " + prefix);
                continue;
            }
            o.record = std::string(io::trim(std::string_view(readable).substr(prefix.size())));
        } else if (desig.size() == 7) {
            o.number = 0;
            o.record = std::string(desig);
        } else {
            refuse("\"" + std::string(desig) + "\" in columns 1-7 is neither a packed number nor a packed designation");
            continue;
        }
        if (!in_data) {
            // Data before any line of dashes: the file has no header, and the
            // lines held back were lines that do not read.
            for (const Pending& p : pending) report(p.lineno, p.why);
            pending.clear();
            in_data = true;
        }
        // n is written to 1e-8 degrees a day: distant objects keep few digits of it.
        const double n_from_a = o.a > 0.0 ? kGauss / (o.a * std::sqrt(o.a)) * kDegPerRad : 0.0;
        if (o.a > 0.0 && o.e < 1.0 && std::fabs(n_deg - n_from_a) > 1e-4 * n_from_a + 1e-8) {
            report(lineno, "the mean motion " + std::string(io::trim(cols(l, 81, 91))) +
                               " does not belong to the semi-major axis " + std::string(io::trim(cols(l, 93, 103))));
            continue;
        }
        if (o.e >= 1.0 || o.a <= 0.0) {
            report(lineno, "not an elliptic orbit");
            continue;
        }
        if (!has_h || (o.h_text = text5(h)).empty()) {
            report(lineno, has_h ? "H does not fit 5 characters" : "no absolute magnitude H");
            continue;
        }
        if (o.number > 0) {
            if (o.record.size() > kNameRecord) {
                report(lineno, "the name \"" + o.record + "\" is longer than 18 characters");
                continue;
            }
            if (has_g && std::fabs(g - kDefaultSlope) > 1e-9 && (o.g_text = text5(g)).empty()) {
                report(lineno, "G does not fit 5 characters");
                continue;
            }
        } else {
            const DesignationText back = desunpack(o.record);
            const DesignationText again = despack(std::string_view(back.data(), back.size()));
            if (std::string(io::trim_right(std::string_view(again.data(), again.size()))) != o.record) {
                report(lineno, "\"" + o.record + "\" is no packed provisional designation");
                continue;
            }
            o.long_cycle = o.record[4] >= 'A' && o.record[2] != 'S';
        }
        // One line per object: a second line of the same number or
        // designation is left out, so the counts hold what was built.
        int first_line = lineno;
        if (o.number > 0)
            first_line = number_line.try_emplace(o.number, lineno).first->second;
        else
            first_line = designation_line.try_emplace(o.record, lineno).first->second;
        if (first_line != lineno) {
            report(lineno, (o.number > 0 ? "number " + std::to_string(o.number) : "designation " + o.record) +
                               " given twice (first on line " + std::to_string(first_line) + ")");
            continue;
        }
        o.line = lineno;
        objects.push_back(std::move(o));
    }
    for (const Pending& p : pending) report(p.lineno, p.why);
    // Every number below the highest one takes its records, present or not:
    // a number far past the objects given (a damaged "~zzzz") would make the
    // catalogue mostly empty records, gigabytes of them. It is left out
    // before anything is written.
    const auto limit = static_cast<std::int64_t>(objects.size()) + kMaxAbsentRecords;
    std::erase_if(objects, [&](const Object& o) {
        if (o.number <= limit) return false;
        report(o.line, "the number " + std::to_string(o.number) + " lies more than " +
                           std::to_string(kMaxAbsentRecords) + " past the objects of the file");
        return true;
    });
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<char*> args;
    bool small = false, comets = false, mpcorb = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        if (a == "--small")
            small = true;
        else if (a == "--comets")
            comets = true;
        else if (a == "--mpcorb")
            mpcorb = true;
        else
            args.push_back(argv[i]);
    }
    if (args.size() != (comets ? 5u : 3u) || (comets && mpcorb)) {
        std::fprintf(
            stderr,
            "usage: mkcatalogue INPUT.tsv DATA_DIR VALUES.txt [--small]\n"
            "       mkcatalogue --mpcorb MPCORB.DAT DATA_DIR VALUES.txt [--small]\n"
            "       mkcatalogue --comets INPUT.tsv DATA_DIR VALUES.txt PERTURBERS.tsv SOURCES.txt [--small]\n");
        return 2;
    }
    std::string dir = args[1];
    if (dir.empty() || dir.back() != '/') dir += '/';
    const bool from_stdin = mpcorb && std::string(args[0]) == "-";
    std::ifstream source;
    if (!from_stdin) source.open(args[0], std::ios::binary);
    std::istream& in = from_stdin ? std::cin : source;
    if (!from_stdin && !source) {
        std::fprintf(stderr, "mkcatalogue: cannot read %s\n", args[0]);
        return 1;
    }
    std::map<std::int32_t, Object> perturbers;
    if (comets && !read_perturbers(args[3], perturbers)) {
        std::fprintf(stderr, "mkcatalogue: %s does not hold the elements of (1), (2) and (4)\n", args[3]);
        return 1;
    }

    // Read and check the objects.
    std::vector<Object> objects;
    std::string line;
    if (mpcorb) std::ios::sync_with_stdio(false);
    int left_out = 0, lineno = 0;
    auto leave_out = [&](const std::string& why) {
        ++left_out;
        std::fprintf(stderr, "mkcatalogue: line %d left out: %s\n", lineno, why.c_str());
    };
    if (mpcorb) read_mpcorb(in, from_stdin ? std::string("standard input") : std::string(args[0]), objects, left_out);
    while (!mpcorb && std::getline(in, line)) {
        ++lineno;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty()) continue;
        const auto f = split_tabs(line);
        if (comets) {
            if (f.size() != 16) {
                leave_out("16 fields expected");
                continue;
            }
            Object o;
            double num = 0, h = 0, g = 0;
            bool ok = number_of(f[0], num) && optional_number(f[2], h) && optional_number(f[3], g) &&
                      number_of(f[4], o.epoch) && number_of(f[5], o.a) && number_of(f[6], o.e) &&
                      number_of(f[7], o.incl) && number_of(f[8], o.node) && number_of(f[9], o.peri) &&
                      number_of(f[10], o.m) && optional_number(f[11], o.m2) && optional_number(f[12], o.k2) &&
                      optional_number(f[13], o.ngr.a1) && optional_number(f[14], o.ngr.a2) &&
                      optional_number(f[15], o.ngr.a3);
            if (!ok || num < 0 || num >= 2147483647.0) {
                leave_out("a number field does not read");
                continue;
            }
            o.number = static_cast<std::int32_t>(num);
            if (o.e >= 1.0 || o.a <= 0.0) {
                leave_out("not an elliptic orbit");
                continue;
            }
            if (!f[2].empty() && (o.h_text = text5_fit(h)).empty()) {
                leave_out("H does not fit 5 characters");
                continue;
            }
            // The slope: G, the usual law when only H is known, 0 without H.
            o.g_text = text5_fit(!f[3].empty() ? g : !f[2].empty() ? 10.0 : 0.0);
            if (o.g_text.empty()) {
                leave_out("G does not fit 5 characters");
                continue;
            }
            o.record = f[1];
            if (o.record.empty() || o.record.size() > kNameRecord) {
                leave_out("no name of at most 18 characters");
                continue;
            }
            objects.push_back(std::move(o));
            continue;
        }
        if (f.size() != 12) {
            leave_out("12 fields expected");
            continue;
        }
        Object o;
        double num = 0, h = 0, g = 0;
        bool ok = number_of(f[0], num) && number_of(f[3], h) && number_of(f[5], o.epoch) && number_of(f[6], o.a) &&
                  number_of(f[7], o.e) && number_of(f[8], o.incl) && number_of(f[9], o.node) &&
                  number_of(f[10], o.peri) && number_of(f[11], o.m);
        if (!ok || num < 0 || num >= 2147483647.0) {
            leave_out("a number field does not read");
            continue;
        }
        o.number = static_cast<std::int32_t>(num);
        if (o.e >= 1.0 || o.a <= 0.0) {
            leave_out("not an elliptic orbit");
            continue;
        }
        o.h_text = text5(h);
        if (o.h_text.empty()) {
            leave_out("H does not fit 5 characters");
            continue;
        }
        if (!f[4].empty()) {
            if (!number_of(f[4], g) || (o.g_text = text5(g)).empty()) {
                leave_out("G does not read");
                continue;
            }
        }
        const std::string& name = f[1];
        const std::string& desig = f[2];
        if (o.number > 0) {
            o.record = name.empty() ? desig : name;
            if (o.record.empty() || o.record.size() > kNameRecord) {
                leave_out("no name of at most 18 characters");
                continue;
            }
        } else {
            const DesignationText packed = despack(desig);
            const DesignationText back = desunpack(std::string_view(packed.data(), packed.size()));
            if (desig.size() > kPackedWidth || std::string(back.data(), back.size()) != io::pad(desig, kPackedWidth) ||
                std::string(packed.data(), packed.size()).find('?') != std::string::npos) {
                leave_out("designation \"" + desig + "\" has no packed form");
                continue;
            }
            o.record = std::string(io::trim_right(std::string_view(packed.data(), packed.size())));
            o.long_cycle = packed[4] >= 'A' && packed[2] != 'S';
            o.g_text.clear();  // unnumbered objects keep the default G
        }
        objects.push_back(std::move(o));
    }

    if (small && comets) {
        std::vector<Object> kept;
        int fragments = 0, designations = 0;
        for (Object& o : objects) {
            const bool fragment = !o.record.empty() && o.record[0] >= '0' && o.record[0] <= '9';
            const bool keep = o.number > 0 ? (o.number <= 2 || o.number == 4 || o.number == 29)
                                           : (fragment ? fragments++ < 2 : designations++ < 4);
            if (keep) kept.push_back(std::move(o));
        }
        objects = std::move(kept);
    } else if (small) {
        std::vector<Object> kept;
        int unnumbered = 0, long_cycles = 0;
        for (Object& o : objects) {
            const bool keep = o.number > 0 ? (o.number <= 20 || o.number == 433 || o.number == 881)
                                           : (o.long_cycle ? long_cycles++ < 2 : unnumbered++ < 8);
            if (keep) kept.push_back(std::move(o));
        }
        objects = std::move(kept);
    }

    // The catalogue epoch: the most frequent epoch.
    std::map<double, int> epochs;
    for (const Object& o : objects) ++epochs[o.epoch];
    if (epochs.empty()) {
        std::fprintf(stderr, "mkcatalogue: no objects\n");
        return 1;
    }
    const double epoch = comets ? perturbers.begin()->second.epoch
                                : std::max_element(epochs.begin(), epochs.end(), [](auto& x, auto& y) {
                                      return x.second < y.second;
                                  })->first;
    auto to_epoch = [epoch](Object& o) {
        const double n = kGauss / (o.a * std::sqrt(o.a));
        o.own = {norm2pi(o.m / kDegPerRad),
                 norm2pi(o.peri / kDegPerRad),
                 norm2pi(o.node / kDegPerRad),
                 o.incl / kDegPerRad,
                 o.e,
                 n};
        o.el = o.own;
        o.el[0] = norm2pi(o.m / kDegPerRad + n * (epoch - o.epoch));
    };
    for (Object& o : objects) to_epoch(o);
    for (auto& [n, o] : perturbers) to_epoch(o);

    // Numbering: official numbers, then the unnumbered objects.
    std::int32_t numbered = 0;
    std::vector<const Object*> by_number;
    std::vector<const Object*> unnumbered;
    for (const Object& o : objects) {
        if (o.number > 0)
            numbered = std::max(numbered, o.number);
        else
            unnumbered.push_back(&o);
    }
    by_number.assign(static_cast<std::size_t>(numbered), nullptr);
    std::size_t present = unnumbered.size();
    for (const Object& o : objects) {
        if (o.number == 0) continue;
        const Object*& slot = by_number[static_cast<std::size_t>(o.number - 1)];
        if (slot != nullptr) {
            ++left_out;
            std::fprintf(stderr, "mkcatalogue: number %d given twice; left out: the first kept\n", o.number);
        } else {
            slot = &o;
            ++present;
        }
    }
    for (const Object* o : unnumbered) by_number.push_back(o);
    const std::size_t total = by_number.size();
    // In the comets edition every object is numbered: the name records hold
    // the names as shown.
    if (comets) numbered = static_cast<std::int32_t>(total);

    // The perturbers of the settings are (1) Ceres, (2) Pallas and (4)
    // Vesta: a catalogue without one of them is refused before anything is
    // written (the settings would take another object in its place).
    if (!comets)
        for (const auto& [n, name] : {std::pair{1, "(1) Ceres"}, std::pair{2, "(2) Pallas"}, std::pair{4, "(4) Vesta"}})
            if (n > numbered || by_number[static_cast<std::size_t>(n - 1)] == nullptr) {
                std::fprintf(stderr, "mkcatalogue: %s, a perturber of the package, is not among the objects\n", name);
                return 1;
            }

    // The files, record by record.
    std::vector<std::uint8_t> names(total * kNameRecord), hs(total * kHRecord), els(total * kElementRecord, 0),
        index(total * kIndexRecord);
    std::vector<std::pair<NameText, std::int32_t>> order(total);
    std::vector<std::uint8_t> slopes;
    std::int32_t slope_count = 0;
    for (std::size_t k = 0; k < total; ++k) {
        const Object* o = by_number[k];
        const auto n = static_cast<std::int32_t>(k + 1);
        const io::MutBytes name_rec(names.data() + k * kNameRecord, kNameRecord);
        const io::MutBytes h_rec(hs.data() + k * kHRecord, kHRecord);
        const io::MutBytes el_rec(els.data() + k * kElementRecord, kElementRecord);
        io::put_text(name_rec, 0, kNameRecord, o ? o->record : "");
        io::put_text(h_rec, 0, kHRecord, o ? o->h_text : "");
        if (o)
            for (std::size_t i = 0; i < 6; ++i) io::put_f64(el_rec, 8 * i, o->el[i]);
        order[k] = {
            catalogue_key(std::string_view(reinterpret_cast<const char*>(name_rec.data()), kNameRecord), n > numbered),
            n};
        if (o && !o->g_text.empty()) {
            slopes.resize(slopes.size() + kSlopePair);
            const io::MutBytes pair(slopes.data() + slopes.size() - kSlopePair, kSlopePair);
            io::put_i32(pair, kSlopeNumberOffset, n);
            io::put_text(pair, kSlopeTextOffset, kPhotText, o->g_text);
            ++slope_count;
        }
    }
    std::stable_sort(order.begin(), order.end(), [](const auto& x, const auto& y) {
        return std::memcmp(x.first.data(), y.first.data(), kNameRecord) < 0;
    });
    for (std::size_t k = 0; k < total; ++k) {
        io::put_i32(io::MutBytes(index.data() + k * kIndexRecord, kIndexRecord), 0, order[k].second);
        if (k > 0 && order[k].first == order[k - 1].first && order[k].first[0] != ' ')
            std::fprintf(stderr, "mkcatalogue: objects %d and %d have the same name; a lookup finds only one\n",
                         order[k - 1].second, order[k].second);
    }

    for (const auto& [file, bytes] : {std::pair{files::kCatNames, &names}, std::pair{files::kCatMagnitudes, &hs},
                                      std::pair{files::kCatElements, &els}, std::pair{files::kCatIndex, &index},
                                      std::pair{files::kCatSlopes, &slopes}}) {
        if (auto s = io::write_file_bytes(dir + std::string(file), *bytes); !s) {
            std::fprintf(stderr, "mkcatalogue: %s\n", s.message().c_str());
            return 1;
        }
    }

    if (comets) {
        // "ngr.eff" and "M2C.K2C", and the comets at their own epochs.
        std::vector<NongravParams> ngr(total);
        std::vector<double> m2(total), k2(total);
        std::ofstream sources(args[4], std::ios::binary);
        sources.imbue(std::locale::classic());
        sources.precision(17);
        for (std::size_t k = 0; k < total; ++k) {
            const Object* o = by_number[k];
            if (o == nullptr) continue;
            ngr[k] = o->ngr;
            m2[k] = o->m2;
            k2[k] = o->k2;
            sources << k + 1 << ' ' << o->epoch;
            for (double v : o->own) sources << ' ' << v;
            sources << "\n";
        }
        Status s = write_ngr(dir + std::string(files::kNongrav), ngr);
        if (s) s = write_m2c(dir + std::string(files::kAbsMagnitudes), m2, k2);
        if (!s || !sources) {
            std::fprintf(stderr, "mkcatalogue: %s\n",
                         s ? ("cannot write " + std::string(args[4])).c_str() : s.message().c_str());
            return 1;
        }
    }

    std::ofstream values(args[2], std::ios::binary);
    values.imbue(std::locale::classic());
    values.precision(17);
    values << "catalogue_epoch " << epoch << "\n";
    values << "objects " << total << "\n";
    values << "numbered " << numbered << "\n";
    values << "slope_count " << slope_count << "\n";
    values << "comet_edition " << (comets ? 1 : 0) << "\n";
    int p = 1;
    for (std::int32_t n : {1, 2, 4}) {
        const Object* o = comets          ? &perturbers[n]
                          : n <= numbered ? by_number[static_cast<std::size_t>(n - 1)]
                                          : nullptr;
        if (o == nullptr) continue;
        values << "perturber" << p++;
        for (double v : o->el) values << ' ' << v;
        values << "\n";
    }
    if (!values) {
        std::fprintf(stderr, "mkcatalogue: cannot write %s\n", args[2]);
        return 1;
    }
    std::fprintf(stderr, "mkcatalogue: %zu objects (%d numbered, %zu present, %d with G), epoch JD %.1f, %d left out\n",
                 total, numbered, present, slope_count, epoch, left_out);
    return 0;
}
