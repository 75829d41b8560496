// The emulated Game Explorer object: grants every access and keeps its games in the emulated
// registry (game_records.h). It checks no game definition file: installers are tested here with
// executables that need not exist.
#pragma once

#include <memory>

#include "com_object.h"
#include "emulated_machine.h"
#include "game_records.h"
#include "platform_api.h"

class GameExplorer final : public IGameExplorer {
  public:
    explicit GameExplorer(std::shared_ptr<EmulatedMachine> machine);

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    // Records the game for the scope, under *instanceId, or under a new GUID left in
    // *instanceId when it holds GUID_NULL.
    HRESULT STDMETHODCALLTYPE AddGame(BSTR binaryPath, BSTR installDirectory,
                                      GAME_INSTALL_SCOPE scope, GUID* instanceId) override;
    // Removes the game from both scopes; fails when neither has it.
    HRESULT STDMETHODCALLTYPE RemoveGame(GUID instanceId) override;
    HRESULT STDMETHODCALLTYPE VerifyAccess(BSTR binaryPath, BOOL* hasAccess) override;

  private:
    ~GameExplorer() = default;

    ComObjectCount count_;
    std::shared_ptr<EmulatedMachine> machine_;
    GameRecords games_;
};
