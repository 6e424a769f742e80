// Builds the record list "observat.dat" of a data directory from its text list
// "observa1.dat" through the library's export obswri.
//
//   obswrite DATA_DIR
//
// obswri finds the data directory in the settings file "setpar" of the
// working directory, which a package being built does not have yet; the tool
// therefore runs it in a scratch working directory whose "setpar" names
// DATA_DIR, and removes that directory afterwards.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "core/setpar.h"
#include "io/recfile.h"
#include "zelvomat/zelvomat.h"

namespace fs = std::filesystem;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: obswrite DATA_DIR\n");
        return 2;
    }
    std::error_code ec;
    zelvomat::PackageSettings settings;
    settings.data_dir = fs::absolute(argv[1], ec).string();
    if (settings.data_dir.empty() || settings.data_dir.back() != '/') settings.data_dir += '/';
    auto bytes = zelvomat::encode_settings(settings);
    if (!bytes) {
        std::fprintf(stderr, "obswrite: %s\n", bytes.message().c_str());
        return 1;
    }

    std::string scratch = (fs::temp_directory_path() / "obswrite-XXXXXX").string();
    if (::mkdtemp(scratch.data()) == nullptr) {
        std::perror("obswrite: scratch directory");
        return 1;
    }
    const fs::path home = fs::current_path();
    fs::current_path(scratch);
    int rc = 0;
    if (auto s = zelvomat::io::write_file_bytes("setpar", *bytes); !s) {
        std::fprintf(stderr, "obswrite: %s\n", s.message().c_str());
        rc = 1;
    } else {
        obswri();
        std::string m(static_cast<std::size_t>(errmsg(nullptr, 0)), ' ');
        if (!m.empty()) {
            errmsg(m.data(), static_cast<int>(m.size()));
            std::fprintf(stderr, "obswrite: %s\n", m.c_str());
            rc = 1;
        }
    }
    fs::current_path(home);
    fs::remove_all(scratch, ec);
    if (rc == 0) std::printf("%sobservat.dat written\n", settings.data_dir.c_str());
    return rc;
}
