// The owners of what the system hands out and the caller must give back, one kind a few lines:
// each names the value's type, its invalid value (null unless said) and the call that gives it
// back, for UniqueResource (unique_resource.h) to follow its rules with.
#pragma once

#include "platform/unique_resource.h"
#include "platform_api.h"

// The traits of a kind whose call gives null when it failed.
template <typename Value>
struct NullIsInvalid {
    using Type = Value;
    static Type Invalid() { return nullptr; }
};

// A kernel handle (a token, a mutex). Tokens and mutexes are null when their call failed
// (INVALID_HANDLE_VALUE is a file's failure).
struct KernelHandleTraits : NullIsInvalid<HANDLE> {
    static void Close(Type handle) { CloseHandle(handle); }
};
using UniqueHandle = UniqueResource<KernelHandleTraits>;

// A file opened by CreateFileW. One that could not be opened is INVALID_HANDLE_VALUE.
struct FileHandleTraits {
    using Type = HANDLE;
    static Type Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Type file) { CloseHandle(file); }
};
using UniqueFileHandle = UniqueResource<FileHandleTraits>;

// A folder listing begun by FindFirstFileW. One that could not begin is INVALID_HANDLE_VALUE.
struct FindHandleTraits {
    using Type = HANDLE;
    static Type Invalid() { return INVALID_HANDLE_VALUE; }
    static void Close(Type find) { FindClose(find); }
};
using UniqueFindHandle = UniqueResource<FindHandleTraits>;

// An open registry key.
struct RegistryKeyTraits : NullIsInvalid<HKEY> {
    static void Close(Type key) { RegCloseKey(key); }
};
using RegistryKey = UniqueResource<RegistryKeyTraits>;

// A module loaded with LoadLibraryExW.
struct LoadedModuleTraits : NullIsInvalid<HMODULE> {
    static void Close(Type module) { FreeLibrary(module); }
};
using LoadedModule = UniqueResource<LoadedModuleTraits>;

// An automation string. A failed SysAllocString gives null, which owns nothing.
struct BstrTraits : NullIsInvalid<BSTR> {
    static void Close(Type text) { SysFreeString(text); }
};
using UniqueBstr = UniqueResource<BstrTraits>;

// Text that a COM object allocated for its caller (an Internet shortcut's address).
struct CoTaskTextTraits : NullIsInvalid<wchar_t*> {
    static void Close(Type text) { CoTaskMemFree(text); }
};
using UniqueCoTaskText = UniqueResource<CoTaskTextTraits>;

// Text that the system allocated for the caller with LocalAlloc (a SID's text).
struct LocalTextTraits : NullIsInvalid<LPWSTR> {
    static void Close(Type text) { LocalFree(text); }
};
using LocalText = UniqueResource<LocalTextTraits>;

// Text that the RPC runtime allocated for the caller (a UUID's text).
struct RpcTextTraits : NullIsInvalid<RPC_CSTR> {
    static void Close(Type text) { RpcStringFreeA(&text); }
};
using UniqueRpcText = UniqueResource<RpcTextTraits>;

// A COM interface, released.
template <typename Interface>
struct ComInterfaceTraits : NullIsInvalid<Interface*> {
    static void Close(Interface* pointer) { pointer->Release(); }
};
template <typename Interface>
using ComPtr = UniqueResource<ComInterfaceTraits<Interface>>;
