#include "library/shared_library.h"

#include "library/store/library_store.h"

namespace library {

LibraryStore &SharedLibrary()
{
    static LibraryStore store;
    return store;
}

}  // namespace library
