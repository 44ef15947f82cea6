#include "app/about_dlg.h"

#include "resources/images.h"
#include "resources/resource_ids.h"

#include <QLabel>

CAboutDlg::CAboutDlg(QWidget* parent) : CDialog(res::IDD_ABOUTBOX, parent) {}

QWidget* CAboutDlg::CreateControl(const platform::DlgControl& control, QWidget* parent) {
    if (control.kind != platform::ControlKind::Icon) return CDialog::CreateControl(control, parent);
    // The template's one icon is the program's icon; a static icon control
    // shows it at the system icon size, whatever size the template gives.
    auto* label = new QLabel(parent);
    label->setPixmap(res::LoadIcon(res::IDI_MAIN).pixmap(32, 32));
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}
