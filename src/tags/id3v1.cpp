#include "tags/id3v1.h"

#include <QList>

namespace Id3v1 {
namespace {

struct Field {
    int offset;
    int width;
};

constexpr Field kTitle{3, kTextWidth};
constexpr Field kArtist{33, kTextWidth};
constexpr Field kAlbum{63, kTextWidth};
constexpr Field kYear{93, kYearWidth};
constexpr Field kComment{97, kTextWidth};
constexpr int kGenreOffset = 127;

QString readField(const QByteArray &block, Field field)
{
    QByteArray bytes = block.mid(field.offset, field.width);
    while (bytes.endsWith(' '))
        bytes.chop(1);
    return QString::fromLatin1(bytes);
}

void writeField(QByteArray &block, Field field, const QString &text)
{
    int at = field.offset;
    for (const uint codePoint : CutText(text, field.width).toUcs4())
        block[at++] = codePoint <= 0xFF ? static_cast<char>(codePoint) : '?';
}

}  // namespace

bool StartsWithTag(const QByteArray &block) { return block.startsWith("TAG"); }

TMP3TagData ParseBlock(const QByteArray &block)
{
    Q_ASSERT(block.size() == kBlockSize);
    TMP3TagData data;
    data.Identifier = QString::fromLatin1(block.left(3));
    data.Title = readField(block, kTitle);
    data.Artist = readField(block, kArtist);
    data.Album = readField(block, kAlbum);
    data.Year = readField(block, kYear);
    data.Comment = readField(block, kComment);
    data.GenreID = static_cast<uint8_t>(block[kGenreOffset]);
    return data;
}

QByteArray BuildBlock(const TMP3TagData &data)
{
    QByteArray block(kBlockSize, '\0');
    block.replace(0, 3, "TAG");
    writeField(block, kTitle, data.Title);
    writeField(block, kArtist, data.Artist);
    writeField(block, kAlbum, data.Album);
    writeField(block, kYear, data.Year);
    writeField(block, kComment, data.Comment);
    block[kGenreOffset] = static_cast<char>(data.GenreID);
    return block;
}

QString CutText(const QString &text, int width)
{
    qsizetype end = 0;
    for (int kept = 0; kept < width && end < text.size(); ++kept) {
        const bool pair = text[end].isHighSurrogate() && end + 1 < text.size() && text[end + 1].isLowSurrogate();
        end += pair ? 2 : 1;
    }
    return text.left(end);
}

QString ShownText(const QString &text)
{
    const qsizetype nul = text.indexOf(QChar(u'\0'));
    return nul < 0 ? text : text.left(nul);
}

}  // namespace Id3v1
