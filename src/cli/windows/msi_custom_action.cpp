// The MSI custom action RunBrackenfold: runs the command line that the CustomActionData property
// holds, in msiexec's custom action server, as the program runs it with -exitcode, and writes every
// line the program prints into the MSI log. The install fails (1603) unless the status is 0.
#include <iterator>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "cli/collected_console_lines.h"
#include "cli/command_line_arguments.h"
#include "cli/entry.h"
#include "cli/msi_log_lines.h"
#include "platform_api.h"

// After platform_api.h: the MSI headers need the Windows types.
#include <msi.h>
#include <msiquery.h>

namespace {

// What the program's first argument would be; the command line proper follows it.
constexpr wchar_t kProgramName[] = L"Brackenfold.exe";
constexpr wchar_t kActionDataProperty[] = L"CustomActionData";
// A message record's template only inserts field 1, so that msiexec, which formats the template,
// leaves the brackets of a path or of the usage text alone. Wine's msiexec formats the inserted
// field again; there each bracket and brace of the line goes in escaped (MsiLogLineFor).
constexpr wchar_t kInsertFieldTemplate[] = L"[1]";
constexpr wchar_t kEscapedOpeningBracket[] = L"[\\[]";

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

void LogProgramLine(MSIHANDLE install, bool formatsInsertedFields, const std::string& line) {
    const std::optional<std::string> logLine = MsiLogLineFor(line, formatsInsertedFields);
    if (logLine) {
        LogLine(install, Utf8ToWide(*logLine).c_str());
    }
}

UINT RunActionData(MSIHANDLE install) {
    const bool formatsInsertedFields = FormatsInsertedFields(install);
    std::wstring actionData;
    const UINT readResult = ReadProperty(install, kActionDataProperty, &actionData);
    if (readResult != ERROR_SUCCESS) {
        LogProgramLine(install, formatsInsertedFields,
                       "CustomActionData could not be read, error " + std::to_string(readResult));
        return ERROR_INSTALL_FAILURE;
    }
    // Split as the program's own command line is split, so that a command line means the same
    // in CustomActionData as after the program's name.
    std::vector<std::wstring> arguments = {kProgramName};
    for (std::wstring& argument : SplitCommandLineArguments(actionData)) {
        arguments.push_back(std::move(argument));
    }
    int status = 0;
    {
        // UTF-8, whatever the console's code page, so that every character of a path reaches the
        // log.
        CollectedConsoleLines lines(CP_UTF8, [&](const std::string& line) {
            LogProgramLine(install, formatsInsertedFields, line);
        });
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
        LogLine(install, L"" BRACKENFOLD_MSI_LOG_PREFIX "out of memory");
    } catch (...) {
        LogLine(install, L"" BRACKENFOLD_MSI_LOG_PREFIX "the run ended on an unexpected failure");
    }
    return ERROR_INSTALL_FAILURE;
}
