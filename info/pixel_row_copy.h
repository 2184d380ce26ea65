// The end of a row copy shared by the vector kernels: fewer than 16 bytes,
// moved as two overlapping words where they fit, so that no byte outside
// [0, n) is touched. Internal to the kernels.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace pixel_detail {

inline void CopyShortRow(uint8_t* d, const uint8_t* s, size_t n) {
    if (n >= 8) {
        uint64_t a, b;
        std::memcpy(&a, s, 8);
        std::memcpy(&b, s + n - 8, 8);
        std::memcpy(d, &a, 8);
        std::memcpy(d + n - 8, &b, 8);
    } else if (n >= 4) {
        uint32_t a, b;
        std::memcpy(&a, s, 4);
        std::memcpy(&b, s + n - 4, 4);
        std::memcpy(d, &a, 4);
        std::memcpy(d + n - 4, &b, 4);
    } else {
        for (size_t i = 0; i < n; ++i)
            d[i] = s[i];
    }
}

}  // namespace pixel_detail
