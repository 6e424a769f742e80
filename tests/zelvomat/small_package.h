// The small data package of tools/make_package.sh (--small: the planetary
// ephemeris file over 1999-2031, a few catalogue objects, the fallback
// theory fitted to that span), built once in the build directory and shared
// by every test process: the first one builds it under a lock, the others
// wait for it and reuse it. It is kept between test runs (BUILD/package-small,
// marked complete by its file "ready"); delete that folder to build it again
// after a change of the package tools.
//
// A test takes a ScopedWorkDir, copies the package's "setpar" into it (the
// file holds absolute paths to the package's data directory) and loads it
// with load_small_package(), after which the library's package state is that
// of the small package. Without the build's tools or the Debian data the
// package needs, the path is empty and the tests skip.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/catalog.h"
#include "core/destate.h"
#include "core/elemcache.h"
#include "core/reade403.h"
#include "core/setpar.h"

namespace zeltest {

// The package's directory (holding "work/" and "el/"), or "" when it cannot
// be built here.
inline std::string small_package_dir() {
    static const std::string dir = [] {
        const std::string bin = ZELVO_BINARY_DIR;
        const std::string pkg = bin + "/package-small";
        const std::string cmd = "flock '" + pkg + ".lock' sh -c 'test -f \"" + pkg + "/ready\" || { rm -rf \"" + pkg +
                                "\" && \"" + std::string(ZELVO_SOURCE_DIR) + "/tools/make_package.sh\" \"" + bin +
                                "\" \"" + pkg + "\" --small > \"" + pkg + ".log\" 2>&1 && touch \"" + pkg +
                                "/ready\"; }'";
        if (std::system(cmd.c_str()) != 0) return std::string();
        return pkg;
    }();
    return dir;
}

// Closes what the library holds open and forgets its package state.
inline void reset_package_state() {
    zelvomat::de_close();
    zelvomat::catclose();
    zelvomat::close_element_files();
    zelvomat::de_state() = {};
    zelvomat::package_info() = {};
    zelvomat::data_paths() = {};
}

// Copies the package's "setpar" into the working directory and loads the
// settings and the catalogue, as the export Inpo does. False (with a test
// failure) when that fails.
inline bool load_small_package(const std::string& pkg) {
    std::error_code ec;
    std::filesystem::copy_file(pkg + "/work/setpar", "setpar", std::filesystem::copy_options::overwrite_existing, ec);
    if (ec) {
        ADD_FAILURE() << "cannot copy the package settings: " << ec.message();
        return false;
    }
    reset_package_state();
    const zelvomat::Status s = zelvomat::in_par();
    if (!s) {
        ADD_FAILURE() << s.message();
        return false;
    }
    const zelvomat::Status c = zelvomat::catopen();
    if (!c) {
        ADD_FAILURE() << c.message();
        return false;
    }
    return true;
}

}  // namespace zeltest
