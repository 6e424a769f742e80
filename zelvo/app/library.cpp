#include "library.h"

#include <fstream>
#include <string_view>

#include "zelvomat.h"
#include "io/files.h"

namespace zelvo {

namespace {
// The message the last exported call left, empty when it succeeded.
std::string last_error() {
    const int n = errmsg(nullptr, 0);
    if (n <= 0) return {};
    std::string text(static_cast<std::size_t>(n), ' ');
    errmsg(text.data(), n);
    return text;
}
}  // namespace

std::string ZelvomatLibrary::setpat() {
    ::setpat();
    return last_error();
}

std::string ZelvomatLibrary::inpo() {
    ::Inpo();
    return last_error();
}

// The observatory list lies in the data directory named by record 4 of the
// settings file (80 characters, blank-padded). The library's observatory
// exports take this over once it has them.
std::string ZelvomatLibrary::obspat() {
    std::ifstream in(std::string(zelvomat::files::kSettings), std::ios::binary);
    char rec[80];
    in.seekg(3 * 80);
    if (!in.read(rec, sizeof rec)) return {};
    std::string_view dir(rec, sizeof rec);
    const auto end = dir.find_last_not_of(' ');
    if (end == std::string_view::npos) return {};
    return std::string(dir.substr(0, end + 1)) + std::string(zelvomat::files::kObservatoryList);
}

void ZelvomatLibrary::obswri() {}

}  // namespace zelvo
