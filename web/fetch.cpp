#include "web/fetch.h"

#include <utility>

#include "common/text.h"
#include "web/http_exchange.h"
#include "web/request_head.h"
#include "web/url.h"

namespace miyoutong {

namespace {

constexpr std::size_t kResponseHeaderBuffer = 1024;

// FetchText and FetchBytes differ only in how they hand the body back.
Bytes Fetch(const std::string& url, const FetchOptions& options) {
    HttpRequest request;
    request.host = UrlHost(url);
    request.port = UrlPort(url);
    request.method = MethodByRule(options.method);
    request.target = UrlObject(url);
    request.headerText = RequestHeaderText(options.headers, url, request.method, options.postData);
    if (request.method != "GET") {
        request.sendBody = true;
        request.body = options.postData;
    }
    request.proxy = options.proxy;

    HttpExchangeResult exchange = HttpExchange(request, options).Run();
    if (options.statusCode) {
        *options.statusCode = exchange.status;
    }
    if (options.complete) {
        *options.complete = exchange.complete;
    }
    if (options.responseHeaders && exchange.sent) {
        // The block and its terminating zero byte must fit the buffer; otherwise the buffer
        // keeps its blanks.
        const bool fits =
            exchange.headerBlock && exchange.headerBlock->size() < kResponseHeaderBuffer;
        *options.responseHeaders =
            fits ? std::move(*exchange.headerBlock) : std::string(kResponseHeaderBuffer, ' ');
    }
    return std::move(exchange.body);
}

}  // namespace

std::string FetchText(const std::string& url, const FetchOptions& options) {
    return BytesToText(Fetch(url, options));
}

Bytes FetchBytes(const std::string& url, const FetchOptions& options) {
    return Fetch(url, options);
}

}  // namespace miyoutong
