// The test double of the system: a thin layer over a real emulated system in a throwaway folder,
// as a fault-injecting file system wraps the real one. Every call the program makes, object
// methods included, is counted and logged, and any of them can be made to fail; the state
// underneath (registry, files, shortcuts) is real, and tests assert on it.
//
// FailCall(n) makes the n-th call fail with its own usual failure (E_FAIL for a COM call,
// ERROR_ACCESS_DENIED for a Win32 one, a null string for SysAllocString, RPC_E_CHANGED_MODE for
// CoInitialize, which then finds COM set up on the thread already). Fail(start, code) makes every
// call whose log line starts with `start` fail with `code` (the rule said last holds where two
// match). CallCount() after a clean run gives
// the number of calls to try.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "emulated/emulated_system.h"
#include "platform/gameux.h"
#include "seam/system_backend.h"
#include "support/demo_game.h"
#include "support/temporary_folder.h"

class FaultingSystem final : public SystemBackend {
  public:
    // A fresh emulated system with Game Explorer, for the user "player" with kUserSid, installed
    // as the current backend for the double's lifetime.
    FaultingSystem();
    ~FaultingSystem() override;
    FaultingSystem(const FaultingSystem&) = delete;
    FaultingSystem& operator=(const FaultingSystem&) = delete;

    static constexpr const wchar_t* kUserSid = L"S-1-5-21-1-2-3-1001";

    // ---- Faults and the log ----
    void FailCall(int n) { failAt_ = n; }
    void Fail(std::string callStart, long code);
    // Forgets the calls so far, so that a test counts from the end of its arrangement.
    void StartCounting();
    // The calls that could have been made to fail (releases and frees never are).
    int CallCount() const { return count_; }
    bool InjectedFailureHappened() const { return !injectedCall_.empty(); }
    // The log line of the call that FailCall made fail (empty while none did).
    const std::string& InjectedCall() const { return injectedCall_; }
    // Every call so far, one line each: its name, then its main arguments ("RegOpenKeyExW HKLM
    // Software\..."; "key" for a key the program opened; "IGameExplorer::AddGame C:\...").
    const std::vector<std::string>& Calls() const { return calls_; }
    std::vector<std::string> CallsStartingWith(std::string_view start) const;
    bool Called(std::string_view start) const { return !CallsStartingWith(start).empty(); }

    // Success when every object the program was handed was released, every string it was handed
    // or allocated freed, every successful CoInitialize balanced, and every key, handle,
    // listing, module and local text given back.
    testing::AssertionResult AccountsBalance() const;

    // ---- The state underneath, arranged and read without the log ----
    EmulatedSystem& Underneath() { return system_; }
    const std::filesystem::path& Folder() const { return folder_.Path(); }
    // The host file of a path on drive C:.
    std::filesystem::path HostPath(std::wstring_view windowsPath) const;
    // Puts binary at a path on drive C:, making the folders on the way.
    void PutFile(std::wstring_view windowsPath, const std::string& binary = DemoGame()) const;
    void RemoveGameExplorer();
    void SetRegistryText(HKEY root, const std::wstring& key, const wchar_t* value,
                         const std::wstring& text);
    // A value's text, or nullopt when the key or the value is missing.
    std::optional<std::wstring> RegistryText(HKEY root, const std::wstring& key,
                                             const wchar_t* value);
    bool KeyExists(HKEY root, const std::wstring& key);

    // ---- SystemBackend ----
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
    LSTATUS RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, DWORD* nameLength) override;
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
    HANDLE FindFirstFileW(LPCWSTR fileName, WIN32_FIND_DATAW* findData) override;
    BOOL FindNextFileW(HANDLE find, WIN32_FIND_DATAW* findData) override;
    BOOL FindClose(HANDLE find) override;
    HANDLE CreateMutexW(LPCWSTR name) override;
    DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds) override;
    BOOL ReleaseMutex(HANDLE mutex) override;
    HMODULE LoadLibraryExW(LPCWSTR fileName, DWORD flags) override;
    HRSRC FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type) override;
    DWORD SizeofResource(HMODULE module, HRSRC resource) override;
    BOOL FreeLibrary(HMODULE module) override;
    DWORD FormatMessageW(DWORD messageId, LPWSTR buffer, DWORD size) override;

    // ---- For the wrapped COM objects ----
    // Logs a call; the failure code when it is one that must fail (the usual one of a call that
    // gives an HRESULT, or of one that gives a Win32 error).
    std::optional<long> Begin(std::string line, bool givesHresult = false);
    // Logs a release or a free, which is never made to fail.
    void Log(std::string line) { calls_.push_back(std::move(line)); }
    void ObjectMade() { ++objectsMade_; }
    void ObjectGone() { ++objectsGone_; }
    void StringHandedOut(BSTR text) { liveStrings_.insert(text); }
    // The wrapper that forwards to an object of the system underneath, for the interface iid.
    IUnknown* Wrap(IUnknown* inner, REFIID iid);

  private:
    struct Rule {
        std::string start;
        long code;
    };

    // In memory where the host has a memory file system: the sweeps make a system per call, and
    // every registry write of the emulated system is synced to its disk.
    TemporaryFolder folder_{"/dev/shm"};
    EmulatedSystem system_;
    long liveObjectsBefore_;

    int failAt_ = 0;
    std::vector<Rule> rules_;
    std::vector<std::string> calls_;
    int count_ = 0;
    std::string injectedCall_;
    std::map<HANDLE, std::wstring> mutexNames_;
    int apartmentsOwed_ = 0;  // apartments entered on behalf of a CoInitialize made to fail

    int objectsMade_ = 0;
    int objectsGone_ = 0;
    int comInitialised_ = 0;
    int comUninitialised_ = 0;
    std::set<BSTR> liveStrings_;
    int strayStringFrees_ = 0;
    std::set<HANDLE> liveHandles_;
    std::set<HLOCAL> liveLocalTexts_;
    std::set<HMODULE> liveModules_;
    int strayReleases_ = 0;  // closes and frees of what was not handed out
};

// Narrow text for call logs and messages: ASCII as is, others as \u{XXXX}.
std::string LogText(const wchar_t* text);
std::string LogGuid(const GUID& guid);
