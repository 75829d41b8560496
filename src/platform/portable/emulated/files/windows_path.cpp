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
        std::wstring_view name = text.substr(start, end - start);
        bool isLast = end >= text.size();
        if (name == L"..") {
            if (!names.empty()) {
                names.pop_back();
            }
        } else if (name != L"." && !name.empty()) {
            // Windows drops trailing dots and blanks from every name ("a. " is "a").
            std::size_t keep = name.find_last_not_of(L". ");
            if (keep != std::wstring_view::npos) {
                names.emplace_back(name.substr(0, keep + 1));
            }
        }
        if (isLast) {
            trailingSeparator = name.empty() && !text.empty() && IsSeparator(text.back());
            break;
        }
        start = end + 1;
    }
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
    AppendNames(rest, parsed.names, parsed.trailingSeparator);
    parsed.trailingSeparator = false;
    return parsed;
}

}  // namespace

std::wstring WindowsPath::Text() const {
    std::wstring text = root;
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
    if (path.empty() || path.starts_with(L"\\\\?\\")) {
        return std::nullopt;
    }
    std::optional<WindowsPath> current = SplitFullPath(currentFolder);
    if (!current) {
        return std::nullopt;
    }
    WindowsPath full;
    std::wstring_view rest;
    if (HasDrivePrefix(path)) {
        full.root = path.substr(0, 2);
        rest = path.substr(2);
        // "D:name" is relative to the current folder only when that folder is on drive D:;
        // other drives have no current folder here, so it starts at their root.
        bool relative = rest.empty() || !IsSeparator(rest[0]);
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
