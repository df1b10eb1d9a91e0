// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// While it lives, one window and its controls take no input: mouse, wheel and key events meant
// for them are dropped before any control sees them. Windows of their own (message boxes,
// menus) are not affected.

#include <QObject>
#include <QPointer>

class QWidget;

class InputBlocker : public QObject {
public:
    explicit InputBlocker(QWidget* window);
    ~InputBlocker() override;
    InputBlocker(const InputBlocker&) = delete;
    InputBlocker& operator=(const InputBlocker&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPointer<QWidget> window_;
};
