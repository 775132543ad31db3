#include "hotkeys/hotkey_lines.h"

#include "hotkeys/shortcuts/hotkey_actions.h"
#include "platform/profile/profile_file.h"

namespace hotkeys {

namespace {

size_t Index(HotkeyList list) { return static_cast<size_t>(list); }

bool InRange(int action) { return action >= 0 && action < kHotkeyActionCount; }

QString DefaultValue(HotkeyList list)
{
    switch (list) {
    case HotkeyList::Hotkeys:
        return QString::fromLatin1(shortcuts::kDefaultHotkeyText);
    case HotkeyList::SystemWide:
        return QString::number(BooleanToInteger(shortcuts::kDefaultSystemWide));
    case HotkeyList::PassToNextProgram:
        return QString::number(BooleanToInteger(shortcuts::kDefaultPassToNextProgram));
    }
    return {};
}

// The action a configuration key names; keys match without regard to case, as everywhere in the file.
int ActionOfKey(const QString &key)
{
    for (int i = 0; i < kHotkeyActionCount; ++i) {
        const QLatin1String name(shortcuts::kHotkeyActions[static_cast<size_t>(i)].key);
        if (key.compare(name, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

}  // namespace

QString SectionName(HotkeyList list)
{
    switch (list) {
    case HotkeyList::Hotkeys:
        return QStringLiteral("Hotkeys");
    case HotkeyList::SystemWide:
        return QStringLiteral("SystemWide");
    case HotkeyList::PassToNextProgram:
        return QStringLiteral("PassToNextProgram");
    }
    return {};
}

bool IntegerToBoolean(const QString &text)
{
    const std::optional<int> number = parseProfileInteger(text);
    return number && *number == 1;
}

int BooleanToInteger(bool value) { return value ? 1 : 0; }

HotkeyLines::HotkeyLines()
{
    for (int list = 0; list < kHotkeyListCount; ++list)
        values_[static_cast<size_t>(list)].fill(DefaultValue(static_cast<HotkeyList>(list)));
}

QString HotkeyLines::name(int action)
{
    if (!InRange(action))
        return {};
    return QString::fromLatin1(shortcuts::kHotkeyActions[static_cast<size_t>(action)].key);
}

const QString &HotkeyLines::value(HotkeyList list, int action) const
{
    static const QString none;
    return InRange(action) ? values_[Index(list)][static_cast<size_t>(action)] : none;
}

QString HotkeyLines::line(HotkeyList list, int action) const { return name(action) + u'=' + value(list, action); }

QStringList HotkeyLines::lines(HotkeyList list) const
{
    QStringList result;
    for (int i = 0; i < kHotkeyActionCount; ++i)
        result << line(list, i);
    return result;
}

void HotkeyLines::merge(HotkeyList list, const QList<IniEntry> &section)
{
    for (const IniEntry &entry : section) {
        const int action = ActionOfKey(entry.key);
        if (action < 0)
            continue;
        values_[Index(list)][static_cast<size_t>(action)] = entry.value.isEmpty() ? DefaultValue(list) : entry.value;
    }
}

void HotkeyLines::merge(const ProfileFile &file)
{
    for (int list = 0; list < kHotkeyListCount; ++list) {
        const auto which = static_cast<HotkeyList>(list);
        merge(which, file.readSection(SectionName(which)));
    }
}

HotkeySelection HotkeyLines::select(int action) const
{
    if (!InRange(action))
        return {};
    HotkeySelection s;
    s.text = value(HotkeyList::Hotkeys, action);
    s.systemWide = IntegerToBoolean(value(HotkeyList::SystemWide, action));
    s.passOnEnabled = s.systemWide;
    s.passOn = IntegerToBoolean(value(HotkeyList::PassToNextProgram, action));
    return s;
}

void HotkeyLines::assign(int action, const QString &text, bool systemWide, bool passOn)
{
    if (!InRange(action))
        return;
    const auto i = static_cast<size_t>(action);
    values_[Index(HotkeyList::Hotkeys)][i] = text;
    values_[Index(HotkeyList::SystemWide)][i] = QString::number(BooleanToInteger(systemWide));
    values_[Index(HotkeyList::PassToNextProgram)][i] = QString::number(BooleanToInteger(passOn));
}

SettingsHotkeys HotkeyLines::toSettings() const
{
    SettingsHotkeys s;
    for (int action = 0; action < kHotkeyActionCount; ++action) {
        const auto i = static_cast<size_t>(action);
        s.Hotkeys[i] = value(HotkeyList::Hotkeys, action);
        s.SystemWide[i] = IntegerToBoolean(value(HotkeyList::SystemWide, action));
        s.PassToNextProgram[i] = IntegerToBoolean(value(HotkeyList::PassToNextProgram, action));
    }
    return s;
}

}  // namespace hotkeys
