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
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "emulated/emulated_system.h"
#include "platform/gameux.h"
#include "seam/system_backend.h"
#include "support/demo_game.h"
#include "support/temporary_folder.h"

// How a call fails, as seam/system_calls.def names it for each call.
struct HresultFailure {};
struct Win32CodeFailure {};
inline constexpr HresultFailure Hresult;
inline constexpr Win32CodeFailure Win32Code;
template <typename Value>
struct LastErrorResult {
    Value value;
};
template <typename Value>
LastErrorResult<Value> LastError(Value value) {
    return {value};
}

constexpr bool GivesHresult(HresultFailure) {
    return true;
}
template <typename Failure>
constexpr bool GivesHresult(Failure) {
    return false;
}

// What a call gives when it fails with code.
HRESULT AsHresult(long code);
template <typename Result>
Result FailedResult(HresultFailure, long code) {
    return AsHresult(code);
}
template <typename Result>
Result FailedResult(Win32CodeFailure, long code) {
    return static_cast<Result>(code);
}
template <typename Result, typename Value>
Result FailedResult(LastErrorResult<Value> failure, long code) {
    SetLastError(static_cast<DWORD>(code));
    return static_cast<Result>(failure.value);
}
// Narrow text for call logs and messages: ASCII as is, others as \u{XXXX}.
std::string LogText(const wchar_t* text);
std::string LogGuid(const GUID& guid);
// HKCU, HKLM, or "key" for a key the program opened.
std::string LogKey(HKEY key);

// One argument in a call's log line: a text, a key, a GUID or a number (in hex, as flags and
// folder ids are written), after a blank; nothing
// for what the call writes to or another pointer.
template <typename Argument>
std::string DescribeArgument(const Argument& argument) {
    if constexpr (std::is_same_v<Argument, const wchar_t*>) {
        return " " + LogText(argument);
    } else if constexpr (std::is_same_v<Argument, HKEY>) {
        return " " + LogKey(argument);
    } else if constexpr (std::is_same_v<Argument, GUID>) {
        return " " + LogGuid(argument);
    } else if constexpr (std::is_integral_v<Argument>) {
        std::ostringstream hex;
        hex << " 0x" << std::hex << static_cast<std::uint64_t>(argument);
        return hex.str();
    } else {
        return "";
    }
}
template <typename... Arguments>
std::string DescribeArguments(const Arguments&... arguments) {
    return (std::string() + ... + DescribeArgument(arguments));
}

class FaultingSystem;

// The fault sweep of one operation: run once on a fresh system that arrange readies (the calls it
// makes are not counted), which must give S_OK, then once for each call that run made, on a fresh
// system again, with that call failing. Each failing run must reach its failure and give back
// everything it was handed; check then looks at its result and the system it left.
void SweepEveryCall(const std::function<void(FaultingSystem&)>& arrange,
                    const std::function<HRESULT()>& operation,
                    const std::function<void(FaultingSystem&, HRESULT)>& check);

class FaultingSystem final : public SystemBackend {
  public:
    // A fresh emulated system with Game Explorer, for the user "player" with kUserSid, installed
    // as the current backend for the double's lifetime.
    FaultingSystem() : FaultingSystem(kUserSid) {}
    // The same for a user with that SID (S-1-5-18: the system account).
    explicit FaultingSystem(const std::wstring& userSid);
    ~FaultingSystem() override;
    FaultingSystem(const FaultingSystem&) = delete;
    FaultingSystem& operator=(const FaultingSystem&) = delete;

    static constexpr const wchar_t* kUserSid = L"S-1-5-21-1-2-3-1001";

    // ---- Faults and the log ----
    void FailCall(int n) { failAt_ = n; }
    void Fail(std::string callStart, long code);
    // Every call whose log line starts so is made on the system underneath, then gives result
    // instead of its own (a number or a code, not a handle): an answer the system may give that
    // the emulated one does not, such as S_FALSE, or a full path that never fits.
    void Answer(std::string callStart, long result);
    // Every call whose log line starts so throws std::bad_alloc, as a system out of memory may.
    void RunOutOfMemoryAt(std::string callStart);
    // Forgets the calls so far, so that a test counts from the end of its arrangement.
    void StartCounting();
    // The calls that could have been made to fail (releases and frees never are).
    int CallCount() const { return count_; }
    bool InjectedFailureHappened() const { return !injectedCall_.empty(); }
    // The log line of the call that FailCall made fail (empty while none did).
    const std::string& InjectedCall() const { return injectedCall_; }
    // The failure FailCall made that call give, as the HRESULT a caller that passes it on
    // returns: the usual COM failure, or HRESULT_FROM_WIN32 of the usual Win32 error (S_OK while
    // none was made).
    HRESULT InjectedFailure() const { return injectedFailure_; }
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
    // Whether the key and the value could be written.
    bool SetRegistryText(HKEY root, const std::wstring& key, const wchar_t* value,
                         const std::wstring& text);
    // A value's text, or nullopt when the key or the value is missing.
    std::optional<std::wstring> RegistryText(HKEY root, const std::wstring& key,
                                             const wchar_t* value);
    bool KeyExists(HKEY root, const std::wstring& key);

    // ---- SystemBackend ----
    // A call that hands nothing out is logged with its name and the arguments that say what it
    // is asked (texts, keys, GUIDs, numbers), failed when asked, else answered by the system
    // underneath: nothing to write here for a new call. One that hands out or takes back what
    // must balance is written out in faulting_system.cpp, to keep the accounts.
#define SYSTEM_CALL(Result, Name, Parameters, Arguments, Failure)                            \
    Result Name Parameters override {                                                        \
        if (auto code = Begin(#Name + DescribeArguments Arguments, GivesHresult(Failure))) { \
            return FailedResult<Result>(Failure, *code);                                     \
        }                                                                                    \
        return Answered(system_.Name Arguments);                                             \
    }
#define SYSTEM_RESOURCE_CALL(Result, Name, Parameters, Arguments, Failure) \
    Result Name Parameters override;
#include "seam/system_calls.def"
#undef SYSTEM_RESOURCE_CALL
#undef SYSTEM_CALL

    // ---- For the wrapped COM objects ----
    // Logs a call; the failure code when it is one that must fail (the usual one of a call that
    // gives an HRESULT, or of one that gives a Win32 error).
    std::optional<long> Begin(std::string line, bool givesHresult = false);
    // The result of the call just begun: its own, or the one Answer gives instead.
    template <typename Result>
    Result Answered(Result result) {
        const std::optional<long> answer = std::exchange(answer_, std::nullopt);
        if constexpr (std::is_pointer_v<Result>) {
            return result;
        } else {
            return answer ? static_cast<Result>(*answer) : result;
        }
    }
    // Logs a release or a free, which is never made to fail.
    void Log(std::string line) {
        calls_.push_back(std::move(line));
    }
    void ObjectMade() {
        ++objectsMade_;
    }
    void ObjectGone() {
        ++objectsGone_;
    }
    void StringHandedOut(BSTR text) {
        liveStrings_.insert(text);
    }
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
    std::vector<std::string> outOfMemoryAt_;
    std::vector<Rule> answers_;
    std::optional<long> answer_;  // the answer of the call just begun
    std::vector<std::string> calls_;
    int count_ = 0;
    std::string injectedCall_;
    HRESULT injectedFailure_ = S_OK;
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
