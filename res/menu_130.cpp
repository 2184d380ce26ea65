// Menu 130 of the main window: five pop-ups with their items and initial
// check marks. A separator has id 0 and no text. The Help pop-up is moved to
// the right end of the menu bar at run time; the texts of the first two View
// items are replaced at run time when the status bar or the tooltips change.
#include "res/dialog_template.h"
#include "res/resource_ids.h"

namespace {

constexpr MenuItem kSeparator{0, nullptr, false, {}};

// clang-format off
constexpr MenuItem kControlItems[] = {
    {res::kCmdExit, "&Beenden", false, {}},
    kSeparator,
    {res::kCmdLogOff, "Abmelden und Ausloggen", false, {}},
    {res::kCmdRestart, "Windows neu starten", false, {}},
    {res::kCmdShutDown, "Windows Herunterfahren", false, {}},
};

// All sections start expanded, so their items start checked.
constexpr MenuItem kViewItems[] = {
    {res::kCmdStatusBar, "Status&bar verbergen", false, {}},
    {res::kCmdToolTips, "&Tooltips deaktivieren", false, {}},
    kSeparator,
    {res::kCmdShowTime, "Erw. Zeiteingabe", true, {}},
    {res::kCmdShowAudio, "Erw. Audioeingabe", true, {}},
    {res::kCmdShowVideo, "Erw. Videoeingabe", true, {}},
    {res::kCmdShowSize, "Erw. Größeneingabe", true, {}},
    kSeparator,
    {res::kCmdCollapseAll, "Alles a&usblenden", false, {}},
    {res::kCmdExpandAll, "Alles &einblenden", false, {}},
};

// The option check marks are set from the options when the window starts.
constexpr MenuItem kOptionItems[] = {
    {res::kCmdAutoCalculate, "Automatisch &berechnen", false, {}},
    {res::kCmdAutoRange, "&Automatisch begrenzen", true, {}},
    {res::kCmdSaveOnExit, "Au&tomatisch speichern", false, {}},
    kSeparator,
    {res::kCmdSaveSettings, "Einstellungen &speichern", false, {}},
    {res::kCmdRecalculate, "&Neu berechnen", false, {}},
};

constexpr MenuItem kFilmItems[] = {
    {res::kCmdOpenFilm, "Film ö&ffnen…", false, {}},
    {res::kCmdEncodeFilm, "Film &kodieren…", false, {}},
};

constexpr MenuItem kHelpItems[] = {
    {res::kCmdInfo, "&Info", false, {}},
};

constexpr MenuItem kPopups[] = {
    {0, "&Steuerung", false, kControlItems},
    {0, "&Ansicht", false, kViewItems},
    {0, "&Optionen", false, kOptionItems},
    {0, "&Film", false, kFilmItems},
    {0, "&Hilfe", false, kHelpItems},
};
// clang-format on

constexpr MenuTemplate kMainMenu{res::kMainMenu, kPopups};

}  // namespace

const MenuTemplate& MainMenuTemplate() {
    return kMainMenu;
}
