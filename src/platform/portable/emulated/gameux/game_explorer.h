// The emulated Game Explorer object: grants every access, adds a game only when its binary
// carries a game definition (game_definition.h), and keeps its games in the emulated registry
// (game_records.h).
#pragma once

#include <memory>

#include "emulated/com/com_object.h"
#include "emulated/gameux/game_records.h"
#include "emulated/run_state/emulated_machine.h"
#include "platform/gameux.h"

class GameExplorer final : public SingleInterfaceObject<IGameExplorer, &IID_IGameExplorer> {
  public:
    explicit GameExplorer(std::shared_ptr<EmulatedMachine> machine);

    // Reads the game definition from the binary on the emulated drives and records the game
    // for the scope, under *instanceId, or under a new GUID left in *instanceId when it holds
    // GUID_NULL. E_FAIL when the binary cannot be read or has no usable definition,
    // CO_E_CLASSSTRING when its gameID is no GUID (as ReadGameDefinition), or the registry's
    // failure; nothing is recorded then.
    HRESULT STDMETHODCALLTYPE AddGame(BSTR binaryPath, BSTR installDirectory,
                                      GAME_INSTALL_SCOPE scope, GUID* instanceId) override;
    // Removes the game from both scopes; fails when neither has it.
    HRESULT STDMETHODCALLTYPE RemoveGame(GUID instanceId) override;
    // E_NOTIMPL: nothing calls it; it keeps VerifyAccess in its slot.
    HRESULT STDMETHODCALLTYPE UpdateGame(GUID instanceId) override;
    HRESULT STDMETHODCALLTYPE VerifyAccess(BSTR binaryPath, BOOL* hasAccess) override;

  private:
    ~GameExplorer() override = default;

    std::shared_ptr<EmulatedMachine> machine_;
    GameRecords games_;
};
