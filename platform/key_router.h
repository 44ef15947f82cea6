// The message filter: every key event is offered first to the CDialog whose
// window holds the receiving widget (PreTranslateKey), as the framework's
// PreTranslateMessage does, exactly once per key.
#pragma once

#include <QObject>

namespace platform {

class KeyRouter : public QObject {
    Q_OBJECT

public:
    // Installs the one filter on the application; later calls do nothing.
    static void Install();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The key now being delivered after its offer. Qt hands a key that a
    // widget ignored on to the widget's parents as the same event; telling
    // that apart from a new key by its address fails, because a new key is
    // often built at the very address of the last one. So a key is offered
    // once, at its first receiver, and then delivered as a copy of our own,
    // whose address nothing else can have while it travels.
    const QEvent* delivering_ = nullptr;
};

}  // namespace platform
