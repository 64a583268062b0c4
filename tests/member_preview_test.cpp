#include "photos/member_preview.h"

#include <gtest/gtest.h>

#include <fstream>

#include "common/gbk.h"
#include "common/memory_control_surface.h"
#include "support/http_test_server.h"
#include "support/temp_directory.h"

namespace miyoutong {
namespace {

using testing_support::HttpTestServer;
using testing_support::TempDirectory;

const Bytes kPlaceholder = {'G', 'I', 'F', '8', '9', 'a'};

class MemberPreviewTest : public ::testing::Test {
protected:
    void SetUp() override {
        server_.server().Get(R"(/photo/(\w+)\.jpg)",
                             [](const httplib::Request& request, httplib::Response& response) {
                                 response.set_content("NET-" + request.matches[1].str(),
                                                      "image/jpeg");
                             });
        server_.Start();
        controls_.SetProgramDirectory(dir_.str());
    }

    int AddRow(const std::string& id, const std::string& photoPath, const std::string& saved = "") {
        const int row = controls_.InsertRow(-1, std::to_string(controls_.RowCount()));
        const std::string cells[] = {id, Gbk("小") + id, "25", Gbk("北京"), "80"};
        for (int column = kColumnMemberId; column <= kColumnIntegrity; ++column) {
            controls_.SetCellText(row, column, cells[column - 1]);
        }
        controls_.SetCellText(row, kColumnPhotoUrl, server_.Url(photoPath));
        controls_.SetCellText(row, kColumnSavedPath, saved);
        return row;
    }

    HttpTestServer server_;
    TempDirectory dir_;
    MemoryControlSurface controls_;
    MemberPreview preview_{controls_, "profile.invalid:81", kPlaceholder};
};

TEST_F(MemberPreviewTest, InfoTextWithEmptyValuesIsTheStartCaption) {
    EXPECT_EQ(MemberInfoText("", "", "", "", ""),
              Gbk("会员ID：\r\n\r\n昵  称：\r\n\r\n年  龄：\r\n\r\n地  区：\r\n\r\n诚信值："));
}

TEST_F(MemberPreviewTest, NoSelectionShowsEmptyValuesAndAnEmptyPicture) {
    AddRow("1", "/photo/a.jpg");
    preview_.ShowMember();
    EXPECT_EQ(controls_.Caption(Control::标签10), MemberInfoText("", "", "", "", ""));
    EXPECT_TRUE(controls_.Picture().empty());
    EXPECT_EQ(server_.TotalHits(), 0);
}

TEST_F(MemberPreviewTest, UnsavedPhotoIsFetchedBehindThePlaceholder) {
    controls_.SelectRow(AddRow("42", "/photo/p42.jpg"));
    std::vector<Bytes> picturesWhileWaiting;
    std::vector<std::string> captionsWhileWaiting;
    controls_.SetPendingEventsHook([&] {
        picturesWhileWaiting.push_back(controls_.Picture());
        captionsWhileWaiting.push_back(controls_.Caption(Control::标签10));
    });
    preview_.ShowMember();
    ASSERT_FALSE(picturesWhileWaiting.empty());
    EXPECT_EQ(picturesWhileWaiting.front(), kPlaceholder);
    EXPECT_EQ(captionsWhileWaiting.front(),
              MemberInfoText("42", Gbk("小42"), "25", Gbk("北京"), "80"));
    EXPECT_EQ(controls_.Picture(), ToBytes("NET-p42"));
    EXPECT_EQ(server_.Hits("/photo/p42.jpg"), 1);
}

TEST_F(MemberPreviewTest, SavedPhotoIsReadFromItsFileWithoutARequest) {
    std::filesystem::create_directories(dir_.path() / "m");
    std::ofstream(dir_.path() / "m" / "7.jpg") << "FILE-7";
    controls_.SelectRow(AddRow("7", "/photo/p7.jpg", "m/7.jpg"));
    preview_.ShowMember();
    EXPECT_EQ(controls_.Picture(), ToBytes("FILE-7"));
    EXPECT_EQ(server_.TotalHits(), 0);
}

TEST_F(MemberPreviewTest, MissingSavedFileEmptiesThePictureAndFetchesNothing) {
    controls_.SetPicture(ToBytes("previous"));
    controls_.SelectRow(AddRow("8", "/photo/p8.jpg", "m/8.jpg"));
    preview_.ShowMember();
    EXPECT_TRUE(controls_.Picture().empty());
    EXPECT_EQ(server_.TotalHits(), 0);
}

TEST_F(MemberPreviewTest, PhotoOfARowNoLongerSelectedIsDropped) {
    AddRow("1", "/photo/first.jpg");
    std::filesystem::create_directories(dir_.path() / "m");
    std::ofstream(dir_.path() / "m" / "2.jpg") << "FILE-2";
    AddRow("2", "/photo/second.jpg", "m/2.jpg");
    // The user picks row 1 while row 0's preview lets events be handled: right after the
    // placeholder is drawn (call 1), or while row 0's photo is on its way (call 2).
    for (int pickAtCall : {1, 2}) {
        SCOPED_TRACE(pickAtCall);
        controls_.SelectRow(0);
        int calls = 0;
        controls_.SetPendingEventsHook([&] {
            if (++calls == pickAtCall) {
                controls_.SelectRow(1);
                preview_.ShowMember();
            }
        });
        preview_.ShowMember();
        EXPECT_EQ(controls_.Picture(), ToBytes("FILE-2"));
        EXPECT_EQ(controls_.Caption(Control::标签10),
                  MemberInfoText("2", Gbk("小2"), "25", Gbk("北京"), "80"));
        EXPECT_EQ(server_.Hits("/photo/second.jpg"), 0);
    }
}

TEST_F(MemberPreviewTest, ProfilePageOfTheSelectedMember) {
    AddRow("3301", "/photo/a.jpg");
    preview_.OpenMemberProfile();
    controls_.SelectRow(0);
    preview_.OpenMemberProfile();
    EXPECT_EQ(controls_.OpenedAddresses(),
              (std::vector<std::string>{
                  "http://profile.invalid:81/profile/getmemberdata.jsps?memberid=",
                  "http://profile.invalid:81/profile/getmemberdata.jsps?memberid=3301"}));
}

}  // namespace
}  // namespace miyoutong
