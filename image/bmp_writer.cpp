// The BMP writer: a bitmap record written unchanged after a 14-byte file header.
#include "image/bmp_file.h"

#include "zelvan.h"

namespace {

const WORD k_bmp_type = 0x4D42; // "BM"
const DWORD k_file_header_bytes = 14;

bool write_all(HANDLE file, const void *data, DWORD bytes) {
    DWORD written = 0;
    return WriteFile(file, data, bytes, &written, nullptr) && written == bytes;
}

bool write_record(HANDLE file, const bitmap_record *r) {
    const WORD type = k_bmp_type, reserved = 0;
    const DWORD size =
        k_file_header_bytes + static_cast<DWORD>(r->info_bytes) + static_cast<DWORD>(r->bits_bytes);
    const DWORD off_bits = k_file_header_bytes + static_cast<DWORD>(r->bits_offset);
    return write_all(file, &type, 2) && write_all(file, &size, 4) &&
           write_all(file, &reserved, 2) && write_all(file, &reserved, 2) &&
           write_all(file, &off_bits, 4) &&
           write_all(file, r->info, static_cast<DWORD>(r->info_bytes)) &&
           write_all(file, r->bits, static_cast<DWORD>(r->bits_bytes));
}

} // namespace

int bmp_write(const bitmap_record *record, const char *file_name) {
    HANDLE file = CreateFileA(file_name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return ZV_ERR_FILE_OPEN;
    bool written = write_record(file, record);
    CloseHandle(file);
    return written ? ZV_OK : ZV_ERR_FILE_WRITE;
}
