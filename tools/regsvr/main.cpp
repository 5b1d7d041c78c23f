// fonerix-regsvr: registers a component library (runs its DllRegisterServer) or, with -u,
// unregisters it (DllUnregisterServer), and says what happened.

#include <dlfcn.h>
#include <getopt.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "platform/automation/HResult.h"
#include "platform/automation/Registry.h"

#ifndef FONERIX_REGSVR_VERSION
#define FONERIX_REGSVR_VERSION "0"
#endif

namespace {

using fonerix::HRESULT;

enum ExitCode : int {
    kExitOk = 0,
    kExitEntryFailed = 1,  // the entry point ran and reported failure
    kExitUsage = 2,
    kExitNoFile = 3,
    kExitNotLoadable = 4,
    kExitNoEntry = 5,
};

void Usage(std::FILE* out) {
    std::fprintf(out,
                 "Usage: fonerix-regsvr [-u] LIBRARY\n"
                 "Registers the component library LIBRARY (calls its DllRegisterServer), or with\n"
                 "-u unregisters it (DllUnregisterServer). Registration goes to\n"
                 "$XDG_CONFIG_HOME/fonerix/registry.ini (~/.config/fonerix/registry.ini).\n"
                 "Exit codes: 0 done, 1 the library reported a failure, 2 bad arguments,\n"
                 "3 no such file, 4 the library does not load, 5 it has no such entry point.\n");
}

// Self-registration shares its numbers with the connection points; here they can only mean
// the registration codes.
std::string ResultText(HRESULT hr) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "0x%08X", static_cast<uint32_t>(hr));
    if (hr == fonerix::SELFREG_E_TYPELIB) {
        return std::string(hex) + " (SELFREG_E_TYPELIB: the type library could not be registered)";
    }
    if (hr == fonerix::SELFREG_E_CLASS) {
        return std::string(hex) + " (SELFREG_E_CLASS: the classes could not be registered)";
    }
    return fonerix::DescribeResult(hr);
}

}  // namespace

int main(int argc, char** argv) {
    bool unregister = false;
    const option options[] = {{"unregister", no_argument, nullptr, 'u'},
                              {"help", no_argument, nullptr, 'h'},
                              {"version", no_argument, nullptr, 'V'},
                              {nullptr, 0, nullptr, 0}};
    for (int c; (c = getopt_long(argc, argv, "uhV", options, nullptr)) != -1;) {
        switch (c) {
            case 'u':
                unregister = true;
                break;
            case 'h':
                Usage(stdout);
                return kExitOk;
            case 'V':
                std::printf("fonerix-regsvr %s\n", FONERIX_REGSVR_VERSION);
                return kExitOk;
            default:
                Usage(stderr);
                return kExitUsage;
        }
    }
    if (argc - optind != 1) {
        std::fprintf(stderr, "fonerix-regsvr: %s\n",
                     argc == optind ? "no library given" : "one library at a time");
        Usage(stderr);
        return kExitUsage;
    }

    // The library registers the path it was loaded from, so load it by its absolute path
    // (a bare name would be searched for on the library path instead).
    std::error_code ec;
    const std::filesystem::path library = std::filesystem::absolute(argv[optind], ec);
    struct stat st {};
    if (ec || ::stat(library.c_str(), &st) != 0) {
        std::fprintf(stderr, "fonerix-regsvr: %s: %s\n", argv[optind], std::strerror(errno));
        return kExitNoFile;
    }
    if (!S_ISREG(st.st_mode)) {
        std::fprintf(stderr, "fonerix-regsvr: %s is not a file\n", argv[optind]);
        return kExitNoFile;
    }
    ::dlerror();
    void* handle = ::dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* why = ::dlerror();
        std::fprintf(stderr, "fonerix-regsvr: cannot load %s: %s\n", library.c_str(),
                     why != nullptr ? why : "unknown reason");
        return kExitNotLoadable;
    }
    const char* entry = unregister ? "DllUnregisterServer" : "DllRegisterServer";
    const auto function = reinterpret_cast<HRESULT (*)()>(::dlsym(handle, entry));
    if (function == nullptr) {
        std::fprintf(stderr,
                     "fonerix-regsvr: %s has no entry point %s: it is no component library\n",
                     library.c_str(), entry);
        ::dlclose(handle);
        return kExitNoEntry;
    }
    const HRESULT hr = function();
    ::dlclose(handle);
    const std::string registry = fonerix::UserRegistryPath().string();
    if (fonerix::FAILED(hr)) {
        std::fprintf(stderr, "fonerix-regsvr: %s of %s failed: %s (registry %s)\n", entry,
                     library.c_str(), ResultText(hr).c_str(), registry.c_str());
        return kExitEntryFailed;
    }
    std::printf("%s %s %s %s\n", unregister ? "Unregistered" : "Registered", library.c_str(),
                unregister ? "from" : "in", registry.c_str());
    return kExitOk;
}
