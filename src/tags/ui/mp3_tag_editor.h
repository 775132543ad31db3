#pragma once
// TMP3TagEditor: the small modal window in which the user edits the ID3v1 tag of one file. TMP3Tag::EditTag
// creates it for each edit, sets the file name of its private TMP3Tag (which reads the tag), shows it modally,
// then takes the values from the edit boxes and writes or removes the tag. The window itself only shows and
// collects values and records which button closed it in EditResult.
//
// Enter and Esc have no special effect: no button is a default or cancel button.

#include <QDialog>

#include <cstdint>

class QComboBox;
class QFrame;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class TMP3Tag;

class TMP3TagEditor : public QDialog {
    Q_OBJECT

public:
    explicit TMP3TagEditor(QWidget *parent = nullptr);

    // The instance whose tag the window shows; owned by the window.
    TMP3Tag *Tag() const { return m_tag; }
    // Which button closed the window: TMP3Tag::EditCancelled (also the close box), EditSaved, EditRemoved.
    uint8_t GetEditResult() const { return m_editResult; }

    // Whether the year box discards a key: every key that types a character other than a digit, Backspace and
    // the paste key included. Keys that type nothing (Delete, the arrows, Tab) go through.
    static bool Edit4KeyPress(const QKeyEvent *event);

    QLineEdit *Edit1 = nullptr;       // title
    QLineEdit *Edit2 = nullptr;       // artist
    QLineEdit *Edit3 = nullptr;       // album
    QLineEdit *Edit4 = nullptr;       // year, digits only
    QLineEdit *Edit5 = nullptr;       // comment
    QLineEdit *Edit6 = nullptr;       // full path, read-only, under the path strip
    QComboBox *cb1 = nullptr;         // genre: the list position is the genre byte
    QFrame *Panel1 = nullptr;         // frame of the path strip
    QLabel *FileNameLabel = nullptr;  // the path strip: white on teal
    QPushButton *Button2 = nullptr;   // "Save"
    QPushButton *Button3 = nullptr;   // "Cancel"
    QPushButton *Button4 = nullptr;   // "Remove ID3"

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void FormCreate();
    void FormShow();
    void Button2Click();
    void Button3Click();
    void Button4Click();

    TMP3Tag *m_tag = nullptr;
    uint8_t m_editResult = 0;
};
