#include "emulated/wmi/wql_game_query.h"

#include <cwctype>

#include "platform/gameux.h"
#include "text/case_folding.h"

namespace {

class QueryReader {
  public:
    explicit QueryReader(std::wstring_view text) : text_(text) {}

    void SkipBlanks() {
        while (position_ < text_.size() && std::iswspace(text_[position_])) {
            ++position_;
        }
    }

    // A word (or "*") that must be followed by a blank, "=" or the end: "SELECT*" is no query.
    bool Word(std::wstring_view word) {
        SkipBlanks();
        std::wstring_view rest = text_.substr(position_);
        if (rest.size() < word.size() || !EqualsIgnoringCase(rest.substr(0, word.size()), word)) {
            return false;
        }
        position_ += word.size();
        return AtEnd() || std::iswspace(text_[position_]) || text_[position_] == L'=';
    }

    bool Symbol(wchar_t symbol) {
        SkipBlanks();
        if (AtEnd() || text_[position_] != symbol) {
            return false;
        }
        ++position_;
        return true;
    }

    std::optional<std::wstring> QuotedString() {
        if (!Symbol(L'"')) {
            return std::nullopt;
        }
        std::wstring value;
        while (!AtEnd()) {
            wchar_t c = text_[position_++];
            if (c == L'"') {
                return value;
            }
            if (c == L'\\') {
                if (AtEnd() || (text_[position_] != L'\\' && text_[position_] != L'"')) {
                    return std::nullopt;
                }
                c = text_[position_++];
            }
            value.push_back(c);
        }
        return std::nullopt;  // no closing quote
    }

    bool AtEnd() const { return position_ >= text_.size(); }

  private:
    std::wstring_view text_;
    std::size_t position_ = 0;
};

// Reads the words of the program's query before the path, in their order: each a word that
// must end where it ends in the query, but "=", which may touch its neighbours.
bool ReadQueryHead(QueryReader& reader) {
    std::wstring_view head = kGameByBinaryPathQueryHead;
    while (true) {
        const std::size_t start = head.find_first_not_of(L' ');
        if (start == std::wstring_view::npos) {
            return true;
        }
        head.remove_prefix(start);
        const std::wstring_view word = head.substr(0, head.find(L' '));
        if (!(word == L"=" ? reader.Symbol(L'=') : reader.Word(word))) {
            return false;
        }
        head.remove_prefix(word.size());
    }
}

}  // namespace

std::optional<std::wstring> ParseGameQuery(std::wstring_view query) {
    QueryReader reader(query);
    if (!ReadQueryHead(reader)) {
        return std::nullopt;
    }
    std::optional<std::wstring> path = reader.QuotedString();
    reader.SkipBlanks();
    if (!path || !reader.AtEnd()) {
        return std::nullopt;
    }
    return path;
}
