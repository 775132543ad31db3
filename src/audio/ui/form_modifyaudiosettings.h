#pragma once
// The audio settings window: a thin layer over the main window's player `xaudio`. Three pages: output volume,
// balance, mute, channels and port; the equalizer; codec quality and priority.
//
// Every change the user makes goes to the player at once; the window keeps no value of its own besides the
// equalizer's slider positions. What the controls show comes back from the player: its reports reach the
// main window's handlers (main_audio.cpp), which move the controls here through the Show...
// functions. Controls moved by code run no change handler, so nothing is sent back; check boxes are the
// exception: setting one from code runs its click handler when its state changes.
//
// The equalizer switch is the main window's setting "EnableEqualizer" (without a main window, one of the
// window's own). Modeless; created at start, lives until exit. Only the user-interface thread may use it.

#include "audio/equalizer.h"

#include <QDialog>

#include <array>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;
class QTabWidget;
class TXaudioPlayer;

class Tform_modifyaudiosettings : public QDialog {
    Q_OBJECT
public:
    explicit Tform_modifyaudiosettings(QWidget *parent = nullptr);

    static constexpr int kClientWidth = 596;
    static constexpr int kClientHeight = 416;

    QTabWidget *pagecontrol_audiosettings = nullptr;
    QWidget *tabsheet_output = nullptr;
    QWidget *tabsheet_equalizer = nullptr;
    QWidget *tabsheet_codec = nullptr;

    // ---- "Basic &Output Settings".
    QGroupBox *groupbox_volume = nullptr;
    QSlider *trackbar_mastervolume = nullptr;  // 0 (top, level 100) .. 100 (bottom, level 0)
    QLabel *label_mastervolume = nullptr;
    QSlider *trackbar_pcmvolume = nullptr;
    QLabel *label_pcmvolume = nullptr;
    QSlider *trackbar_pcmbalance = nullptr;  // 0 left .. 100 right, 50 centre
    QPushButton *button_setdefaultbalance = nullptr;
    QCheckBox *checkbox_mute = nullptr;
    QComboBox *combobox_outputchannels = nullptr;
    QComboBox *combobox_outputport = nullptr;

    // ---- "&Equalizer".
    QCheckBox *checkbox_enableequalizer = nullptr;
    QCheckBox *checkbox_both = nullptr;
    QPushButton *button_loadeqsettings = nullptr;
    QPushButton *button_saveeqsettings = nullptr;
    QPushButton *button_eqdefault = nullptr;
    QLabel *label_lchannel = nullptr;
    QLabel *label_rchannel = nullptr;
    QLabel *label_bass = nullptr;
    QLabel *label_treble = nullptr;
    std::array<QSlider *, audio::kSlidersPerChannel> tb_l{};  // tb_l_0 .. tb_l_15, bass to treble
    std::array<QSlider *, audio::kSlidersPerChannel> tb_r{};
    std::array<QLineEdit *, audio::kSlidersPerChannel> edit_l{};  // the band value of the slider above
    std::array<QLineEdit *, audio::kSlidersPerChannel> edit_r{};

    // ---- "&Codec Settings".
    QComboBox *combobox_codecquality = nullptr;
    QComboBox *combobox_codecpriority = nullptr;

    // The player the window talks to: the main window's, none without a main window.
    TXaudioPlayer *Player() const;
    // The program-wide equalizer switch.
    bool &EqualizerSwitch();

    // ---- Handlers (the user's changes; also callable from code).
    void FormShow();
    void trackbar_mastervolumeChange();
    void trackbar_pcmvolumeChange();
    void trackbar_pcmbalanceChange();
    void button_setdefaultbalanceClick();
    void checkbox_muteClick();
    void combobox_outputchannelsChange();
    void combobox_outputportChange();
    void combobox_codecqualityChange();
    void combobox_codecpriorityChange();

    void EqualizerChange();  // Apply: sends the sliders to the player and asks for its equalizer back
    void checkbox_enableequalizerClick();
    void button_eqdefaultClick();
    void button_loadeqsettingsClick();
    void button_saveeqsettingsClick();
    // Read and write an equalizer file; failures are reported to the user in an error box.
    void LoadEQSettings(const QString &FileName);
    void SaveEQSettings(const QString &FileName);
    // SaveEQSettings without the error box: returns the error text, empty when saved.
    QString WriteEQSettings(const QString &FileName);

    // ---- What the player reports, shown without sending anything back.
    void ShowMasterLevel(int level);
    void ShowPcmLevel(int level);
    void ShowBalance(int balance);
    void ShowChannels(int channels);
    void ShowPorts(quint32 ports);
    void ShowQuality(int quality);
    void ShowEqualizer(const XA_EqualizerInfo &equalizer);

    // The 32 slider positions in file order (left row, then right row), and setting them from code.
    audio::EqualizerPositions SliderPositions() const;
    QSlider *EqualizerSlider(int fileIndex) const;
    QLineEdit *EqualizerEdit(int fileIndex) const;

    // The priority list's tooltip while every priority asked for was granted.
    static QString PriorityToolTip();
    // Its tooltip after the system refused `asked` and the decoder kept `granted`.
    static QString PriorityRefusedToolTip(int asked, int granted);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void CreateOutputPage();
    void CreateEqualizerPage();
    void CreateCodecPage();
    void ConnectHandlers();
    void ConnectEqualizerHandlers();
    void SendVolume();
    void ShowLevel(QSlider *trackbar, QLabel *label, int level);
    void SetPriority(int priority);
    void EnableEqualizerControls(bool enabled);
    void ShowBandValues();
    // The folder the equalizer file dialogs open in.
    QString EqualizerFolder() const;

    bool m_ownSwitch = false;
};

extern Tform_modifyaudiosettings *form_modifyaudiosettings;
