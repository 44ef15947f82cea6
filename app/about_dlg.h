// CAboutDlg: the about box, dialog 100. It has no data and no handlers of its
// own; OK or the close box ends it.
#pragma once

#include "platform/cdialog.h"

class CAboutDlg : public platform::CDialog {
    Q_OBJECT

public:
    explicit CAboutDlg(QWidget* parent = nullptr);

protected:
    QWidget* CreateControl(const platform::DlgControl& control, QWidget* parent) override;
};
