// "Enter Library Folder...": the dialog in which the user types, browses for or resets the library folder.

#include "app/ui/form_main.h"
#include "library/ui/form_libraryfolder.h"

void Tform_main::pop_libraryfolderClick() { form_libraryfolder->ShowLibraryFolder(); }
