// Listing a game's task shortcuts: the index folders of each kind, the shortcut files in them,
// and what each shortcut holds, read back through the shell's own objects.
#include "task_listing.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <optional>

#include "folder_entries.h"
#include "folder_paths.h"
#include "format_wide.h"
#include "guid_text.h"
#include "platform/com_initialization.h"
#include "platform/gameux.h"
#include "platform/owners.h"
#include "platform/shell_names.h"
#include "task_tree_names.h"

namespace {

constexpr wchar_t kEntryFormat[] = L"%s\\%s";

bool IsFolder(const FolderEntry& entry) {
    return (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

HRESULT LoadFromFile(IUnknown& object, const wchar_t* path) {
    ComPtr<IPersistFile> persistFile;
    const HRESULT hr = object.QueryInterface(IID_IPersistFile, persistFile.PutVoid());
    if (FAILED(hr)) {
        return hr;
    }
    return persistFile ? persistFile->Load(path, STGM_READ) : E_POINTER;
}

// The target and arguments of the shell link at path; task keeps them empty when any step fails,
// as a shortcut half read could show a target with someone else's arguments.
void ReadShellLink(const wchar_t* path, ListedTask& task) {
    // Declared first so that the interfaces are released before COM is uninitialised.
    ComInitialization com;
    ComPtr<IShellLinkW> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                link.PutVoid())) ||
        !link || FAILED(LoadFromFile(*link.Get(), path))) {
        return;
    }
    // The writer refuses longer targets and arguments, so these hold any link it made whole.
    wchar_t target[MAX_PATH] = {};
    wchar_t arguments[kMaxShortcutArgumentsLength + 1] = {};
    if (FAILED(link->GetPath(target, MAX_PATH, nullptr, 0)) ||
        FAILED(link->GetArguments(arguments, static_cast<int>(std::size(arguments))))) {
        return;
    }
    task.target = target;
    task.arguments = arguments;
}

// The address of the Internet shortcut at path; task keeps an empty target when it has none or
// cannot be read.
void ReadInternetShortcut(const wchar_t* path, ListedTask& task) {
    ComInitialization com;
    ComPtr<IUniformResourceLocatorW> locator;
    if (FAILED(CoCreateInstance(CLSID_InternetShortcut, nullptr, CLSCTX_INPROC_SERVER,
                                IID_IUniformResourceLocatorW, locator.PutVoid())) ||
        !locator || FAILED(LoadFromFile(*locator.Get(), path))) {
        return;
    }
    UniqueCoTaskText address;
    if (SUCCEEDED(locator->GetURL(address.Put())) && address) {
        task.target = address.Get();
    }
}

// The shortcuts of one index folder, added to tasks in the folder's order.
HRESULT ListIndexFolder(const wchar_t* folder, TaskKind kind, int index,
                        std::vector<ListedTask>& tasks) {
    std::vector<FolderEntry> files;
    HRESULT hr = ListFolderEntries(folder, files);
    if (FAILED(hr)) {
        return hr;
    }
    for (const FolderEntry& file : files) {
        const ShortcutFileKind shortcut = ShortcutFileKindOf(file.name);
        if (IsFolder(file) || shortcut == ShortcutFileKind::NotAShortcut) {
            continue;
        }
        wchar_t path[kTaskPathCapacity];
        hr = FormatWide(path, kTaskPathCapacity, kEntryFormat, folder, file.name.c_str());
        if (FAILED(hr)) {
            return hr;
        }
        // Both extensions have four characters.
        ListedTask task{kind, index, file.name.substr(0, file.name.size() - 4), {}, {}};
        if (shortcut == ShortcutFileKind::LnkFile) {
            ReadShellLink(path, task);
        } else {
            ReadInternetShortcut(path, task);
        }
        tasks.push_back(std::move(task));
    }
    return S_OK;
}

// By index, then by name as Windows orders file names (case only breaks a tie).
bool ListedBefore(const ListedTask& a, const ListedTask& b) {
    if (a.index != b.index) {
        return a.index < b.index;
    }
    const int order = CompareStringOrdinal(a.name.c_str(), static_cast<int>(a.name.size()),
                                           b.name.c_str(), static_cast<int>(b.name.size()), TRUE);
    return order != CSTR_EQUAL ? order == CSTR_LESS_THAN : a.name < b.name;
}

// One kind's tasks, added to tasks in their order.
HRESULT ListKind(const GameTaskRoot& root, TaskKind kind, std::vector<ListedTask>& tasks) {
    wchar_t folder[kTaskPathCapacity];
    HRESULT hr = TaskKindFolder(folder, kTaskPathCapacity, root.specialFolder, root.guidText, kind);
    if (FAILED(hr)) {
        return hr;
    }
    std::vector<FolderEntry> indexFolders;
    hr = ListFolderEntries(folder, indexFolders);
    if (FAILED(hr)) {
        return hr;
    }
    std::vector<ListedTask> found;
    for (const FolderEntry& entry : indexFolders) {
        const std::optional<int> index =
            IsFolder(entry) ? TaskIndexNamed(entry.name) : std::nullopt;
        if (!index) {
            continue;
        }
        hr = TaskKindFolder(folder, kTaskPathCapacity, root.specialFolder, root.guidText, kind,
                            *index);
        if (SUCCEEDED(hr)) {
            hr = ListIndexFolder(folder, kind, *index, found);
        }
        if (FAILED(hr)) {
            return hr;
        }
    }
    std::sort(found.begin(), found.end(), ListedBefore);
    tasks.insert(tasks.end(), std::make_move_iterator(found.begin()),
                 std::make_move_iterator(found.end()));
    return S_OK;
}

// Every kind's tasks below root, play tasks first.
HRESULT ListEveryKind(const GameTaskRoot& root, std::vector<ListedTask>& tasks) {
    tasks.clear();
    std::vector<ListedTask> found;
    for (const TaskKindRow& row : kTaskKinds) {
        if (const HRESULT hr = ListKind(root, row.kind, found); FAILED(hr)) {
            return hr;
        }
    }
    tasks = std::move(found);
    return S_OK;
}

bool GuidBefore(const GUID& a, const GUID& b) {
    return std::memcmp(&a, &b, sizeof(GUID)) < 0;
}

// The games named by the entries of specialFolder's GameExplorer folder, sorted (none when it
// does not exist); nothing when it cannot be listed whole. A name that is no braced GUID is no
// folder the writer made: the folder of a GUID, in whatever letter case, is the one its tasks are
// found in.
std::optional<std::vector<GUID>> GamesWithFolders(const wchar_t* specialFolder) {
    wchar_t folder[kTaskPathCapacity];
    std::vector<FolderEntry> entries;
    if (FAILED(GameExplorerFolder(folder, kTaskPathCapacity, specialFolder)) ||
        FAILED(ListFolderEntries(folder, entries))) {
        return std::nullopt;
    }
    std::vector<GUID> games;
    for (const FolderEntry& entry : entries) {
        GUID game;
        if (ParseGameGuid(entry.name.c_str(), &game)) {
            games.push_back(game);
        }
    }
    std::sort(games.begin(), games.end(), GuidBefore);
    return games;
}

}  // namespace

HRESULT ListGameTasks(int scope, const GUID& gameId, std::vector<ListedTask>& tasks) {
    tasks.clear();
    GameTaskRoot root;
    if (const HRESULT hr = LocateGameTaskRoot(SpecialFolderFor(scope), gameId, root); FAILED(hr)) {
        return hr;
    }
    return ListEveryKind(root, tasks);
}

ScopeTaskListing::ScopeTaskListing(int scope)
    : located_(LocateGameTaskRoot(SpecialFolderFor(scope), GUID_NULL, root_)) {
    if (SUCCEEDED(located_)) {
        gamesWithFolders_ = GamesWithFolders(root_.specialFolder);
    }
}

HRESULT ScopeTaskListing::List(const GUID& gameId, std::vector<ListedTask>& tasks) const {
    tasks.clear();
    if (FAILED(located_)) {
        return located_;
    }
    if (gamesWithFolders_ && !std::binary_search(gamesWithFolders_->begin(),
                                                 gamesWithFolders_->end(), gameId, GuidBefore)) {
        return S_OK;
    }
    GameTaskRoot root = root_;
    StringFromGUID2(gameId, root.guidText, CHARS_IN_GUID);
    return ListEveryKind(root, tasks);
}
