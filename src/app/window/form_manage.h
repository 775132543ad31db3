#pragma once
// The library manager window. For now the window with its caption only; its controls come with its subsystem.

#include <QDialog>

class Tform_manage : public QDialog {
    Q_OBJECT
public:
    explicit Tform_manage(QWidget *parent = nullptr);
};

extern Tform_manage *form_manage;
