// SPDX-License-Identifier: GPL-3.0-or-later
// Key codes of Qt key events with the native scan codes xcb and wayland deliver, and of
// events without one.

#include "editors/KeyEventCode.h"

#include <QKeyEvent>
#include <gtest/gtest.h>

namespace {

KeyCode CodeOf(int qtKey, uint32_t nativeScanCode, Qt::KeyboardModifiers modifiers = {}) {
    const QKeyEvent event(QEvent::KeyPress, qtKey, modifiers, nativeScanCode, 0, 0);
    return KeyCodeOfKeyEvent(event);
}

TEST(KeyEventCode, XKeycodesGiveTheKeysOfAUsersKeyboard) {
    EXPECT_EQ(CodeOf(Qt::Key_B, 56), 0x030);
    EXPECT_EQ(CodeOf(Qt::Key_Meta, 133), 0x15B);
    EXPECT_EQ(CodeOf(Qt::Key_Meta, 134), 0x15C);
    EXPECT_EQ(CodeOf(Qt::Key_Super_R, 134), 0x15C);
    EXPECT_EQ(CodeOf(Qt::Key_Menu, 135), 0x15D);
    EXPECT_EQ(CodeOf(Qt::Key_Print, 107), 0x137);
    EXPECT_EQ(CodeOf(Qt::Key_Pause, 127), 0x045);
    EXPECT_EQ(CodeOf(Qt::Key_NumLock, 77), 0x145);
    EXPECT_EQ(CodeOf(Qt::Key_Control, 105), 0x11D);
    EXPECT_EQ(CodeOf(Qt::Key_Control, 37), 0x01D);
    EXPECT_EQ(CodeOf(Qt::Key_Shift, 62), 0x036);
    EXPECT_EQ(CodeOf(Qt::Key_Alt, 108), 0x138);
    EXPECT_EQ(CodeOf(Qt::Key_AltGr, 108), 0x138);
    EXPECT_EQ(CodeOf(Qt::Key_Enter, 104, Qt::KeypadModifier), 0x11C);
    EXPECT_EQ(CodeOf(Qt::Key_Return, 36), 0x01C);
    EXPECT_EQ(CodeOf(Qt::Key_Slash, 106, Qt::KeypadModifier), 0x135);
    EXPECT_EQ(CodeOf(Qt::Key_Delete, 119), 0x153);
    EXPECT_EQ(CodeOf(Qt::Key_MediaPlay, 172), 0x122);
}

TEST(KeyEventCode, TheKeypadIsItselfWithNumLockOnAndOff) {
    EXPECT_EQ(CodeOf(Qt::Key_7, 79, Qt::KeypadModifier), 0x047);
    EXPECT_EQ(CodeOf(Qt::Key_Home, 79, Qt::KeypadModifier), 0x047);
    EXPECT_EQ(CodeOf(Qt::Key_Home, 110), 0x147);
    EXPECT_EQ(CodeOf(Qt::Key_Clear, 84, Qt::KeypadModifier), 0x04C);
    EXPECT_EQ(CodeOf(Qt::Key_Period, 91, Qt::KeypadModifier), 0x053);
}

TEST(KeyEventCode, KeysOfTheLayoutAndEventsWithoutScanCodes) {
    // pt-BR: the key right of L gives C cedilla, which has no virtual key of its own.
    EXPECT_EQ(CodeOf(Qt::Key_Ccedilla, 47), 0x027);
    // Offscreen and synthetic events carry no scan code: the Qt key decides.
    EXPECT_EQ(CodeOf(Qt::Key_B, 0), 0x030);
    EXPECT_EQ(CodeOf(Qt::Key_Meta, 0), 0x15B);
    EXPECT_EQ(CodeOf(Qt::Key_Home, 0), 0x147);
    EXPECT_EQ(CodeOf(Qt::Key_7, 0, Qt::KeypadModifier), 0x047);
    EXPECT_EQ(CodeOf(Qt::Key_F12, 0), 0x058);
    EXPECT_EQ(CodeOf(Qt::Key_VolumeUp, 0), 0x130);
    EXPECT_EQ(CodeOf(Qt::Key_Ccedilla, 0), 0);
    EXPECT_EQ(CodeOf(Qt::Key_unknown, 0), 0);
}

} // namespace
