// The whole program in-process with real widgets: start-up paths and closing while a search or a
// download runs.

#include "app/program.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QTest>
#include <chrono>
#include <filesystem>

#include "app/widgets/main_window.h"
#include "app/widgets/qt_control_surface.h"
#include "support/http_test_server.h"
#include "support/message_box_answerer.h"
#include "support/qt_application.h"
#include "support/result_page.h"
#include "support/temp_directory.h"

namespace miyoutong {
namespace {

using testing_support::HttpTestServer;
using testing_support::MessageBoxAnswerer;
using testing_support::TempDirectory;

using Clock = std::chrono::steady_clock;

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing_support::TestApplication();
        answerer_ = std::make_unique<MessageBoxAnswerer>();
        qApp->setStyleSheet("");
        options_.programDirectory = dir_.str();
        options_.openAddress = [this](const std::string& url) { opened_.push_back(url); };
        options_.onRegexReleased = [this] { ++released_; };
        options_.addresses.downloadPage = "http://download.invalid/";
        // Acts once the event loop runs, as a user would.
        options_.onShown = [this](MainWindow& window, QtControlSurface&) {
            shown_ = true;
            QTimer::singleShot(0, &window, [this, &window] {
                if (whenShown_) {
                    whenShown_(window);
                } else {
                    window.close();
                }
            });
        };
    }

    void ShipDatabase() {
        std::filesystem::copy_file(MIYOUTONG_REGION_DATABASE, dir_.path() / "data.db");
    }

    int Start() { return StartProgram(options_); }

    TempDirectory dir_;
    ProgramOptions options_;
    std::unique_ptr<MessageBoxAnswerer> answerer_;
    std::vector<std::string> opened_;
    int released_ = 0;
    bool shown_ = false;
    std::function<void(MainWindow&)> whenShown_;
};

TEST_F(ProgramTest, MissingDatabaseOffersTheDownloadPageAndEnds) {
    struct Case {
        QMessageBox::ButtonRole answer;
        std::vector<std::string> opened;
    };
    for (const Case& c : {Case{QMessageBox::AcceptRole, {"http://download.invalid/"}},
                          Case{QMessageBox::RejectRole, {}}}) {
        opened_.clear();
        released_ = 0;
        answerer_->Queue(c.answer);
        EXPECT_EQ(Start(), 0);
        EXPECT_FALSE(shown_);
        EXPECT_EQ(opened_, c.opened);
        EXPECT_EQ(released_, 1);
    }
    ASSERT_EQ(answerer_->answered().size(), 2u);
    const auto& box = answerer_->answered()[0];
    EXPECT_EQ(box.text,
              "获取地区数据库失败，请重新下载本程序！\n是否重新下载本程序，点击确定进入下载网址！");
    EXPECT_EQ(box.title, "提示");
    EXPECT_EQ(box.icon, QMessageBox::Information);
    EXPECT_EQ(box.buttonCount, 2);
}

TEST_F(ProgramTest, NormalStartShowsFilledListsAndEscEnds) {
    ShipDatabase();
    int ageItems = 0, regionItems = 0, heightItems = 0;
    whenShown_ = [&](MainWindow& window) {
        ageItems = window.ComboBox(Control::组合框_结束年龄)->count();
        regionItems = window.ComboBox(Control::组合框_起始地区)->count();
        heightItems = window.ComboBox(Control::组合框_起始身高)->count();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        QTest::keyClick(&window, Qt::Key_Escape);
    };
    EXPECT_EQ(Start(), 0);
    EXPECT_TRUE(shown_);
    EXPECT_EQ(ageItems, 83);
    EXPECT_EQ(regionItems, 36);
    EXPECT_EQ(heightItems, 83);
    EXPECT_TRUE(answerer_->answered().empty());
    EXPECT_EQ(released_, 1);
}

TEST_F(ProgramTest, RegexFailureIsReportedAndTheWindowStillShows) {
    ShipDatabase();
    options_.startup.createRegex = [](RegexHolder&) { return false; };
    int ageItems = -1, genderItems = -1;
    whenShown_ = [&](MainWindow& window) {
        ageItems = window.ComboBox(Control::组合框_起始年龄)->count();
        genderItems = window.ComboBox(Control::组合框_性别)->count();
        window.close();
    };
    EXPECT_EQ(Start(), 0);
    EXPECT_TRUE(shown_);
    EXPECT_EQ(ageItems, 0);
    EXPECT_EQ(genderItems, 3);
    ASSERT_EQ(answerer_->answered().size(), 1u);
    EXPECT_EQ(answerer_->answered()[0].text, "正则表达式创建失败！");
    EXPECT_EQ(answerer_->answered()[0].title, "信息：");
    EXPECT_EQ(answerer_->answered()[0].icon, QMessageBox::NoIcon);
    EXPECT_EQ(answerer_->answered()[0].buttonCount, 1);
    EXPECT_EQ(released_, 1);
}

TEST_F(ProgramTest, SkinLibrary) {
    ShipDatabase();
    // Present: the skinned look, no message.
    std::filesystem::copy_file(MIYOUTONG_EXAMPLE_SKIN, dir_.path() / "SkinH_EL.dll");
    EXPECT_EQ(Start(), 0);
    EXPECT_TRUE(qApp->styleSheet().contains("QGroupBox"));
    EXPECT_TRUE(answerer_->answered().empty());
    qApp->setStyleSheet("");

    // Present but not a library: a fatal message naming file and entry, exit code -1, and the
    // regex object is never created or released.
    // (Another folder: the loader keeps a library it has loaded once under its path.)
    TempDirectory other;
    std::filesystem::copy_file(MIYOUTONG_REGION_DATABASE, other.path() / "data.db");
    std::ofstream(other.path() / "SkinH_EL.dll") << "not a library";
    options_.programDirectory = other.str();
    shown_ = false;
    released_ = 0;
    EXPECT_EQ(Start(), -1);
    EXPECT_FALSE(shown_);
    EXPECT_EQ(released_, 0);
    ASSERT_EQ(answerer_->answered().size(), 1u);
    EXPECT_NE(answerer_->answered()[0].text.find("SkinH_EL.dll"), std::string::npos);
    EXPECT_NE(answerer_->answered()[0].text.find("SkinH_AttachRes"), std::string::npos);
}

// Serves result pages of 20 members, each page after `pageDelay`, and photos after
// `photoDelay`.
class SlowService {
public:
    SlowService(std::chrono::milliseconds pageDelay, std::chrono::milliseconds photoDelay,
                int pages)
        : pageDelay_(pageDelay), photoDelay_(photoDelay), pages_(pages) {
        server_.server().Get("/search/getfastmdata.jsps", [this](const httplib::Request& request,
                                                                 httplib::Response& response) {
            std::this_thread::sleep_for(pageDelay_);
            const int page = std::stoi(request.get_param_value("currentpage"));
            if (page > pages_) {
                response.set_content(testing_support::NoResultPageHtml(), "text/html");
                return;
            }
            std::vector<testing_support::MemberEntry> members;
            for (int i = 0; i < 20; ++i) {
                const std::string id = std::to_string(page * 100 + i);
                members.push_back({id, "会员" + id, "30", "上海", "50",
                                   server_.Url("/photo/" + id + ".jpg")});
            }
            response.set_content(testing_support::ResultPageHtml(members), "text/html");
        });
        server_.server().Get(R"(/photo/(\d+)\.jpg)", [this](const httplib::Request& request,
                                                            httplib::Response& response) {
            std::this_thread::sleep_for(photoDelay_);
            response.set_content(PhotoBytes(request.matches[1].str()), "image/jpeg");
        });
        server_.Start();
    }

    static std::string PhotoBytes(const std::string& id) { return std::string(20000, 'p') + id; }
    std::string Host() const { return server_.HostAndPort(); }
    HttpTestServer& server() { return server_; }

private:
    HttpTestServer server_;
    std::chrono::milliseconds pageDelay_, photoDelay_;
    int pages_;
};

void StartSearch(MainWindow& window, bool download) {
    window.ComboBox(Control::组合框_性别)->setCurrentIndex(1);
    window.CheckBox(Control::选择框2)->setChecked(download);
    static_cast<QPushButton*>(window.Widget(Control::按钮1))->click();
}

TEST_F(ProgramTest, ClosingDuringARunEndsPromptly) {
    ShipDatabase();
    SlowService service(std::chrono::milliseconds(100), std::chrono::milliseconds(0), 55);
    options_.addresses.searchHost = service.Host();
    whenShown_ = [&](MainWindow& window) {
        StartSearch(window, false);
        QTimer::singleShot(450, &window, [&window] { window.close(); });
    };
    const auto begin = Clock::now();
    EXPECT_EQ(Start(), 0);
    EXPECT_LT(Clock::now() - begin, std::chrono::seconds(3));
    EXPECT_LT(service.server().Hits("/search/getfastmdata.jsps"), 55);
    EXPECT_TRUE(answerer_->answered().empty()) << "no completion message after the close";
    EXPECT_EQ(released_, 1);
}

TEST_F(ProgramTest, ClosingDuringADownloadLeavesOnlyWholePhotos) {
    ShipDatabase();
    SlowService service(std::chrono::milliseconds(0), std::chrono::milliseconds(60), 2);
    options_.addresses.searchHost = service.Host();
    whenShown_ = [&](MainWindow& window) {
        StartSearch(window, true);
        // Close once a few photos are saved (data.db is there too).
        auto* poll = new QTimer(&window);
        QObject::connect(poll, &QTimer::timeout, [this, &window] {
            if (std::filesystem::exists(dir_.path() / "m") && dir_.Files().size() >= 4) {
                window.close();
            }
        });
        poll->start(5);
    };
    const auto begin = Clock::now();
    EXPECT_EQ(Start(), 0);
    EXPECT_LT(Clock::now() - begin, std::chrono::seconds(5));
    EXPECT_EQ(answerer_->Texts(),
              std::vector<std::string>{"搜索完成！如果你选择了下载相片，程序即将开始下载相片！"});
    const auto files = dir_.Files();
    EXPECT_GE(files.size(), 4u);  // data.db and the photos saved before the close
    EXPECT_LT(files.size(), 41u);
    for (const std::string& file : files) {
        if (file == "data.db") {
            continue;
        }
        ASSERT_TRUE(file.starts_with("m/") && file.ends_with(".jpg")) << file;
        const std::string id = file.substr(2, file.size() - 6);
        std::ifstream in(dir_.path() / file, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(in)), {});
        EXPECT_EQ(bytes, SlowService::PhotoBytes(id)) << file;
    }
    EXPECT_EQ(released_, 1);
}

}  // namespace
}  // namespace miyoutong
