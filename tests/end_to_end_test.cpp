// The real main window in-process against the demo service: a search for women aged 20 to 30 in
// one province, first without and then with the photo download, and previews of both kinds.

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTest>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>

#include "app/program.h"
#include "app/widgets/main_window.h"
#include "app/widgets/picture_box.h"
#include "app/widgets/qt_control_surface.h"
#include "app/widgets/result_list.h"
#include "common/gbk.h"
#include "support/message_box_answerer.h"
#include "support/qt_application.h"
#include "support/temp_directory.h"
#include "tools/demo-service/demo_query.h"
#include "tools/demo-service/demo_region_loader.h"
#include "tools/demo-service/demo_service.h"
#include "web/fetch.h"

namespace miyoutong {
namespace {

using testing_support::MessageBoxAnswerer;
using testing_support::TempDirectory;

constexpr char kSearchDone[] = "搜索完成！如果你选择了下载相片，程序即将开始下载相片！";
constexpr char kDownloadDone[] = "相片下载完成";
constexpr int kGuangdong = 19;

// Requests the service has answered, counted by the first part of their path.
class RequestLog {
public:
    void Add(const std::string& line) {
        std::lock_guard lock(mutex_);
        for (const char* kind : {"/search/", "/photos/", "/profile/"}) {
            if (line.find(std::string(" ") + kind) != std::string::npos) {
                ++counts_[kind];
            }
        }
    }
    int Count(const std::string& kind) {
        std::lock_guard lock(mutex_);
        return counts_[kind];
    }

private:
    std::mutex mutex_;
    std::map<std::string, int> counts_;
};

class EndToEndTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing_support::TestApplication();
        auto regions = demo::LoadDemoRegions(MIYOUTONG_REGION_DATABASE, nullptr);
        ASSERT_TRUE(regions);
        service_ = std::make_unique<demo::DemoService>(
            *regions, demo::DemoServiceOptions{},
            [this](const std::string& line) { log_.Add(line); });
        ASSERT_GT(service_->Start(0), 0);
        host_ = "127.0.0.1:" + std::to_string(service_->Port());
        std::filesystem::copy_file(MIYOUTONG_REGION_DATABASE, dir_.path() / "data.db");
        answerer_ = std::make_unique<MessageBoxAnswerer>();
        options_.programDirectory = dir_.str();
        options_.addresses.searchHost = host_;
        options_.addresses.profileHost = host_;
        options_.openAddress = [this](const std::string& url) { opened_.push_back(url); };
    }

    std::vector<const demo::DemoMember*> ExpectedMembers() const {
        return service_->Population().Matching(demo::DemoQuery::FromParams(
            {{"gender", "1"}, {"agebegin", "20"}, {"ageend", "30"}, {"workcitycity", "10119000"}}));
    }

    const demo::DemoMember* Member(const std::string& id) const {
        for (const demo::DemoMember* m : ExpectedMembers()) {
            if (m->id == id) {
                return m;
            }
        }
        return nullptr;
    }

    bool WaitForMessage(const std::string& text) {
        return QTest::qWaitFor(
            [&] {
                const auto texts = answerer_->Texts();
                return std::count(texts.begin(), texts.end(), text) > messagesSeen_[text];
            },
            20000) &&
               (++messagesSeen_[text], true);
    }

    // The service logs a request after its answer has gone out, so the count can lag behind
    // what the program has already received.
    bool PhotoRequestsReach(int count) {
        return QTest::qWaitFor([&] { return log_.Count("/photos/") >= count; }, 5000) &&
               log_.Count("/photos/") == count;
    }

    std::unique_ptr<demo::DemoService> service_;
    RequestLog log_;
    std::string host_;
    TempDirectory dir_;
    std::unique_ptr<MessageBoxAnswerer> answerer_;
    ProgramOptions options_;
    std::vector<std::string> opened_;
    std::map<std::string, int> messagesSeen_;
};

// Chooses women, 20 to 30, 广东 as a user would.
void ChooseCriteria(MainWindow& window, QtControlSurface& controls) {
    window.ComboBox(Control::组合框_性别)->setCurrentIndex(2);
    window.ComboBox(Control::组合框_起始年龄)->setCurrentIndex(3);   // 20
    window.ComboBox(Control::组合框_结束年龄)->setCurrentIndex(13);  // 30
    QComboBox* start = window.ComboBox(Control::组合框_起始地区);
    for (int i = 0; i < start->count(); ++i) {
        if (controls.ComboItemValue(Control::组合框_起始地区, i) == kGuangdong) {
            start->setCurrentIndex(i);
            emit start->activated(i);  // a pick by the user fills the end list
        }
    }
}

void ClickRow(MainWindow& window, int row) {
    ResultList* list = window.Results();
    list->scrollTo(list->model()->index(row, 1));
    const QRect rect = list->visualRect(list->model()->index(row, 1));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rect.center());
}

TEST_F(EndToEndTest, SearchDownloadAndPreview) {
    const auto expected = ExpectedMembers();
    ASSERT_GT(expected.size(), 40u) << "the search must span several pages";
    ASSERT_LT(expected.size(), 1100u);
    const int pages = static_cast<int>((expected.size() + 19) / 20);

    options_.onShown = [&](MainWindow& window, QtControlSurface& controls) {
        QTimer::singleShot(0, &window, [&] {
            ChooseCriteria(window, controls);
            EXPECT_EQ(controls.ComboItemText(Control::组合框_结束地区, 0), Gbk("不限"));
            EXPECT_GT(controls.ComboItemCount(Control::组合框_结束地区), 1);

            // A search without the download: the rows of all pages, then the message.
            static_cast<QPushButton*>(window.Widget(Control::按钮1))->click();
            ASSERT_TRUE(WaitForMessage(kSearchDone));
            ASSERT_TRUE(QTest::qWaitFor([&] { return controls.IsEnabled(Control::按钮1); }));
            ASSERT_EQ(controls.RowCount(), static_cast<int>(expected.size()));
            EXPECT_EQ(log_.Count("/search/"), pages + 1) << "stops at the no-result page";
            EXPECT_EQ(controls.Caption(Control::标签11),
                      Gbk("已搜索到：" + std::to_string(expected.size()) + "个美女"));
            for (int row = 0; row < controls.RowCount(); ++row) {
                EXPECT_EQ(controls.CellText(row, kColumnMemberId), expected[row]->id);
                EXPECT_EQ(controls.CellText(row, kColumnDownloadState), Gbk("禁止下载"));
            }

            // Preview of a row without a saved photo: fetched from the network.
            int goodRow = 0;
            while (expected[goodRow]->photo != demo::PhotoFate::Good) {
                ++goodRow;
            }
            const int photosBefore = log_.Count("/photos/");
            ClickRow(window, goodRow);
            ASSERT_TRUE(QTest::qWaitFor([&] { return window.Picture()->HasPicture(); }));
            EXPECT_TRUE(PhotoRequestsReach(photosBefore + 1)) << log_.Count("/photos/");
            EXPECT_NE(controls.Caption(Control::标签10).find(expected[goodRow]->id),
                      std::string::npos);

            // The same search with the download ticked.
            window.CheckBox(Control::选择框2)->setChecked(true);
            static_cast<QPushButton*>(window.Widget(Control::按钮1))->click();
            ASSERT_TRUE(WaitForMessage(kSearchDone));
            ASSERT_TRUE(WaitForMessage(kDownloadDone));
            ASSERT_TRUE(QTest::qWaitFor([&] { return controls.IsEnabled(Control::按钮1); }));
            int failed = 0;
            for (int row = 0; row < controls.RowCount(); ++row) {
                const demo::DemoMember* member = Member(controls.CellText(row, kColumnMemberId));
                ASSERT_NE(member, nullptr);
                const auto file = dir_.path() / "f" / (member->id + ".jpg");
                if (member->photo == demo::PhotoFate::Missing) {
                    ++failed;
                    EXPECT_EQ(controls.CellText(row, kColumnDownloadState), Gbk("下载失败"));
                    EXPECT_EQ(controls.CellText(row, kColumnSavedPath), "");
                    EXPECT_FALSE(std::filesystem::exists(file));
                    continue;
                }
                EXPECT_EQ(controls.CellText(row, kColumnDownloadState), Gbk("下载完成"));
                EXPECT_EQ(controls.CellText(row, kColumnSavedPath), "f/" + member->id + ".jpg");
                std::ifstream in(file, std::ios::binary);
                const Bytes saved((std::istreambuf_iterator<char>(in)), {});
                EXPECT_EQ(saved, FetchBytes(controls.CellText(row, kColumnPhotoUrl))) << file;
            }
            EXPECT_GT(failed, 0) << "the service makes a few photos fail";

            // Preview of a saved photo: read from its file, no request. Every photo request so
            // far (one download per row, one fetch here per saved photo) is logged first.
            const int photosAfterDownload =
                photosBefore + 1 + controls.RowCount() + (controls.RowCount() - failed);
            ASSERT_TRUE(PhotoRequestsReach(photosAfterDownload)) << log_.Count("/photos/");
            ClickRow(window, goodRow + 1 < controls.RowCount() ? goodRow + 1 : 0);
            window.Picture()->Clear();
            ClickRow(window, goodRow);
            EXPECT_TRUE(window.Picture()->HasPicture());
            EXPECT_EQ(log_.Count("/photos/"), photosAfterDownload);

            // Double-clicking the photo opens the member's profile page.
            QTest::mouseDClick(window.Picture(), Qt::LeftButton);
            EXPECT_EQ(opened_, std::vector<std::string>{
                                   "http://" + host_ + "/profile/getmemberdata.jsps?memberid=" +
                                   expected[goodRow]->id});
            window.close();
        });
    };
    EXPECT_EQ(StartProgram(options_), 0);
}

}  // namespace
}  // namespace miyoutong
