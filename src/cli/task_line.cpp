#include "task_line.h"

#include "field_splitter.h"
#include "platform_api.h"

namespace {

constexpr wchar_t kTaskLineSeparators[] = L";";
constexpr wchar_t kTaskLineQuotes[] = L"\"'";
constexpr wchar_t kSupportKind[] = L"support";
constexpr std::size_t kRequiredFields = 3;

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
    task.kind = _wcsicmp(fields[2].c_str(), kSupportKind) == 0 ? TaskKind::Support : TaskKind::Play;
    if (fields.size() > kRequiredFields) {
        task.arguments = fields[3];
    }
    return task;
}
