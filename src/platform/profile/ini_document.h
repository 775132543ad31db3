#pragma once
// An INI file held in memory line by line, read and changed with the rules of the private-profile functions
// of the desktop the program was first written for, and written back with everything it does not change
// left as it was.
//
// Reading
// - Lines end in LF, CR LF or CR. Each line is decoded on its own: UTF-8 if valid, else Windows-1252. A UTF-8
//   byte-order mark at the start of the file is skipped (and written back).
// - A line whose first non-blank character is ';' or '#' is a comment. "[name]" starts a section (the name is
//   the text up to the first ']', trimmed). "key=value" is a key line: the key is the text before the first
//   '=', the value the text after it, both trimmed of blanks; a value enclosed in a pair of equal quotes
//   ('"' or '\'') loses them. Any other line (no '=', a '[' without ']', an empty key, a key line before the
//   first section) is kept but means nothing.
// - Section and key names match without regard to case. When a key occurs more than once, the first one in
//   the file wins; a section that occurs more than once is read as if its parts were one section, in file
//   order, so the first occurrence of a key still wins.
//
// Writing (setValue)
// - A key that exists (its first occurrence) gets the new value in place; the key keeps its spelling and the
//   line keeps what stood before the value ("key = " stays "key = ").
// - A new key goes after the last key line of the first section of that name (after its header if it has
//   none); a new section goes at the end of the file, after a blank line.
// - Line breaks in a value become blanks, so a value can never add lines of its own. A value with blanks at
//   either end, or enclosed in a pair of equal quotes, is written inside double quotes so that it reads back
//   exactly as it was given.
// - The file is written in UTF-8 with the line end the file used first (CR LF for a file that had none) and
//   a line end after the last line; comments, blank lines, unknown sections and keys and their order stay.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

struct IniEntry {
    QString key;
    QString value;
    bool operator==(const IniEntry &) const = default;
};

class IniDocument {
public:
    static IniDocument fromBytes(QByteArrayView bytes);
    QByteArray toBytes() const;

    // The value of the key, or nothing when the section or key is absent.
    std::optional<QString> value(QStringView section, QStringView key) const;
    // The keys of the section in file order, each once (its first occurrence), with their values.
    QList<IniEntry> entries(QStringView section) const;
    // The names of the sections in file order, each once, spelled as first written.
    QStringList sectionNames() const;

    // Sets the key's value. Returns an empty text when done, else why the name cannot be stored (empty,
    // blanks at either end, a line break, ']' in a section name, '=' in a key or a key starting with '[', ';'
    // or '#'); the document is then unchanged.
    QString setValue(QStringView section, QStringView key, QStringView value);

private:
    enum class Kind { Blank, Comment, Section, Key, Other };
    struct Line {
        Kind kind = Kind::Other;
        QString text;              // the whole line, without its line end
        QString name;              // section name or key, trimmed
        qsizetype valueStart = 0;  // key lines: where the value starts in text
    };

    static Line classify(QString text);
    // Index of the first key line of that name inside a section of that name, or -1.
    qsizetype findKey(QStringView section, QStringView key) const;

    QList<Line> lines_;
    QByteArray lineEnd_ = "\r\n";
    bool byteOrderMark_ = false;
};

// Reads a whole value as a 32-bit signed integer: an optional '+' or '-', then decimal digits, or '$', "0x"
// or "0X" and hexadecimal digits. Anything else (empty text, blanks, other characters before or after the
// number, a bare prefix, a number outside -2147483648..2147483647) gives nothing.
std::optional<int> parseProfileInteger(QStringView text);
