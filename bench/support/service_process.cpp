#include "bench/support/service_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>
#include <vector>

namespace miyoutong::bench {

namespace {

// "listening on 127.0.0.1:PORT" is the service's first line.
int ReadPort(int fd) {
    std::string line;
    char c = 0;
    while (line.size() < 200 && read(fd, &c, 1) == 1 && c != '\n') {
        line += c;
    }
    const std::size_t colon = line.rfind(':');
    return colon == std::string::npos ? -1 : std::atoi(line.c_str() + colon + 1);
}

int NextServiceNumber() {
    static int number = 0;
    return ++number;
}

}  // namespace

ServiceProcess::ServiceProcess(const std::string& executable, const std::string& database,
                               int latencyMs, int photoBytes)
    : logPath_((std::filesystem::temp_directory_path() /
                ("miyoutong-bench-service-" + std::to_string(getpid()) + "-" +
                 std::to_string(NextServiceNumber()) + ".log"))
                   .string()) {
    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC) != 0) {
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, logPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                     0600);
    std::vector<std::string> args = {executable,
                                     "--port",
                                     "0",
                                     "--latency-ms",
                                     std::to_string(latencyMs),
                                     "--photo-bytes",
                                     std::to_string(photoBytes),
                                     "--data",
                                     database};
    std::vector<char*> argv;
    for (std::string& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    const int spawned =
        posix_spawn(&pid_, executable.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    if (spawned != 0) {
        pid_ = -1;
    } else {
        port_ = ReadPort(pipeFds[0]);
    }
    close(pipeFds[0]);
}

ServiceProcess::~ServiceProcess() {
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        int status = 0;
        waitpid(pid_, &status, 0);
    }
    std::error_code ignored;
    std::filesystem::remove(logPath_, ignored);
}

std::string ServiceProcess::Host() const {
    return "127.0.0.1:" + std::to_string(port_);
}

int ServiceProcess::LogLines() const {
    std::ifstream log(logPath_);
    int lines = 0;
    for (std::string line; std::getline(log, line);) {
        ++lines;
    }
    return lines;
}

// A line reads "GET /path?query 200 1234 bytes 12.34 ms".
ServedRequests ServiceProcess::Count(int fromLine, const std::string& pathPrefix) const {
    ServedRequests served;
    std::ifstream log(logPath_);
    int number = 0;
    for (std::string line; std::getline(log, line); ++number) {
        if (number < fromLine || line.compare(0, 4 + pathPrefix.size(), "GET " + pathPrefix) != 0 ||
            line.size() < 3 || line.compare(line.size() - 3, 3, " ms") != 0) {
            continue;
        }
        const std::size_t blank = line.rfind(' ', line.size() - 4);
        ++served.count;
        served.targets.push_back(line.substr(4, line.find(' ', 4) - 4));
        served.seconds += std::strtod(line.c_str() + blank + 1, nullptr) / 1000.0;
    }
    return served;
}

ServedRequests ServiceProcess::Served(int fromLine, const std::string& pathPrefix,
                                      int expected) const {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    ServedRequests served = Count(fromLine, pathPrefix);
    while (served.count < expected && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        served = Count(fromLine, pathPrefix);
    }
    return served;
}

}  // namespace miyoutong::bench
