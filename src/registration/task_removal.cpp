// Removing a game's task folders: the whole tree below both application data folders, or one
// scope's play and support folders. Only what the program writes goes (task_tree_names.h): the
// shortcut files of the index folders, then each folder once it is empty, bottom up. A link is
// never entered and nothing is deleted through one; it stays, as does any entry the program did
// not write, and with it every folder above it.
#include <optional>
#include <string>
#include <vector>

#include "folder_entries.h"
#include "folder_paths.h"
#include "output/program_error_messages.h"
#include "platform/gameux.h"
#include "platform/win32_failure.h"
#include "task_entry_kind.h"
#include "task_removal.h"
#include "task_tree_names.h"

namespace {

// What a folder of the tree holds: the game's folder kind folders, a kind folder index folders,
// an index folder shortcut files.
enum class TreeLevel { Game, Kind, Index };

TreeLevel Below(TreeLevel level) {
    return level == TreeLevel::Game ? TreeLevel::Kind : TreeLevel::Index;
}

// Whether the program writes an entry of this name and kind at this level of the tree.
bool IsProgramsEntry(TreeLevel level, const FolderEntry& entry) {
    const TaskEntryKind kind = TaskEntryKindOf(entry.attributes);
    switch (level) {
        case TreeLevel::Game:
            return kind == TaskEntryKind::PlainFolder && IsTaskKindFolderName(entry.name);
        case TreeLevel::Kind:
            return kind == TaskEntryKind::PlainFolder && TaskIndexNamed(entry.name).has_value();
        case TreeLevel::Index:
            return kind == TaskEntryKind::PlainFile &&
                   ShortcutFileKindOf(entry.name) != ShortcutFileKind::NotAShortcut;
    }
    return false;
}

// The outcome of two removals: a link or foreign entry left is reported over any other failure,
// since the caller tells it apart (a delete's exit status); otherwise the first failure.
HRESULT Combined(HRESULT first, HRESULT second) {
    if (first == kTaskFolderHoldsLinkOrForeignEntry ||
        second == kTaskFolderHoldsLinkOrForeignEntry) {
        return kTaskFolderHoldsLinkOrForeignEntry;
    }
    return FAILED(first) ? first : second;
}

// The result of DeleteFileW or RemoveDirectoryW: an entry that is gone already is no failure.
HRESULT RemovalResult(BOOL removed) {
    if (removed) {
        return S_OK;
    }
    const DWORD error = GetLastError();
    return IsMissingPathError(error) ? S_OK : HResultFromWin32Error(error);
}

// Deletes the shortcut file name of folder (whose final path is finalFolder), unless it is a
// link in disguise.
HRESULT DeleteShortcutFile(const std::wstring& finalFolder, const std::wstring& folder,
                           const std::wstring& name) {
    const HRESULT itsOwn = CheckFileIsItsFolders(finalFolder, folder, name);
    return FAILED(itsOwn) ? itsOwn : RemovalResult(DeleteFileW((folder + L"\\" + name).c_str()));
}

// Removes what the program wrote in folder (of that level), then folder once empty. Every entry
// is attempted, also after one stayed; whatever stays keeps folder.
HRESULT RemoveTaskFolder(const std::wstring& folder, TreeLevel level) {
    std::vector<FolderEntry> entries;
    HRESULT result = ListFolderEntries(folder.c_str(), entries);
    if (FAILED(result)) {
        return result;
    }
    // An index folder's files are checked against where the folder itself is.
    std::wstring finalFolder;
    if (level == TreeLevel::Index && !entries.empty()) {
        if (const HRESULT found = FinalPathOf(folder, finalFolder); FAILED(found)) {
            return found;
        }
    }
    for (const FolderEntry& entry : entries) {
        HRESULT removed = kTaskFolderHoldsLinkOrForeignEntry;
        if (IsProgramsEntry(level, entry)) {
            removed = level == TreeLevel::Index
                          ? DeleteShortcutFile(finalFolder, folder, entry.name)
                          : RemoveTaskFolder(folder + L"\\" + entry.name, Below(level));
        }
        result = Combined(result, removed);
    }
    return FAILED(result) ? result : RemovalResult(RemoveDirectoryW(folder.c_str()));
}

// Removes the root's task tree of the game (or, with a kind, that kind's part of it). The folders
// down to it are looked at first: one that is missing, or a file above it, leaves nothing to
// remove; a link there, or a file in its place, is not the program's.
HRESULT RemoveGameTaskFolder(const GameTaskRoot& root,
                             std::optional<TaskKind> kind = std::nullopt) {
    std::vector<std::wstring> chain;
    HRESULT hr = TaskFolderChain(root, kind, kNoTaskIndex, chain);
    if (FAILED(hr)) {
        return hr;
    }
    ChainBreak found;
    hr = FindChainBreak(chain, found);
    if (FAILED(hr)) {
        return hr;
    }
    const bool atTheTree = found.at + 1 == chain.size();
    switch (found.kind) {
        case TaskEntryKind::PlainFolder:
            return RemoveTaskFolder(chain.back(), kind ? TreeLevel::Kind : TreeLevel::Game);
        case TaskEntryKind::Link:
            return kTaskFolderHoldsLinkOrForeignEntry;
        case TaskEntryKind::PlainFile:
            return atTheTree ? kTaskFolderHoldsLinkOrForeignEntry : S_OK;
        case TaskEntryKind::Missing:
            break;
    }
    return S_OK;
}

}  // namespace

HRESULT RemoveGameTasks(const GUID& gameId) {
    // Both folders are asked for before anything is deleted, so that a failure of either leaves
    // the game's tasks untouched.
    GameTaskRoot local;
    HRESULT hr = LocateGameTaskRoot(CSIDL_LOCAL_APPDATA, gameId, local);
    if (FAILED(hr)) {
        return hr;
    }
    GameTaskRoot common;
    hr = LocateGameTaskRoot(CSIDL_COMMON_APPDATA, gameId, common);
    if (FAILED(hr)) {
        return hr;
    }
    // The game may have been added for either scope, so both trees go. An uninstaller wants as
    // much removed as can be: the second tree is attempted even when the first stayed.
    const HRESULT localResult = RemoveGameTaskFolder(local);
    return Combined(localResult, RemoveGameTaskFolder(common));
}

HRESULT RemoveScopeTasks(int scope, const GUID& gameId) {
    GameTaskRoot root;
    const HRESULT hr = LocateGameTaskRoot(SpecialFolderFor(scope), gameId, root);
    if (FAILED(hr)) {
        return hr;
    }
    // Every kind is attempted, as for the whole tree.
    HRESULT result = S_OK;
    for (const TaskKindRow& row : kTaskKinds) {
        result = Combined(result, RemoveGameTaskFolder(root, row.kind));
    }
    return result;
}
