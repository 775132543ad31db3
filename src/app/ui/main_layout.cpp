// The main window's panels and controls, the display styles, the resize rule, docking and always on top.

#include "app/ui/auto_size_labels.h"
#include "app/ui/panel_docking.h"
#include "app/ui/slider_user_moves.h"
#include "app/ui/form_main.h"
#include "config/texts.h"
#include "platform/desktop/taskbar_entry.h"

#include <QLabel>
#include <QMenu>
#include <QResizeEvent>
#include <QSlider>
#include <QStyle>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <QWindow>

namespace {

QFrame *NewPanel(QWidget *parent, const char *name)
{
    auto *panel = new QFrame(parent);
    panel->setObjectName(QString::fromLatin1(name));
    panel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    return panel;
}

QLabel *NewLabel(QWidget *parent, const char *name, const QString &text, const QString &hint, int left, int top)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setToolTip(hint);
    label->move(left, top);
    return label;
}

constexpr int kButtonSize = 29;
constexpr int kButtonTop = 4;

}  // namespace

void Tform_main::CreatePanels()
{
    m_autoSizeLabels = new AutoSizeLabels(this);
    m_docking = new PanelDocking(this);
    connect(m_docking, &PanelDocking::PanelFloated, this, [this](QFrame *panel) {
        for (int p = 0; p < WindowLayout::PanelCount; ++p) {
            if (Panel(static_cast<WindowLayout::Panel>(p)) == panel)
                m_layout.SetFloating(static_cast<WindowLayout::Panel>(p), true);
        }
        m_layout.Restack(width(), height());
        ApplyLayout();
    });
    connect(m_docking, &PanelDocking::PanelDocked, this, [this](QFrame *panel) {
        for (int p = 0; p < WindowLayout::PanelCount; ++p) {
            if (Panel(static_cast<WindowLayout::Panel>(p)) == panel)
                m_layout.SetFloating(static_cast<WindowLayout::Panel>(p), false);
        }
        FormDockDrop();
    });

    CreateTimePanel();
    CreateSongInfoPanel();
    CreateLibraryPanel();
    CreateControlsPanel();

    m_docking->AddPanel(panel_time, panel_time);
    m_docking->AddPanel(panel_songinfo, panel_songinfo);
    m_docking->AddPanel(panel_songlibrary, label_treeviewdock);
    m_docking->AddPanel(panel_controls, panel_controls);

    for (QWidget *w : std::initializer_list<QWidget *>{
             panel_time, panel_songinfo, panel_songlibrary, panel_controls, trackbar_song, label_setname,
             label_songtitle, label_filename, label_songdata, Image1, button_alwaysontop, button_hide, button_exit,
             speedbutton_play, speedbutton_pause, speedbutton_stop, speedbutton_previoussong, speedbutton_nextsong})
        UsePopupMenu(w);
    // The style button has no context menu of its own and does not pass right clicks to the panel.
    button_toggledisplaystyle->setContextMenuPolicy(Qt::PreventContextMenu);
    // The library tree has its own popup menu, connected by the library; until then a right click on it
    // opens nothing.
    treeview_songlibrary->setContextMenuPolicy(Qt::CustomContextMenu);
}

void Tform_main::CreateTimePanel()
{
    panel_time = NewPanel(this, "panel_time");

    trackbar_song = new QSlider(Qt::Horizontal, panel_time);
    trackbar_song->setObjectName(QStringLiteral("trackbar_song"));
    trackbar_song->setGeometry(0, 4, 317, 21);
    trackbar_song->setRange(0, 30);
    trackbar_song->setTickPosition(QSlider::NoTicks);
    trackbar_song->setCursor(Qt::SizeHorCursor);
    // Only the user's moves reach the handler, not the positions the player reports.
    connect(new SliderUserMoves(trackbar_song), &SliderUserMoves::Moved, this, &Tform_main::trackbar_songChange);

    label_length = NewLabel(panel_time, "label_length", QStringLiteral("00:00:00"),
                            QStringLiteral("The current song's length"), 316, 4);
    label_currenttime = NewLabel(panel_time, "label_currenttime", QStringLiteral("00:00:00"),
                                 QStringLiteral("The current song time"), 4, 24);
    m_autoSizeLabels->Add(label_length);
    m_autoSizeLabels->Add(label_currenttime);
}

void Tform_main::CreateSongInfoPanel()
{
    panel_songinfo = NewPanel(this, "panel_songinfo");
    label_setname = NewLabel(panel_songinfo, "label_setname", texts::kSetUnknown,
                             QStringLiteral("The name of the set the current song maybe in"), 4, 6);
    label_songtitle = NewLabel(panel_songinfo, "label_songtitle", texts::kTitleUnknown,
                               QStringLiteral("The current song's title"), 4, 22);
    label_filename = NewLabel(panel_songinfo, "label_filename", texts::kFilenameUnknown,
                              QStringLiteral("The current song's filename"), 4, 38);
    label_songdata = NewLabel(panel_songinfo, "label_songdata", texts::kAudioDataUnknown,
                              QStringLiteral("The current song's sound data"), 4, 54);
    for (QLabel *label : {label_setname, label_songtitle, label_filename, label_songdata})
        m_autoSizeLabels->Add(label);
}

void Tform_main::CreateLibraryPanel()
{
    panel_songlibrary = NewPanel(this, "panel_songlibrary");
    auto *layout = new QVBoxLayout(panel_songlibrary);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    // The title strip by which the panel is dragged off and back.
    label_treeviewdock = new QLabel(QStringLiteral("Drag&Dock the Song Library here."), panel_songlibrary);
    label_treeviewdock->setObjectName(QStringLiteral("label_treeviewdock"));
    label_treeviewdock->setFixedHeight(13);
    label_treeviewdock->setAutoFillBackground(true);
    QPalette strip = label_treeviewdock->palette();
    strip.setColor(QPalette::Window, palette().color(QPalette::Active, QPalette::Highlight));
    strip.setColor(QPalette::WindowText, Qt::white);
    label_treeviewdock->setPalette(strip);
    layout->addWidget(label_treeviewdock);

    treeview_songlibrary = new QTreeWidget(panel_songlibrary);
    treeview_songlibrary->setObjectName(QStringLiteral("treeview_songlibrary"));
    treeview_songlibrary->setHeaderHidden(true);
    layout->addWidget(treeview_songlibrary, 1);
}

void Tform_main::CreateControlsPanel()
{
    panel_controls = NewPanel(this, "panel_controls");

    Image1 = new QLabel(panel_controls);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(4, kButtonTop, kButtonSize, kButtonSize);
    Image1->setAlignment(Qt::AlignCenter);
    Image1->setToolTip(QStringLiteral("About DAK-MP3..."));
    Image1->installEventFilter(this);
    SetImage1Icon(m_image1Icon);

    auto button = [this](const char *name, int left, QStyle::StandardPixmap glyph, const QString &hint) {
        auto *b = new QToolButton(panel_controls);
        b->setObjectName(QString::fromLatin1(name));
        b->setGeometry(left, kButtonTop, kButtonSize, kButtonSize);
        b->setAutoRaise(true);
        b->setIcon(style()->standardIcon(glyph));
        b->setToolTip(hint);
        return b;
    };
    button_alwaysontop = button("button_alwaysontop", 40, QStyle::SP_ArrowUp, QStringLiteral("Toggle 'always on top'"));
    button_alwaysontop->setCheckable(true);
    button_toggledisplaystyle = button("button_toggledisplaystyle", 76, QStyle::SP_TitleBarNormalButton,
                                       QStringLiteral("Toggle Display Style"));
    button_hide = button("button_hide", 112, QStyle::SP_TitleBarMinButton, QStringLiteral("Hide Window"));
    button_exit = button("button_exit", 148, QStyle::SP_TitleBarCloseButton, QStringLiteral("Exit [CTRL+X]"));

    bevel_leftline = new QFrame(panel_controls);
    bevel_leftline->setObjectName(QStringLiteral("bevel_leftline"));
    bevel_leftline->setFrameStyle(QFrame::VLine | QFrame::Sunken);
    bevel_leftline->setGeometry(182, kButtonTop, 5, 28);

    speedbutton_play = button("speedbutton_play", 190, QStyle::SP_MediaPlay, QStringLiteral("Play [CTRL+Y]"));
    speedbutton_pause = button("speedbutton_pause", 226, QStyle::SP_MediaPause, QStringLiteral("Pause [CTRL+A]"));
    speedbutton_stop = button("speedbutton_stop", 262, QStyle::SP_MediaStop, QStringLiteral("Stop [CTRL+S]"));
    speedbutton_previoussong =
        button("speedbutton_previoussong", 298, QStyle::SP_MediaSkipBackward, QStringLiteral("Previous Song [CTRL+P]"));
    speedbutton_nextsong =
        button("speedbutton_nextsong", 334, QStyle::SP_MediaSkipForward, QStringLiteral("Next Song [CTRL+N]"));

    connect(button_alwaysontop, &QToolButton::clicked, this, &Tform_main::button_alwaysontopClick);
    connect(button_toggledisplaystyle, &QToolButton::clicked, this, &Tform_main::button_toggledisplaystyleClick);
    connect(button_hide, &QToolButton::clicked, this, &Tform_main::button_hideClick);
    connect(button_exit, &QToolButton::clicked, this, &Tform_main::button_exitClick);
    connect(speedbutton_play, &QToolButton::clicked, this, &Tform_main::speedbutton_playClick);
    connect(speedbutton_pause, &QToolButton::clicked, this, &Tform_main::speedbutton_pauseClick);
    connect(speedbutton_stop, &QToolButton::clicked, this, &Tform_main::speedbutton_stopClick);
    connect(speedbutton_previoussong, &QToolButton::clicked, this, &Tform_main::speedbutton_previoussongClick);
    connect(speedbutton_nextsong, &QToolButton::clicked, this, &Tform_main::speedbutton_nextsongClick);
}

QFrame *Tform_main::Panel(WindowLayout::Panel which) const
{
    switch (which) {
    case WindowLayout::Time:
        return panel_time;
    case WindowLayout::Info:
        return panel_songinfo;
    case WindowLayout::Library:
        return panel_songlibrary;
    case WindowLayout::Controls:
        return panel_controls;
    default:
        return nullptr;
    }
}

void Tform_main::UsePopupMenu(QWidget *widget)
{
    widget->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(widget, &QWidget::customContextMenuRequested, this,
            [this, widget](const QPoint &pos) { popupmenu1->popup(widget->mapToGlobal(pos)); });
}

// ---- Display styles and the resize rule -----------------------------------------------------------

void Tform_main::ApplyLayout()
{
    m_inLayout = true;
    const int width = m_layout.ClientWidth();
    for (int p = 0; p < WindowLayout::PanelCount; ++p) {
        const auto which = static_cast<WindowLayout::Panel>(p);
        if (m_layout.Floating(which))
            continue;
        QFrame *panel = Panel(which);
        const int height = m_layout.Height(which);
        if (height > 0) {
            panel->setGeometry(0, m_layout.Top(which), width, height);
            panel->show();
        } else {
            panel->hide();
        }
    }
    // Let the window manager offer only the heights the rule would keep: any height from the minimum up
    // in style 0, one height in the other styles.
    const int clientHeight = m_layout.ClientHeight();
    if (m_layout.HeightAdjustable()) {
        setMinimumHeight(m_layout.MinimumClientHeight());
        setMaximumHeight(QWIDGETSIZE_MAX);
    } else {
        setMinimumHeight(clientHeight);
        setMaximumHeight(clientHeight);
    }
    if (size() != QSize(width, clientHeight))
        resize(width, clientHeight);
    m_inLayout = false;
}

void Tform_main::FormResize(bool fromToggle)
{
    m_layout.Resize(width(), height(), fromToggle);
    ApplyLayout();
}

void Tform_main::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (!m_inLayout)
        FormResize();
}

void Tform_main::button_toggledisplaystyleClick()
{
    m_layout.Toggle(width(), height());
    ApplyLayout();
}

void Tform_main::RestoreDisplayStyle(int storedStyle)
{
    m_layout.SetDisplayStyle(WindowLayout::StyleBeforeRestore(storedStyle));
    button_toggledisplaystyleClick();
}

// ---- Docking --------------------------------------------------------------------------------------

void Tform_main::FloatPanel(QFrame *panel, const QRect &globalRect) { m_docking->Float(panel, globalRect); }

void Tform_main::DockPanel(QFrame *panel) { m_docking->Dock(panel); }

void Tform_main::FormDockDrop()
{
    m_layout.DockDrop(width(), height());
    ApplyLayout();
}

// ---- Always on top --------------------------------------------------------------------------------

void Tform_main::button_alwaysontopClick()
{
    m_alwaysOnTop = !m_alwaysOnTop;
    button_alwaysontop->setChecked(m_alwaysOnTop);
    ApplyWindowFlags();
}

void Tform_main::ApplyWindowFlags()
{
    // A sizeable frame with a title but no system menu and so no close box; a tool window, which gets no
    // taskbar entry, while the tray icon stands for the program.
    Qt::WindowFlags flags = Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    flags |= m_tray->InUse() ? Qt::Tool : Qt::Window;
    if (m_alwaysOnTop)
        flags |= Qt::WindowStaysOnTopHint;
    if (flags == windowFlags())
        return;
    SetSkipTaskbar(this, m_tray->InUse());
    if (QWindow *window = windowHandle()) {
        // Change the flags of the existing window in place; setWindowFlags() would hide it.
        overrideWindowFlags(flags);
        window->setFlags(flags);
    } else {
        setWindowFlags(flags);
    }
}
