// The configuration file: arbitrary file contents read as an INI document, one key written, and read back.
// - Writing the document out and reading it again gives the same sections and keys with the same values.
// - A refused name leaves the document as it was; an accepted one reads back with the value written (line
//   breaks turned into blanks), and every other key keeps its value.
// - ProfileFile, which writes through the disk, ends with exactly the bytes of the document changed in memory.
// - The program's settings read from the file, written back by the three writers and read again are the same.

#include "fuzz_support.h"

#include "config/settings_file.h"
#include "platform/profile/ini_document.h"
#include "platform/profile/profile_file.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <QHash>
#include <QHashFunctions>
#include <QSet>

#include <cstdint>

namespace {

QString text(FuzzedDataProvider &in, size_t maxBytes)
{
    const std::string s = in.ConsumeRandomLengthString(maxBytes);
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

bool sameName(const QString &a, const QString &b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

void checkReadsBackAlike(const IniDocument &doc, const IniDocument &again, const QByteArray &file)
{
    FUZZ_CHECK(again.sectionNames() == doc.sectionNames(), fuzz::shown(file));
    for (const QString &section : doc.sectionNames())
        FUZZ_CHECK(again.entries(section) == doc.entries(section),
                   section + QStringLiteral(" in ") + fuzz::shown(file));
}

void checkSettingsRoundTrip(const QString &path)
{
    const SettingsDefaults defaults{QStringLiteral("/opt/dak/"), 300, 120};
    Settings loaded = defaultSettings(defaults);
    if (!loadSettings(path, defaults, loaded).ok())
        return;
    const QByteArray before = fuzz::readFile(path);
    FUZZ_CHECK(writeOptionsSettings(path, loaded).ok(), fuzz::shown(before));
    FUZZ_CHECK(writeCloseSettings(path, loaded).ok(), fuzz::shown(before));
    FUZZ_CHECK(writeHotkeySettings(path, loaded.Hotkeys).ok(), fuzz::shown(before));
    Settings again = defaultSettings(defaults);
    FUZZ_CHECK(loadSettings(path, defaults, again).ok(), fuzz::shown(before));
    FUZZ_CHECK(again == loaded, QStringLiteral("settings changed by writing them back: ") + fuzz::shown(before));
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
    const QString section = text(in, 40);
    const QString key = text(in, 40);
    const QString value = text(in, 2100);
    // The settings' round trip writes the whole file once per key, dozens of times, and costs as much as ten
    // other inputs. It runs for one input in 256, chosen by a hash of the whole input: a flag byte would be
    // learnt by the fuzzer (it compares the byte) and then set in most inputs it keeps.
    const bool settings = qHash(QByteArrayView(reinterpret_cast<const char *>(data), qsizetype(size)), 0) % 256 == 0;
    const std::vector<uint8_t> rest = in.ConsumeRemainingBytes<uint8_t>();
    const QByteArray file(reinterpret_cast<const char *>(rest.data()), qsizetype(rest.size()));

    const IniDocument original = IniDocument::fromBytes(file);
    const QByteArray originalBytes = original.toBytes();
    checkReadsBackAlike(original, IniDocument::fromBytes(originalBytes), file);

    IniDocument doc = original;
    const QString problem = doc.setValue(section, key, value);
    const QByteArray changed = doc.toBytes();
    if (!problem.isEmpty()) {
        FUZZ_CHECK(changed == originalBytes, QStringLiteral("refused write changed the file: ") + problem);
    } else {
        const IniDocument after = IniDocument::fromBytes(changed);
        QString expected = value;
        expected.replace(u'\r', u' ').replace(u'\n', u' ');
        const std::optional<QString> got = after.value(section, key);
        FUZZ_CHECK(got && *got == expected,
                   QStringLiteral("[") + section + QStringLiteral("] ") + key + QStringLiteral(" = ") +
                       fuzz::shown(value) + QStringLiteral(" read back as ") +
                       fuzz::shown(got.value_or(QStringLiteral("<absent>"))) + QStringLiteral(" from ") +
                       fuzz::shown(changed));
        // Every other key keeps its value. Looked up section by section through one map per section: a key
        // at a time would cost a pass over the whole file per key.
        QSet<QString> afterSections;
        for (const QString &name : after.sectionNames())
            afterSections.insert(name.toCaseFolded());
        for (const QString &name : original.sectionNames()) {
            FUZZ_CHECK(afterSections.contains(name.toCaseFolded()), name);
            QHash<QString, QString> afterValues;
            for (const IniEntry &entry : after.entries(name))
                afterValues.insert(entry.key.toCaseFolded(), entry.value);
            for (const IniEntry &entry : original.entries(name)) {
                if (sameName(name, section) && sameName(entry.key, key))
                    continue;
                const auto found = afterValues.constFind(entry.key.toCaseFolded());
                FUZZ_CHECK(found != afterValues.constEnd() && *found == entry.value,
                           QStringLiteral("[") + name + QStringLiteral("] ") + entry.key +
                               QStringLiteral(" changed by writing [") + section + QStringLiteral("] ") + key +
                               QStringLiteral(" in ") + fuzz::shown(file));
            }
        }
    }

    // The same write through the disk.
    const QString path = fuzz::scratchPath(QStringLiteral("devud3.dat"));
    FUZZ_CHECK(fuzz::writeFile(path, file), path);
    ProfileFile profile(path);
    FUZZ_CHECK(profile.readStatus().ok(), profile.readStatus().error);
    for (const QString &name : original.sectionNames())
        FUZZ_CHECK(profile.readSection(name) == original.entries(name), name);
    const ProfileStatus written = profile.writeString(section, key, value);
    FUZZ_CHECK(written.ok() == problem.isEmpty(), written.error + QStringLiteral(" / ") + problem);
    if (written.ok()) {
        FUZZ_CHECK(written.error.isEmpty(), written.error);
        const QByteArray onDisk = fuzz::readFile(path);
        FUZZ_CHECK(onDisk == changed, fuzz::shown(onDisk));
    } else {
        FUZZ_CHECK(written.error.contains(path), QStringLiteral("error does not name the file: ") + written.error);
        FUZZ_CHECK(fuzz::readFile(path) == file, QStringLiteral("a refused write changed the file"));
    }

    // Its cost grows with the file's size for every key written: only for files of the size the program
    // writes itself.
    if (settings && file.size() <= 2048)
        checkSettingsRoundTrip(path);
    return 0;
}
