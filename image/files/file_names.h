// File names as the host gives them, handed to the platform's file calls, and what the host's
// files mean for a save. On Windows a name is read as UTF-8 when it is valid UTF-8, else in
// the ANSI code page (so callers that write names in it keep working), and reaches the wide
// calls (file_names_wide.cpp); elsewhere a name is bytes and goes to the calls as it is
// (file_names_bytes.cpp). The build picks the one file for its host.
#ifndef ZELVAN_IMAGE_FILE_NAMES_H
#define ZELVAN_IMAGE_FILE_NAMES_H

#include "platform/win32.h"

// CreateFile for a host name. `read_like`, when given, is the name whose bytes decide how
// `name` is read: a save's temporary file is read like its target, so both lie in one folder.
HANDLE create_named_file(const char *name, DWORD access, DWORD share, DWORD disposition,
                         const char *read_like = nullptr, DWORD attributes = FILE_ATTRIBUTE_NORMAL);
// GetFileAttributes: what the name leads to, without opening it.
DWORD named_file_attributes(const char *name);
// Gives a finished temporary file, while it is still open, what the host keeps of the file it
// will replace besides its bytes (where it needs the open file for that), or what a new file
// gets; false when that failed.
bool take_identity_of(HANDLE file, const char *target);
// Moves a finished, closed file over the target (both in one folder), durably; `from` is read
// like `to`.
BOOL replace_named_file(const char *from, const char *to);
BOOL delete_named_file(const char *name, const char *read_like = nullptr);

// Whether `c` ends a folder's part of a host file name.
bool is_name_separator(char c);
// The file a chain of links leads to, from the process heap; null where saves replace a
// link rather than the file behind it, or when unknown.
char *final_name_of(HANDLE file);
// The attributes a save's temporary file is made with.
extern const DWORD k_temp_file_attributes;

#endif
