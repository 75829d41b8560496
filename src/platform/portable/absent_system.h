// A system on which none of the Windows services exists: every object creation and folder query
// fails, so the program runs and reports failures. Automation strings still work.
#pragma once

#include "system_backend.h"

class AbsentSystem : public SystemBackend {
  public:
    HRESULT CoInitialize() override;
    void CoUninitialize() override;
    HRESULT CoCreateInstance(REFCLSID clsid, REFIID iid, void** object) override;
    HRESULT CoSetProxyBlanket(IUnknown* proxy, DWORD authnService, DWORD authzService,
                              OLECHAR* serverPrincipalName, DWORD authnLevel, DWORD impLevel,
                              RPC_AUTH_IDENTITY_HANDLE authInfo, DWORD capabilities) override;
    HRESULT CoCreateGuid(GUID* guid) override;
    BSTR SysAllocString(const OLECHAR* text) override;
    void SysFreeString(BSTR text) override;
    LSTATUS RegCreateKeyExW(HKEY root, LPCWSTR subKey, REGSAM access, HKEY* key,
                            DWORD* disposition) override;
    LSTATUS RegSetValueExW(HKEY key, LPCWSTR valueName, DWORD type, const BYTE* data,
                           DWORD byteCount) override;
    LSTATUS RegOpenKeyExW(HKEY root, LPCWSTR subKey, REGSAM access, HKEY* key) override;
    LSTATUS RegCloseKey(HKEY key) override;
    LSTATUS RegDeleteTreeW(HKEY key, LPCWSTR subKey) override;
    HRESULT SHGetFolderPathW(int folder, DWORD flags, LPWSTR path) override;
    int SHCreateDirectoryExW(LPCWSTR path) override;
    int SHFileOperationW(SHFILEOPSTRUCTW* operation) override;
    DWORD GetFullPathNameW(LPCWSTR fileName, DWORD bufferLength, LPWSTR buffer,
                           LPWSTR* filePart) override;
    DWORD GetFileAttributesW(LPCWSTR fileName) override;
};
