#pragma once

#include <functional>
#include <string>

#include "common/control_surface.h"
#include "common/stop_flag.h"
#include "search/regex_holder.h"
#include "search/search_query.h"

namespace miyoutong {

inline constexpr int kLastResultPage = 55;

// The Search button, on the UI thread. Refuses a search without a gender; otherwise clears the
// result list, locks the options (so a second click cannot start a second run) and calls
// `startWorker`, which must run RunSearch on a new thread. Returns whether a run was started.
bool OnSearchClicked(ControlSurface& controls, const std::function<void()>& startWorker);

// The worker's body: locks the options, builds the URL prefix from the criteria and walks the
// result pages; the walk or the photo download unlocks the options at the end.
void RunSearch(ControlSurface& controls, const RegexHolder& regex,
               const StopFlag& stop = NeverStop(), std::string_view searchHost = kSearchHost);

// Fetches pages 1 to 55 of the prefix, stops at the page that holds the no-result text, parses
// the member block of every other page, then shows the completion message and either downloads
// the photos or unlocks the options. With `stop` set it ends at once, without messages.
// `beforePage`, when given, hears of each page number before its fetch (progress for tools).
void WalkResultPages(ControlSurface& controls, const RegexHolder& regex, const std::string& prefix,
                     const StopFlag& stop = NeverStop(),
                     const std::function<void(int page)>& beforePage = {});

}  // namespace miyoutong
