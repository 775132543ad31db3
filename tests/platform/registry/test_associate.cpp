// "Associate *.mp3 file extension with DAK-MP3" from the main window's menu, into temporary XDG folders:
// the files it leaves, what the desktop's own tools make of them, and a failure that stops the sequence.

#include "app/ui/form_main.h"
#include "platform/registry/desktop_entry.h"
#include "tools/main_window_rig.h"
#include "read_only_folder.h"
#include "tools/files.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using registry::KeyValue;
using registry::ReadGroup;

namespace {

QString Value(const QList<KeyValue> &keys, const QString &key)
{
    for (const KeyValue &kv : keys) {
        if (kv.key == key)
            return kv.value;
    }
    return QStringLiteral("<absent>");
}

}  // namespace

class TestAssociate : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<MainWindowRig> m_rig;
    Shell::ScriptedAnswers *m_answers = nullptr;
    Tform_main *m_form = nullptr;

    QString Data() const { return m_dir->path() + QStringLiteral("/data"); }
    QString Config() const { return m_dir->path() + QStringLiteral("/config"); }
    QString DesktopFile() const { return Data() + QStringLiteral("/applications/dak-mp3.desktop"); }
    QString MimeApps() const { return Config() + QStringLiteral("/mimeapps.list"); }

    // Runs a desktop tool with the temporary folders as the user's own; its standard output.
    QString Tool(const QString &program, const QStringList &arguments)
    {
        if (QStandardPaths::findExecutable(program).isEmpty())
            return QStringLiteral("<%1 is not installed>").arg(program);
        QProcess tool;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), m_dir->path());
        environment.insert(QStringLiteral("XDG_DATA_HOME"), Data());
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), Config());
        environment.remove(QStringLiteral("XDG_CURRENT_DESKTOP"));
        tool.setProcessEnvironment(environment);
        tool.start(program, arguments);
        tool.waitForFinished(60000);
        return QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        qputenv("XDG_DATA_HOME", QFile::encodeName(Data()));
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(Config()));
        m_rig = std::make_unique<MainWindowRig>();
        m_form = m_rig->form;
        m_answers = &m_rig->answers;
        m_answers->clear();  // whatever the player's start said
    }

    void cleanup()
    {
        m_rig.reset();
        m_dir.reset();
    }

    void theMenuItemMakesTheProgramTheMp3Handler()
    {
        QVERIFY(Tform_main::ClickMenuItem(m_form->pop_associate));
        QVERIFY2(m_answers->requests().isEmpty(), qPrintable(m_answers->texts().join('|')));  // silent on success

        const QString program = QCoreApplication::applicationFilePath();
        const QString quoted = '"' + program + '"';
        const QByteArray desktop = fileContents(DesktopFile());
        const QList<KeyValue> kept = ReadGroup(desktop, "X-Shell Class mp3File");
        const QList<KeyValue> expected{{"DefaultIcon", program + ",0"},
                                       {"EditFlags", "_H_00010000"},
                                       {"shell", "open"},
                                       {"shell-open", "&Open"},
                                       {"shell-open-command", quoted + " %1"},
                                       {"shell-play", "&Play"},
                                       {"shell-play-command", quoted + " \"%L\""}};
        QCOMPARE(kept, expected);

        const QList<KeyValue> entry = ReadGroup(desktop, "Desktop Entry");
        QCOMPARE(Value(entry, "Exec"), program + " %f");
        QCOMPARE(Value(ReadGroup(desktop, "Desktop Action play"), "Exec"), program + " %f");
        QCOMPARE(Value(ReadGroup(desktop, "Desktop Action play"), "Name"), QStringLiteral("Play"));
        // The icon is the program's own, as a picture a desktop can show.
        const QImage icon(Value(entry, "Icon"));
        QCOMPARE(icon.size(), QSize(48, 48));
        QVERIFY(Value(entry, "Icon").startsWith(Data() + "/icons/"));

        // The desktop's tools name our entry as the handler of MP3 files.
        QCOMPARE(Tool("xdg-mime", {"query", "default", "audio/mpeg"}), QStringLiteral("dak-mp3.desktop"));
        const QString gio = Tool("gio", {"mime", "audio/mpeg"});
        QVERIFY2(gio.section('\n', 0, 0).endsWith("dak-mp3.desktop"), qPrintable(gio));
    }

    void aFailureStopsTheSequenceWithAMessageNamingTheFile()
    {
        QVERIFY(QDir().mkpath(Config()));
        ReadOnlyFolder readOnly(Config());
        if (!readOnly.ok())
            QSKIP(qPrintable("cannot make a read-only folder here: " + readOnly.why()));

        Tform_main::ClickMenuItem(m_form->pop_associate);
        QCOMPARE(m_answers->requests().size(), 1);
        QCOMPARE(m_answers->requests().first().kind, Shell::Kind::Error);
        QVERIFY2(m_answers->texts().first().contains(MimeApps()), qPrintable(m_answers->texts().first()));
        // The open verb's command was the write that failed: the play verb was never written.
        const QByteArray desktop = fileContents(DesktopFile());
        QCOMPARE(ReadGroup(desktop, "X-Shell Class mp3File").size(), 5);
        QCOMPARE(Value(ReadGroup(desktop, "Desktop Entry"), "Actions"), QStringLiteral("<absent>"));
    }
};

int main(int argc, char **argv)
{
    PrepareReadOnlyFolders();
    QApplication app(argc, argv);
    TestAssociate test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_associate.moc"
