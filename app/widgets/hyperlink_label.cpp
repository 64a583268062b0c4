#include "app/widgets/hyperlink_label.h"

#include <QDesktopServices>
#include <QMouseEvent>

namespace miyoutong {

HyperlinkLabel::HyperlinkLabel(const QString& text, const QUrl& address, QWidget* parent)
    : QLabel(text, parent),
      address_(address),
      opener_([](const QUrl& url) { QDesktopServices::openUrl(url); }) {
    setTextFormat(Qt::PlainText);
    setAlignment(Qt::AlignCenter);
    setWordWrap(false);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
    setToolTip(address.toString());
    UpdateColour();
}

QColor HyperlinkLabel::TextColour() const {
    return palette().color(QPalette::WindowText);
}

void HyperlinkLabel::SetOpener(Opener opener) {
    opener_ = std::move(opener);
}

void HyperlinkLabel::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QLabel::mousePressEvent(event);
        return;
    }
    event->accept();
    visited_ = true;
    UpdateColour();
    if (opener_) {
        opener_(address_);
    }
}

void HyperlinkLabel::enterEvent(QEnterEvent* event) {
    hovered_ = true;
    UpdateColour();
    QLabel::enterEvent(event);
}

void HyperlinkLabel::leaveEvent(QEvent* event) {
    hovered_ = false;
    UpdateColour();
    QLabel::leaveEvent(event);
}

void HyperlinkLabel::UpdateColour() {
    const QColor colour = hovered_ ? kHoverColour : visited_ ? kVisitedColour : kUnvisitedColour;
    QPalette p = palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        p.setColor(group, QPalette::WindowText, colour);
    }
    setPalette(p);
}

}  // namespace miyoutong
