#include "tools/demo-service/demo_service.h"

#include <httplib.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <optional>

#include "tools/demo-service/demo_other_pages.h"
#include "tools/demo-service/demo_query.h"
#include "tools/demo-service/demo_result_page.h"

namespace miyoutong::demo {

namespace {

constexpr const char* kHtml = "text/html; charset=gbk";
constexpr const char* kListenAddress = "127.0.0.1";

using Clock = std::chrono::steady_clock;

// Each request is handled start to end on one worker thread, so its start time can live there
// between the pre-routing handler and the logger.
thread_local Clock::time_point requestStart;
// When the connection now served by this thread was accepted; cleared by its first request.
thread_local std::optional<Clock::time_point> connectionAccepted;

// The server's thread pool, with the moment each connection was accepted carried over to the
// thread that serves it: a request's logged time then starts there, and the wait for a free
// thread and the reading of the request count as the service's time, not as its client's.
class TimedTaskQueue : public httplib::TaskQueue {
public:
    TimedTaskQueue() : pool_(CPPHTTPLIB_THREAD_POOL_COUNT) {}

    void enqueue(std::function<void()> task) override {
        pool_.enqueue([task = std::move(task), accepted = Clock::now()] {
            connectionAccepted = accepted;
            task();
            connectionAccepted.reset();
        });
    }
    void shutdown() override { pool_.shutdown(); }

private:
    httplib::ThreadPool pool_;
};

// Only a plain host[:port] goes into the pages; anything else in the Host header could break
// out of an attribute.
bool IsPlainHost(const std::string& host) {
    if (host.empty() || host.size() > 255) {
        return false;
    }
    for (const char c : host) {
        const bool allowed = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                             (c >= '0' && c <= '9') || c == '.' || c == '-' || c == ':' ||
                             c == '[' || c == ']';
        if (!allowed) {
            return false;
        }
    }
    return true;
}

}  // namespace

DemoService::DemoService(std::vector<DemoRegion> regions, DemoServiceOptions options, LogLine log)
    : options_(options),
      population_(DemoPopulation::Build(options.seed, std::move(regions), options.memberCount)),
      photos_(options.photoBytes),
      log_(std::move(log)),
      server_(std::make_unique<httplib::Server>()) {
    Route();
}

DemoService::~DemoService() {
    Stop();
}

std::string DemoService::HostFor(const std::string& hostHeader) const {
    return IsPlainHost(hostHeader) ? hostHeader
                                   : std::string(kListenAddress) + ":" + std::to_string(port_);
}

void DemoService::Route() {
    httplib::Server& server = *server_;
    server.new_task_queue = [] { return new TimedTaskQueue; };
    server.set_pre_routing_handler([this](const httplib::Request&, httplib::Response&) {
        // A later request on a kept-alive connection starts when its handling does.
        requestStart = connectionAccepted.value_or(Clock::now());
        connectionAccepted.reset();
        if (options_.latencyMs > 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(options_.latencyMs));
        }
        return httplib::Server::HandlerResponse::Unhandled;
    });

    server.Get("/search/getfastmdata.jsps",
               [this](const httplib::Request& request, httplib::Response& response) {
                   const DemoQuery query = DemoQuery::FromParams(request.params);
                   const auto found = population_.Matching(query);
                   response.set_content(RenderResultPage(population_, query, found,
                                                         HostFor(request.get_header_value("Host"))),
                                        kHtml);
               });

    server.Get(R"(/photos/(\d{1,12})\.jpg)",
               [this](const httplib::Request& request, httplib::Response& response) {
                   const DemoMember* member = population_.Find(request.matches[1].str());
                   if (member == nullptr || member->photo == PhotoFate::Missing) {
                       response.status = 404;
                       response.set_content(RenderNotFoundPage(), kHtml);
                       return;
                   }
                   const auto body = photos_.Body(*member);
                   response.set_content(*body, "image/jpeg");
               });

    server.Get("/profile/getmemberdata.jsps", [this](const httplib::Request& request,
                                                     httplib::Response& response) {
        const DemoMember* member = population_.Find(request.get_param_value("memberid"));
        if (member == nullptr) {
            response.status = 404;
            response.set_content(RenderUnknownMemberPage(), kHtml);
            return;
        }
        response.set_content(RenderProfilePage(*member, HostFor(request.get_header_value("Host"))),
                             kHtml);
    });

    for (const char* path : {"/", "/home.html", "/download.html", "/blog.html", "/forum.html"}) {
        std::string pattern = path;
        if (const auto dot = pattern.find('.'); dot != std::string::npos) {
            pattern.insert(dot, "\\");
        }
        server.Get(pattern, [path](const httplib::Request&, httplib::Response& response) {
            response.set_content(*RenderPlainPage(path), kHtml);
        });
    }

    // Every other path, and any other method: the site's not-found page. Answers that carry a
    // page of their own (a missing photo, an unknown member) keep it.
    server.set_error_handler([](const httplib::Request&, httplib::Response& response) {
        if (response.body.empty()) {
            response.set_content(RenderNotFoundPage(), kHtml);
        }
    });

    server.set_logger([this](const httplib::Request& request, const httplib::Response& response) {
        if (!log_) {
            return;
        }
        // To the hundredth: the benchmarks add these up over whole runs.
        const double ms =
            std::chrono::duration<double, std::milli>(Clock::now() - requestStart).count();
        char line[64];
        std::snprintf(line, sizeof line, " %d %zu bytes %.2f ms", response.status,
                      response.body.size(), ms);
        log_(request.method + " " + request.target + line);
    });
}

int DemoService::Bind(int port) {
    if (port == 0) {
        port_ = server_->bind_to_any_port(kListenAddress);
    } else {
        port_ = server_->bind_to_port(kListenAddress, port) ? port : -1;
    }
    return port_;
}

bool DemoService::Serve() {
    if (port_ < 0) {
        return false;
    }
    serving_ = true;
    return server_->listen_after_bind();
}

int DemoService::Start(int port) {
    if (Bind(port) < 0) {
        return -1;
    }
    serving_ = true;
    thread_ = std::thread([this] { server_->listen_after_bind(); });
    return port_;
}

void DemoService::Stop() {
    if (serving_.exchange(false)) {
        // stop() is a no-op until the accept loop runs; the socket is bound already, so this
        // wait is short.
        const auto deadline = Clock::now() + std::chrono::seconds(5);
        while (!server_->is_running() && Clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        server_->stop();
    }
    if (thread_.joinable()) {
        thread_.join();
    }
}

}  // namespace miyoutong::demo
