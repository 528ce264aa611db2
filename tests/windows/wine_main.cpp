// The Windows test programs' main: GoogleTest, with the cases that cannot hold on Windows
// (a platform limit) or under Wine (where Wine behaves unlike Windows) reported as skipped.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

namespace {

struct excluded_test {
    const char *test;   // full GoogleTest name, Suite.Case
    const char *reason; // what the platform does differently
};

const excluded_test k_windows_limits[] = {
    {"Table.HoldsExactly8192Windows",
     "a process may hold 10,000 GDI objects by default, and each window needs a memory DC, a "
     "buffer bitmap and a brush, so the table cannot be filled"},
};

const excluded_test k_wine_differences[] = {
    {"Primitives.ResultsAndThePosition",
     "SetPixel outside the bitmap returns the colour instead of CLR_INVALID, and SetPixelV "
     "returns TRUE there instead of FALSE"},
    {"Primitives.HugeValuesAreClippedWithoutWrappingAround",
     "Arc fails for a centre and radius near INT_MAX, and Pie with such values makes the GDI "
     "page-fault"},
    {"Primitives.APenWiderThanTheWindowCoversItAndFinishes",
     "a pie drawn with a pen twenty million pixels wide keeps Wine's GDI busy for many minutes"},
    {"Clipboard.ABusyClipboardIsReportedAndLeftAlone",
     "a clipboard opened with no owner window by one thread opens again for any other thread "
     "that names no window either: only the window is compared, not the thread"},
};

bool running_under_wine() {
    HMODULE ntdll = GetModuleHandleA("ntdll.dll");
    return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// The tests excluded here, each with its reason and where it applies.
std::vector<std::pair<std::string, std::string>> excluded_tests(bool wine) {
    std::vector<std::pair<std::string, std::string>> excluded;
    for (const excluded_test &e : k_windows_limits)
        excluded.emplace_back(e.test, std::string("on Windows, ") + e.reason);
    if (wine)
        for (const excluded_test &e : k_wine_differences)
            excluded.emplace_back(e.test, std::string("under Wine, ") + e.reason);
    return excluded;
}

// Adds the excluded tests to the negative part of the filter, and says which of the
// requested ones are skipped and why, in the form CTest recognises as a skip. Listing keeps
// them, so that CTest shows each one as skipped rather than leaving it out.
void skip_excluded(const std::vector<std::pair<std::string, std::string>> &excluded) {
    if (GTEST_FLAG_GET(list_tests) || excluded.empty()) return;
    std::string filter = GTEST_FLAG_GET(filter);
    std::string negative;
    for (const auto &[test, reason] : excluded) {
        negative += (negative.empty() ? "" : ":") + test;
        if (filter == test || filter == "*")
            std::printf("[  SKIPPED ] %s: %s\n", test.c_str(), reason.c_str());
    }
    filter += (filter.find('-') == std::string::npos ? "-" : ":") + negative;
    GTEST_FLAG_SET(filter, filter);
}

} // namespace

int main(int argc, char **argv) {
    // Unbuffered: the output goes to a file, and a program that dies would take it along.
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    testing::InitGoogleTest(&argc, argv);
    skip_excluded(excluded_tests(running_under_wine()));
    return RUN_ALL_TESTS();
}
