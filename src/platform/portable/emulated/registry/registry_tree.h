// One registry hive in memory: keys whose names compare without regard to case and keep the
// case they were created with, each with its values in the order they were first written.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform_api.h"
#include "text/case_folding.h"

struct RegistryValue {
    std::wstring name;  // empty for the default value
    DWORD type = REG_SZ;
    std::vector<BYTE> data;  // as Windows keeps it: string types in UTF-16LE with terminator
};

// The registry's own limits, which the emulated one keeps too.
constexpr std::size_t kMaxKeyNameLength = 255;
constexpr std::size_t kMaxValueNameLength = 16383;
constexpr std::size_t kMaxKeyDepth = 512;  // keys below a hive root, the root not counted

class RegistryNode {
  public:
    RegistryNode() = default;
    RegistryNode(const RegistryNode&) = delete;
    RegistryNode& operator=(const RegistryNode&) = delete;
    ~RegistryNode();

    // The subkey with this name, or null.
    RegistryNode* Find(std::wstring_view name);
    const RegistryNode* Find(std::wstring_view name) const;
    // The subkey with this name, created when missing; created tells which.
    RegistryNode& Create(const std::wstring& name, bool& created);
    // Removes the subkey with everything below it; false when there is none.
    bool Remove(std::wstring_view name);

    const RegistryValue* FindValue(std::wstring_view name) const;
    // Replaces the value of that name in place, or appends it.
    void SetValue(RegistryValue value);

    // The name under which the parent keeps this key.
    const std::wstring& Name() const { return name_; }
    const std::vector<RegistryValue>& Values() const { return values_; }
    // Subkeys in case-insensitive name order, the order in which the registry editor lists them.
    const std::map<std::wstring, std::unique_ptr<RegistryNode>, LessIgnoringCase>& Children()
        const {
        return children_;
    }

    // The index-th subkey in that order, or null past the last: in constant time, so that
    // listing every subkey by index, as RegEnumKeyExW does, takes time in proportion to them.
    const RegistryNode* ChildAt(std::size_t index) const;

  private:
    void TakeChildren(std::vector<std::unique_ptr<RegistryNode>>& into);

    std::wstring name_;
    std::vector<RegistryValue> values_;
    // Where each value lies in values_, by its folded name (case_folding.h): a key may hold many
    // thousands of values, and reading or changing one must not walk through all of them.
    std::unordered_map<std::wstring, std::size_t> valueIndex_;
    std::map<std::wstring, std::unique_ptr<RegistryNode>, LessIgnoringCase> children_;
    // children_ in order, made on the first ChildAt after a subkey was added or removed.
    mutable std::vector<const RegistryNode*> childOrder_;
    mutable bool childOrderCurrent_ = false;
};

// A key path below a hive root split at "\"; none for a path with an empty name inside it
// (a leading or doubled separator). A trailing separator is allowed, as Windows allows it.
bool SplitKeyPath(std::wstring_view path, std::vector<std::wstring>& names);

// The key at path below root, created with every missing key above it. For paths the system
// itself knows to be well formed (its set-up, tests).
RegistryNode& CreateKeyPath(RegistryNode& root, const std::wstring& path);

// The key at names below root, or null.
RegistryNode* FindKey(RegistryNode& root, const std::vector<std::wstring>& names);
const RegistryNode* FindKey(const RegistryNode& root, const std::vector<std::wstring>& names);

// REG_SZ data for text: UTF-16LE units and a terminator.
std::vector<BYTE> StringValueData(std::wstring_view text);
// The text of REG_SZ-like data: units up to the first terminator (or the end).
std::wstring StringFromValueData(const std::vector<BYTE>& data);
