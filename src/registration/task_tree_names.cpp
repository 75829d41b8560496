#include "task_tree_names.h"

#include "platform_api.h"
#include "task_kind.h"

namespace {

constexpr std::wstring_view kShellLinkExtension = L".lnk";
constexpr std::wstring_view kInternetShortcutExtension = L".url";

// The longest index folder name the program makes: an int's digits.
constexpr std::size_t kMaxIndexDigits = 10;

bool EndsWithIgnoringCase(std::wstring_view text, std::wstring_view end) {
    return text.size() > end.size() &&
           EqualIgnoringCase(text.substr(text.size() - end.size()), end);
}

}  // namespace

bool EqualIgnoringCase(std::wstring_view a, std::wstring_view b) {
    return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

std::optional<int> TaskIndexNamed(std::wstring_view name) {
    if (name.empty() || name.size() > kMaxIndexDigits || (name.size() > 1 && name[0] == L'0')) {
        return std::nullopt;
    }
    long long value = 0;
    for (wchar_t c : name) {
        if (c < L'0' || c > L'9') {
            return std::nullopt;
        }
        value = value * 10 + (c - L'0');
    }
    if (value > 0x7FFFFFFF) {
        return std::nullopt;
    }
    return static_cast<int>(value);
}

bool IsTaskKindFolderName(std::wstring_view name) {
    for (const TaskKindRow& row : kTaskKinds) {
        if (EqualIgnoringCase(name, row.folder)) {
            return true;
        }
    }
    return false;
}

ShortcutFileKind ShortcutFileKindOf(std::wstring_view name) {
    if (EndsWithIgnoringCase(name, kShellLinkExtension)) {
        return ShortcutFileKind::LnkFile;
    }
    if (EndsWithIgnoringCase(name, kInternetShortcutExtension)) {
        return ShortcutFileKind::UrlFile;
    }
    return ShortcutFileKind::NotAShortcut;
}
