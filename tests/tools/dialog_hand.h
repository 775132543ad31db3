#pragma once
// The user's hand on a modal dialog: once a modal dialog of type Dialog is showing, it is handed to `act`,
// which answers it. Made before the call that shows the dialog and lives for that one call; seen() tells
// whether the dialog came at all.

#include <QApplication>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <type_traits>
#include <utility>

template <typename Dialog = QWidget>
class DialogHand {
public:
    // The type is named where the hand is made (DialogHand<QFileDialog>); without a name it takes any dialog.
    explicit DialogHand(std::type_identity_t<std::function<void(Dialog *)>> act) : act_(std::move(act))
    {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            if (auto *dialog = qobject_cast<Dialog *>(QApplication::activeModalWidget())) {
                timer_.stop();
                seen_ = true;
                act_(dialog);
            }
        });
        timer_.start(10);
    }
    bool seen() const { return seen_; }

private:
    QTimer timer_;
    std::function<void(Dialog *)> act_;
    bool seen_ = false;
};
