#include "playback/transport_logic.h"

#include "platform/decoder/xaudio.h"
#include "platform/profile/ini_document.h"

#include <algorithm>
#include <cmath>

namespace playback {

namespace {

// Seek-bar steps moved by a jump of `seconds`; duration is not 0.
double JumpSteps(int maximum, int seconds, uint32_t duration)
{
    const int64_t product = static_cast<int64_t>(maximum) * seconds;
    return static_cast<double>(product) / static_cast<double>(duration);
}

// Rounds to the nearest integer. Values far beyond any seek range are held at a size that still rounds and
// compares safely.
int64_t RoundSteps(double value)
{
    constexpr double kLimit = 1e15;
    return std::llround(std::clamp(value, -kLimit, kLimit));
}

}  // namespace

std::optional<TransportEnabling> EnablingForPlayerState(int32_t state)
{
    switch (state) {
    case kStopped:
    case kEndOfFile:
        return TransportEnabling{.play = true, .pause = false, .stop = false};
    case kPaused:
        return TransportEnabling{.play = true, .pause = false, .stop = true};
    case kPlaying:
        return TransportEnabling{.play = false, .pause = true, .stop = true};
    default:
        return std::nullopt;
    }
}

TransportEnabling EnablingForInputState(int32_t state, bool autoplay)
{
    if (state != kInputOpen)
        return {.play = false, .pause = false, .stop = false};
    if (autoplay)
        return {.play = false, .pause = true, .stop = true};
    return {.play = true, .pause = false, .stop = false};
}

SeekStep RewindStep(int position, int maximum, int seconds, uint32_t duration)
{
    if (duration == 0)
        return {};
    const int64_t target = RoundSteps(position - JumpSteps(maximum, seconds, duration));
    int64_t offset = target > 0 ? target : 0;
    if (maximum >= 0 && offset > maximum)
        offset = maximum;
    return {SeekStep::Kind::Seek, static_cast<uint32_t>(offset), static_cast<uint32_t>(std::max(maximum, 0))};
}

SeekStep FastForwardStep(int position, int maximum, int seconds, uint32_t duration)
{
    if (duration == 0)
        return {};
    const int64_t target = RoundSteps(position + JumpSteps(maximum, seconds, duration));
    if (std::llabs(target) > std::llabs(static_cast<int64_t>(maximum)))
        return {SeekStep::Kind::Stop, 0, 0};
    return {SeekStep::Kind::Seek, static_cast<uint32_t>(target > 0 ? target : 0),
            static_cast<uint32_t>(std::max(maximum, 0))};
}

int32_t PlayerMode(bool releaseOnStop, bool releaseOnPause, bool releaseOnEndOfFile)
{
    return (releaseOnStop ? XA_PLAYER_MODE_OUTPUT_AUTO_CLOSE_ON_STOP : 0) |
        (releaseOnPause ? XA_PLAYER_MODE_OUTPUT_AUTO_CLOSE_ON_PAUSE : 0) |
        (releaseOnEndOfFile ? XA_PLAYER_MODE_OUTPUT_AUTO_CLOSE_ON_EOF : 0);
}

QString NackText(uint8_t command, int16_t code)
{
    switch (command) {
    case XA_MSG_COMMAND_PLAY:
        return QStringLiteral("Cannot Play Stream ") + QString::number(code);
    case XA_MSG_COMMAND_INPUT_OPEN:
        return QStringLiteral("Cannot Open Input ") + QString::number(code);
    default:
        return {};
    }
}

std::optional<int> ParseSeconds(const QString &text) { return parseProfileInteger(QStringView(text).trimmed()); }

QString NotAnIntegerText(const QString &text) { return QStringLiteral("'%1' is not a valid integer value.").arg(text); }

std::optional<QString> StreamDescription(uint8_t level, uint8_t layer, uint16_t bitrate, uint16_t frequency,
                                         uint8_t mode)
{
    static const char *const kModes[] = {" Hz, stereo", " Hz, joint-stereo", " Hz, dual-channel", " Hz, mono"};
    if (mode > 3)
        return std::nullopt;
    return QStringLiteral("MPEG %1, Audio Layer %2, %3 Kbps, %4").arg(level).arg(layer).arg(bitrate).arg(frequency) +
        QLatin1String(kModes[mode]);
}

QString TimeText(int hours, int minutes, int seconds)
{
    return QString::asprintf("%.2d:%.2d:%.2d", hours, minutes, seconds);
}

QString DurationText(uint32_t duration)
{
    return TimeText(static_cast<int>(duration / 3600), static_cast<int>(duration % 3600 / 60),
                    static_cast<int>(duration % 60));
}

QString TimeLine(const QString &timeText, uint32_t duration)
{
    return timeText + QStringLiteral(" / ") + DurationText(duration);
}

std::optional<int> TimeLabelLeft(int position, int maximum, int barLeft, int barWidth)
{
    if (maximum == 0)
        return std::nullopt;
    const double share = static_cast<double>(position) / maximum;
    return static_cast<int>(RoundSteps(share * (barLeft + barWidth)));
}

QString StateIconFile(int32_t state)
{
    switch (state) {
    case kPlaying:
        return QStringLiteral("play.ico");
    case kPaused:
        return QStringLiteral("pause.ico");
    case kStopped:
    case kEndOfFile:
        return QStringLiteral("stop.ico");
    default:
        return {};
    }
}

QString StateTipSuffix(int32_t state)
{
    switch (state) {
    case kStopped:
        return QStringLiteral(" - DAK-MP3 - Stopped");
    case kPlaying:
        return QStringLiteral(" - DAK-MP3 - Playing");
    case kPaused:
        return QStringLiteral(" - DAK-MP3 - Paused");
    case kEndOfFile:
        return QStringLiteral(" - DAK-MP3 - End of File");
    default:
        return {};
    }
}

int TreeStateIndex(int32_t state)
{
    switch (state) {
    case kPlaying:
        return 1;
    case kPaused:
        return 2;
    case kStopped:
    case kEndOfFile:
        return 3;
    default:
        return -1;
    }
}

QString NowPlayingTip(const QString &title, int32_t state, int maxLength)
{
    const QString suffix = StateTipSuffix(state);
    const QString ellipsis = QStringLiteral("...");
    if (title.size() + suffix.size() <= maxLength)
        return title + suffix;
    if (suffix.size() + ellipsis.size() > maxLength) {
        const QString whole = title + suffix;
        return whole.left(std::max<qsizetype>(0, maxLength - ellipsis.size())) + ellipsis;
    }
    qsizetype keep = maxLength - suffix.size() - ellipsis.size();
    // Never split a character that takes two UTF-16 units.
    if (keep > 0 && title.at(keep - 1).isHighSurrogate())
        --keep;
    return title.left(keep) + ellipsis + suffix;
}

}  // namespace playback
