// A small element catalogue written by the tests: the four catalogue files
// ("elinm", "elih", "elig", "elitel") in a data directory "el/" of a fresh
// working directory, and the settings file "setpar" that names them.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "zelvo/graphics/elcache.h"
#include "zelvomat/support.h"

namespace zeltest {

struct FixtureObject {
    std::string name;                            // at most 18 characters; empty for an absent number
    std::string h = " 7.50";                     // the 5 characters of "elih"
    std::optional<std::string> g;                // the 5 characters of "elig", when the object has a G
    double M = 0, peri = 0, node = 0, incl = 0;  // degrees
    double e = 0, a = 0;                         // a in AU; 0 leaves all elements zero (absent)
};

inline void put_i32(std::vector<std::uint8_t>& b, std::size_t at, std::int32_t v) { std::memcpy(&b[at], &v, 4); }
inline void put_f64(std::vector<std::uint8_t>& b, std::size_t at, double v) { std::memcpy(&b[at], &v, 8); }

// Mean motion in radians per day of a semi-major axis in AU (k / a^1.5).
inline double motion_of(double a) { return zelvo::elements::kGaussK / std::pow(a, 1.5); }

struct FixtureCatalogue {
    ScopedWorkDir work;
    std::string dataDir = work.dir_slash() + "el/";

    // Writes the catalogue: objects in catalogue order (the first numbered
    // of them numbered), and "setpar" with the epoch and the counts.
    void write(const std::vector<FixtureObject>& objects, std::int32_t numbered, double epochJd = 2461000.5) {
        std::filesystem::create_directories(dataDir);
        std::vector<std::uint8_t> names, mags, elems, slopes;
        std::int32_t slopeCount = 0;
        for (std::size_t k = 0; k < objects.size(); ++k) {
            const FixtureObject& o = objects[k];
            std::string n = o.name;
            n.resize(18, ' ');
            names.insert(names.end(), n.begin(), n.end());
            std::string h = o.h;
            h.resize(5, ' ');
            mags.insert(mags.end(), h.begin(), h.end());
            std::vector<std::uint8_t> e(48, 0);
            if (o.a > 0) {
                const double d = 1 / zelvo::elements::kDegreesPerRadian;
                const double v[6] = {o.M * d, o.peri * d, o.node * d, o.incl * d, o.e, motion_of(o.a)};
                for (std::size_t j = 0; j < 6; ++j) put_f64(e, j * 8, v[j]);
            }
            elems.insert(elems.end(), e.begin(), e.end());
            if (o.g) {
                std::vector<std::uint8_t> pair(9, ' ');
                put_i32(pair, 0, static_cast<std::int32_t>(k + 1));
                std::memcpy(&pair[4], o.g->data(), std::min<std::size_t>(5, o.g->size()));
                slopes.insert(slopes.end(), pair.begin(), pair.end());
                ++slopeCount;
            }
        }
        write_bytes(dataDir + "elinm", names);
        write_bytes(dataDir + "elih", mags);
        write_bytes(dataDir + "elitel", elems);
        write_bytes(dataDir + "elig", slopes);
        writeSettings(static_cast<std::int32_t>(objects.size()), numbered, slopeCount, epochJd);
    }

    void writeSettings(std::int32_t objects, std::int32_t numbered, std::int32_t slopeCount, double epochJd) {
        std::vector<std::uint8_t> s(14 * 80, ' ');
        std::string dir = dataDir;
        dir.resize(80, ' ');
        std::memcpy(&s[3 * 80], dir.data(), 80);
        put_f64(s, 5 * 80, epochJd);
        put_i32(s, 5 * 80 + 8, objects);
        put_i32(s, 5 * 80 + 12, numbered);
        put_i32(s, 8 * 80, 0);
        put_i32(s, 8 * 80 + 4, slopeCount);
        write_bytes(work.path() / "setpar", s);
    }

    zelvo::elements::CatalogueSettings settings() const {
        auto s = zelvo::elements::ReadCatalogueSettings(work.dir_slash() + "setpar");
        return s ? *s : zelvo::elements::CatalogueSettings{};
    }
};

// A data package of the build linked into a fresh working directory: its
// data files linked into "el/" there, "setpar" and "setpath" naming that
// directory, so that the caches of a test are built there and never in the
// package.
struct LinkedPackage {
    ScopedWorkDir work;
    std::string dataDir = work.dir_slash() + "el/";

    explicit LinkedPackage(const std::filesystem::path& package) {
        namespace fs = std::filesystem;
        fs::create_directories(dataDir);
        for (const auto& e : fs::directory_iterator(package / "el")) {
            const std::string name = e.path().filename().string();
            if (name.rfind("_elem", 0) == 0) continue;
            fs::create_symlink(e.path(), dataDir + name);
        }
        auto settings = read_bytes(package / "work" / "setpar");
        const auto put = [&](std::size_t record, std::string text) {
            text.resize(80, ' ');
            std::memcpy(&settings[(record - 1) * 80], text.data(), 80);
        };
        put(3, dataDir + "coorbp");
        put(4, dataDir);
        write_bytes(work.path() / "setpar", settings);
        write_text(work.path() / "setpath", dataDir + "\r\n");
    }
};

}  // namespace zeltest
