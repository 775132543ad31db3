#pragma once
// The dialog asking for a new set's name. For now the window with its caption only; its controls come with its subsystem.

#include <QDialog>

class Tform_newset : public QDialog {
    Q_OBJECT
public:
    explicit Tform_newset(QWidget *parent = nullptr);
};

extern Tform_newset *form_newset;
