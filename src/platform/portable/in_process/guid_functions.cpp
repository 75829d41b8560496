// GUID operations that need no system: equality, the two text forms, and the well-known ids.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform_api.h"

const IID IID_IUnknown = {
    0x00000000, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const CLSID CLSID_WbemLocator = {
    0x4590F811, 0x1D3A, 0x11D0, {0x89, 0x1F, 0x00, 0xAA, 0x00, 0x4B, 0x2E, 0x24}};
const IID IID_IWbemLocator = {
    0xDC12A687, 0x737F, 0x11CF, {0x88, 0x4D, 0x00, 0xAA, 0x00, 0x4B, 0x2E, 0x24}};
const CLSID CLSID_ShellLink = {
    0x00021401, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID IID_IShellLinkW = {
    0x000214F9, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const IID IID_IPersistFile = {
    0x0000010B, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const CLSID CLSID_InternetShortcut = {
    0xFBF23B40, 0xE3F0, 0x101B, {0x84, 0x88, 0x00, 0xAA, 0x00, 0x3E, 0x56, 0xF8}};
const IID IID_IUniformResourceLocatorW = {
    0xCABB0DA0, 0xDA57, 0x11CF, {0x99, 0x74, 0x00, 0x20, 0xAF, 0xD7, 0x97, 0x62}};

BOOL IsEqualGUID(REFGUID a, REFGUID b) {
    return std::memcmp(&a, &b, sizeof(GUID)) == 0 ? TRUE : FALSE;
}

namespace {

// Both text forms print the same 32 digits in the same groups; only braces and case differ.
int FormatGuidDigits(const GUID& g, char* out, std::size_t size, bool upper) {
    const char* format = upper ? "%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X"
                               : "%08x-%04x-%04x-%02x%02x-%02x%02x%02x%02x%02x%02x";
    return std::snprintf(out, size, format, static_cast<unsigned>(g.Data1),
                         static_cast<unsigned>(g.Data2), static_cast<unsigned>(g.Data3), g.Data4[0],
                         g.Data4[1], g.Data4[2], g.Data4[3], g.Data4[4], g.Data4[5], g.Data4[6],
                         g.Data4[7]);
}

constexpr int kUnbracedLength = CHARS_IN_GUID - 3;  // no braces, no terminator

}  // namespace

int StringFromGUID2(REFGUID guid, LPOLESTR text, int capacity) {
    if (text == nullptr || capacity < CHARS_IN_GUID) {
        return 0;
    }
    char digits[kUnbracedLength + 1];
    FormatGuidDigits(guid, digits, sizeof digits, true);
    text[0] = L'{';
    for (int i = 0; i < kUnbracedLength; ++i) {
        text[i + 1] = static_cast<wchar_t>(digits[i]);
    }
    text[kUnbracedLength + 1] = L'}';
    text[kUnbracedLength + 2] = L'\0';
    return CHARS_IN_GUID;
}

RPC_STATUS UuidToStringA(const UUID* uuid, RPC_CSTR* text) {
    auto* buffer = static_cast<char*>(std::malloc(kUnbracedLength + 1));
    if (buffer == nullptr) {
        return RPC_S_OUT_OF_MEMORY;
    }
    FormatGuidDigits(uuid != nullptr ? *uuid : GUID_NULL, buffer, kUnbracedLength + 1, false);
    *text = reinterpret_cast<RPC_CSTR>(buffer);
    return RPC_S_OK;
}

RPC_STATUS RpcStringFreeA(RPC_CSTR* text) {
    if (text != nullptr) {
        std::free(*text);
        *text = nullptr;
    }
    return RPC_S_OK;
}
