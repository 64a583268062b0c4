#pragma once

// The demo service as a process of its own, so that its work and memory stay out of the
// program's figures. Its log, one line per request with the time the service spent on it, goes
// to a file that the benchmarks add up.

#include <sys/types.h>

#include <string>
#include <vector>

namespace miyoutong::bench {

// What the service logged for the requests of one kind.
struct ServedRequests {
    int count = 0;
    double seconds = 0;                // sum of the service's own times
    std::vector<std::string> targets;  // path and query of each, in order
};

class ServiceProcess {
public:
    ServiceProcess(const std::string& executable, const std::string& database, int latencyMs,
                   int photoBytes);
    ~ServiceProcess();
    ServiceProcess(const ServiceProcess&) = delete;
    ServiceProcess& operator=(const ServiceProcess&) = delete;

    bool Running() const { return port_ > 0; }
    // "127.0.0.1:port".
    std::string Host() const;

    // Number of log lines so far; a mark to count from.
    int LogLines() const;
    // The requests whose path starts with `pathPrefix` logged after line `fromLine`. The service
    // logs a request once its answer is out, so this waits until `expected` of them are there
    // (two seconds at most).
    ServedRequests Served(int fromLine, const std::string& pathPrefix, int expected) const;

private:
    ServedRequests Count(int fromLine, const std::string& pathPrefix) const;

    std::string logPath_;
    pid_t pid_ = -1;
    int port_ = -1;
};

}  // namespace miyoutong::bench
