// Two's-complement 64-bit arithmetic that wraps silently, as the film model
// requires, computed through unsigned values so that no operation has
// signed-overflow undefined behaviour.
#pragma once

#include <cstdint>

namespace wrap {

constexpr int64_t Add(int64_t a, int64_t b) {
    return static_cast<int64_t>(static_cast<uint64_t>(a) + static_cast<uint64_t>(b));
}
constexpr int64_t Sub(int64_t a, int64_t b) {
    return static_cast<int64_t>(static_cast<uint64_t>(a) - static_cast<uint64_t>(b));
}
constexpr int64_t Mul(int64_t a, int64_t b) {
    return static_cast<int64_t>(static_cast<uint64_t>(a) * static_cast<uint64_t>(b));
}
constexpr int64_t Neg(int64_t a) { return static_cast<int64_t>(0 - static_cast<uint64_t>(a)); }
constexpr int64_t Shl(int64_t a, int bits) {
    return static_cast<int64_t>(static_cast<uint64_t>(a) << bits);
}
// Truncating division; the one overflowing case (min / -1) wraps to min.
constexpr int64_t Div(int64_t a, int64_t b) {
    return (b == -1) ? Neg(a) : a / b;
}
// The low 32 bits, sign-extended back to 64 bits.
constexpr int64_t Low32(int64_t a) { return static_cast<int32_t>(static_cast<uint32_t>(a)); }

}  // namespace wrap
