#include "platform/cdialog.h"

#include "platform/edit_control.h"
#include "platform/fonts.h"
#include "platform/key_router.h"
#include "platform/qtext.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QScreen>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

namespace platform {
namespace {

CDialog::ModalDriver& Driver() {
    static CDialog::ModalDriver driver;
    return driver;
}

// The virtual-key code of a key event, or 0.
int VirtualKeyOf(const QKeyEvent* event) {
    int key = event->key();
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return 'A' + (key - Qt::Key_A);
    if (key >= Qt::Key_0 && key <= Qt::Key_9) return '0' + (key - Qt::Key_0);
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) return kVkF1 + (key - Qt::Key_F1);
    if (key == Qt::Key_Return || key == Qt::Key_Enter) return kVkReturn;
    if (key == Qt::Key_Escape) return kVkEscape;
    if (key == Qt::Key_Tab || key == Qt::Key_Backtab) return 0x09;
    return 0;
}

}  // namespace

CDialog::CDialog(int templateId, QWidget* parent)
    : QDialog(parent), template_(FindDialogTemplate(templateId)) {
    static const DlgTemplate kEmpty{0, "", 100, 100, "", 9, 0, 0, {}};
    if (!template_) template_ = &kEmpty;
    KeyRouter::Install();
}

CDialog::CDialog(const DlgTemplate& dialogTemplate, QWidget* parent)
    : QDialog(parent), template_(&dialogTemplate) {
    KeyRouter::Install();
}

CDialog::~CDialog() = default;

void CDialog::SetModalDriver(ModalDriver driver) { Driver() = std::move(driver); }

void CDialog::Build() {
    if (built_) return;
    built_ = true;
    setWindowTitle(QString::fromUtf8(template_->caption));
    QFont font = PointFont(template_->fontFace, template_->fontPoints * 10);
    setFont(font);
    QFontMetrics fm(font);
    int abc = fm.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    baseUnitX_ = (abc / 26 + 1) / 2;
    baseUnitY_ = fm.height();

    Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
    if (template_->style & kMinimizeBox) flags |= Qt::WindowMinimizeButtonHint;
    if (template_->style & kSystemMenu) flags |= Qt::WindowSystemMenuHint;
    setWindowFlags(flags);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    if (template_->menuId) {
        if (const MenuResource* menu = FindMenu(template_->menuId)) {
            menuBar_ = new QMenuBar(this);
            // Menus draw in the desktop's menu face, not in the dialog font.
            menuBar_->setFont(PointFont(kPGothicFace, 90));
            layout->setMenuBar(menuBar_);
            BuildMenu(*menu);
        }
    }
    client_ = new QWidget(this);
    client_->installEventFilter(this);
    layout->addWidget(client_, 1);

    // Radio buttons form groups as the template marks them: a kGroup
    // control ends the group before it, and a radio button starts one.
    QButtonGroup* radioGroup = nullptr;
    // A label's mnemonic (&N) moves the focus to the control that follows
    // it, as the dialog manager does with a static text's.
    QLabel* mnemonicLabel = nullptr;
    for (const DlgControl& c : template_->controls) {
        QWidget* w = CreateControl(c, client_);
        if (!w) continue;
        PlaceControl(c, w);
        if (c.id > 0) items_[c.id] = w;
        if (auto* label = qobject_cast<QLabel*>(w)) {
            if (c.kind == ControlKind::Static && QString::fromUtf8(c.text ? c.text : "").contains(QLatin1Char('&'))) {
                mnemonicLabel = label;
            }
        } else if (mnemonicLabel && w->focusPolicy() != Qt::NoFocus) {
            mnemonicLabel->setBuddy(w);
            mnemonicLabel = nullptr;
        }
        if (auto* radio = qobject_cast<QRadioButton*>(w)) {
            if (!radioGroup || (c.style & kGroup)) radioGroup = new QButtonGroup(this);
            radioGroup->addButton(radio, c.id);
        } else if (c.style & kGroup) {
            radioGroup = nullptr;
        }
        if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            int id = c.id;
            connect(button, &QAbstractButton::clicked, this, [this, id] { SendCommand(id); });
        }
    }
    int clientW = DialogUnitsToPixelsX(template_->cx);
    int clientH = DialogUnitsToPixelsY(template_->cy);
    int menuH = menuBar_ ? menuBar_->sizeHint().height() : 0;
    client_->setMinimumSize(0, 0);
    if (template_->style & kResizable) {
        resize(clientW, clientH + menuH);
    } else {
        setFixedSize(clientW, clientH + menuH);
    }
}

void CDialog::PlaceControl(const DlgControl& c, QWidget* w) {
    const int x = DialogUnitsToPixelsX(c.x);
    const int y = DialogUnitsToPixelsY(c.y);
    const int width = DialogUnitsToPixelsX(c.cx);
    const int height = DialogUnitsToPixelsY(c.cy);
    if (auto* combo = qobject_cast<QComboBox*>(w)) {
        for (const char* item : c.items) combo->addItem(QString::fromUtf8(item));
        combo->setCurrentIndex(-1);
        // The template's height is the opened list's; the box keeps its own.
        const int shown = combo->sizeHint().height();
        combo->setGeometry(x, y, width, shown);
        const int itemHeight = std::max(1, combo->fontMetrics().height());
        combo->setMaxVisibleItems(std::max(1, (height - shown) / itemHeight));
    } else {
        w->setGeometry(x, y, width, height);
    }
    w->setVisible(c.style & kVisible);
    if (c.style & kDisabled) w->setEnabled(false);
}

void CDialog::BuildMenu(const MenuResource& menu) {
    for (const MenuPopup& popup : menu.popups) {
        QMenu* m = menuBar_->addMenu(QString::fromUtf8(popup.label));
        for (const MenuEntry& e : popup.entries) {
            if (e.id == 0) {
                m->addSeparator();
                continue;
            }
            QAction* action = m->addAction(QString::fromUtf8(e.label));
            int id = e.id;
            // The check mark belongs to the program, not to the click: a
            // click that toggled it is taken back.
            connect(action, &QAction::triggered, this, [this, action, id](bool) {
                if (action->isCheckable()) action->setChecked(!action->isChecked());
                SendCommand(id);
            });
            menuItems_[id] = action;
            CheckMenuItem(id, e.checked);
        }
    }
}

QWidget* CDialog::CreateControl(const DlgControl& c, QWidget* parent) {
    QString text = QString::fromUtf8(c.text ? c.text : "");
    switch (c.kind) {
    case ControlKind::Static: {
        auto* label = new QLabel(text, parent);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        return label;
    }
    case ControlKind::Edit: {
        auto* edit = new QLineEdit(parent);
        if (c.style & kPassword) edit->setEchoMode(QLineEdit::Password);
        if (c.style & kReadOnly) edit->setReadOnly(true);
        if (c.style & kRightAlign) edit->setAlignment(Qt::AlignRight);
        if (c.style & kDigitsOnly) {
            edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
        }
        KeepFormsWholeOnBackspace(edit);
        return edit;
    }
    case ControlKind::MultiEdit: {
        auto* edit = new CEdit(parent);
        edit->setReadOnly(c.style & kReadOnly);
        edit->setHorizontalScrollBarPolicy((c.style & kHScroll) ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
        edit->setVerticalScrollBarPolicy((c.style & kVScroll) ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
        edit->setLineWrapMode((c.style & kAutoHScroll) ? QPlainTextEdit::NoWrap : QPlainTextEdit::WidgetWidth);
        return edit;
    }
    case ControlKind::Button:
    case ControlKind::DefButton: {
        auto* button = new QPushButton(text, parent);
        button->setAutoDefault(false);
        button->setDefault(c.kind == ControlKind::DefButton);
        return button;
    }
    case ControlKind::GroupBox:
        return new QGroupBox(text, parent);
    case ControlKind::Radio:
        return new QRadioButton(text, parent);
    case ControlKind::CheckBox:
        return new QCheckBox(text, parent);
    case ControlKind::ComboList:
        return new QComboBox(parent);
    case ControlKind::ComboEdit: {
        auto* combo = new QComboBox(parent);
        combo->setEditable(true);
        // The list is the program's (a history): Enter adds nothing to it,
        // and typing completes nothing.
        combo->setInsertPolicy(QComboBox::NoInsert);
        combo->setCompleter(nullptr);
        KeepFormsWholeOnBackspace(combo->lineEdit());
        return combo;
    }
    case ControlKind::ListView:
        return new QTableView(parent);
    case ControlKind::ListBox: {
        auto* list = new QListWidget(parent);
        list->setSelectionMode(QAbstractItemView::ExtendedSelection);
        return list;
    }
    case ControlKind::Icon:
        return new QLabel(parent);
    }
    return nullptr;
}

int CDialog::DialogUnitsToPixelsX(int du) const { return (du * baseUnitX_ + 2) / 4; }
int CDialog::DialogUnitsToPixelsY(int du) const { return (du * baseUnitY_ + 4) / 8; }

int CDialog::DoModal() {
    Build();
    ended_ = false;
    result_ = IDCANCEL;
    OnInitDialog();
    if (ended_) return result_;
    if (Driver()) {
        setModal(true);
        show();
        Driver()(*this);
        if (!ended_) {
            ended_ = true;
            result_ = IDCANCEL;
        }
        hide();
        return result_;
    }
    exec();
    return ended_ ? result_ : IDCANCEL;
}

bool CDialog::Create(QWidget* owner) {
    if (owner && parentWidget() != owner) setParent(owner, windowFlags());
    Build();
    OnInitDialog();
    return true;
}

void CDialog::EndDialog(int result) {
    ended_ = true;
    result_ = result;
    if (isModal() && !Driver()) {
        done(result);
    } else {
        hide();
    }
}

void CDialog::DestroyWindow() {
    if (destroyed_) return;
    destroyed_ = true;
    OnDestroy();
    hide();
    PostNcDestroy();
}

void CDialog::SendCommand(int id) { OnCommand(id); }

void CDialog::PostCommand(int id) {
    QTimer::singleShot(0, this, [this, id] { SendCommand(id); });
}

bool CDialog::OnCommand(int id) {
    auto it = commands_.find(id);
    if (it != commands_.end()) {
        it->second();
        return true;
    }
    for (const Range& r : commandRanges_) {
        if (id >= r.first && id <= r.last) {
            r.handler(id);
            return true;
        }
    }
    if (id == IDOK) {
        OnOK();
        return true;
    }
    if (id == IDCANCEL) {
        OnCancel();
        return true;
    }
    return false;
}

void CDialog::MapCommand(int id, std::function<void()> handler) { commands_[id] = std::move(handler); }

void CDialog::MapCommandRange(int first, int last, std::function<void(int)> handler) {
    commandRanges_.push_back({first, last, std::move(handler)});
}

bool CDialog::HandlesCommand(int id) const {
    if (id == IDOK || id == IDCANCEL || commands_.count(id)) return true;
    for (const Range& r : commandRanges_) {
        if (id >= r.first && id <= r.last) return true;
    }
    return false;
}

bool CDialog::TranslateAccelerator(const AccelTable* table, QKeyEvent* event) {
    if (!table) return false;
    int vk = VirtualKeyOf(event);
    if (!vk) return false;
    Qt::KeyboardModifiers mods = event->modifiers();
    unsigned flags = 0;
    if (mods & Qt::ShiftModifier) flags |= kFShift;
    if (mods & Qt::ControlModifier) flags |= kFControl;
    if (mods & Qt::AltModifier) flags |= kFAlt;
    for (const AccelEntry& e : table->entries) {
        unsigned wanted = e.flags & (kFShift | kFControl | kFAlt);
        if (e.key == vk && wanted == flags) {
            if (!HandlesCommand(e.command)) return false;
            SendCommand(e.command);
            return true;
        }
    }
    return false;
}

bool CDialog::PreTranslateKey(QKeyEvent* event) {
    (void)event;
    return false;
}

QWidget* CDialog::GetDlgItem(int id) const {
    auto it = items_.find(id);
    return it == items_.end() ? nullptr : it->second;
}

std::string CDialog::GetWindowText() const { return QStringToCp932(windowTitle()); }
void CDialog::SetWindowText(std::string_view cp932) { setWindowTitle(Cp932ToQString(cp932)); }

std::string CDialog::GetItemText(int id) const {
    QWidget* w = GetDlgItem(id);
    if (auto* edit = qobject_cast<QLineEdit*>(w)) return QStringToCp932(edit->text());
    if (auto* edit = qobject_cast<CEdit*>(w)) return edit->GetText();
    if (auto* combo = qobject_cast<QComboBox*>(w)) return QStringToCp932(combo->currentText());
    if (auto* button = qobject_cast<QAbstractButton*>(w)) return QStringToCp932(button->text());
    if (auto* label = qobject_cast<QLabel*>(w)) return QStringToCp932(label->text());
    return {};
}

void CDialog::SetItemText(int id, std::string_view cp932) {
    QWidget* w = GetDlgItem(id);
    QString text = Cp932ToQString(cp932);
    if (auto* edit = qobject_cast<QLineEdit*>(w)) edit->setText(text);
    else if (auto* edit = qobject_cast<CEdit*>(w)) edit->SetText(cp932);
    else if (auto* combo = qobject_cast<QComboBox*>(w)) {
        if (combo->isEditable()) combo->setEditText(text);
        else combo->setCurrentIndex(combo->findText(text, Qt::MatchExactly));
    }
    else if (auto* button = qobject_cast<QAbstractButton*>(w)) button->setText(text);
    else if (auto* label = qobject_cast<QLabel*>(w)) label->setText(text);
}

bool CDialog::IsButtonChecked(int id) const {
    auto* button = qobject_cast<QAbstractButton*>(GetDlgItem(id));
    return button && button->isChecked();
}

void CDialog::CheckButton(int id, bool checked) {
    auto* button = qobject_cast<QAbstractButton*>(GetDlgItem(id));
    if (!button) return;
    QButtonGroup* group = button->group();
    // An exclusive group refuses to lose its chosen button otherwise.
    const bool exclusive = group && group->exclusive();
    if (exclusive && !checked) group->setExclusive(false);
    button->setChecked(checked);
    if (exclusive && !checked) group->setExclusive(true);
}

void CDialog::CheckRadioButton(int first, int last, int id) {
    for (int other = first; other <= last; ++other) {
        if (other != id) CheckButton(other, false);
    }
    CheckButton(id, true);
}

int CDialog::ClientWidth() const { return client_ ? client_->width() : width(); }
int CDialog::ClientHeight() const { return client_ ? client_->height() : height(); }

QSize CDialog::OuterSize() const { return frameGeometry().size(); }

void CDialog::ResizeOuter(int width, int height) {
    // The frame is known once the platform window exists.
    if (!testAttribute(Qt::WA_WState_Created)) winId();
    const QSize frame = frameGeometry().size() - geometry().size();
    // A size from a hand-edited settings file may be anything: a window
    // larger than the screen costs gigabytes, one too small has no reachable
    // title bar or menu. Stay between the smallest usable size and the
    // screen's available area (when the screen is smaller still, the
    // smallest usable size wins).
    const int menuHeight = menuBar_ ? menuBar_->sizeHint().height() : 0;
    const QSize smallest = frame + QSize(kMinClientWidth, kMinClientHeight + menuHeight);
    QSize largest = smallest;
    QScreen* shownOn = screen() ? screen() : QGuiApplication::primaryScreen();
    if (shownOn) largest = largest.expandedTo(shownOn->availableGeometry().size());
    const int w = std::clamp(width, smallest.width(), largest.width());
    const int h = std::clamp(height, smallest.height(), largest.height());
    resize(w - frame.width(), h - frame.height());
}

void CDialog::CenterOver(QWidget* owner) {
    QRect area;
    if (owner) area = owner->frameGeometry();
    else if (QScreen* s = screen()) area = s->availableGeometry();
    if (area.isEmpty()) return;
    QSize size = frameGeometry().size();
    move(area.center().x() - size.width() / 2, area.center().y() - size.height() / 2);
}

QAction* CDialog::MenuItem(int id) const {
    auto it = menuItems_.find(id);
    return it == menuItems_.end() ? nullptr : it->second;
}

void CDialog::SetMenuItemText(int id, std::string_view cp932) {
    if (QAction* a = MenuItem(id)) a->setText(Cp932ToQString(cp932));
}

void CDialog::CheckMenuItem(int id, bool checked) {
    // Only a marked item is checkable: the menu draws an empty box beside
    // every checkable item, where the framework's menus show nothing.
    if (QAction* a = MenuItem(id)) {
        a->setCheckable(checked);
        a->setChecked(checked);
    }
}

void CDialog::closeEvent(QCloseEvent* event) {
    event->ignore();
    if (!destroyed_) OnClose();
}

void CDialog::keyPressEvent(QKeyEvent* event) {
    // Keys that no control took: Enter and Escape mean OK and Cancel, as in
    // the framework's dialog manager.
    // The keypad's Enter arrives with KeypadModifier and counts as Return.
    int vk = VirtualKeyOf(event);
    if (vk == kVkReturn && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        SendCommand(IDOK);
        return;
    }
    if (vk == kVkEscape) {
        SendCommand(IDCANCEL);
        return;
    }
    QWidget::keyPressEvent(event);
}

void CDialog::reject() { SendCommand(IDCANCEL); }

bool CDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == client_ && event->type() == QEvent::Resize) {
        OnSize(client_->width(), client_->height());
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace platform
