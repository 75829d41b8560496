// The two diagnostic streams: DebugOut (channel 0, information) and DebugErr (channel 1, errors).
// Each is created on first use and destroyed by the exit handlers; every call returns the same
// stream. For one writing thread only.
#pragma once

#include <ostream>

std::ostream& DebugOut();
std::ostream& DebugErr();
