// The floor for start-up figures: a minimal Qt 6 program that only shows a tray icon.
#include <QApplication>
#include <QPixmap>
#include <QSystemTrayIcon>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::darkBlue);
    QSystemTrayIcon tray{QIcon(pixmap)};
    tray.setToolTip(QStringLiteral("floor"));
    tray.show();
    return QApplication::exec();
}
