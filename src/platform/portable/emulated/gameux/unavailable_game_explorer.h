// Game Explorer when the registry cannot say whether it is installed (the hive file cannot be
// read or is damaged). Failing to create the object would tell the caller that there is no Game
// Explorer and send it to the registry path meant for such systems, which would record the game
// where the system does not look for it, or report a removal that did not happen. The object is
// created instead, and each call fails with the registry's failure.
#pragma once

#include "emulated/com/com_object.h"
#include "platform/gameux.h"
#include "platform_api.h"

class UnavailableGameExplorer final
    : public SingleInterfaceObject<IGameExplorer, &IID_IGameExplorer> {
  public:
    explicit UnavailableGameExplorer(HRESULT failure) : failure_(failure) {}

    HRESULT STDMETHODCALLTYPE AddGame(BSTR, BSTR, GAME_INSTALL_SCOPE, GUID*) override {
        return failure_;
    }
    HRESULT STDMETHODCALLTYPE RemoveGame(GUID) override { return failure_; }
    HRESULT STDMETHODCALLTYPE UpdateGame(GUID) override { return failure_; }
    HRESULT STDMETHODCALLTYPE VerifyAccess(BSTR, BOOL*) override { return failure_; }

  private:
    ~UnavailableGameExplorer() override = default;

    HRESULT failure_;
};
