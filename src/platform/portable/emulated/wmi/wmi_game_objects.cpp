#include "emulated/wmi/wmi_game_objects.h"

#include "emulated/base/win32_codes.h"
#include "handed_out/com_memory.h"
#include "text/case_folding.h"

namespace {

constexpr CIMTYPE CIM_SINT32 = 3;

}  // namespace

WmiGameObject::WmiGameObject(GameRecord game) : game_(std::move(game)) {}

HRESULT WmiGameObject::Get(LPCWSTR name, LONG /*flags*/, VARIANT* value, CIMTYPE* type,
                           LONG* flavor) {
    if (name == nullptr) {
        return WBEM_E_INVALID_PARAMETER;
    }
    const std::wstring* text = nullptr;
    if (EqualsIgnoringCase(name, kGameInstanceIdProperty)) {
        text = &game_.instanceId;
    } else if (EqualsIgnoringCase(name, kGameBinaryPathProperty)) {
        text = &game_.binaryPath;
    } else if (!EqualsIgnoringCase(name, L"InstallScope")) {
        return WBEM_E_NOT_FOUND;
    }
    if (value != nullptr) {
        if (text != nullptr) {
            value->vt = VT_BSTR;
            value->bstrVal = AllocateBstr(text->c_str());
            if (value->bstrVal == nullptr) {
                value->vt = VT_EMPTY;
                return E_OUTOFMEMORY;
            }
        } else {
            value->vt = VT_I4;
            value->lVal = game_.scope;
        }
    }
    if (type != nullptr) {
        *type = text != nullptr ? CIM_STRING : CIM_SINT32;
    }
    if (flavor != nullptr) {
        *flavor = 0;
    }
    return S_OK;
}

WmiGameEnumerator::WmiGameEnumerator(std::vector<GameRecord> games) : games_(std::move(games)) {}

HRESULT WmiGameEnumerator::Next(LONG /*timeout*/, ULONG count, IWbemClassObject** objects,
                                ULONG* returned) {
    if (objects == nullptr || returned == nullptr) {
        return WBEM_E_INVALID_PARAMETER;
    }
    ULONG handed = 0;
    while (handed < count && next_ < games_.size()) {
        objects[handed++] = new WmiGameObject(games_[next_++]);
    }
    *returned = handed;
    return handed == count ? S_OK : WBEM_S_FALSE;
}
