#include "tools/calc_output.h"

#include <cstdio>
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

}  // namespace

std::string FormatText(const Calculation& c) {
    const FilmModel& m = c.model;
    std::string solved;
    for (const int q : Solved(c))
        solved += (solved.empty() ? "" : ", ") + std::string(kCaptions[q]);
    const std::pair<std::string, std::string> rows[] = {
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
    std::string out;
    for (const auto& [caption, value] : rows) {
        std::string line = caption + ":";
        line.append(20 - Width(line), ' ');
        out += line + value + "\n";
    }
    return out;
}

std::string FormatJson(const Calculation& c) {
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
           "\"}\n";
    return out;
}

}  // namespace calc
