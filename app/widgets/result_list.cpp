#include "app/widgets/result_list.h"

#include <QHeaderView>
#include <QScrollBar>

#include "app/widgets/song_font.h"

namespace miyoutong {

ResultList::ResultList(QWidget* parent) : QTableView(parent) {
    setModel(&model_);
    setFont(SongFont(14));
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setFocusPolicy(Qt::StrongFocus);

    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSortingEnabled(false);
    setShowGrid(true);
    setGridStyle(Qt::SolidLine);
    setWordWrap(false);
    setTextElideMode(Qt::ElideRight);
    setTabKeyNavigation(false);
    setDragEnabled(false);
    setCornerButtonEnabled(false);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    viewport()->setAttribute(Qt::WA_Hover, false);
    setMouseTracking(false);

    QHeaderView* header = horizontalHeader();
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setSectionsClickable(true);  // it can be pressed, but nothing is bound to it
    header->setSortIndicatorShown(false);
    header->setHighlightSections(false);
    header->setSectionsMovable(false);
    header->setStretchLastSection(false);
    header->setSectionResizeMode(QHeaderView::Interactive);
    for (int column = 0; column < kResultColumnCount; ++column) {
        header->resizeSection(column, ResultListModel::kColumns[column].width);
    }

    // Rows of one fixed height: nothing is measured when rows arrive.
    QHeaderView* rows = verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setMinimumSectionSize(1);
    rows->setDefaultSectionSize(QFontMetrics(font()).height() + 4);

    // Black on white; an unfocused list shows its selection like any other row.
    QPalette p = palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        p.setColor(group, QPalette::Base, Qt::white);
        p.setColor(group, QPalette::Text, Qt::black);
    }
    p.setColor(QPalette::Inactive, QPalette::Highlight, Qt::white);
    p.setColor(QPalette::Inactive, QPalette::HighlightedText, Qt::black);
    setPalette(p);

    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this] { focusMoved_ = true; });

    // Connected after the view's own handlers, which have placed the new rows by then.
    connect(&model_, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) { NoteRowsAppended(first, last); });
    connect(&model_, &QAbstractItemModel::dataChanged, this, &ResultList::NoteCellsChanged);
    connect(&model_, &QAbstractItemModel::modelReset, this, &ResultList::NoteOtherChange);
    connect(&model_, &QAbstractItemModel::layoutChanged, this, &ResultList::NoteOtherChange);
    connect(&model_, &QAbstractItemModel::rowsRemoved, this, &ResultList::NoteOtherChange);
    connect(&model_, &QAbstractItemModel::columnsInserted, this, &ResultList::NoteOtherChange);
    connect(&model_, &QAbstractItemModel::columnsRemoved, this, &ResultList::NoteOtherChange);
}

int ResultList::SelectedRow() const {
    int first = -1;
    for (const QModelIndex& index : selectionModel()->selectedIndexes()) {
        if (first < 0 || index.row() < first) {
            first = index.row();
        }
    }
    return first;
}

// Home and End go to the first and the last row, as in a list, not along the row.
QModelIndex ResultList::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) {
    if (action == MoveHome || action == MoveEnd) {
        modifiers |= Qt::ControlModifier;
    }
    return QTableView::moveCursor(action, modifiers);
}

// The view moves the current index before it updates the selection; the event goes out once the
// user's input has been handled completely.
bool ResultList::event(QEvent* event) {
    const bool handled = QTableView::event(event);
    ReportFocusedRow();
    return handled;
}

bool ResultList::viewportEvent(QEvent* event) {
    const bool handled = QTableView::viewportEvent(event);
    ReportFocusedRow();
    return handled;
}

// A search appends rows one at a time, each written cell by cell, mostly below the rows on
// screen. Qt lays the view out again after every such change and then redraws every visible row,
// although nothing on screen but the scroll bar has changed: with a thousand rows coming in, that
// drawing would cost the UI thread more than the rows themselves. So when every change since the
// last layout lies below the visible rows, only the scroll bars are brought up to date.
void ResultList::doItemsLayout() {
    const PendingChange pending = pending_;
    pending_ = PendingChange::None;
    if (pending == PendingChange::OutOfSight) {
        updateGeometries();
        return;
    }
    QTableView::doItemsLayout();
}

// A view scrolled to its end keeps its last row at the bottom edge, and a layout moves the rows
// when more come: only a view above its end keeps its rows in place.
bool ResultList::BelowVisibleRows(int first, int last) const {
    const QScrollBar* bar = verticalScrollBar();
    const bool atEnd = bar->maximum() > 0 && bar->value() == bar->maximum();
    return !atEnd && first >= 0 && first <= last &&
           rowViewportPosition(first) >= viewport()->height();
}

void ResultList::NoteRowsAppended(int first, int last) {
    if (pending_ == PendingChange::Other) {
        return;
    }
    pending_ = BelowVisibleRows(first, last) ? PendingChange::OutOfSight : PendingChange::Other;
}

// While a layout is pending, the view leaves a changed cell to the layout's redrawing; a change
// on screen therefore needs the full layout.
void ResultList::NoteCellsChanged(const QModelIndex& topLeft, const QModelIndex& bottomRight) {
    if (pending_ == PendingChange::OutOfSight &&
        !BelowVisibleRows(topLeft.row(), bottomRight.row())) {
        pending_ = PendingChange::Other;
    }
}

void ResultList::NoteOtherChange() {
    pending_ = PendingChange::Other;
}

void ResultList::ReportFocusedRow() {
    if (!focusMoved_) {
        return;
    }
    focusMoved_ = false;
    if (currentIndex().isValid()) {
        emit focusedRowChanged();
    }
}

}  // namespace miyoutong
