#include "library/ui/form_manage.h"

#include "app/ui/window_placement.h"
#include "app/ui/form_main.h"
#include "library/ui/EditMP3Tag.h"
#include "library/shared_library.h"
#include "library/ui/form_newset.h"
#include "library/ui/form_progress.h"
#include "library/store/library_messages.h"
#include "library/store/library_paths.h"
#include "library/store/library_store.h"
#include "library/store/library_text.h"
#include "platform/shell/shell.h"
#include "tags/MP3Tag.h"
#include "widgets/DirTree.h"
#include "widgets/file_list_box.h"
#include "config/locations.h"

#include <QCoreApplication>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>
#include <QToolButton>

#include <algorithm>
#include <functional>
#include <utility>

Tform_manage *form_manage = nullptr;

namespace {

constexpr int kClientWidth = 686;
constexpr int kClientHeight = 465;
constexpr int kBottomPanelHeight = 49;
const QColor kTeal(0, 128, 128);

// A tool button that takes its standard icon when it is first shown: the style decodes every size of a
// standard icon at once (up to 128 pixels), a sizeable block of memory for a window that most runs never open.
class SpeedButton : public QToolButton {
public:
    SpeedButton(QWidget *parent, QStyle::StandardPixmap icon) : QToolButton(parent), m_standardIcon(icon) { }

protected:
    void showEvent(QShowEvent *event) override
    {
        if (icon().isNull())
            setIcon(style()->standardIcon(m_standardIcon));
        QToolButton::showEvent(event);
    }

private:
    QStyle::StandardPixmap m_standardIcon;
};

// Runs an action once, when a widget is first shown.
class FirstShow : public QObject {
public:
    FirstShow(QWidget *widget, std::function<void()> action) : QObject(widget), m_action(std::move(action))
    {
        widget->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && m_action) {
            watched->removeEventFilter(this);
            std::exchange(m_action, nullptr)();
        }
        return false;
    }

private:
    std::function<void()> m_action;
};

void OnFirstShow(QWidget *widget, std::function<void()> action) { new FirstShow(widget, std::move(action)); }

QToolButton *MakeSpeedButton(QWidget *parent, const char *name, const QString &hint, int left, int top,
                             QStyle::StandardPixmap icon)
{
    auto *button = new SpeedButton(parent, icon);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(left, top, 33, 33);
    button->setAutoRaise(true);  // flat
    button->setToolTip(hint);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

QPushButton *MakeButton(QWidget *parent, const char *name, const QString &caption, int left)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(left, 12, 180, 25);
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

// Whether a folder of `path` is a hidden (dot) one, as ~/.local is.
bool InHiddenFolder(const QString &path)
{
    const QStringList names = path.split(u'/', Qt::SkipEmptyParts);
    return std::any_of(names.begin(), names.end(),
                       [](const QString &name) { return name.startsWith(u'.') && name != u"." && name != u".."; });
}

bool IsEnter(int key) { return key == Qt::Key_Return || key == Qt::Key_Enter; }

}  // namespace

Tform_manage::Tform_manage(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowMinimizeButtonHint)
{
    setObjectName(QStringLiteral("form_manage"));
    setWindowTitle(QStringLiteral("Manage Library - DAK-MP3"));
    setModal(false);
    setFixedSize(kClientWidth, kClientHeight);
    // The controls' places and sizes were laid out for small 8-point text.
    QFont small = font();
    small.setPointSize(8);
    setFont(small);
    CreateControls();
    ConnectControls();
    ShowSets();
    ShowSongs();
    CenterOnScreen(this);
}

void Tform_manage::CreateControls()
{
    panel_top = new QFrame(this);
    panel_top->setObjectName(QStringLiteral("panel_top"));
    panel_top->setGeometry(0, 0, kClientWidth, kClientHeight - kBottomPanelHeight);
    panel_bottom = new QFrame(this);
    panel_bottom->setObjectName(QStringLiteral("panel_bottom"));
    panel_bottom->setGeometry(0, kClientHeight - kBottomPanelHeight, kClientWidth, kBottomPanelHeight);

    dirtree = new TDirTree(panel_top);
    dirtree->setObjectName(QStringLiteral("dirtree"));
    dirtree->setGeometry(8, 8, 309, 153);
    dirtree->SetReadOnStart(false);
    // Hidden (dot) folders are left out, as file managers do by default.
    dirtree->SetDirTypes({TDirType::dtReadOnly, TDirType::dtSystem, TDirType::dtArchive, TDirType::dtNormal});
    dirtree->SetGoBelowRecycleBin(false);
    dirtree->SetFastLoad(true);
    dirtree->SetInitialDirectory(QStringLiteral("./"));
    dirtree->SetDriveTypes(kAllDriveTypes);
    dirtree->SetShowShareOverlay(true);
    dirtree->SetAcceptDropFiles(false);
    dirtree->Loaded();

    filelistbox = new TFileListBox(panel_top);
    filelistbox->setObjectName(QStringLiteral("filelistbox"));
    filelistbox->setGeometry(8, 172, 309, 209);

    filtercombobox = new TFilterComboBox(panel_top);
    filtercombobox->setObjectName(QStringLiteral("filtercombobox"));
    filtercombobox->setGeometry(8, 388, 309, filtercombobox->sizeHint().height());
    filtercombobox->SetFilter(QStringLiteral("MP3 files (*.mp3)|*.mp3|All files (*.*)|*.*"));
    filtercombobox->SetFileList(filelistbox);

    using SP = QStyle::StandardPixmap;
    speedbutton_addset = MakeSpeedButton(panel_top, "speedbutton_addset", QStringLiteral("Add New Set"), 332, 8,
                                         SP::SP_FileDialogNewFolder);
    speedbutton_removeset = MakeSpeedButton(panel_top, "speedbutton_removeset", QStringLiteral("Remove Set"), 372, 8,
                                            SP::SP_DialogDiscardButton);
    speedbutton_renameset = MakeSpeedButton(panel_top, "speedbutton_renameset", QStringLiteral("Rename Set"), 332, 48,
                                            SP::SP_FileDialogDetailedView);
    speedbutton_setup =
        MakeSpeedButton(panel_top, "speedbutton_setup", QStringLiteral("Shift Set up"), 332, 88, SP::SP_ArrowUp);
    speedbutton_setdown =
        MakeSpeedButton(panel_top, "speedbutton_setdown", QStringLiteral("Shift Set down"), 332, 128, SP::SP_ArrowDown);
    speedbutton_addsong =
        MakeSpeedButton(panel_top, "speedbutton_addsong", QStringLiteral("Add Song"), 332, 172, SP::SP_ArrowRight);
    speedbutton_removesong = MakeSpeedButton(panel_top, "speedbutton_removesong", QStringLiteral("Remove Song"), 332,
                                             212, SP::SP_DialogCancelButton);
    speedbutton_renamesong = MakeSpeedButton(panel_top, "speedbutton_renamesong", QStringLiteral("Rename Song"), 332,
                                             252, SP::SP_FileDialogContentsView);
    speedbutton_mp3tag =
        MakeSpeedButton(panel_top, "speedbutton_mp3tag", QStringLiteral("Edit the selected song's MP3 Tag"), 332, 292,
                        SP::SP_FileDialogInfoView);
    speedbutton_songup =
        MakeSpeedButton(panel_top, "speedbutton_songup", QStringLiteral("Shift song up"), 332, 334, SP::SP_ArrowUp);
    speedbutton_songdown = MakeSpeedButton(panel_top, "speedbutton_songdown", QStringLiteral("Shift song down"), 332,
                                           376, SP::SP_ArrowDown);

    label_libtitle = new QLabel(QStringLiteral("Song Library"), panel_top);
    label_libtitle->setObjectName(QStringLiteral("label_libtitle"));
    QPalette teal = label_libtitle->palette();
    teal.setColor(QPalette::WindowText, kTeal);
    label_libtitle->setPalette(teal);
    label_libtitle->move(436, 8);
    // The large bold italic face is loaded when the window is first shown, not at every start.
    OnFirstShow(label_libtitle, [label = label_libtitle] {
        QFont title = label->font();
        title.setBold(true);
        title.setItalic(true);
        // 35 pixels high, or as near as the title still fits beside the set list's buttons.
        for (int pixels = 35; pixels > 12; --pixels) {
            title.setPixelSize(pixels);
            if (QFontMetrics(title).horizontalAdvance(label->text()) <= kClientWidth - 436 - 8)
                break;
        }
        label->setFont(title);
        label->adjustSize();
    });

    listbox_set = new QListWidget(panel_top);
    listbox_set->setObjectName(QStringLiteral("listbox_set"));
    listbox_set->setGeometry(372, 48, 305, 113);
    listbox_set->setSelectionMode(QAbstractItemView::SingleSelection);

    listbox_song = new QListWidget(panel_top);
    listbox_song->setObjectName(QStringLiteral("listbox_song"));
    listbox_song->setGeometry(372, 172, 305, 237);
    listbox_song->setSelectionMode(QAbstractItemView::ExtendedSelection);

    button_recreate = MakeButton(panel_bottom, "button_recreate", QStringLiteral("&Recreate Library Menu"), 156);
    button_close = MakeButton(panel_bottom, "button_close", QStringLiteral("&Close and recreate Library Menu"), 348);

    SearchResult = new QListWidget(this);
    SearchResult->setObjectName(QStringLiteral("SearchResult"));
    SearchResult->hide();

    mp3tag = new TMP3Tag(this);
    mp3tag->setObjectName(QStringLiteral("mp3tag"));
    library::SetUpManagerTag(*mp3tag);

    setTabOrder(dirtree, filelistbox);
    setTabOrder(filelistbox, filtercombobox);
    setTabOrder(filtercombobox, listbox_set);
    setTabOrder(listbox_set, listbox_song);
    setTabOrder(listbox_song, button_recreate);
    setTabOrder(button_recreate, button_close);
}

void Tform_manage::ConnectControls()
{
    connect(speedbutton_addset, &QToolButton::clicked, this, &Tform_manage::speedbutton_addsetClick);
    connect(speedbutton_removeset, &QToolButton::clicked, this, &Tform_manage::speedbutton_removesetClick);
    connect(speedbutton_renameset, &QToolButton::clicked, this, &Tform_manage::speedbutton_renamesetClick);
    connect(speedbutton_setup, &QToolButton::clicked, this, &Tform_manage::speedbutton_setupClick);
    connect(speedbutton_setdown, &QToolButton::clicked, this, &Tform_manage::speedbutton_setdownClick);
    connect(speedbutton_addsong, &QToolButton::clicked, this, &Tform_manage::speedbutton_addsongClick);
    connect(speedbutton_removesong, &QToolButton::clicked, this, &Tform_manage::speedbutton_removesongClick);
    connect(speedbutton_renamesong, &QToolButton::clicked, this, &Tform_manage::speedbutton_renamesongClick);
    connect(speedbutton_mp3tag, &QToolButton::clicked, this, &Tform_manage::speedbutton_mp3tagClick);
    connect(speedbutton_songup, &QToolButton::clicked, this, &Tform_manage::speedbutton_songupClick);
    connect(speedbutton_songdown, &QToolButton::clicked, this, &Tform_manage::speedbutton_songdownClick);
    connect(button_recreate, &QPushButton::clicked, this, &Tform_manage::button_recreateClick);
    connect(button_close, &QPushButton::clicked, this, &Tform_manage::button_closeClick);

    dirtree->OnChange = [this](TDirTree *, QTreeWidgetItem *node) { dirtreeChange(node); };

    // The user's choices in the lists become the working copy's selection.
    connect(listbox_set, &QListWidget::currentRowChanged, this, [this](int row) {
        if (m_showing || row < 0)
            return;
        Library().setSelectedSet(row);
        listbox_setClick();
    });
    connect(listbox_song, &QListWidget::currentRowChanged, this, [this](int row) {
        if (!m_showing)
            Library().setFocusedSong(row);
    });
    connect(listbox_song, &QListWidget::itemSelectionChanged, this, [this] {
        if (m_showing)
            return;
        QList<int> rows;
        for (const QModelIndex &index : listbox_song->selectionModel()->selectedRows())
            rows.append(index.row());
        Library().setSelectedSongs(rows);
    });

    // The lists show the working copy whoever changed it (this window, the tree, the menu, an import).
    LibraryStore &store = Library();
    connect(&store, &LibraryStore::setListChanged, this, &Tform_manage::ShowSets);
    connect(&store, &LibraryStore::songListChanged, this, &Tform_manage::ShowSongs);

    // Delete, Enter and double-clicks in the three lists.
    for (QListWidget *list : {listbox_set, listbox_song, static_cast<QListWidget *>(filelistbox)}) {
        list->installEventFilter(this);
        list->viewport()->installEventFilter(this);
    }
}

LibraryStore &Tform_manage::Library() const
{
    // The main window ties the working copy to its library folder setting.
    return form_main != nullptr ? form_main->Library() : library::SharedLibrary();
}

// ---- Showing the working copy

namespace {

// Fills a list with `lines` unless it holds them already: a list is never rebuilt under the user's click
// when only the selection changed.
void ShowLines(QListWidget *list, const QStringList &lines)
{
    bool same = list->count() == lines.size();
    for (int i = 0; same && i < list->count(); ++i)
        same = list->item(i)->text() == lines.at(i);
    if (same)
        return;
    list->clear();
    list->addItems(lines);
}

}  // namespace

void Tform_manage::ShowSets()
{
    const LibraryStore &store = Library();
    m_showing = true;
    ShowLines(listbox_set, store.setNames());
    if (store.selectedSet() >= 0)
        listbox_set->setCurrentRow(store.selectedSet());
    else
        listbox_set->setCurrentRow(-1);
    m_showing = false;
}

void Tform_manage::ShowSongs()
{
    const LibraryStore &store = Library();
    m_showing = true;
    ShowLines(listbox_song, store.songs());
    // The focused line has the caret whether or not it is selected.
    listbox_song->clearSelection();
    listbox_song->selectionModel()->setCurrentIndex(listbox_song->model()->index(store.focusedSong(), 0),
                                                    QItemSelectionModel::NoUpdate);
    for (const int row : store.selectedSongs())
        listbox_song->item(row)->setSelected(true);
    m_showing = false;
}

QString Tform_manage::SelectedSet() const
{
    const LibraryStore &store = Library();
    return HasSelectedSet() ? store.setNames().at(store.selectedSet()) : QString();
}

bool Tform_manage::HasFocusedSong() const
{
    const LibraryStore &store = Library();
    return store.focusedSong() >= 0 && store.focusedSong() < store.songs().size();
}

bool Tform_manage::HasSelectedSet() const
{
    const LibraryStore &store = Library();
    return store.selectedSet() >= 0 && store.selectedSet() < store.setNames().size();
}

// ---- Window events

QString Tform_manage::LibraryFolderText() const
{
    // The folder as the user entered it: typed without a trailing "/", its parent is where the tree opens.
    QString folder = form_main != nullptr ? form_main->settings.Options.libraryfolder : Library().libraryFolder();
    if (folder.isEmpty())
        folder = defaultLibraryFolder();
    return folder;
}

void Tform_manage::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())  // not when the window comes back from being minimized
        FormShow();
}

void Tform_manage::FormShow()
{
    // The folder tree's troubles (a folder gone, a drive that cannot be read) never keep the window from
    // showing the library.
    try {
        const QString folder = LibraryFolderText();
        // The tree leaves hidden folders out; a library folder inside one (an installed program's default is
        // ~/.local/share/dak-mp3) could not be selected, so they are shown then.
        if (InHiddenFolder(folder.left(folder.lastIndexOf(u'/') + 1))) {
            TDirTypes types = dirtree->DirTypes();
            types.insert(TDirType::dtHidden);
            dirtree->SetDirTypes(types);
        }
        // The tree is built once and kept: the mount watcher keeps its drives in line, and a folder made
        // since a branch was read is found by SelectPath. Building it touches no drive but the local disks.
        if (dirtree->Built())
            dirtree->UpdateDrives();
        else
            dirtree->ReadDrives();
        dirtree->SelectDrive(folder);
        dirtree->SelectPath(folder.left(folder.lastIndexOf(u'/') + 1));
    } catch (...) { }
    Library().OpenLibrary();
}

void Tform_manage::dirtreeChange(QTreeWidgetItem *)
{
    // A selection that is no readable folder simply empties the list.
    filelistbox->SetDirectory(dirtree->SelectedPath());
}

void Tform_manage::closeEvent(QCloseEvent *event)
{
    // Closed any way (the button, Alt+F4, the window manager): the main window's tree and menu follow.
    event->accept();
    CreateLibraryMenu();
}

void Tform_manage::keyPressEvent(QKeyEvent *event)
{
    // Escape does not close this window.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool Tform_manage::eventFilter(QObject *watched, QEvent *event)
{
    const auto isList = [&](QListWidget *list) { return watched == list || watched == list->viewport(); };
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (watched == listbox_set && key == Qt::Key_Delete) {
            speedbutton_removesetClick();
            return true;
        }
        if (watched == listbox_set && IsEnter(key)) {
            speedbutton_renamesetClick();
            return true;
        }
        if (watched == listbox_song && key == Qt::Key_Delete) {
            speedbutton_removesongClick();
            return true;
        }
        if (watched == listbox_song && IsEnter(key)) {
            speedbutton_renamesongClick();
            return true;
        }
        if (watched == filelistbox && IsEnter(key)) {
            speedbutton_addsongClick();
            return true;
        }
    } else if (event->type() == QEvent::MouseButtonDblClick) {
        if (isList(listbox_set))
            speedbutton_renamesetClick();
        else if (isList(listbox_song))
            speedbutton_renamesongClick();
        else if (isList(filelistbox))
            speedbutton_addsongClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void Tform_manage::CreateLibraryMenu()
{
    if (form_main != nullptr)
        form_main->CreateLibraryMenu();
}

// ---- Sets

void Tform_manage::speedbutton_addsetClick()
{
    if (form_newset != nullptr)
        form_newset->OpenAppend();
}

void Tform_manage::speedbutton_removesetClick()
{
    if (!HasSelectedSet())
        return;
    const QString name = SelectedSet();
    if (Shell::confirm(QStringLiteral("Are you sure you want to remove the selected set?"), this))
        Library().RemoveSet(name);
}

void Tform_manage::speedbutton_renamesetClick()
{
    if (!HasSelectedSet())
        return;
    const QString name = SelectedSet();
    const QString answer =
        Shell::inputBox(QStringLiteral("Rename Set"), QStringLiteral("Enter the new name: "), name, this);
    // A name that cannot be the name of the set's file is refused before anything is touched. A cancelled
    // box gives the old name, which changes nothing, whatever that name is.
    if (answer != name) {
        if (const QString problem = SetNameProblem(answer); !problem.isEmpty()) {
            Shell::errorBox(LibraryMessages::badSetName(answer, problem), this);
            return;
        }
    }
    Library().RenameSet(name, answer);
}

void Tform_manage::speedbutton_setupClick() { Library().MoveSetUp(); }

void Tform_manage::speedbutton_setdownClick() { Library().MoveSetDown(); }

void Tform_manage::listbox_setClick()
{
    if (HasSelectedSet())
        Library().OpenSet(SelectedSet());
}

// ---- Songs

void Tform_manage::speedbutton_addsongClick()
{
    const QString folder = dirtree->SelectedPath();
    if (!HasSelectedSet() || !folder.startsWith(u'/'))
        return;  // no set, or no folder chosen in the tree
    QStringList paths;
    for (const QString &file : filelistbox->SelectedFileNames())
        paths.append(ForceBackSlash(folder) + file);
    // One read and one write of the set file for all of them, whatever their number. Many songs show the
    // progress that a folder import shows, and can be cancelled before anything is written.
    TLibraryProgress progress(QStringLiteral("progress_addsongs"), windowTitle());
    Library().AddSongs(paths, SelectedSet(),
                       [&progress](qsizetype prepared, qsizetype total) { return progress.adding(prepared, total); });
}

// Removing and renaming act on the focused line itself, not on the first line of the same title: two songs
// of one title (say "01" from two albums) are common, and going by the title alone would remove the other
// song, or give the other line this line's path and so drop the other song's file from the set.

void Tform_manage::speedbutton_removesongClick()
{
    if (!HasSelectedSet() || !HasFocusedSong())
        return;
    const QString line = Library().songs().at(Library().focusedSong());
    Library().RemoveSongLine(line, Library().focusedSong(), SelectedSet());
}

void Tform_manage::speedbutton_renamesongClick()
{
    if (!HasSelectedSet() || !HasFocusedSong())
        return;
    const QString line = Library().songs().at(Library().focusedSong());
    const int index = Library().focusedSong();
    const QString set = SelectedSet();
    const QString answer =
        Shell::inputBox(QStringLiteral("Rename Song"), QStringLiteral("Enter the new name: "), SongTitle(line), this);
    Library().RenameSongLine(line, index, answer, set);
}

void Tform_manage::speedbutton_songupClick() { Library().MoveSongUp(); }

void Tform_manage::speedbutton_songdownClick() { Library().MoveSongDown(); }

void Tform_manage::speedbutton_mp3tagClick()
{
    // The lines as they are now: every selected song is offered, also after one of them failed.
    const LibraryStore &store = Library();
    QStringList paths;
    for (const int row : store.selectedSongs())
        paths.append(SongPath(store.songs().at(row)));
    for (const QString &path : std::as_const(paths))
        EditMP3Tag(path);
}

void Tform_manage::EditMP3Tag(const QString &path) { library::EditMP3Tag(*mp3tag, path, this); }

// ---- Saving and closing

void Tform_manage::button_recreateClick()
{
    Library().SaveCurrentSet();
    Library().SaveLibrary();
    CreateLibraryMenu();
}

void Tform_manage::button_closeClick()
{
    // When a list could not be written the user has been told which file; the window stays open so that
    // the lists, which still hold the change, are not taken for saved.
    const bool songsSaved = Library().SaveCurrentSet();
    const bool setsSaved = Library().SaveLibrary();
    if (songsSaved && setsSaved)
        close();
}
