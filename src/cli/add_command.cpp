#include "commands.h"

void RunAddCommand(const ArgumentList& /*arguments*/, int /*commandIndex*/, GUID* /*gameId*/) {}
