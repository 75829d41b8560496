// The two commands that the entry routine dispatches to. Both report every outcome in their own
// message lines; the run then ends with "done." and exit status 0.
#pragma once

#include "argument_list.h"
#include "platform_api.h"

// "-add": registers the game for the scope and creates a shortcut for each task line. May end
// the process through PrintUsage when arguments are missing.
void RunAddCommand(const ArgumentList& arguments, int commandIndex, GUID* gameId);

// "-del": finds the game's GUID when none was given, removes its task folders and unregisters it.
void RunDeleteCommand(const ArgumentList& arguments, int commandIndex, GUID* gameId);
