// Files as the readers and writers of images and palettes use them: only regular files are
// read, and a file is replaced only by a complete copy, never overwritten in place.
#ifndef ZELVAN_IMAGE_FILE_ACCESS_H
#define ZELVAN_IMAGE_FILE_ACCESS_H

#include "platform/win32.h"

// Opens an existing regular file for reading. A missing file, a folder, a pipe or a device
// gives INVALID_HANDLE_VALUE, and none of them makes the call wait.
HANDLE open_regular_file(const char *file_name);

// A read of exactly `bytes` bytes; a file that ends early counts as a failed read.
bool read_exact(HANDLE file, void *buffer, DWORD bytes);
bool write_all(HANDLE file, const void *data, DWORD bytes);

// A file being saved: it is written under a temporary name in the target's folder and takes
// the target's name only once it is complete and on disk. Where the target is a symbolic
// link, the file it leads to is replaced and the link stays.
struct file_save {
    HANDLE file;      // the temporary file, open for writing, readable by its owner alone
    char *temp_name;  // from the process heap
    char *final_name; // where the target's links lead, from the process heap, or null
    const char *target;
};

// Starts a save: ZV_OK with `save->file` open, or ZV_ERR_FILE_OPEN when the target is no
// regular file or cannot be written, or no temporary file can be made beside it.
int file_save_begin(file_save *save, const char *target);

// Ends a save. With `written` true the file is flushed and renamed over the target (ZV_OK);
// otherwise, or when that fails (ZV_ERR_FILE_WRITE), the temporary file is removed and the
// target keeps every byte it had.
int file_save_end(file_save *save, bool written);

#endif
