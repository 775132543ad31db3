// The library tree and the "Song Library" submenu of the real main window, on a library in a temporary
// folder: what CreateLibraryMenu builds and reports, playing from the menu and the tree (the labels OpenMP3
// sets tell what was opened; the paths need not exist), the tree's popup commands with their guards and
// messages (answered by a script), in-place renaming, the keys, drag and drop, expanding and collapsing, and
// the pictures of the marks.

#include "app/ui/form_main.h"
#include "library/ui/library_views.h"
#include "library/ui/library_marks.h"
#include "library/ui/library_menu_entries.h"
#include "library/store/library_store.h"
#include "tools/scripted_answers.h"
#include "playback/now_playing.h"
#include "tools/library_walks.h"
#include "tags/ui/mp3_tag_editor.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <memory>

namespace {

const QString kNoSong = QStringLiteral("Song doesn't exist in the library manager's song list.");

}  // namespace

class TestLibraryTreeWindow : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QTemporaryDir m_noImages;
    std::unique_ptr<Shell::ScriptedAnswers> m_answers;
    std::unique_ptr<Tform_main> m_form;

    QString Path(const QString &name) const { return m_dir.filePath(name); }

    void Put(const QString &name, const QStringList &lines)
    {
        QFile file(Path(name));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        for (const QString &line : lines)
            file.write(line.toUtf8() + "\r\n");
    }

    QByteArray Contents(const QString &name) const
    {
        QFile file(Path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }

    QTreeWidget *Tree() const { return m_form->treeview_songlibrary; }
    QTreeWidgetItem *SetNode(int i) const { return Tree()->topLevelItem(i); }
    QTreeWidgetItem *SongNode(int set, int song) const { return SetNode(set)->child(song); }

    QStringList SetCaptions() const
    {
        QStringList captions;
        const QList<QAction *> entries = m_form->pop_songlibrary->actions();
        for (qsizetype i = 5; i < entries.size(); ++i)
            captions.append(entries.at(i)->text());
        return captions;
    }
    QAction *SetEntry(int i) const { return m_form->pop_songlibrary->actions().at(5 + i); }
    QAction *SongEntry(int set, int song) const { return SetEntry(set)->menu()->actions().at(song); }

    QString File() const { return m_form->label_filename->text(); }
    QString Title() const { return m_form->label_songtitle->text(); }
    QString Set() const { return m_form->label_setname->text(); }

    const QString kOpenedFile = QStringLiteral("/nowhere/opened.mp3");

    // Makes `title` of `set` the song opened last, as the player-state model knows it (its file does not exist).
    void Opened(const QString &set, const QString &title)
    {
        m_form->nowPlaying->Open(kOpenedFile, set, title);
        QCOMPARE(Title(), title);
        // The player refuses the missing file; that report is not what the test looks at.
        QTRY_VERIFY(!m_answers->texts().isEmpty());
        m_answers->clear();
        QCOMPARE(m_form->nowPlaying->Title(), title);
    }

    // The popup menu opened over a node, as a right click does: the press fixes the node, the menu takes it.
    void PopupOn(QTreeWidgetItem *node)
    {
        Tree()->scrollToItem(node);
        const QPoint at = Tree()->visualItemRect(node).center();
        QTest::mousePress(Tree()->viewport(), Qt::RightButton, {}, at);
        QTest::mouseRelease(Tree()->viewport(), Qt::RightButton, {}, at);
        m_form->popupmenu_treeviewPopup(at);
        m_form->Views().popupmenu_treeview->hide();
        QCOMPARE(m_form->Views().TreePopupNode, node);
    }

    void Build()
    {
        m_form->CreateLibraryMenu();
        Tree()->resize(300, 2000);
    }

private Q_SLOTS:
    void init()
    {
        QVERIFY(m_dir.isValid());
        Put(QStringLiteral("setlib.dat"), {QStringLiteral("Rock"), QStringLiteral("Jazz & Blues")});
        Put(QStringLiteral("Rock.set"), {});
        Put(QStringLiteral("Jazz & Blues.set"),
            {QStringLiteral("Intro=/j/intro.mp3"), QStringLiteral("Take Five=/j/five.mp3"),
             QStringLiteral("So What=/j/what.mp3")});
        m_answers = std::make_unique<Shell::ScriptedAnswers>();
        m_form = std::make_unique<Tform_main>();
        m_form->settings.Options.libraryfolder = m_dir.path();
        m_form->Views().TreeImageFolder = qEnvironmentVariable("DAK_BUILD_DIR");
    }

    void cleanup()
    {
        m_form.reset();
        m_answers.reset();
        for (const QString &name : QDir(m_dir.path()).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot))
            QDir(Path(name)).exists() && name.endsWith(QLatin1String(".set")) ? QDir(Path(name)).removeRecursively()
                                                                              : QFile::remove(Path(name));
    }

    // ---- Building ------------------------------------------------------------------------------------

    void buildsMenuAndTreeFromTheFiles()
    {
        Build();
        QVERIFY(m_answers->texts().isEmpty());
        QCOMPARE(m_form->Views().imagelist_images.size(), 3);
        QCOMPARE(m_form->Views().imagelist_stateimages.size(), 4);

        // Five fixed entries, then one per set; the empty set is a plain entry, the other has its songs.
        QCOMPARE(m_form->pop_songlibrary->actions().size(), 7);
        QCOMPARE(m_form->pop_songlibrary->actions().at(0), m_form->pop_managelibrary);
        QCOMPARE(SetCaptions(), (QStringList{QStringLiteral("Rock"), QStringLiteral("Jazz && Blues")}));
        QCOMPARE(SetEntry(0)->menu(), nullptr);
        QCOMPARE(library::EntryName(SetEntry(1)), QStringLiteral("Jazz & Blues"));
        QCOMPARE(SetEntry(1)->menu()->actions().size(), 3);
        QCOMPARE(SongEntry(1, 1)->text(), QStringLiteral("Take Five"));
        QVERIFY(SongEntry(1, 1)->isCheckable() && !SongEntry(1, 1)->isChecked());

        // Two collapsed set nodes, each with an expand button, the songs below the second.
        QCOMPARE(Tree()->topLevelItemCount(), 2);
        QCOMPARE(SetNode(1)->text(0), QStringLiteral("Jazz & Blues"));
        QCOMPARE(SetNode(0)->childCount(), 0);
        QCOMPARE(SetNode(0)->childIndicatorPolicy(), QTreeWidgetItem::ShowIndicator);
        QCOMPARE(SetNode(1)->childCount(), 3);
        QVERIFY(!SetNode(0)->isExpanded() && !SetNode(1)->isExpanded());
        QCOMPARE(SongNode(1, 2)->text(0), QStringLiteral("So What"));
        QCOMPARE(Tree()->selectedItems().size(), 0);

        // A rebuild replaces everything and picks up changed files.
        Put(QStringLiteral("setlib.dat"), {QStringLiteral("Jazz & Blues")});
        Build();
        QCOMPARE(SetCaptions(), QStringList{QStringLiteral("Jazz && Blues")});
        QCOMPARE(Tree()->topLevelItemCount(), 1);
    }

    void oddLinesShowAsTheyRead()
    {
        Put(QStringLiteral("Rock.set"),
            {QStringLiteral("/music/no title.mp3"), QStringLiteral("A=B=C"), QStringLiteral("Dup=/first.mp3"),
             QStringLiteral("Dup=/second.mp3")});
        Build();
        QCOMPARE(SongNode(0, 0)->text(0), QString());
        QCOMPARE(SongNode(0, 1)->text(0), QStringLiteral("A"));
        QCOMPARE(SetEntry(0)->menu()->actions().size(), 4);

        // A song without a title plays the file named by the whole line; repeated titles play the last.
        QVERIFY(Tform_main::ClickMenuItem(SongEntry(0, 0)));
        QCOMPARE(File(), QStringLiteral("/music/no title.mp3"));
        QVERIFY(Tform_main::ClickMenuItem(SongEntry(0, 1)));
        QCOMPARE(File(), QStringLiteral("B=C"));
        QVERIFY(Tform_main::ClickMenuItem(SongEntry(0, 2)));
        QCOMPARE(File(), QStringLiteral("/second.mp3"));
    }

    void missingPicturesAreReportedAndTheBuildGoesOn()
    {
        m_form->Views().TreeImageFolder = m_noImages.path();
        QFile::copy(QDir(qEnvironmentVariable("DAK_BUILD_DIR")).filePath(QStringLiteral("treeview_closed_set.bmp")),
                    m_noImages.filePath(QStringLiteral("treeview_closed_set.bmp")));
        Build();
        QCOMPARE(m_answers->texts(), QStringList{QStringLiteral("Failed to open a bitmap resource [treeview*]!")});
        QCOMPARE(m_form->Views().imagelist_images.size(), 1);
        QCOMPARE(m_form->Views().imagelist_stateimages.size(), 0);
        QCOMPARE(Tree()->topLevelItemCount(), 2);
    }

    void unreadableLibraryFilesAreReported()
    {
        const QString expected = QStringLiteral("Couldn't open file: ") + Path(QStringLiteral("setlib.dat")) +
            QChar(u'\r') + QStringLiteral("OR one of the *.set files.");
        // No library file: a first start, an empty library and no message.
        QFile::remove(Path(QStringLiteral("setlib.dat")));
        Build();
        QCOMPARE(m_answers->texts(), QStringList());
        QCOMPARE(Tree()->topLevelItemCount(), 0);
        QCOMPARE(m_form->pop_songlibrary->actions().size(), 5);

        // A library file that cannot be read is reported.
        QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("setlib.dat")));
        Build();
        QCOMPARE(m_answers->texts(), QStringList{expected});
        QCOMPARE(Tree()->topLevelItemCount(), 0);
        QVERIFY(QDir(m_dir.path()).rmdir(QStringLiteral("setlib.dat")));

        // A set file that cannot be read: the set shows without songs, the sets after it as usual.
        m_answers->clear();
        Put(QStringLiteral("setlib.dat"), {QStringLiteral("Bad"), QStringLiteral("Jazz & Blues")});
        QVERIFY(QDir(m_dir.path()).mkdir(QStringLiteral("Bad.set")));
        Build();
        QCOMPARE(m_answers->texts(), QStringList{expected});
        QCOMPARE(Tree()->topLevelItemCount(), 2);
        QCOMPARE(SetNode(0)->childCount(), 0);
        QCOMPARE(SetNode(1)->childCount(), 3);

        // A set without a file is an empty set, not a failure.
        m_answers->clear();
        Put(QStringLiteral("setlib.dat"), {QStringLiteral("New"), QStringLiteral("Jazz & Blues")});
        Build();
        QVERIFY(m_answers->texts().isEmpty());
        QCOMPARE(SetCaptions(), (QStringList{QStringLiteral("New"), QStringLiteral("Jazz && Blues")}));
    }

    // ---- Playing -------------------------------------------------------------------------------------

    void menuEntriesPlayTheirSong()
    {
        Build();
        QSignalSpy stop(m_form->pop_stop, &QAction::triggered);
        QVERIFY(Tform_main::ClickMenuItem(SongEntry(1, 1)));
        QCOMPARE(stop.count(), 1);
        QCOMPARE(File(), QStringLiteral("/j/five.mp3"));
        QCOMPARE(Set(), QStringLiteral("Jazz & Blues"));
        QCOMPARE(Title(), QStringLiteral("Take Five"));
        QVERIFY(!SongEntry(1, 1)->isChecked());  // the player's state sets the check, not the click

        // The set file changed since the rebuild: the sentence stands in for the path.
        Put(QStringLiteral("Jazz & Blues.set"), {QStringLiteral("Intro=/j/intro.mp3")});
        QVERIFY(Tform_main::ClickMenuItem(SongEntry(1, 2)));
        QCOMPARE(File(), kNoSong);
        QCOMPARE(Title(), QStringLiteral("So What"));
    }

    void treeNodesPlayByDoubleClickEnterAndPopup()
    {
        Build();
        SetNode(1)->setExpanded(true);
        // A set node plays nothing.
        Tree()->setCurrentItem(SetNode(1));
        m_form->treeview_songlibraryDblClick();
        QCOMPARE(File(), QStringLiteral("Filename unknown."));

        Tree()->setCurrentItem(SongNode(1, 0));
        QTest::keyClick(Tree(), Qt::Key_Return);
        QCOMPARE(File(), QStringLiteral("/j/intro.mp3"));
        QCOMPARE(Set(), QStringLiteral("Jazz & Blues"));

        // The first press of a double click selects the node.
        const QPoint at = Tree()->visualItemRect(SongNode(1, 2)).center();
        QTest::mousePress(Tree()->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseRelease(Tree()->viewport(), Qt::LeftButton, {}, at);
        QTest::mouseDClick(Tree()->viewport(), Qt::LeftButton, {}, at);
        QCOMPARE(Title(), QStringLiteral("So What"));

        PopupOn(SongNode(1, 1));
        QVERIFY(Tform_main::ClickMenuItem(m_form->Views().pop_tv_playsong));
        QCOMPARE(File(), QStringLiteral("/j/five.mp3"));
    }

    // ---- Popup commands ------------------------------------------------------------------------------

    void removeSongIsRefusedForTheCurrentSong()
    {
        Build();
        SetNode(1)->setExpanded(true);
        Opened(QStringLiteral("Jazz & Blues"), QStringLiteral("Take Five"));
        m_form->nowPlaying->StreamTitleReport(QStringLiteral("Live Tune"));  // the title line shows another title
        const QByteArray before = Contents(QStringLiteral("Jazz & Blues.set"));
        PopupOn(SongNode(1, 1));
        m_form->pop_tv_removesongClick();
        QCOMPARE(m_answers->texts(), QStringList{QStringLiteral("Can't remove a currently opened song!")});
        QCOMPARE(Contents(QStringLiteral("Jazz & Blues.set")), before);

        // Any other song goes at once, without a question, and the views are rebuilt.
        m_answers->clear();
        PopupOn(SongNode(1, 0));
        m_form->pop_tv_removesongClick();
        QVERIFY(m_answers->texts().isEmpty());
        QCOMPARE(Contents(QStringLiteral("Jazz & Blues.set")),
                 QByteArray("Take Five=/j/five.mp3\r\nSo What=/j/what.mp3\r\n"));
        QCOMPARE(SetNode(1)->childCount(), 2);
        QCOMPARE(SetEntry(1)->menu()->actions().size(), 2);

        // On a set node the command does nothing.
        PopupOn(SetNode(0));
        m_form->pop_tv_removesongClick();
        QVERIFY(m_answers->texts().isEmpty());
        QCOMPARE(Tree()->topLevelItemCount(), 2);
    }

    void removeSetAsksAndIsRefusedForTheCurrentSet()
    {
        Build();
        m_form->label_setname->setText(QStringLiteral("Jazz & Blues"));
        PopupOn(SetNode(1));
        m_form->pop_tv_removesetClick();
        QCOMPARE(m_answers->texts(),
                 QStringList{QStringLiteral("Can't remove set while a song in this set is opened!")});

        m_answers->clear();
        m_form->label_setname->setText(QStringLiteral("Rock"));
        m_answers->pushNo();
        m_form->pop_tv_removesetClick();
        QCOMPARE(m_answers->texts(), QStringList{QStringLiteral("Are you sure you want to remove the selected set?")});
        QCOMPARE(m_answers->requests().constFirst().kind, Shell::Kind::Confirm);
        QVERIFY(QFile::exists(Path(QStringLiteral("Jazz & Blues.set"))));

        m_answers->pushYes();
        m_form->pop_tv_removesetClick();
        QCOMPARE(Contents(QStringLiteral("setlib.dat")), QByteArray("Rock\r\n"));
        QVERIFY(!QFile::exists(Path(QStringLiteral("Jazz & Blues.set"))));
        QCOMPARE(Tree()->topLevelItemCount(), 1);
        QCOMPARE(SetCaptions(), QStringList{QStringLiteral("Rock")});
    }

    void deleteKeyRemovesTheSelectedNode()
    {
        Build();
        SetNode(1)->setExpanded(true);
        Opened(QStringLiteral("Jazz & Blues"), QStringLiteral("Intro"));
        Tree()->setCurrentItem(SongNode(1, 0));
        QTest::keyClick(Tree(), Qt::Key_Delete);
        QCOMPARE(m_answers->texts(), QStringList{QStringLiteral("Can't remove a currently opened song!")});
        QCOMPARE(SetNode(1)->childCount(), 3);

        m_answers->clear();
        Tree()->setCurrentItem(SetNode(0));
        m_answers->pushYes();
        QTest::keyClick(Tree(), Qt::Key_Delete);
        QCOMPARE(m_answers->texts(), QStringList{QStringLiteral("Are you sure you want to remove the selected set?")});
        QCOMPARE(Contents(QStringLiteral("setlib.dat")), QByteArray("Jazz & Blues\r\n"));
        QVERIFY(!QFile::exists(Path(QStringLiteral("Rock.set"))));
    }

    void addSongAppendsTheChosenFile()
    {
        Build();
        SetNode(1)->setExpanded(true);
        PopupOn(SongNode(1, 2));
        m_answers->pushCancel();
        m_form->pop_tv_addsongClick();
        QCOMPARE(m_answers->requests().constLast().kind, Shell::Kind::OpenFile);
        QCOMPARE(SetNode(1)->childCount(), 3);

        // On a song node the song's set takes the file, on a set node that set.
        m_answers->pushText(QStringLiteral("/new/Best.Of.mp3"));
        m_form->pop_tv_addsongClick();
        QCOMPARE(Contents(QStringLiteral("Jazz & Blues.set")).right(26), QByteArray("Best.Of=/new/Best.Of.mp3\r\n"));
        QCOMPARE(SetNode(1)->childCount(), 4);
        QCOMPARE(SongNode(1, 3)->text(0), QStringLiteral("Best.Of"));

        PopupOn(SetNode(0));
        m_answers->pushText(QStringLiteral("/rock/Anthem.mp3"));
        m_form->pop_tv_addsongClick();
        QCOMPARE(Contents(QStringLiteral("Rock.set")), QByteArray("Anthem=/rock/Anthem.mp3\r\n"));
        QCOMPARE(SetEntry(0)->menu()->actions().size(), 1);
    }

    void newSetAsksForTheDialogAtTheSetsPosition()
    {
        Build();
        QSignalSpy requested(m_form.get(), &Tform_main::NewSetDialogRequested);
        SetNode(1)->setExpanded(true);
        PopupOn(SongNode(1, 0));
        m_form->pop_tv_newsetClick();
        QCOMPARE(requested.count(), 0);  // songs have no position in the set list
        PopupOn(SetNode(1));
        m_form->pop_tv_newsetClick();
        QCOMPARE(requested.count(), 1);
        QCOMPARE(requested.at(0).at(0).toInt(), 1);
    }

    void repeatedTitlesAreToldApartByTheirPlace()
    {
        // Two albums' "01" in one set: the command works on the node the user pointed at, not the first of
        // the title.
        Put(QStringLiteral("Rock.set"),
            {QStringLiteral("01=/a/one.mp3"), QStringLiteral("02=/a/two.mp3"), QStringLiteral("01=/b/one.mp3")});
        Build();
        SetNode(0)->setExpanded(true);
        QVERIFY(m_form->treeview_songlibraryEdited(SongNode(0, 2), QStringLiteral("01 (live)")));
        QCOMPARE(Contents(QStringLiteral("Rock.set")),
                 QByteArray("01=/a/one.mp3\r\n02=/a/two.mp3\r\n01 (live)=/b/one.mp3\r\n"));

        Put(QStringLiteral("Rock.set"),
            {QStringLiteral("01=/a/one.mp3"), QStringLiteral("02=/a/two.mp3"), QStringLiteral("01=/b/one.mp3")});
        Build();
        SetNode(0)->setExpanded(true);
        PopupOn(SongNode(0, 2));
        m_form->pop_tv_removesongClick();
        QVERIFY(m_answers->texts().isEmpty());
        QCOMPARE(Contents(QStringLiteral("Rock.set")), QByteArray("01=/a/one.mp3\r\n02=/a/two.mp3\r\n"));
        QCOMPARE(SetNode(0)->childCount(), 2);
    }

    void renameGuardsAndInPlaceEditing()
    {
        Build();
        SetNode(1)->setExpanded(true);
        Opened(QStringLiteral("Jazz & Blues"), QStringLiteral("Intro"));
        PopupOn(SetNode(1));
        m_form->pop_tv_renamesetClick();
        PopupOn(SongNode(1, 0));
        m_form->pop_tv_renamesongClick();
        QCOMPARE(m_answers->texts(),
                 (QStringList{QStringLiteral("Can't rename set while a song in this set is opened!"),
                              QStringLiteral("Can't rename a currently opened song!")}));
        QVERIFY(!Tree()->isPersistentEditorOpen(Tree()->currentIndex()));

        // Another song: edited in place; accepting the new text renames it in its set file.
        m_answers->clear();
        PopupOn(SongNode(1, 1));
        m_form->pop_tv_renamesongClick();
        auto *editor = Tree()->viewport()->findChild<QLineEdit *>();
        QVERIFY(editor);
        editor->setText(QStringLiteral("Take 5"));
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(SongNode(1, 1)->text(0), QStringLiteral("Take 5"));
        QCOMPARE(File(), kOpenedFile);  // the Enter that ends the edit opens nothing
        QCOMPARE(Contents(QStringLiteral("Jazz & Blues.set")),
                 QByteArray("Intro=/j/intro.mp3\r\nTake 5=/j/five.mp3\r\nSo What=/j/what.mp3\r\n"));
        QCOMPARE(SongEntry(1, 1)->text(), QStringLiteral("Take Five"));  // the menu waits for the next rebuild

        // A set renamed in place renames its file; a name the library refuses is not taken.
        QVERIFY(m_form->treeview_songlibraryEdited(SetNode(0), QStringLiteral("Hard Rock")));
        QCOMPARE(Contents(QStringLiteral("setlib.dat")), QByteArray("Hard Rock\r\nJazz & Blues\r\n"));
        QVERIFY(QFile::exists(Path(QStringLiteral("Hard Rock.set"))));
        QVERIFY(!m_form->treeview_songlibraryEdited(SetNode(1), QStringLiteral("AC/DC")));
        QCOMPARE(m_answers->texts().size(), 1);
        QCOMPARE(Contents(QStringLiteral("setlib.dat")), QByteArray("Hard Rock\r\nJazz & Blues\r\n"));
    }

    void aSongGoneFromItsSetIsNotRenamedIntoABrokenLine()
    {
        // The tree shows a song that has since left its set (moved by a drag and a rebuild elsewhere, or an
        // edit of the file): renaming it must not add a line without a file, nor touch any other line.
        Build();
        SetNode(1)->setExpanded(true);
        const QByteArray changed("Intro=/j/intro.mp3\r\nSo What=/j/what.mp3\r\n");
        Put(QStringLiteral("Jazz & Blues.set"),
            {QStringLiteral("Intro=/j/intro.mp3"), QStringLiteral("So What=/j/what.mp3")});
        QVERIFY(!m_form->treeview_songlibraryEdited(SongNode(1, 1), QStringLiteral("Take 5")));
        QCOMPARE(Contents(QStringLiteral("Jazz & Blues.set")), changed);
        QCOMPARE(m_answers->texts().size(), 1);
        QVERIFY2(m_answers->texts().constFirst().contains(QStringLiteral("Take Five")),
                 qPrintable(m_answers->texts().constFirst()));

        // The library manager's rename of a line that is gone: refused the same way, the file stays.
        LibraryStore &library = m_form->Library();
        QVERIFY(!library.RenameSongLine(QStringLiteral("Take Five=/j/five.mp3"), 1, QStringLiteral("Take 5"),
                                        QStringLiteral("Jazz & Blues")));
        QCOMPARE(Contents(QStringLiteral("Jazz & Blues.set")), changed);
        QCOMPARE(m_answers->texts().size(), 2);

        // A line whose place changed is still found; one of the same title keeps its own file.
        Put(QStringLiteral("Jazz & Blues.set"),
            {QStringLiteral("So What=/j/other.mp3"), QStringLiteral("Intro=/j/intro.mp3")});
        QVERIFY(library.RenameSongLine(QStringLiteral("So What=/j/what.mp3"), 1, QStringLiteral("What"),
                                       QStringLiteral("Jazz & Blues")));
        QCOMPARE(Contents(QStringLiteral("Jazz & Blues.set")),
                 QByteArray("What=/j/other.mp3\r\nIntro=/j/intro.mp3\r\n"));
        QCOMPARE(m_answers->texts().size(), 2);
    }

    void tagEditorOpensOnTheSongsFile()
    {
        Build();
        SetNode(1)->setExpanded(true);
        Opened(QStringLiteral("Jazz & Blues"), QStringLiteral("Intro"));
        PopupOn(SongNode(1, 0));
        m_form->pop_tv_mp3tageditorClick();
        QCOMPARE(m_answers->texts(), QStringList{QStringLiteral("Can't edit a currently opened song!")});

        // The editor opens on the song's own file; a song whose file is gone is reported, no editor opens.
        const QString song = Path(QStringLiteral("what.mp3"));
        Put(QStringLiteral("what.mp3"), {QString(200, u'x')});
        Put(QStringLiteral("Jazz & Blues.set"),
            {QStringLiteral("Intro=/j/intro.mp3"), QStringLiteral("Take Five=/j/five.mp3"), "So What=" + song});
        QString shownPath;
        const auto closeEditor = [&shownPath] {
            auto *editor = qobject_cast<TMP3TagEditor *>(QApplication::activeModalWidget());
            if (editor) {
                shownPath = editor->Edit6->text();
                editor->reject();
            }
        };
        QTimer::singleShot(0, this, closeEditor);
        PopupOn(SongNode(1, 2));
        m_form->pop_tv_mp3tageditorClick();
        QCOMPARE(shownPath, song);

        m_answers->clear();
        shownPath.clear();
        QTimer::singleShot(0, this, closeEditor);
        PopupOn(SongNode(1, 1));
        m_form->pop_tv_mp3tageditorClick();
        QCoreApplication::processEvents();
        QCOMPARE(shownPath, QString());
        QCOMPARE(m_answers->texts(), QStringList{QStringLiteral("File does not exist!\r/j/five.mp3")});

        // A set node has no file.
        m_answers->clear();
        PopupOn(SetNode(1));
        m_form->pop_tv_mp3tageditorClick();
        QVERIFY(m_answers->texts().isEmpty());
    }

    void commandsWithoutAPopupNodeDoNothing()
    {
        Build();
        m_form->Views().TreePopupNode = nullptr;
        const LibraryViews &views = m_form->Views();
        for (QAction *item :
             {views.pop_tv_playsong, views.pop_tv_addsong, views.pop_tv_renamesong, views.pop_tv_mp3tageditor,
              views.pop_tv_removesong, views.pop_tv_newset, views.pop_tv_renameset, views.pop_tv_removeset})
            QVERIFY(Tform_main::ClickMenuItem(item));
        QVERIFY(m_answers->texts().isEmpty());
        QCOMPARE(m_answers->requests().size(), 0);
        QCOMPARE(Tree()->topLevelItemCount(), 2);
    }

    // ---- Tree behaviour ------------------------------------------------------------------------------

    void expandCollapseAndExpandingSelects()
    {
        Put(QStringLiteral("setlib.dat"),
            {QStringLiteral("Rock"), QStringLiteral("Jazz & Blues"), QStringLiteral("Pop")});
        Build();
        SetNode(0)->setExpanded(true);
        QCOMPARE(Tree()->currentItem(), SetNode(0));
        m_form->pop_tv_expandClick();
        for (int i = 0; i < 3; ++i)
            QVERIFY(SetNode(i)->isExpanded());
        m_form->pop_tv_collapseClick();
        for (int i = 0; i < 3; ++i)
            QVERIFY(!SetNode(i)->isExpanded());
    }

    void dragAndDropMovesNodesInTheTreeOnly()
    {
        Put(QStringLiteral("Rock.set"), {QStringLiteral("Anthem=/r/anthem.mp3")});
        Build();
        m_form->pop_tv_expandClick();
        const QByteArray before = Contents(QStringLiteral("Jazz & Blues.set"));
        QVERIFY(m_form->treeview_songlibraryDragOver(Tree()));
        QVERIFY(!m_form->treeview_songlibraryDragOver(m_form->popupmenu1));

        // A song dropped on a song stands right before it.
        QTreeWidgetItem *soWhat = SongNode(1, 2);
        m_form->treeview_songlibraryMouseDown(Qt::LeftButton, Tree()->visualItemRect(soWhat).center());
        m_form->treeview_songlibraryDragDrop(Tree()->visualItemRect(SongNode(0, 0)).center());
        QCOMPARE(SongNode(0, 0), soWhat);
        QCOMPARE(SetNode(0)->childCount(), 2);
        QCOMPARE(SetNode(1)->childCount(), 2);
        QCOMPARE(Contents(QStringLiteral("Jazz & Blues.set")), before);

        // Dropped on a set, it becomes the set's last child; played there, its title is not in that set.
        m_form->treeview_songlibraryMouseDown(Qt::LeftButton, Tree()->visualItemRect(soWhat).center());
        m_form->treeview_songlibraryDragDrop(Tree()->visualItemRect(SetNode(1)).center());
        QCOMPARE(SetNode(1)->child(2), soWhat);
        m_form->treeview_songlibraryMouseDown(Qt::LeftButton, Tree()->visualItemRect(soWhat).center());
        m_form->treeview_songlibraryDragDrop(Tree()->visualItemRect(SetNode(0)).center());
        Tree()->setCurrentItem(soWhat);
        m_form->treeview_songlibraryDblClick();
        QCOMPARE(File(), kNoSong);
        QCOMPARE(Set(), QStringLiteral("Rock"));

        // A set cannot be dropped onto its own songs; nothing happens without a node at either end.
        m_form->treeview_songlibraryMouseDown(Qt::LeftButton, Tree()->visualItemRect(SetNode(1)).center());
        m_form->treeview_songlibraryDragDrop(Tree()->visualItemRect(SongNode(1, 0)).center());
        QCOMPARE(Tree()->topLevelItemCount(), 2);
        m_form->treeview_songlibraryDragDrop(QPoint(5, 1900));
        m_form->treeview_songlibraryMouseDown(Qt::LeftButton, QPoint(5, 1900));
        m_form->treeview_songlibraryDragDrop(Tree()->visualItemRect(SetNode(0)).center());
        QCOMPARE(Tree()->topLevelItemCount(), 2);
        QCOMPARE(SetNode(0)->childCount(), 2);

        // The next rebuild shows the stored order again.
        Build();
        QCOMPARE(SetNode(1)->child(2)->text(0), QStringLiteral("So What"));
    }

    void marksShowAsStatePicturesAndCheckMarks()
    {
        Put(QStringLiteral("Rock.set"), {QStringLiteral("Intro=/r/intro.mp3")});
        Build();
        // As the now-playing display marks a paused song: both songs titled Intro, their sets expanded.
        library::ClearSongMarks(Tree());
        library::UncheckLibraryMenu(m_form->pop_songlibrary);
        library::MarkSongs(Tree(), QStringLiteral("Intro"), 2);
        library::CheckLibraryMenu(m_form->pop_songlibrary, QStringLiteral("Jazz & Blues"), QStringLiteral("Intro"));
        QCOMPARE(playback::TreeNodeStateIndex(SongNode(0, 0)), 2);
        QCOMPARE(playback::TreeNodeStateIndex(SongNode(1, 0)), 2);
        QCOMPARE(playback::TreeNodeStateIndex(SongNode(1, 1)), -1);
        QVERIFY(SetNode(0)->isExpanded() && SetNode(1)->isExpanded());
        QVERIFY(SongEntry(0, 0)->isChecked() && SongEntry(1, 0)->isChecked());
        QVERIFY(SetEntry(1)->isChecked() && !SetEntry(0)->isChecked());

        // The tree shows the paused picture (amber) in front of the node, and nothing once cleared.
        const auto shows = [this](QRgb colour) {
            const QImage image = Tree()->viewport()->grab().toImage();
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x) {
                    if ((image.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF))
                        return true;
                }
            }
            return false;
        };
        const QRgb paused = qRgb(0xe0, 0xa8, 0x00);
        const QRgb playing = qRgb(0x1e, 0x9e, 0x3c);
        QVERIFY(shows(paused));
        QVERIFY(!shows(playing));
        library::ClearSongMarks(Tree());
        library::UncheckLibraryMenu(m_form->pop_songlibrary);
        QVERIFY(!shows(paused));
        QVERIFY(!SongEntry(0, 0)->isChecked() && !SetEntry(1)->isChecked());
        library::MarkSongs(Tree(), QStringLiteral("Intro"), 1);
        QVERIFY(shows(playing));
    }
};

QTEST_MAIN(TestLibraryTreeWindow)
#include "test_library_tree_window.moc"
