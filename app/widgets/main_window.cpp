#include "app/widgets/main_window.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <optional>

#include "app/option_lists.h"
#include "app/widgets/group_box.h"
#include "app/widgets/hyperlink_label.h"
#include "app/widgets/option_combo_box.h"
#include "app/widgets/picture_box.h"
#include "app/widgets/qt_control_surface.h"
#include "app/widgets/result_list.h"
#include "app/widgets/song_font.h"
#include "app/widgets/widget_resources.h"

#ifndef MIYOUTONG_LINK_BLOG
#error "MIYOUTONG_LINK_BLOG must be defined by the build"
#endif

namespace miyoutong {

namespace {

// The outer size the window is centred with: the client area plus a classic frame and title bar.
constexpr int kOuterWidth = 675;
constexpr int kOuterHeight = 485;
// The window's texts are drawn in the classic 9-point (12 pixel) Song face the layout was made for;
// a larger desktop font would clip them.
constexpr int kWindowFontPixels = 12;

enum class Kind { GroupBox, Label, WrappedLabel, ComboBox, CheckBox, Button, List, Picture, Link };

struct ControlPlace {
    Control control;
    Kind kind;
    std::optional<Control> container;  // none: the window's client area
    QRect geometry;
    const char* text;     // UTF-8
    const char* address;  // hyperlinks only
};

using C = Control;

// The window description, in creation order (which is also the Tab order).
const ControlPlace kPlaces[] = {
    {C::分组框2, Kind::GroupBox, {}, {8, 6, 224, 152}, "会员信息_双击相片查看更多", nullptr},
    {C::图片框1, Kind::Picture, C::分组框2, {9, 17, 100, 125}, "", nullptr},
    {C::标签10,
     Kind::WrappedLabel,
     C::分组框2,
     {113, 17, 100, 129},
     "会员ID：\r\n\r\n昵  称：\r\n\r\n年  龄：\r\n\r\n地  区：\r\n\r\n诚信值：",
     nullptr},
    {C::分组框1, Kind::GroupBox, {}, {8, 160, 224, 288}, "搜索选项", nullptr},
    {C::标签1, Kind::Label, C::分组框1, {16, 16, 40, 20}, "性别：", nullptr},
    {C::组合框_性别, Kind::ComboBox, C::分组框1, {58, 16, 64, 20}, "", nullptr},
    {C::标签2, Kind::Label, C::分组框1, {16, 49, 32, 20}, "年龄：", nullptr},
    {C::组合框_起始年龄, Kind::ComboBox, C::分组框1, {58, 49, 64, 20}, "", nullptr},
    {C::标签3, Kind::Label, C::分组框1, {128, 49, 8, 20}, "~", nullptr},
    {C::组合框_结束年龄, Kind::ComboBox, C::分组框1, {144, 49, 64, 20}, "", nullptr},
    {C::标签4, Kind::Label, C::分组框1, {16, 82, 40, 20}, "地区：", nullptr},
    {C::组合框_起始地区, Kind::ComboBox, C::分组框1, {58, 82, 64, 20}, "", nullptr},
    {C::组合框_结束地区, Kind::ComboBox, C::分组框1, {144, 82, 64, 20}, "", nullptr},
    {C::标签5, Kind::Label, C::分组框1, {16, 115, 32, 20}, "婚姻：", nullptr},
    {C::组合框_婚姻状况, Kind::ComboBox, C::分组框1, {58, 115, 64, 20}, "", nullptr},
    {C::标签6, Kind::Label, C::分组框1, {16, 148, 48, 20}, "月收入：", nullptr},
    {C::组合框_月收入, Kind::ComboBox, C::分组框1, {72, 148, 100, 20}, "", nullptr},
    {C::标签7, Kind::Label, C::分组框1, {16, 181, 64, 20}, "教育程度：", nullptr},
    {C::组合框_教育程度, Kind::ComboBox, C::分组框1, {88, 181, 64, 20}, "", nullptr},
    {C::选择框1, Kind::CheckBox, C::分组框1, {160, 181, 48, 20}, "以上", nullptr},
    {C::标签8, Kind::Label, C::分组框1, {16, 216, 32, 20}, "身高：", nullptr},
    {C::组合框_起始身高, Kind::ComboBox, C::分组框1, {58, 216, 64, 20}, "", nullptr},
    {C::标签9, Kind::Label, C::分组框1, {128, 216, 8, 20}, "~", nullptr},
    {C::组合框_结束身高, Kind::ComboBox, C::分组框1, {144, 216, 64, 20}, "", nullptr},
    {C::选择框2, Kind::CheckBox, C::分组框1, {16, 254, 96, 20}, "是否下载相片", nullptr},
    {C::按钮1, Kind::Button, C::分组框1, {120, 248, 80, 32}, "搜索", nullptr},
    {C::分组框3, Kind::GroupBox, {}, {240, 6, 424, 442}, "搜索结果", nullptr},
    {C::超级列表框1, Kind::List, C::分组框3, {7, 15, 409, 379}, "", nullptr},
    {C::超级链接框1, Kind::Link, C::分组框3, {8, 402, 80, 24}, "木鱼BLOG", MIYOUTONG_LINK_BLOG},
    {C::超级链接框2, Kind::Link, C::分组框3, {100, 402, 80, 24}, "QZX官网", MIYOUTONG_LINK_HOME},
    {C::超级链接框3, Kind::Link, C::分组框3, {192, 402, 80, 24}, "QZX论坛", MIYOUTONG_LINK_FORUM},
    {C::标签11, Kind::Label, C::分组框3, {280, 397, 136, 38}, "", nullptr},
};

QWidget* MakeWidget(const ControlPlace& place, QWidget* parent) {
    const QString text = QString::fromUtf8(place.text);
    switch (place.kind) {
        case Kind::GroupBox: {
            return new GroupBox(text, parent);
        }
        case Kind::Label:
        case Kind::WrappedLabel: {
            auto* label = new QLabel(text, parent);
            const bool wrapped = place.kind == Kind::WrappedLabel;
            label->setTextFormat(Qt::PlainText);
            label->setWordWrap(wrapped);
            label->setAlignment(Qt::AlignLeft | (wrapped ? Qt::AlignTop : Qt::AlignVCenter));
            label->setFocusPolicy(Qt::NoFocus);
            return label;
        }
        case Kind::ComboBox:
            return new OptionComboBox(parent);
        case Kind::CheckBox: {
            auto* box = new QCheckBox(text, parent);
            box->setFocusPolicy(Qt::StrongFocus);
            return box;
        }
        case Kind::Button: {
            auto* button = new QPushButton(text, parent);
            button->setAutoDefault(false);
            button->setDefault(false);
            button->setFocusPolicy(Qt::StrongFocus);
            return button;
        }
        case Kind::List:
            return new ResultList(parent);
        case Kind::Picture:
            return new PictureBox(parent);
        case Kind::Link:
            return new HyperlinkLabel(text, QUrl(QString::fromUtf8(place.address)), parent);
    }
    return nullptr;
}

}  // namespace

MainWindow::MainWindow(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                          Qt::MSWindowsFixedSizeDialogHint) {
    EnsureWidgetResources();
    setObjectName(QStringLiteral("窗口"));
    setWindowTitle(QString::fromUtf8("觅友通 - BY：木鱼 - Ver：1.0.0"));
    setWindowIcon(QIcon(QStringLiteral(":/miyoutong/icon.png")));
    setFont(SongFont(kWindowFontPixels));
    setFixedSize(kClientWidth, kClientHeight);

    BuildControls();

    connect(qobject_cast<QPushButton*>(Widget(Control::按钮1)), &QPushButton::clicked, this,
            &MainWindow::searchClicked);
    connect(ComboBox(Control::组合框_起始地区), &QComboBox::activated, this,
            &MainWindow::startRegionPicked);
    connect(Results(), &ResultList::focusedRowChanged, this, &MainWindow::focusedRowChanged);
    connect(Picture(), &PictureBox::doubleClicked, this, &MainWindow::pictureDoubleClicked);

    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WindowShortcut);
    connect(escape, &QShortcut::activated, this, &QWidget::close);

    {
        QtControlSurface controls(*this);
        FillStoredOptionLists(controls);
    }
    CentreOnScreen();
}

MainWindow::~MainWindow() = default;

void MainWindow::BuildControls() {
    for (const ControlPlace& place : kPlaces) {
        QWidget* parent = place.container ? Widget(*place.container) : this;
        QWidget* widget = MakeWidget(place, parent);
        widget->setObjectName(
            QString::fromUtf8(ControlName(place.control).data(),
                              static_cast<qsizetype>(ControlName(place.control).size())));
        widget->setGeometry(place.geometry);
        widgets_[static_cast<int>(place.control)] = widget;
    }
}

void MainWindow::CentreOnScreen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (screen == nullptr) {
        return;
    }
    const QRect available = screen->availableGeometry();
    move(available.center() - QPoint(kOuterWidth / 2, kOuterHeight / 2));
}

QWidget* MainWindow::Widget(Control control) const {
    return widgets_[static_cast<int>(control)];
}

QComboBox* MainWindow::ComboBox(Control control) const {
    return qobject_cast<QComboBox*>(Widget(control));
}

QCheckBox* MainWindow::CheckBox(Control control) const {
    return qobject_cast<QCheckBox*>(Widget(control));
}

QLabel* MainWindow::Label(Control control) const {
    return qobject_cast<QLabel*>(Widget(control));
}

ResultList* MainWindow::Results() const {
    return static_cast<ResultList*>(Widget(Control::超级列表框1));
}

PictureBox* MainWindow::Picture() const {
    return static_cast<PictureBox*>(Widget(Control::图片框1));
}

HyperlinkLabel* MainWindow::Hyperlink(Control control) const {
    return qobject_cast<HyperlinkLabel*>(Widget(control));
}

void MainWindow::SetHyperlinkOpener(std::function<void(const QUrl&)> opener) {
    for (Control link : {Control::超级链接框1, Control::超级链接框2, Control::超级链接框3}) {
        Hyperlink(link)->SetOpener(opener);
    }
}

void MainWindow::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (event->isAccepted()) {
        emit closing();
    }
}

}  // namespace miyoutong
