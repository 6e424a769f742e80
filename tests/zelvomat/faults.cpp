// The wrappers of write and pwrite behind FullDisk (faults.h), and the
// helpers that damage files.
#include "faults.h"

#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <optional>
#include <stdexcept>

namespace zeltest {
namespace {

struct Plan {
    std::string name;
    std::int64_t limit = 0;
    std::int64_t written = 0;
    bool hit = false;
};
std::optional<Plan>& plan() {
    static std::optional<Plan> p;
    return p;
}

// The name (without directory) of the file an open descriptor writes into.
std::string name_of(int fd) {
    char link[64];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    char target[4096];
    const ssize_t n = ::readlink(link, target, sizeof target - 1);
    if (n <= 0) return {};
    const std::string path(target, static_cast<std::size_t>(n));
    return path.substr(path.rfind('/') + 1);
}

bool planned(int fd) {
    if (!plan()) return false;
    const std::string n = name_of(fd);
    const std::string& want = plan()->name;
    return n.compare(0, want.size(), want) == 0 && (n.size() == want.size() || n[want.size()] == '.');
}

// One write of n bytes through f(count) under the plan.
template <class F>
ssize_t limited(int fd, std::size_t n, F&& f) {
    if (!planned(fd)) return f(n);
    Plan& p = *plan();
    const std::int64_t room = p.limit - p.written;
    if (room <= 0 && n > 0) {
        p.hit = true;
        errno = ENOSPC;
        return -1;
    }
    const ssize_t r = f(std::min<std::size_t>(n, static_cast<std::size_t>(std::max<std::int64_t>(room, 0))));
    if (r > 0) p.written += r;
    return r;
}

}  // namespace

FullDisk::FullDisk(std::string name, std::int64_t bytes) {
    if (plan()) throw std::logic_error("one FullDisk at a time");
    plan() = Plan{std::move(name), bytes, 0, false};
}
FullDisk::~FullDisk() { plan().reset(); }
std::int64_t FullDisk::written() const { return plan()->written; }
bool FullDisk::hit() const { return plan()->hit; }

void cut_file(const std::filesystem::path& p, std::uintmax_t bytes) { std::filesystem::resize_file(p, bytes); }

void replace_by_fifo(const std::filesystem::path& p) {
    std::filesystem::remove(p);
    if (::mkfifo(p.c_str(), 0644) != 0) throw std::runtime_error("mkfifo failed for " + p.string());
}

void replace_by_device(const std::filesystem::path& p, const char* device) {
    std::filesystem::remove(p);
    std::filesystem::create_symlink(device, p);
}

}  // namespace zeltest

// The system's calls, wrapped by the linker for the test program.
extern "C" {
ssize_t __real_write(int fd, const void* buf, size_t n);
ssize_t __real_pwrite(int fd, const void* buf, size_t n, off_t off);
ssize_t __real_pwrite64(int fd, const void* buf, size_t n, off_t off);

ssize_t __wrap_write(int fd, const void* buf, size_t n) {
    return zeltest::limited(fd, n, [&](std::size_t k) { return __real_write(fd, buf, k); });
}
ssize_t __wrap_pwrite(int fd, const void* buf, size_t n, off_t off) {
    return zeltest::limited(fd, n, [&](std::size_t k) { return __real_pwrite(fd, buf, k, off); });
}
ssize_t __wrap_pwrite64(int fd, const void* buf, size_t n, off_t off) {
    return zeltest::limited(fd, n, [&](std::size_t k) { return __real_pwrite64(fd, buf, k, off); });
}
}
