// The security of files over POSIX modes: GetNamedSecurityInfoA, SetSecurityInfo, LocalFree
// for what the first hands out, and the attributes part of SetFileInformationByHandle. A
// file's owner and group SIDs are its user and group ids; its DACL is its permission bits,
// which name the owner and the group they were read with.
#include "platform/posix/kernel/kernel_objects.h"

#include <errno.h>
#include <sys/stat.h>
#include <unistd.h>

#include <stdio.h>
#include <stdlib.h>

struct _ACL {
    mode_t permissions; // the rwx bits of owner, group and others
    gid_t group;        // the group the group bits are for
};

namespace {

struct security_descriptor {
    uid_t owner;
    gid_t group;
    ACL dacl;
};

// The process's file-creation mask, read without changing it (umask() would, for a moment,
// for every thread). Kernels too old to report it get the usual 022.
mode_t creation_mask(void) {
    mode_t mask = 022;
    FILE *status = fopen("/proc/self/status", "re");
    if (status == nullptr) return mask;
    char line[128];
    unsigned value;
    while (fgets(line, sizeof line, status) != nullptr) {
        if (sscanf(line, "Umask: %o", &value) == 1) {
            mask = static_cast<mode_t>(value & 0777);
            break;
        }
    }
    fclose(status);
    return mask;
}

// Runs `change(fd)` on the descriptor of a file handle; the errno it leaves, or EBADF.
template <typename Change> int change_file(HANDLE handle, Change change) {
    auto *file = reinterpret_cast<kernel_file *>(kernel_handle_lookup(handle, KERNEL_OBJECT_FILE));
    if (file == nullptr) return EBADF;
    int error = change(file->fd) == 0 ? 0 : errno;
    kernel_object_release(&file->head);
    return error;
}

// Gives the file the DACL's permission bits. POSIX has one group entry, for the file's own
// group: where the file has another group than the DACL names (its group could not be
// given), the group's bits are dropped rather than granted to that other group. The owner's
// bits go to whoever owns the file. Set-id and sticky bits are never given.
int give_permissions(int fd, const ACL &dacl) {
    struct stat info;
    if (fstat(fd, &info) != 0) return -1;
    mode_t mode = dacl.permissions & 0777;
    if (info.st_gid != dacl.group) mode &= ~mode_t{070};
    return fchmod(fd, mode);
}

} // namespace

DWORD WINAPI GetNamedSecurityInfoA(LPCSTR name, SE_OBJECT_TYPE type, SECURITY_INFORMATION info,
                                   PSID *owner, PSID *group, PACL *dacl, PACL *sacl,
                                   PSECURITY_DESCRIPTOR *descriptor) {
    if (name == nullptr || type != SE_FILE_OBJECT || descriptor == nullptr)
        return KERNEL_ERROR_INVALID_PARAMETER;
    struct stat found;
    if (stat(name, &found) != 0) return kernel_error_from_errno(errno);
    auto *block = static_cast<security_descriptor *>(malloc(sizeof(security_descriptor)));
    if (block == nullptr) return KERNEL_ERROR_NOT_ENOUGH_MEMORY;
    *block = security_descriptor{found.st_uid, found.st_gid, ACL{found.st_mode, found.st_gid}};
    if (owner != nullptr) *owner = (info & OWNER_SECURITY_INFORMATION) ? &block->owner : nullptr;
    if (group != nullptr) *group = (info & GROUP_SECURITY_INFORMATION) ? &block->group : nullptr;
    if (dacl != nullptr) *dacl = (info & DACL_SECURITY_INFORMATION) ? &block->dacl : nullptr;
    if (sacl != nullptr) *sacl = nullptr;
    *descriptor = block;
    return ERROR_SUCCESS;
}

// Only owners, groups and DACLs from GetNamedSecurityInfoA are taken. An owner or group the
// caller may not give fails alone with its own code: only the owner, and a group a member
// of it, may set them, as chown allows.
DWORD WINAPI SetSecurityInfo(HANDLE handle, SE_OBJECT_TYPE type, SECURITY_INFORMATION info,
                             PSID owner, PSID group, PACL dacl, PACL) {
    bool sets_owner = info & OWNER_SECURITY_INFORMATION,
         sets_group = info & GROUP_SECURITY_INFORMATION;
    bool sets_dacl = info & DACL_SECURITY_INFORMATION;
    if (type != SE_FILE_OBJECT || (sets_owner && owner == nullptr) ||
        (sets_group && group == nullptr) || (sets_dacl && dacl == nullptr))
        return KERNEL_ERROR_INVALID_PARAMETER;
    uid_t new_owner = sets_owner ? *static_cast<const uid_t *>(owner) : static_cast<uid_t>(-1);
    gid_t new_group = sets_group ? *static_cast<const gid_t *>(group) : static_cast<gid_t>(-1);
    int error = 0;
    if (sets_owner || sets_group)
        error = change_file(handle, [&](int fd) { return fchown(fd, new_owner, new_group); });
    if (error == EPERM) return sets_owner ? ERROR_INVALID_OWNER : ERROR_INVALID_PRIMARY_GROUP;
    if (error == 0 && sets_dacl)
        error = change_file(handle, [&](int fd) { return give_permissions(fd, *dacl); });
    if (error == EBADF) return KERNEL_ERROR_INVALID_HANDLE;
    return error == 0 ? ERROR_SUCCESS : kernel_error_from_errno(error);
}

HLOCAL WINAPI LocalFree(HLOCAL mem) {
    free(mem);
    return nullptr;
}

// Only the attributes are offered, and of them only FILE_ATTRIBUTE_TEMPORARY, which a file
// is made private with here (CreateFileA): clearing it gives the file the permissions of any
// new file, those the umask leaves of 0666. Times must be 0, "unchanged".
BOOL WINAPI SetFileInformationByHandle(HANDLE handle, FILE_INFO_BY_HANDLE_CLASS kind, LPVOID info,
                                       DWORD size) {
    const auto *basic = static_cast<const FILE_BASIC_INFO *>(info);
    if (kind != FileBasicInfo || basic == nullptr || size < sizeof(FILE_BASIC_INFO) ||
        basic->CreationTime.QuadPart != 0 || basic->LastAccessTime.QuadPart != 0 ||
        basic->LastWriteTime.QuadPart != 0 || basic->ChangeTime.QuadPart != 0) {
        SetLastError(KERNEL_ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (basic->FileAttributes == 0) return TRUE; // nothing to change
    mode_t mode =
        (basic->FileAttributes & FILE_ATTRIBUTE_TEMPORARY) ? 0600 : 0666 & ~creation_mask();
    int error = change_file(handle, [&](int fd) { return fchmod(fd, mode); });
    if (error != 0)
        SetLastError(error == EBADF ? KERNEL_ERROR_INVALID_HANDLE : kernel_error_from_errno(error));
    return error == 0;
}
