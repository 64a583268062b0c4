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

namespace miyoutong::testing_support {

namespace {

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

std::string RawConnection::ReadRequest(std::chrono::milliseconds timeout) {
    const auto deadline = SocketClock::now() + timeout;
    std::string request;
    std::size_t wanted = std::string::npos;  // total size, known once the head is complete
    char buffer[4096];
    while (socket_ >= 0 && request.size() != wanted &&
           WaitForSocket(socket_, POLLIN, server_.StopFd(), deadline)) {
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
    return socket_ >= 0 && SendAll(socket_, bytes, server_.StopFd());
}

bool RawConnection::WaitForClientClose(std::chrono::milliseconds timeout) {
    return socket_ >= 0 &&
           DrainUntilClientCloses(socket_, server_.StopFd(), SocketClock::now() + timeout);
}

bool RawConnection::Pause(std::chrono::milliseconds duration) {
    return PauseUnlessStopped(server_.StopFd(), duration);
}

void RawConnection::Close() {
    if (socket_ < 0) {
        return;
    }
    CloseGracefully(socket_, server_.StopFd(), std::chrono::seconds(2));
    socket_ = -1;
}

RawHttpServer::RawHttpServer(Handler handler)
    : handler_(std::move(handler)), listener_([this](int socket) {
          ++connections_;
          RawConnection connection(socket, *this);
          handler_(connection);
      }) {}

RawHttpServer::~RawHttpServer() {
    listener_.Stop();
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
    socket_ = BoundLoopbackSocket(port_);
    if (socket_ < 0) {
        std::abort();
    }
}

RefusingPort::~RefusingPort() {
    close(socket_);
}

UnansweredPort::UnansweredPort() {
    listener_ = BoundLoopbackSocket(port_);
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

}  // namespace miyoutong::testing_support
