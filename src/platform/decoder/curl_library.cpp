#include "curl_library.h"

#include <dlfcn.h>

#include <mutex>

namespace xa_engine {

namespace {

struct Loaded {
    CurlApi api{};
    bool ok = false;
    std::string error;
};

template <typename F>
bool resolve(void *library, const char *name, F &function, std::string &error)
{
    function = reinterpret_cast<F>(dlsym(library, name));
    if (!function)
        error = std::string("libcurl has no ") + name;
    return function != nullptr;
}

Loaded load()
{
    Loaded loaded;
    // The run-time name of the library the headers belong to (its ABI has kept this name since 2006).
    void *library = dlopen("libcurl.so.4", RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        const char *why = dlerror();
        loaded.error = why ? why : "cannot load libcurl.so.4";
        return loaded;
    }
    CURLcode (*global_init)(long) = nullptr;
    CurlApi &api = loaded.api;
    std::string &error = loaded.error;
    if (!resolve(library, "curl_global_init", global_init, error) ||
        !resolve(library, "curl_easy_init", api.easy_init, error) ||
        !resolve(library, "curl_easy_setopt", api.easy_setopt, error) ||
        !resolve(library, "curl_easy_perform", api.easy_perform, error) ||
        !resolve(library, "curl_easy_cleanup", api.easy_cleanup, error) ||
        !resolve(library, "curl_easy_reset", api.easy_reset, error) ||
        !resolve(library, "curl_easy_strerror", api.easy_strerror, error) ||
        !resolve(library, "curl_slist_append", api.slist_append, error) ||
        !resolve(library, "curl_slist_free_all", api.slist_free_all, error))
        return loaded;  // the library stays loaded: unloading code that may have started threads is unsafe
    if (global_init(CURL_GLOBAL_DEFAULT) != CURLE_OK) {
        error = "libcurl could not be initialised";
        return loaded;
    }
    loaded.ok = true;
    return loaded;
}

}  // namespace

const CurlApi *curl_api(std::string *error)
{
    static std::once_flag once;
    static Loaded loaded;
    std::call_once(once, [] { loaded = load(); });
    if (!loaded.ok && error)
        *error = loaded.error;
    return loaded.ok ? &loaded.api : nullptr;
}

}  // namespace xa_engine
