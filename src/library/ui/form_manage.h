#pragma once
// The library manager window: the sets and the songs of the selected set (the library's working copy, shown
// as it stands, songs as their raw "title=path" lines), a folder tree with the files of the chosen folder,
// and buttons to add, remove, rename and reorder sets and songs, to add the chosen files to the selected set
// and to edit the tags of the selected songs. Every change is in the library files at once; the main
// window's library tree and menu are rebuilt when the window closes (any way) and by "&Recreate Library
// Menu".
//
// Removing and renaming a song act on the focused line itself, so songs of the same title are told apart.
// When a library file cannot be written the user is told which one, the lists keep the change, and
// "&Close and recreate Library Menu" leaves the window open.
//
// Modeless; it lives for the whole run and is only shown and hidden. Showing it opens the folder tree at the
// library folder and reloads the library.

#include <QDialog>
#include <QString>

class LibraryStore;
class QFrame;
class QLabel;
class QListWidget;
class QPushButton;
class QToolButton;
class QTreeWidgetItem;
class TDirTree;
class TFileListBox;
class TFilterComboBox;
class TMP3Tag;

class Tform_manage : public QDialog {
    Q_OBJECT
public:
    explicit Tform_manage(QWidget *parent = nullptr);

    // ---- Controls, by object name.
    QFrame *panel_top = nullptr;
    QFrame *panel_bottom = nullptr;
    TDirTree *dirtree = nullptr;
    TFileListBox *filelistbox = nullptr;
    TFilterComboBox *filtercombobox = nullptr;
    QToolButton *speedbutton_addset = nullptr;
    QToolButton *speedbutton_removeset = nullptr;
    QToolButton *speedbutton_renameset = nullptr;
    QToolButton *speedbutton_setup = nullptr;
    QToolButton *speedbutton_setdown = nullptr;
    QToolButton *speedbutton_addsong = nullptr;
    QToolButton *speedbutton_removesong = nullptr;
    QToolButton *speedbutton_renamesong = nullptr;
    QToolButton *speedbutton_mp3tag = nullptr;
    QToolButton *speedbutton_songup = nullptr;
    QToolButton *speedbutton_songdown = nullptr;
    QLabel *label_libtitle = nullptr;
    QListWidget *listbox_set = nullptr;   // the set list; its selection is the selected set
    QListWidget *listbox_song = nullptr;  // the song lines; the caret line is the focused song
    QPushButton *button_recreate = nullptr;
    QPushButton *button_close = nullptr;
    QListWidget *SearchResult = nullptr;  // hidden: room for a folder search's results
    TMP3Tag *mp3tag = nullptr;            // the tag component EditMP3Tag works with

    // The working copy the two lists show (the program's one library).
    LibraryStore &Library() const;

    // Opens the tag editor on a song's file through `mp3tag`; a file that cannot be used is reported.
    void EditMP3Tag(const QString &path);

public Q_SLOTS:
    void speedbutton_addsetClick();
    void speedbutton_removesetClick();
    void speedbutton_renamesetClick();
    void speedbutton_setupClick();
    void speedbutton_setdownClick();
    void speedbutton_addsongClick();
    void speedbutton_removesongClick();
    void speedbutton_renamesongClick();
    void speedbutton_mp3tagClick();
    void speedbutton_songupClick();
    void speedbutton_songdownClick();
    void button_recreateClick();
    void button_closeClick();
    void listbox_setClick();
    void dirtreeChange(QTreeWidgetItem *node);

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void CreateControls();
    void ConnectControls();
    void FormShow();
    void ShowSets();
    void ShowSongs();
    QString SelectedSet() const;  // empty when no set is selected
    bool HasFocusedSong() const;
    bool HasSelectedSet() const;
    QString LibraryFolderText() const;
    void CreateLibraryMenu();

    bool m_showing = false;  // the lists are being filled from the working copy: not the user's doing
};

extern Tform_manage *form_manage;
