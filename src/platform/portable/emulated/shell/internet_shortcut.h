// The emulated Internet shortcut object: holds a web address (IUniformResourceLocatorW) and saves
// it as a .url file (IPersistFile) in the form Windows writes and reads, or loads it from one.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "emulated/com/com_object.h"
#include "emulated/run_state/emulated_machine.h"
#include "platform_api.h"

class InternetShortcut final
    : public PersistableObject<IUniformResourceLocatorW, &IID_IUniformResourceLocatorW> {
  public:
    explicit InternetShortcut(std::shared_ptr<EmulatedMachine> machine);

    // E_INVALIDARG for a null or empty address; flags that ask for guessing are not offered.
    HRESULT STDMETHODCALLTYPE SetURL(LPCWSTR url, DWORD flags) override;
    // E_INVALIDARG for a null url, E_OUTOFMEMORY when the copy cannot be made.
    HRESULT STDMETHODCALLTYPE GetURL(LPWSTR* url) override;

    // Writes "[InternetShortcut]" and "URL=<address>" lines (CRLF) to fileName, replacing a file
    // of that name atomically; failures as for a shell link's Save.
    HRESULT STDMETHODCALLTYPE Save(LPCOLESTR fileName, BOOL remember) override;
    // Reads the address from fileName (InternetShortcutAddress); the failure of LoadShortcutFile
    // leaves the object unchanged. A file without an address loads as a shortcut without one.
    HRESULT STDMETHODCALLTYPE Load(LPCOLESTR fileName, DWORD mode) override;

  private:
    ~InternetShortcut() = default;

    std::shared_ptr<EmulatedMachine> machine_;
    std::wstring url_;
};

// The bytes of a .url file for url: its lines in UTF-8, each ended by CR LF.
std::string InternetShortcutBytes(const std::wstring& url);
// The address in a .url file's bytes: the value of the first URL key (any case) of its
// [InternetShortcut] section, read as InternetShortcutBytes writes it; empty when there is none.
// Lines may end in CR LF or LF alone.
std::wstring InternetShortcutAddress(std::string_view bytes);
