// The emulated Windows system: the backend that lets the program do its whole job on a host
// without Windows, with real, persistent state in one folder (system_location.h): drives C: and
// Z:, a registry kept in registry editor files, Game Explorer with its WMI games namespace, and
// shell links saved as .lnk files, Internet shortcuts as .url files.
#pragma once

#include <filesystem>
#include <memory>

#include "emulated/files/emulated_files.h"
#include "emulated/files/folder_listing.h"
#include "emulated/gameux/resource_modules.h"
#include "emulated/location/named_mutexes.h"
#include "emulated/registry/emulated_registry.h"
#include "emulated/run_state/emulated_machine.h"
#include "seam/system_backend.h"

class EmulatedSystem final : public SystemBackend {
  public:
    // The user's system, in the folder that the environment names.
    EmulatedSystem();
    // A system in systemFolder for user; an empty folder is a host that offers no place for it.
    EmulatedSystem(const std::filesystem::path& systemFolder, SystemUser user);

    HRESULT CoInitialize() override;
    void CoUninitialize() override;
    // CO_E_NOTINITIALIZED outside CoInitialize; REGDB_E_CLASSNOTREG for Game Explorer when its
    // class is not registered (a Game Explorer whose every call fails when the registry cannot
    // be read), and for every class but Game Explorer, the WMI locator, the shell link and the
    // Internet shortcut.
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
    // The emulated registry has one view (the 64-bit one) and no access control: the access
    // asked for is not checked.
    LSTATUS RegOpenKeyExW(HKEY root, LPCWSTR subKey, REGSAM access, HKEY* key) override;
    LSTATUS RegCloseKey(HKEY key) override;
    LSTATUS RegDeleteTreeW(HKEY key, LPCWSTR subKey) override;
    LSTATUS RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, DWORD* nameLength) override;
    LSTATUS RegQueryValueExW(HKEY key, LPCWSTR valueName, DWORD* type, BYTE* data,
                             DWORD* byteCount) override;
    // The process token is the system's one user, whose SID is SystemUser's userId.
    BOOL OpenProcessToken(HANDLE process, DWORD access, HANDLE* token) override;
    BOOL GetTokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS informationClass,
                             void* information, DWORD length, DWORD* returnLength) override;
    BOOL ConvertSidToStringSidW(PSID sid, LPWSTR* text) override;
    BOOL CloseHandle(HANDLE handle) override;
    HLOCAL LocalFree(HLOCAL memory) override;
    HRESULT SHGetFolderPathW(int folder, DWORD flags, LPWSTR path) override;
    int SHCreateDirectoryExW(LPCWSTR path) override;
    int SHFileOperationW(SHFILEOPSTRUCTW* operation) override;
    DWORD GetFullPathNameW(LPCWSTR fileName, DWORD bufferLength, LPWSTR buffer,
                           LPWSTR* filePart) override;
    DWORD GetFileAttributesW(LPCWSTR fileName) override;
    DWORD GetLongPathNameW(LPCWSTR shortPath, LPWSTR longPath, DWORD bufferLength) override;
    // Folders are read whole by FindFirstFileW (folder_listing.h).
    HANDLE FindFirstFileW(LPCWSTR fileName, WIN32_FIND_DATAW* findData) override;
    BOOL FindNextFileW(HANDLE find, WIN32_FIND_DATAW* findData) override;
    BOOL FindClose(HANDLE find) override;
    // Mutexes are lock files beside the registry (named_mutexes.h); none without a system.
    HANDLE CreateMutexW(LPCWSTR name) override;
    DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) override;
    BOOL ReleaseMutex(HANDLE mutex) override;

    // Maps the file as LOAD_LIBRARY_AS_DATAFILE does, whichever of the two flags is given: the
    // image's headers and section table must lie in the file, nothing more is checked. That is
    // how Game Explorer and the binary check read a game; the stricter image checks of
    // LOAD_LIBRARY_AS_IMAGE_RESOURCE are not made, and nothing here relies on them.
    HMODULE LoadLibraryExW(LPCWSTR fileName, DWORD flags) override;
    HRSRC FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type) override;
    DWORD SizeofResource(HMODULE module, HRSRC resource) override;
    BOOL FreeLibrary(HMODULE module) override;
    // Windows' English texts (base/system_messages.h); ERROR_MR_MID_NOT_FOUND for other codes.
    DWORD FormatMessageW(DWORD messageId, LPWSTR buffer, DWORD size) override;

    // Registry keys opened and not yet closed.
    std::size_t OpenKeyCount() const { return registry_.Handles().OpenCount(); }
    // Folder listings begun and not yet closed.
    std::size_t OpenListingCount() const { return listings_.OpenCount(); }

  private:
    std::shared_ptr<EmulatedMachine> machine_;
    EmulatedRegistry registry_;
    EmulatedFiles files_;
    FolderListings listings_;
    NamedMutexes mutexes_;
    ResourceModules modules_;
};
