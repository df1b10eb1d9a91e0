// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The key-setting dialog over the working store and a simulated keyboard, with a host that
// records what the dialog asks of the main window, and key events as xcb delivers them.

#include "AppTestSupport.h"
#include "device/MessageSink.h"
#include "editors/Kestrow_DlgComposite.h"
#include "editors/KeyEditorHost.h"
#include "model/KeyAssignment.h"
#include "model/KeyButtonSink.h"
#include "model/MacroRecord.h"
#include "platform/hid/sim/SimulatedKeyboard.h"
#include "skin/ui/ControlId.h"

#include <QKeyEvent>
#include <deque>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <memory>
#include <string>
#include <vector>

// Texts and questions in order, each with its number; questions are answered from answers
// (No when it runs out).
class RecordingMessages : public MessageSink {
public:
    struct Shown {
        std::string key;
        std::optional<long long> argument;
        bool operator==(const Shown&) const = default;
    };
    void ShowText(std::string_view key, std::optional<long long> argument) override {
        shown.push_back({std::string(key), argument});
    }
    bool AskYesNo(std::string_view key, std::optional<long long> argument) override {
        shown.push_back({std::string(key), argument});
        if (answers.empty()) {
            return false;
        }
        const bool yes = answers.front();
        answers.pop_front();
        return yes;
    }
    std::vector<Shown> shown;
    std::deque<bool> answers;
};

class RecordingHost : public KeyEditorHost, public KeyButtonSink {
public:
    KeyButtonSink& KeyButtons() override { return *this; }
    MessageSink& KeyEditorMessages() override { return messages; }
    QRect KeyButtonScreenRect(int id) const override {
        const auto it = buttonRects.find(id);
        return it != buttonRects.end() ? it->second : QRect(100, 100, 40, 40);
    }
    void RestoreKeyButton(int id) override { restored.push_back(id); }
    void OpenHelp() override { ++helpOpened; }

    std::vector<KeyCode> KeyButtonCodes() const override { return codes; }
    void DescribeKeyButton(KeyCode code, std::string_view tooltip, bool assigned) override {
        described[code] = {std::string(tooltip), assigned};
    }
    void SetPendingChanges(int value) override { pending.push_back(value); }

    std::map<int, QRect> buttonRects;
    std::vector<int> restored;
    int helpOpened = 0;
    std::vector<KeyCode> codes = {0x01E, 0x030};
    std::map<KeyCode, std::pair<std::string, bool>> described;
    std::vector<int> pending;
    RecordingMessages messages;
};

// X keycodes (evdev + 8) of the keys the tests press.
inline constexpr uint32_t kXKeyA = 38;
inline constexpr uint32_t kXKeyB = 56;
inline constexpr uint32_t kXKeyDown = 116;
inline constexpr uint32_t kXKeyLeftWin = 133;
inline constexpr uint32_t kXKeyMenu = 135;
inline constexpr uint32_t kXKeyPrint = 107;
inline constexpr uint32_t kXKeyVolumeUp = 123;
inline constexpr uint32_t kXKeyReturn = 36;
inline constexpr uint32_t kXKeyEscape = 9;
inline constexpr uint32_t kXKeyF1 = 67;

// A key event as xcb delivers it, sent to `to`; whether a filter took it.
struct XKey {
    int qtKey;
    uint32_t xKeycode;
    Qt::KeyboardModifiers modifiers = Qt::NoModifier;
};
bool SendKey(QWidget* to, QEvent::Type type, XKey key, bool autoRepeat = false);
// The same with the X server's time of the event, unmarked as any repeat.
bool ServerKey(QWidget* to, QEvent::Type type, XKey key, quint64 serverTime);
// Press and release.
void TypeKey(QWidget* to, XKey key);

inline constexpr int kRecordA = 0x1E;
inline constexpr int kRecordB = 0x30;
inline constexpr int kButtonA = 1058;
inline constexpr int kButtonB = 1075;
inline constexpr int kRecordG9 = 256 + 8;

class CompositeTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // The working store's record of the active profile (0).
    KeyAssignment Record(int recordIndex);
    void SetRecord(int recordIndex, KeyAssignment record);
    void AddMacro(const char* name, uint16_t id, int steps = 2);

    // A control of the dialog.
    template <typename T> T* Control(int id) { return FindControlAs<T>(dialog_.get(), id); }
    void Click(int id);
    // Waits until the dialog reads the keyboard's keyboard interface.
    bool WaitForInterfaceReader();
    QString KeyFieldText();

    PrivateUserFolders folders_;
    std::shared_ptr<SimulatedKeyboard> keyboard_;
    RecordingHost host_;
    std::unique_ptr<Kestrow_DlgComposite> dialog_;
};
