#include "full_path.h"

#include <utility>

HRESULT FullPathOf(const std::wstring& path, std::wstring& full) {
    if (path.empty()) {
        return E_INVALIDARG;
    }
    // Most full paths fit MAX_PATH; a longer one is asked for again with the size the first
    // call reported, which the second then fills (the current folder does not change between).
    std::wstring buffer(MAX_PATH, L'\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        const DWORD length = GetFullPathNameW(path.c_str(), static_cast<DWORD>(buffer.size()),
                                              buffer.data(), nullptr);
        if (length == 0) {
            return E_INVALIDARG;
        }
        if (length < buffer.size()) {
            buffer.resize(length);
            full = std::move(buffer);
            return S_OK;
        }
        buffer.assign(length, L'\0');
    }
    return E_INVALIDARG;
}
