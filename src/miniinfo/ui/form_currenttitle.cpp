#include "miniinfo/ui/form_currenttitle.h"

#include "miniinfo/miniinfo_rules.h"
#include "platform/desktop/note_window.h"

#include <QGuiApplication>
#include <QLabel>
#include <QTimer>
#include <QWindow>

Tform_currenttitle *form_currenttitle = nullptr;

namespace {

constexpr int kWidth = 292;
constexpr int kHeight = 39;
constexpr int kLabelHeight = 13;

QLabel *MakeLabel(QWidget *parent, const char *name, int top)
{
    auto *label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setGeometry(0, top, kWidth, kLabelHeight);
    return label;
}

}  // namespace

Tform_currenttitle::Tform_currenttitle(QWidget *parent) : QWidget(parent, NoteWindowFlags())
{
    setObjectName(QStringLiteral("form_currenttitle"));
    setWindowTitle(QStringLiteral("Current Title - DAK-MP3"));
    // Shown, it must leave the keyboard focus where the user works.
    KeepFocusAway(this);
    setFixedSize(kWidth, kHeight);

    QFont small(QStringLiteral("MS Sans Serif"));
    small.setPointSize(8);
    setFont(small);
    // The system's tooltip colours.
    QPalette colours = palette();
    colours.setColor(QPalette::Window, colours.color(QPalette::ToolTipBase));
    colours.setColor(QPalette::WindowText, colours.color(QPalette::ToolTipText));
    setPalette(colours);
    setAutoFillBackground(true);

    label_currentset = MakeLabel(this, "label_currentset", 0);
    label_currentsong = MakeLabel(this, "label_currentsong", kLabelHeight);
    label_CurrentTimeAndDuration = MakeLabel(this, "label_CurrentTimeAndDuration", 2 * kLabelHeight);

    timer_currenttitle = new QTimer(this);
    timer_currenttitle->setObjectName(QStringLiteral("timer_currenttitle"));
    timer_currenttitle->setSingleShot(true);
    timer_currenttitle->setInterval(m_countdown.interval());
    connect(timer_currenttitle, &QTimer::timeout, this, &Tform_currenttitle::timer_currenttitleTimer);
}

void Tform_currenttitle::PopUp(const QString &setName, const QString &title, int displayTime, const QRect &workArea)
{
    label_currentset->setText(setName);
    label_currentsong->setText(title);
    Apply(m_countdown.SetInterval(displayTime));
    if (!timer_currenttitle->isActive())
        timer_currenttitle->setInterval(qMax(0, m_countdown.interval()));
    move(miniinfo::MiniInfoPosition(workArea, size()));

    // The popup does not accept the focus; should a platform hand it over all the same, it goes back to
    // the window that had it.
    QWindow *focused = QGuiApplication::focusWindow();
    show();
    raise();
    if (focused && QGuiApplication::focusWindow() != focused && windowHandle() &&
        QGuiApplication::focusWindow() == windowHandle())
        focused->requestActivate();

    Apply(m_countdown.SetEnabled(true));
}

void Tform_currenttitle::timer_currenttitleTimer()
{
    Apply(m_countdown.SetEnabled(false));
    hide();
}

void Tform_currenttitle::Apply(miniinfo::CountdownRule::Action action)
{
    switch (action) {
    case miniinfo::CountdownRule::Action::None:
        break;
    case miniinfo::CountdownRule::Action::Start:
        timer_currenttitle->start(m_countdown.interval());
        break;
    case miniinfo::CountdownRule::Action::Stop:
        timer_currenttitle->stop();
        break;
    }
}
