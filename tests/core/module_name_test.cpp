// Finding the host program's name in its command line.
#include "core/startup/module_name.h"

#include <gtest/gtest.h>

#include <string>

static std::string name_of(const char *command_line) {
    char name[MODULE_NAME_CAPACITY];
    extract_module_name(command_line, name);
    return name;
}

TEST(ModuleName, TakesTheFileNameOfTheFirstWord) {
    EXPECT_EQ(name_of("D:\\apps\\draw.exe /x"), "draw.exe");
    EXPECT_EQ(name_of("draw 5"), "draw");
    EXPECT_EQ(name_of("/usr/local/bin/sketch --fast"), "sketch");
    EXPECT_EQ(name_of("C:draw"), "draw");
}

TEST(ModuleName, QuotesAreOrdinaryAndSpacesEndTheScan) {
    EXPECT_EQ(name_of("\"D:\\Program Files\\draw.exe\""), "Program");
    EXPECT_EQ(name_of("\"D:\\apps\\draw.exe\""), "draw.exe\"");
}

TEST(ModuleName, EmptyOrTrailingSeparatorGivesAnEmptyName) {
    EXPECT_EQ(name_of(""), "");
    char buffer[MODULE_NAME_CAPACITY];
    // A long path whose last part fits is not cut.
    EXPECT_FALSE(extract_module_name(("/" + std::string(900, 'd') + "/draw").c_str(), buffer));
    EXPECT_STREQ(buffer, "draw");
    EXPECT_EQ(name_of(" leading"), "");
    EXPECT_EQ(name_of("/usr/bin/"), "");
    EXPECT_EQ(name_of(nullptr), "");
}

TEST(ModuleName, LongNamesAreCutSoThatTheSuffixFits) {
    std::string long_word(1000, 'x');
    char buffer[MODULE_NAME_CAPACITY];
    EXPECT_TRUE(extract_module_name(("/bin/" + long_word + " arg").c_str(), buffer));
    std::string name = buffer;
    EXPECT_EQ(name.size(), static_cast<size_t>(MODULE_NAME_MAX));
    EXPECT_EQ(name, long_word.substr(0, MODULE_NAME_MAX));
    EXPECT_LE(name.size() + 5, static_cast<size_t>(MODULE_NAME_CAPACITY));
}
