#include "app/widgets/result_list.h"

#include <QHeaderView>

#include "app/widgets/song_font.h"

namespace miyoutong {

namespace {

// While rows stream in, the rows are drawn at most this often.
constexpr int kRepaintHoldMs = 40;

}  // namespace

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

    repaintHold_.setSingleShot(true);
    repaintHold_.setInterval(kRepaintHoldMs);
    connect(&repaintHold_, &QTimer::timeout, this, [this] { viewport()->setUpdatesEnabled(true); });
    connect(&model_, &QAbstractItemModel::rowsInserted, this, &ResultList::HoldRepaint);
    connect(&model_, &QAbstractItemModel::dataChanged, this, &ResultList::HoldRepaint);
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

// A worker writes a row cell by cell, each write a separate trip to the UI thread; drawing the
// list after every one of them would cost more than the writes. The first change holds the
// drawing back for a moment, and the list is drawn once with everything that came meanwhile.
void ResultList::HoldRepaint() {
    if (repaintHold_.isActive()) {
        return;
    }
    viewport()->setUpdatesEnabled(false);
    repaintHold_.start();
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
