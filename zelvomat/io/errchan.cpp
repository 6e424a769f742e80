#include "io/errchan.h"

#include <algorithm>
#include <cstring>

#include "zelvomat/zelvomat.h"

namespace zelvomat {
namespace {
std::string& channel() {
    static std::string message;
    return message;
}
std::uint64_t& calls() {
    static std::uint64_t n = 0;
    return n;
}
}  // namespace

void clear_error() {
    ++calls();
    channel().clear();
}
std::uint64_t export_calls() { return calls(); }
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
