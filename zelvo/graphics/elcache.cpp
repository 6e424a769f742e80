#include "zelvo/graphics/elcache.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <vector>

#include "framework/binfile.h"
#include "zelvomat/core/setpar.h"
#include "zelvomat/io/bytes.h"
#include "zelvomat/io/fields.h"
#include "zelvomat/io/files.h"

namespace zelvo::elements {

namespace io = zelvomat::io;
namespace files = zelvomat::files;
namespace setpar = zelvomat::setpar;

double ElementRecord::column(int k) const {
    switch (k) {
        case 2:
            return H;
        case 3:
            return G;
        case 4:
            return M;
        case 5:
            return Peri;
        case 6:
            return Node;
        case 7:
            return i;
        case 8:
            return e;
        case 9:
            return n;
        case 10:
            return a;
        default:
            return 0;
    }
}

void putRecord(const ElementRecord& r, std::span<std::uint8_t, kDataRecord> out) {
    io::put_f64(out, dat::kH, r.H);
    io::put_f64(out, dat::kG, r.G);
    io::put_f64(out, dat::kM, r.M);
    io::put_f64(out, dat::kPeri, r.Peri);
    io::put_f64(out, dat::kNode, r.Node);
    io::put_f64(out, dat::kIncl, r.i);
    io::put_f64(out, dat::kE, r.e);
    io::put_f64(out, dat::kN, r.n);
    io::put_f64(out, dat::kA, r.a);
}

ElementRecord getRecord(std::span<const std::uint8_t, kDataRecord> in) {
    ElementRecord r;
    r.H = io::get_f64(in, dat::kH);
    r.G = io::get_f64(in, dat::kG);
    r.M = io::get_f64(in, dat::kM);
    r.Peri = io::get_f64(in, dat::kPeri);
    r.Node = io::get_f64(in, dat::kNode);
    r.i = io::get_f64(in, dat::kIncl);
    r.e = io::get_f64(in, dat::kE);
    r.n = io::get_f64(in, dat::kN);
    r.a = io::get_f64(in, dat::kA);
    return r;
}

std::size_t textRoom(std::size_t offset) {
    switch (offset) {
        case txt::kNumber:
            return txt::kNumberRoom;
        case txt::kName:
            return txt::kNameRoom;
        case txt::kH:
        case txt::kG:
            return txt::kPhotRoom;
        case txt::kM:
        case txt::kPeri:
        case txt::kNode:
        case txt::kIncl:
        case txt::kE:
            return txt::kAngleRoom;
        case txt::kN:
            return txt::kMotionRoom;
        case txt::kA:
            return kTextRecord - txt::kA - 1;
        default:
            return offset < kTextRecord ? kTextRecord - offset : 0;
    }
}

std::string_view textField(const char* record, std::size_t offset) {
    const std::size_t room = textRoom(offset);
    if (room == 0) return {};
    const char* p = record + offset;
    return std::string_view(p, ::strnlen(p, room));
}

std::string fixedText(double value, int width, int decimals, std::size_t room) {
    const std::string stars(static_cast<std::size_t>(std::max(width, 1)), '*');
    if (!std::isfinite(value)) return stars;
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::fixed, decimals);
    if (r.ec != std::errc()) return stars;
    const std::size_t n = static_cast<std::size_t>(r.ptr - buf);
    if (n > room) return stars;
    std::string out;
    if (n < static_cast<std::size_t>(width)) out.assign(static_cast<std::size_t>(width) - n, ' ');
    out.append(buf, n);
    return out;
}

double SemiMajorAxisFromMotion(double n, double m) { return std::pow(kGaussK * std::sqrt(1.0 + m) / n, 2.0 / 3.0); }

namespace {

void put_text(TextRecord& t, std::size_t offset, std::string_view s) {
    std::memcpy(t.data() + offset, s.data(), s.size());
}

// The semi-major axis in the 11 characters that the export and the print
// give it: seven decimals while they fit, fewer from 1000 AU on.
std::string axisText(double a) {
    for (int d = 7; d >= 0; --d) {
        std::string t = fixedText(a, 9, d, txt::kAxisRoom);
        if (t.front() != '*') return t;
        if (!std::isfinite(a)) return t;
    }
    return fixedText(a, 9, 7, txt::kAxisRoom);
}

}  // namespace

void makeRecords(const CatalogueObject& o, ElementRecord& rec, TextRecord& text) {
    text.fill('\0');
    char num[16];
    if (o.number >= 0 && o.number <= 999999)
        std::snprintf(num, sizeof num, "%6d", static_cast<int>(o.number));
    else
        std::snprintf(num, sizeof num, "******");
    put_text(text, txt::kNumber, num);

    // The name without its trailing blanks; a blank name keeps one blank.
    std::string_view name = o.name.substr(0, txt::kNameRoom);
    std::size_t len = name.find_last_not_of(' ');
    len = len == std::string_view::npos ? std::min<std::size_t>(1, name.size()) : len + 1;
    put_text(text, txt::kName, name.substr(0, len));

    const std::string_view h = o.hText.substr(0, txt::kPhotRoom);
    put_text(text, txt::kH, h);
    const auto hv = io::read_real(h, 0);
    rec.H = hv ? *hv : std::nan("");

    rec.G = kMissingSlope;
    std::string_view g = "  X";
    if (o.gText) {
        // Two implied decimals when the text has no point, as the library
        // reads it: "   15" is 0.15.
        const auto gv = io::read_real(std::string_view(*o.gText).substr(0, txt::kPhotRoom), 2);
        if (gv) {
            rec.G = *gv;
            g = std::string_view(*o.gText).substr(0, txt::kPhotRoom);
        }
    }
    put_text(text, txt::kG, g);

    const auto& el = o.elements;
    rec.a = SemiMajorAxisFromMotion(el[5], 0.0);
    rec.M = el[0] * kDegreesPerRadian;
    rec.Peri = el[1] * kDegreesPerRadian;
    rec.Node = el[2] * kDegreesPerRadian;
    rec.i = el[3] * kDegreesPerRadian;
    rec.e = el[4];
    rec.n = el[5] * kDegreesPerRadian;
    put_text(text, txt::kM, fixedText(rec.M, 9, 5, txt::kAngleRoom));
    put_text(text, txt::kPeri, fixedText(rec.Peri, 9, 5, txt::kAngleRoom));
    put_text(text, txt::kNode, fixedText(rec.Node, 9, 5, txt::kAngleRoom));
    put_text(text, txt::kIncl, fixedText(rec.i, 8, 5, txt::kAngleRoom));
    put_text(text, txt::kE, fixedText(rec.e, 9, 7, txt::kAngleRoom));
    put_text(text, txt::kN, fixedText(rec.n, 10, 8, txt::kMotionRoom));
    put_text(text, txt::kA, axisText(rec.a));
}

// ---- Settings ------------------------------------------------------------------

std::optional<CatalogueSettings> ReadCatalogueSettings(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    constexpr std::size_t kRec = setpar::kRecordLength;
    std::vector<std::uint8_t> b(setpar::kRecSlopeList * kRec, 0);
    in.read(reinterpret_cast<char*>(b.data()), static_cast<std::streamsize>(b.size()));
    const auto got = static_cast<std::size_t>(in.gcount());
    const std::size_t params = (setpar::kRecParams - 1) * kRec;
    if (got < params + setpar::kParNumbered + 4) return std::nullopt;
    const io::Bytes bytes(b);
    const auto record = [&bytes](int n) { return bytes.subspan((n - 1) * kRec, kRec); };
    CatalogueSettings s;
    std::string dir = io::get_text(record(setpar::kRecDataDir), 0, setpar::kPathLength);
    while (!dir.empty() && (dir.back() == ' ' || dir.back() == '\0')) dir.pop_back();
    s.dataDir = dir;
    // Record 6 through the library's decoder (the bytes past the end of a
    // short file read as zero).
    const zelvomat::PackageParams p = zelvomat::decode_params(record(setpar::kRecParams));
    s.epochJd = p.catalogue_epoch;
    s.objects = p.objects;
    s.numbered = p.numbered;
    if (got >= setpar::kRecSlopeList * kRec)
        s.slopeCount = io::get_i32(record(setpar::kRecSlopeList), setpar::kSlopeCount);
    if (s.objects < 0 || s.numbered < 0 || s.slopeCount < 0) return std::nullopt;
    if (!std::isfinite(s.epochJd)) s.epochJd = 0;
    return s;
}

// ---- The caches ------------------------------------------------------------------

namespace {

std::string cachePath(const std::string& dir, std::string_view name) { return dir + std::string(name); }

void removeQuietly(const std::string& path) {
    std::error_code ec;
    std::filesystem::remove(path, ec);
}

bool readExact(std::ifstream& in, char* out, std::size_t n) {
    in.read(out, static_cast<std::streamsize>(n));
    return static_cast<std::size_t>(in.gcount()) == n;
}

bool writeCaches(const CatalogueSettings& s, fw::FileWriter& dat, fw::FileWriter& txt) {
    const std::string& dir = s.dataDir;
    std::ifstream names(io::find_file(dir, files::kCatNames), std::ios::binary);
    std::ifstream mags(io::find_file(dir, files::kCatMagnitudes), std::ios::binary);
    std::ifstream slopes(io::find_file(dir, files::kCatSlopes), std::ios::binary);
    std::ifstream elems(io::find_file(dir, files::kCatElements), std::ios::binary);
    if (!names || !mags || !slopes || !elems) return false;

    // The slope entries of the numbered objects, as the library takes them:
    // the count of the settings, ascending numbers.
    std::vector<char> slopeBytes(static_cast<std::size_t>(s.slopeCount) * 9);
    slopes.read(slopeBytes.data(), static_cast<std::streamsize>(slopeBytes.size()));
    const std::size_t pairs = static_cast<std::size_t>(slopes.gcount()) / 9;

    if (!dat.status() || !txt.status()) return false;

    constexpr std::size_t kChunk = 16384;
    std::vector<char> nameBuf(kChunk * 18), hBuf(kChunk * 5), elBuf(kChunk * 48);
    std::vector<std::uint8_t> datBuf(kChunk * kDataRecord);
    std::vector<char> txtBuf(kChunk * kTextRecord);
    std::size_t nextSlope = 0;
    const auto slopeNumber = [&](std::size_t k) {
        return io::get_i32(io::Bytes(reinterpret_cast<const std::uint8_t*>(slopeBytes.data()), slopeBytes.size()),
                           k * 9);
    };
    const auto total = static_cast<std::size_t>(s.objects);
    for (std::size_t first = 0; first < total; first += kChunk) {
        const std::size_t n = std::min(kChunk, total - first);
        if (!readExact(names, nameBuf.data(), n * 18) || !readExact(mags, hBuf.data(), n * 5) ||
            !readExact(elems, elBuf.data(), n * 48))
            return false;
        for (std::size_t k = 0; k < n; ++k) {
            CatalogueObject o;
            o.number = static_cast<std::int32_t>(first + k + 1);
            o.name = std::string_view(nameBuf.data() + k * 18, 18);
            o.hText = std::string_view(hBuf.data() + k * 5, 5);
            while (nextSlope < pairs && slopeNumber(nextSlope) < o.number) ++nextSlope;
            if (o.number <= s.numbered && nextSlope < pairs && slopeNumber(nextSlope) == o.number)
                o.gText = std::string(slopeBytes.data() + nextSlope * 9 + 4, 5);
            const io::Bytes el(reinterpret_cast<const std::uint8_t*>(elBuf.data()) + k * 48, 48);
            for (std::size_t j = 0; j < 6; ++j) o.elements[j] = io::get_f64(el, j * 8);
            ElementRecord rec;
            TextRecord text;
            makeRecords(o, rec, text);
            putRecord(rec, std::span<std::uint8_t, kDataRecord>(datBuf.data() + k * kDataRecord, kDataRecord));
            std::memcpy(txtBuf.data() + k * kTextRecord, text.data(), kTextRecord);
        }
        if (!dat.append(std::span<const std::uint8_t>(datBuf.data(), n * kDataRecord)) ||
            !txt.append(std::string_view(txtBuf.data(), n * kTextRecord)))
            return false;
    }
    return true;
}

}  // namespace

bool CatalogueCache::build(const CatalogueSettings& s) {
    const std::string datFinal = cachePath(s.dataDir, files::kElementCacheData);
    const std::string txtFinal = cachePath(s.dataDir, files::kElementCacheText);
    bool ok = false;
    {
        fw::FileWriter dat(datFinal), txt(txtFinal);
        if (writeCaches(s, dat, txt)) {
            // The old pair goes first: a build stopped between the two
            // renames leaves one cache missing, which the next list builds
            // again.
            removeQuietly(datFinal);
            removeQuietly(txtFinal);
            ok = txt.commit() && dat.commit();
        }
    }
    if (!ok) {
        for (const std::string& p : {datFinal, txtFinal}) removeQuietly(p);
    }
    return ok;
}

bool CatalogueCache::map(const std::string& dir, std::int32_t objects) {
    close();
    auto dat = io::MappedFile::open(cachePath(dir, files::kElementCacheData));
    auto txt = io::MappedFile::open(cachePath(dir, files::kElementCacheText));
    if (!dat || !txt) return false;
    const auto n = static_cast<std::size_t>(objects);
    if (dat->bytes().size() != n * kDataRecord || txt->bytes().size() != n * kTextRecord) return false;
    data_ = std::move(*dat);
    text_ = std::move(*txt);
    count_ = objects;
    open_ = true;
    return true;
}

bool CatalogueCache::openOrBuild(const CatalogueSettings& s) {
    if (map(s.dataDir, s.objects)) return true;
    close();
    return build(s) && map(s.dataDir, s.objects);
}

void CatalogueCache::close() {
    data_.close();
    text_.close();
    count_ = 0;
    open_ = false;
}

}  // namespace zelvo::elements
