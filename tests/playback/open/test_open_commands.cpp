// "Open File...", "Open URL..." and "Open Folder..." through the real windows (offscreen), with the dialogs of
// the shell seam answered by a script: what is opened, what the folder import leaves in the library, the
// progress of a long import and its cancel button.

#include "app/ui/app_windows.h"
#include "app/ui/form_main.h"
#include "library/ui/library_views.h"
#include "playback/now_playing.h"
#include "library/import/folder_import.h"
#include "tools/scripted_answers.h"
#include "playback/XaudioPlayer.h"
#include "playback/ui/form_openurl.h"
#include "tools/fixtures.h"
#include "tools/files.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <memory>

#include <unistd.h>

namespace {

const QString kSetUnknown = QStringLiteral("Name of the Set unknown.");
const QString kTitleUnknown = QStringLiteral("Song Title unknown.");

QStringList TopLevelTexts(QTreeWidget *tree)
{
    QStringList texts;
    for (int i = 0; i < tree->topLevelItemCount(); ++i)
        texts << tree->topLevelItem(i)->text(0);
    return texts;
}

}  // namespace

class TestOpenCommands : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_song;  // a real MP3 file that the songs of the test folders are hard links to
    std::unique_ptr<QTemporaryDir> m_library;
    std::unique_ptr<QTemporaryDir> m_music;
    std::unique_ptr<Shell::ScriptedAnswers> m_answers;

    // A song file at `relative` below the music folder.
    void Song(const QString &relative)
    {
        const QString path = m_music->path() + "/" + relative;
        QDir().mkpath(QFileInfo(path).absolutePath());
        QCOMPARE(::link(QFile::encodeName(m_song).constData(), QFile::encodeName(path).constData()), 0);
    }

    QString Library(const QString &name) const { return m_library->path() + "/" + name; }

private Q_SLOTS:
    void initTestCase()
    {
        testtools::Fixtures fixtures(m_dir.path());
        m_song = fixtures.mp3("song.mp3", testtools::Tone{.seconds = 0.5});
        QVERIFY2(!m_song.isEmpty(), qPrintable(fixtures.error()));
    }

    void init()
    {
        m_library = std::make_unique<QTemporaryDir>();
        m_music = std::make_unique<QTemporaryDir>();
        m_answers = std::make_unique<Shell::ScriptedAnswers>();
        CreateAppWindows();
        form_main->BindPlaybackEvents();
        form_main->Views().TreeImageFolder = QStringLiteral(DAK_RESOURCES_DIR);
        form_main->nowPlaying->StateIconFolder = QStringLiteral(DAK_RESOURCES_DIR);
        form_main->settings.Options.libraryfolder = m_library->path();
        form_main->xaudio->OutputOpen(QStringLiteral("test"));
    }

    void cleanup()
    {
        DestroyAppWindows();
        m_answers.reset();
    }

    void openFileOpensTheChosenFileOutsideTheLibrary()
    {
        const QString before = form_main->label_filename->text();
        m_answers->pushCancel();
        QVERIFY(Tform_main::ClickMenuItem(form_main->pop_openfile));
        QCOMPARE(form_main->label_filename->text(), before);

        m_answers->pushPath(m_song);
        QVERIFY(Tform_main::ClickMenuItem(form_main->pop_openfile));
        QCOMPARE(form_main->label_filename->text(), m_song);
        QCOMPARE(form_main->label_setname->text(), kSetUnknown);
        QCOMPARE(form_main->label_songtitle->text(), kTitleUnknown);
        QCOMPARE(m_answers->requests().size(), 2);
        QCOMPARE(m_answers->requests().at(1).kind, Shell::Kind::OpenFile);
    }

    void openUrlDialog()
    {
        const QString before = form_main->label_filename->text();
        QVERIFY(Tform_main::ClickMenuItem(form_main->pop_openurl));
        QVERIFY(form_openurl->isVisible());
        QVERIFY(!form_openurl->isModal());
        QCOMPARE(form_openurl->focusWidget(), form_openurl->edit_url);
        QVERIFY(!form_openurl->button_favorites->isVisible() && !form_openurl->button_media->isVisible());

        // Escape cancels: nothing is opened.
        QTest::keyClicks(form_openurl->edit_url, "http://localhost:1/stream");
        QTest::keyClick(form_openurl->edit_url, Qt::Key_Escape);
        QVERIFY(!form_openurl->isVisible());
        QCOMPARE(form_main->label_filename->text(), before);

        // The text stays for the next opening; Enter opens it as it stands.
        QVERIFY(Tform_main::ClickMenuItem(form_main->pop_openurl));
        QCOMPARE(form_openurl->edit_url->text(), QString("http://localhost:1/stream"));
        QTest::keyClick(form_openurl->edit_url, Qt::Key_End);
        QTest::keyClicks(form_openurl->edit_url, " x");
        QTest::keyClick(form_openurl->edit_url, Qt::Key_Return);
        QVERIFY(!form_openurl->isVisible());
        QCOMPARE(form_main->label_filename->text(), QString("http://localhost:1/stream x"));
        QCOMPARE(form_main->label_setname->text(), kSetUnknown);
        QCOMPARE(form_main->label_songtitle->text(), kTitleUnknown);

        // "&Open" with an empty field passes the empty text on.
        form_openurl->ShowOpenUrl();
        form_openurl->edit_url->clear();
        form_openurl->button_open->click();
        QCOMPARE(form_main->label_filename->text(), QString());
        QCOMPARE(form_main->label_setname->text(), kSetUnknown);
    }

    void openFolderImportsAndPlaysTheFirstSet()
    {
        Song("Music/Rock/01.mp3");
        Song("Music/Rock/02.MP3");
        Song("Music/Album/b.mp3");
        Song("Music/Album/a.mp3");
        Song("Music/.cache/c.mp3");
        // The set of the first file found exists already: its first song, an old one, plays.
        putFile(Library("setlib.dat"), "Album\r\n");
        putFile(Library("Album.set"), "old=" + m_song.toUtf8() + "\r\n");
        form_main->settings.Options.openfolderrecursive = true;
        form_main->settings.Options.autoplayonopen = false;

        const QString music = m_music->path() + "/Music";
        m_answers->pushPath(music);
        QVERIFY(Tform_main::ClickMenuItem(form_main->pop_openfolder));
        QCOMPARE(m_answers->requests().constFirst().kind, Shell::Kind::BrowseFolder);
        QCOMPARE(m_answers->requests().constFirst().title, QString("Open Folder..."));
        QCOMPARE(m_answers->texts().size(), 1);  // nothing to tell

        QCOMPARE(fileOrMissing(Library("setlib.dat")), QByteArray("Album\r\nRock\r\n"));
        QCOMPARE(fileOrMissing(Library("Album.set")),
                 ("old=" + m_song + "\r\na=" + music + "/Album/a.mp3\r\nb=" + music + "/Album/b.mp3\r\n").toUtf8());
        QCOMPARE(fileOrMissing(Library("Rock.set")), ("01=" + music + "/Rock/01.mp3\r\n").toUtf8());
        QCOMPARE(TopLevelTexts(form_main->treeview_songlibrary), (QStringList{"Album", "Rock"}));
        QCOMPARE(form_main->label_setname->text(), QString("Album"));
        QCOMPARE(form_main->label_songtitle->text(), QString("old"));
        QCOMPARE(form_main->label_filename->text(), m_song);
        QVERIFY(form_main->nowPlaying->Playing());  // played whatever the auto-play option says

        // Not recursive and again: nothing new; the set's first song plays again.
        form_main->settings.Options.openfolderrecursive = false;
        m_answers->pushPath(music + "/Rock");
        QVERIFY(Tform_main::ClickMenuItem(form_main->pop_openfolder));
        QCOMPARE(fileOrMissing(Library("Rock.set")), ("01=" + music + "/Rock/01.mp3\r\n").toUtf8());
        QCOMPARE(form_main->label_setname->text(), QString("Rock"));
        QCOMPARE(form_main->label_songtitle->text(), QString("01"));
    }

    void openFolderCancelledOrEmpty()
    {
        const QString before = form_main->label_setname->text();
        m_answers->pushCancel();
        QVERIFY(Tform_main::ClickMenuItem(form_main->pop_openfolder));
        QCOMPARE(m_answers->texts().size(), 1);  // the browser only
        QVERIFY(!QFile::exists(Library("setlib.dat")));

        QDir().mkpath(m_music->path() + "/Empty");
        putFile(Library("setlib.dat"), "");
        m_answers->pushPath(m_music->path() + "/Empty");
        QVERIFY(Tform_main::ClickMenuItem(form_main->pop_openfolder));
        QCOMPARE(m_answers->texts().constLast(), import::NothingFoundText(m_music->path() + "/Empty"));
        QCOMPARE(fileOrMissing(Library("setlib.dat")), QByteArray());
        QCOMPARE(form_main->label_setname->text(), before);
    }

    void longImportShowsItsProgressAndCanBeCancelled()
    {
        for (int i = 0; i < 2000; ++i)
            Song(QString("Many/F%1/s%2.mp3").arg(i / 100, 2, 10, QChar('0')).arg(i % 100, 2, 10, QChar('0')));
        putFile(Library("setlib.dat"), "");
        form_main->settings.Options.openfolderrecursive = true;
        const QString before = form_main->label_filename->text();

        // The user presses "&Cancel" as soon as the progress shows.
        bool shown = false;
        QTimer hand;
        connect(&hand, &QTimer::timeout, [&] {
            for (QWidget *w : QApplication::topLevelWidgets()) {
                auto *progress = qobject_cast<QProgressDialog *>(w);
                if (progress && progress->isVisible() && progress->value() > 0) {
                    shown = true;
                    progress->cancel();
                }
            }
        });
        hand.start(0);
        m_answers->pushPath(m_music->path() + "/Many");
        QVERIFY(Tform_main::ClickMenuItem(form_main->pop_openfolder));
        hand.stop();
        QVERIFY(shown);

        // What was handled before the cancel is in the library, in order and complete; nothing plays.
        const QStringList sets =
            QString::fromUtf8(fileOrMissing(Library("setlib.dat"))).split("\r\n", Qt::SkipEmptyParts);
        QVERIFY(!sets.isEmpty() && sets.size() < 20);
        int songs = 0;
        for (int s = 0; s < sets.size(); ++s) {
            QCOMPARE(sets.at(s), QString("F%1").arg(s, 2, 10, QChar('0')));
            const QStringList lines =
                QString::fromUtf8(fileOrMissing(Library(sets.at(s) + ".set"))).split("\r\n", Qt::SkipEmptyParts);
            if (s + 1 < sets.size())
                QCOMPARE(lines.size(), 100);
            for (int i = 0; i < lines.size(); ++i)
                QCOMPARE(lines.at(i).section('=', 0, 0), QString("s%1").arg(i, 2, 10, QChar('0')));
            songs += lines.size();
        }
        QVERIFY(songs > 0 && songs < 2000);
        QCOMPARE(TopLevelTexts(form_main->treeview_songlibrary), sets);
        QCOMPARE(form_main->label_filename->text(), before);
        QCOMPARE(m_answers->texts().size(), 1);
    }

    void aSecondImportDoesNotStartInsideTheFirst()
    {
        for (int i = 0; i < 400; ++i)
            Song(QString("Many/F%1/s%2.mp3").arg(i / 100).arg(i % 100, 2, 10, QChar('0')));
        putFile(Library("setlib.dat"), "");
        form_main->settings.Options.openfolderrecursive = true;

        // While the progress shows, "Open Folder..." is chosen again (a hotkey, say): it does nothing.
        int again = 0;
        QTimer hand;
        connect(&hand, &QTimer::timeout, [&] {
            for (QWidget *w : QApplication::topLevelWidgets()) {
                auto *progress = qobject_cast<QProgressDialog *>(w);
                if (progress && progress->isVisible() && again == 0) {
                    ++again;
                    form_main->pop_openfolderClick();
                }
            }
        });
        hand.start(0);
        m_answers->pushPath(m_music->path() + "/Many");
        m_answers->pushPath(m_music->path() + "/Many/F0");
        QVERIFY(Tform_main::ClickMenuItem(form_main->pop_openfolder));
        hand.stop();
        QCOMPARE(again, 1);
        QCOMPARE(m_answers->pending(), 1);  // the second browser never opened
        QCOMPARE(fileOrMissing(Library("setlib.dat")), QByteArray("F0\r\nF1\r\nF2\r\nF3\r\n"));
        QCOMPARE(form_main->label_setname->text(), QString("F0"));
    }
};

QTEST_MAIN(TestOpenCommands)
#include "test_open_commands.moc"
