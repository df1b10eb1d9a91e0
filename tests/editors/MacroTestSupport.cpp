// SPDX-License-Identifier: GPL-3.0-or-later
#include "MacroTestSupport.h"

#include <QCheckBox>

void MacroTest::SetUp() {
    CompositeTest::SetUp();
    dialog_->SetKeyClock([this] { return now_; });
}

void MacroTest::OpenOnMacroPage() {
    dialog_->Open(kRecordA, kButtonA);
    Click(Kestrow_DlgComposite::kIdMacroPage);
    if (!Page().HasMacros()) {
        Click(MacroPage::kIdAddMacro);
    }
}

bool MacroTest::Key(QEvent::Type type, XKey key, int64_t waitMs, bool autoRepeat) {
    now_ += waitMs;
    return SendKey(dialog_.get(), type, key, autoRepeat);
}

void MacroTest::SetRecordDelay(bool measured) {
    if (Page().RecordDelay() != measured) {
        Click(MacroPage::kIdRecordDelay);
    }
    ASSERT_EQ(Page().RecordDelay(), measured);
}

std::vector<QString> MacroTest::RowTexts(int row) {
    std::vector<QString> texts;
    for (int column = 0; column < 3; ++column) {
        texts.push_back(StepList()->GetItemText(row, column));
    }
    return texts;
}
