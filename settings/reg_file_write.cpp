#include "settings/reg_file.h"

namespace settings {

namespace {

// Hex data is wrapped so that no line grows beyond 80 columns, as exports do.
constexpr std::size_t kLineWidth = 80;

void AppendQuoted(std::string& out, std::string_view s) {
    out += '"';
    for (char c : s) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    out += '"';
}

void AppendValue(std::string& out, const RegValue& v) {
    static constexpr char kDigits[] = "0123456789abcdef";
    const std::size_t lineStart = out.size();
    if (v.name.empty()) {
        out += '@';
    } else {
        AppendQuoted(out, v.name);
    }
    out += '=';
    switch (v.form) {
        case ValueForm::kString:
            AppendQuoted(
                out, std::string_view(reinterpret_cast<const char*>(v.data.data()), v.data.size()));
            break;
        case ValueForm::kDelete:
            out += '-';
            break;
        case ValueForm::kDword: {
            std::uint32_t d = 0;
            for (std::size_t i = 0; i < 4 && i < v.data.size(); ++i)
                d |= static_cast<std::uint32_t>(v.data[i]) << (8 * i);
            out += "dword:";
            for (int shift = 28; shift >= 0; shift -= 4)
                out += kDigits[d >> shift & 0xF];
            break;
        }
        case ValueForm::kHex: {
            out += "hex";
            if (v.type != kRegBinary) {
                out += '(';
                bool any = false;
                for (int shift = 28; shift >= 0; shift -= 4) {
                    const std::uint32_t digit = v.type >> shift & 0xF;
                    if (digit != 0 || any || shift == 0) {
                        out += kDigits[digit];
                        any = true;
                    }
                }
                out += ')';
            }
            out += ':';
            std::size_t column = out.size() - lineStart;
            for (std::size_t i = 0; i < v.data.size(); ++i) {
                const bool last = i + 1 == v.data.size();
                // "xx" and, unless it is the last byte, "," and the backslash of a
                // continuation must fit into the line.
                if (column + (last ? 2 : 4) > kLineWidth) {
                    out += "\\\n  ";
                    column = 2;
                }
                out += kDigits[v.data[i] >> 4];
                out += kDigits[v.data[i] & 0xF];
                column += 2;
                if (!last) {
                    out += ',';
                    ++column;
                }
            }
            break;
        }
    }
    out += '\n';
}

}  // namespace

std::string WriteRegFile(const RegFile& file) {
    std::string out(file.version5 ? kRegHeader5 : kRegHeader4);
    out += '\n';
    for (const std::string& c : file.preamble) {
        out += c;
        out += '\n';
    }
    for (const RegSection& s : file.sections) {
        out += "\n[";
        out += s.path;
        out += "]\n";
        std::size_t c = 0;
        for (std::size_t i = 0; i <= s.values.size(); ++i) {
            for (;
                 c < s.comments.size() && (s.comments[c].beforeValue <= i || i == s.values.size());
                 ++c) {
                out += s.comments[c].text;
                out += '\n';
            }
            if (i < s.values.size()) AppendValue(out, s.values[i]);
        }
    }
    out += '\n';
    return out;
}

}  // namespace settings
