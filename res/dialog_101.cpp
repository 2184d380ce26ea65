// Dialog template 101: the main window, 236 x 266 dialog units, with menu
// 130. The controls in template order, which is also the tab and stacking
// order. The five group boxes overlap: each runs from the top of its section
// down to the common bottom edge at 249, so that its top edge is the line
// above its section. After the section come the flag that marks what a
// collapsed section hides, the control's name for assistive technology and
// the entries of a combo box.
#include "res/dialog_template.h"
#include "res/resource_ids.h"

namespace {

using enum ControlClass;
using enum DialogSection;

constexpr const char* kSizeUnitEntries[] = {"Gigabyte", "Megabyte", "Kilobyte", "Byte"};
constexpr const char* kCdSizeEntries[] = {"650 MB", "700 MB", "800 MB"};

// clang-format off
constexpr DialogControl kControls[] = {
    {res::kFrameAudio, GroupBox, kStyleNone, {6, 46, 224, 203}, nullptr, Audio, false, "Rahmen Audiobereich", {}},
    {res::kFrameTime, GroupBox, kStyleNone, {6, 0, 224, 249}, nullptr, Time, false, "Rahmen Zeitbereich", {}},
    {res::kFrameVideo, GroupBox, kStyleNone, {6, 100, 224, 149}, nullptr, Video, false, "Rahmen Videobereich", {}},
    {res::kFrameSize, GroupBox, kStyleNone, {6, 145, 224, 104}, nullptr, Size, false, "Rahmen Größenbereich", {}},
    {res::kFrameResults, GroupBox, kStyleNone, {6, 205, 224, 44}, nullptr, Results, false, "Rahmen Ergebnisse", {}},
    {res::kCaptionTime, Static, kAlignLeft, {13, 7, 40, 8}, "Videolänge:", Time, false, "Videolänge", {}},
    {res::kEditHours, Edit, kAlignCenter | kBorder | kTabStop, {80, 7, 22, 13}, nullptr, Time, false, "Stunden", {}},
    {res::kEditMinutes, Edit, kAlignCenter | kBorder | kTabStop, {104, 7, 22, 13}, nullptr, Time, false, "Minuten", {}},
    {res::kEditSeconds, Edit, kAlignCenter | kBorder | kTabStop, {128, 7, 22, 13}, nullptr, Time, false, "Sekunden", {}},
    {res::kLabelTimeFormat, Static, kAlignLeft, {151, 9, 37, 8}, "HH:MM:SS", Time, false, "Zeitformat", {}},
    {res::kSliderTime, Trackbar, kTabStop, {7, 21, 221, 19}, nullptr, Time, true, "Zeitregler", {}},
    {res::kLabelTimeMin, Static, kAlignLeft, {11, 40, 29, 8}, "00:00:00", Time, true, "Zeitregler Minimum", {}},
    {res::kLabelTimeMax, Static, kAlignLeft, {197, 40, 29, 8}, "02:00:00", Time, true, "Zeitregler Maximum", {}},
    {res::kCaptionAudio, Static, kAlignLeft, {13, 53, 51, 8}, "Audiodatenrate:", Audio, false, "Audiodatenrate", {}},
    {res::kEditAudio, Edit, kAlignCenter | kBorder | kTabStop, {80, 53, 46, 13}, nullptr, Audio, false, "Audiobitrate", {}},
    {res::kLabelAudioUnit, Static, kAlignLeft, {131, 55, 52, 8}, "kBits / Sekunde", Audio, false, "Einheit Audiobitrate", {}},
    {res::kSliderAudio, Trackbar, kTickMarks | kTabStop, {7, 75, 221, 18}, nullptr, Audio, true, "Audioregler", {}},
    {res::kLabelAudioMin, Static, kAlignLeft, {11, 94, 29, 8}, "4 kBits/s", Audio, true, "Audioregler Minimum", {}},
    {res::kLabelAudioMax, Static, kAlignLeft, {189, 94, 37, 8}, "384 kBits/s", Audio, true, "Audioregler Maximum", {}},
    {res::kCaptionVideo, Static, kAlignLeft, {13, 107, 51, 8}, "Videodatenrate:", Video, false, "Videodatenrate", {}},
    {res::kEditVideo, Edit, kAlignCenter | kBorder | kTabStop, {80, 107, 46, 13}, nullptr, Video, false, "Videobitrate", {}},
    {res::kLabelVideoUnit, Static, kAlignLeft, {132, 109, 52, 8}, "kBits / Sekunde", Video, false, "Einheit Videobitrate", {}},
    {res::kSliderVideo, Trackbar, kTabStop, {7, 121, 221, 18}, nullptr, Video, true, "Videoregler", {}},
    {res::kLabelVideoMin, Static, kAlignLeft, {11, 139, 26, 8}, "1 kBit/s", Video, true, "Videoregler Minimum", {}},
    {res::kLabelVideoMax, Static, kAlignLeft, {188, 139, 38, 8}, "6000 kBit/s", Video, true, "Videoregler Maximum", {}},
    {res::kFixTime, CheckBox, kTabStop, {198, 8, 29, 10}, "Fest", Time, false, "Fest (Videolänge)", {}},
    {res::kFixAudio, CheckBox, kTabStop, {198, 54, 29, 10}, "Fest", Audio, false, "Fest (Audiodatenrate)", {}},
    {res::kFixVideo, CheckBox, kTabStop, {198, 108, 29, 10}, "Fest", Video, false, "Fest (Videodatenrate)", {}},
    {res::kCaptionSize, Static, kAlignLeft, {13, 152, 58, 8}, "Max. Datengröße:", Size, false, "Max. Datengröße", {}},
    {res::kEditSize, Edit, kAlignLeft | kBorder | kTabStop, {80, 152, 65, 13}, nullptr, Size, false, "Maximale Datengröße", {}},
    {res::kComboSizeUnit, ComboBox, kVerticalScroll | kTabStop, {147, 152, 48, 53}, nullptr, Size, false, "Größeneinheit", {kSizeUnitEntries}},
    {res::kFixSize, CheckBox, kTabStop, {198, 153, 29, 10}, "Fest", Size, false, "Fest (Datengröße)", {}},
    {res::kSliderSize, Trackbar, kTabStop, {7, 180, 221, 18}, nullptr, Size, true, "Größenregler", {}},
    {res::kLabelSizeSlider, Static, kAlignCenter, {40, 198, 155, 8}, nullptr, Size, true, "Wert Größenregler", {}},
    {res::kLabelSizeMin, Static, kAlignLeft, {11, 198, 25, 8}, "1 kByte", Size, true, "Größenregler Minimum", {}},
    {res::kLabelSizeMax, Static, kAlignLeft, {197, 198, 26, 8}, "2 GByte", Size, true, "Größenregler Maximum", {}},
    {res::kComboCdSize, ComboBox, kVerticalScroll | kTabStop, {80, 167, 65, 42}, nullptr, Size, false, "CD-Größe", {kCdSizeEntries}},
    {res::kEditCdCount, Edit, kAlignCenter | kBorder | kTabStop, {147, 167, 23, 13}, nullptr, Size, false, "Anzahl CDs", {}},
    {res::kLabelCds, Static, kAlignLeft, {174, 169, 14, 8}, "CDs", Size, false, "Beschriftung CDs", {}},
    {res::kCaptionAudioData, Static, kAlignLeft, {11, 220, 39, 8}, "Audiodaten:", Results, false, "Beschriftung Audiodaten", {}},
    {res::kCaptionVideoData, Static, kAlignLeft, {11, 229, 39, 8}, "Videodaten:", Results, false, "Beschriftung Videodaten", {}},
    {res::kCaptionTotalData, Static, kAlignLeft, {11, 238, 45, 8}, "Gesamtdaten:", Results, false, "Beschriftung Gesamtdaten", {}},
    {res::kLabelAudioData, Static, kAlignRight, {59, 220, 166, 8}, "0 Byte", Results, false, "Ergebnis Audiodaten", {}},
    {res::kLabelVideoData, Static, kAlignRight, {59, 229, 166, 8}, "0 Byte", Results, false, "Ergebnis Videodaten", {}},
    {res::kLabelTotalData, Static, kAlignRight, {59, 238, 166, 8}, "0 Byte", Results, false, "Ergebnis Gesamtdaten", {}},
    {res::kLabelVideoSlider, Static, kAlignCenter, {51, 139, 133, 8}, nullptr, Video, true, "Wert Videoregler", {}},
    {res::kLabelAudioSlider, Static, kAlignCenter, {50, 94, 135, 8}, nullptr, Audio, true, "Wert Audioregler", {}},
    {res::kLabelTimeSlider, Static, kAlignCenter, {43, 40, 149, 8}, nullptr, Time, true, "Wert Zeitregler", {}},
    {res::kAudioOff, CheckBox, kTabStop, {198, 64, 28, 10}, "Aus", Audio, false, "Ohne Audio", {}},
    {res::kCaptionHeader, Static, kAlignLeft, {11, 211, 44, 8}, "Headerdaten:", Results, false, "Beschriftung Headerdaten", {}},
    {res::kLabelHeader, Static, kAlignRight, {59, 211, 166, 8}, "0 Byte", Results, false, "Ergebnis Headerdaten", {}},
    {res::kToggleVideo, IconButton, kTabStop, {13, 115, 8, 6}, nullptr, Video, false, "Videobereich ein- oder ausblenden", {}},
    {res::kToggleAudio, IconButton, kTabStop, {13, 61, 8, 6}, nullptr, Audio, false, "Audiobereich ein- oder ausblenden", {}},
    {res::kToggleTime, IconButton, kTabStop, {13, 15, 8, 6}, nullptr, Time, false, "Zeitbereich ein- oder ausblenden", {}},
    {res::kToggleSize, IconButton, kTabStop, {13, 160, 8, 6}, nullptr, Size, false, "Größenbereich ein- oder ausblenden", {}},
};
// clang-format on

constexpr DialogTemplate kMainDialog{res::kMainDialog, 236, 266, res::kMainMenu, kControls, nullptr};

}  // namespace

const DialogTemplate& MainDialogTemplate() {
    return kMainDialog;
}
