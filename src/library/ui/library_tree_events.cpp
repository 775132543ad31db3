#include "library/ui/library_tree_events.h"

#include <QDragMoveEvent>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTreeView>

namespace library {

LibraryTreeEvents::LibraryTreeEvents(QTreeView *tree, Handlers handlers)
    : QObject(tree), m_tree(tree), m_viewport(tree->viewport()), m_handlers(std::move(handlers))
{
    tree->installEventFilter(this);
    m_viewport->installEventFilter(this);
}

bool LibraryTreeEvents::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_tree && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (m_handlers.editing && m_handlers.editing())
            return false;
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Delete) {
            if (m_handlers.keyDown)
                m_handlers.keyDown(key);
            return true;
        }
        return false;
    }
    if (watched != m_viewport)
        return false;

    switch (event->type()) {
    case QEvent::MouseButtonPress: {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (m_handlers.mouseDown)
            m_handlers.mouseDown(mouse->button(), mouse->position().toPoint());
        return false;
    }
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto *drag = static_cast<QDragMoveEvent *>(event);
        if (m_handlers.dragOver && m_handlers.dragOver(drag->source())) {
            drag->setDropAction(Qt::CopyAction);
            drag->accept();
        } else {
            drag->ignore();
        }
        return true;
    }
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(event);
        if (m_handlers.dragDrop)
            m_handlers.dragDrop(drop->position().toPoint());
        drop->setDropAction(Qt::CopyAction);
        drop->accept();
        return true;
    }
    default:
        return false;
    }
}

}  // namespace library
