#include "library.h"

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

// The path of the observatory list "observa1.dat" in the data directory, or
// an empty text when the library cannot name it (errmsg tells why).
std::string ZelvomatLibrary::obspat() {
    char path[256];
    ::obspat(path, static_cast<int>(sizeof path));
    if (errmsg(nullptr, 0) != 0) return {};
    const std::string_view p(path, sizeof path);
    return std::string(p.substr(0, p.find('\0')));
}

void ZelvomatLibrary::obswri() { ::obswri(); }

}  // namespace zelvo
