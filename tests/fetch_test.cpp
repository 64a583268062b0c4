#include "web/fetch.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <thread>
#include <vector>

#include "common/gbk.h"
#include "support/raw_http_server.h"
#include "support/sanitizer_slowdown.h"

namespace miyoutong {
namespace {

using namespace std::chrono_literals;
using testing_support::HttpResponse;
using testing_support::RawConnection;
using testing_support::RawHttpServer;
using Clock = std::chrono::steady_clock;

constexpr std::string_view kUserAgentLine =
    "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)\r\n";
constexpr std::string_view kAcceptLine =
    "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, application/x-shockwave-flash, "
    "application/vnd.ms-excel, application/vnd.ms-powerpoint, application/msword, */*\r\n";
constexpr std::string_view kLanguageLine = "Accept-Language: zh-cn\r\n";
constexpr std::string_view kFormLine = "Content-Type: application/x-www-form-urlencoded\r\n";

std::string Text(const Bytes& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

long long MsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// Limits short enough for a test to see a silent server end quickly.
FetchLimits ShortLimits() {
    FetchLimits limits;
    limits.stallTimeoutMs = 300;
    limits.overallTimeoutMs = 5000;
    return limits;
}

// cpp-httplib serving on 127.0.0.1 at a free port for as long as the object lives.
class LibraryServer {
public:
    LibraryServer() {
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
    }
    ~LibraryServer() {
        server_.stop();
        thread_.join();
    }
    httplib::Server& Routes() { return server_; }
    std::string Url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }

private:
    httplib::Server server_;
    int port_ = 0;
    std::thread thread_;
};

// ---- the request on the wire ----

struct RequestCase {
    const char* name;
    std::string method, headers, postData, object;
    std::string requestLine;  // without CR LF
    // Behind libcurl's Host and User-Agent lines; "%R" stands for the Referer line.
    std::string ourHeaders;
    std::string curlTail;  // what libcurl adds behind our lines
    std::string body;
};

TEST(FetchRequest, PutsMethodPathAndHeaderTextOnTheWire) {
    const std::string defaults = std::string(kAcceptLine) + "%R" + std::string(kLanguageLine);
    const std::string gbkPath = "/" + Gbk("照 片") + "/a b.jpg?q=" + Gbk("中文") + "&x=%20";
    const RequestCase cases[] = {
        {"plain GET", "", "", "", "/a/b?c=1", "GET /a/b?c=1 HTTP/1.1", defaults, "", ""},
        {"PUT becomes GET without body", "PUT", "", "xyz", "/p", "GET /p HTTP/1.1", defaults, "",
         ""},
        {"post keeps its letters", "post", "", "a=b", "/form", "post /form HTTP/1.1",
         defaults + std::string(kFormLine) + "Content-Length: 3\r\n", "", "a=b"},
        {"Post keeps its letters", "Post", "", "q", "/", "Post / HTTP/1.1",
         defaults + std::string(kFormLine) + "Content-Length: 1\r\n", "", "q"},
        {"POST without body", "POST", "", "", "/empty", "POST /empty HTTP/1.1", defaults,
         "Content-Length: 0\r\n", ""},
        {"accept in small letters", "", "accept: text/html\r\n", "", "/", "GET / HTTP/1.1",
         "accept: text/html\r\n%R" + std::string(kLanguageLine), "", ""},
        {"last line without CR LF", "", "X-A: 1", "", "/", "GET / HTTP/1.1", "X-A: 1" + defaults,
         "", ""},
        {"all three names given", "", "Accept: a\r\nReferer: r\r\nAccept-Language: en", "", "/",
         "GET / HTTP/1.1", "Accept: a\r\nReferer: r\r\nAccept-Language: en\r\n", "", ""},
        {"line without colon kept", "", "Token\r\nX-B: 2\r\n", "", "/", "GET / HTTP/1.1",
         "Token\r\nX-B: 2\r\n" + defaults, "", ""},
        {"empty lines left out", "", "X-A: 1\r\n\r\nX-B: 2\r\n", "", "/", "GET / HTTP/1.1",
         "X-A: 1\r\nX-B: 2\r\n" + defaults, "", ""},
        {"nameless lines left out", "", ": x\r\nX-A: 1\r\n:y\r\n", "", "/", "GET / HTTP/1.1",
         "X-A: 1\r\n" + defaults, "", ""},
        {"path bytes unchanged", "", "", "", gbkPath, "GET " + gbkPath + " HTTP/1.1", defaults, "",
         ""},
    };
    for (const RequestCase& c : cases) {
        RawHttpServer server(RawHttpServer::Reply(HttpResponse(200, "ok")));
        const std::string url = server.Url(c.object);
        FetchOptions options;
        options.method = c.method;
        options.headers = c.headers;
        options.postData = c.postData;
        EXPECT_EQ(FetchText(url, options), "ok") << c.name;

        std::string ours = c.ourHeaders;
        if (const auto r = ours.find("%R"); r != std::string::npos) {
            ours.replace(r, 2, "Referer: " + url + "\r\n");
        }
        const std::string expected =
            c.requestLine + "\r\nHost: 127.0.0.1:" + std::to_string(server.Port()) + "\r\n" +
            std::string(kUserAgentLine) + ours + c.curlTail + "\r\n" + c.body;
        EXPECT_EQ(server.LastRequest(), expected) << c.name;
    }
}

TEST(FetchRequest, BigPostGoesOutWithoutWaitingForContinue) {
    RawHttpServer server(RawHttpServer::Reply(HttpResponse(200, "ok")));
    FetchOptions options;
    options.method = "POST";
    options.postData = std::string((1 << 20) + 1000, 'b');
    EXPECT_EQ(FetchText(server.Url("/big"), options), "ok");
    const std::string request = server.LastRequest();
    const std::size_t headEnd = request.find("\r\n\r\n");
    ASSERT_NE(headEnd, std::string::npos);
    const std::string head = request.substr(0, headEnd + 2);
    EXPECT_EQ(head.find("Expect:"), std::string::npos) << head;
    EXPECT_NE(head.find(std::string(kFormLine) + "Content-Length: 1049576\r\n"), std::string::npos)
        << head;
    EXPECT_EQ(request.substr(headEnd + 4), options.postData);
}

TEST(FetchRequest, ObjectPathWithLineBreakIsNotSent) {
    RawHttpServer server(RawHttpServer::Reply(HttpResponse(200, "ok")));
    std::string headers = "unchanged";
    FetchOptions options;
    options.responseHeaders = &headers;
    EXPECT_EQ(FetchText(server.Url("/a\r\nX-Injected: 1"), options), "");
    EXPECT_EQ(headers, "unchanged");
    EXPECT_EQ(server.ConnectionCount(), 0);
}

TEST(FetchRequest, ProxyGetsTheAbsoluteAddress) {
    RawHttpServer proxy(RawHttpServer::Reply(HttpResponse(200, "via proxy")));
    const std::string url = "http://Host.Invalid:8080/a b?c=1";
    FetchOptions options;
    options.proxy = "127.0.0.1:" + std::to_string(proxy.Port());
    EXPECT_EQ(FetchText(url, options), "via proxy");
    const std::string request = proxy.LastRequest();
    EXPECT_EQ(request.substr(0, request.find("\r\n")),
              "GET http://host.invalid:8080/a b?c=1 HTTP/1.1");
    EXPECT_NE(request.find("\r\nHost: host.invalid:8080\r\n"), std::string::npos) << request;
    EXPECT_NE(request.find("\r\nReferer: " + url + "\r\n"), std::string::npos) << request;
}

TEST(FetchRequest, EmptyProxyTextConnectsDirectly) {
    RawHttpServer server(RawHttpServer::Reply(HttpResponse(200, "direct")));
    FetchOptions options;
    options.proxy = "";
    EXPECT_EQ(FetchText(server.Url("/d"), options), "direct");
    EXPECT_EQ(server.LastRequest().substr(0, 18), "GET /d HTTP/1.1\r\nH");
}

TEST(FetchRequest, EnvironmentProxyIsIgnored) {
    RawHttpServer server(RawHttpServer::Reply(HttpResponse(200, "direct")));
    testing_support::RefusingPort refusing;
    const std::string proxy = "http://127.0.0.1:" + std::to_string(refusing.Port());
    setenv("http_proxy", proxy.c_str(), 1);
    setenv("ALL_PROXY", proxy.c_str(), 1);
    const std::string text = FetchText(server.Url("/e"));
    unsetenv("http_proxy");
    unsetenv("ALL_PROXY");
    EXPECT_EQ(text, "direct");
}

TEST(FetchRequest, EveryFetchOpensItsOwnConnectionAndFollowsNoRedirect) {
    // The server would keep the connection for more requests; each fetch must still connect anew.
    RawHttpServer server([](RawConnection& connection) {
        while (!connection.ReadRequest(2s).empty()) {
            connection.Send(HttpResponse(302, "moved", "Location: /elsewhere\r\n"));
        }
    });
    long status = 0;
    FetchOptions options;
    options.statusCode = &status;
    EXPECT_EQ(FetchText(server.Url("/first"), options), "moved");
    EXPECT_EQ(FetchText(server.Url("/second"), options), "moved");
    EXPECT_EQ(status, 302);
    EXPECT_EQ(server.ConnectionCount(), 2);
}

// ---- bodies ----

TEST(FetchBody, TextEndsAtTheFirstZeroByte) {
    struct Case {
        std::string body, text;
    };
    const Case cases[] = {
        {std::string("abc\0def", 7), "abc"},
        {std::string("\0x", 2), ""},
        {std::string("xyz\0", 4), "xyz"},
        {Gbk("中文") + "plain", Gbk("中文") + "plain"},
        {"", ""},
    };
    LibraryServer server;
    int number = 0;
    for (const Case& c : cases) {
        const std::string path = "/b" + std::to_string(number++);
        server.Routes().Get(path, [&c](const httplib::Request&, httplib::Response& response) {
            response.set_content(c.body, "application/octet-stream");
        });
        EXPECT_EQ(FetchText(server.Url(path)), c.text) << path;
        EXPECT_EQ(Text(FetchBytes(server.Url(path))), c.body) << path;
    }
}

TEST(FetchBody, ErrorStatusBodyIsReturnedAndStatusReported) {
    LibraryServer server;
    server.Routes().Get("/missing", [](const httplib::Request&, httplib::Response& response) {
        response.status = 404;
        response.set_content("no such page", "text/html");
    });
    server.Routes().Get("/empty", [](const httplib::Request&, httplib::Response& response) {
        response.status = 200;
    });
    long status = -1;
    FetchOptions options;
    options.statusCode = &status;
    EXPECT_EQ(FetchText(server.Url("/missing"), options), "no such page");
    EXPECT_EQ(status, 404);
    EXPECT_TRUE(FetchBytes(server.Url("/empty"), options).empty());
    EXPECT_EQ(status, 200);
}

// Serves `chunks` as a chunked body, pausing `gap` before each chunk.
void ServeChunked(LibraryServer& server, std::vector<std::string> chunks,
                  std::chrono::milliseconds gap = 0ms) {
    server.Routes().Get(
        "/chunked", [chunks, gap](const httplib::Request&, httplib::Response& response) {
            auto next = std::make_shared<std::size_t>(0);
            response.set_chunked_content_provider(
                "text/plain", [chunks, gap, next](std::size_t, httplib::DataSink& sink) {
                    std::this_thread::sleep_for(gap);
                    if (*next < chunks.size()) {
                        const std::string& chunk = chunks[(*next)++];
                        sink.write(chunk.data(), chunk.size());
                    } else {
                        sink.done();
                    }
                    return true;
                });
        });
}

TEST(FetchBody, ChunkedBodyIsJoined) {
    LibraryServer server;
    ServeChunked(server, {"first,", std::string("zero\0byte,", 10), "last"});
    EXPECT_EQ(Text(FetchBytes(server.Url("/chunked"))), std::string("first,zero\0byte,last", 20));
    EXPECT_EQ(FetchText(server.Url("/chunked")), "first,zero");
}

TEST(FetchBody, ConnectionClosedMidBodyKeepsWhatArrived) {
    RawHttpServer server([](RawConnection& connection) {
        connection.ReadRequest();
        connection.Send("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n" + std::string(40, 'x'));
    });
    EXPECT_EQ(FetchText(server.Url("/cut")), std::string(40, 'x'));
    EXPECT_EQ(FetchBytes(server.Url("/cut")).size(), 40u);
}

TEST(FetchBody, SilenceMidBodyEndsAtTheStallTimeoutKeepingWhatArrived) {
    RawHttpServer server([](RawConnection& connection) {
        connection.ReadRequest();
        connection.Send("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n0123456789");
        connection.WaitForClientClose(10s);
    });
    FetchOptions options;
    options.limits = ShortLimits();
    const auto start = Clock::now();
    EXPECT_EQ(FetchText(server.Url("/"), options), "0123456789");
    EXPECT_GE(MsSince(start), 250);
    EXPECT_LT(MsSince(start), 2000);
}

TEST(FetchBody, ServerThatNeverAnswersEndsAtTheStallTimeout) {
    RawHttpServer server([](RawConnection& connection) {
        connection.ReadRequest();
        connection.WaitForClientClose(10s);
    });
    long status = -1;
    std::string headers;
    FetchOptions options;
    options.limits = ShortLimits();
    options.statusCode = &status;
    options.responseHeaders = &headers;
    const auto start = Clock::now();
    EXPECT_TRUE(FetchBytes(server.Url("/"), options).empty());
    EXPECT_GE(MsSince(start), 250);
    EXPECT_LT(MsSince(start), 2000);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(headers, std::string(1024, ' '));
}

TEST(FetchBody, ServerThatStopsReadingEndsTheSendAtTheStallTimeout) {
    RawHttpServer server([](RawConnection& connection) { connection.Pause(10s); });
    FetchOptions options;
    options.limits = ShortLimits();
    options.method = "POST";
    options.postData = std::string(48u << 20, 'p');  // more than the loopback buffers hold
    const auto start = Clock::now();
    EXPECT_TRUE(FetchBytes(server.Url("/"), options).empty());
    EXPECT_GE(MsSince(start), 250);
    // Copying the 48 MB body alone takes a second under ThreadSanitizer.
    EXPECT_LT(MsSince(start), 2000 * testing_support::kSanitizerSlowdown);
}

TEST(FetchBody, DrippingServerEndsAtTheOverallBound) {
    // A byte every 50 ms is progress for the stall clock; only the overall bound ends it.
    RawHttpServer server([](RawConnection& connection) {
        connection.ReadRequest();
        connection.Send("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n");
        while (connection.Send("d") && connection.Pause(50ms)) {
        }
    });
    FetchOptions options;
    options.limits = ShortLimits();
    options.limits.overallTimeoutMs = 800;
    const auto start = Clock::now();
    const std::string text = FetchText(server.Url("/"), options);
    EXPECT_GE(MsSince(start), 750);
    EXPECT_LT(MsSince(start), 2000);
    EXPECT_GE(text.size(), 5u);
    EXPECT_EQ(text, std::string(text.size(), 'd'));
}

TEST(FetchBody, RefusedConnectionGivesAnEmptyResultAtOnce) {
    testing_support::RefusingPort refusing;
    long status = -1;
    std::string headers;
    FetchOptions options;
    options.statusCode = &status;
    options.responseHeaders = &headers;
    const auto start = Clock::now();
    EXPECT_EQ(FetchText("http://127.0.0.1:" + std::to_string(refusing.Port()) + "/", options), "");
    EXPECT_LT(MsSince(start), 1000);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(headers, std::string(1024, ' '));
}

TEST(FetchBody, UnansweredConnectEndsAtTheConnectTimeout) {
    testing_support::UnansweredPort unanswered;
    long status = -1;
    std::string headers;
    FetchOptions options;
    options.limits.connectTimeoutMs = 300;
    options.statusCode = &status;
    options.responseHeaders = &headers;
    const auto start = Clock::now();
    EXPECT_TRUE(
        FetchBytes("http://127.0.0.1:" + std::to_string(unanswered.Port()) + "/", options).empty());
    EXPECT_GE(MsSince(start), 250);
    EXPECT_LT(MsSince(start), 2000);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(headers, std::string(1024, ' '));
}

TEST(FetchBody, AddressThatNamesNoServerIsNotFetched) {
    const char* urls[] = {
        "http://127.0.0.1:0/a", "http://127.0.0.1:70000/a", "http://127.0.0.1:-80/a",
        "http://127.0.0.1:x/a", "http://127.0.0.1?x=1/a",   "http:///a",
        "http://127.0.0.1 /a",
    };
    for (const char* url : urls) {
        std::string headers = "unchanged";
        long status = -1;
        FetchOptions options;
        options.responseHeaders = &headers;
        options.statusCode = &status;
        EXPECT_TRUE(FetchBytes(url, options).empty()) << url;
        EXPECT_EQ(headers, "unchanged") << url;
        EXPECT_EQ(status, 0) << url;
    }
}

TEST(FetchBody, BodyPastTheCapFails) {
    const std::string fits(1000, 'c');
    const std::string over(1001, 'c');
    auto chunked = [](const std::string& body) {
        std::ostringstream hex;
        hex << std::hex << body.size();
        return "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n" + hex.str() + "\r\n" + body +
               "\r\n0\r\n\r\n";
    };
    struct Case {
        const char* name;
        std::string response;
        std::string expected;
    };
    const Case cases[] = {
        {"length at the cap", HttpResponse(200, fits), fits},
        {"length past the cap", HttpResponse(200, over), ""},
        {"chunked at the cap", chunked(fits), fits},
        {"chunked past the cap", chunked(over), ""},
    };
    for (const Case& c : cases) {
        RawHttpServer server(RawHttpServer::Reply(c.response));
        FetchOptions options;
        options.limits.maxBodyBytes = 1000;
        EXPECT_EQ(Text(FetchBytes(server.Url("/"), options)), c.expected) << c.name;
    }
}

TEST(FetchBody, HeadThatNeverEndsFails) {
    RawHttpServer server([](RawConnection& connection) {
        connection.ReadRequest();
        connection.Send("HTTP/1.1 200 OK\r\n");
        const std::string line = "X-Pad: " + std::string(1000, 'p') + "\r\n";
        while (connection.Send(line)) {
        }
    });
    const auto start = Clock::now();
    EXPECT_TRUE(FetchBytes(server.Url("/")).empty());
    EXPECT_LT(MsSince(start), 2000);
}

TEST(FetchBody, ShippedCapHoldsThirtyTwoMebibytes) {
    const std::size_t cap = FetchLimits{}.maxBodyBytes;
    ASSERT_EQ(cap, 32u << 20);
    // Chunked, so that only the running count can stop the body, not its announced length.
    RawHttpServer server([cap](RawConnection& connection) {
        const std::string request = connection.ReadRequest();
        const std::size_t size = request.find("/over") != std::string::npos ? cap + 1 : cap;
        std::ostringstream head;
        head << "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
             << std::hex << size << "\r\n";
        connection.Send(head.str());
        const std::string block(1 << 20, 'z');
        for (std::size_t sent = 0; sent < size; sent += block.size()) {
            if (!connection.Send(std::string_view(block).substr(0, size - sent))) {
                return;
            }
        }
        connection.Send("\r\n0\r\n\r\n");
    });
    EXPECT_EQ(FetchBytes(server.Url("/at")).size(), cap);
    EXPECT_TRUE(FetchBytes(server.Url("/over")).empty());
}

// ---- response headers ----

TEST(FetchHeaders, RawHeaderBlockWhenItFits) {
    const std::string filler = "X-Fill: ";
    const std::string status = "HTTP/1.1 200 OK\r\n";
    // Lines after the status line so that the whole block has exactly `size` bytes.
    auto blockOfSize = [&](std::size_t size) {
        const std::size_t fill = size - status.size() - filler.size() - 2;
        return status + filler + std::string(fill, 'f') + "\r\n";
    };
    struct Case {
        const char* name;
        std::string response;
        std::string expected;
    };
    const Case cases[] = {
        {"plain", "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nX-A: b\r\n\r\nhi",
         "HTTP/1.1 200 OK\r\nContent-Length: 2\r\nX-A: b\r\n"},
        {"bare line feeds", "HTTP/1.1 404 Not Found\nContent-Length: 2\n\nhi",
         "HTTP/1.1 404 Not Found\r\nContent-Length: 2\r\n"},
        {"interim response skipped",
         "HTTP/1.1 100 Continue\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nhi",
         "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n"},
        {"1023 bytes fit", blockOfSize(1023) + "\r\nbody", blockOfSize(1023)},
        {"1024 bytes do not", blockOfSize(1024) + "\r\nbody", std::string(1024, ' ')},
    };
    for (const Case& c : cases) {
        RawHttpServer server(RawHttpServer::Reply(c.response));
        std::string headers;
        FetchOptions options;
        options.responseHeaders = &headers;
        EXPECT_NE(FetchText(server.Url("/"), options), "") << c.name;
        EXPECT_EQ(headers, c.expected) << c.name;
    }
}

// ---- waiting ----

TEST(FetchWaiting, PendingEventsAreHandledWhileASlowResponseIsAwaited) {
    LibraryServer server;
    ServeChunked(server, {"a", "b", "c", "d", "e", "f"}, 60ms);
    std::vector<Clock::time_point> calls;
    std::vector<std::thread::id> threads;
    FetchOptions options;
    options.handlePendingEvents = [&] {
        calls.push_back(Clock::now());
        threads.push_back(std::this_thread::get_id());
    };
    EXPECT_EQ(FetchText(server.Url("/chunked"), options), "abcdef");
    ASSERT_GE(calls.size(), 10u);
    for (std::size_t i = 1; i < calls.size(); ++i) {
        EXPECT_LT(calls[i] - calls[i - 1], 200ms) << "call " << i;
    }
    for (const std::thread::id& id : threads) {
        EXPECT_EQ(id, std::this_thread::get_id());
    }
}

TEST(FetchWaiting, AFetchMayRunInsideTheEventHandler) {
    LibraryServer server;
    ServeChunked(server, {"outer ", "body"}, 100ms);
    server.Routes().Get("/inner", [](const httplib::Request&, httplib::Response& response) {
        response.set_content("inner body", "text/plain");
    });
    std::string inner;
    FetchOptions options;
    options.handlePendingEvents = [&] {
        if (inner.empty()) {
            inner = FetchText(server.Url("/inner"));
        }
    };
    EXPECT_EQ(FetchText(server.Url("/chunked"), options), "outer body");
    EXPECT_EQ(inner, "inner body");
}

TEST(FetchWaiting, AbortEndsTheFetchPromptly) {
    RawHttpServer server([](RawConnection& connection) {
        connection.ReadRequest();
        connection.Send("HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\npartial");
        connection.WaitForClientClose(10s);
    });
    std::atomic<bool> abort{false};
    Clock::time_point abortedAt;
    std::thread trigger([&] {
        std::this_thread::sleep_for(300ms);
        abortedAt = Clock::now();
        abort = true;
    });
    FetchOptions options;
    options.shouldAbort = [&] { return abort.load(); };
    const Bytes body = FetchBytes(server.Url("/"), options);
    const auto returnedAt = Clock::now();
    trigger.join();
    EXPECT_TRUE(body.empty());
    EXPECT_LT(returnedAt - abortedAt, 150ms);
}

}  // namespace
}  // namespace miyoutong
