#include "app/widgets/picture_box.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <QSignalSpy>
#include <QTest>

#include "app/widgets/pcx_decoder.h"
#include "app/widgets/picture_format.h"
#include "app/widgets/placeholder_picture.h"
#include "support/qt_application.h"

namespace miyoutong {
namespace {

using testing_support::TestApplication;

Bytes FromByteArray(const QByteArray& data) {
    return Bytes(data.begin(), data.end());
}

QImage Solid(int width, int height, QColor colour) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

Bytes Save(const QImage& image, const char* format) {
    QByteArray data;
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, format)) << format;
    return FromByteArray(data);
}

// An icon file turned into a cursor file: type 2, hot spot (0, 0) where the icon keeps its
// plane and bit counts.
Bytes AsCursor(Bytes ico) {
    ico[2] = 2;
    for (std::size_t at = 6 + 4; at < 6 + 8; ++at) {
        ico[at] = 0;
    }
    return ico;
}

// An 8-bit PCX of one colour, with its 256-colour palette at the end.
Bytes SolidPcx(int width, int height, QColor colour) {
    Bytes out(128, 0);
    out[0] = 0x0A;
    out[1] = 5;
    out[2] = 1;
    out[3] = 8;
    out[8] = static_cast<unsigned char>((width - 1) & 0xFF);
    out[9] = static_cast<unsigned char>((width - 1) >> 8);
    out[10] = static_cast<unsigned char>((height - 1) & 0xFF);
    out[11] = static_cast<unsigned char>((height - 1) >> 8);
    out[65] = 1;
    const int bytesPerLine = width + width % 2;
    out[66] = static_cast<unsigned char>(bytesPerLine & 0xFF);
    out[67] = static_cast<unsigned char>(bytesPerLine >> 8);
    for (int y = 0; y < height; ++y) {
        for (int left = bytesPerLine; left > 0;) {
            const int run = std::min(left, 63);
            out.push_back(static_cast<unsigned char>(0xC0 | run));
            out.push_back(1);
            left -= run;
        }
    }
    out.push_back(0x0C);
    for (int i = 0; i < 256; ++i) {
        const QColor c = i == 1 ? colour : QColor(0, 0, 0);
        out.insert(out.end(),
                   {static_cast<unsigned char>(c.red()), static_cast<unsigned char>(c.green()),
                    static_cast<unsigned char>(c.blue())});
    }
    return out;
}

Bytes Fixture(const char* name) {
    QFile file(QStringLiteral(MIYOUTONG_FIXTURES_DIR "/pictures/") + QString::fromUtf8(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    return FromByteArray(file.readAll());
}

bool Near(QColor a, QColor b, int tolerance) {
    return std::abs(a.red() - b.red()) <= tolerance &&
           std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

class PictureBoxTest : public ::testing::Test {
protected:
    void SetUp() override {
        TestApplication();
        box_ = std::make_unique<PictureBox>();
        box_->resize(100, 125);  // 图片框1
        box_->show();
    }

    std::unique_ptr<PictureBox> box_;
};

TEST_F(PictureBoxTest, ShowsEveryKnownFormat) {
    const Bytes ico = Save(Solid(32, 32, QColor(20, 40, 220)), "ICO");
    struct Case {
        const char* name;
        Bytes bytes;
        PictureFormat format;
        QSize size;
        QPoint probe;
        QColor colour;
        int tolerance;
    };
    const Case cases[] = {
        {"jpeg",
         Save(Solid(60, 40, QColor(220, 30, 30)), "JPEG"),
         PictureFormat::Jpeg,
         {60, 40},
         {30, 20},
         QColor(220, 30, 30),
         12},
        {"bmp",
         Save(Solid(60, 40, QColor(30, 200, 60)), "BMP"),
         PictureFormat::Bmp,
         {60, 40},
         {30, 20},
         QColor(30, 200, 60),
         0},
        {"ico", ico, PictureFormat::Ico, {32, 32}, {16, 16}, QColor(20, 40, 220), 0},
        {"cur", AsCursor(ico), PictureFormat::Cur, {32, 32}, {16, 16}, QColor(20, 40, 220), 0},
        {"pcx",
         SolidPcx(61, 30, QColor(250, 200, 10)),
         PictureFormat::Pcx,
         {61, 30},
         {60, 29},
         QColor(250, 200, 10),
         0},
        {"gif",
         Fixture("wide.gif"),
         PictureFormat::Gif,
         {160, 80},
         {10, 40},
         QColor(200, 30, 30),
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DetectPictureFormat(c.bytes), c.format);
        box_->SetPicture({});
        ASSERT_FALSE(box_->HasPicture());
        box_->SetPicture(c.bytes);
        ASSERT_TRUE(box_->HasPicture());
        EXPECT_FALSE(box_->IsAnimated());
        EXPECT_EQ(box_->PictureSize(), c.size);
        const QColor shown = box_->CurrentImage().pixelColor(c.probe);
        EXPECT_TRUE(Near(shown, c.colour, c.tolerance)) << shown.name().toStdString();
    }
}

// The first bytes decide the format; Qt's own guess is never asked.
TEST_F(PictureBoxTest, UnknownOrUndecodableBytesLeaveTheBoxEmpty) {
    const Bytes png = Save(Solid(10, 10, Qt::red), "PNG");
    const Bytes bmp = Save(Solid(10, 10, Qt::red), "BMP");
    const Bytes jpeg = Save(Solid(10, 10, Qt::red), "JPEG");
    auto behind = [](std::initializer_list<unsigned char> magic, const Bytes& rest) {
        Bytes out;
        out.reserve(magic.size() + rest.size());
        out.assign(magic.begin(), magic.end());
        out.resize(magic.size() + rest.size());
        std::copy(rest.begin(), rest.end(),
                  out.begin() + static_cast<std::ptrdiff_t>(magic.size()));
        return out;
    };
    auto replaced = [](Bytes bytes, std::initializer_list<unsigned char> magic) {
        std::copy(magic.begin(), magic.end(), bytes.begin());
        return bytes;
    };
    struct Case {
        const char* name;
        Bytes bytes;
    };
    const Case cases[] = {
        {"empty", {}},
        {"png, which Qt could read", png},
        {"bmp data behind a jpeg mark", behind({0xFF, 0xD8}, bmp)},
        {"jpeg data under a bmp mark", replaced(jpeg, {'B', 'M'})},
        {"gif mark and nothing else", ToBytes("GIF89a")},
        {"gif mark of an unknown version",
         replaced(Fixture("wide.gif"), {'G', 'I', 'F', '8', '8'})},
        {"icon mark and nothing else", {0, 0, 1, 0}},
        {"cursor mark with garbage", {0, 0, 2, 0, 9, 9, 9, 9}},
        {"pcx mark with no header", {0x0A, 5, 1, 8}},
        {"text", ToBytes("<html>not a picture</html>")},
    };
    for (const Case& c : cases) {
        box_->SetPicture(Save(Solid(20, 20, Qt::blue), "BMP"));
        ASSERT_TRUE(box_->HasPicture());
        box_->SetPicture(c.bytes);
        EXPECT_FALSE(box_->HasPicture()) << c.name;
        EXPECT_TRUE(box_->PictureRect().isEmpty()) << c.name;
    }
}

// Far beyond any photo, and a header claiming more could keep the window busy for seconds (a
// GIF canvas is repainted at every frame); the same bounds as the PCX reader.
TEST_F(PictureBoxTest, PicturesBeyondTheSizeLimitsAreRefused) {
    auto withGifCanvas = [](int width, int height) {
        Bytes gif = Fixture("wide.gif");
        gif[6] = static_cast<unsigned char>(width & 0xFF);
        gif[7] = static_cast<unsigned char>(width >> 8);
        gif[8] = static_cast<unsigned char>(height & 0xFF);
        gif[9] = static_cast<unsigned char>(height >> 8);
        return gif;
    };
    struct Case {
        const char* name;
        Bytes bytes;
        bool shown;
    };
    const Case cases[] = {
        {"bmp at the widest", Save(Solid(kPcxMaxSide, 1, Qt::red), "BMP"), true},
        {"bmp one pixel wider", Save(Solid(kPcxMaxSide + 1, 1, Qt::red), "BMP"), false},
        {"jpeg of too many pixels", Save(Solid(4097, 4097, Qt::red), "JPEG"), false},
        {"gif canvas at the tallest", withGifCanvas(160, kPcxMaxSide), true},
        {"gif canvas one pixel taller", withGifCanvas(160, kPcxMaxSide + 1), false},
    };
    for (const Case& c : cases) {
        box_->SetPicture({});
        box_->SetPicture(c.bytes);
        EXPECT_EQ(box_->HasPicture(), c.shown) << c.name;
    }
}

TEST_F(PictureBoxTest, LargePicturesShrinkKeepingProportionsAndAllAreCentred) {
    // The box is 100 x 125 with a one-pixel border: 98 x 123 inside, from (1, 1).
    struct Case {
        QSize picture;
        QRect drawn;
    };
    const Case cases[] = {
        {{160, 80}, {1, 38, 98, 49}},   // too wide
        {{50, 300}, {40, 1, 20, 123}},  // too tall
        {{99, 10}, {1, 58, 98, 9}},     // one pixel too wide
        {{98, 123}, {1, 1, 98, 123}},   // fits exactly
        {{42, 42}, {29, 41, 42, 42}},   // small: own size
        {{1, 1}, {49, 62, 1, 1}},
    };
    for (const Case& c : cases) {
        const QColor colour(10, 120, 240);
        box_->SetPicture(Save(Solid(c.picture.width(), c.picture.height(), colour), "BMP"));
        EXPECT_EQ(box_->PictureRect(), c.drawn) << c.picture.width() << "x" << c.picture.height();

        // What is on screen: the picture inside its rectangle, the background around it.
        const QImage shot = box_->grab().toImage();
        EXPECT_EQ(shot.pixelColor(c.drawn.center()), colour);
        if (c.drawn.left() > 1) {
            EXPECT_NE(shot.pixelColor(c.drawn.left() - 1, c.drawn.center().y()), colour);
        }
        if (c.drawn.top() > 1) {
            EXPECT_NE(shot.pixelColor(c.drawn.center().x(), c.drawn.top() - 1), colour);
        }
    }
}

TEST_F(PictureBoxTest, AnimatedGifPlays) {
    box_->SetPicture(PlaceholderPicture());
    ASSERT_TRUE(box_->HasPicture());
    EXPECT_TRUE(box_->IsAnimated());
    EXPECT_EQ(box_->PictureSize(), QSize(42, 42));
    EXPECT_EQ(box_->PictureRect(), QRect(29, 41, 42, 42));
    const QImage first = box_->CurrentImage();
    EXPECT_TRUE(QTest::qWaitFor([&] { return box_->CurrentImage() != first; }, 2000));
    // It reaches the last frame and starts again.
    EXPECT_TRUE(QTest::qWaitFor([&] { return box_->FrameNumber() == 12; }, 3000));
    EXPECT_TRUE(QTest::qWaitFor([&] { return box_->FrameNumber() == 1; }, 3000));
    EXPECT_TRUE(box_->IsAnimated());

    box_->SetPicture({});
    EXPECT_FALSE(box_->HasPicture());
    EXPECT_FALSE(box_->IsAnimated());
    EXPECT_EQ(box_->FrameNumber(), -1);
}

TEST_F(PictureBoxTest, LeftDoubleClickIsReported) {
    QSignalSpy spy(box_.get(), &PictureBox::doubleClicked);
    QTest::mouseClick(box_.get(), Qt::LeftButton);
    EXPECT_EQ(spy.count(), 0);
    QTest::mouseDClick(box_.get(), Qt::RightButton);
    EXPECT_EQ(spy.count(), 0);
    QTest::mouseDClick(box_.get(), Qt::LeftButton);
    EXPECT_EQ(spy.count(), 1);
}

// ---- the placeholder picture, read block by block ----

struct GifFacts {
    bool valid = false;
    std::string version;
    int width = 0;
    int height = 0;
    int frames = 0;
    std::vector<int> delays;
    std::optional<int> loopCount;  // from the NETSCAPE2.0 block
};

GifFacts ReadGif(const Bytes& b) {
    GifFacts facts;
    std::size_t at = 0;
    auto need = [&](std::size_t n) { return at + n <= b.size(); };
    auto skipSubBlocks = [&] {
        while (need(1) && b[at] != 0) {
            at += 1 + b[at];
        }
        at += 1;
    };
    if (!need(13)) {
        return facts;
    }
    facts.version = std::string(b.begin(), b.begin() + 6);
    facts.width = b[6] | b[7] << 8;
    facts.height = b[8] | b[9] << 8;
    at = 13;
    if (b[10] & 0x80) {
        at += 3 * (std::size_t{1} << ((b[10] & 0x07) + 1));
    }
    while (need(1)) {
        const unsigned char kind = b[at++];
        if (kind == 0x3B) {
            facts.valid = true;
            break;
        }
        if (kind == 0x21 && need(1)) {
            const unsigned char label = b[at++];
            if (label == 0xF9 && need(6)) {
                facts.delays.push_back(b[at + 2] | b[at + 3] << 8);
            }
            if (label == 0xFF && need(16) &&
                std::string(b.begin() + at + 1, b.begin() + at + 12) == "NETSCAPE2.0") {
                facts.loopCount = b[at + 14] | b[at + 15] << 8;
            }
            skipSubBlocks();
        } else if (kind == 0x2C && need(10)) {
            const unsigned char flags = b[at + 8];
            at += 9;
            if (flags & 0x80) {
                at += 3 * (std::size_t{1} << ((flags & 0x07) + 1));
            }
            at += 1;  // LZW code size
            skipSubBlocks();
            ++facts.frames;
        } else {
            break;
        }
    }
    return facts;
}

TEST(PlaceholderPicture, IsALoopingSpinnerOf13FramesOfATenthOfASecond) {
    TestApplication();
    const Bytes bytes = PlaceholderPicture();
    ASSERT_FALSE(bytes.empty());
    const GifFacts facts = ReadGif(bytes);
    ASSERT_TRUE(facts.valid);
    EXPECT_EQ(facts.version, "GIF89a");
    EXPECT_EQ(facts.width, 42);
    EXPECT_EQ(facts.height, 42);
    EXPECT_EQ(facts.frames, 13);
    EXPECT_EQ(facts.delays, std::vector<int>(13, 10));
    EXPECT_EQ(facts.loopCount, 0);  // 0: for ever

    // And as Qt's reader sees it.
    QByteArray data(reinterpret_cast<const char*>(bytes.data()),
                    static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "gif");
    EXPECT_EQ(reader.size(), QSize(42, 42));
    EXPECT_EQ(reader.imageCount(), 13);
    EXPECT_EQ(reader.loopCount(), -1);  // Qt's word for "for ever"
    int frames = 0;
    while (reader.canRead()) {
        ASSERT_FALSE(reader.read().isNull());
        EXPECT_EQ(reader.nextImageDelay(), 100);
        ++frames;
    }
    EXPECT_EQ(frames, 13);
}

}  // namespace
}  // namespace miyoutong
