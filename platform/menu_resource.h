// Menus and accelerator tables as data, keyed by resource number.
#pragma once

#include <vector>

namespace platform {

struct MenuEntry {
    int id;             // 0 = separator
    const char* label;  // UTF-8; a TAB separates the key name shown at the right
    bool checked;
};

struct MenuPopup {
    const char* label;  // UTF-8
    std::vector<MenuEntry> entries;
};

struct MenuResource {
    int id;
    std::vector<MenuPopup> popups;
};

// Virtual-key accelerator entries as the resource compiler stores them.
enum AccelFlags : unsigned {
    kFVirtKey = 0x01,
    kFShift = 0x04,
    kFControl = 0x08,
    kFAlt = 0x10,
};

// Windows virtual-key codes used by the tables ('A'-'Z' are their own codes).
enum VirtualKey : int {
    kVkReturn = 0x0D,
    kVkEscape = 0x1B,
    kVkF1 = 0x70,  // F1..F12 follow in order
};

struct AccelEntry {
    unsigned flags;
    int key;       // virtual-key code
    int command;
};

struct AccelTable {
    int id;
    std::vector<AccelEntry> entries;
};

const MenuResource* FindMenu(int id);
const AccelTable* FindAccelTable(int id);
// String table entry, UTF-8, or nullptr.
const char* FindString(int id);

}  // namespace platform
