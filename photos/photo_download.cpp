#include "photos/photo_download.h"

#include "common/gbk.h"
#include "common/option_lock.h"
#include "photos/photo_file_name.h"
#include "photos/photo_store.h"
#include "web/fetch.h"

namespace miyoutong {

namespace {

bool IsSuccess(long status) { return status >= 200 && status < 300; }

// Fetches and saves one row's photo; true when the file now holds it.
bool DownloadRowPhoto(ControlSurface& controls, int row, const std::string& relativeName,
                      const StopFlag& stop) {
    long status = 0;
    bool complete = false;
    FetchOptions options;
    options.statusCode = &status;
    options.complete = &complete;
    options.handlePendingEvents = [&controls] { controls.HandlePendingEvents(); };
    options.shouldAbort = [&stop] { return stop.load(); };
    const Bytes photo = FetchBytes(controls.CellText(row, kColumnPhotoUrl), options);
    // A photo cut short (reset, stall, time bound) is no photo: it must not replace a whole one.
    if (stop || !complete || !IsSuccess(status) || photo.empty()) {
        return false;
    }
    return SaveFileAtomically(PhotoPath(controls.ProgramDirectory(), relativeName), photo);
}

}  // namespace

void DownloadPhotos(ControlSurface& controls, const StopFlag& stop) {
    const int rowCount = controls.RowCount();
    for (int row = 0; row < rowCount; ++row) {
        if (stop) {
            return;
        }
        const auto relativeName = PhotoRelativeName(controls.ComboSelection(Control::组合框_性别),
                                                    controls.CellText(row, kColumnMemberId));
        const bool saved = relativeName && DownloadRowPhoto(controls, row, *relativeName, stop);
        if (stop) {
            return;
        }
        if (saved) {
            controls.SetCellText(row, kColumnSavedPath, *relativeName);
            controls.SetCellText(row, kColumnDownloadState, Gbk("下载完成"));
        } else {
            controls.SetCellText(row, kColumnDownloadState, Gbk("下载失败"));
        }
        controls.HandlePendingEvents();
    }
    if (stop) {
        return;
    }
    controls.ShowMessage(Gbk("相片下载完成"), kMessageIconInformation, Gbk("提示"));
    SetOptionsLocked(controls, false);
}

}  // namespace miyoutong
