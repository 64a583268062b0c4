// Fetch speed over loopback: FetchBytes against the curl command-line tool on the same local
// server, and the client's own cost for a small page against a bare socket client.

#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <curl/curl.h>
#include <httplib.h>
#include <netinet/in.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "web/fetch.h"

extern char** environ;

namespace {

constexpr std::size_t kSmallPage = 10 * 1024;
constexpr std::size_t kOneMiB = 1 << 20;
constexpr std::size_t kTwentyMiB = 20 << 20;

// Serves "/<size>" as a body of that many bytes.
class BenchServer {
public:
    BenchServer() {
        for (const std::size_t size : {kSmallPage, kOneMiB, kTwentyMiB}) {
            std::string path = "/";
            path += std::to_string(size);
            std::string body(size, 'x');
            server_.Get(path, [body](const httplib::Request&, httplib::Response& response) {
                response.set_content(body, "application/octet-stream");
            });
        }
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
    }
    ~BenchServer() {
        server_.stop();
        thread_.join();
    }
    int Port() const { return port_; }
    std::string Url(std::size_t size) const {
        return "http://127.0.0.1:" + std::to_string(port_) + "/" + std::to_string(size);
    }

private:
    httplib::Server server_;
    int port_ = 0;
    std::thread thread_;
};

BenchServer* server = nullptr;

void FetchBytesBench(benchmark::State& state, std::size_t size) {
    const std::string url = server->Url(size);
    for (auto _ : state) {
        const miyoutong::Bytes body = miyoutong::FetchBytes(url);
        if (body.size() != size) {
            state.SkipWithError("short body");
            break;
        }
        benchmark::DoNotOptimize(body.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
}

// Runs the curl tool once; its own measure of the transfer goes into `timeTotal` (seconds).
bool RunCurlTool(const std::string& url, double& timeTotal) {
    int out[2];
    if (pipe(out) != 0) {
        return false;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    std::vector<std::string> args = {
        "curl", "-q", "-s", "-o", "/dev/null", "--noproxy", "*", "-w", "%{time_total}", url};
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int spawned = posix_spawnp(&pid, "curl", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    std::string output;
    char buffer[256];
    ssize_t got = 0;
    while (spawned == 0 && (got = read(out[0], buffer, sizeof buffer)) > 0) {
        output.append(buffer, static_cast<std::size_t>(got));
    }
    close(out[0]);
    int status = 0;
    if (spawned != 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status) ||
        WEXITSTATUS(status) != 0) {
        return false;
    }
    timeTotal = std::strtod(output.c_str(), nullptr);
    return true;
}

void CurlToolBench(benchmark::State& state, std::size_t size) {
    const std::string url = server->Url(size);
    double ownTotal = 0;
    for (auto _ : state) {
        double timeTotal = 0;
        if (!RunCurlTool(url, timeTotal)) {
            state.SkipWithError("the curl tool did not run");
            break;
        }
        ownTotal += timeTotal;
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
    // What curl reports for the transfer alone, without starting the process.
    state.counters["curl_own_ms"] = benchmark::Counter(
        ownTotal * 1000.0 /
        static_cast<double>(std::max<benchmark::IterationCount>(1, state.iterations())));
}

// The least a client can do: connect, send a fixed request, read until the server closes.
void BareSocketBench(benchmark::State& state, std::size_t size) {
    const std::string request = "GET /" + std::to_string(size) +
                                " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n";
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(server->Port()));
    std::vector<char> buffer(64 * 1024);
    for (auto _ : state) {
        const int fd = socket(AF_INET, SOCK_STREAM, 0);
        std::size_t total = 0;
        if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
            send(fd, request.data(), request.size(), 0) == static_cast<ssize_t>(request.size())) {
            ssize_t got = 0;
            while ((got = recv(fd, buffer.data(), buffer.size(), 0)) > 0) {
                total += static_cast<std::size_t>(got);
            }
        }
        close(fd);
        if (total < size) {
            state.SkipWithError("short response");
            break;
        }
    }
}

// Prints the console table, then the comparisons the goals are stated in.
class ComparingReporter : public benchmark::ConsoleReporter {
public:
    ComparingReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_Defaults : OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.run_type == Run::RT_Iteration && !run.error_occurred) {
                const double toMs = run.time_unit == benchmark::kMillisecond   ? 1.0
                                    : run.time_unit == benchmark::kMicrosecond ? 1e-3
                                                                               : 1e-6;
                milliseconds_[run.run_name.function_name] = run.GetAdjustedRealTime() * toMs;
                const auto own = run.counters.find("curl_own_ms");
                if (own != run.counters.end()) {
                    curlOwnMs_[run.run_name.function_name] = own->second.value;
                }
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    void Finalize() override {
        ConsoleReporter::Finalize();
        std::printf("\n");
        for (const char* size : {"1MiB", "20MiB"}) {
            const std::string fetch = std::string("FetchBytes/") + size;
            const std::string curl = std::string("curl_tool/") + size;
            if (milliseconds_.count(fetch) == 0 || milliseconds_.count(curl) == 0) {
                continue;
            }
            const double bytes = std::string(size) == "1MiB" ? kOneMiB : kTwentyMiB;
            const double mbPerS = bytes / 1e6 / (milliseconds_[fetch] / 1000.0);
            std::printf(
                "%-6s FetchBytes %8.3f ms (%7.1f MB/s) | curl tool %8.3f ms, curl's own %8.3f ms"
                " | ratio to tool %.2f, to curl's own %.2f\n",
                size, milliseconds_[fetch], mbPerS, milliseconds_[curl], curlOwnMs_[curl],
                milliseconds_[fetch] / milliseconds_[curl],
                milliseconds_[fetch] / curlOwnMs_[curl]);
        }
        if (milliseconds_.count("FetchBytes/10KiB") && milliseconds_.count("bare_socket/10KiB")) {
            std::printf("10KiB  FetchBytes %.3f ms, bare socket %.3f ms: client overhead %.3f ms\n",
                        milliseconds_["FetchBytes/10KiB"], milliseconds_["bare_socket/10KiB"],
                        milliseconds_["FetchBytes/10KiB"] - milliseconds_["bare_socket/10KiB"]);
        }
    }

private:
    std::map<std::string, double> milliseconds_;
    std::map<std::string, double> curlOwnMs_;
};

}  // namespace

int main(int argc, char** argv) {
    curl_global_init(CURL_GLOBAL_DEFAULT);
    benchmark::Initialize(&argc, argv);
    BenchServer local;
    server = &local;
    const std::pair<const char*, std::size_t> sizes[] = {{"1MiB", kOneMiB}, {"20MiB", kTwentyMiB}};
    for (const auto& [name, size] : sizes) {
        benchmark::RegisterBenchmark((std::string("FetchBytes/") + name).c_str(), FetchBytesBench,
                                     size)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
        benchmark::RegisterBenchmark((std::string("curl_tool/") + name).c_str(), CurlToolBench,
                                     size)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
    benchmark::RegisterBenchmark("FetchBytes/10KiB", FetchBytesBench, kSmallPage)
        ->Unit(benchmark::kMicrosecond)
        ->UseRealTime();
    benchmark::RegisterBenchmark("bare_socket/10KiB", BareSocketBench, kSmallPage)
        ->Unit(benchmark::kMicrosecond)
        ->UseRealTime();
    ComparingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    server = nullptr;
    curl_global_cleanup();
    return 0;
}
