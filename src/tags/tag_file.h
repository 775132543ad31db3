#pragma once
// One open of an MP3 file for tag work: opened, used and closed within one operation of TMP3Tag.
//
// While it is open, other writers are kept out with an advisory lock (shared for reading, exclusive for
// writing), which every instance of this program respects. The lock is taken without waiting: a file that
// another instance is writing fails at once, like a file in use.
//
// Every failure throws TagFileError with a sentence naming the file and the reason.

#include <QByteArray>
#include <QString>

#include <stdexcept>

class TagFileError : public std::runtime_error {
public:
    explicit TagFileError(const QString &message);
    const QString &message() const { return message_; }

private:
    QString message_;
};

class TagFile {
public:
    enum class Mode { Read, ReadWrite };

    TagFile() = default;
    ~TagFile();
    TagFile(const TagFile &) = delete;
    TagFile &operator=(const TagFile &) = delete;

    // Opens a regular file. Returns false, with nothing open, when there is no file at that path; throws for
    // every other failure (no rights, read-only file system, locked, a folder or device in its place).
    bool open(const QString &path, Mode mode);

    qint64 size() const { return size_; }

    // Exactly `length` bytes from `offset`.
    QByteArray readAt(qint64 offset, qint64 length);

    // Writes all of `bytes` at `offset` and makes them durable, so that a full disk is reported here and not
    // lost at close. A failure may leave part of the bytes written; the caller puts things back.
    void writeAt(qint64 offset, const QByteArray &bytes);

    // Cuts the file to `length` bytes and makes the new length durable.
    void truncate(qint64 length);

    // Closes the file and reports a failure to do so; the destructor closes silently.
    void close();

private:
    [[noreturn]] void fail(const QString &what, int error) const;

    QString path_;
    int fd_ = -1;
    qint64 size_ = 0;
};
