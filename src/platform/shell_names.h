// Windows facts about file names and shortcuts that the program and the emulated system must
// agree on: the program refuses what the system would refuse or silently change.
#pragma once

#include <cstddef>
#include <string_view>

// Characters that Windows refuses in a file name; ':' would also open an alternate data stream
// and the separators would leave the folder.
inline constexpr std::wstring_view kForbiddenNameCharacters = L"\\/<>:\"|?*";

// The longest arguments text a shortcut holds (INFOTIPSIZE less its terminator); the shell cuts
// a longer one.
inline constexpr std::size_t kMaxShortcutArgumentsLength = 1023;

// True for the names Windows keeps for devices (CON, PRN, AUX, NUL, CONIN$, CONOUT$, COM0 to
// COM9 and LPT0 to LPT9, and COM or LPT with a superscript 1, 2 or 3) in any case, alone or
// before an extension ("nul", "COM1.txt"). Windows drops the blanks at the end of the part before
// the first dot before it compares, so "nul .x" is NUL too: a file of such a name reaches the
// device instead.
inline bool IsReservedDeviceName(std::wstring_view name) {
    std::wstring_view stem = name.substr(0, name.find(L'.'));
    while (!stem.empty() && stem.back() == L' ') {
        stem.remove_suffix(1);
    }
    auto equalsUpper = [](std::wstring_view text, std::wstring_view word) {
        if (text.size() != word.size()) {
            return false;
        }
        for (std::size_t i = 0; i < word.size(); ++i) {
            const wchar_t c = text[i];
            if ((c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c) != word[i]) {
                return false;
            }
        }
        return true;
    };
    for (std::wstring_view device : {L"CON", L"PRN", L"AUX", L"NUL", L"CONIN$", L"CONOUT$"}) {
        if (equalsUpper(stem, device)) {
            return true;
        }
    }
    if (stem.size() != 4) {
        return false;
    }
    // Superscript one, two and three count as port numbers.
    const wchar_t port = stem[3];
    const bool portNumber = (port >= L'0' && port <= L'9') || port == L'\u00B9' ||
                            port == L'\u00B2' || port == L'\u00B3';
    return portNumber &&
           (equalsUpper(stem.substr(0, 3), L"COM") || equalsUpper(stem.substr(0, 3), L"LPT"));
}
