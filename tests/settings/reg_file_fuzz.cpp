// Any input parses without a crash or unbounded work, and what the parser
// keeps is written so that it reads back the same and without complaint.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "settings/reg_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const settings::RegParseResult first = settings::ParseRegFile(input);
    const std::string written = settings::WriteRegFile(first.file);
    const settings::RegParseResult second = settings::ParseRegFile(written);
    if (second.Damaged() || !(second.file == first.file)) std::abort();
    if (settings::WriteRegFile(second.file) != written) std::abort();
    return 0;
}
