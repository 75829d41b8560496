#include "support/scripted_system.h"

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <new>
#include <sstream>

#include "handed_out/bstr_memory.h"
#include "handed_out/token_user.h"
#include "registration/guid_text.h"

namespace {

constexpr HRESULT kInjectedFailure = E_FAIL;
constexpr LSTATUS kInjectedError = ERROR_ACCESS_DENIED;

std::wstring Lower(std::wstring text) {
    for (wchar_t& c : text) {
        c = static_cast<wchar_t>(std::towlower(static_cast<std::wint_t>(c)));
    }
    return text;
}

std::string Hex(std::uint32_t value) {
    std::ostringstream out;
    out << "0x" << std::hex << value;
    return out.str();
}

std::string RootName(HKEY root) {
    if (root == HKEY_CURRENT_USER) {
        return "HKCU";
    }
    if (root == HKEY_LOCAL_MACHINE) {
        return "HKLM";
    }
    return "HKEY(" + Hex(static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(root))) + ")";
}

// Common reference counting of the scripted COM objects; each reports its destruction.
template <typename... Interfaces>
class ScriptedObject : public Interfaces... {
  public:
    ScriptedObject(ScriptedSystem& system, const char* name) : system_(system), name_(name) {
        system_.ObjectCreated();
    }
    virtual ~ScriptedObject() { system_.ObjectDestroyed(); }

    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        system_.Log(std::string("Release ") + name_);
        ULONG left = --references_;
        if (left == 0) {
            delete this;
        }
        return left;
    }

  protected:
    // Yields this object as the interface asked for, or E_NOINTERFACE.
    template <typename Interface>
    HRESULT Yield(Interface* self, void** object) {
        *object = self;
        AddRef();
        return S_OK;
    }

    ScriptedSystem& system_;
    const char* name_;
    ULONG references_ = 1;
};

// Copies text into buffer, cut to count characters with the terminator, as the shell does.
void CopyCut(const std::wstring& text, LPWSTR buffer, int count) {
    if (count < 1) {
        return;
    }
    const std::size_t length = std::min(text.size(), static_cast<std::size_t>(count) - 1);
    std::wmemcpy(buffer, text.c_str(), length);
    buffer[length] = L'\0';
}

WIN32_FIND_DATAW FoundEntry(const std::wstring& name, bool isFolder) {
    WIN32_FIND_DATAW data = {};
    data.dwFileAttributes = isFolder ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
    CopyCut(name, data.cFileName, MAX_PATH);
    return data;
}

}  // namespace

class ScriptedGameExplorer : public ScriptedObject<IGameExplorer> {
  public:
    explicit ScriptedGameExplorer(ScriptedSystem& system)
        : ScriptedObject(system, "IGameExplorer") {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        system_.BeginCall("IGameExplorer::QueryInterface " + LogGuid(iid));
        *object = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE AddGame(BSTR binaryPath, BSTR installDirectory,
                                      GAME_INSTALL_SCOPE scope, GUID* instanceId) override {
        if (system_.BeginCall("IGameExplorer::AddGame " + LogText(binaryPath) + " " +
                              LogText(installDirectory) + " " + std::to_string(scope) + " " +
                              LogGuid(*instanceId))) {
            return kInjectedFailure;
        }
        if (system_.script.addGameLeaves) {
            *instanceId = *system_.script.addGameLeaves;
        }
        return system_.script.addGame;
    }
    void RemoveOneRecord(const GUID& instanceId) {
        const std::wstring gameUx = L"hklm\\software\\microsoft\\windows\\currentversion\\gameux\\";
        wchar_t braced[CHARS_IN_GUID];
        StringFromGUID2(instanceId, braced, CHARS_IN_GUID);
        std::wstring name = braced;
        for (wchar_t& c : name) {
            c = static_cast<wchar_t>(std::towlower(static_cast<std::wint_t>(c)));
        }
        ScriptedRegistry& registry = system_.script.registry;
        for (const std::wstring& scopeKey : {std::wstring(L"games"), std::wstring(L"s-")}) {
            const auto record =
                std::find_if(registry.begin(), registry.end(), [&](const auto& key) {
                    const std::wstring& path = key.first;
                    return path.starts_with(gameUx + scopeKey) && path.ends_with(L"\\" + name);
                });
            if (record != registry.end()) {
                registry.erase(record);
                return;
            }
        }
    }
    HRESULT STDMETHODCALLTYPE RemoveGame(GUID instanceId) override {
        if (system_.BeginCall("IGameExplorer::RemoveGame " + LogGuid(instanceId))) {
            return kInjectedFailure;
        }
        // A game that is gone is no longer listed, so that a lookup after the removal finds
        // what is left.
        if (SUCCEEDED(system_.script.removeGame)) {
            std::erase_if(system_.script.wmiObjects, [&](const WmiObjectScript& object) {
                GUID listed;
                return SUCCEEDED(ParseGuid(object.instanceId.c_str(), &listed)) &&
                       IsEqualGUID(listed, instanceId);
            });
            if (!system_.script.removeGameKeepsRecords) {
                RemoveOneRecord(instanceId);
            }
        }
        return system_.script.removeGame;
    }
    HRESULT STDMETHODCALLTYPE UpdateGame(GUID instanceId) override {
        system_.BeginCall("IGameExplorer::UpdateGame " + LogGuid(instanceId));
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE VerifyAccess(BSTR binaryPath, BOOL* hasAccess) override {
        if (system_.BeginCall("IGameExplorer::VerifyAccess " + LogText(binaryPath) + " " +
                              std::to_string(*hasAccess))) {
            return kInjectedFailure;
        }
        *hasAccess = system_.script.hasAccess;
        return system_.script.verifyAccess;
    }
};

class ScriptedClassObject : public ScriptedObject<IWbemClassObject> {
  public:
    ScriptedClassObject(ScriptedSystem& system, WmiObjectScript script)
        : ScriptedObject(system, "IWbemClassObject"), script_(std::move(script)) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        system_.BeginCall("IWbemClassObject::QueryInterface " + LogGuid(iid));
        *object = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE Get(LPCWSTR name, LONG flags, VARIANT* value, CIMTYPE* type,
                                  LONG* flavor) override {
        if (system_.BeginCall("IWbemClassObject::Get " + LogText(name) + " " +
                              std::to_string(flags) + (type == nullptr ? " null" : " type") +
                              (flavor == nullptr ? " null" : " flavor"))) {
            return kInjectedFailure;
        }
        if (FAILED(script_.getResult)) {
            return script_.getResult;
        }
        value->vt = script_.type;
        value->bstrVal = nullptr;
        if (script_.type == VT_BSTR) {
            value->bstrVal = system_.AllocateTracked(script_.instanceId.c_str());
        }
        return script_.getResult;
    }

  private:
    WmiObjectScript script_;
};

class ScriptedEnumerator : public ScriptedObject<IEnumWbemClassObject> {
  public:
    explicit ScriptedEnumerator(ScriptedSystem& system)
        : ScriptedObject(system, "IEnumWbemClassObject") {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        system_.BeginCall("IEnumWbemClassObject::QueryInterface " + LogGuid(iid));
        *object = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE Next(LONG timeout, ULONG count, IWbemClassObject** objects,
                                   ULONG* returned) override {
        *returned = 0;
        if (system_.BeginCall("IEnumWbemClassObject::Next " + std::to_string(timeout) + " " +
                              std::to_string(count))) {
            return kInjectedFailure;
        }
        const SystemScript& script = system_.script;
        if (FAILED(script.next)) {
            return script.next;
        }
        if (script.nextYieldsNullObject) {
            objects[0] = nullptr;
            *returned = 1;
            return S_OK;
        }
        if (position_ >= script.wmiObjects.size()) {
            return WBEM_S_FALSE;
        }
        objects[0] = new ScriptedClassObject(system_, script.wmiObjects[position_++]);
        *returned = 1;
        return script.next;
    }

  private:
    std::size_t position_ = 0;
};

class ScriptedServices : public ScriptedObject<IWbemServices> {
  public:
    explicit ScriptedServices(ScriptedSystem& system) : ScriptedObject(system, "IWbemServices") {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        system_.BeginCall("IWbemServices::QueryInterface " + LogGuid(iid));
        *object = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE ExecQuery(BSTR language, BSTR query, LONG flags,
                                        IWbemContext* context,
                                        IEnumWbemClassObject** enumerator) override {
        *enumerator = nullptr;
        if (system_.BeginCall("IWbemServices::ExecQuery " + LogText(language) + " " +
                              LogText(query) + " " + Hex(static_cast<std::uint32_t>(flags)) +
                              (context == nullptr ? " null" : " context"))) {
            return kInjectedFailure;
        }
        if (FAILED(system_.script.execQuery)) {
            return system_.script.execQuery;
        }
        *enumerator = new ScriptedEnumerator(system_);
        return system_.script.execQuery;
    }
};

class ScriptedLocator : public ScriptedObject<IWbemLocator> {
  public:
    explicit ScriptedLocator(ScriptedSystem& system) : ScriptedObject(system, "IWbemLocator") {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        system_.BeginCall("IWbemLocator::QueryInterface " + LogGuid(iid));
        *object = nullptr;
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE ConnectServer(BSTR networkResource, BSTR user, BSTR password,
                                            BSTR locale, LONG securityFlags, BSTR authority,
                                            IWbemContext* context,
                                            IWbemServices** services) override {
        *services = nullptr;
        const bool allNull = user == nullptr && password == nullptr && locale == nullptr &&
                             authority == nullptr && context == nullptr;
        if (system_.BeginCall("IWbemLocator::ConnectServer " + LogText(networkResource) + " " +
                              std::to_string(securityFlags) +
                              (allNull ? " rest-null" : " rest-set"))) {
            return kInjectedFailure;
        }
        if (FAILED(system_.script.connectServer)) {
            return system_.script.connectServer;
        }
        *services = new ScriptedServices(system_);
        return system_.script.connectServer;
    }
};

// A scripted object that is filled through its own interface and saved through IPersistFile;
// what Save writes is recorded as a saved link.
template <typename Interface>
class ScriptedSavable : public ScriptedObject<Interface, IPersistFile> {
  public:
    ScriptedSavable(ScriptedSystem& system, const char* name, bool internetShortcut)
        : ScriptedObject<Interface, IPersistFile>(system, name) {
        link_.internetShortcut = internetShortcut;
    }

    // Both interfaces share this object's reference count.
    ULONG STDMETHODCALLTYPE AddRef() override {
        return ScriptedObject<Interface, IPersistFile>::AddRef();
    }
    ULONG STDMETHODCALLTYPE Release() override {
        return ScriptedObject<Interface, IPersistFile>::Release();
    }

    // Reads back what Save wrote to that path (any case); a file saved by the other kind of
    // shortcut is none this object can read.
    HRESULT STDMETHODCALLTYPE Load(LPCOLESTR fileName, DWORD mode) override {
        ScriptedSystem& system = this->system_;
        if (system.BeginCall("IPersistFile::Load " + LogText(fileName) + " " +
                             std::to_string(mode))) {
            return kInjectedFailure;
        }
        const auto saved = system.ShortcutFiles();
        const auto found = std::find_if(saved.rbegin(), saved.rend(), [&](const auto& link) {
            return Lower(link.path) == Lower(fileName);
        });
        if (found == saved.rend()) {
            return HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND);
        }
        if (found->internetShortcut != link_.internetShortcut) {
            return E_FAIL;
        }
        link_ = *found;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE Save(LPCOLESTR fileName, BOOL remember) override {
        ScriptedSystem& system = this->system_;
        if (system.BeginCall("IPersistFile::Save " + LogText(fileName) + " " +
                             std::to_string(remember))) {
            return kInjectedFailure;
        }
        if (SUCCEEDED(system.script.save)) {
            ScriptedSystem::SavedLink saved = link_;
            saved.path = fileName;
            system.SaveLink(saved);
        }
        return system.script.save;
    }

  protected:
    ScriptedSystem::SavedLink link_;
};

class ScriptedShellLink : public ScriptedSavable<IShellLinkW> {
  public:
    explicit ScriptedShellLink(ScriptedSystem& system)
        : ScriptedSavable(system, "IShellLinkW", false) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        *object = nullptr;
        if (system_.BeginCall("IShellLinkW::QueryInterface " + LogGuid(iid))) {
            return kInjectedFailure;
        }
        if (IsEqualGUID(iid, IID_IPersistFile)) {
            if (FAILED(system_.script.queryPersistFile)) {
                return system_.script.queryPersistFile;
            }
            return Yield(static_cast<IPersistFile*>(this), object);
        }
        if (IsEqualGUID(iid, IID_IShellLinkW) || IsEqualGUID(iid, IID_IUnknown)) {
            return Yield(static_cast<IShellLinkW*>(this), object);
        }
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE SetPath(LPCWSTR path) override {
        if (system_.BeginCall("IShellLinkW::SetPath " + LogText(path))) {
            return kInjectedFailure;
        }
        link_.target = path;
        return system_.script.setPath;
    }
    HRESULT STDMETHODCALLTYPE SetArguments(LPCWSTR arguments) override {
        if (system_.BeginCall("IShellLinkW::SetArguments " + LogText(arguments))) {
            return kInjectedFailure;
        }
        link_.arguments = arguments;
        return system_.script.setArguments;
    }
    HRESULT STDMETHODCALLTYPE SetWorkingDirectory(LPCWSTR directory) override {
        if (system_.BeginCall("IShellLinkW::SetWorkingDirectory " + LogText(directory))) {
            return kInjectedFailure;
        }
        link_.workingDirectory = directory;
        return system_.script.setWorkingDirectory;
    }
    HRESULT STDMETHODCALLTYPE GetPath(LPWSTR file, int count, WIN32_FIND_DATAW* findData,
                                      DWORD flags) override {
        if (system_.BeginCall("IShellLinkW::GetPath " + std::to_string(count) +
                              (findData == nullptr ? " null " : " data ") +
                              std::to_string(flags))) {
            return kInjectedFailure;
        }
        CopyCut(link_.target, file, count);
        return link_.target.empty() ? S_FALSE : S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetArguments(LPWSTR arguments, int count) override {
        if (system_.BeginCall("IShellLinkW::GetArguments " + std::to_string(count))) {
            return kInjectedFailure;
        }
        CopyCut(link_.arguments.value_or(L""), arguments, count);
        return S_OK;
    }
};

class ScriptedInternetShortcut : public ScriptedSavable<IUniformResourceLocatorW> {
  public:
    explicit ScriptedInternetShortcut(ScriptedSystem& system)
        : ScriptedSavable(system, "IUniformResourceLocatorW", true) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        *object = nullptr;
        if (system_.BeginCall("IUniformResourceLocatorW::QueryInterface " + LogGuid(iid))) {
            return kInjectedFailure;
        }
        if (IsEqualGUID(iid, IID_IPersistFile)) {
            return Yield(static_cast<IPersistFile*>(this), object);
        }
        if (IsEqualGUID(iid, IID_IUniformResourceLocatorW) || IsEqualGUID(iid, IID_IUnknown)) {
            return Yield(static_cast<IUniformResourceLocatorW*>(this), object);
        }
        return E_NOINTERFACE;
    }
    HRESULT STDMETHODCALLTYPE SetURL(LPCWSTR url, DWORD flags) override {
        if (system_.BeginCall("IUniformResourceLocatorW::SetURL " + LogText(url) + " " +
                              std::to_string(flags))) {
            return kInjectedFailure;
        }
        link_.target = url;
        return system_.script.setUrl;
    }
    HRESULT STDMETHODCALLTYPE GetURL(LPWSTR* url) override {
        *url = nullptr;
        if (system_.BeginCall("IUniformResourceLocatorW::GetURL")) {
            return kInjectedFailure;
        }
        if (link_.target.empty()) {
            return S_FALSE;
        }
        *url = static_cast<wchar_t*>(CoTaskMemAlloc((link_.target.size() + 1) * sizeof(wchar_t)));
        if (*url == nullptr) {
            return E_OUTOFMEMORY;
        }
        std::wmemcpy(*url, link_.target.c_str(), link_.target.size() + 1);
        return S_OK;
    }
};

ScriptedSystem::ScriptedSystem() {
    InstallSystemBackend(this);
}

ScriptedSystem::~ScriptedSystem() {
    InstallSystemBackend(nullptr);
    for (BSTR text : liveStrings_) {
        FreeBstr(text);
    }
    for (HLOCAL text : liveLocalTexts_) {
        FreeLocalText(text);
    }
}

bool ScriptedSystem::BeginCall(const std::string& line) {
    calls_.push_back(line);
    ++callCount_;
    if (!script.outOfMemoryAt.empty() && line.starts_with(script.outOfMemoryAt)) {
        throw std::bad_alloc();
    }
    if (failAt_ != 0 && callCount_ == failAt_) {
        injected_ = true;
        injectedCall_ = line;
        return true;
    }
    return false;
}

std::vector<std::string> ScriptedSystem::CallsStartingWith(const std::string& prefix) const {
    std::vector<std::string> found;
    for (const std::string& call : calls_) {
        if (call.compare(0, prefix.size(), prefix) == 0) {
            found.push_back(call);
        }
    }
    return found;
}

int ScriptedSystem::IndexOf(const std::string& prefix) const {
    for (std::size_t i = 0; i < calls_.size(); ++i) {
        if (calls_[i].compare(0, prefix.size(), prefix) == 0) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

testing::AssertionResult ScriptedSystem::AccountsBalance() const {
    std::ostringstream problems;
    if (objectsCreated_ != objectsDestroyed_) {
        problems << (objectsCreated_ - objectsDestroyed_) << " object(s) not released; ";
    }
    if (!liveStrings_.empty()) {
        problems << liveStrings_.size() << " string(s) not freed; ";
    }
    if (unknownStringsFreed_ != 0) {
        problems << unknownStringsFreed_ << " free(s) of strings not allocated here; ";
    }
    if (comInitialised_ != comUninitialised_) {
        problems << comInitialised_ << " successful CoInitialize but " << comUninitialised_
                 << " CoUninitialize; ";
    }
    if (!openKeys_.empty()) {
        problems << openKeys_.size() << " registry key(s) not closed; ";
    }
    if (!openMutexes_.empty()) {
        problems << openMutexes_.size() << " mutex handle(s) not closed; ";
    }
    for (const auto& [handle, mutex] : openMutexes_) {
        if (mutex.owned) {
            problems << "mutex " << LogText(mutex.name.c_str()) << " not released; ";
        }
    }
    if (badKeyCloses_ != 0) {
        problems << badKeyCloses_ << " close(s) of keys not open; ";
    }
    if (!openFinds_.empty() || badFindCloses_ != 0) {
        problems << openFinds_.size() << " folder listing(s) not closed, " << badFindCloses_
                 << " close(s) of listings not open; ";
    }
    if (!openHandles_.empty() || badHandleCloses_ != 0) {
        problems << openHandles_.size() << " handle(s) not closed, " << badHandleCloses_
                 << " close(s) of handles not open; ";
    }
    if (!liveLocalTexts_.empty() || unknownLocalFrees_ != 0) {
        problems << liveLocalTexts_.size() << " local text(s) not freed, " << unknownLocalFrees_
                 << " free(s) of memory not allocated here; ";
    }
    if (!loadedModules_.empty()) {
        problems << loadedModules_.size() << " module(s) not freed; ";
    }
    if (badModuleFrees_ != 0) {
        problems << badModuleFrees_ << " free(s) of modules not loaded; ";
    }
    if (problems.str().empty()) {
        return testing::AssertionSuccess();
    }
    return testing::AssertionFailure() << problems.str();
}

std::optional<std::wstring> ScriptedSystem::RegistryText(const std::wstring& key,
                                                         const std::wstring& value) const {
    auto found = script.registry.find(Lower(key));
    if (found == script.registry.end()) {
        return std::nullopt;
    }
    auto data = found->second.find(value);
    if (data == found->second.end()) {
        return std::nullopt;
    }
    std::wstring text(data->second.size() / sizeof(wchar_t), L'\0');
    std::memcpy(text.data(), data->second.data(), text.size() * sizeof(wchar_t));
    if (!text.empty() && text.back() == L'\0') {
        text.pop_back();
    }
    return text;
}

HRESULT ScriptedSystem::CoInitialize() {
    if (BeginCall("CoInitialize")) {
        return kInjectedFailure;
    }
    if (SUCCEEDED(script.coInitialize)) {
        ++comInitialised_;
    }
    return script.coInitialize;
}

void ScriptedSystem::CoUninitialize() {
    Log("CoUninitialize");
    ++comUninitialised_;
}

HRESULT ScriptedSystem::CoCreateInstance(REFCLSID clsid, REFIID iid, void** object) {
    *object = nullptr;
    if (BeginCall("CoCreateInstance " + LogGuid(clsid) + " " + LogGuid(iid))) {
        return kInjectedFailure;
    }
    if (IsEqualGUID(clsid, CLSID_GameExplorer) && IsEqualGUID(iid, IID_IGameExplorer)) {
        if (FAILED(script.createGameExplorer)) {
            return script.createGameExplorer;
        }
        *object = static_cast<IGameExplorer*>(new ScriptedGameExplorer(*this));
        return S_OK;
    }
    if (IsEqualGUID(clsid, CLSID_WbemLocator) && IsEqualGUID(iid, IID_IWbemLocator)) {
        if (FAILED(script.createLocator)) {
            return script.createLocator;
        }
        *object = static_cast<IWbemLocator*>(new ScriptedLocator(*this));
        return S_OK;
    }
    if (IsEqualGUID(clsid, CLSID_ShellLink) && IsEqualGUID(iid, IID_IShellLinkW)) {
        if (FAILED(script.createShellLink)) {
            return script.createShellLink;
        }
        *object = static_cast<IShellLinkW*>(new ScriptedShellLink(*this));
        return S_OK;
    }
    if (IsEqualGUID(clsid, CLSID_InternetShortcut) &&
        IsEqualGUID(iid, IID_IUniformResourceLocatorW)) {
        if (FAILED(script.createInternetShortcut)) {
            return script.createInternetShortcut;
        }
        *object = static_cast<IUniformResourceLocatorW*>(new ScriptedInternetShortcut(*this));
        return S_OK;
    }
    return REGDB_E_CLASSNOTREG;
}

HRESULT ScriptedSystem::CoSetProxyBlanket(IUnknown* proxy, DWORD authnService, DWORD authzService,
                                          OLECHAR* serverPrincipalName, DWORD authnLevel,
                                          DWORD impLevel, RPC_AUTH_IDENTITY_HANDLE authInfo,
                                          DWORD capabilities) {
    std::ostringstream line;
    line << "CoSetProxyBlanket " << (proxy == nullptr ? "null" : "proxy") << " " << authnService
         << " " << authzService << " " << (serverPrincipalName == nullptr ? "null" : "name") << " "
         << authnLevel << " " << impLevel << " " << (authInfo == nullptr ? "null" : "auth") << " "
         << capabilities;
    if (BeginCall(line.str())) {
        return kInjectedFailure;
    }
    return script.setProxyBlanket;
}

HRESULT ScriptedSystem::CoCreateGuid(GUID* guid) {
    if (BeginCall("CoCreateGuid")) {
        return kInjectedFailure;
    }
    if (SUCCEEDED(script.coCreateGuid)) {
        *guid = script.createdGuid;
    }
    return script.coCreateGuid;
}

BSTR ScriptedSystem::AllocateTracked(const OLECHAR* text) {
    BSTR copy = AllocateBstr(text);
    if (copy != nullptr) {
        liveStrings_.insert(copy);
    }
    return copy;
}

BSTR ScriptedSystem::SysAllocString(const OLECHAR* text) {
    if (BeginCall("SysAllocString " + LogText(text))) {
        return nullptr;
    }
    return AllocateTracked(text);
}

void ScriptedSystem::SysFreeString(BSTR text) {
    Log("SysFreeString " + LogText(text));
    if (text == nullptr) {
        return;
    }
    if (liveStrings_.erase(text) == 0) {
        ++unknownStringsFreed_;
        return;
    }
    FreeBstr(text);
}

LSTATUS ScriptedSystem::RegCreateKeyExW(HKEY root, LPCWSTR subKey, REGSAM access, HKEY* key,
                                        DWORD* disposition) {
    if (BeginCall("RegCreateKeyExW " + RootName(root) + " " + LogText(subKey) + " " +
                  Hex(access))) {
        return kInjectedError;
    }
    const std::wstring path = KeyPath(root, subKey);
    if (path.empty()) {
        return ERROR_INVALID_PARAMETER;
    }
    const std::wstring& failing = script.regCreateKeyFailsFor;
    const bool failsHere = failing.empty() || (path.size() >= failing.size() &&
                                               path.compare(path.size() - failing.size(),
                                                            failing.size(), failing) == 0);
    if (script.regCreateKey != ERROR_SUCCESS && failsHere) {
        return script.regCreateKey;
    }
    const std::wstring normalised = Lower(path);
    const bool existed = script.registry.count(normalised) != 0;
    script.registry[normalised];
    HKEY handle = reinterpret_cast<HKEY>(nextKey_++);
    openKeys_[handle] = normalised;
    *key = handle;
    if (disposition != nullptr) {
        *disposition = existed ? REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY;
    }
    return ERROR_SUCCESS;
}

LSTATUS ScriptedSystem::RegSetValueExW(HKEY key, LPCWSTR valueName, DWORD type, const BYTE* data,
                                       DWORD byteCount) {
    std::wstring text(byteCount / sizeof(wchar_t), L'\0');
    std::memcpy(text.data(), data, text.size() * sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0') {
        text.pop_back();
    }
    auto open = openKeys_.find(key);
    const std::string keyName =
        open == openKeys_.end() ? "closed-key" : LogText(open->second.c_str());
    if (BeginCall("RegSetValueExW " + keyName + " " + LogText(valueName) + " " +
                  std::to_string(type) + " " + std::to_string(byteCount) + " " +
                  LogText(text.c_str()))) {
        return kInjectedError;
    }
    if (open == openKeys_.end()) {
        return ERROR_INVALID_PARAMETER;
    }
    if (script.regSetValue != ERROR_SUCCESS) {
        return script.regSetValue;
    }
    script.registry[open->second][valueName] = std::vector<BYTE>(data, data + byteCount);
    return ERROR_SUCCESS;
}

LSTATUS ScriptedSystem::RegCloseKey(HKEY key) {
    auto open = openKeys_.find(key);
    Log("RegCloseKey " +
        (open == openKeys_.end() ? std::string("closed-key") : LogText(open->second.c_str())));
    if (open == openKeys_.end()) {
        ++badKeyCloses_;
        return ERROR_INVALID_PARAMETER;
    }
    openKeys_.erase(open);
    return ERROR_SUCCESS;
}

std::wstring ScriptedSystem::KeyPath(HKEY root, LPCWSTR subKey) const {
    auto parent = openKeys_.find(root);
    if (parent != openKeys_.end()) {
        return parent->second + L"\\" + subKey;
    }
    if (root == HKEY_CURRENT_USER || root == HKEY_LOCAL_MACHINE) {
        return (root == HKEY_CURRENT_USER ? L"HKCU\\" : L"HKLM\\") + std::wstring(subKey);
    }
    return {};
}

LSTATUS ScriptedSystem::RegOpenKeyExW(HKEY root, LPCWSTR subKey, REGSAM access, HKEY* key) {
    if (BeginCall("RegOpenKeyExW " + RootName(root) + " " + LogText(subKey) + " " + Hex(access))) {
        return kInjectedError;
    }
    const std::wstring path = Lower(KeyPath(root, subKey));
    if (path.empty()) {
        return ERROR_INVALID_PARAMETER;
    }
    if (!KeyExists(path)) {
        return ERROR_FILE_NOT_FOUND;
    }
    HKEY handle = reinterpret_cast<HKEY>(nextKey_++);
    openKeys_[handle] = path;
    *key = handle;
    return ERROR_SUCCESS;
}

LSTATUS ScriptedSystem::RegDeleteTreeW(HKEY key, LPCWSTR subKey) {
    auto open = openKeys_.find(key);
    const std::string keyName =
        open == openKeys_.end() ? RootName(key) : LogText(open->second.c_str());
    if (BeginCall("RegDeleteTreeW " + keyName + " " + LogText(subKey))) {
        return kInjectedError;
    }
    const std::wstring path = Lower(KeyPath(key, subKey));
    if (path.empty()) {
        return ERROR_INVALID_PARAMETER;
    }
    if (script.registry.count(path) == 0) {
        return ERROR_FILE_NOT_FOUND;
    }
    if (script.regDeleteTree != ERROR_SUCCESS) {
        return script.regDeleteTree;
    }
    std::erase_if(script.registry, [&](const auto& entry) {
        const std::wstring& name = entry.first;
        return name == path || name.compare(0, path.size() + 1, path + L"\\") == 0;
    });
    return ERROR_SUCCESS;
}

bool ScriptedSystem::KeyExists(const std::wstring& path) const {
    auto next = script.registry.lower_bound(path);
    return next != script.registry.end() &&
           (next->first == path || next->first.compare(0, path.size() + 1, path + L"\\") == 0);
}

std::vector<std::wstring> ScriptedSystem::SubkeyNames(const std::wstring& path) const {
    std::vector<std::wstring> names;
    const std::wstring prefix = path + L"\\";
    for (auto entry = script.registry.lower_bound(prefix);
         entry != script.registry.end() && entry->first.compare(0, prefix.size(), prefix) == 0;
         ++entry) {
        std::wstring name = entry->first.substr(prefix.size());
        name = name.substr(0, name.find(L'\\'));
        if (names.empty() || names.back() != name) {
            names.push_back(name);
        }
    }
    return names;
}

LSTATUS ScriptedSystem::RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, DWORD* nameLength) {
    auto open = openKeys_.find(key);
    const std::string keyName =
        open == openKeys_.end() ? RootName(key) : LogText(open->second.c_str());
    if (BeginCall("RegEnumKeyExW " + keyName + " " + std::to_string(index))) {
        return kInjectedError;
    }
    if (open == openKeys_.end()) {
        return ERROR_INVALID_PARAMETER;
    }
    const std::vector<std::wstring> names = SubkeyNames(open->second);
    if (index >= names.size()) {
        return ERROR_NO_MORE_ITEMS;
    }
    const std::wstring& found = names[index];
    if (found.size() + 1 > *nameLength) {
        return ERROR_MORE_DATA;
    }
    std::wcscpy(name, found.c_str());
    *nameLength = static_cast<DWORD>(found.size());
    return ERROR_SUCCESS;
}

LSTATUS ScriptedSystem::RegQueryValueExW(HKEY key, LPCWSTR valueName, DWORD* type, BYTE* data,
                                         DWORD* byteCount) {
    auto open = openKeys_.find(key);
    const std::string keyName =
        open == openKeys_.end() ? RootName(key) : LogText(open->second.c_str());
    if (BeginCall("RegQueryValueExW " + keyName + " " + LogText(valueName))) {
        return kInjectedError;
    }
    if (open == openKeys_.end()) {
        return ERROR_INVALID_PARAMETER;
    }
    const Values& values = script.registry[open->second];
    auto value = values.find(valueName != nullptr ? valueName : L"");
    if (value == values.end()) {
        return ERROR_FILE_NOT_FOUND;
    }
    const DWORD capacity = *byteCount;
    *type = REG_SZ;
    *byteCount = static_cast<DWORD>(value->second.size());
    if (data == nullptr) {
        return ERROR_SUCCESS;
    }
    if (value->second.size() > capacity) {
        return ERROR_MORE_DATA;
    }
    std::copy(value->second.begin(), value->second.end(), data);
    return ERROR_SUCCESS;
}

BOOL ScriptedSystem::OpenProcessToken(HANDLE process, DWORD access, HANDLE* token) {
    if (BeginCall(std::string("OpenProcessToken ") +
                  (process == GetCurrentProcess() ? "self" : "other") + " " + Hex(access))) {
        SetLastError(static_cast<DWORD>(kInjectedError));
        return FALSE;
    }
    *token = reinterpret_cast<HANDLE>(nextKey_++);
    openHandles_.insert(*token);
    return TRUE;
}

BOOL ScriptedSystem::GetTokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS informationClass,
                                         void* information, DWORD length, DWORD* returnLength) {
    if (BeginCall("GetTokenInformation " + std::to_string(informationClass) + " " +
                  std::to_string(length))) {
        SetLastError(static_cast<DWORD>(kInjectedError));
        return FALSE;
    }
    if (openHandles_.count(token) == 0 || informationClass != TokenUser) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return WriteTokenUser(script.userSid, information, length, returnLength);
}

BOOL ScriptedSystem::ConvertSidToStringSidW(PSID sid, LPWSTR* text) {
    *text = nullptr;
    if (BeginCall("ConvertSidToStringSidW " + LogText(std::wstring(SidText(sid)).c_str()))) {
        SetLastError(static_cast<DWORD>(kInjectedError));
        return FALSE;
    }
    *text = AllocateLocalText(SidText(sid));
    liveLocalTexts_.insert(*text);
    return TRUE;
}

BOOL ScriptedSystem::CloseHandle(HANDLE handle) {
    // A mutex, or else a token. Never made to fail, like a release: closing ends the handle
    // whatever it reports.
    if (auto mutex = openMutexes_.find(handle); mutex != openMutexes_.end()) {
        Log("CloseHandle " + LogText(mutex->second.name.c_str()));
        openMutexes_.erase(mutex);
        return TRUE;
    }
    Log("CloseHandle");
    if (openHandles_.erase(handle) == 0) {
        ++badHandleCloses_;
        return FALSE;
    }
    return TRUE;
}

HLOCAL ScriptedSystem::LocalFree(HLOCAL memory) {
    Log("LocalFree");
    if (liveLocalTexts_.erase(memory) == 0) {
        ++unknownLocalFrees_;
        return memory;
    }
    FreeLocalText(memory);
    return nullptr;
}

HRESULT ScriptedSystem::SHGetFolderPathW(int folder, DWORD flags, LPWSTR path) {
    if (BeginCall("SHGetFolderPathW " + Hex(static_cast<std::uint32_t>(folder)) + " " +
                  std::to_string(flags))) {
        return kInjectedFailure;
    }
    const bool local = folder == CSIDL_LOCAL_APPDATA;
    const HRESULT result = local ? script.localAppDataResult : script.commonAppDataResult;
    if (FAILED(result)) {
        return result;
    }
    const std::wstring& text = local ? script.localAppData : script.commonAppData;
    std::wcsncpy(path, text.c_str(), MAX_PATH - 1);
    path[MAX_PATH - 1] = L'\0';
    return result;
}

int ScriptedSystem::SHCreateDirectoryExW(LPCWSTR path) {
    if (BeginCall("SHCreateDirectoryExW " + LogText(path))) {
        return kInjectedError;
    }
    return script.createDirectory;
}

int ScriptedSystem::SHFileOperationW(SHFILEOPSTRUCTW* operation) {
    // The source list is a sequence of terminated paths ended by an empty one.
    std::string sources;
    std::size_t count = 0;
    for (const wchar_t* p = operation->pFrom; p != nullptr && *p != L'\0';
         p += std::wcslen(p) + 1) {
        sources += (count++ == 0 ? "" : "|") + LogText(p);
    }
    std::ostringstream line;
    line << "SHFileOperationW func=" << operation->wFunc << " from=" << sources
         << " paths=" << count << " flags=" << Hex(operation->fFlags)
         << " hwnd=" << (operation->hwnd == nullptr ? "null" : "set")
         << " to=" << (operation->pTo == nullptr ? "null" : "set")
         << " title=" << (operation->lpszProgressTitle == nullptr ? "null" : "set");
    if (BeginCall(line.str())) {
        return kInjectedError;
    }
    if (operation->pFrom != nullptr) {
        auto scripted = script.fileOperationFor.find(operation->pFrom);
        if (scripted != script.fileOperationFor.end()) {
            return scripted->second;
        }
    }
    return script.fileOperation;
}

DWORD ScriptedSystem::GetFullPathNameW(LPCWSTR fileName, DWORD bufferLength, LPWSTR buffer,
                                       LPWSTR* filePart) {
    if (BeginCall("GetFullPathNameW " + LogText(fileName) + " " + std::to_string(bufferLength))) {
        return 0;
    }
    std::wstring full = fileName;
    const bool absolute =
        full.size() >= 3 && full[1] == L':' && (full[2] == L'\\' || full[2] == L'/');
    if (!absolute) {
        full = script.currentFolder + L"\\" + full;
    }
    if (script.fullPathResult) {
        return *script.fullPathResult;
    }
    if (full.size() + 1 > bufferLength) {
        return static_cast<DWORD>(full.size() + 1);
    }
    std::wcscpy(buffer, full.c_str());
    if (filePart != nullptr) {
        const std::size_t slash = full.find_last_of(L"\\/");
        *filePart =
            slash == std::wstring::npos || slash + 1 == full.size() ? nullptr : buffer + slash + 1;
    }
    return static_cast<DWORD>(full.size());
}

DWORD ScriptedSystem::GetFileAttributesW(LPCWSTR fileName) {
    if (BeginCall("GetFileAttributesW " + LogText(fileName))) {
        SetLastError(static_cast<DWORD>(kInjectedError));
        return INVALID_FILE_ATTRIBUTES;
    }
    auto found = script.fileAttributes.find(fileName);
    if (found == script.fileAttributes.end()) {
        SetLastError(script.missingFileError);
        return INVALID_FILE_ATTRIBUTES;
    }
    return found->second;
}

DWORD ScriptedSystem::GetLongPathNameW(LPCWSTR shortPath, LPWSTR longPath, DWORD bufferLength) {
    if (BeginCall("GetLongPathNameW " + LogText(shortPath))) {
        SetLastError(static_cast<DWORD>(kInjectedError));
        return 0;
    }
    const auto found = script.longPaths.find(shortPath);
    if (found == script.longPaths.end()) {
        SetLastError(script.missingFileError);
        return 0;
    }
    if (found->second.size() + 1 > bufferLength) {
        return static_cast<DWORD>(found->second.size() + 1);
    }
    std::wcscpy(longPath, found->second.c_str());
    return static_cast<DWORD>(found->second.size());
}

std::vector<ScriptedSystem::SavedLink> ScriptedSystem::ShortcutFiles() const {
    std::vector<SavedLink> files = script.shortcuts;
    files.insert(files.end(), savedLinks_.begin(), savedLinks_.end());
    return files;
}

HANDLE ScriptedSystem::FindFirstFileW(LPCWSTR fileName, WIN32_FIND_DATAW* findData) {
    if (BeginCall("FindFirstFileW " + LogText(fileName))) {
        SetLastError(static_cast<DWORD>(kInjectedError));
        return INVALID_HANDLE_VALUE;
    }
    const std::wstring pattern = fileName;
    if (!pattern.ends_with(L"\\*")) {
        SetLastError(static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
        return INVALID_HANDLE_VALUE;
    }
    // The entries below the folder, each once whatever its case, in the order of their names.
    const std::wstring prefix = Lower(pattern.substr(0, pattern.size() - 1));
    std::map<std::wstring, WIN32_FIND_DATAW> below;
    for (const SavedLink& link : ShortcutFiles()) {
        if (!Lower(link.path).starts_with(prefix)) {
            continue;
        }
        const std::wstring rest = link.path.substr(prefix.size());
        const std::size_t separator = rest.find(L'\\');
        const std::wstring name = rest.substr(0, separator);
        below.emplace(Lower(name), FoundEntry(name, separator != std::wstring::npos));
    }
    if (below.empty()) {
        SetLastError(static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
        return INVALID_HANDLE_VALUE;
    }
    std::vector<WIN32_FIND_DATAW> entries = {FoundEntry(L".", true), FoundEntry(L"..", true)};
    for (const auto& [lower, entry] : below) {
        entries.push_back(entry);
    }
    *findData = entries.front();
    entries.erase(entries.begin());
    const HANDLE find = reinterpret_cast<HANDLE>(nextFind_++);
    openFinds_[find] = std::move(entries);
    return find;
}

BOOL ScriptedSystem::FindNextFileW(HANDLE find, WIN32_FIND_DATAW* findData) {
    if (BeginCall("FindNextFileW")) {
        SetLastError(static_cast<DWORD>(kInjectedError));
        return FALSE;
    }
    const auto open = openFinds_.find(find);
    if (open == openFinds_.end()) {
        SetLastError(static_cast<DWORD>(ERROR_INVALID_HANDLE));
        return FALSE;
    }
    if (open->second.empty()) {
        SetLastError(static_cast<DWORD>(ERROR_NO_MORE_FILES));
        return FALSE;
    }
    *findData = open->second.front();
    open->second.erase(open->second.begin());
    return TRUE;
}

BOOL ScriptedSystem::FindClose(HANDLE find) {
    Log("FindClose");
    if (openFinds_.erase(find) == 0) {
        ++badFindCloses_;
        return FALSE;
    }
    return TRUE;
}

HANDLE ScriptedSystem::CreateMutexW(LPCWSTR name) {
    if (BeginCall("CreateMutexW " + LogText(name))) {
        SetLastError(static_cast<DWORD>(kInjectedError));
        return nullptr;
    }
    HANDLE handle = reinterpret_cast<HANDLE>(nextMutex_++);
    openMutexes_[handle] = {name, false};
    return handle;
}

DWORD ScriptedSystem::WaitForSingleObject(HANDLE handle, DWORD milliseconds) {
    auto found = openMutexes_.find(handle);
    if (BeginCall("WaitForSingleObject " +
                  (found == openMutexes_.end() ? "?" : LogText(found->second.name.c_str())) + " " +
                  std::to_string(milliseconds))) {
        SetLastError(static_cast<DWORD>(kInjectedError));
        return WAIT_FAILED;
    }
    if (found == openMutexes_.end()) {
        SetLastError(6);  // ERROR_INVALID_HANDLE
        return WAIT_FAILED;
    }
    if (script.waitResult == WAIT_TIMEOUT) {
        return WAIT_TIMEOUT;
    }
    found->second.owned = true;
    return script.waitResult;
}

BOOL ScriptedSystem::ReleaseMutex(HANDLE mutex) {
    // A release, never made to fail: what the program does after it does not depend on it.
    auto found = openMutexes_.find(mutex);
    Log("ReleaseMutex " +
        (found == openMutexes_.end() ? "?" : LogText(found->second.name.c_str())));
    if (found == openMutexes_.end() || !found->second.owned) {
        SetLastError(288);  // ERROR_NOT_OWNER
        return FALSE;
    }
    found->second.owned = false;
    return TRUE;
}

HMODULE ScriptedSystem::LoadLibraryExW(LPCWSTR fileName, DWORD flags) {
    if (BeginCall("LoadLibraryExW " + LogText(fileName) + " " + std::to_string(flags))) {
        SetLastError(static_cast<DWORD>(kInjectedError));
        return nullptr;
    }
    if (script.loadLibraryError != ERROR_SUCCESS) {
        SetLastError(static_cast<DWORD>(script.loadLibraryError));
        return nullptr;
    }
    const auto module = reinterpret_cast<HMODULE>(nextKey_);
    nextKey_ += 4;
    loadedModules_.insert(module);
    return module;
}

HRSRC ScriptedSystem::FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type) {
    if (BeginCall("FindResourceW " + LogText(name) + " " + LogText(type))) {
        SetLastError(static_cast<DWORD>(kInjectedError));
        return nullptr;
    }
    if (loadedModules_.count(module) == 0) {
        SetLastError(static_cast<DWORD>(ERROR_INVALID_HANDLE));
        return nullptr;
    }
    if (script.findResourceError != ERROR_SUCCESS) {
        SetLastError(static_cast<DWORD>(script.findResourceError));
        return nullptr;
    }
    return reinterpret_cast<HRSRC>(module);
}

DWORD ScriptedSystem::SizeofResource(HMODULE module, HRSRC resource) {
    if (BeginCall("SizeofResource")) {
        SetLastError(static_cast<DWORD>(kInjectedError));
        return 0;
    }
    // FindResourceW gives its module's handle as the resource's.
    if (loadedModules_.count(module) == 0 || reinterpret_cast<HMODULE>(resource) != module) {
        SetLastError(static_cast<DWORD>(ERROR_INVALID_HANDLE));
        return 0;
    }
    return script.resourceSize;
}

BOOL ScriptedSystem::FreeLibrary(HMODULE module) {
    Log("FreeLibrary");
    if (loadedModules_.erase(module) == 0) {
        ++badModuleFrees_;
        return FALSE;
    }
    return TRUE;
}

DWORD ScriptedSystem::FormatMessageW(DWORD messageId, LPWSTR buffer, DWORD size) {
    if (BeginCall("FormatMessageW " + std::to_string(messageId))) {
        SetLastError(static_cast<DWORD>(kInjectedError));
        return 0;
    }
    const auto found = script.messages.find(messageId);
    if (found == script.messages.end()) {
        SetLastError(static_cast<DWORD>(ERROR_MR_MID_NOT_FOUND));
        return 0;
    }
    if (found->second.size() >= size) {
        SetLastError(static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
        return 0;
    }
    std::wcscpy(buffer, found->second.c_str());
    return static_cast<DWORD>(found->second.size());
}
