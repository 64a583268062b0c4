#pragma once

#include <functional>
#include <thread>

#include "common/stop_flag.h"

namespace miyoutong {

// Owns the one search worker thread. The window's owner stops it before the window and the
// regex object go away: Stop() sets the flag every fetch and loop polls, then waits.
class SearchWorker {
public:
    SearchWorker() = default;
    ~SearchWorker();
    SearchWorker(const SearchWorker&) = delete;
    SearchWorker& operator=(const SearchWorker&) = delete;

    // Runs `body` on a new thread. A previous run has unlocked the options before its thread
    // ends, so it is at most finishing: wait for it first.
    void Start(std::function<void(const StopFlag&)> body);

    // Asks the running worker to stop and waits for it.
    void Stop();

    const StopFlag& stopFlag() const { return stop_; }

private:
    std::thread thread_;
    StopFlag stop_{false};
};

}  // namespace miyoutong
