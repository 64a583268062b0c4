#pragma once

// A group box drawn the classic way: an etched frame whose top edge runs through the middle of
// the caption, with the caption at its left end. Controls placed at the top of the box then sit
// below the frame line, where the layout puts them.

#include <QGroupBox>

namespace miyoutong {

class GroupBox : public QGroupBox {
    Q_OBJECT

public:
    explicit GroupBox(const QString& title, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace miyoutong
