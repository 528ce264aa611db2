// Files with Win32 semantics.
#include "platform/win32.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const DWORD error_file_not_found = 2;
const DWORD error_access_denied = 5;
const DWORD error_already_exists = 183;

class kernel_Files : public ::testing::Test {
  protected:
    std::string path;
    void SetUp() override {
        path = "/tmp/zelvan_kernel_files_" + std::to_string(getpid()) + ".bin";
        DeleteFileA(path.c_str());
    }
    void TearDown() override { DeleteFileA(path.c_str()); }

    HANDLE open(DWORD access, DWORD disposition) {
        return CreateFileA(path.c_str(), access, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    }
    void write_text(const char *text) {
        HANDLE f = open(GENERIC_WRITE, CREATE_ALWAYS);
        ASSERT_NE(f, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        ASSERT_TRUE(WriteFile(f, text, static_cast<DWORD>(strlen(text)), &written, nullptr));
        ASSERT_EQ(written, strlen(text));
        CloseHandle(f);
    }
};

} // namespace

TEST_F(kernel_Files, OpenExistingFailsForAMissingFile) {
    EXPECT_EQ(open(GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), error_file_not_found);
    EXPECT_FALSE(DeleteFileA(path.c_str()));
    EXPECT_EQ(GetLastError(), error_file_not_found);
}

TEST_F(kernel_Files, WriteThenReadBackWithSizeAndShortReadAtTheEnd) {
    write_text("hello, zelvan");
    HANDLE f = open(GENERIC_READ, OPEN_EXISTING);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    DWORD high = 123;
    EXPECT_EQ(GetFileSize(f, &high), 13u);
    EXPECT_EQ(high, 0u);
    char buffer[64] = {};
    DWORD got = 0;
    EXPECT_TRUE(ReadFile(f, buffer, sizeof buffer, &got, nullptr)); // the end is no error
    EXPECT_EQ(got, 13u);
    EXPECT_STREQ(buffer, "hello, zelvan");
    EXPECT_TRUE(ReadFile(f, buffer, sizeof buffer, &got, nullptr));
    EXPECT_EQ(got, 0u);
    EXPECT_TRUE(CloseHandle(f));
}

TEST_F(kernel_Files, CreateAlwaysTruncatesAndReportsAnExistingFile) {
    write_text("a long first content");
    HANDLE f = open(GENERIC_WRITE, CREATE_ALWAYS);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), error_already_exists); // success, but the file was there
    EXPECT_EQ(GetFileSize(f, nullptr), 0u);
    CloseHandle(f);
}

TEST_F(kernel_Files, SetFilePointerMovesWithinTheFile) {
    write_text("0123456789");
    HANDLE f = open(GENERIC_READ, OPEN_EXISTING);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    EXPECT_EQ(SetFilePointer(f, 4, nullptr, FILE_BEGIN), 4u);
    char c = 0;
    DWORD got = 0;
    ASSERT_TRUE(ReadFile(f, &c, 1, &got, nullptr));
    EXPECT_EQ(c, '4');
    EXPECT_EQ(SetFilePointer(f, 2, nullptr, FILE_CURRENT), 7u);
    EXPECT_EQ(SetFilePointer(f, -1, nullptr, FILE_END), 9u);
    ASSERT_TRUE(ReadFile(f, &c, 1, &got, nullptr));
    EXPECT_EQ(c, '9');
    EXPECT_EQ(SetFilePointer(f, -20, nullptr, FILE_BEGIN), INVALID_SET_FILE_POINTER);
    EXPECT_EQ(SetFilePointer(f, 0, nullptr, FILE_CURRENT), 10u); // a failed move moves nothing
    EXPECT_EQ(SetFilePointer(f, 3, nullptr, FILE_BEGIN), 3u);
    EXPECT_EQ(SetFilePointer(f, 0, nullptr, 7), INVALID_SET_FILE_POINTER); // no such method
    EXPECT_EQ(GetLastError(), 87u);
    EXPECT_EQ(SetFilePointer(f, 0, nullptr, FILE_CURRENT), 3u);
    CloseHandle(f);
}

TEST_F(kernel_Files, AccessRightsAreEnforced) {
    write_text("x");
    HANDLE f = open(GENERIC_READ, OPEN_EXISTING);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    DWORD written = 99;
    EXPECT_FALSE(WriteFile(f, "y", 1, &written, nullptr));
    EXPECT_EQ(written, 0u);
    EXPECT_EQ(GetLastError(), error_access_denied);
    CloseHandle(f);
    EXPECT_EQ(CreateFileA("/tmp", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE); // directories are not files
}

TEST_F(kernel_Files, ClosedHandlesAndDeletedFilesAreGone) {
    write_text("abc");
    HANDLE f = open(GENERIC_READ, OPEN_EXISTING);
    ASSERT_TRUE(CloseHandle(f));
    char c;
    DWORD got;
    EXPECT_FALSE(ReadFile(f, &c, 1, &got, nullptr));
    EXPECT_EQ(GetFileSize(f, nullptr), INVALID_FILE_SIZE);
    EXPECT_TRUE(DeleteFileA(path.c_str()));
    EXPECT_EQ(open(GENERIC_READ, OPEN_EXISTING), INVALID_HANDLE_VALUE);
}

// What a name leads to, looked at without opening it.
TEST_F(kernel_Files, AttributesTellFilesFromFoldersAndDevices) {
    write_text("x");
    EXPECT_EQ(GetFileAttributesA(path.c_str()), DWORD{FILE_ATTRIBUTE_NORMAL});
    EXPECT_EQ(GetFileAttributesA("/tmp"), DWORD{FILE_ATTRIBUTE_DIRECTORY});
    EXPECT_EQ(GetFileAttributesA("/dev/null"), DWORD{FILE_ATTRIBUTE_DEVICE});
    std::string fifo = path + ".fifo";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_EQ(GetFileAttributesA(fifo.c_str()), DWORD{FILE_ATTRIBUTE_DEVICE});
    unlink(fifo.c_str());
    EXPECT_EQ(GetFileAttributesA(fifo.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), error_file_not_found);
}

// A file's owner, group and permissions read by name and given to another, open file: the
// permission bits come without set-id bits, and the group's bits only to the group they were
// read with. Clearing the temporary attribute gives a private file the mode of a new one.
TEST_F(kernel_Files, SecurityReadByNameIsGivenToAnOpenFile) {
    write_text("old");
    ASSERT_EQ(chmod(path.c_str(), 02754), 0);
    PSID owner = nullptr, group = nullptr;
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    const SECURITY_INFORMATION all =
        OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
    ASSERT_EQ(GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT, all, &owner, &group, &dacl,
                                    nullptr, &descriptor),
              DWORD{ERROR_SUCCESS});
    std::string made = path + ".new";
    HANDLE file = CreateFileA(made.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_TEMPORARY, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    auto mode = [&] {
        struct stat info {};
        stat(made.c_str(), &info);
        return info.st_mode & 07777;
    };
    EXPECT_EQ(mode(), 0600u);
    EXPECT_EQ(SetSecurityInfo(file, SE_FILE_OBJECT, all, owner, group, dacl, nullptr),
              DWORD{ERROR_SUCCESS});
    EXPECT_EQ(mode(), 0754u);
    // Root can give the new file another group, whose members must not get the old one's rights.
    if (geteuid() == 0 && chown(made.c_str(), static_cast<uid_t>(-1), 43111) == 0) {
        EXPECT_EQ(SetSecurityInfo(file, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                  dacl, nullptr),
                  DWORD{ERROR_SUCCESS});
        EXPECT_EQ(mode(), 0704u);
    }
    EXPECT_EQ(SetSecurityInfo(nullptr, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                              dacl, nullptr),
              DWORD{6}); // ERROR_INVALID_HANDLE
    EXPECT_EQ(LocalFree(descriptor), nullptr);
    mode_t old_mask = umask(027);
    FILE_BASIC_INFO basic{};
    basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    EXPECT_TRUE(SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic));
    EXPECT_EQ(mode(), 0640u);
    basic.FileAttributes = FILE_ATTRIBUTE_TEMPORARY;
    EXPECT_TRUE(SetFileInformationByHandle(file, FileBasicInfo, &basic, sizeof basic));
    EXPECT_EQ(mode(), 0600u);
    umask(old_mask);
    CloseHandle(file);
    DeleteFileA(made.c_str());
    EXPECT_EQ(GetNamedSecurityInfoA(made.c_str(), SE_FILE_OBJECT, all, &owner, &group, &dacl,
                                    nullptr, &descriptor),
              error_file_not_found);
}
