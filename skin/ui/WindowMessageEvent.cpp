#include "skin/ui/WindowMessageEvent.h"

#include <QCoreApplication>

WindowMessageEvent::WindowMessageEvent(uint32_t message, uintptr_t wParam, intptr_t lParam)
    : QEvent(EventType()), message_(message), wParam_(wParam), lParam_(lParam) {}

QEvent::Type WindowMessageEvent::EventType() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

intptr_t SendWindowMessage(QObject* receiver, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (receiver == nullptr) {
        return 0;
    }
    WindowMessageEvent event(message, wParam, lParam);
    QCoreApplication::sendEvent(receiver, &event);
    return event.result();
}

bool PostWindowMessage(QObject* receiver, uint32_t message, uintptr_t wParam, intptr_t lParam) {
    if (receiver == nullptr) {
        return false;
    }
    QCoreApplication::postEvent(receiver, new WindowMessageEvent(message, wParam, lParam));
    return true;
}
