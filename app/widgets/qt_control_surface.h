#pragma once

// The control surface over the real main window. Every operation may be called from the UI
// thread, where it acts at once, or from a worker thread, where it is carried out on the UI
// thread while the worker waits.
//
// Shutdown() ends all of that: waiting and later calls from any thread return at once with a
// neutral result (0, -1, empty text) and never touch a widget, and open message boxes close. It
// runs by itself when the window accepts a close or is destroyed, and from the destructor. The
// owner keeps the surface alive until every worker that uses it has been joined, and calls
// Shutdown() before joining one, so that a worker waiting for the UI thread cannot hold it up.
//
// Create and destroy the surface on the UI thread.

#include <QPointer>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "common/control_surface.h"

class QMessageBox;
class QObject;

namespace miyoutong {

class MainWindow;

class QtControlSurface : public ControlSurface {
public:
    using AddressOpener = std::function<void(const std::string& url)>;

    explicit QtControlSurface(MainWindow& window);
    ~QtControlSurface() override;

    QtControlSurface(const QtControlSurface&) = delete;
    QtControlSurface& operator=(const QtControlSurface&) = delete;

    void Shutdown();
    bool IsShutDown() const;

    // Replaces the browser launch of OpenAddress (called on the UI thread with the GBK address).
    void SetAddressOpener(AddressOpener opener);
    // Replaces the executable's folder as the program directory.
    void SetProgramDirectory(std::string directory);

    int ComboSelection(Control list) override;
    int ComboItemValue(Control list, int index) override;
    int ComboAddItem(Control list, const std::string& text, int value = 0) override;
    void ComboClear(Control list) override;
    void ComboSelect(Control list, int index) override;
    int ComboItemCount(Control list) override;
    std::string ComboItemText(Control list, int index) override;

    int CheckState(Control box) override;
    void SetChecked(Control box, bool checked) override;

    void SetEnabled(Control control, bool enabled) override;
    bool IsEnabled(Control control) override;

    void SetCaption(Control control, const std::string& text) override;
    std::string Caption(Control control) override;

    void SetPicture(const Bytes& bytes) override;

    int RowCount() override;
    int InsertRow(int index, const std::string& firstColumn) override;
    std::string CellText(int row, int column) override;
    void SetCellText(int row, int column, const std::string& text) override;
    void DeleteAllRows() override;
    int RowSelection() override;

    int ShowMessage(const std::string& text, int flags,
                    const std::optional<std::string>& caption = std::nullopt) override;
    void HandlePendingEvents() override;
    void OpenAddress(const std::string& url) override;
    std::string ProgramDirectory() override;

private:
    // The result of a finished call, or nothing when shutdown came first.
    template <typename Result>
    struct Pending {
        std::optional<Result> result;
        bool done = false;
        std::atomic<bool> ready{false};  // done, readable without the lock
    };

    bool OnUiThread() const;
    // Hands `task` to the UI thread; false after shutdown.
    bool Post(std::function<void()> task);
    // On the UI thread: runs the tasks handed over so far.
    void RunPostedTasks();
    std::function<void()> TakeTask();
    // On a worker: waits for the UI thread's answer to `pending`.
    template <typename Result>
    void AwaitAnswer(Pending<Result>& pending);
    // Carries out body(window) on the UI thread and gives its result; `fallback` after shutdown.
    template <typename Result, typename Body>
    Result Call(Result fallback, Body body);
    template <typename Body>
    void CallVoid(Body body);

    int ShowModalMessage(const std::string& text, int flags, const std::string& caption);
    QMessageBox* MakeMessageBox(const std::string& text, int flags, const std::string& caption);
    static int MessageResult(QMessageBox& box);
    static int ResultWhenDismissed(int flags);

    QPointer<MainWindow> window_;
    mutable std::mutex mutex_;
    // Lives on the UI thread; a wake-up event to it runs the posted tasks.
    std::unique_ptr<QObject> context_;

    std::condition_variable finished_;
    bool shutDown_ = false;
    std::deque<std::function<void()>> tasks_;
    std::atomic<std::size_t> taskCount_{0};  // tasks_.size(), readable without the lock
    bool wakeUpPosted_ = false;
    AddressOpener opener_;
    std::string programDirectory_;

    std::vector<QPointer<QMessageBox>> boxes_;  // UI thread only
};

}  // namespace miyoutong
