#include "support/faulting_system.h"

#include <cwchar>
#include <new>
#include <sstream>

#include "emulated/com/com_object.h"
#include "handed_out/com_memory.h"
#include "handed_out/token_user.h"

namespace {

constexpr long kUsualComFailure = E_FAIL;
constexpr long kUsualWin32Failure = ERROR_ACCESS_DENIED;
// What CoInitialize gives on a thread whose COM was set up in another mode.
constexpr HRESULT kChangedMode = static_cast<HRESULT>(0x80010106);

std::string Hex(std::uint32_t value) {
    std::ostringstream out;
    out << "0x" << std::hex << value;
    return out.str();
}

}  // namespace

HRESULT AsHresult(long code) {
    return code < 0 ? static_cast<HRESULT>(code) : HRESULT_FROM_WIN32(static_cast<DWORD>(code));
}

std::string LogKey(HKEY key) {
    if (key == HKEY_CURRENT_USER) {
        return "HKCU";
    }
    return key == HKEY_LOCAL_MACHINE ? "HKLM" : "key";
}

std::string LogText(const wchar_t* text) {
    if (text == nullptr) {
        return "(null)";
    }
    std::string out;
    for (; *text != L'\0'; ++text) {
        auto c = static_cast<std::uint32_t>(*text);
        if (c >= 0x20 && c < 0x7F) {
            out.push_back(static_cast<char>(c));
        } else {
            out += "\\u{" + Hex(c).substr(2) + "}";
        }
    }
    return out;
}

std::string LogGuid(const GUID& guid) {
    wchar_t text[CHARS_IN_GUID];
    StringFromGUID2(guid, text, CHARS_IN_GUID);
    return LogText(text);
}

// ---- The wrapped COM objects ------------------------------------------------------------------
// Each forwards to one interface of an object of the system underneath, logging every method and
// failing it when asked; an interface it hands out is wrapped in turn.

namespace {

template <typename Interface>
class Wrapped : public Interface {
  public:
    Wrapped(FaultingSystem& system, Interface* inner, const char* name)
        : system_(system), inner_(inner), name_(name) {
        system_.ObjectMade();
    }
    virtual ~Wrapped() {
        inner_->Release();
        system_.ObjectGone();
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        *object = nullptr;
        if (auto code = Begin("QueryInterface " + LogGuid(iid))) {
            return AsHresult(*code);
        }
        IUnknown* other = nullptr;
        HRESULT hr = inner_->QueryInterface(iid, reinterpret_cast<void**>(&other));
        if (SUCCEEDED(hr)) {
            *object = system_.Wrap(other, iid);
        }
        return hr;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        system_.Log(std::string(name_) + "::Release");
        ULONG left = --references_;
        if (left == 0) {
            delete this;
        }
        return left;
    }

  protected:
    std::optional<long> Begin(const std::string& call) {
        return system_.Begin(std::string(name_) + "::" + call, true);
    }

    FaultingSystem& system_;
    Interface* inner_;

  private:
    const char* name_;
    ULONG references_ = 1;
};

class WrappedGameExplorer final : public Wrapped<IGameExplorer> {
  public:
    WrappedGameExplorer(FaultingSystem& system, IGameExplorer* inner)
        : Wrapped(system, inner, "IGameExplorer") {}
    HRESULT STDMETHODCALLTYPE AddGame(BSTR binaryPath, BSTR installDirectory,
                                      GAME_INSTALL_SCOPE scope, GUID* instanceId) override {
        if (auto code = Begin("AddGame " + LogText(binaryPath) + " " + std::to_string(scope))) {
            return AsHresult(*code);
        }
        return system_.Answered(inner_->AddGame(binaryPath, installDirectory, scope, instanceId));
    }
    HRESULT STDMETHODCALLTYPE RemoveGame(GUID instanceId) override {
        if (auto code = Begin("RemoveGame " + LogGuid(instanceId))) {
            return AsHresult(*code);
        }
        return system_.Answered(inner_->RemoveGame(instanceId));
    }
    HRESULT STDMETHODCALLTYPE UpdateGame(GUID instanceId) override {
        if (auto code = Begin("UpdateGame " + LogGuid(instanceId))) {
            return AsHresult(*code);
        }
        return system_.Answered(inner_->UpdateGame(instanceId));
    }
    HRESULT STDMETHODCALLTYPE VerifyAccess(BSTR binaryPath, BOOL* hasAccess) override {
        if (auto code = Begin("VerifyAccess " + LogText(binaryPath))) {
            return AsHresult(*code);
        }
        return system_.Answered(inner_->VerifyAccess(binaryPath, hasAccess));
    }
};

class WrappedClassObject final : public Wrapped<IWbemClassObject> {
  public:
    WrappedClassObject(FaultingSystem& system, IWbemClassObject* inner)
        : Wrapped(system, inner, "IWbemClassObject") {}
    HRESULT STDMETHODCALLTYPE Get(LPCWSTR name, LONG flags, VARIANT* value, CIMTYPE* type,
                                  LONG* flavor) override {
        if (auto code = Begin("Get " + LogText(name))) {
            return AsHresult(*code);
        }
        HRESULT hr = inner_->Get(name, flags, value, type, flavor);
        if (SUCCEEDED(hr) && value->vt == VT_BSTR) {
            system_.StringHandedOut(value->bstrVal);
        }
        return hr;
    }
};

class WrappedEnumerator final : public Wrapped<IEnumWbemClassObject> {
  public:
    WrappedEnumerator(FaultingSystem& system, IEnumWbemClassObject* inner)
        : Wrapped(system, inner, "IEnumWbemClassObject") {}
    HRESULT STDMETHODCALLTYPE Next(LONG timeout, ULONG count, IWbemClassObject** objects,
                                   ULONG* returned) override {
        if (auto code = Begin("Next")) {
            *returned = 0;
            return AsHresult(*code);
        }
        HRESULT hr = inner_->Next(timeout, count, objects, returned);
        for (ULONG i = 0; SUCCEEDED(hr) && i < *returned; ++i) {
            objects[i] = new WrappedClassObject(system_, objects[i]);
        }
        return hr;
    }
};

class WrappedServices final : public Wrapped<IWbemServices> {
  public:
    WrappedServices(FaultingSystem& system, IWbemServices* inner)
        : Wrapped(system, inner, "IWbemServices") {}
    HRESULT STDMETHODCALLTYPE ExecQuery(BSTR language, BSTR query, LONG flags,
                                        IWbemContext* context,
                                        IEnumWbemClassObject** enumerator) override {
        *enumerator = nullptr;
        if (auto code = Begin("ExecQuery " + LogText(query))) {
            return AsHresult(*code);
        }
        HRESULT hr = inner_->ExecQuery(language, query, flags, context, enumerator);
        if (SUCCEEDED(hr)) {
            *enumerator = new WrappedEnumerator(system_, *enumerator);
        }
        return hr;
    }
};

class WrappedLocator final : public Wrapped<IWbemLocator> {
  public:
    WrappedLocator(FaultingSystem& system, IWbemLocator* inner)
        : Wrapped(system, inner, "IWbemLocator") {}
    HRESULT STDMETHODCALLTYPE ConnectServer(BSTR networkResource, BSTR user, BSTR password,
                                            BSTR locale, LONG securityFlags, BSTR authority,
                                            IWbemContext* context,
                                            IWbemServices** services) override {
        *services = nullptr;
        if (auto code = Begin("ConnectServer " + LogText(networkResource))) {
            return AsHresult(*code);
        }
        HRESULT hr = inner_->ConnectServer(networkResource, user, password, locale, securityFlags,
                                           authority, context, services);
        if (SUCCEEDED(hr)) {
            *services = new WrappedServices(system_, *services);
        }
        return hr;
    }
};

class WrappedShellLink final : public Wrapped<IShellLinkW> {
  public:
    WrappedShellLink(FaultingSystem& system, IShellLinkW* inner)
        : Wrapped(system, inner, "IShellLinkW") {}
    HRESULT STDMETHODCALLTYPE SetPath(LPCWSTR path) override {
        if (auto code = Begin("SetPath " + LogText(path))) {
            return AsHresult(*code);
        }
        return system_.Answered(inner_->SetPath(path));
    }
    HRESULT STDMETHODCALLTYPE SetArguments(LPCWSTR arguments) override {
        if (auto code = Begin("SetArguments " + LogText(arguments))) {
            return AsHresult(*code);
        }
        return system_.Answered(inner_->SetArguments(arguments));
    }
    HRESULT STDMETHODCALLTYPE SetWorkingDirectory(LPCWSTR directory) override {
        if (auto code = Begin("SetWorkingDirectory " + LogText(directory))) {
            return AsHresult(*code);
        }
        return system_.Answered(inner_->SetWorkingDirectory(directory));
    }
    HRESULT STDMETHODCALLTYPE GetPath(LPWSTR file, int count, WIN32_FIND_DATAW* findData,
                                      DWORD flags) override {
        if (auto code = Begin("GetPath")) {
            return AsHresult(*code);
        }
        return inner_->GetPath(file, count, findData, flags);
    }
    HRESULT STDMETHODCALLTYPE GetArguments(LPWSTR arguments, int count) override {
        if (auto code = Begin("GetArguments")) {
            return AsHresult(*code);
        }
        return inner_->GetArguments(arguments, count);
    }
};

class WrappedPersistFile final : public Wrapped<IPersistFile> {
  public:
    WrappedPersistFile(FaultingSystem& system, IPersistFile* inner)
        : Wrapped(system, inner, "IPersistFile") {}
    HRESULT STDMETHODCALLTYPE Save(LPCOLESTR fileName, BOOL remember) override {
        if (auto code = Begin("Save " + LogText(fileName))) {
            return AsHresult(*code);
        }
        return system_.Answered(inner_->Save(fileName, remember));
    }
    HRESULT STDMETHODCALLTYPE Load(LPCOLESTR fileName, DWORD mode) override {
        if (auto code = Begin("Load " + LogText(fileName))) {
            return AsHresult(*code);
        }
        return system_.Answered(inner_->Load(fileName, mode));
    }
};

class WrappedInternetShortcut final : public Wrapped<IUniformResourceLocatorW> {
  public:
    WrappedInternetShortcut(FaultingSystem& system, IUniformResourceLocatorW* inner)
        : Wrapped(system, inner, "IUniformResourceLocatorW") {}
    HRESULT STDMETHODCALLTYPE SetURL(LPCWSTR url, DWORD flags) override {
        if (auto code = Begin("SetURL " + LogText(url))) {
            return AsHresult(*code);
        }
        return system_.Answered(inner_->SetURL(url, flags));
    }
    HRESULT STDMETHODCALLTYPE GetURL(LPWSTR* url) override {
        if (auto code = Begin("GetURL")) {
            *url = nullptr;
            return AsHresult(*code);
        }
        return inner_->GetURL(url);
    }
};

}  // namespace

IUnknown* FaultingSystem::Wrap(IUnknown* inner, REFIID iid) {
    if (IsEqualGUID(iid, IID_IGameExplorer)) {
        return new WrappedGameExplorer(*this, static_cast<IGameExplorer*>(inner));
    }
    if (IsEqualGUID(iid, IID_IWbemLocator)) {
        return new WrappedLocator(*this, static_cast<IWbemLocator*>(inner));
    }
    if (IsEqualGUID(iid, IID_IShellLinkW)) {
        return new WrappedShellLink(*this, static_cast<IShellLinkW*>(inner));
    }
    if (IsEqualGUID(iid, IID_IPersistFile)) {
        return new WrappedPersistFile(*this, static_cast<IPersistFile*>(inner));
    }
    if (IsEqualGUID(iid, IID_IUniformResourceLocatorW)) {
        return new WrappedInternetShortcut(*this, static_cast<IUniformResourceLocatorW*>(inner));
    }
    // IUnknown, or an interface the program never asks for: nothing to log on it.
    return inner;
}

// ---- The double -------------------------------------------------------------------------------

FaultingSystem::FaultingSystem(const std::wstring& userSid)
    : system_(folder_.Path(), {L"player", userSid}), liveObjectsBefore_(ComObjectCount::Live()) {
    InstallSystemBackend(this);
}

FaultingSystem::~FaultingSystem() {
    InstallSystemBackend(nullptr);
    for (; apartmentsOwed_ > 0; --apartmentsOwed_) {
        system_.CoUninitialize();
    }
}

void FaultingSystem::Fail(std::string callStart, long code) {
    rules_.push_back({std::move(callStart), code});
}

void FaultingSystem::Answer(std::string callStart, long result) {
    answers_.push_back({std::move(callStart), result});
}

void FaultingSystem::RunOutOfMemoryAt(std::string callStart) {
    outOfMemoryAt_.push_back(std::move(callStart));
}

void FaultingSystem::StartCounting() {
    calls_.clear();
    count_ = 0;
}

std::optional<long> FaultingSystem::Begin(std::string line, bool givesHresult) {
    calls_.push_back(line);
    ++count_;
    for (const std::string& start : outOfMemoryAt_) {
        if (line.starts_with(start)) {
            throw std::bad_alloc();
        }
    }
    if (failAt_ != 0 && count_ == failAt_) {
        injectedCall_ = line;
        injectedFailure_ = givesHresult ? AsHresult(kUsualComFailure)
                                        : HRESULT_FROM_WIN32(kUsualWin32Failure);
        return givesHresult ? kUsualComFailure : kUsualWin32Failure;
    }
    answer_.reset();
    for (auto answer = answers_.rbegin(); answer != answers_.rend(); ++answer) {
        if (line.starts_with(answer->start)) {
            answer_ = answer->code;
            break;
        }
    }
    // The rule said last holds where two match.
    for (auto rule = rules_.rbegin(); rule != rules_.rend(); ++rule) {
        if (line.starts_with(rule->start)) {
            return rule->code;
        }
    }
    return std::nullopt;
}

std::vector<std::string> FaultingSystem::CallsStartingWith(std::string_view start) const {
    std::vector<std::string> found;
    for (const std::string& call : calls_) {
        if (call.starts_with(start)) {
            found.push_back(call);
        }
    }
    return found;
}

testing::AssertionResult FaultingSystem::AccountsBalance() const {
    std::ostringstream problems;
    if (objectsMade_ != objectsGone_ || ComObjectCount::Live() != liveObjectsBefore_) {
        problems << "objects not released; ";
    }
    if (comInitialised_ != comUninitialised_) {
        problems << comInitialised_ << " successful CoInitialize but " << comUninitialised_
                 << " CoUninitialize; ";
    }
    if (!liveStrings_.empty() || strayStringFrees_ != 0) {
        problems << liveStrings_.size() << " string(s) not freed, " << strayStringFrees_
                 << " free(s) of strings not handed out; ";
    }
    if (system_.OpenKeyCount() != 0) {
        problems << system_.OpenKeyCount() << " registry key(s) not closed; ";
    }
    if (system_.OpenListingCount() != 0) {
        problems << system_.OpenListingCount() << " folder listing(s) not closed; ";
    }
    if (!liveHandles_.empty() || !liveLocalTexts_.empty() || !liveModules_.empty()) {
        problems << liveHandles_.size() << " handle(s), " << liveLocalTexts_.size()
                 << " local text(s), " << liveModules_.size() << " module(s) not given back; ";
    }
    if (strayReleases_ != 0) {
        problems << strayReleases_ << " close(s) or free(s) of what was not handed out; ";
    }
    if (problems.str().empty()) {
        return testing::AssertionSuccess();
    }
    return testing::AssertionFailure() << problems.str();
}

void SweepEveryCall(const std::function<void(FaultingSystem&)>& arrange,
                    const std::function<HRESULT()>& operation,
                    const std::function<void(FaultingSystem&, HRESULT)>& check) {
    int calls = 0;
    {
        FaultingSystem clean;
        arrange(clean);
        clean.StartCounting();
        ASSERT_EQ(operation(), S_OK) << "the operation must succeed when nothing fails";
        calls = clean.CallCount();
    }
    for (int n = 1; n <= calls; ++n) {
        SCOPED_TRACE("failing call " + std::to_string(n));
        FaultingSystem system;
        arrange(system);
        system.StartCounting();
        system.FailCall(n);
        const HRESULT result = operation();
        EXPECT_TRUE(system.InjectedFailureHappened());
        EXPECT_TRUE(system.AccountsBalance());
        check(system, result);
    }
}

// ---- Arranging and reading the state underneath -----------------------------------------------

std::filesystem::path FaultingSystem::HostPath(std::wstring_view windowsPath) const {
    return HostFileOnDriveC(Folder(), std::string(windowsPath.begin(), windowsPath.end()));
}

void FaultingSystem::PutFile(std::wstring_view windowsPath, const std::string& binary) const {
    InstallDemoGame(Folder(), std::string(windowsPath.begin(), windowsPath.end()), binary);
}

void FaultingSystem::RemoveGameExplorer() {
    HKEY classes = nullptr;
    if (system_.RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Classes", KEY_WRITE, &classes) ==
        ERROR_SUCCESS) {
        system_.RegDeleteTreeW(classes, L"CLSID");
        system_.RegCloseKey(classes);
    }
}

bool FaultingSystem::SetRegistryText(HKEY root, const std::wstring& key, const wchar_t* value,
                                     const std::wstring& text) {
    HKEY opened = nullptr;
    if (system_.RegCreateKeyExW(root, key.c_str(), KEY_WRITE, &opened, nullptr) != ERROR_SUCCESS) {
        return false;
    }
    const LSTATUS written =
        system_.RegSetValueExW(opened, value, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                               static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    system_.RegCloseKey(opened);
    return written == ERROR_SUCCESS;
}

std::optional<std::wstring> FaultingSystem::RegistryText(HKEY root, const std::wstring& key,
                                                         const wchar_t* value) {
    HKEY opened = nullptr;
    if (system_.RegOpenKeyExW(root, key.c_str(), KEY_READ, &opened) != ERROR_SUCCESS) {
        return std::nullopt;
    }
    std::wstring text(1024, L'\0');
    DWORD type = 0;
    DWORD bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    LSTATUS status = system_.RegQueryValueExW(opened, value, &type,
                                              reinterpret_cast<BYTE*>(text.data()), &bytes);
    system_.RegCloseKey(opened);
    if (status != ERROR_SUCCESS) {
        return std::nullopt;
    }
    text.resize(bytes / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0') {
        text.pop_back();
    }
    return text;
}

bool FaultingSystem::KeyExists(HKEY root, const std::wstring& key) {
    HKEY opened = nullptr;
    if (system_.RegOpenKeyExW(root, key.c_str(), KEY_READ, &opened) != ERROR_SUCCESS) {
        return false;
    }
    system_.RegCloseKey(opened);
    return true;
}

// ---- SystemBackend: each call logged, failed when asked, else the system's own answer ----------

HRESULT FaultingSystem::CoInitialize() {
    if (Begin("CoInitialize", true)) {
        // As on a thread whose COM was set up in another mode: the apartment is there.
        system_.CoInitialize();
        ++apartmentsOwed_;
        return kChangedMode;
    }
    HRESULT hr = system_.CoInitialize();
    if (SUCCEEDED(hr)) {
        ++comInitialised_;
    }
    return hr;
}

void FaultingSystem::CoUninitialize() {
    Log("CoUninitialize");
    ++comUninitialised_;
    system_.CoUninitialize();
}

HRESULT FaultingSystem::CoCreateInstance(REFCLSID clsid, REFIID iid, void** object) {
    *object = nullptr;
    if (auto code = Begin("CoCreateInstance" + DescribeArguments(clsid, iid), true)) {
        return AsHresult(*code);
    }
    HRESULT hr = system_.CoCreateInstance(clsid, iid, object);
    if (SUCCEEDED(hr)) {
        *object = Wrap(static_cast<IUnknown*>(*object), iid);
    }
    return hr;
}

BSTR FaultingSystem::SysAllocString(const OLECHAR* text) {
    if (Begin("SysAllocString " + LogText(text))) {
        return nullptr;
    }
    BSTR copy = system_.SysAllocString(text);
    if (copy != nullptr) {
        liveStrings_.insert(copy);
    }
    return copy;
}

void FaultingSystem::SysFreeString(BSTR text) {
    if (text != nullptr && liveStrings_.erase(text) == 0) {
        ++strayStringFrees_;
        return;
    }
    system_.SysFreeString(text);
}

LSTATUS FaultingSystem::RegCloseKey(HKEY key) {
    Log("RegCloseKey");
    return system_.RegCloseKey(key);
}

BOOL FaultingSystem::OpenProcessToken(HANDLE process, DWORD access, HANDLE* token) {
    if (auto code = Begin("OpenProcessToken")) {
        SetLastError(static_cast<DWORD>(*code));
        return FALSE;
    }
    BOOL opened = system_.OpenProcessToken(process, access, token);
    if (opened) {
        liveHandles_.insert(*token);
    }
    return opened;
}

BOOL FaultingSystem::ConvertSidToStringSidW(PSID sid, LPWSTR* text) {
    if (auto code = Begin("ConvertSidToStringSidW")) {
        *text = nullptr;
        SetLastError(static_cast<DWORD>(*code));
        return FALSE;
    }
    BOOL converted = system_.ConvertSidToStringSidW(sid, text);
    if (converted) {
        liveLocalTexts_.insert(*text);
    }
    return converted;
}

BOOL FaultingSystem::CloseHandle(HANDLE handle) {
    Log("CloseHandle");
    if (liveHandles_.erase(handle) == 0) {
        ++strayReleases_;
    }
    mutexNames_.erase(handle);
    return system_.CloseHandle(handle);
}

HLOCAL FaultingSystem::LocalFree(HLOCAL memory) {
    Log("LocalFree");
    if (memory != nullptr && liveLocalTexts_.erase(memory) == 0) {
        ++strayReleases_;
        return memory;
    }
    return system_.LocalFree(memory);
}

BOOL FaultingSystem::FindClose(HANDLE find) {
    Log("FindClose");
    return system_.FindClose(find);
}

HANDLE FaultingSystem::CreateFileW(LPCWSTR fileName, DWORD access, DWORD shareMode,
                                   DWORD disposition, DWORD flags) {
    if (auto code = Begin("CreateFileW " + LogText(fileName))) {
        SetLastError(static_cast<DWORD>(*code));
        return INVALID_HANDLE_VALUE;
    }
    HANDLE file = system_.CreateFileW(fileName, access, shareMode, disposition, flags);
    if (file != INVALID_HANDLE_VALUE) {
        liveHandles_.insert(file);
    }
    return file;
}

HANDLE FaultingSystem::CreateMutexW(LPCWSTR name) {
    if (auto code = Begin("CreateMutexW " + LogText(name))) {
        SetLastError(static_cast<DWORD>(*code));
        return nullptr;
    }
    HANDLE mutex = system_.CreateMutexW(name);
    if (mutex != nullptr) {
        liveHandles_.insert(mutex);
        mutexNames_[mutex] = name;
    }
    return mutex;
}

DWORD FaultingSystem::WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
    auto name = mutexNames_.find(handle);
    const std::string what = name == mutexNames_.end() ? "?" : LogText(name->second.c_str());
    if (auto code = Begin("WaitForSingleObject " + what + " " + std::to_string(milliseconds))) {
        // Another run holding the mutex past every wait is asked for with WAIT_TIMEOUT.
        if (*code == static_cast<long>(WAIT_TIMEOUT)) {
            return WAIT_TIMEOUT;
        }
        SetLastError(static_cast<DWORD>(*code));
        return WAIT_FAILED;
    }
    return system_.WaitForSingleObject(handle, milliseconds);
}

BOOL FaultingSystem::ReleaseMutex(HANDLE mutex) {
    auto name = mutexNames_.find(mutex);
    Log("ReleaseMutex " + (name == mutexNames_.end() ? "?" : LogText(name->second.c_str())));
    return system_.ReleaseMutex(mutex);
}

HMODULE FaultingSystem::LoadLibraryExW(LPCWSTR fileName, DWORD flags) {
    if (auto code = Begin("LoadLibraryExW" + DescribeArguments(fileName, flags))) {
        SetLastError(static_cast<DWORD>(*code));
        return nullptr;
    }
    HMODULE module = system_.LoadLibraryExW(fileName, flags);
    if (module != nullptr) {
        liveModules_.insert(module);
    }
    return module;
}

BOOL FaultingSystem::FreeLibrary(HMODULE module) {
    Log("FreeLibrary");
    if (liveModules_.erase(module) == 0) {
        ++strayReleases_;
    }
    return system_.FreeLibrary(module);
}
