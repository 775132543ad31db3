#pragma once
// The about window: the program's name, its version and a line of credits, closed with "&OK". It is shown
// without blocking the other windows, by "About...", by a click on the main window's picture and by the
// hotkey action About.

#include <QDialog>

class QLabel;
class QPushButton;

class Tform_about : public QDialog {
    Q_OBJECT
public:
    explicit Tform_about(QWidget *parent = nullptr);

    // Shows the window (centred on the screen the first time) and brings it to the front.
    void ShowAbout();

    QLabel *Image1 = nullptr;
    QLabel *label_name = nullptr;
    QLabel *label_version = nullptr;
    QLabel *label_credits = nullptr;
    QPushButton *button_ok = nullptr;

public Q_SLOTS:
    void button_okClick();

private:
    bool m_placed = false;
};

extern Tform_about *form_about;
