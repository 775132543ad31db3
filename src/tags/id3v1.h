#pragma once
// The ID3v1 tag block: the fixed 128 bytes that may end an MP3 file, and the in-memory record it is read into.
//
//   offset  width  field
//        0      3  identifier "TAG"
//        3     30  title     text, filled up with NUL bytes
//       33     30  artist
//       63     30  album
//       93      4  year
//       97     30  comment   (all 30 bytes: no track number in bytes 125 and 126)
//      127      1  genre     index into GenreNames
//
// Text on disk is ISO-8859-1, the format's own encoding. A character outside it is written as "?".
// These functions only convert; reading and writing files is TMP3Tag's job.

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>

struct TMP3TagData {
    QString Identifier;  // at most 3 characters
    QString Title;       // at most 30 characters each
    QString Artist;
    QString Album;
    QString Comment;
    QString Year;  // at most 4 characters
    uint8_t GenreID = 0;
};

namespace Id3v1 {

constexpr int kBlockSize = 128;
constexpr int kTextWidth = 30;
constexpr int kYearWidth = 4;
constexpr uint8_t kGenreOther = 12;
constexpr uint8_t kNoGenre = 255;  // written when no genre is chosen

// Whether a block (at least 3 bytes) starts with "TAG", exactly and case-sensitive.
bool StartsWithTag(const QByteArray &block);

// The fields of a 128-byte block. Each text is all of its bytes with trailing spaces (0x20) removed; NUL
// bytes stay part of the text.
TMP3TagData ParseBlock(const QByteArray &block);

// The 128-byte block for a record: "TAG", each text in at most its width (a full-width text is not followed by
// a NUL), NUL bytes elsewhere, the genre in the last byte. The record's identifier is not used.
QByteArray BuildBlock(const TMP3TagData &data);

// The first `width` characters of a text. A character is a Unicode code point, so a surrogate pair is never
// split and each kept character becomes exactly one byte on disk.
QString CutText(const QString &text, int width);

// A text as an edit box shows it: up to its first NUL.
QString ShownText(const QString &text);

}  // namespace Id3v1

// The genre list of the editor's genre box: the position is the genre byte. 0 to 79 are the standard ID3v1
// genres; from 80 on the list has no "Fast Fusion", so 84 is "Bebob" and later names stand one index lower
// than in the widely used extended list. Files written with it rely on these positions.
inline constexpr std::array<const char *, 115> GenreNames{
    "Blues", "Classic Rock", "Country", "Dance", "Disco", "Funk", "Grunge", "Hip-Hop", "Jazz", "Metal", "New Age",
    "Oldies", "Other", "Pop", "R&B", "Rap", "Reggae", "Rock", "Techno", "Industrial", "Alternative", "Ska",
    "Death Metal", "Pranks", "Soundtrack", "Euro-Techno", "Ambient", "Trip-Hop", "Vocal", "Jazz+Funk", "Fusion",
    "Trance", "Classical", "Instrumental", "Acid", "House", "Game", "Sound Clip", "Gospel", "Noise", "AlternRock",
    "Bass", "Soul", "Punk", "Space", "Meditative", "Instrumental Pop", "Instrumental Rock", "Ethnic", "Gothic",
    "Darkwave", "Techno-Industrial", "Electronic", "Pop-Folk", "Eurodance", "Dream", "Southern Rock", "Comedy", "Cult",
    "Gangsta", "Top 40", "Christian Rap", "Pop/Funk", "Jungle", "Native American", "Cabaret", "New Wave", "Psychadelic",
    "Rave", "Showtunes", "Trailer", "Lo-Fi", "Tribal", "Acid Punk", "Acid Jazz", "Polka", "Retro", "Musical",
    "Rock & Roll", "Hard Rock",
    // 80
    "Folk", "Folk/Rock", "National Folk", "Swing", "Bebob", "Latin", "Revival", "Celtic", "Bluegrass", "Avantgarde",
    "Gothic Rock", "Progressive Rock", "Psychedelic Rock", "Symphonic Rock", "Slow Rock", "Big Band", "Chorus",
    "Easy Listening", "Acoustic", "Humour", "Speech", "Chanson", "Opera", "Chamber Music", "Sonata", "Symphony",
    "Booty Bass", "Primus", "Porn Groove", "Satire", "Slow Jam", "Club", "Tango", "Samba", "Folklore"};
