#include "commands.h"

void RunDeleteCommand(const ArgumentList& /*arguments*/, int /*commandIndex*/, GUID* /*gameId*/) {}
