#pragma once

// The control surface: every operation on the main window that the rest of the program uses,
// in Qt-free terms (GBK text, ints, bytes), together with the few platform services the program
// calls (message box, pending events, browser, program directory). The Qt main window implements
// it; MemoryControlSurface implements it for tests of the Qt-free code.
//
// An implementation may be called from the UI thread and from the search worker. The Qt one
// carries a worker's call over to the UI thread and waits for it.

#include <optional>
#include <string>

#include "common/bytes.h"
#include "common/controls.h"

namespace miyoutong {

// Message box flags (combinable) and results.
inline constexpr int kMessageOk = 0;
inline constexpr int kMessageOkCancel = 1;
inline constexpr int kMessageIconInformation = 64;
inline constexpr int kMessageResultOk = 0;
inline constexpr int kMessageResultCancel = 1;

// Number of text columns of the result list.
inline constexpr int kResultColumnCount = 9;

class ControlSurface {
public:
    virtual ~ControlSurface() = default;

    // Drop-down lists. Indices are 0-based; -1 means no selection.
    virtual int ComboSelection(Control list) = 0;
    // The value stored with the item; -1 for an index outside the list.
    virtual int ComboItemValue(Control list, int index) = 0;
    // Appends the item and returns its index.
    virtual int ComboAddItem(Control list, const std::string& text, int value = 0) = 0;
    virtual void ComboClear(Control list) = 0;
    // An index past the last item selects the last item (nothing on an empty list); -1 and
    // below select nothing.
    virtual void ComboSelect(Control list, int index) = 0;
    virtual int ComboItemCount(Control list) = 0;
    virtual std::string ComboItemText(Control list, int index) = 0;

    // Check boxes: 1 when ticked, otherwise 0.
    virtual int CheckState(Control box) = 0;
    virtual void SetChecked(Control box, bool checked) = 0;

    // Any control. A disabled control ignores the user but keeps its items, selection and tick
    // state, which can still be read and set.
    virtual void SetEnabled(Control control, bool enabled) = 0;
    virtual bool IsEnabled(Control control) = 0;

    // Labels and other captioned controls.
    virtual void SetCaption(Control control, const std::string& text) = 0;
    virtual std::string Caption(Control control) = 0;

    // Picture box 图片框1: shows the picture the bytes hold; empty or unknown bytes clear it.
    virtual void SetPicture(const Bytes& bytes) = 0;

    // Result list 超级列表框1.
    virtual int RowCount() = 0;
    // Inserts a row at `index`, or at the end when `index` is negative or past the end; returns
    // the new row's index.
    virtual int InsertRow(int index, const std::string& firstColumn) = 0;
    // Empty text for a row or column that does not exist (row -1 included).
    virtual std::string CellText(int row, int column) = 0;
    virtual void SetCellText(int row, int column, const std::string& text) = 0;
    virtual void DeleteAllRows() = 0;
    // Index of the first selected row, -1 when none.
    virtual int RowSelection() = 0;

    // A message box without owner; blocks the caller only. Without a caption the caption is
    // "信息：". Returns kMessageResultOk, kMessageResultCancel, ...
    virtual int ShowMessage(const std::string& text, int flags,
                            const std::optional<std::string>& caption = std::nullopt) = 0;
    // Lets the calling thread's pending window events be handled (nothing on a worker).
    virtual void HandlePendingEvents() = 0;
    // Opens an address in the default browser; returns at once, reports nothing.
    virtual void OpenAddress(const std::string& url) = 0;
    // The folder of the program, without a trailing separator.
    virtual std::string ProgramDirectory() = 0;
};

}  // namespace miyoutong

namespace miyoutong {

// Columns of the result list.
inline constexpr int kColumnIndex = 0;
inline constexpr int kColumnMemberId = 1;
inline constexpr int kColumnNickname = 2;
inline constexpr int kColumnAge = 3;
inline constexpr int kColumnRegion = 4;
inline constexpr int kColumnIntegrity = 5;
inline constexpr int kColumnPhotoUrl = 6;
inline constexpr int kColumnDownloadState = 7;
inline constexpr int kColumnSavedPath = 8;

}  // namespace miyoutong
