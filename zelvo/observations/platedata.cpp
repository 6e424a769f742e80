#include "zelvo/observations/platedata.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "framework/binfile.h"
#include "framework/messages.h"
#include "zelvo/app/angles.h"
#include "zelvomat/core/constants.h"

namespace zelvo {

namespace {

// Characters first .. first + count - 1 of line (blanks beyond its end).
std::string_view cols(std::string_view line, std::size_t first, std::size_t count) {
    if (first >= line.size()) return {};
    return line.substr(first, std::min(count, line.size() - first));
}

char col(std::string_view line, std::size_t i) { return i < line.size() ? line[i] : ' '; }

bool digit(char c) { return c >= '0' && c <= '9'; }

// Reads the sign and digits of a number from the start of t (after blanks);
// the characters taken go into out.
std::size_t number_prefix(std::string_view t, bool floating) {
    std::size_t i = 0;
    while (i < t.size() && (t[i] == ' ' || t[i] == '\t')) ++i;
    const std::size_t start = i;
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < t.size() && digit(t[i])) ++i, ++digits;
    if (floating) {
        if (i < t.size() && t[i] == '.') {
            ++i;
            while (i < t.size() && digit(t[i])) ++i, ++digits;
        }
        if (digits > 0 && i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
            std::size_t j = i + 1;
            if (j < t.size() && (t[j] == '+' || t[j] == '-')) ++j;
            if (j < t.size() && digit(t[j])) {
                while (j < t.size() && digit(t[j])) ++j;
                i = j;
            }
        }
    }
    return digits == 0 ? start : i;
}

void put(PlateObjectText& text, std::size_t column, std::size_t width, const std::string& s) {
    for (std::size_t k = 0; k < width; ++k) text[column + k] = k < s.size() ? s[k] : ' ';
}

std::string printed(const char* format, double v) {
    char buf[64];
    std::snprintf(buf, sizeof buf, format, v);
    return buf;
}

std::string printedInt(const char* format, long v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, format, v);
    return buf;
}

}  // namespace

std::int32_t fieldInt(std::string_view text) {
    const std::size_t end = number_prefix(text, false);
    std::size_t i = 0;
    while (i < end && (text[i] == ' ' || text[i] == '\t')) ++i;
    bool negative = false;
    if (i < end && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long v = 0;
    for (; i < end; ++i) {
        v = v * 10 + (text[i] - '0');
        if (v > 2147483647LL) v = 2147483647LL;
    }
    return static_cast<std::int32_t>(negative ? -v : v);
}

double fieldDouble(std::string_view text) {
    const std::size_t end = number_prefix(text, true);
    const std::string s(text.substr(0, end));
    if (s.find_first_of("0123456789") == std::string::npos) return 0.0;
    const double v = std::strtod(s.c_str(), nullptr);
    return std::isfinite(v) ? v : 0.0;
}

std::string fixedText(const char* format, double v) {
    std::string s = printed(format, v);
    if (s.find('-') != std::string::npos && s.find_first_of("123456789") == std::string::npos) s = printed(format, 0.0);
    return s;
}

double ParsedPlate::alpha0() const { return SexagesimalTimesPi(raHours, raMinutes, raSeconds, ' ') / 12.0; }
double ParsedPlate::delta0() const {
    return SexagesimalTimesPi(declDegrees, declMinutes, declSeconds, declSign) / 180.0;
}

ParsedPlate ParsePlateLine(std::string_view line) {
    ParsedPlate p;
    p.designation = std::string(cols(line, 0, 14));
    if (const auto z = p.designation.find('\0'); z != std::string::npos) p.designation.resize(z);
    p.year = fieldInt(cols(line, 15, 4));
    p.month = fieldInt(cols(line, 20, 2));
    p.day = fieldDouble(cols(line, 23, 8));
    p.raHours = fieldInt(cols(line, 32, 2));
    if (col(line, 37) != '.') {
        p.raMinutes = fieldInt(cols(line, 35, 2));
        p.raSeconds = fieldDouble(cols(line, 38, 5));
    } else {
        const double m = std::fabs(fieldDouble(cols(line, 35, 5)));
        p.raMinutes = static_cast<std::int32_t>(std::trunc(m));
        p.raSeconds = 60.0 * (m - std::trunc(m));
    }
    p.declSign = col(line, 44);
    p.declDegrees = fieldInt(cols(line, 45, 2));
    if (col(line, 50) != '.') {
        p.declMinutes = fieldInt(cols(line, 48, 2));
        p.declSeconds = fieldDouble(cols(line, 51, 4));
    } else {
        const double a = std::fabs(fieldDouble(cols(line, 48, 4)));
        p.declMinutes = static_cast<std::int32_t>(std::trunc(a));
        p.declSeconds = 60.0 * (a - std::trunc(a));
    }
    p.raHalfSize = fieldDouble(cols(line, 58, 5));
    p.declHalfSize = fieldDouble(cols(line, 66, 4));
    p.observatory = fieldInt(cols(line, 77, 3));
    return p;
}

void PlateHalfSizeTangents(const ParsedPlate& plate, double& tanRA, double& tanDecl) {
    using zelvomat::kPi;
    tanRA = std::tan(kPi * plate.raHalfSize / 720.0);
    tanDecl = std::tan(kPi * plate.declHalfSize / 180.0);
}

std::string PlateObjectRecord::nameText() const { return std::string(name.data(), strnlen(name.data(), name.size())); }

double PlateObjectRecord::alpha() const { return SexagesimalTimesPi(raHours, raMinutes, raSeconds, ' ') / 12.0; }
double PlateObjectRecord::delta() const {
    return SexagesimalTimesPi(declDegrees, declMinutes, declSeconds, declSign) / 180.0;
}

bool PlateObjectFromText(std::span<const char, kPlateObjectBytes> text, PlateObjectRecord& rec) {
    const std::string_view all(text.data(), text.size());
    const std::string_view line = all.substr(0, std::min(all.find('\0'), all.size()));
    if (line.find("No objects") != std::string_view::npos) {
        rec = PlateObjectRecord{};
        return false;
    }
    rec = PlateObjectRecord{};
    std::memcpy(rec.name.data(), text.data(), 29);
    rec.name[29] = '\0';
    rec.flag = text[30];
    rec.raHours = fieldInt(all.substr(32, 2));
    rec.raMinutes = fieldInt(all.substr(35, 2));
    rec.raSeconds = fieldDouble(all.substr(38, 5));
    rec.declSign = text[49];
    rec.declDegrees = fieldInt(all.substr(50, 2));
    rec.declMinutes = fieldInt(all.substr(53, 2));
    rec.declSeconds = fieldDouble(all.substr(56, 4));
    rec.magnitude = fieldDouble(all.substr(69, 4));
    return true;
}

PlateObjectText PlateObjectToText(const PlateObjectRecord& rec) {
    PlateObjectText t;
    t.fill(' ');
    std::memcpy(t.data(), rec.name.data(), 29);
    t[30] = rec.flag;
    put(t, 32, 2, printedInt("%2ld", rec.raHours));
    put(t, 35, 2, printedInt("%2ld", rec.raMinutes));
    put(t, 38, 5, printed("%5.2f", rec.raSeconds));
    t[49] = rec.declSign;
    put(t, 50, 2, printedInt("%2ld", std::labs(rec.declDegrees)));
    put(t, 53, 2, printedInt("%2ld", rec.declMinutes));
    put(t, 56, 4, printed("%4.1f", rec.declSeconds));
    put(t, 69, 4, printed("%4.1f", rec.magnitude));
    t[80] = t[81] = '\0';
    return t;
}

bool IsObjectOnPlate(const PlateObjectRecord& rec, const ParsedPlate& plate, double tanRA, double tanDecl) {
    double xi = 0, eta = 0;
    GnomonicProject(rec.alpha(), rec.delta(), plate.alpha0(), plate.delta0(), xi, eta);
    return std::fabs(xi) <= std::fabs(tanRA) && std::fabs(eta) <= std::fabs(tanDecl);
}

PlateObjects loadPlateObjects(std::string_view result, const std::string* motion, std::string_view plateLine) {
    PlateObjects out;
    const ParsedPlate plate = ParsePlateLine(plateLine);
    double tanRA = 0, tanDecl = 0;
    PlateHalfSizeTangents(plate, tanRA, tanDecl);
    std::size_t passed = 0;  // records that passed the check: the motion file's index
    bool endedByRecord = false;
    for (std::size_t at = 0; at + kPlateObjectBytes <= result.size(); at += kPlateObjectBytes) {
        const std::span<const char, kPlateObjectBytes> text(result.data() + at, kPlateObjectBytes);
        PlateObjectRecord rec;
        PlateObjectFromText(text, rec);
        if (rec.name[0] == '\0') {
            out.messages.emplace_back(kNoObjectsMessage);
            endedByRecord = true;
            break;
        }
        // The record must be the text form of its own parse.
        const PlateObjectText again = PlateObjectToText(rec);
        PlateObjectRecord back;
        PlateObjectFromText(again, back);
        if (!(back == rec) || !std::equal(again.begin(), again.end(), text.begin())) {
            out.messages.emplace_back(kConversionMessage);
            endedByRecord = true;
            break;
        }
        if (motion != nullptr && (passed + 1) * 16 <= motion->size()) {
            double rates[2];
            std::memcpy(rates, motion->data() + passed * 16, 16);
            if (std::isfinite(rates[0]) && std::isfinite(rates[1])) {
                // The library writes rates of R.A. and Decl.; on the plate
                // the R.A. rate shrinks with the cosine of the declination.
                rec.motionXi = rates[0] * std::cos(rec.delta());
                rec.motionEta = rates[1];
            }
        }
        ++passed;
        if (IsObjectOnPlate(rec, plate, tanRA, tanDecl)) {
            out.records.push_back(rec);
            PlateObjectText kept;
            std::copy(text.begin(), text.end(), kept.begin());
            out.texts.push_back(kept);
        }
    }
    if (motion == nullptr && passed > 0) out.messages.insert(out.messages.begin(), kMotionMessage);
    if (!endedByRecord && out.records.empty()) out.messages.emplace_back(kNoObjectsMessage);
    return out;
}

namespace {
bool read_file(const std::string& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}
}  // namespace

bool CPlateListDoc::load(const std::string& path) {
    std::string result;
    if (!read_file(path, result)) return false;
    std::string motion;
    const std::string motionPath = (std::filesystem::path(path).parent_path() / "resul2.pl4").string();
    const bool haveMotion = read_file(motionPath, motion);
    objects_ = loadPlateObjects(result, haveMotion ? &motion : nullptr, plateLine_);
    for (const std::string& m : objects_.messages) fw::message(m);
    return true;
}

bool CPlateListDoc::save(const std::string& path) const {
    std::string bytes;
    for (const PlateObjectRecord& r : objects_.records) {
        const PlateObjectText t = PlateObjectToText(r);
        bytes.append(t.data(), t.size());
    }
    return writeFile(path, bytes);
}

}  // namespace zelvo
