// The game definition that Game Explorer reads from a game's binary: an XML document embedded
// as the resource __GDF_XML of type DATA, saying which game the binary is and what it is called.
#pragma once

#include <istream>
#include <string>
#include <string_view>

#include "platform_api.h"

struct GameDefinition {
    std::wstring applicationId;  // the definition's gameID, braced, in upper case
    std::wstring title;          // its Name
    std::wstring description;    // its Description, or the Name when it has none
};

// Reads the definition embedded in a game's binary (an executable or a resource-only DLL).
// S_OK, E_FAIL when the binary has no definition, one over 1 MiB, or the document is not
// well-formed, lacks the GameDefinitionFile root, its GameDefinition element, the gameID or a
// non-blank Name, or has a Name or Description of more than 1,024 characters, and
// CO_E_CLASSSTRING when the gameID is there but no braced GUID.
HRESULT ReadGameDefinition(std::istream& binary, GameDefinition& definition);

// The same for the document alone, in UTF-8, UTF-16 with a byte order mark or an XML declaration,
// or an encoding its declaration names (such as ISO-8859-1); E_FAIL for UTF-32 and for UTF-16
// with neither.
HRESULT ParseGameDefinition(std::string_view document, GameDefinition& definition);
