// The real program in-process against the demo service: a 55-page search with the photo
// download, and the window closed at a random moment of it, over and over. Every close must end
// the program promptly, without a crash, and leave only whole photos behind.
//
// The moments come from a seeded generator; the seed is printed, and MIYOUTONG_SHUTDOWN_SEED
// replays a run. MIYOUTONG_SHUTDOWN_ROUNDS sets the number of rounds (fewer for slow builds).

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <mutex>
#include <random>
#include <thread>

#include "app/program.h"
#include "app/widgets/main_window.h"
#include "app/widgets/qt_control_surface.h"
#include "app/widgets/result_list.h"
#include "support/message_box_answerer.h"
#include "support/qt_application.h"
#include "support/sanitizer_slowdown.h"
#include "support/temp_directory.h"
#include "tools/demo-service/demo_region_loader.h"
#include "tools/demo-service/demo_service.h"
#include "web/fetch.h"

namespace miyoutong {
namespace {

using namespace std::chrono_literals;
using testing_support::MessageBoxAnswerer;
using testing_support::TempDirectory;
using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

constexpr unsigned kDefaultSeed = 20240607;
// The same time budget in a slower (sanitizer) build.
constexpr int kDefaultRounds = 36 / testing_support::kSanitizerSlowdown;
constexpr int kRunRows = 55 * 20;  // a search for men finds more than 55 pages of them
constexpr int kLongestDownloadMs = 1500;
constexpr auto kCloseBound = 2s;  // from the close to StartProgram's return
constexpr char kSearchDone[] = "搜索完成！如果你选择了下载相片，程序即将开始下载相片！";

unsigned long Setting(const char* name, unsigned long fallback) {
    const char* text = std::getenv(name);
    return text && *text ? std::strtoul(text, nullptr, 10) : fallback;
}

// Where in the run the window is closed.
enum class Phase { Walk, CompletionMessage, Download };

const char* PhaseName(Phase phase) {
    switch (phase) {
        case Phase::Walk:
            return "walk";
        case Phase::CompletionMessage:
            return "completion message";
        case Phase::Download:
            return "download";
    }
    return "?";
}

struct Moment {
    Phase phase;
    int rows = 0;                        // walk: closed once the list holds this many rows
    std::chrono::milliseconds delay{0};  // download: closed this long after it began
};

// Ends the test program with a clear message when the program has not ended in time: a hang
// shows as a failure of its own, not as the test's time-out.
class Watchdog {
public:
    Watchdog(std::chrono::seconds limit, std::string what)
        : thread_([this, limit, what] {
              std::unique_lock lock(mutex_);
              if (!done_.wait_for(lock, limit, [this] { return finished_; })) {
                  std::cerr << what << std::endl;
                  std::abort();
              }
          }) {}
    ~Watchdog() {
        {
            std::lock_guard lock(mutex_);
            finished_ = true;
        }
        done_.notify_all();
        thread_.join();
    }

private:
    std::mutex mutex_;
    std::condition_variable done_;
    bool finished_ = false;
    std::thread thread_;
};

class ShutdownUnderLoadTest : public ::testing::Test {
protected:
    void SetUp() override {
        testing_support::TestApplication();
        auto regions = demo::LoadDemoRegions(MIYOUTONG_REGION_DATABASE, nullptr);
        ASSERT_TRUE(regions);
        demo::DemoServiceOptions options;
        options.latencyMs = 3;
        service_ = std::make_unique<demo::DemoService>(*regions, options);
        ASSERT_GT(service_->Start(0), 0);
        host_ = "127.0.0.1:" + std::to_string(service_->Port());
        const auto& members = service_->Population().Members();
        ASSERT_GT(std::count_if(members.begin(), members.end(),
                                [](const demo::DemoMember& m) { return m.gender == 0; }),
                  kRunRows)
            << "a search for men must run to the last page";
    }

    // The bytes the service answers for a member's photo; empty for a missing one.
    const std::string& ServedPhoto(const demo::DemoMember& member) {
        auto found = served_.find(member.id);
        if (found == served_.end()) {
            long status = 0;
            FetchOptions options;
            options.statusCode = &status;
            const Bytes body = FetchBytes(demo::PhotoUrl(host_, member), options);
            found = served_
                        .emplace(member.id, status == 200 ? std::string(body.begin(), body.end())
                                                          : std::string())
                        .first;
        }
        return found->second;
    }

    // Files in the program directory that are not whole photos of listed members: anything but
    // data.db and m/<id>.jpg holding exactly the service's photo.
    std::vector<std::string> BadFiles(const fs::path& dir, int& photos) {
        std::vector<std::string> bad;
        photos = 0;
        for (const auto& entry : fs::recursive_directory_iterator(dir)) {
            const std::string relative = entry.path().lexically_relative(dir).string();
            if (entry.is_directory() && relative == "m") {
                continue;
            }
            if (relative == "data.db") {
                continue;
            }
            const bool photoName = relative.starts_with("m/") && relative.ends_with(".jpg");
            const std::string id = photoName ? relative.substr(2, relative.size() - 6) : "";
            const demo::DemoMember* member = service_->Population().Find(id);
            if (!entry.is_regular_file() || member == nullptr) {
                bad.push_back(relative + " (not a photo of a member)");
                continue;
            }
            std::ifstream in(entry.path(), std::ios::binary);
            const std::string bytes((std::istreambuf_iterator<char>(in)), {});
            const std::string& served = ServedPhoto(*member);
            if (served.empty() || bytes != served) {
                bad.push_back(relative + " (" + std::to_string(bytes.size()) + " of " +
                              std::to_string(served.size()) + " bytes)");
            }
            ++photos;
        }
        return bad;
    }

    std::unique_ptr<demo::DemoService> service_;
    std::string host_;
    std::map<std::string, std::string> served_;
};

TEST_F(ShutdownUnderLoadTest, ClosingAtRandomMomentsLeavesOnlyWholePhotos) {
    const auto seed = static_cast<unsigned>(Setting("MIYOUTONG_SHUTDOWN_SEED", kDefaultSeed));
    const auto rounds = static_cast<int>(Setting("MIYOUTONG_SHUTDOWN_ROUNDS", kDefaultRounds));
    std::cout << "[ seed ] " << seed << " (MIYOUTONG_SHUTDOWN_SEED replays it)" << std::endl;
    RecordProperty("seed", std::to_string(seed));
    std::mt19937 random(seed);

    int downloadRoundsWithPhotos = 0;
    for (int round = 0; round < rounds; ++round) {
        // Every phase in turn; the moment inside it at random. The walk is measured in rows,
        // so that a slower build (a sanitizer's) still closes it mid-walk.
        Moment moment{static_cast<Phase>(round % 3)};
        if (moment.phase == Phase::Walk) {
            moment.rows = std::uniform_int_distribution<int>(0, kRunRows - 1)(random);
        } else if (moment.phase == Phase::Download) {
            moment.delay = std::chrono::milliseconds(
                std::uniform_int_distribution<int>(0, kLongestDownloadMs)(random));
        }
        const std::string when =
            PhaseName(moment.phase) + std::string(" +") +
            (moment.phase == Phase::Walk ? std::to_string(moment.rows) + " rows"
                                         : std::to_string(moment.delay.count()) + " ms");
        SCOPED_TRACE("round " + std::to_string(round) + " of seed " + std::to_string(seed) +
                     ", closed at " + when);

        TempDirectory dir;
        fs::copy_file(MIYOUTONG_REGION_DATABASE, dir.path() / "data.db");
        MessageBoxAnswerer answerer;
        int released = 0;
        Clock::time_point closedAt{};
        bool closedOverTheBox = false;
        std::unique_ptr<Watchdog> afterClose;  // from the close until StartProgram returns

        ProgramOptions options;
        options.programDirectory = dir.str();
        options.addresses.searchHost = host_;
        options.addresses.profileHost = host_;
        options.openAddress = [](const std::string&) {};
        options.onRegexReleased = [&released] { ++released; };
        options.onShown = [&](MainWindow& window, QtControlSurface&) {
            QTimer::singleShot(0, &window, [&] {
                auto close = [&window, &closedAt, &afterClose] {
                    if (closedAt == Clock::time_point{}) {
                        closedAt = Clock::now();
                        afterClose = std::make_unique<Watchdog>(
                            10s, "StartProgram did not return within 10 s of the close");
                        window.close();
                    }
                };
                window.ComboBox(Control::组合框_性别)->setCurrentIndex(1);
                window.CheckBox(Control::选择框2)->setChecked(true);
                static_cast<QPushButton*>(window.Widget(Control::按钮1))->click();
                // Watches the run more often than the answerer presses buttons.
                auto* watch = new QTimer(&window);
                QObject::connect(watch, &QTimer::timeout, &window, [&, watch, close] {
                    const bool boxOpen = [] {
                        for (QWidget* w : QApplication::topLevelWidgets()) {
                            auto* box = qobject_cast<QMessageBox*>(w);
                            if (box && box->isVisible() &&
                                box->text().toStdString() == kSearchDone) {
                                return true;
                            }
                        }
                        return false;
                    }();
                    const bool answered = !answerer.answered().empty();
                    if (moment.phase == Phase::Walk &&
                        (window.Results()->model()->rowCount() >= moment.rows || boxOpen ||
                         answered)) {
                        watch->stop();
                        close();
                    } else if (moment.phase == Phase::CompletionMessage && (boxOpen || answered)) {
                        // Once in a while the answerer is first: then it is closed just after.
                        watch->stop();
                        closedOverTheBox = boxOpen;
                        close();
                    } else if (moment.phase == Phase::Download && answered) {
                        watch->stop();
                        QTimer::singleShot(moment.delay, &window, close);
                    }
                });
                watch->start(1);
            });
        };

        {
            // Long enough for any round, short enough to name a round that never closes.
            const Watchdog whole(60s, "the round did not end within 60 s");
            EXPECT_EQ(StartProgram(options), 0);
            afterClose.reset();
        }
        ASSERT_NE(closedAt, Clock::time_point{}) << "the window was never closed";
        const auto closing = Clock::now() - closedAt;
        const auto closingMs = std::chrono::duration_cast<std::chrono::milliseconds>(closing);
        EXPECT_LT(closing, kCloseBound) << closingMs.count() << " ms";
        EXPECT_EQ(released, 1);
        if (moment.phase == Phase::Walk) {
            EXPECT_TRUE(answerer.Texts().empty() || answerer.Texts()[0] == kSearchDone);
        }

        int photos = 0;
        EXPECT_EQ(BadFiles(dir.path(), photos), std::vector<std::string>{});
        if (moment.phase == Phase::Download && photos > 0) {
            ++downloadRoundsWithPhotos;
        }
        std::cout << "[ round ] " << round << ": " << when
                  << (closedOverTheBox ? " (box open)" : "") << ", " << photos
                  << " photos, closed in " << closingMs.count() << " ms" << std::endl;
    }
    EXPECT_GT(downloadRoundsWithPhotos, 0) << "no round closed the window in mid-download";
}

}  // namespace
}  // namespace miyoutong
