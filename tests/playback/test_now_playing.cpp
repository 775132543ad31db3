// The player-state model without any window, driven by the real player component and engine with the
// "test" output (as fast as the CPU decodes): what it reports over a song's whole life, a refused open, a
// broken state icon, and a stream's own title arriving as a message.

#include "playback/now_playing.h"
#include "playback/track_info.h"
#include "playback/XaudioPlayer.h"
#include "tools/fixtures.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <memory>

namespace {
const QString kSetUnknown = QStringLiteral("Name of the Set unknown.");
const QString kTitleUnknown = QStringLiteral("Song Title unknown.");
}  // namespace

class TestNowPlaying : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_song;  // 2 s, MPEG 1 layer III, 128 kbit/s, joint stereo
    std::unique_ptr<TXaudioPlayer> m_player;
    std::unique_ptr<NowPlaying> m_now;
    quint32 m_pongs = 0;

    // Waits until the player has worked off every command sent so far and its reports have been handled.
    void Sync()
    {
        const quint32 tag = ++m_pongs + 1000;
        quint32 seen = 0;
        m_player->OnNotifyPong = [&seen](TXaudioPlayer *, uint32_t Tag) { seen = Tag; };
        m_player->Ping(tag);
        QTRY_COMPARE_WITH_TIMEOUT(seen, tag, 20000);
        m_player->OnNotifyPong = nullptr;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        testtools::Fixtures fixtures(m_dir.path());
        testtools::Mp3Options options;
        options.mode = testtools::ChannelMode::JointStereo;
        m_song = fixtures.mp3("song.mp3", testtools::Tone{.seconds = 2.0}, options);
        QVERIFY2(!m_song.isEmpty(), qPrintable(fixtures.error()));
    }

    void init()
    {
        m_player = std::make_unique<TXaudioPlayer>();
        QCOMPARE(m_player->StartErrors(), QStringList());
        m_now = std::make_unique<NowPlaying>(m_player.get());
        m_now->BindPlayerEvents();
        m_now->BindPlayerEvents();  // binding again changes nothing
        m_now->StateIconFolder = m_dir.path();
        m_player->OutputOpen(QStringLiteral("test"));
        m_player->SetInputPositionRange(40000);
        Sync();
    }

    void cleanup()
    {
        m_now.reset();
        m_player.reset();
    }

    // A library song opened without auto play, played to its end: every report becomes state and a signal,
    // in the order the window relies on (enabling before the state, the rewind after the end).
    void songFromOpenToEndOfFile()
    {
        QSignalSpy opened(m_now.get(), &NowPlaying::songOpened);
        QSignalSpy enabling(m_now.get(), &NowPlaying::enablingChanged);
        QSignalSpy states(m_now.get(), &NowPlaying::stateChanged);
        QSignalSpy positions(m_now.get(), &NowPlaying::positionChanged);
        QSignalSpy times(m_now.get(), &NowPlaying::timeChanged);
        QSignalSpy durations(m_now.get(), &NowPlaying::durationChanged);
        QSignalSpy info(m_now.get(), &NowPlaying::streamInfoChanged);
        QSignalSpy errors(m_now.get(), &NowPlaying::errorToShow);
        int autoplayAsked = 0;
        m_now->AutoplayOnOpen = [&autoplayAsked] {
            ++autoplayAsked;
            return false;
        };

        m_now->Open(m_song, QStringLiteral("Set A"), QStringLiteral("Song A"));
        QCOMPARE(opened.count(), 1);
        QCOMPARE(opened.first(), QVariantList({m_song, QStringLiteral("Set A"), QStringLiteral("Song A")}));
        QVERIFY(m_now->SongOpened());
        QCOMPARE(m_now->ApplicationTitle(), QStringLiteral("Song A - DAK-MP3"));
        QCOMPARE(m_now->DisplayTitle(), QStringLiteral("Song A"));
        Sync();

        // Open, not playing: the input state enables Play alone, on the menu items only.
        QCOMPARE(autoplayAsked, 1);
        QCOMPARE(enabling.count(), 1);
        QCOMPARE(enabling.first(), QVariantList({true, false, false, false}));
        QCOMPARE(states.count(), 0);
        QVERIFY(!m_now->Playing());
        QCOMPARE(info.count(), 1);
        QCOMPARE(m_now->StreamDescription(), QStringLiteral("MPEG 1, Audio Layer 3, 128 Kbps, 44100 Hz, joint-stereo"));
        QVERIFY(durations.count() >= 1);
        QCOMPARE(durations.last(), QVariantList({2u, QStringLiteral("00:00:02")}));
        QCOMPARE(m_now->Duration(), 2u);

        m_now->Play();
        QVERIFY(m_now->Playing());
        QTRY_COMPARE_WITH_TIMEOUT(m_now->State(), 3, 20000);
        Sync();

        QCOMPARE(states.count(), 2);
        QCOMPARE(states.at(0), QVariantList({1, QDir(m_dir.path()).filePath("play.ico")}));
        QCOMPARE(states.at(1), QVariantList({3, QDir(m_dir.path()).filePath("stop.ico")}));
        QCOMPARE(enabling.at(1), QVariantList({false, true, true, true}));
        QCOMPARE(enabling.at(2), QVariantList({true, false, false, true}));
        QVERIFY(!m_now->Playing());
        QCOMPARE(m_now->Tip(63), QStringLiteral("Song A - DAK-MP3 - End of File"));
        // Played to the end, then moved back to the start for the next Play.
        QVERIFY(positions.count() >= 2);
        QCOMPARE(positions.at(positions.count() - 2), QVariantList({40000u, 40000u}));
        QCOMPARE(positions.last(), QVariantList({0u, 40000u}));
        QCOMPARE(m_now->Position(), 0u);
        QVERIFY(!times.isEmpty());
        QCOMPARE(times.last().at(1).toString(), times.last().at(0).toString() + QStringLiteral(" / 00:00:02"));
        QCOMPARE(errors.count(), 0);

        // A missing file is refused: the error comes out as a text, no Play follows even with auto play on,
        // and the commands are all disabled.
        m_now->AutoplayOnOpen = [] { return true; };
        enabling.clear();
        m_now->Open(m_dir.filePath("missing.mp3"), kSetUnknown, kTitleUnknown);
        Sync();
        QCOMPARE(errors.count(), 1);
        QVERIFY(errors.first().first().toString().startsWith(QStringLiteral("Cannot Open Input ")));
        QVERIFY(!m_now->SongOpened());
        QCOMPARE(enabling.last(), QVariantList({false, false, false, false}));
        QVERIFY(!m_now->Playing());
        QCOMPARE(m_now->ApplicationTitle(), QStringLiteral("Song A - DAK-MP3"));  // no title, no change

        // The master level is set with the other levels kept, and reported back.
        QSignalSpy levels(m_now.get(), &NowPlaying::masterLevelChanged);
        m_now->SetMasterLevel(30);
        Sync();
        QCOMPARE(m_now->MasterLevel(), 30);
        QCOMPARE(levels.count(), 1);
        QCOMPARE(levels.first().first().toInt(), 30);
    }

    // What the desktop is told about a track: the library title and set; for a file outside the library the
    // tag's title, artist and album, read on a worker thread; else the file name; never the no-title text.
    void trackTitlesFollowTheTagRule()
    {
        testtools::Fixtures fixtures(m_dir.path());
        testtools::Mp3Options tagged;
        tagged.id3v2 = true;
        tagged.title = QStringLiteral("Tagged Tune");
        tagged.artist = QStringLiteral("Some Artist");
        tagged.album = QStringLiteral("Some Album");
        const QString taggedFile = fixtures.mp3("tagged.mp3", testtools::Tone{.seconds = 1.0}, tagged);
        QVERIFY2(!taggedFile.isEmpty(), qPrintable(fixtures.error()));

        // The tag library is loaded by the first read, not with the program.
        const auto tagLibraryMapped = [] {
            QFile maps(QStringLiteral("/proc/self/maps"));
            return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libtag");
        };
        QVERIFY(!tagLibraryMapped());

        TrackInfo track(m_now.get());
        QSignalSpy changed(&track, &TrackInfo::changed);
        m_now->AutoplayOnOpen = [] { return false; };

        m_now->Open(taggedFile, kSetUnknown, kTitleUnknown);
        QCOMPARE(track.Number(), 1u);
        QTRY_VERIFY_WITH_TIMEOUT(!track.ReadingTags() && track.Title() == QStringLiteral("Tagged Tune"), 10000);
        QVERIFY(tagLibraryMapped());
        QCOMPARE(track.Artist(), QStringLiteral("Some Artist"));
        QCOMPARE(track.Album(), QStringLiteral("Some Album"));
        QCOMPARE(track.Url(), QUrl::fromLocalFile(taggedFile).toString());
        QVERIFY(changed.count() >= 2);  // opened, then the tags

        // The library's title and set come before the tag's.
        m_now->Open(taggedFile, QStringLiteral("Set A"), QStringLiteral("Song A"));
        QTRY_VERIFY_WITH_TIMEOUT(!track.ReadingTags(), 10000);
        QCOMPARE(track.Title(), QStringLiteral("Song A"));
        QCOMPARE(track.Album(), QStringLiteral("Set A"));
        QCOMPARE(track.Artist(), QStringLiteral("Some Artist"));

        // No tag, no library title: the file name.
        m_now->Open(m_song, kSetUnknown, kTitleUnknown);
        QTRY_VERIFY_WITH_TIMEOUT(!track.ReadingTags(), 10000);
        QCOMPARE(track.Title(), QStringLiteral("song.mp3"));
        QCOMPARE(track.Artist(), QString());
        QCOMPARE(track.Album(), QString());
        Sync();
        QCOMPARE(track.LengthUs(), 2000000);
    }

    // The state icon's file is told to the listener; one that cannot be read is reported once per file.
    void brokenStateIconIsReportedOnce()
    {
        QSignalSpy errors(m_now.get(), &NowPlaying::errorToShow);
        const QString path = m_now->StateIconPath(2);
        QCOMPARE(path, QDir(m_dir.path()).filePath("pause.ico"));
        m_now->ReportStateIconFailure(path);
        m_now->ReportStateIconFailure(path);
        m_now->ReportStateIconFailure(m_now->StateIconPath(0));
        QCOMPARE(errors.count(), 2);
        QCOMPARE(errors.at(0).first().toString(), QStringLiteral("Couldn't open file: ") + path);
    }

    // A stream's title arrives as a message of its own code; it is shown in place of the library title,
    // the library title stays for the marks, and the next input starts without it.
    void streamTitleReplacesTheShownTitle()
    {
        QSignalSpy shown(m_now.get(), &NowPlaying::displayTitleChanged);
        m_now->AutoplayOnOpen = [] { return false; };
        m_now->Open(m_song, QStringLiteral("Radio"), kTitleUnknown);
        Sync();

        XA_Message msg;
        msg.code = NowPlaying::kStreamTitleCode;
        msg.set_text(4, "Artist \xE2\x80\x93 Tune");  // UTF-8, as the stream sends it
        m_player->OnNotifyMessage(m_player.get(), msg);
        m_player->OnNotifyMessage(m_player.get(), msg);  // the same title again: no change
        QCOMPARE(shown.count(), 1);
        const QString tune = QStringLiteral("Artist \u2013 Tune");
        QCOMPARE(shown.first().first().toString(), tune);
        QCOMPARE(m_now->DisplayTitle(), tune);
        QCOMPARE(m_now->Title(), kTitleUnknown);
        QCOMPARE(m_now->Tip(63), tune + QStringLiteral(" - DAK-MP3 - Stopped"));

        m_now->Open(m_song, QStringLiteral("Set A"), QStringLiteral("Song A"));
        QCOMPARE(m_now->DisplayTitle(), QStringLiteral("Song A"));
        Sync();
    }
};

QTEST_GUILESS_MAIN(TestNowPlaying)
#include "test_now_playing.moc"
