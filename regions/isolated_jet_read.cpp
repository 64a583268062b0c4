#include "regions/isolated_jet_read.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>

#include "regions/jet_reader.h"
#include "regions/jet_table_stream.h"

namespace miyoutong {

namespace {

// Names, values and texts within the limits of jet_table.h never need more.
constexpr std::size_t kMaximumStreamBytes =
    kJetMaximumTextBytes + kJetMaximumValues * 9 + 4 * 1024 * 1024;

bool WriteAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0 && errno == EINTR) {
            continue;
        }
        if (written <= 0) {
            return false;
        }
        done += static_cast<std::size_t>(written);
    }
    return true;
}

// Memory the child may take beyond what it shares with the program at the fork. libmdb loops
// allocating on some hostile files; the limit makes that a failed allocation, which ends the child.
constexpr rlim_t kChildMemoryBytes = 256 * 1024 * 1024;

void LimitChildMemory() {
    // The sixth field of statm: data and stack pages, what RLIMIT_DATA counts (and a little more).
    FILE* statm = std::fopen("/proc/self/statm", "r");
    unsigned long pages[6] = {};
    const bool read =
        statm != nullptr && std::fscanf(statm, "%lu %lu %lu %lu %lu %lu", &pages[0], &pages[1],
                                        &pages[2], &pages[3], &pages[4], &pages[5]) == 6;
    if (statm != nullptr) {
        std::fclose(statm);
    }
    rlimit limit{};
    if (!read || getrlimit(RLIMIT_DATA, &limit) != 0) {
        return;
    }
    const rlim_t inUse = static_cast<rlim_t>(pages[5]) * static_cast<rlim_t>(sysconf(_SC_PAGESIZE));
    const rlim_t wanted = inUse + kChildMemoryBytes;
    if (limit.rlim_max == RLIM_INFINITY || wanted < limit.rlim_max) {
        limit.rlim_cur = wanted;
        setrlimit(RLIMIT_DATA, &limit);
    }
}

[[noreturn]] void RunChild(JetReader& reader, int out) {
    // libmdb reports problems on stdout and stderr; the program shows nothing of them.
    const int devNull = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (devNull >= 0) {
        dup2(devNull, STDOUT_FILENO);
        dup2(devNull, STDERR_FILENO);
    }
    LimitChildMemory();
    const std::optional<std::vector<JetTable>> tables = reader.ReadTables();
    if (!tables) {
        _exit(1);
    }
    const std::string stream = EncodeJetTables(*tables);
    _exit(stream.size() <= kMaximumStreamBytes && WriteAll(out, stream) ? 0 : 1);
}

// Reads the child's stream until it closes its end, the deadline passes or the stream grows too
// long; false in the last two cases.
bool ReadStream(int in, std::chrono::steady_clock::time_point deadline, std::string& stream) {
    char buffer[65536];
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return false;
        }
        pollfd entry{in, POLLIN, 0};
        const int ready = poll(&entry, 1, static_cast<int>(left.count()) + 1);
        if (ready < 0 && errno == EINTR) {
            continue;
        }
        if (ready <= 0) {
            return false;
        }
        const ssize_t got = read(in, buffer, sizeof buffer);
        if (got < 0 && (errno == EINTR || errno == EAGAIN)) {
            continue;
        }
        if (got < 0) {
            return false;
        }
        if (got == 0) {
            return true;
        }
        if (stream.size() + static_cast<std::size_t>(got) > kMaximumStreamBytes) {
            return false;
        }
        stream.append(buffer, static_cast<std::size_t>(got));
    }
}

// False when the child did not exit normally with code 0. A child reaped by someone else (SIGCHLD
// ignored) cannot be asked; then the stream, complete only with its end mark, tells.
bool ChildSucceeded(pid_t child) {
    int status = 0;
    while (waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            return errno == ECHILD;
        }
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

std::optional<std::vector<JetTable>> ReadJetTablesIsolated(std::span<const unsigned char> file) {
    // The handle is opened here, before the fork, so that the child does not have to set up
    // character conversion (iconv_open takes locks another thread may hold at the fork).
    JetReader reader;
    if (!reader.Open(file)) {
        return std::nullopt;
    }
    int pipeEnds[2];
    if (pipe2(pipeEnds, O_CLOEXEC) != 0) {
        return std::nullopt;
    }
    const auto deadline = std::chrono::steady_clock::now() + kJetReadDeadline;
    const pid_t child = fork();
    if (child < 0) {
        close(pipeEnds[0]);
        close(pipeEnds[1]);
        return std::nullopt;
    }
    if (child == 0) {
        close(pipeEnds[0]);
        RunChild(reader, pipeEnds[1]);
    }
    close(pipeEnds[1]);
    std::string stream;
    const bool complete = ReadStream(pipeEnds[0], deadline, stream);
    close(pipeEnds[0]);
    if (!complete) {
        kill(child, SIGKILL);
    }
    if (!ChildSucceeded(child) || !complete) {
        return std::nullopt;
    }
    return DecodeJetTables(stream);
}

}  // namespace miyoutong
