#pragma once

#include <functional>
#include <string>

#include "app/startup.h"
#include "search/search_query.h"

namespace miyoutong {

class MainWindow;
class QtControlSurface;

// The fixed addresses of the program, from the build.
struct ProgramAddresses {
    std::string searchHost;
    std::string profileHost;
    std::string downloadPage;
};
ProgramAddresses BuiltInAddresses();

// What a run of the program may be given instead of its defaults; the program itself passes
// nothing (it reads no command line, environment or configuration). Tests use these seams.
struct ProgramOptions {
    std::string programDirectory;  // empty: the executable's folder
    ProgramAddresses addresses = BuiltInAddresses();
    StartupSteps startup;          // its downloadPage is taken from `addresses`
    // Replaces the browser for every address the program opens.
    std::function<void(const std::string& url)> openAddress;
    // Called once the window is shown, before the event loop runs.
    std::function<void(MainWindow&, QtControlSurface&)> onShown;
    // Called when the regex object is released.
    std::function<void()> onRegexReleased;
};

// The program's life on the UI thread: the main window and its created-work, the event loop, and
// the shutdown that stops a running search and releases the regex object. A QApplication must
// exist. Returns the exit code: 0 after the window was closed or the region database failed,
// -1 when the skin library is unusable.
int StartProgram(const ProgramOptions& options = {});

}  // namespace miyoutong
