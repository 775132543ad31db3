#include "app/ui/panel_docking.h"

#include "platform/desktop/taskbar_entry.h"

#include <QApplication>
#include <QFrame>
#include <QMouseEvent>
#include <QRubberBand>
#include <QVBoxLayout>

PanelDocking::PanelDocking(QWidget *site) : QObject(site), m_site(site) { }

PanelDocking::~PanelDocking()
{
    // Floating windows have no parent; they and the panels in them go with the site.
    for (Entry &e : m_entries) {
        if (e.floatingWindow)
            delete e.floatingWindow.data();
    }
    delete m_outline;
}

void PanelDocking::AddPanel(QFrame *panel, QWidget *handle)
{
    m_entries.push_back({panel, handle, nullptr});
    handle->installEventFilter(this);
}

PanelDocking::Entry *PanelDocking::Find(const QObject *handleOrWindow)
{
    for (Entry &e : m_entries) {
        if (e.handle == handleOrWindow || (e.floatingWindow && e.floatingWindow == handleOrWindow))
            return &e;
    }
    return nullptr;
}

const PanelDocking::Entry *PanelDocking::FindPanel(const QFrame *panel) const
{
    for (const Entry &e : m_entries) {
        if (e.panel == panel)
            return &e;
    }
    return nullptr;
}

bool PanelDocking::IsFloating(const QFrame *panel) const { return FloatingWindow(panel) != nullptr; }

QWidget *PanelDocking::FloatingWindow(const QFrame *panel) const
{
    const Entry *e = FindPanel(panel);
    return e ? e->floatingWindow.data() : nullptr;
}

bool PanelDocking::DropsOnSite(const QPoint &globalPos) const
{
    return m_site->isVisible() && m_site->frameGeometry().contains(globalPos);
}

void PanelDocking::Float(QFrame *panel, const QRect &globalRect)
{
    auto *e = const_cast<Entry *>(FindPanel(panel));
    if (!e)
        return;
    if (e->floatingWindow) {
        e->floatingWindow->move(globalRect.topLeft());
        return;
    }
    auto *window = new QWidget(nullptr, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    window->setWindowTitle(m_site->windowTitle());
    window->setWindowIcon(m_site->windowIcon());
    window->setFont(m_site->font());  // the panel keeps the look it had in the site
    auto *layout = new QVBoxLayout(window);
    layout->setContentsMargins(0, 0, 0, 0);
    const QSize size = globalRect.size().isEmpty() ? panel->size() : globalRect.size();
    panel->setParent(window);
    layout->addWidget(panel);
    panel->show();
    window->installEventFilter(this);
    e->floatingWindow = window;
    window->resize(size);
    window->move(globalRect.topLeft());
    window->winId();
    SetSkipTaskbar(window, true);  // a panel of the main window, not a window of its own in the taskbar
    window->show();
    Q_EMIT PanelFloated(panel);
}

void PanelDocking::Dock(QFrame *panel)
{
    auto *e = const_cast<Entry *>(FindPanel(panel));
    if (!e)
        return;
    if (QWidget *window = e->floatingWindow) {
        e->floatingWindow = nullptr;
        window->removeEventFilter(this);
        panel->setParent(m_site);  // hidden until the site lays it out
        window->hide();
        window->deleteLater();
    }
    Q_EMIT PanelDocked(panel);
}

void PanelDocking::Drop(QFrame *panel, const QPoint &globalPos, const QRect &outline)
{
    if (DropsOnSite(globalPos))
        Dock(panel);
    else
        Float(panel, outline);
}

bool PanelDocking::eventFilter(QObject *watched, QEvent *event)
{
    Entry *e = Find(watched);
    if (!e)
        return false;

    if (event->type() == QEvent::Close && e->floatingWindow == watched) {
        event->ignore();
        QFrame *panel = e->panel;
        QMetaObject::invokeMethod(
            this, [this, panel] { Dock(panel); }, Qt::QueuedConnection);
        return true;
    }
    if (watched != e->handle)
        return false;

    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        auto *me = static_cast<QMouseEvent *>(event);
        if (me->button() != Qt::LeftButton)
            return false;
        m_pressedPanel = e->panel;
        m_pressGlobal = me->globalPosition().toPoint();
        m_startRect = QRect(e->panel->mapToGlobal(QPoint(0, 0)), e->panel->size());
        m_dragging = false;
        return true;
    }
    case QEvent::MouseMove: {
        auto *me = static_cast<QMouseEvent *>(event);
        if (m_pressedPanel != e->panel || !(me->buttons() & Qt::LeftButton))
            return false;
        const QPoint delta = me->globalPosition().toPoint() - m_pressGlobal;
        if (!m_dragging && delta.manhattanLength() < QApplication::startDragDistance())
            return true;
        if (!m_dragging) {
            m_dragging = true;
            if (!m_outline)
                m_outline = new QRubberBand(QRubberBand::Rectangle);
        }
        m_outline->setGeometry(m_startRect.translated(delta));
        m_outline->show();
        return true;
    }
    case QEvent::MouseButtonRelease: {
        auto *me = static_cast<QMouseEvent *>(event);
        if (me->button() != Qt::LeftButton || m_pressedPanel != e->panel)
            return false;
        const bool dragged = m_dragging;
        m_pressedPanel = nullptr;
        m_dragging = false;
        if (!dragged)
            return false;
        m_outline->hide();
        // The panel changes its parent; do that after this event has been delivered.
        QFrame *panel = e->panel;
        const QPoint at = me->globalPosition().toPoint();
        const QRect outline = m_startRect.translated(at - m_pressGlobal);
        QMetaObject::invokeMethod(
            this, [this, panel, at, outline] { Drop(panel, at, outline); }, Qt::QueuedConnection);
        return true;
    }
    default:
        return false;
    }
}
