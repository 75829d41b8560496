// Hexadecimal digits, as GUID texts, registry files and the program's own names write them.
#pragma once

// 0 to 15 for 0-9, a-f and A-F; -1 for any other character.
constexpr int HexDigitValue(wchar_t c) {
    if (c >= L'0' && c <= L'9') {
        return c - L'0';
    }
    if (c >= L'a' && c <= L'f') {
        return c - L'a' + 10;
    }
    if (c >= L'A' && c <= L'F') {
        return c - L'A' + 10;
    }
    return -1;
}

// The upper-case digit of value's lowest four bits.
constexpr wchar_t UpperHexDigit(unsigned long long value) {
    return L"0123456789ABCDEF"[value & 0xF];
}
