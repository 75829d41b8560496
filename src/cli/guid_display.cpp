#include "guid_display.h"

std::wstring BracedGuid(const GUID& guid) {
    wchar_t text[CHARS_IN_GUID] = {};
    StringFromGUID2(guid, text, CHARS_IN_GUID);
    return text;
}
