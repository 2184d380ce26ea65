// Drives a fuzz entry point without libFuzzer: a fixed-seed stream of random
// inputs of random length, biased toward printable text, so every build runs
// the same bounded set.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

int main(int argc, char** argv) {
    const long runs = argc > 1 ? std::strtol(argv[1], nullptr, 10) : 10000;
    std::mt19937_64 rng(20261207);
    std::vector<uint8_t> input;
    for (long i = 0; i < runs; ++i) {
        const size_t size = rng() % (i % 16 == 0 ? 4096 : 256);
        input.resize(size);
        const bool text = rng() % 2 == 0;
        for (auto& b : input) {
            b = text ? static_cast<uint8_t>(" \n-0123456789abcdefABCDEF[]\\\"=:,;"[rng() % 33])
                     : static_cast<uint8_t>(rng());
        }
        LLVMFuzzerTestOneInput(input.data(), input.size());
    }
    return 0;
}
