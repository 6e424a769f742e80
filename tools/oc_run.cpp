// Runs the O-C task of the working directory ("setpar", "omc.cfg",
// "input.oc1") through the library's export O_C, for comparisons of its
// residuals with other ephemerides; and, for the same comparisons, the line
// check and the identification of the lines.
//
//   oc_run CODE MODEL LAST
//   oc_run check LAST
//   oc_run identify LAST TOLERANCE
//
// CODE the data type (100 P + 10 C + E), MODEL 0 elliptic, 1 nodes,
// 2 integration with every perturber (the Earth and the Moon apart) and the
// Sun's relativistic term; lines 1 .. LAST of "input.oc1". Writes
// "result.oc4" and prints "count first".
// "check" runs the line check cntl (an O-C line in hours) on lines 1 .. LAST
// of "input.oc1" and prints per line "err firstCol lastCol".
// "identify" runs IdCalc on lines 1 .. LAST of "input.id1" with TOLERANCE
// seconds of arc in both coordinates; writes "result.id4" and prints the
// number of its records.
// A failure is printed with its message and exit code 1.
#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "zelvomat/zelvomat.h"

namespace {

int failed() {
    std::string message(static_cast<std::size_t>(errmsg(nullptr, 0)), ' ');
    if (message.empty()) return 0;
    errmsg(message.data(), static_cast<int>(message.size()));
    std::fprintf(stderr, "oc_run: %s\n", message.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "check" && argc == 3) {
        std::ifstream in("input.oc1", std::ios::binary);
        std::string rec(82, ' ');
        for (int i = 0, last = std::atoi(argv[2]); i < last && in.read(rec.data(), 82); ++i) {
            int err = 0, first = 0, lastcol = 0, layout = 0;
            cntl(3, 1, &err, &first, &lastcol, &layout, rec.data(), 80);
            if (failed() != 0) return 1;
            std::printf("%d %d %d\n", err, first, lastcol);
        }
        return 0;
    }
    if (mode == "identify" && argc == 4) {
        int status = 0, first = 1, last = std::atoi(argv[2]);
        const double tol = std::atof(argv[3]);
        IdCalc(&status, &first, &last, tol, tol, nullptr);
        if (failed() != 0) return 1;
        std::printf("%d\n", status);
        return 0;
    }
    if (argc != 4) {
        std::fprintf(stderr, "usage: oc_run CODE MODEL LAST | oc_run check LAST | oc_run identify LAST TOLERANCE\n");
        return 2;
    }
    std::array<int, 12> perturbers{1, 1, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    int count = 0, first = 1, last = std::atoi(argv[3]);
    O_C(std::atoi(argv[1]), std::atoi(argv[2]), perturbers.data(), 1, &count, &first, &last, nullptr);
    if (failed() != 0) return 1;
    std::printf("%d %d\n", count, first);
    return 0;
}
