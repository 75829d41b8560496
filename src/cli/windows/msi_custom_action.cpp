// The MSI custom action RunBrackenfold: runs the command line that the CustomActionData property
// holds, in msiexec's custom action server, as the program runs it with -exitcode, and writes every
// line the program prints into the MSI log. The install fails (1603) unless the status is 0.
#include <iostream>
#include <iterator>
#include <new>
#include <string>
#include <string_view>
#include <vector>

#include "cli/entry.h"
#include "line_collecting_buf.h"
#include "platform_api.h"

// After platform_api.h: the MSI headers need the Windows types.
#include <msi.h>
#include <msiquery.h>

namespace {

// What the program's first argument would be; the command line proper follows it.
constexpr wchar_t kProgramName[] = L"Brackenfold.exe";
constexpr wchar_t kActionDataProperty[] = L"CustomActionData";
constexpr wchar_t kLinePrefix[] = L"Brackenfold: ";
// A message record's template only inserts field 1, so that msiexec, which formats the template,
// leaves the brackets of a path or of the usage text alone. Wine's msiexec formats the inserted
// field again; there each bracket and brace of the line goes in escaped, which that second
// formatting turns back into the character.
constexpr wchar_t kInsertFieldTemplate[] = L"[1]";
constexpr wchar_t kEscapedOpeningBracket[] = L"[\\[]";
constexpr std::wstring_view kFormattingCharacters = L"[]{}";

// Writes one line (a zero-terminated text) into the MSI log. Allocates nothing of its own, so
// that it can report running out of memory.
void LogLine(MSIHANDLE install, const wchar_t* text) {
    PMSIHANDLE record = MsiCreateRecord(1);
    if (record == 0) {
        return;
    }
    MsiRecordSetStringW(record, 0, kInsertFieldTemplate);
    MsiRecordSetStringW(record, 1, text);
    MsiProcessMessage(install, INSTALLMESSAGE_INFO, record);
}

// Whether this installer formats a record's field again after inserting it: then the field
// "[\[]" comes out as "[".
bool FormatsInsertedFields(MSIHANDLE install) {
    PMSIHANDLE record = MsiCreateRecord(1);
    if (record == 0) {
        return false;
    }
    MsiRecordSetStringW(record, 0, kInsertFieldTemplate);
    MsiRecordSetStringW(record, 1, kEscapedOpeningBracket);
    wchar_t formatted[std::size(kEscapedOpeningBracket)] = L"";
    DWORD size = std::size(kEscapedOpeningBracket);
    return MsiFormatRecordW(install, record, formatted, &size) == ERROR_SUCCESS &&
           std::wstring_view(formatted) == L"[";
}

// The text with each formatting character written as its escape, "[\c]".
std::wstring EscapedForFormatting(const std::wstring& text) {
    std::wstring escaped;
    escaped.reserve(text.size());
    for (const wchar_t character : text) {
        if (kFormattingCharacters.find(character) == std::wstring_view::npos) {
            escaped += character;
        } else {
            escaped.append({L'[', L'\\', character, L']'});
        }
    }
    return escaped;
}

std::wstring Utf8ToWide(const std::string& text) {
    if (text.empty()) {
        return {};
    }
    const int size = static_cast<int>(text.size());
    const int wideSize = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(wideSize), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), wideSize);
    return wide;
}

// The property's value, read with the size protocol: first its length, then the text. Returns
// the last call's result, ERROR_SUCCESS when value holds the whole text.
UINT ReadProperty(MSIHANDLE install, const wchar_t* name, std::wstring* value) {
    wchar_t empty[1] = L"";
    DWORD length = 0;
    UINT result = MsiGetPropertyW(install, name, empty, &length);
    // The value may grow between the calls (in an immediate action): ask again then.
    while (result == ERROR_MORE_DATA) {
        value->assign(static_cast<std::size_t>(length) + 1, L'\0');
        DWORD capacity = length + 1;
        result = MsiGetPropertyW(install, name, value->data(), &capacity);
        length = capacity;
    }
    if (result == ERROR_SUCCESS) {
        value->resize(length);
    }
    return result;
}

// Frees what CommandLineToArgvW returned.
class LocalArray {
  public:
    explicit LocalArray(wchar_t** elements) : elements_(elements) {}
    LocalArray(const LocalArray&) = delete;
    LocalArray& operator=(const LocalArray&) = delete;
    ~LocalArray() { LocalFree(elements_); }

  private:
    wchar_t** elements_;
};

// The argument list of "Brackenfold.exe <commandLine>", split as the program's own command line
// is split (quotes and backslashes by the same rules).
std::vector<std::wstring> SplitCommandLine(const std::wstring& commandLine) {
    const std::wstring whole = std::wstring(kProgramName) + L" " + commandLine;
    int count = 0;
    wchar_t** elements = CommandLineToArgvW(whole.c_str(), &count);
    if (elements == nullptr) {
        throw std::bad_alloc();
    }
    const LocalArray release(elements);
    return std::vector<std::wstring>(elements, elements + count);
}

// While it lives, std::cout and std::cerr write their lines into the MSI log, and nowhere else;
// afterwards both streams have their buffers and states back, however the run ended.
class ConsoleLinesToMsiLog {
  public:
    explicit ConsoleLinesToMsiLog(MSIHANDLE install)
        : output_([this](const std::string& line) { LogConsoleLine(line); }),
          errors_([this](const std::string& line) { LogConsoleLine(line); }),
          install_(install),
          escapeLines_(FormatsInsertedFields(install)),
          outputState_(std::cout.rdstate()),
          errorState_(std::cerr.rdstate()),
          // Setting a buffer clears the stream's state: it was saved just before.
          savedOutput_(std::cout.rdbuf(&output_)),
          savedErrors_(std::cerr.rdbuf(&errors_)) {}
    ConsoleLinesToMsiLog(const ConsoleLinesToMsiLog&) = delete;
    ConsoleLinesToMsiLog& operator=(const ConsoleLinesToMsiLog&) = delete;
    ~ConsoleLinesToMsiLog() {
        std::cout.rdbuf(savedOutput_);
        std::cerr.rdbuf(savedErrors_);
        std::cout.clear(outputState_);
        std::cerr.clear(errorState_);
    }

    // Logs a last line that lacked its line break.
    void Finish() {
        output_.Finish();
        errors_.Finish();
    }

  private:
    void LogConsoleLine(const std::string& line) const {
        const std::wstring text = kLinePrefix + Utf8ToWide(line);
        LogLine(install_, (escapeLines_ ? EscapedForFormatting(text) : text).c_str());
    }

    LineCollectingBuf output_;
    LineCollectingBuf errors_;
    MSIHANDLE install_;
    bool escapeLines_;
    std::ios_base::iostate outputState_;
    std::ios_base::iostate errorState_;
    std::streambuf* savedOutput_;
    std::streambuf* savedErrors_;
};

UINT RunActionData(MSIHANDLE install) {
    std::wstring actionData;
    const UINT readResult = ReadProperty(install, kActionDataProperty, &actionData);
    if (readResult != ERROR_SUCCESS) {
        LogLine(install,
                (kLinePrefix + std::wstring(L"CustomActionData could not be read, error ") +
                 std::to_wstring(readResult))
                    .c_str());
        return ERROR_INSTALL_FAILURE;
    }
    std::vector<std::wstring> arguments = SplitCommandLine(actionData);
    int status = 0;
    {
        ConsoleLinesToMsiLog lines(install);
        status = RunCommandLine(std::move(arguments), true);
        lines.Finish();
    }
    return status == 0 ? ERROR_SUCCESS : ERROR_INSTALL_FAILURE;
}

}  // namespace

// msiexec looks the entry point up by this name, undecorated on x86 too (the build links with
// --kill-at there).
extern "C" __declspec(dllexport) UINT __stdcall RunBrackenfold(MSIHANDLE install) {
    // Nothing escapes into msiexec's custom action server: a failure ends this action alone.
    try {
        return RunActionData(install);
    } catch (const std::bad_alloc&) {
        LogLine(install, L"Brackenfold: out of memory");
    } catch (...) {
        LogLine(install, L"Brackenfold: the run ended on an unexpected failure");
    }
    return ERROR_INSTALL_FAILURE;
}
