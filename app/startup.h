#pragma once

#include <functional>
#include <string>

#include "app/skin.h"
#include "common/control_surface.h"
#include "regions/region_catalogue.h"
#include "search/regex_holder.h"

namespace miyoutong {

// What happens after the window has been created.
enum class StartupOutcome {
    ShowWindow,   // go on: show the window and run the event loop
    EndProgram,   // the region database failed; end with exit code 0, window never shown
    FatalError,   // the skin library is unusable; end with exit code -1
};

struct StartupSteps {
    // Creates the regex object into the holder; a seam so tests can make it fail.
    std::function<bool(RegexHolder&)> createRegex = [](RegexHolder& regex) {
        return regex.Create();
    };
    std::function<SkinResult(const std::string& programDirectory)> applySkin = ApplySkin;
    std::string downloadPage;
};

// The work done once the main window exists and before it is first shown: region database,
// skin, regex object, option lists.
StartupOutcome OnMainWindowCreated(ControlSurface& controls, RegionCatalogue& regions,
                                   RegexHolder& regex, const StartupSteps& steps);

// Age lists, start-region list, height lists, in this order.
void FillOptionLists(ControlSurface& controls, RegionCatalogue& regions);

}  // namespace miyoutong
