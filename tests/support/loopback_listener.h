#pragma once

// The listening end of the test servers that speak raw bytes: a socket on 127.0.0.1 at a free
// port, an acceptor that hands every connection to a thread of its own, and a stop pipe whose
// end every wait of those threads watches, so that stopping the server ends them all at once.
// Also the socket steps those servers share.

#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace miyoutong::testing_support {

class LoopbackListener {
public:
    // Runs on the connection's own thread; the socket is the callee's to close.
    using OnConnection = std::function<void(int socket)>;

    // Listens and starts accepting; aborts when it cannot, as no test could go on.
    explicit LoopbackListener(OnConnection onConnection);
    ~LoopbackListener();
    LoopbackListener(const LoopbackListener&) = delete;
    LoopbackListener& operator=(const LoopbackListener&) = delete;

    // Stops accepting, wakes every wait on StopFd() and joins every thread. A server calls it
    // first in its own destructor, while what its connection threads use is still there.
    void Stop();

    int Port() const { return port_; }
    int StopFd() const { return stopPipe_[0]; }
    // "http://127.0.0.1:<port>" followed by `target`.
    std::string Url(std::string_view target) const;

private:
    void AcceptLoop();

    OnConnection onConnection_;
    int listener_ = -1;
    int stopPipe_[2] = {-1, -1};
    int port_ = 0;
    bool stopped_ = false;
    std::vector<std::thread> connections_;
    std::thread acceptor_;
};

using SocketClock = std::chrono::steady_clock;

// A socket bound to 127.0.0.1 at a free port, which it stores in `port`; -1 on failure.
int BoundLoopbackSocket(int& port);

// Waits until `socket` has `events` (POLLIN, POLLOUT) or the listener stops: true for the
// socket, false when it stopped or the deadline passed.
bool WaitForSocket(int socket, short events, int stopFd, SocketClock::time_point deadline);

// Sends every byte, waiting as long as `patience` for room each time; false when the client has
// gone, it waited too long or the listener stopped.
bool SendAll(int socket, std::string_view bytes, int stopFd,
             std::chrono::milliseconds patience = std::chrono::seconds(30));

// Sleeps; false when the listener stopped meanwhile.
bool PauseUnlessStopped(int stopFd, std::chrono::milliseconds duration);

// Reads and drops what the client sends until it closes; false when the deadline passed or the
// listener stopped first.
bool DrainUntilClientCloses(int socket, int stopFd, SocketClock::time_point deadline);

// Closing with unread bytes would reset the connection, which can destroy the answer before the
// client read it: half-close, let the client finish (at most `patience`), then close.
void CloseGracefully(int socket, int stopFd, std::chrono::milliseconds patience);

}  // namespace miyoutong::testing_support
