#pragma once
// Building the small dialogs: controls created at their designed place and size, named like their members
// so that tests and the window code find them by object name.

#include <QPoint>
#include <QPushButton>
#include <QRect>
#include <QString>
#include <QWidget>

namespace widgets {

template <typename T>
T *Make(QWidget *parent, const char *name, const QRect &geometry)
{
    auto *widget = new T(parent);
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(geometry);
    return widget;
}

// A dialog button of the designed size (101 x 25) that Enter does not press unless it is the default one.
inline QPushButton *MakeButton(QWidget *parent, const char *name, const QString &text, const QPoint &at)
{
    auto *button = Make<QPushButton>(parent, name, QRect(at, QSize(101, 25)));
    button->setText(text);
    button->setAutoDefault(false);
    return button;
}

}  // namespace widgets
