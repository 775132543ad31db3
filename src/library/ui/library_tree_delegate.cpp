#include "library/ui/library_tree_delegate.h"

#include <QIcon>
#include <QLineEdit>
#include <QPainter>

namespace library {

LibraryTreeDelegate::LibraryTreeDelegate(int stateRole, QObject *parent)
    : QStyledItemDelegate(parent), m_stateRole(stateRole)
{ }

void LibraryTreeDelegate::setNodeIcons(const QIcon &setIcon, const QIcon &songIcon)
{
    m_setIcon = setIcon;
    m_songIcon = songIcon;
    m_combined.clear();
}

void LibraryTreeDelegate::setStateImages(const QList<QPixmap> &stateImages)
{
    m_stateImages = stateImages;
    m_combined.clear();
}

void LibraryTreeDelegate::setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const
{
    const auto *line = qobject_cast<QLineEdit *>(editor);
    if (!line || !m_edited) {
        QStyledItemDelegate::setModelData(editor, model, index);
        return;
    }
    const QString text = line->text();
    if (m_edited(index, text))
        model->setData(index, text, Qt::EditRole);
}

QWidget *LibraryTreeDelegate::createEditor(QWidget *parent, const QStyleOptionViewItem &option,
                                           const QModelIndex &index) const
{
    QWidget *editor = QStyledItemDelegate::createEditor(parent, option, index);
    if (editor)
        ++m_openEditors;
    return editor;
}

void LibraryTreeDelegate::destroyEditor(QWidget *editor, const QModelIndex &index) const
{
    --m_openEditors;
    QStyledItemDelegate::destroyEditor(editor, index);
}

void LibraryTreeDelegate::initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const
{
    QStyledItemDelegate::initStyleOption(option, index);
    if (option->icon.isNull()) {
        option->icon = index.parent().isValid() ? m_songIcon : m_setIcon;
        if (!option->icon.isNull())
            option->features |= QStyleOptionViewItem::HasDecoration;
    }
    const QVariant value = index.data(m_stateRole);
    if (!value.isValid())
        return;
    const int state = value.toInt();
    if (state < 1 || state >= m_stateImages.size())
        return;
    const QSize size = option->decorationSize.isValid() ? option->decorationSize : QSize(16, 16);
    option->icon = StateAndNodeIcon(state, option->icon, size);
    option->decorationSize = QSize(size.width() * 2, size.height());
    option->features |= QStyleOptionViewItem::HasDecoration;
}

QIcon LibraryTreeDelegate::StateAndNodeIcon(int state, const QIcon &nodeIcon, const QSize &size) const
{
    const QPair<int, qint64> key(state, nodeIcon.cacheKey());
    if (const auto found = m_combined.constFind(key); found != m_combined.constEnd())
        return *found;
    // The state picture on the left, the node's own picture (as shown normally and when selected) on the right.
    QIcon combined;
    for (const QIcon::Mode mode : {QIcon::Normal, QIcon::Selected}) {
        QPixmap both(size.width() * 2, size.height());
        both.fill(Qt::transparent);
        QPainter painter(&both);
        painter.drawPixmap(QRect(QPoint(0, 0), size), m_stateImages.at(state));
        if (!nodeIcon.isNull())
            painter.drawPixmap(QRect(QPoint(size.width(), 0), size), nodeIcon.pixmap(size, mode));
        painter.end();
        combined.addPixmap(both, mode);
    }
    m_combined.insert(key, combined);
    return combined;
}

}  // namespace library
