#include "instance_lookup.h"

#include "platform/com_initialization.h"
#include "platform/gameux.h"
#include "platform/owners.h"
#include "platform/unique_variant.h"
#include "registration/format_wide.h"
#include "registration/guid_text.h"

namespace {

// Every character of a path may be doubled; what does not fit is refused, never cut.
constexpr std::size_t kEscapedPathCapacity = 2048;
constexpr std::size_t kQueryCapacity = 1024;

// The result when no game is registered with the path.

// A path whose escaped form does not fit the query: no call failed, the path is too long for it.
constexpr HRESULT kPathTooLongForQuery = HRESULT_FROM_WIN32(ERROR_FILENAME_EXCED_RANGE);
// The game's InstanceID is no text or no braced GUID: no call failed, the data is not usable.
constexpr HRESULT kInstanceIdNotAGuid = HRESULT_FROM_WIN32(ERROR_INVALID_DATA);

// How long to wait for the first matching game before concluding there is none.
constexpr LONG kNextTimeoutMilliseconds = 5000;

// Copies text into escaped as the inside of a WQL string literal: a backslash or a double quote
// is preceded by a backslash, so that no path can end the literal and change the query. False
// when the escaped text and its terminator do not fit capacity.
bool EscapeForQuotedLiteral(const wchar_t* text, wchar_t* escaped, std::size_t capacity) {
    std::size_t length = 0;
    for (; *text != L'\0'; ++text) {
        const bool needsEscape = *text == L'\\' || *text == L'"';
        if (length + (needsEscape ? 2 : 1) >= capacity) {
            return false;
        }
        if (needsEscape) {
            escaped[length++] = L'\\';
        }
        escaped[length++] = *text;
    }
    escaped[length] = L'\0';
    return true;
}

// The query for the games registered with executablePath, or false when it does not fit.
bool BuildGameQuery(const wchar_t* executablePath, wchar_t (&query)[kQueryCapacity]) {
    wchar_t escapedPath[kEscapedPathCapacity];
    return EscapeForQuotedLiteral(executablePath, escapedPath, kEscapedPathCapacity) &&
           SUCCEEDED(FormatWide(query, kQueryCapacity, L"%s \"%s\"", kGameByBinaryPathQueryHead,
                                escapedPath));
}

// True when the property holds exactly a GUID in braced form, which is then in instanceId.
bool ReadInstanceId(const VARIANT& property, GUID* instanceId) {
    return property.vt == VT_BSTR && IsExactBracedGuid(property.bstrVal) &&
           SUCCEEDED(ParseGuid(property.bstrVal, instanceId));
}

}  // namespace

HRESULT FindGameInstanceId(const wchar_t* executablePath, GUID* gameId) {
    // Everything below is declared in the reverse of the order it must be released in, so that
    // each object and string is released before the ones it was obtained through, and COM is
    // uninitialised last. Each failure returns its own cause: the failing call's HRESULT, or,
    // where a call succeeded without giving what it should, E_POINTER.
    ComInitialization com;
    ComPtr<IWbemLocator> locator;
    if (const HRESULT created = CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER,
                                                 IID_IWbemLocator, locator.PutVoid());
        FAILED(created)) {
        return created;
    }
    if (!locator) {
        return E_POINTER;
    }

    ComPtr<IWbemServices> services;
    UniqueBstr gamesNamespace(SysAllocString(kGamesNamespace));
    if (!gamesNamespace) {
        return E_OUTOFMEMORY;
    }
    const HRESULT connected = locator->ConnectServer(gamesNamespace.Get(), nullptr, nullptr,
                                                     nullptr, 0, nullptr, nullptr, services.Put());
    // Without the namespace the system keeps no games there, so none is registered under the path.
    if (connected == static_cast<HRESULT>(WBEM_E_INVALID_NAMESPACE)) {
        return kNoGameFound;
    }
    if (FAILED(connected)) {
        return connected;
    }
    if (!services) {
        return E_POINTER;
    }
    // Not examined: if the proxy keeps its default security, the query itself reports it.
    CoSetProxyBlanket(services.Get(), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE, nullptr,
                      RPC_C_AUTHN_LEVEL_CALL, RPC_C_IMP_LEVEL_IMPERSONATE, nullptr, EOAC_NONE);

    UniqueBstr queryLanguage(SysAllocString(kGameQueryLanguage));
    if (!queryLanguage) {
        return E_OUTOFMEMORY;
    }
    wchar_t queryText[kQueryCapacity];
    if (!BuildGameQuery(executablePath, queryText)) {
        return kPathTooLongForQuery;
    }
    UniqueBstr query(SysAllocString(queryText));
    if (!query) {
        return E_OUTOFMEMORY;
    }
    ComPtr<IEnumWbemClassObject> games;
    if (const HRESULT queried = services->ExecQuery(
            queryLanguage.Get(), query.Get(), WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY,
            nullptr, games.Put());
        FAILED(queried)) {
        return queried;
    }
    if (!games) {
        return E_POINTER;
    }

    // Only the first game is looked at: two games registered with one path cannot be told apart.
    ComPtr<IWbemClassObject> game;
    ULONG returned = 0;
    const HRESULT next = games->Next(kNextTimeoutMilliseconds, 1, game.Put(), &returned);
    if (FAILED(next)) {
        return next;
    }
    if (returned == 0) {
        return kNoGameFound;
    }
    if (!game) {
        return E_POINTER;
    }

    UniqueBstr propertyName(SysAllocString(kGameInstanceIdProperty));
    if (!propertyName) {
        return E_OUTOFMEMORY;
    }
    UniqueVariant instanceIdValue;
    if (const HRESULT read =
            game->Get(propertyName.Get(), 0, instanceIdValue.Put(), nullptr, nullptr);
        FAILED(read)) {
        return read;
    }
    GUID instanceId = GUID_NULL;
    if (!ReadInstanceId(instanceIdValue.Get(), &instanceId)) {
        return kInstanceIdNotAGuid;
    }
    if (gameId != nullptr) {
        *gameId = instanceId;
    }
    return S_OK;
}
