#pragma once

// The main window 窗口 and its controls, built from the window description. Every widget carries
// its control's name as object name.
//
// Creation: the constructor builds every control and fills the four stored option lists; the
// window is not shown. The owner then runs the window-created work (OnMainWindowCreated) through
// a QtControlSurface over the window, and calls show() afterwards:
//
//     MainWindow window;
//     QtControlSurface controls(window);
//     OnMainWindowCreated(controls);
//     window.show();
//
// The window's events reach the program through the signals below, connected by the owner.

#include <QUrl>
#include <QWidget>
#include <array>
#include <functional>

// moc cannot read the Chinese enumerator names.
#ifndef Q_MOC_RUN
#include "common/controls.h"
#endif

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

namespace miyoutong {

class HyperlinkLabel;
class PictureBox;
class ResultList;

class MainWindow : public QWidget {
    Q_OBJECT

public:
    // The client area that holds every control at its place (675 x 485 outside with a classic
    // frame and title bar).
    static constexpr int kClientWidth = 669;
    static constexpr int kClientHeight = 457;

    explicit MainWindow(QWidget* parent = nullptr);
    ~MainWindow() override;

    // The widget of a control; never null.
    QWidget* Widget(Control control) const;
    QComboBox* ComboBox(Control control) const;
    QCheckBox* CheckBox(Control control) const;
    QLabel* Label(Control control) const;
    ResultList* Results() const;
    PictureBox* Picture() const;
    HyperlinkLabel* Hyperlink(Control control) const;

    // Replaces the browser launch of the three hyperlinks, for tests.
    void SetHyperlinkOpener(std::function<void(const QUrl&)> opener);

signals:
    // 按钮1 clicked.
    void searchClicked();
    // The user picked an item of 组合框_起始地区 (never raised by a selection the program sets).
    void startRegionPicked();
    // A row of 超级列表框1 that did not have the focus has gained it.
    void focusedRowChanged();
    // 图片框1 double-clicked with the left mouse button.
    void pictureDoubleClicked();
    // The window has accepted a close: anything waiting for it must stop waiting.
    void closing();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void BuildControls();
    void CentreOnScreen();

    std::array<QWidget*, kControlCount> widgets_{};
};

}  // namespace miyoutong
