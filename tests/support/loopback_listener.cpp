#include "support/loopback_listener.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

namespace miyoutong::testing_support {

namespace {

int MsUntil(SocketClock::time_point deadline) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - SocketClock::now())
            .count();
    return static_cast<int>(std::clamp<long long>(left, 0, 60'000));
}

}  // namespace

LoopbackListener::LoopbackListener(OnConnection onConnection)
    : onConnection_(std::move(onConnection)) {
    listener_ = BoundLoopbackSocket(port_);
    if (pipe2(stopPipe_, O_CLOEXEC) != 0 || listener_ < 0 || listen(listener_, 64) != 0) {
        std::abort();
    }
    acceptor_ = std::thread([this] { AcceptLoop(); });
}

LoopbackListener::~LoopbackListener() {
    Stop();
    close(listener_);
    close(stopPipe_[0]);
    close(stopPipe_[1]);
}

void LoopbackListener::Stop() {
    if (stopped_) {
        return;
    }
    stopped_ = true;
    const char stop = 's';
    (void)!write(stopPipe_[1], &stop, 1);
    acceptor_.join();
    // The acceptor has ended: nobody adds to the list any more.
    for (std::thread& connection : connections_) {
        connection.join();
    }
}

std::string LoopbackListener::Url(std::string_view target) const {
    return "http://127.0.0.1:" + std::to_string(port_) + std::string(target);
}

void LoopbackListener::AcceptLoop() {
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
            connections_.emplace_back([this, socket] { onConnection_(socket); });
        }
    }
}

int BoundLoopbackSocket(int& port) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return -1;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        close(fd);
        return -1;
    }
    port = ntohs(address.sin_port);
    return fd;
}

bool WaitForSocket(int socket, short events, int stopFd, SocketClock::time_point deadline) {
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

bool SendAll(int socket, std::string_view bytes, int stopFd, std::chrono::milliseconds patience) {
    while (!bytes.empty()) {
        if (!WaitForSocket(socket, POLLOUT, stopFd, SocketClock::now() + patience)) {
            return false;
        }
        const ssize_t sent = send(socket, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) {
            continue;
        }
        if (sent <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(sent));
    }
    return true;
}

bool PauseUnlessStopped(int stopFd, std::chrono::milliseconds duration) {
    pollfd stop{stopFd, POLLIN, 0};
    const auto deadline = SocketClock::now() + duration;
    while (SocketClock::now() < deadline) {
        if (poll(&stop, 1, MsUntil(deadline)) > 0) {
            return false;
        }
    }
    return true;
}

bool DrainUntilClientCloses(int socket, int stopFd, SocketClock::time_point deadline) {
    char buffer[4096];
    while (WaitForSocket(socket, POLLIN, stopFd, deadline)) {
        const ssize_t got = recv(socket, buffer, sizeof buffer, 0);
        if (got == 0 || (got < 0 && errno != EINTR)) {
            return true;
        }
    }
    return false;
}

void CloseGracefully(int socket, int stopFd, std::chrono::milliseconds patience) {
    shutdown(socket, SHUT_WR);
    DrainUntilClientCloses(socket, stopFd, SocketClock::now() + patience);
    close(socket);
}

}  // namespace miyoutong::testing_support
