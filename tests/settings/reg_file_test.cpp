#include "settings/reg_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace settings;

namespace {

constexpr char kKey[] = "HKEY_CURRENT_USER\\Software\\Orvanholt\\Tessarin";

std::vector<std::uint8_t> Bytes(std::initializer_list<int> b) {
    std::vector<std::uint8_t> v;
    for (int x : b)
        v.push_back(static_cast<std::uint8_t>(x));
    return v;
}

const RegValue* Lookup(const RegFile& f, std::string_view key, std::string_view name) {
    const RegSection* s = f.Find(key);
    return s ? s->Find(name) : nullptr;
}

std::string Utf16(std::string_view ascii) {
    std::string out = "\xFF\xFE";
    for (char c : ascii) {
        out += c;
        out += '\0';
    }
    return out;
}

struct FormCase {
    const char* what;
    std::string text;
    const char* name;
    ValueForm form;
    RegType type;
    std::vector<std::uint8_t> data;
};

TEST(RegFileTest, ReadsEveryAcceptedForm) {
    const std::string head = std::string("REGEDIT4\n\n[") + kKey + "]\n";
    const FormCase cases[] = {
        {"dword", head + "\"A\"=dword:0000001a\n", "A", ValueForm::kDword, kRegDword,
         Bytes({0x1a, 0, 0, 0})},
        {"short upper-case dword", head + "\"A\"=DWORD:1A2b\n", "A", ValueForm::kDword, kRegDword,
         Bytes({0x2b, 0x1a, 0, 0})},
        {"binary", head + "\"A\"=hex:18,15,00\n", "A", ValueForm::kHex, kRegBinary,
         Bytes({0x18, 0x15, 0})},
        {"blanks and trailing comma", head + "\"A\"= hex: 01 , 02,\n", "A", ValueForm::kHex,
         kRegBinary, Bytes({1, 2})},
        {"continuation lines", head + "\"A\"=hex:01,02,\\\n  03,\\\n  04\n", "A", ValueForm::kHex,
         kRegBinary, Bytes({1, 2, 3, 4})},
        {"empty binary", head + "\"A\"=hex:\n", "A", ValueForm::kHex, kRegBinary, {}},
        {"typed hex", head + "\"A\"=hex(b):01,00,00,00,00,00,00,00\n", "A", ValueForm::kHex,
         kRegQword, Bytes({1, 0, 0, 0, 0, 0, 0, 0})},
        {"hex(0)", head + "\"A\"=hex(0):05\n", "A", ValueForm::kHex, kRegNone, Bytes({5})},
        {"string with escapes", head + "\"A\\\"b\"=\"C:\\\\x \\\"q\\\"\"\n", "A\"b",
         ValueForm::kString, kRegSz, Bytes({'C', ':', '\\', 'x', ' ', '"', 'q', '"'})},
        {"default value", head + "@=\"d\"\n", "", ValueForm::kString, kRegSz, Bytes({'d'})},
        {"deleted value", head + "\"A\"=-\n", "A", ValueForm::kDelete, kRegNone, {}},
        {"names ignore case", head + "\"a\"=hex:07\n", "A", ValueForm::kHex, kRegBinary,
         Bytes({7})},
        {"version 5 header, CR LF, comments, blank lines",
         std::string("; exported\r\nWindows Registry Editor Version 5.00\r\n\r\n  ; note\r\n[") +
             kKey + "]\r\n\r\n; before\r\n\"A\"=hex:01,\\\r\n  02\r\n",
         "A", ValueForm::kHex, kRegBinary, Bytes({1, 2})},
        {"UTF-8 byte order mark", "\xEF\xBB\xBF" + head + "\"A\"=hex:09\n", "A", ValueForm::kHex,
         kRegBinary, Bytes({9})},
        {"UTF-16LE with byte order mark",
         Utf16(std::string("Windows Registry Editor Version 5.00\r\n\r\n[") + kKey +
               "]\r\n\"A\"=dword:00000002\r\n"),
         "A", ValueForm::kDword, kRegDword, Bytes({2, 0, 0, 0})},
        {"no final line end", head + "\"A\"=hex:03", "A", ValueForm::kHex, kRegBinary, Bytes({3})},
    };
    for (const FormCase& c : cases) {
        SCOPED_TRACE(c.what);
        const RegParseResult r = ParseRegFile(c.text);
        EXPECT_FALSE(r.Damaged()) << r.firstError << " at line " << r.firstErrorLine;
        const RegValue* v = Lookup(r.file, kKey, c.name);
        ASSERT_NE(v, nullptr);
        EXPECT_EQ(v->form, c.form);
        EXPECT_EQ(v->type, c.type);
        EXPECT_EQ(v->data, c.data);
        // What is read is written so that it reads back the same.
        const RegParseResult again = ParseRegFile(WriteRegFile(r.file));
        EXPECT_FALSE(again.Damaged()) << again.firstError;
        EXPECT_EQ(again.file, r.file);
    }
}

// Damaged files: the bad lines are dropped and counted, the value "Good"
// around them is still read.
TEST(RegFileTest, DamagedFilesKeepTheirReadableValues) {
    const std::string key = std::string("[") + kKey + "]\n";
    const std::string good = "\"Good\"=hex:2a\n";
    const std::string head = "REGEDIT4\n" + key + good;
    const struct {
        const char* what;
        std::string text;
        int errors;
    } cases[] = {
        {"no header", key + good, 1},
        {"other header", "REGEDIT5\n" + key + good, 1},
        {"truncated inside a continuation", head + "\"B\"=hex:01,\\\n", 1},
        {"truncated inside a string", head + "\"B\"=\"abc", 1},
        {"bad hex digit", head + "\"B\"=hex:0g\n", 1},
        {"odd number of digits", head + "\"B\"=hex:012\n", 1},
        {"single digit", head + "\"B\"=hex:1,02\n", 1},
        {"missing commas", head + "\"B\"=hex:0102\n", 1},
        {"bad dword", head + "\"B\"=dword:123456789\n", 1},
        {"unknown type", head + "\"B\"=qword:01\n", 1},
        {"bad hex type", head + "\"B\"=hex(zz):01\n", 1},
        {"unknown escape", head + "\"B\"=\"a\\tb\"\n", 1},
        {"text after a string", head + "\"B\"=\"a\" x\n", 1},
        {"missing '='", head + "\"B\" hex:01\n", 1},
        {"binary garbage", head + std::string("\x01\x02\xff\0\x7f garbage\n", 14), 1},
        {"value before any key", "REGEDIT4\n\"B\"=hex:01\n" + key + good, 1},
        {"bad key line drops its values", head + "[HKEY_CURRENT_USER\\X\n\"B\"=hex:01\n", 1},
        {"duplicate name: the last one wins", "REGEDIT4\n" + key + "\"Good\"=hex:01\n" + good, 1},
        {"empty file", "", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const RegParseResult r = ParseRegFile(c.text);
        EXPECT_EQ(r.errorCount, c.errors) << r.firstError;
        if (c.text.empty()) continue;
        const RegValue* v = Lookup(r.file, kKey, "Good");
        ASSERT_NE(v, nullptr);
        EXPECT_EQ(v->data, Bytes({0x2a}));
        EXPECT_EQ(Lookup(r.file, kKey, "B"), nullptr);
        EXPECT_EQ(Lookup(r.file, "HKEY_CURRENT_USER\\X", "B"), nullptr);
    }
}

TEST(RegFileTest, RepeatedKeysAreMergedAndNewKeysJoinTheirParent) {
    RegParseResult r = ParseRegFile(
        "REGEDIT4\n[HKEY_CURRENT_USER\\A]\n\"x\"=hex:01\n[HKEY_CURRENT_USER\\B]\n"
        "[hkey_current_user\\a]\n\"y\"=hex:02\n");
    EXPECT_FALSE(r.Damaged());
    ASSERT_EQ(r.file.sections.size(), 2u);
    EXPECT_EQ(r.file.sections[0].values.size(), 2u);
    r.file.Ensure("HKEY_CURRENT_USER\\A\\Sub");
    EXPECT_EQ(r.file.sections[1].path, "HKEY_CURRENT_USER\\A\\Sub");
    EXPECT_TRUE(r.file.KeyExists("HKEY_CURRENT_USER\\a"));
    EXPECT_TRUE(r.file.KeyExists("HKEY_CURRENT_USER"));
    EXPECT_FALSE(r.file.KeyExists("HKEY_CURRENT_USER\\A\\S"));
}

TEST(RegFileTest, LongValuesAreWrappedAndReadBack) {
    RegFile f;
    RegValue v;
    v.name = "Long";
    for (int i = 0; i < 300; ++i)
        v.data.push_back(static_cast<std::uint8_t>(i));
    f.Ensure(kKey).Set(v);
    const std::string text = WriteRegFile(f);
    std::size_t start = 0, lines = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        EXPECT_LE(end - start, 80u);
        start = end + 1;
        ++lines;
    }
    EXPECT_GT(lines, 10u);
    const RegParseResult r = ParseRegFile(text);
    EXPECT_FALSE(r.Damaged());
    EXPECT_EQ(r.file, f);
}

TEST(RegFileTest, OneMegabyteLines) {
    // A single line of almost 1 MiB of hex is a valid value...
    std::string text = std::string("REGEDIT4\n[") + kKey + "]\n\"Big\"=hex:";
    const std::size_t count = 340000;
    for (std::size_t i = 0; i < count; ++i)
        text += i + 1 < count ? "ab," : "ab";
    RegParseResult r = ParseRegFile(text);
    EXPECT_FALSE(r.Damaged());
    ASSERT_NE(Lookup(r.file, kKey, "Big"), nullptr);
    EXPECT_EQ(Lookup(r.file, kKey, "Big")->data.size(), count);
    // ...and a line of 1 MiB of junk is one bad line.
    r = ParseRegFile(std::string("REGEDIT4\n") + std::string(1 << 20, 'x') + "\n");
    EXPECT_EQ(r.errorCount, 1);
}

// A file of the largest size read, holding as many keys or as many values as
// fit, is parsed at once (lookups by name must not grow with the count).
TEST(RegFileTest, ManyKeysAndValues) {
    std::string keys = "REGEDIT4\n", values = "REGEDIT4\n[K]\n";
    for (int i = 0; keys.size() < kMaxRegFileBytes - 16; ++i)
        keys += "[K" + std::to_string(i) + "]\n";
    for (int i = 0; values.size() < kMaxRegFileBytes - 16; ++i)
        values += "\"v" + std::to_string(i) + "\"=-\n";
    const RegParseResult k = ParseRegFile(keys);
    EXPECT_FALSE(k.Damaged());
    EXPECT_GT(k.file.sections.size(), 100000u);
    const RegParseResult v = ParseRegFile(values);
    EXPECT_FALSE(v.Damaged());
    ASSERT_EQ(v.file.sections.size(), 1u);
    EXPECT_GT(v.file.sections[0].values.size(), 90000u);
}

}  // namespace
