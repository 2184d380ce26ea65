#include "core/number_text.h"

#include "core/wrap.h"

char* FormatNumber(int64_t value, char* out, bool group) {
    char reversed[kFormatNumberBufferSize];
    std::size_t n = 0;
    // The magnitude as unsigned, so the most negative value keeps its digits.
    uint64_t magnitude = static_cast<uint64_t>(value);
    if (value < 0) magnitude = 0 - magnitude;
    int digits = 0;
    do {
        reversed[n++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
        ++digits;
        if (group && digits % 3 == 0 && magnitude != 0) reversed[n++] = '.';
    } while (magnitude != 0);

    char* p = out;
    if (value < 0) *p++ = '-';
    while (n > 0) *p++ = reversed[--n];
    *p = '\0';
    return out;
}

bool ParseNumber(std::string_view text, int64_t* out) {
    text = text.substr(0, kReadNumberMaxChars);
    bool negative = false;
    if (!text.empty() && text.front() == '-') {
        negative = true;
        text.remove_prefix(1);
    }
    uint64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    const auto signedValue = static_cast<int64_t>(value);
    *out = negative ? wrap::Neg(signedValue) : signedValue;
    return true;
}
