// Reading the library for the tree and the menu (missing and unreadable files, set files found under another
// spelling, titles), and the index through which the marks are set: the same nodes as a plain walk over the
// tree, also after nodes were renamed or moved and after others marked nodes, and radio checks in the menu.

#include "library/ui/library_marks.h"
#include "library/ui/library_menu_entries.h"
#include "library/library_view_reader.h"
#include "library/store/library_store.h"
#include "tools/scripted_answers.h"
#include "tools/library_walks.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

using namespace library;

namespace {

constexpr int kRole = playback::kTreeStateIndexRole;

// Every node's state index and every node's expansion, in tree order.
QList<int> States(QTreeWidget *tree)
{
    QList<int> states;
    for (QTreeWidgetItemIterator it(tree); *it; ++it)
        states.append(playback::TreeNodeStateIndex(*it) * 10 + ((*it)->isExpanded() ? 1 : 0));
    return states;
}

}  // namespace

class TestLibraryViews : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    void Put(const QString &name, const QByteArray &bytes)
    {
        QFile file(m_dir.filePath(name));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }

private Q_SLOTS:
    void cleanup()
    {
        for (const QString &name : QDir(m_dir.path()).entryList(QDir::Files))
            QFile::remove(m_dir.filePath(name));
        QDir(m_dir.filePath(QStringLiteral("Bad.set"))).removeRecursively();
    }

    void readsSetsAndTitlesInOrder()
    {
        LibraryStore store;
        store.setLibraryFolder(m_dir.path());
        Put(QStringLiteral("setlib.dat"), "B\r\nA\nNo File\rlower\r\n");
        Put(QStringLiteral("B.set"), "Intro=/i.mp3\r\nA=B=C\r\n/whole/line.mp3\r\n=/empty title.mp3");
        Put(QStringLiteral("A.set"), "");
        Put(QStringLiteral("LOWER.set"), "Found=/f.mp3\r\n");  // a file written where names ignore case
        const LibraryViewContents contents = ReadLibraryView(store);
        QVERIFY(contents.complete());
        QCOMPARE(contents.sets.size(), 4);
        QCOMPARE(contents.sets.at(0).name, QStringLiteral("B"));
        QCOMPARE(contents.sets.at(0).titles,
                 (QStringList{QStringLiteral("Intro"), QStringLiteral("A"), QString(), QString()}));
        QCOMPARE(contents.sets.at(1).titles, QStringList());
        QCOMPARE(contents.sets.at(2).name, QStringLiteral("No File"));
        QCOMPARE(contents.sets.at(2).titles, QStringList());
        QCOMPARE(contents.sets.at(3).titles, QStringList{QStringLiteral("Found")});
        QVERIFY(store.setNames().isEmpty());  // the working copy is not touched
    }

    void unreadableFilesMakeTheResultIncomplete()
    {
        Shell::ScriptedAnswers answers;
        LibraryStore store;
        store.setLibraryFolder(m_dir.path());
        // No library file at all is a first start: an empty library, nothing to report.
        LibraryViewContents contents = ReadLibraryView(store);
        QVERIFY(contents.complete());
        QVERIFY(contents.sets.isEmpty());

        // A library file that exists but cannot be read is reported.
        QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("setlib.dat")));
        contents = ReadLibraryView(store);
        QCOMPARE(contents.failedFiles, QStringList{m_dir.filePath(QStringLiteral("setlib.dat"))});
        QVERIFY(contents.sets.isEmpty());
        QVERIFY(QDir(m_dir.path()).rmdir(QStringLiteral("setlib.dat")));

        Put(QStringLiteral("setlib.dat"), "Bad\r\nGood\r\n");
        Put(QStringLiteral("Good.set"), "G=/g.mp3\r\n");
        QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("Bad.set")));
        contents = ReadLibraryView(store);
        QCOMPARE(contents.failedFiles, QStringList{m_dir.filePath(QStringLiteral("Bad.set"))});
        QCOMPARE(contents.sets.size(), 2);
        QCOMPARE(contents.sets.at(0).titles, QStringList());
        QCOMPARE(contents.sets.at(1).titles, QStringList{QStringLiteral("G")});
        QVERIFY(answers.texts().isEmpty());  // the caller reports, once

        QCOMPARE(LibraryViewFailureText(QStringLiteral("/lib/setlib.dat")),
                 QStringLiteral("Couldn't open file: /lib/setlib.dat\rOR one of the *.set files."));
    }

    void entryNamesSurviveAmpersands()
    {
        QMenu set;
        QAction *plain = set.addAction(QString());
        SetEntryName(plain, QStringLiteral("Rock"));
        QAction *amp = set.addAction(QString());
        SetEntryName(amp, QStringLiteral("Jazz & Blues"));
        QCOMPARE(amp->text(), QStringLiteral("Jazz && Blues"));
        QCOMPARE(EntryName(amp), QStringLiteral("Jazz & Blues"));
        QCOMPARE(EntryName(plain), QStringLiteral("Rock"));
        QCOMPARE(ParentMenu(amp), &set);
        // A temporary entry made from plain texts is read as it stands.
        QMenu temporary(QStringLiteral("R&B"));
        QAction *song = temporary.addAction(QStringLiteral("A&B"));
        QCOMPARE(EntryName(song), QStringLiteral("A&B"));
        QCOMPARE(MenuName(ParentMenu(song)), QStringLiteral("R&B"));
    }

    void treeIndexMarksWhatAWalkMarks()
    {
        // Two trees alike; one is marked by the index, the other by the plain walk, after random renames,
        // moves and marks made behind the index's back.
        QTreeWidget indexed;
        QTreeWidget walked;
        new TreeMarks(&indexed, kRole);
        QRandomGenerator random(20240613);
        const QStringList titles = {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("a")};
        for (QTreeWidget *tree : {&indexed, &walked}) {
            for (int s = 0; s < 6; ++s) {
                auto *set = new QTreeWidgetItem(tree, QStringList(QStringLiteral("Set %1").arg(s)));
                for (int i = 0; i < 5; ++i)
                    new QTreeWidgetItem(set, QStringList(titles.at((s + i) % titles.size())));
            }
        }
        TreeMarks::Of(&indexed)->Rebuild();

        for (int round = 0; round < 200; ++round) {
            const int action = static_cast<int>(random.bounded(5));
            const QString title = titles.at(static_cast<int>(random.bounded(titles.size())));
            const int state = static_cast<int>(random.bounded(1, 4));
            const int set = static_cast<int>(random.bounded(6));
            const int song = static_cast<int>(random.bounded(4));
            for (QTreeWidget *tree : {&indexed, &walked}) {
                QTreeWidgetItem *setNode = tree->topLevelItem(set);
                switch (action) {
                case 0:  // a player state: clear, then mark
                    if (tree == &indexed) {
                        ClearSongMarks(tree);
                        MarkSongs(tree, title, state);
                    } else {
                        playback::ClearSongMarks(tree);
                        playback::MarkSongs(tree, title, state);
                    }
                    break;
                case 1:  // a node renamed in place
                    if (setNode->childCount() > song)
                        setNode->child(song)->setText(0, title);
                    break;
                case 2:  // a node moved to another set
                    if (setNode->childCount() > song) {
                        QTreeWidgetItem *moved = setNode->takeChild(song);
                        tree->topLevelItem((set + 1) % 6)->insertChild(0, moved);
                    }
                    break;
                case 3:  // a mark set by someone else (OpenMP3's own walk)
                    playback::MarkSongs(tree, title, 1);
                    break;
                default:  // collapse a set
                    setNode->setExpanded(false);
                    break;
                }
            }
            QCOMPARE(States(&indexed), States(&walked));
        }
    }

    void menuIndexChecksRadioEntries()
    {
        QMenu songLibrary;
        auto *marks = new MenuMarks(&songLibrary);
        marks->Reset();
        // Sets: Rock (A, B, A), Jazz (A), Rock again (C), Empty (no songs).
        struct Set {
            QString name;
            QStringList titles;
        };
        const QList<Set> sets = {
            {QStringLiteral("Rock"), {QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("A")}},
            {QStringLiteral("Jazz"), {QStringLiteral("A")}},
            {QStringLiteral("Rock"), {QStringLiteral("C")}},
            {QStringLiteral("Empty"), {}}};
        QList<QAction *> setEntries;
        QList<QList<QAction *>> songEntries;
        for (const Set &set : sets) {
            QAction *entry = nullptr;
            QList<QAction *> songs;
            if (set.titles.isEmpty()) {
                entry = songLibrary.addAction(set.name);
            } else {
                QMenu *menu = songLibrary.addMenu(set.name);
                entry = menu->menuAction();
                for (const QString &title : set.titles) {
                    QAction *song = menu->addAction(title);
                    song->setCheckable(true);
                    songs.append(song);
                }
            }
            entry->setCheckable(true);
            marks->AddSetEntry(entry, set.name, !set.titles.isEmpty());
            for (int i = 0; i < songs.size(); ++i)
                marks->AddSongEntry(songs.at(i), entry->menu(), set.titles.at(i));
            setEntries.append(entry);
            songEntries.append(songs);
        }
        const auto checked = [&] {
            QString marksText;
            for (int s = 0; s < setEntries.size(); ++s) {
                marksText += setEntries.at(s)->isChecked() ? QLatin1Char('S') : QLatin1Char('-');
                for (QAction *song : songEntries.at(s))
                    marksText += song->isChecked() ? QLatin1Char('x') : QLatin1Char('.');
                marksText += QLatin1Char(' ');
            }
            return marksText.trimmed();
        };

        MenuMarks::Of(&songLibrary)->CheckLibraryMenu(QStringLiteral("Rock"), QStringLiteral("A"));
        // In each menu the last A; of the two Rock entries the last (the one with C below it).
        QCOMPARE(checked(), QStringLiteral("-..x -x S. -"));
        UncheckLibraryMenu(&songLibrary);
        QCOMPARE(checked(), QStringLiteral("-... -. -. -"));
        CheckLibraryMenu(&songLibrary, QStringLiteral("Empty"), QStringLiteral("C"));
        QCOMPARE(checked(), QStringLiteral("-... -. -x -"));  // a set without songs is never checked
        UncheckLibraryMenu(&songLibrary);
        CheckLibraryMenu(&songLibrary, QStringLiteral("Jazz"), QStringLiteral("a"));
        QCOMPARE(checked(), QStringLiteral("-... S. -. -"));  // titles compare with their case
    }
};

QTEST_MAIN(TestLibraryViews)
#include "test_library_views.moc"
