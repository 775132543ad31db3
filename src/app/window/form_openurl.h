#pragma once
// The Open URL dialog. For now the window with its caption only; its controls come with its subsystem.

#include <QDialog>

class Tform_openurl : public QDialog {
    Q_OBJECT
public:
    explicit Tform_openurl(QWidget *parent = nullptr);
};

extern Tform_openurl *form_openurl;
