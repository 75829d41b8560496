#include "emulated/com/com_apartment.h"

namespace {

thread_local int depth = 0;

}  // namespace

HRESULT EnterApartment() {
    return ++depth == 1 ? S_OK : S_FALSE;
}

void LeaveApartment() {
    if (depth > 0) {
        --depth;
    }
}

int ApartmentDepth() {
    return depth;
}
