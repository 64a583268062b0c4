// The result list draws only what a change makes visible, and the screen always ends up showing
// exactly what the list holds: rows appended below the visible ones redraw no row, while new
// rows in view, written cells in view and scrolling are drawn as before.

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QHeaderView>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/widgets/main_window.h"
#include "app/widgets/result_list.h"
#include "support/qt_application.h"

namespace miyoutong {
namespace {

class PaintCounter : public QObject {
public:
    int count = 0;
    bool eventFilter(QObject*, QEvent* event) override {
        count += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

// Public: the steps of a table below act on the fixture.
class ResultListDrawingTest : public ::testing::Test {
public:
    void SetUp() override {
        testing_support::TestApplication();
        window_ = std::make_unique<MainWindow>();
        window_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
        list_ = window_->Results();
        list_->viewport()->installEventFilter(&paints_);
        Settle();
    }

    // Lets every pending layout and drawing happen.
    void Settle() {
        for (int i = 0; i < 5; ++i) {
            QCoreApplication::processEvents();
            QTest::qWait(5);
        }
    }

    // A row as the search writes it: inserted, then cell by cell.
    void Append(int count) {
        for (int i = 0; i < count; ++i) {
            ResultListModel& rows = list_->Rows();
            const int row = rows.InsertRow(-1, QString::number(rows.rowCount()));
            for (int column = 1; column < kResultColumnCount; ++column) {
                rows.SetText(row, column, QStringLiteral("r%1c%2").arg(row).arg(column));
            }
        }
    }

    // What the screen shows of the list's rows, against the rows drawn afresh.
    bool ScreenShowsTheRows() {
        QWidget* viewport = list_->viewport();
        const QPoint at = viewport->mapTo(window_.get(), QPoint(0, 0));
        const QImage shown = window_->screen()
                                 ->grabWindow(window_->winId(), at.x(), at.y(), viewport->width(),
                                              viewport->height())
                                 .toImage()
                                 .convertToFormat(QImage::Format_RGB32);
        const QImage fresh = viewport->grab().toImage().convertToFormat(QImage::Format_RGB32);
        return !shown.isNull() && shown.size() == fresh.size() && shown == fresh;
    }

    int VisibleRows() const {
        return list_->viewport()->height() / list_->verticalHeader()->defaultSectionSize();
    }

    std::unique_ptr<MainWindow> window_;
    ResultList* list_ = nullptr;
    PaintCounter paints_;
};

TEST_F(ResultListDrawingTest, RowsAppendedBelowTheVisibleOnesRedrawNoRow) {
    Append(VisibleRows() + 2);
    Settle();
    ASSERT_TRUE(ScreenShowsTheRows());
    const int maximum = list_->verticalScrollBar()->maximum();

    paints_.count = 0;
    Append(50);
    Settle();
    EXPECT_EQ(paints_.count, 0);
    EXPECT_GT(list_->verticalScrollBar()->maximum(), maximum) << "the scroll bar follows";
    EXPECT_TRUE(ScreenShowsTheRows());
}

TEST_F(ResultListDrawingTest, WhatTheScreenShowsFollowsEveryKindOfChange) {
    struct Step {
        std::string what;
        std::function<void(ResultListDrawingTest&)> change;
        std::optional<bool> drawsRows;  // unset: either, as the last row's place decides
    };
    const std::vector<Step> steps = {
        {"rows into the empty list", [](auto& t) { t.Append(3); }, true},
        {"rows up to and past the bottom", [](auto& t) { t.Append(t.VisibleRows()); }, true},
        {"a visible cell written",
         [](auto& t) { t.list_->Rows().SetText(1, 2, QStringLiteral("done")); }, true},
        {"a row below, then a visible cell in the same turn",
         [](auto& t) {
             t.Append(1);
             t.list_->Rows().SetText(0, 1, QStringLiteral("12345"));
         },
         true},
        {"a cell below written",
         [](auto& t) {
             t.list_->Rows().SetText(t.list_->Rows().rowCount() - 1, 2, QStringLiteral("x"));
         },
         false},
        {"scrolled to the end", [](auto& t) { t.list_->scrollToBottom(); }, true},
        {"rows appended while at the end", [](auto& t) { t.Append(5); }, std::nullopt},
        {"scrolled up a little", [](auto& t) { t.list_->verticalScrollBar()->setValue(3); }, true},
        {"rows appended while above the end", [](auto& t) { t.Append(5); }, false},
        {"a row inserted at the top", [](auto& t) { t.list_->Rows().InsertRow(0, "top"); }, true},
        {"cleared", [](auto& t) { t.list_->Rows().Clear(); }, true},
    };
    for (const Step& step : steps) {
        paints_.count = 0;
        step.change(*this);
        Settle();
        if (step.drawsRows) {
            EXPECT_EQ(paints_.count > 0, *step.drawsRows) << step.what;
        }
        EXPECT_TRUE(ScreenShowsTheRows()) << step.what;
    }
}

}  // namespace
}  // namespace miyoutong
