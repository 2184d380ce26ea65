// Dialog template 150: "Film kodieren", 300 x 280 dialog units, no menu.
// Four framed parts from top to bottom (the film and the main window's plan,
// the choices, the files, the progress) above a row of push buttons. The
// step, frames per second and time left share their line with the result,
// which replaces them once a job has ended.
#include "res/dialog_template.h"
#include "res/resource_ids.h"

namespace {

using enum ControlClass;
using enum DialogSection;
using namespace res;

constexpr const char* kVideoCodecs[] = {"H.264", "H.265", "VP9"};
constexpr const char* kAudioCodecs[] = {"AAC", "Opus", "MP3"};

// clang-format off
constexpr DialogControl kControls[] = {
    {kEncodeFrameFilm, GroupBox, kStyleNone, {4, 2, 292, 70}, "Film und Plan", None, false, "Rahmen Film und Plan", {}},
    {kEncodeCaptionSource, Static, kAlignLeft, {10, 14, 40, 8}, "Film:", None, false, "Beschriftung Film", {}},
    {kEncodeSource, Static, kAlignLeft, {52, 14, 238, 8}, nullptr, None, false, "Film", {}},
    {kEncodeCaptionVideo, Static, kAlignLeft, {10, 25, 40, 8}, "Video:", None, false, "Beschriftung Video", {}},
    {kEncodeVideoRate, Static, kAlignLeft, {52, 25, 84, 8}, nullptr, None, false, "Video", {}},
    {kEncodeCaptionAudio, Static, kAlignLeft, {142, 25, 30, 8}, "Audio:", None, false, "Beschriftung Audio", {}},
    {kEncodeAudioRate, Static, kAlignLeft, {174, 25, 116, 8}, nullptr, None, false, "Audio", {}},
    {kEncodeCaptionSize, Static, kAlignLeft, {10, 36, 40, 8}, "Größe:", None, false, "Beschriftung Größe", {}},
    {kEncodeSize, Static, kAlignLeft, {52, 36, 238, 8}, nullptr, None, false, "Größe", {}},
    {kEncodeCaptionState, Static, kAlignLeft, {10, 47, 40, 8}, "Status:", None, false, "Beschriftung Status", {}},
    {kEncodeState, Static, kAlignLeft | kWordWrap, {52, 47, 238, 20}, nullptr, None, false, "Status", {}},
    {kEncodeFrameChoices, GroupBox, kStyleNone, {4, 74, 292, 70}, "Kodierung", None, false, "Rahmen Kodierung", {}},
    {kEncodeCaptionVideoCodec, Static, kAlignLeft, {10, 88, 44, 8}, "Videocodec:", None, false, "Beschriftung Videocodec", {}},
    {kEncodeVideoCodec, ComboBox, kTabStop, {56, 86, 64, 50}, nullptr, None, false, "Videocodec", kVideoCodecs},
    {kEncodeCaptionAudioCodec, Static, kAlignLeft, {134, 88, 44, 8}, "Audiocodec:", None, false, "Beschriftung Audiocodec", {}},
    {kEncodeAudioCodec, ComboBox, kTabStop, {180, 86, 64, 50}, nullptr, None, false, "Audiocodec", kAudioCodecs},
    {kEncodeFaster, Static, kAlignLeft, {10, 107, 36, 8}, "Schneller", None, false, "Beschriftung Schneller", {}},
    {kEncodeSpeed, Trackbar, kTickMarks | kTabStop, {46, 103, 120, 17}, nullptr, None, false, "Schneller oder besser", {}},
    {kEncodeBetter, Static, kAlignLeft, {168, 107, 28, 8}, "Besser", None, false, "Beschriftung Besser", {}},
    {kEncodePreset, Static, kAlignLeft, {200, 107, 90, 8}, nullptr, None, false, "Voreinstellung", {}},
    {kEncodeCaptionOutput, Static, kAlignLeft, {10, 126, 44, 8}, "Zieldatei:", None, false, "Beschriftung Zieldatei", {}},
    {kEncodeOutput, Edit, kAlignLeft | kBorder | kTabStop, {56, 124, 176, 13}, nullptr, None, false, "Zieldatei", {}},
    {kEncodeBrowse, PushButton, kTabStop, {236, 123, 54, 15}, "Durchsuchen…", None, false, "Durchsuchen", {}},
    {kEncodeFrameFiles, GroupBox, kStyleNone, {4, 146, 292, 62}, "Dateien", None, false, "Rahmen Dateien", {}},
    {kEncodeFiles, ListBox, kBorder | kVerticalScroll | kTabStop | kListNoSelection | kListNoIntegralHeight, {10, 157, 280, 36}, nullptr, None, false, "Dateien", {}},
    {kEncodeLeftOut, Static, kAlignLeft, {10, 196, 280, 8}, nullptr, None, false, "Ausgelassen", {}},
    {kEncodeFrameProgress, GroupBox, kStyleNone, {4, 210, 292, 46}, "Fortschritt", None, false, "Rahmen Fortschritt", {}},
    {kEncodeProgress, ProgressBar, kTabStop, {10, 222, 280, 11}, nullptr, None, false, "Fortschritt", {}},
    {kEncodeStep, Static, kAlignLeft, {10, 238, 120, 8}, nullptr, None, false, "Schritt", {}},
    {kEncodeFps, Static, kAlignLeft, {132, 238, 60, 8}, nullptr, None, false, "Bilder pro Sekunde", {}},
    {kEncodeTimeLeft, Static, kAlignLeft, {194, 238, 96, 8}, nullptr, None, false, "Restzeit", {}},
    {kEncodeResult, Static, kAlignLeft | kWordWrap, {10, 237, 280, 17}, nullptr, None, false, "Ergebnis", {}},
    {kEncodeStart, PushButton, kTabStop, {4, 262, 54, 15}, "Kodieren", None, false, "Kodieren", {}},
    {kEncodeCancel, PushButton, kTabStop, {62, 262, 54, 15}, "Abbrechen", None, false, "Abbrechen", {}},
    {kEncodeDetails, PushButton, kTabStop, {120, 262, 54, 15}, "Details", None, false, "Details", {}},
    {kEncodeOpenFolder, PushButton, kTabStop, {178, 262, 60, 15}, "Ordner öffnen", None, false, "Ordner öffnen", {}},
    {kEncodeClose, PushButton, kTabStop, {242, 262, 54, 15}, "Schließen", None, false, "Schließen", {}},
};
// clang-format on

constexpr DialogTemplate kTemplate{kEncodeDialog, 300, 280, 0, kControls, "Film kodieren"};

}  // namespace

const DialogTemplate& EncodeDialogTemplate() {
    return kTemplate;
}
