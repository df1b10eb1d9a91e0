// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The main window with its lighting panel over the simulated keyboard: the keyboard's lighting
// set before the window starts, the panel's controls by id, and the lighting writes it sent.

#include "MainWindowFixture.h"
#include "mainwindow/LightingPanel.h"
#include "mainwindow/UserColourModes.h"
#include "model/Lighting.h"
#include "model/UserColourFile.h"
#include "skin/ui/ControlId.h"

#include <array>
#include <cstdint>
#include <vector>

// One CmdWriteLightData or CmdWriteKeyColours as the keyboard saw it.
struct SentBytes {
    unsigned offset = 0;
    std::vector<uint8_t> bytes;
    bool operator==(const SentBytes&) const = default;
};

class LightingTest : public MainWindowTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // The keyboard's record of profile p gets these bytes at its start.
    void SetKeyboardRecord(int p, std::initializer_list<uint8_t> bytes);
    // The effects the keyboard offers, in list order.
    void SetKeyboardEffects(std::initializer_list<uint8_t> codes);
    // Starts on profile p (the arrival handled, the log cleared) with lighting mode on.
    void StartInLightingMode(int p);

    LightingPanel& Panel() const { return *dlg_->Panel(); }
    template <typename T> T* Control(int id) const {
        T* control = FindControlAs<T>(dlg_.get(), id);
        EXPECT_NE(control, nullptr) << "no control " << id;
        return control;
    }
    bool Shown(int id) const;
    // Chooses an effect in the effect list as the user would.
    void SelectEffect(uint8_t code);
    // The slider notice as the slider posts it.
    void MoveSlider(int id, int position);
    void ClickPicture(int id);
    void ClickKey(int id);

    // The lighting writes (command 6) and key colour writes (17), in order.
    std::vector<SentBytes> LightWrites() const;
    std::vector<SentBytes> KeyColourWrites() const;
    // The keyboard's colour of a key slot of profile p, red in the low byte.
    uint32_t KeyboardSlotColour(int p, int slot) const;
};

inline constexpr uint8_t kSimCommandWriteLight = 6;
inline constexpr uint8_t kSimCommandWriteKeyColours = 17;
