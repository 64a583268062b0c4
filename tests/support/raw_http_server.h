#pragma once

// A bare TCP server on 127.0.0.1 for HTTP client tests: every accepted connection is handed to a
// handler on its own thread, which reads and writes raw bytes. It records each request exactly as
// it arrived, and it can misbehave on purpose: stay silent, drip bytes, close mid-body.

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "support/loopback_listener.h"

namespace miyoutong::testing_support {

class RawHttpServer;

// One accepted connection. Every wait ends early when the server stops.
class RawConnection {
public:
    RawConnection(int socket, RawHttpServer& server);
    ~RawConnection();
    RawConnection(const RawConnection&) = delete;
    RawConnection& operator=(const RawConnection&) = delete;

    // Reads one request: the head up to its blank line, then as many body bytes as its
    // Content-Length names. Returns (and records with the server) the bytes exactly as they came,
    // or what arrived before the client closed or the timeout passed.
    std::string ReadRequest(std::chrono::milliseconds timeout = std::chrono::seconds(5));

    bool Send(std::string_view bytes);

    // Waits until the client closes the connection; false when the timeout passed first or the
    // server stopped.
    bool WaitForClientClose(std::chrono::milliseconds timeout);

    // Sleeps; false when the server stopped meanwhile.
    bool Pause(std::chrono::milliseconds duration);

    // Ends the sending side, lets the client read what was sent and closes.
    void Close();

private:
    int socket_;
    RawHttpServer& server_;
};

class RawHttpServer {
public:
    using Handler = std::function<void(RawConnection&)>;

    // Listens on 127.0.0.1 at a free port and starts accepting.
    explicit RawHttpServer(Handler handler);
    // Stops accepting, wakes every waiting handler and joins the threads.
    ~RawHttpServer();
    RawHttpServer(const RawHttpServer&) = delete;
    RawHttpServer& operator=(const RawHttpServer&) = delete;

    int Port() const { return listener_.Port(); }
    // "http://127.0.0.1:<port>" followed by `object`.
    std::string Url(std::string_view object = "/") const { return listener_.Url(object); }

    std::vector<std::string> Requests() const;
    std::string LastRequest() const;
    int ConnectionCount() const { return connections_.load(); }

    // A handler that reads the request, sends `response` and closes.
    static Handler Reply(std::string response);

    // Internal, for RawConnection.
    int StopFd() const { return listener_.StopFd(); }
    void Record(std::string request);

private:
    Handler handler_;
    std::atomic<int> connections_{0};
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
    // Last: its threads use the members above, and it stops them before those go.
    LoopbackListener listener_;
};

// "HTTP/1.1 <status> <reason>\r\nContent-Length: <n>\r\n<extraHeaders>\r\n<body>".
std::string HttpResponse(int status, std::string_view body, std::string_view extraHeaders = "");

// A port on 127.0.0.1 that refuses connections for as long as the object lives.
class RefusingPort {
public:
    RefusingPort();
    ~RefusingPort();
    RefusingPort(const RefusingPort&) = delete;
    RefusingPort& operator=(const RefusingPort&) = delete;
    int Port() const { return port_; }

private:
    int socket_ = -1;
    int port_ = 0;
};

// A port on 127.0.0.1 where connection attempts go unanswered: its one-place accept queue is
// held full, so the kernel drops every further SYN and a connect only ends by timing out.
class UnansweredPort {
public:
    UnansweredPort();
    ~UnansweredPort();
    UnansweredPort(const UnansweredPort&) = delete;
    UnansweredPort& operator=(const UnansweredPort&) = delete;
    int Port() const { return port_; }

private:
    int listener_ = -1;
    int filler_ = -1;
    int port_ = 0;
};

}  // namespace miyoutong::testing_support
