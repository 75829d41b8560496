// FieldSplitter with random separators, quotes and empty-field setting, and ParseTaskLine, both
// against a plain restatement of the splitting rules, character by character: a quote character
// opens a quoted stretch only as the first character of a field, and only the same character
// (or the end of the text) closes it; inside it everything belongs to the field; outside it a
// separator ends the field; a field is emitted when it is not empty, was quoted, or empty fields
// are kept; a separator as the last character leaves no field after it.
#include <cstdint>
#include <cwchar>
#include <string>
#include <vector>

#include "cli/field_splitter.h"
#include "cli/task_line.h"
#include "fuzz_check.h"
#include "fuzz_input.h"

namespace {

std::vector<std::wstring> ReferenceSplit(const std::wstring& text, const std::wstring& separators,
                                         const std::wstring& quotes, bool keepEmptyFields) {
    std::vector<std::wstring> fields;
    if (text.empty()) {
        return fields;
    }
    std::wstring field;
    bool quoted = false;
    bool atFieldStart = true;
    bool inQuote = false;
    wchar_t openQuote = 0;
    bool endedBySeparator = false;
    for (wchar_t c : text) {
        endedBySeparator = false;
        if (inQuote) {
            if (c == openQuote) {
                inQuote = false;
            } else {
                field.push_back(c);
            }
        } else if (atFieldStart && quotes.find(c) != std::wstring::npos) {
            inQuote = true;
            quoted = true;
            openQuote = c;
            atFieldStart = false;
        } else if (separators.find(c) != std::wstring::npos) {
            if (!field.empty() || quoted || keepEmptyFields) {
                fields.push_back(field);
            }
            field.clear();
            quoted = false;
            atFieldStart = true;
            endedBySeparator = true;
        } else {
            field.push_back(c);
            atFieldStart = false;
        }
    }
    if (!endedBySeparator && (!field.empty() || quoted || keepEmptyFields)) {
        fields.push_back(field);
    }
    return fields;
}

std::wstring WithoutTerminators(std::wstring text, wchar_t replacement) {
    for (wchar_t& c : text) {
        if (c == L'\0') {
            c = replacement;
        }
    }
    return text;
}

void CheckTaskLine(const std::wstring& line) {
    const std::vector<std::wstring> fields = ReferenceSplit(line, L";", L"\"'", true);
    FUZZ_CHECK(SplitTaskLine(line) == fields);
    const std::optional<TaskSpec> task = ParseTaskLine(line);
    FUZZ_CHECK(task.has_value() == (fields.size() >= 3));
    if (!task) {
        return;
    }
    FUZZ_CHECK(task->name == fields[0]);
    FUZZ_CHECK(task->path == fields[1]);
    // glibc's own case-insensitive comparison, independent of the platform layer's _wcsicmp.
    FUZZ_CHECK((task->kind == TaskKind::Support) ==
               (wcscasecmp(fields[2].c_str(), L"support") == 0));
    FUZZ_CHECK(task->arguments == (fields.size() > 3 ? fields[3] : std::wstring()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput input(data, size);
    const bool keepEmptyFields = (input.Byte() & 1) != 0;
    const std::wstring separators = input.WideChunk();
    const std::wstring quotes = input.WideChunk();
    // Command-line elements hold no terminator; a zero byte stands for the task line separator.
    const std::wstring text = WithoutTerminators(FuzzInput::Widen(input.Rest()), L';');

    FieldSplitter splitter(separators, keepEmptyFields, quotes);
    splitter.fields.push_back(L"left from an earlier line");
    splitter.Split(text.c_str(), text.size());
    FUZZ_CHECK(splitter.fields == ReferenceSplit(text, separators, quotes, keepEmptyFields));

    std::size_t characters = 0;
    for (const std::wstring& field : splitter.fields) {
        characters += field.size();
    }
    FUZZ_CHECK(characters <= text.size());

    splitter.Split(nullptr, 0);
    FUZZ_CHECK(splitter.fields.empty());

    CheckTaskLine(text);
    return 0;
}
