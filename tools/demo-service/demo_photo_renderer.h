#pragma once

#include <string>

#include "tools/demo-service/demo_member.h"

namespace miyoutong::demo {

constexpr int kPhotoWidth = 100;
constexpr int kPhotoHeight = 125;

// A made-up portrait of the member as a JPEG file: background, figure and colours follow from
// the member's look, and its ID stands in digits at the bottom, so no two members share a photo.
// Empty when the image cannot be encoded.
std::string RenderMemberPhoto(const DemoMember& member);

// The JPEG grown to at least `minimumBytes` by comment segments after its start marker: the
// same picture, the size of a larger photo. Anything that is not a JPEG is returned as it is.
std::string PadPhoto(std::string jpeg, int minimumBytes);

// The body a broken photo address answers with: the first third of the real file, or bytes of
// no image format at all.
std::string BrokenPhoto(const DemoMember& member, const std::string& goodPhoto);

}  // namespace miyoutong::demo
