#include "app/widgets/picture_box.h"

#include <QImageReader>
#include <QMouseEvent>
#include <QPainter>

#include "app/widgets/pcx_decoder.h"
#include "app/widgets/picture_format.h"

namespace miyoutong {

namespace {

QByteArray ToByteArray(const Bytes& bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<qsizetype>(bytes.size()));
}

// The bounds of our own PCX reader hold for every format: far beyond any photo, while a header
// that claims more (a GIF canvas of 42 x 40490 repainted at every frame) keeps the window busy for
// seconds.
bool WithinLimits(QSize size) {
    return size.width() <= kPcxMaxSide && size.height() <= kPcxMaxSide &&
           qint64{size.width()} * size.height() <= kPcxMaxPixels;
}

// The size the header of a picture in `format` claims, read without decoding; invalid when the
// reader cannot tell.
QSize DeclaredSize(const QByteArray& data, const char* format) {
    QByteArray copy = data;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setAutoDetectImageFormat(false);
    return reader.size();
}

// Decodes with the reader of the format the first bytes named, never with another one.
QImage ReadWithFormat(const Bytes& bytes, const char* format) {
    QByteArray data = ToByteArray(bytes);
    const QSize declared = DeclaredSize(data, format);
    if (declared.isValid() && !WithinLimits(declared)) {
        return {};
    }
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, format);
    reader.setAutoDetectImageFormat(false);
    QImage image = reader.read();
    return WithinLimits(image.size()) ? image : QImage();
}

QImage ReadPcx(const Bytes& bytes) {
    const std::optional<RgbPicture> picture = DecodePcx(bytes);
    if (!picture) {
        return {};
    }
    QImage image(picture->width, picture->height, QImage::Format_RGB888);
    if (image.isNull()) {
        return {};
    }
    const std::size_t rowBytes = static_cast<std::size_t>(picture->width) * 3;
    for (int y = 0; y < picture->height; ++y) {
        std::copy_n(picture->rgb.data() + y * rowBytes, rowBytes, image.scanLine(y));
    }
    return image;
}

QImage ReadStill(const Bytes& bytes, PictureFormat format) {
    switch (format) {
        case PictureFormat::Jpeg:
            return ReadWithFormat(bytes, "jpeg");
        case PictureFormat::Bmp:
            return ReadWithFormat(bytes, "bmp");
        case PictureFormat::Ico:
            return ReadWithFormat(bytes, "ico");
        case PictureFormat::Cur:
            return ReadWithFormat(bytes, "cur");
        case PictureFormat::Pcx:
            return ReadPcx(bytes);
        case PictureFormat::Gif:
        case PictureFormat::Unknown:
            break;
    }
    return {};
}

}  // namespace

PictureBox::PictureBox(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::Box | QFrame::Plain);
    setLineWidth(1);
    setFocusPolicy(Qt::NoFocus);
}

PictureBox::~PictureBox() = default;

void PictureBox::Clear() {
    movie_.reset();
    movieData_.reset();
    still_ = QImage();
    scaledStill_ = QPixmap();
    update();
}

void PictureBox::SetPicture(const Bytes& bytes) {
    Clear();
    const PictureFormat format = DetectPictureFormat(bytes);
    if (format == PictureFormat::Gif) {
        StartMovie(bytes);
        return;
    }
    still_ = ReadStill(bytes, format);
    update();
}

bool PictureBox::StartMovie(const Bytes& bytes) {
    auto data = std::make_unique<QBuffer>();
    data->setData(ToByteArray(bytes));
    const QSize declared = DeclaredSize(data->data(), "gif");
    if (declared.isValid() && !WithinLimits(declared)) {
        return false;
    }
    data->open(QIODevice::ReadOnly);
    auto movie = std::make_unique<QMovie>(data.get(), QByteArrayLiteral("gif"));
    if (!movie->isValid() || !movie->jumpToFrame(0) || movie->currentImage().isNull() ||
        !WithinLimits(movie->currentImage().size())) {
        return false;
    }
    if (movie->frameCount() == 1) {
        still_ = movie->currentImage();
        update();
        return true;
    }
    connect(movie.get(), &QMovie::frameChanged, this, [this] { update(); });
    movieData_ = std::move(data);
    movie_ = std::move(movie);
    movie_->start();
    update();
    return true;
}

bool PictureBox::HasPicture() const {
    return movie_ != nullptr || !still_.isNull();
}

bool PictureBox::IsAnimated() const {
    return movie_ != nullptr;
}

int PictureBox::FrameNumber() const {
    return movie_ ? movie_->currentFrameNumber() : -1;
}

QImage PictureBox::CurrentImage() const {
    return movie_ ? movie_->currentImage() : still_;
}

QSize PictureBox::PictureSize() const {
    if (movie_) {
        return movie_->currentImage().size();
    }
    return still_.size();
}

QRect PictureBox::PictureRect() const {
    QSize size = PictureSize();
    if (size.isEmpty()) {
        return {};
    }
    const QRect area = contentsRect();
    if (size.width() > area.width() || size.height() > area.height()) {
        size.scale(area.size(), Qt::KeepAspectRatio);
    }
    return QRect(area.left() + (area.width() - size.width()) / 2,
                 area.top() + (area.height() - size.height()) / 2, size.width(), size.height());
}

void PictureBox::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    const QRect target = PictureRect();
    if (target.isEmpty()) {
        return;
    }
    QPainter painter(this);
    if (movie_) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(target, movie_->currentImage());
        return;
    }
    if (scaledStill_.size() != target.size()) {
        scaledStill_ = QPixmap::fromImage(
            target.size() == still_.size()
                ? still_
                : still_.scaled(target.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    }
    painter.drawPixmap(target.topLeft(), scaledStill_);
}

void PictureBox::resizeEvent(QResizeEvent* event) {
    QFrame::resizeEvent(event);
    scaledStill_ = QPixmap();
}

void PictureBox::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        emit doubleClicked();
    }
    QFrame::mouseDoubleClickEvent(event);
}

}  // namespace miyoutong
