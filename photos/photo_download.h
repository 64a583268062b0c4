#pragma once

#include "common/control_surface.h"
#include "common/stop_flag.h"

namespace miyoutong {

// Saves the photo of every row of the result list into m/ or f/ beside the program, marks each
// row, tells the user when all are done and releases the option lock. Runs on the search worker.
// A photo is saved only when its fetch gave a 2xx status with a whole, non-empty body (not cut
// short by a reset, a stall or a limit), and only under a safe member ID; other rows are marked
// "下载失败" and keep their path column empty, and an existing file of that name is left
// untouched. When `stop` is set the download ends at once, silently.
void DownloadPhotos(ControlSurface& controls, const StopFlag& stop = NeverStop());

}  // namespace miyoutong
