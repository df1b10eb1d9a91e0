// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets/CReportCtrl.h"

#include "skin/ui/ControlId.h"
#include "skin/ui/WindowMessageEvent.h"
#include "widgets/CReportCtrlParts.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QValidator>
#include <algorithm>

namespace {

constexpr int kDataRole = Qt::UserRole + 1;

int ClampToInt(long long v) {
    return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX));
}

} // namespace

CReportCtrl::CReportCtrl(QWidget* parent, int id) : QTreeWidget(parent) {
    if (id != 0) {
        SetControlId(this, id);
    }
    setRootIsDecorated(false);
    setItemsExpandable(false);
    setUniformRowHeights(true);
    setAllColumnsShowFocus(true);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    setColumnCount(1);
    headerItem()->setText(0, QString());
    header()->setSectionsClickable(true);
    header()->setSectionsMovable(false);
    header()->setStretchLastSection(false);
    connect(header(), &QHeaderView::sectionClicked, this, [this](int column) {
        if (sortable_) {
            SortByColumn(column);
        }
    });
}

CReportCtrl::~CReportCtrl() {
    // The box goes with the viewport later; its focus loss must not reach a half-gone list.
    if (editor_) {
        editor_->removeEventFilter(this);
    }
}

QTreeWidgetItem* CReportCtrl::Row(int row) const {
    if (row < 0 || row >= topLevelItemCount()) {
        return nullptr;
    }
    return topLevelItem(row);
}

bool CReportCtrl::ValidCell(int row, int column) const {
    return Row(row) != nullptr && column >= 0 && column < std::max(1, GetColumnCount());
}

QColor CReportCtrl::Resolve(QColor colour, bool background) const {
    if (colour.isValid()) {
        return colour;
    }
    return palette().color(background ? QPalette::Base : QPalette::Text);
}

void CReportCtrl::ApplyColumnDefaults(QTreeWidgetItem* item, int column) {
    if (column < 0 || column >= GetColumnCount()) {
        return;
    }
    const Column& c = columns_[static_cast<size_t>(column)];
    item->setForeground(column, Resolve(c.text, false));
    item->setBackground(column, Resolve(c.background, true));
    item->setTextAlignment(column, ReportColumnAlignment(c.format));
}

// ---- columns and modes ----------------------------------------------------------------

int CReportCtrl::InsertColumn(int index, const QString& title, int format, int width) {
    EndEdit(true);
    if (index < 0) {
        return -1;
    }
    const int count = GetColumnCount();
    index = std::min(index, count);
    if (count > 0) {
        setColumnCount(count + 1);
        // Shift the columns at and after index one place right, with their cells.
        for (int c = count; c > index; --c) {
            headerItem()->setText(c, headerItem()->text(c - 1));
            headerItem()->setTextAlignment(c, Qt::Alignment(headerItem()->textAlignment(c - 1)));
            setColumnWidth(c, columnWidth(c - 1));
            for (int r = 0; r < topLevelItemCount(); ++r) {
                QTreeWidgetItem* item = topLevelItem(r);
                item->setText(c, item->text(c - 1));
                item->setForeground(c, item->foreground(c - 1));
                item->setBackground(c, item->background(c - 1));
                item->setTextAlignment(c, Qt::Alignment(item->textAlignment(c - 1)));
            }
        }
    }
    columns_.insert(columns_.begin() + index, Column{format, QColor(), QColor()});
    headerItem()->setText(index, title);
    headerItem()->setTextAlignment(index, ReportColumnAlignment(format));
    if (width >= 0) {
        setColumnWidth(index, width);
    }
    for (int r = 0; r < topLevelItemCount(); ++r) {
        QTreeWidgetItem* item = topLevelItem(r);
        if (count > 0) {
            item->setText(index, QString());
        }
        ApplyColumnDefaults(item, index);
    }
    return index;
}

void CReportCtrl::SetGridLines(bool on) {
    if (on) {
        extendedStyle_ |= LVS_EX_GRIDLINES;
    } else {
        extendedStyle_ &= ~LVS_EX_GRIDLINES;
    }
    extendedStyle_ |= LVS_EX_FULLROWSELECT | LVS_EX_SUBITEMIMAGES;
    viewport()->update();
}

void CReportCtrl::SetCheckboxStyle(int style) {
    if (style < RC_CHKBOX_NONE || style > RC_CHKBOX_DISABLED) {
        return;
    }
    checkboxStyle_ = style;
    if (style != RC_CHKBOX_NONE) {
        extendedStyle_ |= LVS_EX_CHECKBOXES;
    } else {
        extendedStyle_ &= ~LVS_EX_CHECKBOXES;
    }
    extendedStyle_ |= LVS_EX_FULLROWSELECT | LVS_EX_SUBITEMIMAGES;
    for (int r = 0; r < topLevelItemCount(); ++r) {
        QTreeWidgetItem* item = topLevelItem(r);
        if (style == RC_CHKBOX_NONE) {
            item->setData(0, Qt::CheckStateRole, QVariant());
        } else if (style == RC_CHKBOX_SINGLE || !item->data(0, Qt::CheckStateRole).isValid()) {
            item->setCheckState(0, Qt::Unchecked);
        }
    }
}

void CReportCtrl::SetEditable(bool on) {
    if (!on) {
        EndEdit(true);
    }
    editable_ = on;
}

void CReportCtrl::SetSortCallbacks(SortCallback before, SortCallback after) {
    beforeSort_ = std::move(before);
    afterSort_ = std::move(after);
}

// ---- rows -----------------------------------------------------------------------------

QTreeWidgetItem* CReportCtrl::NewRow(const QStringList& texts) {
    auto* item = new QTreeWidgetItem();
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
    for (int c = 0; c < GetColumnCount(); ++c) {
        if (c < texts.size()) {
            item->setText(c, texts[c]);
        }
        ApplyColumnDefaults(item, c);
    }
    if (checkboxStyle_ != RC_CHKBOX_NONE) {
        item->setCheckState(0, Qt::Unchecked);
    }
    return item;
}

int CReportCtrl::InsertItem(int row, const QString& text) {
    EndEdit(true);
    if (row < 0) {
        return -1;
    }
    row = std::min(row, topLevelItemCount());
    insertTopLevelItem(row, NewRow({text}));
    return row;
}

int CReportCtrl::InsertItems(int row, const std::vector<QStringList>& rows) {
    EndEdit(true);
    if (row < 0) {
        return -1;
    }
    row = std::min(row, topLevelItemCount());
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(rows.size()));
    for (const QStringList& texts : rows) {
        items.push_back(NewRow(texts));
    }
    insertTopLevelItems(row, items);
    return row;
}

bool CReportCtrl::SetColumnTextColor(int column, QColor colour) {
    if (column < 0 || column >= GetColumnCount()) {
        return false;
    }
    columns_[static_cast<size_t>(column)].text = colour;
    return true;
}

bool CReportCtrl::SetItemText(int row, int column, const QString& text) {
    EndEdit(true);
    if (!ValidCell(row, column)) {
        return false;
    }
    Row(row)->setText(column, text);
    return true;
}

bool CReportCtrl::SetItemText(int row, int column, int number) {
    return SetItemText(row, column, QString::number(number));
}

bool CReportCtrl::SetItemText(int row, int column, unsigned number) {
    return SetItemText(row, column, QString::number(number));
}

QString CReportCtrl::GetItemText(int row, int column) const {
    return ValidCell(row, column) ? Row(row)->text(column) : QString();
}

bool CReportCtrl::SetItemData(int row, quintptr value) {
    QTreeWidgetItem* item = Row(row);
    if (item == nullptr) {
        return false;
    }
    item->setData(0, kDataRole, QVariant::fromValue(value));
    return true;
}

quintptr CReportCtrl::GetItemData(int row) const {
    const QTreeWidgetItem* item = Row(row);
    return item == nullptr ? 0 : item->data(0, kDataRole).value<quintptr>();
}

namespace {

// Rows or columns a colour call covers: one, or all for -1.
bool Span(int value, int count, int& first, int& last) {
    if (value == -1) {
        first = 0;
        last = count - 1;
        return true;
    }
    if (value < 0 || value >= count) {
        return false;
    }
    first = last = value;
    return true;
}

} // namespace

bool CReportCtrl::SetItemBkColor(int row, int column, QColor colour, bool redraw) {
    int r0 = 0, r1 = 0, c0 = 0, c1 = 0;
    if (!Span(row, topLevelItemCount(), r0, r1) || !Span(column, GetColumnCount(), c0, c1)) {
        return false;
    }
    const QColor resolved = Resolve(colour, true);
    for (int r = r0; r <= r1; ++r) {
        for (int c = c0; c <= c1; ++c) {
            topLevelItem(r)->setBackground(c, resolved);
        }
    }
    if (redraw) {
        viewport()->update();
    }
    return true;
}

bool CReportCtrl::SetItemTextColor(int row, int column, QColor colour, bool redraw) {
    int r0 = 0, r1 = 0, c0 = 0, c1 = 0;
    if (!Span(row, topLevelItemCount(), r0, r1) || !Span(column, GetColumnCount(), c0, c1)) {
        return false;
    }
    const QColor resolved = Resolve(colour, false);
    for (int r = r0; r <= r1; ++r) {
        for (int c = c0; c <= c1; ++c) {
            topLevelItem(r)->setForeground(c, resolved);
        }
    }
    if (redraw) {
        viewport()->update();
    }
    return true;
}

QColor CReportCtrl::GetItemBkColor(int row, int column) const {
    if (!ValidCell(row, column)) {
        return {};
    }
    return Row(row)->background(column).color();
}

QColor CReportCtrl::GetItemTextColor(int row, int column) const {
    if (!ValidCell(row, column)) {
        return {};
    }
    return Row(row)->foreground(column).color();
}

bool CReportCtrl::IsItemChecked(int row) const {
    const QTreeWidgetItem* item = Row(row);
    return item != nullptr && checkboxStyle_ != RC_CHKBOX_NONE &&
           item->checkState(0) == Qt::Checked;
}

void CReportCtrl::SetChecked(int row, bool checked) {
    QTreeWidgetItem* item = Row(row);
    if (item == nullptr) {
        return;
    }
    item->setCheckState(0, checked ? Qt::Checked : Qt::Unchecked);
    if (checkChanged_) {
        checkChanged_(row, this);
    }
}

bool CReportCtrl::SetItemStates(int row, unsigned states) {
    if (row == -1) {
        bool all = topLevelItemCount() > 0;
        for (int r = 0; r < topLevelItemCount(); ++r) {
            all = SetItemStates(r, states) && all;
        }
        return all;
    }
    QTreeWidgetItem* item = Row(row);
    if (item == nullptr) {
        return false;
    }
    bool ok = true;
    if (states & RC_ITEM_SELECTED) {
        item->setSelected(true);
    } else if (states & RC_ITEM_UNSELECTED) {
        item->setSelected(false);
    }
    if (states & RC_ITEM_FOCUSED) {
        selectionModel()->setCurrentIndex(indexFromItem(item), QItemSelectionModel::NoUpdate);
    } else if ((states & RC_ITEM_UNFOCUSED) && currentItem() == item) {
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    }
    if (states & (RC_ITEM_CHECKED | RC_ITEM_UNCHECKED)) {
        if (checkboxStyle_ == RC_CHKBOX_NONE) {
            ok = false;
        } else {
            const bool check = (states & RC_ITEM_CHECKED) != 0;
            SetChecked(row, check);
            if (check && checkboxStyle_ == RC_CHKBOX_SINGLE) {
                for (int r = 0; r < topLevelItemCount(); ++r) {
                    if (r != row && IsItemChecked(r)) {
                        SetChecked(r, false);
                    }
                }
            }
        }
    }
    return ok;
}

bool CReportCtrl::ExamItemStates(int row, unsigned states) const {
    const QTreeWidgetItem* item = Row(row);
    if (item == nullptr) {
        return false;
    }
    const bool selected = item->isSelected();
    const bool checked = IsItemChecked(row);
    const bool focused = currentItem() == item;
    return (!(states & RC_ITEM_SELECTED) || selected) &&
           (!(states & RC_ITEM_UNSELECTED) || !selected) &&
           (!(states & RC_ITEM_CHECKED) || checked) &&
           (!(states & RC_ITEM_UNCHECKED) || !checked) &&
           (!(states & RC_ITEM_FOCUSED) || focused) && (!(states & RC_ITEM_UNFOCUSED) || !focused);
}

int CReportCtrl::GetItemCount(unsigned states) const {
    int n = 0;
    for (int r = 0; r < topLevelItemCount(); ++r) {
        if (ExamItemStates(r, states)) {
            ++n;
        }
    }
    return n;
}

int CReportCtrl::GetFirstItem(unsigned states, int after) const {
    for (int r = std::max(after + 1, 0); r < topLevelItemCount(); ++r) {
        if (ExamItemStates(r, states)) {
            return r;
        }
    }
    return -1;
}

int CReportCtrl::FindItem(const QString& text) const {
    for (int r = 0; r < topLevelItemCount(); ++r) {
        if (topLevelItem(r)->text(0).compare(text, Qt::CaseInsensitive) == 0) {
            return r;
        }
    }
    return -1;
}

bool CReportCtrl::DeleteItem(int row, bool selectNext) {
    if (Row(row) == nullptr) {
        return false;
    }
    // An edit in the row that goes is dropped; any other is kept.
    if (editRow_ >= 0) {
        EndEdit(editRow_ != row);
    }
    {
        BusyScope busy(busy_);
        delete takeTopLevelItem(row);
    }
    const int count = topLevelItemCount();
    if (selectNext && count > 0) {
        const int next = std::min(row, count - 1);
        QTreeWidgetItem* item = topLevelItem(next);
        item->setSelected(true);
        selectionModel()->setCurrentIndex(indexFromItem(item), QItemSelectionModel::NoUpdate);
    }
    return true;
}

bool CReportCtrl::DeleteAllItems() {
    EndEdit(false);
    clear();
    return true;
}

// ---- moves and sorting ------------------------------------------------------------------

int CReportCtrl::MoveItem(int row, int target) {
    QTreeWidgetItem* item = Row(row);
    if (item == nullptr) {
        return -1;
    }
    EndEdit(true);
    target = std::clamp(target, 0, topLevelItemCount() - 1);
    if (target == row) {
        return row;
    }
    const bool selected = item->isSelected();
    const bool focused = currentItem() == item;
    {
        BusyScope busy(busy_);
        takeTopLevelItem(row);
        insertTopLevelItem(target, item);
        item->setSelected(selected);
        if (focused) {
            selectionModel()->setCurrentIndex(indexFromItem(item), QItemSelectionModel::NoUpdate);
        }
    }
    return target;
}

int CReportCtrl::MoveUp(int row, int count) {
    return MoveItem(row, ClampToInt(static_cast<long long>(row) - count));
}

int CReportCtrl::MoveDown(int row, int count) {
    return MoveItem(row, ClampToInt(static_cast<long long>(row) + count));
}

int CReportCtrl::MoveToTop(int row) {
    return MoveItem(row, -1);
}

int CReportCtrl::MoveToBottom(int row) {
    return MoveItem(row, INT_MAX);
}

void CReportCtrl::TakeRows(std::vector<QTreeWidgetItem*>& items, std::vector<bool>& selected,
                           QTreeWidgetItem*& current) {
    current = currentItem();
    while (topLevelItemCount() > 0) {
        QTreeWidgetItem* item = topLevelItem(0);
        selected.push_back(item->isSelected());
        items.push_back(takeTopLevelItem(0));
    }
}

void CReportCtrl::PutRows(const std::vector<QTreeWidgetItem*>& items,
                          const std::vector<bool>& selected, QTreeWidgetItem* current) {
    for (QTreeWidgetItem* item : items) {
        addTopLevelItem(item);
    }
    for (size_t i = 0; i < items.size(); ++i) {
        items[i]->setSelected(selected[i]);
    }
    if (current != nullptr) {
        selectionModel()->setCurrentIndex(indexFromItem(current), QItemSelectionModel::NoUpdate);
    }
}

void CReportCtrl::SortByColumn(int column) {
    if (column < 0 || column >= std::max(1, GetColumnCount())) {
        return;
    }
    EndEdit(true);
    const bool ascending = column == sortColumn_ ? !sortAscending_ : true;
    if (beforeSort_) {
        beforeSort_(this, column, ascending);
    }
    std::vector<QTreeWidgetItem*> items;
    std::vector<bool> selected;
    QTreeWidgetItem* current = nullptr;
    {
        BusyScope busy(busy_);
        TakeRows(items, selected, current);
        std::vector<size_t> order(items.size());
        for (size_t i = 0; i < order.size(); ++i) {
            order[i] = i;
        }
        std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) {
            const int cmp =
                items[a]->text(column).compare(items[b]->text(column), Qt::CaseInsensitive);
            return ascending ? cmp < 0 : cmp > 0;
        });
        std::vector<QTreeWidgetItem*> sortedItems;
        std::vector<bool> sortedSelected;
        for (size_t i : order) {
            sortedItems.push_back(items[i]);
            sortedSelected.push_back(selected[i]);
        }
        PutRows(sortedItems, sortedSelected, current);
    }
    sortColumn_ = column;
    sortAscending_ = ascending;
    header()->setSortIndicatorShown(true);
    header()->setSortIndicator(column, ascending ? Qt::AscendingOrder : Qt::DescendingOrder);
    if (afterSort_) {
        afterSort_(this, column, ascending);
    }
}
