#include "app/ui/slider_user_moves.h"

#include <QAbstractSlider>

SliderUserMoves::SliderUserMoves(QAbstractSlider *slider) : QObject(slider), m_slider(slider)
{
    // A user action moves the slider position first and then sets the value; an action that leaves the
    // position where it was (a key at the end of the range) is followed by no value change and is not
    // marked, so that a later change by code is not taken for the user's.
    connect(slider, &QAbstractSlider::actionTriggered, this, [this](int) {
        if (m_slider->sliderPosition() != m_slider->value())
            m_userAction = true;
    });
    connect(slider, &QAbstractSlider::valueChanged, this, [this](int) {
        if (!m_userAction)
            return;
        m_userAction = false;
        Q_EMIT Moved();
    });
}
