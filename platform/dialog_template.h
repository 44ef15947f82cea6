// Dialog templates as data: what a numbered dialog resource held, positions and
// sizes in dialog units, texts as UTF-8 literals.
#pragma once

#include <vector>

namespace platform {

enum class ControlKind {
    Static,       // text label
    Edit,         // single-line edit
    MultiEdit,    // multi-line edit (built as CEdit unless the window makes its own)
    Button,
    DefButton,
    GroupBox,
    Radio,        // automatic radio button; see kGroup for how they group
    CheckBox,     // automatic check box
    ComboList,    // drop-down list: choose an item, type nothing
    ComboEdit,    // editable drop-down: type a text or take an item
    ListView,     // report-view list (the window supplies the widget)
    ListBox,
    Icon,
};

// Style bits of a control; only those the program looks at.
enum ControlStyle : unsigned {
    kVisible = 1u << 0,
    kBorder = 1u << 1,
    kVScroll = 1u << 2,
    kHScroll = 1u << 3,
    kReadOnly = 1u << 4,
    kPassword = 1u << 5,
    kDigitsOnly = 1u << 6,
    kRightAlign = 1u << 7,
    kWantReturn = 1u << 8,
    kGroup = 1u << 9,        // starts a group: radio buttons up to the next kGroup are one group
    kAutoHScroll = 1u << 10,
    kDisabled = 1u << 11,
};

struct DlgControl {
    int id;              // -1 for a static without id
    ControlKind kind;
    const char* text;    // UTF-8
    // Dialog units. A combo box's cy is the height of its opened list, edit
    // part included; the box itself shows at the widget's own height.
    int x, y, cx, cy;
    unsigned style;
    std::vector<const char*> items{};  // UTF-8; a combo box's initial list
};

// Window style bits of a dialog.
enum DialogStyle : unsigned {
    kResizable = 1u << 0,
    kMinimizeBox = 1u << 1,
    kSystemMenu = 1u << 2,
};

struct DlgTemplate {
    int id;
    const char* caption;   // UTF-8
    int cx, cy;            // client size in dialog units
    const char* fontFace;  // UTF-8
    int fontPoints;
    unsigned style;
    int menuId;            // 0 = no menu
    std::vector<DlgControl> controls;
};

// The template with this resource number, or nullptr.
const DlgTemplate* FindDialogTemplate(int id);

}  // namespace platform
