#include "support/raw_http_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>

namespace miyoutong::test {

namespace {

using Clock = std::chrono::steady_clock;

int RemainingMs(Clock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, 60'000));
}

// A socket bound to 127.0.0.1 at a free port; -1 on failure.
int BoundSocket(int& port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return -1;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    socklen_t length = sizeof address;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        close(fd);
        return -1;
    }
    port = ntohs(address.sin_port);
    return fd;
}

// The Content-Length value of a request head, 0 when there is none.
std::size_t ContentLength(std::string_view head) {
    std::string lower(head);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const std::size_t name = lower.find("\r\ncontent-length:");
    if (name == std::string::npos) {
        return 0;
    }
    return static_cast<std::size_t>(std::strtoull(lower.c_str() + name + 17, nullptr, 10));
}

}  // namespace

RawConnection::RawConnection(int socket, RawHttpServer& server)
    : socket_(socket), server_(server) {}

RawConnection::~RawConnection() {
    Close();
}

bool RawConnection::WaitReadable(Clock::time_point deadline) {
    pollfd fds[2] = {{socket_, POLLIN, 0}, {server_.StopFd(), POLLIN, 0}};
    while (true) {
        const int ready = poll(fds, 2, RemainingMs(deadline));
        if (ready > 0) {
            return (fds[1].revents & POLLIN) == 0;
        }
        if (ready == 0 || errno != EINTR) {
            return false;
        }
    }
}

std::string RawConnection::ReadRequest(std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    std::string request;
    std::size_t wanted = std::string::npos;  // total size, known once the head is complete
    char buffer[4096];
    while (socket_ >= 0 && request.size() != wanted && WaitReadable(deadline)) {
        const std::size_t room = wanted == std::string::npos
                                     ? sizeof buffer
                                     : std::min(sizeof buffer, wanted - request.size());
        const ssize_t got = recv(socket_, buffer, room, 0);
        if (got <= 0) {
            break;
        }
        request.append(buffer, static_cast<std::size_t>(got));
        if (wanted == std::string::npos) {
            const std::size_t headEnd = request.find("\r\n\r\n");
            if (headEnd != std::string::npos) {
                wanted =
                    headEnd + 4 + ContentLength(std::string_view(request).substr(0, headEnd + 2));
            }
        }
    }
    server_.Record(request);
    return request;
}

bool RawConnection::Send(std::string_view bytes) {
    while (socket_ >= 0 && !bytes.empty()) {
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

bool RawConnection::WaitForClientClose(std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    char buffer[4096];
    while (socket_ >= 0 && WaitReadable(deadline)) {
        const ssize_t got = recv(socket_, buffer, sizeof buffer, 0);
        if (got == 0 || (got < 0 && errno != EINTR)) {
            return true;
        }
    }
    return false;
}

bool RawConnection::Pause(std::chrono::milliseconds duration) {
    pollfd stop{server_.StopFd(), POLLIN, 0};
    const auto deadline = Clock::now() + duration;
    while (Clock::now() < deadline) {
        if (poll(&stop, 1, RemainingMs(deadline)) > 0) {
            return false;
        }
    }
    return true;
}

void RawConnection::Close() {
    if (socket_ < 0) {
        return;
    }
    // Closing with unread bytes would reset the connection and could destroy the response
    // before the client read it; so half-close and drain first.
    shutdown(socket_, SHUT_WR);
    WaitForClientClose(std::chrono::seconds(2));
    close(socket_);
    socket_ = -1;
}

RawHttpServer::RawHttpServer(Handler handler) : handler_(std::move(handler)) {
    if (pipe2(stopPipe_, O_CLOEXEC) != 0) {
        std::abort();
    }
    listener_ = BoundSocket(port_);
    if (listener_ < 0 || listen(listener_, 64) != 0) {
        std::abort();
    }
    acceptor_ = std::thread([this] { AcceptLoop(); });
}

RawHttpServer::~RawHttpServer() {
    const char stop = 's';
    (void)!write(stopPipe_[1], &stop, 1);
    acceptor_.join();
    std::vector<std::thread> workers;
    {
        std::lock_guard lock(mutex_);
        workers.swap(workers_);
    }
    for (std::thread& worker : workers) {
        worker.join();
    }
    close(listener_);
    close(stopPipe_[0]);
    close(stopPipe_[1]);
}

void RawHttpServer::AcceptLoop() {
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
        if (socket < 0) {
            continue;
        }
        ++connections_;
        std::lock_guard lock(mutex_);
        workers_.emplace_back([this, socket] {
            RawConnection connection(socket, *this);
            handler_(connection);
        });
    }
}

std::string RawHttpServer::Url(std::string_view object) const {
    return "http://127.0.0.1:" + std::to_string(port_) + std::string(object);
}

std::vector<std::string> RawHttpServer::Requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
}

std::string RawHttpServer::LastRequest() const {
    std::lock_guard lock(mutex_);
    return requests_.empty() ? std::string() : requests_.back();
}

void RawHttpServer::Record(std::string request) {
    std::lock_guard lock(mutex_);
    requests_.push_back(std::move(request));
}

RawHttpServer::Handler RawHttpServer::Reply(std::string response) {
    return [response = std::move(response)](RawConnection& connection) {
        connection.ReadRequest();
        connection.Send(response);
    };
}

std::string HttpResponse(int status, std::string_view body, std::string_view extraHeaders) {
    const char* reason = status == 200 ? "OK" : status == 404 ? "Not Found" : "Status";
    return "HTTP/1.1 " + std::to_string(status) + " " + reason +
           "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n" +
           std::string(extraHeaders) + "\r\n" + std::string(body);
}

RefusingPort::RefusingPort() {
    // Bound but not listening: the kernel answers every connection attempt with a reset.
    socket_ = BoundSocket(port_);
    if (socket_ < 0) {
        std::abort();
    }
}

RefusingPort::~RefusingPort() {
    close(socket_);
}

UnansweredPort::UnansweredPort() {
    listener_ = BoundSocket(port_);
    filler_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port_));
    if (listener_ < 0 || filler_ < 0 || listen(listener_, 0) != 0 ||
        connect(filler_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        std::abort();
    }
}

UnansweredPort::~UnansweredPort() {
    close(filler_);
    close(listener_);
}

}  // namespace miyoutong::test
