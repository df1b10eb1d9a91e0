// SPDX-License-Identifier: GPL-3.0-or-later
#include "LightingFixture.h"

#include "skin/ui/CPngButton.h"
#include "skin/ui/PictureStatic.h"
#include "skin/ui/WindowMessageEvent.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QMouseEvent>

void LightingTest::SetUp() {
    MainWindowTest::SetUp();
    Lighting() = LightingModel{};
    UserColours() = UserColourState{};
}

void LightingTest::TearDown() {
    MainWindowTest::TearDown();
    Lighting() = LightingModel{};
    UserColours() = UserColourState{};
}

void LightingTest::SetKeyboardRecord(int p, std::initializer_list<uint8_t> bytes) {
    auto area = keyboard_->LightArea();
    std::copy(bytes.begin(), bytes.end(), area.begin() + kLightRecordSize * static_cast<size_t>(p));
    keyboard_->SetLightArea(area);
}

void LightingTest::SetKeyboardEffects(std::initializer_list<uint8_t> codes) {
    auto info = keyboard_->InfoBlock();
    std::fill(info.begin() + kEffectListOffset, info.end(), uint8_t{0});
    std::copy(codes.begin(), codes.end(), info.begin() + kEffectListOffset);
    keyboard_->SetInfoBlock(info);
}

void LightingTest::StartInLightingMode(int p) {
    StartOnProfile(p);
    ClickPicture(LightingPanel::kIdSwitch);
    ASSERT_TRUE(Panel().LightingMode());
    keyboard_->ClearFrameLog();
    messages_.Clear();
}

bool LightingTest::Shown(int id) const {
    const QWidget* control = FindControl(dlg_.get(), id);
    return control != nullptr && !control->isHidden();
}

void LightingTest::SelectEffect(uint8_t code) {
    const int position = Lighting().effects.PositionOf(code);
    ASSERT_GE(position, 0) << "effect " << int(code) << " is not offered";
    Control<QComboBox>(LightingPanel::kIdEffectList)->setCurrentIndex(position);
}

void LightingTest::MoveSlider(int id, int position) {
    SendWindowMessage(dlg_.get(), WM_BITMAPSLIDER_MOVING, static_cast<uintptr_t>(id), position);
}

void LightingTest::ClickPicture(int id) {
    auto* picture = Control<PictureStatic>(id);
    ASSERT_NE(picture, nullptr);
    const QPointF at(2, 2);
    QMouseEvent press(QEvent::MouseButtonPress, at, picture->mapToGlobal(at), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QMouseEvent release(QEvent::MouseButtonRelease, at, picture->mapToGlobal(at), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(picture, &press);
    QCoreApplication::sendEvent(picture, &release);
}

void LightingTest::ClickKey(int id) {
    dlg_->Button(id)->click();
}

namespace {

std::vector<SentBytes> WritesOf(const SimulatedKeyboard& keyboard, uint8_t command) {
    std::vector<SentBytes> writes;
    for (const SimFrame& frame : keyboard.RequestLog()) {
        if (frame.bytes[3] == command) {
            const unsigned offset = frame.bytes[5] | (frame.bytes[6] << 8);
            writes.push_back(
                {offset, std::vector<uint8_t>(frame.bytes.begin() + 8,
                                              frame.bytes.begin() + 8 + frame.bytes[4])});
        }
    }
    return writes;
}

} // namespace

std::vector<SentBytes> LightingTest::LightWrites() const {
    return WritesOf(*keyboard_, kSimCommandWriteLight);
}

std::vector<SentBytes> LightingTest::KeyColourWrites() const {
    return WritesOf(*keyboard_, kSimCommandWriteKeyColours);
}

uint32_t LightingTest::KeyboardSlotColour(int p, int slot) const {
    const auto bank = keyboard_->KeyColourBank(p);
    const size_t at = 3 * static_cast<size_t>(slot);
    return PackColour(bank[at], bank[at + 1], bank[at + 2]);
}
