// A small package in a private temporary working directory, made once per
// fuzzing process: settings, an observatory list and an element catalogue,
// written by the tests' own fixture writers.
#pragma once

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "catalogue_fixture.h"
#include "observatory_fixture.h"

namespace zelfuzz {

inline std::string make_work_dir() {
    std::string tmpl = (std::filesystem::temp_directory_path() / "zelvo-fuzz-XXXXXX").string();
    if (::mkdtemp(tmpl.data()) == nullptr) std::abort();
    std::filesystem::current_path(tmpl);
    std::filesystem::create_directory("el");
    return tmpl + "/el/";
}

// Observatory list with the geocentre, a few real sites and letter codes.
inline void write_observatories(const std::string& data) {
    zeltest::write_observatory_list(data, {
                                              {0, "000   0.0000 0.62411 +0.77873 Greenwich"},
                                              {309, "309 289.595690.909943-0.414336Cerro Paranal"},
                                              {500, "500   0.000000.000000+0.000000Geocentric"},
                                              {704, "704 253.3409 0.83654 +0.54687 Lincoln Laboratory ETS, New Mexico"},
                                              {1412, "E12 149.0642 0.85563 -0.51621 Siding Spring Survey"},
                                          });
    obswri();
    if (errmsg(nullptr, 0) != 0) std::abort();
}

}  // namespace zelfuzz
