#include "tags/MP3Tag.h"

#include <QFileInfo>

using Id3v1::kBlockSize;

const QString TMP3Tag::ErrorFileMissing = QStringLiteral("File does not exist!");
const QString TMP3Tag::ErrorFileTooSmall = QStringLiteral("File too small to be a MP3 file!");
const QString TMP3Tag::ErrorNoTag = QStringLiteral("MP3 does not contain a mp3 tag or wrong file format!");

TMP3Tag::TMP3Tag(QObject *parent) : QObject(parent) { }

void TMP3Tag::SetFilename(const QString &Value)
{
    m_filename = Value;
    ReadTag();
    if (onFileNameChange)
        onFileNameChange(this);
}

void TMP3Tag::SetTitle(const QString &Value)
{
    m_tag.Title = Id3v1::CutText(Value, Id3v1::kTextWidth);
    Changed();
}

void TMP3Tag::SetArtist(const QString &Value)
{
    m_tag.Artist = Id3v1::CutText(Value, Id3v1::kTextWidth);
    Changed();
}

void TMP3Tag::SetAlbum(const QString &Value)
{
    m_tag.Album = Id3v1::CutText(Value, Id3v1::kTextWidth);
    Changed();
}

void TMP3Tag::SetYear(const QString &Value)
{
    m_tag.Year = Id3v1::CutText(Value, Id3v1::kYearWidth);
    Changed();
}

void TMP3Tag::SetComment(const QString &Value)
{
    m_tag.Comment = Id3v1::CutText(Value, Id3v1::kTextWidth);
    Changed();
}

void TMP3Tag::SetGenreID(uint8_t Value)
{
    m_tag.GenreID = Value;
    Changed();
}

void TMP3Tag::Changed()
{
    if (onChange)
        onChange(this);
}

void TMP3Tag::ClearTag()
{
    m_tag = TMP3TagData{};
    m_tag.GenreID = Id3v1::kGenreOther;
}

void TMP3Tag::ReportError()
{
    if (onError)
        onError(this, m_error);
}

void TMP3Tag::Raise(const TagFileError &error)
{
    m_error = error.message();
    throw error;
}

void TMP3Tag::ReadTag()
{
    // Error keeps the message of an earlier failure until a failure replaces it or a write empties it.
    m_valid = false;
    ClearTag();
    try {
        TagFile file;
        if (!file.open(m_filename, TagFile::Mode::Read)) {
            m_error = ErrorFileMissing;
        } else if (file.size() <= kBlockSize) {
            m_error = ErrorFileTooSmall;
        } else {
            const QByteArray block = file.readAt(file.size() - kBlockSize, kBlockSize);
            file.close();
            if (Id3v1::StartsWithTag(block)) {
                m_tag = Id3v1::ParseBlock(block);
                m_valid = true;
            } else {
                // A record ready to be written: the file's name as title, genre "Other".
                m_error = ErrorNoTag;
                ClearTag();
                m_tag.Identifier = QStringLiteral("TAG");
                m_tag.Title = Id3v1::CutText(QFileInfo(m_filename).fileName(), Id3v1::kTextWidth);
            }
        }
    } catch (const TagFileError &error) {
        Raise(error);
    }
    if (!m_valid)
        ReportError();
}

void TMP3Tag::WriteTag()
{
    m_error.clear();
    try {
        TagFile file;
        if (!file.open(m_filename, TagFile::Mode::ReadWrite)) {
            m_error = ErrorFileMissing;
        } else {
            const qint64 size = file.size();
            qint64 at = size;  // append after the audio ...
            QByteArray oldTag;
            if (size > kBlockSize) {
                QByteArray last = file.readAt(size - kBlockSize, kBlockSize);
                if (Id3v1::StartsWithTag(last)) {
                    at = size - kBlockSize;  // ... or write over the tag that is there
                    oldTag = std::move(last);
                }
            }
            try {
                file.writeAt(at, Id3v1::BuildBlock(m_tag));
            } catch (const TagFileError &) {
                // Put the file back: cut off what was appended, or write the old tag again.
                try {
                    if (oldTag.isEmpty())
                        file.truncate(size);
                    else
                        file.writeAt(at, oldTag);
                } catch (const TagFileError &) { }
                throw;
            }
            file.close();
        }
    } catch (const TagFileError &error) {
        Raise(error);
    }
    if (!m_error.isEmpty())
        ReportError();
}

void TMP3Tag::RemoveTag()
{
    try {
        TagFile file;
        if (!file.open(m_filename, TagFile::Mode::ReadWrite))
            return;
        const qint64 size = file.size();
        if (size > kBlockSize && Id3v1::StartsWithTag(file.readAt(size - kBlockSize, kBlockSize)))
            file.truncate(size - kBlockSize);
        file.close();
    } catch (const TagFileError &error) {
        Raise(error);
    }
    ClearTag();
    ReadTag();
}
