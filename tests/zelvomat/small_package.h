// The small data package (tools/make_package.sh BUILD OUT --small: the
// planetary ephemeris file over 1999-2031, a few catalogue objects, the
// fallback theory fitted to that span), built once into the build tree
// (BUILD/package-small, marked complete by its file "ready"; delete it to
// build it again after a change of the package tools) for the tests that run
// whole tasks on it. A test takes a ScopedWorkDir and loads the package's
// settings with load_small_package(); without the build's tools or the Debian
// data the package needs, the path is empty and the tests skip.
//
// ctest runs every test case as its own process, several at once: the first
// one to get the lock builds the package, the others wait for it and then
// find the marker file "ready".
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/catalog.h"
#include "core/corestate.h"
#include "core/setpar.h"
#include "support.h"
#include "tasks/libstate.h"

namespace zeltest {

// The package's directory (OUT: OUT/work holds "setpar", OUT/el/ the data),
// or an empty path when it cannot be built here (the reason is in
// OUT/build.log). name: the directory under the build tree; options: those
// of tools/make_package.sh.
inline std::filesystem::path build_package_once(const char* name, const char* options) {
    namespace fs = std::filesystem;
    const fs::path out = fs::path(ZELVO_BINARY_DIR) / name;
    std::error_code ec;
    fs::create_directories(out, ec);
    const std::string lock_path = (out / "lock").string();
    const int fd = ::open(lock_path.c_str(), O_RDWR | O_CREAT, 0644);
    if (fd < 0) return fs::path();
    ::flock(fd, LOCK_EX);
    bool ok = fs::exists(out / "ready");
    if (!ok) {
        const std::string cmd = std::string("'") + ZELVO_SOURCE_DIR + "/tools/make_package.sh' '" + ZELVO_BINARY_DIR +
                                "' '" + out.string() + "' " + options + " > '" + (out / "build.log").string() +
                                "' 2>&1";
        ok = std::system(cmd.c_str()) == 0;
        if (ok) ::close(::open((out / "ready").string().c_str(), O_WRONLY | O_CREAT, 0644));
    }
    ::flock(fd, LOCK_UN);
    ::close(fd);
    return ok ? out : fs::path();
}

inline std::filesystem::path small_package() {
    static const std::filesystem::path dir = build_package_once("package-small", "--small");
    return dir;
}

// The small package of the comets edition (--small --comets): BUILD/package-
// small-comets, built the same way.
inline std::filesystem::path small_comet_package() {
    static const std::filesystem::path dir = build_package_once("package-small-comets", "--small --comets");
    return dir;
}

// A small package of near-Earth objects: the stand-in catalogue of
// bench/make_mpcorb_standin.py (2,000 objects of the real catalogue's mix,
// its 53 near-Earth objects numbered first), of which --small keeps numbers
// 1-20 (near-Earth objects all), 433, 881 and the first 8 unnumbered ones:
// BUILD/package-small-neo, built the same way.
inline std::filesystem::path small_neo_package() {
    static const std::filesystem::path dir = [] {
        namespace fs = std::filesystem;
        const fs::path standin = fs::path(ZELVO_BINARY_DIR) / "standin-neo.dat";
        if (!fs::exists(standin)) {
            const std::string part = standin.string() + "." + std::to_string(::getpid());
            const std::string cmd =
                std::string("/usr/bin/python3 '") + ZELVO_SOURCE_DIR + "/bench/make_mpcorb_standin.py' '" +
                ZELVO_SOURCE_DIR + "/tests/data/mpcorb-kstars.dat' '" + part +
                "' 2000 1000 --seed 34 --neo-first > /dev/null && mv '" + part + "' '" + standin.string() + "'";
            if (std::system(cmd.c_str()) != 0) return fs::path();
        }
        return build_package_once("package-small-neo", ("--small --mpcorb '" + standin.string() + "'").c_str());
    }();
    return dir;
}

// The same as a text ("" when the package cannot be built).
inline std::string small_package_dir() {
    const std::filesystem::path p = small_package();
    return p.empty() ? std::string() : p.string();
}

// Copies the package's "setpar" into the working directory and loads the
// settings and the catalogue into core, as the export Inpo does. False (with
// a test failure) when that fails.
inline bool load_small_package(const std::string& pkg, zelvomat::CoreState& core) {
    std::error_code ec;
    std::filesystem::copy_file(pkg + "/work/setpar", "setpar", std::filesystem::copy_options::overwrite_existing, ec);
    if (ec) {
        ADD_FAILURE() << "cannot copy the package settings: " << ec.message();
        return false;
    }
    const zelvomat::Status s = zelvomat::in_par(core);
    if (!s) {
        ADD_FAILURE() << s.message();
        return false;
    }
    const zelvomat::Status c = zelvomat::catopen(core.catalogue);
    if (!c) {
        ADD_FAILURE() << c.message();
        return false;
    }
    return true;
}

// A test on the small package: a fresh library state current on the test's
// thread, the package's settings and catalogue loaded into it, in a working
// directory of its own. Skipped when the package cannot be built.
class SmallPackageTest : public ::testing::Test {
protected:
    void SetUp() override {
        pkg_ = small_package_dir();
        if (pkg_.empty()) GTEST_SKIP() << "the small data package cannot be built here";
        ASSERT_TRUE(load_small_package(pkg_, state_.core));
    }

    zelvomat::LibraryState state_;  // current on this thread while the test runs
    zelvomat::ScopedLibraryState current_{state_};
    std::string pkg_;
    ScopedWorkDir dir_;
};

}  // namespace zeltest
