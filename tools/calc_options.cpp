#include "tools/calc_options.h"

#include <algorithm>
#include <limits>
#include <utility>
#include <vector>

namespace calc {

namespace {

constexpr const char* kQuantityNames[4] = {"time", "audio", "video", "size"};

// The argument as the message shows it: quoted, long ones cut.
std::string Quoted(std::string_view text) {
    constexpr std::size_t kShown = 40;
    if (text.size() <= kShown) return std::string("'").append(text) + "'";
    return std::string("'").append(text.substr(0, kShown)) + "...'";
}

std::string NumberError(std::string_view option, std::string_view text) {
    int64_t ignored = 0;
    bool digitsOnly = !text.empty();
    for (std::size_t i = (text.size() > 1 && text[0] == '-') ? 1 : 0; i < text.size(); ++i)
        digitsOnly = digitsOnly && text[i] >= '0' && text[i] <= '9';
    if (digitsOnly && !ParseWholeNumber(text, &ignored))
        return std::string(option) + " " + Quoted(text) + ": does not fit in 64 bits";
    return std::string(option) + " " + Quoted(text) + ": not a whole number";
}

std::vector<std::string_view> Split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    while (true) {
        const std::size_t at = text.find(separator);
        parts.push_back(text.substr(0, at));
        if (at == std::string_view::npos) return parts;
        text.remove_prefix(at + 1);
    }
}

// Each reader returns an error text, empty on success.
std::string ReadNumber(std::string_view option, std::string_view text, int64_t* out) {
    return ParseWholeNumber(text, out) ? std::string() : NumberError(option, text);
}

std::string ReadDuration(std::string_view text, DurationArg* out) {
    const std::vector<std::string_view> fields = Split(text, ':');
    if (fields.size() == 1) return ReadNumber("--duration", text, &out->totalSeconds);
    if (fields.size() != 3) return "--duration " + Quoted(text) + ": use H:MM:SS or seconds";
    out->fields = true;
    int64_t* targets[3] = {&out->hours, &out->minutes, &out->seconds};
    for (int i = 0; i < 3; ++i) {
        if (!ParseWholeNumber(fields[i], targets[i])) return NumberError("--duration", fields[i]);
    }
    return {};
}

std::string ReadSize(std::string_view text, int64_t* out) {
    int shift = 20;  // MByte, the window's unit at first
    std::string_view digits = text;
    if (!text.empty()) {
        const char unit = text.back();
        const struct {
            char letter;
            int shift;
        } units[] = {{'G', 30}, {'g', 30}, {'M', 20}, {'m', 20},
                     {'K', 10}, {'k', 10}, {'B', 0},  {'b', 0}};
        for (const auto& u : units) {
            if (unit == u.letter) {
                shift = u.shift;
                digits.remove_suffix(1);
            }
        }
        if (digits.size() == text.size() && (unit < '0' || unit > '9'))
            return "--size " + Quoted(text) + ": the unit must be G, M, K or B";
    }
    int64_t amount = 0;
    if (!ParseWholeNumber(digits, &amount)) return NumberError("--size", text);
    if (__builtin_mul_overflow(amount, int64_t{1} << shift, out))
        return "--size " + Quoted(text) + ": does not fit in 64 bits";
    return {};
}

std::string ReadLocks(std::string_view text, LockStates* out) {
    *out = {};
    if (text == "none") return {};
    for (const std::string_view name : Split(text, ',')) {
        const int q = QuantityByName(name);
        if (q < 0) {
            return "--lock " + Quoted(text) + ": " + Quoted(name) +
                   " is not time, audio, video or size";
        }
        (*out)[static_cast<std::size_t>(q)] = true;
    }
    return {};
}

std::string ReadCdSize(std::string_view text, int* index) {
    const std::string_view names[] = {"650", "700", "800"};
    for (int i = 0; i < 3; ++i) {
        if (text == names[i]) {
            *index = i;
            return {};
        }
    }
    return "--cd-size " + Quoted(text) + ": must be 650, 700 or 800";
}

// The index of `text` among `names`, or an error naming them all.
std::string ReadChoice(std::string_view option, std::string_view text,
                       std::span<const std::string_view> names, int* index) {
    std::string list;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (text == names[i]) {
            *index = static_cast<int>(i);
            return {};
        }
        list += (list.empty() ? "" : ", ") + std::string(names[i]);
    }
    return std::string(option) + " " + Quoted(text) + ": must be one of " + list;
}

std::vector<std::string_view> MediumNames() {
    std::vector<std::string_view> names;
    for (const Medium& m : kMedia)
        names.push_back(m.name);
    return names;
}

// As the encode job orders its codecs.
constexpr std::string_view kVideoCodecs[] = {"h264", "h265", "vp9"};
constexpr std::string_view kAudioCodecs[] = {"aac", "opus", "mp3"};

// The options that only --encode takes.
std::string CheckEncodeOptions(const CalcOptions& o, const std::vector<std::string>& seen) {
    for (const char* only :
         {"--codec", "--audio-codec", "--preset", "--height", "--force", "--dry-run"}) {
        if (!o.encode && std::find(seen.begin(), seen.end(), only) != seen.end())
            return std::string(only) + " needs --encode";
    }
    if (o.encode && !o.durationOf) return "--encode needs --duration-of, which names the film";
    return {};
}

// The conflicts between options that each read well.
std::string CheckCombination(const CalcOptions& o, bool cdSizeGiven) {
    if (o.duration && o.durationOf) return "--duration and --duration-of exclude each other";
    if (o.medium >= 0 && o.size) return "--medium and --size exclude each other";
    if (o.medium >= 0 && cdSizeGiven) return "--medium and --cd-size exclude each other";
    if (o.noAudio && o.audio) return "--audio and --no-audio exclude each other";
    if (o.cds && o.size) return "--cds and --size exclude each other";
    if (o.cds && o.parts) return "--cds sets the parts; do not give --parts with it";
    if (cdSizeGiven && !o.cds) return "--cd-size needs --cds";
    if (o.solve >= 0 && o.Given(o.solve)) {
        const char* by[4] = {"--duration or --duration-of", "--audio or --no-audio", "--video",
                             "--size or --cds"};
        return std::string("--solve ") + QuantityName(o.solve) + ": already given by " +
               by[o.solve];
    }
    return {};
}

}  // namespace

bool CalcOptions::Given(int quantity) const {
    switch (quantity) {
        case Time:
            return duration.has_value() || durationOf.has_value();
        case Audio:
            return audio.has_value() || noAudio;
        case Video:
            return video.has_value();
        case Size:
            return size.has_value() || cds.has_value() || medium >= 0;
        default:
            return false;
    }
}

bool ParseWholeNumber(std::string_view text, int64_t* out) {
    const bool negative = !text.empty() && text.front() == '-';
    if (negative) text.remove_prefix(1);
    if (text.empty()) return false;
    // Accumulated as a negative number, which reaches the most negative value.
    int64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
        if (__builtin_mul_overflow(value, 10, &value) ||
            __builtin_sub_overflow(value, c - '0', &value))
            return false;
    }
    if (!negative) {
        if (value == std::numeric_limits<int64_t>::min()) return false;
        value = -value;
    }
    *out = value;
    return true;
}

int QuantityByName(std::string_view name) {
    for (int q = Time; q <= Size; ++q) {
        if (name == kQuantityNames[q]) return q;
    }
    return -1;
}

const char* QuantityName(int quantity) {
    return quantity >= Time && quantity <= Size ? kQuantityNames[quantity] : "none";
}

ParsedOptions ParseOptions(std::span<const std::string_view> args) {
    ParsedOptions result;
    CalcOptions& o = result.options;
    std::string& error = result.error;
    bool cdSizeGiven = false;
    std::vector<std::string> seen;
    for (std::size_t i = 0; i < args.size() && error.empty(); ++i) {
        std::string_view name = args[i];
        std::optional<std::string_view> inlineValue;
        if (const std::size_t eq = name.find('='); name.starts_with("--") && eq != name.npos) {
            inlineValue = name.substr(eq + 1);
            name = name.substr(0, eq);
        }
        if (!name.starts_with("--")) {
            error = "unexpected argument " + Quoted(args[i]);
            break;
        }
        for (const std::string& s : seen) {
            if (s == name) error = std::string(name) + " given twice";
        }
        if (!error.empty()) break;
        seen.emplace_back(name);

        const std::pair<std::string_view, bool*> flags[] = {
            {"--no-audio", &o.noAudio}, {"--no-limits", &o.noLimits}, {"--settings", &o.settings},
            {"--json", &o.json},        {"--help", &o.help},          {"--version", &o.version},
            {"--force", &o.force},      {"--dry-run", &o.dryRun}};
        bool isFlag = false;
        for (const auto& [flag, field] : flags) {
            if (name == flag) {
                *field = true;
                isFlag = true;
            }
        }
        if (isFlag) {
            if (inlineValue) error = std::string(name) + " takes no value";
            continue;
        }

        const std::string_view valued[] = {"--duration", "--duration-of", "--audio",   "--video",
                                           "--size",     "--cds",         "--cd-size", "--parts",
                                           "--lock",     "--solve",       "--medium",  "--encode",
                                           "--codec",    "--audio-codec", "--preset",  "--height"};
        bool known = false;
        for (const std::string_view v : valued)
            known = known || name == v;
        if (!known) {
            error = "unknown option " + Quoted(name);
            break;
        }
        std::string_view value;
        if (inlineValue) {
            value = *inlineValue;
        } else if (i + 1 < args.size()) {
            value = args[++i];
        } else {
            error = std::string(name) + " needs a value";
            break;
        }

        int64_t number = 0;
        if (name == "--duration") {
            DurationArg d;
            error = ReadDuration(value, &d);
            o.duration = d;
            o.lastGiven = Time;
        } else if (name == "--duration-of") {
            if (value.empty()) error = "--duration-of needs a file";
            o.durationOf = std::string(value);
            o.lastGiven = Time;
        } else if (name == "--audio") {
            error = ReadNumber(name, value, &number);
            o.audio = number;
            o.lastGiven = Audio;
        } else if (name == "--video") {
            error = ReadNumber(name, value, &number);
            o.video = number;
            o.lastGiven = Video;
        } else if (name == "--size") {
            error = ReadSize(value, &number);
            o.size = number;
            o.lastGiven = Size;
        } else if (name == "--cds") {
            error = ReadNumber(name, value, &number);
            if (error.empty() && number < 1) error = "--cds " + Quoted(value) + ": at least 1";
            o.cds = number;
            o.lastGiven = Size;
        } else if (name == "--cd-size") {
            error = ReadCdSize(value, &o.cdSizeIndex);
            cdSizeGiven = true;
        } else if (name == "--parts") {
            error = ReadNumber(name, value, &number);
            o.parts = number;
        } else if (name == "--medium") {
            error = ReadChoice(name, value, MediumNames(), &o.medium);
            o.lastGiven = Size;
        } else if (name == "--encode") {
            if (value.empty()) error = "--encode needs a file";
            o.encode = std::string(value);
        } else if (name == "--codec") {
            int index = 0;
            error = ReadChoice(name, value, kVideoCodecs, &index);
            o.codec = static_cast<encode::VideoCodec>(index);
        } else if (name == "--audio-codec") {
            int index = 0;
            error = ReadChoice(name, value, kAudioCodecs, &index);
            o.audioCodec = static_cast<encode::AudioCodec>(index);
        } else if (name == "--preset") {
            o.preset = std::string(value);
        } else if (name == "--height") {
            error = ReadNumber(name, value, &number);
            o.height = number;
        } else if (name == "--lock") {
            LockStates locks{};
            error = ReadLocks(value, &locks);
            o.locks = locks;
        } else {
            o.solve = QuantityByName(value);
            if (o.solve < 0)
                error = "--solve " + Quoted(value) + ": must be time, audio, video or size";
        }
    }
    if (error.empty()) error = CheckCombination(o, cdSizeGiven);
    if (error.empty()) error = CheckEncodeOptions(o, seen);
    return result;
}

}  // namespace calc
