// The emulated registry's file reader on random files: either raw bytes, or (the first byte
// says which) the rest taken as the text of a registry editor export, encoded as UTF-16LE with a
// byte order mark and the format's first line, so that the search reaches the key and value
// grammar. Properties: the reader never crashes or reads outside the file; a file it accepts is
// written back to a file that it reads to the same tree, byte for byte the same when written again.
#include <cstdint>
#include <string>

#include "emulated/base/utf16.h"
#include "emulated/registry/reg_file_format.h"
#include "fuzz_check.h"
#include "fuzz_input.h"

namespace {

// The text as UTF-16LE with a byte order mark: one character per byte of text.
std::string AsExportFile(const std::string& text) {
    return "\xFF\xFE" + ToUtf16Le(FuzzInput::Widen("Windows Registry Editor Version 5.00\r\n\r\n") +
                                  FuzzInput::Widen(text));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    const bool asText = (input.Byte() & 1) != 0;
    const std::wstring hive =
        (input.Byte() & 1) != 0 ? L"HKEY_CURRENT_USER" : L"HKEY_LOCAL_MACHINE";
    const std::string rest = input.Rest();
    // The exact size, in its own allocation, so that any read past the end is caught.
    const std::string file = asText ? AsExportFile(rest) : rest;

    const RegFileParse parsed = ParseRegFile(file, hive);
    if (!parsed.root) {
        FUZZ_CHECK(!parsed.error.empty());
        return 0;
    }
    const std::string written = WriteRegFile(*parsed.root, hive);
    const RegFileParse reread = ParseRegFile(written, hive);
    FUZZ_CHECK(reread.root != nullptr);
    FUZZ_CHECK(WriteRegFile(*reread.root, hive) == written);
    return 0;
}
