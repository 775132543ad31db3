// The equalizer page of the audio settings window: 16 sliders per channel over the decoder's 32 bands, the
// switch, "both channels together", the defaults, and loading and saving equalizer files.
//
// The slider positions are the equalizer's whole state. Apply (EqualizerChange) sends them to the player
// and asks for its equalizer back; the report that follows moves the sliders to what the player holds and
// fills the edit boxes with the band values.

#include "audio/ui/form_modifyaudiosettings.h"

#include "app/ui/slider_user_moves.h"
#include "audio/eqs_file.h"
#include "config/settings_file.h"
#include "platform/shell/shell.h"
#include "playback/XaudioPlayer.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPalette>
#include <QPushButton>
#include <QSlider>

using namespace audio;

namespace {

constexpr int kColumnLeft = 14;
constexpr int kColumnStep = 35;
constexpr int kSliderWidth = 28;
constexpr int kSliderHeight = 100;
constexpr int kEditWidth = 32;
constexpr int kLeftRowTop = 62;
constexpr int kRightRowTop = 210;

const QString kFilter = QStringLiteral("DAK-MP3 Equalizer Settings (*.eqs);;All files (*)");

QLabel *MakeLabel(QWidget *parent, const char *name, const QString &text, const QRect &geometry)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    label->setGeometry(geometry);
    return label;
}

QPushButton *MakeButton(QWidget *parent, const char *name, const QString &caption, const QRect &geometry)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setAutoDefault(false);
    button->setGeometry(geometry);
    return button;
}

// One column: a vertical slider from -128 (top) to 127 (bottom) and the read-only box under it.
void MakeColumn(QWidget *parent, const QString &side, int k, int top, QSlider *&slider, QLineEdit *&edit)
{
    const int x = kColumnLeft + k * kColumnStep;
    slider = new QSlider(Qt::Vertical, parent);
    slider->setObjectName(QStringLiteral("tb_%1_%2").arg(side).arg(k));
    slider->setRange(kMinPosition, kMaxPosition);
    slider->setPageStep(10);
    slider->setTickPosition(QSlider::TicksBelow);
    slider->setTickInterval(1);
    slider->setInvertedAppearance(true);  // the smallest position at the top
    slider->setInvertedControls(true);    // the up keys move the thumb up
    slider->setValue(0);
    slider->setGeometry(x + (kEditWidth - kSliderWidth) / 2, top, kSliderWidth, kSliderHeight);

    edit = new QLineEdit(QStringLiteral("0"), parent);
    edit->setObjectName(QStringLiteral("edit_%1_%2").arg(side).arg(k));
    edit->setReadOnly(true);
    edit->setAlignment(Qt::AlignCenter);
    edit->setGeometry(x, top + kSliderHeight + 2, kEditWidth, 20);
}

}  // namespace

void Tform_modifyaudiosettings::CreateEqualizerPage()
{
    QWidget *page = tabsheet_equalizer;
    checkbox_enableequalizer = new QCheckBox(QStringLiteral("E&nable the equalizer"), page);
    checkbox_enableequalizer->setObjectName(QStringLiteral("checkbox_enableequalizer"));
    checkbox_enableequalizer->setGeometry(8, 6, 200, 20);
    checkbox_both = new QCheckBox(QStringLiteral("Control the right channel &together with the left one"), page);
    checkbox_both->setObjectName(QStringLiteral("checkbox_both"));
    checkbox_both->setGeometry(214, 6, 370, 20);

    label_lchannel = MakeLabel(page, "label_lchannel", QStringLiteral("Left Channel:"), {8, 30, 120, 16});
    const int rowRight = kColumnLeft + (kSlidersPerChannel - 1) * kColumnStep + kEditWidth;
    label_bass = MakeLabel(page, "label_bass", QStringLiteral("Bass"), {kColumnLeft, 46, 60, 16});
    label_treble = MakeLabel(page, "label_treble", QStringLiteral("Treble"), {rowRight - 60, 46, 60, 16});
    label_treble->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    for (QLabel *label : {label_bass, label_treble}) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, QColor(0x80, 0x80, 0x80));  // an inactive caption's grey
        label->setPalette(palette);
    }
    label_rchannel = MakeLabel(page, "label_rchannel", QStringLiteral("Right Channel:"), {8, 190, 120, 16});

    for (int k = 0; k < kSlidersPerChannel; ++k) {
        MakeColumn(page, QStringLiteral("l"), k, kLeftRowTop, tb_l[size_t(k)], edit_l[size_t(k)]);
        MakeColumn(page, QStringLiteral("r"), k, kRightRowTop, tb_r[size_t(k)], edit_r[size_t(k)]);
    }

    button_loadeqsettings =
        MakeButton(page, "button_loadeqsettings", QStringLiteral("&Load Equalizer Settings..."), {8, 340, 180, 26});
    button_saveeqsettings =
        MakeButton(page, "button_saveeqsettings", QStringLiteral("&Save Equalizer Settings..."), {196, 340, 180, 26});
    button_eqdefault =
        MakeButton(page, "button_eqdefault", QStringLiteral("&Default Equalizer Settings"), {384, 340, 196, 26});

    // The switch is off until the configuration is read.
    EnableEqualizerControls(false);
}

void Tform_modifyaudiosettings::ConnectEqualizerHandlers()
{
    for (int i = 0; i < kSliderCount; ++i)
        connect(new SliderUserMoves(EqualizerSlider(i)), &SliderUserMoves::Moved, this,
                &Tform_modifyaudiosettings::EqualizerChange);
    connect(checkbox_enableequalizer, &QCheckBox::toggled, this,
            &Tform_modifyaudiosettings::checkbox_enableequalizerClick);
    connect(button_eqdefault, &QPushButton::clicked, this, &Tform_modifyaudiosettings::button_eqdefaultClick);
    connect(button_loadeqsettings, &QPushButton::clicked, this, &Tform_modifyaudiosettings::button_loadeqsettingsClick);
    connect(button_saveeqsettings, &QPushButton::clicked, this, &Tform_modifyaudiosettings::button_saveeqsettingsClick);
}

QSlider *Tform_modifyaudiosettings::EqualizerSlider(int fileIndex) const
{
    if (fileIndex < 0 || fileIndex >= kSliderCount)
        return nullptr;
    return fileIndex < kSlidersPerChannel ? tb_l[size_t(fileIndex)] : tb_r[size_t(fileIndex - kSlidersPerChannel)];
}

QLineEdit *Tform_modifyaudiosettings::EqualizerEdit(int fileIndex) const
{
    if (fileIndex < 0 || fileIndex >= kSliderCount)
        return nullptr;
    return fileIndex < kSlidersPerChannel ? edit_l[size_t(fileIndex)] : edit_r[size_t(fileIndex - kSlidersPerChannel)];
}

EqualizerPositions Tform_modifyaudiosettings::SliderPositions() const
{
    EqualizerPositions positions{};
    for (int i = 0; i < kSliderCount; ++i)
        positions[size_t(i)] = EqualizerSlider(i)->value();
    return positions;
}

void Tform_modifyaudiosettings::ShowBandValues()
{
    for (int i = 0; i < kSliderCount; ++i)
        EqualizerEdit(i)->setText(QString::number(BandValue(EqualizerSlider(i)->value())));
}

// ---- Apply, report, switch -----------------------------------------------------------------------------

void Tform_modifyaudiosettings::EqualizerChange()
{
    if (checkbox_both->isChecked())
        for (int k = 0; k < kSlidersPerChannel; ++k)
            tb_r[size_t(k)]->setValue(tb_l[size_t(k)]->value());
    TXaudioPlayer *player = Player();
    if (!player)
        return;
    const XA_EqualizerInfo record = BuildEqualizerRecord(SliderPositions());
    player->SetCodecEqualizer(&record);
    player->GetCodecEqualizer();
}

void Tform_modifyaudiosettings::ShowEqualizer(const XA_EqualizerInfo &equalizer)
{
    const EqualizerPositions positions = PositionsFromRecord(equalizer);
    for (int i = 0; i < kSliderCount; ++i)
        EqualizerSlider(i)->setValue(positions[size_t(i)]);
    ShowBandValues();
}

void Tform_modifyaudiosettings::checkbox_enableequalizerClick()
{
    const bool on = checkbox_enableequalizer->isChecked();
    EqualizerSwitch() = on;
    if (on) {
        EqualizerChange();
    } else if (TXaudioPlayer *player = Player()) {
        player->SetCodecEqualizer(nullptr);
    }
    EnableEqualizerControls(on);
}

void Tform_modifyaudiosettings::EnableEqualizerControls(bool enabled)
{
    for (QWidget *control :
         std::initializer_list<QWidget *>{button_loadeqsettings, button_saveeqsettings, button_eqdefault, checkbox_both,
                                          label_lchannel, label_rchannel, label_bass, label_treble})
        control->setEnabled(enabled);
    for (int i = 0; i < kSliderCount; ++i) {
        EqualizerSlider(i)->setEnabled(enabled);
        EqualizerEdit(i)->setEnabled(enabled);
    }
}

void Tform_modifyaudiosettings::button_eqdefaultClick()
{
    for (int i = 0; i < kSliderCount; ++i)
        EqualizerSlider(i)->setValue(0);
    EqualizerChange();
}

// ---- Files ---------------------------------------------------------------------------------------------

QString Tform_modifyaudiosettings::EqualizerFolder() const { return configurationFolder(); }

void Tform_modifyaudiosettings::button_loadeqsettingsClick()
{
    const QString name = Shell::openFileDialog(QString(), EqualizerFolder(), kFilter, this);
    if (!name.isEmpty())
        LoadEQSettings(name);
}

void Tform_modifyaudiosettings::button_saveeqsettingsClick()
{
    const QString name = Shell::saveFileDialog(QString(), EqualizerFolder(), kFilter, this);
    if (!name.isEmpty())
        SaveEQSettings(WithEqsExtension(name));
}

void Tform_modifyaudiosettings::LoadEQSettings(const QString &FileName)
{
    const EqsRead read = ReadEqsFile(FileName);
    if (!read.opened) {
        Shell::errorBox(LoadFailedText(FileName), this);
        return;
    }
    // The lines read are set in file order; a file that ends early or holds a line that is no whole number
    // leaves the later sliders where they were.
    for (int i = 0; i < read.contents.count; ++i)
        EqualizerSlider(i)->setValue(ClampPosition(read.contents.values[size_t(i)]));
    if (!read.contents.complete())
        Shell::errorBox(ReadFailedText(FileName), this);
    ShowBandValues();
    if (EqualizerSwitch())
        EqualizerChange();
}

QString Tform_modifyaudiosettings::WriteEQSettings(const QString &FileName)
{
    return WriteEqsFile(FileName, SliderPositions()).isEmpty() ? QString() : SaveFailedText(FileName);
}

void Tform_modifyaudiosettings::SaveEQSettings(const QString &FileName)
{
    const QString failure = WriteEQSettings(FileName);
    if (!failure.isEmpty())
        Shell::errorBox(failure, this);
}
