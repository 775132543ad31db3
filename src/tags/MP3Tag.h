#pragma once
// TMP3Tag: the non-visual tag component. It works on one file name: reads the ID3v1 tag of that file into its
// record, writes the record back as a tag, removes the tag, and opens the tag editor window on the file.
// It holds no file open between calls; every call opens the file, does its work and closes it.
//
// Failures the user may meet in ordinary use (no such file, a file too small, a file without tag) are stored
// in Error and handed to onError; the component shows nothing itself. A file that exists but cannot be used
// (no rights, read-only, locked, a folder in its place, an input/output error) throws TagFileError to the
// caller, after storing its sentence in Error.
//
// Writing touches nothing but the tag: the 128 bytes are appended after the audio or written over the old tag,
// and removing cuts them off. When a write fails part-way, the file is put back as it was.
//
// Use from the user-interface thread only (EditTag shows a window).

#include "tags/id3v1.h"
#include "tags/tag_file.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>

class TMP3Tag : public QObject {
    Q_OBJECT

public:
    using TNotifyEvent = std::function<void(TMP3Tag *Sender)>;
    using TErrorEvent = std::function<void(TMP3Tag *Sender, const QString &Error)>;

    // The messages of the failures that reach onError.
    static const QString ErrorFileMissing;   // "File does not exist!"
    static const QString ErrorFileTooSmall;  // "File too small to be a MP3 file!"
    static const QString ErrorNoTag;         // "MP3 does not contain a mp3 tag or wrong file format!"

    // EditTag's results: which button closed the editor.
    static constexpr uint8_t EditCancelled = 0;  // "Cancel" or the close box
    static constexpr uint8_t EditSaved = 1;      // "Save"
    static constexpr uint8_t EditRemoved = 2;    // "Remove ID3"

    explicit TMP3Tag(QObject *parent = nullptr);

    // Setting the file name stores it, reads its tag (ReadTag, whose onError comes first), then fires
    // onFileNameChange.
    const QString &GetFilename() const { return m_filename; }
    void SetFilename(const QString &Value);

    // The record. Each setter stores the value, texts cut to their width (30, the year 4), the genre without
    // range test, then fires onChange. Setters never touch the file.
    const QString &GetTitle() const { return m_tag.Title; }
    void SetTitle(const QString &Value);
    const QString &GetArtist() const { return m_tag.Artist; }
    void SetArtist(const QString &Value);
    const QString &GetAlbum() const { return m_tag.Album; }
    void SetAlbum(const QString &Value);
    const QString &GetYear() const { return m_tag.Year; }
    void SetYear(const QString &Value);
    const QString &GetComment() const { return m_tag.Comment; }
    void SetComment(const QString &Value);
    uint8_t GetGenreID() const { return m_tag.GenreID; }
    void SetGenreID(uint8_t Value);

    // Whether "Save" in the editor writes the tag; true unless changed.
    bool GetEditAutoSave() const { return m_editAutoSave; }
    void SetEditAutoSave(bool Value) { m_editAutoSave = Value; }

    // True after a read that found a tag.
    bool GetValid() const { return m_valid; }
    // The message of the most recent failed read or write; emptied at the start of every write.
    const QString &GetError() const { return m_error; }

    // Reads the tag of Filename into the record. Without a tag the record is made ready to be written: the
    // title is the file's name (without folder, at most 30 characters), the genre "Other", the rest empty.
    void ReadTag();
    // Writes the record as the tag of Filename, over an existing tag or appended after the audio.
    void WriteTag();
    // Cuts an existing tag off Filename, then reads again. Does nothing at all when the file does not exist.
    void RemoveTag();
    // Opens the tag editor window modally on Filename and saves or removes the tag as the user chose there,
    // through the editor's own instance: this component's record is not changed. Returns EditCancelled,
    // EditSaved or EditRemoved. When Filename does not exist, no window opens: Error becomes "File does not
    // exist!", onError is fired with it, and the result is EditCancelled. Defined with the editor window in
    // dak_tags_ui (tags/ui): only a program that links that library opens the editor.
    uint8_t EditTag();

    TNotifyEvent onFileNameChange;
    TNotifyEvent onChange;
    TErrorEvent onError;

private:
    void ClearTag();
    void Changed();
    void ReportError();
    [[noreturn]] void Raise(const TagFileError &error);

    QString m_filename;
    TMP3TagData m_tag;
    bool m_editAutoSave = true;
    bool m_valid = false;
    QString m_error;
};
