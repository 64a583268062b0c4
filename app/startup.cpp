#include "app/startup.h"

#include "app/option_lists.h"
#include "common/gbk.h"

namespace miyoutong {

StartupOutcome OnMainWindowCreated(ControlSurface& controls, RegionCatalogue& regions,
                                   RegexHolder& regex, const StartupSteps& steps) {
    if (!regions.OpenRegionDatabase(controls.ProgramDirectory())) {
        const int answer = controls.ShowMessage(
            Gbk("获取地区数据库失败，请重新下载本程序！\r\n是否重新下载本程序，点击确定进入下载网址！"),
            kMessageOkCancel | kMessageIconInformation, Gbk("提示"));
        if (answer == kMessageResultOk) {
            controls.OpenAddress(steps.downloadPage);
        }
        return StartupOutcome::EndProgram;
    }
    if (steps.applySkin(controls.ProgramDirectory()) == SkinResult::Unusable) {
        controls.ShowMessage(SkinFailureText(controls.ProgramDirectory()), kMessageOk);
        return StartupOutcome::FatalError;
    }
    if (steps.createRegex(regex)) {
        FillOptionLists(controls, regions);
    } else {
        controls.ShowMessage(Gbk("正则表达式创建失败！"), kMessageOk);
    }
    return StartupOutcome::ShowWindow;
}

void FillOptionLists(ControlSurface& controls, RegionCatalogue& regions) {
    FillAgeLists(controls);
    regions.FillStartRegions(controls);
    FillHeightLists(controls);
}

}  // namespace miyoutong
