#include "tools/demo-service/demo_photo_cache.h"

#include "tools/demo-service/demo_photo_renderer.h"

namespace miyoutong::demo {

std::shared_ptr<const std::string> DemoPhotoCache::Body(const DemoMember& member) {
    {
        std::lock_guard lock(mutex_);
        const auto found = bodies_.find(member.id);
        if (found != bodies_.end()) {
            return found->second;
        }
    }
    // Encoded outside the lock: two threads may both make the same photo, which is harmless.
    std::string body = PadPhoto(RenderMemberPhoto(member), minimumBytes_);
    if (member.photo == PhotoFate::Broken) {
        body = BrokenPhoto(member, body);
    }
    auto shared = std::make_shared<const std::string>(std::move(body));
    std::lock_guard lock(mutex_);
    return bodies_.try_emplace(member.id, std::move(shared)).first->second;
}

}  // namespace miyoutong::demo
