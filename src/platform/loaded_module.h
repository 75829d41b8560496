// A module loaded with LoadLibraryExW, freed when it goes out of scope.
#pragma once

#include "platform/unique_resource.h"
#include "platform_api.h"

struct LoadedModuleTraits {
    using Type = HMODULE;
    static Type Invalid() { return nullptr; }
    static void Close(Type module) { FreeLibrary(module); }
};

using LoadedModule = UniqueResource<LoadedModuleTraits>;
