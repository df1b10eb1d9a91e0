// SPDX-License-Identifier: GPL-3.0-or-later
#include "MessageRecorder.h"
#include "widgets/CReportCtrl.h"

#include <QApplication>
#include <QHeaderView>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class ReportCtrl : public testing::Test {
protected:
    ReportCtrl() {
        owner.resize(400, 300);
        list.setGeometry(0, 0, 400, 300);
        list.InsertColumn(0, "Name", CReportCtrl::LVCFMT_LEFT, 150);
        list.InsertColumn(1, "Value", CReportCtrl::LVCFMT_RIGHT, 100);
        for (int i = 0; i < 4; ++i) {
            const int row = list.InsertItem(i, QString("row%1").arg(i));
            list.SetItemText(row, 1, i * 10);
            list.SetItemData(row, static_cast<quintptr>(100 + i));
        }
        list.SetBusyFlag(&busy);
        owner.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&owner));
    }
    std::vector<QString> Names() const {
        std::vector<QString> out;
        for (int r = 0; r < list.GetItemCount(); ++r) {
            out.push_back(list.GetItemText(r, 0));
        }
        return out;
    }
    QPoint CellCentre(int row, int column) {
        return list.visualRect(list.model()->index(row, column)).center();
    }
    void Click(int row, int column) {
        QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, CellCentre(row, column));
    }
    MessageRecorder owner;
    CReportCtrl list{&owner, 1400};
    int busy = 0;
};

TEST_F(ReportCtrl, MovingPastEitherEndChangesNothing) {
    const auto before = Names();
    EXPECT_EQ(list.MoveUp(0), 0);
    EXPECT_EQ(list.MoveDown(3), 3);
    EXPECT_EQ(list.MoveToTop(0), 0);
    EXPECT_EQ(list.MoveToBottom(3), 3);
    EXPECT_EQ(list.MoveDown(3, INT_MAX), 3);
    EXPECT_EQ(list.MoveUp(0, INT_MAX), 0);
    EXPECT_EQ(Names(), before);
    EXPECT_EQ(list.MoveUp(7), -1);
    EXPECT_EQ(list.MoveItem(-1, 0), -1);
}

TEST_F(ReportCtrl, RowsInsertedAtOnceTakeTheirCellsAndTheColumnColours) {
    EXPECT_FALSE(list.SetColumnTextColor(2, QColor(1, 1, 1)));
    ASSERT_TRUE(list.SetColumnTextColor(0, QColor(0x9A, 0x9A, 0x9A)));
    // Past the end goes to the end; surplus texts are dropped, missing ones are empty.
    EXPECT_EQ(list.InsertItems(99, {{"e0", "7"}, {"e1"}}), 4);
    EXPECT_EQ(list.InsertItems(1, {{"m", "1", "extra"}}), 1);
    EXPECT_EQ(Names(), (std::vector<QString>{"row0", "m", "row1", "row2", "row3", "e0", "e1"}));
    EXPECT_EQ(list.GetItemText(5, 1), "7");
    EXPECT_EQ(list.GetItemText(6, 1), "");
    EXPECT_EQ(list.GetItemTextColor(1, 0), QColor(0x9A, 0x9A, 0x9A));
    EXPECT_EQ(list.GetItemTextColor(6, 0), QColor(0x9A, 0x9A, 0x9A));
    // Rows made before keep theirs.
    EXPECT_NE(list.GetItemTextColor(0, 0), QColor(0x9A, 0x9A, 0x9A));
    EXPECT_EQ(list.InsertItems(-1, {{"x"}}), -1);
    EXPECT_EQ(list.GetItemCount(), 7);
}

TEST_F(ReportCtrl, MovedRowTakesItsCellsColoursDataAndStates) {
    list.SetItemBkColor(1, 1, QColor(1, 2, 3));
    list.SetItemTextColor(1, 0, QColor(200, 0, 0));
    list.SetItemStates(1, CReportCtrl::RC_ITEM_SELECTED | CReportCtrl::RC_ITEM_FOCUSED |
                              CReportCtrl::RC_ITEM_CHECKED);
    EXPECT_EQ(list.MoveToBottom(1), 3);
    EXPECT_EQ(Names(), (std::vector<QString>{"row0", "row2", "row3", "row1"}));
    EXPECT_EQ(list.GetItemText(3, 1), "10");
    EXPECT_EQ(list.GetItemData(3), 101u);
    EXPECT_EQ(list.GetItemBkColor(3, 1), QColor(1, 2, 3));
    EXPECT_EQ(list.GetItemTextColor(3, 0), QColor(200, 0, 0));
    EXPECT_TRUE(list.ExamItemStates(3, CReportCtrl::RC_ITEM_SELECTED |
                                           CReportCtrl::RC_ITEM_FOCUSED |
                                           CReportCtrl::RC_ITEM_CHECKED));
    EXPECT_EQ(list.GetItemCount(CReportCtrl::RC_ITEM_SELECTED), 1);
    EXPECT_EQ(list.MoveUp(3, 2), 1);
    EXPECT_EQ(list.MoveToTop(1), 0);
    EXPECT_EQ(Names(), (std::vector<QString>{"row1", "row0", "row2", "row3"}));
}

TEST_F(ReportCtrl, DeletingWithSelectNext) {
    EXPECT_TRUE(list.DeleteItem(3, true));
    EXPECT_EQ(list.GetFirstItem(CReportCtrl::RC_ITEM_SELECTED), 2);
    EXPECT_TRUE(list.ExamItemStates(2, CReportCtrl::RC_ITEM_FOCUSED));
    list.SetItemStates(-1, CReportCtrl::RC_ITEM_UNSELECTED);
    EXPECT_TRUE(list.DeleteItem(0, true));
    EXPECT_EQ(Names(), (std::vector<QString>{"row1", "row2"}));
    EXPECT_EQ(list.GetFirstItem(CReportCtrl::RC_ITEM_SELECTED), 0);
    EXPECT_FALSE(list.DeleteItem(2));
    EXPECT_TRUE(list.DeleteItem(0, true));
    EXPECT_TRUE(list.DeleteItem(0, true)); // the last row: nothing left to select
    EXPECT_EQ(list.GetItemCount(), 0);
}

TEST_F(ReportCtrl, RowAndColumnLookups) {
    EXPECT_EQ(list.FindItem("ROW2"), 2);
    EXPECT_EQ(list.FindItem("row"), -1);
    EXPECT_FALSE(list.SetItemText(9, 0, "x"));
    EXPECT_FALSE(list.SetItemText(0, 2, "x"));
    EXPECT_EQ(list.GetItemText(0, 5), QString());
    EXPECT_EQ(list.GetItemData(9), 0u);
    EXPECT_FALSE(list.SetItemBkColor(0, 2, Qt::red));
    EXPECT_TRUE(list.SetItemText(0, 1, 4000000000u));
    EXPECT_EQ(list.GetItemText(0, 1), "4000000000");
    EXPECT_TRUE(list.SetItemText(0, 1, -5));
    EXPECT_EQ(list.GetItemText(0, 1), "-5");
    // -1 covers every row or column; an invalid colour is the system's.
    EXPECT_TRUE(list.SetItemBkColor(-1, -1, QColor(9, 9, 9)));
    EXPECT_EQ(list.GetItemBkColor(3, 0), QColor(9, 9, 9));
    EXPECT_TRUE(list.SetItemBkColor(2, -1, QColor()));
    EXPECT_EQ(list.GetItemBkColor(2, 1), list.palette().color(QPalette::Base));
    EXPECT_EQ(list.GetItemBkColor(1, 1), QColor(9, 9, 9));
}

TEST_F(ReportCtrl, ColumnInsertedBetweenShiftsTheCells) {
    list.SetItemBkColor(0, 1, QColor(5, 5, 5));
    EXPECT_EQ(list.InsertColumn(1, "Middle"), 1);
    EXPECT_EQ(list.GetColumnCount(), 3);
    EXPECT_EQ(list.GetItemText(0, 0), "row0");
    EXPECT_EQ(list.GetItemText(0, 1), "");
    EXPECT_EQ(list.GetItemText(1, 2), "10");
    EXPECT_EQ(list.GetItemBkColor(0, 2), QColor(5, 5, 5));
    EXPECT_EQ(list.headerItem()->text(2), "Value");
    EXPECT_EQ(list.InsertColumn(10, "Last"), 3);
}

TEST_F(ReportCtrl, SingleStyleKeepsOneCheckAndTellsEachChange) {
    std::vector<int> changed;
    list.SetCheckChangedCallback([&](int row, CReportCtrl*) { changed.push_back(row); });
    list.SetItemStates(0, CReportCtrl::RC_ITEM_CHECKED);
    list.SetItemStates(2, CReportCtrl::RC_ITEM_CHECKED);
    EXPECT_EQ(list.GetItemCount(CReportCtrl::RC_ITEM_CHECKED), 2);
    list.SetCheckboxStyle(CReportCtrl::RC_CHKBOX_SINGLE);
    EXPECT_EQ(list.GetItemCount(CReportCtrl::RC_ITEM_CHECKED), 0);
    changed.clear();
    list.SetItemStates(1, CReportCtrl::RC_ITEM_CHECKED);
    list.SetItemStates(3, CReportCtrl::RC_ITEM_CHECKED);
    EXPECT_EQ(list.GetFirstItem(CReportCtrl::RC_ITEM_CHECKED), 3);
    EXPECT_EQ(list.GetItemCount(CReportCtrl::RC_ITEM_CHECKED), 1);
    EXPECT_EQ(changed, (std::vector<int>{1, 3, 1}));
    list.SetCheckboxStyle(CReportCtrl::RC_CHKBOX_NONE);
    EXPECT_FALSE(list.SetItemStates(0, CReportCtrl::RC_ITEM_CHECKED));
    EXPECT_FALSE(list.IsItemChecked(3));
}

TEST_F(ReportCtrl, ClickOnACheckBoxSelectsTheRowAsBusyAndTellsTheParent) {
    std::vector<int> busyDuringSelection;
    QObject::connect(&list, &QTreeWidget::itemSelectionChanged,
                     [&] { busyDuringSelection.push_back(busy); });
    list.SetItemStates(0, CReportCtrl::RC_ITEM_SELECTED);
    busyDuringSelection.clear();
    const QRect box = list.CheckBoxRect(2);
    ASSERT_FALSE(box.isEmpty());
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, box.center());
    EXPECT_TRUE(list.IsItemChecked(2));
    EXPECT_EQ(list.GetItemCount(CReportCtrl::RC_ITEM_SELECTED), 1);
    EXPECT_TRUE(
        list.ExamItemStates(2, CReportCtrl::RC_ITEM_SELECTED | CReportCtrl::RC_ITEM_FOCUSED));
    ASSERT_FALSE(busyDuringSelection.empty());
    EXPECT_EQ(busyDuringSelection.back(), 1);
    EXPECT_EQ(busy, 0);
    EXPECT_EQ(owner.Of(CReportCtrl::WM_REPORT_CHECKCLICK),
              (std::vector<MessageRecorder::Message>{{0xA710, 2, 0x201}}));
    // The second click takes the mark away again; a click on the text leaves it.
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, box.center());
    EXPECT_FALSE(list.IsItemChecked(2));
    Click(2, 1);
    EXPECT_FALSE(list.IsItemChecked(2));
}

TEST_F(ReportCtrl, ReadOnlyCheckBoxesIgnoreClicks) {
    list.SetItemStates(1, CReportCtrl::RC_ITEM_CHECKED);
    list.SetCheckboxStyle(CReportCtrl::RC_CHKBOX_DISABLED);
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.CheckBoxRect(1).center());
    QTest::mouseClick(list.viewport(), Qt::LeftButton, {}, list.CheckBoxRect(2).center());
    EXPECT_TRUE(list.IsItemChecked(1));
    EXPECT_FALSE(list.IsItemChecked(2));
    EXPECT_TRUE(owner.Of(CReportCtrl::WM_REPORT_CHECKCLICK).empty());
    // The program itself can still set them.
    EXPECT_TRUE(list.SetItemStates(2, CReportCtrl::RC_ITEM_CHECKED));
    EXPECT_TRUE(list.IsItemChecked(2));
}

TEST_F(ReportCtrl, EditsOnlyWhenAllowedAndTheCellExists) {
    EXPECT_FALSE(list.StartEdit(1, 1));
    list.SetEditable(true);
    EXPECT_FALSE(list.StartEdit(9, 0));
    EXPECT_FALSE(list.StartEdit(1, 2));
    ASSERT_TRUE(list.StartEdit(1, 1));
    QLineEdit* editor = list.Editor();
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(editor->isVisible());
    EXPECT_EQ(editor->text(), "10");
    EXPECT_EQ(editor->selectedText(), "10");
    EXPECT_EQ(editor->maxLength(), CReportCtrl::kEditLimit);
    EXPECT_EQ(editor->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    EXPECT_TRUE(list.ExamItemStates(1, CReportCtrl::RC_ITEM_SELECTED));
    list.SetEditable(false); // ends the edit
    EXPECT_FALSE(editor->isVisible());
    EXPECT_FALSE(list.IsEditing());
}

TEST_F(ReportCtrl, UnchangedCommitCallsNoValidateAndSendsNothing) {
    int validations = 0;
    list.SetValidateCallback([&](QLineEdit*, CReportCtrl*) { return ++validations, true; });
    list.SetEditable(true);
    ASSERT_TRUE(list.StartEdit(2, 0));
    EXPECT_FALSE(list.EndEdit(true));
    EXPECT_EQ(validations, 0);
    EXPECT_TRUE(owner.Of(CReportCtrl::WM_REPORT_EDITCOMMITTED).empty());
    EXPECT_FALSE(list.Editor()->isVisible());
}

TEST_F(ReportCtrl, ChangedCommitIsValidatedAndTold) {
    list.SetEditable(true);
    bool accept = false;
    list.SetValidateCallback([&](QLineEdit* editor, CReportCtrl*) {
        editor->setText(editor->text().trimmed());
        return accept;
    });
    ASSERT_TRUE(list.StartEdit(2, 0));
    list.Editor()->setText("  renamed ");
    EXPECT_FALSE(list.EndEdit(true));
    EXPECT_EQ(list.GetItemText(2, 0), "row2");
    accept = true;
    ASSERT_TRUE(list.StartEdit(2, 0));
    list.Editor()->setText("  renamed ");
    EXPECT_TRUE(list.EndEdit(true));
    EXPECT_EQ(list.GetItemText(2, 0), "renamed");
    EXPECT_EQ(owner.Of(CReportCtrl::WM_REPORT_EDITCOMMITTED),
              (std::vector<MessageRecorder::Message>{{0xA712, 2, 0}}));
    // Escape drops the text, Return takes it.
    ASSERT_TRUE(list.StartEdit(1, 1));
    QTest::keyClicks(list.Editor(), "77");
    QTest::keyClick(list.Editor(), Qt::Key_Escape);
    EXPECT_EQ(list.GetItemText(1, 1), "10");
    ASSERT_TRUE(list.StartEdit(1, 1));
    QTest::keyClicks(list.Editor(), "77");
    QTest::keyClick(list.Editor(), Qt::Key_Return);
    EXPECT_EQ(list.GetItemText(1, 1), "77");
}

TEST_F(ReportCtrl, VetoedBeginEditLeavesNoBoxAndCannotWriteTheCell) {
    list.SetEditable(true);
    // A first edit leaves its (now hidden) box with a different text behind.
    ASSERT_TRUE(list.StartEdit(0, 0));
    list.Editor()->setText("stale");
    list.EndEdit(false);
    list.SetBeginEditCallback([](CReportCtrl*, int row, int, unsigned&) { return row != 3; });
    EXPECT_FALSE(list.StartEdit(3, 0));
    EXPECT_FALSE(list.Editor()->isVisible());
    EXPECT_FALSE(list.IsEditing());
    EXPECT_TRUE(list.ExamItemStates(3, CReportCtrl::RC_ITEM_SELECTED));
    int ends = 0;
    list.SetEndEditCallback([&](CReportCtrl* l, bool, bool&) {
        ++ends;
        EXPECT_EQ(l->GetEditRow(), 3); // the owner sees which cell it was editing
        return true;
    });
    EXPECT_FALSE(list.EndEdit(true));
    EXPECT_EQ(ends, 1);
    EXPECT_EQ(list.GetItemText(3, 0), "row3");
    EXPECT_EQ(list.GetEditRow(), -1);
}

TEST_F(ReportCtrl, OwnerEndingTheEditClosesTheBox) {
    list.SetEditable(true);
    list.SetEndEditCallback([](CReportCtrl*, bool, bool& result) {
        result = true;
        return false;
    });
    ASSERT_TRUE(list.StartEdit(1, 0));
    list.Editor()->setText("changed");
    EXPECT_TRUE(list.EndEdit(true)); // the owner's result
    EXPECT_FALSE(list.Editor()->isVisible());
    EXPECT_EQ(list.GetItemText(1, 0), "row1");
    EXPECT_EQ(list.GetEditRow(), -1);
}

TEST_F(ReportCtrl, DeletingTheEditedRowDropsTheEditOtherRowsKeepIt) {
    list.SetEditable(true);
    ASSERT_TRUE(list.StartEdit(1, 0));
    list.Editor()->setText("lost");
    list.DeleteItem(1);
    EXPECT_EQ(list.FindItem("lost"), -1);
    EXPECT_TRUE(owner.Of(CReportCtrl::WM_REPORT_EDITCOMMITTED).empty());
    ASSERT_TRUE(list.StartEdit(0, 0));
    list.Editor()->setText("kept");
    list.DeleteItem(2);
    EXPECT_EQ(list.GetItemText(0, 0), "kept");
}

TEST_F(ReportCtrl, ClickOnTheSelectedRowStartsAnEditOthersOnlySelect) {
    list.SetEditable(true);
    Click(1, 0); // selects
    EXPECT_FALSE(list.IsEditing());
    EXPECT_TRUE(
        list.ExamItemStates(1, CReportCtrl::RC_ITEM_SELECTED | CReportCtrl::RC_ITEM_FOCUSED));
    Click(1, 1); // already selected and focused: edits the clicked cell
    ASSERT_TRUE(list.IsEditing());
    EXPECT_EQ(list.GetEditColumn(), 1);
    Click(2, 0); // ends the edit, no new one
    EXPECT_FALSE(list.IsEditing());
}

TEST_F(ReportCtrl, HeaderClickSortsWithCallbacksAroundIt) {
    list.SetItemText(0, 1, "b");
    list.SetItemText(1, 1, "C");
    list.SetItemText(2, 1, "a");
    list.SetItemText(3, 1, "B");
    std::vector<std::string> calls;
    list.SetSortCallbacks(
        [&](CReportCtrl* l, int column, bool ascending) {
            calls.push_back("before " + std::to_string(column) + (ascending ? "+" : "-"));
            EXPECT_EQ(l->GetItemText(0, 0), calls.size() == 1 ? "row0" : "row2");
        },
        [&](CReportCtrl*, int column, bool ascending) {
            calls.push_back("after " + std::to_string(column) + (ascending ? "+" : "-"));
        });
    const QPoint header(list.header()->sectionViewportPosition(1) + 10, 5);
    QTest::mouseClick(list.header()->viewport(), Qt::LeftButton, {}, header);
    EXPECT_EQ(Names(), (std::vector<QString>{"row2", "row0", "row3", "row1"}));
    EXPECT_EQ(list.GetItemData(0), 102u);
    QTest::mouseClick(list.header()->viewport(), Qt::LeftButton, {}, header);
    EXPECT_EQ(Names(), (std::vector<QString>{"row1", "row0", "row3", "row2"}));
    EXPECT_EQ(calls, (std::vector<std::string>{"before 1+", "after 1+", "before 1-", "after 1-"}));
    list.SetSortable(false);
    QTest::mouseClick(list.header()->viewport(), Qt::LeftButton, {}, header);
    EXPECT_EQ(calls.size(), 4u);
}

} // namespace
