#include "cli/directory_of.h"

#include <gtest/gtest.h>

namespace {

struct DirectoryCase {
    const wchar_t* path;
    const wchar_t* directory;
};

TEST(DirectoryOf, CutsAtTheLastSeparatorOfEitherKindButKeepsARoot) {
    const DirectoryCase cases[] = {
        {L"C:\\Games\\Demo\\demo.exe", L"C:\\Games\\Demo"},
        {L"C:\\demo.exe", L"C:\\"},
        {L"C:/demo.exe", L"C:/"},
        {L"\\demo.exe", L"\\"},
        {L"demo.exe", L""},
        {L"", L""},
        {L"C:/Games/demo.exe", L"C:/Games"},
        {L"C:\\Games/sub\\demo.exe", L"C:\\Games/sub"},
        {L"C:\\Games\\Demo\\", L"C:\\Games\\Demo"},
        {L"..\\a\\.\\b.exe", L"..\\a\\."},
    };
    for (const DirectoryCase& c : cases) {
        EXPECT_EQ(DirectoryOf(c.path), c.directory) << testing::PrintToString(std::wstring(c.path));
    }
}

}  // namespace
