#include "miniinfo/miniinfo_rules.h"

namespace miniinfo {

bool MiniInfoWanted(const SettingsMiniInfo &settings, bool forced, bool mainWindowVisible)
{
    if (mainWindowVisible || !settings.ActivateMiniInfo)
        return false;
    return forced || settings.MiniInfoShowEverytime;
}

QPoint MiniInfoPosition(const QRect &workArea, const QSize &windowSize)
{
    // QRect::right() and bottom() are the last pixel inside; the edges are one past them.
    const int rightEdge = workArea.x() + workArea.width();
    const int bottomEdge = workArea.y() + workArea.height();
    return {rightEdge - windowSize.width() - 6, bottomEdge - windowSize.height()};
}

QString SecondsText(int displayTimeMs) { return QString::number(displayTimeMs / 1000); }

std::optional<int> DisplayTimeFromSecondsText(const QString &text)
{
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty())
        return std::nullopt;
    qsizetype start = trimmed.startsWith(QLatin1Char('+')) ? 1 : 0;
    if (start == trimmed.size())
        return std::nullopt;
    long long seconds = 0;
    for (qsizetype i = start; i < trimmed.size(); ++i) {
        const QChar c = trimmed.at(i);
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
        seconds = seconds * 10 + (c.unicode() - '0');
        if (seconds > kMostSeconds)
            return std::nullopt;
    }
    return static_cast<int>(seconds * 1000);
}

QString NotWholeSecondsText(const QString &text)
{
    return QStringLiteral("'%1' is not a valid number of seconds.\rEnter a whole number from 0 to %2.")
        .arg(text)
        .arg(kMostSeconds);
}

}  // namespace miniinfo
