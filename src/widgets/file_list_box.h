#pragma once
// TFileListBox: the files of one folder that match a mask, by name, in a list where several files can be
// selected. TFilterComboBox: a drop-down of named masks ("MP3 files (*.mp3)|*.mp3|All files (*.*)|*.*") that
// sets the mask of the file list bound to it.
//
// Masks are shell patterns separated by ";", matched ignoring letter case (so "*.mp3" also lists "SONG.MP3");
// "*.*" and "*" match every file. Hidden files (names beginning with ".") and read-only files are listed like
// the others; folders, devices, sockets and links that lead nowhere are not.

#include <QComboBox>
#include <QListWidget>
#include <QString>
#include <QStringList>

class TFileListBox : public QListWidget {
    Q_OBJECT
public:
    explicit TFileListBox(QWidget *parent = nullptr);

    QString Directory() const { return m_directory; }
    // Lists the files of `folder`. False, with an empty list and no folder, when it is not a readable folder.
    bool SetDirectory(const QString &folder);
    QString Mask() const { return m_mask; }
    void SetMask(const QString &mask);  // relists
    void Update();                      // reads the folder again

    // The names of the selected files, top to bottom.
    QStringList SelectedFileNames() const;

    // The names in `names` that match `mask`, sorted as the list shows them (ignoring case, ties by spelling).
    static QStringList Matching(const QStringList &names, const QString &mask);

private:
    QString m_directory;
    QString m_mask = QStringLiteral("*");
};

class TFilterComboBox : public QComboBox {
    Q_OBJECT
public:
    explicit TFilterComboBox(QWidget *parent = nullptr);

    // Pairs of a caption and a mask, all separated by "|". The first pair is chosen.
    void SetFilter(const QString &filter);
    QString Filter() const { return m_filter; }
    QString Mask() const;  // the chosen mask
    // The list whose mask follows the chosen entry; it gets the chosen mask at once.
    void SetFileList(TFileListBox *list);

private:
    QString m_filter;
    TFileListBox *m_fileList = nullptr;
};
