#include "platform/profile/ini_document.h"

#include "platform/profile/legacy_text.h"

#include <QSet>

namespace {

constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";

bool isBlank(QChar c) { return c == u' ' || c == u'\t'; }

bool isQuote(QChar c) { return c == u'"' || c == u'\''; }

bool isQuoted(QStringView text) { return text.size() >= 2 && isQuote(text.front()) && text.front() == text.back(); }

QString readValue(QStringView raw)
{
    QStringView value = raw.trimmed();
    if (isQuoted(value))
        value = value.mid(1, value.size() - 2);
    return value.toString();
}

QString encodeValue(QStringView value)
{
    QString text = value.toString();
    text.replace(u'\r', u' ');
    text.replace(u'\n', u' ');
    if (text != text.trimmed() || isQuoted(text))
        return u'"' + text + u'"';
    return text;
}

bool hasLineBreak(QStringView name) { return name.contains(u'\r') || name.contains(u'\n'); }

QString checkName(QStringView section, QStringView key)
{
    if (section.isEmpty() || section != section.trimmed() || hasLineBreak(section) || section.contains(u']'))
        return QStringLiteral("invalid section name \"%1\"").arg(section);
    if (key.isEmpty() || key != key.trimmed() || hasLineBreak(key) || key.contains(u'=') || key.front() == u'[' ||
        key.front() == u';' || key.front() == u'#')
        return QStringLiteral("invalid key name \"%1\"").arg(key);
    return {};
}

bool sameName(QStringView a, QStringView b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

}  // namespace

IniDocument::Line IniDocument::classify(QString text)
{
    Line line;
    const QStringView trimmed = QStringView(text).trimmed();
    if (trimmed.isEmpty()) {
        line.kind = Kind::Blank;
    } else if (trimmed.front() == u';' || trimmed.front() == u'#') {
        line.kind = Kind::Comment;
    } else if (trimmed.front() == u'[') {
        const qsizetype close = trimmed.indexOf(u']');
        if (close > 0)
            line.name = trimmed.mid(1, close - 1).trimmed().toString();
        if (!line.name.isEmpty())
            line.kind = Kind::Section;
    } else if (const qsizetype equals = text.indexOf(u'='); equals > 0) {
        line.name = QStringView(text).left(equals).trimmed().toString();
        if (!line.name.isEmpty()) {
            line.kind = Kind::Key;
            line.valueStart = equals + 1;
            while (line.valueStart < text.size() && isBlank(text.at(line.valueStart)))
                ++line.valueStart;
        }
    }
    line.text = std::move(text);
    return line;
}

IniDocument IniDocument::fromBytes(QByteArrayView bytes)
{
    IniDocument doc;
    if (bytes.startsWith(kUtf8Bom)) {
        doc.byteOrderMark_ = true;
        bytes = bytes.sliced(3);
    }
    bool lineEndSeen = false;
    qsizetype start = 0;
    const qsizetype size = bytes.size();
    for (qsizetype i = 0; i < size;) {
        const char c = bytes[i];
        if (c != '\r' && c != '\n') {
            ++i;
            continue;
        }
        const qsizetype endLength = (c == '\r' && i + 1 < size && bytes[i + 1] == '\n') ? 2 : 1;
        if (!lineEndSeen) {
            doc.lineEnd_ = bytes.sliced(i, endLength).toByteArray();
            lineEndSeen = true;
        }
        doc.lines_.append(classify(decodeUtf8OrWindows1252(bytes.sliced(start, i - start))));
        i += endLength;
        start = i;
    }
    if (start < size)
        doc.lines_.append(classify(decodeUtf8OrWindows1252(bytes.sliced(start))));
    return doc;
}

QByteArray IniDocument::toBytes() const
{
    QByteArray bytes;
    if (byteOrderMark_)
        bytes.append(kUtf8Bom);
    for (const Line &line : lines_) {
        bytes.append(line.text.toUtf8());
        bytes.append(lineEnd_);
    }
    return bytes;
}

qsizetype IniDocument::findKey(QStringView section, QStringView key) const
{
    bool inSection = false;
    for (qsizetype i = 0; i < lines_.size(); ++i) {
        const Line &line = lines_[i];
        if (line.kind == Kind::Section)
            inSection = sameName(line.name, section);
        else if (inSection && line.kind == Kind::Key && sameName(line.name, key))
            return i;
    }
    return -1;
}

std::optional<QString> IniDocument::value(QStringView section, QStringView key) const
{
    const qsizetype index = findKey(section, key);
    if (index < 0)
        return std::nullopt;
    const Line &line = lines_[index];
    return readValue(QStringView(line.text).mid(line.valueStart));
}

QList<IniEntry> IniDocument::entries(QStringView section) const
{
    QList<IniEntry> result;
    QSet<QString> seen;
    bool inSection = false;
    for (const Line &line : lines_) {
        if (line.kind == Kind::Section) {
            inSection = sameName(line.name, section);
        } else if (inSection && line.kind == Kind::Key) {
            const QString folded = line.name.toCaseFolded();
            if (seen.contains(folded))
                continue;
            seen.insert(folded);
            result.append({line.name, readValue(QStringView(line.text).mid(line.valueStart))});
        }
    }
    return result;
}

QStringList IniDocument::sectionNames() const
{
    QStringList names;
    QSet<QString> seen;
    for (const Line &line : lines_) {
        if (line.kind != Kind::Section)
            continue;
        const QString folded = line.name.toCaseFolded();
        if (!seen.contains(folded)) {
            seen.insert(folded);
            names.append(line.name);
        }
    }
    return names;
}

QString IniDocument::setValue(QStringView section, QStringView key, QStringView value)
{
    if (QString problem = checkName(section, key); !problem.isEmpty())
        return problem;
    const QString encoded = encodeValue(value);

    if (const qsizetype index = findKey(section, key); index >= 0) {
        Line &line = lines_[index];
        line.text = line.text.left(line.valueStart) + encoded;
        return {};
    }

    Line newKey = classify(key.toString() + u'=' + encoded);
    // Insert after the last key line of the first section of that name.
    qsizetype insertAt = -1;
    bool inSection = false;
    bool sectionDone = false;
    for (qsizetype i = 0; i < lines_.size() && !sectionDone; ++i) {
        const Line &line = lines_[i];
        if (line.kind == Kind::Section) {
            if (inSection)
                sectionDone = true;
            else if (sameName(line.name, section)) {
                inSection = true;
                insertAt = i + 1;
            }
        } else if (inSection && line.kind == Kind::Key) {
            insertAt = i + 1;
        }
    }
    if (insertAt >= 0) {
        lines_.insert(insertAt, std::move(newKey));
        return {};
    }

    if (!lines_.isEmpty() && lines_.back().kind != Kind::Blank)
        lines_.append(classify(QString()));
    lines_.append(classify(u'[' + section.toString() + u']'));
    lines_.append(std::move(newKey));
    return {};
}

std::optional<int> parseProfileInteger(QStringView text)
{
    bool negative = false;
    if (!text.isEmpty() && (text.front() == u'+' || text.front() == u'-')) {
        negative = text.front() == u'-';
        text = text.mid(1);
    }
    int base = 10;
    if (text.startsWith(u'$')) {
        base = 16;
        text = text.mid(1);
    } else if (text.startsWith(u"0x") || text.startsWith(u"0X")) {
        base = 16;
        text = text.mid(2);
    }
    if (text.isEmpty())
        return std::nullopt;
    // Magnitudes up to 2^31 (the size of the most negative value); more digits only overflow further.
    constexpr qint64 limit = qint64(1) << 31;
    qint64 magnitude = 0;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        int digit = -1;
        if (u >= u'0' && u <= u'9')
            digit = u - u'0';
        else if (base == 16 && u >= u'a' && u <= u'f')
            digit = u - u'a' + 10;
        else if (base == 16 && u >= u'A' && u <= u'F')
            digit = u - u'A' + 10;
        if (digit < 0)
            return std::nullopt;
        magnitude = magnitude * base + digit;
        if (magnitude > limit)
            return std::nullopt;
    }
    if (!negative && magnitude == limit)
        return std::nullopt;
    return static_cast<int>(negative ? -magnitude : magnitude);
}
