#include "registration/folder_paths.h"

#include <gtest/gtest.h>

#include <utility>

#include "emulated/files/drive_mapping.h"
#include "registration/format_wide.h"
#include "support/faulting_system.h"

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

TEST(WorkingFolderOf, IsTheFullPathsFolderWithItsSeparator) {
    FaultingSystem system;
    // A relative path is completed against the current folder, which the system takes from the
    // host's.
    const std::wstring current = DriveMapping::CurrentFolder().value();
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"C:\\Games\\Demo\\demo.exe", L"C:\\Games\\Demo\\"},
        {L"C:\\demo.exe", L"C:\\"},
        {L"C:\\Games\\Demo\\", L"C:\\Games\\Demo\\"},
        {L"C:/Games/demo.exe", L"C:\\Games\\"},
        {L"bin\\demo.exe", current + L"\\bin\\"},
        // Longer than MAX_PATH when full: asked for again with the length the system gives.
        {std::wstring(300, L'd') + L"\\demo.exe",
         current + L"\\" + std::wstring(300, L'd') + L"\\"},
    };
    for (const auto& [path, directory] : cases) {
        std::wstring folder;
        EXPECT_EQ(WorkingFolderOf(path, folder), S_OK);
        EXPECT_EQ(folder, directory) << testing::PrintToString(path);
    }
    EXPECT_TRUE(system.AccountsBalance());
}

TEST(TaskKindFolder, JoinsTheTreeAndRefusesAPathThatDoesNotFit) {
    // The longest path below, with its terminator, fills the buffer exactly.
    wchar_t folder[94];
    const wchar_t* guid = L"{9A5EA990-3034-4D6F-9128-01F3C61022BC}";
    EXPECT_EQ(TaskKindFolder(folder, 94, L"C:\\Data", guid, TaskKind::Support, 12), S_OK);
    EXPECT_STREQ(folder,
                 L"C:\\Data\\Microsoft\\Windows\\GameExplorer\\"
                 L"{9A5EA990-3034-4D6F-9128-01F3C61022BC}\\SupportTasks\\12");
    EXPECT_EQ(TaskKindFolder(folder, 94, L"C:\\Data", guid, TaskKind::Play), S_OK);
    EXPECT_STREQ(folder,
                 L"C:\\Data\\Microsoft\\Windows\\GameExplorer\\"
                 L"{9A5EA990-3034-4D6F-9128-01F3C61022BC}\\PlayTasks");
    EXPECT_EQ(TaskKindFolder(folder, 94, L"C:\\Datas", guid, TaskKind::Support, 12),
              kFormatWideTruncated);
}

}  // namespace
