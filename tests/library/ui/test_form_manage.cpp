// The library manager window, offscreen, with the main window and the new-set dialog beside it: what showing
// it loads, the set and song actions through its buttons, keys and double-clicks with the dialogs answered
// by script, the tag editor on several songs with one that cannot be used, and the rebuild of the main
// window's library tree on every close.

#include "app/ui/form_main.h"
#include "library/ui/library_views.h"
#include "library/ui/form_libraryfolder.h"
#include "library/ui/form_manage.h"
#include "library/ui/form_newset.h"
#include "library/store/library_store.h"
#include "tools/scripted_answers.h"
#include "tags/ui/mp3_tag_editor.h"
#include "widgets/DirTree.h"
#include "widgets/file_list_box.h"
#include "tools/files.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QMap>
#include <QProgressDialog>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>

#include <algorithm>
#include <functional>
#include <memory>

namespace {

QByteArray Lines(const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += line.toUtf8() + "\r\n";
    return bytes;
}

QStringList Items(const QListWidget *list)
{
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items.append(list->item(i)->text());
    return items;
}

void SelectRows(QListWidget *list, const QList<int> &rows)
{
    list->clearSelection();
    for (const int row : rows)
        list->item(row)->setSelected(true);
}

void Click(QAbstractButton *button) { QTest::mouseClick(button, Qt::LeftButton); }

void DoubleClick(QListWidget *list, int row)
{
    const QPoint at = list->visualItemRect(list->item(row)).center();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, at);
}

}  // namespace

class TestFormManage : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<Shell::ScriptedAnswers> m_answers;
    QString m_lib;    // the library folder, with "/"
    QString m_music;  // a folder of songs, with "/"

    QString Lib(const QString &name) const { return m_lib + name; }
    LibraryStore &Library() const { return form_manage->Library(); }

    void ShowManager()
    {
        form_manage->show();
        QVERIFY(QTest::qWaitForWindowExposed(form_manage));
    }

private Q_SLOTS:
    void initTestCase()
    {
        form_main = new Tform_main;
        form_main->Views().TreeImageFolder = qEnvironmentVariable("DAK_BUILD_DIR");
        form_newset = new Tform_newset;
        form_manage = new Tform_manage;
        form_libraryfolder = new Tform_libraryfolder;
    }

    void cleanupTestCase()
    {
        delete form_libraryfolder;
        form_libraryfolder = nullptr;
        delete form_manage;
        form_manage = nullptr;
        delete form_newset;
        form_newset = nullptr;
        delete form_main;
        form_main = nullptr;
    }

    void init()
    {
        m_answers = std::make_unique<Shell::ScriptedAnswers>();
        m_dir = std::make_unique<QTemporaryDir>();
        m_lib = m_dir->filePath("lib/");
        m_music = m_dir->filePath("Music Folder/");
        QVERIFY(QDir().mkpath(m_lib) && QDir().mkpath(m_music));
        putFile(Lib("setlib.dat"), Lines({"Rock", "Jazz", "Blues"}));
        putFile(Lib("Rock.set"), Lines({"Intro=/music/Intro.mp3", "Song A=/music/a.mp3", "Song B=/music/b=c.mp3"}));
        putFile(Lib("Jazz.set"), Lines({"Take Five=/jazz/five.mp3"}));
        putFile(Lib("x.mp3"), "");
        for (const char *name : {"Song One.mp3", "b.mp3", "C.MP3", "notes.txt"})
            putFile(m_music + name, "");
        form_main->settings.Options.libraryfolder = m_lib;
    }

    void cleanup()
    {
        form_manage->hide();
        form_newset->hide();
        form_libraryfolder->hide();
        if (m_answers->pending() > 0)
            QFAIL("a scripted answer was not asked for");
        m_answers.reset();
        QDir::setCurrent(QDir::tempPath());
    }

    void showingOpensTheLibraryFolderAndReloadsTheLibrary()
    {
        QVERIFY(!(form_manage->windowFlags() & Qt::WindowCloseButtonHint));  // closed by its buttons only
        Library().OpenSet("Jazz");                                           // whatever was loaded before
        ShowManager();
        // Shown, the window has what it leaves out while hidden: the buttons' icons, the title's large face.
        QVERIFY(!form_manage->speedbutton_addset->icon().isNull());
        QVERIFY(!form_manage->speedbutton_songdown->icon().isNull());
        const QLabel *title = form_manage->label_libtitle;
        QVERIFY(title->font().bold() && title->font().italic());
        QVERIFY(title->font().pixelSize() > 12);
        QVERIFY(title->width() >= title->fontMetrics().horizontalAdvance(title->text()));
        QCOMPARE(Items(form_manage->listbox_set), (QStringList{"Rock", "Jazz", "Blues"}));
        QCOMPARE(form_manage->listbox_set->currentRow(), 0);
        QCOMPARE(Items(form_manage->listbox_song).first(), QString("Intro=/music/Intro.mp3"));
        QCOMPARE(form_manage->dirtree->SelectedPath(), m_lib);
        QCOMPARE(Items(form_manage->filelistbox), QStringList{"x.mp3"});
        form_manage->filtercombobox->setCurrentIndex(1);  // all files
        QCOMPARE(Items(form_manage->filelistbox), (QStringList{"Jazz.set", "Rock.set", "setlib.dat", "x.mp3"}));
        form_manage->filtercombobox->setCurrentIndex(0);
        QVERIFY2(m_answers->requests().isEmpty(), qPrintable(m_answers->texts().join('|')));

        // Typed without a trailing "/": the tree opens at the folder's parent.
        form_manage->hide();
        form_main->settings.Options.libraryfolder = m_dir->filePath("lib");
        ShowManager();
        QCOMPARE(form_manage->dirtree->SelectedPath(), m_dir->path() + '/');
        QCOMPARE(Items(form_manage->listbox_set).size(), 3);

        // Other parts of the program change the working copy: the window follows.
        Library().OpenSet("Jazz");
        QCOMPARE(form_manage->listbox_set->currentRow(), 1);
        QCOMPARE(Items(form_manage->listbox_song), QStringList{"Take Five=/jazz/five.mp3"});
    }

    void setsAreAddedRemovedRenamedAndMoved()
    {
        ShowManager();
        Click(form_manage->speedbutton_addset);
        QVERIFY(form_newset->isVisible());
        form_newset->edit_newset->setText("Soul");
        Click(form_newset->button_ok);
        QCOMPARE(fileOrMissing(Lib("setlib.dat")), Lines({"Rock", "Jazz", "Blues", "Soul"}));
        QCOMPARE(Items(form_manage->listbox_set).last(), QString("Soul"));

        // Removing asks first; No keeps the set.
        form_manage->listbox_set->setCurrentRow(1);  // as a click: Jazz's songs are shown
        QCOMPARE(Items(form_manage->listbox_song), QStringList{"Take Five=/jazz/five.mp3"});
        m_answers->pushNo();
        Click(form_manage->speedbutton_removeset);
        QCOMPARE(m_answers->texts(), QStringList{"Are you sure you want to remove the selected set?"});
        QCOMPARE(m_answers->requests().first().kind, Shell::Kind::Confirm);
        QCOMPARE(Items(form_manage->listbox_set).size(), 4);
        m_answers->pushYes();
        QTest::keyClick(form_manage->listbox_set, Qt::Key_Delete);
        QCOMPARE(fileOrMissing(Lib("setlib.dat")), Lines({"Rock", "Blues", "Soul"}));
        QVERIFY(!QFile::exists(Lib("Jazz.set")));
        QCOMPARE(form_manage->listbox_set->currentRow(), 0);  // the first remaining set is shown
        QCOMPARE(Items(form_manage->listbox_song).size(), 3);

        // Renaming: the input box offers the old name; Cancel changes nothing and says nothing.
        m_answers->clear();
        m_answers->pushText("Hard Rock");
        Click(form_manage->speedbutton_renameset);
        const Shell::Request asked = m_answers->requests().first();
        QCOMPARE(asked.title, QString("Rename Set"));
        QCOMPARE(asked.text, QString("Enter the new name: "));
        QCOMPARE(asked.initial, QString("Rock"));
        QCOMPARE(fileOrMissing(Lib("setlib.dat")), Lines({"Hard Rock", "Blues", "Soul"}));
        QVERIFY(QFile::exists(Lib("Hard Rock.set")) && !QFile::exists(Lib("Rock.set")));
        QCOMPARE(Items(form_manage->listbox_set).first(), QString("Hard Rock"));
        m_answers->clear();
        m_answers->pushCancel();
        QTest::keyClick(form_manage->listbox_set, Qt::Key_Return);
        m_answers->pushCancel();
        DoubleClick(form_manage->listbox_set, 0);
        QCOMPARE(m_answers->requests().size(), 2);  // Enter and the double-click both asked; nothing else
        QCOMPARE(fileOrMissing(Lib("setlib.dat")), Lines({"Hard Rock", "Blues", "Soul"}));

        // Moves act on the list as shown and save it; at the ends nothing is written.
        form_manage->listbox_set->setCurrentRow(2);
        QFile::remove(Lib("setlib.dat"));
        Click(form_manage->speedbutton_setdown);
        QVERIFY(!QFile::exists(Lib("setlib.dat")));
        Click(form_manage->speedbutton_setup);
        QCOMPARE(fileOrMissing(Lib("setlib.dat")), Lines({"Hard Rock", "Soul", "Blues"}));
        QCOMPARE(form_manage->listbox_set->currentRow(), 1);
        QCOMPARE(form_manage->listbox_set->currentItem()->text(), QString("Soul"));
        Click(form_manage->speedbutton_setup);
        QCOMPARE(fileOrMissing(Lib("setlib.dat")), Lines({"Soul", "Hard Rock", "Blues"}));
        QCOMPARE(m_answers->requests().size(), 2);
    }

    void songsAreAddedRemovedRenamedAndMoved()
    {
        ShowManager();
        const QByteArray rock = fileOrMissing(Lib("Rock.set"));

        // With no line clicked the first has the focus: up changes nothing, down on the last neither.
        Click(form_manage->speedbutton_songup);
        form_manage->listbox_song->setCurrentRow(2);
        QFile::remove(Lib("Rock.set"));
        Click(form_manage->speedbutton_songdown);
        QVERIFY(!QFile::exists(Lib("Rock.set")));
        putFile(Lib("Rock.set"), rock);
        Library().OpenSet("Rock");

        // Files picked in the folder tree and the file list are added in list order.
        form_manage->dirtree->SelectPath(m_music);
        QCOMPARE(form_manage->dirtree->SelectedPath(), m_music);
        QCOMPARE(Items(form_manage->filelistbox), (QStringList{"b.mp3", "C.MP3", "Song One.mp3"}));
        SelectRows(form_manage->filelistbox, {2, 0, 1});
        Click(form_manage->speedbutton_addsong);
        QCOMPARE(
            fileOrMissing(Lib("Rock.set")),
            rock + Lines({"b=" + m_music + "b.mp3", "C=" + m_music + "C.MP3", "Song One=" + m_music + "Song One.mp3"}));
        QCOMPARE(Items(form_manage->listbox_song).size(), 6);
        form_manage->filelistbox->setCurrentRow(1);
        SelectRows(form_manage->filelistbox, {1});
        QTest::keyClick(form_manage->filelistbox, Qt::Key_Enter);
        DoubleClick(form_manage->filelistbox, 1);
        QCOMPARE(Items(form_manage->listbox_song).mid(6),
                 (QStringList{"C=" + m_music + "C.MP3", "C=" + m_music + "C.MP3"}));

        // Remove the focused song: no question asked.
        form_manage->listbox_song->setCurrentRow(1);
        QTest::keyClick(form_manage->listbox_song, Qt::Key_Delete);
        QVERIFY(!fileOrMissing(Lib("Rock.set")).contains("Song A="));
        QVERIFY(m_answers->requests().isEmpty());

        // Rename the focused song; its place and path stay. Cancelled, the file keeps its content.
        form_manage->listbox_song->setCurrentRow(1);
        QCOMPARE(form_manage->listbox_song->currentItem()->text(), QString("Song B=/music/b=c.mp3"));
        m_answers->pushText("Better B");
        Click(form_manage->speedbutton_renamesong);
        QCOMPARE(m_answers->requests().first().title, QString("Rename Song"));
        QCOMPARE(m_answers->requests().first().initial, QString("Song B"));
        QCOMPARE(Items(form_manage->listbox_song).at(1), QString("Better B=/music/b=c.mp3"));
        const QByteArray renamed = fileOrMissing(Lib("Rock.set"));
        QVERIFY(renamed.contains("\r\nBetter B=/music/b=c.mp3\r\n"));
        m_answers->pushCancel();
        form_manage->listbox_song->setCurrentRow(1);
        QTest::keyClick(form_manage->listbox_song, Qt::Key_Return);
        QCOMPARE(fileOrMissing(Lib("Rock.set")), renamed);

        // Move the focused song down and up: it keeps the focus and the file follows.
        form_manage->listbox_song->setCurrentRow(0);
        Click(form_manage->speedbutton_songdown);
        QCOMPARE(form_manage->listbox_song->currentRow(), 1);
        QCOMPARE(form_manage->listbox_song->currentItem()->text(), QString("Intro=/music/Intro.mp3"));
        QVERIFY(fileOrMissing(Lib("Rock.set")).startsWith("Better B=/music/b=c.mp3\r\nIntro="));
        Click(form_manage->speedbutton_songup);
        QVERIFY(fileOrMissing(Lib("Rock.set")).startsWith("Intro=/music/Intro.mp3\r\nBetter B="));
    }

    void songsOfOneTitleAreToldApart()
    {
        // Two songs titled "01" from two albums: removing or renaming the second must not touch the first.
        const QStringList blues{"01=/a/01.mp3", "Intro=/x.mp3", "01=/b/01.mp3"};
        putFile(Lib("Blues.set"), Lines(blues));
        ShowManager();
        form_manage->listbox_set->setCurrentRow(2);
        QCOMPARE(Items(form_manage->listbox_song), blues);

        form_manage->listbox_song->setCurrentRow(2);
        QTest::keyClick(form_manage->listbox_song, Qt::Key_Delete);
        QCOMPARE(fileOrMissing(Lib("Blues.set")), Lines({"01=/a/01.mp3", "Intro=/x.mp3"}));

        putFile(Lib("Blues.set"), Lines(blues));
        Library().OpenSet("Blues");
        form_manage->listbox_song->setCurrentRow(2);
        m_answers->pushText("Second 01");
        Click(form_manage->speedbutton_renamesong);
        QCOMPARE(m_answers->requests().first().initial, QString("01"));
        QCOMPARE(fileOrMissing(Lib("Blues.set")), Lines({"01=/a/01.mp3", "Intro=/x.mp3", "Second 01=/b/01.mp3"}));
        QCOMPARE(Items(form_manage->listbox_song).at(2), QString("Second 01=/b/01.mp3"));
    }

    void setNamesThatCannotBeFileNamesAreRefused_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("empty") << "";
        QTest::newRow("slash") << "Rock/Pop";
        QTest::newRow("dot") << ".";
        QTest::newRow("dot dot") << "..";
    }

    void setNamesThatCannotBeFileNamesAreRefused()
    {
        QFETCH(QString, name);
        ShowManager();
        const QByteArray library = fileOrMissing(Lib("setlib.dat"));
        const QStringList files = QDir(m_lib).entryList(QDir::Files | QDir::Hidden, QDir::Name);
        m_answers->pushText(name);
        Click(form_manage->speedbutton_renameset);
        QCOMPARE(m_answers->requests().size(), 2);  // the input box, then the refusal
        const Shell::Request refusal = m_answers->requests().at(1);
        QCOMPARE(refusal.kind, Shell::Kind::Error);
        QVERIFY2(refusal.text.startsWith("Couldn't use \"" + name + "\" as the name of a set.\r"),
                 qPrintable(refusal.text));
        QCOMPARE(fileOrMissing(Lib("setlib.dat")), library);
        QCOMPARE(QDir(m_lib).entryList(QDir::Files | QDir::Hidden, QDir::Name), files);
        QCOMPARE(Items(form_manage->listbox_set).first(), QString("Rock"));
    }

    void theFileListFollowsTheTreeThroughItsFilter()
    {
        // Hidden and read-only songs are listed, folders and other files are not (until "All files").
        const QString sub = m_music + "Live.mp3/";
        QVERIFY(QDir().mkpath(sub));
        putFile(sub + "Encore.mp3", "");
        putFile(m_music + ".hidden.mp3", "");
        putFile(m_music + "ro.mp3", "");
        QVERIFY(QFile::setPermissions(m_music + "ro.mp3", QFileDevice::ReadOwner | QFileDevice::ReadGroup));
        ShowManager();
        QCOMPARE(form_manage->filtercombobox->count(), 2);
        QCOMPARE(form_manage->filtercombobox->itemText(0), QString("MP3 files (*.mp3)"));
        QCOMPARE(form_manage->filtercombobox->itemText(1), QString("All files (*.*)"));

        form_manage->dirtree->SelectPath(m_music);
        QCOMPARE(Items(form_manage->filelistbox),
                 (QStringList{".hidden.mp3", "b.mp3", "C.MP3", "ro.mp3", "Song One.mp3"}));
        form_manage->filtercombobox->setCurrentIndex(1);
        QCOMPARE(Items(form_manage->filelistbox),
                 (QStringList{".hidden.mp3", "b.mp3", "C.MP3", "notes.txt", "ro.mp3", "Song One.mp3"}));
        form_manage->dirtree->SelectPath(sub);
        QCOMPARE(Items(form_manage->filelistbox), QStringList{"Encore.mp3"});
        form_manage->filtercombobox->setCurrentIndex(0);

        // A song from the subfolder goes in under the tree's folder.
        SelectRows(form_manage->filelistbox, {0});
        Click(form_manage->speedbutton_addsong);
        QVERIFY(fileOrMissing(Lib("Rock.set")).endsWith(("\r\nEncore=" + sub + "Encore.mp3\r\n").toUtf8()));
        QVERIFY(m_answers->requests().isEmpty());
    }

    void everySelectedSongIsOfferedToTheTagEditorAndFailuresAreReported()
    {
        const QString broken = m_music + "broken.mp3";
        QVERIFY(QDir().mkpath(broken));  // a folder where the file should be: it cannot be used
        const QString good = m_music + "good.mp3";
        putFile(good, QByteArray(400, '\x55'));
        putFile(Lib("Blues.set"), Lines({"Broken=" + broken, "Other=/nowhere.mp3", "Good=" + good}));
        ShowManager();
        form_manage->listbox_set->setCurrentRow(2);
        SelectRows(form_manage->listbox_song, {2, 0});

        int editors = 0;
        QTimer hand;
        connect(&hand, &QTimer::timeout, this, [&] {
            if (auto *editor = qobject_cast<TMP3TagEditor *>(QApplication::activeModalWidget())) {
                ++editors;
                editor->Edit1->setText("Tagged Title");
                Click(editor->Button2);  // Save
            }
        });
        hand.start(10);
        Click(form_manage->speedbutton_mp3tag);
        hand.stop();

        QCOMPARE(m_answers->texts(),
                 QStringList{"An error occurred while trying to access the MP3 tag of the file " + broken +
                             ".\rThe MP3 tag in the file may be corrupted or the file "
                             "doesn't exist."});
        QCOMPARE(m_answers->requests().first().kind, Shell::Kind::Error);
        QCOMPARE(editors, 1);  // the song after the failed one was still offered
        const QByteArray tagged = fileOrMissing(good);
        QCOMPARE(tagged.size(), 400 + 128);
        QCOMPARE(tagged.left(400), QByteArray(400, '\x55'));
        QVERIFY(tagged.mid(400).startsWith("TAGTagged Title"));
    }

    void aLibraryFolderSwitchNeverWritesOneLibraryOverAnother()
    {
        // Two libraries that both have a set "Rock". The manager holds one of them; the folder is switched
        // through the library-folder dialog; then a button that saves or moves is pressed. Neither folder may
        // end up with the other's lists, in either order of the switch.
        const QString other = m_dir->filePath("other/");
        QVERIFY(QDir().mkpath(other));
        putFile(other + "setlib.dat", Lines({"Pop", "Rock"}));
        putFile(other + "Rock.set", Lines({"Other=/other/o.mp3", "Second=/other/s.mp3"}));
        putFile(other + "Pop.set", Lines({"P=/pop/p.mp3", "Q=/pop/q.mp3"}));
        const auto everyByte = [&] {
            QMap<QString, QByteArray> files;
            for (const QString &folder : {m_lib, other}) {
                for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System))
                    files.insert(folder + name, fileOrMissing(folder + name));
            }
            return files;
        };
        const QMap<QString, QByteArray> before = everyByte();

        const QList<QPair<QString, QString>> switches{{m_lib, other}, {other, m_lib}};
        for (const auto &[from, to] : switches) {
            for (QAbstractButton *button : {static_cast<QAbstractButton *>(form_manage->speedbutton_songdown),
                                            static_cast<QAbstractButton *>(form_manage->speedbutton_setdown),
                                            static_cast<QAbstractButton *>(form_manage->button_recreate),
                                            static_cast<QAbstractButton *>(form_manage->button_close)}) {
                const QString what = from + " -> " + to + ", " + button->objectName();
                form_manage->hide();
                form_main->settings.Options.libraryfolder = from;
                ShowManager();
                form_manage->listbox_set->setCurrentRow(0);
                form_manage->listbox_song->setCurrentRow(0);

                Tform_main::ClickMenuItem(form_main->pop_libraryfolder);
                form_libraryfolder->edit_libraryfolder->setText(to);
                Click(form_libraryfolder->button_ok);
                QCOMPARE(form_main->settings.Options.libraryfolder, to);

                Click(button);
                QVERIFY2(everyByte() == before, qPrintable(what));
                // The lists now are those of the folder switched to.
                const QByteArray sets = fileOrMissing(to + "setlib.dat");
                QCOMPARE(Lines(Items(form_manage->listbox_set)), sets);
            }
        }
        QVERIFY2(m_answers->requests().isEmpty(), qPrintable(m_answers->texts().join('|')));
    }

    void manySongsAreAddedInOneWrite()
    {
        const QString many = m_dir->filePath("Many/");
        QVERIFY(QDir().mkpath(many));
        QStringList expected;
        for (int i = 0; i < 1000; ++i) {
            const QString name = QString("%1 track.mp3").arg(i, 4, 10, QChar(u'0'));
            putFile(many + name, "");
            expected.append(name.chopped(4) + "=" + many + name);
        }
        ShowManager();
        form_manage->listbox_set->setCurrentRow(1);
        const QByteArray jazz = fileOrMissing(Lib("Jazz.set"));
        form_manage->dirtree->SelectPath(many);
        QCOMPARE(form_manage->filelistbox->count(), 1000);
        form_manage->filelistbox->selectAll();

        // The progress of the folder import shows; the user cancels as soon as it does: nothing is written.
        int mostShown = 0;
        bool cancel = true;
        bool otherAdded = false;
        QTimer hand;
        connect(&hand, &QTimer::timeout, [&] {
            for (QWidget *w : QApplication::topLevelWidgets()) {
                auto *progress = qobject_cast<QProgressDialog *>(w);
                if (!progress || !progress->isVisible() || progress->value() <= 0)
                    continue;
                QVERIFY(progress->isModal());
                mostShown = std::max(mostShown, progress->maximum());
                if (cancel)
                    progress->cancel();
                else if (!otherAdded)  // a hotkey, say, changes the set while the progress lets events through
                    otherAdded = Library().AddSong("/else/where.mp3", "Jazz");
            }
        });
        hand.start(0);
        QSignalSpy changes(&Library(), &LibraryStore::songListChanged);
        Click(form_manage->speedbutton_addsong);
        QCOMPARE(mostShown, 1000);
        QCOMPARE(fileOrMissing(Lib("Jazz.set")), jazz);
        QCOMPARE(Items(form_manage->listbox_song).size(), 1);
        QVERIFY(m_answers->requests().isEmpty());  // a cancel is no failure to tell

        // Left to run, it adds them all after what changed meanwhile, and goes away.
        cancel = false;
        mostShown = 0;
        Click(form_manage->speedbutton_addsong);
        hand.stop();
        QCOMPARE(mostShown, 1000);
        for (QWidget *w : QApplication::topLevelWidgets())
            QVERIFY(!qobject_cast<QProgressDialog *>(w) || !w->isVisible());
        QVERIFY(otherAdded);
        QCOMPARE(fileOrMissing(Lib("Jazz.set")), jazz + Lines({"where=/else/where.mp3"}) + Lines(expected));
        QCOMPARE(changes.count(), 1);  // one operation on the set, not one per song
        QCOMPARE(Items(form_manage->listbox_song).size(), 1002);
        QCOMPARE(QDir(m_lib).entryList(QDir::Hidden | QDir::Files).filter(".tmp"), QStringList());
        QVERIFY2(m_answers->requests().isEmpty(), qPrintable(m_answers->texts().join('|')));
    }

    void everyCloseRebuildsTheLibraryTree()
    {
        ShowManager();
        QTreeWidget *tree = form_main->treeview_songlibrary;
        tree->clear();
        Click(form_manage->button_recreate);
        QVERIFY(form_manage->isVisible());
        QCOMPARE(tree->topLevelItemCount(), 3);

        putFile(Lib("setlib.dat"), Lines({"Rock", "Jazz", "Blues", "Funk"}));
        QTest::keyClick(form_manage, Qt::Key_Escape);  // does not close this window
        QVERIFY(form_manage->isVisible());
        form_manage->close();  // as with Alt+F4: no saving, but the tree follows the files
        QVERIFY(!form_manage->isVisible());
        QCOMPARE(tree->topLevelItemCount(), 4);
        QCOMPARE(fileOrMissing(Lib("setlib.dat")), Lines({"Rock", "Jazz", "Blues", "Funk"}));

        // The close button saves what the lists hold, then closes and rebuilds.
        ShowManager();
        QFile::remove(Lib("setlib.dat"));
        QFile::remove(Lib("Rock.set"));
        Click(form_manage->button_close);
        QVERIFY(!form_manage->isVisible());
        QCOMPARE(fileOrMissing(Lib("setlib.dat")), Lines({"Rock", "Jazz", "Blues", "Funk"}));
        QCOMPARE(fileOrMissing(Lib("Rock.set")),
                 Lines({"Intro=/music/Intro.mp3", "Song A=/music/a.mp3", "Song B=/music/b=c.mp3"}));
        QCOMPARE(tree->topLevelItemCount(), 4);
        QVERIFY2(m_answers->requests().isEmpty(), qPrintable(m_answers->texts().join('|')));

        // "Manage Library..." shows it again.
        QVERIFY(Tform_main::ClickMenuItem(form_main->pop_managelibrary));
        QVERIFY(form_manage->isVisible());
    }

    void theFolderTreeIsKeptBetweenShowsAndHidesDotFolders()
    {
        ShowManager();
        TDirTree *tree = form_manage->dirtree;
        QTreeWidgetItem *root = tree->DriveNode("/");
        QVERIFY(root);
        QCOMPARE(tree->SelectedPath(), m_lib);
        form_manage->hide();

        // Another library folder, made after the tree was read: found in the kept tree.
        const QString other = m_dir->filePath("Other Lib/");
        QVERIFY(QDir().mkpath(other) && QDir().mkpath(m_dir->filePath(".cache/x")));
        putFile(other + "setlib.dat", Lines({"Funk"}));
        form_main->settings.Options.libraryfolder = other;
        ShowManager();
        QCOMPARE(tree->DriveNode("/"), root);  // not rebuilt
        QCOMPARE(tree->SelectedPath(), other);
        QCOMPARE(Items(form_manage->listbox_set), QStringList{"Funk"});

        QTreeWidgetItem *folder = tree->currentItem()->parent();
        QStringList names;
        for (int i = 0; i < folder->childCount(); ++i)
            names.append(folder->child(i)->text(0));
        QCOMPARE(names, (QStringList{"lib", "Music Folder", "Other Lib"}));  // no ".cache"

        QTest::keyClick(tree, Qt::Key_H, Qt::ControlModifier);  // shown on request, the selection kept
        QCOMPARE(tree->SelectedPath(), other);
        folder = tree->currentItem()->parent();
        folder->setExpanded(true);
        QCOMPARE(folder->child(0)->text(0), QString(".cache"));
    }

    void aLibraryFolderInsideADotFolderIsSelected()
    {
        // An installed program keeps its library in ~/.local/share/dak-mp3, below a hidden folder.
        TDirTree *tree = form_manage->dirtree;
        tree->SetDirTypes({TDirType::dtReadOnly, TDirType::dtSystem, TDirType::dtArchive, TDirType::dtNormal});
        const QString hidden = m_dir->filePath(".local/share/dak-mp3/");
        QVERIFY(QDir().mkpath(hidden));
        putFile(hidden + "setlib.dat", Lines({"Soul"}));
        form_main->settings.Options.libraryfolder = hidden;
        ShowManager();
        QCOMPARE(tree->SelectedPath(), hidden);
        QVERIFY(tree->DirTypes().contains(TDirType::dtHidden));
        QCOMPARE(Items(form_manage->listbox_set), QStringList{"Soul"});
        QCOMPARE(Items(form_manage->filelistbox), QStringList());
        form_manage->hide();

        // Hidden again by the user, the next show of such a folder brings them back; a plain folder keeps the
        // user's choice.
        QTest::keyClick(tree, Qt::Key_H, Qt::ControlModifier);
        QVERIFY(!tree->DirTypes().contains(TDirType::dtHidden));
        form_main->settings.Options.libraryfolder = m_lib;
        ShowManager();
        QCOMPARE(tree->SelectedPath(), m_lib);
        QVERIFY(!tree->DirTypes().contains(TDirType::dtHidden));
        form_manage->hide();
        form_main->settings.Options.libraryfolder = hidden;
        ShowManager();
        QCOMPARE(tree->SelectedPath(), hidden);
        QVERIFY2(m_answers->requests().isEmpty(), qPrintable(m_answers->texts().join('|')));
    }
};

QTEST_MAIN(TestFormManage)
#include "test_form_manage.moc"
