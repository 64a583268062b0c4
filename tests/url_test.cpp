#include "web/url.h"

#include <gtest/gtest.h>

#include "common/gbk.h"

namespace miyoutong {
namespace {

struct UrlCase {
    std::string url;
    std::string host;
    int port;
    std::string object;
};

void ExpectSplits(const UrlCase& c) {
    EXPECT_EQ(UrlHost(c.url), c.host) << c.url;
    EXPECT_EQ(UrlPort(c.url), c.port) << c.url;
    EXPECT_EQ(UrlObject(c.url), c.object) << c.url;
}

TEST(UrlSplit, KnownAddresses) {
    const UrlCase cases[] = {
        {"http://Host.Invalid:8080/a/b?c=1", "host.invalid", 8080, "/a/b?c=1"},
        {"HTTP://host.invalid/x.jpg", "host.invalid", 80, "/x.jpg"},
        {"http://host.invalid", "host.invalid", 80, "/"},
        {"http://host.invalid:81", "host.invalid", 81, "/"},
        {"host.invalid/a/b", "host.invalid", 80, "/a/b"},
        {"host.invalid:8080", "host.invalid", 8080, "/"},
        {"http://host.invalid:/a", "host.invalid", 0, "/a"},
        {"http://host.invalid:8080.9/a", "host.invalid", 8080, "/a"},
        {"http://host.invalid?x=1", "host.invalid?x=1", 80, "/"},
        {"", "", 80, "/"},
    };
    for (const UrlCase& c : cases) {
        ExpectSplits(c);
    }
}

TEST(UrlSplit, PortTextIsReadAsANumberWithoutRangeTest) {
    const UrlCase cases[] = {
        {"http://host.invalid:" + Gbk("８０８０") + "/a", "host.invalid", 8080, "/a"},
        {"http://host.invalid: 81/a", "host.invalid", 81, "/a"},
        {"http://host.invalid:-5/a", "host.invalid", -5, "/a"},
        {"http://host.invalid:99999/a", "host.invalid", 99999, "/a"},
        {"http://host.invalid:1e3/a", "host.invalid", 1000, "/a"},
        {"http://host.invalid:x81/a", "host.invalid", 0, "/a"},
        {"http://host.invalid:81:82/a", "host.invalid", 81, "/a"},
    };
    for (const UrlCase& c : cases) {
        ExpectSplits(c);
    }
}

TEST(UrlSplit, OnlyHttpIsAScheme) {
    const UrlCase cases[] = {
        // "ftp:" is host-and-port text; the host "ftp" is found at the URL's first byte.
        {"ftp://host.invalid/a", "ftp", 0, "//host.invalid/a"},
        {"HTTP:/", "http", 0, "/"},  // shorter than "http://"
        {"http://host.invalid#top/x", "host.invalid#top", 80, "/x"},
        {"/x.jpg", "", 80, "/x.jpg"},
        // An empty host is found at the first byte, so the path starts at the first "/".
        {"http:///a", "", 80, "///a"},
        // A host that occurs inside "http:" is found there first.
        {"http://h/x", "h", 80, "//h/x"},
    };
    for (const UrlCase& c : cases) {
        ExpectSplits(c);
    }
}

TEST(UrlSplit, DoubleByteTextIsKeptWhole) {
    // "丄" is 81 41: its second byte is "A" and must not be folded to "a" ("乤" is 81 61).
    const std::string upper = Gbk("丄");
    ASSERT_EQ(upper, "\x81\x41");
    const UrlCase cases[] = {
        {"http://" + upper + ".Invalid:81/" + Gbk("路径"), upper + ".invalid", 81,
         "/" + Gbk("路径")},
        {"HTTP://" + Gbk("主机") + ".invalid/" + Gbk("照 片") + ".jpg?q=" + Gbk("中文"),
         Gbk("主机") + ".invalid", 80, "/" + Gbk("照 片") + ".jpg?q=" + Gbk("中文")},
        // A "/" right behind a lead byte is that character's second byte, not a separator.
        {"http://a\x81/b", "a\x81/b", 80, "/"},
        {"a\x81/b/c", "a\x81/b", 80, "/c"},
    };
    for (const UrlCase& c : cases) {
        ExpectSplits(c);
    }
}

}  // namespace
}  // namespace miyoutong
