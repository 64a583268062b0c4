// Takes the README's screenshot: the real window after a search against the demo service.
//   miyoutong-screenshot OUTPUT.png

#include <curl/curl.h>

#include <QApplication>
#include <QComboBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>
#include <iostream>

#include "app/program.h"
#include "app/widgets/main_window.h"
#include "app/widgets/qt_control_surface.h"
#include "app/widgets/result_list.h"
#include "common/program_directory.h"
#include "tools/demo-service/demo_region_loader.h"
#include "tools/demo-service/demo_service.h"

namespace {

using namespace miyoutong;

// Presses OK on every message box shown for the search.
void AnswerMessageBoxes(QObject* owner) {
    auto* timer = new QTimer(owner);
    QObject::connect(timer, &QTimer::timeout, [] {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (auto* box = qobject_cast<QMessageBox*>(widget); box && box->isVisible()) {
                box->accept();
            }
        }
    });
    timer->start(20);
}

bool TakeScreenshot(MainWindow& window, QtControlSurface& controls, const QString& output) {
    window.ComboBox(Control::组合框_性别)->setCurrentIndex(2);
    window.ComboBox(Control::组合框_起始年龄)->setCurrentIndex(5);   // 22
    window.ComboBox(Control::组合框_结束年龄)->setCurrentIndex(16);  // 33
    static_cast<QPushButton*>(window.Widget(Control::按钮1))->click();
    if (!QTest::qWaitFor([&] { return controls.IsEnabled(Control::按钮1); }, 60000)) {
        return false;
    }
    ResultList* list = window.Results();
    list->setFocus();
    const QRect row = list->visualRect(list->model()->index(2, 1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row.center());
    QTest::qWait(500);
    return window.grab().save(output);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: miyoutong-screenshot OUTPUT.png\n";
        return 2;
    }
    curl_global_init(CURL_GLOBAL_DEFAULT);
    QApplication application(argc, argv);
    const std::string directory = ExecutableDirectory();
    auto regions = demo::LoadDemoRegions(JoinPath(directory, "data.db"), nullptr);
    if (!regions) {
        std::cerr << "miyoutong-screenshot: cannot read data.db beside the program\n";
        return 1;
    }
    demo::DemoService service(*regions, demo::DemoServiceOptions{});
    const int port = service.Start(0);
    ProgramOptions options;
    options.addresses.searchHost = "127.0.0.1:" + std::to_string(port);
    options.addresses.profileHost = options.addresses.searchHost;
    const QString output = QString::fromLocal8Bit(argv[1]);
    bool saved = false;
    options.onShown = [&](MainWindow& window, QtControlSurface& controls) {
        AnswerMessageBoxes(&window);
        QTimer::singleShot(0, &window, [&] {
            saved = TakeScreenshot(window, controls, output);
            window.close();
        });
    };
    const int code = StartProgram(options);
    service.Stop();
    curl_global_cleanup();
    if (code != 0 || !saved) {
        std::cerr << "miyoutong-screenshot: no screenshot taken\n";
        return 1;
    }
    return 0;
}
