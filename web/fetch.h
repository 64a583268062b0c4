#pragma once

// One HTTP exchange for a URL, handing back the response body. A fetch never reports an error:
// whatever goes wrong, the caller gets an empty result (or the bytes that arrived before a read
// failed) and carries on.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>

#include "common/bytes.h"

namespace miyoutong {

struct FetchLimits {  // shipped values; tests may shorten them
    long connectTimeoutMs = 18000;
    long stallTimeoutMs =
        18000;  // a receive or send that makes no progress this long ends the fetch
    long overallTimeoutMs = 10 * 60 * 1000;
    std::size_t maxBodyBytes = 32u << 20;  // past this the fetch fails (empty result)
};

struct FetchOptions {
    std::string
        method;  // empty -> GET; only a method that reads "POST" in capitals stays as written
    std::optional<std::string> proxy;  // supplied (even empty) -> HTTP proxy "http=" + proxy
    std::string headers;               // extra request header lines, each ending in "\r\n"
    std::string postData;              // body of a POST
    // When supplied and the request went out: the response's status line and header lines, each
    // ending in "\r\n", when they fit into 1023 bytes; otherwise 1024 blanks.
    std::string* responseHeaders = nullptr;
    long* statusCode = nullptr;  // HTTP status of the response, 0 when none arrived
    // When supplied: whether the whole answer arrived, ended as HTTP ends it (the announced
    // length, the last chunk, or the close of a body without length) and not cut short by a
    // failed read, a stall, the time bound, the size cap or an abort.
    bool* complete = nullptr;
    std::function<void()> handlePendingEvents;  // called before every read / between wait slices
    // Polled between wait slices; true ends the fetch with the failure result at once.
    std::function<bool()> shouldAbort;
    FetchLimits limits;
};

// The body up to, not including, its first zero byte.
std::string FetchText(const std::string& url, const FetchOptions& options = {});

// The whole body, byte for byte.
Bytes FetchBytes(const std::string& url, const FetchOptions& options = {});

}  // namespace miyoutong
