#pragma once
// The dialog for the library folder: the user types a folder, browses for one or takes the program's folder.
// "&OK" changes the setting in memory only; the configuration file is written by "Save the above options",
// and the tree and menu keep showing the old folder's library until they are next rebuilt. Modeless; Enter
// in the field is "&OK", Escape "&Cancel".

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

class Tform_libraryfolder : public QDialog {
    Q_OBJECT
public:
    explicit Tform_libraryfolder(QWidget *parent = nullptr);

    QLabel *Image1 = nullptr;
    QLineEdit *edit_libraryfolder = nullptr;
    QPushButton *button_browse = nullptr;
    QPushButton *button_default = nullptr;
    QPushButton *button_ok = nullptr;
    QPushButton *button_cancel = nullptr;

    // Shows the dialog with the current library folder in the field, which has the focus.
    void ShowLibraryFolder();

public Q_SLOTS:
    void button_browseClick();
    void button_defaultClick();
    void button_okClick();
    void button_cancelClick();
};

extern Tform_libraryfolder *form_libraryfolder;
