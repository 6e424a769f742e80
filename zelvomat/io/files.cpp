#include "io/files.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <cstdio>

#include "io/fields.h"

namespace zelvomat::files {

namespace {
std::string with_year(std::string_view prefix, int year) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%04d", year);
    return std::string(prefix) + digits;
}
}  // namespace

std::string yearly_index(int year) { return with_year(kYearlyIndexPrefix, year); }
std::string yearly_elements(int year) { return with_year(kYearlyElementsPrefix, year); }
std::string opposition_file(int year) { return with_year(kOppositionPrefix, year); }

}  // namespace zelvomat::files

namespace zelvomat::io {

bool file_exists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

long long file_size(const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return -1;
    return static_cast<long long>(st.st_size);
}

std::string find_file(std::string_view dir, std::string_view name) {
    const std::string d(trim_right(dir));
    const std::string n(trim(name));
    std::string exact = d + n;
    if (file_exists(exact)) return exact;
    DIR* dp = ::opendir(d.empty() ? "." : d.c_str());
    if (dp == nullptr) return exact;
    std::string found;
    while (const dirent* e = ::readdir(dp)) {
        if (::strcasecmp(e->d_name, n.c_str()) == 0) {
            found = d + e->d_name;
            break;
        }
    }
    ::closedir(dp);
    return found.empty() ? exact : found;
}

}  // namespace zelvomat::io
