// TMP3Tag::EditTag: the one place where the tag component opens a window.

#include "tags/MP3Tag.h"
#include "tags/ui/mp3_tag_editor.h"

#include <QComboBox>
#include <QFileInfo>
#include <QLineEdit>

uint8_t TMP3Tag::EditTag()
{
    // A file that is not there has no tag to show, and nothing would be saved: the editor does not open on
    // empty boxes, the error event says why.
    if (!QFileInfo::exists(m_filename)) {
        m_error = ErrorFileMissing;
        ReportError();
        return EditCancelled;
    }
    // A new window for every edit, owned by the application: every edit starts from what is in the file now.
    TMP3TagEditor editor;
    TMP3Tag *tag = editor.Tag();
    tag->SetFilename(m_filename);  // no onError there: a file without tag opens with its name as title
    editor.exec();

    const uint8_t result = editor.GetEditResult();
    if (result == EditSaved && m_editAutoSave) {
        tag->SetTitle(editor.Edit1->text());
        tag->SetArtist(editor.Edit2->text());
        tag->SetAlbum(editor.Edit3->text());
        tag->SetYear(editor.Edit4->text());
        const int genre = editor.cb1->currentIndex();
        tag->SetGenreID(genre < 0 ? Id3v1::kNoGenre : static_cast<uint8_t>(genre));
        tag->SetComment(editor.Edit5->text());
        tag->WriteTag();
    } else if (result == EditRemoved) {
        tag->RemoveTag();
    }
    return result;
}
