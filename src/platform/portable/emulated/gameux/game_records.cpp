#include "emulated/gameux/game_records.h"

#include "emulated/base/win32_codes.h"
#include "emulated/files/windows_path.h"
#include "emulated/registry/registry_tree.h"

namespace {

std::wstring BracedText(REFGUID guid) {
    wchar_t text[CHARS_IN_GUID];
    StringFromGUID2(guid, text, CHARS_IN_GUID);
    return text;
}

std::vector<std::wstring> KeyNames(const std::wstring& path) {
    std::vector<std::wstring> names;
    SplitKeyPath(path, names);
    return names;
}

std::wstring TextValue(const RegistryNode& key, const wchar_t* name) {
    const RegistryValue* value = key.FindValue(name);
    return value != nullptr ? StringFromValueData(value->data) : std::wstring{};
}

}  // namespace

GameRecords::GameRecords(RegistryStore& registry, std::wstring userId)
    : registry_(registry), userId_(std::move(userId)) {}

std::wstring GameRecords::ScopeKey(GAME_INSTALL_SCOPE scope) const {
    return std::wstring(kGameExplorerRecordsKey) + L"\\" +
           (scope == GIS_CURRENT_USER ? userId_ : std::wstring(kAllUsersRecordsName));
}

HRESULT GameRecords::Add(const GameRecord& game) {
    if (game.scope != GIS_CURRENT_USER && game.scope != GIS_ALL_USERS) {
        return E_INVALIDARG;
    }
    std::vector<std::wstring> names = KeyNames(ScopeKey(game.scope) + L"\\" + game.instanceId);
    LONG result = registry_.Update(Hive::LocalMachine, [&](RegistryNode& root, bool& changed) {
        RegistryNode* key = &root;
        for (const std::wstring& name : names) {
            bool created = false;
            key = &key->Create(name, created);
        }
        key->SetValue({kRecordBinaryPathValue, REG_SZ, StringValueData(game.binaryPath)});
        key->SetValue(
            {kRecordInstallDirectoryValue, REG_SZ, StringValueData(game.installDirectory)});
        key->SetValue(
            {kRecordApplicationIdValue, REG_SZ, StringValueData(game.definition.applicationId)});
        key->SetValue({kRecordTitleValue, REG_SZ, StringValueData(game.definition.title)});
        key->SetValue(
            {kRecordDescriptionValue, REG_SZ, StringValueData(game.definition.description)});
        changed = true;
        return ERROR_SUCCESS;
    });
    return HRESULT_FROM_WIN32(result);
}

HRESULT GameRecords::Remove(REFGUID instanceId) {
    std::wstring keyName = BracedText(instanceId);
    LONG result = registry_.Update(Hive::LocalMachine, [&](RegistryNode& root, bool& changed) {
        for (GAME_INSTALL_SCOPE scope : {GIS_ALL_USERS, GIS_CURRENT_USER}) {
            RegistryNode* games = FindKey(root, KeyNames(ScopeKey(scope)));
            if (games != nullptr && games->Remove(keyName)) {
                changed = true;
                break;
            }
        }
        return changed ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    });
    return HRESULT_FROM_WIN32(result);
}

HRESULT GameRecords::FindByBinaryPath(std::wstring_view binaryPath,
                                      std::vector<GameRecord>& found) {
    LONG result = registry_.Read(Hive::LocalMachine, [&](const RegistryNode& root) {
        for (GAME_INSTALL_SCOPE scope : {GIS_ALL_USERS, GIS_CURRENT_USER}) {
            const RegistryNode* games = FindKey(root, KeyNames(ScopeKey(scope)));
            if (games == nullptr) {
                continue;
            }
            for (const auto& [name, game] : games->Children()) {
                std::wstring recordedPath = TextValue(*game, kRecordBinaryPathValue);
                if (SameWindowsPath(recordedPath, binaryPath)) {
                    found.push_back({game->Name(),
                                     recordedPath,
                                     TextValue(*game, kRecordInstallDirectoryValue),
                                     scope,
                                     {TextValue(*game, kRecordApplicationIdValue),
                                      TextValue(*game, kRecordTitleValue),
                                      TextValue(*game, kRecordDescriptionValue)}});
                }
            }
        }
    });
    return HRESULT_FROM_WIN32(result);
}
