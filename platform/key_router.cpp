#include "platform/key_router.h"

#include "platform/cdialog.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>

namespace platform {

void KeyRouter::Install() {
    static KeyRouter* router = nullptr;
    if (router || !qApp) return;
    router = new KeyRouter;
    router->setParent(qApp);
    qApp->installEventFilter(router);
}

bool KeyRouter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return false;
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!widget) return false;
    // A key a child ignored travels on to its parents; it was offered once.
    auto* last = qobject_cast<QWidget*>(lastReceiver_);
    if (event == lastEvent_ && last && widget != last && widget->isAncestorOf(last)) {
        return false;
    }
    lastEvent_ = event;
    lastReceiver_ = watched;
    auto* dialog = qobject_cast<CDialog*>(widget->window());

    if (!dialog) return false;
    return dialog->PreTranslateKey(static_cast<QKeyEvent*>(event));
}

}  // namespace platform
