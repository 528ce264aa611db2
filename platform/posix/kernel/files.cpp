// CreateFileA, ReadFile, WriteFile, GetFileSize, SetFilePointer and DeleteFileA over descriptors.
#include "platform/posix/kernel/kernel_objects.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <new>

namespace {

struct kernel_file {
    kernel_object head;
    int fd;
};

void destroy_file(kernel_object *object) {
    kernel_file *file = reinterpret_cast<kernel_file *>(object);
    close(file->fd);
    delete file;
}

DWORD error_from_errno(int error) {
    switch (error) {
    case ENOENT:
        return KERNEL_ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
        return KERNEL_ERROR_PATH_NOT_FOUND;
    case EEXIST:
        return KERNEL_ERROR_FILE_EXISTS;
    case EBADF:
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
        return KERNEL_ERROR_ACCESS_DENIED;
    case ENOMEM:
        return KERNEL_ERROR_NOT_ENOUGH_MEMORY;
    default:
        return KERNEL_ERROR_INVALID_PARAMETER;
    }
}

int open_flags(DWORD access, DWORD disposition) {
    int flags = O_CLOEXEC;
    bool read = (access & GENERIC_READ) != 0, write = (access & GENERIC_WRITE) != 0;
    flags |= read && write ? O_RDWR : write ? O_WRONLY : O_RDONLY;
    switch (disposition) {
    case CREATE_NEW:
        return flags | O_CREAT | O_EXCL;
    case CREATE_ALWAYS:
        return flags | O_CREAT | O_TRUNC;
    case OPEN_EXISTING:
        return flags;
    case OPEN_ALWAYS:
        return flags | O_CREAT;
    case 5:
        return flags | O_TRUNC; // TRUNCATE_EXISTING
    default:
        return -1;
    }
}

kernel_file *file_of(HANDLE handle) {
    return reinterpret_cast<kernel_file *>(kernel_handle_lookup(handle, KERNEL_OBJECT_FILE));
}

} // namespace

HANDLE WINAPI CreateFileA(LPCSTR name, DWORD access, DWORD, LPSECURITY_ATTRIBUTES,
                          DWORD disposition, DWORD, HANDLE) {
    int flags = open_flags(access, disposition);
    if (name == nullptr || flags == -1) {
        SetLastError(KERNEL_ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    struct stat before;
    bool existed = stat(name, &before) == 0;
    int fd = open(name, flags, 0666);
    if (fd < 0) {
        SetLastError(error_from_errno(errno));
        return INVALID_HANDLE_VALUE;
    }
    struct stat info;
    if (fstat(fd, &info) == 0 && S_ISDIR(info.st_mode)) { // Win32 does not open directories here
        close(fd);
        SetLastError(KERNEL_ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    kernel_file *file = new (std::nothrow) kernel_file{{KERNEL_OBJECT_FILE, {1}, destroy_file}, fd};
    HANDLE handle = file != nullptr ? kernel_handle_insert(&file->head) : nullptr;
    if (handle == nullptr) {
        close(fd);
        delete file;
        SetLastError(KERNEL_ERROR_NOT_ENOUGH_MEMORY);
        return INVALID_HANDLE_VALUE;
    }
    // CREATE_ALWAYS and OPEN_ALWAYS report success over an existing file this way.
    bool reports_existing = disposition == CREATE_ALWAYS || disposition == OPEN_ALWAYS;
    SetLastError(reports_existing && existed ? KERNEL_ERROR_ALREADY_EXISTS : 0);
    return handle;
}

// Reads until `to_read` bytes or the end of the file; reaching the end is not an error.
BOOL WINAPI ReadFile(HANDLE handle, LPVOID buffer, DWORD to_read, LPDWORD read_count, void *) {
    if (read_count != nullptr) *read_count = 0;
    kernel_file *file = file_of(handle);
    if (file == nullptr) return FALSE;
    DWORD done = 0;
    BOOL ok = TRUE;
    while (done < to_read) {
        ssize_t got = read(file->fd, static_cast<char *>(buffer) + done, to_read - done);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) {
            SetLastError(error_from_errno(errno));
            ok = FALSE;
            break;
        }
        if (got == 0) break;
        done += static_cast<DWORD>(got);
    }
    if (read_count != nullptr) *read_count = done;
    kernel_object_release(&file->head);
    return ok;
}

BOOL WINAPI WriteFile(HANDLE handle, LPCVOID buffer, DWORD to_write, LPDWORD written, void *) {
    if (written != nullptr) *written = 0;
    kernel_file *file = file_of(handle);
    if (file == nullptr) return FALSE;
    DWORD done = 0;
    BOOL ok = TRUE;
    while (done < to_write) {
        ssize_t put = write(file->fd, static_cast<const char *>(buffer) + done, to_write - done);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) {
            SetLastError(put < 0 ? error_from_errno(errno) : KERNEL_ERROR_ACCESS_DENIED);
            ok = FALSE;
            break;
        }
        done += static_cast<DWORD>(put);
    }
    if (written != nullptr) *written = done;
    kernel_object_release(&file->head);
    return ok;
}

DWORD WINAPI GetFileSize(HANDLE handle, LPDWORD size_high) {
    kernel_file *file = file_of(handle);
    if (file == nullptr) return INVALID_FILE_SIZE;
    struct stat info;
    int failed = fstat(file->fd, &info);
    int error = errno;
    kernel_object_release(&file->head);
    if (failed) {
        SetLastError(error_from_errno(error));
        return INVALID_FILE_SIZE;
    }
    uint64_t size = static_cast<uint64_t>(info.st_size);
    if (size_high != nullptr) *size_high = static_cast<DWORD>(size >> 32);
    SetLastError(0); // a size whose low part is 0xFFFFFFFF is told apart from failure this way
    return static_cast<DWORD>(size);
}

// With `distance_high` the distance is a 64-bit value split in two; without it, a signed 32-bit.
DWORD WINAPI SetFilePointer(HANDLE handle, LONG distance, LONG *distance_high, DWORD method) {
    if (method > FILE_END) { // checked first: the file position must not move on failure
        SetLastError(KERNEL_ERROR_INVALID_PARAMETER);
        return INVALID_SET_FILE_POINTER;
    }
    kernel_file *file = file_of(handle);
    if (file == nullptr) return INVALID_SET_FILE_POINTER;
    int64_t offset = distance;
    if (distance_high != nullptr) {
        offset = static_cast<int64_t>(
            (static_cast<uint64_t>(static_cast<uint32_t>(*distance_high)) << 32) |
            static_cast<uint32_t>(distance));
    }
    int whence = method == FILE_BEGIN ? SEEK_SET : method == FILE_CURRENT ? SEEK_CUR : SEEK_END;
    DWORD result = INVALID_SET_FILE_POINTER;
    off_t current = lseek(file->fd, 0, SEEK_CUR);
    off_t base = whence == SEEK_SET   ? 0
                 : whence == SEEK_CUR ? current
                                      : lseek(file->fd, 0, SEEK_END);
    if (base + offset < 0) {
        lseek(file->fd, current, SEEK_SET);
        SetLastError(KERNEL_ERROR_NEGATIVE_SEEK);
    } else {
        off_t position = lseek(file->fd, base + offset, SEEK_SET);
        if (distance_high != nullptr) *distance_high = static_cast<LONG>(position >> 32);
        result = static_cast<DWORD>(position);
        SetLastError(0);
    }
    kernel_object_release(&file->head);
    return result;
}

BOOL WINAPI DeleteFileA(LPCSTR name) {
    if (name == nullptr || unlink(name) != 0) {
        SetLastError(name == nullptr ? KERNEL_ERROR_INVALID_PARAMETER : error_from_errno(errno));
        return FALSE;
    }
    return TRUE;
}
