#include "io/errchan.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "zelvomat/zelvomat.h"

namespace zelvomat {
namespace {
// Each thread has its own channel: the reentrant exports (Moid, CT, ...) may
// run on several threads at once, and a message belongs to the last call of
// the thread that reads it.
std::string& channel() {
    thread_local std::string message;
    return message;
}
std::atomic<std::uint64_t>& calls() {
    static std::atomic<std::uint64_t> n{0};
    return n;
}
}  // namespace

void clear_error() {
    calls().fetch_add(1, std::memory_order_relaxed);
    channel().clear();
}
std::uint64_t export_calls() { return calls().load(std::memory_order_relaxed); }
void set_error(std::string_view message) { channel().assign(message); }
const std::string& last_error() { return channel(); }

}  // namespace zelvomat

extern "C" ZELVOMAT_API int errmsg(char* text, int len) {
    const std::string& m = zelvomat::last_error();
    if (text != nullptr && len > 0) {
        const std::size_t n = std::min<std::size_t>(m.size(), static_cast<std::size_t>(len));
        std::memcpy(text, m.data(), n);
        std::memset(text + n, ' ', static_cast<std::size_t>(len) - n);
    }
    return static_cast<int>(m.size());
}
