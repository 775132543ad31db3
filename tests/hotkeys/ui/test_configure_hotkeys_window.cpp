// The hotkey configuration window with the real main window: its controls, selecting and assigning as the
// user does it, and closing, which writes the three hotkey sections and has the main window load its
// configuration again (the menu items' shortcuts and the hotkey table change at once).
//
// The program keeps its configuration beside the executable, so this test runs from a copy of itself in a
// temporary folder: main() copies the executable there, runs the copy and removes the folder afterwards.

#include "app/ui/app_windows.h"
#include "app/ui/form_main.h"
#include "config/settings_file.h"
#include "hotkeys/ui/form_configureHotkeys.h"
#include "platform/profile/profile_file.h"
#include "tools/scripted_answers.h"
#include "tools/files.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <filesystem>
#include <memory>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int kPlay = 9;
constexpr int kPause = 10;
constexpr int kStop = 11;

QString Value(const QString &section, const QString &key)
{
    return ProfileFile(configurationFilePath()).readString(section, key, QStringLiteral("(absent)"));
}

QStringList Texts(const QListWidget *list)
{
    QStringList texts;
    for (int i = 0; i < list->count(); ++i)
        texts << list->item(i)->text();
    return texts;
}

}  // namespace

class TestConfigureHotkeysWindow : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<Shell::ScriptedAnswers> m_answers;  // records error boxes; no dialog ever blocks
    Tform_configureHotkeys *w = nullptr;

    // Selects a line the way the user does: a click on it.
    void ClickLine(int row)
    {
        QListWidgetItem *item = w->listbox_hotkeys->item(row);
        QVERIFY(item);
        w->listbox_hotkeys->scrollToItem(item);
        QTest::mouseClick(w->listbox_hotkeys->viewport(), Qt::LeftButton, {},
                          w->listbox_hotkeys->visualItemRect(item).center());
        QCOMPARE(w->listbox_hotkeys->currentRow(), row);
    }

    // A click on the box's mark.
    static void ClickBox(QCheckBox *box) { QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2)); }

    void TypeIntoCombo(const QString &text)
    {
        w->combobox_hotkeys->lineEdit()->selectAll();
        QTest::keyClicks(w->combobox_hotkeys->lineEdit(), text);
        QCOMPARE(w->combobox_hotkeys->currentText(), text);
    }

    void ShowWindow()
    {
        form_main->pop_configureHotkeys->trigger();
        QVERIFY(QTest::qWaitForWindowExposed(w));
    }

    void ClickOk()
    {
        QTest::mouseClick(w->button_ok, Qt::LeftButton);
        QVERIFY(!w->isVisible());
    }

private Q_SLOTS:
    void initTestCase()
    {
        CreateAppWindows();
        QVERIFY(form_main && form_configureHotkeys);
    }

    void cleanupTestCase() { DestroyAppWindows(); }

    void init()
    {
        QFile::remove(configurationFilePath());
        m_answers = std::make_unique<Shell::ScriptedAnswers>();
        // A window of its own for every case, so lines of an earlier case never show.
        delete form_configureHotkeys;
        form_configureHotkeys = w = new Tform_configureHotkeys;
        form_main->DoAllInitStuff();
    }

    void cleanup()
    {
        w->hide();
        m_answers.reset();
        QFile::remove(configurationFilePath());
        QDir().rmdir(configurationFilePath());
    }

    void hasItsControls()
    {
        QCOMPARE(w->windowTitle(), QStringLiteral("Configure Hotkeys - DAK-MP3"));
        QCOMPARE(w->size(), QSize(523, 501));
        QVERIFY(!w->isModal());
        QCOMPARE(w->listbox_hotkeys->item(20)->text(), QStringLiteral("Exit="));
        QVERIFY(!w->listbox_systemwide->isEnabled());
        QVERIFY(!w->listbox_PassToNextProgram->isEnabled());
        QVERIFY(w->combobox_hotkeys->isEditable());
        QCOMPARE(w->combobox_hotkeys->count(), 61);
        QCOMPARE(w->combobox_hotkeys->itemText(0), QStringLiteral("<none>"));
        QCOMPARE(w->combobox_hotkeys->itemText(1), QStringLiteral("CTRL+A"));
        QCOMPARE(w->combobox_hotkeys->itemText(27), QStringLiteral("CTRL+ALT+A"));
        QCOMPARE(w->combobox_hotkeys->itemText(53), QStringLiteral("Insert"));
        QCOMPARE(w->combobox_hotkeys->itemText(60), QStringLiteral("SHIFT+ALT+Backspace"));
        QVERIFY(!w->checkbox_PassToNextProgram->isEnabled());
    }

    // Showing reads the file into the lists; selecting Play shows its three values.
    void showingAndSelecting()
    {
        putFile(configurationFilePath(),
                "[Hotkeys]\r\nPlay=CTRL+Y\r\n[SystemWide]\r\nPlay=1\r\n"
                "[PassToNextProgram]\r\nPlay=0\r\nStop=yes\r\n");
        ShowWindow();
        QCOMPARE(w->listbox_hotkeys->item(kPlay)->text(), QStringLiteral("Play=CTRL+Y"));
        QCOMPARE(w->listbox_systemwide->item(kPlay)->text(), QStringLiteral("Play=1"));
        QCOMPARE(w->listbox_PassToNextProgram->item(kPlay)->text(), QStringLiteral("Play=0"));
        QCOMPARE(w->listbox_systemwide->count(), 21);
        QCOMPARE(w->listbox_PassToNextProgram->count(), 21);

        ClickLine(kPlay);
        QCOMPARE(w->combobox_hotkeys->currentText(), QStringLiteral("CTRL+Y"));
        QVERIFY(w->checkbox_systemwide->isChecked());
        QVERIFY(w->checkbox_PassToNextProgram->isEnabled());
        QVERIFY(!w->checkbox_PassToNextProgram->isChecked());

        // A flag that is no number reads as no; the boxes of the earlier line do not linger.
        ClickLine(kStop);
        QCOMPARE(w->combobox_hotkeys->currentText(), QString());
        QVERIFY(!w->checkbox_systemwide->isChecked());
        QVERIFY(!w->checkbox_PassToNextProgram->isEnabled());
        QVERIFY(!w->checkbox_PassToNextProgram->isChecked());

        // The keys reach the lines too: Home, then down to Play.
        QTest::keyClick(w->listbox_hotkeys, Qt::Key_Home);
        for (int i = 0; i < kPlay; ++i)
            QTest::keyClick(w->listbox_hotkeys, Qt::Key_Down);
        QCOMPARE(w->listbox_hotkeys->currentRow(), kPlay);
        QCOMPARE(w->combobox_hotkeys->currentText(), QStringLiteral("CTRL+Y"));
    }

    // Unchecking the system-wide box disables the pass-on box and keeps its mark, which Assign stores.
    void assignStoresWhatTheBoxesShow()
    {
        ShowWindow();
        ClickLine(kPause);
        QVERIFY(w->checkbox_PassToNextProgram->isChecked());  // the default: passed on
        ClickBox(w->checkbox_systemwide);
        QVERIFY(w->checkbox_PassToNextProgram->isEnabled());
        ClickBox(w->checkbox_PassToNextProgram);
        QVERIFY(!w->checkbox_PassToNextProgram->isChecked());
        ClickBox(w->checkbox_systemwide);
        QVERIFY(!w->checkbox_PassToNextProgram->isEnabled());
        QVERIFY(!w->checkbox_PassToNextProgram->isChecked());
        TypeIntoCombo(QStringLiteral("ctrl+alt+q"));
        const QStringList untouched = Texts(w->listbox_hotkeys);

        QTest::mouseClick(w->button_assign, Qt::LeftButton);
        QCOMPARE(w->listbox_hotkeys->item(kPause)->text(), QStringLiteral("Pause=ctrl+alt+q"));
        QCOMPARE(w->listbox_systemwide->item(kPause)->text(), QStringLiteral("Pause=0"));
        QCOMPARE(w->listbox_PassToNextProgram->item(kPause)->text(), QStringLiteral("Pause=0"));
        for (int i = 0; i < 21; ++i) {
            if (i != kPause)
                QCOMPARE(w->listbox_hotkeys->item(i)->text(), untouched[i]);
        }
        QCOMPARE(w->listbox_hotkeys->currentRow(), kPause);                        // the selection stays
        QVERIFY(w->combobox_hotkeys->findText(QStringLiteral("ctrl+alt+q")) < 0);  // the list is not changed
        QVERIFY(!QFile::exists(configurationFilePath()));  // nothing written before the window closes
    }

    void assignWithoutSelectionDoesNothing()
    {
        ShowWindow();
        const QStringList before = Texts(w->listbox_hotkeys);
        TypeIntoCombo(QStringLiteral("CTRL+A"));
        QTest::mouseClick(w->button_assign, Qt::LeftButton);
        QCOMPARE(Texts(w->listbox_hotkeys), before);
    }

    // OK writes all three sections; the main window loads them at once: menu shortcuts and hotkey table.
    void closingAppliesTheNewHotkeys()
    {
        putFile(configurationFilePath(), "[Hotkeys]\r\nPlay=CTRL+Y\r\nStop=CTRL+S\r\n[SystemWide]\r\nPlay=1\r\n");
        form_main->DoAllInitStuff();
        QCOMPARE(form_main->pop_play->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Y));
        QCOMPARE(form_main->pop_stop->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_S));

        ShowWindow();
        ClickLine(kPlay);
        TypeIntoCombo(QStringLiteral("ctrl+alt+q"));
        QVERIFY(w->checkbox_PassToNextProgram->isChecked());  // passed on unless the file says otherwise
        ClickBox(w->checkbox_PassToNextProgram);              // withheld from now on
        QTest::mouseClick(w->button_assign, Qt::LeftButton);
        ClickLine(kStop);
        w->combobox_hotkeys->setCurrentIndex(0);  // chosen from the list: "<none>"
        QTest::mouseClick(w->button_assign, Qt::LeftButton);
        ClickOk();

        QCOMPARE(Value("Hotkeys", "Play"), QStringLiteral("ctrl+alt+q"));
        QCOMPARE(Value("SystemWide", "Play"), QStringLiteral("1"));
        QCOMPARE(Value("PassToNextProgram", "Play"), QStringLiteral("0"));
        QCOMPARE(Value("Hotkeys", "Stop"), QStringLiteral("<none>"));
        QCOMPARE(form_main->pop_play->shortcut(), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_Q));
        QVERIFY(form_main->pop_stop->shortcut().isEmpty());
        QCOMPARE(form_main->HotkeyTable[kPlay].shortcut, uint16_t(0xC051));
        QVERIFY(form_main->HotkeyTable[kPlay].systemWide);
        QVERIFY(!form_main->HotkeyTable[kPlay].passToNextProgram);
        QCOMPARE(form_main->HotkeyTable[kStop].shortcut, uint16_t(0));
        // Other subsystems may complain about their files; the configuration file was written and read.
        for (const QString &text : m_answers->texts())
            QVERIFY2(!text.contains(QStringLiteral("devud3.dat")), qPrintable(text));
    }

    // Without changes, by the close box or by Esc: all 63 keys are written and the configuration loads again,
    // so option changes made only in memory are gone.
    void everyCloseWritesAndReloads_data()
    {
        QTest::addColumn<int>("how");
        QTest::newRow("close box") << 0;
        QTest::newRow("Esc") << 1;
        QTest::newRow("OK") << 2;
    }

    void everyCloseWritesAndReloads()
    {
        QFETCH(int, how);
        putFile(configurationFilePath(), "[Options]\r\nrandomsong=0\r\n[SystemWide]\r\nPause=1\r\n");
        form_main->DoAllInitStuff();
        form_main->settings.Options.randomsong = true;  // changed in memory only
        ShowWindow();
        if (how == 0)
            QVERIFY(w->close());
        else if (how == 1)
            QTest::keyClick(w, Qt::Key_Escape);
        else
            ClickOk();
        QVERIFY(!w->isVisible());

        const ProfileFile file(configurationFilePath());
        for (const QString &section :
             {QStringLiteral("Hotkeys"), QStringLiteral("SystemWide"), QStringLiteral("PassToNextProgram")})
            QCOMPARE(file.readSection(section).size(), 21);
        QCOMPARE(Value("Hotkeys", "Exit"), QString());
        QCOMPARE(Value("SystemWide", "Pause"), QStringLiteral("1"));
        QCOMPARE(Value("SystemWide", "Play"), QStringLiteral("0"));
        QCOMPARE(Value("PassToNextProgram", "Play"), QStringLiteral("1"));
        QCOMPARE(Value("Options", "randomsong"), QStringLiteral("0"));
        QVERIFY(!form_main->settings.Options.randomsong);  // loaded again from the file
        QVERIFY(form_main->HotkeyTable[kPause].systemWide);
    }

    // Each showing lays the file over the lines; lines the file does not name keep what they held.
    void showingAgainReadsTheFileOverTheLines()
    {
        ShowWindow();
        ClickLine(kPlay);
        TypeIntoCombo(QStringLiteral("CTRL+P"));
        QTest::mouseClick(w->button_assign, Qt::LeftButton);
        ClickOk();
        // Changed behind the window's back between two showings; an unknown key is not shown.
        putFile(configurationFilePath(), "[hotkeys]\r\nexit=CTRL+E\r\nBogus=CTRL+B\r\n");
        ShowWindow();
        QCOMPARE(w->listbox_hotkeys->item(20)->text(), QStringLiteral("Exit=CTRL+E"));
        QCOMPARE(w->listbox_hotkeys->item(kPlay)->text(), QStringLiteral("Play=CTRL+P"));
        QCOMPARE(w->listbox_hotkeys->count(), 21);
    }

    // A file that cannot be written: the message names it, and the configuration is loaded all the same.
    void failedWriteIsReportedAndReloadStillRuns()
    {
        ShowWindow();
        QVERIFY(QDir().mkdir(configurationFilePath()));  // a folder where the file should be
        m_answers->clear();
        ClickOk();
        const QStringList texts = m_answers->texts();
        QVERIFY2(!texts.isEmpty(), "no message");
        QCOMPARE(texts.first(), QStringLiteral("Couldn't open or save file: ") + configurationFilePath());
        // The load's own message: it ran, and could not read the file either.
        QVERIFY(texts.contains(QStringLiteral("Couldn't open file: ") + configurationFilePath()));
    }
};

// Runs the tests in a copy of this executable in a temporary folder, the copy's folder then being the
// program folder where the configuration file is read and written.
int main(int argc, char *argv[])
{
    namespace fs = std::filesystem;
    if (qEnvironmentVariableIsEmpty("DAK_TEST_PROGRAM_COPY")) {
        char folderTemplate[] = "/tmp/dak-hotkeys-window-XXXXXX";
        if (!mkdtemp(folderTemplate))
            return 2;
        const fs::path folder = folderTemplate;
        const fs::path copy = folder / "test_configure_hotkeys_window";
        std::error_code error;
        fs::copy_file(fs::read_symlink("/proc/self/exe"), copy, error);
        // The pictures the windows load from the program folder.
        if (const char *build = getenv("DAK_BUILD_DIR"); build && !error) {
            std::error_code ignored;
            for (const fs::directory_entry &entry : fs::directory_iterator(build, ignored)) {
                const fs::path name = entry.path().filename();
                if (name.extension() == ".bmp" || name.extension() == ".ico")
                    fs::copy_file(entry.path(), folder / name, ignored);
            }
        }
        int status = 2;
        if (!error) {
            setenv("DAK_TEST_PROGRAM_COPY", "1", 1);
            const pid_t child = fork();
            if (child == 0) {
                argv[0] = const_cast<char *>(copy.c_str());
                execv(copy.c_str(), argv);
                _exit(127);
            }
            if (child > 0 && waitpid(child, &status, 0) == child)
                status = WIFEXITED(status) ? WEXITSTATUS(status) : 1;
        }
        fs::remove_all(folder, error);
        return status;
    }
    QApplication app(argc, argv);
    TestConfigureHotkeysWindow test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_configure_hotkeys_window.moc"
