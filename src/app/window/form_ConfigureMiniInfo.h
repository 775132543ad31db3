#pragma once
// The mini-info configuration window. For now the window with its caption only; its controls come with its subsystem.

#include <QDialog>

class Tform_ConfigureMiniInfo : public QDialog {
    Q_OBJECT
public:
    explicit Tform_ConfigureMiniInfo(QWidget *parent = nullptr);
};

extern Tform_ConfigureMiniInfo *form_ConfigureMiniInfo;
