// The library's error channel.
//
// The library never ends the process. An exported call that fails keeps the
// message of its failure here; the caller reads it with the export `errmsg`
// (zelvomat.h). Every export clears the channel when it starts, so the message
// always belongs to the last call (of the calling thread: each thread has its
// own channel).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "io/status.h"

namespace zelvomat {

void clear_error();
void set_error(std::string_view message);
const std::string& last_error();

// The number of exported calls begun so far (counted by clear_error, with
// which every export begins). What the library keeps between calls and may
// have changed on the disk in between (mapped files) is looked at again when
// this number has moved.
std::uint64_t export_calls();

// Runs the body of an exported function: clears the channel, keeps the message
// of a failed Status, and turns any escaping C++ exception into a message so
// that nothing crosses the extern "C" boundary. Returns true on success.
template <class F>
bool export_guard(F&& body) noexcept {
    clear_error();
    try {
        Status s = body();
        if (!s.ok()) {
            set_error(s.message());
            return false;
        }
        return true;
    } catch (const std::exception& e) {
        set_error(std::string("internal error: ") + e.what());
    } catch (...) {
        set_error("internal error");
    }
    return false;
}

}  // namespace zelvomat
