#include "search/search_run.h"

#include "common/gbk.h"
#include "common/option_lock.h"
#include "common/text.h"
#include "photos/photo_download.h"
#include "search/page_cut.h"
#include "search/result_parser.h"
#include "web/fetch.h"

namespace miyoutong {

bool OnSearchClicked(ControlSurface& controls, const std::function<void()>& startWorker) {
    if (controls.ComboSelection(Control::组合框_性别) == 0) {
        controls.ShowMessage(Gbk("请选择性别！"), kMessageIconInformation, Gbk("提示"));
        return false;
    }
    controls.DeleteAllRows();
    SetOptionsLocked(controls, true);
    startWorker();
    return true;
}

void RunSearch(ControlSurface& controls, const RegexHolder& regex, const StopFlag& stop,
               std::string_view searchHost) {
    SetOptionsLocked(controls, true);
    const SearchCriteria criteria = CollectSearchCriteria(controls);
    const std::string prefix = BuildSearchUrl(criteria, 1, searchHost);
    WalkResultPages(controls, regex, prefix, stop);
}

void WalkResultPages(ControlSurface& controls, const RegexHolder& regex, const std::string& prefix,
                     const StopFlag& stop, const std::function<void(int page)>& beforePage) {
    FetchOptions options;
    options.handlePendingEvents = [&controls] { controls.HandlePendingEvents(); };
    options.shouldAbort = [&stop] { return stop.load(); };

    for (int page = 1; page <= kLastResultPage && !stop; ++page) {
        if (beforePage) {
            beforePage(page);
        }
        const std::string pageText = FetchText(prefix + DecimalText(page), options);
        if (stop || HoldsNoResultText(pageText)) {
            break;
        }
        ParseResultBlock(controls, regex, CutMemberBlock(pageText));
    }
    if (stop) {
        return;
    }
    controls.ShowMessage(Gbk("搜索完成！如果你选择了下载相片，程序即将开始下载相片！"),
                         kMessageIconInformation, Gbk("提示"));
    if (stop) {
        return;
    }
    if (controls.CheckState(Control::选择框2) == 1) {
        DownloadPhotos(controls, stop);
    } else {
        SetOptionsLocked(controls, false);
    }
}

}  // namespace miyoutong
