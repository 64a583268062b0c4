#pragma once

// A hyperlink box: a one-line centred caption that opens its fixed address when the left mouse
// button goes down on it. Blue until opened, dark red afterwards, and a lighter blue while the
// pointer is over it.

#include <QColor>
#include <QLabel>
#include <QUrl>
#include <functional>

namespace miyoutong {

class HyperlinkLabel : public QLabel {
    Q_OBJECT

public:
    using Opener = std::function<void(const QUrl&)>;

    static inline const QColor kUnvisitedColour{0, 0, 255};
    static inline const QColor kVisitedColour{128, 0, 0};
    static inline const QColor kHoverColour{49, 106, 197};

    HyperlinkLabel(const QString& text, const QUrl& address, QWidget* parent = nullptr);

    QUrl Address() const { return address_; }
    bool Visited() const { return visited_; }
    // The colour the caption is drawn in now.
    QColor TextColour() const;
    // Replaces the browser launch, for tests.
    void SetOpener(Opener opener);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void UpdateColour();

    QUrl address_;
    Opener opener_;
    bool visited_ = false;
    bool hovered_ = false;
};

}  // namespace miyoutong
