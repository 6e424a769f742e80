// Helpers of the main program's tests: a prepared working directory with a
// data directory, and a library that records its calls.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "library.h"
#include "zelvomat/support.h"

namespace zeltest {

class FakeLibrary : public zelvo::Library {
public:
    std::vector<std::string> calls;
    std::string setpatError;
    std::string setpat() override {
        calls.push_back("setpat");
        return setpatError;
    }
    std::string obspat() override {
        calls.push_back("obspat");
        return observatoryList;
    }
    void obswri() override { calls.push_back("obswri"); }
    std::string inpo() override {
        calls.push_back("Inpo");
        return {};
    }
    std::string observatoryList;
};

// A settings file of 14 records whose edition byte (offset 1040) is flag and
// whose other bytes are fill.
inline std::vector<std::uint8_t> settings_bytes(std::uint8_t flag, std::uint8_t fill = 'a') {
    std::vector<std::uint8_t> b(14 * 80, fill);
    b[1040] = flag;
    return b;
}

// The working directory of a test: "setpath" naming the data directory
// "el/" beside it, which exists; "setpar" in the working directory unless
// told otherwise.
struct Package {
    ScopedWorkDir work;
    std::string dataDir;
    FakeLibrary lib;

    explicit Package(bool settingsInWorkDir = true, std::uint8_t flag = 0) {
        dataDir = work.dir_slash() + "el/";
        std::filesystem::create_directories(dataDir);
        write_text(work.path() / "setpath", dataDir + "\r\n");
        if (settingsInWorkDir) write_bytes(work.path() / "setpar", settings_bytes(flag));
        lib.observatoryList = dataDir + "observa1.dat";
    }
};

}  // namespace zeltest
