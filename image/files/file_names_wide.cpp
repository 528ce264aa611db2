// The file calls of image/ under Windows file names: host names reach the wide calls.
#include "image/files/file_names.h"

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

DWORD named_file_attributes(const char *name) {
    native_name native(name, nullptr);
    return native.ok ? GetFileAttributesW(native.wide.units) : INVALID_FILE_ATTRIBUTES;
}

// ReplaceFileW gives it all, once the file is closed.
bool take_identity_of(HANDLE, const char *) {
    return true;
}

// ReplaceFileW keeps the replaced file's security descriptor, attributes and streams on the new
// one; a file made anew, which has nothing to replace, inherits its folder's as it is moved in.
BOOL replace_named_file(const char *from, const char *to) {
    native_name native_from(from, to), native_to(to, nullptr);
    if (!native_from.ok || !native_to.ok) return FALSE;
    // A target another program holds without sharing deletion cannot be replaced; asking first
    // keeps ReplaceFileW from trying, which under Wine leaves a file of its own beside it.
    HANDLE probe = CreateFileW(native_to.wide.units, DELETE,
                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (probe != INVALID_HANDLE_VALUE) {
        CloseHandle(probe);
        return ReplaceFileW(native_to.wide.units, native_from.wide.units, nullptr, 0, nullptr,
                            nullptr);
    }
    if (GetLastError() != ERROR_FILE_NOT_FOUND) return FALSE;
    return MoveFileExW(native_from.wide.units, native_to.wide.units,
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
}

BOOL delete_named_file(const char *name, const char *read_like) {
    native_name native(name, read_like);
    return native.ok && DeleteFileW(native.wide.units);
}

bool is_name_separator(char c) {
    return c == '/' || c == '\\' || c == ':';
}

// A save through a link replaces the link, as MoveFileEx does on Windows.
char *final_name_of(HANDLE) {
    return nullptr;
}

// A new file takes its folder's inherited permissions; an attribute would stick to the picture.
const DWORD k_temp_file_attributes = FILE_ATTRIBUTE_NORMAL;
