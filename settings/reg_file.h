// The registry editor's export format as a document: a header line, key
// sections "[HKEY_...\Path]" and value lines ("Name"=..., @=...). The parser
// reads both "REGEDIT4" and "Windows Registry Editor Version 5.00" files (UTF-8
// or UTF-16LE with byte order mark, LF or CR LF, comments, blank lines, hex
// continuation lines) and keeps every form it understands, including forms the
// program never uses itself (strings, hex(N), "-" deletions, "[-...]" keys), so
// a read-modify-write keeps a user's own content. Lines it cannot understand
// are dropped and counted; their neighbours are still read.
// The writer emits one canonical form: LF line ends, "dword:" for 4-byte
// dwords, "hex:"/"hex(N):" with lines wrapped by a trailing backslash.
// This file does no input or output.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "settings/registry.h"

namespace settings {

// Files above this size are not read at all.
inline constexpr std::size_t kMaxRegFileBytes = 1024 * 1024;
// The header lines of the two versions of the format.
inline constexpr std::string_view kRegHeader4 = "REGEDIT4";
inline constexpr std::string_view kRegHeader5 = "Windows Registry Editor Version 5.00";

enum class ValueForm : std::uint8_t {
    kString,  // "text": data holds the text without escapes and without NUL
    kDword,   // dword:0000001a: data holds 4 bytes, little-endian
    kHex,     // hex:.. or hex(N):..: data holds the bytes
    kDelete,  // "Name"=- in an import file; kept, but reads as missing
};

struct RegValue {
    std::string name;  // empty for the default value "@"
    ValueForm form = ValueForm::kHex;
    RegType type = kRegBinary;
    std::vector<std::uint8_t> data;

    // The bytes a registry query returns: strings get their terminating NUL.
    std::vector<std::uint8_t> QueryBytes() const;
    bool operator==(const RegValue&) const = default;
};

struct RegComment {
    std::size_t beforeValue;  // index of the value the comment line precedes
    std::string text;         // the whole line, starting with ';'
    bool operator==(const RegComment&) const = default;
};

struct RegSection {
    std::string path;  // as written between the brackets, e.g. HKEY_CURRENT_USER\Software
    std::vector<RegValue> values;
    std::vector<RegComment> comments;

    RegValue* Find(std::string_view name);
    const RegValue* Find(std::string_view name) const;
    // Replaces the value of that name in place, or appends it.
    void Set(RegValue value);
    bool operator==(const RegSection&) const = default;
};

struct RegFile {
    bool version5 = false;              // header "Windows Registry Editor Version 5.00"
    std::vector<std::string> preamble;  // comment lines before the first section
    std::vector<RegSection> sections;

    RegSection* Find(std::string_view path);
    const RegSection* Find(std::string_view path) const;
    // True when `path` is a section or the parent of one.
    bool KeyExists(std::string_view path) const;
    // Finds the section or adds it after the last section of its parent's
    // subtree (or at the end).
    RegSection& Ensure(std::string_view path);
    bool operator==(const RegFile&) const = default;
};

struct RegParseResult {
    RegFile file;
    int errorCount = 0;  // lines dropped, duplicates merged, bad header...
    int firstErrorLine = 0;
    std::string firstError;
    bool Damaged() const { return errorCount != 0; }
};

RegParseResult ParseRegFile(std::string_view bytes);
std::string WriteRegFile(const RegFile& file);

// ASCII case-insensitive equality, as the registry compares names.
bool NamesEqual(std::string_view a, std::string_view b);

}  // namespace settings
