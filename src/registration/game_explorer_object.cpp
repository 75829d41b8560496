#include "game_explorer_object.h"

bool CreateGameExplorer(ComPtr<IGameExplorer>& explorer) {
    const HRESULT created = CoCreateInstance(CLSID_GameExplorer, nullptr, CLSCTX_INPROC_SERVER,
                                             IID_IGameExplorer, explorer.PutVoid());
    // A success without an object would be used as one; it is treated as no Game Explorer.
    if (FAILED(created) || !explorer) {
        explorer.Reset();
        return false;
    }
    return true;
}
