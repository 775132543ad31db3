// The now-playing marks in a library tree and a "Song Library" menu built like the main window's, and the
// state icon files.

#include "playback/ui/icon_file.h"
#include "tools/library_walks.h"

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

using namespace playback;

namespace {

QTreeWidgetItem *AddSet(QTreeWidget &tree, const QString &name, const QStringList &songs)
{
    auto *set = new QTreeWidgetItem(&tree, {name});
    for (const QString &song : songs)
        new QTreeWidgetItem(set, {song});
    return set;
}

QAction *FindEntry(QMenu &menu, const QString &caption)
{
    for (QAction *a : menu.actions())
        if (a->text() == caption)
            return a;
    return nullptr;
}

}  // namespace

class TestLibraryMarks : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void treeMarksTheTitleInEverySet()
    {
        QTreeWidget tree;
        QTreeWidgetItem *rock = AddSet(tree, "Rock", {"Song A", "Song B"});
        QTreeWidgetItem *jazz = AddSet(tree, "Jazz", {"song a", "Song A"});
        QTreeWidgetItem *pop = AddSet(tree, "Pop", {"Song C"});
        SetTreeNodeStateIndex(pop->child(0), 2);  // left over from an earlier song

        ClearSongMarks(&tree);
        MarkSongs(&tree, "Song A", 1);
        QCOMPARE(TreeNodeStateIndex(rock->child(0)), 1);
        QCOMPARE(TreeNodeStateIndex(jazz->child(1)), 1);
        QCOMPARE(TreeNodeStateIndex(jazz->child(0)), -1);  // the comparison is case-sensitive
        QCOMPARE(TreeNodeStateIndex(rock->child(1)), -1);
        QCOMPARE(TreeNodeStateIndex(pop->child(0)), -1);
        QVERIFY(rock->isExpanded());
        QVERIFY(jazz->isExpanded());
        QVERIFY(!pop->isExpanded());
        QCOMPARE(TreeNodeStateIndex(rock), -1);  // set nodes carry no state image

        ClearSongMarks(&tree);
        QCOMPARE(TreeNodeStateIndex(rock->child(0)), -1);
        QCOMPARE(TreeNodeStateIndex(jazz->child(1)), -1);
    }

    void menuChecksTheSongAndItsSet()
    {
        QMenu library;
        library.addAction("Manage Library...");
        library.addSeparator();
        library.addMenu("Favorites")->addAction(QString());
        library.addMenu("Favorites -> Media")->addAction(QString());
        library.addSeparator();
        QMenu *rock = library.addMenu("Rock && Roll");  // "Rock & Roll", its '&' doubled for the menu
        QMenu *jazz = library.addMenu("Jazz");
        QAction *empty = library.addAction("Empty");  // a set without songs
        for (QMenu *set : {rock, jazz}) {
            set->menuAction()->setCheckable(true);
            for (const char *song : {"Song A", "Song B"})
                set->addAction(song)->setCheckable(true);
        }
        empty->setCheckable(true);
        empty->setChecked(true);
        FindEntry(*jazz, "Song B")->setChecked(true);

        UncheckLibraryMenu(&library);
        QVERIFY(!empty->isChecked());
        QVERIFY(!FindEntry(*jazz, "Song B")->isChecked());

        CheckLibraryMenu(&library, "Rock & Roll", "Song A");
        QVERIFY(rock->menuAction()->isChecked());
        QVERIFY(FindEntry(*rock, "Song A")->isChecked());
        QVERIFY(FindEntry(*jazz, "Song A")->isChecked());  // the title counts in every set
        QVERIFY(!jazz->menuAction()->isChecked());
        QVERIFY(!FindEntry(*rock, "Song B")->isChecked());

        // A set entry with no songs below it is never checked, even when its name matches.
        CheckLibraryMenu(&library, "Empty", "Song B");
        QVERIFY(!empty->isChecked());

        UncheckLibraryMenu(&library);
        QVERIFY(!rock->menuAction()->isChecked());
        QVERIFY(!FindEntry(*rock, "Song A")->isChecked());
        QVERIFY(!FindEntry(*jazz, "Song A")->isChecked());
    }

    void iconFiles()
    {
        const QIcon play = LoadIconFile(QStringLiteral(DAK_RESOURCES_DIR "/play.ico"));
        QVERIFY(!play.isNull());
        QVERIFY(play.availableSizes().contains(QSize(16, 16)));
        QVERIFY(play.availableSizes().contains(QSize(32, 32)));

        QTemporaryDir dir;
        QVERIFY(LoadIconFile(dir.filePath("missing.ico")).isNull());
        QFile broken(dir.filePath("broken.ico"));
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write(QByteArray(300, '\x5a'));
        broken.close();
        QVERIFY(LoadIconFile(broken.fileName()).isNull());
    }
};

QTEST_MAIN(TestLibraryMarks)
#include "test_library_marks.moc"
