// Song navigation through the real main window: "Next Song", "Previous Song", "Play Random Song" and "Play
// Random Set" on a library in a temporary folder, reached by clicking their menu items and the speed
// buttons. What was opened is read from the labels OpenMP3 sets (file name, set, title); the player gets
// paths that do not exist, which it reports later and which changes nothing here.

#include "app/ui/form_main.h"
#include "library/random_draw.h"
#include "playback/now_playing.h"
#include "tools/scripted_answers.h"

#include <QAction>
#include <QFile>
#include <QLabel>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <memory>

namespace {

const QString kUntouched = QStringLiteral("<nothing opened>");
const QString kSetUnknown = QStringLiteral("Name of the Set unknown.");
const QString kTitleUnknown = QStringLiteral("Song Title unknown.");

// 12:34:56.789 draws index 1 of 3 and 2 of 5; 23:59:59.999 draws 2 of 3 and 3 of 5 (see the rules test).
const QTime kClockA(12, 34, 56, 789);
const QTime kClockB(23, 59, 59, 999);

}  // namespace

class TestNavigationWindow : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<Shell::ScriptedAnswers> m_answers;
    std::unique_ptr<Tform_main> m_form;

    void Put(const QString &name, const QStringList &lines)
    {
        QFile file(m_dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        for (const QString &line : lines)
            file.write(line.toUtf8() + "\r\n");
    }

    // Makes `set`/`title` the current song as the player-state model knows it, on a file that does not exist
    // (the file label then shows the marker).
    void SetCurrent(const QString &set, const QString &title)
    {
        m_form->nowPlaying->Open(kUntouched, set, title);
        QCOMPARE(File(), kUntouched);
    }

    void SetRandom(bool song, bool set)
    {
        m_form->settings.Options.randomsong = song;
        m_form->settings.Options.randomset = set;
    }

    QString File() const { return m_form->label_filename->text(); }
    QString Set() const { return m_form->label_setname->text(); }
    QString Title() const { return m_form->label_songtitle->text(); }

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_dir.isValid());
        Put(QStringLiteral("setlib.dat"),
            {QStringLiteral("Rock"), QStringLiteral("Dup"), QStringLiteral("One"), QStringLiteral("Empty"),
             QStringLiteral("Case")});
        Put(QStringLiteral("Rock.set"),
            {QStringLiteral("A=/m/a.mp3"), QStringLiteral("B=/m/b.mp3"), QStringLiteral("D=/m/d.mp3")});
        Put(QStringLiteral("Dup.set"),
            {QStringLiteral("A=/d/a1.mp3"), QStringLiteral("B=/d/b.mp3"), QStringLiteral("A=/d/a2.mp3")});
        Put(QStringLiteral("One.set"), {QStringLiteral("Solo=/o/solo.mp3")});
        Put(QStringLiteral("Case.set"), {QStringLiteral("B=/c/B.mp3")});
        m_answers = std::make_unique<Shell::ScriptedAnswers>();
        m_form = std::make_unique<Tform_main>();
        m_form->settings.Options.libraryfolder = m_dir.path();
        SetRandom(false, false);
    }

    void cleanup()
    {
        library::SetRandomClock({});
        m_form.reset();
        m_answers.reset();
        QFile::remove(m_dir.filePath(QStringLiteral("Empty.set")));
    }

    void nextAndPreviousWrapAroundInTheSet()
    {
        SetCurrent(QStringLiteral("Rock"), QStringLiteral("D"));
        QVERIFY(Tform_main::ClickMenuItem(m_form->pop_nextsong));
        QCOMPARE(File(), QStringLiteral("/m/a.mp3"));
        QCOMPARE(Set(), QStringLiteral("Rock"));
        QCOMPARE(Title(), QStringLiteral("A"));

        QVERIFY(Tform_main::ClickMenuItem(m_form->pop_previoussong));
        QCOMPARE(File(), QStringLiteral("/m/d.mp3"));
        QCOMPARE(Title(), QStringLiteral("D"));

        QVERIFY(Tform_main::ClickMenuItem(m_form->pop_previoussong));
        QCOMPARE(Title(), QStringLiteral("B"));
    }

    void aStreamTitleOnTheTitleLineDoesNotLoseThePlace()
    {
        // A stream reports its own title, which the title line shows; the steps go by the library title.
        SetCurrent(QStringLiteral("Rock"), QStringLiteral("A"));
        m_form->nowPlaying->StreamTitleReport(QStringLiteral("Live Tune"));
        QCOMPARE(Title(), QStringLiteral("Live Tune"));
        QVERIFY(Tform_main::ClickMenuItem(m_form->pop_nextsong));
        QCOMPARE(File(), QStringLiteral("/m/b.mp3"));
        QCOMPARE(Title(), QStringLiteral("B"));

        m_form->nowPlaying->StreamTitleReport(QStringLiteral("B"));  // a stream title equal to a library title
        m_form->nowPlaying->StreamTitleReport(QStringLiteral("D"));
        QVERIFY(Tform_main::ClickMenuItem(m_form->pop_previoussong));
        QCOMPARE(File(), QStringLiteral("/m/a.mp3"));
        QCOMPARE(Set(), QStringLiteral("Rock"));
    }

    void speedButtonsClickTheMenuItems()
    {
        SetCurrent(QStringLiteral("Rock"), QStringLiteral("A"));
        QSignalSpy stop(m_form->pop_stop, &QAction::triggered);
        m_form->speedbutton_nextsong->click();
        QCOMPARE(Title(), QStringLiteral("B"));
        m_form->speedbutton_previoussong->click();
        QCOMPARE(Title(), QStringLiteral("A"));
        QCOMPARE(stop.count(), 2);  // each step stops playback first

        // A disabled item ignores the click, whoever clicks.
        m_form->pop_nextsong->setEnabled(false);
        m_form->speedbutton_nextsong->click();
        QCOMPARE(Title(), QStringLiteral("A"));
    }

    void aSetOfOneSongOpensItAgain()
    {
        SetCurrent(QStringLiteral("One"), QStringLiteral("Solo"));
        m_form->pop_nextsongClick();
        QCOMPARE(File(), QStringLiteral("/o/solo.mp3"));
        SetCurrent(QStringLiteral("One"), QStringLiteral("Solo"));
        m_form->pop_previoussongClick();
        QCOMPARE(File(), QStringLiteral("/o/solo.mp3"));
    }

    void repeatedTitlesGoOnFromTheLastOne()
    {
        SetCurrent(QStringLiteral("Dup"), QStringLiteral("A"));
        m_form->pop_nextsongClick();
        QCOMPARE(File(), QStringLiteral("/d/a1.mp3"));
        SetCurrent(QStringLiteral("Dup"), QStringLiteral("A"));
        m_form->pop_previoussongClick();
        QCOMPARE(File(), QStringLiteral("/d/b.mp3"));
    }

    void nothingOpensWithoutACurrentLibrarySong_data()
    {
        QTest::addColumn<QString>("set");
        QTest::addColumn<QString>("title");
        QTest::newRow("title differs in case") << QStringLiteral("Case") << QStringLiteral("b");
        QTest::newRow("title not in the set") << QStringLiteral("Rock") << QStringLiteral("Gone");
        QTest::newRow("no such set") << QStringLiteral("Jazz") << QStringLiteral("A");
        QTest::newRow("empty set") << QStringLiteral("Empty") << QStringLiteral("A");
        QTest::newRow("no current set") << kSetUnknown << QStringLiteral("A");
        QTest::newRow("no current title") << QStringLiteral("Rock") << kTitleUnknown;
    }

    void nothingOpensWithoutACurrentLibrarySong()
    {
        QFETCH(QString, set);
        QFETCH(QString, title);
        QSignalSpy stop(m_form->pop_stop, &QAction::triggered);
        SetCurrent(set, title);
        m_form->pop_nextsongClick();
        m_form->pop_previoussongClick();
        QCOMPARE(File(), kUntouched);
        QCOMPARE(Set(), set);
        QCOMPARE(Title(), title);
        QCOMPARE(stop.count(), 2);  // playback is stopped all the same
    }

    void randomSongPlaysASongOfTheCurrentSet()
    {
        SetRandom(true, false);
        library::SetRandomClock([] { return kClockB; });
        SetCurrent(QStringLiteral("Rock"), QStringLiteral("A"));
        m_form->pop_nextsongClick();  // index 2 of 3
        QCOMPARE(File(), QStringLiteral("/m/d.mp3"));
        QCOMPARE(Set(), QStringLiteral("Rock"));
        QCOMPARE(Title(), QStringLiteral("D"));

        library::SetRandomClock([] { return kClockA; });
        m_form->pop_previoussongClick();  // index 1 of 3, whichever the direction
        QCOMPARE(Title(), QStringLiteral("B"));
    }

    void randomSetPicksASetThenASong()
    {
        SetRandom(true, true);
        library::SetRandomClock([] { return kClockA; });  // set 2 of 5 ("One"), then its only song
        SetCurrent(QStringLiteral("Rock"), QStringLiteral("A"));
        m_form->pop_previoussongClick();
        QCOMPARE(Set(), QStringLiteral("One"));
        QCOMPARE(Title(), QStringLiteral("Solo"));
        QCOMPARE(File(), QStringLiteral("/o/solo.mp3"));
    }

    void randomSongWithoutACurrentSetChoosesASet()
    {
        library::SetRandomClock([] { return kClockA; });
        SetCurrent(kSetUnknown, kTitleUnknown);  // a file opened on its own
        QVERIFY(Tform_main::ClickMenuItem(m_form->pop_playrandomsong));
        QCOMPARE(Set(), QStringLiteral("One"));
        QCOMPARE(Title(), QStringLiteral("Solo"));
    }

    void randomSetOnAnEmptySetOnlyShowsItsName()
    {
        library::SetRandomClock([] { return kClockB; });  // set 3 of 5: "Empty", which has no file
        SetCurrent(QStringLiteral("Rock"), QStringLiteral("A"));
        QVERIFY(Tform_main::ClickMenuItem(m_form->pop_playrandomset));
        QCOMPARE(Set(), QStringLiteral("Empty"));
        QCOMPARE(Title(), QStringLiteral("A"));
        QCOMPARE(File(), kUntouched);

        Put(QStringLiteral("Empty.set"), {});  // an existing but empty set file: the same
        SetCurrent(QStringLiteral("Rock"), QStringLiteral("A"));
        m_form->pop_playrandomsetClick();
        QCOMPARE(Set(), QStringLiteral("Empty"));
        QCOMPARE(File(), kUntouched);
    }

    void randomSetOnALibraryWithoutSetsOpensNothing()
    {
        Put(QStringLiteral("setlib.dat"), {});
        SetCurrent(QStringLiteral("Rock"), QStringLiteral("A"));
        m_form->pop_playrandomsetClick();
        m_form->pop_playrandomsongClick();  // the current set "Rock" still plays at random
        QCOMPARE(Set(), QStringLiteral("Rock"));
        SetCurrent(kSetUnknown, kTitleUnknown);
        m_form->pop_playrandomsongClick();
        QCOMPARE(Set(), kSetUnknown);
        QCOMPARE(File(), kUntouched);
        QVERIFY(m_answers->texts().isEmpty());
    }

    void aSetNamedLikeTheUnknownSetIsPlayed()
    {
        // The set's name is the text that stands for no set: choosing it must not start the choice again.
        Put(QStringLiteral("setlib.dat"), {kSetUnknown});
        Put(kSetUnknown + QStringLiteral(".set"), {QStringLiteral("X=/x.mp3")});
        SetCurrent(kSetUnknown, kTitleUnknown);
        m_form->pop_playrandomsongClick();
        QCOMPARE(File(), QStringLiteral("/x.mp3"));
        QCOMPARE(Title(), QStringLiteral("X"));
    }

    void aMissingLibraryIsReportedByTheStore()
    {
        QFile::remove(m_dir.filePath(QStringLiteral("setlib.dat")));
        SetCurrent(QStringLiteral("Rock"), QStringLiteral("A"));
        m_form->pop_playrandomsetClick();
        QCOMPARE(File(), kUntouched);
        QCOMPARE(m_answers->texts().size(), 1);
        QVERIFY(m_answers->texts().constFirst().contains(m_dir.filePath(QStringLiteral("setlib.dat"))));

        // First use with random play on (the defaults): every end of a song draws again. The missing library
        // was told once; it is not told again after every song.
        SetRandom(true, true);
        for (int song = 0; song < 3; ++song) {
            m_form->pop_nextsongClick();
            m_form->pop_playrandomsetClick();
        }
        QCOMPARE(File(), kUntouched);
        QCOMPARE(m_answers->texts().size(), 1);

        // Once there was a library to read, its loss is news again, once.
        Put(QStringLiteral("setlib.dat"), {QStringLiteral("One")});
        m_form->pop_playrandomsetClick();
        QCOMPARE(File(), QStringLiteral("/o/solo.mp3"));
        QFile::remove(m_dir.filePath(QStringLiteral("setlib.dat")));
        m_form->pop_playrandomsetClick();
        m_form->pop_nextsongClick();
        QCOMPARE(m_answers->texts().size(), 2);
    }
};

QTEST_MAIN(TestNavigationWindow)
#include "test_navigation_window.moc"
