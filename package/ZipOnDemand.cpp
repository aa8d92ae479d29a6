// libzip is opened the first time a package is, not at start-up: with the
// crypto library it pulls in, its loading and relocations cost every run
// about a millisecond, and most runs open XML. These definitions stand in for
// the library's own in the program (linked with --as-needed, it then does not
// name libzip at all) and forward to it once it is loaded. A function missing
// here still links, from libzip itself, which is then loaded at start again.
#include <zip.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <mutex>

namespace {

void* g_library = nullptr;
const char* g_loadError = "";

void* Library()
{
    static std::once_flag once;
    std::call_once(once, [] {
        g_library = dlopen(QB_LIBZIP_SONAME, RTLD_NOW | RTLD_LOCAL);
        if (!g_library) {
            const char* why = dlerror();
            g_loadError = why ? strdup(why) : "libzip could not be loaded";
        }
    });
    return g_library;
}

template <typename F> F* Resolve(const char* name)
{
    void* library = Library();
    return library ? reinterpret_cast<F*>(dlsym(library, name)) : nullptr;
}

// A function that needs an archive cannot be reached without libzip, which
// opened the archive; one that can is answered below without it.
[[noreturn]] void Unreachable(const char* name)
{
    std::fprintf(stderr, "quillbook: %s called without libzip: %s\n", name, g_loadError);
    std::abort();
}

} // namespace

#define QB_ZIP_FORWARD(result, name, params, args)                                                                     \
    extern "C" result name params                                                                                      \
    {                                                                                                                  \
        static auto* const real = Resolve<decltype(::name)>(#name);                                                    \
        if (!real)                                                                                                     \
            Unreachable(#name);                                                                                        \
        return real args;                                                                                              \
    }

extern "C" zip_t* zip_open(const char* path, int flags, int* error)
{
    static auto* const real = Resolve<decltype(::zip_open)>("zip_open");
    if (!real) {
        if (error)
            *error = ZIP_ER_INTERNAL;
        return nullptr;
    }
    return real(path, flags, error);
}

extern "C" void zip_error_init_with_code(zip_error_t* error, int code)
{
    static auto* const real = Resolve<decltype(::zip_error_init_with_code)>("zip_error_init_with_code");
    if (real)
        return real(error, code);
    std::memset(error, 0, sizeof *error);
    error->zip_err = code;
}

extern "C" const char* zip_error_strerror(zip_error_t* error)
{
    static auto* const real = Resolve<decltype(::zip_error_strerror)>("zip_error_strerror");
    return real ? real(error) : g_loadError;
}

extern "C" void zip_error_fini(zip_error_t* error)
{
    static auto* const real = Resolve<decltype(::zip_error_fini)>("zip_error_fini");
    if (real)
        real(error);
}

QB_ZIP_FORWARD(int, zip_compression_method_supported, (zip_int32_t method, int compress), (method, compress))
QB_ZIP_FORWARD(int, zip_encryption_method_supported, (zip_uint16_t method, int encode), (method, encode))
QB_ZIP_FORWARD(void, zip_discard, (zip_t * archive), (archive))
QB_ZIP_FORWARD(int, zip_close, (zip_t * archive), (archive))
QB_ZIP_FORWARD(void, zip_error_clear, (zip_t * archive), (archive))
QB_ZIP_FORWARD(int, zip_error_code_zip, (const zip_error_t* error), (error))
QB_ZIP_FORWARD(int, zip_error_code_system, (const zip_error_t* error), (error))
QB_ZIP_FORWARD(zip_error_t*, zip_get_error, (zip_t * archive), (archive))
QB_ZIP_FORWARD(zip_error_t*, zip_file_get_error, (zip_file_t * file), (file))
QB_ZIP_FORWARD(const char*, zip_strerror, (zip_t * archive), (archive))
QB_ZIP_FORWARD(zip_int64_t, zip_get_num_entries, (zip_t * archive, zip_flags_t flags), (archive, flags))
QB_ZIP_FORWARD(const char*, zip_get_name, (zip_t * archive, zip_uint64_t index, zip_flags_t flags),
               (archive, index, flags))
QB_ZIP_FORWARD(zip_int64_t, zip_name_locate, (zip_t * archive, const char* name, zip_flags_t flags),
               (archive, name, flags))
QB_ZIP_FORWARD(void, zip_stat_init, (zip_stat_t * stat), (stat))
QB_ZIP_FORWARD(int, zip_stat_index, (zip_t * archive, zip_uint64_t index, zip_flags_t flags, zip_stat_t* stat),
               (archive, index, flags, stat))
QB_ZIP_FORWARD(int, zip_file_get_external_attributes,
               (zip_t * archive, zip_uint64_t index, zip_flags_t flags, zip_uint8_t* opsys, zip_uint32_t* attributes),
               (archive, index, flags, opsys, attributes))
QB_ZIP_FORWARD(zip_file_t*, zip_fopen_index, (zip_t * archive, zip_uint64_t index, zip_flags_t flags),
               (archive, index, flags))
QB_ZIP_FORWARD(zip_file_t*, zip_fopen_index_encrypted,
               (zip_t * archive, zip_uint64_t index, zip_flags_t flags, const char* password),
               (archive, index, flags, password))
QB_ZIP_FORWARD(zip_int64_t, zip_fread, (zip_file_t * file, void* buffer, zip_uint64_t size), (file, buffer, size))
QB_ZIP_FORWARD(int, zip_fclose, (zip_file_t * file), (file))
