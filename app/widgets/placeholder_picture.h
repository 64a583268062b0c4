#pragma once

#include "common/bytes.h"

namespace miyoutong {

// The animated picture shown in 图片框1 while a member's photo is fetched: a GIF89a spinner of
// 42 x 42 pixels, 13 frames of 0.1 s, looping for ever.
Bytes PlaceholderPicture();

}  // namespace miyoutong
