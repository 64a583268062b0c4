#include <iostream>
#include <string>
#include <vector>

#include "cli/command.h"
#include "common/gbk.h"
#include "common/memory_control_surface.h"
#include "common/program_directory.h"
#include "regions/region_catalogue.h"

namespace miyoutong::cli {

namespace {

constexpr std::string_view kUsage = "regions [FILE]";

// Runs the program's own fills on a window held in memory, so the lists printed are the lists the
// program shows: the start list, then the end list of every start item in list order.
int RunRegions(const std::vector<std::string>& args) {
    if (args.size() > 1) {
        return UsageError(kUsage, "expected at most one database file");
    }
    if (!args.empty() && args.front().size() > 1 && args.front().front() == '-') {
        return UsageError(kUsage, "unknown option '" + args.front() + "'");
    }
    const std::string path =
        args.empty() ? JoinPath(ExecutableDirectory(), kRegionDatabaseFileName) : args.front();
    RegionCatalogue catalogue;
    if (!catalogue.Database().Open(path, std::string(kRegionDatabasePassword))) {
        std::cerr << "miyoutong-cli: cannot open the region database " << path << "\n";
        return kUsageError;
    }
    MemoryControlSurface controls;
    catalogue.FillStartRegions(controls);
    const Control start = Control::组合框_起始地区;
    const Control end = Control::组合框_结束地区;
    const int startCount = controls.ComboItemCount(start);
    for (int i = 0; i < startCount; ++i) {
        std::cout << "1\t" << GbkToUtf8(controls.ComboItemText(start, i)) << '\t'
                  << controls.ComboItemValue(start, i) << '\n';
    }
    for (int i = 0; i < startCount; ++i) {
        controls.ComboSelect(start, i);
        catalogue.FillEndRegions(controls);
        const int startValue = controls.ComboItemValue(start, i);
        for (int j = 0; j < controls.ComboItemCount(end); ++j) {
            std::cout << "2\t" << startValue << '\t' << GbkToUtf8(controls.ComboItemText(end, j))
                      << '\t' << controls.ComboItemValue(end, j) << '\n';
        }
    }
    std::cout.flush();
    return 0;
}

const CliCommandRegistration kRegions{"regions", kUsage, RunRegions};

}  // namespace

}  // namespace miyoutong::cli
