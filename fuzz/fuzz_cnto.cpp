// Observatory list lines through their check: bytes 0-1 give the row's
// observatory number, the rest is the line.
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
    const int code = (bytes[0] | (bytes[1] << 8)) % 3700;
    const std::string line(reinterpret_cast<const char*>(bytes + 2), size - 2);
    int err = 0, col = 0;
    cnto(code, line.data(), static_cast<int>(line.size()), &err, &col);
    if (err < 0 || err > 10 || col < 0 || col > 79) std::abort();
    return 0;
}
