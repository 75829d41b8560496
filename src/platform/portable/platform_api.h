// The subset of the Windows API that the program calls, for hosts without Windows.
// Types, constants and functions keep their Windows names and results; every operation that
// reaches the system is forwarded to the installed SystemBackend (system_backend.h).
#pragma once

#include <cstddef>
#include <cstdint>

// ---- Basic types -------------------------------------------------------------------------------
using HRESULT = std::int32_t;
using LONG = std::int32_t;
using ULONG = std::uint32_t;
using DWORD = std::uint32_t;
using UINT = std::uint32_t;
using BOOL = std::int32_t;
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using USHORT = std::uint16_t;
using LSTATUS = LONG;
using REGSAM = DWORD;
using RPC_STATUS = LONG;
using WCHAR = wchar_t;
using LPWSTR = wchar_t*;
using LPCWSTR = const wchar_t*;
using OLECHAR = wchar_t;
using LPOLESTR = OLECHAR*;
using LPCOLESTR = const OLECHAR*;
using BSTR = OLECHAR*;
using LPSTR = char*;
using LPCSTR = const char*;
using LPBOOL = BOOL*;
using RPC_CSTR = unsigned char*;
using CIMTYPE = LONG;
using VARTYPE = USHORT;
using HANDLE = void*;
using HWND = struct HWND__*;
using HKEY = struct HKEY__*;
using HMODULE = struct HINSTANCE__*;
using HRSRC = struct HRSRC__*;
using LPSECURITY_ATTRIBUTES = void*;

#define STDMETHODCALLTYPE
#define WINAPI

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;

// ---- HRESULTs and Win32 error codes ------------------------------------------------------------
constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005);
constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001);
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002);
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057);
constexpr HRESULT E_OUTOFMEMORY = static_cast<HRESULT>(0x8007000E);
constexpr HRESULT E_ACCESSDENIED = static_cast<HRESULT>(0x80070005);
constexpr HRESULT REGDB_E_CLASSNOTREG = static_cast<HRESULT>(0x80040154);
constexpr HRESULT CO_E_NOTINITIALIZED = static_cast<HRESULT>(0x800401F0);
constexpr HRESULT WBEM_E_INVALID_NAMESPACE = static_cast<HRESULT>(0x8004100E);
constexpr HRESULT WBEM_E_INVALID_QUERY = static_cast<HRESULT>(0x80041017);
constexpr HRESULT WBEM_E_NOT_FOUND = static_cast<HRESULT>(0x80041002);
constexpr HRESULT WBEM_S_FALSE = 1;
constexpr HRESULT WBEM_S_TIMEDOUT = 0x40004;

constexpr LONG ERROR_SUCCESS = 0;
constexpr LONG ERROR_FILE_NOT_FOUND = 2;
constexpr LONG ERROR_PATH_NOT_FOUND = 3;
constexpr LONG ERROR_ACCESS_DENIED = 5;
constexpr LONG ERROR_INVALID_HANDLE = 6;
constexpr LONG ERROR_INVALID_DATA = 13;
constexpr LONG ERROR_NO_MORE_FILES = 18;
constexpr LONG ERROR_NOT_ENOUGH_MEMORY = 8;
constexpr LONG ERROR_FILE_EXISTS = 80;
constexpr LONG ERROR_INVALID_PARAMETER = 87;
constexpr LONG ERROR_INSUFFICIENT_BUFFER = 122;
constexpr LONG ERROR_INVALID_NAME = 123;
constexpr LONG ERROR_DIR_NOT_EMPTY = 145;
constexpr LONG ERROR_ALREADY_EXISTS = 183;
constexpr LONG ERROR_BAD_EXE_FORMAT = 193;
constexpr LONG ERROR_FILENAME_EXCED_RANGE = 206;
constexpr LONG ERROR_FILE_TOO_LARGE = 223;
constexpr LONG ERROR_MORE_DATA = 234;
constexpr LONG ERROR_NO_MORE_ITEMS = 259;
constexpr LONG ERROR_INVALID_FLAGS = 1004;
constexpr LONG ERROR_NO_UNICODE_TRANSLATION = 1113;
constexpr LONG ERROR_NOT_FOUND = 1168;
constexpr LONG ERROR_TIMEOUT = 1460;
constexpr LONG ERROR_RESOURCE_DATA_NOT_FOUND = 1812;
constexpr LONG ERROR_RESOURCE_TYPE_NOT_FOUND = 1813;
constexpr LONG ERROR_RESOURCE_NAME_NOT_FOUND = 1814;
constexpr LONG ERROR_RESOURCE_LANG_NOT_FOUND = 1815;
constexpr LONG ERROR_OBJECT_ALREADY_EXISTS = 5010;

constexpr bool SUCCEEDED(HRESULT hr) {
    return hr >= 0;
}
constexpr bool FAILED(HRESULT hr) {
    return hr < 0;
}
constexpr HRESULT HRESULT_FROM_WIN32(LONG error) {
    return error <= 0 ? static_cast<HRESULT>(error)
                      : static_cast<HRESULT>((static_cast<std::uint32_t>(error) & 0x0000FFFFu) |
                                             0x80070000u);
}

// ---- GUIDs -------------------------------------------------------------------------------------
struct GUID {
    std::uint32_t Data1;
    std::uint16_t Data2;
    std::uint16_t Data3;
    std::uint8_t Data4[8];
};
static_assert(sizeof(GUID) == 16);
using UUID = GUID;
using CLSID = GUID;
using IID = GUID;
using REFGUID = const GUID&;
using REFCLSID = const GUID&;
using REFIID = const GUID&;

inline constexpr GUID GUID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};

// 1 when all 16 bytes are equal, 0 otherwise.
BOOL IsEqualGUID(REFGUID a, REFGUID b);

// The size of a GUID's braced text: braces, 36 characters and the terminator.
constexpr int CHARS_IN_GUID = 39;

// Braced upper-case text; returns the characters written with the terminator (CHARS_IN_GUID),
// or 0 when capacity is below that.
int StringFromGUID2(REFGUID guid, LPOLESTR text, int capacity);

// Unbraced lower-case text, allocated for the caller; free it with RpcStringFreeA.
constexpr RPC_STATUS RPC_S_OK = 0;
constexpr RPC_STATUS RPC_S_OUT_OF_MEMORY = 14;
RPC_STATUS UuidToStringA(const UUID* uuid, RPC_CSTR* text);
RPC_STATUS RpcStringFreeA(RPC_CSTR* text);

HRESULT CoCreateGuid(GUID* guid);

// ---- Text --------------------------------------------------------------------------------------
constexpr UINT CP_ACP = 0;
constexpr UINT CP_THREAD_ACP = 3;
constexpr UINT CP_UTF8 = 65001;

// CP_ACP and CP_THREAD_ACP mean the multibyte encoding of the C library's current LC_CTYPE
// locale; a character it cannot represent becomes "?". Wide characters U+DC80 to U+DCFF stand for
// the undecodable bytes 0x80 to 0xFF of a command-line argument and convert back to those bytes.
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR wide, int wideCount, LPSTR narrow,
                        int narrowSize, LPCSTR defaultChar, LPBOOL usedDefaultChar);

// Case-insensitive comparison (towlower under the current LC_CTYPE locale): <0, 0 or >0.
int _wcsicmp(const wchar_t* a, const wchar_t* b);

// Ordinal comparison as the system compares file and registry key names, the same in every
// locale: CSTR_LESS_THAN, CSTR_EQUAL or CSTR_GREATER_THAN, 0 on invalid arguments. A count of -1
// means the text is terminated.
constexpr int CSTR_LESS_THAN = 1;
constexpr int CSTR_EQUAL = 2;
constexpr int CSTR_GREATER_THAN = 3;
int CompareStringOrdinal(LPCWSTR a, int countA, LPCWSTR b, int countB, BOOL ignoreCase);

// The text mapped to upper case by the invariant locale's table, the same in every locale, so
// that two names equal without regard to case map to one text. Only LOCALE_NAME_INVARIANT and
// LCMAP_UPPERCASE are taken; other locales or flags fail with ERROR_INVALID_FLAGS. Characters
// written (the terminator too when sourceCount is -1), or with destinationCount 0 the size
// needed; 0 with SetLastError's reason on failure (ERROR_INSUFFICIENT_BUFFER when it does not
// fit).
#define LOCALE_NAME_INVARIANT L""
constexpr DWORD LCMAP_UPPERCASE = 0x200;
struct NLSVERSIONINFO;
using LPNLSVERSIONINFO = NLSVERSIONINFO*;
using LPARAM = std::intptr_t;
int LCMapStringEx(LPCWSTR localeName, DWORD flags, LPCWSTR source, int sourceCount,
                  LPWSTR destination, int destinationCount, LPNLSVERSIONINFO versionInformation,
                  void* reserved, LPARAM sortHandle);

// ---- COM runtime -------------------------------------------------------------------------------
constexpr DWORD CLSCTX_INPROC_SERVER = 0x1;
constexpr DWORD RPC_C_AUTHN_WINNT = 10;
constexpr DWORD RPC_C_AUTHZ_NONE = 0;
constexpr DWORD RPC_C_AUTHN_LEVEL_CALL = 3;
constexpr DWORD RPC_C_IMP_LEVEL_IMPERSONATE = 3;
constexpr DWORD EOAC_NONE = 0;
using RPC_AUTH_IDENTITY_HANDLE = void*;

struct IUnknown {
    virtual HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) = 0;
    virtual ULONG STDMETHODCALLTYPE AddRef() = 0;
    virtual ULONG STDMETHODCALLTYPE Release() = 0;

  protected:
    ~IUnknown() = default;
};
using LPUNKNOWN = IUnknown*;

extern const IID IID_IUnknown;

HRESULT CoInitialize(void* reserved);
void CoUninitialize();
HRESULT CoCreateInstance(REFCLSID clsid, LPUNKNOWN outer, DWORD context, REFIID iid, void** object);
HRESULT CoSetProxyBlanket(IUnknown* proxy, DWORD authnService, DWORD authzService,
                          OLECHAR* serverPrincipalName, DWORD authnLevel, DWORD impLevel,
                          RPC_AUTH_IDENTITY_HANDLE authInfo, DWORD capabilities);

// The memory that COM objects hand out for their caller to free: null when memory runs short.
// The process's own heap, so no system is asked; CoTaskMemFree takes null.
void* CoTaskMemAlloc(std::size_t size);
void CoTaskMemFree(void* memory);

// ---- Automation strings and variants -----------------------------------------------------------
BSTR SysAllocString(const OLECHAR* text);
void SysFreeString(BSTR text);

constexpr VARTYPE VT_EMPTY = 0;
constexpr VARTYPE VT_NULL = 1;
constexpr VARTYPE VT_I4 = 3;
constexpr VARTYPE VT_BSTR = 8;

struct VARIANT {
    VARTYPE vt;
    union {
        LONG lVal;
        BSTR bstrVal;
    };
};

void VariantInit(VARIANT* value);
HRESULT VariantClear(VARIANT* value);

// ---- WMI ---------------------------------------------------------------------------------------
constexpr LONG WBEM_FLAG_RETURN_IMMEDIATELY = 0x10;
constexpr LONG WBEM_FLAG_FORWARD_ONLY = 0x20;
constexpr LONG WBEM_INFINITE = -1;

struct IWbemContext : IUnknown {
  protected:
    ~IWbemContext() = default;
};

struct IWbemClassObject : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Get(LPCWSTR name, LONG flags, VARIANT* value, CIMTYPE* type,
                                          LONG* flavor) = 0;

  protected:
    ~IWbemClassObject() = default;
};

struct IEnumWbemClassObject : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Next(LONG timeout, ULONG count, IWbemClassObject** objects,
                                           ULONG* returned) = 0;

  protected:
    ~IEnumWbemClassObject() = default;
};

struct IWbemServices : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE ExecQuery(BSTR language, BSTR query, LONG flags,
                                                IWbemContext* context,
                                                IEnumWbemClassObject** enumerator) = 0;

  protected:
    ~IWbemServices() = default;
};

struct IWbemLocator : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE ConnectServer(BSTR networkResource, BSTR user, BSTR password,
                                                    BSTR locale, LONG securityFlags, BSTR authority,
                                                    IWbemContext* context,
                                                    IWbemServices** services) = 0;

  protected:
    ~IWbemLocator() = default;
};

extern const CLSID CLSID_WbemLocator;
extern const IID IID_IWbemLocator;

// ---- Files and folders found -------------------------------------------------------------------
constexpr DWORD MAX_PATH = 260;

struct FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
};
using PFILETIME = FILETIME*;

// What FindFirstFileW and FindNextFileW tell of one entry of a folder.
struct WIN32_FIND_DATAW {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwReserved0;
    DWORD dwReserved1;
    WCHAR cFileName[MAX_PATH];
    WCHAR cAlternateFileName[14];
};

// The failure of FindFirstFileW (and of CreateFileW), unlike the null of other handles.
inline HANDLE const INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(-1));

// The first entry of the folder whose name matches the last name of fileName ("*" and "?" as
// wildcards: "C:\Games\*" gives every entry, with "." and ".." in any folder but a drive's
// root), and a handle for the next ones to close with FindClose; INVALID_HANDLE_VALUE on
// failure, with the reason left for GetLastError (ERROR_PATH_NOT_FOUND when the folder does not
// exist, ERROR_FILE_NOT_FOUND when no entry matches).
HANDLE FindFirstFileW(LPCWSTR fileName, WIN32_FIND_DATAW* findData);
// FALSE with ERROR_NO_MORE_FILES for GetLastError after the last entry, or another reason.
BOOL FindNextFileW(HANDLE find, WIN32_FIND_DATAW* findData);
BOOL FindClose(HANDLE find);

// ---- Shell links -------------------------------------------------------------------------------
struct IShellLinkW : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SetPath(LPCWSTR path) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetArguments(LPCWSTR arguments) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetWorkingDirectory(LPCWSTR directory) = 0;
    // The target's path in file (cut to fit count characters with the terminator): S_OK, or
    // S_FALSE with file empty for a link without one. findData, when given, gets what the link
    // recorded about the target.
    virtual HRESULT STDMETHODCALLTYPE GetPath(LPWSTR file, int count, WIN32_FIND_DATAW* findData,
                                              DWORD flags) = 0;
    // The arguments (empty when none), cut to fit count characters with the terminator.
    virtual HRESULT STDMETHODCALLTYPE GetArguments(LPWSTR arguments, int count) = 0;

  protected:
    ~IShellLinkW() = default;
};

constexpr DWORD STGM_READ = 0x00000000;

struct IPersistFile : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE Save(LPCOLESTR fileName, BOOL remember) = 0;
    // Reads the object from fileName: S_OK, or a failure with the object unchanged.
    virtual HRESULT STDMETHODCALLTYPE Load(LPCOLESTR fileName, DWORD mode) = 0;

  protected:
    ~IPersistFile() = default;
};

extern const CLSID CLSID_ShellLink;
extern const IID IID_IShellLinkW;
extern const IID IID_IPersistFile;

// ---- Internet shortcuts ------------------------------------------------------------------------
// The shell's object for .url files: a web address (IUniformResourceLocatorW) that IPersistFile
// saves.
struct IUniformResourceLocatorW : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE SetURL(LPCWSTR url, DWORD flags) = 0;
    // S_OK and the address in *url for CoTaskMemFree, or S_FALSE and null when there is none.
    virtual HRESULT STDMETHODCALLTYPE GetURL(LPWSTR* url) = 0;

  protected:
    ~IUniformResourceLocatorW() = default;
};

extern const CLSID CLSID_InternetShortcut;
extern const IID IID_IUniformResourceLocatorW;

// ---- Processes and their access tokens ----------------------------------------------------------
using HLOCAL = void*;
// A security identifier. Its layout is the system's own: callers only pass it on.
using PSID = void*;
constexpr DWORD TOKEN_QUERY = 0x0008;
enum TOKEN_INFORMATION_CLASS { TokenUser = 1 };

struct SID_AND_ATTRIBUTES {
    PSID Sid;
    DWORD Attributes;
};
// What GetTokenInformation(TokenUser) writes: this structure, followed in the same buffer by the
// SID it points at.
struct TOKEN_USER {
    SID_AND_ATTRIBUTES User;
};

// A pseudo handle for the calling process, never closed.
HANDLE GetCurrentProcess();
// Each returns FALSE on failure, with the reason left for GetLastError.
BOOL OpenProcessToken(HANDLE process, DWORD access, HANDLE* token);
// ERROR_INSUFFICIENT_BUFFER with the size needed in *returnLength when length is too small.
BOOL GetTokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS informationClass, void* information,
                         DWORD length, DWORD* returnLength);
// The SID's text form ("S-1-5-21-..."), allocated for the caller: free it with LocalFree.
BOOL ConvertSidToStringSidW(PSID sid, LPWSTR* text);
BOOL CloseHandle(HANDLE handle);
// Null on success, else the memory that was not freed.
HLOCAL LocalFree(HLOCAL memory);

// ---- Registry ----------------------------------------------------------------------------------
inline HKEY const HKEY_CURRENT_USER =
    reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000001));
inline HKEY const HKEY_LOCAL_MACHINE =
    reinterpret_cast<HKEY>(static_cast<std::uintptr_t>(0x80000002));

constexpr DWORD REG_OPTION_NON_VOLATILE = 0;
constexpr REGSAM KEY_READ = 0x20019;
constexpr REGSAM KEY_WRITE = 0x20006;
// The 64-bit view of the registry, also from a 32-bit program (no redirection to Wow6432Node).
constexpr REGSAM KEY_WOW64_64KEY = 0x0100;
constexpr DWORD REG_SZ = 1;
constexpr DWORD REG_EXPAND_SZ = 2;
constexpr DWORD REG_CREATED_NEW_KEY = 1;
constexpr DWORD REG_OPENED_EXISTING_KEY = 2;

LSTATUS RegCreateKeyExW(HKEY root, LPCWSTR subKey, DWORD reserved, LPWSTR keyClass, DWORD options,
                        REGSAM access, LPSECURITY_ATTRIBUTES security, HKEY* key,
                        DWORD* disposition);
LSTATUS RegSetValueExW(HKEY key, LPCWSTR valueName, DWORD reserved, DWORD type, const BYTE* data,
                       DWORD byteCount);
LSTATUS RegOpenKeyExW(HKEY root, LPCWSTR subKey, DWORD options, REGSAM access, HKEY* key);
LSTATUS RegCloseKey(HKEY key);
// Deletes subKey of key with all its values and subkeys.
LSTATUS RegDeleteTreeW(HKEY key, LPCWSTR subKey);

// The name of the index-th subkey (in the registry's order) with its terminator in name, whose
// capacity *nameLength gives in characters and which gets the name's length without terminator.
// ERROR_NO_MORE_ITEMS past the last subkey, ERROR_MORE_DATA when the name does not fit.
LSTATUS RegEnumKeyExW(HKEY key, DWORD index, LPWSTR name, DWORD* nameLength, DWORD* reserved,
                      LPWSTR keyClass, DWORD* classLength, PFILETIME lastWriteTime);
// A value's type and data: with data null only the size in bytes, which *byteCount gets;
// ERROR_MORE_DATA when the data does not fit *byteCount bytes, ERROR_FILE_NOT_FOUND when there is
// no such value. String data comes as stored: its terminator may be missing.
LSTATUS RegQueryValueExW(HKEY key, LPCWSTR valueName, DWORD* reserved, DWORD* type, BYTE* data,
                         DWORD* byteCount);

// ---- Shell folders and files -------------------------------------------------------------------
constexpr int CSIDL_LOCAL_APPDATA = 0x1C;
constexpr int CSIDL_COMMON_APPDATA = 0x23;
constexpr DWORD SHGFP_TYPE_CURRENT = 0;

constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr DWORD FILE_ATTRIBUTE_ARCHIVE = 0x20;
// A symbolic link, junction or mount point: the entry stands for another file or folder.
constexpr DWORD FILE_ATTRIBUTE_REPARSE_POINT = 0x400;

HRESULT SHGetFolderPathW(HWND owner, int folder, HANDLE token, DWORD flags, LPWSTR path);
int SHCreateDirectoryExW(HWND owner, LPCWSTR path, const void* security);
DWORD GetFullPathNameW(LPCWSTR fileName, DWORD bufferLength, LPWSTR buffer, LPWSTR* filePart);
// INVALID_FILE_ATTRIBUTES on failure, with the reason left for GetLastError. A path whose last
// name is a link gives the link's own attributes, with FILE_ATTRIBUTE_REPARSE_POINT.
DWORD GetFileAttributesW(LPCWSTR fileName);
// DeleteFileW and RemoveDirectoryW each remove one entry and never what a link stands for:
// DeleteFileW a file (or a link), RemoveDirectoryW an empty folder (or a link to one). Declared
// from seam/system_calls.def, at the end of this file.
// Characters written without the terminator, the size needed (terminator included) when the
// buffer is too short, or 0 with the reason left for GetLastError.
DWORD GetLongPathNameW(LPCWSTR shortPath, LPWSTR longPath, DWORD bufferLength);

// ---- Which file a path names ------------------------------------------------------------------
constexpr DWORD FILE_SHARE_READ = 0x1;
constexpr DWORD FILE_SHARE_WRITE = 0x2;
constexpr DWORD FILE_SHARE_DELETE = 0x4;
constexpr DWORD OPEN_EXISTING = 3;
// Opens a folder too.
constexpr DWORD FILE_FLAG_BACKUP_SEMANTICS = 0x02000000;

struct BY_HANDLE_FILE_INFORMATION {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD dwVolumeSerialNumber;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD nNumberOfLinks;
    DWORD nFileIndexHigh;
    DWORD nFileIndexLow;
};

// A handle to the file at fileName for CloseHandle, or INVALID_HANDLE_VALUE with the reason left
// for GetLastError. Only what the program asks for is provided: no access (0), to learn which
// file a path names, of an existing file or folder (OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
// anything else fails with ERROR_INVALID_PARAMETER. security and templateFile must be null.
HANDLE CreateFileW(LPCWSTR fileName, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES security,
                   DWORD disposition, DWORD flags, HANDLE templateFile);
// FALSE on failure, with the reason left for GetLastError.
BOOL GetFileInformationByHandle(HANDLE file, BY_HANDLE_FILE_INFORMATION* information);
// The path of the file the handle names, every link followed, with a "\\?\" prefix: its length
// without the terminator, the size needed with it when count is too short, 0 on failure. Only
// FILE_NAME_NORMALIZED | VOLUME_NAME_DOS (0) is provided.
constexpr DWORD FILE_NAME_NORMALIZED = 0x0;
constexpr DWORD VOLUME_NAME_DOS = 0x0;
DWORD GetFinalPathNameByHandleW(HANDLE file, LPWSTR path, DWORD count, DWORD flags);

// ---- Synchronisation -------------------------------------------------------------------------
constexpr DWORD INFINITE = 0xFFFFFFFF;
constexpr DWORD WAIT_OBJECT_0 = 0;
constexpr DWORD WAIT_ABANDONED = 0x80;
constexpr DWORD WAIT_TIMEOUT = 0x102;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFF;

// A handle to the mutex of that name, created when missing; null on failure (GetLastError).
HANDLE CreateMutexW(LPSECURITY_ATTRIBUTES security, BOOL initialOwner, LPCWSTR name);
DWORD WaitForSingleObject(HANDLE handle, DWORD milliseconds);
BOOL ReleaseMutex(HANDLE mutex);

// ---- Modules and resources --------------------------------------------------------------------
// Map the file for its resources only: no code runs, no import is resolved.
constexpr DWORD LOAD_LIBRARY_AS_DATAFILE = 0x00000002;
constexpr DWORD LOAD_LIBRARY_AS_IMAGE_RESOURCE = 0x00000020;

// Null on failure, with the reason left for GetLastError (ERROR_BAD_EXE_FORMAT for a file that
// is no executable or DLL). file must be null.
HMODULE LoadLibraryExW(LPCWSTR fileName, HANDLE file, DWORD flags);
// Null when the module has no such resource, with the reason left for GetLastError
// (ERROR_RESOURCE_DATA_NOT_FOUND, ERROR_RESOURCE_TYPE_NOT_FOUND, ERROR_RESOURCE_NAME_NOT_FOUND).
HRSRC FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type);
// The size in bytes that the image claims for the resource, or 0 with the reason left for
// GetLastError.
DWORD SizeofResource(HMODULE module, HRSRC resource);
BOOL FreeLibrary(HMODULE module);

// ---- System messages ---------------------------------------------------------------------------
constexpr DWORD FORMAT_MESSAGE_IGNORE_INSERTS = 0x00000200;
constexpr DWORD FORMAT_MESSAGE_FROM_SYSTEM = 0x00001000;

// The system's message for messageId in buffer (source and arguments must be null, and the
// flags FORMAT_MESSAGE_FROM_SYSTEM with FORMAT_MESSAGE_IGNORE_INSERTS, so inserts such as %1
// stay in the text): its length without the terminator, or 0 with the reason left for
// GetLastError (ERROR_MR_MID_NOT_FOUND when the system has no message for it).
constexpr LONG ERROR_MR_MID_NOT_FOUND = 317;
DWORD FormatMessageW(DWORD flags, const void* source, DWORD messageId, DWORD languageId,
                     LPWSTR buffer, DWORD size, void* arguments);

// The error code that the last failing call of this thread left (system functions set it).
DWORD GetLastError();
void SetLastError(DWORD error);

// ---- The calls whose Windows signature is the seam's own, declared from the one list ----------
#define SYSTEM_CALL(Result, Name, Parameters, Arguments, Failure)
#define SYSTEM_RESOURCE_CALL SYSTEM_CALL
#define PLAIN_SYSTEM_CALL(Result, Name, Parameters, Arguments, Failure, Room) \
    Result Name Parameters;
#include "seam/system_calls.def"
#undef PLAIN_SYSTEM_CALL
#undef SYSTEM_RESOURCE_CALL
#undef SYSTEM_CALL
