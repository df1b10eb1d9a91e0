// SPDX-License-Identifier: GPL-3.0-or-later
#include "CompositeTestSupport.h"

#include "device/DeviceState.h"
#include "model/ProfileFile.h"
#include "model/ProfileStore.h"
#include "platform/UserFolders.h"
#include "platform/hid/HidBackend.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLineEdit>
#include <QTest>

bool SendKey(QWidget* to, QEvent::Type type, XKey key, bool autoRepeat) {
    QKeyEvent event(type, key.qtKey, key.modifiers, key.xKeycode, 0, 0, QString(), autoRepeat);
    event.setAccepted(false);
    const bool delivered = QCoreApplication::sendEvent(to, &event);
    return delivered && event.isAccepted();
}

bool ServerKey(QWidget* to, QEvent::Type type, XKey key, quint64 serverTime) {
    QKeyEvent event(type, key.qtKey, key.modifiers, key.xKeycode, 0, 0);
    event.setTimestamp(serverTime);
    event.setAccepted(false);
    const bool delivered = QCoreApplication::sendEvent(to, &event);
    return delivered && event.isAccepted();
}

void TypeKey(QWidget* to, XKey key) {
    SendKey(to, QEvent::KeyPress, key);
    SendKey(to, QEvent::KeyRelease, key);
}

void CompositeTest::SetUp() {
    SetProgramFolder(BinFolder());
    DeviceState().Reset();
    DeviceState().CachedProfile = 0;
    keyboard_ = std::make_shared<SimulatedKeyboard>();
    SetCurrentHidBackend(keyboard_);
    {
        std::lock_guard guard(WorkingStore().lock);
        ClearWorkingStore();
        MakeDefaultStore({}, 0, DefaultStoreTarget::WorkingStore);
    }
    dialog_ = std::make_unique<Kestrow_DlgComposite>(host_);
}

void CompositeTest::TearDown() {
    dialog_->CloseIfOpen();
    dialog_.reset();
    {
        std::lock_guard guard(WorkingStore().lock);
        ClearWorkingStore();
    }
    SetCurrentHidBackend(nullptr);
    DeviceState().Reset();
}

KeyAssignment CompositeTest::Record(int recordIndex) {
    std::lock_guard guard(WorkingStore().lock);
    const KeyAssignment* record = WorkingRecord(0, recordIndex);
    return record != nullptr ? *record : KeyAssignment{0xFFFF};
}

void CompositeTest::SetRecord(int recordIndex, KeyAssignment record) {
    std::lock_guard guard(WorkingStore().lock);
    KeyAssignment* target = WorkingRecord(0, recordIndex);
    ASSERT_NE(target, nullptr);
    *target = record;
}

void CompositeTest::AddMacro(const char* name, uint16_t id, int steps) {
    MacroRecord macro;
    SetMacroName(macro, std::string_view(name));
    macro.id = id;
    macro.repeat = 1;
    for (int i = 0; i < steps; ++i) {
        macro.steps[static_cast<size_t>(i)] = {
            10, 0x01E,
            static_cast<uint16_t>(i % 2 == 0 ? MacroAction::kPress : MacroAction::kRelease)};
    }
    macro.stepCount = static_cast<uint16_t>(steps);
    std::lock_guard guard(WorkingStore().lock);
    WorkingStore().macros.push_back(macro);
}

void CompositeTest::Click(int id) {
    auto* button = Control<QAbstractButton>(id);
    ASSERT_NE(button, nullptr) << id;
    ASSERT_TRUE(button->isEnabled()) << id;
    button->click();
}

bool CompositeTest::WaitForInterfaceReader() {
    return QTest::qWaitFor([&] { return dialog_->KeyboardInterfaceRead(); }, 5000);
}

QString CompositeTest::KeyFieldText() {
    return Control<QLineEdit>(Kestrow_DlgComposite::kIdKeyField)->text();
}
