#pragma once

// Answers the message boxes the program shows, as a user would: every few milliseconds it looks
// for a visible QMessageBox, records what it says and presses a button (OK unless told
// otherwise). Works for modal boxes on the UI thread and for boxes shown for a worker.

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <deque>
#include <string>
#include <vector>

namespace miyoutong::testing_support {

struct AnsweredMessage {
    std::string text;   // UTF-8
    std::string title;  // UTF-8
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttonCount = 0;
};

class MessageBoxAnswerer {
public:
    MessageBoxAnswerer() {
        QObject::connect(&timer_, &QTimer::timeout, [this] { AnswerVisibleBoxes(); });
        timer_.start(10);
    }

    // The buttons to press for the coming boxes, in order; OK (the accept role) afterwards.
    void Queue(QMessageBox::ButtonRole role) { roles_.push_back(role); }

    const std::vector<AnsweredMessage>& answered() const { return answered_; }

    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const auto& m : answered_) {
            texts.push_back(m.text);
        }
        return texts;
    }

private:
    void AnswerVisibleBoxes() {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(widget);
            if (box == nullptr || !box->isVisible() || box->property("answered").toBool()) {
                continue;
            }
            box->setProperty("answered", true);
            answered_.push_back({box->text().toStdString(), box->windowTitle().toStdString(),
                                 box->icon(), static_cast<int>(box->buttons().size())});
            const QMessageBox::ButtonRole role =
                roles_.empty() ? QMessageBox::AcceptRole : roles_.front();
            if (!roles_.empty()) {
                roles_.pop_front();
            }
            for (QAbstractButton* button : box->buttons()) {
                if (box->buttonRole(button) == role) {
                    button->click();
                    break;
                }
            }
        }
    }

    QTimer timer_;
    std::deque<QMessageBox::ButtonRole> roles_;
    std::vector<AnsweredMessage> answered_;
};

}  // namespace miyoutong::testing_support
