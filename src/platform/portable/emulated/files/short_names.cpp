#include "emulated/files/short_names.h"

#include <algorithm>

#include "text/case_folding.h"

namespace {

constexpr std::size_t kMaxStem = 8;
constexpr std::size_t kMaxExtension = 3;
constexpr std::size_t kGeneratedStem = 6;

// The characters of an 8.3 name beside letters and digits.
constexpr std::wstring_view kShortNamePunctuation = L"!#$%&'()-@^_`{}~";

bool IsShortNameCharacter(wchar_t c) {
    return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || (c >= L'0' && c <= L'9') ||
           kShortNamePunctuation.find(c) != std::wstring_view::npos;
}

bool IsShortPart(std::wstring_view part, std::size_t longest) {
    return part.size() <= longest && std::all_of(part.begin(), part.end(), IsShortNameCharacter);
}

// The stem or extension as a short name holds it: upper case, blanks and dots gone, any other
// character that a short name cannot hold as "_".
std::wstring Cleaned(std::wstring_view part) {
    std::wstring cleaned;
    for (wchar_t c : part) {
        if (c == L' ' || c == L'.') {
            continue;
        }
        if (c >= L'a' && c <= L'z') {
            c = static_cast<wchar_t>(c - L'a' + L'A');
        }
        cleaned.push_back(IsShortNameCharacter(c) ? c : L'_');
    }
    return cleaned;
}

struct Basis {
    std::wstring stem;  // at most kGeneratedStem characters
    std::wstring extension;
};

Basis BasisOf(std::wstring_view name) {
    const std::size_t dot = name.find_last_of(L'.');
    // A dot that starts the name begins no extension: ".config" is CONFIG~1.
    const bool hasExtension = dot != std::wstring_view::npos && dot > 0;
    Basis basis{
        Cleaned(hasExtension ? name.substr(0, dot) : name),
        hasExtension ? Cleaned(name.substr(dot + 1)).substr(0, kMaxExtension) : std::wstring()};
    if (basis.stem.empty()) {
        basis.stem = L"_";
    }
    basis.stem.resize(std::min(basis.stem.size(), kGeneratedStem));
    return basis;
}

// The name with number n: the stem cut so that "~n" still fits in eight characters.
std::wstring Numbered(const std::wstring& stem, const std::wstring& extension, int n) {
    const std::wstring tail = L"~" + std::to_wstring(n);
    std::wstring name = stem.substr(0, std::min(kGeneratedStem, kMaxStem - tail.size())) + tail;
    return extension.empty() ? name : name + L"." + extension;
}

}  // namespace

bool IsEightDotThreeName(std::wstring_view name) {
    const std::size_t dot = name.find(L'.');
    if (dot == std::wstring_view::npos) {
        return !name.empty() && IsShortPart(name, kMaxStem);
    }
    return dot > 0 && IsShortPart(name.substr(0, dot), kMaxStem) &&
           IsShortPart(name.substr(dot + 1), kMaxExtension);
}

bool ShortNameTable::Hold(std::wstring_view shortName) {
    return held_.insert(FoldedText(shortName)).second;
}

std::wstring ShortNameBasis(std::wstring_view name) {
    const Basis basis = BasisOf(name);
    return basis.stem + L"." + basis.extension;
}

std::wstring ShortNameTable::Give(std::wstring_view name) {
    if (IsEightDotThreeName(name) && Hold(name)) {
        return std::wstring(name);
    }
    const Basis basis = BasisOf(name);
    int& next = nextNumber_.try_emplace(basis.stem + L"." + basis.extension, 1).first->second;
    for (;; ++next) {
        std::wstring candidate = Numbered(basis.stem, basis.extension, next);
        if (Hold(candidate)) {
            ++next;
            return candidate;
        }
    }
}
