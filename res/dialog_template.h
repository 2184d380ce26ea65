// Dialog templates and menus as plain data: every control with its
// identifier, class, style, rectangle in dialog units and text, in template
// order (which is also the tab and stacking order). The main window builds
// its widgets from these tables; nothing here depends on a toolkit.
#pragma once

#include <cstdint>
#include <span>

enum class ControlClass {
    GroupBox,
    Static,
    Edit,
    CheckBox,
    IconButton,
    ComboBox,
    Trackbar,
    ListBox,
    Icon,  // a static that shows the icon resource whose number is its text
    PushButton,
    ProgressBar,
};

// The style bits that change how a control looks or behaves.
enum ControlStyle : uint32_t {
    kStyleNone = 0,
    kAlignLeft = 1u << 0,
    kAlignCenter = 1u << 1,
    kAlignRight = 1u << 2,
    kBorder = 1u << 3,
    kTabStop = 1u << 4,
    kTickMarks = 1u << 5,  // trackbar with automatic tick marks
    kVerticalScroll = 1u << 6,
    kGroupStart = 1u << 7,
    kListNoSelection = 1u << 8,        // a list whose lines cannot be selected
    kListUseTabStops = 1u << 9,        // tabs in list lines move to tab stops
    kListNoIntegralHeight = 1u << 10,  // the list keeps its height, even if it cuts a line
    kListNotify = 1u << 11,            // the list reports focus and clicks to its dialog
    kWordWrap = 1u << 12,              // a static whose text wraps onto further lines
};

// Which part of the dialog a control belongs to.
enum class DialogSection : int { None = -1, Time = 0, Audio = 1, Video = 2, Size = 3, Results = 4 };

struct DialogRect {
    int x, y, width, height;  // dialog units
};

struct DialogControl {
    int id;
    ControlClass cls;
    uint32_t style;
    DialogRect rect;
    const char* text;  // UTF-8; nullptr for none
    DialogSection section;
    bool extended;                       // hidden while its section is collapsed
    const char* accessibleName;          // distinct name for assistive technology
    std::span<const char* const> items;  // initial list entries of a combo box
};

struct DialogTemplate {
    int id;
    int width, height;  // dialog units
    int menuId;         // 0 for none
    std::span<const DialogControl> controls;
    const char* caption;  // UTF-8; nullptr when the program sets it at run time
};

// Menu items: a pop-up has a non-empty `children`, a separator has id 0 and no text.
struct MenuItem {
    int id;
    const char* text;  // UTF-8, '&' marks the mnemonic
    bool checked;      // initial check mark
    std::span<const MenuItem> children;
};

struct MenuTemplate {
    int id;
    std::span<const MenuItem> popups;
};

const DialogTemplate& MainDialogTemplate();  // template 101
const DialogTemplate& InfoDialogTemplate();  // template 139
const DialogTemplate& EncodeDialogTemplate();  // template 150
const MenuTemplate& MainMenuTemplate();      // menu 130

// String table entry `id` (UTF-8), or nullptr when there is none.
const char* LoadString(int id);
