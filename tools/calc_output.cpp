#include "tools/calc_output.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

#include "core/number_text.h"

namespace calc {

namespace {

// The window's captions of the four sections.
constexpr const char* kCaptions[4] = {"Videolänge", "Audiodatenrate", "Videodatenrate",
                                      "Max. Datengröße"};

std::string Number(int64_t value, bool group) {
    char text[kFormatNumberBufferSize];
    return FormatNumber(value, text, group);
}

std::string Bytes(int64_t value) {
    return Number(value, true) + " Byte";
}

// Two-digit fields as the time edits show them, with a sign in front of a
// negative duration instead of the edits' 32-bit wrap.
std::string Duration(const FilmModel& m) {
    auto field = [](int64_t v) {
        char text[24];
        std::snprintf(text, sizeof text, "%02llu",
                      static_cast<unsigned long long>(v < 0 ? 0 - static_cast<uint64_t>(v) : v));
        return std::string(text);
    };
    return std::string(m.totalSeconds < 0 ? "-" : "").append(field(m.hours)) + ":" +
           field(m.minutes) + ":" + field(m.seconds);
}

// The quantities solved, in order.
std::vector<int> Solved(const Calculation& c) {
    std::vector<int> solved;
    if (c.outcome.solved >= 0) solved.push_back(c.outcome.solved);
    if (c.outcome.changedSolvedAgain && c.changed != c.outcome.solved) solved.push_back(c.changed);
    return solved;
}

// UTF-8 characters, for the column.
std::size_t Width(const std::string& s) {
    std::size_t n = 0;
    for (const char ch : s)
        n += (static_cast<unsigned char>(ch) & 0xC0) != 0x80;
    return n;
}

// `decimals` places with `point`, trailing zeros dropped when `trim`.
std::string Decimal(double v, int decimals, char point, bool trim) {
    char text[48];
    std::snprintf(text, sizeof text, "%.*f", decimals, v);
    std::string s = text;
    if (trim) {
        while (s.back() == '0')
            s.pop_back();
        if (s.back() == '.') s.pop_back();
    }
    if (const std::size_t at = s.find('.'); at != s.npos) s[at] = point;
    return s;
}

bool HasPicture(const media::FilmFacts& f) {
    return f.hasVideo && f.width > 0 && f.height > 0;
}

// The video rate in bits per second over the pixels per second.
std::optional<double> BitsPerPixel(const FilmModel& m, const media::FilmFacts& f) {
    if (!HasPicture(f) || f.fps <= 0) return std::nullopt;
    return static_cast<double>(m.videoRate) * 1024 / (double{1} * f.width * f.height * f.fps);
}

// The length of the UTF-8 sequence at `i`, 0 when there is none: overlong
// forms, surrogates and code points beyond U+10FFFF are none.
std::size_t Utf8Length(const std::string& s, std::size_t i) {
    const auto at = [&](std::size_t k) { return static_cast<unsigned char>(s[i + k]); };
    const unsigned char c = at(0);
    const std::size_t n = c < 0x80                 ? 1
                          : c >= 0xC2 && c <= 0xDF ? 2
                          : c >= 0xE0 && c <= 0xEF ? 3
                          : c >= 0xF0 && c <= 0xF4 ? 4
                                                   : 0;
    if (n == 0 || i + n > s.size()) return 0;
    for (std::size_t k = 1; k < n; ++k) {
        if ((at(k) & 0xC0) != 0x80) return 0;
    }
    if ((c == 0xE0 && at(1) < 0xA0) || (c == 0xED && at(1) > 0x9F) || (c == 0xF0 && at(1) < 0x90) ||
        (c == 0xF4 && at(1) > 0x8F))
        return 0;
    return n;
}

// A JSON string; bytes that are not UTF-8 (a name from another system's
// code page) become U+FFFD.
std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t n = Utf8Length(text, i);
        const auto c = static_cast<unsigned char>(text[i]);
        if (n == 0) {
            out += "\\ufffd";
        } else if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out.append(text, i, n);
        }
        i += n > 0 ? n : 1;
    }
    return out + "\"";
}

std::string JsonNumber(bool known, const std::string& number) {
    return known ? number : "null";
}

}  // namespace

std::string FormatText(const Calculation& c, const FilmSource* source) {
    const FilmModel& m = c.model;
    std::string solved;
    for (const int q : Solved(c))
        solved += (solved.empty() ? "" : ", ") + std::string(kCaptions[q]);
    std::vector<std::pair<std::string, std::string>> rows = {
        {kCaptions[Time], Duration(m) + " (" + Number(m.totalMinutes, true) + " Minuten)"},
        {kCaptions[Audio], Number(m.audioRate, false) + " kBits/s" + (c.audioOff ? " (Aus)" : "")},
        {kCaptions[Video], Number(m.videoRate, false) + " kBits/s"},
        {kCaptions[Size], Bytes(m.sizeBytes)},
        {"CDs", Number(m.parts, false)},
        {"Headerdaten", Bytes(m.headerBytes)},
        {"Audiodaten", Bytes(m.AudioBytes())},
        {"Videodaten", Bytes(m.VideoBytes())},
        {"Gesamtdaten", Bytes(m.TotalBytes())},
        {"Audio für Encoder", Number(m.audioRate * 1024, false) + " bit/s"},
        {"Video für Encoder", Number(m.videoRate * 1024, false) + " bit/s"},
        {"Berechnet", solved},
        {"Status", m.Validity() == kStateFaulty ? "Fehlerhaft" : "Geprüft"},
    };
    if (source != nullptr) {
        const media::FilmFacts& f = source->facts;
        if (f.hasVideo) {
            const std::optional<double> bits = BitsPerPixel(m, f);
            const auto encoder = std::find_if(rows.begin(), rows.end(), [](const auto& row) {
                return row.first == "Video für Encoder";
            });
            rows.insert(encoder + 1,
                        {"Bits pro Pixel", bits ? Decimal(*bits, 2, ',', false) : "unbekannt"});
        }
        const char* sound = !f.hasVideo ? " (nur Ton)" : !f.hasAudio ? " (ohne Ton)" : "";
        std::vector<std::pair<std::string, std::string>> head = {
            {"Quelle", media::PrintableName(source->file) + sound}};
        if (f.hasVideo) {
            head.emplace_back("Bildgröße", HasPicture(f) ? std::to_string(f.width) + " × " +
                                                               std::to_string(f.height)
                                                         : "unbekannt");
            head.emplace_back("Bildrate",
                              f.fps > 0 ? Decimal(f.fps, 3, ',', true) + " Bilder/s" : "unbekannt");
        }
        rows.insert(rows.begin(), head.begin(), head.end());
    }
    std::string out;
    for (const auto& [caption, value] : rows) {
        std::string line = caption + ":";
        line.append(20 - Width(line), ' ');
        out += line + value + "\n";
    }
    return out;
}

std::string FormatJson(const Calculation& c, const FilmSource* source) {
    const FilmModel& m = c.model;
    const std::pair<const char*, int64_t> numbers[] = {
        {"duration_seconds", m.totalSeconds},
        {"audio_kbit_s", m.audioRate},
        {"video_kbit_s", m.videoRate},
        {"size_bytes", m.sizeBytes},
        {"parts", m.parts},
        {"header_bytes", m.headerBytes},
        {"audio_bytes", m.AudioBytes()},
        {"video_bytes", m.VideoBytes()},
        {"total_bytes", m.TotalBytes()},
        {"audio_bit_s", m.audioRate * 1024},
        {"video_bit_s", m.videoRate * 1024},
    };
    std::string out = "{";
    for (const auto& [key, value] : numbers)
        out += std::string("\"").append(key) + "\":" + Number(value, false) + ",";
    out += std::string("\"audio_off\":") + (c.audioOff ? "true" : "false") + ",\"solved\":[";
    const std::vector<int> solved = Solved(c);
    for (std::size_t i = 0; i < solved.size(); ++i)
        out += (i ? ",\"" : "\"") + std::string(QuantityName(solved[i])) + "\"";
    out += std::string("],\"state\":\"") + (m.Validity() == kStateFaulty ? "faulty" : "checked") +
           "\"";
    if (source != nullptr) {
        const media::FilmFacts& f = source->facts;
        const std::optional<double> bits = BitsPerPixel(m, f);
        out += ",\"source\":{\"file\":" + JsonString(source->file) +
               ",\"duration_seconds\":" + Number(f.durationSeconds, false) +
               ",\"width\":" + JsonNumber(HasPicture(f), std::to_string(f.width)) +
               ",\"height\":" + JsonNumber(HasPicture(f), std::to_string(f.height)) +
               ",\"fps\":" + JsonNumber(f.hasVideo && f.fps > 0, Decimal(f.fps, 3, '.', true)) +
               ",\"audio\":" + (f.hasAudio ? "true" : "false") + "},\"bits_per_pixel\":" +
               JsonNumber(bits.has_value(), Decimal(bits.value_or(0), 2, '.', false));
    }
    return out + "}\n";
}

std::string JsonText(const std::string& text) {
    return JsonString(text);
}

}  // namespace calc
