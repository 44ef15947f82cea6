// The message filter: every key event is offered first to the CDialog whose
// window holds the receiving widget (PreTranslateKey), as the framework's
// PreTranslateMessage does.
#pragma once

#include <QObject>
#include <QPointer>

namespace platform {

class KeyRouter : public QObject {
    Q_OBJECT

public:
    // Installs the one filter on the application; later calls do nothing.
    static void Install();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    const QEvent* lastEvent_ = nullptr;
    QPointer<QObject> lastReceiver_;
};

}  // namespace platform
