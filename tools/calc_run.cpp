#include "tools/calc_run.h"

#include <optional>

#include "core/version.h"
#include "media/film_probe.h"
#include "settings/file_registry.h"
#include "settings/stored_settings.h"
#include "tools/calc_apply.h"
#include "tools/calc_encode.h"
#include "tools/calc_options.h"
#include "tools/calc_output.h"
#include "tools/calc_probe.h"

namespace calc {

namespace {

constexpr const char* kUsage =
    "Usage: tessarin-calc [--duration H:MM:SS | --duration SECONDS | --duration-of FILE]\n"
    "                     [--audio KBIT | --no-audio] [--video KBIT] [--size N[G|M|K|B]]\n"
    "                     [--cds N [--cd-size 650|700|800]] [--parts N]\n"
    "                     [--medium cd650|cd700|cd800|dvd|dvd-dl|bd|bd-dl]\n"
    "                     [--lock time,audio,video,size] [--solve time|audio|video|size]\n"
    "                     [--no-limits] [--settings] [--json] [--help] [--version]\n"
    "                     [--encode OUTPUT [--codec h264|h265|vp9] [--audio-codec aac|opus|mp3]\n"
    "                      [--preset P] [--height H] [--force] [--dry-run]]\n";

constexpr const char* kHelp =
    "Trades the duration, audio bitrate, video bitrate and maximum size of a film\n"
    "against each other as Tessarin does, and solves one of them.\n"
    "\n"
    "  --duration T      H:MM:SS or seconds\n"
    "  --duration-of F   the duration of film or sound file F, rounded up to seconds;\n"
    "                    also shows its picture size, frame rate, sound and bits per\n"
    "                    pixel\n"
    "  --audio KBIT      audio bitrate, 1 kBit = 1024 bits\n"
    "  --no-audio        a film without audio (\"Aus\")\n"
    "  --video KBIT      video bitrate, 1 kBit = 1024 bits\n"
    "  --size N[G|M|K|B] maximum size; MByte without a unit, 1 MByte = 1024 kByte\n"
    "  --cds N           N CDs: N parts and N times the CD size\n"
    "  --cd-size MB      650, 700 (default) or 800\n"
    "  --parts N         number of parts, each with a 10256-byte header\n"
    "  --medium M        N discs of M (N from --cds or --parts, else 1): cd650, cd700,\n"
    "                    cd800, dvd (4,700,372,992 bytes), dvd-dl, bd, bd-dl\n"
    "  --lock LIST       quantities the lock table must not solve, or \"none\"\n"
    "  --solve Q         the quantity to solve\n"
    "  --no-limits       keep values outside their ranges\n"
    "  --settings        start from the stored settings of Tessarin (read only)\n"
    "  --json            one JSON object instead of text\n"
    "\n"
    "Encoding (needs the ffmpeg program, Debian package ffmpeg):\n"
    "  --encode OUTPUT   encode the film of --duration-of to the plan, in two passes,\n"
    "                    into OUTPUT (.mkv or .mp4), or OUTPUT's NAME.part1.EXT to\n"
    "                    NAME.partN.EXT for N parts, each measured to fit its part\n"
    "  --codec C         h264 (default), h265 or vp9\n"
    "  --audio-codec A   aac (default), opus or mp3\n"
    "  --preset P        x264/x265: ultrafast to veryslow; vp9: 0 to 8\n"
    "  --height H        scale the picture to H lines (even), keeping its aspect\n"
    "  --force           replace existing output files\n"
    "  --dry-run         print the ffmpeg commands instead of running them\n"
    "\n"
    "Solved: --solve; else the one quantity neither given nor locked; else the\n"
    "first free one of Tessarin's order for the last quantity given.\n"
    "Exit status: 0 valid, 1 values out of range (\"Fehlerhaft\"), 2 usage error,\n"
    "a file without a duration, or one not read within 10 seconds. With --encode:\n"
    "0 every file fits, 1 it could not be made to fit, 2 refused before encoding,\n"
    "3 failed while encoding, 128 plus the signal when cancelled; nothing is left\n"
    "behind unless it fits.\n"
    "Example: tessarin-calc --duration-of film.mkv --cds 2 --audio 128\n"
    "         tessarin-calc --duration-of film.mkv --cds 2 --audio 128 --encode film.mkv\n"
    "See tessarin-calc(1).\n";

}  // namespace

int RunCalc(std::span<const std::string_view> args, std::ostream& out, std::ostream& err) {
    const ParsedOptions parsed = ParseOptions(args);
    if (!parsed.error.empty()) {
        err << "tessarin-calc: " << parsed.error << " (see --help)\n";
        return kExitUsage;
    }
    CalcOptions o = parsed.options;
    if (o.help) {
        out << kUsage << "\n" << kHelp;
        return kExitValid;
    }
    if (o.version) {
        out << "tessarin-calc " << version::kMajor << "." << version::kMinor << "\n";
        return kExitValid;
    }
    std::optional<FilmSource> source;
    if (o.durationOf) {
        const media::ProbeResult probe = ProbeWatched(*o.durationOf);
        if (!probe.Ok()) {
            err << "tessarin-calc: " << media::ErrorSentence(probe.error, *o.durationOf) << "\n";
            return kExitUsage;
        }
        source = FilmSource{*o.durationOf, probe.facts};
        o.duration = DurationArg{};
        o.duration->totalSeconds = probe.facts.durationSeconds;
    }
    StartState start = InitialState();
    if (o.settings) {
        settings::FileRegistry registry(settings::DefaultSettingsPath());
        start = StoredState(registry);
    }
    const Calculation c = Calculate(o, start);
    if (!c.error.empty()) {
        err << "tessarin-calc: " << c.error << "\n";
        return kExitUsage;
    }
    if (o.encode) return RunEncode(o, c, *source, out, err);
    const FilmSource* from = source ? &*source : nullptr;
    out << (o.json ? FormatJson(c, from) : FormatText(c, from));
    return c.model.Validity() == kStateFaulty ? kExitFaulty : kExitValid;
}

}  // namespace calc
