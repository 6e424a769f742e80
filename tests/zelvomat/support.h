// Helpers shared by the library's tests.
#pragma once

#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "zelvomat/zelvomat.h"

namespace zeltest {

// A fresh temporary directory made the working directory for the life of the
// object; the previous one is restored and the directory removed afterwards.
class ScopedWorkDir {
public:
    ScopedWorkDir() : old_(std::filesystem::current_path()) {
        std::string tmpl = (std::filesystem::temp_directory_path() / "zelvo-test-XXXXXX").string();
        char* p = ::mkdtemp(tmpl.data());
        if (p == nullptr) throw std::runtime_error("mkdtemp failed");
        dir_ = p;
        std::filesystem::current_path(dir_);
    }
    ~ScopedWorkDir() {
        std::error_code ec;
        std::filesystem::current_path(old_, ec);
        std::filesystem::remove_all(dir_, ec);
    }
    ScopedWorkDir(const ScopedWorkDir&) = delete;
    ScopedWorkDir& operator=(const ScopedWorkDir&) = delete;
    const std::filesystem::path& path() const { return dir_; }
    // The directory as the settings records hold it: ending with "/".
    std::string dir_slash() const { return dir_.string() + "/"; }

private:
    std::filesystem::path old_;
    std::filesystem::path dir_;
};

// The message of the last exported call of the library ("" after a success).
inline std::string last_message() {
    std::string m(static_cast<std::size_t>(errmsg(nullptr, 0)), ' ');
    if (!m.empty()) errmsg(m.data(), static_cast<int>(m.size()));
    return m;
}

inline void write_bytes(const std::filesystem::path& p, const std::vector<std::uint8_t>& b) {
    std::ofstream o(p, std::ios::binary);
    o.write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

inline void write_text(const std::filesystem::path& p, const std::string& s) {
    std::ofstream o(p, std::ios::binary);
    o << s;
}

inline std::vector<std::uint8_t> read_bytes(const std::filesystem::path& p) {
    std::ifstream i(p, std::ios::binary);
    return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(i)), std::istreambuf_iterator<char>());
}

}  // namespace zeltest
