#include "app/widgets/picture_format.h"

#include <algorithm>
#include <initializer_list>

namespace miyoutong {

namespace {

bool StartsWith(const Bytes& bytes, std::initializer_list<unsigned char> magic) {
    return bytes.size() >= magic.size() && std::equal(magic.begin(), magic.end(), bytes.begin());
}

}  // namespace

PictureFormat DetectPictureFormat(const Bytes& bytes) {
    if (StartsWith(bytes, {0xFF, 0xD8})) {
        return PictureFormat::Jpeg;
    }
    if (StartsWith(bytes, {'B', 'M'})) {
        return PictureFormat::Bmp;
    }
    if (StartsWith(bytes, {'G', 'I', 'F', '8', '7', 'a'}) ||
        StartsWith(bytes, {'G', 'I', 'F', '8', '9', 'a'})) {
        return PictureFormat::Gif;
    }
    if (StartsWith(bytes, {0x00, 0x00, 0x01, 0x00})) {
        return PictureFormat::Ico;
    }
    if (StartsWith(bytes, {0x00, 0x00, 0x02, 0x00})) {
        return PictureFormat::Cur;
    }
    // Manufacturer 10, any version, run-length coding.
    if (bytes.size() >= 3 && bytes[0] == 0x0A && bytes[2] == 0x01) {
        return PictureFormat::Pcx;
    }
    return PictureFormat::Unknown;
}

}  // namespace miyoutong
