#pragma once
// Tells the user's changes of a slider from changes made by code: dragging the thumb, keys, the wheel and
// page clicks raise Moved() with the new value already set; setValue() from code raises nothing.

#include <QObject>

class QAbstractSlider;

class SliderUserMoves : public QObject {
    Q_OBJECT
public:
    explicit SliderUserMoves(QAbstractSlider *slider);

Q_SIGNALS:
    void Moved();

private:
    QAbstractSlider *m_slider;
    bool m_userAction = false;  // the next value change comes from the user
};
