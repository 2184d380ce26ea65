#include "tools/calc_encode.h"

#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <string>
#include <vector>

#include "core/number_text.h"
#include "core/slider_scale.h"
#include "encode/encode_job.h"
#include "tools/calc_run.h"

namespace calc {

namespace {

// The job that a signal cancels; EncodeJob::Cancel is safe in a handler.
encode::EncodeJob* g_job = nullptr;
volatile sig_atomic_t g_signal = 0;

extern "C" void OnSignal(int number) {
    if (g_signal == 0) g_signal = number;
    if (g_job != nullptr) g_job->Cancel();
}

constexpr int kCancelSignals[] = {SIGINT, SIGTERM, SIGHUP};

// While it lives, the signals that end the program cancel `job` instead.
class CancelOnSignals {
public:
    explicit CancelOnSignals(encode::EncodeJob& job) {
        g_job = &job;
        struct sigaction action {};
        action.sa_handler = OnSignal;
        sigemptyset(&action.sa_mask);
        for (std::size_t i = 0; i < std::size(kCancelSignals); ++i)
            sigaction(kCancelSignals[i], &action, &m_old[i]);
    }
    ~CancelOnSignals() {
        for (std::size_t i = 0; i < std::size(kCancelSignals); ++i)
            sigaction(kCancelSignals[i], &m_old[i], nullptr);
        g_job = nullptr;
    }
    CancelOnSignals(const CancelOnSignals&) = delete;
    CancelOnSignals& operator=(const CancelOnSignals&) = delete;

private:
    struct sigaction m_old[std::size(kCancelSignals)]{};
};

std::string Grouped(int64_t value) {
    char text[kFormatNumberBufferSize];
    return FormatNumber(value, text, true);
}

// A word as a POSIX shell reads it back.
std::string ShellWord(const std::string& word) {
    const bool plain = !word.empty() && word.find_first_not_of(
                                            "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"
                                            "0123456789_@%+=:,./-") == std::string::npos;
    if (plain) return word;
    std::string quoted = "'";
    for (const char c : word)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string Clock(double seconds) {
    const auto s = static_cast<long long>(seconds + 0.5);
    char text[32];
    std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", s / 3600, s / 60 % 60, s % 60);
    return text;
}

std::string StepName(const encode::Progress& p) {
    switch (p.step) {
        case encode::Step::Pass1:
            return "pass 1";
        case encode::Step::Pass2:
            return p.attempt > 1 ? "pass 2, run " + std::to_string(p.attempt) : "pass 2";
        case encode::Step::Cut:
            return "cutting";
    }
    return "";
}

// The progress on standard error: a bar redrawn in place on a terminal,
// else a line every few seconds and at every new step.
class ProgressPrinter {
public:
    explicit ProgressPrinter(std::ostream& err) : m_err(err), m_terminal(isatty(2) == 1) {}

    void Show(const encode::Progress& p) {
        const auto now = std::chrono::steady_clock::now();
        const std::string step = StepName(p);
        if (!m_terminal && step == m_step && now - m_shown < std::chrono::seconds(5)) return;
        if (m_terminal && now - m_shown < std::chrono::milliseconds(200) && step == m_step) return;
        m_shown = now;
        m_step = step;
        const int percent = static_cast<int>(p.fraction * 100);
        std::string line = step + " " + std::to_string(percent) + " %";
        if (p.fps > 0) line += ", " + std::to_string(static_cast<int>(p.fps + 0.5)) + " fps";
        if (p.secondsLeft >= 0) line += ", " + Clock(p.secondsLeft) + " left";
        if (m_terminal) {
            const int filled = percent / 5;
            m_err << "\r[" << std::string(static_cast<std::size_t>(filled), '#')
                  << std::string(static_cast<std::size_t>(20 - filled), '.') << "] " << line
                  << "\033[K" << std::flush;
            m_drawn = true;
        } else {
            m_err << "tessarin-calc: " << line << "\n" << std::flush;
        }
    }

    // Ends the bar's line.
    void Close() {
        if (m_drawn) m_err << "\n" << std::flush;
        m_drawn = false;
    }

private:
    std::ostream& m_err;
    bool m_terminal;
    bool m_drawn = false;
    std::string m_step;
    std::chrono::steady_clock::time_point m_shown{};
};

encode::JobSpec MakeSpec(const CalcOptions& o, const Calculation& c, const FilmSource& source) {
    const FilmModel& m = c.model;
    encode::JobSpec s;
    s.source = source.file;
    s.output = *o.encode;
    s.plan.videoKbit = m.videoRate;
    s.plan.audioKbit = m.audioRate;
    s.plan.audioOff = c.audioOff;
    s.plan.parts = m.parts;
    // A disc's size for discs, else the size shared out, rounded down.
    if (o.medium >= 0)
        s.plan.partCapacity = kMedia[o.medium].bytes;
    else if (o.cds)
        s.plan.partCapacity = kCdSizes[static_cast<std::size_t>(o.cdSizeIndex)];
    else
        s.plan.partCapacity = m.parts > 0 ? m.sizeBytes / m.parts : 0;
    s.plan.checked = m.Validity() != kStateFaulty;
    s.video = o.codec;
    s.audio = o.audioCodec;
    s.preset = o.preset.value_or("");
    // Beyond an int it is refused as a height all the same.
    s.height = !o.height                               ? 0
               : *o.height > 0 && *o.height <= INT_MAX ? static_cast<int>(*o.height)
                                                       : -1;
    s.force = o.force;
    return s;
}

int ExitStatus(const encode::Outcome& outcome) {
    using encode::Failure;
    if (outcome.Ok()) return kExitValid;
    if (outcome.failure == Failure::Cancelled)
        return kExitSignalBase + (g_signal != 0 ? static_cast<int>(g_signal) : SIGINT);
    if (outcome.failure == Failure::NoFit) return kExitNoFit;
    return outcome.refused ? kExitUsage : kExitEncodeFailed;
}

void PrintFailure(const encode::Outcome& outcome, std::ostream& err) {
    if (outcome.failure == encode::Failure::OutputExists) {
        std::string names;
        for (const std::string& n : outcome.existing)
            names += (names.empty() ? "" : ", ") + n;
        err << "tessarin-calc: " << names << (outcome.existing.size() > 1 ? " exist" : " exists")
            << " already; --force replaces " << (outcome.existing.size() > 1 ? "them" : "it")
            << "\n";
    } else {
        err << "tessarin-calc: " << outcome.message << "\n";
    }
    err << outcome.details;
}

// The rows after the calculation's, in its columns.
std::string EncodeText(const encode::Outcome& r) {
    std::vector<std::pair<std::string, std::string>> rows;
    for (std::size_t i = 0; i < r.files.size(); ++i) {
        const encode::OutputFile& f = r.files[i];
        rows.emplace_back(
            r.files.size() > 1 ? "Datei " + std::to_string(i + 1) : "Datei",
            f.path + ", " + Grouped(f.bytes) + " von " + Grouped(f.capacity) + " Byte");
    }
    rows.emplace_back("Video kodiert", std::to_string(r.videoKbit) + " kBits/s");
    rows.emplace_back("Läufe 2. Durchgang", std::to_string(r.pass2Runs));
    if (!r.withAudio) rows.emplace_back("Ton", "ohne");
    for (const std::string& left : r.leftOut)
        rows.emplace_back("Ausgelassen", left);
    std::string out;
    for (const auto& [caption, value] : rows) {
        std::string line = caption + ":";
        // One column of 20 characters, as the calculation's.
        std::size_t width = 0;
        for (const char ch : line)
            width += (static_cast<unsigned char>(ch) & 0xC0) != 0x80;
        line.append(width < 20 ? 20 - width : 1, ' ');
        out += line + value + "\n";
    }
    return out;
}

// The JSON object of the calculation with "encode" added.
std::string EncodeJson(const std::string& calculation, const encode::Outcome& r) {
    std::string files;
    for (const encode::OutputFile& f : r.files)
        files += std::string(files.empty() ? "" : ",") + "{\"file\":" + JsonText(f.path) +
                 ",\"bytes\":" + std::to_string(f.bytes) +
                 ",\"capacity\":" + std::to_string(f.capacity) + "}";
    std::string left;
    for (const std::string& l : r.leftOut)
        left += std::string(left.empty() ? "" : ",") + JsonText(l);
    const std::string encode =
        "\"encode\":{\"files\":[" + files + "],\"video_kbit_s\":" + std::to_string(r.videoKbit) +
        ",\"pass2_runs\":" + std::to_string(r.pass2Runs) + ",\"left_out\":[" + left +
        "],\"with_audio\":" + (r.withAudio ? "true" : "false") + "}";
    // The object ends in "}\n".
    return calculation.substr(0, calculation.size() - 2) + "," + encode + "}\n";
}

}  // namespace

int RunEncode(const CalcOptions& o, const Calculation& c, const FilmSource& source,
              std::ostream& out, std::ostream& err) {
    const std::string calculation = o.json ? FormatJson(c, &source) : FormatText(c, &source);
    const encode::JobSpec spec = MakeSpec(o, c, source);
    if (o.dryRun) {
        out << calculation;
        encode::Outcome refusal;
        const auto commands = encode::PlannedCommands(spec, &refusal);
        if (!refusal.Ok()) {
            PrintFailure(refusal, err);
            return kExitUsage;
        }
        for (const auto& command : commands) {
            std::string line;
            for (const std::string& word : command)
                line += (line.empty() ? "" : " ") + ShellWord(word);
            out << line << "\n";
        }
        return kExitValid;
    }
    // The calculation first, before the job's long run.
    if (!o.json) out << calculation << std::flush;
    encode::EncodeJob job;
    ProgressPrinter printer(err);
    encode::Outcome outcome;
    {
        CancelOnSignals cancel(job);
        outcome = job.Run(spec, [&](const encode::Progress& p) { printer.Show(p); });
    }
    printer.Close();
    if (o.json)
        out << (outcome.Ok() ? EncodeJson(calculation, outcome) : calculation);
    else if (outcome.Ok())
        out << EncodeText(outcome);
    if (!outcome.Ok()) PrintFailure(outcome, err);
    return ExitStatus(outcome);
}

}  // namespace calc
