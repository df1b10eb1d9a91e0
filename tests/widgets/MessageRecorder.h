// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "skin/ui/WindowMessageEvent.h"

#include <QWidget>
#include <tuple>
#include <vector>

// A window that keeps every window message it receives.
class MessageRecorder : public QWidget {
public:
    using QWidget::QWidget;
    struct Message {
        uint32_t message;
        uintptr_t wParam;
        intptr_t lParam;
        bool operator==(const Message&) const = default;
    };
    std::vector<Message> messages;

    std::vector<Message> Of(uint32_t message) const {
        std::vector<Message> out;
        for (const Message& m : messages) {
            if (m.message == message) {
                out.push_back(m);
            }
        }
        return out;
    }

protected:
    bool event(QEvent* e) override {
        if (e->type() == WindowMessageEvent::EventType()) {
            const auto* m = static_cast<WindowMessageEvent*>(e);
            messages.push_back({m->message(), m->wParam(), m->lParam()});
            return true;
        }
        return QWidget::event(e);
    }
};
