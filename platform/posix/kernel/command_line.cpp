// GetCommandLineA and GetModuleHandleA: the program's words and the modules it has loaded.
#include "platform/posix/kernel/kernel_objects.h"

#include <dlfcn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <strings.h>
#include <unistd.h>

#include <string>

namespace {

// The words of /proc/self/cmdline joined by single spaces. Nothing is quoted: Win32 programs
// that scan the first word stop at its first space, which is how a host finds its own name.
std::string read_command_line() {
    std::string text;
    FILE *file = fopen("/proc/self/cmdline", "rb");
    if (file == nullptr) return text;
    char chunk[512];
    size_t got;
    while ((got = fread(chunk, 1, sizeof chunk, file)) > 0) text.append(chunk, got);
    fclose(file);
    while (!text.empty() && text.back() == '\0') text.pop_back();
    for (char &c : text) {
        if (c == '\0') c = ' ';
    }
    return text;
}

// The program's name as a host scans it from the command line: up to the first space, each
// '/', ':' or '\' starting the name afresh.
std::string scanned_program_name(const char *command_line) {
    std::string name;
    for (const char *p = command_line; *p != '\0' && *p != ' '; ++p) {
        if (*p == '/' || *p == ':' || *p == '\\') {
            name.clear();
        } else {
            name += *p;
        }
    }
    return name;
}

std::string executable_base_name() {
    char path[4096];
    ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
    if (length <= 0) return std::string();
    path[length] = '\0';
    const char *slash = strrchr(path, '/');
    return slash != nullptr ? slash + 1 : path;
}

struct program_names {
    std::string scanned;
    std::string executable;
};

const program_names *&names_pointer() {
    static const program_names *cached =
        new program_names{scanned_program_name(GetCommandLineA()), executable_base_name()};
    return cached;
}

const program_names &names() {
    return *names_pointer();
}

void *&main_program_pointer() {
    static void *handle = dlopen(nullptr, RTLD_LAZY);
    return handle;
}

HMODULE main_program_module() {
    return static_cast<HMODULE>(main_program_pointer());
}

char *&command_line_pointer() {
    static char *command_line = strdup(read_command_line().c_str());
    return command_line;
}

} // namespace

LPSTR WINAPI GetCommandLineA(void) {
    // Built once and kept until unload: Win32 hands out the same process-lifetime buffer.
    return command_line_pointer();
}

HMODULE WINAPI GetModuleHandleA(LPCSTR module_name) {
    if (module_name == nullptr) return main_program_module();
    const program_names &n = names();
    if (strcasecmp(module_name, n.scanned.c_str()) == 0) return main_program_module();
    if (!n.executable.empty() && strcasecmp(module_name, n.executable.c_str()) == 0) {
        return main_program_module();
    }
    // A shared object that is already loaded; GetModuleHandleA never loads anything.
    if (module_name[0] != '\0') {
        void *handle = dlopen(module_name, RTLD_LAZY | RTLD_NOLOAD);
        if (handle != nullptr) {
            dlclose(handle); // NOLOAD still counted a reference; the object stays loaded
            return static_cast<HMODULE>(handle);
        }
    }
    SetLastError(KERNEL_ERROR_MOD_NOT_FOUND);
    return nullptr;
}

void kernel_release_command_line(void) {
    delete names_pointer();
    names_pointer() = nullptr;
    if (main_program_pointer()) dlclose(main_program_pointer());
    main_program_pointer() = nullptr;
    free(command_line_pointer());
    command_line_pointer() = nullptr;
}
