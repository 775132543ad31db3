// Plays one file through the decoder library in real time and exits at its end: the engine side of the
// playback CPU benchmark. Usage: engine_play_helper FILE [OUTPUT]; OUTPUT defaults to "pulse".
// Exit status 0 after the end of the file, 1 on any failure.

#include "tools/engine_driver.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: engine_play_helper FILE [OUTPUT]\n");
        return 1;
    }
    const QByteArray output = args.size() > 2 ? args[2].toUtf8() : QByteArray("pulse");
    testtools::EngineDriver engine;
    if (!engine.ok() || !engine.openOutput(output.constData()) || !engine.openInput(args[1])) {
        std::fprintf(stderr, "engine_play_helper: %s\n", qPrintable(engine.lastError));
        return 1;
    }
    control_message_send_N(engine.player(), XA_MSG_COMMAND_PLAY);
    if (!engine.takeState(XA_PLAYER_STATE_EOF, 3600 * 1000)) {
        std::fprintf(stderr, "engine_play_helper: the end of the file was never reached\n");
        return 1;
    }
    return 0;
}
