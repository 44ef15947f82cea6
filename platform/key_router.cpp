#include "platform/key_router.h"

#include "platform/cdialog.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QWidget>

#include <memory>

namespace platform {

void KeyRouter::Install() {
    static KeyRouter* router = nullptr;
    if (router || !qApp) return;
    router = new KeyRouter;
    router->setParent(qApp);
    qApp->installEventFilter(router);
}

bool KeyRouter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress || event == delivering_) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget) return false;
    auto* dialog = qobject_cast<CDialog*>(widget->window());
    if (!dialog) return false;

    auto* key = static_cast<QKeyEvent*>(event);
    // Consumed either way: Qt must not walk this event up the parents.
    key->accept();
    QPointer<QWidget> receiver = widget;
    if (dialog->PreTranslateKey(key) || !receiver) return true;
    std::unique_ptr<QEvent> copy(key->clone());
    const QEvent* outer = delivering_;
    delivering_ = copy.get();
    QCoreApplication::sendEvent(receiver, copy.get());
    delivering_ = outer;
    return true;
}

}  // namespace platform
