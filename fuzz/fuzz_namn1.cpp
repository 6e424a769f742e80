// Object names, numbers and designations through namn1 against a small
// catalogue.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const std::string data = zelfuzz::make_work_dir();
    zeltest::write_small_catalogue(data);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    // namn1 may write the name it found back into the text: an exact-size
    // buffer catches a write past the length given.
    std::vector<char> name(bytes, bytes + size);
    int n = 0;
    namn1(name.data(), static_cast<unsigned>(name.size()), &n);
    return 0;
}
