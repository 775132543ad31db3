#include "config/settings_file.h"

namespace {

// Each section's keys in the order of reading and writing. The visitor gets (section, key, field); the
// same lists drive the reader and the writers, so their spellings cannot drift apart.
template <typename S, typename F>
void visitOptions(S &o, F &&f)
{
    f(u"Options", u"autoplayonstart", o.autoplayonstart);
    f(u"Options", u"autoplayonopen", o.autoplayonopen);
    f(u"Options", u"randomset", o.randomset);
    f(u"Options", u"randomsong", o.randomsong);
    f(u"Options", u"openfolderrecursive", o.openfolderrecursive);
    f(u"Options", u"libraryfolder", o.libraryfolder);
    f(u"Options", u"RewindTime", o.RewindTime);
    f(u"Options", u"FastForwardTime", o.FastForwardTime);
}

template <typename S, typename F>
void visitScreen(S &s, F &&f)
{
    f(u"Screen", u"top", s.top);
    f(u"Screen", u"left", s.left);
    f(u"Screen", u"width", s.width);
    f(u"Screen", u"height", s.height);
    f(u"Screen", u"show", s.show);
    f(u"Screen", u"DisplayStyle", s.DisplayStyle);
}

template <typename S, typename F>
void visitLastOpened(S &l, F &&f)
{
    f(u"LastOpened", u"LastOpenedLibrarySetName", l.LastOpenedLibrarySetName);
    f(u"LastOpened", u"LastOpenedLibrarySongTitle", l.LastOpenedLibrarySongTitle);
}

template <typename S, typename F>
void visitAudio(S &a, F &&f)
{
    f(u"AudioSettings", u"ReleaseOnStop", a.ReleaseOnStop);
    f(u"AudioSettings", u"ReleaseOnPause", a.ReleaseOnPause);
    f(u"AudioSettings", u"ReleaseOnEOF", a.ReleaseOnEOF);
    f(u"AudioSettings", u"EnableEqualizer", a.EnableEqualizer);
}

template <typename S, typename F>
void visitMiniInfo(S &m, F &&f)
{
    f(u"MiniInfo", u"ActivateMiniInfo", m.ActivateMiniInfo);
    f(u"MiniInfo", u"MiniInfoShowEverytime", m.MiniInfoShowEverytime);
    f(u"MiniInfo", u"MiniInfoTime", m.MiniInfoTime);
    f(u"MiniInfo", u"DesktopNotifications", m.DesktopNotifications);
}

template <typename S, typename F>
void visitHotkeys(S &h, F &&f)
{
    for (int i = 0; i < kHotkeyActionCount; ++i)
        f(u"Hotkeys", kHotkeyActionKeys[i], h.Hotkeys[i]);
    for (int i = 0; i < kHotkeyActionCount; ++i)
        f(u"SystemWide", kHotkeyActionKeys[i], h.SystemWide[i]);
    for (int i = 0; i < kHotkeyActionCount; ++i)
        f(u"PassToNextProgram", kHotkeyActionKeys[i], h.PassToNextProgram[i]);
}

// Reads a field, its current value being the default.
struct FieldReader {
    const ProfileFile &file;
    void operator()(QStringView section, QStringView key, bool &field) const
    {
        field = file.readBool(section, key, field);
    }
    void operator()(QStringView section, QStringView key, int &field) const
    {
        field = file.readInteger(section, key, field);
    }
    void operator()(QStringView section, QStringView key, QString &field) const
    {
        field = file.readString(section, key, field);
    }
};

struct FieldWriter {
    QList<ProfileWrite> &writes;
    void operator()(QStringView section, QStringView key, bool field) const
    {
        add(section, key, field ? QStringLiteral("1") : QStringLiteral("0"));
    }
    void operator()(QStringView section, QStringView key, int field) const
    {
        add(section, key, QString::number(field));
    }
    void operator()(QStringView section, QStringView key, const QString &field) const { add(section, key, field); }
    void add(QStringView section, QStringView key, QString value) const
    {
        writes.append({section.toString(), key.toString(), std::move(value)});
    }
};

ProfileStatus writeKeyByKey(const QString &path, const QList<ProfileWrite> &writes)
{
    ProfileFile file(path);
    for (const ProfileWrite &w : writes) {
        if (ProfileStatus status = file.write({w}); !status.ok())
            return status;
    }
    return {};
}

}  // namespace

QString configurationFilePath() { return configurationFolder() + QStringLiteral("devud3.dat"); }

Settings readSettings(const ProfileFile &file, const SettingsDefaults &defaults)
{
    Settings s = defaultSettings(defaults);
    const FieldReader read{file};
    visitOptions(s.Options, read);
    read(u"Options", u"INPUT_POSITION_RANGE", s.Options.INPUT_POSITION_RANGE);
    visitScreen(s.Screen, read);
    visitLastOpened(s.LastOpened, read);
    visitAudio(s.Audio, read);
    visitMiniInfo(s.MiniInfo, read);
    visitHotkeys(s.Hotkeys, read);
    return s;
}

ProfileStatus loadSettings(const QString &path, const SettingsDefaults &defaults, Settings &settings)
{
    const ProfileFile file(path);
    if (!file.readStatus().ok())
        return file.readStatus();
    settings = readSettings(file, defaults);
    return {};
}

ProfileStatus writeOptionsSettings(const QString &path, const Settings &settings)
{
    QList<ProfileWrite> writes;
    const FieldWriter add{writes};
    visitOptions(settings.Options, add);
    visitMiniInfo(settings.MiniInfo, add);
    return writeKeyByKey(path, writes);
}

ProfileStatus writeCloseSettings(const QString &path, const Settings &settings)
{
    QList<ProfileWrite> writes;
    const FieldWriter add{writes};
    visitScreen(settings.Screen, add);
    visitLastOpened(settings.LastOpened, add);
    visitAudio(settings.Audio, add);
    return writeKeyByKey(path, writes);
}

ProfileStatus writeHotkeySettings(const QString &path, const SettingsHotkeys &hotkeys)
{
    QList<ProfileWrite> writes;
    visitHotkeys(hotkeys, FieldWriter{writes});
    return ProfileFile(path).write(writes);
}
