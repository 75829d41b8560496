// Game Explorer as the system declares it (the SDK's gameux.h, which MinGW-w64 does not ship),
// and the WMI games namespace in which it lists the registered games. The program and the
// emulated system both take these facts from here, so they cannot drift apart.
#pragma once

#include "platform_api.h"

enum GAME_INSTALL_SCOPE { GIS_NOT_INSTALLED = 1, GIS_CURRENT_USER = 2, GIS_ALL_USERS = 3 };

// The vtable order after IUnknown is fixed by the system: AddGame, RemoveGame, UpdateGame,
// VerifyAccess. The program never calls UpdateGame; it is declared to keep VerifyAccess in its
// slot.
struct IGameExplorer : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE AddGame(BSTR binaryPath, BSTR installDirectory,
                                              GAME_INSTALL_SCOPE scope, GUID* instanceId) = 0;
    virtual HRESULT STDMETHODCALLTYPE RemoveGame(GUID instanceId) = 0;
    virtual HRESULT STDMETHODCALLTYPE UpdateGame(GUID instanceId) = 0;
    virtual HRESULT STDMETHODCALLTYPE VerifyAccess(BSTR binaryPath, BOOL* hasAccess) = 0;

  protected:
    ~IGameExplorer() = default;
};

inline const CLSID CLSID_GameExplorer = {
    0x9A5EA990, 0x3034, 0x4D6F, {0x91, 0x28, 0x01, 0xF3, 0xC6, 0x10, 0x22, 0xBC}};
inline const IID IID_IGameExplorer = {
    0xE7B2FB72, 0xD728, 0x49B3, {0xA5, 0xF2, 0x18, 0xEB, 0xF5, 0xF1, 0x34, 0x9E}};

// The local machine's games namespace, present wherever Game Explorer is, and the properties of
// its GAME class that the lookup by executable path uses.
inline constexpr const wchar_t* kGamesNamespace = L"\\\\.\\root\\cimv2\\Applications\\Games";
inline constexpr const wchar_t* kGameBinaryPathProperty = L"GDFBinaryPath";
inline constexpr const wchar_t* kGameInstanceIdProperty = L"InstanceID";

// Where Game Explorer finds a game's definition: the resource of this type and name in the
// game's binary.
inline constexpr const wchar_t* kGameDefinitionResourceType = L"DATA";
inline constexpr const wchar_t* kGameDefinitionResourceName = L"__GDF_XML";
