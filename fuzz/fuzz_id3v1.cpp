// The ID3v1 reader and writer on arbitrary file contents and tag texts.
// - Reading finds a tag exactly when the last 128 bytes of a file longer than 128 bytes start with "TAG", and
//   then gives the fields of that block.
// - Writing replaces that block or appends one: every byte before it stays as it was, and the new block is the
//   one built from the record. Reading it back gives the record's fields as the block holds them.
// - Removing the tag leaves exactly the bytes before it.

#include "fuzz_support.h"

#include "tags/id3v1.h"
#include "tags/MP3Tag.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>

namespace {

QString text(FuzzedDataProvider &in, size_t maxBytes)
{
    const std::string s = in.ConsumeRandomLengthString(maxBytes);
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

bool sameFields(const TMP3TagData &a, const TMP3TagData &b)
{
    return a.Title == b.Title && a.Artist == b.Artist && a.Album == b.Album && a.Comment == b.Comment &&
        a.Year == b.Year && a.GenreID == b.GenreID;
}

// The same texts as the editor shows them (up to a NUL): a text shorter than its field reads back with the NUL
// bytes that fill the field, where the old block may have had blanks.
bool sameShownFields(const TMP3TagData &a, const TMP3TagData &b)
{
    using Id3v1::ShownText;
    return ShownText(a.Title) == ShownText(b.Title) && ShownText(a.Artist) == ShownText(b.Artist) &&
        ShownText(a.Album) == ShownText(b.Album) && ShownText(a.Comment) == ShownText(b.Comment) &&
        ShownText(a.Year) == ShownText(b.Year) && a.GenreID == b.GenreID;
}

TMP3TagData recordOf(const TMP3Tag &tag)
{
    TMP3TagData d;
    d.Title = tag.GetTitle();
    d.Artist = tag.GetArtist();
    d.Album = tag.GetAlbum();
    d.Year = tag.GetYear();
    d.Comment = tag.GetComment();
    d.GenreID = tag.GetGenreID();
    return d;
}

QString describe(const TMP3TagData &d)
{
    return fuzz::shown(d.Title) + QStringLiteral(" | ") + fuzz::shown(d.Artist) + QStringLiteral(" | ") +
        fuzz::shown(d.Album) + QStringLiteral(" | ") + fuzz::shown(d.Year) + QStringLiteral(" | ") +
        fuzz::shown(d.Comment) + QStringLiteral(" | ") + QString::number(d.GenreID);
}

// A text that the block keeps exactly: Latin-1, no NUL, no blank at its end.
bool keptExactly(const QString &t)
{
    for (const QChar c : t) {
        if (c.unicode() == 0 || c.unicode() > 0xFF)
            return false;
    }
    return !t.endsWith(u' ');
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    fuzz::initialize();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider in(data, size);
    const QString title = text(in, 40);
    const QString artist = text(in, 40);
    const QString album = text(in, 40);
    const QString year = text(in, 8);
    const QString comment = text(in, 40);
    const uint8_t genre = in.ConsumeIntegral<uint8_t>();
    const std::string rest = in.ConsumeRemainingBytesAsString();
    const QByteArray original(rest.data(), qsizetype(rest.size()));

    const QString path = fuzz::scratchPath(QStringLiteral("song.mp3"));
    FUZZ_CHECK(fuzz::writeFile(path, original), path);
    const qsizetype fileSize = original.size();
    const bool hadTag = fileSize > Id3v1::kBlockSize && original.mid(fileSize - Id3v1::kBlockSize, 3) == "TAG";
    const QByteArray before = hadTag ? original.left(fileSize - Id3v1::kBlockSize) : original;

    TMP3Tag tag;
    tag.SetFilename(path);
    FUZZ_CHECK(tag.GetValid() == hadTag, fuzz::shown(original.right(Id3v1::kBlockSize)));
    if (hadTag) {
        const TMP3TagData block = Id3v1::ParseBlock(original.right(Id3v1::kBlockSize));
        FUZZ_CHECK(sameFields(recordOf(tag), block), fuzz::shown(original.right(Id3v1::kBlockSize)));
        // Parsing is stable: the block built from a parsed record parses to the same record.
        FUZZ_CHECK(sameShownFields(Id3v1::ParseBlock(Id3v1::BuildBlock(block)), block),
                   describe(block) + QStringLiteral(" became ") +
                       describe(Id3v1::ParseBlock(Id3v1::BuildBlock(block))));
    }

    tag.SetTitle(title);
    tag.SetArtist(artist);
    tag.SetAlbum(album);
    tag.SetYear(year);
    tag.SetComment(comment);
    tag.SetGenreID(genre);
    const TMP3TagData record = recordOf(tag);
    FUZZ_CHECK(record.Title == Id3v1::CutText(title, Id3v1::kTextWidth), fuzz::shown(title));
    FUZZ_CHECK(record.Year == Id3v1::CutText(year, Id3v1::kYearWidth), fuzz::shown(year));

    tag.WriteTag();
    FUZZ_CHECK(tag.GetError().isEmpty(), tag.GetError());
    const QByteArray block = Id3v1::BuildBlock(record);
    FUZZ_CHECK(block.size() == Id3v1::kBlockSize, QString::number(block.size()));
    const QByteArray written = fuzz::readFile(path);
    FUZZ_CHECK(written == before + block,
               QStringLiteral("file after writing the tag: ") + fuzz::shown(written.right(200)));

    if (written.size() > Id3v1::kBlockSize) {
        tag.ReadTag();
        FUZZ_CHECK(tag.GetValid(), tag.GetError());
        const TMP3TagData back = recordOf(tag);
        FUZZ_CHECK(sameFields(back, Id3v1::ParseBlock(block)), fuzz::shown(block));
        FUZZ_CHECK(!keptExactly(record.Title) || Id3v1::ShownText(back.Title) == record.Title,
                   fuzz::shown(record.Title) + QStringLiteral(" read back as ") + fuzz::shown(back.Title));
        FUZZ_CHECK(!keptExactly(record.Year) || Id3v1::ShownText(back.Year) == record.Year,
                   fuzz::shown(record.Year) + QStringLiteral(" read back as ") + fuzz::shown(back.Year));

        tag.RemoveTag();
        FUZZ_CHECK(fuzz::readFile(path) == before, QStringLiteral("file after removing the tag"));
    }
    return 0;
}
