#include "emulated/registry/registry_tree.h"

#include "emulated/base/utf16.h"

RegistryNode::~RegistryNode() {
    // Released level by level: releasing a deep tree recursively would overflow the stack. A
    // node is destroyed only once its children were taken from it.
    std::vector<std::unique_ptr<RegistryNode>> pending;
    TakeChildren(pending);
    while (!pending.empty()) {
        std::unique_ptr<RegistryNode> node = std::move(pending.back());
        pending.pop_back();
        node->TakeChildren(pending);
    }
}

void RegistryNode::TakeChildren(std::vector<std::unique_ptr<RegistryNode>>& into) {
    for (auto& [name, child] : children_) {
        into.push_back(std::move(child));
    }
    children_.clear();
    childOrderCurrent_ = false;
}

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
        childOrderCurrent_ = false;
    }
    return *it->second;
}

bool RegistryNode::Remove(std::wstring_view name) {
    auto it = children_.find(name);
    if (it == children_.end()) {
        return false;
    }
    children_.erase(it);
    childOrderCurrent_ = false;
    return true;
}

const RegistryNode* RegistryNode::ChildAt(std::size_t index) const {
    if (!childOrderCurrent_) {
        childOrder_.clear();
        childOrder_.reserve(children_.size());
        for (const auto& [name, child] : children_) {
            childOrder_.push_back(child.get());
        }
        childOrderCurrent_ = true;
    }
    return index < childOrder_.size() ? childOrder_[index] : nullptr;
}

const RegistryValue* RegistryNode::FindValue(std::wstring_view name) const {
    auto found = valueIndex_.find(FoldedText(name));
    return found == valueIndex_.end() ? nullptr : &values_[found->second];
}

void RegistryNode::SetValue(RegistryValue value) {
    const auto [slot, added] = valueIndex_.try_emplace(FoldedText(value.name), values_.size());
    if (added) {
        values_.push_back(std::move(value));
        return;
    }
    // A value keeps the name it was created with, as a key does.
    RegistryValue& existing = values_[slot->second];
    existing.type = value.type;
    existing.data = std::move(value.data);
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

RegistryNode& CreateKeyPath(RegistryNode& root, const std::wstring& path) {
    std::vector<std::wstring> names;
    SplitKeyPath(path, names);
    RegistryNode* node = &root;
    for (const std::wstring& name : names) {
        bool created = false;
        node = &node->Create(name, created);
    }
    return *node;
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
    std::string bytes = ToUtf16Le(text);
    bytes.append(2, '\0');
    return {bytes.begin(), bytes.end()};
}

std::wstring StringFromValueData(const std::vector<BYTE>& data) {
    std::wstring text = FromUtf16Le({reinterpret_cast<const char*>(data.data()), data.size()});
    return text.substr(0, text.find(L'\0'));
}
