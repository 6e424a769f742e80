// Helpers of the editor's tests: a temporary folder and files as bytes.
#pragma once

#include <QString>
#include <QTemporaryDir>
#include <fstream>
#include <iterator>
#include <string>

namespace padtest {

inline void write_bytes(const QString& path, const std::string& bytes) {
    std::ofstream(path.toStdString(), std::ios::binary) << bytes;
}

inline std::string read_bytes(const QString& path) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// Every byte value once, in a line of its own where it is not a line end.
inline std::string all_byte_values() {
    std::string s;
    for (int b = 0; b < 256; ++b) s.push_back(static_cast<char>(b));
    return s;
}

}  // namespace padtest
