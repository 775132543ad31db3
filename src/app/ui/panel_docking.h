#pragma once
// Panels that can be dragged off a window into floating windows of their own and dropped back.
//
// A drag starts when the left button goes down on a panel's handle (the panel itself, or a title strip)
// and the mouse moves the desktop's drag distance. While dragging, an outline of the panel follows the
// mouse. Released over the dock site (the window the panels belong to) the panel docks back; released
// anywhere else it floats there. A floating panel is dragged the same way, and closing its window docks it
// back, so no panel gets lost.
//
// Clicks on the panel's own controls (buttons, sliders) are theirs and start no drag; text labels pass the
// mouse on to the panel, as its background does.

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>

#include <vector>

class QFrame;
class QRubberBand;
class QWidget;

class PanelDocking : public QObject {
    Q_OBJECT
public:
    // `site` is the window the panels are docked in.
    explicit PanelDocking(QWidget *site);
    ~PanelDocking() override;

    // Makes `panel` draggable by `handle` (the panel itself or one of its children).
    void AddPanel(QFrame *panel, QWidget *handle);

    bool IsFloating(const QFrame *panel) const;
    // The window holding a floating panel, or nullptr while it is docked.
    QWidget *FloatingWindow(const QFrame *panel) const;

    // Moves the panel into a floating window whose panel area covers `globalRect`, or moves the floating
    // window there. Emits PanelFloated the first time.
    void Float(QFrame *panel, const QRect &globalRect);
    // Puts a floating panel back into the site and emits PanelDocked; the site lays it out.
    void Dock(QFrame *panel);

    // Where a drag released at `globalPos` drops its panel: true for the site.
    bool DropsOnSite(const QPoint &globalPos) const;

Q_SIGNALS:
    void PanelFloated(QFrame *panel);
    // A panel was dropped onto the site: docked back from a floating window, or dragged and released
    // there while docked.
    void PanelDocked(QFrame *panel);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct Entry {
        QFrame *panel = nullptr;
        QWidget *handle = nullptr;
        QPointer<QWidget> floatingWindow;
    };
    Entry *Find(const QObject *handleOrWindow);
    const Entry *FindPanel(const QFrame *panel) const;
    void Drop(QFrame *panel, const QPoint &globalPos, const QRect &outline);

    QWidget *m_site;
    std::vector<Entry> m_entries;

    // The drag in progress.
    QFrame *m_pressedPanel = nullptr;
    QPoint m_pressGlobal;
    QRect m_startRect;  // the panel's global rectangle when the button went down
    bool m_dragging = false;
    QRubberBand *m_outline = nullptr;
};
