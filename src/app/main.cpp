// Program entry: plays one song and exits. Opens the last command-line argument that is not a window switch,
// or the demo song beside the executable; exits 0 at the end of the song, 1 when the player refuses a command.

#include "playback/XaudioPlayer.h"

#include <QApplication>
#include <QDir>
#include <QStringList>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("DAK-MP3"));

    const QStringList switches{"-m", "--manage", "-s", "--show", "-a", "--audio"};
    QString file = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("demo.mp3"));
    const QStringList args = QCoreApplication::arguments().mid(1);
    for (const QString &arg : args) {
        if (!switches.contains(arg))
            file = arg;
    }

    TXaudioPlayer xaudio;
    xaudio.OnNotifyInputState = [](TXaudioPlayer *Sender, int32_t State) {
        if (State == XA_INPUT_STATE_OPEN)
            Sender->Play();
    };
    xaudio.OnNotifyPlayerState = [](TXaudioPlayer *, int32_t State) {
        if (State == XA_PLAYER_STATE_EOF)
            QCoreApplication::exit(0);
    };
    xaudio.OnNotifyNack = [](TXaudioPlayer *, uint8_t Command, int16_t Code) {
        std::fprintf(stderr, "DAK-MP3: command %d failed: %s\n", Command, qPrintable(TXaudioPlayer::ErrorString(Code)));
        QCoreApplication::exit(1);
    };
    xaudio.InputOpen(file);
    return QApplication::exec();
}
