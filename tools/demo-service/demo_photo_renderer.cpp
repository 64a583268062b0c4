#include "tools/demo-service/demo_photo_renderer.h"

#include <QBuffer>
#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <array>

#include "tools/demo-service/demo_random.h"

namespace miyoutong::demo {

namespace {

QColor RandomColor(DemoRandom& random, int low, int high) {
    const int red = random.Between(low, high);
    const int green = random.Between(low, high);
    const int blue = random.Between(low, high);
    return QColor(red, green, blue);
}

// Seven-segment digits drawn with rectangles: no font is needed, so no GUI application either.
void DrawDigits(QPainter& painter, const std::string& digits, int y, const QColor& color) {
    static constexpr std::array<int, 10> kSegments = {0x3F, 0x06, 0x5B, 0x4F, 0x66,
                                                      0x6D, 0x7D, 0x07, 0x7F, 0x6F};
    constexpr int w = 7, h = 13, t = 2, gap = 3;
    const int total = static_cast<int>(digits.size()) * (w + gap) - gap;
    int x = (kPhotoWidth - total) / 2;
    for (const char c : digits) {
        if (c < '0' || c > '9') {
            continue;
        }
        const int bits = kSegments[static_cast<std::size_t>(c - '0')];
        const std::array<QRect, 7> segments = {
            QRect(x + 1, y, w - 2, t),                      // top
            QRect(x + w - t, y + 1, t, h / 2 - 1),          // upper right
            QRect(x + w - t, y + h / 2 + 1, t, h / 2 - 1),  // lower right
            QRect(x + 1, y + h - t, w - 2, t),              // bottom
            QRect(x, y + h / 2 + 1, t, h / 2 - 1),          // lower left
            QRect(x, y + 1, t, h / 2 - 1),                  // upper left
            QRect(x + 1, y + h / 2 - 1, w - 2, t)};         // middle
        for (std::size_t s = 0; s < segments.size(); ++s) {
            if (bits & (1 << s)) {
                painter.fillRect(segments[s], color);
            }
        }
        x += w + gap;
    }
}

void DrawFigure(QPainter& painter, DemoRandom& random, const DemoMember& member) {
    const QColor skin =
        QColor(random.Between(200, 245), random.Between(160, 210), random.Between(130, 180));
    const QColor hair = RandomColor(random, 20, 90);
    const QColor clothes = RandomColor(random, 40, 220);
    const double headX = 50 + random.Between(-8, 8);
    const double headY = 48 + random.Between(-5, 5);
    painter.setPen(Qt::NoPen);
    painter.setBrush(hair);
    if (member.gender == 1) {
        painter.drawRoundedRect(QRectF(headX - 25, headY - 27, 50, 70), 22, 22);
    } else {
        painter.drawEllipse(QPointF(headX, headY - 6), 22, 22);
    }
    painter.setBrush(clothes);
    painter.drawEllipse(QPointF(headX, 112), 38, 30);
    painter.setBrush(skin);
    painter.drawEllipse(QPointF(headX, headY), 18, 22);
    painter.setBrush(QColor(40, 30, 30));
    painter.drawEllipse(QPointF(headX - 7, headY - 2), 2, 2.5);
    painter.drawEllipse(QPointF(headX + 7, headY - 2), 2, 2.5);
    QPainterPath smile;
    smile.moveTo(headX - 6, headY + 9);
    smile.quadTo(headX, headY + 9 + random.Between(1, 5), headX + 6, headY + 9);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(150, 60, 60), 1.5));
    painter.drawPath(smile);
    painter.setPen(Qt::NoPen);
}

// A fine grain, as a camera gives, so the file has the size of a real small photo.
void AddGrain(QImage& image, DemoRandom& random) {
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int noise = random.Between(-14, 14);
            const QRgb pixel = line[x];
            line[x] = qRgb(std::clamp(qRed(pixel) + noise, 0, 255),
                           std::clamp(qGreen(pixel) + noise, 0, 255),
                           std::clamp(qBlue(pixel) + noise, 0, 255));
        }
    }
}

}  // namespace

std::string RenderMemberPhoto(const DemoMember& member) {
    DemoRandom random(member.look);
    QImage image(kPhotoWidth, kPhotoHeight, QImage::Format_RGB32);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        QLinearGradient background(0, 0, random.Between(0, kPhotoWidth), kPhotoHeight);
        background.setColorAt(0, RandomColor(random, 90, 250));
        background.setColorAt(1, RandomColor(random, 30, 200));
        painter.fillRect(image.rect(), background);
        painter.setPen(Qt::NoPen);
        for (int i = random.Between(3, 8); i > 0; --i) {
            QColor spot = RandomColor(random, 120, 255);
            spot.setAlpha(random.Between(40, 110));
            painter.setBrush(spot);
            const int radius = random.Between(4, 16);
            painter.drawEllipse(QPoint(random.Between(0, kPhotoWidth), random.Between(0, 80)),
                                radius, radius);
        }
        DrawFigure(painter, random, member);
        painter.fillRect(QRect(0, kPhotoHeight - 19, kPhotoWidth, 19), QColor(255, 255, 255, 200));
        DrawDigits(painter, member.id, kPhotoHeight - 16, QColor(30, 30, 30));
    }
    AddGrain(image, random);

    QByteArray encoded;
    QBuffer buffer(&encoded);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "JPG", 88)) {
        return {};
    }
    return std::string(encoded.constData(), static_cast<std::size_t>(encoded.size()));
}

std::string PadPhoto(std::string jpeg, int minimumBytes) {
    constexpr std::size_t kMaxSegmentPayload = 65533;  // the length field counts itself
    if (jpeg.size() < 2 || jpeg.compare(0, 2, "\xFF\xD8") != 0 || minimumBytes <= 0 ||
        jpeg.size() >= static_cast<std::size_t>(minimumBytes)) {
        return jpeg;
    }
    std::string padding;
    for (std::size_t missing = static_cast<std::size_t>(minimumBytes) - jpeg.size(); missing > 0;) {
        // A segment adds its 4 marker and length bytes to the payload.
        const std::size_t payload = std::min(kMaxSegmentPayload, missing > 4 ? missing - 4 : 1);
        const std::size_t length = payload + 2;
        padding += "\xFF\xFE";
        padding += static_cast<char>(length >> 8);
        padding += static_cast<char>(length & 0xFF);
        padding.append(payload, ' ');
        missing -= std::min(missing, payload + 4);
    }
    jpeg.insert(2, padding);
    return jpeg;
}

std::string BrokenPhoto(const DemoMember& member, const std::string& goodPhoto) {
    if ((member.look & 1) != 0 && !goodPhoto.empty()) {
        return goodPhoto.substr(0, goodPhoto.size() / 3);
    }
    DemoRandom random(member.look);
    std::string bytes = "<html><body>503 Service Temporarily Unavailable</body></html>\n";
    for (int i = 0; i < 600; ++i) {
        bytes += static_cast<char>(random.Between(0, 255));
    }
    return bytes;
}

}  // namespace miyoutong::demo
