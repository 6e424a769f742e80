#include "zelvo/app/occonfig.h"

#include <cctype>
#include <fstream>
#include <iterator>
#include <vector>

#include "framework/binfile.h"
#include "zelvomat/io/bytes.h"
#include "zelvomat/io/files.h"

namespace zelvo {

namespace {
constexpr std::size_t kCode = 0, kSeparation = 4, kOneObservatory = 8, kLowerOn = 12, kLimitsOn = 16;
constexpr std::size_t kObservatory = 20, kLower = 23, kUpper = 32;

void put_text(std::array<std::uint8_t, OcConfigRecord::kSize>& b, std::size_t at, std::size_t width,
              const std::string& text) {
    for (std::size_t i = 0; i < width; ++i) b[at + i] = static_cast<std::uint8_t>(i < text.size() ? text[i] : ' ');
}

std::string get_text(std::span<const std::uint8_t> b, std::size_t at, std::size_t width) {
    return std::string(reinterpret_cast<const char*>(b.data() + at), width);
}

std::string file(const std::string& dir) { return dir + std::string(zelvomat::files::kOcConfig); }
}  // namespace

std::array<std::uint8_t, OcConfigRecord::kSize> OcConfigRecord::bytes() const {
    std::array<std::uint8_t, kSize> b{};
    zelvomat::io::put_i32(b, kCode, code);
    zelvomat::io::put_i32(b, kSeparation, separation);
    zelvomat::io::put_i32(b, kOneObservatory, oneObservatory);
    zelvomat::io::put_i32(b, kLowerOn, lowerLimitOn);
    zelvomat::io::put_i32(b, kLimitsOn, limitsOn);
    put_text(b, kObservatory, 3, observatory);
    put_text(b, kLower, 9, lowerLimit);
    put_text(b, kUpper, 9, upperLimit);
    return b;
}

std::optional<OcConfigRecord> OcConfigRecord::parse(std::span<const std::uint8_t> b) {
    if (b.size() < kSize) return std::nullopt;
    OcConfigRecord r;
    r.code = zelvomat::io::get_i32(b, kCode);
    r.separation = zelvomat::io::get_i32(b, kSeparation);
    r.oneObservatory = zelvomat::io::get_i32(b, kOneObservatory);
    r.lowerLimitOn = zelvomat::io::get_i32(b, kLowerOn);
    r.limitsOn = zelvomat::io::get_i32(b, kLimitsOn);
    r.observatory = get_text(b, kObservatory, 3);
    r.lowerLimit = get_text(b, kLower, 9);
    r.upperLimit = get_text(b, kUpper, 9);
    return r;
}

long long leadingInteger(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    long long v = 0;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])) != 0 && v < 1000000000000LL)
        v = v * 10 + (text[i++] - '0');
    return negative ? -v : v;
}

bool validDataType(int code) {
    if (code < 111 || code > 333) return false;
    for (int d : {code / 100, (code / 10) % 10, code % 10})
        if (d < 1 || d > 3) return false;
    return true;
}

bool ocConfigUsable(const OcConfigRecord& r) {
    if (!validDataType(r.code) || r.separation < 0) return false;
    if (r.lowerLimitOn != 0 && leadingInteger(r.lowerLimit) < 0) return false;
    if (r.limitsOn != 0 && leadingInteger(r.upperLimit) < 0) return false;
    return true;
}

std::optional<OcConfigRecord> readOcConfig(const std::string& dir) {
    std::ifstream in(file(dir), std::ios::binary);
    if (!in) return std::nullopt;
    std::vector<std::uint8_t> b(OcConfigRecord::kSize);
    in.read(reinterpret_cast<char*>(b.data()), static_cast<std::streamsize>(b.size()));
    if (in.gcount() != static_cast<std::streamsize>(b.size())) return std::nullopt;
    return OcConfigRecord::parse(b);
}

bool writeOcConfig(const std::string& dir, const OcConfigRecord& r) {
    const auto b = r.bytes();
    return fw::write_file_or_warn(file(dir), std::string_view(reinterpret_cast<const char*>(b.data()), b.size()));
}

std::string ocHeaderText(int code) {
    static const char* planes[3] = {"Equator and equinox  ", "Ecliptic and equinox ", "Horizon and meridian "};
    static const char* equinoxes[3] = {" 2000.0  ", " 1950.0  ", " True  "};
    static const char* kinds[3] = {"Astrometric positions", "Geometric positions", "Apparent positions"};
    const int p = code / 100, c = (code / 10) % 10, e = code % 10;
    std::string t = "   ";
    if (c >= 1 && c <= 3) t += planes[c - 1];
    if (e >= 1 && e <= 3) t += equinoxes[e - 1];
    if (p >= 1 && p <= 3) t += kinds[p - 1];
    return t;
}

std::string ocAccuracyText(const OcAccuracySettings& s) { return accuracy_text(s.runModel, s, true); }

std::string accuracy_text(int model, const OcAccuracySettings& s, bool withRelSun) {
    switch (model) {
        case 0:
            return " Accuracy: Elliptic motion";
        case 1:
            return " Accuracy: Nodes";
        case 2:
            break;
        default:
            return {};
    }
    static const char* marks[12] = {"M ", "V ", "", "M ", "J ", "S ", "U ", "N ", "P ", "c ", "p ", "v "};
    std::string t = " Accuracy: Integration ";
    for (std::size_t i = 0; i < 12; ++i) {
        const int sw = s.perturbers[i];
        if (i == 2)
            t += sw == 1 ? "E+M " : sw == 2 ? "E,M " : "- ";
        else if (sw != 0)
            t += marks[i];
        else
            t += i == 11 ? "-" : "- ";
    }
    if (withRelSun && s.relSun != 0) t += "+ rel_Sun ";
    return t;
}

std::string LoadOrbitTaskRecord(const std::string& dir) {
    constexpr std::size_t kLength = 1418;
    std::string record;
    {
        std::ifstream in(dir + std::string(zelvomat::files::kOcTask), std::ios::binary);
        if (in) record.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    if (record.size() < kLength) {
        record.assign(kLength, ' ');
        auto put = [&](std::size_t column, std::string_view text) { record.replace(column - 1, text.size(), text); };
        put(1165, "1111111111111");
        put(1178, "0");
        put(1179, "01020304050708091011");
        put(1199, "01020304050607080910");
        put(1219, zelvomat::files::kElementListDefault);
        put(1299, "01020304050708091011");
        put(1319, zelvomat::files::kCoordinateListDefault);
        put(1399, "01020304050607080910");
    }
    record.resize(kLength, ' ');
    record.replace(0, 4, "ZELV");
    return record;
}

bool IsSingleOrbitInput(std::string_view record) {
    std::string key(record.substr(0, 4));
    for (char& c : key) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return key != "FELM" && key != "FXYZ";
}

}  // namespace zelvo
