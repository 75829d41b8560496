#include "emulated/registry/emulated_registry.h"

#include <algorithm>
#include <cstring>
#include <cwchar>

#include "emulated/base/utf16.h"
#include "emulated/base/win32_codes.h"

namespace {

bool IsStringType(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// The bytes that Windows would store: string types come in as the host's wide characters and
// are kept as UTF-16LE, everything else as given.
std::vector<BYTE> StoredData(DWORD type, const BYTE* data, DWORD byteCount) {
    if (data == nullptr || byteCount == 0) {
        return {};
    }
    if (!IsStringType(type)) {
        return {data, data + byteCount};
    }
    std::wstring characters(byteCount / sizeof(wchar_t), L'\0');
    std::memcpy(characters.data(), data, characters.size() * sizeof(wchar_t));
    std::string bytes = ToUtf16Le(characters);
    return {bytes.begin(), bytes.end()};
}

// The bytes a caller gets back: string types in the host's wide characters, as it wrote them.
std::vector<BYTE> ReturnedData(const RegistryValue& value) {
    if (!IsStringType(value.type)) {
        return value.data;
    }
    const std::wstring text = FromUtf16Le(
        std::string_view(reinterpret_cast<const char*>(value.data.data()), value.data.size()));
    const auto* bytes = reinterpret_cast<const BYTE*>(text.data());
    return {bytes, bytes + text.size() * sizeof(wchar_t)};
}

LSTATUS ResolvePath(const RegistryHandles& handles, HKEY root, LPCWSTR subKey, OpenKey& key) {
    std::optional<OpenKey> base = handles.Resolve(root);
    if (!base) {
        return ERROR_INVALID_HANDLE;
    }
    std::vector<std::wstring> names;
    if (!SplitKeyPath(subKey, names)) {
        return ERROR_BAD_PATHNAME;
    }
    for (std::wstring& name : names) {
        if (name.size() > kMaxKeyNameLength) {
            return ERROR_INVALID_PARAMETER;
        }
        base->names.push_back(std::move(name));
    }
    if (base->names.size() > kMaxKeyDepth) {
        return ERROR_INVALID_PARAMETER;
    }
    key = std::move(*base);
    return ERROR_SUCCESS;
}

}  // namespace

EmulatedRegistry::EmulatedRegistry(RegistryStore& store) : store_(store) {}

LSTATUS EmulatedRegistry::CreateKey(HKEY root, LPCWSTR subKey, HKEY* key, DWORD* disposition) {
    OpenKey path{};
    if (LSTATUS resolved = ResolvePath(handles_, root, subKey, path); resolved != ERROR_SUCCESS) {
        return resolved;
    }
    std::size_t baseDepth = handles_.Resolve(root)->names.size();
    bool createdAny = false;
    LSTATUS result = store_.Update(path.hive, [&](RegistryNode& hive, bool& changed) {
        RegistryNode* node = &hive;
        for (std::size_t i = 0; i < path.names.size(); ++i) {
            if (i < baseDepth) {
                // The key that the handle names must still be there; it is not made again.
                node = node->Find(path.names[i]);
                if (node == nullptr) {
                    return ERROR_KEY_DELETED;
                }
                continue;
            }
            bool created = false;
            node = &node->Create(path.names[i], created);
            createdAny = createdAny || created;
        }
        changed = createdAny;
        return ERROR_SUCCESS;
    });
    if (result != ERROR_SUCCESS) {
        return result;
    }
    *key = handles_.Open(std::move(path));
    if (disposition != nullptr) {
        *disposition = createdAny ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
    }
    return ERROR_SUCCESS;
}

LSTATUS EmulatedRegistry::SetValue(HKEY key, LPCWSTR valueName, DWORD type, const BYTE* data,
                                   DWORD byteCount) {
    std::optional<OpenKey> open = handles_.Resolve(key);
    if (!open) {
        return ERROR_INVALID_HANDLE;
    }
    if ((data == nullptr && byteCount != 0) ||
        (valueName != nullptr && std::wcslen(valueName) > kMaxValueNameLength)) {
        return ERROR_INVALID_PARAMETER;
    }
    RegistryValue value{valueName != nullptr ? valueName : L"", type,
                        StoredData(type, data, byteCount)};
    return store_.Update(open->hive, [&](RegistryNode& hive, bool& changed) {
        RegistryNode* node = FindKey(hive, open->names);
        if (node == nullptr) {
            return ERROR_KEY_DELETED;
        }
        node->SetValue(std::move(value));
        changed = true;
        return ERROR_SUCCESS;
    });
}

LSTATUS EmulatedRegistry::OpenExistingKey(HKEY root, LPCWSTR subKey, HKEY* key) {
    OpenKey path{};
    if (LSTATUS resolved = ResolvePath(handles_, root, subKey, path); resolved != ERROR_SUCCESS) {
        return resolved;
    }
    bool exists = false;
    const LSTATUS read = store_.Read(path.hive, [&](const RegistryNode& hive) {
        exists = FindKey(hive, path.names) != nullptr;
    });
    if (read != ERROR_SUCCESS) {
        return read;
    }
    if (!exists) {
        return ERROR_FILE_NOT_FOUND;
    }
    *key = handles_.Open(std::move(path));
    return ERROR_SUCCESS;
}

LSTATUS EmulatedRegistry::CloseKey(HKEY key) {
    return handles_.Close(key) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

LSTATUS EmulatedRegistry::DeleteTree(HKEY root, LPCWSTR subKey) {
    OpenKey path{};
    if (LSTATUS resolved = ResolvePath(handles_, root, subKey, path); resolved != ERROR_SUCCESS) {
        return resolved;
    }
    if (path.names.empty()) {
        // A hive root cannot be deleted.
        return ERROR_ACCESS_DENIED;
    }
    return store_.Update(path.hive, [&](RegistryNode& hive, bool& changed) {
        std::vector<std::wstring> parentNames(path.names.begin(), path.names.end() - 1);
        RegistryNode* parent = FindKey(hive, parentNames);
        changed = parent != nullptr && parent->Remove(path.names.back());
        return changed ? ERROR_SUCCESS : ERROR_FILE_NOT_FOUND;
    });
}

LSTATUS EmulatedRegistry::ReadOpenKey(
    HKEY key, const std::function<LSTATUS(const RegistryNode& node)>& read) {
    std::optional<OpenKey> open = handles_.Resolve(key);
    if (!open) {
        return ERROR_INVALID_HANDLE;
    }
    LSTATUS status = ERROR_SUCCESS;
    const LSTATUS readHive = store_.Read(open->hive, [&](const RegistryNode& hive) {
        const RegistryNode* node = FindKey(hive, open->names);
        status = node == nullptr ? ERROR_KEY_DELETED : read(*node);
    });
    return readHive != ERROR_SUCCESS ? readHive : status;
}

LSTATUS EmulatedRegistry::EnumKey(HKEY key, DWORD index, LPWSTR name, DWORD* nameLength) {
    return ReadOpenKey(key, [&](const RegistryNode& node) -> LSTATUS {
        const RegistryNode* child = node.ChildAt(index);
        if (child == nullptr) {
            return ERROR_NO_MORE_ITEMS;
        }
        const std::wstring& childName = child->Name();
        if (childName.size() + 1 > *nameLength) {
            return ERROR_MORE_DATA;
        }
        std::wmemcpy(name, childName.c_str(), childName.size() + 1);
        *nameLength = static_cast<DWORD>(childName.size());
        return ERROR_SUCCESS;
    });
}

LSTATUS EmulatedRegistry::QueryValue(HKEY key, LPCWSTR valueName, DWORD* type, BYTE* data,
                                     DWORD* byteCount) {
    return ReadOpenKey(key, [&](const RegistryNode& node) -> LSTATUS {
        const RegistryValue* value = node.FindValue(valueName != nullptr ? valueName : L"");
        if (value == nullptr) {
            return ERROR_FILE_NOT_FOUND;
        }
        const std::vector<BYTE> returned = ReturnedData(*value);
        const DWORD capacity = *byteCount;
        *type = value->type;
        *byteCount = static_cast<DWORD>(returned.size());
        if (data == nullptr) {
            return ERROR_SUCCESS;
        }
        if (returned.size() > capacity) {
            return ERROR_MORE_DATA;
        }
        std::copy(returned.begin(), returned.end(), data);
        return ERROR_SUCCESS;
    });
}
