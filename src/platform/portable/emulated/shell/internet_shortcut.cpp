#include "emulated/shell/internet_shortcut.h"

#include <cwchar>

#include "emulated/shell/shortcut_file.h"
#include "text/case_folding.h"
#include "text/host_text.h"

namespace {

constexpr std::wstring_view kSection = L"[InternetShortcut]";
constexpr std::wstring_view kAddressKey = L"URL=";

}  // namespace

InternetShortcut::InternetShortcut(std::shared_ptr<EmulatedMachine> machine)
    : machine_(std::move(machine)) {}

HRESULT InternetShortcut::SetURL(LPCWSTR url, DWORD flags) {
    if (url == nullptr || url[0] == L'\0' || flags != 0) {
        return E_INVALIDARG;
    }
    url_ = url;
    return S_OK;
}

HRESULT InternetShortcut::Save(LPCOLESTR fileName, BOOL /*remember*/) {
    return SaveShortcutFile(machine_->drives, fileName, InternetShortcutBytes(url_));
}

std::string InternetShortcutBytes(const std::wstring& url) {
    return "[InternetShortcut]\r\nURL=" + WideToHost(url) + "\r\n";
}

HRESULT InternetShortcut::GetURL(LPWSTR* url) {
    if (url == nullptr) {
        return E_INVALIDARG;
    }
    *url = nullptr;
    if (url_.empty()) {
        return S_FALSE;
    }
    const std::size_t bytes = (url_.size() + 1) * sizeof(wchar_t);
    auto* copy = static_cast<wchar_t*>(CoTaskMemAlloc(bytes));
    if (copy == nullptr) {
        return E_OUTOFMEMORY;
    }
    std::wmemcpy(copy, url_.c_str(), url_.size() + 1);
    *url = copy;
    return S_OK;
}

HRESULT InternetShortcut::Load(LPCOLESTR fileName, DWORD /*mode*/) {
    std::string bytes;
    const HRESULT loaded = LoadShortcutFile(machine_->drives, fileName, bytes);
    if (FAILED(loaded)) {
        return loaded;
    }
    url_ = InternetShortcutAddress(bytes);
    return S_OK;
}

std::wstring InternetShortcutAddress(std::string_view bytes) {
    const std::wstring text = HostToWide(bytes);
    bool inSection = false;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(L'\n', start);
        if (end == std::wstring::npos) {
            end = text.size();
        }
        std::wstring_view line = std::wstring_view(text).substr(start, end - start);
        if (line.ends_with(L'\r')) {
            line.remove_suffix(1);
        }
        start = end + 1;
        if (line.starts_with(L'[')) {
            inSection = EqualsIgnoringCase(line, kSection);
        } else if (inSection && line.size() >= kAddressKey.size() &&
                   EqualsIgnoringCase(line.substr(0, kAddressKey.size()), kAddressKey)) {
            return std::wstring(line.substr(kAddressKey.size()));
        }
    }
    return std::wstring();
}
