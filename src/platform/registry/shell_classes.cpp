#include "platform/registry/shell_classes.h"

#include "platform/profile/atomic_file.h"
#include "platform/registry/mime_apps.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

namespace registry {

namespace {

const QLatin1Char kSeparator('\\');

QString ClassGroup(const QString &className) { return QStringLiteral("X-Shell Class ") + className; }

// The parts of a key path below the class, or an empty list when the path is not one this store keeps.
QStringList PartsBelowClass(const QString &key, const QString &className)
{
    static const QRegularExpression kPart(QStringLiteral("^[A-Za-z0-9]+$"));
    QStringList parts = key.split(kSeparator);
    if (parts.size() < 2 || parts.first().compare(className, Qt::CaseInsensitive) != 0)
        return {};
    parts.removeFirst();
    for (const QString &part : parts) {
        if (!kPart.match(part).hasMatch())
            return {};
    }
    return parts;
}

qsizetype IndexOf(const QList<KeyValue> &keys, const QString &path)
{
    for (qsizetype i = 0; i < keys.size(); ++i) {
        if (keys[i].key.compare(path, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

QString ValueOf(const QList<KeyValue> &keys, const QString &path)
{
    const qsizetype i = IndexOf(keys, path);
    return i < 0 ? QString() : keys[i].value;
}

QString DefaultVerb(const QList<KeyValue> &keys)
{
    const QString verb = ValueOf(keys, QStringLiteral("shell"));
    return verb.isEmpty() ? QStringLiteral("open") : verb;
}

// The verbs named by keys "shell\<verb>" and "shell\<verb>\command", in the order they first appear.
QStringList Verbs(const QList<KeyValue> &keys)
{
    QStringList verbs;
    for (const KeyValue &kv : keys) {
        const QStringList parts = kv.key.split(kSeparator);
        if (parts.size() < 2 || parts[0].compare(QLatin1String("shell"), Qt::CaseInsensitive) != 0)
            continue;
        if (!verbs.contains(parts[1], Qt::CaseInsensitive))
            verbs << parts[1];
    }
    return verbs;
}

QString CommandOf(const QList<KeyValue> &keys, const QString &verb)
{
    return ValueOf(keys, QStringLiteral("shell\\%1\\command").arg(verb));
}

// The icon's file and index of a DefaultIcon value "<file>,<index>"; no index means 0.
std::pair<QString, int> IconLocation(const QString &value)
{
    const qsizetype comma = value.lastIndexOf(QLatin1Char(','));
    bool isNumber = false;
    const int index = comma < 0 ? 0 : value.mid(comma + 1).trimmed().toInt(&isNumber);
    if (comma < 0 || !isNumber)
        return {value, 0};
    return {value.left(comma), index};
}

QString Line(const QString &key, const QString &value)
{
    return key + QLatin1Char('=') + EscapeValue(value) + QLatin1Char('\n');
}

QString WriteFailure(const QString &path, const QString &reason)
{
    return QStringLiteral("Couldn't write file %1: %2").arg(path, reason);
}

// Writes `data` to `path`, creating its folder first.
QString WriteFile(const QString &path, const QByteArray &data)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        return WriteFailure(path, QStringLiteral("cannot create the folder %1").arg(folder));
    return writeFileAtomically(path, data);
}

// The file's text; an absent file reads as empty. False when it exists but cannot be read.
bool ReadIfPresent(const QString &path, QByteArray &text, QString &error)
{
    text.clear();
    QFile file(path);
    if (!file.exists())
        return true;
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("Couldn't read file %1: %2").arg(path, file.errorString());
        return false;
    }
    text = file.readAll();
    return true;
}

}  // namespace

QString WithoutMnemonic(const QString &caption)
{
    QString out;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == QLatin1Char('&') && i + 1 < caption.size())
            ++i;  // "&&" keeps one "&", "&P" keeps the "P"
        else if (caption[i] == QLatin1Char('&'))
            continue;
        out += caption[i];
    }
    return out;
}

QString MainExec(const QList<KeyValue> &keys)
{
    const QString command = CommandOf(keys, DefaultVerb(keys));
    return command.isEmpty() ? QString() : ExecFromCommandLine(command);
}

QByteArray DesktopFileText(const ShellClassBinding &binding, const QList<KeyValue> &keys, const QString &iconFile)
{
    const QString defaultVerb = DefaultVerb(keys);
    QStringList actions;
    for (const QString &verb : Verbs(keys)) {
        if (verb.compare(defaultVerb, Qt::CaseInsensitive) != 0 && !CommandOf(keys, verb).isEmpty())
            actions << verb;
    }

    QString text = QStringLiteral("[Desktop Entry]\n");
    text += Line(QStringLiteral("Type"), QStringLiteral("Application"));
    text += Line(QStringLiteral("Name"), binding.name);
    if (!iconFile.isEmpty())
        text += Line(QStringLiteral("Icon"), iconFile);
    if (const QString exec = MainExec(keys); !exec.isEmpty())
        text += Line(QStringLiteral("Exec"), exec);
    text += Line(QStringLiteral("MimeType"), binding.mimeType + QLatin1Char(';'));
    // A file handler, not a menu entry of its own.
    text += Line(QStringLiteral("NoDisplay"), QStringLiteral("true"));
    text += Line(QStringLiteral("Terminal"), QStringLiteral("false"));
    if (!actions.isEmpty())
        text += Line(QStringLiteral("Actions"), actions.join(QLatin1Char(';')) + QLatin1Char(';'));

    for (const QString &verb : actions) {
        QString name = WithoutMnemonic(ValueOf(keys, QStringLiteral("shell\\") + verb));
        if (name.isEmpty())
            name = verb;
        text += QStringLiteral("\n[Desktop Action %1]\n").arg(verb);
        text += Line(QStringLiteral("Name"), name);
        text += Line(QStringLiteral("Exec"), ExecFromCommandLine(CommandOf(keys, verb)));
    }

    text += QStringLiteral("\n[%1]\n").arg(ClassGroup(binding.className));
    for (const KeyValue &kv : keys)
        text += Line(QString(kv.key).replace(kSeparator, QLatin1Char('-')), kv.value);
    return text.toUtf8();
}

ClassesRoot::ClassesRoot(ShellClassBinding binding, XdgLocations locations)
    : binding_(std::move(binding)), locations_(std::move(locations))
{ }

QString ClassesRoot::DesktopFilePath() const
{
    return locations_.dataHome + QStringLiteral("/applications/") + binding_.desktopId + QStringLiteral(".desktop");
}

QString ClassesRoot::IconFilePath() const
{
    return locations_.dataHome + QStringLiteral("/icons/hicolor/48x48/apps/") + binding_.desktopId +
        QStringLiteral(".png");
}

QString ClassesRoot::MimeAppsPath() const { return locations_.configHome + QStringLiteral("/mimeapps.list"); }

namespace {

// The class's keys as the desktop file keeps them.
QList<KeyValue> StoredKeys(const QByteArray &desktopFile, const QString &className)
{
    QList<KeyValue> keys = ReadGroup(desktopFile, ClassGroup(className));
    for (KeyValue &kv : keys)
        kv.key.replace(QLatin1Char('-'), kSeparator);
    return keys;
}

}  // namespace

QString ClassesRoot::DefaultValue(const QString &key) const
{
    const QStringList parts = PartsBelowClass(key, binding_.className);
    QByteArray text;
    QString error;
    if (parts.isEmpty() || !ReadIfPresent(DesktopFilePath(), text, error))
        return {};
    return ValueOf(StoredKeys(text, binding_.className), parts.join(kSeparator));
}

QString ClassesRoot::WriteDefaultValue(const QString &key, const QString &value)
{
    const QStringList parts = PartsBelowClass(key, binding_.className);
    if (parts.isEmpty())
        return QStringLiteral("Couldn't create key %1: no file on this desktop keeps it").arg(key);
    const QString path = parts.join(kSeparator);

    const QString desktopPath = DesktopFilePath();
    QByteArray desktopText;
    QString error;
    if (!ReadIfPresent(desktopPath, desktopText, error))
        return error;
    QList<KeyValue> keys = StoredKeys(desktopText, binding_.className);
    if (const qsizetype i = IndexOf(keys, path); i >= 0)
        keys[i].value = value;
    else
        keys.append({path, value});

    // The program's first icon is the picture the binding carries; another index has no picture here.
    const QString iconValue = ValueOf(keys, QStringLiteral("DefaultIcon"));
    const bool hasIcon = !binding_.iconPng.isEmpty() && !iconValue.isEmpty() && IconLocation(iconValue).second == 0;
    if (hasIcon && path.compare(QLatin1String("DefaultIcon"), Qt::CaseInsensitive) == 0) {
        error = WriteFile(IconFilePath(), binding_.iconPng);
        if (!error.isEmpty())
            return error;
    }

    error = WriteFile(desktopPath, DesktopFileText(binding_, keys, hasIcon ? IconFilePath() : QString()));
    if (!error.isEmpty())
        return error;

    if (MainExec(keys).isEmpty())
        return {};
    const QString mimeAppsPath = MimeAppsPath();
    QByteArray mimeApps;
    if (!ReadIfPresent(mimeAppsPath, mimeApps, error))
        return error;
    const QByteArray updated =
        WithDefaultApplication(mimeApps, binding_.mimeType, binding_.desktopId + QStringLiteral(".desktop"));
    if (updated == mimeApps)
        return {};
    return WriteFile(mimeAppsPath, updated);
}

}  // namespace registry
