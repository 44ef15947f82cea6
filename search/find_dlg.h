// CFindDlg: the find dialog (Ctrl+F). It only collects the search text and
// its options and commits them to the host's search history; the search runs
// in the main window once the dialog has closed with OK.
#pragma once

#include "platform/cdialog.h"

class SearchHost;

class CFindDlg : public platform::CDialog {
    Q_OBJECT

public:
    CFindDlg(SearchHost* host, QWidget* parent = nullptr);

protected:
    bool OnInitDialog() override;
    void OnOK() override;

private:
    SearchHost* host_;
};
