// CreateFileA, ReadFile, WriteFile, GetFileSize, SetFilePointer, GetFileType,
// GetFileAttributesA, FlushFileBuffers, MoveFileExA, DeleteFileA and
// GetFinalPathNameByHandleA over descriptors.
#include "platform/posix/kernel/kernel_objects.h"

#include <errno.h>
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <limits.h>
#include <new>
#include <stdio.h>
#include <string.h>

namespace {

void destroy_file(kernel_object *object) {
    kernel_file *file = reinterpret_cast<kernel_file *>(object);
    close(file->fd);
    delete file;
}

} // namespace

DWORD kernel_error_from_errno(int error) {
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
    case ENOSPC:
        return KERNEL_ERROR_DISK_FULL;
    case EFBIG:
        return KERNEL_ERROR_FILE_TOO_LARGE;
    default:
        return KERNEL_ERROR_INVALID_PARAMETER;
    }
}

namespace {

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
                          DWORD disposition, DWORD attributes, HANDLE) {
    int flags = open_flags(access, disposition);
    if (name == nullptr || flags == -1) {
        SetLastError(KERNEL_ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    struct stat before;
    bool existed = stat(name, &before) == 0;
    // Win32 opens never wait: a FIFO opened here must not wait for its other end. Reads and
    // writes block as on Win32, so the flag goes once the descriptor is open.
    // A temporary file is its owner's alone: nobody else may read what is written into it.
    mode_t mode = (attributes & FILE_ATTRIBUTE_TEMPORARY) ? 0600 : 0666;
    int fd = open(name, flags | O_NONBLOCK, mode);
    if (fd < 0) {
        SetLastError(kernel_error_from_errno(errno));
        return INVALID_HANDLE_VALUE;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
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
            SetLastError(kernel_error_from_errno(errno));
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

namespace {

// While a write runs, a file-size limit makes it fail with EFBIG instead of sending SIGXFSZ,
// which would end the process: Win32 writes fail, they never kill. A SIGXFSZ that the write
// raised is taken back before the mask is restored; one pending before is left alone.
struct file_size_signal_held {
    sigset_t xfsz;
    sigset_t saved;
    bool pending_before;
    file_size_signal_held() {
        sigemptyset(&xfsz);
        sigaddset(&xfsz, SIGXFSZ);
        sigset_t pending;
        pending_before = sigpending(&pending) == 0 && sigismember(&pending, SIGXFSZ) == 1;
        pthread_sigmask(SIG_BLOCK, &xfsz, &saved);
    }
    ~file_size_signal_held() {
        sigset_t pending;
        if (!pending_before && sigpending(&pending) == 0 && sigismember(&pending, SIGXFSZ) == 1) {
            const timespec now = {0, 0};
            while (sigtimedwait(&xfsz, nullptr, &now) < 0 && errno == EINTR) {
            }
        }
        pthread_sigmask(SIG_SETMASK, &saved, nullptr);
    }
};

} // namespace

BOOL WINAPI WriteFile(HANDLE handle, LPCVOID buffer, DWORD to_write, LPDWORD written, void *) {
    if (written != nullptr) *written = 0;
    kernel_file *file = file_of(handle);
    if (file == nullptr) return FALSE;
    file_size_signal_held held;
    DWORD done = 0;
    BOOL ok = TRUE;
    while (done < to_write) {
        ssize_t put = write(file->fd, static_cast<const char *>(buffer) + done, to_write - done);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) {
            SetLastError(put < 0 ? kernel_error_from_errno(errno) : KERNEL_ERROR_ACCESS_DENIED);
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
        SetLastError(kernel_error_from_errno(error));
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
        SetLastError(name == nullptr ? KERNEL_ERROR_INVALID_PARAMETER
                                     : kernel_error_from_errno(errno));
        return FALSE;
    }
    return TRUE;
}

// Only a regular file is a disk file: pipes and sockets are pipes, terminals and other
// character devices are character files, and anything else (a block device) is unknown.
DWORD WINAPI GetFileType(HANDLE handle) {
    kernel_file *file = file_of(handle);
    if (file == nullptr) return FILE_TYPE_UNKNOWN;
    struct stat info;
    int failed = fstat(file->fd, &info);
    // Win32 tells an unknown type from a failure by the last error.
    SetLastError(failed ? kernel_error_from_errno(errno) : 0);
    kernel_object_release(&file->head);
    if (failed) return FILE_TYPE_UNKNOWN;
    if (S_ISREG(info.st_mode)) return FILE_TYPE_DISK;
    if (S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode)) return FILE_TYPE_PIPE;
    return S_ISCHR(info.st_mode) ? FILE_TYPE_CHAR : FILE_TYPE_UNKNOWN;
}

// What a name leads to, looked up without opening it, so that asking about a FIFO wakes no
// program waiting at its other end. A FIFO, a socket or a device, none of which a Win32 file
// name reaches, reads as a device.
DWORD WINAPI GetFileAttributesA(LPCSTR name) {
    struct stat info;
    if (name == nullptr || stat(name, &info) != 0) {
        SetLastError(name == nullptr ? KERNEL_ERROR_INVALID_PARAMETER
                                     : kernel_error_from_errno(errno));
        return INVALID_FILE_ATTRIBUTES;
    }
    if (S_ISDIR(info.st_mode)) return FILE_ATTRIBUTE_DIRECTORY;
    return S_ISREG(info.st_mode) ? FILE_ATTRIBUTE_NORMAL : FILE_ATTRIBUTE_DEVICE;
}

BOOL WINAPI FlushFileBuffers(HANDLE handle) {
    kernel_file *file = file_of(handle);
    if (file == nullptr) return FALSE;
    int failed = fsync(file->fd);
    int error = errno;
    kernel_object_release(&file->head);
    if (failed) SetLastError(kernel_error_from_errno(error));
    return !failed;
}

namespace {

// Makes a finished rename durable: the folder that holds the new name is synced too. A
// file system that cannot sync folders has nothing more to offer, so that is no failure.
void sync_folder_of(const char *path) {
    char folder[PATH_MAX] = ".";
    const char *slash = strrchr(path, '/');
    size_t length = slash == nullptr ? 0 : slash == path ? 1 : static_cast<size_t>(slash - path);
    if (length >= sizeof folder) return;
    if (length > 0) {
        memcpy(folder, path, length);
        folder[length] = '\0';
    }
    int fd = open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

} // namespace

// Only replacing moves are offered (MOVEFILE_REPLACE_EXISTING, with or without
// MOVEFILE_WRITE_THROUGH): the library moves a finished file over another in one folder. The
// moved file keeps its own owner and permissions, as on Win32: anything the name meets after
// the rename may be a link that another program put there.
BOOL WINAPI MoveFileExA(LPCSTR existing, LPCSTR target, DWORD flags) {
    if (existing == nullptr || target == nullptr ||
        (flags & ~DWORD{MOVEFILE_WRITE_THROUGH}) != MOVEFILE_REPLACE_EXISTING) {
        SetLastError(KERNEL_ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (rename(existing, target) != 0) {
        SetLastError(kernel_error_from_errno(errno));
        return FALSE;
    }
    if (flags & MOVEFILE_WRITE_THROUGH) sync_folder_of(target);
    return TRUE;
}

// The name the open file has now, every symbolic link on the way resolved. As on Win32 the
// result is the length without the terminating zero, or the size needed when `path` is short.
DWORD WINAPI GetFinalPathNameByHandleA(HANDLE handle, LPSTR path, DWORD path_size, DWORD) {
    kernel_file *file = file_of(handle);
    if (file == nullptr) return 0;
    char link[64], name[PATH_MAX];
    snprintf(link, sizeof link, "/proc/self/fd/%d", file->fd);
    ssize_t length = readlink(link, name, sizeof name);
    int error = errno;
    kernel_object_release(&file->head);
    if (length < 0 || length >= static_cast<ssize_t>(sizeof name) || name[0] != '/') {
        SetLastError(length < 0 ? kernel_error_from_errno(error) : KERNEL_ERROR_FILE_NOT_FOUND);
        return 0;
    }
    if (path == nullptr || path_size <= static_cast<DWORD>(length)) {
        SetLastError(KERNEL_ERROR_INSUFFICIENT_BUFFER);
        return static_cast<DWORD>(length) + 1;
    }
    memcpy(path, name, static_cast<size_t>(length));
    path[length] = '\0';
    return static_cast<DWORD>(length);
}
