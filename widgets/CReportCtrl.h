// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The report-style list of the editors: rows with the caller's data and per-cell colours,
// check boxes in four styles, in-place editing through an edit box whose start and end the
// owner can veto, row moves, and sorting on a header click.
//
// The list tells its parent (as sent WindowMessageEvents) about a check mark changed by a
// click (WM_REPORT_CHECKCLICK: wParam row, lParam the mouse message) and about a committed
// edit (WM_REPORT_EDITCOMMITTED: wParam row, lParam column).

#include <QColor>
#include <QLineEdit>
#include <QPointer>
#include <QTreeWidget>
#include <climits>
#include <cstdint>
#include <functional>
#include <vector>

class CReportCtrl : public QTreeWidget {
    Q_OBJECT
public:
    // Check-box styles.
    enum CheckboxStyle {
        RC_CHKBOX_NONE = 0,
        RC_CHKBOX_NORMAL = 1,
        RC_CHKBOX_SINGLE = 2,   // at most one row checked
        RC_CHKBOX_DISABLED = 3, // clicks do not change check marks
    };
    // Row state bits of SetItemStates, GetItemCount and GetFirstItem.
    static constexpr unsigned RC_ITEM_NONE = 0x00;
    static constexpr unsigned RC_ITEM_SELECTED = 0x02;
    static constexpr unsigned RC_ITEM_UNSELECTED = 0x04;
    static constexpr unsigned RC_ITEM_CHECKED = 0x08;
    static constexpr unsigned RC_ITEM_UNCHECKED = 0x10;
    static constexpr unsigned RC_ITEM_FOCUSED = 0x20;
    static constexpr unsigned RC_ITEM_UNFOCUSED = 0x40;
    // Column alignment of InsertColumn.
    static constexpr int LVCFMT_LEFT = 0;
    static constexpr int LVCFMT_RIGHT = 1;
    static constexpr int LVCFMT_CENTER = 2;
    // Extended list styles the list keeps.
    static constexpr unsigned LVS_EX_GRIDLINES = 0x1;
    static constexpr unsigned LVS_EX_SUBITEMIMAGES = 0x2;
    static constexpr unsigned LVS_EX_CHECKBOXES = 0x4;
    static constexpr unsigned LVS_EX_FULLROWSELECT = 0x20;
    // Edit box style bits a begin-edit callback may add.
    static constexpr unsigned ES_UPPERCASE = 0x8;
    static constexpr unsigned ES_LOWERCASE = 0x10;
    static constexpr unsigned ES_PASSWORD = 0x20;
    static constexpr unsigned ES_READONLY = 0x800;
    static constexpr unsigned ES_NUMBER = 0x2000;
    static constexpr int kEditLimit = 100;
    // Messages to the parent.
    static constexpr uint32_t WM_REPORT_CHECKCLICK = 0xA710;
    static constexpr uint32_t WM_REPORT_EDITCOMMITTED = 0xA712;
    // Colour -1: the system's window (background) or text colour.
    static constexpr int kDefaultColour = -1;

    // false: no edit box; the owner handles the cell itself. editStyle takes extra ES_ bits.
    using BeginEditCallback =
        std::function<bool(CReportCtrl* list, int row, int column, unsigned& editStyle)>;
    // false: the edit ends here and EndEdit returns result.
    using EndEditCallback = std::function<bool(CReportCtrl* list, bool commit, bool& result)>;
    // false rejects the text; it may change the editor's text before accepting.
    using ValidateCallback = std::function<bool(QLineEdit* editor, CReportCtrl* list)>;
    using SortCallback = std::function<void(CReportCtrl* list, int column, bool ascending)>;
    using CheckChangedCallback = std::function<void(int row, CReportCtrl* list)>;

    explicit CReportCtrl(QWidget* parent = nullptr, int id = 0);
    ~CReportCtrl() override;

    // Columns.
    int InsertColumn(int index, const QString& title, int format = LVCFMT_LEFT, int width = -1);
    int GetColumnCount() const { return static_cast<int>(columns_.size()); }
    // The text colour rows made from now on take in that column.
    bool SetColumnTextColor(int column, QColor colour);
    void SetGridLines(bool on);
    bool HasGridLines() const { return (extendedStyle_ & LVS_EX_GRIDLINES) != 0; }
    unsigned GetExtendedStyle() const { return extendedStyle_; }

    // Modes.
    void SetCheckboxStyle(int style);
    int GetCheckboxStyle() const { return checkboxStyle_; }
    void SetEditable(bool on);
    bool IsEditable() const { return editable_; }
    void SetSortable(bool on) { sortable_ = on; }
    bool IsSortable() const { return sortable_; }
    int GetSortColumn() const { return sortColumn_; }
    bool IsSortAscending() const { return sortAscending_; }

    // Rows and cells.
    int InsertItem(int row, const QString& text);
    // Inserts one row per entry at once, each with the texts of its first cells; for long lists
    // far cheaper than a row at a time. Returns the first row's index.
    int InsertItems(int row, const std::vector<QStringList>& rows);
    int GetItemCount() const { return topLevelItemCount(); }
    int GetItemCount(unsigned states) const;
    int GetFirstItem(unsigned states, int after = -1) const;
    bool SetItemText(int row, int column, const QString& text);
    bool SetItemText(int row, int column, int number);
    bool SetItemText(int row, int column, unsigned number);
    QString GetItemText(int row, int column) const;
    bool SetItemData(int row, quintptr value);
    quintptr GetItemData(int row) const;
    bool SetItemBkColor(int row, int column, QColor colour, bool redraw = true);
    bool SetItemTextColor(int row, int column, QColor colour, bool redraw = true);
    QColor GetItemBkColor(int row, int column) const;
    QColor GetItemTextColor(int row, int column) const;
    bool SetItemStates(int row, unsigned states);
    bool ExamItemStates(int row, unsigned states) const;
    bool IsItemChecked(int row) const;
    int FindItem(const QString& text) const;
    bool DeleteItem(int row, bool selectNext = false);
    bool DeleteAllItems();

    // Moves; each returns the row's new index, or -1 when the row does not exist.
    int MoveItem(int row, int target);
    int MoveUp(int row, int count = 1);
    int MoveDown(int row, int count = 1);
    int MoveToTop(int row);
    int MoveToBottom(int row);

    // In-place editing.
    bool StartEdit(int row, int column);
    bool EndEdit(bool commit = true);
    // An edit box is open. After a vetoed begin-edit the cell stays the edit cell (the owner
    // edits it its own way) until the next EndEdit, but no box is open.
    bool IsEditing() const { return editorOpen_; }
    int GetEditRow() const { return editRow_; }
    int GetEditColumn() const { return editColumn_; }
    // The edit box, once made (nullptr before the first edit).
    QLineEdit* Editor() const { return editor_; }

    void SetBeginEditCallback(BeginEditCallback cb) { beginEdit_ = std::move(cb); }
    void SetEndEditCallback(EndEditCallback cb) { endEdit_ = std::move(cb); }
    void SetValidateCallback(ValidateCallback cb) { validate_ = std::move(cb); }
    void SetSortCallbacks(SortCallback before, SortCallback after);
    void SetCheckChangedCallback(CheckChangedCallback cb) { checkChanged_ = std::move(cb); }
    void SetOwner(QWidget* owner) { owner_ = owner; }
    QWidget* GetOwner() const { return owner_; }
    // Set to 1 while the list changes the selection itself.
    void SetBusyFlag(int* flag) { busy_ = flag; }

    // Sorts as a click on the column's header does.
    void SortByColumn(int column);
    // Where the check box of a row is drawn (empty without check boxes).
    QRect CheckBoxRect(int row) const;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                 const QModelIndex& index) const override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Column {
        int format = LVCFMT_LEFT;
        QColor text;
        QColor background;
    };
    class BusyScope;

    QTreeWidgetItem* Row(int row) const;
    QTreeWidgetItem* NewRow(const QStringList& texts);
    bool ValidCell(int row, int column) const;
    void ApplyColumnDefaults(QTreeWidgetItem* item, int column);
    void SetChecked(int row, bool checked);
    void SelectOnly(int row, int column = 0);
    void CheckClicked(int row, bool before, intptr_t mouseMessage);
    void HandleClick(QMouseEvent* event, bool doubleClick);
    bool OnCheckBox(const QModelIndex& index, const QPoint& at) const;
    void PlaceEditor(unsigned style);
    QColor Resolve(QColor colour, bool background) const;
    void TakeRows(std::vector<QTreeWidgetItem*>& items, std::vector<bool>& selected,
                  QTreeWidgetItem*& current);
    void PutRows(const std::vector<QTreeWidgetItem*>& items, const std::vector<bool>& selected,
                 QTreeWidgetItem* current);
    void CloseEditor();

    std::vector<Column> columns_;
    unsigned extendedStyle_ = LVS_EX_FULLROWSELECT | LVS_EX_SUBITEMIMAGES;
    int checkboxStyle_ = RC_CHKBOX_NORMAL;
    bool editable_ = false;
    bool sortable_ = true;
    int sortColumn_ = -1;
    bool sortAscending_ = true;
    int editRow_ = -1;
    int editColumn_ = -1;
    bool ending_ = false;
    bool editorOpen_ = false;
    // The edit ended because a click on the list took the focus from the edit box.
    bool endedByListClick_ = false;
    QPointer<QLineEdit> editor_;
    Qt::Alignment editorAlignment_ = Qt::AlignLeft;
    QPointer<QWidget> owner_;
    int* busy_ = nullptr;
    BeginEditCallback beginEdit_;
    EndEditCallback endEdit_;
    ValidateCallback validate_;
    SortCallback beforeSort_;
    SortCallback afterSort_;
    CheckChangedCallback checkChanged_;
};
