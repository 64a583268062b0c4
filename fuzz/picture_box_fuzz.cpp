// libFuzzer target: the picture box showing arbitrary bytes as a photo: format sniffing, Qt's
// JPEG, BMP, GIF, ICO and CUR readers, our PCX decoder, drawing scaled into the box, and the
// frames of an animated GIF as playing would decode them. One offscreen QApplication serves every
// input, and one box shows them all, as the window's box shows photo after photo.

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QMovie>
#include <QtGlobal>
#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "app/widgets/pcx_decoder.h"
#include "app/widgets/picture_box.h"
#include "app/widgets/picture_format.h"

namespace {

using namespace miyoutong;

// Enough to play any real animation through; a hostile one may claim thousands of frames, each
// up to the box's size limit, so the run also stops after a few full-size frames' worth.
constexpr int kFramesPlayed = 64;
constexpr qint64 kPixelsPlayed = qint64{4} * kPcxMaxPixels;

// Qt's readers are not instrumented, so libFuzzer sees no new coverage when a mutation makes
// Qt decode something new. These counters tell it what came out instead: format, still or
// movie, size class, pixel format and frames played. libFuzzer reads the section as features.
constexpr std::size_t kOutcomeCounters = 8192;
__attribute__((section("__libfuzzer_extra_counters"), used))
std::uint8_t g_outcomes[kOutcomeCounters];

void Note(std::size_t outcome) {
    std::uint8_t& counter = g_outcomes[outcome % kOutcomeCounters];
    counter = static_cast<std::uint8_t>(counter + 1);
}

std::size_t SizeClass(int side) {
    return static_cast<std::size_t>(
        std::bit_width(static_cast<unsigned>(std::clamp(side, 0, 32767))));
}

void NoteOutcome(PictureFormat format, const PictureBox& box) {
    const auto kind = static_cast<std::size_t>(format) * 2 + (box.IsAnimated() ? 1 : 0);
    const QSize size = box.PictureSize();
    Note((kind * 16 + SizeClass(size.width())) * 16 + SizeClass(size.height()));
    Note(4096 + kind * 64 + static_cast<std::size_t>(box.CurrentImage().format()));
}

void Check(bool holds, const char* what) {
    if (!holds) {
        std::fprintf(stderr, "picture_box_fuzz: broken invariant: %s\n", what);
        std::abort();
    }
}

PictureBox& Box() {
    static PictureBox* box = [] {
        auto* made = new PictureBox;
        made->resize(100, 125);  // the box's size in the window
        return made;
    }();
    return *box;
}

// What playing the animation does: every frame decoded in turn.
void PlayFrames(const Bytes& bytes) {
    QByteArray data(reinterpret_cast<const char*>(bytes.data()),
                    static_cast<qsizetype>(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QMovie movie(&buffer, QByteArrayLiteral("gif"));
    int frame = 0;
    qint64 pixels = 0;
    for (; frame < kFramesPlayed && pixels < kPixelsPlayed && movie.jumpToNextFrame(); ++frame) {
        const QSize size = movie.currentImage().size();
        pixels += qint64{size.width()} * size.height();
        Note(6144 + SizeClass(size.width()) * 16 + SizeClass(size.height()));
    }
    Note(7168 + static_cast<std::size_t>(frame));
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Qt's readers warn about every damaged file; thousands of them a second say nothing.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
    // Qt keeps the argument count by reference for the whole life of the application.
    static int qtArgc = 1;
    static char name[] = "picture_box_fuzz";
    static char* qtArgv[] = {name, nullptr};
    new QApplication(qtArgc, qtArgv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const Bytes bytes(data, data + size);
    PictureBox& box = Box();
    box.SetPicture(bytes);

    const PictureFormat format = DetectPictureFormat(bytes);
    NoteOutcome(format, box);
    if (format == PictureFormat::Unknown) {
        Check(!box.HasPicture(), "unknown bytes leave the box empty");
    }
    if (format == PictureFormat::Pcx) {
        const std::optional<RgbPicture> pcx = DecodePcx(bytes);
        Check(box.HasPicture() == pcx.has_value(), "the box shows what the PCX decoder reads");
        if (pcx) {
            Check(box.PictureSize() == QSize(pcx->width, pcx->height), "PCX shown at its size");
        }
    }
    if (box.HasPicture()) {
        const QSize size = box.PictureSize();
        Check(!size.isEmpty(), "a picture on show has a size");
        Check(size.width() <= kPcxMaxSide && size.height() <= kPcxMaxSide &&
                  qint64{size.width()} * size.height() <= kPcxMaxPixels,
              "a picture on show is within the size limits");
        Check(box.contentsRect().contains(box.PictureRect()), "the picture is drawn in the box");
        Check(box.IsAnimated() == (box.FrameNumber() >= 0), "only a movie has frames");
    } else {
        Check(box.PictureRect().isEmpty() && !box.IsAnimated(), "an empty box draws nothing");
    }

    // Drawing scales the picture into the box.
    QImage canvas(box.size(), QImage::Format_ARGB32_Premultiplied);
    box.render(&canvas);

    if (box.IsAnimated()) {
        PlayFrames(bytes);
    }
    box.Clear();
    return 0;
}
