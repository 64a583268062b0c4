#include "app/program.h"

#include <QApplication>

#include "app/widgets/main_window.h"
#include "app/widgets/placeholder_picture.h"
#include "app/widgets/qt_control_surface.h"
#include "common/program_directory.h"
#include "photos/member_preview.h"
#include "search/search_run.h"
#include "search/search_worker.h"

namespace miyoutong {

namespace {

// Everything that lives as long as the main window.
class Program {
public:
    explicit Program(const ProgramOptions& options) : options_(options), controls_(window_) {
        controls_.SetProgramDirectory(options.programDirectory.empty()
                                          ? ExecutableDirectory()
                                          : options.programDirectory);
        if (options.openAddress) {
            controls_.SetAddressOpener(options.openAddress);
            window_.SetHyperlinkOpener(
                [open = options.openAddress](const QUrl& url) {
                    open(url.toString().toStdString());
                });
        }
    }

    int Run() {
        StartupSteps steps = options_.startup;
        steps.downloadPage = options_.addresses.downloadPage;
        switch (OnMainWindowCreated(controls_, regions_, regex_, steps)) {
            case StartupOutcome::EndProgram:
                ReleaseRegexObject();
                return 0;
            case StartupOutcome::FatalError:
                return -1;
            case StartupOutcome::ShowWindow:
                break;
        }
        ConnectEvents();
        window_.show();
        if (options_.onShown) {
            options_.onShown(window_, controls_);
        }
        QApplication::exec();
        Shutdown();
        return 0;
    }

private:
    void ConnectEvents() {
        QObject::connect(&window_, &MainWindow::searchClicked, [this] {
            OnSearchClicked(controls_, [this] {
                worker_.Start([this](const StopFlag& stop) {
                    RunSearch(controls_, regex_, stop, options_.addresses.searchHost);
                });
            });
        });
        QObject::connect(&window_, &MainWindow::startRegionPicked,
                         [this] { regions_.FillEndRegions(controls_); });
        QObject::connect(&window_, &MainWindow::focusedRowChanged,
                         [this] { preview_.ShowMember(); });
        QObject::connect(&window_, &MainWindow::pictureDoubleClicked,
                         [this] { preview_.OpenMemberProfile(); });
        QObject::connect(&window_, &MainWindow::closing, [this] { previewStop_ = true; });
    }

    // The worker may wait for the UI thread: the surface lets it go before it is joined, and
    // the regex object goes only after that.
    void Shutdown() {
        previewStop_ = true;
        controls_.Shutdown();
        worker_.Stop();
        ReleaseRegexObject();
    }

    void ReleaseRegexObject() {
        regex_.Release();
        if (options_.onRegexReleased) {
            options_.onRegexReleased();
        }
    }

    const ProgramOptions& options_;
    RegexHolder regex_;
    MainWindow window_;
    QtControlSurface controls_;
    RegionCatalogue regions_;
    SearchWorker worker_;
    StopFlag previewStop_{false};
    MemberPreview preview_{controls_, options_.addresses.profileHost, PlaceholderPicture(),
                           previewStop_};
};

}  // namespace

ProgramAddresses BuiltInAddresses() {
    return {MIYOUTONG_SEARCH_HOST, MIYOUTONG_PROFILE_HOST, MIYOUTONG_DOWNLOAD_PAGE};
}

int StartProgram(const ProgramOptions& options) {
    Program program(options);
    return program.Run();
}

}  // namespace miyoutong
