#include "emulated_system.h"

#include <cwchar>
#include <new>

#include "emulated/base/random_guid.h"
#include "emulated/base/system_messages.h"
#include "emulated/base/win32_codes.h"
#include "emulated/com/com_apartment.h"
#include "emulated/com/game_explorer_class.h"
#include "emulated/gameux/game_explorer.h"
#include "emulated/gameux/unavailable_game_explorer.h"
#include "emulated/location/system_location.h"
#include "emulated/shell/internet_shortcut.h"
#include "emulated/shell/shell_link.h"
#include "emulated/shell/special_folders.h"
#include "emulated/wmi/wmi_services.h"
#include "handed_out/com_memory.h"
#include "handed_out/token_user.h"

EmulatedSystem::EmulatedSystem()
    : EmulatedSystem(SystemFolderFromEnvironment(), CurrentSystemUser()) {}

EmulatedSystem::EmulatedSystem(const std::filesystem::path& systemFolder, SystemUser user)
    : machine_(std::make_shared<EmulatedMachine>(systemFolder, std::move(user))),
      registry_(machine_->registry),
      files_(machine_->drives),
      listings_(machine_->drives),
      fileIdentities_(machine_->drives),
      mutexes_(machine_->layout.RegistryFolder()),
      modules_(machine_->drives) {}

HRESULT EmulatedSystem::CoInitialize() {
    return EnterApartment();
}

void EmulatedSystem::CoUninitialize() {
    LeaveApartment();
}

// CO_E_NOTINITIALIZED outside CoInitialize; REGDB_E_CLASSNOTREG for Game Explorer when its class
// is not registered (a Game Explorer whose every call fails when the registry cannot be read),
// and for every class but Game Explorer, the WMI locator, the shell link and the Internet
// shortcut.
HRESULT EmulatedSystem::CoCreateInstance(REFCLSID clsid, REFIID iid, void** object) {
    *object = nullptr;
    if (ApartmentDepth() == 0) {
        return CO_E_NOTINITIALIZED;
    }
    if (IsEqualGUID(clsid, CLSID_ShellLink)) {
        return HandOut(new ShellLink(machine_), iid, object);
    }
    if (IsEqualGUID(clsid, CLSID_InternetShortcut)) {
        return HandOut(new InternetShortcut(machine_), iid, object);
    }
    if (IsEqualGUID(clsid, CLSID_WbemLocator)) {
        return HandOut(new WbemLocator(machine_), iid, object);
    }
    if (IsEqualGUID(clsid, CLSID_GameExplorer)) {
        HRESULT registration = GameExplorerRegistration(machine_->registry);
        if (registration == REGDB_E_CLASSNOTREG) {
            return registration;
        }
        if (FAILED(registration)) {
            return HandOut(new UnavailableGameExplorer(registration), iid, object);
        }
        return HandOut(new GameExplorer(machine_), iid, object);
    }
    return REGDB_E_CLASSNOTREG;
}

HRESULT EmulatedSystem::CoSetProxyBlanket(IUnknown* proxy, DWORD, DWORD, OLECHAR*, DWORD, DWORD,
                                          RPC_AUTH_IDENTITY_HANDLE, DWORD) {
    // The emulated services are in process: there is no proxy security to set.
    return proxy != nullptr ? S_OK : E_INVALIDARG;
}

HRESULT EmulatedSystem::CoCreateGuid(GUID* guid) {
    *guid = NewRandomGuid();
    return S_OK;
}

BSTR EmulatedSystem::SysAllocString(const OLECHAR* text) {
    return AllocateBstr(text);
}

void EmulatedSystem::SysFreeString(BSTR text) {
    FreeBstr(text);
}

LSTATUS EmulatedSystem::RegCreateKeyExW(HKEY root, LPCWSTR subKey, REGSAM /*access*/, HKEY* key,
                                        DWORD* disposition) {
    return registry_.CreateKey(root, subKey, key, disposition);
}

LSTATUS EmulatedSystem::RegSetValueExW(HKEY key, LPCWSTR valueName, DWORD type, const BYTE* data,
                                       DWORD byteCount) {
    return registry_.SetValue(key, valueName, type, data, byteCount);
}

// The emulated registry has one view (the 64-bit one) and no access control: the access asked
// for is not checked.
LSTATUS EmulatedSystem::RegOpenKeyExW(HKEY root, LPCWSTR subKey, REGSAM /*access*/, HKEY* key) {
    return registry_.OpenExistingKey(root, subKey, key);
}

LSTATUS EmulatedSystem::RegCloseKey(HKEY key) {
    return registry_.CloseKey(key);
}

LSTATUS EmulatedSystem::RegDeleteTreeW(HKEY key, LPCWSTR subKey) {
    return registry_.DeleteTree(key, subKey);
}

LSTATUS EmulatedSystem::RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, DWORD* nameLength) {
    return registry_.EnumKey(key, index, name, nameLength);
}

LSTATUS EmulatedSystem::RegQueryValueExW(HKEY key, LPCWSTR valueName, DWORD* type, BYTE* data,
                                         DWORD* byteCount) {
    return registry_.QueryValue(key, valueName, type, data, byteCount);
}

namespace {

// The one token there is: the process's, which holds nothing that needs releasing.
HANDLE const kProcessToken = reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(0x2000));

}  // namespace

// The process token is the system's one user, whose SID is SystemUser's userId.
BOOL EmulatedSystem::OpenProcessToken(HANDLE process, DWORD /*access*/, HANDLE* token) {
    if (process != GetCurrentProcess()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    *token = kProcessToken;
    return TRUE;
}

BOOL EmulatedSystem::GetTokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS informationClass,
                                         void* information, DWORD length, DWORD* returnLength) {
    if (token != kProcessToken || informationClass != TokenUser) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return WriteTokenUser(machine_->user.userId, information, length, returnLength);
}

BOOL EmulatedSystem::ConvertSidToStringSidW(PSID sid, LPWSTR* text) {
    *text = AllocateLocalText(SidText(sid));
    if (*text == nullptr) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return FALSE;
    }
    return TRUE;
}

BOOL EmulatedSystem::CloseHandle(HANDLE handle) {
    if (handle != kProcessToken && !mutexes_.Close(handle) && !fileIdentities_.Close(handle)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

HLOCAL EmulatedSystem::LocalFree(HLOCAL memory) {
    FreeLocalText(memory);
    return nullptr;
}

HRESULT EmulatedSystem::SHGetFolderPathW(int folder, DWORD /*flags*/, LPWSTR path) {
    path[0] = L'\0';
    std::optional<std::wstring> folderPath = SpecialFolderPath(folder, machine_->user);
    if (!folderPath) {
        return E_INVALIDARG;
    }
    if (folderPath->size() >= MAX_PATH) {
        return HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
    }
    // The folder exists on Windows from the start; here it exists once the system does.
    if (machine_->state != ERROR_SUCCESS) {
        return HRESULT_FROM_WIN32(machine_->state);
    }
    std::wmemcpy(path, folderPath->c_str(), folderPath->size() + 1);
    return S_OK;
}

int EmulatedSystem::SHCreateDirectoryExW(LPCWSTR path) {
    return files_.CreateFolder(path);
}

DWORD EmulatedSystem::GetFullPathNameW(LPCWSTR fileName, DWORD bufferLength, LPWSTR buffer,
                                       LPWSTR* filePart) {
    return files_.FullPathName(fileName, bufferLength, buffer, filePart);
}

DWORD EmulatedSystem::GetFileAttributesW(LPCWSTR fileName) {
    return files_.Attributes(fileName);
}

DWORD EmulatedSystem::GetLongPathNameW(LPCWSTR shortPath, LPWSTR longPath, DWORD bufferLength) {
    return files_.LongPathName(shortPath, bufferLength, longPath);
}

// Folders are read whole by FindFirstFileW (folder_listing.h).
HANDLE EmulatedSystem::FindFirstFileW(LPCWSTR fileName, WIN32_FIND_DATAW* findData) {
    DWORD error = ERROR_SUCCESS;
    const HANDLE find = listings_.First(fileName, *findData, error);
    if (find == INVALID_HANDLE_VALUE) {
        SetLastError(error);
    }
    return find;
}

BOOL EmulatedSystem::FindNextFileW(HANDLE find, WIN32_FIND_DATAW* findData) {
    DWORD error = ERROR_SUCCESS;
    const BOOL found = listings_.Next(find, *findData, error);
    if (!found) {
        SetLastError(error);
    }
    return found;
}

BOOL EmulatedSystem::FindClose(HANDLE find) {
    if (!listings_.Close(find)) {
        SetLastError(static_cast<DWORD>(ERROR_INVALID_HANDLE));
        return FALSE;
    }
    return TRUE;
}

// A file handle only tells which file it was opened on (file_identities.h).
HANDLE EmulatedSystem::CreateFileW(LPCWSTR fileName, DWORD access, DWORD /*shareMode*/,
                                   DWORD disposition, DWORD flags) {
    constexpr DWORD kSupportedFlags = FILE_FLAG_BACKUP_SEMANTICS;
    if (access != 0 || disposition != OPEN_EXISTING || (flags & ~kSupportedFlags) != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    DWORD error = ERROR_SUCCESS;
    const HANDLE file = fileIdentities_.Open(fileName, error);
    if (file == INVALID_HANDLE_VALUE) {
        SetLastError(error);
    }
    return file;
}

BOOL EmulatedSystem::GetFileInformationByHandle(HANDLE file,
                                                BY_HANDLE_FILE_INFORMATION* information) {
    if (!fileIdentities_.Information(file, *information)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

DWORD EmulatedSystem::GetFinalPathNameByHandleW(HANDLE file, LPWSTR path, DWORD count,
                                                DWORD flags) {
    const std::wstring* finalPath = fileIdentities_.FinalPath(file);
    if (flags != (FILE_NAME_NORMALIZED | VOLUME_NAME_DOS) || finalPath == nullptr) {
        SetLastError(finalPath == nullptr ? ERROR_INVALID_HANDLE : ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (finalPath->size() >= count) {
        return static_cast<DWORD>(finalPath->size() + 1);
    }
    std::wmemcpy(path, finalPath->c_str(), finalPath->size() + 1);
    return static_cast<DWORD>(finalPath->size());
}

// Mutexes are lock files beside the registry (named_mutexes.h); none without a system.
HANDLE EmulatedSystem::CreateMutexW(LPCWSTR name) {
    if (machine_->state != ERROR_SUCCESS) {
        SetLastError(static_cast<DWORD>(machine_->state));
        return nullptr;
    }
    DWORD error = ERROR_SUCCESS;
    HANDLE mutex = mutexes_.Create(name, error);
    if (mutex == nullptr) {
        SetLastError(error);
    }
    return mutex;
}

DWORD EmulatedSystem::WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
    DWORD error = ERROR_SUCCESS;
    const DWORD result = mutexes_.Wait(handle, milliseconds, error);
    if (result == WAIT_FAILED) {
        SetLastError(error);
    }
    return result;
}

BOOL EmulatedSystem::ReleaseMutex(HANDLE mutex) {
    DWORD error = ERROR_SUCCESS;
    const BOOL released = mutexes_.Release(mutex, error);
    if (!released) {
        SetLastError(error);
    }
    return released;
}

// Maps the file as LOAD_LIBRARY_AS_DATAFILE does, whichever of the two flags is given: the
// image's headers and section table must lie in the file, nothing more is checked. That is how
// Game Explorer and the binary check read a game; the stricter image checks of
// LOAD_LIBRARY_AS_IMAGE_RESOURCE are not made, and nothing here relies on them.
HMODULE EmulatedSystem::LoadLibraryExW(LPCWSTR fileName, DWORD /*flags*/) {
    return modules_.Load(fileName);
}

HRSRC EmulatedSystem::FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type) {
    return modules_.Find(module, name, type);
}

DWORD EmulatedSystem::SizeofResource(HMODULE module, HRSRC resource) {
    return modules_.SizeOf(module, resource);
}

BOOL EmulatedSystem::FreeLibrary(HMODULE module) {
    return modules_.Free(module);
}

// Windows' English texts (base/system_messages.h); ERROR_MR_MID_NOT_FOUND for other codes.
DWORD EmulatedSystem::FormatMessageW(DWORD messageId, LPWSTR buffer, DWORD size) {
    const std::optional<std::wstring_view> text = SystemMessageText(messageId);
    if (!text) {
        SetLastError(static_cast<DWORD>(ERROR_MR_MID_NOT_FOUND));
        return 0;
    }
    if (text->size() >= size) {
        SetLastError(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
        return 0;
    }
    std::wmemcpy(buffer, text->data(), text->size());
    buffer[text->size()] = L'\0';
    return static_cast<DWORD>(text->size());
}

// The calls whose Windows signature is the seam's own, each answered by the room the list names.
#define SYSTEM_CALL(Result, Name, Parameters, Arguments, Failure)
#define SYSTEM_RESOURCE_CALL SYSTEM_CALL
#define PLAIN_SYSTEM_CALL(Result, Name, Parameters, Arguments, Failure, Room) \
    Result EmulatedSystem::Name Parameters {                                  \
        return Room.Name Arguments;                                           \
    }
#include "seam/system_calls.def"
#undef PLAIN_SYSTEM_CALL
#undef SYSTEM_RESOURCE_CALL
#undef SYSTEM_CALL
