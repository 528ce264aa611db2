// The file calls of image/ under POSIX file names: a name is bytes and reaches the calls as it is.
#include "image/files/file_names.h"

#include "core/heap.h"

HANDLE create_named_file(const char *name, DWORD access, DWORD share, DWORD disposition,
                         const char *, DWORD attributes) {
    return CreateFileA(name, access, share, nullptr, disposition, attributes, nullptr);
}

DWORD named_file_attributes(const char *name) {
    return GetFileAttributesA(name);
}

// The owner, group and permissions of the replaced file, each given on its own: a saver who
// may not give the owner may still give the group, and the permissions, given last, grant the
// group nothing when it could not be given. A new file loses the privacy it was written in.
bool take_identity_of(HANDLE file, const char *target) {
    PSID owner = nullptr, group = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    DWORD found = GetNamedSecurityInfoA(target, SE_FILE_OBJECT,
                                        OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION |
                                            DACL_SECURITY_INFORMATION,
                                        &owner, &group, &dacl, nullptr, &descriptor);
    if (found == ERROR_FILE_NOT_FOUND) {
        FILE_BASIC_INFO basic{};
        basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
        return SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic);
    }
    if (found != ERROR_SUCCESS) return false;
    SetSecurityInfo(file, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, owner, nullptr, nullptr,
                    nullptr);
    SetSecurityInfo(file, SE_FILE_OBJECT, GROUP_SECURITY_INFORMATION, nullptr, group, nullptr,
                    nullptr);
    bool given = SetSecurityInfo(file, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                 dacl, nullptr) == ERROR_SUCCESS;
    LocalFree(descriptor);
    return given;
}

BOOL replace_named_file(const char *from, const char *to) {
    return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
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
