// Opening regular files, and saves that replace a file only with a complete copy.
#include "image/files/file_access.h"

#include "core/heap.h"
#include "image/files/file_names.h"
#include "zelvan.h"

#include <atomic>
#include <string.h>

namespace {

// Tries at names for a temporary file before a save gives up; only leftovers of saves that
// were cut off (a crash) can take a name, so a few tries are plenty.
const int k_temp_name_tries = 16;

std::atomic<uint32_t> g_saves_started{0};

char *put_hex(char *out, uint32_t value) {
    for (int shift = 28; shift >= 0; shift -= 4) *out++ = "0123456789abcdef"[value >> shift & 15];
    return out;
}

// "<target's folder>.~zv<thread id>-<number>.tmp", from the process heap. Thread ids are
// unique among running threads on both systems and the number among one process's saves,
// so two saves under way never pick one name; CREATE_NEW then keeps a leftover from a save
// that was cut off from being reused.
char *temp_name_for(const char *target, uint32_t number) {
    size_t folder = strlen(target);
    while (folder > 0 && !is_name_separator(target[folder - 1])) folder--;
    static const char prefix[] = ".~zv", suffix[] = ".tmp";
    char *name = static_cast<char *>(heap_alloc(folder + sizeof prefix + 17 + sizeof suffix));
    if (!name) return nullptr;
    memcpy(name, target, folder);
    char *at = name + folder;
    memcpy(at, prefix, sizeof prefix - 1);
    at = put_hex(at + sizeof prefix - 1, GetCurrentThreadId());
    *at++ = '-';
    at = put_hex(at, number);
    memcpy(at, suffix, sizeof suffix);
    return name;
}

// False when the name leads to a folder, a pipe or a device, found without opening it: a
// program waiting at the other end of a pipe must never be woken by a look at its name.
bool may_be_regular_file(const char *name) {
    DWORD attributes = named_file_attributes(name);
    if (attributes == INVALID_FILE_ATTRIBUTES) return GetLastError() == ERROR_FILE_NOT_FOUND;
    return (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
}

// A save may replace a missing file or a regular one it could write; a folder, a pipe or a
// device is refused before anything is made or opened. An existing file is named by where its
// links lead (`*final_name`, from the heap), so that the save replaces that file and keeps the
// links.
bool target_replaceable(const char *target, char **final_name) {
    *final_name = nullptr;
    if (!may_be_regular_file(target)) return false;
    HANDLE probe =
        create_named_file(target, GENERIC_WRITE,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, OPEN_EXISTING);
    if (probe == INVALID_HANDLE_VALUE) return GetLastError() == ERROR_FILE_NOT_FOUND;
    bool regular = GetFileType(probe) == FILE_TYPE_DISK;
    if (regular) *final_name = final_name_of(probe);
    CloseHandle(probe);
    return regular;
}

} // namespace

HANDLE open_regular_file(const char *file_name) {
    if (!may_be_regular_file(file_name)) return INVALID_HANDLE_VALUE;
    // Checked again once open, for a name that was changed in between, and for the devices
    // Windows names (NUL, CON) whose attributes do not say so.
    HANDLE file = create_named_file(file_name, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING);
    if (file == INVALID_HANDLE_VALUE || GetFileType(file) == FILE_TYPE_DISK) return file;
    CloseHandle(file);
    return INVALID_HANDLE_VALUE;
}

bool read_exact(HANDLE file, void *buffer, DWORD bytes) {
    DWORD got = 0;
    return ReadFile(file, buffer, bytes, &got, nullptr) && got == bytes;
}

bool write_all(HANDLE file, const void *data, DWORD bytes) {
    DWORD written = 0;
    return WriteFile(file, data, bytes, &written, nullptr) && written == bytes;
}

int file_save_begin(file_save *save, const char *target) {
    save->file = INVALID_HANDLE_VALUE;
    save->temp_name = nullptr;
    save->final_name = nullptr;
    save->target = target;
    if (!target || !*target || !target_replaceable(target, &save->final_name))
        return ZV_ERR_FILE_OPEN;
    if (save->final_name) save->target = save->final_name;
    for (int attempt = 0; attempt < k_temp_name_tries; ++attempt) {
        char *name = temp_name_for(save->target, g_saves_started.fetch_add(1));
        if (!name) break;
        HANDLE file = create_named_file(name, GENERIC_WRITE, 0, CREATE_NEW, save->target,
                                        k_temp_file_attributes);
        if (file != INVALID_HANDLE_VALUE) {
            save->file = file;
            save->temp_name = name;
            return ZV_OK;
        }
        DWORD error = GetLastError();
        heap_free(name);
        if (error != ERROR_FILE_EXISTS) break;
    }
    heap_free(save->final_name);
    save->final_name = nullptr;
    return ZV_ERR_FILE_OPEN;
}

int file_save_end(file_save *save, bool written) {
    // Owner, group and permissions are given to the open file under its temporary name: a
    // change by name after the rename would follow a link another program put there meanwhile.
    bool done = written && take_identity_of(save->file, save->target);
    done = done && FlushFileBuffers(save->file);
    done = CloseHandle(save->file) && done;
    done = done && replace_named_file(save->temp_name, save->target);
    if (!done) delete_named_file(save->temp_name, save->target);
    heap_free(save->temp_name);
    heap_free(save->final_name);
    save->file = INVALID_HANDLE_VALUE;
    save->temp_name = nullptr;
    save->final_name = nullptr;
    return done ? ZV_OK : ZV_ERR_FILE_WRITE;
}
