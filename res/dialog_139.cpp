// Dialog template 139: the Info dialog, 266 x 150 dialog units, caption
// "Info", no menu and no push buttons. The history list, the program's icon,
// a one-line title and the group box around the list.
#include "res/dialog_template.h"
#include "res/resource_ids.h"

namespace {

using enum ControlClass;
using enum DialogSection;

// clang-format off
constexpr DialogControl kControls[] = {
    {res::kListHistory, ListBox, kBorder | kVerticalScroll | kTabStop | kListNoSelection | kListUseTabStops | kListNoIntegralHeight | kListNotify, {9, 37, 248, 104}, nullptr, None, false, "Versionsgeschichte", {}},
    {res::kStaticNone, Icon, kStyleNone, {5, 7, 20, 20}, "140", None, false, "Programmsymbol", {}},
    {res::kStaticNone, Static, kAlignLeft | kGroupStart, {37, 8, 160, 8}, "Tessarin v1.26 \xe2\x80\x93 Datenraten f\xc3\xbcr Video-CDs", None, false, "Titel", {}},
    {res::kStaticNone, GroupBox, kStyleNone, {4, 27, 258, 119}, "History", None, false, "History", {}},
};
// clang-format on

constexpr DialogTemplate kInfoDialog{res::kInfoDialog, 266, 150, 0, kControls, "Info"};

}  // namespace

const DialogTemplate& InfoDialogTemplate() {
    return kInfoDialog;
}
