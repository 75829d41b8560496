// Saving a shell object (a shell link, an Internet shortcut) to its file through its file
// interface.
#pragma once

#include "platform/gameux.h"
#include "platform/owners.h"

// Saves object through its file interface to path. TRUE: the file becomes the object's current
// file; an existing file of that name is replaced, so adding the same task again rewrites it.
inline HRESULT SaveToFile(IUnknown& object, const wchar_t* path) {
    ComPtr<IPersistFile> persistFile;
    const HRESULT hr = object.QueryInterface(IID_IPersistFile, persistFile.PutVoid());
    if (FAILED(hr)) {
        return hr;
    }
    // The call succeeded without giving an interface: no call failed, so say what is missing.
    if (!persistFile) {
        return E_POINTER;
    }
    const HRESULT saved = persistFile->Save(path, TRUE);
    return FAILED(saved) ? saved : S_OK;
}
