#pragma once
// Texts the program uses in several places, kept here so that every place shows and compares the same bytes:
// the program's name, and the texts that stand for no set name, no song title, no file name and no audio
// data (shown in the song panel, stored in the configuration file, and passed where a set name or title is
// expected).

#include <QString>

namespace texts {

inline const QString kProgramName = QStringLiteral("DAK-MP3");

inline const QString kSetUnknown = QStringLiteral("Name of the Set unknown.");
inline const QString kTitleUnknown = QStringLiteral("Song Title unknown.");
inline const QString kFilenameUnknown = QStringLiteral("Filename unknown.");
inline const QString kAudioDataUnknown = QStringLiteral("Current audio data unknown.");

}  // namespace texts
