// CSettingsDlg: the modal "設定" dialog (resource 131). It shows six fields of
// the settings record and writes them straight back into it on OK; Cancel
// leaves the record untouched. The settings file is written only when the
// program ends.
#pragma once

#include "platform/cdialog.h"

class AppSettings;

class CSettingsDlg : public platform::CDialog {
    Q_OBJECT

public:
    explicit CSettingsDlg(AppSettings* settings);

protected:
    bool OnInitDialog() override;
    void OnOK() override;

private:
    AppSettings* settings;
};
