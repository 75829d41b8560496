// The portable Windows API: each system operation is handed to the current backend
// (CurrentSystem, current_system.cpp).
#include "seam/system_backend.h"

namespace {

// Each thread has its own last error, as on Windows.
thread_local DWORD lastError = 0;

}  // namespace

HRESULT CoInitialize(void* /*reserved*/) {
    return CurrentSystem().CoInitialize();
}

void CoUninitialize() {
    CurrentSystem().CoUninitialize();
}

HRESULT CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID iid,
                         void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    // Only in-process objects without aggregation exist on this platform.
    if (outer != nullptr || (context & CLSCTX_INPROC_SERVER) == 0) {
        return REGDB_E_CLASSNOTREG;
    }
    return CurrentSystem().CoCreateInstance(clsid, iid, object);
}

HRESULT CoSetProxyBlanket(IUnknown* proxy, DWORD authnService, DWORD authzService,
                          OLECHAR* serverPrincipalName, DWORD authnLevel, DWORD impLevel,
                          RPC_AUTH_IDENTITY_HANDLE authInfo, DWORD capabilities) {
    return CurrentSystem().CoSetProxyBlanket(proxy, authnService, authzService, serverPrincipalName,
                                             authnLevel, impLevel, authInfo, capabilities);
}

HRESULT CoCreateGuid(GUID* guid) {
    if (guid == nullptr) {
        return E_INVALIDARG;
    }
    return CurrentSystem().CoCreateGuid(guid);
}

BSTR SysAllocString(const OLECHAR* text) {
    return CurrentSystem().SysAllocString(text);
}

void SysFreeString(BSTR text) {
    CurrentSystem().SysFreeString(text);
}

void VariantInit(VARIANT* value) {
    value->vt = VT_EMPTY;
    value->bstrVal = nullptr;
}

HRESULT VariantClear(VARIANT* value) {
    if (value == nullptr) {
        return E_INVALIDARG;
    }
    if (value->vt == VT_BSTR) {
        SysFreeString(value->bstrVal);
    }
    VariantInit(value);
    return S_OK;
}

LSTATUS RegCreateKeyExW(HKEY root, LPCWSTR subKey, DWORD reserved, LPWSTR /*keyClass*/,
                        DWORD options, REGSAM access, LPSECURITY_ATTRIBUTES /*security*/, HKEY* key,
                        DWORD* disposition) {
    if (key == nullptr || subKey == nullptr || reserved != 0 ||
        options != REG_OPTION_NON_VOLATILE) {
        return ERROR_INVALID_PARAMETER;
    }
    return CurrentSystem().RegCreateKeyExW(root, subKey, access, key, disposition);
}

LSTATUS RegSetValueExW(HKEY key, LPCWSTR valueName, DWORD reserved, DWORD type, const BYTE* data,
                       DWORD byteCount) {
    if (reserved != 0) {
        return ERROR_INVALID_PARAMETER;
    }
    return CurrentSystem().RegSetValueExW(key, valueName, type, data, byteCount);
}

LSTATUS RegOpenKeyExW(HKEY root, LPCWSTR subKey, DWORD options, REGSAM access, HKEY* key) {
    if (key == nullptr || subKey == nullptr || options != 0) {
        return ERROR_INVALID_PARAMETER;
    }
    return CurrentSystem().RegOpenKeyExW(root, subKey, access, key);
}

LSTATUS RegCloseKey(HKEY key) {
    return CurrentSystem().RegCloseKey(key);
}

LSTATUS RegDeleteTreeW(HKEY key, LPCWSTR subKey) {
    // Windows also takes a null subKey (empty key itself, which stays); the program always
    // names the key that goes, so this platform offers only that.
    if (subKey == nullptr || subKey[0] == L'\0') {
        return ERROR_INVALID_PARAMETER;
    }
    return CurrentSystem().RegDeleteTreeW(key, subKey);
}

LSTATUS RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, DWORD* nameLength, DWORD* reserved,
                      LPWSTR keyClass, DWORD* /*classLength*/, PFILETIME /*lastWriteTime*/) {
    // Classes and times of keys are not kept on this platform, so none is offered.
    if (name == nullptr || nameLength == nullptr || reserved != nullptr || keyClass != nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    return CurrentSystem().RegEnumKeyExW(key, index, name, nameLength);
}

LSTATUS RegQueryValueExW(HKEY key, LPCWSTR valueName, DWORD* reserved, DWORD* type, BYTE* data,
                         DWORD* byteCount) {
    if (reserved != nullptr || (data != nullptr && byteCount == nullptr)) {
        return ERROR_INVALID_PARAMETER;
    }
    DWORD ignoredType = 0;
    DWORD ignoredCount = 0;
    return CurrentSystem().RegQueryValueExW(key, valueName, type != nullptr ? type : &ignoredType,
                                            data, byteCount != nullptr ? byteCount : &ignoredCount);
}

HANDLE GetCurrentProcess() {
    return reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1));
}

BOOL OpenProcessToken(HANDLE process, DWORD access, HANDLE* token) {
    if (token == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return CurrentSystem().OpenProcessToken(process, access, token);
}

BOOL GetTokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS informationClass, void* information,
                         DWORD length, DWORD* returnLength) {
    if (returnLength == nullptr || (information == nullptr && length != 0)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return CurrentSystem().GetTokenInformation(token, informationClass, information, length,
                                               returnLength);
}

BOOL ConvertSidToStringSidW(PSID sid, LPWSTR* text) {
    if (sid == nullptr || text == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return CurrentSystem().ConvertSidToStringSidW(sid, text);
}

BOOL CloseHandle(HANDLE handle) {
    return CurrentSystem().CloseHandle(handle);
}

HLOCAL LocalFree(HLOCAL memory) {
    return memory == nullptr ? nullptr : CurrentSystem().LocalFree(memory);
}

HRESULT SHGetFolderPathW(HWND /*owner*/, int folder, HANDLE /*token*/, DWORD flags, LPWSTR path) {
    if (path == nullptr) {
        return E_INVALIDARG;
    }
    return CurrentSystem().SHGetFolderPathW(folder, flags, path);
}

int SHCreateDirectoryExW(HWND /*owner*/, LPCWSTR path, const void* /*security*/) {
    if (path == nullptr) {
        return ERROR_INVALID_PARAMETER;
    }
    return CurrentSystem().SHCreateDirectoryExW(path);
}

DWORD GetFullPathNameW(LPCWSTR fileName, DWORD bufferLength, LPWSTR buffer, LPWSTR* filePart) {
    if (fileName == nullptr) {
        return 0;
    }
    return CurrentSystem().GetFullPathNameW(fileName, bufferLength, buffer, filePart);
}

DWORD GetFileAttributesW(LPCWSTR fileName) {
    if (fileName == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_FILE_ATTRIBUTES;
    }
    return CurrentSystem().GetFileAttributesW(fileName);
}

DWORD GetLongPathNameW(LPCWSTR shortPath, LPWSTR longPath, DWORD bufferLength) {
    if (shortPath == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return CurrentSystem().GetLongPathNameW(shortPath, longPath, bufferLength);
}

HANDLE FindFirstFileW(LPCWSTR fileName, WIN32_FIND_DATAW* findData) {
    if (fileName == nullptr || findData == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    return CurrentSystem().FindFirstFileW(fileName, findData);
}

BOOL FindNextFileW(HANDLE find, WIN32_FIND_DATAW* findData) {
    if (findData == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return CurrentSystem().FindNextFileW(find, findData);
}

HANDLE CreateFileW(LPCWSTR fileName, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES security,
                   DWORD disposition, DWORD flags, HANDLE templateFile) {
    if (fileName == nullptr || security != nullptr || templateFile != nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    return CurrentSystem().CreateFileW(fileName, access, shareMode, disposition, flags);
}

BOOL GetFileInformationByHandle(HANDLE file, BY_HANDLE_FILE_INFORMATION* information) {
    if (information == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return CurrentSystem().GetFileInformationByHandle(file, information);
}

DWORD GetFinalPathNameByHandleW(HANDLE file, LPWSTR path, DWORD count, DWORD flags) {
    if (path == nullptr && count != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return CurrentSystem().GetFinalPathNameByHandleW(file, path, count, flags);
}

BOOL FindClose(HANDLE find) {
    return CurrentSystem().FindClose(find);
}

HANDLE CreateMutexW(LPSECURITY_ATTRIBUTES /*security*/, BOOL initialOwner, LPCWSTR name) {
    // The program asks for named mutexes that it then waits for; this platform offers only that.
    if (initialOwner != FALSE || name == nullptr || name[0] == L'\0') {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return CurrentSystem().CreateMutexW(name);
}

DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
    return CurrentSystem().WaitForSingleObject(handle, milliseconds);
}

BOOL ReleaseMutex(HANDLE mutex) {
    return CurrentSystem().ReleaseMutex(mutex);
}

HMODULE LoadLibraryExW(LPCWSTR fileName, HANDLE file, DWORD flags) {
    // Only the resource mappings exist on this platform: nothing here runs a Windows binary.
    if (fileName == nullptr || file != nullptr ||
        (flags & (LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE)) == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return CurrentSystem().LoadLibraryExW(fileName, flags);
}

HRSRC FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type) {
    // Resources named by number (a value below 0x10000 in place of a text) are not offered.
    constexpr std::uintptr_t kLowestText = 0x10000;
    if (reinterpret_cast<std::uintptr_t>(name) < kLowestText ||
        reinterpret_cast<std::uintptr_t>(type) < kLowestText) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    return CurrentSystem().FindResourceW(module, name, type);
}

DWORD SizeofResource(HMODULE module, HRSRC resource) {
    return CurrentSystem().SizeofResource(module, resource);
}

BOOL FreeLibrary(HMODULE module) {
    return CurrentSystem().FreeLibrary(module);
}

DWORD FormatMessageW(DWORD flags, const void* source, DWORD messageId, DWORD /*languageId*/,
                     LPWSTR buffer, DWORD size, void* arguments) {
    // The system's own messages, returned as they are written: no message source of the
    // caller's, no inserts filled in, no buffer allocated for the caller.
    constexpr DWORD kSupportedFlags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    if (flags != kSupportedFlags || source != nullptr || arguments != nullptr ||
        buffer == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    return CurrentSystem().FormatMessageW(messageId, buffer, size);
}

DWORD GetLastError() {
    return lastError;
}

void SetLastError(DWORD error) {
    lastError = error;
}

// The calls whose Windows signature is the seam's own, forwarded as they are.
#define SYSTEM_CALL(Result, Name, Parameters, Arguments, Failure)
#define SYSTEM_RESOURCE_CALL SYSTEM_CALL
#define PLAIN_SYSTEM_CALL(Result, Name, Parameters, Arguments, Failure, Room) \
    Result Name Parameters {                                                  \
        return CurrentSystem().Name Arguments;                                \
    }
#include "seam/system_calls.def"
#undef PLAIN_SYSTEM_CALL
#undef SYSTEM_RESOURCE_CALL
#undef SYSTEM_CALL
