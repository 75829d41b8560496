#include "emulated/files/windows_path.h"

#include "text/case_folding.h"

namespace {

bool IsSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

bool IsDriveLetter(wchar_t c) {
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z');
}

bool HasDrivePrefix(std::wstring_view path) {
    return path.size() >= 2 && IsDriveLetter(path[0]) && path[1] == L':';
}

bool IsVerbatim(std::wstring_view path) {
    return path.starts_with(L"\\\\?\\");
}

// "\\.\", "//./" or "\\?/" and the like: a device path that Windows still makes full.
bool IsDevicePath(std::wstring_view path) {
    return path.size() >= 4 && IsSeparator(path[0]) && IsSeparator(path[1]) &&
           (path[2] == L'.' || path[2] == L'?') && IsSeparator(path[3]);
}

// A name that ends the path loses every trailing dot and blank; any other name loses its last
// dot only, so that "game \" stays a folder named "game " ("a. \b.. " is "a. \b").
std::wstring_view TrimmedName(std::wstring_view name, bool isLast) {
    if (isLast) {
        const std::size_t keep = name.find_last_not_of(L". ");
        return keep == std::wstring_view::npos ? std::wstring_view{} : name.substr(0, keep + 1);
    }
    return name.ends_with(L'.') ? name.substr(0, name.size() - 1) : name;
}

// Splits text at separators, resolving "." and ".." onto names, which may already hold a base.
void AppendNames(std::wstring_view text, std::vector<std::wstring>& names,
                 bool& trailingSeparator) {
    trailingSeparator = false;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = start;
        while (end < text.size() && !IsSeparator(text[end])) {
            ++end;
        }
        const std::wstring_view name = text.substr(start, end - start);
        const bool isLast = end >= text.size();
        if (name == L"..") {
            if (!names.empty()) {
                names.pop_back();
            }
        } else if (name != L"." && !name.empty()) {
            const std::wstring_view kept = TrimmedName(name, isLast);
            if (!kept.empty()) {
                names.emplace_back(kept);
            } else {
                trailingSeparator = true;  // "C:\a\..." is "C:\a\"
                break;
            }
        }
        if (isLast) {
            trailingSeparator = name.empty() && !text.empty() && IsSeparator(text.back());
            break;
        }
        start = end + 1;
    }
}

// The names between backslashes, as they are: a "\\?\" path and the host's current folder.
void SplitNames(std::wstring_view text, std::vector<std::wstring>& names, bool& trailingSeparator) {
    trailingSeparator = !text.empty() && text.back() == L'\\';
    if (trailingSeparator) {
        text.remove_suffix(1);
    }
    std::size_t start = 0;
    while (!text.empty() && start <= text.size()) {
        const std::size_t end = std::min(text.find(L'\\', start), text.size());
        names.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
}

// The text up to the next separator as the root; rest gets what follows that separator.
std::wstring FirstName(std::wstring_view path, std::wstring_view& rest,
                       bool (*isSeparator)(wchar_t)) {
    std::size_t end = 0;
    while (end < path.size() && !isSeparator(path[end])) {
        ++end;
    }
    rest = end < path.size() ? path.substr(end + 1) : std::wstring_view{};
    return std::wstring(path.substr(0, end));
}

// "\\server\share" from a path that starts with two separators; rest gets what follows.
std::wstring UncRoot(std::wstring_view path, std::wstring_view& rest) {
    std::size_t position = 2;
    std::wstring root = L"\\\\";
    for (int part = 0; part < 2 && position < path.size(); ++part) {
        std::size_t end = position;
        while (end < path.size() && !IsSeparator(path[end])) {
            ++end;
        }
        if (part == 1) {
            root.push_back(L'\\');
        }
        root.append(path.substr(position, end - position));
        position = end + 1;
    }
    rest = position < path.size() ? path.substr(position) : std::wstring_view{};
    return root;
}

// The current folder taken apart; it is full by contract, so it has a drive or UNC root.
std::optional<WindowsPath> SplitFullPath(std::wstring_view folder) {
    WindowsPath parsed;
    std::wstring_view rest;
    if (HasDrivePrefix(folder)) {
        parsed.root = folder.substr(0, 2);
        rest = folder.substr(2);
    } else if (folder.size() > 2 && IsSeparator(folder[0]) && IsSeparator(folder[1])) {
        parsed.root = UncRoot(folder, rest);
    } else {
        return std::nullopt;
    }
    if (!rest.empty() && IsSeparator(rest[0])) {
        rest.remove_prefix(1);
    }
    SplitNames(rest, parsed.names, parsed.trailingSeparator);
    parsed.trailingSeparator = false;
    return parsed;
}

// "\\?\C:\a\..\b" names "a", ".." and "b" below C:, untouched; "\\?\UNC\server\share\x" is
// the network path "\\server\share\x".
WindowsPath VerbatimPath(std::wstring_view path) {
    WindowsPath parsed;
    parsed.verbatim = std::wstring(path);
    parsed.prefix = L"\\\\?\\";
    auto isBackslash = [](wchar_t c) { return c == L'\\'; };
    std::wstring_view rest = path.substr(4);
    if (rest.starts_with(L"UNC\\")) {
        std::wstring_view afterServer;
        parsed.root = L"\\\\" + FirstName(rest.substr(4), afterServer, isBackslash);
        parsed.root += L'\\' + FirstName(afterServer, rest, isBackslash);
    } else {
        parsed.root = FirstName(rest, rest, isBackslash);
    }
    SplitNames(rest, parsed.names, parsed.trailingSeparator);
    return parsed;
}

}  // namespace

std::wstring WindowsPath::Text() const {
    if (verbatim) {
        return *verbatim;
    }
    std::wstring text = prefix + root;
    text.push_back(L'\\');
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) {
            text.push_back(L'\\');
        }
        text.append(names[i]);
    }
    if (trailingSeparator && !names.empty()) {
        text.push_back(L'\\');
    }
    return text;
}

std::optional<std::size_t> WindowsPath::LastNameOffset() const {
    if (names.empty() || trailingSeparator) {
        return std::nullopt;
    }
    return Text().size() - names.back().size();
}

wchar_t WindowsPath::Drive() const {
    return root.size() == 2 && root[1] == L':' ? FoldCase(root[0]) : L'\0';
}

std::optional<WindowsPath> FullWindowsPath(std::wstring_view path,
                                           std::wstring_view currentFolder) {
    if (path.empty()) {
        return std::nullopt;
    }
    if (IsVerbatim(path)) {
        return VerbatimPath(path);
    }
    std::optional<WindowsPath> current = SplitFullPath(currentFolder);
    if (!current && !IsFullyQualified(path)) {
        return std::nullopt;
    }
    WindowsPath full;
    std::wstring_view rest;
    if (IsDevicePath(path)) {
        full.prefix = {L'\\', L'\\', path[2], L'\\'};
        full.root = FirstName(path.substr(4), rest, IsSeparator);
    } else if (HasDrivePrefix(path)) {
        full.root = path.substr(0, 2);
        rest = path.substr(2);
        // "D:name" is relative to the current folder only when that folder is on drive D:;
        // other drives have no current folder here, so it starts at their root.
        const bool relative = rest.empty() || !IsSeparator(rest[0]);
        if (relative && FoldCase(path[0]) == current->Drive()) {
            full.names = current->names;
        }
    } else if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
        full.root = UncRoot(path, rest);
    } else if (IsSeparator(path[0])) {
        full.root = current->root;
        rest = path.substr(1);
    } else {
        full.root = current->root;
        full.names = current->names;
        rest = path;
    }
    AppendNames(rest, full.names, full.trailingSeparator);
    return full;
}

bool IsFullyQualified(std::wstring_view path) {
    const bool twoSeparators = path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]);
    return twoSeparators || (HasDrivePrefix(path) && path.size() >= 3 && IsSeparator(path[2]));
}

bool SameWindowsPath(std::wstring_view a, std::wstring_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        bool same = IsSeparator(a[i]) ? IsSeparator(b[i]) : FoldCase(a[i]) == FoldCase(b[i]);
        if (!same) {
            return false;
        }
    }
    return true;
}
