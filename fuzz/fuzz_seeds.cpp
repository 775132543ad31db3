// Writes a starting corpus for every fuzz target into <folder>/<target>/, each seed made by the program's own
// writers (the settings writers, the library and equalizer encoders, the shortcut texts, the tag block
// builder) or, for the engine, by the test fixtures' encoders. Seeds for targets that split their input with
// FuzzedDataProvider start with the texts those targets take, each ended by "\" and another character.
//
//   fuzz_seeds <folder>

#include "fuzz_support.h"

#include "audio/eqs_file.h"
#include "config/settings_file.h"
#include "hotkeys/shortcuts/shortcut_texts.h"
#include "library/store/library_text.h"
#include "tags/id3v1.h"
#include "tools/fixtures.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <cstdio>

namespace {

QString root;
int written = 0;

void seed(const QString &target, const QString &name, const QByteArray &bytes)
{
    const QString folder = root + u'/' + target;
    QDir().mkpath(folder);
    if (fuzz::writeFile(folder + u'/' + name, bytes))
        ++written;
    else
        std::fprintf(stderr, "fuzz_seeds: cannot write %s/%s\n", qPrintable(folder), qPrintable(name));
}

// A text as FuzzedDataProvider::ConsumeRandomLengthString reads it back: backslashes doubled, then "\|".
QByteArray text(const QString &t)
{
    QByteArray bytes = t.toUtf8();
    bytes.replace("\\", "\\\\");
    return bytes + "\\|";
}

void iniSeeds(const QString &scratch)
{
    const SettingsDefaults defaults{QStringLiteral("/opt/dak/"), 300, 120};
    Settings s = defaultSettings(defaults);
    s.Options.autoplayonopen = true;
    s.Options.libraryfolder = QStringLiteral("/home/user/Music Library/");
    s.Options.RewindTime = 5000;
    s.Screen = {12, 34, 300, 120, true, 2};
    s.LastOpened = {QStringLiteral("Rock"), QStringLiteral("Song = One")};
    s.Audio.EnableEqualizer = true;
    s.MiniInfo = {true, false, 3000};
    s.Hotkeys.Hotkeys[9] = QStringLiteral("CTRL+ALT+P");
    s.Hotkeys.SystemWide[9] = true;
    const QString path = scratch + QStringLiteral("/devud3.dat");
    if (!writeOptionsSettings(path, s).ok() || !writeCloseSettings(path, s).ok() ||
        !writeHotkeySettings(path, s.Hotkeys).ok())
        std::fprintf(stderr, "fuzz_seeds: cannot write the settings seed\n");
    const QByteArray settings = fuzz::readFile(path);
    seed(QStringLiteral("fuzz_ini"), QStringLiteral("settings"),
         text(QStringLiteral("Options")) + text(QStringLiteral("libraryfolder")) + text(QStringLiteral(" /tmp/x ")) +
             settings);
    seed(QStringLiteral("fuzz_ini"), QStringLiteral("new-section"),
         text(QStringLiteral("MiniInfo")) + text(QStringLiteral("MiniInfoTime")) + text(QStringLiteral("\"4000\"")) +
             settings);

    IniDocument doc = IniDocument::fromBytes("\xEF\xBB\xBF; comment\n[Other]\nunknown = 'kept'\n\n");
    (void)doc.setValue(QStringLiteral("Options"), QStringLiteral("randomset"), QStringLiteral("1"));
    (void)doc.setValue(QStringLiteral("Other"), QStringLiteral("quoted"), QStringLiteral("\"both\""));
    seed(QStringLiteral("fuzz_ini"), QStringLiteral("comments"),
         text(QStringLiteral("other")) + text(QStringLiteral("UNKNOWN")) + text(QStringLiteral("line\r\nbreak")) +
             doc.toBytes());
    // A file of an older version: 8-bit text and LF line ends.
    seed(QStringLiteral("fuzz_ini"), QStringLiteral("legacy"),
         text(QStringLiteral("LastOpened")) + text(QStringLiteral("LastOpenedLibrarySongTitle")) +
             text(QStringLiteral("Caf\u00e9")) + QByteArray("[LastOpened]\nLastOpenedLibrarySongTitle=Caf\xe9\n"));
}

void librarySeeds()
{
    const QByteArray library = EncodeLibraryText({QStringLiteral("Rock"), QStringLiteral("Jazz Evenings")});
    const QByteArray set = EncodeLibraryText({SongLine(QStringLiteral("Song A"), QStringLiteral("/music/a.mp3")),
                                              SongLine(QStringLiteral("B = C"), QStringLiteral("/music/b=c.mp3")),
                                              QStringLiteral("/music/no title.mp3")});
    seed(QStringLiteral("fuzz_library"), QStringLiteral("library"),
         text(QString::fromUtf8(library)) + text(QStringLiteral("New Set")) + set);
    const QByteArray legacy = EncodeLibraryText({QStringLiteral("Caf\u00e9"), QString()}).replace("\xc3\xa9", "\xe9");
    seed(QStringLiteral("fuzz_library"), QStringLiteral("legacy"),
         text(QString::fromLatin1(legacy)) + text(QStringLiteral("rock")) + set.left(set.size() / 2));
}

void eqsSeeds()
{
    audio::EqualizerPositions flat{};
    seed(QStringLiteral("fuzz_eqs"), QStringLiteral("flat"), audio::FormatEqs(flat));
    audio::EqualizerPositions curve{};
    for (size_t i = 0; i < curve.size(); ++i)
        curve[i] = int(i * 17 % 256) - 128;
    seed(QStringLiteral("fuzz_eqs"), QStringLiteral("curve"), audio::FormatEqs(curve));
    seed(QStringLiteral("fuzz_eqs"), QStringLiteral("short"), audio::FormatEqs(curve).left(40));
}

void shortcutSeeds()
{
    for (const shortcuts::ShortcutText &known : shortcuts::ShortcutTexts())
        seed(QStringLiteral("fuzz_shortcut"), QStringLiteral("v%1").arg(known.value, 4, 16, QLatin1Char('0')),
             known.shownText.toLower().toUtf8());
}

void id3Seeds()
{
    TMP3TagData d;
    d.Title = QStringLiteral("A Title");
    d.Artist = QStringLiteral("Some Artist");
    d.Album = QStringLiteral("Album");
    d.Year = QStringLiteral("1999");
    d.Comment = QStringLiteral("comment");
    d.GenreID = 17;
    const QByteArray fields = text(QStringLiteral("New Title")) + text(QStringLiteral("Artist")) +
        text(QStringLiteral("Album")) + text(QStringLiteral("2024")) +
        text(QStringLiteral("A comment of thirty characters"));
    const QByteArray audioBytes = QByteArray(300, '\xff');
    seed(QStringLiteral("fuzz_id3v1"), QStringLiteral("tagged"), fields + audioBytes + Id3v1::BuildBlock(d) + "\x0c");
    seed(QStringLiteral("fuzz_id3v1"), QStringLiteral("untagged"), fields + audioBytes + QByteArray(1, 0));
    seed(QStringLiteral("fuzz_id3v1"), QStringLiteral("only-tag"), fields + Id3v1::BuildBlock(d) + "\xff");
}

void engineSeeds(const QString &scratch)
{
    testtools::Fixtures fx(scratch);
    testtools::Tone tone;
    tone.seconds = 0.3;
    tone.channels = 1;
    tone.rate = 8000;
    testtools::Mp3Options low;
    low.bitrate = 8;
    testtools::Mp3Options vbr;
    vbr.vbrQuality = 9;
    vbr.id3v1 = true;
    vbr.id3v2 = true;
    vbr.title = QStringLiteral("Seed");
    testtools::Mp2Options mp2;
    mp2.bitrate = 32;
    testtools::Tone tone22 = tone;
    tone22.rate = 22050;
    const QList<QPair<QString, QString>> files{
        {QStringLiteral("mpeg25"), fx.mp3(QStringLiteral("a.mp3"), tone, low)},
        {QStringLiteral("vbr-tags"), fx.mp3(QStringLiteral("b.mp3"), tone, vbr)},
        {QStringLiteral("layer2"), fx.mp2(QStringLiteral("c.mp2"), tone22, mp2)},
    };
    for (const auto &[name, path] : files) {
        if (path.isEmpty()) {
            std::fprintf(stderr, "fuzz_seeds: %s\n", qPrintable(fx.error()));
            continue;
        }
        const QByteArray bytes = fuzz::readFile(path);
        seed(QStringLiteral("fuzz_engine_file"), name, bytes);
        seed(QStringLiteral("fuzz_engine_http"), name, bytes);
    }
}

}  // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seeds <folder>\n");
        return 2;
    }
    root = QString::fromLocal8Bit(argv[1]);
    QTemporaryDir scratch;
    iniSeeds(scratch.path());
    librarySeeds();
    eqsSeeds();
    shortcutSeeds();
    id3Seeds();
    engineSeeds(scratch.path());
    std::printf("fuzz_seeds: %d seeds in %s\n", written, qPrintable(root));
    return 0;
}
