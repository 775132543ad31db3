#pragma once
// The dialog asking for a new set's name. Opened from the library manager it appends the set to the library;
// opened from the library tree it inserts the set before the chosen one, with a placeholder song so that the
// set has a set file at once, and rebuilds the tree and menu. Modeless; Enter in the field is "&OK", Escape
// "&Cancel". A name that cannot be the name of a set's file is refused with a message, and the dialog stays
// open for another try.

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;

class Tform_newset : public QDialog {
    Q_OBJECT
public:
    explicit Tform_newset(QWidget *parent = nullptr);

    // The placeholder song a set inserted from the tree starts with: its path is this bare file name.
    static inline const QString kPlaceholderSong = QStringLiteral("Songs here [You can safely delete this item].mp3");

    QLabel *Image1 = nullptr;
    QLineEdit *edit_newset = nullptr;
    QPushButton *button_ok = nullptr;
    QPushButton *button_cancel = nullptr;

    // Opens the dialog with an empty field: "&OK" appends the set (the library manager's "Add New Set").
    void OpenAppend();
    // Opens it to insert the set at `position` of the set list, with the placeholder song (the tree's
    // "Add new Set at this position...").
    void OpenInsert(int position);

    bool InsertMode() const { return m_insert; }
    int InsertPosition() const { return m_position; }

public Q_SLOTS:
    void button_okClick();
    void button_cancelClick();

private:
    void Open(bool insert, int position);

    bool m_insert = false;
    int m_position = -1;
};

extern Tform_newset *form_newset;
