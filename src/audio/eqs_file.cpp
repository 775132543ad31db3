#include "audio/eqs_file.h"

#include "platform/profile/atomic_file.h"

#include <QFile>
#include <QFileInfo>

#include <limits>

namespace audio {

namespace {
constexpr qint64 kReadLimit = 64 * 1024;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
}  // namespace

QByteArray FormatEqs(const EqualizerPositions &positions)
{
    QByteArray data;
    for (int position : positions) {
        data += QByteArray::number(position);
        data += "\r\n";
    }
    return data;
}

bool ParseEqsLine(QByteArrayView line, int &value)
{
    qsizetype begin = 0;
    qsizetype end = line.size();
    while (begin < end && IsBlank(line[begin]))
        ++begin;
    while (end > begin && IsBlank(line[end - 1]))
        --end;
    bool negative = false;
    if (begin < end && (line[begin] == '-' || line[begin] == '+')) {
        negative = line[begin] == '-';
        ++begin;
    }
    if (begin == end)
        return false;
    qint64 magnitude = 0;
    for (qsizetype i = begin; i < end; ++i) {
        const char c = line[i];
        if (c < '0' || c > '9')
            return false;
        magnitude = magnitude * 10 + (c - '0');
        if (magnitude > qint64(std::numeric_limits<int>::max()) + 1)
            return false;
    }
    const qint64 signedValue = negative ? -magnitude : magnitude;
    if (signedValue > std::numeric_limits<int>::max())
        return false;
    value = static_cast<int>(signedValue);
    return true;
}

EqsContents ParseEqs(QByteArrayView data)
{
    // A UTF-8 byte-order mark that an editor may have put in front is no part of the first number.
    if (data.startsWith("\xEF\xBB\xBF"))
        data = data.sliced(3);
    EqsContents contents;
    qsizetype pos = 0;
    while (contents.count < kSliderCount && pos < data.size()) {
        qsizetype end = pos;
        while (end < data.size() && data[end] != '\n' && data[end] != '\r')
            ++end;
        int value = 0;
        if (!ParseEqsLine(data.sliced(pos, end - pos), value))
            break;
        contents.values[size_t(contents.count++)] = value;
        if (end < data.size() && data[end] == '\r' && end + 1 < data.size() && data[end + 1] == '\n')
            ++end;
        pos = end + 1;
    }
    return contents;
}

EqsRead ReadEqsFile(const QString &path)
{
    EqsRead read;
    QFile file(path);
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly))
        return read;
    const QByteArray data = file.read(kReadLimit);
    if (file.error() != QFileDevice::NoError)
        return read;
    read.opened = true;
    read.contents = ParseEqs(data);
    return read;
}

QString WriteEqsFile(const QString &path, const EqualizerPositions &positions)
{
    return writeFileAtomically(path, FormatEqs(positions));
}

QString WithEqsExtension(const QString &name)
{
    const qsizetype slash = name.lastIndexOf(QLatin1Char('/'));
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot > slash)
        return name;
    return name + QLatin1String(kEqualizerExtension);
}

QString DefaultEqualizerFile(const QString &programFolder)
{
    return programFolder + QLatin1String(kDefaultEqualizerFileName);
}

QString LoadFailedText(const QString &path)
{
    return QStringLiteral("Couldn't load equalizer settings from file: ") + path;
}

QString ReadFailedText(const QString &path)
{
    return QStringLiteral("Couldn't read equalizer settings from file: ") + path +
        QStringLiteral("\rFile is accessible but may be corrupted.");
}

QString SaveFailedText(const QString &path)
{
    return QStringLiteral("Couldn't save equalizer settings to file: ") + path;
}

}  // namespace audio
