#include "search/search_run.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "common/gbk.h"
#include "common/memory_control_surface.h"
#include "common/option_lock.h"
#include "search/search_worker.h"
#include "support/http_test_server.h"
#include "support/result_page.h"
#include "support/temp_directory.h"

namespace miyoutong {
namespace {

using testing_support::HttpTestServer;
using testing_support::MemberEntry;

const char kSearchPath[] = "/search/getfastmdata.jsps";

// Serves `fullPages` pages of `perPage` members; the page after them, and every later one,
// holds the no-result text unless `noResultPage` is 0.
struct FakeService {
    int perPage = 2;
    int noResultPage = 0;
    std::function<std::string(int page)> override;
};

class SearchRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        server_.server().Get(kSearchPath, [this](const httplib::Request& request,
                                                 httplib::Response& response) {
            const int page = std::stoi(request.get_param_value("currentpage"));
            if (service_.override) {
                response.set_content(service_.override(page), "text/html; charset=gbk");
                return;
            }
            response.set_content(PageHtml(page), "text/html; charset=gbk");
        });
        server_.server().Get(R"(/photo/(\w+)\.jpg)",
                             [](const httplib::Request& request, httplib::Response& response) {
                                 response.set_content("JPEG" + request.matches[1].str(),
                                                      "image/jpeg");
                             });
        server_.Start();
        ASSERT_TRUE(regex_.Create());
        controls_.SetProgramDirectory(dir_.str());
        controls_.ComboAddItem(Control::组合框_性别, Gbk("请选择"), -1);
        controls_.ComboAddItem(Control::组合框_性别, Gbk("男"), 0);
        controls_.ComboAddItem(Control::组合框_性别, Gbk("女"), 1);
        controls_.ComboSelect(Control::组合框_性别, 2);
    }

    std::string PageHtml(int page) {
        if (service_.noResultPage != 0 && page >= service_.noResultPage) {
            std::vector<MemberEntry> members;
            if (page == service_.noResultPage) {
                members = Members(page);  // entries on the no-result page are never listed
            }
            return testing_support::ResultPageHtml(members) +
                   testing_support::NoResultPageHtml();
        }
        return testing_support::ResultPageHtml(Members(page));
    }

    std::vector<MemberEntry> Members(int page) {
        std::vector<MemberEntry> members;
        for (int i = 0; i < service_.perPage; ++i) {
            const std::string id = std::to_string(page * 100 + i);
            members.push_back(
                {id, "会员" + id, "25", "北京", "60", server_.Url("/photo/p" + id + ".jpg")});
        }
        return members;
    }

    std::string Prefix() { return server_.Url(std::string(kSearchPath) + "?gender=1&currentpage="); }

    int PageRequests() { return server_.Hits(kSearchPath); }

    std::vector<std::string> MessageTexts() {
        std::vector<std::string> texts;
        for (const auto& message : controls_.Messages()) {
            texts.push_back(GbkToUtf8(message.text));
        }
        return texts;
    }

    HttpTestServer server_;
    FakeService service_;
    RegexHolder regex_;
    testing_support::TempDirectory dir_;
    MemoryControlSurface controls_;
};

const char kSearchDone[] = "搜索完成！如果你选择了下载相片，程序即将开始下载相片！";

TEST_F(SearchRunTest, StopsAtTheNoResultPage) {
    struct Case {
        int noResultPage, expectedRequests, expectedRows;
    };
    for (const Case c : {Case{1, 1, 0}, Case{4, 4, 6}, Case{55, 55, 108}}) {
        SCOPED_TRACE(c.noResultPage);
        service_.noResultPage = c.noResultPage;
        const int before = PageRequests();
        controls_.DeleteAllRows();
        WalkResultPages(controls_, regex_, Prefix());
        EXPECT_EQ(PageRequests() - before, c.expectedRequests);
        EXPECT_EQ(controls_.RowCount(), c.expectedRows);
    }
}

TEST_F(SearchRunTest, WalksFiftyFivePagesAndNoMore) {
    SetOptionsLocked(controls_, true);
    WalkResultPages(controls_, regex_, Prefix());
    EXPECT_EQ(PageRequests(), 55);
    const auto targets = server_.Targets();
    EXPECT_EQ(targets.back(), std::string(kSearchPath) + "?gender=1&currentpage=55");
    EXPECT_EQ(controls_.RowCount(), 110);
    // Rows are numbered on over the pages; the label counts them all.
    EXPECT_EQ(controls_.CellText(109, kColumnIndex), "109");
    EXPECT_EQ(controls_.CellText(109, kColumnMemberId), "5501");
    EXPECT_EQ(controls_.CellText(2, kColumnMemberId), "200");
    EXPECT_EQ(controls_.Caption(Control::标签11), Gbk("已搜索到：110个美女"));
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{kSearchDone});
    EXPECT_TRUE(controls_.IsEnabled(Control::按钮1));
}

TEST_F(SearchRunTest, PagesWithoutBothMarkersAddNothing) {
    service_.override = [this](int page) -> std::string {
        switch (page) {
            case 1:
                return testing_support::ResultPageHtml(Members(1));
            case 2:  // begin marker only
                return Gbk("<!--会员信息 begin-->") + testing_support::MemberBlockHtml(Members(2));
            case 3:  // end before begin
                return Gbk("<!--会员信息 end-->") + testing_support::MemberBlockHtml(Members(3)) +
                       Gbk("<!--会员信息 begin-->");
            case 4:
                return testing_support::ResultPageHtml(Members(4));
            default:
                return testing_support::NoResultPageHtml();
        }
    };
    WalkResultPages(controls_, regex_, Prefix());
    EXPECT_EQ(PageRequests(), 5);
    ASSERT_EQ(controls_.RowCount(), 4);
    EXPECT_EQ(controls_.CellText(2, kColumnMemberId), "400");
}

TEST_F(SearchRunTest, EveryFetchFailingStillCompletes) {
    const std::string prefix = "http://127.0.0.1:" +
                               std::to_string(testing_support::UnusedPort()) + "/s?currentpage=";
    SetOptionsLocked(controls_, true);
    WalkResultPages(controls_, regex_, prefix);
    EXPECT_EQ(controls_.RowCount(), 0);
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{kSearchDone});
    EXPECT_TRUE(controls_.IsEnabled(Control::组合框_性别));
}

TEST_F(SearchRunTest, TickedDownloadSavesPhotosAndUnlocksOnlyAtItsEnd) {
    service_.noResultPage = 3;
    controls_.SetChecked(Control::选择框2, true);
    SetOptionsLocked(controls_, true);
    bool unlockedEarly = false;
    controls_.SetPendingEventsHook(
        [&] { unlockedEarly = unlockedEarly || controls_.IsEnabled(Control::按钮1); });
    WalkResultPages(controls_, regex_, Prefix());
    EXPECT_FALSE(unlockedEarly);
    EXPECT_EQ(MessageTexts(), (std::vector<std::string>{kSearchDone, "相片下载完成"}));
    ASSERT_EQ(controls_.RowCount(), 4);
    for (int row = 0; row < 4; ++row) {
        const std::string id = controls_.CellText(row, kColumnMemberId);
        EXPECT_EQ(controls_.CellText(row, kColumnDownloadState), Gbk("下载完成"));
        EXPECT_EQ(controls_.CellText(row, kColumnSavedPath), "f/" + id + ".jpg");
        EXPECT_TRUE(std::filesystem::exists(dir_.path() / "f" / (id + ".jpg")));
    }
    EXPECT_TRUE(controls_.IsEnabled(Control::按钮1));
}

TEST_F(SearchRunTest, SecondRunWithoutMembersKeepsTheCountText) {
    service_.noResultPage = 2;
    WalkResultPages(controls_, regex_, Prefix());
    EXPECT_EQ(controls_.Caption(Control::标签11), Gbk("已搜索到：2个美女"));
    service_.noResultPage = 1;
    controls_.DeleteAllRows();
    WalkResultPages(controls_, regex_, Prefix());
    EXPECT_EQ(controls_.RowCount(), 0);
    EXPECT_EQ(controls_.Caption(Control::标签11), Gbk("已搜索到：2个美女"));
}

TEST_F(SearchRunTest, ClickWithoutGenderIsRefused) {
    controls_.ComboSelect(Control::组合框_性别, 0);
    controls_.InsertRow(-1, "0");
    bool started = false;
    EXPECT_FALSE(OnSearchClicked(controls_, [&] { started = true; }));
    EXPECT_FALSE(started);
    EXPECT_EQ(controls_.RowCount(), 1);
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"请选择性别！"});
    EXPECT_EQ(controls_.Messages()[0].caption, Gbk("提示"));
    EXPECT_EQ(controls_.Messages()[0].flags, kMessageIconInformation);
    EXPECT_TRUE(controls_.IsEnabled(Control::按钮1));
}

TEST_F(SearchRunTest, ClickClearsTheListAndLocksBeforeTheWorkerStarts) {
    controls_.InsertRow(-1, "0");
    bool lockedAtStart = false;
    EXPECT_TRUE(OnSearchClicked(controls_, [&] {
        lockedAtStart = !controls_.IsEnabled(Control::按钮1);
    }));
    EXPECT_TRUE(lockedAtStart);
    EXPECT_EQ(controls_.RowCount(), 0);
}

TEST_F(SearchRunTest, RunSearchAsksForTheChosenCriteria) {
    service_.noResultPage = 2;
    RunSearch(controls_, regex_, NeverStop(), server_.HostAndPort());
    EXPECT_EQ(server_.Targets(),
              (std::vector<std::string>{
                  "/search/getfastmdata.jsps?gender=1&agebegin=-1&ageend=-1&workcitycity=101-1000"
                  "&Marriage=-1&Salary=-1&Education=-1&h1=-1&h2=-1&photo=1&edm=1&currentpage=1",
                  "/search/getfastmdata.jsps?gender=1&agebegin=-1&ageend=-1&workcitycity=101-1000"
                  "&Marriage=-1&Salary=-1&Education=-1&h1=-1&h2=-1&photo=1&edm=1&currentpage=2"}));
    EXPECT_EQ(controls_.RowCount(), 2);
    EXPECT_TRUE(controls_.IsEnabled(Control::按钮1));
}

TEST_F(SearchRunTest, StoppingAWorkerEndsTheWalkWithoutMessages) {
    service_.override = [](int) {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        return testing_support::NoResultPageHtml();
    };
    SearchWorker worker;
    worker.Start([&](const StopFlag& stop) { WalkResultPages(controls_, regex_, Prefix(), stop); });
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const auto begin = std::chrono::steady_clock::now();
    worker.Stop();
    EXPECT_LT(std::chrono::steady_clock::now() - begin, std::chrono::milliseconds(250));
    EXPECT_TRUE(controls_.Messages().empty());
}

}  // namespace
}  // namespace miyoutong
