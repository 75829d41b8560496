#include "registry_tree.h"

#include "utf16.h"

RegistryNode* RegistryNode::Find(std::wstring_view name) {
    auto it = children_.find(name);
    return it == children_.end() ? nullptr : it->second.get();
}

const RegistryNode* RegistryNode::Find(std::wstring_view name) const {
    auto it = children_.find(name);
    return it == children_.end() ? nullptr : it->second.get();
}

RegistryNode& RegistryNode::Create(const std::wstring& name, bool& created) {
    auto it = children_.find(name);
    created = it == children_.end();
    if (created) {
        auto child = std::make_unique<RegistryNode>();
        child->name_ = name;
        it = children_.emplace(name, std::move(child)).first;
    }
    return *it->second;
}

bool RegistryNode::Remove(std::wstring_view name) {
    auto it = children_.find(name);
    if (it == children_.end()) {
        return false;
    }
    children_.erase(it);
    return true;
}

const RegistryValue* RegistryNode::FindValue(std::wstring_view name) const {
    for (const RegistryValue& value : values_) {
        if (EqualsIgnoringCase(value.name, name)) {
            return &value;
        }
    }
    return nullptr;
}

void RegistryNode::SetValue(RegistryValue value) {
    for (RegistryValue& existing : values_) {
        if (EqualsIgnoringCase(existing.name, value.name)) {
            // A value keeps the name it was created with, as a key does.
            existing.type = value.type;
            existing.data = std::move(value.data);
            return;
        }
    }
    values_.push_back(std::move(value));
}

bool SplitKeyPath(std::wstring_view path, std::vector<std::wstring>& names) {
    names.clear();
    std::size_t start = 0;
    while (start < path.size()) {
        std::size_t end = path.find(L'\\', start);
        if (end == std::wstring_view::npos) {
            end = path.size();
        }
        if (end == start) {
            return false;
        }
        names.emplace_back(path.substr(start, end - start));
        start = end + 1;
    }
    return true;
}

RegistryNode* FindKey(RegistryNode& root, const std::vector<std::wstring>& names) {
    RegistryNode* node = &root;
    for (const std::wstring& name : names) {
        node = node->Find(name);
        if (node == nullptr) {
            return nullptr;
        }
    }
    return node;
}

const RegistryNode* FindKey(const RegistryNode& root, const std::vector<std::wstring>& names) {
    return FindKey(const_cast<RegistryNode&>(root), names);
}

std::vector<BYTE> StringValueData(std::wstring_view text) {
    std::u16string units = ToUtf16(text);
    units.push_back(u'\0');
    std::vector<BYTE> data;
    data.reserve(units.size() * 2);
    for (char16_t unit : units) {
        data.push_back(static_cast<BYTE>(unit & 0xFF));
        data.push_back(static_cast<BYTE>(unit >> 8));
    }
    return data;
}

std::wstring StringFromValueData(const std::vector<BYTE>& data) {
    std::u16string units;
    for (std::size_t i = 0; i + 1 < data.size(); i += 2) {
        auto unit = static_cast<char16_t>(data[i] | (data[i + 1] << 8));
        if (unit == u'\0') {
            break;
        }
        units.push_back(unit);
    }
    return FromUtf16(units);
}
