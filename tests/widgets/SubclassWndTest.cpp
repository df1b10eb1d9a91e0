// SPDX-License-Identifier: GPL-3.0-or-later
#include "MessageRecorder.h"
#include "widgets/CSubclassWnd.h"

#include <QApplication>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

// Logs its name for every window message and passes it on unless told to swallow it.
class NamedHook : public CSubclassWnd {
public:
    NamedHook(std::string name, std::vector<std::string>& log)
        : name_(std::move(name)), log_(log) {}
    bool swallow = false;
    bool WindowProc(QObject* window, QEvent* event) override {
        if (event->type() == WindowMessageEvent::EventType()) {
            log_.push_back(name_);
            if (swallow) {
                return true;
            }
        }
        return CSubclassWnd::WindowProc(window, event);
    }

private:
    std::string name_;
    std::vector<std::string>& log_;
};

TEST(SubclassWnd, MostRecentHookRunsFirstThenTheWindow) {
    MessageRecorder window;
    std::vector<std::string> log;
    NamedHook a("a", log), b("b", log), c("c", log);
    a.HookWindow(&window);
    b.HookWindow(&window);
    c.HookWindow(&window);
    EXPECT_EQ(CSubclassWnd::HookCount(&window), 3);
    SendWindowMessage(&window, 0x400, 1, 2);
    EXPECT_EQ(log, (std::vector<std::string>{"c", "b", "a"}));
    EXPECT_EQ(window.messages.size(), 1u);

    // A hook that does not pass the message on keeps it from the older hooks and the window.
    log.clear();
    b.swallow = true;
    SendWindowMessage(&window, 0x400, 1, 2);
    EXPECT_EQ(log, (std::vector<std::string>{"c", "b"}));
    EXPECT_EQ(window.messages.size(), 1u);
}

TEST(SubclassWnd, UnhookingFromAnyPlaceKeepsTheRestOfTheChain) {
    MessageRecorder window;
    std::vector<std::string> log;
    NamedHook a("a", log), b("b", log), c("c", log);
    a.HookWindow(&window);
    b.HookWindow(&window);
    c.HookWindow(&window);
    b.HookWindow(nullptr); // middle
    EXPECT_FALSE(b.IsHooked());
    SendWindowMessage(&window, 0x400, 0, 0);
    EXPECT_EQ(log, (std::vector<std::string>{"c", "a"}));
    log.clear();
    c.HookWindow(nullptr); // head
    SendWindowMessage(&window, 0x400, 0, 0);
    EXPECT_EQ(log, (std::vector<std::string>{"a"}));
    log.clear();
    {
        NamedHook d("d", log);
        d.HookWindow(&window);
    } // the destructor unhooks
    a.HookWindow(nullptr);
    EXPECT_EQ(CSubclassWnd::HookCount(&window), 0);
    SendWindowMessage(&window, 0x400, 0, 0);
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(window.messages.size(), 3u);
}

TEST(SubclassWnd, HookingAnotherWindowLeavesTheFirstChain) {
    MessageRecorder first, second;
    std::vector<std::string> log;
    NamedHook a("a", log), b("b", log);
    a.HookWindow(&first);
    b.HookWindow(&first);
    b.HookWindow(&second);
    EXPECT_EQ(b.HookedWindow(), &second);
    EXPECT_EQ(CSubclassWnd::HookCount(&first), 1);
    EXPECT_EQ(CSubclassWnd::HookCount(&second), 1);
    SendWindowMessage(&first, 0x400, 0, 0);
    SendWindowMessage(&second, 0x400, 0, 0);
    EXPECT_EQ(log, (std::vector<std::string>{"a", "b"}));
}

TEST(SubclassWnd, DestroyingTheWindowUnhooksEveryHook) {
    std::vector<std::string> log;
    auto a = std::make_unique<NamedHook>("a", log);
    auto b = std::make_unique<NamedHook>("b", log);
    {
        auto window = std::make_unique<MessageRecorder>();
        a->HookWindow(window.get());
        b->HookWindow(window.get());
        const QObject* gone = window.get();
        window.reset();
        EXPECT_EQ(CSubclassWnd::HookCount(gone), 0);
    }
    EXPECT_FALSE(a->IsHooked());
    EXPECT_FALSE(b->IsHooked());
    EXPECT_EQ(a->HookedWindow(), nullptr);
    // A new window (possibly at the same address) has no chain left over.
    MessageRecorder next;
    SendWindowMessage(&next, 0x400, 0, 0);
    EXPECT_TRUE(log.empty());
    // The hooks can be used again and go without touching the old window.
    a->HookWindow(&next);
    SendWindowMessage(&next, 0x400, 0, 0);
    EXPECT_EQ(log, (std::vector<std::string>{"a"}));
    a.reset();
    b.reset();
    EXPECT_EQ(CSubclassWnd::HookCount(&next), 0);
}

} // namespace
