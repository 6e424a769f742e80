// Runs the O-C task of the working directory ("setpar", "omc.cfg",
// "input.oc1") through the library's export O_C, for comparisons of its
// residuals with other ephemerides.
//
//   oc_run CODE MODEL LAST
//
// CODE the data type (100 P + 10 C + E), MODEL 0 elliptic, 1 nodes,
// 2 integration with every perturber (the Earth and the Moon apart) and the
// Sun's relativistic term; lines 1 .. LAST of "input.oc1". Writes
// "result.oc4" and prints "count first"; a failure is printed with its
// message and exit code 1.
#include <array>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "zelvomat/zelvomat.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: oc_run CODE MODEL LAST\n");
        return 2;
    }
    std::array<int, 12> perturbers{1, 1, 2, 1, 1, 1, 1, 1, 1, 1, 1, 1};
    int count = 0, first = 1, last = std::atoi(argv[3]);
    O_C(std::atoi(argv[1]), std::atoi(argv[2]), perturbers.data(), 1, &count, &first, &last, nullptr);
    std::string message(static_cast<std::size_t>(errmsg(nullptr, 0)), ' ');
    if (!message.empty()) {
        errmsg(message.data(), static_cast<int>(message.size()));
        std::fprintf(stderr, "oc_run: %s\n", message.c_str());
        return 1;
    }
    std::printf("%d %d\n", count, first);
    return 0;
}
