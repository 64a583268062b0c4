#pragma once

// The picture box 图片框1: a framed box that shows a JPEG, BMP, GIF (animated ones play), icon,
// cursor or PCX picture, told apart by its first bytes. A picture larger than the box is scaled
// down keeping its proportions; every picture is drawn centred.

#include <QBuffer>
#include <QFrame>
#include <QImage>
#include <QMovie>
#include <QPixmap>
#include <memory>

#include "common/bytes.h"

namespace miyoutong {

class PictureBox : public QFrame {
    Q_OBJECT

public:
    explicit PictureBox(QWidget* parent = nullptr);
    ~PictureBox() override;

    // Shows the picture the bytes hold; empty, unknown or undecodable bytes leave the box empty.
    void SetPicture(const Bytes& bytes);
    void Clear();

    bool HasPicture() const;
    bool IsAnimated() const;
    // The picture's own size; empty when there is none.
    QSize PictureSize() const;
    // Where the picture is drawn, in the box's coordinates; empty when there is none.
    QRect PictureRect() const;
    // The frame of an animated picture on show now; -1 for a still picture or none.
    int FrameNumber() const;
    // What is on show now: the still picture or the movie's current frame, unscaled.
    QImage CurrentImage() const;

signals:
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    bool StartMovie(const Bytes& bytes);

    QImage still_;
    QPixmap scaledStill_;  // still_ at its drawn size, made on demand
    // The movie reads from the buffer: the buffer is declared first so it goes last.
    std::unique_ptr<QBuffer> movieData_;
    std::unique_ptr<QMovie> movie_;
};

}  // namespace miyoutong
