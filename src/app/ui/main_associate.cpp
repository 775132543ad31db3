// "Associate *.mp3 file extension with DAK-MP3": makes this program the desktop's handler of MP3 files by
// writing the shell file class "mp3File". Opening an MP3 file from a file manager ("Open", or the "Play"
// action) then starts the program with the file on its command line. There is no step that undoes it.

#include "app/ui/program_icon.h"
#include "app/ui/form_main.h"
#include "platform/registry/shell_classes.h"
#include "platform/shell/shell.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QImage>

namespace {

// The program's icon as a PNG picture, the one a file manager shows for the class.
QByteArray ProgramIconPng()
{
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    ProgramIcon().pixmap(QSize(48, 48), 1.0).toImage().save(&buffer, "PNG");
    return png;
}

}  // namespace

void Tform_main::pop_associateClick()
{
    // The full path of the running program file; a program moved elsewhere writes its new path the next
    // time the item is chosen.
    const QString program = QCoreApplication::applicationFilePath();
    const QString quoted = QLatin1Char('"') + program + QLatin1Char('"');
    const std::pair<QString, QString> writes[] = {
        {QStringLiteral("mp3File\\DefaultIcon"), program + QStringLiteral(",0")},
        {QStringLiteral("mp3File\\EditFlags"), QStringLiteral("_H_00010000")},
        {QStringLiteral("mp3File\\shell"), QStringLiteral("open")},
        {QStringLiteral("mp3File\\shell\\open"), QStringLiteral("&Open")},
        {QStringLiteral("mp3File\\shell\\open\\command"), quoted + QStringLiteral(" %1")},
        {QStringLiteral("mp3File\\shell\\play"), QStringLiteral("&Play")},
        {QStringLiteral("mp3File\\shell\\play\\command"), quoted + QStringLiteral(" \"%L\"")},
    };

    registry::ClassesRoot root({QStringLiteral("mp3File"), QStringLiteral("dak-mp3"), QStringLiteral("DAK-MP3"),
                                QStringLiteral("audio/mpeg"), ProgramIconPng()});
    // In order; the first write that fails ends the sequence, and what was written before stays.
    for (const auto &[key, value] : writes) {
        const QString error = root.WriteDefaultValue(key, value);
        if (!error.isEmpty()) {
            Shell::errorBox(error, this);
            return;
        }
    }
}
