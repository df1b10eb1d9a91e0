// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Several hook objects watching one window's events. Each window has one chain, run from the
// most recently hooked to the oldest; a hook passes an event on by calling the base
// WindowProc, and the end of the chain lets the window handle it. When the window is
// destroyed every hook of its chain is unhooked.

#include <QEvent>
#include <QObject>

class CSubclassWnd {
public:
    CSubclassWnd() = default;
    virtual ~CSubclassWnd();
    CSubclassWnd(const CSubclassWnd&) = delete;
    CSubclassWnd& operator=(const CSubclassWnd&) = delete;

    // Puts this hook at the head of the window's chain (after leaving any chain it was in);
    // nullptr unhooks. Returns true.
    bool HookWindow(QObject* window);
    bool IsHooked() const { return window_ != nullptr; }
    QObject* HookedWindow() const { return window_; }

    // Handles one event of the hooked window; true swallows it. The default passes it to the
    // next hook, and at the end of the chain back to the window.
    virtual bool WindowProc(QObject* window, QEvent* event);

    // Hooks on a window's chain (0 when it has none).
    static int HookCount(const QObject* window);

private:
    friend class SubclassDispatcher;
    void Unhook();

    QObject* window_ = nullptr;
    CSubclassWnd* next_ = nullptr;
};
