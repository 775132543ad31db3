#pragma once
// The mini-info popup with the current title. For now the window with its caption only; its controls come with its subsystem.

#include <QWidget>

class Tform_currenttitle : public QWidget {
    Q_OBJECT
public:
    explicit Tform_currenttitle(QWidget *parent = nullptr);
};

extern Tform_currenttitle *form_currenttitle;
