// Shared state of the planetary ephemeris file.
#pragma once

#include <cstdint>

namespace zelvomat {

struct DeState {
    double first_jd = 0.0;   // span of the file, from settings record 6
    double last_jd = 0.0;
    std::int32_t record_held = 0;  // number of the data record held; 0 none
};
DeState& de_state();

}  // namespace zelvomat
