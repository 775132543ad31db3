#pragma once
// The hotkey configuration window. For now the window with its caption only; its controls come with its subsystem.

#include <QDialog>

class Tform_configureHotkeys : public QDialog {
    Q_OBJECT
public:
    explicit Tform_configureHotkeys(QWidget *parent = nullptr);
};

extern Tform_configureHotkeys *form_configureHotkeys;
