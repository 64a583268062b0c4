#include "web/http_exchange.h"

#include <chrono>
#include <cstdlib>
#include <memory>
#include <utility>
#include <vector>

namespace miyoutong {

namespace {

constexpr char kUserAgent[] = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";
constexpr int kWaitSliceMs = 20;
constexpr long kDefaultProxyPort = 80;
constexpr long kReceiveBufferBytes = 256 * 1024;
// Header lines of one response beyond this are a server that never ends its head.
constexpr std::size_t kMaxHeaderBytes = 1u << 20;

struct EasyDeleter {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct MultiDeleter {
    void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};
struct ListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
struct UrlDeleter {
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};
using EasyHandle = std::unique_ptr<CURL, EasyDeleter>;
using MultiHandle = std::unique_ptr<CURLM, MultiDeleter>;
using HeaderList = std::unique_ptr<curl_slist, ListDeleter>;
using UrlHandle = std::unique_ptr<CURLU, UrlDeleter>;

// Bytes a server name cannot hold; libcurl's own check lets some of them through.
bool IsUsableHost(std::string_view host) {
    if (host.empty()) {
        return false;
    }
    for (const char c : host) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte <= 0x20 || byte == 0x7F || c == '%' || c == '[' || c == ']') {
            return false;
        }
    }
    return true;
}

// CR, LF or NUL in the request line would end it early or split it into header lines.
bool IsUsableTarget(std::string_view target) {
    return target.find_first_of(std::string_view("\r\n\0", 3)) == std::string_view::npos;
}

// "http://host:port/" with the host checked by libcurl's URL parser; empty when unusable.
UrlHandle ServerUrl(const std::string& host, int port) {
    if (!IsUsableHost(host) || port < 1 || port > 65535) {
        return nullptr;
    }
    UrlHandle url(curl_url());
    const std::string portText = std::to_string(port);
    if (!url || curl_url_set(url.get(), CURLUPART_SCHEME, "http", 0) != CURLUE_OK ||
        curl_url_set(url.get(), CURLUPART_HOST, host.c_str(), 0) != CURLUE_OK ||
        curl_url_set(url.get(), CURLUPART_PORT, portText.c_str(), 0) != CURLUE_OK ||
        curl_url_set(url.get(), CURLUPART_PATH, "/", 0) != CURLUE_OK) {
        return nullptr;
    }
    return url;
}

// The header text goes to libcurl as one list entry: libcurl sends an entry as it is followed by
// CR LF, so every line of ours keeps its bytes and order, a line without a colon included (libcurl
// drops such a line when it stands alone). Left out are empty lines, which would end the request
// head early and turn the rest into body, and lines with an empty name (starting with ":"), which
// no server takes and which would make libcurl drop the whole entry when one comes first.
std::string HeaderEntry(std::string_view text) {
    std::string entry;
    entry.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t end = text.find("\r\n", pos);
        const std::string_view line =
            text.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
        if (!line.empty() && line.front() != ':') {
            if (!entry.empty()) {
                entry += "\r\n";
            }
            entry += line;
        }
        pos = end == std::string_view::npos ? text.size() : end + 2;
    }
    return entry;
}

bool Append(HeaderList& list, const std::string& line) {
    curl_slist* grown = curl_slist_append(list.get(), line.c_str());
    if (!grown) {
        return false;
    }
    list.release();
    list.reset(grown);
    return true;
}

// Our header lines, then empty entries that stop libcurl from adding an Accept line, an
// "Expect: 100-continue" or content lines of its own.
HeaderList RequestHeaderList(const HttpRequest& request) {
    HeaderList list;
    const std::string entry = HeaderEntry(request.headerText);
    if (!entry.empty() && !Append(list, entry)) {
        return nullptr;
    }
    std::vector<std::string> suppressed = {"Accept:", "Expect:"};
    if (request.sendBody) {
        suppressed.push_back("Content-Type:");
        if (!request.body.empty()) {
            suppressed.push_back("Content-Length:");
        }
    }
    for (const std::string& line : suppressed) {
        if (!Append(list, line)) {
            return nullptr;
        }
    }
    return list;
}

// Through a proxy the request line carries the absolute form of the address.
std::string RequestTarget(const HttpRequest& request) {
    if (!request.proxy || request.proxy->empty()) {
        return request.target;
    }
    std::string target = "http://";
    target += request.host;
    if (request.port != 80) {
        target += ':';
        target += std::to_string(request.port);
    }
    target += request.target;
    return target;
}

long ResponseStatus(std::string_view statusLine) {
    const std::size_t blank = statusLine.find(' ');
    if (blank == std::string_view::npos) {
        return 0;
    }
    return std::strtol(std::string(statusLine.substr(blank + 1, 3)).c_str(), nullptr, 10);
}

}  // namespace

HttpExchange::HttpExchange(const HttpRequest& request, const FetchOptions& options)
    : request_(request), options_(options) {}

std::size_t HttpExchange::OnBody(char* data, std::size_t size, std::size_t count, void* self) {
    const std::size_t length = size * count;
    return static_cast<HttpExchange*>(self)->AcceptBody(data, length) ? length : 0;
}

std::size_t HttpExchange::OnHeader(char* data, std::size_t size, std::size_t count, void* self) {
    const std::size_t length = size * count;
    return static_cast<HttpExchange*>(self)->AcceptHeaderLine({data, length}) ? length : 0;
}

bool HttpExchange::AcceptBody(const char* data, std::size_t length) {
    receivedBytes_ += length;
    if (length > options_.limits.maxBodyBytes - body_.size()) {
        failed_ = true;
        return false;
    }
    if (body_.empty()) {
        curl_off_t expected = -1;
        curl_easy_getinfo(easy_, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &expected);
        if (expected > 0 && static_cast<std::size_t>(expected) <= options_.limits.maxBodyBytes) {
            body_.reserve(static_cast<std::size_t>(expected));
        }
    }
    const auto* bytes = reinterpret_cast<const unsigned char*>(data);
    body_.insert(body_.end(), bytes, bytes + length);
    return true;
}

// Keeps the header lines of the final response (a "100 Continue" block is replaced by the one
// after it; trailers behind a chunked body are not part of it), each ending in CR LF.
bool HttpExchange::AcceptHeaderLine(std::string_view line) {
    receivedBytes_ += line.size();
    headerBytes_ += line.size();
    if (headerBytes_ > kMaxHeaderBytes) {
        failed_ = true;
        return false;
    }
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) {
        line.remove_suffix(1);
    }
    if (haveFinalBlock_) {
        return true;
    }
    if (!inBlock_) {
        if (line.substr(0, 5) == "HTTP/") {
            block_.clear();
            inBlock_ = true;
        } else {
            return true;
        }
    } else if (line.empty()) {
        inBlock_ = false;
        const long status = ResponseStatus(std::string_view(block_).substr(0, block_.find('\r')));
        haveFinalBlock_ = status < 100 || status >= 200;
        return true;
    }
    block_.append(line).append("\r\n");
    return true;
}

HttpExchangeResult HttpExchange::Run() {
    HttpExchangeResult result;
    const UrlHandle url = ServerUrl(request_.host, request_.port);
    const std::string target = RequestTarget(request_);
    if (!url || !IsUsableTarget(target) || request_.headerText.find('\0') != std::string::npos) {
        return result;
    }
    const EasyHandle easy(curl_easy_init());
    const MultiHandle multi(curl_multi_init());
    const HeaderList headers = RequestHeaderList(request_);
    if (!easy || !multi || !headers) {
        return result;
    }
    easy_ = easy.get();
    CURL* e = easy.get();
    const FetchLimits& limits = options_.limits;
    bool configured =
        curl_easy_setopt(e, CURLOPT_CURLU, url.get()) == CURLE_OK &&
        curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http") == CURLE_OK &&
        curl_easy_setopt(e, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_1) == CURLE_OK &&
        curl_easy_setopt(e, CURLOPT_REQUEST_TARGET, target.c_str()) == CURLE_OK &&
        curl_easy_setopt(e, CURLOPT_USERAGENT, kUserAgent) == CURLE_OK &&
        curl_easy_setopt(e, CURLOPT_HTTPHEADER, headers.get()) == CURLE_OK &&
        curl_easy_setopt(e, CURLOPT_FORBID_REUSE, 1L) == CURLE_OK &&
        curl_easy_setopt(e, CURLOPT_FRESH_CONNECT, 1L) == CURLE_OK &&
        curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L) == CURLE_OK &&
        curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, limits.connectTimeoutMs) == CURLE_OK &&
        curl_easy_setopt(e, CURLOPT_TIMEOUT_MS, limits.overallTimeoutMs) == CURLE_OK &&
        curl_easy_setopt(e, CURLOPT_MAXFILESIZE_LARGE,
                         static_cast<curl_off_t>(limits.maxBodyBytes)) == CURLE_OK &&
        curl_easy_setopt(e, CURLOPT_BUFFERSIZE, kReceiveBufferBytes) == CURLE_OK &&
        curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, &HttpExchange::OnBody) == CURLE_OK &&
        curl_easy_setopt(e, CURLOPT_WRITEDATA, this) == CURLE_OK &&
        curl_easy_setopt(e, CURLOPT_HEADERFUNCTION, &HttpExchange::OnHeader) == CURLE_OK &&
        curl_easy_setopt(e, CURLOPT_HEADERDATA, this) == CURLE_OK &&
        // The proxy is ours alone: "" turns off the one libcurl would take from the environment,
        // and an empty proxy text names no proxy server, so that fetch goes out directly.
        curl_easy_setopt(e, CURLOPT_PROXY, request_.proxy ? request_.proxy->c_str() : "") ==
            CURLE_OK &&
        curl_easy_setopt(e, CURLOPT_PROXYTYPE, static_cast<long>(CURLPROXY_HTTP)) == CURLE_OK &&
        curl_easy_setopt(e, CURLOPT_PROXYPORT, kDefaultProxyPort) == CURLE_OK &&
        curl_easy_setopt(e, CURLOPT_NOPROXY, "") == CURLE_OK &&
        curl_easy_setopt(e, CURLOPT_CUSTOMREQUEST, request_.method.c_str()) == CURLE_OK;
    if (configured && request_.sendBody) {
        configured = curl_easy_setopt(e, CURLOPT_POST, 1L) == CURLE_OK &&
                     curl_easy_setopt(e, CURLOPT_POSTFIELDSIZE_LARGE,
                                      static_cast<curl_off_t>(request_.body.size())) == CURLE_OK &&
                     curl_easy_setopt(e, CURLOPT_POSTFIELDS, request_.body.data()) == CURLE_OK;
    }
    if (!configured || curl_multi_add_handle(multi.get(), e) != CURLM_OK) {
        return result;
    }
    result.sent = true;

    // A read that stalls or runs out of time ends the loop like any read that fails part-way:
    // what had arrived is kept.
    using Clock = std::chrono::steady_clock;
    bool aborted = false;
    bool ended = false;  // libcurl finished the transfer, well or not
    bool connected = false;
    std::size_t progressMark = 0;
    auto lastProgress = Clock::now();
    int running = 1;
    while (true) {
        if (options_.handlePendingEvents) {
            options_.handlePendingEvents();
        }
        if (options_.shouldAbort && options_.shouldAbort()) {
            aborted = true;
            break;
        }
        if (curl_multi_perform(multi.get(), &running) != CURLM_OK) {
            break;
        }
        if (running == 0) {
            ended = true;
            break;
        }
        // The stall clock runs once the connection stands; before that the connect timeout rules.
        curl_off_t connectTime = 0;
        curl_off_t uploaded = 0;
        curl_easy_getinfo(e, CURLINFO_CONNECT_TIME_T, &connectTime);
        curl_easy_getinfo(e, CURLINFO_SIZE_UPLOAD_T, &uploaded);
        const std::size_t mark = receivedBytes_ + static_cast<std::size_t>(uploaded);
        const auto now = Clock::now();
        if (!connected && connectTime > 0) {
            connected = true;
            lastProgress = now;
        }
        if (mark != progressMark) {
            progressMark = mark;
            lastProgress = now;
        }
        if ((connected || mark > 0) &&
            now - lastProgress >= std::chrono::milliseconds(limits.stallTimeoutMs)) {
            break;
        }
        curl_multi_poll(multi.get(), nullptr, 0, kWaitSliceMs, nullptr);
    }
    curl_easy_getinfo(e, CURLINFO_RESPONSE_CODE, &result.status);
    CURLcode code = CURLE_OK;
    int queued = 0;
    while (CURLMsg* message = curl_multi_info_read(multi.get(), &queued)) {
        if (message->msg == CURLMSG_DONE && message->easy_handle == e) {
            code = message->data.result;
        }
    }
    curl_multi_remove_handle(multi.get(), e);
    easy_ = nullptr;

    if (haveFinalBlock_) {
        result.headerBlock = block_;
    }
    if (failed_ || aborted || code == CURLE_FILESIZE_EXCEEDED) {
        return result;
    }
    result.complete = ended && code == CURLE_OK;
    result.body = std::move(body_);
    return result;
}

}  // namespace miyoutong
