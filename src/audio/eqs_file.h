#pragma once
// Equalizer files (".eqs"): 32 lines of text and nothing else, each the decimal position of one slider in
// file order (the left sliders bass to treble, then the right ones), "-" before negative numbers. Written
// with CR LF line ends; read with LF, CR LF or a lone CR. Reading uses the first 32 lines and ignores any
// further ones, and stops at the first line that is missing or not a whole number.

#include "audio/equalizer.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace audio {

inline constexpr char kDefaultEqualizerFileName[] = "devud3.eqs";
inline constexpr char kEqualizerExtension[] = ".eqs";

// What an equalizer file yields.
struct EqsContents {
    int count = 0;                // lines read as whole numbers before the first that is not (0..32)
    EqualizerPositions values{};  // the first `count` of them, each as written (not limited)
    bool complete() const { return count == kSliderCount; }
};

struct EqsRead {
    bool opened = false;  // false: the file could not be read at all
    EqsContents contents;
};

// The file's bytes for these positions.
QByteArray FormatEqs(const EqualizerPositions &positions);
// Reads the positions out of a file's bytes.
EqsContents ParseEqs(QByteArrayView data);
// One line as a whole number: optional blanks around an optional sign and decimal digits that fit an int.
bool ParseEqsLine(QByteArrayView line, int &value);

// Reads a file. Only its beginning is read: 32 lines of numbers are a few hundred bytes, so whatever
// follows the first 64 KiB cannot be among them.
EqsRead ReadEqsFile(const QString &path);
// Writes a file whole, replacing it at once; returns an empty text when done, else why not.
QString WriteEqsFile(const QString &path, const EqualizerPositions &positions);

// A chosen save name with ".eqs" appended when it has no extension (nothing from a dot after the last
// path separator).
QString WithEqsExtension(const QString &name);
// The program's own equalizer file in `programFolder` (which ends in a separator).
QString DefaultEqualizerFile(const QString &programFolder);

// The error messages of loading and saving.
QString LoadFailedText(const QString &path);
QString ReadFailedText(const QString &path);
QString SaveFailedText(const QString &path);

}  // namespace audio
