#include "platform/combo_box.h"

#include "platform/codepage.h"
#include "platform/qtext.h"

#include <QComboBox>

namespace platform {
namespace {

char FoldAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// The second byte of a double-byte character may look like a letter; it is
// compared exactly.
bool StartsWithFolded(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) return false;
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        if (IsLeadByte(static_cast<unsigned char>(prefix[i])) && i + 1 < prefix.size()) {
            if (text[i] != prefix[i] || text[i + 1] != prefix[i + 1]) return false;
            ++i;
        } else if (FoldAscii(text[i]) != FoldAscii(prefix[i])) {
            return false;
        }
    }
    return true;
}

std::vector<std::string> ItemTexts(const QComboBox* combo) {
    std::vector<std::string> texts;
    texts.reserve(static_cast<std::size_t>(combo->count()));
    for (int i = 0; i < combo->count(); ++i) texts.push_back(QStringToCp932(combo->itemText(i)));
    return texts;
}

}  // namespace

int FindPrefix(const std::vector<std::string>& items, std::string_view prefix, int after) {
    const int count = static_cast<int>(items.size());
    if (count == 0) return -1;
    if (after < -1 || after >= count) after = -1;
    for (int step = 1; step <= count; ++step) {
        const int i = (after + step) % count;
        if (StartsWithFolded(items[static_cast<std::size_t>(i)], prefix)) return i;
    }
    return -1;
}

int AddComboItem(QComboBox* combo, std::string_view cp932) {
    combo->addItem(Cp932ToQString(cp932));
    return combo->count() - 1;
}

void ResetComboItems(QComboBox* combo) {
    const QString typed = combo->isEditable() ? combo->currentText() : QString();
    combo->clear();
    if (combo->isEditable()) combo->setEditText(typed);
}

int ComboItemCount(const QComboBox* combo) { return combo->count(); }

std::string ComboItemText(const QComboBox* combo, int index) {
    return index >= 0 && index < combo->count() ? QStringToCp932(combo->itemText(index)) : std::string();
}

int ComboSelection(const QComboBox* combo) { return combo->currentIndex(); }

void SelectComboItem(QComboBox* combo, int index) {
    if (index < 0 || index >= combo->count()) index = -1;
    combo->setCurrentIndex(index);
    if (index < 0 && combo->isEditable()) combo->setEditText(QString());
}

int FindComboPrefix(const QComboBox* combo, std::string_view prefix, int after) {
    return FindPrefix(ItemTexts(combo), prefix, after);
}

int SelectComboPrefix(QComboBox* combo, std::string_view prefix) {
    const int index = FindComboPrefix(combo, prefix);
    if (index >= 0) combo->setCurrentIndex(index);
    return index;
}

}  // namespace platform
