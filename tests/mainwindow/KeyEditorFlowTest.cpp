// SPDX-License-Identifier: GPL-3.0-or-later
// The whole road of a change: a click on a key of the main window, a choice in the key-setting
// dialog, OK, the main window's Apply, and the key table the keyboard then holds.

#include "MainWindowFixture.h"
#include "editors/Kestrow_DlgComposite.h"
#include "model/AssignmentText.h"
#include "model/KeyRecordAccess.h"
#include "model/ProfileStore.h"
#include "skin/ui/CPngButton.h"
#include "skin/ui/ControlId.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QKeyEvent>
#include <QTimer>
#include <functional>

namespace {

using D = Kestrow_DlgComposite;
using Slot = std::array<uint8_t, 3>;

void ClickIn(D& dialog, int id) {
    FindControlAs<QAbstractButton>(&dialog, id)->click();
}

void Choose(D& dialog, int listId, int entry) {
    auto* list = FindControlAs<QComboBox>(&dialog, listId);
    list->setCurrentIndex(entry);
    emit list->activated(entry);
}

// The key table of one profile as the frames written to the keyboard left it.
std::vector<uint8_t> WrittenKeyTable(const SimulatedKeyboard& keyboard, int profile) {
    const size_t length = keyboard.Model().keyTableLength;
    std::vector<uint8_t> table = keyboard.FactoryKeyTable();
    bool written = false;
    for (const SimFrame& frame : keyboard.RequestLog()) {
        const uint8_t* f = frame.bytes.data();
        const size_t offset = f[5] | (f[6] << 8);
        if (f[3] != kSimCmdWriteKeyTable || offset < profile * length ||
            offset + f[4] > (profile + 1) * length) {
            continue;
        }
        std::copy_n(f + 8, f[4], table.begin() + static_cast<ptrdiff_t>(offset - profile * length));
        written = true;
    }
    return written ? table : std::vector<uint8_t>{};
}

// The key table position of a key: where the factory table has its usage.
int FactoryPosition(const SimulatedKeyboard& keyboard, uint8_t usage) {
    const std::vector<uint8_t> factory = keyboard.FactoryKeyTable();
    for (size_t i = 0; i + 2 < factory.size(); i += 3) {
        if (factory[i] == 2 && factory[i + 1] == 2 && factory[i + 2] == usage) {
            return static_cast<int>(i / 3);
        }
    }
    return -1;
}

struct Flow {
    const char* what;
    int buttonId;
    KeyCode key;
    uint8_t usage;
    std::function<void(D&)> choose;
    KeyAssignment stored;
    Slot sent;
};

TEST_F(MainWindowTest, AKeyClickedCapturedAppliedReachesTheKeyboard) {
    SetKeyboardActiveProfile(1);
    StartWindow();
    ASSERT_TRUE(WaitForArrival());
    ASSERT_NE(dlg_->KeyEditorDialog(), nullptr);

    const Flow flows[] = {
        {"another key",
         1058,
         0x1E,
         0x04,
         [](D& d) {
             QKeyEvent b(QEvent::KeyPress, Qt::Key_B, Qt::NoModifier, 56, 0, 0);
             QCoreApplication::sendEvent(&d, &b);
         },
         {AssignmentType::kKey, 0, 0x30},
         Slot{0x02, 0x02, 0x05}},
        {"a mouse button",
         1073,
         0x2E,
         0x06,
         [](D& d) {
             ClickIn(d, D::kIdMouseRadio);
             Choose(d, D::kIdMouseList, 1);
         },
         {AssignmentType::kKey, 0, kMouseRight},
         Slot{0x01, 0x01, 0x02}},
        {"a multimedia function",
         1060,
         0x20,
         0x07,
         [](D& d) {
             ClickIn(d, D::kIdMediaPage);
             Choose(d, D::kIdMediaList, 7); // mute
         },
         {AssignmentType::kMedia, 0, 7},
         Slot{0x03, 0xE2, 0x00}},
        {"a keyboard function",
         1046,
         0x12,
         0x08,
         [](D& d) {
             ClickIn(d, D::kIdFunctionPage);
             Choose(d, D::kIdFunctionList, 2);
         },
         {AssignmentType::kFunction, 0, 2},
         Slot{0x05, 0x05, 0x02}},
    };
    for (const Flow& flow : flows) {
        const KeyCode code = flow.key;
        bool shown = false;
        // Runs inside the dialog's modal loop.
        QTimer::singleShot(0, dlg_.get(), [&] {
            D& dialog = *dlg_->KeyEditorDialog();
            shown = dialog.isVisible() && dialog.isModal() && dialog.OpenCount() == 1;
            // No profile switch while the dialog is open.
            EXPECT_FALSE(dlg_->SwitchProfile(2));
            flow.choose(dialog);
            ClickIn(dialog, D::kIdOk);
        });
        dlg_->Button(flow.buttonId)->click();
        EXPECT_TRUE(shown) << flow.what;
        KeyAssignment stored;
        {
            std::lock_guard guard(WorkingStore().lock);
            stored = *CurrentRecord(code);
        }
        EXPECT_EQ(stored, flow.stored) << flow.what;
        CPngButton* button = dlg_->Button(flow.buttonId);
        EXPECT_TRUE(button->GetCheck()) << flow.what;
        EXPECT_EQ(button->TooltipText().toStdString(), DescribeAssignmentText(code, stored).tooltip)
            << flow.what;
        EXPECT_FALSE(dlg_->KeyEditorOpen());
    }
    EXPECT_EQ(dlg_->PendingChanges(), 1);

    keyboard_->ClearFrameLog();
    dlg_->Button(CKestrowDlg::kIdApply)->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return dlg_->PendingChanges() == 0; }, 5000));
    const std::vector<uint8_t> sent = WrittenKeyTable(*keyboard_, 1);
    ASSERT_FALSE(sent.empty());
    for (const Flow& flow : flows) {
        const int position = FactoryPosition(*keyboard_, flow.usage);
        ASSERT_GE(position, 0) << flow.what;
        const Slot slot{sent[position * 3], sent[position * 3 + 1], sent[position * 3 + 2]};
        EXPECT_EQ(slot, flow.sent) << flow.what;
        const std::vector<uint8_t> held = keyboard_->KeyTable(1);
        EXPECT_EQ(Slot({held[position * 3], held[position * 3 + 1], held[position * 3 + 2]}),
                  flow.sent)
            << flow.what;
    }
}

TEST_F(MainWindowTest, TheKeyboardGoingAwayCancelsTheOpenDialog) {
    StartWindow();
    ASSERT_TRUE(WaitForArrival());
    int result = -1;
    QTimer::singleShot(0, dlg_.get(), [&] {
        D& dialog = *dlg_->KeyEditorDialog();
        QKeyEvent b(QEvent::KeyPress, Qt::Key_B, Qt::NoModifier, 56, 0, 0);
        QCoreApplication::sendEvent(&dialog, &b);
        keyboard_->Unplug();
    });
    result = dlg_->OpenKeyEditor(1058);
    EXPECT_EQ(result, D::kIdCancel);
    EXPECT_EQ(dlg_->KeyEditorDialog()->OpenCount(), 0);
    std::lock_guard guard(WorkingStore().lock);
    const KeyAssignment* a = WorkingRecord(keyboard_->ActiveProfile(), 0x1E);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(a->type, AssignmentType::kDefault);
}

} // namespace
