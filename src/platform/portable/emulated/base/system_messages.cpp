#include "emulated/base/system_messages.h"

#include <algorithm>
#include <iterator>

namespace {

struct SystemMessage {
    DWORD id;
    std::wstring_view text;
};

// Sorted by id. Win32 errors are listed by their code: the program asks for the code of an
// HRESULT that carries one.
constexpr SystemMessage kSystemMessages[] = {
    {2, L"The system cannot find the file specified.\r\n"},
    {3, L"The system cannot find the path specified.\r\n"},
    {5, L"Access is denied.\r\n"},
    {6, L"The handle is invalid.\r\n"},
    {8, L"Not enough memory resources are available to process this command.\r\n"},
    {13, L"The data is invalid.\r\n"},
    {14, L"Not enough memory resources are available to complete this operation.\r\n"},
    {87, L"The parameter is incorrect.\r\n"},
    {122, L"The data area passed to a system call is too small.\r\n"},
    {123, L"The filename, directory name, or volume label syntax is incorrect.\r\n"},
    {145, L"The directory is not empty.\r\n"},
    {161, L"The specified path is invalid.\r\n"},
    {183, L"Cannot create a file when that file already exists.\r\n"},
    {193, L"%1 is not a valid Win32 application.\r\n"},
    {203, L"The system could not find the environment option that was entered.\r\n"},
    {206, L"The filename or extension is too long.\r\n"},
    {223, L"The file size exceeds the limit allowed and cannot be saved.\r\n"},
    {267, L"The directory name is invalid.\r\n"},
    {1012, L"The configuration registry key could not be read.\r\n"},
    {1013, L"The configuration registry key could not be written.\r\n"},
    {1018, L"Illegal operation attempted on a registry key that has been marked for deletion.\r\n"},
    {1113, L"No mapping for the Unicode character exists in the target multi-byte code page.\r\n"},
    {1168, L"Element not found.\r\n"},
    {1812, L"The specified image file did not contain a resource section.\r\n"},
    {1813, L"The specified resource type cannot be found in the image file.\r\n"},
    {1814, L"The specified resource name cannot be found in the image file.\r\n"},
    {1815, L"The specified resource language ID cannot be found in the image file.\r\n"},
    {0x80004001, L"Not implemented\r\n"},
    {0x80004002, L"No such interface supported\r\n"},
    {0x80004003, L"Invalid pointer\r\n"},
    {0x80004005, L"Unspecified error\r\n"},
    {0x80040154, L"Class not registered\r\n"},
    {0x800401F0, L"CoInitialize has not been called.\r\n"},
    {0x800401F3, L"Invalid class string\r\n"},
};

static_assert(std::is_sorted(std::begin(kSystemMessages), std::end(kSystemMessages),
                             [](const SystemMessage& a, const SystemMessage& b) {
                                 return a.id < b.id;
                             }));

}  // namespace

std::optional<std::wstring_view> SystemMessageText(DWORD messageId) {
    const auto found =
        std::lower_bound(std::begin(kSystemMessages), std::end(kSystemMessages), messageId,
                         [](const SystemMessage& message, DWORD id) { return message.id < id; });
    if (found == std::end(kSystemMessages) || found->id != messageId) {
        return std::nullopt;
    }
    return found->text;
}
