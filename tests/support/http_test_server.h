#pragma once

// A real HTTP server on 127.0.0.1 and a free port, run on its own thread for the length of a
// test. Counts the requests per path so tests can tell whether something was fetched.

#include <arpa/inet.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace miyoutong::testing_support {

class HttpTestServer {
public:
    HttpTestServer() {
        // Counted before the handler runs, so a client that has its answer sees its request
        // counted.
        server_.set_pre_routing_handler(
            [this](const httplib::Request& request, httplib::Response&) {
                std::lock_guard lock(mutex_);
                ++hits_[request.path];
                targets_.push_back(request.target);
                return httplib::Server::HandlerResponse::Unhandled;
            });
    }

    ~HttpTestServer() { Stop(); }

    httplib::Server& server() { return server_; }

    // Starts listening; call after the handlers are set.
    void Start() {
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        while (!server_.is_running()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

    void Stop() {
        if (thread_.joinable()) {
            server_.stop();
            thread_.join();
        }
    }

    int port() const { return port_; }
    std::string HostAndPort() const { return "127.0.0.1:" + std::to_string(port_); }
    std::string Url(const std::string& path) const { return "http://" + HostAndPort() + path; }

    int Hits(const std::string& path) {
        std::lock_guard lock(mutex_);
        return hits_.count(path) ? hits_[path] : 0;
    }

    int TotalHits() {
        std::lock_guard lock(mutex_);
        return static_cast<int>(targets_.size());
    }

    // Request targets (path and query) in the order they arrived.
    std::vector<std::string> Targets() {
        std::lock_guard lock(mutex_);
        return targets_;
    }

private:
    httplib::Server server_;
    std::thread thread_;
    int port_ = 0;
    std::mutex mutex_;
    std::map<std::string, int> hits_;
    std::vector<std::string> targets_;
};

// A port on 127.0.0.1 where nothing listens: bound by a socket that is closed again.
inline int UnusedPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

}  // namespace miyoutong::testing_support
