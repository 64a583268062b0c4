#pragma once

// A drop-down list of the search options: not editable, items in the order added, and an opened
// list that makes the control at most 160 pixels tall in all (field and list), scrolling when the
// items do not fit.

#include <QComboBox>

namespace miyoutong {

class OptionComboBox : public QComboBox {
    Q_OBJECT

public:
    // Field and opened list together.
    static constexpr int kOpenedHeight = 160;

    explicit OptionComboBox(QWidget* parent = nullptr);

    void showPopup() override;
};

}  // namespace miyoutong
