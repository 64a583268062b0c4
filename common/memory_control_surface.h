#pragma once

// The control surface held in memory, for tests and tools that run the program's logic without a
// window. It behaves as the real window at every edge, records what the platform services were
// asked to do, and answers message boxes from a queue of scripted results (OK when empty).

#include <array>
#include <deque>
#include <functional>
#include <mutex>
#include <vector>

#include "common/control_surface.h"

namespace miyoutong {

struct ShownMessage {
    std::string text;
    int flags = 0;
    std::string caption;
};

class MemoryControlSurface : public ControlSurface {
public:
    MemoryControlSurface();

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

    // Test controls and records.
    void SelectRow(int row);
    void SetProgramDirectory(std::string directory);
    void QueueMessageResult(int result);
    // Called on every HandlePendingEvents, for tests that act "while events are handled".
    void SetPendingEventsHook(std::function<void()> hook);
    Bytes Picture();
    std::vector<ShownMessage> Messages();
    std::vector<std::string> OpenedAddresses();
    int PendingEventsCount();

private:
    struct Combo {
        std::vector<std::pair<std::string, int>> items;
        int selection = -1;
    };
    using Row = std::array<std::string, kResultColumnCount>;

    Combo& ComboOf(Control list);

    std::mutex mutex_;
    std::array<Combo, kControlCount> combos_;
    std::array<bool, kControlCount> enabled_{};
    std::array<bool, kControlCount> checked_{};
    std::array<std::string, kControlCount> captions_;
    Bytes picture_;
    std::vector<Row> rows_;
    int selectedRow_ = -1;
    std::string programDirectory_;
    std::deque<int> messageResults_;
    std::vector<ShownMessage> messages_;
    std::vector<std::string> openedAddresses_;
    std::function<void()> pendingEventsHook_;
    int pendingEventsCount_ = 0;
};

}  // namespace miyoutong
