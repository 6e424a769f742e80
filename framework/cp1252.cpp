#include "cp1252.h"

#include <array>

namespace fw {

namespace {
// Code points of the bytes 0x80-0x9F; the undefined ones keep their own
// value (C1 controls).
constexpr std::array<char16_t, 32> kHigh = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                            0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                            0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                            0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
}  // namespace

char16_t cp1252Char(unsigned char b) { return b >= 0x80 && b < 0xA0 ? kHigh[b - 0x80] : char16_t{b}; }

QString fromCp1252(std::string_view bytes) {
    QString s(static_cast<qsizetype>(bytes.size()), Qt::Uninitialized);
    QChar* d = s.data();
    for (const char c : bytes) *d++ = QChar(cp1252Char(static_cast<unsigned char>(c)));
    return s;
}

std::string toCp1252(const QString& text) {
    std::string out;
    out.reserve(static_cast<std::size_t>(text.size()));
    appendCp1252(out, text);
    return out;
}

std::size_t appendCp1252(std::string& out, QStringView text) {
    std::size_t unwritable = 0;
    for (const QChar ch : text) {
        const char16_t u = ch.unicode();
        if (u < 0x80 || (u >= 0xA0 && u <= 0xFF)) {
            out.push_back(static_cast<char>(u));
            continue;
        }
        char b = '?';
        for (std::size_t i = 0; i < kHigh.size(); ++i)
            if (kHigh[i] == u) {
                b = static_cast<char>(0x80 + i);
                break;
            }
        if (b == '?') ++unwritable;
        out.push_back(b);
    }
    return unwritable;
}

}  // namespace fw
