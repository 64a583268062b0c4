#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "cli/command.h"
#include "cli/options.h"
#include "cli/row_format.h"
#include "common/gbk.h"
#include "common/memory_control_surface.h"
#include "search/search_run.h"

namespace miyoutong::cli {

namespace {

const std::string kUsage = std::string("search --host HOST[:PORT] ") + kCriteriaUsage +
                           " [--download DIR] [--format csv|tsv]";

const char* const kColumnTitles[kResultColumnCount] = {
    "序号", "会员ID", "昵称", "年龄", "地区", "诚信值", "相片地址", "是否已下载", "保存地址"};

struct SearchOptions {
    std::string host;
    CriteriaOptions criteria;
    std::string downloadDirectory;
    char separator = '\t';
};

// The window's gender list: the search run reads the gender by index (folder, count label).
void PrepareControls(MemoryControlSurface& controls, const SearchOptions& options) {
    controls.ComboAddItem(Control::组合框_性别, Gbk("请选择"), -1);
    controls.ComboAddItem(Control::组合框_性别, Gbk("男"), 0);
    controls.ComboAddItem(Control::组合框_性别, Gbk("女"), 1);
    controls.ComboSelect(Control::组合框_性别, options.criteria.gender + 1);
    controls.SetChecked(Control::选择框2, !options.downloadDirectory.empty());
    controls.SetProgramDirectory(options.downloadDirectory);
}

std::string RowLine(MemoryControlSurface& controls, int row, char separator) {
    std::vector<std::string> fields;
    for (int column = 0; column < kResultColumnCount; ++column) {
        const std::string cell = row < 0 ? Gbk(kColumnTitles[column]) : controls.CellText(row, column);
        fields.push_back(separator == ',' ? CsvField(cell) : TsvField(cell));
    }
    return JoinLine(fields, separator);
}

int ParseArguments(const std::vector<std::string>& args, SearchOptions& options) {
    for (size_t i = 0; i < args.size(); ++i) {
        std::string error;
        const CriterionParse criterion = TakeCriterion(args, i, options.criteria, error);
        if (criterion == CriterionParse::Taken) {
            continue;
        }
        if (criterion == CriterionParse::Bad) {
            return UsageError(kUsage, error);
        }
        std::string name, value;
        if (!TakeOption(args, i, true, name, value, error)) {
            return UsageError(kUsage, error);
        }
        if (name == "--host") {
            options.host = value;
        } else if (name == "--download") {
            options.downloadDirectory = value;
        } else if (name == "--format" && (value == "csv" || value == "tsv")) {
            options.separator = value == "csv" ? ',' : '\t';
        } else {
            return UsageError(kUsage, "bad argument '" + args[i] + "'");
        }
    }
    if (options.host.empty()) {
        return UsageError(kUsage, "--host is required");
    }
    if (options.criteria.gender != 0 && options.criteria.gender != 1) {
        return UsageError(kUsage, "--gender must be 0 (men) or 1 (women)");
    }
    return 0;
}

// The search run of the window, without a window: the same fetch, cut, parser, page limit and
// no-result stop, and with --download the same photo rules.
int RunSearchCommand(const std::vector<std::string>& args) {
    SearchOptions options;
    if (const int code = ParseArguments(args, options); code != 0) {
        return code;
    }
    RegexHolder regex;
    if (!regex.Create()) {
        std::cerr << "miyoutong-cli: cannot compile the member-entry pattern\n";
        return 1;
    }
    MemoryControlSurface controls;
    PrepareControls(controls, options);
    const bool showProgress = isatty(STDERR_FILENO) != 0;
    const auto progress = [&](int page) {
        if (showProgress) {
            std::cerr << "\rpage " << page << "/" << kLastResultPage << ", "
                      << controls.RowCount() << " members" << std::flush;
        }
    };
    WalkResultPages(controls, regex, BuildSearchUrl(options.criteria.ToCriteria(), 1, options.host),
                    NeverStop(), progress);
    if (showProgress) {
        std::cerr << "\rdone, " << controls.RowCount() << " members          \n";
    }
    std::string out = RowLine(controls, -1, options.separator);
    for (int row = 0; row < controls.RowCount(); ++row) {
        out += RowLine(controls, row, options.separator);
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
}

const CliCommandRegistration kSearch{"search", kUsage, RunSearchCommand};

}  // namespace

}  // namespace miyoutong::cli
