// The main window's transport and now-playing display with the real player component and engine (sound goes
// to the "test" output, as fast as the CPU decodes): opening, auto play, the enabled commands, the player's
// refusals, the seek bar, rewind and fast forward, the release options, end of file, and the display of
// each player state in the window, the tray, the library tree and the library menu.

#include "app/ui/form_main.h"
#include "playback/now_playing.h"
#include "tools/main_window_rig.h"
#include "playback/XaudioPlayer.h"
#include "playback/ui/icon_file.h"
#include "library/ui/library_marks.h"
#include "tools/library_walks.h"
#include "tools/fixtures.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <memory>

namespace {
const QString kSetUnknown = QStringLiteral("Name of the Set unknown.");
const QString kTitleUnknown = QStringLiteral("Song Title unknown.");

QImage Picture(const QIcon &icon) { return icon.pixmap(16, 16).toImage(); }
}  // namespace

class TestMainTransport : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_song;   // 2 s, MPEG 1 layer III, 128 kbit/s, joint stereo
    QString m_icons;  // the three state icons
    std::unique_ptr<MainWindowRig> m_rig;
    Shell::ScriptedAnswers *m_answers = nullptr;
    Tform_main *m_form = nullptr;
    std::unique_ptr<QSignalSpy> m_nextSong;
    QList<int> m_states;
    QList<QPair<quint32, quint32>> m_positions;
    QList<int> m_nackCommands, m_nackCodes, m_modes;
    quint32 m_pongs = 0;

    // Waits until the player has worked off every command sent so far and its reports have been handled.
    void Sync()
    {
        const quint32 tag = ++m_pongs + 1000;
        quint32 seen = 0;
        m_form->xaudio->OnNotifyPong = [&seen](TXaudioPlayer *, uint32_t Tag) { seen = Tag; };
        m_form->xaudio->Ping(tag);
        QTRY_COMPARE_WITH_TIMEOUT(seen, tag, 20000);
        m_form->xaudio->OnNotifyPong = nullptr;
    }

    // Records the reports on their way to the window's handlers.
    void Record()
    {
        TXaudioPlayer *x = m_form->xaudio;
        x->OnNotifyPlayerState = [this, inner = x->OnNotifyPlayerState](TXaudioPlayer *s, int32_t state) {
            m_states << state;
            inner(s, state);
        };
        x->OnNotifyInputPosition = [this, inner = x->OnNotifyInputPosition](TXaudioPlayer *s, uint32_t o, uint32_t r) {
            m_positions << qMakePair(o, r);
            inner(s, o, r);
        };
        x->OnNotifyNack = [this, inner = x->OnNotifyNack](TXaudioPlayer *s, uint8_t command, int16_t code) {
            m_nackCommands << command;
            m_nackCodes << code;
            inner(s, command, code);
        };
        x->OnNotifyPlayerMode = [this](TXaudioPlayer *, int32_t mode) { m_modes << mode; };
    }

    void OpenAndWait(bool autoplay)
    {
        m_form->settings.Options.autoplayonopen = autoplay;
        m_form->OpenMP3(m_song, "Set A", "Song A");
        Sync();
    }

    void VerifyEnabled(bool play, bool pause, bool stop, bool buttonsToo)
    {
        QCOMPARE(m_form->pop_play->isEnabled(), play);
        QCOMPARE(m_form->pop_pause->isEnabled(), pause);
        QCOMPARE(m_form->pop_stop->isEnabled(), stop);
        if (buttonsToo) {
            QCOMPARE(m_form->speedbutton_play->isEnabled(), play);
            QCOMPARE(m_form->speedbutton_pause->isEnabled(), pause);
            QCOMPARE(m_form->speedbutton_stop->isEnabled(), stop);
        }
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
        m_icons = m_dir.filePath("icons");
        QVERIFY(QDir().mkpath(m_icons));
        for (const char *name : {"play.ico", "pause.ico", "stop.ico"})
            QVERIFY(QFile::copy(QStringLiteral(DAK_RESOURCES_DIR "/") + name, m_icons + "/" + name));
    }

    void init()
    {
        m_rig = std::make_unique<MainWindowRig>();
        m_form = m_rig->form;
        m_answers = &m_rig->answers;
        m_form->BindPlaybackEvents();
        m_form->nowPlaying->StateIconFolder = m_icons;
        m_form->xaudio->OutputOpen(QStringLiteral("test"));
        m_form->xaudio->SetInputPositionRange(40000);
        m_nextSong = std::make_unique<QSignalSpy>(m_form->pop_nextsong, &QAction::triggered);
        m_states.clear();
        m_positions.clear();
        m_nackCommands.clear();
        m_nackCodes.clear();
        m_modes.clear();
        Record();
        Sync();
    }

    void cleanup()
    {
        m_nextSong.reset();
        m_rig.reset();
    }

    void openWithoutAutoplayThenPlayToTheEnd()
    {
        m_form->settings.Options.autoplayonopen = false;
        m_form->OpenMP3(m_song, "Set A", "Song A");
        QCOMPARE(m_form->label_filename->text(), m_song);
        QCOMPARE(m_form->label_setname->text(), QStringLiteral("Set A"));
        QCOMPARE(m_form->label_songtitle->text(), QStringLiteral("Song A"));
        QVERIFY(m_form->nowPlaying->SongOpened());
        QCOMPARE(m_form->settings.LastOpened.LastOpenedLibrarySetName, QStringLiteral("Set A"));
        QCOMPARE(m_form->settings.LastOpened.LastOpenedLibrarySongTitle, QStringLiteral("Song A"));
        QCOMPARE(m_form->nowPlaying->ApplicationTitle(), QStringLiteral("Song A - DAK-MP3"));
        QCOMPARE(m_form->windowTitle(), QStringLiteral("DAK-MP3"));
        Sync();

        // Opened, not playing: only Play is enabled.
        QCOMPARE(m_states, QList<int>());
        QVERIFY(!m_form->nowPlaying->Playing());
        VerifyEnabled(true, false, false, false);
        QCOMPARE(m_form->label_songdata->text(),
                 QStringLiteral("MPEG 1, Audio Layer 3, 128 Kbps, 44100 Hz, joint-stereo"));
        QCOMPARE(m_form->label_length->text(), QStringLiteral("00:00:02"));
        QCOMPARE(m_form->nowPlaying->Duration(), 2u);
        QCOMPARE(m_form->trackbar_song->maximum(), 40000);

        QVERIFY(Tform_main::ClickMenuItem(m_form->pop_play));
        QVERIFY(m_form->nowPlaying->Playing());
        QTRY_COMPARE_WITH_TIMEOUT(m_nextSong->count(), 1, 20000);

        // At the end: stopped display, back at the start, and on to the next song.
        QCOMPARE(m_states, QList<int>({1, 3}));
        QVERIFY(!m_form->nowPlaying->Playing());
        VerifyEnabled(true, false, false, true);
        QCOMPARE(m_form->TrayIcon()->toolTip(), QStringLiteral("Song A - DAK-MP3 - End of File"));
        QCOMPARE(Picture(m_form->Image1Icon()), Picture(playback::LoadIconFile(m_icons + "/stop.ico")));
        Sync();
        QVERIFY(m_positions.size() >= 2);
        QCOMPARE(m_positions.last(), qMakePair(0u, 40000u));
        QCOMPARE(m_positions.at(m_positions.size() - 2), qMakePair(40000u, 40000u));
        QCOMPARE(m_form->trackbar_song->value(), 0);
        QCOMPARE(m_form->label_currenttime->text(), QStringLiteral("00:00:00"));
        QCOMPARE(m_form->label_currenttime->x(), 0);
        QCOMPARE(m_nextSong->count(), 1);
        QCOMPARE(m_answers->texts(), QStringList());
    }

    void autoplayPlaysWhenThePlayerReportsTheInput()
    {
        m_form->settings.Options.autoplayonopen = true;
        m_form->OpenMP3(m_song, kSetUnknown, kTitleUnknown);
        QVERIFY(!m_form->nowPlaying->Playing());
        QCOMPARE(m_form->nowPlaying->ApplicationTitle(), QStringLiteral("DAK-MP3"));  // no title, no change
        QTRY_COMPARE_WITH_TIMEOUT(m_nextSong->count(), 1, 20000);
        QCOMPARE(m_states, QList<int>({1, 3}));
        QCOMPARE(m_form->TrayIcon()->toolTip(), QStringLiteral("Song Title unknown. - DAK-MP3 - End of File"));
        QCOMPARE(m_answers->texts(), QStringList());
    }

    void missingFileIsReportedAndDisablesTheCommands()
    {
        // With auto play on, a refused open must not lead to a Play: only the open is reported.
        m_form->settings.Options.autoplayonopen = true;
        const QString missing = m_dir.filePath("missing.mp3");
        m_form->OpenMP3(missing, "Set B", "Song B");
        Sync();
        QCOMPARE(m_nackCommands, QList<int>({7}));
        QCOMPARE(m_answers->texts(), QStringList({"Cannot Open Input " + QString::number(m_nackCodes.first())}));
        QCOMPARE(m_form->label_filename->text(), missing);
        QVERIFY(!m_form->nowPlaying->SongOpened());
        VerifyEnabled(false, false, false, false);

        // The speed button is still enabled, but its disabled item ignores the click.
        QSignalSpy played(m_form->pop_play, &QAction::triggered);
        QVERIFY(m_form->speedbutton_play->isEnabled());
        m_form->speedbutton_play->click();
        Sync();
        QCOMPARE(played.count(), 0);
        QVERIFY(!m_form->nowPlaying->Playing());
        QCOMPARE(m_answers->texts().size(), 1);
    }

    void seekBarSendsOnlyTheUsersMoves()
    {
        OpenAndWait(false);
        m_positions.clear();
        m_form->trackbar_song->setSliderPosition(20000);  // as a drag of the thumb does
        Sync();
        QCOMPARE(m_positions, (QList<QPair<quint32, quint32>>({{20000u, 40000u}})));

        // A reported position moves the thumb and sends nothing back.
        m_positions.clear();
        m_form->xaudioNotifyInputPosition(m_form->xaudio, 1000, 30000);
        QCOMPARE(m_form->trackbar_song->maximum(), 30000);
        QCOMPARE(m_form->trackbar_song->value(), 1000);
        Sync();
        QCOMPARE(m_positions, (QList<QPair<quint32, quint32>>()));
    }

    void rewindAndFastForward()
    {
        // Before any length is known, neither jumps (the player would refuse a seek without input).
        m_form->settings.Options.RewindTime = 1;
        m_form->settings.Options.FastForwardTime = 1;
        QVERIFY(Tform_main::ClickMenuItem(m_form->pop_rewind));
        QVERIFY(Tform_main::ClickMenuItem(m_form->pop_fastforward));
        Sync();
        QCOMPARE(m_nackCommands, QList<int>());

        // 2 s song, 1 s jumps: 20000 of 40000 steps each.
        OpenAndWait(false);
        m_form->trackbar_song->setSliderPosition(30000);
        Sync();
        QVERIFY(Tform_main::ClickMenuItem(m_form->pop_rewind));
        Sync();
        QCOMPARE(m_positions.last(), qMakePair(10000u, 40000u));
        QVERIFY(Tform_main::ClickMenuItem(m_form->pop_fastforward));
        Sync();
        QCOMPARE(m_positions.last(), qMakePair(30000u, 40000u));

        // Past the end, fast forward stops (as Stop does while playing).
        QSignalSpy stopped(m_form->pop_stop, &QAction::triggered);
        m_form->pop_stop->setEnabled(true);
        QVERIFY(Tform_main::ClickMenuItem(m_form->pop_fastforward));
        QCOMPARE(stopped.count(), 1);
        QCOMPARE(m_answers->texts(), QStringList());
    }

    void jumpTimesAreAskedFor()
    {
        m_form->settings.Options.RewindTime = 5000;
        m_answers->pushText("15");
        QVERIFY(Tform_main::ClickMenuItem(m_form->pop_SetRewindTime));
        QCOMPARE(m_form->settings.Options.RewindTime, 15);
        const Shell::Request asked = m_answers->requests().last();
        QVERIFY(asked.kind == Shell::Kind::Input);
        QCOMPARE(asked.title, QStringLiteral("Rewind Time - DAK-MP3"));
        QCOMPARE(asked.text, QStringLiteral("Set new Rewind Time in seconds: "));
        QCOMPARE(asked.initial, QStringLiteral("5000"));

        m_answers->pushText("abc");
        QVERIFY(Tform_main::ClickMenuItem(m_form->pop_SetRewindTime));
        QCOMPARE(m_form->settings.Options.RewindTime, 15);
        QCOMPARE(m_answers->texts().last(), QStringLiteral("'abc' is not a valid integer value."));

        m_answers->pushCancel();
        QVERIFY(Tform_main::ClickMenuItem(m_form->pop_SetRewindTime));
        QCOMPARE(m_form->settings.Options.RewindTime, 15);

        m_form->settings.Options.FastForwardTime = 7;
        m_answers->pushText("-20");
        QVERIFY(Tform_main::ClickMenuItem(m_form->pop_SetFastForwardTime));
        QCOMPARE(m_form->settings.Options.FastForwardTime, -20);
        QCOMPARE(m_answers->requests().last().title, QStringLiteral("FastForward Time - DAK-MP3"));
        QCOMPARE(m_answers->requests().last().text, QStringLiteral("Set new FastForward Time in seconds: "));
        QCOMPARE(m_answers->requests().last().initial, QStringLiteral("7"));
    }

    void releaseOptionsReachThePlayerOnlyWhenActivated()
    {
        m_form->settings.Audio = {.ReleaseOnStop = true, .ReleaseOnPause = false, .ReleaseOnEOF = false};
        m_form->pop_releaseon_pause->setChecked(false);
        QVERIFY(Tform_main::ClickMenuItem(m_form->pop_releaseon_pause));
        QVERIFY(m_form->pop_releaseon_pause->isChecked());
        QVERIFY(m_form->settings.Audio.ReleaseOnPause);
        Sync();
        QCOMPARE(m_modes, QList<int>());

        QVERIFY(Tform_main::ClickMenuItem(m_form->pop_audiodrivertreatment_activate));
        Sync();
        QCOMPARE(m_modes, QList<int>({3}));

        m_form->pop_releaseon_eof->setChecked(false);
        QVERIFY(Tform_main::ClickMenuItem(m_form->pop_releaseon_eof));
        QVERIFY(m_form->settings.Audio.ReleaseOnEOF);
        QVERIFY(Tform_main::ClickMenuItem(m_form->pop_releaseon_stop));  // was checked: now off
        QVERIFY(!m_form->settings.Audio.ReleaseOnStop);
        QVERIFY(Tform_main::ClickMenuItem(m_form->pop_audiodrivertreatment_activate));
        Sync();
        QCOMPARE(m_modes, QList<int>({3, 6}));
    }

    void eachPlayerStateIsShownEverywhere()
    {
        using playback::TreeNodeStateIndex;
        auto *rock = new QTreeWidgetItem(m_form->treeview_songlibrary, {"Rock"});
        auto *rockSong = new QTreeWidgetItem(rock, {"Song A"});
        auto *jazz = new QTreeWidgetItem(m_form->treeview_songlibrary, {"Jazz"});
        auto *jazzSong = new QTreeWidgetItem(jazz, {"Song A"});
        QMenu *rockEntry = m_form->pop_songlibrary->addMenu("Rock");
        QAction *rockSongEntry = rockEntry->addAction("Song A");
        rockEntry->menuAction()->setCheckable(true);
        rockSongEntry->setCheckable(true);
        // The views are built by hand here; the marks find nodes and entries through their indexes, which the
        // library menu's builder fills in the program.
        if (!library::TreeMarks::Of(m_form->treeview_songlibrary))
            new library::TreeMarks(m_form->treeview_songlibrary, playback::kTreeStateIndexRole);
        library::MenuMarks *menuMarks = library::MenuMarks::Of(m_form->pop_songlibrary);
        if (!menuMarks)
            menuMarks = new library::MenuMarks(m_form->pop_songlibrary);
        menuMarks->Reset();
        menuMarks->AddSetEntry(rockEntry->menuAction(), "Rock", true);
        menuMarks->AddSongEntry(rockSongEntry, rockEntry, "Song A");

        // Opening marks the title in every set as playing.
        m_form->settings.Options.autoplayonopen = false;
        m_form->OpenMP3(m_song, "Rock", "Song A");
        QCOMPARE(TreeNodeStateIndex(rockSong), 1);
        QCOMPARE(TreeNodeStateIndex(jazzSong), 1);
        QVERIFY(rock->isExpanded() && jazz->isExpanded());
        Sync();

        TXaudioPlayer *x = m_form->xaudio;
        m_form->xaudioNotifyPlayerState(x, 2);
        VerifyEnabled(true, false, true, true);
        QVERIFY(!m_form->nowPlaying->Playing());
        QCOMPARE(m_form->TrayIcon()->toolTip(), QStringLiteral("Song A - DAK-MP3 - Paused"));
        QCOMPARE(Picture(m_form->Image1Icon()), Picture(playback::LoadIconFile(m_icons + "/pause.ico")));
        QCOMPARE(TreeNodeStateIndex(rockSong), 2);
        QCOMPARE(TreeNodeStateIndex(jazzSong), 2);
        QVERIFY(rockEntry->menuAction()->isChecked());
        QVERIFY(rockSongEntry->isChecked());

        m_form->xaudioNotifyPlayerState(x, 1);
        VerifyEnabled(false, true, true, true);
        QVERIFY(m_form->nowPlaying->Playing());
        QCOMPARE(TreeNodeStateIndex(jazzSong), 1);

        m_form->xaudioNotifyPlayerState(x, 7);  // not a state: nothing changes
        VerifyEnabled(false, true, true, true);
        QCOMPARE(m_form->TrayIcon()->toolTip(), QStringLiteral("Song A - DAK-MP3 - Playing"));

        // Without a title the marks are only cleared.
        m_form->label_songtitle->setText(kTitleUnknown);
        m_form->xaudioNotifyPlayerState(x, 0);
        VerifyEnabled(true, false, false, true);
        QCOMPARE(TreeNodeStateIndex(rockSong), -1);
        QCOMPARE(TreeNodeStateIndex(jazzSong), -1);
        QVERIFY(!rockEntry->menuAction()->isChecked());
        QVERIFY(!rockSongEntry->isChecked());
        QCOMPARE(m_form->TrayIcon()->toolTip(), QStringLiteral("Song Title unknown. - DAK-MP3 - Stopped"));
        QCOMPARE(m_nextSong->count(), 0);

        // A time report writes the time and moves its label under the thumb.
        m_form->xaudioNotifyInputPosition(x, 10000, 40000);
        m_form->xaudioNotifyInputTimecode(x, 0, 1, 5, 0);
        QCOMPARE(m_form->label_currenttime->text(), QStringLiteral("00:01:05"));
        const QRect bar = m_form->trackbar_song->geometry();
        QCOMPARE(m_form->label_currenttime->x(), qRound((bar.left() + bar.width()) / 4.0));
        m_form->xaudioNotifyInputStreamInfo(x, 1, 3, 128, 44100, 4);  // unknown mode: label kept
        QCOMPARE(m_form->label_songdata->text(),
                 QStringLiteral("MPEG 1, Audio Layer 3, 128 Kbps, 44100 Hz, joint-stereo"));
        QCOMPARE(m_answers->texts(), QStringList());
    }

    void streamTitleShowsInTheTitleLineAndTip()
    {
        using playback::TreeNodeStateIndex;
        auto *set = new QTreeWidgetItem(m_form->treeview_songlibrary, {"Radio"});
        auto *song = new QTreeWidgetItem(set, {"Station"});
        if (!library::TreeMarks::Of(m_form->treeview_songlibrary))
            new library::TreeMarks(m_form->treeview_songlibrary, playback::kTreeStateIndexRole);
        m_form->settings.Options.autoplayonopen = false;
        m_form->OpenMP3(m_song, "Radio", "Station");
        Sync();

        // The stream's title arrives as a message of its own; the line and the tip show it.
        TXaudioPlayer *x = m_form->xaudio;
        XA_Message title;
        title.code = NowPlaying::kStreamTitleCode;
        title.set_text(4, "Live Tune");
        x->OnNotifyMessage(x, title);
        QCOMPARE(m_form->label_songtitle->text(), QStringLiteral("Live Tune"));
        m_form->xaudioNotifyPlayerState(x, 2);
        QCOMPARE(m_form->TrayIcon()->toolTip(), QStringLiteral("Live Tune - DAK-MP3 - Paused"));
        // The library marks keep to the library title.
        QCOMPARE(TreeNodeStateIndex(song), 2);
        QCOMPARE(m_form->nowPlaying->ApplicationTitle(), QStringLiteral("Station - DAK-MP3"));

        // The next input starts with its own title again.
        m_form->OpenMP3(m_song, "Radio", "Other");
        QCOMPARE(m_form->label_songtitle->text(), QStringLiteral("Other"));
        Sync();
        QCOMPARE(m_answers->texts(), QStringList());
    }

    void brokenStateIconIsReportedOnceAndTheDisplayGoesOn()
    {
        QTemporaryDir icons;
        QVERIFY(QFile::copy(m_icons + "/play.ico", icons.filePath("play.ico")));
        QFile broken(icons.filePath("pause.ico"));
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("not an icon");
        broken.close();
        m_form->nowPlaying->StateIconFolder = icons.path();  // stop.ico is missing
        m_form->label_songtitle->setText("Song A");

        TXaudioPlayer *x = m_form->xaudio;
        m_form->xaudioNotifyPlayerState(x, 1);
        const QImage playing = Picture(m_form->Image1Icon());
        m_form->xaudioNotifyPlayerState(x, 3);
        m_form->xaudioNotifyPlayerState(x, 3);
        QCOMPARE(m_nextSong->count(), 2);  // the advance goes on without the picture
        QCOMPARE(m_form->TrayIcon()->toolTip(), QStringLiteral("Song A - DAK-MP3 - End of File"));
        QCOMPARE(Picture(m_form->Image1Icon()), playing);
        m_form->xaudioNotifyPlayerState(x, 2);
        m_form->xaudioNotifyPlayerState(x, 2);
        QCOMPARE(m_form->TrayIcon()->toolTip(), QStringLiteral("Song A - DAK-MP3 - Paused"));
        QCOMPARE(m_answers->texts(),
                 QStringList({"Couldn't open file: " + icons.filePath("stop.ico"),
                              "Couldn't open file: " + icons.filePath("pause.ico")}));
    }
};

QTEST_MAIN(TestMainTransport)
#include "test_main_transport.moc"
