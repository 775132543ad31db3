// Pictures of the main window in its four display styles and of the popup menu. With DAK_SNAPSHOT_DIR set
// they are kept there (to look at the layout); otherwise they go to a temporary folder.

#include "app/ui/form_main.h"
#include "tools/scripted_answers.h"

#include <QDir>
#include <QImage>
#include <QMenu>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

namespace {

// Distinct colours in the picture: a blank or unpainted grab has one or two.
int Colours(const QImage &image)
{
    QSet<QRgb> seen;
    for (int y = 0; y < image.height(); y += 2)
        for (int x = 0; x < image.width(); x += 2)
            seen.insert(image.pixel(x, y));
    return seen.size();
}

}  // namespace

class TestSnapshot : public QObject {
    Q_OBJECT
private:
    QTemporaryDir m_temp;
    QString m_dir;

    QString Save(const QImage &image, const QString &name)
    {
        const QString path = QDir(m_dir).filePath(name);
        if (!image.save(path))
            return {};
        return path;
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_dir = qEnvironmentVariable("DAK_SNAPSHOT_DIR");
        if (m_dir.isEmpty())
            m_dir = m_temp.path();
        QVERIFY(QDir().mkpath(m_dir));
    }

    void displayStyles()
    {
        Shell::ScriptedAnswers answers;  // a failing player start must not wait for a click
        Tform_main form;
        form.show();
        QVERIFY(QTest::qWaitForWindowExposed(&form));
        for (int i = 0; i < 4; ++i) {
            const QImage image = form.grab().toImage();
            QCOMPARE(image.size() / image.devicePixelRatio(), form.size());
            QVERIFY(Colours(image) > 8);
            QVERIFY(!Save(image, QStringLiteral("main-style%1.png").arg(form.DisplayStyle())).isEmpty());
            form.button_toggledisplaystyle->click();
        }
    }

    void popupMenu()
    {
        Shell::ScriptedAnswers answers;  // a failing player start must not wait for a click
        Tform_main form;
        form.popupmenu1->popup(QPoint(10, 10));
        QVERIFY(QTest::qWaitForWindowExposed(form.popupmenu1));
        const QImage image = form.popupmenu1->grab().toImage();
        QVERIFY(Colours(image) > 8);
        QVERIFY(!Save(image, QStringLiteral("popupmenu1.png")).isEmpty());
        form.pop_options->popup(QPoint(10, 10));
        QVERIFY(QTest::qWaitForWindowExposed(form.pop_options));
        QVERIFY(!Save(form.pop_options->grab().toImage(), QStringLiteral("pop_options.png")).isEmpty());
    }
};

QTEST_MAIN(TestSnapshot)
#include "test_snapshot.moc"
