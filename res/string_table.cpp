// The string table: tooltip texts 1 to 22 (the control with identifier n
// shows string n - 1010), descriptions of the encode dialog's controls by the
// same rule and the status bar help texts of the menu, 200 to
// 525 (a pop-up at position p has 200 + p, a command i has i - 32560, and the
// five items whose meaning flips have their second text at i - 32260).
#include <algorithm>
#include <iterator>

#include "res/dialog_template.h"

namespace {

struct StringEntry {
    int id;
    const char* text;
};

// Sorted by id.
// clang-format off
constexpr StringEntry kStrings[] = {
    // Tooltips of controls 1011 to 1032.
    {1, "Einstellen der Länge des Films"},
    {2, "Einstellen der Audiobitrate des Films"},
    {3, "Einstellen der Videobitrate des Films"},
    {4, "Einstellen der maximalen Gesamtgröße des Films"},
    {5, "Ein- / Ausblenden der Detailinformationen der Filmlänge"},
    {6, "Ein- / Ausblenden der Detailinformationen der Audiobitrate"},
    {7, "Ein- / Ausblenden der Detailinformationen der Videobitrate"},
    {8, "Ein- / Ausblenden der Detailinformationen der max. Gesamtgröße"},
    {9, "Lässt die aktuellen Einstellungen der Länge einrasten"},
    {10, "Lässt die aktuellen Einstellungen der Audiobitrate einrasten"},
    {11, "Lässt die aktuellen Einstellungen der Videobitrate einrasten"},
    {12, "Lässt die aktuellen Einstellungen der max. Gesamtgröße einrasten"},
    {13, "Wenn makiert, handelt es sich um einen Film ohne Audio"},
    {14, "Direkteingabe der Stunden, bei autom. begrenzen Werte ab 0"},
    {15, "Direkteingabe der Minuten, bei autom. begrenzen Werte von 0 - 59"},
    {16, "Direkteingabe der Sekunden, bei autom. begrenzen Werte von 0 - 59"},
    {17, "Direkteingabe der Audiobitrate, bei autom. begrenzen Werte von 4 - 384"},
    {18, "Direkteingabe der Videobitrate, bei autom. begrenzen Werte ab 0"},
    {19, "Direkteingabe der Maximalgröße, bei autom. begrenzen Werte ab 0"},
    {20, "Gibt den Bereich an, in dem die Direkteingabe durchgenommen wird"},
    {21, "Vordefinierte CD-Größen. Ergibt sich such Größe mal CD-Anzahl"},
    {22, "Anzahl der vorraussichtlich erwünschten Videoteile ( z.B. Anzahl der CDs )"},
    // Descriptions of the encode dialog's controls 1084 to 1107.
    {74, "Das Verfahren, mit dem das Bild kodiert wird"},
    {76, "Das Verfahren, mit dem der Ton kodiert wird"},
    {78, "Links schneller fertig, rechts bessere Bildqualität bei gleicher Größe"},
    {82, "Die Datei, die geschrieben wird; bei mehreren Teilen mit .part1, .part2 …"},
    {83, "Zieldatei auswählen"},
    {85, "Die Dateien, die geschrieben werden, und nach dem Kodieren ihre Größe"},
    {88, "Fortschritt der ganzen Kodierung"},
    {93, "Startet die Kodierung mit dem Plan und den Einstellungen"},
    {94, "Bricht die Kodierung ab; es bleibt keine Datei zurück"},
    {95, "Zeigt die letzten Meldungen von ffmpeg"},
    {96, "Öffnet den Ordner der Dateien in der Dateiverwaltung"},
    {97, "Schließt dieses Fenster"},
    // Menu help.
    {200, "Programmkontrolle"},
    {201, "Ansichtsoptionen"},
    {202, "Einstellungen"},
    {203, "Filmfunktionen"},
    {204, "Hilfe und Informationen"},
    {210, "Beendet das Programm"},
    {211, "Abmelden vom System"},
    {212, "Windows beenden und neu starten"},
    {213, "Windows beenden und herunterfahren"},
    {220, "Statusbar abschalten"},
    {221, "Die Anzeige der Tooltips verhindern"},
    {222, "Zeiteinstellungsbereich minimieren"},
    {223, "Audioeinstellungsbereich minimieren"},
    {224, "Videoeinstellungsbereich minimieren"},
    {225, "Größeneinstellungsbereich minimieren"},
    {226, "Alle Bereiche ausblenden"},
    {227, "Alle Bereiche einblenden"},
    {230, "Liest die Videolänge aus einer Filmdatei"},
    {231, "Kodiert den Film passend für die eingestellte Größe"},
    {240, "Autoberechnung der Werte bei Änderung"},
    {241, "Überwachung der gültigen Max/Min Werte"},
    {242, "Einstellungen beim Beenden autom. speichern"},
    {243, "Einstellungen speichern"},
    {244, "Werte neu berechnen"},
    {250, "Informationen übers Programm"},
    {521, "Die Anzeige der Tooltips zulassen"},
    {522, "Zeiteinstellungsbereich erweitern"},
    {523, "Audioeinstellungsbereich erweitern"},
    {524, "Videoeinstellungsbereich erweitern"},
    {525, "Größeneinstellungsbereich erweitern"},
};
// clang-format on

static_assert(std::is_sorted(std::begin(kStrings), std::end(kStrings),
                             [](const StringEntry& a, const StringEntry& b) {
                                 return a.id < b.id;
                             }));

}  // namespace

const char* LoadString(int id) {
    const auto it = std::lower_bound(std::begin(kStrings), std::end(kStrings), id,
                                     [](const StringEntry& e, int key) { return e.id < key; });
    return it != std::end(kStrings) && it->id == id ? it->text : nullptr;
}
