#include "app/widgets/qt_control_surface.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QEvent>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QThread>
#include <QUrl>
#include <chrono>
#include <thread>

#include "app/widgets/main_window.h"
#include "app/widgets/picture_box.h"
#include "app/widgets/result_list.h"
#include "common/gbk.h"
#include "common/program_directory.h"

namespace miyoutong {

namespace {

constexpr int kButtonsMask = 0x0F;
constexpr int kIconMask = 0xF0;
constexpr int kIconCritical = 16;
constexpr int kIconQuestion = 32;
constexpr int kIconWarning = 48;

QString FromGbk(const std::string& text) {
    return QString::fromUtf8(GbkToUtf8(text));
}

std::string ToGbk(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    return Utf8ToGbk(std::string_view(utf8.constData(), static_cast<std::size_t>(utf8.size())));
}

using Clock = std::chrono::steady_clock;

// A worker sends its requests one after the other, and a request is answered within a few
// microseconds. Both sides wait this long for the other before they go to sleep: a sleeping
// thread costs a wake-up, which on a loaded or virtual machine costs far more than the work.
constexpr auto kWorkerSpin = std::chrono::microseconds(60);
constexpr auto kUiLinger = std::chrono::microseconds(60);
// The longest the UI thread keeps serving a worker before it lets its event loop run again.
constexpr auto kUiTurn = std::chrono::milliseconds(4);

template <typename Done>
bool SpinUntil(Done done, Clock::duration limit) {
    const Clock::time_point end = Clock::now() + limit;
    while (!done()) {
        if (Clock::now() >= end) {
            return false;
        }
        std::this_thread::yield();
    }
    return true;
}

const QEvent::Type kRunTasksEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

// The UI thread's end of the hand-off: a wake-up event makes it run the posted tasks.
class TaskReceiver : public QObject {
public:
    TaskReceiver(std::mutex& mutex, std::function<void()> run)
        : mutex_(mutex), run_(std::move(run)) {}

    bool event(QEvent* event) override {
        // The wake-up event is made under the surface's lock; taking it here before reading the
        // event lets race checkers see the order that Qt's own queue already guarantees.
        { std::lock_guard sync(mutex_); }
        if (event->type() != kRunTasksEvent) {
            return QObject::event(event);
        }
        run_();
        return true;
    }

private:
    std::mutex& mutex_;
    std::function<void()> run_;
};

// Message texts use "\r\n" line breaks; a label wants "\n".
QString DisplayText(const std::string& text) {
    return FromGbk(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

}  // namespace

QtControlSurface::QtControlSurface(MainWindow& window)
    : window_(&window),
      context_(std::make_unique<TaskReceiver>(mutex_, [this] { RunPostedTasks(); })),
      opener_([](const std::string& url) {
          QDesktopServices::openUrl(QUrl(FromGbk(url), QUrl::TolerantMode));
      }),
      programDirectory_(ExecutableDirectory()) {
    // Closing or destroying the window ends every wait on it.
    QObject::connect(&window, &MainWindow::closing, context_.get(), [this] { Shutdown(); });
    QObject::connect(&window, &QObject::destroyed, context_.get(), [this] { Shutdown(); });
}

QtControlSurface::~QtControlSurface() {
    Shutdown();
}

void QtControlSurface::Shutdown() {
    std::deque<std::function<void()>> dropped;
    {
        std::lock_guard lock(mutex_);
        shutDown_ = true;
        dropped.swap(tasks_);
        taskCount_.store(0, std::memory_order_release);
    }
    finished_.notify_all();
    if (!OnUiThread()) {
        return;
    }
    std::vector<QPointer<QMessageBox>> boxes;
    boxes.swap(boxes_);
    for (const QPointer<QMessageBox>& box : boxes) {
        if (box) {
            box->close();
        }
    }
}

bool QtControlSurface::IsShutDown() const {
    std::lock_guard lock(mutex_);
    return shutDown_;
}

void QtControlSurface::SetAddressOpener(AddressOpener opener) {
    std::lock_guard lock(mutex_);
    opener_ = std::move(opener);
}

void QtControlSurface::SetProgramDirectory(std::string directory) {
    std::lock_guard lock(mutex_);
    programDirectory_ = std::move(directory);
}

bool QtControlSurface::OnUiThread() const {
    return QThread::currentThread() == context_->thread();
}

// Tasks travel in a queue under the surface's own mutex; the event posted to the UI thread only
// wakes it. So everything a worker hands over is guarded by one lock that both sides take.
bool QtControlSurface::Post(std::function<void()> task) {
    QEvent* wakeUp = nullptr;
    {
        std::lock_guard lock(mutex_);
        if (shutDown_) {
            return false;
        }
        tasks_.push_back(std::move(task));
        taskCount_.store(tasks_.size(), std::memory_order_release);
        if (!wakeUpPosted_) {
            wakeUpPosted_ = true;
            wakeUp = new QEvent(kRunTasksEvent);
        }
    }
    if (wakeUp != nullptr) {
        QCoreApplication::postEvent(context_.get(), wakeUp);
    }
    return true;
}

std::function<void()> QtControlSurface::TakeTask() {
    std::lock_guard lock(mutex_);
    if (tasks_.empty()) {
        return {};
    }
    std::function<void()> task = std::move(tasks_.front());
    tasks_.pop_front();
    taskCount_.store(tasks_.size(), std::memory_order_release);
    return task;
}

void QtControlSurface::RunPostedTasks() {
    const Clock::time_point start = Clock::now();
    for (;;) {
        if (std::function<void()> task = TakeTask()) {
            task();
            continue;
        }
        const bool inTurn = Clock::now() - start < kUiTurn;
        if (inTurn && SpinUntil([this] { return taskCount_.load(std::memory_order_acquire) > 0; },
                                kUiLinger)) {
            continue;
        }
        std::lock_guard lock(mutex_);
        if (!tasks_.empty()) {
            // Come back after the event loop has had its turn.
            QCoreApplication::postEvent(context_.get(), new QEvent(kRunTasksEvent));
            return;
        }
        wakeUpPosted_ = false;
        return;
    }
}

template <typename Result>
void QtControlSurface::AwaitAnswer(Pending<Result>& pending) {
    SpinUntil([&] { return pending.ready.load(std::memory_order_acquire); }, kWorkerSpin);
    std::unique_lock lock(mutex_);
    finished_.wait(lock, [&] { return pending.done || shutDown_; });
}

template <typename Result, typename Body>
Result QtControlSurface::Call(Result fallback, Body body) {
    if (OnUiThread()) {
        if (IsShutDown() || window_.isNull()) {
            return fallback;
        }
        return body(*window_);
    }
    auto pending = std::make_shared<Pending<Result>>();
    // Everything the body needs is captured by value: the worker's stack is never reached from
    // the UI thread, and a call that comes too late does nothing.
    const bool posted = Post([this, pending, body = std::move(body)]() mutable {
        std::optional<Result> result;
        if (!IsShutDown() && !window_.isNull()) {
            result.emplace(body(*window_));
        }
        {
            std::lock_guard lock(mutex_);
            pending->result = std::move(result);
            pending->done = true;
            pending->ready.store(true, std::memory_order_release);
        }
        finished_.notify_all();
    });
    if (!posted) {
        return fallback;
    }
    AwaitAnswer(*pending);
    std::lock_guard lock(mutex_);
    if (pending->done && pending->result) {
        return std::move(*pending->result);
    }
    return fallback;
}

template <typename Body>
void QtControlSurface::CallVoid(Body body) {
    Call(false, [body = std::move(body)](MainWindow& window) mutable {
        body(window);
        return true;
    });
}

int QtControlSurface::ComboSelection(Control list) {
    return Call(-1, [list](MainWindow& w) {
        QComboBox* combo = w.ComboBox(list);
        return combo ? combo->currentIndex() : -1;
    });
}

int QtControlSurface::ComboItemValue(Control list, int index) {
    return Call(-1, [list, index](MainWindow& w) {
        QComboBox* combo = w.ComboBox(list);
        if (!combo || index < 0 || index >= combo->count()) {
            return -1;
        }
        return combo->itemData(index).toInt();
    });
}

int QtControlSurface::ComboAddItem(Control list, const std::string& text, int value) {
    return Call(-1, [list, text = FromGbk(text), value](MainWindow& w) {
        QComboBox* combo = w.ComboBox(list);
        if (!combo) {
            return -1;
        }
        combo->addItem(text, value);
        return combo->count() - 1;
    });
}

void QtControlSurface::ComboClear(Control list) {
    CallVoid([list](MainWindow& w) {
        if (QComboBox* combo = w.ComboBox(list)) {
            combo->clear();
        }
    });
}

void QtControlSurface::ComboSelect(Control list, int index) {
    CallVoid([list, index](MainWindow& w) {
        if (QComboBox* combo = w.ComboBox(list)) {
            combo->setCurrentIndex(index < 0 ? -1 : std::min(index, combo->count() - 1));
        }
    });
}

int QtControlSurface::ComboItemCount(Control list) {
    return Call(0, [list](MainWindow& w) {
        QComboBox* combo = w.ComboBox(list);
        return combo ? combo->count() : 0;
    });
}

std::string QtControlSurface::ComboItemText(Control list, int index) {
    return Call(std::string(), [list, index](MainWindow& w) {
        QComboBox* combo = w.ComboBox(list);
        if (!combo || index < 0 || index >= combo->count()) {
            return std::string();
        }
        return ToGbk(combo->itemText(index));
    });
}

int QtControlSurface::CheckState(Control box) {
    return Call(0, [box](MainWindow& w) {
        QCheckBox* check = w.CheckBox(box);
        return check && check->isChecked() ? 1 : 0;
    });
}

void QtControlSurface::SetChecked(Control box, bool checked) {
    CallVoid([box, checked](MainWindow& w) {
        if (QCheckBox* check = w.CheckBox(box)) {
            check->setChecked(checked);
        }
    });
}

void QtControlSurface::SetEnabled(Control control, bool enabled) {
    CallVoid([control, enabled](MainWindow& w) { w.Widget(control)->setEnabled(enabled); });
}

bool QtControlSurface::IsEnabled(Control control) {
    // The control's own state, not that of its container.
    return Call(false, [control](MainWindow& w) {
        return !w.Widget(control)->testAttribute(Qt::WA_ForceDisabled);
    });
}

void QtControlSurface::SetCaption(Control control, const std::string& text) {
    CallVoid([control, text = FromGbk(text)](MainWindow& w) {
        QWidget* widget = w.Widget(control);
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            label->setText(text);
        } else if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            button->setText(text);
        } else if (auto* group = qobject_cast<QGroupBox*>(widget)) {
            group->setTitle(text);
        }
    });
}

std::string QtControlSurface::Caption(Control control) {
    return Call(std::string(), [control](MainWindow& w) {
        QWidget* widget = w.Widget(control);
        if (auto* label = qobject_cast<QLabel*>(widget)) {
            return ToGbk(label->text());
        }
        if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
            return ToGbk(button->text());
        }
        if (auto* group = qobject_cast<QGroupBox*>(widget)) {
            return ToGbk(group->title());
        }
        if (auto* combo = qobject_cast<QComboBox*>(widget)) {
            return ToGbk(combo->currentText());
        }
        return std::string();
    });
}

void QtControlSurface::SetPicture(const Bytes& bytes) {
    CallVoid([bytes](MainWindow& w) { w.Picture()->SetPicture(bytes); });
}

int QtControlSurface::RowCount() {
    return Call(0, [](MainWindow& w) { return w.Results()->Rows().rowCount(); });
}

int QtControlSurface::InsertRow(int index, const std::string& firstColumn) {
    return Call(-1, [index, text = FromGbk(firstColumn)](MainWindow& w) {
        return w.Results()->Rows().InsertRow(index, text);
    });
}

std::string QtControlSurface::CellText(int row, int column) {
    return Call(std::string(), [row, column](MainWindow& w) {
        return ToGbk(w.Results()->Rows().Text(row, column));
    });
}

void QtControlSurface::SetCellText(int row, int column, const std::string& text) {
    CallVoid([row, column, text = FromGbk(text)](MainWindow& w) {
        w.Results()->Rows().SetText(row, column, text);
    });
}

void QtControlSurface::DeleteAllRows() {
    CallVoid([](MainWindow& w) { w.Results()->Rows().Clear(); });
}

int QtControlSurface::RowSelection() {
    return Call(-1, [](MainWindow& w) { return w.Results()->SelectedRow(); });
}

int QtControlSurface::ResultWhenDismissed(int flags) {
    return (flags & kButtonsMask) == kMessageOkCancel ? kMessageResultCancel : kMessageResultOk;
}

// A box closed without a button (its close button, or closed by the program) has no clicked
// button yet when it reports that it finished: that counts as Cancel where there is one.
int QtControlSurface::MessageResult(QMessageBox& box) {
    QAbstractButton* cancel = box.button(QMessageBox::Cancel);
    QAbstractButton* clicked = box.clickedButton();
    if (cancel != nullptr && (clicked == nullptr || clicked == cancel)) {
        return kMessageResultCancel;
    }
    return kMessageResultOk;
}

QMessageBox* QtControlSurface::MakeMessageBox(const std::string& text, int flags,
                                              const std::string& caption) {
    auto* box = new QMessageBox();
    box->setTextFormat(Qt::PlainText);
    box->setText(DisplayText(text));
    box->setWindowTitle(DisplayText(caption));
    if ((flags & kButtonsMask) == kMessageOkCancel) {
        box->setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
    } else {
        box->setStandardButtons(QMessageBox::Ok);
    }
    box->setDefaultButton(QMessageBox::Ok);
    switch (flags & kIconMask) {
        case kIconCritical:
            box->setIcon(QMessageBox::Critical);
            break;
        case kIconQuestion:
            box->setIcon(QMessageBox::Question);
            break;
        case kIconWarning:
            box->setIcon(QMessageBox::Warning);
            break;
        case kMessageIconInformation:
            box->setIcon(QMessageBox::Information);
            break;
        default:
            box->setIcon(QMessageBox::NoIcon);
            break;
    }
    std::erase_if(boxes_, [](const QPointer<QMessageBox>& open) { return open.isNull(); });
    boxes_.emplace_back(box);
    return box;
}

int QtControlSurface::ShowModalMessage(const std::string& text, int flags,
                                       const std::string& caption) {
    if (IsShutDown()) {
        return ResultWhenDismissed(flags);
    }
    QPointer<QMessageBox> box = MakeMessageBox(text, flags, caption);
    box->setWindowModality(Qt::ApplicationModal);
    box->exec();
    if (box.isNull()) {
        return ResultWhenDismissed(flags);
    }
    const int result = MessageResult(*box);
    delete box.data();
    return result;
}

int QtControlSurface::ShowMessage(const std::string& text, int flags,
                                  const std::optional<std::string>& caption) {
    const std::string title = caption.value_or(Gbk("信息："));
    if (OnUiThread()) {
        return ShowModalMessage(text, flags, title);
    }
    // From a worker the box blocks the worker only: it is shown without owner and without
    // modality, and the worker waits for its button.
    auto pending = std::make_shared<Pending<int>>();
    const int dismissed = ResultWhenDismissed(flags);
    const bool posted = Post([this, pending, text, flags, title] {
        auto finish = [this, pending](std::optional<int> result) {
            {
                std::lock_guard lock(mutex_);
                pending->result = result;
                pending->done = true;
                pending->ready.store(true, std::memory_order_release);
            }
            finished_.notify_all();
        };
        if (IsShutDown()) {
            finish(std::nullopt);
            return;
        }
        QMessageBox* box = MakeMessageBox(text, flags, title);
        box->setWindowModality(Qt::NonModal);
        box->setAttribute(Qt::WA_DeleteOnClose);
        QObject::connect(box, &QMessageBox::finished, context_.get(),
                         [box, finish] { finish(MessageResult(*box)); });
        box->show();
        box->raise();
        box->activateWindow();
    });
    if (!posted) {
        return dismissed;
    }
    AwaitAnswer(*pending);
    std::lock_guard lock(mutex_);
    if (pending->done && pending->result) {
        return *pending->result;
    }
    return dismissed;
}

void QtControlSurface::HandlePendingEvents() {
    if (OnUiThread()) {
        QCoreApplication::processEvents();
    }
}

void QtControlSurface::OpenAddress(const std::string& url) {
    AddressOpener opener;
    {
        std::lock_guard lock(mutex_);
        opener = opener_;
    }
    if (!opener) {
        return;
    }
    CallVoid([opener, url](MainWindow&) { opener(url); });
}

std::string QtControlSurface::ProgramDirectory() {
    // Not a widget: it keeps its value after shutdown, so that no file lands outside the folder.
    std::lock_guard lock(mutex_);
    return programDirectory_;
}

}  // namespace miyoutong
