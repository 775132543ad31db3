// The dialog seam: scripted answers stand in for the user, and without them the real Qt dialogs appear with
// the right icon, buttons and texts and give back what the user chose.

#include "tools/scripted_answers.h"
#include "platform/shell/shell.h"
#include "platform/shell/ui/shell_dialogs.h"
#include "tools/dialog_hand.h"

#include <QAbstractButton>
#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QTest>

#include <functional>

namespace {

QStringList buttonTexts(QMessageBox *box)
{
    QStringList texts;
    const QList<QAbstractButton *> buttons = box->buttons();
    for (QAbstractButton *b : buttons)
        texts.append(box->standardButton(b) == QMessageBox::Ok        ? "Ok"
                         : box->standardButton(b) == QMessageBox::Yes ? "Yes"
                         : box->standardButton(b) == QMessageBox::No  ? "No"
                                                                      : b->text());
    texts.sort();
    return texts;
}

}  // namespace

class TestShell : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QApplication::setApplicationName(QStringLiteral("DAK-MP3"));
        Shell::useQtDialogs();
    }

    // Without a presenter (a core used by a console tool) and without an answerer, nothing blocks: every
    // question is answered Cancel / No and the program goes on.
    void withoutPresenterEachQuestionIsAnsweredNo()
    {
        const Shell::Answerer dialogs = Shell::setPresenter({});
        Shell::errorBox(QStringLiteral("Couldn't save: \r/tmp/x"));
        const bool yes = Shell::confirm(QStringLiteral("Remove?"));
        const QString typed = Shell::inputBox(QStringLiteral("T"), QStringLiteral("P"), QStringLiteral("keep"));
        const QString chosen = Shell::BrowseForFolder(QStringLiteral("Browse for Folder"));
        const bool wasEmpty = !static_cast<bool>(Shell::setPresenter(dialogs));
        QVERIFY(wasEmpty);
        QVERIFY(!yes);
        QCOMPARE(typed, QStringLiteral("keep"));
        QCOMPARE(chosen, QString());
        QVERIFY(QApplication::topLevelWidgets().isEmpty());
    }

    void scriptedAnswersRecordEachRequestAndAnswerTheQuestionsInOrder()
    {
        Shell::ScriptedAnswers answers;
        answers.pushYes();
        answers.pushText(QStringLiteral("new name"));
        answers.push({false, QStringLiteral("typed, then cancelled")});

        Shell::errorBox(QStringLiteral("Couldn't open file: \r/tmp/x.mp3"));  // takes no answer from the script
        QVERIFY(Shell::confirm(QStringLiteral("Remove?")));
        QCOMPARE(Shell::inputBox(QStringLiteral("Rename Set"), QStringLiteral("Enter the new name: "),
                                 QStringLiteral("old")),
                 QStringLiteral("new name"));
        QCOMPARE(Shell::inputBox(QStringLiteral("T"), QStringLiteral("P"), QStringLiteral("10")), QStringLiteral("10"));
        // The script has run out: No, and Cancel, which gives back the initial text.
        QVERIFY(!Shell::confirm(QStringLiteral("Again?")));
        QCOMPARE(Shell::inputBox(QStringLiteral("T"), QStringLiteral("P2"), QStringLiteral("keep me")),
                 QStringLiteral("keep me"));

        QCOMPARE(
            answers.texts(),
            QStringList({"Couldn't open file: \r/tmp/x.mp3", "Remove?", "Enter the new name: ", "P", "Again?", "P2"}));
        const QList<Shell::Request> &r = answers.requests();
        QCOMPARE(r[0].kind, Shell::Kind::Error);
        QCOMPARE(r[1].kind, Shell::Kind::Confirm);
        QCOMPARE(r[2].kind, Shell::Kind::Input);
        QCOMPARE(r[2].title, QStringLiteral("Rename Set"));
        QCOMPARE(r[2].initial, QStringLiteral("old"));
    }

    void nestedAnswerersRestoreTheOuterOne()
    {
        Shell::ScriptedAnswers outer;
        {
            Shell::ScriptedAnswers inner;
            inner.pushYes();
            QVERIFY(Shell::confirm(QStringLiteral("inner")));
        }
        outer.pushYes();
        QVERIFY(Shell::confirm(QStringLiteral("outer")));
        QCOMPARE(outer.texts(), QStringList({"outer"}));
    }

    void carriageReturnsBecomeLineBreaks()
    {
        QCOMPARE(Shell::displayText(QStringLiteral("a\rb")), QStringLiteral("a\nb"));
        QCOMPARE(Shell::displayText(QStringLiteral("a\r\nb\r\rc")), QStringLiteral("a\nb\n\nc"));
        QCOMPARE(Shell::displayText(QStringLiteral("plain")), QStringLiteral("plain"));
    }

    void errorBoxIsACriticalMessageWithOneOkButton()
    {
        QString text, title;
        QStringList buttons;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        Qt::TextFormat format = Qt::AutoText;
        DialogHand hand([&](QWidget *w) {
            auto *box = qobject_cast<QMessageBox *>(w);
            QVERIFY(box);
            text = box->text();
            title = box->windowTitle();
            icon = box->icon();
            format = box->textFormat();
            buttons = buttonTexts(box);
            box->button(QMessageBox::Ok)->click();
        });
        Shell::errorBox(QStringLiteral("Couldn't open file: \r<b>odd</b>.mp3"));
        QVERIFY(hand.seen());
        QCOMPARE(icon, QMessageBox::Critical);
        QCOMPARE(buttons, QStringList({"Ok"}));
        QCOMPARE(text, QStringLiteral("Couldn't open file: \n<b>odd</b>.mp3"));
        QCOMPARE(format, Qt::PlainText);
        QCOMPARE(title, QStringLiteral("DAK-MP3"));
    }

    void confirmIsAQuestionWithYesAndNo_data()
    {
        QTest::addColumn<int>("press");
        QTest::addColumn<bool>("result");
        QTest::newRow("yes") << int(QMessageBox::Yes) << true;
        QTest::newRow("no") << int(QMessageBox::No) << false;
    }

    void confirmIsAQuestionWithYesAndNo()
    {
        QFETCH(int, press);
        QFETCH(bool, result);
        QStringList buttons;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QString text;
        DialogHand hand([&](QWidget *w) {
            auto *box = qobject_cast<QMessageBox *>(w);
            QVERIFY(box);
            icon = box->icon();
            text = box->text();
            buttons = buttonTexts(box);
            box->button(static_cast<QMessageBox::StandardButton>(press))->click();
        });
        QCOMPARE(Shell::confirm(QStringLiteral("Be careful!\rAre you sure?")), result);
        QVERIFY(hand.seen());
        QCOMPARE(icon, QMessageBox::Question);
        QCOMPARE(buttons, QStringList({"No", "Yes"}));
        QCOMPARE(text, QStringLiteral("Be careful!\nAre you sure?"));
    }

    void inputBoxReturnsTheTextOrTheInitialOneOnCancel_data()
    {
        QTest::addColumn<bool>("accept");
        QTest::addColumn<QString>("result");
        QTest::newRow("ok") << true << QStringLiteral("25");
        QTest::newRow("cancel") << false << QStringLiteral("10");
    }

    void inputBoxReturnsTheTextOrTheInitialOneOnCancel()
    {
        QFETCH(bool, accept);
        QFETCH(QString, result);
        QString title, label, initial;
        DialogHand hand([&](QWidget *w) {
            auto *dialog = qobject_cast<QInputDialog *>(w);
            QVERIFY(dialog);
            title = dialog->windowTitle();
            label = dialog->labelText();
            initial = dialog->textValue();
            dialog->setTextValue(QStringLiteral("25"));
            if (accept)
                dialog->accept();
            else
                dialog->reject();
        });
        QCOMPARE(Shell::inputBox(QStringLiteral("Rewind Time - DAK-MP3"),
                                 QStringLiteral("Set new Rewind Time in seconds: "), QStringLiteral("10")),
                 result);
        QVERIFY(hand.seen());
        QCOMPARE(title, QStringLiteral("Rewind Time - DAK-MP3"));
        QCOMPARE(label, QStringLiteral("Set new Rewind Time in seconds: "));
        QCOMPARE(initial, QStringLiteral("10"));
    }
};

QTEST_MAIN(TestShell)
#include "test_shell.moc"
