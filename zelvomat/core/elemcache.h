// Shared state of the yearly osculating-element files el<YYYY> and ad<YYYY>.
#pragma once

#include <array>
#include <cstdint>

namespace zelvomat {

struct ElementCache {
    std::int32_t record_length = 2240;
    std::int32_t ad_year = 0;        // package-year index of the open ad file; 0 none
    std::int32_t el_year = 0;        // package-year index of the open el file; 0 none
    std::int32_t buffer_record = 0;  // record number held in the buffer; 0 none
    std::array<std::int32_t, 5> values{};  // settings record 8
};
ElementCache& element_cache();

}  // namespace zelvomat
