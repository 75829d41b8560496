// The registry editor's export format, in which the emulated system keeps each hive so that
// "reg import" on Windows or "wine regedit" load the files as they are: UTF-16LE with a byte
// order mark, the line "Windows Registry Editor Version 5.00", then one [key path] section per
// key with its values. REG_SZ values are quoted strings with \\ and \" escaped, REG_DWORD values
// dword:, everything else hex(type): bytes, with the type's full value. A file that breaks the
// registry's limits (registry_tree.h) does not parse.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "emulated/registry/registry_tree.h"

struct RegFileParse {
    std::unique_ptr<RegistryNode> root;  // null when the text could not be parsed
    std::size_t errorLine = 0;           // 1-based line of the first fault
    std::string error;                   // what is wrong there
};

// Reads a file's bytes. Every key path must begin with hiveName (e.g. "HKEY_CURRENT_USER").
RegFileParse ParseRegFile(std::string_view bytes, std::wstring_view hiveName);

// The file's bytes for a hive: every key, the root first, subkeys depth first in name order.
// Empty when they would be more than maxBytes (a file is never empty: it has its header).
std::string WriteRegFile(const RegistryNode& root, std::wstring_view hiveName,
                         std::size_t maxBytes = SIZE_MAX);
