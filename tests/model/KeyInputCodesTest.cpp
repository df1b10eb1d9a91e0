// SPDX-License-Identifier: GPL-3.0-or-later
// From Linux key events and key messages to the program's key codes, checked against the
// kernel's own tables.

#include "model/KeyInputCodes.h"

#include <gtest/gtest.h>
#include <linux/input-event-codes.h>
#include <map>

namespace {

// The kernel's set-1 translation for every named row of the key table: the evdev code a PS/2
// keyboard's key gives (0: the row is no key of its own, or Linux folds it into another).
const std::map<KeyCode, unsigned> kKernelSet1 = {
    {0x001, KEY_ESC},
    {0x002, KEY_1},
    {0x003, KEY_2},
    {0x004, KEY_3},
    {0x005, KEY_4},
    {0x006, KEY_5},
    {0x007, KEY_6},
    {0x008, KEY_7},
    {0x009, KEY_8},
    {0x00A, KEY_9},
    {0x00B, KEY_0},
    {0x00C, KEY_MINUS},
    {0x00D, KEY_EQUAL},
    {0x00E, KEY_BACKSPACE},
    {0x00F, KEY_TAB},
    {0x010, KEY_Q},
    {0x011, KEY_W},
    {0x012, KEY_E},
    {0x013, KEY_R},
    {0x014, KEY_T},
    {0x015, KEY_Y},
    {0x016, KEY_U},
    {0x017, KEY_I},
    {0x018, KEY_O},
    {0x019, KEY_P},
    {0x01A, KEY_LEFTBRACE},
    {0x01B, KEY_RIGHTBRACE},
    {0x01C, KEY_ENTER},
    {0x01D, KEY_LEFTCTRL},
    {0x01E, KEY_A},
    {0x01F, KEY_S},
    {0x020, KEY_D},
    {0x021, KEY_F},
    {0x022, KEY_G},
    {0x023, KEY_H},
    {0x024, KEY_J},
    {0x025, KEY_K},
    {0x026, KEY_L},
    {0x027, KEY_SEMICOLON},
    {0x028, KEY_APOSTROPHE},
    {0x029, KEY_GRAVE},
    {0x02A, KEY_LEFTSHIFT},
    {0x02B, KEY_BACKSLASH},
    {0x02C, KEY_Z},
    {0x02D, KEY_X},
    {0x02E, KEY_C},
    {0x02F, KEY_V},
    {0x030, KEY_B},
    {0x031, KEY_N},
    {0x032, KEY_M},
    {0x033, KEY_COMMA},
    {0x034, KEY_DOT},
    {0x035, KEY_SLASH},
    {0x036, KEY_RIGHTSHIFT},
    {0x037, KEY_KPASTERISK},
    {0x038, KEY_LEFTALT},
    {0x039, KEY_SPACE},
    {0x03A, KEY_CAPSLOCK},
    {0x03B, KEY_F1},
    {0x03C, KEY_F2},
    {0x03D, KEY_F3},
    {0x03E, KEY_F4},
    {0x03F, KEY_F5},
    {0x040, KEY_F6},
    {0x041, KEY_F7},
    {0x042, KEY_F8},
    {0x043, KEY_F9},
    {0x044, KEY_F10},
    {0x045, KEY_PAUSE},
    {0x046, KEY_SCROLLLOCK},
    {0x047, KEY_KP7},
    {0x048, KEY_KP8},
    {0x049, KEY_KP9},
    {0x04A, KEY_KPMINUS},
    {0x04B, KEY_KP4},
    {0x04C, KEY_KP5},
    {0x04D, KEY_KP6},
    {0x04E, KEY_KPPLUS},
    {0x04F, KEY_KP1},
    {0x050, KEY_KP2},
    {0x051, KEY_KP3},
    {0x052, KEY_KP0},
    {0x053, KEY_KPDOT},
    {0x054, 0}, // Alt + Print Screen: Linux reports KEY_SYSRQ, Print Screen's code
    {0x056, KEY_102ND},
    {0x057, KEY_F11},
    {0x058, KEY_F12},
    {0x064, KEY_F13},
    {0x070, KEY_KATAKANAHIRAGANA},
    {0x071, KEY_HANJA},
    {0x072, KEY_HANGEUL},
    {0x073, KEY_RO},
    {0x079, KEY_HENKAN},
    {0x07B, KEY_MUHENKAN},
    {0x07D, KEY_YEN},
    {0x07E, KEY_KPCOMMA},
    {0x110, KEY_PREVIOUSSONG},
    {0x119, KEY_NEXTSONG},
    {0x11C, KEY_KPENTER},
    {0x11D, KEY_RIGHTCTRL},
    {0x120, KEY_MUTE},
    {0x121, KEY_CALC},
    {0x122, KEY_PLAYPAUSE},
    {0x124, KEY_STOPCD},
    {0x12E, KEY_VOLUMEDOWN},
    {0x130, KEY_VOLUMEUP},
    {0x132, KEY_HOMEPAGE},
    {0x135, KEY_KPSLASH},
    {0x136, 0}, // the fake shift of E0 36: Linux drops it
    {0x137, KEY_SYSRQ},
    {0x138, KEY_RIGHTALT},
    {0x145, KEY_NUMLOCK},
    {0x146, 0}, // Ctrl + Pause: Linux reports KEY_PAUSE
    {0x147, KEY_HOME},
    {0x148, KEY_UP},
    {0x149, KEY_PAGEUP},
    {0x14B, KEY_LEFT},
    {0x14D, KEY_RIGHT},
    {0x14F, KEY_END},
    {0x150, KEY_DOWN},
    {0x151, KEY_PAGEDOWN},
    {0x152, KEY_INSERT},
    {0x153, KEY_DELETE},
    {0x15B, KEY_LEFTMETA},
    {0x15C, KEY_RIGHTMETA},
    {0x15D, KEY_COMPOSE},
    {0x15E, KEY_POWER},
    {0x15F, KEY_SLEEP},
    {0x163, KEY_WAKEUP},
    {0x165, KEY_SEARCH},
    {0x166, KEY_BOOKMARKS},
    {0x167, KEY_REFRESH},
    {0x168, KEY_STOP},
    {0x169, KEY_FORWARD},
    {0x16A, KEY_BACK},
    {0x16B, KEY_COMPUTER},
    {0x16C, KEY_MAIL},
    {0x16D, KEY_MEDIA},
};

// Rows that are no keys of a keyboard: the mouse, the wheel and the window and office
// functions.
bool IsPointerOrFunctionRow(KeyCode code) {
    return code == 0x161 || code == 0x162 || (code >= 0x16E && code <= 0x17E);
}

TEST(EvdevKeys, EveryKeyOfTheKeyTableComesFromTheKernelsSet1Code) {
    int checked = 0;
    for (size_t i = 0; i < KeyTable.size(); ++i) {
        const KeyCode code = IndexToKeyCode(static_cast<int>(i));
        const KeyTableRow& row = KeyTable[i];
        if (row.label.empty() || IsPointerOrFunctionRow(code)) {
            continue;
        }
        const auto expected = kKernelSet1.find(code);
        ASSERT_NE(expected, kKernelSet1.end()) << "row " << std::hex << code << " not listed";
        if (expected->second != 0) {
            EXPECT_EQ(KeyCodeFromEvdev(expected->second), code) << std::hex << code;
            EXPECT_EQ(EvdevFromKeyCode(code), expected->second) << std::hex << code;
        } else {
            EXPECT_EQ(EvdevFromKeyCode(code), 0u) << std::hex << code;
        }
        ++checked;
    }
    EXPECT_EQ(checked, static_cast<int>(kKernelSet1.size()));
}

// The kernel's USB keyboard-page table (drivers/hid/hid-input.c, hid_keyboard) for the usages
// the key table's rows carry: a USB keyboard's key reaches Linux as this evdev code.
const std::map<uint16_t, unsigned> kKernelHidKeyboard = {
    {0x04, KEY_A},          {0x05, KEY_B},
    {0x06, KEY_C},          {0x07, KEY_D},
    {0x08, KEY_E},          {0x09, KEY_F},
    {0x0A, KEY_G},          {0x0B, KEY_H},
    {0x0C, KEY_I},          {0x0D, KEY_J},
    {0x0E, KEY_K},          {0x0F, KEY_L},
    {0x10, KEY_M},          {0x11, KEY_N},
    {0x12, KEY_O},          {0x13, KEY_P},
    {0x14, KEY_Q},          {0x15, KEY_R},
    {0x16, KEY_S},          {0x17, KEY_T},
    {0x18, KEY_U},          {0x19, KEY_V},
    {0x1A, KEY_W},          {0x1B, KEY_X},
    {0x1C, KEY_Y},          {0x1D, KEY_Z},
    {0x1E, KEY_1},          {0x1F, KEY_2},
    {0x20, KEY_3},          {0x21, KEY_4},
    {0x22, KEY_5},          {0x23, KEY_6},
    {0x24, KEY_7},          {0x25, KEY_8},
    {0x26, KEY_9},          {0x27, KEY_0},
    {0x28, KEY_ENTER},      {0x29, KEY_ESC},
    {0x2A, KEY_BACKSPACE},  {0x2B, KEY_TAB},
    {0x2C, KEY_SPACE},      {0x2D, KEY_MINUS},
    {0x2E, KEY_EQUAL},      {0x2F, KEY_LEFTBRACE},
    {0x30, KEY_RIGHTBRACE}, {0x31, KEY_BACKSLASH},
    {0x33, KEY_SEMICOLON},  {0x34, KEY_APOSTROPHE},
    {0x35, KEY_GRAVE},      {0x36, KEY_COMMA},
    {0x37, KEY_DOT},        {0x38, KEY_SLASH},
    {0x39, KEY_CAPSLOCK},   {0x3A, KEY_F1},
    {0x3B, KEY_F2},         {0x3C, KEY_F3},
    {0x3D, KEY_F4},         {0x3E, KEY_F5},
    {0x3F, KEY_F6},         {0x40, KEY_F7},
    {0x41, KEY_F8},         {0x42, KEY_F9},
    {0x43, KEY_F10},        {0x44, KEY_F11},
    {0x45, KEY_F12},        {0x46, KEY_SYSRQ},
    {0x47, KEY_SCROLLLOCK}, {0x48, KEY_PAUSE},
    {0x49, KEY_INSERT},     {0x4A, KEY_HOME},
    {0x4B, KEY_PAGEUP},     {0x4C, KEY_DELETE},
    {0x4D, KEY_END},        {0x4E, KEY_PAGEDOWN},
    {0x4F, KEY_RIGHT},      {0x50, KEY_LEFT},
    {0x51, KEY_DOWN},       {0x52, KEY_UP},
    {0x53, KEY_NUMLOCK},    {0x54, KEY_KPSLASH},
    {0x55, KEY_KPASTERISK}, {0x56, KEY_KPMINUS},
    {0x57, KEY_KPPLUS},     {0x58, KEY_KPENTER},
    {0x59, KEY_KP1},        {0x5A, KEY_KP2},
    {0x5B, KEY_KP3},        {0x5C, KEY_KP4},
    {0x5D, KEY_KP5},        {0x5E, KEY_KP6},
    {0x5F, KEY_KP7},        {0x60, KEY_KP8},
    {0x61, KEY_KP9},        {0x62, KEY_KP0},
    {0x63, KEY_KPDOT},      {0x64, KEY_102ND},
    {0x65, KEY_COMPOSE},    {0x85, KEY_KPCOMMA},
    {0x87, KEY_RO},         {0x88, KEY_KATAKANAHIRAGANA},
    {0x89, KEY_YEN},        {0x8A, KEY_HENKAN},
    {0x8B, KEY_MUHENKAN},   {0x90, KEY_HANGEUL},
    {0x91, KEY_HANJA},      {0xE0, KEY_LEFTCTRL},
    {0xE1, KEY_LEFTSHIFT},  {0xE2, KEY_LEFTALT},
    {0xE3, KEY_LEFTMETA},   {0xE4, KEY_RIGHTCTRL},
    {0xE5, KEY_RIGHTSHIFT}, {0xE6, KEY_RIGHTALT},
    {0xE7, KEY_RIGHTMETA},
};

// Its consumer-page mapping for the multimedia functions, which a USB keyboard sends there.
const std::map<uint16_t, unsigned> kKernelConsumer = {
    {0x0E9, KEY_VOLUMEUP},  {0x0EA, KEY_VOLUMEDOWN},   {0x183, KEY_CONFIG},
    {0x18A, KEY_MAIL},      {0x192, KEY_CALC},         {0x194, KEY_FILE},
    {0x221, KEY_SEARCH},    {0x223, KEY_HOMEPAGE},     {0x224, KEY_BACK},
    {0x225, KEY_FORWARD},   {0x226, KEY_STOP},         {0x227, KEY_REFRESH},
    {0x22A, KEY_BOOKMARKS}, {0x0E2, KEY_MUTE},         {0x0CD, KEY_PLAYPAUSE},
    {0x0B7, KEY_STOPCD},    {0x0B6, KEY_PREVIOUSSONG}, {0x0B5, KEY_NEXTSONG},
};

// The evdev code a USB keyboard's key arrives as, by the usage the row carries; 0 for none.
unsigned KernelCodeOfUsage(uint8_t usage) {
    const bool consumer = usage >= kConsumerPseudoUsageBase && usage < 0xE0;
    if (!consumer) {
        const auto k = kKernelHidKeyboard.find(usage);
        return k != kKernelHidKeyboard.end() ? k->second : 0;
    }
    const auto c = kKernelConsumer.find(ConsumerUsageTable[usage - kConsumerPseudoUsageBase]);
    return c != kKernelConsumer.end() ? c->second : 0;
}

TEST(EvdevKeys, AUsbKeyboardsKeysArriveAsTheKeysTheirUsageNames) {
    int checked = 0;
    for (const KeyTableRow& row : KeyTable) {
        const unsigned evdev = KernelCodeOfUsage(row.usage);
        if (evdev == 0) {
            continue;
        }
        // Rows sharing a usage (Break and Pause, both Right Shifts) arrive as the first row.
        EXPECT_EQ(KeyCodeFromEvdev(evdev),
                  KeyCodeFromAction(KeyAction{KeyAction::kKeyboard, row.usage}))
            << row.label << " usage " << std::hex << unsigned(row.usage);
        ++checked;
    }
    EXPECT_GE(checked, 120);
}

TEST(EvdevKeys, NativeScanCodesOfXAreEvdevCodesPlusEight) {
    EXPECT_EQ(KeyCodeFromEvdev(EvdevFromNativeScanCode(56)), 0x030);  // b
    EXPECT_EQ(KeyCodeFromEvdev(EvdevFromNativeScanCode(133)), 0x15B); // Super_L
    EXPECT_EQ(KeyCodeFromEvdev(EvdevFromNativeScanCode(135)), 0x15D); // Menu
    EXPECT_EQ(KeyCodeFromEvdev(EvdevFromNativeScanCode(107)), 0x137); // Print
    EXPECT_EQ(KeyCodeFromEvdev(EvdevFromNativeScanCode(127)), 0x045); // Pause
    EXPECT_EQ(EvdevFromNativeScanCode(0), 0u);
    EXPECT_EQ(EvdevFromNativeScanCode(8), 0u);
    EXPECT_EQ(KeyCodeFromEvdev(0), 0);
    EXPECT_EQ(KeyCodeFromEvdev(84), 0); // no key has it
    EXPECT_EQ(KeyCodeFromEvdev(KEY_MAX), 0);
}

TEST(KeyMessages, TheScanCodeDecidesWhereTheKeyTableAgrees) {
    constexpr unsigned kVkShift = 0x10, kVkControl = 0x11, kVkMenu = 0x12, kVkReturn = 0x0D;
    // Side-neutral modifiers: the scan code tells left from right.
    EXPECT_EQ(KeyCodeFromKeyMessage(kVkControl, 0x11D), 0x11D);
    EXPECT_EQ(KeyCodeFromKeyMessage(kVkControl, 0x01D), 0x01D);
    EXPECT_EQ(KeyCodeFromKeyMessage(kVkMenu, 0x138), 0x138);
    EXPECT_EQ(KeyCodeFromKeyMessage(kVkShift, 0x036), 0x036);
    EXPECT_EQ(KeyCodeFromKeyMessage(kVkShift, 0x02A), 0x02A);
    // Enter of the main block and of the keypad.
    EXPECT_EQ(KeyCodeFromKeyMessage(kVkReturn, 0x01C), 0x01C);
    EXPECT_EQ(KeyCodeFromKeyMessage(kVkReturn, 0x11C), 0x11C);
    // Keypad 7 with Num Lock off sends Home's virtual key: still keypad 7.
    EXPECT_EQ(KeyCodeFromKeyMessage(0x24, 0x047), 0x047);
    EXPECT_EQ(KeyCodeFromKeyMessage(0x24, 0x147), 0x147);
    EXPECT_EQ(KeyCodeFromKeyMessage(0x13, 0x045), 0x045); // Pause
    EXPECT_EQ(KeyCodeFromKeyMessage(0x90, 0x145), 0x145); // Num Lock
    EXPECT_EQ(KeyCodeFromKeyMessage(0x2C, 0x137), 0x137); // Print Screen
}

TEST(KeyMessages, TheVirtualKeyDecidesWithoutAScanCodeOrWhereTheyDisagree) {
    EXPECT_EQ(KeyCodeFromKeyMessage(0x24, 0), 0x147);
    EXPECT_EQ(KeyCodeFromKeyMessage(0x41, 0), 0x01E);
    // A layout that puts A on the Q key: the key means A.
    EXPECT_EQ(KeyCodeFromKeyMessage(0x41, 0x010), 0x01E);
    // No virtual key at all: the scan code is the key.
    EXPECT_EQ(KeyCodeFromKeyMessage(0xFF, 0x070), 0x070);
    EXPECT_EQ(KeyCodeFromKeyMessage(0, 0), 0);
    EXPECT_EQ(KeyCodeFromKeyMessage(0x1FF, 0x1FE), 0);
}

TEST(KeyMessages, MultimediaKeysAreTheEighteenOfTheMediaTable) {
    int count = 0;
    for (int code = 0; code < 0x200; ++code) {
        count += IsMediaKeyCode(static_cast<KeyCode>(code)) ? 1 : 0;
    }
    EXPECT_EQ(count, 18);
    EXPECT_TRUE(IsMediaKeyCode(0x130));
    EXPECT_TRUE(IsMediaKeyCode(0x16D));
    EXPECT_FALSE(IsMediaKeyCode(0x15B));
    EXPECT_FALSE(IsMediaKeyCode(0));
}

} // namespace
