// The file calls of image/ under POSIX file names: a name is bytes and reaches the calls as it is.
#include "image/file_names.h"

#include "core/heap.h"

HANDLE create_named_file(const char *name, DWORD access, DWORD share, DWORD disposition,
                         const char *, DWORD attributes) {
    return CreateFileA(name, access, share, nullptr, disposition, attributes, nullptr);
}

DWORD named_file_attributes(const char *name) {
    return GetFileAttributesA(name);
}

BOOL move_named_file(const char *from, const char *to, DWORD flags) {
    return MoveFileExA(from, to, flags);
}

BOOL delete_named_file(const char *name, const char *) {
    return DeleteFileA(name);
}

bool is_name_separator(char c) {
    return c == '/';
}

char *final_name_of(HANDLE file) {
    DWORD size = GetFinalPathNameByHandleA(file, nullptr, 0, 0);
    char *name = size != 0 ? static_cast<char *>(heap_alloc(size)) : nullptr;
    if (name && GetFinalPathNameByHandleA(file, name, size, 0) + 1 == size) return name;
    heap_free(name);
    return nullptr;
}

// Made private to its owner: a picture is never readable by others while it is written.
const DWORD k_temp_file_attributes = FILE_ATTRIBUTE_TEMPORARY;
