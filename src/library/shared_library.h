#pragma once
// The program's one working copy of the song library. The library manager window shows it; the tree, the
// library menu, the navigation and the folder import work through it. It lives from first use to the end of
// the process; whoever knows the library folder setting connects it with setLibraryFolderSource.

class LibraryStore;

namespace library {

LibraryStore &SharedLibrary();

}  // namespace library
