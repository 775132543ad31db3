// The new-set and library-folder dialogs through the real windows (offscreen), with the folder browser and
// the message boxes answered by a script.

#include "app/ui/app_windows.h"
#include "app/ui/form_main.h"
#include "library/ui/library_views.h"
#include "library/ui/form_libraryfolder.h"
#include "library/ui/form_newset.h"
#include "tools/scripted_answers.h"
#include "tools/files.h"

#include <QAction>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeWidget>

#include <memory>

namespace {

void Type(QLineEdit *edit, const QString &text, Qt::Key key)
{
    edit->selectAll();
    QTest::keyClicks(edit, text);
    QTest::keyClick(edit, key);
}

}  // namespace

class TestLibraryDialogs : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_library;
    std::unique_ptr<Shell::ScriptedAnswers> m_answers;

    QString Library(const QString &name) const { return m_library->path() + "/" + name; }

private Q_SLOTS:
    void init()
    {
        m_library = std::make_unique<QTemporaryDir>();
        m_answers = std::make_unique<Shell::ScriptedAnswers>();
        CreateAppWindows();
        form_main->Views().TreeImageFolder = QStringLiteral(DAK_RESOURCES_DIR);
        form_main->settings.Options.libraryfolder = m_library->path();
    }

    void cleanup()
    {
        DestroyAppWindows();
        m_answers.reset();
    }

    void newSetInsertedFromTheTree()
    {
        putFile(Library("setlib.dat"), "Rock\r\nPop\r\nBlues\r\n");
        // The tree asks for the dialog for the second set.
        Q_EMIT form_main->NewSetDialogRequested(1);
        QVERIFY(form_newset->isVisible());
        QVERIFY(!form_newset->isModal());
        QVERIFY(form_newset->InsertMode());
        QCOMPARE(form_newset->focusWidget(), form_newset->edit_newset);
        QVERIFY(form_newset->edit_newset->text().isEmpty());

        Type(form_newset->edit_newset, "Jazz", Qt::Key_Return);
        QVERIFY(!form_newset->isVisible());
        QCOMPARE(fileOrMissing(Library("setlib.dat")), QByteArray("Rock\r\nJazz\r\nPop\r\nBlues\r\n"));
        QCOMPARE(
            fileOrMissing(Library("Jazz.set")),
            QByteArray(
                "Songs here [You can safely delete this item]=Songs here [You can safely delete this item].mp3\r\n"));
        QTreeWidgetItem *jazz = form_main->treeview_songlibrary->topLevelItem(1);
        QVERIFY(jazz != nullptr);
        QCOMPARE(jazz->text(0), QString("Jazz"));
        QVERIFY(m_answers->texts().isEmpty());
    }

    void cancelledInsertThenAppend()
    {
        putFile(Library("setlib.dat"), "Rock\r\n");
        form_newset->OpenInsert(0);
        Type(form_newset->edit_newset, "Never", Qt::Key_Escape);
        QVERIFY(!form_newset->isVisible());
        QCOMPARE(fileOrMissing(Library("setlib.dat")), QByteArray("Rock\r\n"));

        // From the library manager: appended, without a placeholder, so without a set file yet.
        form_newset->OpenAppend();
        QVERIFY(!form_newset->InsertMode());
        QVERIFY(form_newset->edit_newset->text().isEmpty());
        QTest::keyClicks(form_newset->edit_newset, "Soul");
        form_newset->button_ok->click();
        QCOMPARE(fileOrMissing(Library("setlib.dat")), QByteArray("Rock\r\nSoul\r\n"));
        QVERIFY(!QFile::exists(Library("Soul.set")));
        QVERIFY(m_answers->texts().isEmpty());
    }

    void namesThatCannotBeFileNamesAreRefused_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("reason");
        QTest::newRow("empty") << ""
                               << "A set name cannot be empty.";
        QTest::newRow("slash") << "AC/DC"
                               << "A set name cannot contain \"/\".";
        QTest::newRow("dot") << "."
                             << "A set name cannot be \".\" or \"..\".";
        QTest::newRow("dot dot") << ".."
                                 << "A set name cannot be \".\" or \"..\".";
    }

    void namesThatCannotBeFileNamesAreRefused()
    {
        QFETCH(QString, name);
        QFETCH(QString, reason);
        putFile(Library("setlib.dat"), "Rock\r\n");
        const QStringList before = QDir(m_library->path()).entryList(QDir::Files | QDir::Hidden);
        for (const bool insert : {true, false}) {
            m_answers->clear();
            if (insert)
                form_newset->OpenInsert(0);
            else
                form_newset->OpenAppend();
            Type(form_newset->edit_newset, name, Qt::Key_Return);
            QCOMPARE(m_answers->texts(), QStringList{"Couldn't use \"" + name + "\" as the name of a set.\r" + reason});
            QVERIFY(form_newset->isVisible());  // open for another try, with the text
            QCOMPARE(form_newset->edit_newset->text(), name);
            QCOMPARE(fileOrMissing(Library("setlib.dat")), QByteArray("Rock\r\n"));
            QCOMPARE(QDir(m_library->path()).entryList(QDir::Files | QDir::Hidden), before);
            form_newset->button_cancel->click();
            QVERIFY(!form_newset->isVisible());
        }
    }

    void libraryFolderDialog()
    {
        form_main->settings.Options.libraryfolder = "/somewhere/Music";
        QVERIFY(Tform_main::ClickMenuItem(form_main->pop_libraryfolder));
        QVERIFY(form_libraryfolder->isVisible());
        QVERIFY(!form_libraryfolder->isModal());
        QCOMPARE(form_libraryfolder->edit_libraryfolder->text(), QString("/somewhere/Music"));
        QCOMPARE(form_libraryfolder->focusWidget(), form_libraryfolder->edit_libraryfolder);

        // Browse, cancelled: the field keeps its text. Browse, chosen: the field takes the folder.
        m_answers->pushCancel();
        form_libraryfolder->button_browse->click();
        QCOMPARE(form_libraryfolder->edit_libraryfolder->text(), QString("/somewhere/Music"));
        m_answers->pushPath(m_library->path());
        form_libraryfolder->button_browse->click();
        QCOMPARE(form_libraryfolder->edit_libraryfolder->text(), m_library->path());
        QCOMPARE(m_answers->requests().size(), 2);
        QCOMPARE(m_answers->requests().at(1).kind, Shell::Kind::BrowseFolder);
        QCOMPARE(m_answers->requests().at(1).title, QString("Browse for Folder"));
        QCOMPARE(m_answers->requests().at(1).parent, form_libraryfolder);

        form_libraryfolder->button_default->click();
        QCOMPARE(form_libraryfolder->edit_libraryfolder->text(), QCoreApplication::applicationDirPath() + "/");

        // Escape: the setting stays.
        QTest::keyClick(form_libraryfolder->edit_libraryfolder, Qt::Key_Escape);
        QVERIFY(!form_libraryfolder->isVisible());
        QCOMPARE(form_main->settings.Options.libraryfolder, QString("/somewhere/Music"));

        // Enter: the setting becomes the text as it stands, without a trailing "/", and the library is read
        // from and written to that folder from then on.
        form_libraryfolder->ShowLibraryFolder();
        Type(form_libraryfolder->edit_libraryfolder, m_library->path(), Qt::Key_Return);
        QVERIFY(!form_libraryfolder->isVisible());
        QCOMPARE(form_main->settings.Options.libraryfolder, m_library->path());
        form_newset->OpenAppend();
        Type(form_newset->edit_newset, "First", Qt::Key_Return);
        QCOMPARE(fileOrMissing(Library("setlib.dat")), QByteArray("First\r\n"));
    }
};

QTEST_MAIN(TestLibraryDialogs)
#include "test_library_dialogs.moc"
