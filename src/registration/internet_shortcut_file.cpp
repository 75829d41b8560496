#include "internet_shortcut_file.h"

#include "persist_to_file.h"
#include "platform/com_initialization.h"

HRESULT SaveInternetShortcut(const wchar_t* shortcutPath, const wchar_t* address) {
    // Declared first so that the interface pointer is released before COM is uninitialised.
    ComInitialization com;

    ComPtr<IUniformResourceLocatorW> locator;
    const HRESULT created = CoCreateInstance(CLSID_InternetShortcut, nullptr, CLSCTX_INPROC_SERVER,
                                             IID_IUniformResourceLocatorW, locator.PutVoid());
    if (FAILED(created)) {
        return created;
    }
    // Created without giving an object: no call failed, so say what is missing.
    if (!locator) {
        return E_POINTER;
    }
    // No flags: the address is taken as given, never guessed at or completed.
    if (const HRESULT set = locator->SetURL(address, 0); FAILED(set)) {
        return set;
    }
    return SaveToFile(*locator.Get(), shortcutPath);
}
