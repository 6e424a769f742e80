// Date texts through the three date readers.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "tasks/inpdat.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(bytes), size);
    double v = 0;
    bool flag = false;
    zelvomat::Inpdat1(text, v, flag);
    if (!flag && !std::isfinite(v)) std::abort();
    v = 0;
    zelvomat::Inpdat(text, v, flag);
    if (flag && !std::isfinite(v)) std::abort();
    std::int32_t err = 0;
    v = 0;
    zelvomat::Inpdat2(text, v, err);
    if (err == 0 && !std::isfinite(v)) std::abort();
    return 0;
}
