#pragma once

// One HTTP/1.1 exchange on libcurl, with the request put on the wire as given: the method and the
// request target byte for byte, the header text in one piece. The transfer runs on a multi handle
// in short wait slices so that the caller's pending events are handled while it waits.

#include <curl/curl.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "common/bytes.h"
#include "web/fetch.h"

namespace miyoutong {

struct HttpRequest {
    std::string host;
    int port = 80;
    std::string method;      // sent as written
    std::string target;      // the request line's object path
    std::string headerText;  // lines ending in "\r\n"; the last may lack it
    bool sendBody = false;   // a POST: `body` goes out, even when empty
    std::string body;
    std::optional<std::string> proxy;
};

struct HttpExchangeResult {
    bool sent = false;  // false when the request could not be set up at all
    Bytes body;         // empty after a failure; the bytes received when a read failed part-way
    std::optional<std::string> headerBlock;  // final response: status line and header lines
    long status = 0;
    bool complete = false;  // the whole answer arrived
};

class HttpExchange {
public:
    HttpExchange(const HttpRequest& request, const FetchOptions& options);

    HttpExchangeResult Run();

private:
    static std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* self);
    static std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* self);

    bool AcceptBody(const char* data, std::size_t length);
    bool AcceptHeaderLine(std::string_view line);

    const HttpRequest& request_;
    const FetchOptions& options_;
    CURL* easy_ = nullptr;  // valid while Run() works

    Bytes body_;
    std::size_t receivedBytes_ = 0;  // header and body bytes, for the stall clock
    bool failed_ = false;            // body over the cap, headers without end, or aborted

    std::string block_;  // header block of the response being read
    bool inBlock_ = false;
    bool haveFinalBlock_ = false;  // a block with a final (not 1xx) status has ended
    std::size_t headerBytes_ = 0;
};

}  // namespace miyoutong
