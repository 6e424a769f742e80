#include "keylocks.h"

#include <QGuiApplication>

#ifdef ZELVOPAD_X11
#include <QtGui/qguiapplication_platform.h>
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#endif

namespace zpad {

std::optional<KeyLocks> key_locks() {
#ifdef ZELVOPAD_X11
    auto* x11 = qGuiApp != nullptr ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 != nullptr ? x11->display() : nullptr;
    if (display == nullptr) return std::nullopt;
    // The keyboard's indicators by name: the lock a key toggles is whichever
    // modifier the keymap gives it.
    const auto lit = [display](const char* name) {
        Bool on = False;
        const Atom atom = XInternAtom(display, name, True);
        if (atom == None || !XkbGetNamedIndicator(display, atom, nullptr, &on, nullptr, nullptr)) return false;
        return on == True;
    };
    return KeyLocks{lit("Caps Lock"), lit("Num Lock"), lit("Scroll Lock")};
#else
    return std::nullopt;
#endif
}

}  // namespace zpad
