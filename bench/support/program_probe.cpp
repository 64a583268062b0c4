#include "bench/support/program_probe.h"

#include <curl/curl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <QWindow>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <string>
#include <thread>

#include "app/program.h"
#include "app/skin.h"
#include "app/widgets/main_window.h"
#include "app/widgets/qt_control_surface.h"
#include "app/widgets/result_list.h"
#include "bench/support/child_process.h"
#include "bench/support/ui_gap_monitor.h"
#include "common/gbk.h"

namespace miyoutong::bench {

namespace {

constexpr char kSearchDone[] = "搜索完成！如果你选择了下载相片，程序即将开始下载相片！";
constexpr char kDownloadDone[] = "相片下载完成";
constexpr int kMenIndex = 1;  // 组合框_性别: 请选择, 男, 女

double MsSince(long long start) {
    return static_cast<double>(MonotonicNanoseconds() - start) / 1e6;
}

void Print(const char* name, double value) {
    std::printf("%s %.3f\n", name, value);
}

// A probe that hangs (a message nobody expected, a service that went away) must not hold up the
// benchmark run.
void StartWatchdog(int seconds) {
    std::thread([seconds] {
        std::this_thread::sleep_for(std::chrono::seconds(seconds));
        std::fprintf(stderr, "probe: no result after %d s\n", seconds);
        std::fflush(stderr);
        _exit(3);
    }).detach();
}

// Sees every message box the moment it is shown, tells `onShown` its text, and presses its OK
// button on the next turn of the event loop, as a user who answers at once.
class MessageAnswerer : public QObject {
public:
    std::function<void(const std::string& text)> onShown;
    std::function<void(const std::string& text)> onAnswered;

    bool eventFilter(QObject* object, QEvent* event) override {
        if (event->type() != QEvent::Show) {
            return false;
        }
        auto* box = qobject_cast<QMessageBox*>(object);
        if (box == nullptr) {
            return false;
        }
        const std::string text = box->text().toStdString();
        if (onShown) {
            onShown(text);
        }
        QTimer::singleShot(0, box, [this, box = QPointer<QMessageBox>(box), text] {
            if (box && box->button(QMessageBox::Ok)) {
                box->button(QMessageBox::Ok)->click();
                if (onAnswered) {
                    onAnswered(text);
                }
            }
        });
        return false;
    }
};

// Counts the paint events of one widget.
class PaintCounter : public QObject {
public:
    int count = 0;

    bool eventFilter(QObject*, QEvent* event) override {
        count += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

// Marks the moment the window is first exposed (mapped and visible on the screen).
class ExposeWatcher : public QObject {
public:
    explicit ExposeWatcher(std::function<void()> exposed) : exposed_(std::move(exposed)) {}

    bool eventFilter(QObject* object, QEvent* event) override {
        auto* window = qobject_cast<QWindow*>(object);
        if (event->type() == QEvent::Expose && window != nullptr && window->isExposed() &&
            exposed_) {
            auto exposed = std::move(exposed_);
            exposed_ = nullptr;
            exposed();
        }
        return false;
    }

private:
    std::function<void()> exposed_;
};

int RunStartupProbe(int argc, char** argv, long long startedAt) {
    const double mainMs = MsSince(startedAt);
    StartWatchdog(60);
    curl_global_init(CURL_GLOBAL_DEFAULT);
    QApplication application(argc, argv);
    const double applicationMs = MsSince(startedAt);
    double shownMs = 0;
    double exposedMs = 0;
    ExposeWatcher watcher([&] {
        exposedMs = MsSince(startedAt);
        QTimer::singleShot(0, [] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                if (qobject_cast<MainWindow*>(widget)) {
                    widget->close();
                }
            }
        });
    });
    ProgramOptions options;
    options.openAddress = [](const std::string&) {};
    // The start-up steps' seams mark the phases: the window is built and the region database
    // open when the skin is applied; the regex object comes next, then the lists and the show.
    double databaseMs = 0;
    double regexMs = 0;
    options.startup.applySkin = [&](const std::string& directory) {
        databaseMs = MsSince(startedAt);
        return ApplySkin(directory);
    };
    options.startup.createRegex = [&](RegexHolder& regex) {
        const long long begin = MonotonicNanoseconds();
        const bool created = regex.Create();
        regexMs = MsSince(begin);
        return created;
    };
    options.onShown = [&](MainWindow& window, QtControlSurface&) {
        shownMs = MsSince(startedAt);
        QWindow* handle = window.windowHandle();
        handle->installEventFilter(&watcher);
        if (handle->isExposed()) {
            QEvent expose(QEvent::Expose);
            watcher.eventFilter(handle, &expose);
        }
    };
    const int code = StartProgram(options);
    curl_global_cleanup();
    Print("start_to_main_ms", mainMs);
    Print("start_to_application_ms", applicationMs);
    Print("start_to_database_ms", databaseMs);
    Print("regex_ms", regexMs);
    Print("start_to_show_ms", shownMs);
    Print("start_to_exposed_ms", exposedMs);
    return code;
}

struct RunFigures {
    long long clickedAt = 0;
    long long walkDoneAt = 0;
    long long firstRowAt = 0;
    long long lastRowAt = 0;
    long long downloadStartAt = 0;
    long long downloadDoneAt = 0;
    int rows = 0;
    int saved = 0;
};

int RunSearchProbe(int argc, char** argv, const std::string& host, const std::string& directory,
                   bool download, const std::string& urlsFile) {
    StartWatchdog(600);
    curl_global_init(CURL_GLOBAL_DEFAULT);
    QApplication application(argc, argv);
    MessageAnswerer answerer;
    application.installEventFilter(&answerer);
    UiGapMonitor walkGaps;
    UiGapMonitor downloadGaps;
    RunFigures figures;
    PaintCounter listPaints;
    MainWindow* shownWindow = nullptr;
    QtControlSurface* surface = nullptr;

    // Once the options are unlocked the run is over: the rows are read and the window closed.
    auto finishWhenUnlocked = [&] {
        auto* poll = new QTimer(shownWindow);
        QObject::connect(poll, &QTimer::timeout, [&, poll] {
            if (!surface->IsEnabled(Control::按钮1)) {
                return;
            }
            poll->stop();
            std::ofstream urls(urlsFile);
            figures.rows = surface->RowCount();
            for (int row = 0; row < figures.rows; ++row) {
                urls << surface->CellText(row, kColumnPhotoUrl) << '\n';
                figures.saved += surface->CellText(row, kColumnSavedPath).empty() ? 0 : 1;
            }
            shownWindow->close();
        });
        poll->start(2);
    };
    answerer.onShown = [&](const std::string& text) {
        if (text == kSearchDone) {
            figures.walkDoneAt = MonotonicNanoseconds();
            walkGaps.Stop();
        } else if (text == kDownloadDone) {
            figures.downloadDoneAt = MonotonicNanoseconds();
            downloadGaps.Stop();
        }
    };
    answerer.onAnswered = [&](const std::string& text) {
        if (text == kSearchDone && download) {
            figures.downloadStartAt = MonotonicNanoseconds();
            downloadGaps.Start();
        } else {
            finishWhenUnlocked();
        }
    };

    ProgramOptions options;
    options.programDirectory = directory;
    options.addresses.searchHost = host;
    options.addresses.profileHost = host;
    options.openAddress = [](const std::string&) {};
    options.onShown = [&](MainWindow& window, QtControlSurface& controls) {
        shownWindow = &window;
        surface = &controls;
        window.Results()->viewport()->installEventFilter(&listPaints);
        // The phases of the walk: up to the first row (start of the run and the first page),
        // the rows, and from the last row to the completion message on screen.
        QObject::connect(&window.Results()->Rows(), &QAbstractItemModel::rowsInserted, &window,
                         [&] {
                             figures.lastRowAt = MonotonicNanoseconds();
                             if (figures.firstRowAt == 0) {
                                 figures.firstRowAt = figures.lastRowAt;
                             }
                         });
        QTimer::singleShot(0, &window, [&] {
            window.ComboBox(Control::组合框_性别)->setCurrentIndex(kMenIndex);
            window.CheckBox(Control::选择框2)->setChecked(download);
            walkGaps.Start();
            figures.clickedAt = MonotonicNanoseconds();
            static_cast<QPushButton*>(window.Widget(Control::按钮1))->click();
        });
    };
    const int code = StartProgram(options);
    curl_global_cleanup();

    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    Print("walk_ms", static_cast<double>(figures.walkDoneAt - figures.clickedAt) / 1e6);
    Print("walk_max_gap_ms", walkGaps.MaxGapMs());
    Print("click_to_first_row_ms",
          static_cast<double>(figures.firstRowAt - figures.clickedAt) / 1e6);
    Print("last_row_to_message_ms",
          static_cast<double>(figures.walkDoneAt - figures.lastRowAt) / 1e6);
    Print("walk_max_gap_end_ms", walkGaps.MaxGapEndMs());
    Print("rows", figures.rows);
    if (download) {
        Print("download_ms",
              static_cast<double>(figures.downloadDoneAt - figures.downloadStartAt) / 1e6);
        Print("download_max_gap_ms", downloadGaps.MaxGapMs());
        Print("download_max_gap_end_ms", downloadGaps.MaxGapEndMs());
        Print("saved", figures.saved);
    }
    Print("list_paints", listPaints.count);
    Print("gaps_over_50ms", walkGaps.GapsOver(50) + downloadGaps.GapsOver(50));
    Print("max_rss_kb", static_cast<double>(usage.ru_maxrss));
    return code;
}

}  // namespace

bool RunProgramProbe(int argc, char** argv, int& exitCode) {
    if (argc >= 3 && std::strcmp(argv[1], "--probe-startup") == 0) {
        exitCode = RunStartupProbe(argc, argv, std::atoll(argv[2]));
        return true;
    }
    if (argc >= 6 && std::strcmp(argv[1], "--probe-run") == 0) {
        exitCode =
            RunSearchProbe(argc, argv, argv[2], argv[3], std::strcmp(argv[4], "1") == 0, argv[5]);
        return true;
    }
    return false;
}

}  // namespace miyoutong::bench
