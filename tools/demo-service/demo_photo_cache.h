#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

#include "tools/demo-service/demo_member.h"

namespace miyoutong::demo {

// Encoded photos kept in memory, so every member's photo is made once per run. Safe to use from
// the server's worker threads at once.
class DemoPhotoCache {
public:
    // `minimumBytes`: 0, or the size every photo is padded to (see PadPhoto).
    explicit DemoPhotoCache(int minimumBytes = 0) : minimumBytes_(minimumBytes) {}

    // The body the member's photo address answers with when it answers 200: the JPEG, or the
    // broken bytes for a member whose photo is broken.
    std::shared_ptr<const std::string> Body(const DemoMember& member);

private:
    int minimumBytes_;
    std::mutex mutex_;
    std::unordered_map<std::string, std::shared_ptr<const std::string>> bodies_;
};

}  // namespace miyoutong::demo
