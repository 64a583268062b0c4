#pragma once

// The result list 超级列表框1: a report view of nine columns with grid lines, single selection of
// whole rows, no editing, no sorting, and the selection shown only while the list has the focus.

#include <QTableView>

#include "app/widgets/result_list_model.h"

namespace miyoutong {

class ResultList : public QTableView {
    Q_OBJECT

public:
    explicit ResultList(QWidget* parent = nullptr);

    ResultListModel& Rows() { return model_; }
    // Index of the first selected row, -1 when none.
    int SelectedRow() const;

signals:
    // A row that did not have the focus has gained it, by a click or by the keyboard. Raised
    // after the selection has followed, so a handler reads the new selection.
    void focusedRowChanged();

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    void doItemsLayout() override;
    bool event(QEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    void ReportFocusedRow();
    // Whether rows first..last lie wholly below the rows on screen.
    bool BelowVisibleRows(int first, int last) const;
    void NoteRowsAppended(int first, int last);
    void NoteCellsChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight);
    void NoteOtherChange();

    ResultListModel model_;
    bool focusMoved_ = false;
    // Since the last layout of the rows: nothing changed, only rows below the visible ones were
    // added or written, or something else changed.
    enum class PendingChange { None, OutOfSight, Other };
    PendingChange pending_ = PendingChange::None;
};

}  // namespace miyoutong
