#pragma once

// Which kind of picture a byte string holds, told by its first bytes alone.

#include "common/bytes.h"

namespace miyoutong {

enum class PictureFormat { Unknown, Jpeg, Bmp, Gif, Ico, Cur, Pcx };

PictureFormat DetectPictureFormat(const Bytes& bytes);

}  // namespace miyoutong
