// The result block parser on blocks of 20, 200 and 2,000 entries of the fixture page, GBK
// conversions included. Three figures per size:
//   BM_ParseToMemorySurface  parse and write every row into MemoryControlSurface;
//   BM_ParseToCountingSurface  parse with a surface that only counts (the parser's own cost);
//   BM_MatchOnly  the regex over the already converted block, no conversion, no rows (as the
//                 parser matches: the converted text is not checked for valid UTF-8 again).
// Hostile blocks follow, for the time they take.

#include <benchmark/benchmark.h>

#include <array>
#include <fstream>
#include <iterator>
#include <random>
#include <string>

#include "common/gbk.h"
#include "common/memory_control_surface.h"
#include "search/page_cut.h"
#include "search/regex_holder.h"
#include "search/result_parser.h"

namespace miyoutong {
namespace {

constexpr int kFixtureEntries = 20;

std::string FixtureBlock() {
    std::ifstream file(MIYOUTONG_FIXTURES_DIR "/search/result_page_20.html", std::ios::binary);
    const std::string page{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    return CutMemberBlock(page);
}

// The fixture's 20 entries repeated to `entries` entries.
const std::string& Block(int entries) {
    static const std::string one = FixtureBlock();
    static std::string blocks[3];
    std::string& block = blocks[entries == 20 ? 0 : entries == 200 ? 1 : 2];
    if (block.empty()) {
        for (int i = 0; i < entries / kFixtureEntries; ++i) {
            block += one;
        }
    }
    return block;
}

const RegexHolder& Regex() {
    static const RegexHolder* regex = [] {
        auto* holder = new RegexHolder;
        holder->Create();
        return holder;
    }();
    return *regex;
}

// Counts rows and does nothing else.
class CountingSurface : public ControlSurface {
public:
    int ComboSelection(Control) override { return 2; }
    int ComboItemValue(Control, int) override { return -1; }
    int ComboAddItem(Control, const std::string&, int) override { return 0; }
    void ComboClear(Control) override {}
    void ComboSelect(Control, int) override {}
    int ComboItemCount(Control) override { return 0; }
    std::string ComboItemText(Control, int) override { return {}; }
    int CheckState(Control) override { return 1; }
    void SetChecked(Control, bool) override {}
    void SetEnabled(Control, bool) override {}
    bool IsEnabled(Control) override { return true; }
    void SetCaption(Control, const std::string& text) override { bytes += text.size(); }
    std::string Caption(Control) override { return {}; }
    void SetPicture(const Bytes&) override {}
    int RowCount() override { return rows; }
    int InsertRow(int, const std::string&) override { return rows++; }
    std::string CellText(int, int) override { return {}; }
    void SetCellText(int, int, const std::string& text) override { bytes += text.size(); }
    void DeleteAllRows() override { rows = 0; }
    int RowSelection() override { return -1; }
    int ShowMessage(const std::string&, int, const std::optional<std::string>&) override {
        return kMessageResultOk;
    }
    void HandlePendingEvents() override {}
    void OpenAddress(const std::string&) override {}
    std::string ProgramDirectory() override { return {}; }

    int rows = 0;
    size_t bytes = 0;
};

void SetRates(benchmark::State& state, size_t blockBytes, int entries) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(blockBytes));
    state.counters["entries/s"] = benchmark::Counter(
        static_cast<double>(state.iterations()) * entries, benchmark::Counter::kIsRate);
}

void BM_ParseToMemorySurface(benchmark::State& state) {
    const int entries = static_cast<int>(state.range(0));
    const std::string& block = Block(entries);
    MemoryControlSurface controls;
    controls.ComboAddItem(Control::组合框_性别, "a");
    controls.ComboAddItem(Control::组合框_性别, "b");
    controls.ComboAddItem(Control::组合框_性别, "c");
    controls.ComboSelect(Control::组合框_性别, 2);
    for (auto _ : state) {
        ParseResultBlock(controls, Regex(), block);
        if (controls.RowCount() != entries) {
            state.SkipWithError("wrong row count");
            break;
        }
        controls.DeleteAllRows();
    }
    SetRates(state, block.size(), entries);
}
BENCHMARK(BM_ParseToMemorySurface)->Arg(20)->Arg(200)->Arg(2000);

void BM_ParseToCountingSurface(benchmark::State& state) {
    const int entries = static_cast<int>(state.range(0));
    const std::string& block = Block(entries);
    CountingSurface controls;
    for (auto _ : state) {
        ParseResultBlock(controls, Regex(), block);
        if (controls.rows != entries) {
            state.SkipWithError("wrong row count");
            break;
        }
        controls.rows = 0;
    }
    benchmark::DoNotOptimize(controls.bytes);
    SetRates(state, block.size(), entries);
}
BENCHMARK(BM_ParseToCountingSurface)->Arg(20)->Arg(200)->Arg(2000);

void BM_MatchOnly(benchmark::State& state) {
    const int entries = static_cast<int>(state.range(0));
    const std::string& block = Block(entries);
    const std::string text = GbkToUtf8(block);
    for (auto _ : state) {
        int matches = 0;
        Regex().ForEachMatch(
            text, [&matches](RegexHolder::Groups) { ++matches; }, RegexHolder::Subject::ValidUtf8);
        benchmark::DoNotOptimize(matches);
    }
    SetRates(state, block.size(), entries);
}
BENCHMARK(BM_MatchOnly)->Arg(20)->Arg(200)->Arg(2000);

void BM_GbkToUtf8(benchmark::State& state) {
    const std::string& block = Block(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(GbkToUtf8(block));
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(block.size()));
}
BENCHMARK(BM_GbkToUtf8)->Arg(2000);

// Hostile blocks, each about 4 MB.
std::string HostileBlock(int kind) {
    std::string block;
    switch (kind) {
        case 0: {  // random bytes
            std::mt19937 random(7);
            block.resize(4'000'000);
            for (char& c : block) {
                c = static_cast<char>(random());
            }
            break;
        }
        case 1: {  // near-matches: every entry broken at its last paragraph
            std::string broken = Block(20);
            for (size_t at = broken.find("</em>"); at != std::string::npos;
                 at = broken.find("</em>", at + 1)) {
                broken[at + 2] = '#';
            }
            while (block.size() < 4'000'000) {
                block += broken;
            }
            break;
        }
        case 2:  // repeated <p>
            block = "img src=\"a\" alt=\"b\" class=\"c\" />\n";
            while (block.size() < 4'000'000) {
                block += "<p>";
            }
            break;
        case 3:  // one runaway attempt that reaches the match limit
            while (block.size() < 4'000'000) {
                block += "img src=\"";
            }
            block +=
                Gbk("\" alt=\"x\" class=\"c\" />\n<p>\n<span id=\"lastlogindesc_1\">1，2</span>"
                    "</p>\n<p><span class='integrity clearfix'><span class='fLefts'>诚信值："
                    "</span><em class='c'><span>1</span></em></span></p>\n");
            break;
    }
    return block;
}

void BM_HostileBlock(benchmark::State& state) {
    const std::string block = HostileBlock(static_cast<int>(state.range(0)));
    CountingSurface controls;
    for (auto _ : state) {
        ParseResultBlock(controls, Regex(), block);
        controls.rows = 0;
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) *
                            static_cast<int64_t>(block.size()));
    state.SetLabel(
        std::array{"random bytes", "near-matches", "repeated <p>", "match limit"}[state.range(0)]);
}
BENCHMARK(BM_HostileBlock)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace miyoutong

BENCHMARK_MAIN();
