#include "tags/ui/mp3_tag_editor.h"

#include "tags/MP3Tag.h"

#include <QComboBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

constexpr int kClientWidth = 272;
constexpr int kClientHeight = 223;
const QColor kStripBackground(0, 128, 128);       // teal
const QColor kReadOnlyBackground(192, 192, 192);  // silver

QLineEdit *makeEdit(QWidget *parent, const char *name, QRect geometry, int maxLength)
{
    auto *edit = new QLineEdit(parent);
    edit->setObjectName(QLatin1String(name));
    edit->setGeometry(geometry);
    edit->setMaxLength(maxLength);
    return edit;
}

// A caption between `left` and `right`, its text against the control it names and centred on that row. The
// span must not reach over another control, or the label would take that control's mouse clicks.
void makeLabel(QWidget *parent, const char *name, const QString &caption, int left, int right, int rowTop)
{
    auto *label = new QLabel(caption, parent);
    label->setObjectName(QLatin1String(name));
    label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    label->setGeometry(left, rowTop, right - left, 21);
}

QPushButton *makeButton(QWidget *parent, const char *name, const QString &caption, QRect geometry)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    button->setDefault(false);
    return button;
}

}  // namespace

TMP3TagEditor::TMP3TagEditor(QWidget *parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(QStringLiteral("MP3TagEditor"));
    setWindowTitle(QStringLiteral("MPEG ID3 Tag Editor"));
    QFont small = font();
    small.setPointSize(8);
    setFont(small);
    setFixedSize(kClientWidth, kClientHeight);
    move(142, 127);

    // The path box comes first so that the strip, made later, lies on top of it.
    Edit6 = makeEdit(this, "Edit6", {12, 8, 245, 21}, 32767);
    Edit6->setReadOnly(true);
    QPalette silver = Edit6->palette();
    silver.setColor(QPalette::Base, kReadOnlyBackground);
    Edit6->setPalette(silver);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setGeometry(12, 8, 245, 21);
    Panel1->setFrameStyle(QFrame::Box | QFrame::Plain);
    Panel1->setLineWidth(1);

    makeLabel(this, "Label1", QStringLiteral("Title"), 4, 64, 40);
    Edit1 = makeEdit(this, "Edit1", {68, 40, 185, 21}, Id3v1::kTextWidth);
    makeLabel(this, "Label2", QStringLiteral("Artist"), 4, 64, 68);
    Edit2 = makeEdit(this, "Edit2", {68, 68, 185, 21}, Id3v1::kTextWidth);
    makeLabel(this, "Label3", QStringLiteral("Album"), 4, 64, 96);
    Edit3 = makeEdit(this, "Edit3", {68, 96, 185, 21}, Id3v1::kTextWidth);
    makeLabel(this, "Label4", QStringLiteral("Year"), 4, 64, 124);
    Edit4 = makeEdit(this, "Edit4", {68, 124, 37, 21}, Id3v1::kYearWidth);
    Edit4->installEventFilter(this);
    makeLabel(this, "Label5", QStringLiteral("Genre"), 107, 144, 124);
    cb1 = new QComboBox(this);
    cb1->setObjectName(QStringLiteral("cb1"));
    cb1->setEditable(false);
    cb1->setGeometry(148, 124, 105, 21);
    makeLabel(this, "Label6", QStringLiteral("Comment"), 4, 64, 152);
    Edit5 = makeEdit(this, "Edit5", {68, 152, 185, 21}, Id3v1::kTextWidth);

    Button2 = makeButton(this, "Button2", QStringLiteral("Save"), {24, 184, 61, 25});
    Button3 = makeButton(this, "Button3", QStringLiteral("Cancel"), {96, 184, 61, 25});
    Button4 = makeButton(this, "Button4", QStringLiteral("Remove ID3"), {172, 184, 81, 25});
    connect(Button2, &QPushButton::clicked, this, &TMP3TagEditor::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TMP3TagEditor::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &TMP3TagEditor::Button4Click);

    const QList<QWidget *> tabOrder{Edit1, Edit2, Edit3, Edit4, cb1, Edit5, Button2, Button3, Button4, Edit6};
    for (qsizetype i = 1; i < tabOrder.size(); ++i)
        setTabOrder(tabOrder[i - 1], tabOrder[i]);

    FormCreate();
}

void TMP3TagEditor::FormCreate()
{
    FileNameLabel = new QLabel(Panel1);
    FileNameLabel->setObjectName(QStringLiteral("FileNameLabel"));
    FileNameLabel->setGeometry(Panel1->contentsRect());
    FileNameLabel->setTextFormat(Qt::PlainText);  // a path is never markup
    FileNameLabel->setText(QStringLiteral("FileName"));
    FileNameLabel->setAutoFillBackground(true);
    QPalette strip = FileNameLabel->palette();
    strip.setColor(QPalette::Window, kStripBackground);
    strip.setColor(QPalette::WindowText, Qt::white);
    FileNameLabel->setPalette(strip);

    for (const char *name : GenreNames)
        cb1->addItem(QString::fromLatin1(name));

    m_tag = new TMP3Tag(this);
}

void TMP3TagEditor::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TMP3TagEditor::FormShow()
{
    Edit1->setText(Id3v1::ShownText(m_tag->GetTitle()));
    Edit2->setText(Id3v1::ShownText(m_tag->GetArtist()));
    Edit3->setText(Id3v1::ShownText(m_tag->GetAlbum()));
    Edit4->setText(Id3v1::ShownText(m_tag->GetYear()));
    const int genre = m_tag->GetGenreID();
    cb1->setCurrentIndex(genre < cb1->count() ? genre : -1);
    Edit5->setText(Id3v1::ShownText(m_tag->GetComment()));
    Edit6->setText(m_tag->GetFilename());
    FileNameLabel->setText(m_tag->GetFilename());
    FileNameLabel->setToolTip(m_tag->GetFilename());
}

void TMP3TagEditor::Button2Click()
{
    m_editResult = TMP3Tag::EditSaved;
    close();
}

void TMP3TagEditor::Button3Click()
{
    m_editResult = TMP3Tag::EditCancelled;
    close();
}

void TMP3TagEditor::Button4Click()
{
    m_editResult = TMP3Tag::EditRemoved;
    close();
}

bool TMP3TagEditor::Edit4KeyPress(const QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Delete:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return false;
    case Qt::Key_Backspace:
        return true;
    default:
        break;
    }
    if (event->matches(QKeySequence::Paste))
        return true;
    const QString typed = event->text();
    if (typed.isEmpty())
        return false;
    return !(typed.size() == 1 && typed[0] >= u'0' && typed[0] <= u'9');
}

bool TMP3TagEditor::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == Edit4 && event->type() == QEvent::KeyPress)
        return Edit4KeyPress(static_cast<QKeyEvent *>(event));
    return QDialog::eventFilter(watched, event);
}

void TMP3TagEditor::keyPressEvent(QKeyEvent *event)
{
    // Esc does not close the window: only the buttons and the close box do.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}
