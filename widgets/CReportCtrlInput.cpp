// SPDX-License-Identifier: GPL-3.0-or-later
#include "skin/ui/WindowMessageEvent.h"
#include "widgets/CReportCtrl.h"
#include "widgets/CReportCtrlParts.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QValidator>

// The report list's cell editing, its mouse and key handling and its drawing.

namespace {

constexpr intptr_t kMsgKeyDown = 0x100;
constexpr intptr_t kMsgLButtonDown = 0x201;
constexpr intptr_t kMsgLButtonDblClk = 0x203;

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
    const Qt::Alignment alignment = ReportColumnAlignment(format);
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
