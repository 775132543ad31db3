#pragma once
// The dialog for the library folder. For now the window with its caption only; its controls come with its subsystem.

#include <QDialog>

class Tform_libraryfolder : public QDialog {
    Q_OBJECT
public:
    explicit Tform_libraryfolder(QWidget *parent = nullptr);
};

extern Tform_libraryfolder *form_libraryfolder;
