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

// True for the names Windows keeps for devices (CON, PRN, AUX, NUL, COM0 to COM9, LPT0 to LPT9)
// in any case, alone or before an extension ("nul", "COM1.txt"): a file of that name reaches
// the device instead.
inline bool IsReservedDeviceName(std::wstring_view name) {
    const std::wstring_view stem = name.substr(0, name.find(L'.'));
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
    for (std::wstring_view device : {L"CON", L"PRN", L"AUX", L"NUL"}) {
        if (equalsUpper(stem, device)) {
            return true;
        }
    }
    if (stem.size() != 4 || stem[3] < L'0' || stem[3] > L'9') {
        return false;
    }
    return equalsUpper(stem.substr(0, 3), L"COM") || equalsUpper(stem.substr(0, 3), L"LPT");
}
