// A step of a command that runs out of memory fails like any other step: its failure line is
// printed and the run goes on to "done.", where an escaping std::bad_alloc would end the process
// with neither.
#pragma once

#include <new>

#include "platform_api.h"

// The operation's HRESULT, or E_OUTOFMEMORY when an allocation inside it failed.
template <typename Operation>
HRESULT UnlessOutOfMemory(Operation&& operation) {
    try {
        return operation();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
}
