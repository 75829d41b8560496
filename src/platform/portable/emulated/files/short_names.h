// The short (8.3) names that Windows gives the entries of a folder, so that the emulated drives
// answer "C:\Games\LONGFO~1\demo.exe" for "C:\Games\Long Folder\demo.exe" as Windows does.
#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

// True when name is an 8.3 name (up to 8 characters, a dot and up to 3 more, of the characters
// such names allow), which is then its own short name.
bool IsEightDotThreeName(std::wstring_view name);

// The part of name's generated short name before its number, with its extension: names of one
// basis take their numbers from one row ("Long Folder" and "Long Fold A" are LONGFO~n).
std::wstring ShortNameBasis(std::wstring_view name);

// The short names held in one folder, and the giving of new ones. Windows gives an entry its short
// name when the entry is made, and the entry keeps it: a name given later takes the lowest number
// that no entry holds at that time, so numbers follow the order in which entries were given names.
class ShortNameTable {
  public:
    // Marks shortName as held (without regard to case); false when it was held already.
    bool Hold(std::wstring_view shortName);

    // The short name of name, now held: an 8.3 name itself when no entry holds it, else Windows'
    // basic form: upper case, without blanks and without dots but the last, characters that 8.3
    // names refuse (and any beyond ASCII) as "_", the first six characters of the stem, "~" and the
    // lowest number that no entry holds, and the first three characters of the extension ("Long
    // Folder" is LONGFO~1). Windows uses a hash of the name from the fifth on, which a folder of
    // games seldom needs; the numbers simply go on here.
    std::wstring Give(std::wstring_view name);

  private:
    std::unordered_set<std::wstring> held_;  // case folded
    // The next number worth trying for each basis: numbers below it are held, so a
    // folder of many names that start alike gives each its number in one step, not one per
    // number held.
    std::unordered_map<std::wstring, int> nextNumber_;
};
