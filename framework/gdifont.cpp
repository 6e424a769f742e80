#include "gdifont.h"

#include <QFont>
#include <QtEndian>
#include <cmath>
#include <map>
#include <tuple>

#include "cp1252.h"

namespace fw {

namespace {
struct Alias {
    const char* face;
    const char* family;
};
// Faces of the original platform and the metric-compatible families that
// Debian ships (fonts-liberation).
constexpr Alias kAliases[] = {
    {"Courier New", "Liberation Mono"},
    {"Arial", "Liberation Sans"},
    {"Times New Roman", "Liberation Serif"},
};

// The tables of a face that the metrics are taken from, in font units.
struct FaceSource {
    QRawFont raw;
    int upem = 2048;
    int winAscent = 0;
    int winDescent = 0;
    int avgWidth = 0;
    int bboxWidth = 0;
};

int be16(const QByteArray& t, int off) { return qFromBigEndian<qint16>(t.constData() + off); }
int ube16(const QByteArray& t, int off) { return qFromBigEndian<quint16>(t.constData() + off); }

FaceSource load_face(const LogFont& lf) {
    QFont f(font_family(lf.face()));
    f.setPixelSize(100);
    f.setWeight(static_cast<QFont::Weight>(std::clamp(lf.weight == 0 ? kFontNormal : lf.weight, 1, 1000)));
    f.setItalic(lf.italic != 0);
    if ((lf.pitchAndFamily & 0x03) == kFixedPitch) {
        f.setStyleHint(QFont::TypeWriter);
        f.setFixedPitch(true);
    }
    FaceSource s;
    s.raw = QRawFont::fromFont(f);
    const QByteArray head = s.raw.fontTable("head");
    const QByteArray os2 = s.raw.fontTable("OS/2");
    if (head.size() >= 54) {
        s.upem = std::max(16, ube16(head, 18));
        s.bboxWidth = be16(head, 40) - be16(head, 36);
    }
    if (os2.size() >= 78) {
        s.avgWidth = be16(os2, 2);
        s.winAscent = ube16(os2, 74);
        s.winDescent = ube16(os2, 76);
    }
    if (s.winAscent + s.winDescent <= 0) {  // no Windows metrics: the font's own
        s.raw.setPixelSize(s.upem);
        s.winAscent = static_cast<int>(std::lround(s.raw.ascent()));
        s.winDescent = static_cast<int>(std::lround(s.raw.descent()));
    }
    if (s.avgWidth <= 0) s.avgWidth = s.upem / 2;
    if (s.bboxWidth <= 0) s.bboxWidth = s.avgWidth;
    return s;
}

const FaceSource& face_source(const LogFont& lf) {
    static std::map<std::tuple<std::string, int, int, int>, FaceSource> cache;
    const auto key = std::make_tuple(lf.face(), lf.weight, lf.italic != 0, lf.pitchAndFamily & 0x03);
    auto it = cache.find(key);
    if (it == cache.end()) it = cache.emplace(key, load_face(lf)).first;
    return it->second;
}

int scaled(int units, int em, int upem) {
    return static_cast<int>(std::lround(static_cast<double>(units) * em / upem));
}
}  // namespace

QString font_family(std::string_view face) {
    for (const Alias& a : kAliases)
        if (face == a.face) return QString::fromLatin1(a.family);
    return fromCp1252(face);
}

std::string face_for_family(const QString& family) {
    for (const Alias& a : kAliases)
        if (family == QLatin1String(a.family)) return a.face;
    return toCp1252(family);
}

DeviceFont::DeviceFont(const LogFont& lf, double scale) : lf_(lf), advanceCache_(256, -1) {
    const FaceSource& s = face_source(lf);
    upem_ = s.upem;
    // Pixels per font unit: from the character height, or from the cell
    // height (0: the default cell of 16 pixels).
    double k = 0;
    if (lf.height < 0) {
        em_ = std::max(1, static_cast<int>(std::lround(-lf.height * scale)));
        k = static_cast<double>(em_) / s.upem;
    } else {
        const double cell = lf.height > 0 ? lf.height * scale : 16.0 * scale;
        k = std::max(1.0, std::round(cell)) / (s.winAscent + s.winDescent);
        em_ = std::max(1, static_cast<int>(std::lround(k * s.upem)));
    }
    raw_ = s.raw;
    raw_.setPixelSize(em_);
    metrics_.ascent = static_cast<int>(std::lround(s.winAscent * k));
    metrics_.descent = static_cast<int>(std::lround(s.winDescent * k));
    metrics_.height = metrics_.ascent + metrics_.descent;
    metrics_.internalLeading = std::max(0, metrics_.height - em_);
    metrics_.aveCharWidth = std::max(1, scaled(s.avgWidth, em_, upem_));
    metrics_.maxCharWidth = std::max(metrics_.aveCharWidth, scaled(s.bboxWidth, em_, upem_));
    metrics_.weight = lf.weight == 0 ? kFontNormal : lf.weight;
}

std::vector<int> DeviceFont::advances(std::string_view text) const {
    std::vector<int> out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto b = static_cast<unsigned char>(c);
        int& a = advanceCache_[b];
        if (a < 0) {
            const QList<quint32> glyphs = raw_.glyphIndexesForString(fromCp1252(std::string_view(&c, 1)));
            a = 0;
            if (!glyphs.isEmpty()) {
                const QList<QPointF> adv = raw_.advancesForGlyphIndexes(glyphs, QRawFont::UseDesignMetrics);
                if (!adv.isEmpty()) a = static_cast<int>(std::lround(adv.front().x()));
            }
        }
        out.push_back(a);
    }
    return out;
}

int DeviceFont::textWidth(std::string_view text) const {
    int w = 0;
    for (int a : advances(text)) w += a;
    return w;
}

std::shared_ptr<const DeviceFont> device_font(const LogFont& lf, double scale) {
    static std::map<std::pair<std::array<std::uint8_t, LogFont::kBytes>, double>, std::shared_ptr<const DeviceFont>>
        cache;
    const auto key = std::make_pair(lf.toBytes(), scale);
    auto it = cache.find(key);
    if (it != cache.end()) return it->second;
    if (cache.size() > 256) cache.clear();
    auto f = std::make_shared<const DeviceFont>(lf, scale);
    cache.emplace(key, f);
    return f;
}

}  // namespace fw
