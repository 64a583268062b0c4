#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "tools/demo-service/demo_photo_cache.h"
#include "tools/demo-service/demo_population.h"
#include "tools/demo-service/demo_region.h"

namespace httplib {
class Server;
}

namespace miyoutong::demo {

struct DemoServiceOptions {
    std::uint64_t seed = 1;
    int latencyMs = 0;  // waited before every response
    int memberCount = DemoPopulation::kDefaultSize;
    // 0: photos as rendered (about 6 KB); otherwise every photo is padded to at least this many
    // bytes, as larger real photos are.
    int photoBytes = 0;
};

// The local stand-in for the dating service on 127.0.0.1: result pages, photos, profile pages
// and the site's plain pages. Logs one line per request through `log`.
class DemoService {
public:
    using LogLine = std::function<void(const std::string&)>;

    DemoService(std::vector<DemoRegion> regions, DemoServiceOptions options, LogLine log = {});
    ~DemoService();
    DemoService(const DemoService&) = delete;
    DemoService& operator=(const DemoService&) = delete;

    // Binds 127.0.0.1:`port`, 0 for any free port. The bound port, or -1.
    int Bind(int port);

    // Answers requests until Stop(); blocks. False when not bound.
    bool Serve();

    // Bind() and Serve() on a thread of the service's own.
    int Start(int port);

    // Ends Serve() (waiting for it to have begun) and joins the thread of Start().
    void Stop();

    int Port() const { return port_; }
    const DemoPopulation& Population() const { return population_; }

private:
    void Route();
    std::string HostFor(const std::string& hostHeader) const;

    DemoServiceOptions options_;
    DemoPopulation population_;
    DemoPhotoCache photos_;
    LogLine log_;
    std::unique_ptr<httplib::Server> server_;
    std::thread thread_;
    std::atomic<bool> serving_{false};
    int port_ = -1;
};

}  // namespace miyoutong::demo
