// CSqlEdit: the SQL editor control. It takes every key (Tab types a TAB) and
// shows the line-selection arrow over its left margin.
#pragma once

#include "platform/edit_control.h"

class CSqlEdit : public platform::CEdit {
    Q_OBJECT

public:
    explicit CSqlEdit(QWidget* parent = nullptr);

    // The cursor for a pointer at x (client pixels): the arrow from -5 to 15.
    static bool IsMarginX(int x) { return x >= -5 && x <= 15; }

protected:
    bool event(QEvent* event) override;
    void OnPasteOverLimit() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void OnMouseMove(int clientX);
};
