// How fast result rows can be written into the real result list, cell by cell, as the parser
// does: from the UI thread directly, and from a worker whose every call waits for the UI thread.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <memory>
#include <string_view>
#include <thread>

#include "app/widgets/main_window.h"
#include "app/widgets/qt_control_surface.h"
#include "app/widgets/result_list.h"
#include "common/gbk.h"

namespace {

miyoutong::QtControlSurface* surface = nullptr;
miyoutong::MainWindow* mainWindow = nullptr;

// One member row as the parser writes it: insert, columns 1 to 7, the count label with the new
// count. Time is per row.
void WriteRows(benchmark::State& state) {
    const std::string cells[] = {
        "12345678",
        miyoutong::Gbk("小小鱼儿"),
        "26",
        miyoutong::Gbk("广东深圳"),
        "85",
        "http://127.0.0.1:18080/photo/12345678.jpg",
        miyoutong::Gbk("等待下载"),
    };
    const std::string countBefore = miyoutong::Gbk("已搜索到：");
    const std::string countAfter = miyoutong::Gbk("个美女");
    int index = 0;
    for (auto _ : state) {
        if (index % 2000 == 0) {
            surface->DeleteAllRows();  // a search never holds more than about a thousand rows
        }
        const int row = surface->InsertRow(-1, std::to_string(index));
        for (int column = 1; column <= 7; ++column) {
            surface->SetCellText(row, column, cells[column - 1]);
        }
        surface->SetCaption(miyoutong::Control::标签11,
                            countBefore + std::to_string(row + 1) + countAfter);
        ++index;
    }
    state.SetItemsProcessed(state.iterations());
}

void UiThread_WriteRows(benchmark::State& state) {
    WriteRows(state);
}
void Worker_WriteRows(benchmark::State& state) {
    WriteRows(state);
}

BENCHMARK(UiThread_WriteRows)->UseRealTime();
BENCHMARK(Worker_WriteRows)->UseRealTime();

// One full drawing of the list's visible rows, as after a layout of the view.
void UiThread_PaintVisibleRows(benchmark::State& state) {
    surface->DeleteAllRows();
    for (int row = 0; row < 100; ++row) {
        surface->InsertRow(-1, std::to_string(row));
        for (int column = 1; column <= 8; ++column) {
            surface->SetCellText(row, column, miyoutong::Gbk("广东深圳 12345678"));
        }
    }
    QWidget* viewport = mainWindow->Results()->viewport();
    QCoreApplication::processEvents();
    viewport->setUpdatesEnabled(true);
    for (auto _ : state) {
        viewport->repaint();
    }
}
BENCHMARK(UiThread_PaintVisibleRows)->UseRealTime()->Unit(benchmark::kMicrosecond);

// One call from the worker, round trip to the UI thread and back.
void Worker_ReadOneCell(benchmark::State& state) {
    surface->InsertRow(-1, "0");
    for (auto _ : state) {
        benchmark::DoNotOptimize(surface->CellText(0, 0));
    }
}
BENCHMARK(Worker_ReadOneCell)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication app(argc, argv);
    bool json = false;
    for (int i = 1; i < argc; ++i) {
        json = json || std::string_view(argv[i]) == "--benchmark_format=json";
    }
    benchmark::Initialize(&argc, argv);
    miyoutong::MainWindow window;
    miyoutong::QtControlSurface controls(window);
    surface = &controls;
    mainWindow = &window;
    if (!qEnvironmentVariableIsSet("BENCH_HIDDEN"))
        window.show();

    // On the UI thread first, then from a worker while the UI thread runs its event loop. A
    // reporter of its own for each run: one does not survive a second run. With JSON that makes
    // two documents, one after the other.
    const auto reporter = [json]() -> std::unique_ptr<benchmark::BenchmarkReporter> {
        if (json) {
            return std::make_unique<benchmark::JSONReporter>();
        }
        return std::make_unique<benchmark::ConsoleReporter>();
    };
    benchmark::RunSpecifiedBenchmarks(reporter().get(), "UiThread_");
    std::thread worker([&] {
        benchmark::RunSpecifiedBenchmarks(reporter().get(), "Worker_");
        QMetaObject::invokeMethod(&app, &QCoreApplication::quit, Qt::QueuedConnection);
    });
    app.exec();
    worker.join();
    benchmark::Shutdown();
    return 0;
}
