// CReplaceDlg: the replace dialog (Ctrl+H). It stays open and works on the
// host's editor: find next, replace, replace all, always searching forward.
// Every press commits the typed texts and options to the histories first.
#pragma once

#include "platform/cdialog.h"

class SearchHost;

class CReplaceDlg : public platform::CDialog {
    Q_OBJECT

public:
    CReplaceDlg(SearchHost* host, QWidget* parent = nullptr);

    void FindNext();
    // 1: replaced the selected match and found the next one; 0: replaced
    // nothing and found a match; -1: found none (after the message).
    int ReplaceOnce();
    void ReplaceAll();

protected:
    bool OnInitDialog() override;
    // Enter presses the default button, find next; only Cancel closes.
    void OnOK() override { FindNext(); }

private:
    void CommitSearch();
    void CommitReplacement();

    SearchHost* host_;
};
