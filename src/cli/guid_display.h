// A GUID as the diagnostic lines show it: the braced upper-case form.
#pragma once

#include <string>

#include "platform_api.h"

std::wstring BracedGuid(const GUID& guid);
