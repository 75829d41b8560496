#include "absent_system.h"

#include "bstr_memory.h"

HRESULT AbsentSystem::CoInitialize() {
    return S_OK;
}

void AbsentSystem::CoUninitialize() {}

HRESULT AbsentSystem::CoCreateInstance(REFCLSID, REFIID, void** object) {
    *object = nullptr;
    return REGDB_E_CLASSNOTREG;
}

HRESULT AbsentSystem::CoSetProxyBlanket(IUnknown*, DWORD, DWORD, OLECHAR*, DWORD, DWORD,
                                        RPC_AUTH_IDENTITY_HANDLE, DWORD) {
    return E_FAIL;
}

HRESULT AbsentSystem::CoCreateGuid(GUID*) {
    return E_FAIL;
}

BSTR AbsentSystem::SysAllocString(const OLECHAR* text) {
    return AllocateBstr(text);
}

void AbsentSystem::SysFreeString(BSTR text) {
    FreeBstr(text);
}

LSTATUS AbsentSystem::RegCreateKeyExW(HKEY, LPCWSTR, REGSAM, HKEY*, DWORD*) {
    return ERROR_ACCESS_DENIED;
}

LSTATUS AbsentSystem::RegSetValueExW(HKEY, LPCWSTR, DWORD, const BYTE*, DWORD) {
    return ERROR_ACCESS_DENIED;
}

LSTATUS AbsentSystem::RegCloseKey(HKEY) {
    return ERROR_INVALID_PARAMETER;
}

LSTATUS AbsentSystem::RegOpenKeyExW(HKEY, LPCWSTR, REGSAM, HKEY*) {
    return ERROR_FILE_NOT_FOUND;
}

LSTATUS AbsentSystem::RegDeleteTreeW(HKEY, LPCWSTR) {
    return ERROR_FILE_NOT_FOUND;
}

HRESULT AbsentSystem::SHGetFolderPathW(int, DWORD, LPWSTR path) {
    path[0] = L'\0';
    return E_FAIL;
}

int AbsentSystem::SHCreateDirectoryExW(LPCWSTR) {
    return ERROR_ACCESS_DENIED;
}

int AbsentSystem::SHFileOperationW(SHFILEOPSTRUCTW*) {
    return ERROR_ACCESS_DENIED;
}

DWORD AbsentSystem::GetFullPathNameW(LPCWSTR, DWORD, LPWSTR, LPWSTR*) {
    return 0;
}

DWORD AbsentSystem::GetFileAttributesW(LPCWSTR) {
    SetLastError(ERROR_PATH_NOT_FOUND);
    return INVALID_FILE_ATTRIBUTES;
}
