#include "widgets/CReportCtrl.h"

#include "skin/ui/ControlId.h"
#include "skin/ui/WindowMessageEvent.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QValidator>
#include <algorithm>

namespace {

constexpr int kDataRole = Qt::UserRole + 1;
constexpr intptr_t kMsgKeyDown = 0x100;
constexpr intptr_t kMsgLButtonDown = 0x201;
constexpr intptr_t kMsgLButtonDblClk = 0x203;

Qt::Alignment AlignmentOf(int format) {
    switch (format & 0x3) {
    case CReportCtrl::LVCFMT_RIGHT:
        return Qt::AlignRight | Qt::AlignVCenter;
    case CReportCtrl::LVCFMT_CENTER:
        return Qt::AlignHCenter | Qt::AlignVCenter;
    default:
        return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

int ClampToInt(long long v) {
    return static_cast<int>(std::clamp<long long>(v, INT_MIN, INT_MAX));
}

// The edit box styles that shape what may be typed.
class EditStyleValidator : public QValidator {
public:
    EditStyleValidator(unsigned style, QObject* parent) : QValidator(parent), style_(style) {}
    State validate(QString& input, int&) const override {
        if (style_ & CReportCtrl::ES_UPPERCASE) {
            input = input.toUpper();
        } else if (style_ & CReportCtrl::ES_LOWERCASE) {
            input = input.toLower();
        }
        if (style_ & CReportCtrl::ES_NUMBER) {
            for (QChar c : input) {
                if (!c.isDigit()) {
                    return Invalid;
                }
            }
        }
        return Acceptable;
    }

private:
    unsigned style_;
};

} // namespace

class CReportCtrl::BusyScope {
public:
    explicit BusyScope(int* flag) : flag_(flag) {
        if (flag_ != nullptr) {
            *flag_ = 1;
        }
    }
    ~BusyScope() {
        if (flag_ != nullptr) {
            *flag_ = 0;
        }
    }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

private:
    int* flag_;
};

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
    item->setTextAlignment(column, AlignmentOf(c.format));
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
    headerItem()->setTextAlignment(index, AlignmentOf(format));
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

// ---- editing ----------------------------------------------------------------------------

void CReportCtrl::SelectOnly(int row, int column) {
    QTreeWidgetItem* item = Row(row);
    if (item == nullptr) {
        return;
    }
    BusyScope busy(busy_);
    clearSelection();
    item->setSelected(true);
    selectionModel()->setCurrentIndex(indexFromItem(item, column), QItemSelectionModel::NoUpdate);
}

bool CReportCtrl::StartEdit(int row, int column) {
    if (!editable_ || !ValidCell(row, column)) {
        return false;
    }
    if (editRow_ == row && editColumn_ == column) {
        return true;
    }
    EndEdit(true);
    editRow_ = row;
    editColumn_ = column;
    SelectOnly(row, column);
    unsigned style = 0;
    if (beginEdit_ && !beginEdit_(this, row, column, style)) {
        return false;
    }
    PlaceEditor(style);
    return true;
}

void CReportCtrl::PlaceEditor(unsigned style) {
    const int format =
        editColumn_ < GetColumnCount() ? columns_[static_cast<size_t>(editColumn_)].format : 0;
    const Qt::Alignment alignment = AlignmentOf(format);
    if (!editor_ || alignment != editorAlignment_) {
        if (editor_) {
            // Unwatched first: its destruction sends events that must not reach the filter.
            editor_->removeEventFilter(this);
            delete editor_;
        }
        editor_ = new QLineEdit(viewport());
        editor_->installEventFilter(this);
        editorAlignment_ = alignment;
        editor_->setAlignment(alignment);
    }
    editor_->setFont(font());
    editor_->setMaxLength(kEditLimit);
    editor_->setReadOnly((style & ES_READONLY) != 0);
    editor_->setEchoMode((style & ES_PASSWORD) ? QLineEdit::Password : QLineEdit::Normal);
    delete editor_->validator();
    if (style & (ES_NUMBER | ES_UPPERCASE | ES_LOWERCASE)) {
        editor_->setValidator(new EditStyleValidator(style, editor_));
    } else {
        editor_->setValidator(nullptr);
    }
    QTreeWidgetItem* item = Row(editRow_);
    scrollToItem(item);
    editor_->setGeometry(visualRect(indexFromItem(item, editColumn_)));
    editor_->setText(item->text(editColumn_));
    editor_->selectAll();
    editorOpen_ = true;
    editor_->show();
    editor_->setFocus(Qt::OtherFocusReason);
}

void CReportCtrl::CloseEditor() {
    const bool hadFocus = editor_ && editor_->hasFocus();
    editorOpen_ = false;
    editRow_ = -1;
    editColumn_ = -1;
    if (editor_) {
        editor_->hide();
    }
    if (hadFocus) {
        setFocus(Qt::OtherFocusReason);
    }
}

bool CReportCtrl::EndEdit(bool commit) {
    if (ending_) {
        return false;
    }
    ending_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{ending_};

    if (endEdit_) {
        bool result = false;
        if (!endEdit_(this, commit, result)) {
            // The owner ended it: no box may stay open on a cell that is no longer edited.
            CloseEditor();
            return result;
        }
    }
    if (!editorOpen_) {
        editRow_ = -1;
        editColumn_ = -1;
        return false;
    }
    const int row = editRow_;
    const int column = editColumn_;
    bool taken = false;
    if (commit && editor_ && ValidCell(row, column) && editor_->text() != Row(row)->text(column)) {
        if (!validate_ || validate_(editor_, this)) {
            Row(row)->setText(column, editor_->text());
            taken = true;
            SendWindowMessage(parentWidget(), WM_REPORT_EDITCOMMITTED, static_cast<uintptr_t>(row),
                              column);
        }
    }
    CloseEditor();
    return taken;
}

bool CReportCtrl::eventFilter(QObject* watched, QEvent* event) {
    if (watched == editor_ && editorOpen_) {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                EndEdit(true);
                return true;
            }
            if (key == Qt::Key_Escape) {
                EndEdit(false);
                return true;
            }
        } else if (event->type() == QEvent::FocusOut && !ending_) {
            const auto reason = static_cast<QFocusEvent*>(event)->reason();
            // A click on the list itself: its press handler must see that an edit was open.
            endedByListClick_ =
                reason == Qt::MouseFocusReason && QApplication::focusWidget() == this;
            EndEdit(true);
        }
    }
    return QTreeWidget::eventFilter(watched, event);
}

// ---- mouse, keys and drawing ------------------------------------------------------------

QRect CReportCtrl::CheckBoxRect(int row) const {
    QTreeWidgetItem* item = Row(row);
    if (item == nullptr || checkboxStyle_ == RC_CHKBOX_NONE) {
        return {};
    }
    QStyleOptionViewItem option;
    const_cast<CReportCtrl*>(this)->initViewItemOption(&option);
    const QModelIndex index = indexFromItem(item, 0);
    option.rect = visualRect(index);
    option.index = index;
    option.features |= QStyleOptionViewItem::HasCheckIndicator;
    option.checkState = item->checkState(0);
    return style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, this);
}

bool CReportCtrl::OnCheckBox(const QModelIndex& index, const QPoint& at) const {
    return index.isValid() && index.column() == 0 && CheckBoxRect(index.row()).contains(at);
}

void CReportCtrl::CheckClicked(int row, bool before, intptr_t mouseMessage) {
    if (checkboxStyle_ == RC_CHKBOX_SINGLE && !before) {
        for (int r = 0; r < topLevelItemCount(); ++r) {
            if (r != row && IsItemChecked(r)) {
                SetChecked(r, false);
            }
        }
    }
    SelectOnly(row);
    SendWindowMessage(parentWidget(), WM_REPORT_CHECKCLICK, static_cast<uintptr_t>(row),
                      mouseMessage);
}

void CReportCtrl::HandleClick(QMouseEvent* event, bool doubleClick) {
    const QPoint at = event->position().toPoint();
    const QModelIndex index = indexAt(at);
    const int row = index.isValid() && !index.parent().isValid() ? index.row() : -1;
    const int column = index.isValid() ? index.column() : -1;
    const bool wasEditing = editRow_ >= 0 || endedByListClick_;
    endedByListClick_ = false;
    QTreeWidgetItem* item = Row(row);
    const bool wasSelectedAndFocused =
        item != nullptr && item->isSelected() && currentItem() == item;
    if (editRow_ >= 0) {
        EndEdit(true);
    }
    const bool before = IsItemChecked(row);
    const bool onBox = event->button() == Qt::LeftButton && checkboxStyle_ != RC_CHKBOX_NONE &&
                       item != nullptr && OnCheckBox(index, at);

    if (doubleClick) {
        QTreeWidget::mouseDoubleClickEvent(event);
    } else {
        QTreeWidget::mousePressEvent(event);
    }

    if (onBox) {
        // Read-only marks: the click leaves the mark as it was and does nothing else.
        if (checkboxStyle_ == RC_CHKBOX_DISABLED) {
            return;
        }
        SetChecked(row, !before);
        CheckClicked(row, before, doubleClick ? kMsgLButtonDblClk : kMsgLButtonDown);
        return;
    }
    if (event->button() == Qt::LeftButton && editable_ && !wasEditing && wasSelectedAndFocused) {
        StartEdit(row, column);
    }
}

void CReportCtrl::mousePressEvent(QMouseEvent* event) {
    HandleClick(event, false);
}

void CReportCtrl::mouseDoubleClickEvent(QMouseEvent* event) {
    HandleClick(event, true);
}

void CReportCtrl::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space && checkboxStyle_ != RC_CHKBOX_NONE &&
        currentItem() != nullptr) {
        if (checkboxStyle_ != RC_CHKBOX_DISABLED) {
            const int row = indexOfTopLevelItem(currentItem());
            const bool before = IsItemChecked(row);
            SetChecked(row, !before);
            CheckClicked(row, before, kMsgKeyDown);
        }
        event->accept();
        return;
    }
    QTreeWidget::keyPressEvent(event);
}

void CReportCtrl::drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const {
    QTreeWidget::drawRow(painter, option, index);
    if (!HasGridLines()) {
        return;
    }
    painter->save();
    painter->setPen(palette().color(QPalette::Midlight));
    const QRect r = option.rect;
    painter->drawLine(r.left(), r.bottom(), r.right(), r.bottom());
    for (int c = 0; c < header()->count(); ++c) {
        const int x = header()->sectionViewportPosition(c) + header()->sectionSize(c) - 1;
        painter->drawLine(x, r.top(), x, r.bottom());
    }
    painter->restore();
}
