// Texts of the program's files and of the library are single bytes in the
// Windows-1252 code page; the toolkit shows Unicode. These two routines are
// the one place where the two meet, so a name such as "Tartu Obs." or
// "Pik Terskol", or a byte such as 0x8A (S with caron) or 0x80 (the euro
// sign), survives a trip through a dialog unchanged.
#pragma once

#include <QString>
#include <QStringView>
#include <cstddef>
#include <string>
#include <string_view>

namespace fw {

// The bytes as Windows-1252 text. The five bytes that the code page leaves
// undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 controls of the same
// value, so every byte comes back by toCp1252.
QString fromCp1252(std::string_view bytes);
// The character of one byte.
char16_t cp1252Char(unsigned char byte);

// The text as Windows-1252 bytes; a character the code page cannot show
// becomes '?'.
std::string toCp1252(const QString& text);
// The same appended to out; the number of characters that became '?'
// because the code page cannot show them.
std::size_t appendCp1252(std::string& out, QStringView text);

}  // namespace fw
