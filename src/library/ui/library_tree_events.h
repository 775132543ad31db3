#pragma once
// The library tree's mouse, key and drag events, handed to the main window's handlers. Installed on a tree
// view, it watches the view (keys) and its viewport (mouse presses, drags and drops):
// - a mouse press is reported and then handled by the view as usual (selection, drag start, editing);
// - Enter and Return, and Delete, go to the key handler instead of the view, except while a label is being
//   edited (the edit field does not take Enter, which then passes on to the view: it ends the edit there);
// - a drag is accepted over the view when the drag-over handler accepts its source, and a drop goes to the
//   drop handler. The drop is answered as a copy, so the view a drag came from never removes the dragged
//   rows: the drop handler alone decides what moves.

#include <QObject>
#include <QPoint>

#include <functional>

class QTreeView;
class QWidget;

namespace library {

class LibraryTreeEvents : public QObject {
    Q_OBJECT
public:
    struct Handlers {
        std::function<void(Qt::MouseButton, const QPoint &)> mouseDown;
        std::function<void(int key)> keyDown;
        std::function<bool(const QObject *source)> dragOver;
        std::function<void(const QPoint &)> dragDrop;
        std::function<bool()> editing;  // whether a label is being edited
    };

    LibraryTreeEvents(QTreeView *tree, Handlers handlers);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QTreeView *m_tree;
    // Kept from the start: while the view is being destroyed its viewport still gets events, and by then the
    // view can no longer be asked for it.
    QWidget *m_viewport;
    Handlers m_handlers;
};

}  // namespace library
