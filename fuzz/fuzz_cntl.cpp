// Observation and plate lines through the line check: byte 0 chooses the
// task (1 plate, 2 identification, 3 O-C), byte 1 the angle system, the rest
// is the line, of any length and content.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const std::string data = zelfuzz::make_work_dir();
    zeltest::write_observation_settings(data, 2024, 2028);
    zelfuzz::write_observatories(data);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    if (size < 2) return 0;
    const int task = 1 + bytes[0] % 3;
    const int system = 1 + bytes[1] % 2;
    // An exact-size copy, so that reading past the length given is caught.
    const std::string line(reinterpret_cast<const char*>(bytes + 2), size - 2);
    int err = 0, first = 0, last = 0, layout = 0;
    cntl(task, system, &err, &first, &last, &layout, line.data(), static_cast<int>(line.size()));
    if (err < 0 || err > 10 || first < 0 || last > 80 || first > last) std::abort();
    return 0;
}
