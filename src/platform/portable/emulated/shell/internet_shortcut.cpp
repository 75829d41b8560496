#include "emulated/shell/internet_shortcut.h"

#include "emulated/shell/shortcut_file.h"
#include "text/host_text.h"

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
