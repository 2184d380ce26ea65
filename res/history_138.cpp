// Text resource 138 of type "TEXTE": the version history, single-byte text in
// code page 1252, lines separated by CR LF, no line break after the last line.
// Non-ASCII bytes are written as octal escapes so the bytes are exact.
#include "res/text_resource.h"

#include <cstring>

namespace {

// clang-format off
constexpr char kHistory[] =
    "1.26\t-Die Infoanimation hinzugef\374gt.\r\n"
    "\r\n"
    "1.25\t-Tooltipfehler behoben, es stand \374berall Zeitbereich erweitern.\r\n"
    "\t-Hilfemen\374: Infos eingebunden.\r\n"
    "\r\n"
    "1.24\t-Tooltips hinzugef\374gt\r\n"
    "\r\n"
    "1.23\t-Die vier Einstellbereiche k\366nnen jetzt vergr\366\337ert oder verkleinert\r\n"
    "\t werden.\r\n"
    "\r\n"
    "1.22\t-Fehler beim Erststart mit der Registry und den Voreinstellungen\r\n"
    "\t behoben.\r\n"
    "\r\n"
    "1.21\t-Die Scrollbar auf 384kBps erweitert.\r\n"
    "\t-Die M\366glichkeit anzugeben, dass man ein Videoclip ohne Musik\r\n"
    "\t erstellen m\366chte.\r\n"
    "\r\n"
    "1.20\t-Die Statusbar hinzugef\374gt.\r\n"
    "\t-Es gibt jetzt einen Statusanzeige, die die G\374ltigkeit der Daten\r\n"
    "\t angibt.\r\n"
    "\r\n"
    "\t Gr\374n:\tAlles OK\r\n"
    "\t Gelb:\tAutomatisch berechnen ist abgeschaltet und die Werte\r\n"
    "\t\tk\366nnten falsch sein. In die Statusbar dr\374cken oder im Men\374\r\n"
    "\t\tauf Neu berechnen gehen und die Werte werden \374berpr\374ft.\r\n"
    "\t Rot :\tEs gibt ung\374ltige Werte, passiert wenn die autom.\r\n"
    "\t\tBegrenzung abgeschaltet ist und irgendwo negative Werte\r\n"
    "\t\tauftauchen.\r\n"
    "\r\n"
    "1.10\t-Die Optionen werden jetzt auf wunsch abgespeichert.\r\n"
    "\r\n"
    "1.06\t-Man kann jetzt auch die automatische Berechnung abschalten.\r\n"
    "\r\n"
    "1.05\t-Das Men\374 wurde erweitert und es gibt jetzt die M\366glichkeit, die\r\n"
    "\t autom. Begrenzung abzuschalten.\r\n"
    "\r\n"
    "1.00\t-Final Release";
// clang-format on

}  // namespace

std::span<const unsigned char> FindTextResource(const char* type, int id) {
    if (type == nullptr || std::strcmp(type, "TEXTE") != 0 || id != 138) return {};
    return {reinterpret_cast<const unsigned char*>(kHistory), sizeof kHistory - 1};
}
