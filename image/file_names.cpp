// The file calls of image/ under host file names: wide calls on Windows, bytes elsewhere.
#include "image/file_names.h"

#ifdef _WIN32

#include "core/wide_text.h"

namespace {

// A host name as UTF-16, read like `read_like`; null when it cannot be converted.
struct native_name {
    wide_text wide;
    bool ok;

    native_name(const char *name, const char *read_like) {
        const char *decider = read_like ? read_like : name;
        bool utf8 = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, decider, -1, nullptr, 0) > 0;
        ok = utf8 ? wide.convert_string(name, CP_ACP) : wide.convert_string_in(name, CP_ACP);
        if (!ok) SetLastError(ERROR_INVALID_NAME);
    }
};

} // namespace

HANDLE create_named_file(const char *name, DWORD access, DWORD share, DWORD disposition,
                         const char *read_like, DWORD attributes) {
    native_name native(name, read_like);
    if (!native.ok) return INVALID_HANDLE_VALUE;
    return CreateFileW(native.wide.units, access, share, nullptr, disposition, attributes, nullptr);
}

BOOL move_named_file(const char *from, const char *to, DWORD flags) {
    native_name native_from(from, to), native_to(to, nullptr);
    if (!native_from.ok || !native_to.ok) return FALSE;
    return MoveFileExW(native_from.wide.units, native_to.wide.units, flags);
}

BOOL delete_named_file(const char *name, const char *read_like) {
    native_name native(name, read_like);
    return native.ok && DeleteFileW(native.wide.units);
}

#else

HANDLE create_named_file(const char *name, DWORD access, DWORD share, DWORD disposition,
                         const char *, DWORD attributes) {
    return CreateFileA(name, access, share, nullptr, disposition, attributes, nullptr);
}

BOOL move_named_file(const char *from, const char *to, DWORD flags) {
    return MoveFileExA(from, to, flags);
}

BOOL delete_named_file(const char *name, const char *) {
    return DeleteFileA(name);
}

#endif
