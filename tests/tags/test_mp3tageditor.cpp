// The tag editor window on the offscreen platform: its controls and limits, the digits-only year box, and the
// three results of an edit with what each does to the file.

#include "tools/scripted_answers.h"
#include "tools/dialog_hand.h"
#include "tags/MP3Tag.h"
#include "tags/ui/mp3_tag_editor.h"
#include "tags/tag_bytes.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

using namespace tagbytes;

namespace {

// Runs EditTag on `tag` and, once its editor is showing, hands the editor to `act`, which must close it.
uint8_t editWith(TMP3Tag &tag, const std::function<void(TMP3TagEditor &)> &act)
{
    DialogHand<TMP3TagEditor> hand([&](TMP3TagEditor *editor) {
        act(*editor);
        if (editor->isVisible())  // a failed check inside `act` must not leave the window waiting
            editor->close();
    });
    return tag.EditTag();
}

void click(QPushButton *button) { QTest::mouseClick(button, Qt::LeftButton); }

}  // namespace

class TestMP3TagEditor : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void showsTheTagWithinTheDesignedControls()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("<b>song<br>.mp3");
        put(path, audio() + block("TAG", "Title", "Artist", QByteArray("Al\0bum", 6), "1999", "Note", 200));
        TMP3TagEditor editor;
        editor.Tag()->SetFilename(path);
        editor.show();

        QCOMPARE(editor.size(), QSize(272, 223));
        QCOMPARE(editor.Edit1->text(), QString("Title"));
        QCOMPARE(editor.Edit2->text(), QString("Artist"));
        QCOMPARE(editor.Edit3->text(), QString("Al"));  // up to the NUL byte
        QCOMPARE(editor.Edit4->text(), QString("1999"));
        QCOMPARE(editor.Edit5->text(), QString("Note"));
        QCOMPARE(editor.cb1->currentIndex(), -1);  // genre 200 is not in the list
        QCOMPARE(editor.Edit6->text(), path);
        QVERIFY(editor.Edit6->isReadOnly());

        for (QLineEdit *edit : {editor.Edit1, editor.Edit2, editor.Edit3, editor.Edit5})
            QCOMPARE(edit->maxLength(), 30);
        QCOMPARE(editor.Edit4->maxLength(), 4);
        QCOMPARE(editor.cb1->count(), 115);
        QVERIFY(!editor.cb1->isEditable());
        QCOMPARE(editor.cb1->itemText(84), QString("Bebob"));

        // The path strip: white on teal, over the path box, the path shown as plain text.
        QCOMPARE(editor.FileNameLabel->text(), path);
        QCOMPARE(editor.FileNameLabel->textFormat(), Qt::PlainText);
        QVERIFY(editor.FileNameLabel->autoFillBackground());
        QCOMPARE(editor.FileNameLabel->palette().color(QPalette::Window), QColor(0, 128, 128));
        QCOMPARE(editor.FileNameLabel->palette().color(QPalette::WindowText), QColor(Qt::white));
        QCOMPARE(editor.Panel1->geometry(), editor.Edit6->geometry());
        QCOMPARE(editor.childAt(QPoint(100, 18)), editor.FileNameLabel);
        for (QWidget *control : {static_cast<QWidget *>(editor.Edit4), static_cast<QWidget *>(editor.cb1)})
            QCOMPARE(editor.childAt(control->geometry().center()), control);  // no caption lies over them

        // Neither Enter nor Esc closes the window.
        QTest::keyClick(editor.Edit1, Qt::Key_Return);
        QTest::keyClick(editor.Edit1, Qt::Key_Escape);
        QVERIFY(editor.isVisible());
        QCOMPARE(editor.GetEditResult(), TMP3Tag::EditCancelled);
    }

    void yearBoxTakesDigitsOnly()
    {
        TMP3TagEditor editor;
        editor.show();
        QLineEdit *year = editor.Edit4;
        QTest::keyClicks(year, "1a9-8 x76");
        QCOMPARE(year->text(), QString("1987"));  // at most four

        QTest::keyClick(year, Qt::Key_Backspace);  // discarded like every other non-digit
        QCOMPARE(year->text(), QString("1987"));
        QTest::keyClick(year, Qt::Key_Home);
        QTest::keyClick(year, Qt::Key_Delete);  // types no character, so it deletes
        QCOMPARE(year->text(), QString("987"));

        QApplication::clipboard()->setText("ab");
        QTest::keyClick(year, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(year->text(), QString("987"));
    }

    void saveWritesTheBoxesOfAFileWithoutTag()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("song name.mp3");
        put(path, audio());
        TMP3Tag tag;
        tag.SetFilename(path);
        const uint8_t result = editWith(tag, [](TMP3TagEditor &editor) {
            QCOMPARE(editor.Edit1->text(), QString("song name.mp3"));
            QCOMPARE(editor.cb1->currentText(), QString("Other"));
            QVERIFY(editor.Edit2->text().isEmpty() && editor.Edit4->text().isEmpty());
            editor.Edit2->setText("Artist");
            QTest::keyClicks(editor.Edit4, "2001");
            editor.cb1->setCurrentIndex(84);
            editor.Edit5->setText("Comment");
            click(editor.Button2);
        });
        QCOMPARE(result, TMP3Tag::EditSaved);
        QCOMPARE(contents(path), audio() + block("TAG", "song name.mp3", "Artist", "", "2001", "Comment", 84));
        // The caller's own record still holds what it read.
        QVERIFY(!tag.GetValid());
        QVERIFY(tag.GetArtist().isEmpty());
    }

    void genreOutsideTheListSavesNoGenre()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("song.mp3");
        const QByteArray tagged = audio() + block("TAG", "Title", "", "", "", "", 150);
        put(path, tagged);
        TMP3Tag tag;
        tag.SetFilename(path);
        QCOMPARE(editWith(tag, [](TMP3TagEditor &editor) { click(editor.Button2); }), TMP3Tag::EditSaved);
        QByteArray expected = tagged;
        expected[expected.size() - 1] = char(255);
        QCOMPARE(contents(path), expected);
    }

    void cancelCloseBoxAndNoAutoSaveWriteNothing()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("song.mp3");
        const QByteArray tagged = audio() + block("TAG", "Title", "", "", "", "", 1);
        put(path, tagged);
        TMP3Tag tag;
        tag.SetFilename(path);
        const auto editThen = [](std::function<void(TMP3TagEditor &)> close) {
            return [close](TMP3TagEditor &editor) {
                editor.Edit1->setText("Changed");
                close(editor);
            };
        };
        QCOMPARE(editWith(tag, editThen([](TMP3TagEditor &e) { click(e.Button3); })), TMP3Tag::EditCancelled);
        QCOMPARE(editWith(tag, editThen([](TMP3TagEditor &e) { e.close(); })), TMP3Tag::EditCancelled);
        tag.SetEditAutoSave(false);
        QCOMPARE(editWith(tag, editThen([](TMP3TagEditor &e) { click(e.Button2); })), TMP3Tag::EditSaved);
        QCOMPARE(contents(path), tagged);
    }

    void removeButtonRemovesTheTag()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("song.mp3");
        put(path, audio() + block("TAG", "Title", "", "", "", "", 1));
        TMP3Tag tag;
        tag.SetFilename(path);
        const auto remove = [](TMP3TagEditor &editor) { click(editor.Button4); };
        QCOMPARE(editWith(tag, remove), TMP3Tag::EditRemoved);
        QCOMPARE(contents(path), audio());
        QCOMPARE(editWith(tag, remove), TMP3Tag::EditRemoved);  // no tag: nothing to remove
        QCOMPARE(contents(path), audio());
    }

    void saveOnAFileDeletedMeanwhileIsSilent()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("song.mp3");
        put(path, audio());
        TMP3Tag tag;
        tag.SetFilename(path);
        Shell::ScriptedAnswers answers;
        const uint8_t result = editWith(tag, [&](TMP3TagEditor &editor) {
            QVERIFY(QFile::remove(path));
            click(editor.Button2);
        });
        QCOMPARE(result, TMP3Tag::EditSaved);
        QVERIFY(!QFile::exists(path));
        QVERIFY(answers.requests().isEmpty());
    }

    void aMissingFileIsToldThroughTheErrorEventAndOpensNoEditor()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("gone.mp3");
        TMP3Tag tag;
        tag.SetFilename(path);  // no handler yet: the read's own report goes nowhere
        QStringList errors;
        tag.onError = [&](TMP3Tag *sender, const QString &error) {
            QCOMPARE(sender, &tag);
            errors.append(error);
        };
        int editors = 0;
        const uint8_t result = editWith(tag, [&](TMP3TagEditor &editor) {
            ++editors;
            click(editor.Button2);
        });
        QCOMPARE(result, TMP3Tag::EditCancelled);
        QCOMPARE(editors, 0);
        QCOMPARE(errors, QStringList{TMP3Tag::ErrorFileMissing});
        QCOMPARE(tag.GetError(), QString("File does not exist!"));
        QVERIFY(!QFile::exists(path));  // nothing was created by a save
    }
};

QTEST_MAIN(TestMP3TagEditor)
#include "test_mp3tageditor.moc"
