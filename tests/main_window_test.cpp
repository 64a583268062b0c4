#include "app/widgets/main_window.h"

#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTest>

#include "app/option_lists.h"
#include "app/widgets/hyperlink_label.h"
#include "app/widgets/picture_box.h"
#include "app/widgets/qt_control_surface.h"
#include "app/widgets/result_list.h"
#include "common/gbk.h"
#include "support/qt_application.h"

namespace miyoutong {
namespace {

using testing_support::TestApplication;

QString Q(const char* utf8) {
    return QString::fromUtf8(utf8);
}

std::string Name(const QObject* object) {
    return object ? object->objectName().toStdString() : "";
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestApplication();
        window_ = std::make_unique<MainWindow>();
    }

    template <typename T = QWidget>
    T* Find(const char* name) {
        return window_->findChild<T*>(Q(name));
    }

    std::unique_ptr<MainWindow> window_;
};

// ---- the window description ----

enum class Kind { GroupBox, Label, ComboBox, CheckBox, Button, List, Picture, Link };

struct Row {
    const char* name;
    Kind kind;
    const char* parent;
    QRect geometry;
    const char* text;
};

const Row kDescription[] = {
    {"分组框2", Kind::GroupBox, "窗口", {8, 6, 224, 152}, "会员信息_双击相片查看更多"},
    {"图片框1", Kind::Picture, "分组框2", {9, 17, 100, 125}, ""},
    {"标签10",
     Kind::Label,
     "分组框2",
     {113, 17, 100, 129},
     "会员ID：\r\n\r\n昵  称：\r\n\r\n年  龄：\r\n\r\n地  区：\r\n\r\n诚信值："},
    {"分组框1", Kind::GroupBox, "窗口", {8, 160, 224, 288}, "搜索选项"},
    {"标签1", Kind::Label, "分组框1", {16, 16, 40, 20}, "性别："},
    {"组合框_性别", Kind::ComboBox, "分组框1", {58, 16, 64, 20}, ""},
    {"标签2", Kind::Label, "分组框1", {16, 49, 32, 20}, "年龄："},
    {"组合框_起始年龄", Kind::ComboBox, "分组框1", {58, 49, 64, 20}, ""},
    {"标签3", Kind::Label, "分组框1", {128, 49, 8, 20}, "~"},
    {"组合框_结束年龄", Kind::ComboBox, "分组框1", {144, 49, 64, 20}, ""},
    {"标签4", Kind::Label, "分组框1", {16, 82, 40, 20}, "地区："},
    {"组合框_起始地区", Kind::ComboBox, "分组框1", {58, 82, 64, 20}, ""},
    {"组合框_结束地区", Kind::ComboBox, "分组框1", {144, 82, 64, 20}, ""},
    {"标签5", Kind::Label, "分组框1", {16, 115, 32, 20}, "婚姻："},
    {"组合框_婚姻状况", Kind::ComboBox, "分组框1", {58, 115, 64, 20}, ""},
    {"标签6", Kind::Label, "分组框1", {16, 148, 48, 20}, "月收入："},
    {"组合框_月收入", Kind::ComboBox, "分组框1", {72, 148, 100, 20}, ""},
    {"标签7", Kind::Label, "分组框1", {16, 181, 64, 20}, "教育程度："},
    {"组合框_教育程度", Kind::ComboBox, "分组框1", {88, 181, 64, 20}, ""},
    {"选择框1", Kind::CheckBox, "分组框1", {160, 181, 48, 20}, "以上"},
    {"标签8", Kind::Label, "分组框1", {16, 216, 32, 20}, "身高："},
    {"组合框_起始身高", Kind::ComboBox, "分组框1", {58, 216, 64, 20}, ""},
    {"标签9", Kind::Label, "分组框1", {128, 216, 8, 20}, "~"},
    {"组合框_结束身高", Kind::ComboBox, "分组框1", {144, 216, 64, 20}, ""},
    {"选择框2", Kind::CheckBox, "分组框1", {16, 254, 96, 20}, "是否下载相片"},
    {"按钮1", Kind::Button, "分组框1", {120, 248, 80, 32}, "搜索"},
    {"分组框3", Kind::GroupBox, "窗口", {240, 6, 424, 442}, "搜索结果"},
    {"超级列表框1", Kind::List, "分组框3", {7, 15, 409, 379}, ""},
    {"超级链接框1", Kind::Link, "分组框3", {8, 402, 80, 24}, "木鱼BLOG"},
    {"超级链接框2", Kind::Link, "分组框3", {100, 402, 80, 24}, "QZX官网"},
    {"超级链接框3", Kind::Link, "分组框3", {192, 402, 80, 24}, "QZX论坛"},
    {"标签11", Kind::Label, "分组框3", {280, 397, 136, 38}, ""},
};

bool IsKind(QWidget* w, Kind kind) {
    switch (kind) {
        case Kind::GroupBox:
            return qobject_cast<QGroupBox*>(w) != nullptr;
        case Kind::Label:
            return qobject_cast<QLabel*>(w) != nullptr &&
                   qobject_cast<HyperlinkLabel*>(w) == nullptr;
        case Kind::ComboBox:
            return qobject_cast<QComboBox*>(w) != nullptr;
        case Kind::CheckBox:
            return qobject_cast<QCheckBox*>(w) != nullptr;
        case Kind::Button:
            return qobject_cast<QPushButton*>(w) != nullptr;
        case Kind::List:
            return qobject_cast<QTableView*>(w) != nullptr;
        case Kind::Picture:
            return qobject_cast<PictureBox*>(w) != nullptr;
        case Kind::Link:
            return qobject_cast<HyperlinkLabel*>(w) != nullptr;
    }
    return false;
}

QString TextOf(QWidget* w) {
    if (auto* label = qobject_cast<QLabel*>(w)) {
        return label->text();
    }
    if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        return button->text();
    }
    if (auto* group = qobject_cast<QGroupBox*>(w)) {
        return group->title();
    }
    return {};
}

// Drop-down lists, check boxes, the button and the list take the focus; nothing else does.
Qt::FocusPolicy ExpectedFocus(Kind kind) {
    switch (kind) {
        case Kind::ComboBox:
        case Kind::CheckBox:
        case Kind::Button:
        case Kind::List:
            return Qt::StrongFocus;
        default:
            return Qt::NoFocus;
    }
}

TEST_F(MainWindowTest, EveryControlAsDescribed) {
    EXPECT_EQ(window_->objectName(), Q("窗口"));
    window_->show();
    int controls = 0;
    for (const Row& row : kDescription) {
        SCOPED_TRACE(row.name);
        QWidget* w = Find(row.name);
        ASSERT_NE(w, nullptr);
        ++controls;
        EXPECT_TRUE(IsKind(w, row.kind)) << w->metaObject()->className();
        EXPECT_EQ(Name(w->parentWidget()), row.parent);
        EXPECT_EQ(w->geometry(), row.geometry);
        EXPECT_EQ(TextOf(w), Q(row.text));
        EXPECT_TRUE(w->isEnabled());
        EXPECT_TRUE(w->isVisible());
        EXPECT_EQ(w->focusPolicy(), ExpectedFocus(row.kind));
    }
    EXPECT_EQ(controls, kControlCount);
    // Each control's widget is the one the window hands out for it.
    for (Control control : AllControls()) {
        EXPECT_EQ(Name(window_->Widget(control)), std::string(ControlName(control)));
    }
}

TEST_F(MainWindowTest, WindowFrameTitleAndPlace) {
    EXPECT_EQ(window_->windowTitle(), Q("觅友通 - BY：木鱼 - Ver：1.0.0"));
    EXPECT_EQ(window_->minimumSize(), QSize(669, 457));
    EXPECT_EQ(window_->maximumSize(), QSize(669, 457));
    const Qt::WindowFlags flags = window_->windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowTitleHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowSystemMenuHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(window_->isVisible());  // shown by its owner, after the created work

    const QList<QSize> iconSizes = window_->windowIcon().availableSizes();
    EXPECT_TRUE(iconSizes.contains(QSize(32, 32)));

    // Centred as a 675 x 485 window would be.
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QPoint outerCentre = window_->pos() + QPoint(675 / 2, 485 / 2);
    EXPECT_LE((outerCentre - screen.center()).manhattanLength(), 2);
}

TEST_F(MainWindowTest, ResultListColumnsAndBehaviour) {
    auto* list = Find<ResultList>("超级列表框1");
    ASSERT_NE(list, nullptr);
    const std::pair<const char*, int> columns[] = {
        {"序号", 50},   {"会员ID", 80},   {"昵称", 80},       {"年龄", 50},     {"地区", 80},
        {"诚信值", 60}, {"相片地址", 80}, {"是否已下载", 80}, {"保存地址", 50},
    };
    QAbstractItemModel* model = list->model();
    ASSERT_EQ(model->columnCount(), 9);
    for (int c = 0; c < 9; ++c) {
        EXPECT_EQ(model->headerData(c, Qt::Horizontal).toString(), Q(columns[c].first));
        EXPECT_EQ(list->columnWidth(c), columns[c].second) << c;
        EXPECT_EQ(
            model->headerData(c, Qt::Horizontal, Qt::TextAlignmentRole).value<Qt::Alignment>() &
                Qt::AlignHorizontal_Mask,
            Qt::AlignLeft);
    }
    EXPECT_EQ(model->rowCount(), 0);
    EXPECT_TRUE(list->horizontalHeader()->isVisibleTo(list));
    EXPECT_FALSE(list->verticalHeader()->isVisibleTo(list));
    EXPECT_EQ(list->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_EQ(list->selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(list->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_FALSE(list->isSortingEnabled());
    EXPECT_TRUE(list->showGrid());
    EXPECT_EQ(list->frameShape(), QFrame::Box);

    list->Rows().InsertRow(-1, "0");
    const QModelIndex cell = model->index(0, 3);
    EXPECT_FALSE(model->flags(cell).testFlag(Qt::ItemIsEditable));
    EXPECT_FALSE(model->flags(cell).testFlag(Qt::ItemIsUserCheckable));
    EXPECT_FALSE(model->data(cell, Qt::DecorationRole).isValid());
    EXPECT_EQ(
        model->data(cell, Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignHorizontal_Mask,
        Qt::AlignLeft);

    // A header click neither sorts nor selects.
    window_->show();
    list->Rows().InsertRow(-1, "1");
    QTest::mouseClick(list->horizontalHeader()->viewport(), Qt::LeftButton, {},
                      QPoint(list->columnViewportPosition(0) + 10, 5));
    EXPECT_EQ(list->Rows().Text(0, 0), Q("0"));
    EXPECT_EQ(list->SelectedRow(), -1);

    // "宋体" at 14 pixels, normal weight.
    EXPECT_EQ(list->font().families().value(0), Q("宋体"));
    EXPECT_EQ(list->font().pixelSize(), 14);
    EXPECT_EQ(list->font().weight(), QFont::Normal);

    // The selection is drawn only while the list has the focus.
    const QPalette p = list->palette();
    EXPECT_EQ(p.color(QPalette::Inactive, QPalette::Highlight),
              p.color(QPalette::Inactive, QPalette::Base));
    EXPECT_EQ(p.color(QPalette::Inactive, QPalette::HighlightedText),
              p.color(QPalette::Inactive, QPalette::Text));
    EXPECT_NE(p.color(QPalette::Active, QPalette::Highlight),
              p.color(QPalette::Active, QPalette::Base));
    EXPECT_EQ(p.color(QPalette::Active, QPalette::Base), QColor(Qt::white));
    EXPECT_EQ(p.color(QPalette::Active, QPalette::Text), QColor(Qt::black));
}

TEST_F(MainWindowTest, StoredListsComeWithTheWindowOtherListsEmpty) {
    for (const StoredOptionList& stored : StoredOptionLists()) {
        QComboBox* combo = window_->ComboBox(stored.list);
        SCOPED_TRACE(std::string(ControlName(stored.list)));
        ASSERT_EQ(combo->count(), static_cast<int>(stored.items.size()));
        for (int i = 0; i < combo->count(); ++i) {
            EXPECT_EQ(combo->itemText(i).toStdString(), std::string(stored.items[i].text));
            EXPECT_EQ(combo->itemData(i).toInt(), stored.items[i].value);
        }
        EXPECT_EQ(combo->currentIndex(), 0);
        EXPECT_EQ(combo->currentText(), Q("请选择"));
    }
    for (const char* name : {"组合框_起始年龄", "组合框_结束年龄", "组合框_起始地区",
                             "组合框_结束地区", "组合框_起始身高", "组合框_结束身高"}) {
        auto* combo = Find<QComboBox>(name);
        EXPECT_EQ(combo->count(), 0) << name;
        EXPECT_EQ(combo->currentIndex(), -1) << name;
    }
    EXPECT_FALSE(Find<QCheckBox>("选择框1")->isChecked());
    EXPECT_FALSE(Find<QCheckBox>("选择框2")->isChecked());
    EXPECT_FALSE(window_->Picture()->HasPicture());
}

TEST_F(MainWindowTest, DropDownListsArePlainListsOf160PixelsInAll) {
    QtControlSurface controls(*window_);
    FillAgeLists(controls);  // 83 items: more than the opened list can show
    window_->show();
    for (Control control : kComboBoxes) {
        QComboBox* combo = window_->ComboBox(control);
        SCOPED_TRACE(std::string(ControlName(control)));
        EXPECT_FALSE(combo->isEditable());
        EXPECT_EQ(combo->insertPolicy(), QComboBox::NoInsert);
        // Items one pixel taller than the style's own.
        QStyleOptionViewItem option;
        option.initFrom(combo->view());
        const QModelIndex item = combo->model()->index(0, 0);
        if (item.isValid()) {
            QStyledItemDelegate plain;
            EXPECT_EQ(combo->itemDelegate()->sizeHint(option, item).height(),
                      plain.sizeHint(option, item).height() + 1);
        }
    }
    QComboBox* ages = window_->ComboBox(Control::组合框_起始年龄);
    ages->showPopup();
    QWidget* popup = ages->view()->window();
    ASSERT_NE(popup, window_.get());
    EXPECT_TRUE(QTest::qWaitForWindowExposed(popup));
    EXPECT_EQ(popup->height() + ages->height(), 160);
    EXPECT_GE(popup->y(), ages->mapToGlobal(QPoint(0, 0)).y() + ages->height() - 1);  // drops below
    ages->hidePopup();
}

// ---- keyboard ----

TEST_F(MainWindowTest, EscapeClosesTheWindowFromAnyControl) {
    for (const char* focus : {"按钮1", "超级列表框1", "组合框_性别"}) {
        window_->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
        QSignalSpy closing(window_.get(), &MainWindow::closing);
        QWidget* w = Find(focus);
        w->setFocus();
        QTest::keyClick(w, Qt::Key_Escape);
        EXPECT_FALSE(window_->isVisible()) << focus;
        EXPECT_EQ(closing.count(), 1) << focus;
    }
}

TEST_F(MainWindowTest, EnterAndF1DoNothing) {
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    QSignalSpy search(window_.get(), &MainWindow::searchClicked);
    auto* button = Find<QPushButton>("按钮1");
    EXPECT_FALSE(button->isDefault());
    EXPECT_FALSE(button->autoDefault());
    for (const char* focus : {"按钮1", "组合框_性别", "选择框2"}) {
        QWidget* w = Find(focus);
        w->setFocus();
        QTest::keyClick(w, Qt::Key_Return);
        QTest::keyClick(w, Qt::Key_Enter);
        QTest::keyClick(w, Qt::Key_F1);
        EXPECT_TRUE(w->hasFocus()) << focus;
    }
    EXPECT_EQ(search.count(), 0);
    EXPECT_TRUE(window_->isVisible());
}

// ---- event bindings ----

TEST_F(MainWindowTest, SearchClickedOnlyWhenTheButtonIsPressed) {
    window_->show();
    QSignalSpy search(window_.get(), &MainWindow::searchClicked);
    auto* button = Find<QPushButton>("按钮1");
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(search.count(), 1);
    button->setEnabled(false);
    QTest::mouseClick(button, Qt::LeftButton);
    EXPECT_EQ(search.count(), 1);
}

TEST_F(MainWindowTest, StartRegionPickedOnlyByTheUser) {
    QtControlSurface controls(*window_);
    for (const char* region : {"不限", "北京", "上海"}) {
        controls.ComboAddItem(Control::组合框_起始地区, Gbk(region), -1);
    }
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    QSignalSpy picked(window_.get(), &MainWindow::startRegionPicked);

    // The program selecting items raises nothing.
    controls.ComboSelect(Control::组合框_起始地区, 0);
    controls.ComboSelect(Control::组合框_起始地区, 2);
    controls.ComboSelect(Control::组合框_起始地区, 1);
    EXPECT_EQ(picked.count(), 0);

    // The user picking one with the keyboard does, after the selection has changed.
    QComboBox* combo = window_->ComboBox(Control::组合框_起始地区);
    int selectionSeen = -1;
    QObject::connect(window_.get(), &MainWindow::startRegionPicked, combo,
                     [&] { selectionSeen = controls.ComboSelection(Control::组合框_起始地区); });
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Down);
    EXPECT_EQ(picked.count(), 1);
    EXPECT_EQ(selectionSeen, 2);

    // And with the mouse from the opened list.
    combo->showPopup();
    QAbstractItemView* view = combo->view();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(view->window()));
    const QRect first = view->visualRect(view->model()->index(0, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, first.center());
    EXPECT_TRUE(QTest::qWaitFor([&] { return picked.count() == 2; }, 1000));
    EXPECT_EQ(selectionSeen, 0);

    // Other drop-down lists are not bound.
    QComboBox* gender = window_->ComboBox(Control::组合框_性别);
    gender->setFocus();
    QTest::keyClick(gender, Qt::Key_Down);
    EXPECT_EQ(picked.count(), 2);
}

class FocusedRowTest : public MainWindowTest {
protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        list_ = window_->Results();
        for (int i = 0; i < 6; ++i) {
            list_->Rows().InsertRow(-1, QString::number(i));
        }
        window_->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
        QObject::connect(window_.get(), &MainWindow::focusedRowChanged, list_,
                         [this] { seen_.push_back(list_->SelectedRow()); });
    }

    void Click(int row) {
        const QRect cell = list_->visualRect(list_->model()->index(row, 1));
        QTest::mouseClick(list_->viewport(), Qt::LeftButton, {}, cell.center());
    }

    ResultList* list_ = nullptr;
    std::vector<int> seen_;  // the selected row at each event
};

TEST_F(FocusedRowTest, ClickAndReClick) {
    Click(1);
    EXPECT_EQ(seen_, (std::vector<int>{1}));
    Click(1);  // the row that has the focus: nothing
    EXPECT_EQ(seen_, (std::vector<int>{1}));
    Click(4);
    EXPECT_EQ(seen_, (std::vector<int>{1, 4}));
    // A double click on a new row is one change of focus.
    const QRect cell = list_->visualRect(list_->model()->index(2, 1));
    QTest::mouseDClick(list_->viewport(), Qt::LeftButton, {}, cell.center());
    EXPECT_EQ(seen_, (std::vector<int>{1, 4, 2}));
}

TEST_F(FocusedRowTest, EveryArrowKeyMove) {
    Click(2);
    seen_.clear();
    QTest::keyClick(list_, Qt::Key_Down);
    QTest::keyClick(list_, Qt::Key_Down);
    QTest::keyClick(list_, Qt::Key_Up);
    EXPECT_EQ(seen_, (std::vector<int>{3, 4, 3}));
    QTest::keyClick(list_, Qt::Key_Home);
    QTest::keyClick(list_, Qt::Key_Up);  // already at the top: no move
    QTest::keyClick(list_, Qt::Key_End);
    QTest::keyClick(list_, Qt::Key_Left);  // along the row: the focused row stays
    EXPECT_EQ(seen_, (std::vector<int>{3, 4, 3, 0, 5}));
}

TEST_F(FocusedRowTest, RowsAddedOrClearedByTheProgramRaiseNothing) {
    Click(3);
    seen_.clear();
    list_->Rows().InsertRow(0, "new");
    list_->Rows().SetText(4, 2, "x");
    list_->Rows().InsertRow(-1, "last");
    QTest::qWait(20);
    EXPECT_TRUE(seen_.empty());
    EXPECT_EQ(list_->SelectedRow(), 4);  // the same row, moved down by one
    list_->Rows().Clear();
    QTest::qWait(20);
    EXPECT_TRUE(seen_.empty());
    EXPECT_EQ(list_->SelectedRow(), -1);
}

TEST_F(MainWindowTest, PictureDoubleClicked) {
    window_->show();
    QSignalSpy spy(window_.get(), &MainWindow::pictureDoubleClicked);
    QTest::mouseDClick(window_->Picture(), Qt::LeftButton);
    EXPECT_EQ(spy.count(), 1);
    QTest::mouseClick(window_->Picture(), Qt::LeftButton);
    EXPECT_EQ(spy.count(), 1);
}

// ---- hyperlinks ----

TEST_F(MainWindowTest, HyperlinksOpenTheirAddressAndChangeColour) {
    std::vector<QUrl> opened;
    window_->SetHyperlinkOpener([&](const QUrl& url) { opened.push_back(url); });
    window_->show();
    const QColor blue(0, 0, 255), darkRed(128, 0, 0), hover(49, 106, 197);
    std::vector<QUrl> addresses;
    for (Control control : {Control::超级链接框1, Control::超级链接框2, Control::超级链接框3}) {
        HyperlinkLabel* link = window_->Hyperlink(control);
        SCOPED_TRACE(std::string(ControlName(control)));
        EXPECT_EQ(link->alignment(), Qt::AlignCenter);
        EXPECT_FALSE(link->wordWrap());
        EXPECT_TRUE(link->Address().isValid());
        EXPECT_EQ(link->Address().scheme(), Q("http"));
        addresses.push_back(link->Address());
        EXPECT_EQ(link->TextColour(), blue);

        QTest::mouseClick(link, Qt::RightButton);
        EXPECT_EQ(link->TextColour(), blue);
        EXPECT_FALSE(link->Visited());

        QTest::mousePress(link, Qt::LeftButton);
        EXPECT_TRUE(link->Visited());
        EXPECT_EQ(link->TextColour(), darkRed);
        QTest::mouseRelease(link, Qt::LeftButton);
        ASSERT_FALSE(opened.empty());
        EXPECT_EQ(opened.back(), link->Address());

        QEnterEvent enter(QPointF(5, 5), QPointF(5, 5), link->mapToGlobal(QPointF(5, 5)));
        QApplication::sendEvent(link, &enter);
        EXPECT_EQ(link->TextColour(), hover);
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(link, &leave);
        EXPECT_EQ(link->TextColour(), darkRed);
    }
    EXPECT_EQ(opened.size(), 3u);
    EXPECT_NE(addresses[0], addresses[1]);
    EXPECT_NE(addresses[1], addresses[2]);
}

}  // namespace
}  // namespace miyoutong
