// Combo-box operations in the framework's terms (add an item, choose one, the
// prefix search), on the QComboBox a dialog template builds. Texts are CP932.
#pragma once

#include <string>
#include <string_view>
#include <vector>

class QComboBox;

namespace platform {

// Appends an item at the end of the list (the list is never sorted); returns
// its index.
int AddComboItem(QComboBox* combo, std::string_view cp932);
// Empties the list; an editable box keeps its typed text.
void ResetComboItems(QComboBox* combo);
int ComboItemCount(const QComboBox* combo);
std::string ComboItemText(const QComboBox* combo, int index);

// The chosen item's index, or -1.
int ComboSelection(const QComboBox* combo);
// Chooses item index (an editable box shows its text); -1 or an index out of
// range chooses none.
void SelectComboItem(QComboBox* combo, int index);

// The first item, after item `after` and wrapping round to it, that begins
// with prefix, ASCII letters compared without regard to case; -1 for none.
// after = -1 searches the whole list from the start.
int FindComboPrefix(const QComboBox* combo, std::string_view prefix, int after = -1);
// FindComboPrefix from the start, and chooses that item; when none begins
// with prefix the choice stays as it was and -1 is returned.
int SelectComboPrefix(QComboBox* combo, std::string_view prefix);

// The search itself, on the items' texts.
int FindPrefix(const std::vector<std::string>& items, std::string_view prefix, int after);

}  // namespace platform
