#include "library/SharedLibrary.h"

#include "library/store/LibraryStore.h"

namespace library {

LibraryStore &SharedLibrary()
{
    static LibraryStore store;
    return store;
}

}  // namespace library
