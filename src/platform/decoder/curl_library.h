#pragma once
// libcurl, loaded when the first network stream starts. Linked in, it would bring its TLS, Kerberos, LDAP
// and SSH libraries into every start of the program and run their initialisers, although most runs never
// open a URL: megabytes of resident memory and start-up time for nothing. The header still gives the types
// and constants; the functions come from the shared library at run time.

#include <curl/curl.h>

#include <string>

namespace xa_engine {

struct CurlApi {
    CURL *(*easy_init)();
    CURLcode (*easy_setopt)(CURL *, CURLoption, ...);
    CURLcode (*easy_perform)(CURL *);
    void (*easy_cleanup)(CURL *);
    void (*easy_reset)(CURL *);
    const char *(*easy_strerror)(CURLcode);
    curl_slist *(*slist_append)(curl_slist *, const char *);
    void (*slist_free_all)(curl_slist *);
};

// The library, loaded and globally initialised on the first call (from any thread); null when it cannot be
// loaded, with the reason in `error`. Later calls give the same answer.
const CurlApi *curl_api(std::string *error);

}  // namespace xa_engine
