// Resource identifiers of the program's executable.
#pragma once

#define IDI_APP 101
