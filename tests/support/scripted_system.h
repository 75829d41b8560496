// A scripted stand-in for the Windows system: every result can be set beforehand, every call is
// logged with its arguments in order, and the accounts of objects, automation strings, COM
// initialisations and registry keys are kept so that a test can check that nothing leaked.
//
// Fault injection: with FailCall(n), the n-th platform call (counting from 1, object methods
// included) yields its failure instead of its scripted result (and no object or text where the
// call would yield one). CallCount() after a clean run gives the number of calls to try.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/gameux.h"
#include "seam/system_backend.h"

struct WmiObjectScript {
    std::wstring instanceId;   // the "InstanceID" text
    VARTYPE type = VT_BSTR;    // the variant type Get yields
    HRESULT getResult = S_OK;  // Get's result
};

// Registry keys as the double keeps them: lower-case path "hkcu\\software\\..." to values
// (name to raw bytes).
using ScriptedValues = std::map<std::wstring, std::vector<BYTE>>;
using ScriptedRegistry = std::map<std::wstring, ScriptedValues>;

// A shortcut file on the double's drives: its path, with what was set on the link. An Internet
// shortcut's address is its target, with neither arguments nor working folder.
struct ScriptedShortcut {
    std::wstring path;
    std::wstring target;
    bool internetShortcut = false;
    std::optional<std::wstring> arguments;
    std::optional<std::wstring> workingDirectory;
};

struct SystemScript {
    // COM runtime
    HRESULT coInitialize = S_OK;
    HRESULT coCreateGuid = S_OK;
    GUID createdGuid = {
        0xC0FFEE00, 0x1234, 0x5678, {0x9A, 0xBC, 0xDE, 0xF0, 0x12, 0x34, 0x56, 0x78}};
    HRESULT setProxyBlanket = S_OK;

    // Game Explorer
    HRESULT createGameExplorer = S_OK;
    HRESULT verifyAccess = S_OK;
    BOOL hasAccess = TRUE;
    HRESULT addGame = S_OK;
    std::optional<GUID> addGameLeaves;  // the GUID AddGame writes, if any
    HRESULT removeGame = S_OK;
    // A RemoveGame that succeeds removes one of the GUID's Game Explorer records (the all users'
    // first), as Game Explorer does per call, unless this is set.
    bool removeGameKeepsRecords = false;

    // WMI
    HRESULT createLocator = S_OK;
    HRESULT connectServer = S_OK;
    HRESULT execQuery = S_OK;
    HRESULT next = S_OK;
    bool nextYieldsNullObject = false;
    std::vector<WmiObjectScript> wmiObjects;  // what the query yields, in order

    // Shell links
    std::vector<ScriptedShortcut> shortcuts;  // the shortcut files there before the run
    HRESULT createShellLink = S_OK;
    HRESULT queryPersistFile = S_OK;
    HRESULT setPath = S_OK;
    HRESULT setArguments = S_OK;
    HRESULT setWorkingDirectory = S_OK;
    HRESULT save = S_OK;
    HRESULT createInternetShortcut = S_OK;
    HRESULT setUrl = S_OK;

    // Registry
    LSTATUS regCreateKey = ERROR_SUCCESS;
    std::wstring regCreateKeyFailsFor;  // when set, only a subkey path ending in it fails
    LSTATUS regSetValue = ERROR_SUCCESS;
    LSTATUS regDeleteTree = ERROR_SUCCESS;  // a failure here applies to a key that exists

    // The keys there are before the run, and after it what the run left.
    ScriptedRegistry registry;

    // The process token's user
    std::wstring userSid = L"S-1-5-21-1-2-3-1001";

    // Shell folders and files
    HRESULT localAppDataResult = S_OK;
    std::wstring localAppData = L"C:\\Users\\player\\AppData\\Local";
    HRESULT commonAppDataResult = S_OK;
    std::wstring commonAppData = L"C:\\ProgramData";
    int createDirectory = ERROR_SUCCESS;
    int fileOperation = 0;
    std::map<std::wstring, int> fileOperationFor;   // by first source path; overrides fileOperation
    std::wstring currentFolder = L"C:\\Work";       // relative paths are completed against it
    std::optional<DWORD> fullPathResult;            // overrides GetFullPathNameW's return value
    std::map<std::wstring, DWORD> fileAttributes;   // paths that exist (exact text)
    DWORD missingFileError = ERROR_FILE_NOT_FOUND;  // GetLastError after any other path
    std::map<std::wstring, std::wstring> longPaths;  // GetLongPathNameW's answers (exact text)

    // Calls whose log line starts with this throw std::bad_alloc, as a system out of memory
    // may (empty: none).
    std::string outOfMemoryAt;

    // Modules and resources: ERROR_SUCCESS, or the error that makes the call fail.
    LONG loadLibraryError = ERROR_SUCCESS;
    LONG findResourceError = ERROR_SUCCESS;
    DWORD resourceSize = 4096;  // what SizeofResource gives for a resource found

    // What waiting for a mutex gives when it does not fail: WAIT_TIMEOUT makes another run hold
    // every mutex for longer than any wait.
    DWORD waitResult = WAIT_OBJECT_0;

    // The system's message texts by message id; no message for any other id.
    std::map<DWORD, std::wstring> messages;
};

class ScriptedSystem : public SystemBackend {
  public:
    // Installs itself as the current backend for its lifetime.
    ScriptedSystem();
    ~ScriptedSystem() override;

    SystemScript script;

    // Makes the n-th platform call from now on fail (0: none).
    void FailCall(int n) { failAt_ = n; }
    int CallCount() const { return callCount_; }
    bool InjectedFailureHappened() const { return injected_; }
    // The logged line of the call that FailCall made fail (empty while none did).
    const std::string& InjectedCall() const { return injectedCall_; }

    // Every call so far, one line each, e.g. "RegCreateKeyExW HKCU Software\... 0x20006".
    const std::vector<std::string>& Calls() const { return calls_; }
    // The calls whose line starts with prefix.
    std::vector<std::string> CallsStartingWith(const std::string& prefix) const;
    bool Called(const std::string& prefix) const { return !CallsStartingWith(prefix).empty(); }
    // Index in Calls() of the first call starting with prefix, or -1.
    int IndexOf(const std::string& prefix) const;

    // Success when every object was released, every string freed, every successful COM
    // initialisation balanced (and no other), every registry key and token closed and every
    // local text freed.
    testing::AssertionResult AccountsBalance() const;

    // The emulated registry the double keeps: key path "HKCU\Software\..." (case kept) to
    // values (name to raw bytes).
    using Values = ScriptedValues;
    ScriptedRegistry& Registry() { return script.registry; }
    // The REG_SZ text of a value, or nullopt when key or value is missing.
    std::optional<std::wstring> RegistryText(const std::wstring& key,
                                             const std::wstring& value) const;

    // Saved shortcuts: path given to IPersistFile::Save, with what was set on the link.
    using SavedLink = ScriptedShortcut;
    const std::vector<SavedLink>& SavedLinks() const { return savedLinks_; }
    // Every shortcut file there is, which FindFirstFileW lists and IPersistFile::Load reads: the
    // script's, then those saved in the run (a later one of a path replacing an earlier one).
    std::vector<SavedLink> ShortcutFiles() const;

    // SystemBackend
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
    // Subkeys in the order of their lower-case paths.
    LSTATUS RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, DWORD* nameLength) override;
    // The value's bytes as stored, with the type REG_SZ (the double keeps no types).
    LSTATUS RegQueryValueExW(HKEY key, LPCWSTR valueName, DWORD* type, BYTE* data,
                             DWORD* byteCount) override;
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
    // A folder lists the shortcut files below it (ShortcutFiles) and the folders on their way,
    // after "." and ".."; only the pattern "<folder>\*" is offered. A folder with no shortcut
    // below it does not exist.
    HANDLE FindFirstFileW(LPCWSTR fileName, WIN32_FIND_DATAW* findData) override;
    BOOL FindNextFileW(HANDLE find, WIN32_FIND_DATAW* findData) override;
    BOOL FindClose(HANDLE find) override;
    HANDLE CreateMutexW(LPCWSTR name) override;
    // Logged with the time limit: "WaitForSingleObject <name> <milliseconds>".
    DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) override;
    BOOL ReleaseMutex(HANDLE mutex) override;

    // Mutexes created and not yet closed: handle to name, and whether it is owned.
    struct OpenMutex {
        std::wstring name;
        bool owned = false;
    };
    const std::map<HANDLE, OpenMutex>& OpenMutexes() const { return openMutexes_; }
    HMODULE LoadLibraryExW(LPCWSTR fileName, DWORD flags) override;
    HRSRC FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type) override;
    DWORD SizeofResource(HMODULE module, HRSRC resource) override;
    BOOL FreeLibrary(HMODULE module) override;
    DWORD FormatMessageW(DWORD messageId, LPWSTR buffer, DWORD size) override;

    // Used by the scripted objects. BeginCall logs a platform call and says whether it is the one
    // that must fail; Log records a release or free, which is never made to fail.
    bool BeginCall(const std::string& line);
    void Log(const std::string& line) { calls_.push_back(line); }
    void ObjectCreated() { ++objectsCreated_; }
    void ObjectDestroyed() { ++objectsDestroyed_; }
    void SaveLink(SavedLink link) { savedLinks_.push_back(std::move(link)); }

  private:
    int failAt_ = 0;
    int callCount_ = 0;
    bool injected_ = false;
    std::string injectedCall_;
    std::vector<std::string> calls_;

    int objectsCreated_ = 0;
    int objectsDestroyed_ = 0;
    std::set<BSTR> liveStrings_;
    int unknownStringsFreed_ = 0;
    int comInitialised_ = 0;    // successful CoInitialize calls
    int comUninitialised_ = 0;  // CoUninitialize calls
    std::map<HKEY, std::wstring> openKeys_;
    int badKeyCloses_ = 0;
    std::set<HMODULE> loadedModules_;
    int badModuleFrees_ = 0;
    std::uintptr_t nextKey_ = 0x1000;
    std::map<HANDLE, OpenMutex> openMutexes_;
    std::uintptr_t nextMutex_ = 0x8000;

    std::map<HANDLE, std::vector<WIN32_FIND_DATAW>> openFinds_;  // the entries still to come
    std::uintptr_t nextFind_ = 0xF000;
    int badFindCloses_ = 0;

    std::set<HANDLE> openHandles_;
    int badHandleCloses_ = 0;
    std::set<HLOCAL> liveLocalTexts_;
    int unknownLocalFrees_ = 0;

    std::vector<SavedLink> savedLinks_;

    BSTR AllocateTracked(const OLECHAR* text);
    // The key path a root or open key and a subkey name ("HKCU\\..."), or empty for a bad handle.
    std::wstring KeyPath(HKEY root, LPCWSTR subKey) const;
    // Whether a key exists: created, or the parent of one that was (lower-case path).
    bool KeyExists(const std::wstring& path) const;
    // The names of the subkeys of a key (lower-case path), each once, in order.
    std::vector<std::wstring> SubkeyNames(const std::wstring& path) const;
    friend class ScriptedClassObject;
};

// Narrow text of a wide string for call logs and messages: ASCII as is, others as \u{XXXX}.
std::string LogText(const wchar_t* text);
std::string LogGuid(const GUID& guid);
