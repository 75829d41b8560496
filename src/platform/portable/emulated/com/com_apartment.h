// COM initialisation of the calling thread: counted like Windows counts it, so that objects can
// only be created between a CoInitialize and its balancing CoUninitialize.
#pragma once

#include "platform_api.h"

// S_OK for the thread's first initialisation, S_FALSE for each further one.
HRESULT EnterApartment();
// Undoes one initialisation; ignored when the thread has none.
void LeaveApartment();
// How many initialisations the calling thread holds.
int ApartmentDepth();
