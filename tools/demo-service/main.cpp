// miyoutong-demo-service: the local stand-in for the dating service.

#include <charconv>
#include <cstdio>
#include <iostream>
#include <string>
#include <string_view>

#include "common/program_directory.h"
#include "tools/demo-service/demo_region_loader.h"
#include "tools/demo-service/demo_service.h"

namespace {

constexpr int kDefaultPort = 18080;

void PrintUsage() {
    std::cerr << "usage: miyoutong-demo-service [--port N] [--seed N] [--latency-ms N] "
                 "[--photo-bytes N] [--data FILE]\n"
                 "  --port N        port on 127.0.0.1, 0 for any free port (default 18080)\n"
                 "  --seed N        which made-up population to serve (default 1)\n"
                 "  --latency-ms N  wait N ms before every response (default 0)\n"
                 "  --photo-bytes N pad every photo to at least N bytes (default 0: as made)\n"
                 "  --data FILE     region database (default data.db beside the program)\n";
}

template <typename Number>
bool ReadNumber(std::string_view text, Number& value, Number low, Number high) {
    Number parsed{};
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, parsed);
    if (text.empty() || ec != std::errc() || ptr != end || parsed < low || parsed > high) {
        return false;
    }
    value = parsed;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace miyoutong;
    int port = kDefaultPort;
    demo::DemoServiceOptions options;
    std::string dataPath = JoinPath(ExecutableDirectory(), "data.db");

    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            PrintUsage();
            return 0;
        }
        if (i + 1 >= argc) {
            std::cerr << "miyoutong-demo-service: " << arg << " needs a value\n";
            PrintUsage();
            return 2;
        }
        const std::string_view value = argv[++i];
        bool ok = true;
        if (arg == "--port") {
            ok = ReadNumber(value, port, 0, 65535);
        } else if (arg == "--seed") {
            ok = ReadNumber<std::uint64_t>(value, options.seed, 0, UINT64_MAX);
        } else if (arg == "--latency-ms") {
            ok = ReadNumber(value, options.latencyMs, 0, 600000);
        } else if (arg == "--photo-bytes") {
            ok = ReadNumber(value, options.photoBytes, 0, 16 << 20);
        } else if (arg == "--data") {
            dataPath = value;
        } else {
            std::cerr << "miyoutong-demo-service: unknown option " << arg << "\n";
            PrintUsage();
            return 2;
        }
        if (!ok) {
            std::cerr << "miyoutong-demo-service: bad value for " << arg << ": " << value << "\n";
            return 2;
        }
    }

    std::string error;
    auto regions = demo::LoadDemoRegions(dataPath, &error);
    if (!regions) {
        std::cerr << "miyoutong-demo-service: " << error << "\n";
        return 1;
    }

    demo::DemoService service(std::move(*regions), options, [](const std::string& line) {
        std::fprintf(stderr, "%s\n", line.c_str());
    });
    const int bound = service.Bind(port);
    if (bound < 0) {
        std::cerr << "miyoutong-demo-service: cannot listen on 127.0.0.1:" << port << "\n";
        return 1;
    }
    std::printf("listening on 127.0.0.1:%d\n", bound);
    std::fflush(stdout);
    return service.Serve() ? 0 : 1;
}
