#include "photos/photo_download.h"

#include <gtest/gtest.h>

#include <fstream>

#include "common/gbk.h"
#include "common/memory_control_surface.h"
#include "common/option_lock.h"
#include "photos/photo_store.h"
#include "support/http_test_server.h"
#include "support/temp_directory.h"

namespace miyoutong {
namespace {

using testing_support::HttpTestServer;
using testing_support::TempDirectory;

std::string FileText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class PhotoDownloadTest : public ::testing::Test {
protected:
    void SetUp() override {
        auto& s = server_.server();
        s.Get(R"(/photo/(\w+)\.jpg)", [](const httplib::Request& request, httplib::Response& response) {
            response.set_content("JPEG-" + request.matches[1].str(), "image/jpeg");
        });
        s.Get("/missing.jpg", [](const httplib::Request&, httplib::Response& response) {
            response.status = 404;
            response.set_content("not here", "text/html");
        });
        s.Get("/empty.jpg", [](const httplib::Request&, httplib::Response& response) {
            response.set_content("", "image/jpeg");
        });
        server_.Start();
        controls_.SetProgramDirectory(dir_.str());
        controls_.ComboAddItem(Control::组合框_性别, Gbk("请选择"), -1);
        controls_.ComboAddItem(Control::组合框_性别, Gbk("男"), 0);
        controls_.ComboAddItem(Control::组合框_性别, Gbk("女"), 1);
        controls_.ComboSelect(Control::组合框_性别, 2);
        SetOptionsLocked(controls_, true);
    }

    void AddRow(const std::string& id, const std::string& photoUrl) {
        const int row = controls_.InsertRow(-1, std::to_string(controls_.RowCount()));
        controls_.SetCellText(row, kColumnMemberId, id);
        controls_.SetCellText(row, kColumnPhotoUrl, photoUrl);
        controls_.SetCellText(row, kColumnDownloadState, Gbk("等待下载"));
    }

    void ExpectFinished() {
        const auto messages = controls_.Messages();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text, Gbk("相片下载完成"));
        EXPECT_EQ(messages[0].caption, Gbk("提示"));
        EXPECT_EQ(messages[0].flags, kMessageIconInformation);
        EXPECT_TRUE(controls_.IsEnabled(Control::按钮1));
        EXPECT_TRUE(controls_.IsEnabled(Control::组合框_性别));
    }

    HttpTestServer server_;
    TempDirectory dir_;
    MemoryControlSurface controls_;
};

TEST_F(PhotoDownloadTest, SavesEveryPhotoIntoTheGendersFolder) {
    for (int gender : {1, 2}) {
        controls_.DeleteAllRows();
        controls_.ComboSelect(Control::组合框_性别, gender);
        AddRow("101", server_.Url("/photo/a101.jpg"));
        AddRow("102", server_.Url("/photo/a102.jpg"));
        DownloadPhotos(controls_);
        const std::string folder = gender == 1 ? "m" : "f";
        for (int row = 0; row < 2; ++row) {
            const std::string id = controls_.CellText(row, kColumnMemberId);
            EXPECT_EQ(controls_.CellText(row, kColumnSavedPath), folder + "/" + id + ".jpg");
            EXPECT_EQ(controls_.CellText(row, kColumnDownloadState), Gbk("下载完成"));
            EXPECT_EQ(FileText(dir_.path() / folder / (id + ".jpg")), "JPEG-a" + id);
        }
    }
    EXPECT_EQ(dir_.Files(), (std::vector<std::string>{"f/101.jpg", "f/102.jpg", "m/101.jpg",
                                                       "m/102.jpg"}));
}

TEST_F(PhotoDownloadTest, FailedFetchesAreMarkedAndNeverDestroyASavedPhoto) {
    const int deadPort = testing_support::UnusedPort();
    struct Case {
        std::string id, url;
    };
    const Case failures[] = {
        {"404", server_.Url("/missing.jpg")},
        {"empty", server_.Url("/empty.jpg")},
        {"refused", "http://127.0.0.1:" + std::to_string(deadPort) + "/x.jpg"},
        {"nourl", ""},
    };
    std::filesystem::create_directories(dir_.path() / "f");
    for (const Case& c : failures) {
        std::ofstream(dir_.path() / "f" / (c.id + ".jpg")) << "old photo";
        AddRow(c.id, c.url);
    }
    AddRow("fresh", server_.Url("/photo/new.jpg"));
    std::ofstream(dir_.path() / "f" / "fresh.jpg") << "old photo";

    DownloadPhotos(controls_);

    for (int row = 0; row < 4; ++row) {
        const std::string id = controls_.CellText(row, kColumnMemberId);
        EXPECT_EQ(controls_.CellText(row, kColumnDownloadState), Gbk("下载失败")) << id;
        EXPECT_EQ(controls_.CellText(row, kColumnSavedPath), "") << id;
        EXPECT_EQ(FileText(dir_.path() / "f" / (id + ".jpg")), "old photo") << id;
    }
    // A successful fetch replaces the old file.
    EXPECT_EQ(FileText(dir_.path() / "f" / "fresh.jpg"), "JPEG-new");
    EXPECT_EQ(controls_.CellText(4, kColumnDownloadState), Gbk("下载完成"));
    EXPECT_EQ(dir_.Files().size(), 5u) << "no temporary file is left behind";
    ExpectFinished();
}

TEST_F(PhotoDownloadTest, UnsafeMemberIdsWriteNothing) {
    const std::string ids[] = {"../../x", "..\\x", "a/b", "", std::string("a\0b", 3), "a\nb",
                               std::string(300, '9')};
    for (const std::string& id : ids) {
        AddRow(id, server_.Url("/photo/evil.jpg"));
    }
    DownloadPhotos(controls_);
    for (int row = 0; row < controls_.RowCount(); ++row) {
        EXPECT_EQ(controls_.CellText(row, kColumnDownloadState), Gbk("下载失败")) << row;
        EXPECT_EQ(controls_.CellText(row, kColumnSavedPath), "") << row;
    }
    EXPECT_TRUE(dir_.Files().empty());
    EXPECT_EQ(server_.TotalHits(), 0);
    ExpectFinished();
}

TEST_F(PhotoDownloadTest, MissingFoldersAreCreated) {
    ASSERT_FALSE(std::filesystem::exists(dir_.path() / "f"));
    AddRow("7", server_.Url("/photo/x7.jpg"));
    DownloadPhotos(controls_);
    EXPECT_EQ(FileText(dir_.path() / "f" / "7.jpg"), "JPEG-x7");
}

TEST_F(PhotoDownloadTest, EmptyListStillTellsTheUserAndUnlocks) {
    DownloadPhotos(controls_);
    EXPECT_EQ(server_.TotalHits(), 0);
    ExpectFinished();
}

TEST_F(PhotoDownloadTest, KRowsMakeKFetchesAndOneMessage) {
    for (int i = 0; i < 6; ++i) {
        AddRow(std::to_string(500 + i), server_.Url("/photo/p" + std::to_string(i) + ".jpg"));
    }
    DownloadPhotos(controls_);
    EXPECT_EQ(server_.TotalHits(), 6);
    EXPECT_EQ(dir_.Files().size(), 6u);
    ExpectFinished();
}

TEST_F(PhotoDownloadTest, StopEndsTheDownloadSilently) {
    for (int i = 0; i < 5; ++i) {
        AddRow(std::to_string(i), server_.Url("/photo/p" + std::to_string(i) + ".jpg"));
    }
    StopFlag stop{false};
    // The second row's fetch finds the flag set.
    int calls = 0;
    controls_.SetPendingEventsHook([&] {
        if (++calls == 1) {
            stop = true;
        }
    });
    DownloadPhotos(controls_, stop);
    EXPECT_LE(dir_.Files().size(), 1u);
    EXPECT_TRUE(controls_.Messages().empty());
    EXPECT_FALSE(controls_.IsEnabled(Control::按钮1));
}

TEST(PhotoStore, SaveReplacesWholeAndReadGivesItBack) {
    TempDirectory dir;
    const std::string path = (dir.path() / "sub" / "a.jpg").string();
    ASSERT_TRUE(SaveFileAtomically(path, Bytes{1, 2, 3}));
    ASSERT_TRUE(SaveFileAtomically(path, Bytes{9}));
    EXPECT_EQ(ReadWholeFile(path), Bytes{9});
    EXPECT_EQ(ReadWholeFile((dir.path() / "none").string()), Bytes{});
    // A target that is a directory cannot be replaced: false, and the directory stays.
    std::filesystem::create_directories(dir.path() / "d");
    EXPECT_FALSE(SaveFileAtomically((dir.path() / "d").string(), Bytes{1}));
    EXPECT_TRUE(std::filesystem::is_directory(dir.path() / "d"));
    EXPECT_EQ(dir.Files(), (std::vector<std::string>{"sub/a.jpg"}));
}

}  // namespace
}  // namespace miyoutong
