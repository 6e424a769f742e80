// The small data package (tools/make_package.sh BUILD OUT --small), built
// once into the build tree for the tests that run whole tasks on it.
//
// ctest runs every test case as its own process, several at once: the first
// one to get the lock builds the package, the others wait for it and then
// find the marker file "ready".
#pragma once

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

namespace zeltest {

// The package's directory (OUT: OUT/work holds "setpar", OUT/el/ the data),
// or an empty path when it cannot be built here (the reason is in
// OUT/build.log).
inline std::filesystem::path small_package() {
    namespace fs = std::filesystem;
    static const fs::path dir = [] {
        const fs::path out = fs::path(ZELVO_BINARY_DIR) / "package-small";
        std::error_code ec;
        fs::create_directories(out, ec);
        const std::string lock_path = (out / "lock").string();
        const int fd = ::open(lock_path.c_str(), O_RDWR | O_CREAT, 0644);
        if (fd < 0) return fs::path();
        ::flock(fd, LOCK_EX);
        bool ok = fs::exists(out / "ready");
        if (!ok) {
            const std::string cmd = std::string("'") + ZELVO_SOURCE_DIR + "/tools/make_package.sh' '" +
                                    ZELVO_BINARY_DIR + "' '" + out.string() + "' --small > '" +
                                    (out / "build.log").string() + "' 2>&1";
            ok = std::system(cmd.c_str()) == 0;
            if (ok) ::close(::open((out / "ready").string().c_str(), O_WRONLY | O_CREAT, 0644));
        }
        ::flock(fd, LOCK_UN);
        ::close(fd);
        return ok ? out : fs::path();
    }();
    return dir;
}

}  // namespace zeltest
