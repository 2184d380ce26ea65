// Feeds arbitrary text to the number parser and arbitrary values to the
// formatter: nothing may crash or overflow, a parsed value must format and
// parse back to itself, and the grouped text must be the plain text with
// separators.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "core/number_text.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

void CheckValue(int64_t v) {
    char plain[kFormatNumberBufferSize];
    char grouped[kFormatNumberBufferSize];
    FormatNumber(v, plain, false);
    FormatNumber(v, grouped, true);
    Check(std::strlen(plain) <= 20 && std::strlen(grouped) <= 26);

    int64_t back = 0;
    Check(ParseNumber(plain, &back));
    Check(back == v);
    // Grouped text is not accepted as input, except when it has no separator.
    const bool hasSeparator = std::strchr(grouped, '.') != nullptr;
    Check(ParseNumber(grouped, &back) == !hasSeparator);

    std::size_t j = 0;
    for (const char* p = grouped; *p != '\0'; ++p) {
        if (*p != '.') Check(*p == plain[j++]);
    }
    Check(plain[j] == '\0');
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    constexpr int64_t kUntouched = 0x1234;
    int64_t value = kUntouched;
    if (ParseNumber(text, &value)) {
        CheckValue(value);
    } else {
        Check(value == kUntouched);
    }
    if (size >= sizeof(int64_t)) {
        int64_t raw = 0;
        std::memcpy(&raw, data, sizeof raw);
        CheckValue(raw);
    }
    return 0;
}
