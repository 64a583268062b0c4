// Servers that misbehave on purpose, met by the fetch, the page walk and the photo download:
// every case ends with the program's own result within its time, writes nothing outside m/ and
// f/, and never destroys a photo saved before.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "common/gbk.h"
#include "common/memory_control_surface.h"
#include "common/option_lock.h"
#include "search/regex_holder.h"
#include "search/search_run.h"
#include "support/result_page.h"
#include "support/sanitizer_slowdown.h"
#include "support/scripted_http_server.h"
#include "support/temp_directory.h"
#include "web/fetch.h"

namespace miyoutong {
namespace {

using namespace std::chrono_literals;
using testing_support::MemberEntry;
using testing_support::ScriptedConnection;
using testing_support::ScriptedHttpServer;
using testing_support::ScriptedResponse;
using testing_support::TempDirectory;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr std::size_t kMiB = 1u << 20;
constexpr char kSearchPath[] = "/search/getfastmdata.jsps";
// Every walk here meets servers that end their answers at once, broken or not: a walk that took
// this long waited for a stall timeout somewhere.
constexpr auto kWalkBound = 15s * testing_support::kSanitizerSlowdown;

// ---- what hostile servers do ----

using Behaviour = std::function<void(ScriptedConnection&)>;

std::string Repeated(std::string_view pattern, std::size_t size) {
    std::string text;
    text.reserve(size + pattern.size());
    while (text.size() < size) {
        text += pattern;
    }
    text.resize(size);
    return text;
}

Behaviour Answer(int status, std::string body, std::string headers = "") {
    return [=](ScriptedConnection& c) { c.Send(ScriptedResponse(status, body, headers)); };
}

// `size` bytes of `pattern` repeated, with their length announced.
Behaviour Sized(std::size_t size, std::string pattern) {
    return [=](ScriptedConnection& c) {
        c.Send("HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(size) + "\r\n\r\n") &&
            c.SendRepeated(pattern, size);
    };
}

// A body without a length that never ends.
Behaviour Endless(std::string pattern) {
    return [=](ScriptedConnection& c) {
        c.Send("HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n") &&
            c.SendRepeated(pattern, std::size_t(-1));
    };
}

// Announces the whole body, sends its first half and closes in order.
Behaviour CutMidBody(std::string body) {
    return [=](ScriptedConnection& c) {
        c.Send(ScriptedResponse(200, body).substr(0, body.size() / 2 + 40));
    };
}

// Announces the whole body, sends its first half and resets the connection.
Behaviour ResetMidBody(std::string body) {
    return [=](ScriptedConnection& c) {
        c.Send(ScriptedResponse(200, body).substr(0, body.size() / 2 + 40));
        c.Pause(50ms);
        c.Reset();
    };
}

// Something that is not HTTP at all.
Behaviour Garbage() {
    return [](ScriptedConnection& c) {
        using namespace std::string_view_literals;
        c.Send(
            std::string("SSH-2.0-OpenSSH_9.2\r\n\x16\x03\x01\x02\x00\x01\x00\x01\xfc\x03\x03"sv) +
            Repeated("\xde\xad\xbe\xef\x00\r\n"sv, 4096));
    };
}

// A redirect to the very address asked for.
Behaviour RedirectLoop(std::string self) {
    return Answer(302, "moved", "Location: " + self + "\r\n");
}

// A head of about `size` bytes of header lines, then a small body.
Behaviour HugeHeaderBlock(std::size_t size) {
    return [=](ScriptedConnection& c) {
        const std::string line = "X-Filler: " + std::string(988, 'h') + "\r\n";
        c.Send("HTTP/1.1 200 OK\r\n") && c.SendRepeated(line, size / line.size() * line.size()) &&
            c.Send("Content-Length: 5\r\n\r\nhello");
    };
}

// The bytes of `response` one at a time, `interval` apart.
Behaviour Drip(std::string response, std::chrono::milliseconds interval) {
    return [=](ScriptedConnection& c) {
        for (const char byte : response) {
            if (!c.Send(std::string_view(&byte, 1)) || !c.Pause(interval)) {
                return;
            }
        }
    };
}

// ---- result pages whose member IDs are exactly the bytes given ----

struct RawMember {
    std::string id;  // GBK bytes, spliced into the page unchanged
    std::string photoUrl;
};

// A result page of the service's form; the IDs go in as raw bytes, which the UTF-8 page builder
// could not carry.
std::string ResultPage(const std::vector<RawMember>& members, std::string filler = {}) {
    std::vector<MemberEntry> entries;
    for (std::size_t i = 0; i < members.size(); ++i) {
        entries.push_back({"@ID" + std::to_string(i) + "@", "会员" + std::to_string(i), "28岁",
                           "上海", "60", members[i].photoUrl});
    }
    std::string page = testing_support::ResultPageHtml(entries);
    for (std::size_t i = 0; i < members.size(); ++i) {
        const std::string mark = "@ID" + std::to_string(i) + "@";
        page.replace(page.find(mark), mark.size(), members[i].id);
    }
    if (!filler.empty()) {
        // Between the second and the third entry, inside the member block.
        std::size_t at = page.find("<li>");
        for (int i = 0; i < 2 && at != std::string::npos; ++i) {
            at = page.find("<li>", at + 1);
        }
        page.insert(at, filler);
    }
    return page;
}

// The search pages and the photos of one hostile site. Everything is given before the server
// starts, so its threads only read it.
class HostileSite {
public:
    using PageScript = std::function<Behaviour(int page, const HostileSite& site)>;

    HostileSite(PageScript pages, std::map<std::string, Behaviour> photos)
        : pages_(std::move(pages)),
          photos_(std::move(photos)),
          server_([this](ScriptedConnection& c, const std::string& target) { Serve(c, target); }) {}

    std::string Url(const std::string& target) const { return server_.Url(target); }
    std::string PhotoUrl(const std::string& name) const { return Url("/photos/" + name); }
    std::string PagePrefix() const {
        return Url(std::string(kSearchPath) + "?gender=1&currentpage=");
    }
    int PageHits() const { return server_.Hits(kSearchPath); }
    int PhotoHits(const std::string& name) const { return server_.Hits("/photos/" + name); }

private:
    void Serve(ScriptedConnection& c, const std::string& target) const {
        const std::string path = target.substr(0, target.find('?'));
        if (path == kSearchPath) {
            const std::size_t at = target.find("currentpage=");
            const int page = at == std::string::npos ? 0 : std::atoi(target.c_str() + at + 12);
            pages_(page, *this)(c);
            return;
        }
        constexpr std::string_view kPhotos = "/photos/";
        if (path.starts_with(kPhotos)) {
            if (const auto photo = photos_.find(path.substr(kPhotos.size()));
                photo != photos_.end()) {
                photo->second(c);
                return;
            }
        }
        Answer(404, "no such thing")(c);
    }

    PageScript pages_;
    std::map<std::string, Behaviour> photos_;
    ScriptedHttpServer server_;
};

Behaviour NoResultPage() {
    return Answer(200, testing_support::NoResultPageHtml());
}

std::string FileBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

long long MsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// ---- the page walk and the download, as the search worker runs them ----

class HostileWalkTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Two folders between the sandbox and the program directory, so that a name climbing out
        // of m/ still lands where the check below sees it.
        program_ = sandbox_.path() / "a" / "b" / "program";
        fs::create_directories(program_ / "m");
        ASSERT_TRUE(regex_.Create());
        controls_.SetProgramDirectory(program_.string());
        controls_.ComboAddItem(Control::组合框_性别, Gbk("请选择"), -1);
        controls_.ComboAddItem(Control::组合框_性别, Gbk("男"), 0);
        controls_.ComboAddItem(Control::组合框_性别, Gbk("女"), 1);
        controls_.ComboSelect(Control::组合框_性别, 1);
        controls_.SetChecked(Control::选择框2, true);
        SetOptionsLocked(controls_, true);
    }

    void TearDown() override {
        EXPECT_EQ(Strays(), std::vector<std::string>{}) << "written outside m/ and f/";
        for (const auto& [name, bytes] : seeded_) {
            if (!replaced_.count(name)) {
                EXPECT_TRUE(FileBytes(program_ / "m" / name) == bytes)
                    << name << ": a saved photo was lost";
            }
        }
    }

    // Walks the site's pages and downloads the photos, as the search worker does.
    void Walk(const HostileSite& site) {
        const auto start = Clock::now();
        WalkResultPages(controls_, regex_, site.PagePrefix());
        EXPECT_LT(Clock::now() - start, kWalkBound);
        const auto messages = controls_.Messages();
        ASSERT_EQ(messages.size(), 2u);
        EXPECT_EQ(messages[0].text, Gbk("搜索完成！如果你选择了下载相片，程序即将开始下载相片！"));
        EXPECT_EQ(messages[1].text, Gbk("相片下载完成"));
        EXPECT_TRUE(controls_.IsEnabled(Control::按钮1));
    }

    // A photo saved before the run, as m/<name>.
    void SeedPhoto(const std::string& name) {
        const std::string bytes = "photo saved before: " + name;
        std::ofstream(program_ / "m" / (name + ".jpg"), std::ios::binary) << bytes;
        seeded_[name + ".jpg"] = bytes;
    }
    // A seeded photo the run is meant to replace.
    void ExpectReplaced(const std::string& name) { replaced_.insert(name + ".jpg"); }

    std::vector<std::string> ListedIds() {
        std::vector<std::string> ids;
        for (int row = 0; row < controls_.RowCount(); ++row) {
            ids.push_back(controls_.CellText(row, kColumnMemberId));
        }
        return ids;
    }

    int RowOf(const std::string& id) {
        for (int row = 0; row < controls_.RowCount(); ++row) {
            if (controls_.CellText(row, kColumnMemberId) == id) {
                return row;
            }
        }
        return -1;
    }

    // Checks that the row of `id` was saved as `file` (relative to the program directory) with
    // `bytes` in it, or, without a file, that it was marked failed with an empty path column.
    void ExpectRow(const std::string& id, const std::optional<std::string>& file,
                   const std::optional<std::string>& bytes, const std::string& label) {
        const int row = RowOf(id);
        ASSERT_GE(row, 0) << label;
        if (file) {
            EXPECT_EQ(controls_.CellText(row, kColumnDownloadState), Gbk("下载完成")) << label;
            EXPECT_EQ(GbkToUtf8(controls_.CellText(row, kColumnSavedPath)), *file) << label;
            ASSERT_TRUE(fs::is_regular_file(program_ / *file)) << label;
            if (bytes) {
                EXPECT_TRUE(FileBytes(program_ / *file) == *bytes) << label;
            }
        } else {
            EXPECT_EQ(controls_.CellText(row, kColumnDownloadState), Gbk("下载失败")) << label;
            EXPECT_EQ(controls_.CellText(row, kColumnSavedPath), "") << label;
        }
    }

    // Everything below the sandbox that the run had no business making: only m/ and f/ in the
    // program directory may gain files, and only finished photos.
    std::vector<std::string> Strays() const {
        const std::set<fs::path> folders = {"a", "a/b", "a/b/program", "a/b/program/m",
                                            "a/b/program/f"};
        std::vector<std::string> strays;
        for (const auto& entry : fs::recursive_directory_iterator(sandbox_.path())) {
            const fs::path relative = entry.path().lexically_relative(sandbox_.path());
            const fs::file_status status = entry.symlink_status();
            if (fs::is_directory(status) && folders.count(relative)) {
                continue;
            }
            const fs::path parent = relative.parent_path();
            const std::string name = relative.filename().string();
            const bool photo = fs::is_regular_file(status) &&
                               (parent == "a/b/program/m" || parent == "a/b/program/f") &&
                               name.ends_with(".jpg") && !name.starts_with(".part-");
            if (!photo) {
                strays.push_back(relative.string());
            }
        }
        return strays;
    }

    TempDirectory sandbox_;
    fs::path program_;
    RegexHolder regex_;
    MemoryControlSurface controls_;
    std::map<std::string, std::string> seeded_;
    std::set<std::string> replaced_;
};

// Photo servers of every kind of bad behaviour, one row each on one result page.
TEST_F(HostileWalkTest, HostilePhotoServers) {
    const std::string html = "<html><body>302 Found: please log in</body></html>";
    const std::string jpeg = "\xff\xd8\xff\xe0 a photo " + Repeated("jpeg", 20000);
    struct Case {
        std::string id;
        Behaviour serve;
        std::optional<std::string> saved;  // the file afterwards; nothing: failed, old file kept
    };
    const std::vector<Case> cases = {
        {"good", Answer(200, jpeg, "Content-Type: image/jpeg\r\n"), jpeg},
        // The bytes are saved as received, whatever they are.
        {"html-as-photo", Answer(200, html, "Content-Type: text/html\r\n"), html},
        {"thirty-mb", Sized(30 * kMiB, "0123456789abcdef"),
         Repeated("0123456789abcdef", 30 * kMiB)},
        {"past-the-cap", Sized(40 * kMiB, "x"), std::nullopt},
        {"never-ends", Endless("endless "), std::nullopt},
        {"cut-mid-body", CutMidBody(jpeg), std::nullopt},
        {"reset-mid-body", ResetMidBody(jpeg), std::nullopt},
        {"garbage", Garbage(), std::nullopt},
        {"redirect-loop", RedirectLoop("/photos/redirect-loop"), std::nullopt},
        {"ten-mb-head", HugeHeaderBlock(10 * kMiB), std::nullopt},
        {"not-found", Answer(404, jpeg), std::nullopt},
        {"server-error", Answer(500, jpeg), std::nullopt},
        {"empty", Answer(200, ""), std::nullopt},
    };
    std::map<std::string, Behaviour> photos;
    for (const Case& c : cases) {
        photos[c.id] = c.serve;
        SeedPhoto(c.id);
        if (c.saved) {
            ExpectReplaced(c.id);
        }
    }
    const HostileSite site(
        [&cases](int page, const HostileSite& s) {
            if (page != 1) {
                return NoResultPage();
            }
            std::vector<RawMember> members;
            for (const Case& c : cases) {
                members.push_back({c.id, s.PhotoUrl(c.id)});
            }
            return Answer(200, ResultPage(members));
        },
        photos);

    Walk(site);

    ASSERT_EQ(controls_.RowCount(), static_cast<int>(cases.size()));
    for (const Case& c : cases) {
        ExpectRow(c.id, c.saved ? std::optional("m/" + c.id + ".jpg") : std::nullopt, c.saved,
                  c.id);
        EXPECT_EQ(site.PhotoHits(c.id), 1) << c.id << ": one fetch, no redirect followed";
    }
}

// Member IDs made to climb out of the photo folder or to trouble a file system, served inside
// real result pages, so that they go through the parser into the download.
TEST_F(HostileWalkTest, HostileMemberIds) {
    struct Case {
        std::string label;
        std::string id;                   // GBK bytes
        bool listed;                      // the entry pattern takes it
        std::optional<std::string> file;  // saved as; nothing: refused
    };
    const std::vector<Case> cases = {
        {"parent folders", "../../x", true, std::nullopt},
        {"backslash parent", "..\\x", true, std::nullopt},
        {"subfolder", "a/b", true, std::nullopt},
        {"absolute path", "/tmp/x", true, std::nullopt},
        {"two dots", "..", true, std::nullopt},
        {"device name", "CON", true, "m/CON.jpg"},
        {"one dot", ".", true, "m/..jpg"},
        {"300 bytes", std::string(300, '9'), true, std::nullopt},
        {"200 bytes", std::string(200, '8'), true, "m/" + std::string(200, '8') + ".jpg"},
        {"carriage return", "a\rb", true, std::nullopt},
        {"tab", "a\tb", true, std::nullopt},
        {"line feed", "a\nb", false, std::nullopt},
        {"quote", "x\"y", true, std::nullopt},
        {"colon", "c:x", true, std::nullopt},
        {"half a GBK character", "ab\x81", true, std::nullopt},
        {"Chinese", Gbk("会员"), true, "m/会员.jpg"},
        {"character references", "&#46;&#46;&#47;x", true, "m/&#46;&#46;&#47;x.jpg"},
        {"percent escapes", "%2e%2e%2fx", true, "m/%2e%2e%2fx.jpg"},
        {"last", "10001", true, "m/10001.jpg"},
    };
    std::map<std::string, Behaviour> photos;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        photos["p" + std::to_string(i)] = Answer(200, "JPEG of row " + std::to_string(i));
    }
    // Page 2 carries a zero byte in an ID: the page text ends there, with its end marker, so the
    // page adds nothing; the walk goes on to the no-result page 3.
    photos["after-zero"] = Answer(200, "JPEG after zero");
    const HostileSite site(
        [&cases](int page, const HostileSite& s) {
            std::vector<RawMember> members;
            if (page == 1) {
                for (std::size_t i = 0; i < cases.size(); ++i) {
                    members.push_back({cases[i].id, s.PhotoUrl("p" + std::to_string(i))});
                }
            } else if (page == 2) {
                members = {{"20001", s.PhotoUrl("after-zero")},
                           {std::string("a\0b", 3), s.PhotoUrl("after-zero")},
                           {"20002", s.PhotoUrl("after-zero")}};
            } else {
                return NoResultPage();
            }
            return Answer(200, ResultPage(members));
        },
        photos);

    Walk(site);

    std::vector<std::string> listed;
    for (const Case& c : cases) {
        if (c.listed) {
            listed.push_back(c.id);
        }
    }
    EXPECT_EQ(ListedIds(), listed);
    EXPECT_EQ(site.PageHits(), 3);
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const Case& c = cases[i];
        if (c.listed) {
            ExpectRow(c.id, c.file, "JPEG of row " + std::to_string(i), c.label);
        }
        // A refused ID is not even fetched.
        EXPECT_EQ(site.PhotoHits("p" + std::to_string(i)), c.file ? 1 : 0) << c.label;
    }
    EXPECT_EQ(site.PhotoHits("after-zero"), 0);
}

// A result page with these members, each with its photo on the site under its own ID.
std::string PageWith(std::vector<RawMember> members, const HostileSite& site,
                     const std::string& filler = {}) {
    for (RawMember& m : members) {
        m.photoUrl = site.PhotoUrl(m.id);
    }
    return ResultPage(members, filler);
}

const std::vector<RawMember> kBigEntries = {{"big1", ""}, {"big2", ""}, {"big3", ""}, {"big4", ""}};

struct PageCase {
    std::string label;
    std::function<Behaviour(const HostileSite& site)> hostile;
    bool everyPage = false;                      // else only page 1 misbehaves
    std::vector<std::string> firstPageIds = {};  // rows page 1 still gives
};

// Test names carry the label; the case itself has nothing printable.
void PrintTo(const PageCase& c, std::ostream* out) {
    *out << c.label;
}

class HostilePageTest : public HostileWalkTest, public ::testing::WithParamInterface<PageCase> {};

// Page 1 misbehaves, page 2 is an ordinary page with two members, page 3 says there are no more;
// or every page misbehaves and the walk runs to its last page with nothing found.
TEST_P(HostilePageTest, WalkEndsWithWhatTheGoodPagesHold) {
    const PageCase& c = GetParam();
    std::map<std::string, Behaviour> photos;
    for (const std::string id : {"p2a", "p2b", "big1", "big2", "big3", "big4"}) {
        photos[id] = Answer(200, "JPEG " + id);
    }
    const HostileSite site(
        [&c](int number, const HostileSite& s) {
            if (number == 1 || c.everyPage) {
                return c.hostile(s);
            }
            return number == 2 ? Answer(200, PageWith({{"p2a", ""}, {"p2b", ""}}, s))
                               : NoResultPage();
        },
        photos);

    Walk(site);

    std::vector<std::string> ids = c.firstPageIds;
    if (!c.everyPage) {
        ids.insert(ids.end(), {"p2a", "p2b"});
    }
    EXPECT_EQ(ListedIds(), ids);
    EXPECT_EQ(site.PageHits(), c.everyPage ? kLastResultPage : 3);
    for (const std::string& id : ids) {
        ExpectRow(id, "m/" + id + ".jpg", "JPEG " + id, id);
    }
}

// Whole lines that start a member entry and break off: each makes the pattern try and fail.
std::string FillerLines(std::size_t size) {
    const std::string line =
        "<li><img src=\"/photos/x.jpg\" alt=\"filler\" class=\"photo\" /><p>no</p></li>\n";
    return Repeated(line, size / line.size() * line.size());
}

INSTANTIATE_TEST_SUITE_P(
    HostileServers, HostilePageTest,
    ::testing::Values(
        PageCase{.label = "Page30MB",
                 .hostile =
                     [](const HostileSite& s) {
                         return Answer(200, PageWith(kBigEntries, s, FillerLines(30 * kMiB)));
                     },
                 .firstPageIds = {"big1", "big2", "big3", "big4"}},
        PageCase{.label = "PagePastTheCap",
                 .hostile = [](const HostileSite&) { return Sized(40 * kMiB, "<p>x</p>\n"); }},
        PageCase{.label = "PageThatNeverEnds",
                 .hostile = [](const HostileSite&) { return Endless("<p>more</p>\n"); }},
        PageCase{
            .label = "PageCutMidBody",
            .hostile = [](const HostileSite& s) { return CutMidBody(PageWith(kBigEntries, s)); }},
        PageCase{
            .label = "PageResetMidBody",
            .hostile = [](const HostileSite& s) { return ResetMidBody(PageWith(kBigEntries, s)); }},
        PageCase{.label = "GarbageInsteadOfHttp",
                 .hostile = [](const HostileSite&) { return Garbage(); }},
        PageCase{
            .label = "RedirectLoop",
            .hostile = [](const HostileSite& s) { return RedirectLoop(s.PagePrefix() + "1"); }},
        PageCase{.label = "HeaderBlockOf10MB",
                 .hostile = [](const HostileSite&) { return HugeHeaderBlock(10 * kMiB); }},
        PageCase{.label = "GarbageOnEveryPage",
                 .hostile = [](const HostileSite&) { return Garbage(); },
                 .everyPage = true},
        PageCase{.label = "RedirectLoopOnEveryPage",
                 .hostile = [](const HostileSite& s) { return RedirectLoop(s.PagePrefix() + "1"); },
                 .everyPage = true},
        PageCase{
            .label = "ResetOnEveryPage",
            .hostile = [](const HostileSite& s) { return ResetMidBody(PageWith(kBigEntries, s)); },
            .everyPage = true}),
    [](const ::testing::TestParamInfo<PageCase>& info) { return info.param.label; });

// ---- the fetch itself, with its limits shortened where the slow servers need it ----

FetchLimits Limits(long stallMs, long overallMs, std::size_t maxBody = 32 * kMiB) {
    FetchLimits limits;
    limits.connectTimeoutMs = 2000;
    limits.stallTimeoutMs = stallMs;
    limits.overallTimeoutMs = overallMs;
    limits.maxBodyBytes = maxBody;
    return limits;
}

struct SlowCase {
    std::string label;
    Behaviour serve;
    FetchLimits limits;
    std::string stream;  // the result is empty or a prefix of this
    bool empty;          // the result must be empty
    std::chrono::milliseconds atLeast, below;
};

void PrintTo(const SlowCase& c, std::ostream* out) {
    *out << c.label;
}

class SlowServerTest : public ::testing::TestWithParam<SlowCase> {};

TEST_P(SlowServerTest, EndsWithinItsLimit) {
    const SlowCase& c = GetParam();
    const HostileSite site([&c](int, const HostileSite&) { return c.serve; }, {});
    FetchOptions options;
    options.limits = c.limits;
    long status = -1;
    bool complete = true;
    options.statusCode = &status;
    options.complete = &complete;
    const auto start = Clock::now();
    const Bytes body = FetchBytes(site.PagePrefix() + "1", options);
    const auto ms = MsSince(start);
    EXPECT_GE(ms, c.atLeast.count());
    EXPECT_LT(ms, c.below.count());
    EXPECT_FALSE(complete) << "a fetch cut short is never a whole answer";
    const std::string text(body.begin(), body.end());
    if (c.empty) {
        EXPECT_TRUE(text.empty()) << text.size() << " bytes";
    } else {
        EXPECT_FALSE(text.empty());
        EXPECT_TRUE(c.stream.starts_with(text)) << "what arrived is kept as it came";
    }
}

const std::string kDripped =
    "HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n" + std::string(100, 'd');

// The head of kDripped at once, then its body a byte at a time.
Behaviour DripBody(std::chrono::milliseconds interval) {
    return [interval](ScriptedConnection& c) {
        if (c.Send(kDripped.substr(0, kDripped.size() - 100))) {
            Drip(std::string(100, 'd'), interval)(c);
        }
    };
}

INSTANTIATE_TEST_SUITE_P(
    HostileServers, SlowServerTest,
    ::testing::Values(
        // A byte every 5 s from the status line on: the head never completes, and a head line
        // counts as progress only once it is whole.
        SlowCase{"DripEvery5sStallLimitBelowIt", Drip(kDripped, 5s), Limits(2000, 60000), "", true,
                 1900ms, 4500ms},
        // The head at once, then a body byte every 5 s: each is progress for the stall clock,
        // so only the overall bound ends it, keeping what arrived.
        SlowCase{"DripBodyEvery5sOverallBound", DripBody(5s), Limits(6000, 11000),
                 std::string(100, 'd'), false, 10900ms, 13500ms},
        // The same with a stall limit below the drip interval: it ends at the first pause.
        SlowCase{"DripBodyEvery5sStallLimitBelowIt", DripBody(5s), Limits(2000, 60000),
                 std::string(100, 'd'), false, 1900ms, 4500ms},
        // At full speed a body that never ends runs into the size cap.
        SlowCase{"EndlessBodyHitsTheCap", Endless("endless "), Limits(2000, 60000, 4 * kMiB), "",
                 true, 0ms, 5000ms},
        // Slowly, it runs into the overall bound.
        SlowCase{"EndlessSlowBodyOverallBound",
                 [](ScriptedConnection& c) {
                     c.Send("HTTP/1.1 200 OK\r\n\r\n");
                     while (c.Send(std::string(1024, 's')) && c.Pause(50ms)) {
                     }
                 },
                 Limits(2000, 1500), std::string(1 << 20, 's'), false, 1400ms, 4000ms}),
    [](const ::testing::TestParamInfo<SlowCase>& info) { return info.param.label; });

}  // namespace
}  // namespace miyoutong
