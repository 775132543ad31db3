#pragma once
// The audio settings window. For now the window with its caption only; its controls come with its subsystem.

#include <QDialog>

class Tform_modifyaudiosettings : public QDialog {
    Q_OBJECT
public:
    explicit Tform_modifyaudiosettings(QWidget *parent = nullptr);
};

extern Tform_modifyaudiosettings *form_modifyaudiosettings;
