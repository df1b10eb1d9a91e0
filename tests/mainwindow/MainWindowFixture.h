// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The main window over a simulated keyboard with its real device threads, private user folders,
// and message boxes answered by script.

#include "AppTestSupport.h"
#include "device/DeviceState.h"
#include "mainwindow/CKestrowDlg.h"
#include "platform/hid/sim/SimulatedKeyboard.h"
#include "support/RecordingShell.h"

#include <QMessageBox>
#include <QTest>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <gtest/gtest.h>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// Records every text and question in order; questions are answered from a script (No when it
// runs out). Thread-safe: the presence thread may show texts too.
class ScriptedMessages : public UserMessages {
public:
    void ShowText(std::string_view key, std::optional<long long> argument) override {
        Record(key, argument);
    }
    void ShowUncaptioned(std::string_view key) override { Record(key); }
    void ShowPathText(std::string_view key, const std::filesystem::path&) override { Record(key); }
    bool AskYesNo(std::string_view key, std::optional<long long>) override {
        std::function<void()> during;
        bool answer = false;
        {
            std::lock_guard guard(lock_);
            shown_.emplace_back(key);
            if (!answers_.empty()) {
                answer = answers_.front();
                answers_.pop_front();
            }
            during = std::exchange(whileAsking_, nullptr);
        }
        if (during) {
            during();
        }
        return answer;
    }

    void Answer(bool yes) {
        std::lock_guard guard(lock_);
        answers_.push_back(yes);
    }
    // Runs once while the next question is on screen.
    void WhileAsking(std::function<void()> fn) {
        std::lock_guard guard(lock_);
        whileAsking_ = std::move(fn);
    }
    std::vector<std::string> Shown() const {
        std::lock_guard guard(lock_);
        return shown_;
    }
    // The number the last text of that key was shown with.
    std::optional<long long> ArgumentOf(std::string_view key) const {
        std::lock_guard guard(lock_);
        const auto it = arguments_.find(std::string(key));
        return it != arguments_.end() ? it->second : std::nullopt;
    }
    void Clear() {
        std::lock_guard guard(lock_);
        shown_.clear();
    }
    // Forgets the answers not yet given.
    void ClearAnswers() {
        std::lock_guard guard(lock_);
        answers_.clear();
    }

private:
    void Record(std::string_view key, std::optional<long long> argument = std::nullopt) {
        std::lock_guard guard(lock_);
        shown_.emplace_back(key);
        arguments_[std::string(key)] = argument;
    }
    mutable std::mutex lock_;
    std::map<std::string, std::optional<long long>> arguments_;
    std::vector<std::string> shown_;
    std::deque<bool> answers_;
    std::function<void()> whileAsking_;
};

// The command bytes of the requests the keyboard saw, one per frame.
std::vector<uint8_t> RequestCommands(const SimulatedKeyboard& keyboard);
// The same with runs of one command folded into one entry.
std::vector<uint8_t> FoldedCommands(const SimulatedKeyboard& keyboard);
// Offsets of the requests of one command.
std::vector<unsigned> RequestOffsets(const SimulatedKeyboard& keyboard, uint8_t command);
// The type of a working-store record: of a profile, or of the active one; 0xFFFF when there is
// no such record.
uint16_t StoredType(int profile, KeyCode code);
uint16_t ActiveType(KeyCode code);
// Gives the active profile's record of a key another type, as an editor would.
void SetActiveType(KeyCode code, uint16_t type);
// The message box on screen whose text is that of a language key, or nullptr.
QMessageBox* VisibleMessageBox(std::string_view textKey);

class MainWindowTest : public testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A keyboard on profile `active`, plugged in or not; then the window, initialised.
    void StartWindow(bool plugged = true, bool startSwitch = true);
    // Waits until the arrival was handled: keyboard present and its active profile checked.
    bool WaitForArrival();
    // A plugged keyboard on profile p, the window started and the arrival handled, the frame
    // log cleared.
    void StartOnProfile(int p);
    void DestroyWindow();

    // Unplugs the keyboard and waits until the window has handled the removal.
    bool UnplugAndWait();
    // Waits until the device threads have done what the last event set off and the window has
    // handled what they posted.
    bool SettleDeviceThreads();
    // Plugs it in again and waits until the window has handled the arrival (the active
    // profile's button need not follow: the arrival's reads may fail).
    bool ReplugAndWait();

    // The keyboard's key table of a profile with one position changed.
    void SetKeyboardPosition(int profile, int position, std::array<uint8_t, 3> bytes);
    void SetKeyboardActiveProfile(int profile);

    PrivateUserFolders folders_;
    std::shared_ptr<SimulatedKeyboard> keyboard_;
    ScriptedMessages messages_;
    RecordingShell shell_;
    std::unique_ptr<CKestrowDlg> dlg_;
    bool notificationArea_ = true;
    // Real message boxes instead of the scripted answers.
    bool messageBoxes_ = false;
};
