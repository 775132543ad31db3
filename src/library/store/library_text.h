#pragma once
// The text format of the library file "setlib.dat" and of the set files: one entry per line, every line
// ending in CR LF when written, UTF-8. Reading accepts LF, CR LF and a lone CR, skips a UTF-8 byte-order
// mark at the start of the file, and reads a line that is not valid UTF-8 as Windows-1252 (files written by
// older versions). One line end at the very end of the file does not make an extra empty line; any other
// empty line is an entry of its own.
//
// A song line is the title, "=", and the file path: the title is the text before the first "=", the path
// everything after it. A line without "=" is a song with an empty title whose path is the whole line.

#include <QByteArray>
#include <QString>
#include <QStringList>

inline constexpr char16_t kLibraryFileName[] = u"setlib.dat";
inline constexpr char16_t kSetFileExtension[] = u".set";

struct LibraryTextRead {
    enum class Status {
        Ok,          // read whole
        Missing,     // no such file
        Unreadable,  // there is something under that name, but it could not be read (a folder, an I/O error)
    };
    Status status = Status::Missing;
    QStringList lines;
    QString reason;  // for Unreadable: what went wrong

    bool ok() const { return status == Status::Ok; }
};

// Reads a whole library or set file.
LibraryTextRead ReadLibraryText(const QString &path);

// Splits file contents into lines as described above.
QStringList SplitLibraryText(const QByteArray &bytes);

// The file contents for the given lines: each line in UTF-8 followed by CR LF. When the first line starts with
// the character U+FEFF, the file starts with a byte-order mark, so that the line reads back whole.
QByteArray EncodeLibraryText(const QStringList &lines);

// The parts of a song line.
QString SongTitle(const QString &line);
QString SongPath(const QString &line);
QString SongLine(const QString &title, const QString &path);
