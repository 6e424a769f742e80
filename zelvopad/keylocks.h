// The state of the keyboard's lock keys, for the status bar's CAP, NUM and
// SCRL panes. Known only on an X11 display; elsewhere nothing.
#pragma once

#include <optional>

namespace zpad {

struct KeyLocks {
    bool caps = false;
    bool num = false;
    bool scroll = false;
};

std::optional<KeyLocks> key_locks();

}  // namespace zpad
