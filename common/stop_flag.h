#pragma once

#include <atomic>

namespace miyoutong {

// Set by the window's owner when the program ends; a worker checks it between pages and photos
// and every fetch polls it, so a running search stops promptly.
using StopFlag = std::atomic<bool>;

// A flag that is never set, for callers that cannot be stopped.
inline const StopFlag& NeverStop() {
    static const StopFlag never{false};
    return never;
}

}  // namespace miyoutong
