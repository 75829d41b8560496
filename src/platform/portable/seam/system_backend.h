// The one narrow interface between the portable Windows API and whatever plays the system.
// Abstract so that it can be replaced in tests: the program runs on the emulated Windows system,
// unit tests on a scripted double that records every call. Each method has the signature and the
// failure results of the Windows operation of the same name.
#pragma once

#include "platform_api.h"

class SystemBackend {
  public:
    virtual ~SystemBackend() = default;

    // S_OK on the thread's first initialisation, S_FALSE when already initialised, negative on
    // failure (then CoUninitialize must not follow).
    virtual HRESULT CoInitialize() = 0;
    virtual void CoUninitialize() = 0;
    // Negative (REGDB_E_CLASSNOTREG when the class is absent) and a null *object on failure.
    virtual HRESULT CoCreateInstance(REFCLSID clsid, REFIID iid, void** object) = 0;
    // Negative on failure; the proxy is unchanged.
    virtual HRESULT CoSetProxyBlanket(IUnknown* proxy, DWORD authnService, DWORD authzService,
                                      OLECHAR* serverPrincipalName, DWORD authnLevel,
                                      DWORD impLevel, RPC_AUTH_IDENTITY_HANDLE authInfo,
                                      DWORD capabilities) = 0;
    // Negative on failure; *guid is then unspecified.
    virtual HRESULT CoCreateGuid(GUID* guid) = 0;

    // A copy of text, or null when memory runs short (or text is null).
    virtual BSTR SysAllocString(const OLECHAR* text) = 0;
    // Null is allowed and ignored.
    virtual void SysFreeString(BSTR text) = 0;

    // ERROR_SUCCESS and an open key, or a Win32 error code and *key untouched.
    virtual LSTATUS RegCreateKeyExW(HKEY root, LPCWSTR subKey, REGSAM access, HKEY* key,
                                    DWORD* disposition) = 0;
    // ERROR_SUCCESS or a Win32 error code.
    virtual LSTATUS RegSetValueExW(HKEY key, LPCWSTR valueName, DWORD type, const BYTE* data,
                                   DWORD byteCount) = 0;
    // ERROR_SUCCESS and an open key, ERROR_FILE_NOT_FOUND when the key does not exist, or
    // another Win32 error code; *key is untouched on failure.
    virtual LSTATUS RegOpenKeyExW(HKEY root, LPCWSTR subKey, REGSAM access, HKEY* key) = 0;
    // ERROR_SUCCESS, or ERROR_INVALID_HANDLE-like code for a key that is not open.
    virtual LSTATUS RegCloseKey(HKEY key) = 0;
    // ERROR_SUCCESS, ERROR_FILE_NOT_FOUND when the subkey does not exist, or another Win32 error.
    virtual LSTATUS RegDeleteTreeW(HKEY key, LPCWSTR subKey) = 0;
    // ERROR_SUCCESS with the index-th subkey's name, ERROR_NO_MORE_ITEMS past the last one,
    // ERROR_MORE_DATA when the name does not fit *nameLength characters, or another Win32 error.
    virtual LSTATUS RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, DWORD* nameLength) = 0;
    // ERROR_SUCCESS with the value's type and data (its size only when data is null),
    // ERROR_FILE_NOT_FOUND when there is no such value, ERROR_MORE_DATA when it does not fit
    // *byteCount (which then gets the size), or another Win32 error.
    virtual LSTATUS RegQueryValueExW(HKEY key, LPCWSTR valueName, DWORD* type, BYTE* data,
                                     DWORD* byteCount) = 0;

    // TRUE and a token handle to close with CloseHandle, or FALSE with SetLastError's reason.
    virtual BOOL OpenProcessToken(HANDLE process, DWORD access, HANDLE* token) = 0;
    // TRUE with the information written, or FALSE with SetLastError's reason
    // (ERROR_INSUFFICIENT_BUFFER, and the size needed in *returnLength, when length is short).
    virtual BOOL GetTokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS informationClass,
                                     void* information, DWORD length, DWORD* returnLength) = 0;
    // TRUE and the SID's text for LocalFree, or FALSE with SetLastError's reason and *text null.
    virtual BOOL ConvertSidToStringSidW(PSID sid, LPWSTR* text) = 0;
    // FALSE for a handle (a token or a mutex) that is not open.
    virtual BOOL CloseHandle(HANDLE handle) = 0;
    // Null, or memory that this backend did not hand out (which stays as it is).
    virtual HLOCAL LocalFree(HLOCAL memory) = 0;

    // S_OK and the folder in path (MAX_PATH characters), or a negative HRESULT.
    virtual HRESULT SHGetFolderPathW(int folder, DWORD flags, LPWSTR path) = 0;
    // ERROR_SUCCESS, ERROR_ALREADY_EXISTS, or another Win32 error code.
    virtual int SHCreateDirectoryExW(LPCWSTR path) = 0;
    // 0 on success, a nonzero error code otherwise.
    virtual int SHFileOperationW(SHFILEOPSTRUCTW* operation) = 0;
    // Characters written without the terminator; the size needed (terminator included) when the
    // buffer is too short; 0 on failure.
    virtual DWORD GetFullPathNameW(LPCWSTR fileName, DWORD bufferLength, LPWSTR buffer,
                                   LPWSTR* filePart) = 0;
    // The attributes, or INVALID_FILE_ATTRIBUTES when the file does not exist or cannot be read,
    // with the reason set by SetLastError (ERROR_FILE_NOT_FOUND or ERROR_PATH_NOT_FOUND when it
    // does not exist).
    virtual DWORD GetFileAttributesW(LPCWSTR fileName) = 0;
    // The path with each short (8.3) name replaced by its long name: characters written without
    // the terminator; the size needed (terminator included) when the buffer is too short; 0 with
    // the reason set by SetLastError when a name on the way does not exist.
    virtual DWORD GetLongPathNameW(LPCWSTR shortPath, LPWSTR longPath, DWORD bufferLength) = 0;

    // The first entry of the folder that fileName's last name matches, with a handle for the
    // rest; INVALID_HANDLE_VALUE with the reason set by SetLastError (ERROR_PATH_NOT_FOUND when
    // the folder does not exist, ERROR_FILE_NOT_FOUND when nothing matches).
    virtual HANDLE FindFirstFileW(LPCWSTR fileName, WIN32_FIND_DATAW* findData) = 0;
    // TRUE and the next entry, or FALSE with the reason set by SetLastError (ERROR_NO_MORE_FILES
    // after the last one, ERROR_INVALID_HANDLE for a listing that is not open).
    virtual BOOL FindNextFileW(HANDLE find, WIN32_FIND_DATAW* findData) = 0;
    // FALSE for a listing that is not open.
    virtual BOOL FindClose(HANDLE find) = 0;

    // A handle to the named mutex (created when missing, not owned), or null with the reason set
    // by SetLastError.
    virtual HANDLE CreateMutexW(LPCWSTR name) = 0;
    // Waits at most milliseconds (INFINITE: without a time limit): WAIT_OBJECT_0 once the caller
    // owns the mutex, WAIT_ABANDONED when it does because its last owner ended without releasing
    // it, WAIT_TIMEOUT when the time ran out first, or WAIT_FAILED with the reason set by
    // SetLastError.
    virtual DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) = 0;
    // TRUE, or FALSE with the reason set by SetLastError (ERROR_NOT_OWNER when not owned).
    virtual BOOL ReleaseMutex(HANDLE mutex) = 0;

    // The image file mapped for its resources (flags hold LOAD_LIBRARY_AS_DATAFILE or
    // LOAD_LIBRARY_AS_IMAGE_RESOURCE), or null with the reason set by SetLastError:
    // ERROR_FILE_NOT_FOUND or ERROR_PATH_NOT_FOUND when it does not exist, ERROR_BAD_EXE_FORMAT
    // when it is no executable or DLL.
    virtual HMODULE LoadLibraryExW(LPCWSTR fileName, DWORD flags) = 0;
    // The resource of that type and name (both texts, not numbers), or null with the reason set
    // by SetLastError (ERROR_RESOURCE_DATA_NOT_FOUND when the image has no resources at all,
    // ERROR_RESOURCE_TYPE_NOT_FOUND, ERROR_RESOURCE_NAME_NOT_FOUND, ERROR_INVALID_HANDLE for a
    // module that is not loaded).
    virtual HRSRC FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type) = 0;
    // The size the image claims for a resource that FindResourceW found in module (whether or
    // not that many bytes follow), or 0 with the reason set by SetLastError
    // (ERROR_INVALID_HANDLE for a module that is not loaded or a resource it did not find).
    virtual DWORD SizeofResource(HMODULE module, HRSRC resource) = 0;
    // TRUE, or FALSE for a module that is not loaded.
    virtual BOOL FreeLibrary(HMODULE module) = 0;

    // The system's text for messageId in buffer, inserts left as they are: its length without
    // the terminator, or 0 with the reason set by SetLastError (ERROR_MR_MID_NOT_FOUND when there
    // is no such message, ERROR_INSUFFICIENT_BUFFER when it does not fit size characters).
    virtual DWORD FormatMessageW(DWORD messageId, LPWSTR buffer, DWORD size) = 0;
};

// The backend that the portable API forwards to: the one installed last, else the emulated
// Windows system, on which the program runs. Defined above every room (current_system.cpp), since
// choosing the emulated system means knowing it.
SystemBackend& CurrentSystem();

// Installs backend for the calls that follow (null restores the emulated system). The caller
// keeps ownership and must keep it alive while it is installed.
void InstallSystemBackend(SystemBackend* backend);
