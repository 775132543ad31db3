#pragma once
// Path and name helpers of the song library. Paths are native paths with "/" as the separator; the helpers
// that add or strip a trailing separator keep their traditional names.

#include <QString>

// The path with a trailing "/" (appended when the last character is not one; an empty path becomes "/").
QString ForceBackSlash(const QString &path);

// The path without its trailing "/" (only one is removed; "/" becomes empty). Other paths are unchanged.
QString StripLastBackSlash(const QString &path);

// 1-based position where the last occurrence of needle starts in text, overlapping occurrences included;
// 0 when it does not occur or the needle is empty.
int RPos(const QString &needle, const QString &text);

// The title a song gets when it is added by its file path: the file name (the text after the last "/")
// without its extension (the last "." and what follows). A name whose only "." is its first character, such
// as ".hidden", has no extension. Each "=" becomes "-", because a title ends at the first "=" of its line.
QString TitleFromFilePath(const QString &path);

// Why a name cannot be the name of a new set, or an empty text when it can. A set's name is also the name of
// its file (name + ".set"), and a line of the library file.
QString SetNameProblem(const QString &name);
