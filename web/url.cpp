#include "web/url.h"

#include "common/text.h"

namespace miyoutong {

namespace {

constexpr std::string_view kScheme = "http://";
constexpr std::string_view kDefaultPortText = "80";

// The bytes between the scheme (when there is one) and the first "/" behind it.
std::string HostAndPort(std::string_view url) {
    const int schemeLength = static_cast<int>(kScheme.size());
    if (url.size() >= kScheme.size() && AsciiLower(url.substr(0, kScheme.size())) == kScheme) {
        const int slash = FindText(url, "/", schemeLength + 1);
        if (slash != -1) {
            return Mid(url, schemeLength + 1, slash - schemeLength - 1);
        }
        return std::string(url.substr(kScheme.size()));
    }
    const int slash = FindText(url, "/");
    if (slash != -1) {
        return Mid(url, 1, slash - 1);
    }
    return std::string(url);
}

// ASCII capitals to small letters, stepping over double-byte characters so that a trail byte
// in the range "A".."Z" ("丄" is 81 41) keeps its character intact.
std::string LowerAsciiLetters(std::string_view text) {
    std::string out(text);
    for (std::size_t i = 0; i < out.size(); ++i) {
        const auto byte = static_cast<unsigned char>(out[i]);
        if (IsGbkLeadByte(byte)) {
            ++i;
        } else if (byte >= 'A' && byte <= 'Z') {
            out[i] = static_cast<char>(byte - 'A' + 'a');
        }
    }
    return out;
}

}  // namespace

std::string UrlHost(std::string_view url) {
    std::string host = HostAndPort(url);
    const int colon = FindText(host, ":");
    if (colon != -1) {
        host = Mid(host, 1, colon - 1);
    }
    return LowerAsciiLetters(host);
}

int UrlPort(std::string_view url) {
    const std::string hostAndPort = HostAndPort(url);
    const int colon = FindText(hostAndPort, ":");
    if (colon == -1) {
        return TextToInt(kDefaultPortText);
    }
    return TextToInt(std::string_view(hostAndPort).substr(static_cast<std::size_t>(colon)));
}

std::string UrlObject(std::string_view url) {
    const std::string host = UrlHost(url);
    const int hostPosition = FindTextNoCase(url, host);
    const int slash = FindText(url, "/", hostPosition == -1 ? 1 : hostPosition);
    if (slash == -1) {
        return "/";
    }
    return std::string(url.substr(static_cast<std::size_t>(slash - 1)));
}

}  // namespace miyoutong
