#pragma once

// A bare TCP server on 127.0.0.1 that answers every request with a script chosen by its path, for
// servers that misbehave on purpose: answers of any size, bytes that are not HTTP, drips, cuts
// and resets in the middle of a body. Each connection is served on its own thread; stopping the
// server wakes every script that waits or sends.

#include <chrono>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <string_view>

#include "support/loopback_listener.h"

namespace miyoutong::testing_support {

class ScriptedHttpServer;

// One accepted connection. Closed gracefully when the script returns, unless it was reset.
class ScriptedConnection {
public:
    ScriptedConnection(int socket, ScriptedHttpServer& server);
    ~ScriptedConnection();
    ScriptedConnection(const ScriptedConnection&) = delete;
    ScriptedConnection& operator=(const ScriptedConnection&) = delete;

    // Sends all bytes; false when the client has gone or the server stops.
    bool Send(std::string_view bytes);
    // Sends `count` bytes of `pattern` repeated; false as for Send.
    bool SendRepeated(std::string_view pattern, std::size_t count);
    // Sleeps; false when the server stops meanwhile.
    bool Pause(std::chrono::milliseconds duration);
    // Ends the connection with a reset instead of an orderly close.
    void Reset();

private:
    int socket_;
    ScriptedHttpServer& server_;
};

class ScriptedHttpServer {
public:
    // Gets the request target (path and query) and answers on the connection.
    using Script = std::function<void(ScriptedConnection&, const std::string& target)>;

    explicit ScriptedHttpServer(Script script);
    ~ScriptedHttpServer();
    ScriptedHttpServer(const ScriptedHttpServer&) = delete;
    ScriptedHttpServer& operator=(const ScriptedHttpServer&) = delete;

    // "http://127.0.0.1:<port>" followed by `target`.
    std::string Url(std::string_view target) const { return listener_.Url(target); }
    // Requests whose path (the target without its query) was `path`.
    int Hits(const std::string& path) const;

    // Internal, for ScriptedConnection.
    int StopFd() const { return listener_.StopFd(); }

private:
    void Serve(int socket);

    Script script_;
    mutable std::mutex mutex_;
    std::map<std::string, int> hits_;
    // Last: its threads use the members above, and it stops them before those go.
    LoopbackListener listener_;
};

// "HTTP/1.1 <status> X\r\nContent-Length: <size>\r\n<extraHeaders>\r\n" and the body.
std::string ScriptedResponse(int status, std::string_view body, std::string_view extraHeaders = "");

}  // namespace miyoutong::testing_support
