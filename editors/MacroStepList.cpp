// SPDX-License-Identifier: GPL-3.0-or-later
// The macro page's step list: its rows, the in-place editing of their cells, and the step
// buttons that delete, clear and move steps. Each row shows the step of shownSteps_ at its index.

#include "device/MessageSink.h"
#include "editors/MacroPage.h"
#include "skin/Language.h"
#include "skin/ui/CPngButton.h"
#include "widgets/CReportCtrl.h"

#include <QComboBox>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLineEdit>
#include <algorithm>
#include <climits>
#include <functional>

namespace {

const QString kPressArrow = QStringLiteral("\u2193");
const QString kReleaseArrow = QStringLiteral("  \u2191");
const QColor kGreyText(0x9A, 0x9A, 0x9A);

// The drop-down list over a cell; gone once its list closes, chosen or not.
class CellChoice : public QComboBox {
public:
    using QComboBox::QComboBox;
    void hidePopup() override {
        QComboBox::hidePopup();
        deleteLater();
    }
};

QString ArrowOf(uint16_t direction) {
    return direction == MacroAction::kPress ? kPressArrow : kReleaseArrow;
}

} // namespace

void MacroPage::ConnectStepList() {
    steps_->SetCheckboxStyle(CReportCtrl::RC_CHKBOX_NONE);
    steps_->SetSortable(false);
    steps_->SetOwner(dialog_);
    steps_->SetEditable(true);
    steps_->header()->setStretchLastSection(true);
    steps_->SetBeginEditCallback([this](CReportCtrl*, int row, int column, unsigned& style) {
        return OnBeginStepEdit(row, column, style);
    });
    steps_->SetValidateCallback(
        [this](QLineEdit* editor, CReportCtrl*) { return OnValidateDelay(editor); });
    connect(stepButtons_[0], &CPngButton::clicked, this, &MacroPage::OnRecord);
    connect(stepButtons_[1], &CPngButton::clicked, this, &MacroPage::OnDeleteStep);
    connect(stepButtons_[2], &CPngButton::clicked, this, &MacroPage::OnClearSteps);
    // Targets from the selected row; the list clamps them.
    const std::pair<CPngButton*, std::function<int(int)>> moves[] = {
        {stepButtons_[3], [](int) { return 0; }},
        {stepButtons_[4], [](int row) { return row - 1; }},
        {stepButtons_[5], [](int row) { return row + 1; }},
        {stepButtons_[6], [](int) { return INT_MAX; }},
    };
    for (const auto& [button, target] : moves) {
        connect(button, &CPngButton::clicked, this,
                [this, target] { MoveStep(target(SelectedStep())); });
    }
}

void MacroPage::SetUpStepColumns() {
    for (int column : {kKeyColumn, kDirectionColumn, kDelayColumn}) {
        steps_->InsertColumn(column, QString(), CReportCtrl::LVCFMT_LEFT, kStepColumnWidth);
    }
    steps_->SetColumnTextColor(kKeyColumn, kGreyText);
    steps_->SetColumnTextColor(kDirectionColumn, kGreyText);
}

const QString& MacroPage::KeyName(KeyCode code) {
    auto it = keyNames_.find(code);
    if (it == keyNames_.end()) {
        it = keyNames_.emplace(code, QString::fromStdString(KeyNameFromCode(code))).first;
    }
    return it->second;
}

QStringList MacroPage::StepTexts(const MacroAction& step) {
    return {KeyName(step.key), ArrowOf(step.direction), QString::number(step.delay)};
}

void MacroPage::AddStepRow(int row, const MacroAction& step) {
    steps_->InsertItems(row, {StepTexts(step)});
}

int MacroPage::SelectedStep() const {
    // From the selection's ranges: asking every row would cost each recorded step the whole list.
    int first = -1;
    for (const QModelIndex& index : steps_->selectionModel()->selectedRows()) {
        first = first < 0 ? index.row() : std::min(first, index.row());
    }
    return first;
}

void MacroPage::InsertRecordedStep(const RecordedStep& recorded) {
    const int count = steps_->GetItemCount();
    if (count >= kMaxMacroSteps) {
        return;
    }
    MacroAction step = recorded.step;
    if (step.direction > MacroAction::kRelease) {
        step.direction = MacroAction::kPress;
    }
    const int selected = SelectedStep();
    const int row = selected >= 0 ? selected + 1 : count;
    // A delay is the wait after its step: the row before takes the new wait and hands its own
    // on to the new row.
    step.delay = 0;
    if (row > 0) {
        MacroAction& before = shownSteps_[static_cast<size_t>(row - 1)];
        step.delay = before.delay;
        before.delay = recorded.waitBefore;
        steps_->SetItemText(row - 1, kDelayColumn, static_cast<unsigned>(before.delay));
    }
    shownSteps_.insert(shownSteps_.begin() + row, step);
    AddStepRow(row, step);
    if (selected >= 0) {
        steps_->SetItemStates(selected, CReportCtrl::RC_ITEM_UNSELECTED);
    }
    steps_->SetItemStates(row, CReportCtrl::RC_ITEM_SELECTED | CReportCtrl::RC_ITEM_FOCUSED);
    steps_->scrollToItem(steps_->topLevelItem(row));
    emit Modified();
}

bool MacroPage::OnBeginStepEdit(int row, int column, unsigned& editStyle) {
    switch (column) {
    case kDelayColumn:
        StopRecording();
        editStyle |= CReportCtrl::ES_NUMBER;
        return true;
    case kKeyColumn:
    case kDirectionColumn:
        ChooseInCell(row, column);
        return false;
    default:
        messages_.ShowText("MACRO_ACTION_ERR_MODIFY");
        return false;
    }
}

bool MacroPage::OnValidateDelay(QLineEdit* editor) {
    const int row = steps_->GetEditRow();
    if (row < 0 || row >= static_cast<int>(shownSteps_.size())) {
        return false;
    }
    bool ok = false;
    unsigned long long delay = editor->text().toULongLong(&ok);
    // Digits only reach here; more of them than a number holds are too long a delay too.
    if (!ok && !editor->text().isEmpty()) {
        delay = ULLONG_MAX;
    }
    if (delay > kMaxHandDelayMs) {
        messages_.ShowText("MACRO_ACTION_ERR_DELAY_MAX", kMaxHandDelayMs);
        delay = kMaxHandDelayMs;
    }
    delay -= delay % 10;
    editor->setText(QString::number(delay));
    shownSteps_[static_cast<size_t>(row)].delay = static_cast<uint32_t>(delay);
    emit Modified();
    return true;
}

void MacroPage::ChooseInCell(int row, int column) {
    delete cellChoice_;
    auto* choice = new CellChoice(steps_->viewport());
    cellChoice_ = choice;
    const MacroAction& step = shownSteps_[static_cast<size_t>(row)];
    if (column == kKeyColumn) {
        for (int position = 0; position < kKeyChoiceCount; ++position) {
            choice->addItem(QString::fromStdString(KeyNameFromPosition(position)));
        }
        const uint16_t position = PositionFromKeyCode(step.key);
        choice->setCurrentIndex(position < kKeyChoiceCount ? position : -1);
        choice->setMaxVisibleItems(kKeyChoiceRows);
    } else {
        choice->addItems({kPressArrow, kReleaseArrow});
        choice->setCurrentIndex(step.direction == MacroAction::kPress ? 0 : 1);
        choice->setMaxVisibleItems(kDirectionChoiceRows);
    }
    choice->setGeometry(steps_->visualRect(steps_->model()->index(row, column)));
    connect(choice, &QComboBox::activated, this,
            [this, row, column](int entry) { OnCellChosen(row, column, entry); });
    choice->show();
    choice->showPopup();
}

void MacroPage::OnCellChosen(int row, int column, int entry) {
    steps_->EndEdit(false);
    if (row < 0 || row >= static_cast<int>(shownSteps_.size()) || entry < 0) {
        return;
    }
    MacroAction& step = shownSteps_[static_cast<size_t>(row)];
    if (column == kKeyColumn) {
        const KeyCode code = KeyCodeFromPosition(entry);
        if (code == 0 || code == step.key) {
            return;
        }
        step.key = code;
        steps_->SetItemText(row, kKeyColumn, KeyName(code));
    } else {
        const uint16_t direction = entry == 0 ? MacroAction::kPress : MacroAction::kRelease;
        if (direction == step.direction) {
            return;
        }
        step.direction = direction;
        steps_->SetItemText(row, kDirectionColumn, ArrowOf(direction));
    }
    emit Modified();
}

void MacroPage::OnDeleteStep() {
    const int row = SelectedStep();
    if (row < 0) {
        return;
    }
    steps_->DeleteItem(row, true);
    shownSteps_.erase(shownSteps_.begin() + row);
    emit Modified();
}

void MacroPage::OnClearSteps() {
    if (steps_->GetItemCount() == 0 || !messages_.AskYesNo("MACRO_ACTION_CLEAR_CONFIRM")) {
        return;
    }
    steps_->DeleteAllItems();
    shownSteps_.clear();
    emit Modified();
}

void MacroPage::MoveStep(int target) {
    const int row = SelectedStep();
    if (row < 0) {
        return;
    }
    const int to = steps_->MoveItem(row, target);
    if (to < 0) {
        return;
    }
    const auto first = shownSteps_.begin();
    if (to > row) {
        std::rotate(first + row, first + row + 1, first + to + 1);
    } else {
        std::rotate(first + to, first + row, first + row + 1);
    }
    steps_->scrollToItem(steps_->topLevelItem(to));
    steps_->setFocus();
    emit Modified();
}
