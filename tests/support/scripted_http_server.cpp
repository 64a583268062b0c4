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

using Clock = std::chrono::steady_clock;

constexpr auto kRequestTimeout = std::chrono::seconds(5);
constexpr auto kDrainTimeout = std::chrono::seconds(2);

int MsUntil(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left < 0 ? 0 : static_cast<int>(left);
}

// Waits until `socket` has `events` or the stop pipe is readable; true for the socket.
bool WaitFor(int socket, short events, int stopFd, Clock::time_point deadline) {
    pollfd fds[2] = {{socket, events, 0}, {stopFd, POLLIN, 0}};
    while (true) {
        const int ready = poll(fds, 2, MsUntil(deadline));
        if (ready > 0) {
            return (fds[1].revents & POLLIN) == 0;
        }
        if (ready == 0 || errno != EINTR) {
            return false;
        }
    }
}

// The request head up to its blank line; a request body (none is expected here) stays unread.
std::string ReadHead(int socket, int stopFd) {
    const auto deadline = Clock::now() + kRequestTimeout;
    std::string head;
    char buffer[4096];
    while (head.find("\r\n\r\n") == std::string::npos &&
           WaitFor(socket, POLLIN, stopFd, deadline)) {
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
    CloseGracefully();
}

bool ScriptedConnection::WaitWritable() {
    return WaitFor(socket_, POLLOUT, server_.StopFd(), Clock::now() + std::chrono::seconds(30));
}

bool ScriptedConnection::Send(std::string_view bytes) {
    while (socket_ >= 0 && !bytes.empty()) {
        if (!WaitWritable()) {
            return false;
        }
        const ssize_t sent = send(socket_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) {
            continue;
        }
        if (sent <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return socket_ >= 0;
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
    pollfd stop{server_.StopFd(), POLLIN, 0};
    const auto deadline = Clock::now() + duration;
    while (Clock::now() < deadline) {
        if (poll(&stop, 1, MsUntil(deadline)) > 0) {
            return false;
        }
    }
    return true;
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

void ScriptedConnection::CloseGracefully() {
    if (socket_ < 0) {
        return;
    }
    // Closing with unread bytes would turn into a reset that can destroy the answer before the
    // client read it: half-close, let the client finish, then close.
    shutdown(socket_, SHUT_WR);
    const auto deadline = Clock::now() + kDrainTimeout;
    char buffer[4096];
    while (WaitFor(socket_, POLLIN, server_.StopFd(), deadline)) {
        const ssize_t got = recv(socket_, buffer, sizeof buffer, 0);
        if (got == 0 || (got < 0 && errno != EINTR)) {
            break;
        }
    }
    close(socket_);
    socket_ = -1;
}

ScriptedHttpServer::ScriptedHttpServer(Script script) : script_(std::move(script)) {
    listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (pipe2(stopPipe_, O_CLOEXEC) != 0 || listener_ < 0 ||
        bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) != 0 ||
        listen(listener_, 64) != 0) {
        std::abort();
    }
    port_ = ntohs(address.sin_port);
    acceptor_ = std::thread([this] { AcceptLoop(); });
}

ScriptedHttpServer::~ScriptedHttpServer() {
    const char stop = 's';
    (void)!write(stopPipe_[1], &stop, 1);
    acceptor_.join();
    for (std::thread& worker : workers_) {
        worker.join();
    }
    close(listener_);
    close(stopPipe_[0]);
    close(stopPipe_[1]);
}

void ScriptedHttpServer::AcceptLoop() {
    pollfd fds[2] = {{listener_, POLLIN, 0}, {stopPipe_[0], POLLIN, 0}};
    while (true) {
        if (poll(fds, 2, -1) < 0) {
            if (errno == EINTR) {
                continue;
            }
            return;
        }
        if (fds[1].revents & POLLIN) {
            return;
        }
        const int socket = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
        if (socket >= 0) {
            workers_.emplace_back([this, socket] { Serve(socket); });
        }
    }
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

std::string ScriptedHttpServer::Url(std::string_view target) const {
    return "http://127.0.0.1:" + std::to_string(port_) + std::string(target);
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
