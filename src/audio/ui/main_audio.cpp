// The main window's part of the audio settings: the command that shows the audio settings window, the
// player's reports of its output and codec settings shown in that window, and the equalizer's steps of the
// start-up (the switch from the configuration, the default equalizer file) and of the exit.
//
// The reports move the window's controls whether it is visible or not; controls moved by code send nothing
// back to the player.

#include "app/ui/form_main.h"
#include "audio/eqs_file.h"
#include "audio/ui/form_modifyaudiosettings.h"
#include "config/settings_file.h"
#include "playback/XaudioPlayer.h"

#include <QCheckBox>
#include <QFileInfo>

#include <functional>

void Tform_main::BindAudioEvents()
{
    xaudio->OnNotifyOutputBalance = std::bind_front(&Tform_main::xaudioNotifyOutputBalance, this);
    xaudio->OnNotifyOutputPcmLevel = std::bind_front(&Tform_main::xaudioNotifyOutputPcmLevel, this);
    xaudio->OnNotifyOutputMasterLevel = std::bind_front(&Tform_main::xaudioNotifyOutputMasterLevel, this);
    xaudio->OnNotifyOutputChannels = std::bind_front(&Tform_main::xaudioNotifyOutputChannels, this);
    xaudio->OnNotifyOutputPorts = std::bind_front(&Tform_main::xaudioNotifyOutputPorts, this);
    xaudio->OnNotifyCodecQuality = std::bind_front(&Tform_main::xaudioNotifyCodecQuality, this);
    xaudio->OnNotifyCodecEqualizer = std::bind_front(&Tform_main::xaudioNotifyCodecEqualizer, this);
}

void Tform_main::pop_modifyaudiosettingsClick()
{
    Tform_modifyaudiosettings *window = form_modifyaudiosettings;
    if (!window)
        return;
    if (!window->isVisible()) {
        window->show();
        return;
    }
    // Already shown: only brought forward.
    if (window->isMinimized())
        window->showNormal();
    window->raise();
    window->activateWindow();
}

// ---- Reports of the player -----------------------------------------------------------------------------

void MainPlayerEvents::xaudioNotifyOutputBalance(TXaudioPlayer *, quint8 Balance)
{
    if (form_modifyaudiosettings)
        form_modifyaudiosettings->ShowBalance(Balance);
}

void MainPlayerEvents::xaudioNotifyOutputPcmLevel(TXaudioPlayer *, quint8 PcmLevel)
{
    if (form_modifyaudiosettings)
        form_modifyaudiosettings->ShowPcmLevel(PcmLevel);
}

void MainPlayerEvents::xaudioNotifyOutputMasterLevel(TXaudioPlayer *, quint8 MasterLevel)
{
    if (form_modifyaudiosettings)
        form_modifyaudiosettings->ShowMasterLevel(MasterLevel);
}

void MainPlayerEvents::xaudioNotifyOutputChannels(TXaudioPlayer *, quint8 Channels)
{
    if (form_modifyaudiosettings)
        form_modifyaudiosettings->ShowChannels(Channels);
}

void MainPlayerEvents::xaudioNotifyOutputPorts(TXaudioPlayer *, quint32 Ports)
{
    if (form_modifyaudiosettings)
        form_modifyaudiosettings->ShowPorts(Ports);
}

void MainPlayerEvents::xaudioNotifyCodecQuality(TXaudioPlayer *, quint8 Quality)
{
    if (form_modifyaudiosettings)
        form_modifyaudiosettings->ShowQuality(Quality);
}

void MainPlayerEvents::xaudioNotifyCodecEqualizer(TXaudioPlayer *, const XA_EqualizerInfo &Equalizer)
{
    if (form_modifyaudiosettings)
        form_modifyaudiosettings->ShowEqualizer(Equalizer);
}

// ---- Start-up and exit ---------------------------------------------------------------------------------

QString Tform_main::DefaultEqualizerFilePath() const
{
    return DefaultEqualizerFile.isEmpty() ? audio::DefaultEqualizerFile(configurationFolder()) : DefaultEqualizerFile;
}

void Tform_main::ApplyEqualizerSettings()
{
    Tform_modifyaudiosettings *window = form_modifyaudiosettings;
    if (!window)
        return;
    // The switch is the setting "EnableEqualizer", just read. Setting the check box runs its handler when
    // this changes the box; the explicit run after it enables or disables the controls also when it did not.
    window->checkbox_enableequalizer->setChecked(settings.Audio.EnableEqualizer);
    if (settings.Audio.EnableEqualizer)
        xaudio->GetCodecEqualizer();
    window->checkbox_enableequalizerClick();
    const QString file = DefaultEqualizerFilePath();
    if (settings.Audio.EnableEqualizer && QFileInfo(file).isFile())
        window->LoadEQSettings(file);
}

QString Tform_main::SaveDefaultEqualizer()
{
    if (!form_modifyaudiosettings)
        return {};
    return form_modifyaudiosettings->WriteEQSettings(DefaultEqualizerFilePath());
}
