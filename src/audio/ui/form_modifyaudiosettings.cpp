// The audio settings window: its pages, the output and codec pages' handlers, and the reports of the player
// shown in the controls. The equalizer page is in form_modifyaudiosettings_equalizer.cpp.

#include "audio/ui/form_modifyaudiosettings.h"

#include "app/ui/slider_user_moves.h"
#include "app/ui/window_placement.h"
#include "app/ui/form_main.h"
#include "audio/audio_mappings.h"
#include "platform/shell/shell.h"
#include "playback/XaudioPlayer.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QSlider>
#include <QTabWidget>

Tform_modifyaudiosettings *form_modifyaudiosettings = nullptr;

namespace {

const char *const kPriorityNames[] = {"Lowest", "Low", "Normal", "High", "Highest"};

QLabel *MakeLabel(QWidget *parent, const QString &text, const QRect &geometry, const char *name = nullptr)
{
    auto *label = new QLabel(text, parent);
    if (name)
        label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    label->setGeometry(geometry);
    return label;
}

QSlider *MakeVolumeTrackbar(QWidget *parent, const char *name, const QRect &geometry)
{
    auto *trackbar = new QSlider(Qt::Vertical, parent);
    trackbar->setObjectName(QLatin1String(name));
    trackbar->setRange(0, audio::kLevelMaximum);
    trackbar->setPageStep(10);
    trackbar->setTickPosition(QSlider::TicksBelow);
    trackbar->setTickInterval(1);
    // Position 0 is at the top, and the up keys move the thumb up.
    trackbar->setInvertedAppearance(true);
    trackbar->setInvertedControls(true);
    trackbar->setValue(0);
    trackbar->setGeometry(geometry);
    return trackbar;
}

QComboBox *MakeList(QWidget *parent, const char *name, const QStringList &items, const QRect &geometry)
{
    auto *list = new QComboBox(parent);
    list->setObjectName(QLatin1String(name));
    list->setEditable(false);
    list->addItems(items);
    list->setCurrentIndex(-1);
    list->setGeometry(geometry);
    return list;
}

}  // namespace

Tform_modifyaudiosettings::Tform_modifyaudiosettings(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("form_modifyaudiosettings"));
    setWindowTitle(QStringLiteral("Modify Audio Settings - DAK-MP3"));
    // A single fixed border with the system menu and a minimize box.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setModal(false);
    setFixedSize(kClientWidth, kClientHeight);

    pagecontrol_audiosettings = new QTabWidget(this);
    pagecontrol_audiosettings->setObjectName(QStringLiteral("pagecontrol_audiosettings"));
    pagecontrol_audiosettings->setGeometry(0, 0, kClientWidth, kClientHeight);
    tabsheet_output = new QWidget;
    tabsheet_output->setObjectName(QStringLiteral("tabsheet_output"));
    tabsheet_equalizer = new QWidget;
    tabsheet_equalizer->setObjectName(QStringLiteral("tabsheet_equalizer"));
    tabsheet_codec = new QWidget;
    tabsheet_codec->setObjectName(QStringLiteral("tabsheet_codec"));
    pagecontrol_audiosettings->addTab(tabsheet_output, QStringLiteral("Basic &Output Settings"));
    pagecontrol_audiosettings->addTab(tabsheet_equalizer, QStringLiteral("&Equalizer"));
    pagecontrol_audiosettings->addTab(tabsheet_codec, QStringLiteral("&Codec Settings"));
    pagecontrol_audiosettings->setCurrentWidget(tabsheet_output);

    CreateOutputPage();
    CreateEqualizerPage();
    CreateCodecPage();
    ConnectHandlers();
    ConnectEqualizerHandlers();

    // The main window's reports of the player move this window's controls.
    if (form_main && form_main->xaudio)
        form_main->BindAudioEvents();

    CenterOnScreen(this);
}

void Tform_modifyaudiosettings::CreateOutputPage()
{
    QWidget *page = tabsheet_output;
    groupbox_volume = new QGroupBox(QStringLiteral("Output Volume and Balance:"), page);
    groupbox_volume->setObjectName(QStringLiteral("groupbox_volume"));
    groupbox_volume->setGeometry(8, 6, 572, 336);
    QWidget *group = groupbox_volume;

    // The two volume columns: the label beside each track bar travels with its thumb (top 44, height 273).
    MakeLabel(group, QStringLiteral("Master"), {16, 22, 110, 16});
    trackbar_mastervolume = MakeVolumeTrackbar(group, "trackbar_mastervolume", {20, 44, 45, 273});
    label_mastervolume = MakeLabel(group, QStringLiteral("100%"), {80, 44, 50, 16}, "label_mastervolume");
    MakeLabel(group, QStringLiteral("PCM (Wave Output)"), {146, 22, 130, 16});
    trackbar_pcmvolume = MakeVolumeTrackbar(group, "trackbar_pcmvolume", {150, 44, 45, 273});
    label_pcmvolume = MakeLabel(group, QStringLiteral("100%"), {210, 44, 50, 16}, "label_pcmvolume");

    MakeLabel(group, QStringLiteral("PCM Output Balance"), {300, 22, 250, 16});
    trackbar_pcmbalance = new QSlider(Qt::Horizontal, group);
    trackbar_pcmbalance->setObjectName(QStringLiteral("trackbar_pcmbalance"));
    trackbar_pcmbalance->setRange(0, audio::kLevelMaximum);
    trackbar_pcmbalance->setPageStep(10);
    trackbar_pcmbalance->setTickPosition(QSlider::TicksBelow);
    trackbar_pcmbalance->setTickInterval(1);
    trackbar_pcmbalance->setValue(audio::kLevelMaximum / 2);
    trackbar_pcmbalance->setGeometry(300, 44, 250, 45);

    button_setdefaultbalance = new QPushButton(QStringLiteral("Set Default &Balance"), group);
    button_setdefaultbalance->setObjectName(QStringLiteral("button_setdefaultbalance"));
    button_setdefaultbalance->setAutoDefault(false);
    button_setdefaultbalance->setGeometry(350, 100, 150, 26);

    checkbox_mute = new QCheckBox(QStringLiteral("Mute PCM Output"), group);
    checkbox_mute->setObjectName(QStringLiteral("checkbox_mute"));
    checkbox_mute->setGeometry(300, 150, 250, 20);

    MakeLabel(page, QStringLiteral("Output Channels:"), {8, 352, 108, 20});
    combobox_outputchannels = MakeList(page, "combobox_outputchannels",
                                       {QStringLiteral("Stereo"), QStringLiteral("Mono Left"),
                                        QStringLiteral("Mono Right"), QStringLiteral("Mono Mix")},
                                       {118, 350, 160, 24});
    MakeLabel(page, QStringLiteral("Output Port:"), {300, 352, 82, 20});
    combobox_outputport = MakeList(page, "combobox_outputport",
                                   {QStringLiteral("Speaker"), QStringLiteral("Line"), QStringLiteral("Headphone"),
                                    QStringLiteral("Unknown (Port $00)")},
                                   {384, 350, 180, 24});
}

void Tform_modifyaudiosettings::CreateCodecPage()
{
    QWidget *page = tabsheet_codec;
    MakeLabel(page, QStringLiteral("Codec Quality:"), {16, 20, 100, 20});
    combobox_codecquality =
        MakeList(page, "combobox_codecquality",
                 {QStringLiteral("High"), QStringLiteral("Medium"), QStringLiteral("Low")}, {120, 18, 160, 24});
    MakeLabel(page, QStringLiteral("Codec Priority:"), {16, 60, 100, 20});
    QStringList priorities;
    for (const char *name : kPriorityNames)
        priorities << QLatin1String(name);
    combobox_codecpriority = MakeList(page, "combobox_codecpriority", priorities, {120, 58, 160, 24});
    combobox_codecpriority->setToolTip(PriorityToolTip());
}

void Tform_modifyaudiosettings::ConnectHandlers()
{
    // Track bars and lists act only on the user's changes; the check box on every change of its state.
    connect(new SliderUserMoves(trackbar_mastervolume), &SliderUserMoves::Moved, this,
            &Tform_modifyaudiosettings::trackbar_mastervolumeChange);
    connect(new SliderUserMoves(trackbar_pcmvolume), &SliderUserMoves::Moved, this,
            &Tform_modifyaudiosettings::trackbar_pcmvolumeChange);
    connect(new SliderUserMoves(trackbar_pcmbalance), &SliderUserMoves::Moved, this,
            &Tform_modifyaudiosettings::trackbar_pcmbalanceChange);
    connect(button_setdefaultbalance, &QPushButton::clicked, this,
            &Tform_modifyaudiosettings::button_setdefaultbalanceClick);
    connect(checkbox_mute, &QCheckBox::toggled, this, &Tform_modifyaudiosettings::checkbox_muteClick);
    connect(combobox_outputchannels, &QComboBox::activated, this,
            &Tform_modifyaudiosettings::combobox_outputchannelsChange);
    connect(combobox_outputport, &QComboBox::activated, this, &Tform_modifyaudiosettings::combobox_outputportChange);
    connect(combobox_codecquality, &QComboBox::activated, this,
            &Tform_modifyaudiosettings::combobox_codecqualityChange);
    connect(combobox_codecpriority, &QComboBox::activated, this,
            &Tform_modifyaudiosettings::combobox_codecpriorityChange);
}

TXaudioPlayer *Tform_modifyaudiosettings::Player() const { return form_main ? form_main->xaudio : nullptr; }

bool &Tform_modifyaudiosettings::EqualizerSwitch()
{
    return form_main ? form_main->settings.Audio.EnableEqualizer : m_ownSwitch;
}

// ---- Showing the window --------------------------------------------------------------------------------

void Tform_modifyaudiosettings::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // Restoring from the task bar is no new showing.
    if (!event->spontaneous())
        FormShow();
}

void Tform_modifyaudiosettings::FormShow()
{
    TXaudioPlayer *player = Player();
    if (player) {
        player->GetOutputVolume();
        player->OutputUnmute();
    }
    checkbox_mute->setChecked(false);
    if (!player)
        return;
    player->GetOutputChannels();
    player->GetOutputPorts();
    player->GetCodecQuality();
    // The priority is read at once: what the system granted, whatever was chosen here before.
    if (const std::optional<int> index = audio::PriorityIndex(int(player->GetPriority())))
        combobox_codecpriority->setCurrentIndex(*index);
    combobox_codecpriority->setToolTip(PriorityToolTip());
}

// ---- Volume and balance --------------------------------------------------------------------------------

void Tform_modifyaudiosettings::SendVolume()
{
    if (TXaudioPlayer *player = Player())
        player->SetOutputVolume(uint8_t(trackbar_pcmbalance->value()),
                                uint8_t(audio::LevelFromPosition(trackbar_pcmvolume->value())),
                                uint8_t(audio::LevelFromPosition(trackbar_mastervolume->value())));
}

void Tform_modifyaudiosettings::ShowLevel(QSlider *trackbar, QLabel *label, int level)
{
    label->setText(audio::LevelText(level));
    label->move(label->x(), audio::LabelTop(trackbar->height(), trackbar->maximum(), trackbar->value(), trackbar->y()));
}

void Tform_modifyaudiosettings::trackbar_mastervolumeChange()
{
    SendVolume();
    ShowLevel(trackbar_mastervolume, label_mastervolume, audio::LevelFromPosition(trackbar_mastervolume->value()));
}

void Tform_modifyaudiosettings::trackbar_pcmvolumeChange()
{
    SendVolume();
    ShowLevel(trackbar_pcmvolume, label_pcmvolume, audio::LevelFromPosition(trackbar_pcmvolume->value()));
}

void Tform_modifyaudiosettings::trackbar_pcmbalanceChange() { SendVolume(); }

void Tform_modifyaudiosettings::button_setdefaultbalanceClick()
{
    trackbar_pcmbalance->setValue(trackbar_pcmbalance->maximum() / 2);
    trackbar_pcmbalanceChange();
}

void Tform_modifyaudiosettings::checkbox_muteClick()
{
    TXaudioPlayer *player = Player();
    if (!player)
        return;
    if (checkbox_mute->isChecked())
        player->OutputMute();
    else
        player->OutputUnmute();
}

// ---- Lists ---------------------------------------------------------------------------------------------

void Tform_modifyaudiosettings::combobox_outputchannelsChange()
{
    TXaudioPlayer *player = Player();
    if (const std::optional<int> value = audio::ChannelsValue(combobox_outputchannels->currentIndex()); value && player)
        player->SetOutputChannels(*value);
}

void Tform_modifyaudiosettings::combobox_outputportChange()
{
    TXaudioPlayer *player = Player();
    if (const std::optional<uint32_t> value = audio::PortValue(combobox_outputport->currentIndex()); value && player)
        player->SetOutputPorts(*value);
}

void Tform_modifyaudiosettings::combobox_codecqualityChange()
{
    TXaudioPlayer *player = Player();
    if (const std::optional<int> value = audio::QualityValue(combobox_codecquality->currentIndex()); value && player)
        player->SetCodecQuality(uint8_t(*value));
}

void Tform_modifyaudiosettings::combobox_codecpriorityChange()
{
    const int index = combobox_codecpriority->currentIndex();
    if (index < 0 || index > audio::kPriorityHighest)
        return;
    if (index == audio::kPriorityHighest &&
        !Shell::confirm(QStringLiteral("Be careful with this option! Your computer may slow down and won't update "
                                       "the display.\rAre you sure to set the Codec Priority to \"Highest\"?"),
                        this))
        return;
    SetPriority(index);
}

void Tform_modifyaudiosettings::SetPriority(int priority)
{
    TXaudioPlayer *player = Player();
    if (!player)
        return;
    player->SetPriority(quint32(priority));
    // Raising a priority needs the system's permission; without it the decoder keeps the one it has. The list
    // goes on showing the choice until the window is shown again; the tooltip says what is in force.
    const int granted = int(player->GetPriority());
    combobox_codecpriority->setToolTip(granted == priority ? PriorityToolTip()
                                                           : PriorityRefusedToolTip(priority, granted));
}

QString Tform_modifyaudiosettings::PriorityToolTip()
{
    return QStringLiteral("The priority of the decoder. Raising it needs the system's permission: a priority "
                          "the system does not grant leaves the decoder at the one it has, and this list shows "
                          "that one the next time the window is shown.");
}

QString Tform_modifyaudiosettings::PriorityRefusedToolTip(int asked, int granted)
{
    auto name = [](int priority) {
        return priority >= 0 && priority <= audio::kPriorityHighest ? QLatin1String(kPriorityNames[priority])
                                                                    : QLatin1String("?");
    };
    return QStringLiteral("The system did not grant the priority \"%1\": the decoder runs at \"%2\".\n")
               .arg(name(asked), name(granted)) +
        PriorityToolTip();
}

// ---- Reports of the player -----------------------------------------------------------------------------

void Tform_modifyaudiosettings::ShowMasterLevel(int level)
{
    trackbar_mastervolume->setValue(audio::PositionFromLevel(level));
    ShowLevel(trackbar_mastervolume, label_mastervolume, level);
}

void Tform_modifyaudiosettings::ShowPcmLevel(int level)
{
    trackbar_pcmvolume->setValue(audio::PositionFromLevel(level));
    ShowLevel(trackbar_pcmvolume, label_pcmvolume, level);
}

void Tform_modifyaudiosettings::ShowBalance(int balance) { trackbar_pcmbalance->setValue(balance); }

void Tform_modifyaudiosettings::ShowChannels(int channels)
{
    if (const std::optional<int> index = audio::ChannelsIndex(channels))
        combobox_outputchannels->setCurrentIndex(*index);
}

void Tform_modifyaudiosettings::ShowPorts(quint32 ports)
{
    combobox_outputport->setCurrentIndex(audio::PortIndex(ports));
}

void Tform_modifyaudiosettings::ShowQuality(int quality)
{
    if (const std::optional<int> index = audio::QualityIndex(quality))
        combobox_codecquality->setCurrentIndex(*index);
}
