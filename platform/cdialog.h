// CDialog: a dialog built from a numbered template, in the place of the Windows
// framework's dialog class. Commands (menu items, buttons, accelerators) reach
// the window as numbers through OnCommand; keys pass PreTranslateKey first.
#pragma once

#include "platform/dialog_template.h"
#include "platform/menu_resource.h"

#include <QDialog>

#include <functional>
#include <string>
#include <string_view>
#include <unordered_map>

class QAction;
class QKeyEvent;
class QMenu;
class QMenuBar;

namespace platform {

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;

class CDialog : public QDialog {
    Q_OBJECT

public:
    explicit CDialog(int templateId, QWidget* parent = nullptr);
    // A template that is not among the program's resources (tests build
    // their own); it must outlive the dialog.
    explicit CDialog(const DlgTemplate& dialogTemplate, QWidget* parent = nullptr);
    ~CDialog() override;

    // Runs the dialog modally and returns the value given to EndDialog. Under a
    // test driver (SetModalDriver) the driver plays the user instead.
    int DoModal();
    // Builds the window, runs OnInitDialog and leaves it to the caller (or to
    // OnInitDialog) to show it: the modeless form.
    bool Create(QWidget* owner);
    void EndDialog(int result);
    // Destroys a modeless window: OnDestroy, then the object is deleted.
    void DestroyWindow();
    bool IsDestroyed() const { return destroyed_; }

    // Sends a command as a click or a menu choice would.
    void SendCommand(int id);
    // Queues a command to be handled once the event loop runs (PostMessage).
    void PostCommand(int id);

    QWidget* GetDlgItem(int id) const;
    template <class T>
    T* Item(int id) const { return qobject_cast<T*>(GetDlgItem(id)); }

    std::string GetWindowText() const;          // CP932
    void SetWindowText(std::string_view cp932);
    // Edits, combo boxes (the edit part, or the chosen item of a drop-down
    // list), buttons and labels.
    std::string GetItemText(int id) const;      // CP932
    // On a drop-down list: chooses the item with exactly that text, or none.
    void SetItemText(int id, std::string_view cp932);

    // Check boxes and radio buttons.
    bool IsButtonChecked(int id) const;
    // Unchecking the chosen radio button of a group leaves none chosen.
    void CheckButton(int id, bool checked);
    // Chooses radio button id and clears every other button of first..last.
    void CheckRadioButton(int first, int last, int id);

    // The area below the menu bar: the framework's client area.
    QWidget* Client() const { return client_; }
    int ClientWidth() const;
    int ClientHeight() const;
    // Outer size of the window (the frame included), and a resize to one,
    // kept within the screen's available area and not below the smallest
    // size whose title bar, menu and contents can still be reached.
    QSize OuterSize() const;
    void ResizeOuter(int width, int height);
    static constexpr int kMinClientWidth = 200;
    static constexpr int kMinClientHeight = 60;
    void CenterOver(QWidget* owner);

    int DialogUnitsToPixelsX(int du) const;
    int DialogUnitsToPixelsY(int du) const;

    // The menu bar's item with this command id, or nullptr.
    QAction* MenuItem(int id) const;
    void SetMenuItemText(int id, std::string_view cp932);
    void CheckMenuItem(int id, bool checked);
    QMenuBar* MenuBar() const { return menuBar_; }

    const DlgTemplate& Template() const { return *template_; }

    // Test seam: when set, DoModal shows the dialog without a modal loop and
    // calls the driver, which plays the user (types, clicks, ends the dialog).
    // A dialog the driver leaves open is ended with IDCANCEL.
    using ModalDriver = std::function<void(CDialog&)>;
    static void SetModalDriver(ModalDriver driver);

    // Handles every key that reaches a control of this window first. Used by
    // the application-wide key filter; returns true when the key is consumed.
    virtual bool PreTranslateKey(QKeyEvent* event);

protected:
    virtual bool OnInitDialog() { return true; }
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    virtual void OnSize(int cx, int cy) { (void)cx; (void)cy; }
    virtual void OnDestroy() {}
    // After a modeless window is gone; a window that owns itself deletes itself.
    virtual void PostNcDestroy() {}
    // The close box; modal dialogs cancel, modeless ones override.
    virtual void OnClose() { OnCancel(); }
    // Creates the widget for a control. Windows override it to put their own
    // classes in place of the standard ones, as subclassing does.
    virtual QWidget* CreateControl(const DlgControl& control, QWidget* parent);
    // Dispatches a command id to its mapped handler; 1 and 2 default to OnOK
    // and OnCancel. Returns false when nobody handles it.
    virtual bool OnCommand(int id);

    void MapCommand(int id, std::function<void()> handler);
    void MapCommandRange(int first, int last, std::function<void(int)> handler);
    // True when OnCommand has somewhere to send this id.
    bool HandlesCommand(int id) const;
    // Runs the command of the matching entry; true when one matched. A key
    // whose command nobody handles is not taken: it goes on to the control.
    bool TranslateAccelerator(const AccelTable* table, QKeyEvent* event);

    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void reject() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Build();
    void PlaceControl(const DlgControl& control, QWidget* widget);
    void BuildMenu(const MenuResource& menu);

    const DlgTemplate* template_;
    QMenuBar* menuBar_ = nullptr;
    QWidget* client_ = nullptr;
    std::unordered_map<int, QWidget*> items_;
    std::unordered_map<int, QAction*> menuItems_;
    std::unordered_map<int, std::function<void()>> commands_;
    struct Range {
        int first, last;
        std::function<void(int)> handler;
    };
    std::vector<Range> commandRanges_;
    int baseUnitX_ = 8;
    int baseUnitY_ = 16;
    bool built_ = false;
    bool ended_ = false;
    bool destroyed_ = false;
    int result_ = IDCANCEL;
};

}  // namespace platform
