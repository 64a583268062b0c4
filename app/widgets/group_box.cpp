#include "app/widgets/group_box.h"

#include <QPainter>

namespace miyoutong {

namespace {

constexpr int kCaptionLeft = 8;
constexpr int kCaptionPadding = 2;

}  // namespace

GroupBox::GroupBox(const QString& title, QWidget* parent) : QGroupBox(title, parent) {
    setAlignment(Qt::AlignLeft);
    setFocusPolicy(Qt::NoFocus);
    setFlat(false);
}

void GroupBox::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QFontMetrics metrics(font());
    const int lineY = metrics.height() / 2;
    const QRect frame(0, lineY, width() - 2, height() - lineY - 2);

    // Etched: a shadow line with a light line just inside and below it.
    painter.setPen(palette().color(QPalette::Light));
    painter.drawRect(frame.translated(1, 1));
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(frame);

    const QString caption = title();
    if (caption.isEmpty()) {
        return;
    }
    const int captionWidth = metrics.horizontalAdvance(caption);
    const QRect captionRect(kCaptionLeft, 0, captionWidth + 2 * kCaptionPadding, metrics.height());
    painter.fillRect(captionRect, palette().color(backgroundRole()));
    painter.setPen(
        palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
    painter.drawText(captionRect, Qt::AlignCenter | Qt::TextSingleLine, caption);
}

}  // namespace miyoutong
