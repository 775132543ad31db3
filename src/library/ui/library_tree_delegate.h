#pragma once
// How the library tree draws and edits its nodes. A node without a picture of its own shows the set picture
// at the top level and the song picture below it (so a hundred thousand nodes need not each carry one). A
// node whose state image index (an int under the state role) is 1 or more, and names a loaded state image,
// shows that picture in front of its own; 0, -1 and no value show none. When the user accepts an edited label, the edited handler hears of it while the node
// still holds its old text; the new text is stored only when the handler agrees.

#include <QHash>
#include <QList>
#include <QPixmap>
#include <QStyledItemDelegate>

#include <functional>

namespace library {

class LibraryTreeDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    // Returns whether the node takes the new text.
    using EditedHandler = std::function<bool(const QModelIndex &node, const QString &newText)>;

    LibraryTreeDelegate(int stateRole, QObject *parent = nullptr);

    void setNodeIcons(const QIcon &setIcon, const QIcon &songIcon);
    void setStateImages(const QList<QPixmap> &stateImages);
    void setEditedHandler(EditedHandler handler) { m_edited = std::move(handler); }

    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;
    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void destroyEditor(QWidget *editor, const QModelIndex &index) const override;
    // Whether a label is being edited.
    bool isEditing() const { return m_openEditors > 0; }

protected:
    void initStyleOption(QStyleOptionViewItem *option, const QModelIndex &index) const override;

private:
    QIcon StateAndNodeIcon(int state, const QIcon &nodeIcon, const QSize &size) const;

    int m_stateRole;
    QIcon m_setIcon;
    QIcon m_songIcon;
    QList<QPixmap> m_stateImages;
    EditedHandler m_edited;
    mutable QHash<QPair<int, qint64>, QIcon> m_combined;
    mutable int m_openEditors = 0;
};

}  // namespace library
