#include "common/memory_control_surface.h"

#include <algorithm>

#include "common/gbk.h"

namespace miyoutong {

MemoryControlSurface::MemoryControlSurface() { enabled_.fill(true); }

MemoryControlSurface::Combo& MemoryControlSurface::ComboOf(Control list) {
    return combos_[static_cast<int>(list)];
}

int MemoryControlSurface::ComboSelection(Control list) {
    std::lock_guard lock(mutex_);
    return ComboOf(list).selection;
}

int MemoryControlSurface::ComboItemValue(Control list, int index) {
    std::lock_guard lock(mutex_);
    const Combo& combo = ComboOf(list);
    if (index < 0 || index >= static_cast<int>(combo.items.size())) {
        return -1;
    }
    return combo.items[index].second;
}

int MemoryControlSurface::ComboAddItem(Control list, const std::string& text, int value) {
    std::lock_guard lock(mutex_);
    Combo& combo = ComboOf(list);
    combo.items.emplace_back(text, value);
    return static_cast<int>(combo.items.size()) - 1;
}

void MemoryControlSurface::ComboClear(Control list) {
    std::lock_guard lock(mutex_);
    ComboOf(list) = Combo{};
}

void MemoryControlSurface::ComboSelect(Control list, int index) {
    std::lock_guard lock(mutex_);
    Combo& combo = ComboOf(list);
    const int last = static_cast<int>(combo.items.size()) - 1;
    combo.selection = index < 0 ? -1 : std::min(index, last);
}

int MemoryControlSurface::ComboItemCount(Control list) {
    std::lock_guard lock(mutex_);
    return static_cast<int>(ComboOf(list).items.size());
}

std::string MemoryControlSurface::ComboItemText(Control list, int index) {
    std::lock_guard lock(mutex_);
    const Combo& combo = ComboOf(list);
    if (index < 0 || index >= static_cast<int>(combo.items.size())) {
        return {};
    }
    return combo.items[index].first;
}

int MemoryControlSurface::CheckState(Control box) {
    std::lock_guard lock(mutex_);
    return checked_[static_cast<int>(box)] ? 1 : 0;
}

void MemoryControlSurface::SetChecked(Control box, bool checked) {
    std::lock_guard lock(mutex_);
    checked_[static_cast<int>(box)] = checked;
}

void MemoryControlSurface::SetEnabled(Control control, bool enabled) {
    std::lock_guard lock(mutex_);
    enabled_[static_cast<int>(control)] = enabled;
}

bool MemoryControlSurface::IsEnabled(Control control) {
    std::lock_guard lock(mutex_);
    return enabled_[static_cast<int>(control)];
}

void MemoryControlSurface::SetCaption(Control control, const std::string& text) {
    std::lock_guard lock(mutex_);
    captions_[static_cast<int>(control)] = text;
}

std::string MemoryControlSurface::Caption(Control control) {
    std::lock_guard lock(mutex_);
    return captions_[static_cast<int>(control)];
}

void MemoryControlSurface::SetPicture(const Bytes& bytes) {
    std::lock_guard lock(mutex_);
    picture_ = bytes;
}

int MemoryControlSurface::RowCount() {
    std::lock_guard lock(mutex_);
    return static_cast<int>(rows_.size());
}

int MemoryControlSurface::InsertRow(int index, const std::string& firstColumn) {
    std::lock_guard lock(mutex_);
    const int count = static_cast<int>(rows_.size());
    const int at = index < 0 || index > count ? count : index;
    Row row;
    row[0] = firstColumn;
    rows_.insert(rows_.begin() + at, row);
    return at;
}

std::string MemoryControlSurface::CellText(int row, int column) {
    std::lock_guard lock(mutex_);
    if (row < 0 || row >= static_cast<int>(rows_.size()) || column < 0 ||
        column >= kResultColumnCount) {
        return {};
    }
    return rows_[row][column];
}

void MemoryControlSurface::SetCellText(int row, int column, const std::string& text) {
    std::lock_guard lock(mutex_);
    if (row < 0 || row >= static_cast<int>(rows_.size()) || column < 0 ||
        column >= kResultColumnCount) {
        return;
    }
    rows_[row][column] = text;
}

void MemoryControlSurface::DeleteAllRows() {
    std::lock_guard lock(mutex_);
    rows_.clear();
    selectedRow_ = -1;
}

int MemoryControlSurface::RowSelection() {
    std::lock_guard lock(mutex_);
    return selectedRow_ < static_cast<int>(rows_.size()) ? selectedRow_ : -1;
}

int MemoryControlSurface::ShowMessage(const std::string& text, int flags,
                                      const std::optional<std::string>& caption) {
    std::lock_guard lock(mutex_);
    messages_.push_back({text, flags, caption.value_or(Utf8ToGbk("信息："))});
    if (messageResults_.empty()) {
        return kMessageResultOk;
    }
    const int result = messageResults_.front();
    messageResults_.pop_front();
    return result;
}

void MemoryControlSurface::HandlePendingEvents() {
    std::function<void()> hook;
    {
        std::lock_guard lock(mutex_);
        ++pendingEventsCount_;
        hook = pendingEventsHook_;
    }
    if (hook) {
        hook();
    }
}

void MemoryControlSurface::OpenAddress(const std::string& url) {
    std::lock_guard lock(mutex_);
    openedAddresses_.push_back(url);
}

std::string MemoryControlSurface::ProgramDirectory() {
    std::lock_guard lock(mutex_);
    return programDirectory_;
}

void MemoryControlSurface::SelectRow(int row) {
    std::lock_guard lock(mutex_);
    selectedRow_ = row;
}

void MemoryControlSurface::SetProgramDirectory(std::string directory) {
    std::lock_guard lock(mutex_);
    programDirectory_ = std::move(directory);
}

void MemoryControlSurface::QueueMessageResult(int result) {
    std::lock_guard lock(mutex_);
    messageResults_.push_back(result);
}

void MemoryControlSurface::SetPendingEventsHook(std::function<void()> hook) {
    std::lock_guard lock(mutex_);
    pendingEventsHook_ = std::move(hook);
}

Bytes MemoryControlSurface::Picture() {
    std::lock_guard lock(mutex_);
    return picture_;
}

std::vector<ShownMessage> MemoryControlSurface::Messages() {
    std::lock_guard lock(mutex_);
    return messages_;
}

std::vector<std::string> MemoryControlSurface::OpenedAddresses() {
    std::lock_guard lock(mutex_);
    return openedAddresses_;
}

int MemoryControlSurface::PendingEventsCount() {
    std::lock_guard lock(mutex_);
    return pendingEventsCount_;
}

}  // namespace miyoutong
