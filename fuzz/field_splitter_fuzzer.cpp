// FieldSplitter with random separators, quotes and empty-field setting, and ParseTaskLine, both
// against a plain restatement of the splitting rules: outside a quote a quote character opens a
// quoted field and a separator ends a field (quotes win when a character is both); inside, only
// the opening character closes it; every boundary emits the stretch before it (an empty one only
// when quoted or when empty fields are kept); after the end, remaining characters form a last
// field unless a quote is still open.
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
    auto emit = [&](std::wstring& stretch, bool quoted) {
        if (!stretch.empty() || quoted || keepEmptyFields) {
            fields.push_back(stretch);
        }
        stretch.clear();
    };
    std::wstring stretch;
    wchar_t openQuote = 0;
    bool inQuote = false;
    for (wchar_t c : text) {
        if (inQuote) {
            if (c == openQuote) {
                emit(stretch, true);
                inQuote = false;
            } else {
                stretch.push_back(c);
            }
        } else if (quotes.find(c) != std::wstring::npos) {
            emit(stretch, false);
            inQuote = true;
            openQuote = c;
        } else if (separators.find(c) != std::wstring::npos) {
            emit(stretch, false);
        } else {
            stretch.push_back(c);
        }
    }
    if (!inQuote && !stretch.empty()) {
        emit(stretch, false);
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
    FUZZ_CHECK(task->isSupport == (wcscasecmp(fields[2].c_str(), L"support") == 0));
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
