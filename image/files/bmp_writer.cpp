// The BMP writer: a bitmap record written unchanged after a 14-byte file header.
#include "image/files/bmp_file.h"

#include "image/files/file_access.h"
#include "zelvan.h"

namespace {

const WORD k_bmp_type = 0x4D42; // "BM"
const DWORD k_file_header_bytes = 14;

bool write_record(HANDLE file, const bitmap_record *bitmap) {
    const WORD type = k_bmp_type, reserved = 0;
    const DWORD size = k_file_header_bytes + static_cast<DWORD>(bitmap->info_bytes) +
                       static_cast<DWORD>(bitmap->bits_bytes);
    const DWORD off_bits = k_file_header_bytes + static_cast<DWORD>(bitmap->bits_offset);
    return write_all(file, &type, 2) && write_all(file, &size, 4) &&
           write_all(file, &reserved, 2) && write_all(file, &reserved, 2) &&
           write_all(file, &off_bits, 4) &&
           write_all(file, bitmap->info, static_cast<DWORD>(bitmap->info_bytes)) &&
           write_all(file, bitmap->bits, static_cast<DWORD>(bitmap->bits_bytes));
}

} // namespace

int bmp_write(const bitmap_record *record, const char *file_name) {
    file_save save;
    int result = file_save_begin(&save, file_name);
    if (result != ZV_OK) return result;
    return file_save_end(&save, write_record(save.file, record));
}
