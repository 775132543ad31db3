#pragma once
// The Open URL dialog: a field for a file path or URL that "&Open" hands to the player as it stands. Modeless;
// the field keeps its text from one opening to the next. Enter in the field opens, Escape cancels.

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

class Tform_openurl : public QDialog {
    Q_OBJECT
public:
    explicit Tform_openurl(QWidget *parent = nullptr);

    QLabel *Image1 = nullptr;
    QLineEdit *edit_url = nullptr;
    // The two favourites buttons have no action; they exist but are not shown.
    QPushButton *button_favorites = nullptr;
    QPushButton *button_media = nullptr;
    QPushButton *button_open = nullptr;
    QPushButton *button_cancel = nullptr;

    // Shows the dialog (modeless) with the focus in the field.
    void ShowOpenUrl();

public Q_SLOTS:
    void button_openClick();
    void button_cancelClick();
};

extern Tform_openurl *form_openurl;
