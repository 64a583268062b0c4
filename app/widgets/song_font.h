#pragma once

#include <QFont>

namespace miyoutong {

// "宋体" at the given pixel height, normal weight. Where it is not installed, Qt falls back to a
// Song-style or bitmap-like CJK face of similar metrics, then to any CJK face.
QFont SongFont(int pixelSize);

}  // namespace miyoutong
