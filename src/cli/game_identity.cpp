#include "game_identity.h"

#include "guid_display.h"
#include "output/debug_streams.h"
#include "output/message_line.h"
#include "registration/registered_game_lookup.h"

void ReuseRegisteredGameId(const std::wstring& fullPath, GUID* gameId) {
    if (!IsEqualGUID(*gameId, GUID_NULL)) {
        return;
    }
    if (SUCCEEDED(FindRegisteredGame(fullPath.c_str(), gameId))) {
        WriteLine(DebugOut(), "Registered before as ", BracedGuid(*gameId),
                  ": registering again under that GUID");
    }
}

bool SettleRegisteredGameId(const std::wstring& fullPath, GUID* gameId) {
    if (!IsEqualGUID(*gameId, GUID_NULL)) {
        return true;
    }
    if (SUCCEEDED(FindRegisteredGame(fullPath.c_str(), gameId))) {
        WriteLine(DebugOut(), "Registered as ", BracedGuid(*gameId));
        return true;
    }
    WriteLine(DebugOut(), "Registered without a GUID: no task is written");
    return false;
}
