#include "app/ui/form_about.h"

#include "app/ui/program_icon.h"
#include "app/ui/window_placement.h"
#include "config/texts.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

Tform_about *form_about = nullptr;

Tform_about::Tform_about(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("form_about"));
    setWindowTitle(QStringLiteral("About DAK-MP3..."));
    setWindowIcon(ProgramIcon());
    setModal(false);

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(ProgramIcon().pixmap(32, 32));

    label_name = new QLabel(texts::kProgramName, this);
    label_name->setObjectName(QStringLiteral("label_name"));
    QFont big = label_name->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.6);
    label_name->setFont(big);

    label_version = new QLabel(QStringLiteral("Version %1").arg(QStringLiteral(DAK_VERSION)), this);
    label_version->setObjectName(QStringLiteral("label_version"));

    label_credits =
        new QLabel(QStringLiteral("An MP3 player and jukebox by the DAK-MP3 developers, decoding with libmpg123, "
                                  "drawn with Qt."),
                   this);
    label_credits->setObjectName(QStringLiteral("label_credits"));
    label_credits->setWordWrap(true);

    button_ok = new QPushButton(QStringLiteral("&OK"), this);
    button_ok->setObjectName(QStringLiteral("button_ok"));
    button_ok->setDefault(true);
    connect(button_ok, &QPushButton::clicked, this, &Tform_about::button_okClick);

    auto *heading = new QHBoxLayout;
    heading->addWidget(Image1);
    heading->addWidget(label_name, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(button_ok);
    buttons->addStretch(1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(heading);
    layout->addWidget(label_version);
    layout->addWidget(label_credits);
    layout->addLayout(buttons);
    setFixedWidth(320);
}

void Tform_about::ShowAbout()
{
    if (!m_placed) {
        adjustSize();
        CenterOnScreen(this);
        m_placed = true;
    }
    show();
    raise();
    activateWindow();
}

void Tform_about::button_okClick() { hide(); }
