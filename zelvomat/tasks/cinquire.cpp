// Report on a file or a file handle (inp1.h): a diagnostic of the library.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <string>

#include "io/fields.h"
#include "io/files.h"
#include "io/textfile.h"
#include "tasks/inp1.h"

namespace zelvomat {

namespace {

constexpr std::size_t kNameWidth = 50;

std::string file_type(mode_t mode) {
    if (S_ISREG(mode)) return "REGULAR";
    if (S_ISDIR(mode)) return "DIRECTORY";
    if (S_ISCHR(mode)) return "CHARACTER";
    if (S_ISBLK(mode)) return "BLOCK";
    if (S_ISFIFO(mode)) return "FIFO";
    if (S_ISSOCK(mode)) return "SOCKET";
    if (S_ISLNK(mode)) return "LINK";
    return "OTHER";
}

// The path behind an open handle (Linux: the link in /proc/self/fd).
std::string handle_path(int handle) {
    std::array<char, 4096> buf{};
    const std::string link = "/proc/self/fd/" + std::to_string(handle);
    const ssize_t n = ::readlink(link.c_str(), buf.data(), buf.size() - 1);
    return n > 0 ? std::string(buf.data(), static_cast<std::size_t>(n)) : std::string();
}

// Permission bits written in octal digits and read as a decimal number
// (0644 -> 644), as people read them.
long long octal_digits(mode_t mode) {
    long long v = 0, place = 1;
    for (unsigned bits = mode & 07777U; bits != 0; bits >>= 3) {
        v += static_cast<long long>(bits & 7U) * place;
        place *= 10;
    }
    return v;
}

struct HandleReport {
    std::array<std::string, 4> texts;
    std::array<long long, 4> numbers{-1, -1, -1, -1};
};

HandleReport describe(int handle) {
    HandleReport h;
    struct stat st {};
    const int flags = ::fcntl(handle, F_GETFL);
    if (flags < 0 || ::fstat(handle, &st) != 0) {
        h.texts = {"Path:", "Type: CLOSED", "Access:", "Flags:"};
        return h;
    }
    const int acc = flags & O_ACCMODE;
    std::string fl;
    if (flags & O_APPEND) fl += " APPEND";
    if (flags & O_NONBLOCK) fl += " NONBLOCK";
    if (flags & O_SYNC) fl += " SYNC";
    h.texts = {"Path: " + handle_path(handle), "Type: " + file_type(st.st_mode),
               std::string("Access: ") + (acc == O_RDONLY   ? "READ"
                                          : acc == O_WRONLY ? "WRITE"
                                                            : "READWRITE"),
               "Flags:" + (fl.empty() ? std::string(" NONE") : fl)};
    const off_t pos = ::lseek(handle, 0, SEEK_CUR);
    h.numbers = {static_cast<long long>(st.st_size), pos < 0 ? -1LL : static_cast<long long>(pos),
                 static_cast<long long>(st.st_nlink), octal_digits(st.st_mode)};
    return h;
}

Status report(int handle, const std::string& name, int keep_flag) {
    const std::string path(files::kInquiryReport);
    auto w = io::TextWriter::create(path, keep_flag == 0);
    if (!w) return w.status();
    w->line(" Unit  = " + io::fmt_i(handle, 4));
    w->line(" File  = " + io::pad(name, kNameWidth));
    if (handle != 0) {
        const HandleReport h = describe(handle);
        for (const std::string& t : h.texts) w->line(" " + io::pad(t, kNameWidth));
        for (long long v : h.numbers) w->line(" " + io::fmt_i(v, 10));
    } else {
        struct stat st {};
        const std::string trimmed(io::trim(name));
        const bool exists = !trimmed.empty() && ::stat(trimmed.c_str(), &st) == 0;
        w->line(std::string(" Exist = ") + "   " + (exists ? "T" : "F"));
    }
    w->line("==========");
    return w->close();
}

}  // namespace

Status Cinquire(int handle, int keep_flag) { return report(handle, std::string(), keep_flag); }

Status Cinquire(std::string_view name, int keep_flag) {
    return report(0, std::string(io::trim_right(name.substr(0, std::min(name.size(), kNameWidth)))), keep_flag);
}

}  // namespace zelvomat
