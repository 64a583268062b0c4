#include "support/scripted_http_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace miyoutong::testing_support {

namespace {

constexpr auto kRequestTimeout = std::chrono::seconds(5);
constexpr auto kDrainTimeout = std::chrono::seconds(2);

// The request head up to its blank line; a request body (none is expected here) stays unread.
std::string ReadHead(int socket, int stopFd) {
    const auto deadline = SocketClock::now() + kRequestTimeout;
    std::string head;
    char buffer[4096];
    while (head.find("\r\n\r\n") == std::string::npos &&
           WaitForSocket(socket, POLLIN, stopFd, deadline)) {
        const ssize_t got = recv(socket, buffer, sizeof buffer, 0);
        if (got <= 0) {
            break;
        }
        head.append(buffer, static_cast<std::size_t>(got));
    }
    return head;
}

// The target of "GET <target> HTTP/1.1".
std::string TargetOf(const std::string& head) {
    const std::size_t begin = head.find(' ');
    const std::size_t end = head.find(' ', begin + 1);
    if (begin == std::string::npos || end == std::string::npos) {
        return {};
    }
    return head.substr(begin + 1, end - begin - 1);
}

}  // namespace

ScriptedConnection::ScriptedConnection(int socket, ScriptedHttpServer& server)
    : socket_(socket), server_(server) {}

ScriptedConnection::~ScriptedConnection() {
    if (socket_ >= 0) {
        CloseGracefully(socket_, server_.StopFd(), kDrainTimeout);
    }
}

bool ScriptedConnection::Send(std::string_view bytes) {
    return socket_ >= 0 && SendAll(socket_, bytes, server_.StopFd());
}

bool ScriptedConnection::SendRepeated(std::string_view pattern, std::size_t count) {
    std::string block;
    while (block.size() < 256 * 1024) {
        block += pattern;
    }
    while (count > 0) {
        const std::size_t part = count < block.size() ? count : block.size();
        if (!Send(std::string_view(block).substr(0, part))) {
            return false;
        }
        count -= part;
    }
    return true;
}

bool ScriptedConnection::Pause(std::chrono::milliseconds duration) {
    return PauseUnlessStopped(server_.StopFd(), duration);
}

void ScriptedConnection::Reset() {
    if (socket_ < 0) {
        return;
    }
    // A zero linger time makes close() send RST and drop whatever is still queued.
    linger hard{1, 0};
    setsockopt(socket_, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    close(socket_);
    socket_ = -1;
}

ScriptedHttpServer::ScriptedHttpServer(Script script)
    : script_(std::move(script)), listener_([this](int socket) { Serve(socket); }) {}

ScriptedHttpServer::~ScriptedHttpServer() {
    listener_.Stop();
}

void ScriptedHttpServer::Serve(int socket) {
    ScriptedConnection connection(socket, *this);
    const std::string target = TargetOf(ReadHead(socket, StopFd()));
    {
        std::lock_guard lock(mutex_);
        ++hits_[target.substr(0, target.find('?'))];
    }
    script_(connection, target);
}

int ScriptedHttpServer::Hits(const std::string& path) const {
    std::lock_guard lock(mutex_);
    const auto found = hits_.find(path);
    return found == hits_.end() ? 0 : found->second;
}

std::string ScriptedResponse(int status, std::string_view body, std::string_view extraHeaders) {
    return "HTTP/1.1 " + std::to_string(status) +
           " X\r\nContent-Length: " + std::to_string(body.size()) + "\r\n" +
           std::string(extraHeaders) + "\r\n" + std::string(body);
}

}  // namespace miyoutong::testing_support
