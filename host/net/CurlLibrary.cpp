// libcurl is loaded when the first transfer needs it, not when the program starts: with the
// libraries it brings (TLS, LDAP, Kerberos, SSH, HTTP/2...) it more than doubled the dynamic
// loader's work before the splash's first frame. Each function the transfer uses is defined
// here and hands over to the library's own, found on first use.

#include <curl/curl.h>

#include <dlfcn.h>

#include <cstdarg>
#include <mutex>
#include <string>

namespace {

constexpr const char* LibraryName = "libcurl.so.4";

struct Library {
    void* handle = nullptr;
    std::string failure;
};

const Library& Loaded()
{
    static const Library library = [] {
        Library loaded;
        // Local: nothing else in the program may bind to the library's symbols by chance.
        loaded.handle = ::dlopen(LibraryName, RTLD_NOW | RTLD_LOCAL);
        if (!loaded.handle) {
            const char* why = ::dlerror();
            loaded.failure = std::string("libcurl could not be loaded: ") + (why ? why : LibraryName);
        }
        return loaded;
    }();
    return library;
}

template <typename Function>
Function* Resolve(const char* name)
{
    const Library& library = Loaded();
    return library.handle ? reinterpret_cast<Function*>(::dlsym(library.handle, name)) : nullptr;
}

const char* FailureText() { return Loaded().failure.empty() ? "libcurl lacks a function" : Loaded().failure.c_str(); }

} // namespace

// Each forwards to the library's function of the same name, or answers as the library does
// when it cannot do a thing.
#define VANUPELRO_CURL_FORWARD(Result, name, Parameters, Arguments, Failure)                                         \
    extern "C" Result name Parameters                                                                                \
    {                                                                                                                \
        static const auto real = Resolve<decltype(name)>(#name);                                                     \
        return real ? real Arguments : Failure;                                                                      \
    }

VANUPELRO_CURL_FORWARD(CURLcode, curl_global_init, (long flags), (flags), CURLE_FAILED_INIT)
VANUPELRO_CURL_FORWARD(CURL*, curl_easy_init, (void), (), nullptr)
VANUPELRO_CURL_FORWARD(CURLcode, curl_easy_pause, (CURL * handle, int bitmask), (handle, bitmask), CURLE_FAILED_INIT)
VANUPELRO_CURL_FORWARD(CURLM*, curl_multi_init, (void), (), nullptr)
VANUPELRO_CURL_FORWARD(CURLMcode, curl_multi_add_handle, (CURLM * multi, CURL* easy), (multi, easy), CURLM_INTERNAL_ERROR)
VANUPELRO_CURL_FORWARD(CURLMcode, curl_multi_remove_handle, (CURLM * multi, CURL* easy), (multi, easy),
                       CURLM_INTERNAL_ERROR)
VANUPELRO_CURL_FORWARD(CURLMcode, curl_multi_cleanup, (CURLM * multi), (multi), CURLM_INTERNAL_ERROR)
VANUPELRO_CURL_FORWARD(CURLMsg*, curl_multi_info_read, (CURLM * multi, int* queued), (multi, queued), nullptr)
VANUPELRO_CURL_FORWARD(CURLMcode, curl_multi_socket_action,
                       (CURLM * multi, curl_socket_t socket, int events, int* running), (multi, socket, events, running),
                       CURLM_INTERNAL_ERROR)
VANUPELRO_CURL_FORWARD(curl_slist*, curl_slist_append, (curl_slist * list, const char* text), (list, text), nullptr)
VANUPELRO_CURL_FORWARD(CURLU*, curl_url, (void), (), nullptr)
VANUPELRO_CURL_FORWARD(CURLUcode, curl_url_set, (CURLU * url, CURLUPart part, const char* text, unsigned int flags),
                       (url, part, text, flags), CURLUE_OUT_OF_MEMORY)
VANUPELRO_CURL_FORWARD(CURLUcode, curl_url_get, (CURLU * url, CURLUPart part, char** text, unsigned int flags),
                       (url, part, text, flags), CURLUE_OUT_OF_MEMORY)
VANUPELRO_CURL_FORWARD(const char*, curl_easy_strerror, (CURLcode code), (code), FailureText())
VANUPELRO_CURL_FORWARD(const char*, curl_multi_strerror, (CURLMcode code), (code), FailureText())
VANUPELRO_CURL_FORWARD(const char*, curl_url_strerror, (CURLUcode code), (code), FailureText())

// Nothing to free where nothing could have been made.
#define VANUPELRO_CURL_RELEASE(name, Type)                                                                           \
    extern "C" void name(Type object)                                                                                \
    {                                                                                                                \
        static const auto real = Resolve<decltype(name)>(#name);                                                     \
        if (real)                                                                                                    \
            real(object);                                                                                            \
    }

VANUPELRO_CURL_RELEASE(curl_easy_cleanup, CURL*)
VANUPELRO_CURL_RELEASE(curl_slist_free_all, curl_slist*)
VANUPELRO_CURL_RELEASE(curl_free, void*)
VANUPELRO_CURL_RELEASE(curl_url_cleanup, CURLU*)

namespace {

// The value's type follows from the option's number range, as in the library itself.
template <typename Handle, typename Option, typename Result>
Result PassOption(Result (*real)(Handle, Option, ...), Handle handle, Option option, va_list arguments)
{
    if (option < CURLOPTTYPE_OBJECTPOINT)
        return real(handle, option, va_arg(arguments, long));
    if (option < CURLOPTTYPE_FUNCTIONPOINT)
        return real(handle, option, va_arg(arguments, void*));
    if (option < CURLOPTTYPE_OFF_T)
        return real(handle, option, va_arg(arguments, void (*)()));
    if (option < CURLOPTTYPE_BLOB)
        return real(handle, option, va_arg(arguments, curl_off_t));
    return real(handle, option, va_arg(arguments, void*));
}

} // namespace

// The signatures are libcurl's own, an enum before the "...", as libcurl itself reads them;
// clang warns that such a last parameter is promoted.
#ifdef __clang__
#pragma clang diagnostic ignored "-Wvarargs"
#endif

// In parentheses: curl.h makes the names macros that check the value's type at each call.
extern "C" CURLcode(curl_easy_setopt)(CURL* handle, CURLoption option, ...)
{
    static const auto real = Resolve<CURLcode(CURL*, CURLoption, ...)>("curl_easy_setopt");
    if (!real)
        return CURLE_FAILED_INIT;
    va_list arguments;
    va_start(arguments, option);
    const CURLcode result = PassOption(real, handle, option, arguments);
    va_end(arguments);
    return result;
}

extern "C" CURLMcode(curl_multi_setopt)(CURLM* multi, CURLMoption option, ...)
{
    static const auto real = Resolve<CURLMcode(CURLM*, CURLMoption, ...)>("curl_multi_setopt");
    if (!real)
        return CURLM_INTERNAL_ERROR;
    va_list arguments;
    va_start(arguments, option);
    const CURLMcode result = PassOption(real, multi, option, arguments);
    va_end(arguments);
    return result;
}
