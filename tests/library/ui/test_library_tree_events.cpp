// The library tree's event filter: presses and keys reach the handlers while the view lives, and destroying
// the view (whose viewport still gets events while it goes) calls no handler and touches no part of the view
// that is already gone; the sanitizer build checks the latter.

#include "library/ui/library_tree_events.h"

#include <QTest>
#include <QTreeWidget>

class TestLibraryTreeEvents : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void eventsWhileAliveNoneWhileDestroyed()
    {
        int presses = 0;
        QList<int> keys;
        auto *window = new QWidget;
        auto *tree = new QTreeWidget(window);
        for (int i = 0; i < 3; ++i)
            new QTreeWidgetItem(tree, {QStringLiteral("Set %1").arg(i)});
        library::LibraryTreeEvents::Handlers handlers;
        handlers.mouseDown = [&presses](Qt::MouseButton, const QPoint &) { ++presses; };
        handlers.keyDown = [&keys](int key) { keys.append(key); };
        handlers.editing = [] { return false; };
        new library::LibraryTreeEvents(tree, handlers);
        window->resize(200, 200);
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window));

        QTest::mouseClick(tree->viewport(), Qt::LeftButton, {}, QPoint(10, 5));
        QCOMPARE(presses, 1);
        tree->setFocus();
        QTest::keyClick(tree, Qt::Key_Delete);
        QTest::keyClick(tree, Qt::Key_A);
        QCOMPARE(keys, QList<int>{Qt::Key_Delete});

        delete window;
        QCOMPARE(presses, 1);
        QCOMPARE(keys.size(), 1);
    }
};

QTEST_MAIN(TestLibraryTreeEvents)
#include "test_library_tree_events.moc"
