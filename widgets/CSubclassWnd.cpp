// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/CSubclassWnd.h"

#include <memory>
#include <unordered_map>

// The one event filter of a hooked window: hands each event to the head of its chain.
class SubclassDispatcher : public QObject {
public:
    CSubclassWnd* head = nullptr;
    QMetaObject::Connection destroyedConnection;

    bool eventFilter(QObject* watched, QEvent* event) override {
        return head != nullptr && head->WindowProc(watched, event);
    }

    // Window -> its dispatcher. UI thread only, like the windows themselves.
    static std::unordered_map<const QObject*, std::unique_ptr<SubclassDispatcher>>& Chains() {
        static std::unordered_map<const QObject*, std::unique_ptr<SubclassDispatcher>> chains;
        return chains;
    }

    // The window is going: every hook of its chain lets go of it.
    static void WindowGone(const QObject* window) {
        auto& chains = Chains();
        const auto found = chains.find(window);
        if (found == chains.end()) {
            return;
        }
        const std::unique_ptr<SubclassDispatcher> dispatcher = std::move(found->second);
        chains.erase(found);
        for (CSubclassWnd* hook = dispatcher->head; hook != nullptr;) {
            CSubclassWnd* next = hook->next_;
            hook->window_ = nullptr;
            hook->next_ = nullptr;
            hook = next;
        }
    }
};

CSubclassWnd::~CSubclassWnd() {
    Unhook();
}

bool CSubclassWnd::HookWindow(QObject* window) {
    Unhook();
    if (window == nullptr) {
        return true;
    }
    auto& chains = SubclassDispatcher::Chains();
    auto& dispatcher = chains[window];
    if (!dispatcher) {
        dispatcher = std::make_unique<SubclassDispatcher>();
        window->installEventFilter(dispatcher.get());
        // destroyed() comes after the window has stopped being a widget: the last moment at
        // which its chain can be taken apart. No context object: the dispatcher is deleted
        // inside this very call.
        const QObject* key = window;
        dispatcher->destroyedConnection = QObject::connect(
            window, &QObject::destroyed, [key] { SubclassDispatcher::WindowGone(key); });
    }
    next_ = dispatcher->head;
    dispatcher->head = this;
    window_ = window;
    return true;
}

void CSubclassWnd::Unhook() {
    if (window_ == nullptr) {
        return;
    }
    auto& chains = SubclassDispatcher::Chains();
    const auto found = chains.find(window_);
    if (found != chains.end()) {
        SubclassDispatcher* dispatcher = found->second.get();
        if (dispatcher->head == this) {
            dispatcher->head = next_;
        } else {
            for (CSubclassWnd* hook = dispatcher->head; hook != nullptr; hook = hook->next_) {
                if (hook->next_ == this) {
                    hook->next_ = next_;
                    break;
                }
            }
        }
        if (dispatcher->head == nullptr) {
            window_->removeEventFilter(dispatcher);
            QObject::disconnect(dispatcher->destroyedConnection);
            chains.erase(found);
        }
    }
    window_ = nullptr;
    next_ = nullptr;
}

bool CSubclassWnd::WindowProc(QObject* window, QEvent* event) {
    return next_ != nullptr && next_->WindowProc(window, event);
}

int CSubclassWnd::HookCount(const QObject* window) {
    const auto& chains = SubclassDispatcher::Chains();
    const auto found = chains.find(window);
    if (found == chains.end()) {
        return 0;
    }
    int n = 0;
    for (const CSubclassWnd* hook = found->second->head; hook != nullptr; hook = hook->next_) {
        ++n;
    }
    return n;
}
