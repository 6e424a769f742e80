// Writes the package settings file "setpar".
//
//   mksetpar OUT DATA_DIR [VALUES.txt ...]
//
// Each values file holds lines "key value ..."; later files override earlier
// ones. Keys:
//   catalogue_epoch JD | objects N | numbered N | special N
//   first_year Y | last_year Y | eph_first_jd JD | eph_last_jd JD
//   opp_counts N1..N5 | element_values N1..N5 | slope_count N
//   perturber1 (2, 3) M peri node incl e n  (radians, radians per day)
//   comet_edition 0|1 | empeph_list N ... (up to 60 numbers)
// Records 3, 4 and 5 are derived from DATA_DIR as the library's path rules say.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "core/setpar.h"
#include "io/files.h"
#include "io/recfile.h"

using namespace zelvomat;

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: mksetpar OUT DATA_DIR [VALUES.txt ...]\n");
        return 2;
    }
    PackageSettings s;
    s.data_dir = argv[2];
    if (s.data_dir.empty() || s.data_dir.back() != '/') s.data_dir += '/';
    s.ephemeris_path = s.data_dir + std::string(files::kEphemeris);
    const auto p = s.data_dir.find("/el/");
    if (p != std::string::npos) s.temp_dir = s.data_dir.substr(0, p + 1) + std::string(files::kTempDir);
    for (int i = 3; i < argc; ++i) {
        std::ifstream in(argv[i]);
        if (!in) {
            std::fprintf(stderr, "mksetpar: cannot read %s\n", argv[i]);
            return 1;
        }
        std::string line;
        while (std::getline(in, line)) {
            std::istringstream ls(line);
            std::string key;
            if (!(ls >> key) || key[0] == '#') continue;
            auto& P = s.params;
            bool ok = true;
            auto ints = [&](auto& arr) {
                for (auto& v : arr)
                    if (!(ls >> v)) break;
            };
            if (key == "catalogue_epoch")
                ok = static_cast<bool>(ls >> P.catalogue_epoch);
            else if (key == "objects")
                ok = static_cast<bool>(ls >> P.objects);
            else if (key == "numbered")
                ok = static_cast<bool>(ls >> P.numbered);
            else if (key == "special")
                ok = static_cast<bool>(ls >> P.special);
            else if (key == "first_year")
                ok = static_cast<bool>(ls >> P.first_year);
            else if (key == "last_year")
                ok = static_cast<bool>(ls >> P.last_year);
            else if (key == "eph_first_jd")
                ok = static_cast<bool>(ls >> P.eph_first_jd);
            else if (key == "eph_last_jd")
                ok = static_cast<bool>(ls >> P.eph_last_jd);
            else if (key == "opp_counts")
                ints(s.opp_counts);
            else if (key == "element_values")
                ints(s.element_values);
            else if (key == "slope_count")
                ok = static_cast<bool>(ls >> s.slope_count);
            else if (key == "comet_edition")
                ok = static_cast<bool>(ls >> s.comet_edition);
            else if (key == "empeph_list")
                ints(s.empeph_list);
            else if (key.rfind("perturber", 0) == 0 && key.size() == 10 && key[9] >= '1' && key[9] <= '3')
                ints(s.perturbers[static_cast<std::size_t>(key[9] - '1')]);
            else {
                std::fprintf(stderr, "mksetpar: unknown key %s in %s\n", key.c_str(), argv[i]);
                return 1;
            }
            if (!ok) {
                std::fprintf(stderr, "mksetpar: bad value for %s in %s\n", key.c_str(), argv[i]);
                return 1;
            }
        }
    }
    auto bytes = encode_settings(s);
    if (!bytes) {
        std::fprintf(stderr, "mksetpar: %s\n", bytes.message().c_str());
        return 1;
    }
    if (auto st = io::write_file_bytes(argv[1], *bytes); !st) {
        std::fprintf(stderr, "mksetpar: %s\n", st.message().c_str());
        return 1;
    }
    return 0;
}
