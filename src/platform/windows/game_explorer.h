// Game Explorer's COM interface and install scopes, laid out as the system's gameux.dll has them.
#pragma once

#include <objbase.h>
#include <oleauto.h>

enum GAME_INSTALL_SCOPE { GIS_NOT_INSTALLED = 1, GIS_CURRENT_USER = 2, GIS_ALL_USERS = 3 };

// The vtable order after IUnknown is fixed by the system: AddGame, RemoveGame, UpdateGame,
// VerifyAccess. UpdateGame is declared only to keep VerifyAccess in its slot; it is never called.
struct IGameExplorer : public IUnknown {
    virtual HRESULT STDMETHODCALLTYPE AddGame(BSTR binaryPath, BSTR installDirectory,
                                              GAME_INSTALL_SCOPE scope, GUID* instanceId) = 0;
    virtual HRESULT STDMETHODCALLTYPE RemoveGame(GUID instanceId) = 0;
    virtual HRESULT STDMETHODCALLTYPE UpdateGame(GUID instanceId) = 0;
    virtual HRESULT STDMETHODCALLTYPE VerifyAccess(BSTR binaryPath, BOOL* hasAccess) = 0;
};

extern const CLSID CLSID_GameExplorer;
extern const IID IID_IGameExplorer;
