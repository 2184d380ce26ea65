#include "settings/reg_file.h"

#include <algorithm>
#include <unordered_map>
#include <utility>

namespace settings {

namespace {

char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view TrimLeft(std::string_view s) {
    while (!s.empty() && IsBlank(s.front()))
        s.remove_prefix(1);
    return s;
}

std::string_view TrimRight(std::string_view s) {
    while (!s.empty() && IsBlank(s.back()))
        s.remove_suffix(1);
    return s;
}

std::string_view Trim(std::string_view s) {
    return TrimLeft(TrimRight(s));
}

std::string Folded(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = Lower(c);
    return out;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && NamesEqual(s.substr(0, prefix.size()), prefix);
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = Lower(c);
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Parses 1 to 8 hex digits that make up the whole of `s`.
bool ParseHex32(std::string_view s, std::uint32_t* out) {
    if (s.empty() || s.size() > 8) return false;
    std::uint32_t v = 0;
    for (char c : s) {
        const int d = HexDigit(c);
        if (d < 0) return false;
        v = v << 4 | static_cast<std::uint32_t>(d);
    }
    *out = v;
    return true;
}

void AppendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | cp >> 6);
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | cp >> 12);
        out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | cp >> 18);
        out += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Text of a UTF-16LE file (after its byte order mark) as UTF-8. Unpaired
// surrogates become U+FFFD and a trailing odd byte is dropped; both count.
std::string Utf16LeToUtf8(std::string_view bytes, int* errors) {
    std::string out;
    out.reserve(bytes.size() / 2);
    const std::size_t units = bytes.size() / 2;
    auto unit = [&](std::size_t i) {
        return static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[2 * i]) |
                                          static_cast<std::uint8_t>(bytes[2 * i + 1]) << 8);
    };
    for (std::size_t i = 0; i < units; ++i) {
        std::uint32_t cp = unit(i);
        if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < units && unit(i + 1) >= 0xDC00 &&
            unit(i + 1) < 0xE000) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (unit(i + 1) - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp < 0xE000) {
            cp = 0xFFFD;
            ++*errors;
        }
        AppendUtf8(out, cp);
    }
    if (bytes.size() % 2 != 0) ++*errors;
    return out;
}

// Reads a quoted name or string starting at s[*pos] == '"'; only \\ and \" are
// escapes. Leaves *pos after the closing quote.
bool ParseQuoted(std::string_view s, std::size_t* pos, std::string* out) {
    std::size_t i = *pos + 1;
    out->clear();
    while (i < s.size()) {
        const char c = s[i];
        if (c == '"') {
            *pos = i + 1;
            return true;
        }
        if (c == '\\') {
            if (i + 1 >= s.size() || (s[i + 1] != '\\' && s[i + 1] != '"')) return false;
            *out += s[i + 1];
            i += 2;
            continue;
        }
        *out += c;
        ++i;
    }
    return false;
}

// Comma-separated two-digit hex bytes; blanks around them and one trailing
// comma are allowed.
bool ParseHexBytes(std::string_view s, std::vector<std::uint8_t>* out) {
    out->clear();
    s = Trim(s);
    while (!s.empty()) {
        if (s.size() < 2) return false;
        const int hi = HexDigit(s[0]);
        const int lo = HexDigit(s[1]);
        if (hi < 0 || lo < 0) return false;
        out->push_back(static_cast<std::uint8_t>(hi << 4 | lo));
        s = TrimLeft(s.substr(2));
        if (s.empty()) break;
        if (s.front() != ',') return false;
        s = TrimLeft(s.substr(1));
    }
    return true;
}

// One logical value line (continuations joined). Returns an error text or
// nullptr.
const char* ParseValueLine(std::string_view line, RegValue* v) {
    std::size_t pos = 0;
    if (line[0] == '@') {
        v->name.clear();
        pos = 1;
    } else if (!ParseQuoted(line, &pos, &v->name)) {
        return "bad value name";
    }
    std::string_view rest = TrimLeft(line.substr(pos));
    if (rest.empty() || rest.front() != '=') return "missing '='";
    rest = Trim(rest.substr(1));

    v->data.clear();
    if (!rest.empty() && rest.front() == '"') {
        std::string text;
        std::size_t p = 0;
        if (!ParseQuoted(rest, &p, &text) || !Trim(rest.substr(p)).empty()) return "bad string";
        v->form = ValueForm::kString;
        v->type = kRegSz;
        v->data.assign(text.begin(), text.end());
        return nullptr;
    }
    if (rest == "-") {
        v->form = ValueForm::kDelete;
        v->type = kRegNone;
        return nullptr;
    }
    if (StartsWithNoCase(rest, "dword:")) {
        std::uint32_t d = 0;
        if (!ParseHex32(rest.substr(6), &d)) return "bad dword";
        v->form = ValueForm::kDword;
        v->type = kRegDword;
        for (int i = 0; i < 4; ++i)
            v->data.push_back(static_cast<std::uint8_t>(d >> (8 * i)));
        return nullptr;
    }
    if (StartsWithNoCase(rest, "hex")) {
        rest.remove_prefix(3);
        RegType type = kRegBinary;
        if (!rest.empty() && rest.front() == '(') {
            const std::size_t close = rest.find(')');
            if (close == std::string_view::npos || !ParseHex32(rest.substr(1, close - 1), &type))
                return "bad hex type";
            rest.remove_prefix(close + 1);
        }
        if (rest.empty() || rest.front() != ':') return "missing ':' after hex";
        if (!ParseHexBytes(rest.substr(1), &v->data)) return "bad hex data";
        v->form = ValueForm::kHex;
        v->type = type;
        return nullptr;
    }
    return "unknown value form";
}

bool HasControlChar(std::string_view line) {
    return std::any_of(line.begin(), line.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x20 && c != '\t'; });
}

class Parser {
public:
    explicit Parser(std::string_view text) : text_(text) {}

    RegParseResult Run() {
        bool haveHeader = false;
        while (NextLine()) {
            const std::string_view line = Trim(line_);
            if (line.empty()) continue;
            if (HasControlChar(line)) {
                Error("control character");
                continue;
            }
            if (line.front() == ';') {
                if (section_ < 0) {
                    r_.file.preamble.emplace_back(line);
                } else {
                    RegSection& s = r_.file.sections[static_cast<std::size_t>(section_)];
                    s.comments.push_back({s.values.size(), std::string(line)});
                }
                continue;
            }
            if (!haveHeader) {
                haveHeader = true;
                if (line == kRegHeader4) continue;
                if (line == kRegHeader5) {
                    r_.file.version5 = true;
                    continue;
                }
                Error("missing header");  // still read the keys and values that follow
                if (line.front() != '[' && line.front() != '"' && line.front() != '@') continue;
            }
            if (line.front() == '[') {
                Section(line);
            } else if (line.front() == '"' || line.front() == '@') {
                Value(line);
            } else {
                Error("unknown line");
            }
        }
        if (!haveHeader) Error("missing header");
        return std::move(r_);
    }

private:
    bool NextLine() {
        if (pos_ >= text_.size()) return false;
        std::size_t end = text_.find('\n', pos_);
        if (end == std::string_view::npos) end = text_.size();
        line_ = text_.substr(pos_, end - pos_);
        if (!line_.empty() && line_.back() == '\r') line_.remove_suffix(1);
        pos_ = end + 1;
        ++lineNo_;
        return true;
    }

    void Error(const char* what) {
        if (r_.errorCount++ == 0) {
            r_.firstErrorLine = lineNo_;
            r_.firstError = what;
        }
    }

    void Section(std::string_view line) {
        const std::size_t close = line.rfind(']');
        if (close == std::string_view::npos || close == 1 || close + 1 != line.size()) {
            Error("bad key line");
            section_ = -1;  // its values are dropped, not given to the previous key
            skipping_ = true;
            return;
        }
        skipping_ = false;
        const std::string_view path = line.substr(1, close - 1);
        auto& sections = r_.file.sections;
        const auto [it, added] = sectionIndex_.try_emplace(Folded(path), sections.size());
        if (added) {  // a repeated key is merged into its first section
            sections.push_back({std::string(path), {}, {}});
            valueIndex_.emplace_back();
        }
        section_ = static_cast<int>(it->second);
    }

    void Value(std::string_view first) {
        const int startLine = lineNo_;
        std::string joined;
        std::string_view line = first;
        bool truncated = false;
        while (!line.empty() && line.back() == '\\') {
            joined.append(line.substr(0, line.size() - 1));
            if (!NextLine()) {
                truncated = true;
                break;
            }
            line = Trim(line_);
        }
        if (!joined.empty() || truncated) {
            if (!truncated) joined.append(line);
            line = joined;
        }
        const int endLine = lineNo_;
        lineNo_ = startLine;  // errors name the line the value starts on
        if (truncated) {
            Error("file ends inside a value");
        } else if (HasControlChar(line)) {
            Error("control character");
        } else if (section_ < 0) {
            if (!skipping_) Error("value outside a key");
        } else {
            RegValue v;
            if (const char* err = ParseValueLine(line, &v)) {
                Error(err);
            } else {
                const auto index = static_cast<std::size_t>(section_);
                RegSection& s = r_.file.sections[index];
                const auto [it, added] =
                    valueIndex_[index].try_emplace(Folded(v.name), s.values.size());
                if (added) {
                    s.values.push_back(std::move(v));
                } else {
                    Error("duplicate value");  // the last one wins, as on import
                    s.values[it->second] = std::move(v);
                }
            }
        }
        lineNo_ = endLine;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
    std::string_view line_;
    int lineNo_ = 0;
    int section_ = -1;
    // Lookups by lower-case name, so that a file of many keys or values takes
    // linear time.
    std::unordered_map<std::string, std::size_t> sectionIndex_;
    std::vector<std::unordered_map<std::string, std::size_t>> valueIndex_;
    bool skipping_ = false;
    RegParseResult r_;
};

}  // namespace

RegParseResult ParseRegFile(std::string_view bytes) {
    int encodingErrors = 0;
    std::string decoded;
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        decoded = Utf16LeToUtf8(bytes.substr(2), &encodingErrors);
        bytes = decoded;
    } else if (bytes.size() >= 3 && bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        bytes.remove_prefix(3);
    }
    RegParseResult r = Parser(bytes).Run();
    if (encodingErrors != 0) {
        if (r.errorCount == 0) r.firstError = "bad UTF-16 text";
        r.errorCount += encodingErrors;
    }
    return r;
}

}  // namespace settings
