#include "app/widgets/qt_control_surface.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <future>
#include <thread>

#include "app/widgets/main_window.h"
#include "app/widgets/picture_box.h"
#include "app/widgets/result_list.h"
#include "common/gbk.h"
#include "common/program_directory.h"
#include "control_surface_contract.h"
#include "support/qt_application.h"

namespace miyoutong::testing_support {
namespace {

// A window with its surface, the lists emptied: the fresh surface the contract expects.
struct WindowAndSurface {
    MainWindow window;
    QtControlSurface surface{window};

    WindowAndSurface() {
        for (Control list : kComboBoxes) {
            surface.ComboClear(list);
        }
    }
};

std::shared_ptr<ControlSurface> MakeQtSurface() {
    TestApplication();
    auto both = std::make_shared<WindowAndSurface>();
    return std::shared_ptr<ControlSurface>(both, &both->surface);
}

// Runs `body` on a worker thread while this (the UI) thread runs an event loop.
void RunOnWorker(const std::function<void()>& body) {
    QEventLoop loop;
    std::thread worker([&] {
        body();
        // By name: a functor slot object would be freed by whichever thread drops it last,
        // through a reference count inside Qt that ThreadSanitizer cannot see.
        QMetaObject::invokeMethod(&loop, "quit", Qt::QueuedConnection);
    });
    loop.exec();
    worker.join();
}

INSTANTIATE_TEST_SUITE_P(Qt, ControlSurfaceContract,
                         testing::Values(ContractTarget{"UiThread", MakeQtSurface},
                                         ContractTarget{"Worker", MakeQtSurface, RunOnWorker}));

class QtControlSurfaceTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestApplication();
        window_ = std::make_unique<MainWindow>();
        surface_ = std::make_unique<QtControlSurface>(*window_);
    }
    void TearDown() override {
        surface_.reset();
        window_.reset();
    }

    // Waits on the UI thread, handling events, until `done` holds.
    static bool WaitFor(const std::function<bool()>& done, int ms = 5000) {
        return QTest::qWaitFor(done, ms);
    }

    std::unique_ptr<MainWindow> window_;
    std::unique_ptr<QtControlSurface> surface_;
};

// ---- texts ----

TEST_F(QtControlSurfaceTest, GbkTextsComeBackByteForByte) {
    const std::string texts[] = {
        Gbk("广东深圳"),
        Gbk("会员ID：\r\n\r\n昵  称："),
        "\x80",                  // the euro sign of code page 936
        "\xFF\xFE\xA0",          // bytes that start no GBK character
        "abc\x81",               // a lead byte at the very end
        "\x81\x20\x81\x7F",      // lead bytes with trail bytes out of range
        std::string("a\0b", 3),  // a zero byte inside
        "",
    };
    window_->Results()->Rows().InsertRow(-1, "0");
    for (const std::string& text : texts) {
        surface_->SetCellText(0, 4, text);
        EXPECT_EQ(surface_->CellText(0, 4), text);
        surface_->SetCaption(Control::标签11, text);
        EXPECT_EQ(surface_->Caption(Control::标签11), text);
        const int index = surface_->ComboAddItem(Control::组合框_结束地区, text, 7);
        EXPECT_EQ(surface_->ComboItemText(Control::组合框_结束地区, index), text);
        const int row = surface_->InsertRow(-1, text);
        EXPECT_EQ(row, surface_->RowCount() - 1);
        EXPECT_EQ(surface_->CellText(row, 0), text);
    }
    // What the user sees is the Unicode text.
    surface_->SetCellText(0, 4, Gbk("广东深圳"));
    EXPECT_EQ(window_->Results()->Rows().Text(0, 4), QString::fromUtf8("广东深圳"));
    EXPECT_EQ(surface_->Caption(Control::标签10),
              Gbk("会员ID：\r\n\r\n昵  称：\r\n\r\n年  龄：\r\n\r\n地  区：\r\n\r\n诚信值："));
    EXPECT_EQ(surface_->Caption(Control::按钮1), Gbk("搜索"));
    EXPECT_EQ(surface_->Caption(Control::分组框3), Gbk("搜索结果"));
}

TEST_F(QtControlSurfaceTest, ControlsBehindTheOperations) {
    surface_->SetPicture(ToBytes("not a picture"));
    EXPECT_FALSE(window_->Picture()->HasPicture());
    QImage image(8, 8, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray bmp;
    QBuffer buffer(&bmp);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "BMP");
    surface_->SetPicture(Bytes(bmp.begin(), bmp.end()));
    EXPECT_TRUE(window_->Picture()->HasPicture());
    surface_->SetPicture({});
    EXPECT_FALSE(window_->Picture()->HasPicture());

    for (int i = 0; i < 3; ++i) {
        surface_->InsertRow(-1, std::to_string(i));
    }
    window_->Results()->selectRow(2);
    EXPECT_EQ(surface_->RowSelection(), 2);
    window_->Results()->clearSelection();
    EXPECT_EQ(surface_->RowSelection(), -1);

    // A control inside a disabled container keeps its own state.
    surface_->SetEnabled(Control::分组框1, false);
    EXPECT_FALSE(surface_->IsEnabled(Control::分组框1));
    EXPECT_TRUE(surface_->IsEnabled(Control::按钮1));
    surface_->SetEnabled(Control::分组框1, true);
    surface_->SetEnabled(Control::组合框_性别, false);
    EXPECT_FALSE(window_->Widget(Control::组合框_性别)->isEnabled());
}

// ---- platform services ----

TEST_F(QtControlSurfaceTest, OpenAddressGoesThroughTheOpenerOnTheUiThread) {
    std::vector<std::pair<std::string, bool>> opened;  // address, on the UI thread
    QThread* ui = QThread::currentThread();
    surface_->SetAddressOpener(
        [&](const std::string& url) { opened.emplace_back(url, QThread::currentThread() == ui); });
    surface_->OpenAddress("http://127.0.0.1/a?memberid=1");
    RunOnWorker([&] { surface_->OpenAddress("http://127.0.0.1/b"); });
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0], std::make_pair(std::string("http://127.0.0.1/a?memberid=1"), true));
    EXPECT_EQ(opened[1], std::make_pair(std::string("http://127.0.0.1/b"), true));
}

TEST_F(QtControlSurfaceTest, ProgramDirectory) {
    EXPECT_EQ(surface_->ProgramDirectory(), ExecutableDirectory());
    surface_->SetProgramDirectory("/tmp/somewhere");
    EXPECT_EQ(surface_->ProgramDirectory(), "/tmp/somewhere");
    surface_->Shutdown();
    EXPECT_EQ(surface_->ProgramDirectory(), "/tmp/somewhere");  // never empty: paths stay inside
}

TEST_F(QtControlSurfaceTest, HandlePendingEventsOnlyOnTheUiThread) {
    bool ran = false;
    QMetaObject::invokeMethod(
        window_.get(), [&] { ran = true; }, Qt::QueuedConnection);
    // From a worker: returns at once without waiting for the UI thread, which is not looking.
    auto worker = std::async(std::launch::async, [&] { surface_->HandlePendingEvents(); });
    EXPECT_EQ(worker.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_FALSE(ran);
    surface_->HandlePendingEvents();
    EXPECT_TRUE(ran);
}

// ---- message boxes ----

QMessageBox* OpenMessageBox() {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible()) {
            return box;
        }
    }
    return nullptr;
}

TEST_F(QtControlSurfaceTest, MessageOnTheUiThreadIsModal) {
    window_->show();
    bool wasModal = false;
    QString caption;
    QTimer::singleShot(0, [&] {
        QMessageBox* box = OpenMessageBox();
        ASSERT_NE(box, nullptr);
        wasModal = QApplication::activeModalWidget() == box;
        caption = box->windowTitle();
        box->button(QMessageBox::Ok)->click();
    });
    EXPECT_EQ(surface_->ShowMessage(Gbk("正则表达式创建失败！"), kMessageOk), kMessageResultOk);
    EXPECT_TRUE(wasModal);
    EXPECT_EQ(caption, QString::fromUtf8("信息："));
    EXPECT_EQ(OpenMessageBox(), nullptr);
}

struct MessageCase {
    const char* name;
    int flags;
    std::function<void(QMessageBox&)> answer;
    int expected;
};

TEST_F(QtControlSurfaceTest, MessageFromAWorkerBlocksOnlyTheWorker) {
    window_->show();
    auto press = [](QMessageBox::StandardButton which) {
        return [which](QMessageBox& box) { box.button(which)->click(); };
    };
    auto closeBox = [](QMessageBox& box) { box.close(); };
    auto escape = [](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Escape); };
    const MessageCase cases[] = {
        {"OK of an OK box", kMessageOk, press(QMessageBox::Ok), kMessageResultOk},
        {"an OK box closed", kMessageOk, closeBox, kMessageResultOk},
        {"OK of OK+Cancel", kMessageOkCancel | kMessageIconInformation, press(QMessageBox::Ok),
         kMessageResultOk},
        {"Cancel of OK+Cancel", kMessageOkCancel | kMessageIconInformation,
         press(QMessageBox::Cancel), kMessageResultCancel},
        {"OK+Cancel closed", kMessageOkCancel, closeBox, kMessageResultCancel},
        {"OK+Cancel escaped", kMessageOkCancel, escape, kMessageResultCancel},
    };
    QSignalSpy search(window_.get(), &MainWindow::searchClicked);
    for (const MessageCase& c : cases) {
        SCOPED_TRACE(c.name);
        std::atomic<int> result{-100};
        std::thread worker(
            [&] { result = surface_->ShowMessage(Gbk("搜索完毕！"), c.flags, Gbk("提示")); });
        ASSERT_TRUE(WaitFor([] { return OpenMessageBox() != nullptr; }));
        QMessageBox* box = OpenMessageBox();
        EXPECT_EQ(box->windowTitle(), QString::fromUtf8("提示"));
        EXPECT_EQ(box->text(), QString::fromUtf8("搜索完毕！"));
        EXPECT_EQ(box->icon(), c.flags & kMessageIconInformation ? QMessageBox::Information
                                                                 : QMessageBox::NoIcon);
        EXPECT_EQ(box->button(QMessageBox::Cancel) != nullptr,
                  (c.flags & 0x0F) == kMessageOkCancel);
        EXPECT_EQ(box->parentWidget(), nullptr);

        // The window is not blocked: nothing modal, and its button still works.
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
        EXPECT_EQ(box->windowModality(), Qt::NonModal);
        const int before = search.count();
        QTest::mouseClick(window_->Widget(Control::按钮1), Qt::LeftButton);
        EXPECT_EQ(search.count(), before + 1);
        EXPECT_EQ(result.load(), -100);  // the worker still waits

        c.answer(*box);
        ASSERT_TRUE(WaitFor([&] { return result.load() != -100; }));
        worker.join();
        EXPECT_EQ(result.load(), c.expected);
        ASSERT_TRUE(WaitFor([] { return OpenMessageBox() == nullptr; }));
    }
}

TEST_F(QtControlSurfaceTest, DefaultCaptionFromAWorker) {
    std::atomic<int> result{-100};
    std::thread worker([&] { result = surface_->ShowMessage("x", kMessageOk); });
    ASSERT_TRUE(WaitFor([] { return OpenMessageBox() != nullptr; }));
    EXPECT_EQ(OpenMessageBox()->windowTitle(), QString::fromUtf8("信息："));
    OpenMessageBox()->button(QMessageBox::Ok)->click();
    ASSERT_TRUE(WaitFor([&] { return result.load() == kMessageResultOk; }));
    worker.join();
}

// ---- shutdown ----

// Starts `call` on a worker; the UI thread handles no events, so the worker waits.
template <typename Result>
std::future<Result> StartWaitingWorker(std::function<Result()> call) {
    auto future = std::async(std::launch::async, std::move(call));
    // Give it time to post its request and wait for it.
    EXPECT_EQ(future.wait_for(std::chrono::milliseconds(100)), std::future_status::timeout);
    return future;
}

TEST_F(QtControlSurfaceTest, ShutdownReleasesAWaitingWorkerAndTouchesNoWidget) {
    surface_->SetCaption(Control::标签11, "before");
    auto caption = StartWaitingWorker<bool>([&] {
        surface_->SetCaption(Control::标签11, "after");
        return true;
    });
    surface_->Shutdown();
    ASSERT_EQ(caption.wait_for(std::chrono::seconds(2)), std::future_status::ready);
    QCoreApplication::processEvents();  // the request arrives late: it must do nothing
    EXPECT_EQ(window_->Label(Control::标签11)->text(), QString("before"));

    // Later calls from a worker return at once with neutral results.
    auto later = std::async(std::launch::async, [&] {
        surface_->InsertRow(-1, "x");
        surface_->ComboAddItem(Control::组合框_结束地区, "x", 1);
        return std::make_tuple(surface_->RowCount(), surface_->ComboSelection(Control::组合框_性别),
                               surface_->CellText(0, 0), surface_->Caption(Control::按钮1),
                               surface_->ShowMessage("x", kMessageOkCancel));
    });
    ASSERT_EQ(later.wait_for(std::chrono::seconds(2)), std::future_status::ready);
    EXPECT_EQ(later.get(),
              std::make_tuple(0, -1, std::string(), std::string(), kMessageResultCancel));
    QCoreApplication::processEvents();
    EXPECT_EQ(window_->Results()->Rows().rowCount(), 0);
    EXPECT_EQ(window_->ComboBox(Control::组合框_结束地区)->count(), 0);
    EXPECT_EQ(OpenMessageBox(), nullptr);
}

TEST_F(QtControlSurfaceTest, ClosingTheWindowReleasesAWaitingWorker) {
    window_->show();
    auto count = StartWaitingWorker<int>([&] { return surface_->RowCount(); });
    window_->close();
    ASSERT_EQ(count.wait_for(std::chrono::seconds(2)), std::future_status::ready);
    EXPECT_EQ(count.get(), 0);
    EXPECT_TRUE(surface_->IsShutDown());
}

TEST_F(QtControlSurfaceTest, DestroyingTheWindowReleasesAWaitingWorker) {
    auto text = StartWaitingWorker<std::string>([&] { return surface_->Caption(Control::按钮1); });
    window_.reset();
    ASSERT_EQ(text.wait_for(std::chrono::seconds(2)), std::future_status::ready);
    EXPECT_EQ(text.get(), "");
    QCoreApplication::processEvents();  // the late request finds no window and does nothing
}

TEST_F(QtControlSurfaceTest, ShutdownClosesAMessageBoxAndReleasesItsWorker) {
    std::atomic<int> result{-100};
    std::thread worker([&] { result = surface_->ShowMessage("x", kMessageOkCancel); });
    ASSERT_TRUE(WaitFor([] { return OpenMessageBox() != nullptr; }));
    surface_->Shutdown();
    ASSERT_TRUE(WaitFor([&] { return result.load() != -100; }, 2000));
    worker.join();
    EXPECT_EQ(result.load(), kMessageResultCancel);
    EXPECT_TRUE(WaitFor([] { return OpenMessageBox() == nullptr; }));
}

// A worker that keeps writing while the window closes under it: it ends promptly.
TEST_F(QtControlSurfaceTest, CloseDuringABusyWorker) {
    window_->show();
    std::atomic<bool> stop{false};
    std::atomic<int> rows{0};
    std::thread worker([&] {
        while (!surface_->IsShutDown() && !stop) {
            const int row = surface_->InsertRow(-1, "r");
            surface_->SetCellText(row, 1, Gbk("昵称"));
            ++rows;
        }
    });
    ASSERT_TRUE(WaitFor([&] { return rows.load() > 20; }));
    window_->close();
    auto joined = std::async(std::launch::async, [&] { worker.join(); });
    const bool ended = joined.wait_for(std::chrono::seconds(2)) == std::future_status::ready;
    stop = true;
    if (!ended) {
        QCoreApplication::processEvents();
    }
    joined.wait();
    EXPECT_TRUE(ended);
}

}  // namespace
}  // namespace miyoutong::testing_support
