// The whole program against the demo service, each run in a fresh process as a user starts it:
//   BM_StartUp          process start to the main window exposed on the screen;
//   BM_WindowWalk/L     a 55-page search (men, no other criteria: 1,100 rows, the no-result page
//                       never reached) in the window at L ms service latency, click to the
//                       completion message, against the sum of the service's own times;
//   BM_CliWalk/L        the same walk through miyoutong-cli search;
//   BM_FullRun          the same search with the photo download of 1,100 photos of 30 KB: photo
//                       rate against curl fetching the same addresses one by one, the UI thread's
//                       longest gap in handling events, and the peak memory of the process.
// The service runs as a process of its own, so its work and memory are not counted.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "bench/support/child_process.h"
#include "bench/support/program_probe.h"
#include "bench/support/service_process.h"

namespace miyoutong::bench {
namespace {

constexpr int kPages = 55;
constexpr int kRows = kPages * 20;
constexpr int kPhotoBytes = 30 * 1024;

std::string Self() {
    return std::filesystem::read_symlink("/proc/self/exe").string();
}

// A program folder of its own: data.db and the photo folders m and f.
class ProgramFolder {
public:
    ProgramFolder() {
        std::random_device random;
        path_ = std::filesystem::temp_directory_path() /
                ("miyoutong-bench-" + std::to_string(random()) + std::to_string(random()));
        std::filesystem::create_directories(path_ / "m");
        std::filesystem::create_directories(path_ / "f");
        std::filesystem::copy_file(MIYOUTONG_REGION_DATABASE, path_ / "data.db");
    }
    ~ProgramFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    std::string str() const { return path_.string(); }
    std::string File(const std::string& name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

bool Failed(benchmark::State& state, const ChildResult& child, const std::string& what) {
    if (child.exitCode == 0) {
        return false;
    }
    state.SkipWithError(
        (what + " failed with exit code " + std::to_string(child.exitCode)).c_str());
    return true;
}

bool NotRunning(benchmark::State& state, const ServiceProcess& service) {
    if (service.Running()) {
        return false;
    }
    state.SkipWithError("the demo service did not start");
    return true;
}

// Every figure of a walk assumes the whole walk: 55 pages of 20 rows.
bool Incomplete(benchmark::State& state, int rows) {
    if (rows == kRows) {
        return false;
    }
    state.SkipWithError(
        ("the run listed " + std::to_string(rows) + " rows, not " + std::to_string(kRows)).c_str());
    return true;
}

struct ProbeRun {
    ChildResult child;
    double walkSeconds = 0;
    int rows = 0;
};

ProbeRun RunProbe(const ServiceProcess& service, const ProgramFolder& folder, bool download) {
    ProbeRun run;
    run.child = RunChild(Self(), {"--probe-run", service.Host(), folder.str(), download ? "1" : "0",
                                  folder.File("urls")});
    run.walkSeconds = FigureOf(run.child.out, "walk_ms") / 1000;
    run.rows = static_cast<int>(FigureOf(run.child.out, "rows"));
    return run;
}

// curl fetching every address one after the other in one process, each on a connection of its
// own as the program's fetches are, the files written to `directory`. Seconds, or NaN.
double CurlSeconds(const std::vector<std::string>& urls, const std::string& directory) {
    const std::string config = directory + "/curl.config";
    {
        std::ofstream out(config);
        out << "silent\nheader = \"Connection: close\"\n";
        for (std::size_t i = 0; i < urls.size(); ++i) {
            out << "url = \"" << urls[i] << "\"\noutput = \"" << directory << "/" << i
                << ".jpg\"\n";
        }
    }
    const ChildResult child = RunChild("curl", {"--config", config});
    return child.exitCode == 0 ? child.seconds : std::nan("");
}

void BM_StartUp(benchmark::State& state) {
    for (auto _ : state) {
        const ChildResult child =
            RunChild(Self(), {"--probe-startup", std::to_string(MonotonicNanoseconds())});
        if (Failed(state, child, "start-up probe")) {
            break;
        }
        const double exposedMs = FigureOf(child.out, "start_to_exposed_ms");
        state.SetIterationTime(exposedMs / 1000);
        state.counters["main_ms"] = FigureOf(child.out, "start_to_main_ms");
        state.counters["application_ms"] = FigureOf(child.out, "start_to_application_ms");
        state.counters["database_ms"] = FigureOf(child.out, "start_to_database_ms");
        state.counters["regex_ms"] = FigureOf(child.out, "regex_ms");
        state.counters["show_ms"] = FigureOf(child.out, "start_to_show_ms");
        state.counters["exposed_ms"] = exposedMs;
    }
}
BENCHMARK(BM_StartUp)
    ->Iterations(1)
    ->Repetitions(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

void BM_WindowWalk(benchmark::State& state) {
    ServiceProcess service(MIYOUTONG_DEMO_SERVICE, MIYOUTONG_REGION_DATABASE,
                           static_cast<int>(state.range(0)), 0);
    ProgramFolder folder;
    if (NotRunning(state, service)) {
        return;
    }
    for (auto _ : state) {
        const int mark = service.LogLines();
        const ProbeRun run = RunProbe(service, folder, false);
        if (Failed(state, run.child, "window probe") || Incomplete(state, run.rows)) {
            break;
        }
        const ServedRequests served = service.Served(mark, "/search/", kPages);
        // The same pages fetched by curl right after, for a client that does nothing else.
        std::vector<std::string> urls;
        for (const std::string& target : served.targets) {
            urls.push_back("http://" + service.Host() + target);
        }
        const double curlSeconds = CurlSeconds(urls, folder.str());
        state.SetIterationTime(run.walkSeconds);
        state.counters["rows"] = run.rows;
        state.counters["pages"] = served.count;
        state.counters["service_s"] = served.seconds;
        state.counters["ratio"] = run.walkSeconds / served.seconds;
        state.counters["curl_s"] = curlSeconds;
        state.counters["ratio_to_curl"] = run.walkSeconds / curlSeconds;
        state.counters["max_gap_ms"] = FigureOf(run.child.out, "walk_max_gap_ms");
        state.counters["first_row_ms"] = FigureOf(run.child.out, "click_to_first_row_ms");
        state.counters["message_ms"] = FigureOf(run.child.out, "last_row_to_message_ms");
        state.counters["list_paints"] = FigureOf(run.child.out, "list_paints");
    }
}
BENCHMARK(BM_WindowWalk)
    ->Arg(0)
    ->Arg(50)
    ->Iterations(1)
    ->Repetitions(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

void BM_CliWalk(benchmark::State& state) {
    ServiceProcess service(MIYOUTONG_DEMO_SERVICE, MIYOUTONG_REGION_DATABASE,
                           static_cast<int>(state.range(0)), 0);
    if (NotRunning(state, service)) {
        return;
    }
    for (auto _ : state) {
        const int mark = service.LogLines();
        const ChildResult child =
            RunChild(MIYOUTONG_CLI, {"search", "--host", service.Host(), "--gender", "0"});
        const int rows = static_cast<int>(std::count(child.out.begin(), child.out.end(), '\n')) - 1;
        if (Failed(state, child, "miyoutong-cli search") || Incomplete(state, rows)) {
            break;
        }
        const ServedRequests served = service.Served(mark, "/search/", kPages);
        state.SetIterationTime(child.seconds);
        state.counters["rows"] = rows;
        state.counters["pages"] = served.count;
        state.counters["service_s"] = served.seconds;
        state.counters["ratio"] = child.seconds / served.seconds;
    }
}
BENCHMARK(BM_CliWalk)
    ->Arg(0)
    ->Arg(50)
    ->Iterations(1)
    ->Repetitions(5)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

std::vector<std::string> Lines(const std::string& path) {
    std::vector<std::string> lines;
    std::ifstream in(path);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

void BM_FullRun(benchmark::State& state) {
    ServiceProcess service(MIYOUTONG_DEMO_SERVICE, MIYOUTONG_REGION_DATABASE, 0, kPhotoBytes);
    ProgramFolder folder;
    ProgramFolder curlFolder;
    if (NotRunning(state, service)) {
        return;
    }
    // A first run fills the service's photo cache, so that neither side pays for making photos.
    const ProbeRun warm = RunProbe(service, folder, false);
    if (Failed(state, warm.child, "window probe") || Incomplete(state, warm.rows)) {
        return;
    }
    const std::vector<std::string> urls = Lines(folder.File("urls"));
    CurlSeconds(urls, curlFolder.str());
    for (auto _ : state) {
        const int mark = service.LogLines();
        const ProbeRun run = RunProbe(service, folder, true);
        if (Failed(state, run.child, "window probe") || Incomplete(state, run.rows)) {
            break;
        }
        const ServedRequests photos =
            service.Served(mark, "/photos/", static_cast<int>(urls.size()));
        const double downloadSeconds = FigureOf(run.child.out, "download_ms") / 1000;
        const double curlSeconds = CurlSeconds(urls, curlFolder.str());
        const double count = static_cast<double>(urls.size());
        state.SetIterationTime(downloadSeconds);
        state.counters["rows"] = run.rows;
        state.counters["saved"] = FigureOf(run.child.out, "saved");
        state.counters["photo_requests"] = photos.count;
        state.counters["photos_per_s"] = count / downloadSeconds;
        state.counters["curl_photos_per_s"] = count / curlSeconds;
        state.counters["beyond_curl_ms_per_photo"] = (downloadSeconds - curlSeconds) / count * 1000;
        state.counters["service_ms_per_photo"] = photos.seconds / photos.count * 1000;
        state.counters["walk_s"] = run.walkSeconds;
        state.counters["walk_max_gap_ms"] = FigureOf(run.child.out, "walk_max_gap_ms");
        state.counters["download_max_gap_ms"] = FigureOf(run.child.out, "download_max_gap_ms");
        state.counters["gaps_over_50ms"] = FigureOf(run.child.out, "gaps_over_50ms");
        state.counters["list_paints"] = FigureOf(run.child.out, "list_paints");
        state.counters["max_rss_mb"] = FigureOf(run.child.out, "max_rss_kb") / 1024;
    }
}
BENCHMARK(BM_FullRun)
    ->Iterations(1)
    ->Repetitions(3)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace miyoutong::bench

int main(int argc, char** argv) {
    int exitCode = 0;
    if (miyoutong::bench::RunProgramProbe(argc, argv, exitCode)) {
        return exitCode;
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
