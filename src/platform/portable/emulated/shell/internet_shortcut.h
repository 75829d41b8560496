// The emulated Internet shortcut object: holds a web address (IUniformResourceLocatorW) and saves
// it as a .url file (IPersistFile) in the form Windows writes and reads.
#pragma once

#include <memory>
#include <string>

#include "emulated/com/com_object.h"
#include "emulated/machine/emulated_machine.h"
#include "platform_api.h"

class InternetShortcut final
    : public PersistableObject<IUniformResourceLocatorW, &IID_IUniformResourceLocatorW> {
  public:
    explicit InternetShortcut(std::shared_ptr<EmulatedMachine> machine);

    // E_INVALIDARG for a null or empty address; flags that ask for guessing are not offered.
    HRESULT STDMETHODCALLTYPE SetURL(LPCWSTR url, DWORD flags) override;

    // Writes "[InternetShortcut]" and "URL=<address>" lines (CRLF) to fileName, replacing a file
    // of that name atomically; failures as for a shell link's Save.
    HRESULT STDMETHODCALLTYPE Save(LPCOLESTR fileName, BOOL remember) override;

  private:
    ~InternetShortcut() = default;

    std::shared_ptr<EmulatedMachine> machine_;
    std::wstring url_;
};

// The bytes of a .url file for url: its lines in UTF-8, each ended by CR LF.
std::string InternetShortcutBytes(const std::wstring& url);
