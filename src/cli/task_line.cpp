#include "task_line.h"

#include "field_splitter.h"
#include "platform_api.h"

namespace {

constexpr wchar_t kTaskLineSeparators[] = L";";
constexpr wchar_t kTaskLineQuotes[] = L"\"'";
constexpr std::size_t kRequiredFields = 3;

// The kind a kind field asks for: the row whose word it is in any letter case, else the default
// kind, so that any other word (or none) asks for that.
TaskKind KindNamed(const std::wstring& field) {
    for (const TaskKindRow& row : kTaskKinds) {
        if (_wcsicmp(field.c_str(), row.word) == 0) {
            return row.kind;
        }
    }
    return DefaultTaskKind();
}

}  // namespace

std::vector<std::wstring> SplitTaskLine(const std::wstring& line) {
    FieldSplitter splitter(kTaskLineSeparators, true, kTaskLineQuotes);
    splitter.Split(line.c_str(), line.size());
    return std::move(splitter.fields);
}

std::optional<TaskSpec> ParseTaskLine(const std::wstring& line) {
    std::vector<std::wstring> fields = SplitTaskLine(line);
    if (fields.size() < kRequiredFields) {
        return std::nullopt;
    }
    TaskSpec task;
    task.name = fields[0];
    task.path = fields[1];
    task.kind = KindNamed(fields[2]);
    if (fields.size() > kRequiredFields) {
        task.arguments = fields[3];
    }
    return task;
}
