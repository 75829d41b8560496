#include "format_wide.h"

#include <cstdint>

namespace {

// Appends characters while room remains and counts every character of the full text, so that the
// caller learns whether the text was cut.
class BoundedWriter {
  public:
    BoundedWriter(wchar_t* destination, std::size_t limit)
        : destination_(destination), limit_(limit) {}

    void Put(wchar_t c) {
        if (written_ < limit_) {
            destination_[written_++] = c;
        } else {
            truncated_ = true;
        }
    }
    void PutString(const wchar_t* text) {
        for (; *text != L'\0' && !truncated_; ++text) {
            Put(*text);
        }
    }
    void PutDecimal(std::int32_t value) {
        wchar_t digits[12];
        int count = 0;
        // Work in 64 bits so that the most negative value has a positive magnitude.
        std::int64_t magnitude = value < 0 ? -static_cast<std::int64_t>(value) : value;
        do {
            digits[count++] = static_cast<wchar_t>(L'0' + magnitude % 10);
            magnitude /= 10;
        } while (magnitude != 0);
        if (value < 0) {
            Put(L'-');
        }
        while (count > 0) {
            Put(digits[--count]);
        }
    }
    bool Truncated() const { return truncated_; }
    void Terminate() { destination_[written_] = L'\0'; }

  private:
    wchar_t* destination_;
    std::size_t limit_;
    std::size_t written_ = 0;
    bool truncated_ = false;
};

}  // namespace

HRESULT FormatWide(wchar_t* destination, std::size_t capacity, const wchar_t* format, ...) {
    if (capacity > kFormatWideMaxCapacity) {
        return E_INVALIDARG;
    }
    va_list arguments;
    va_start(arguments, format);
    HRESULT result = FormatWideV(destination, capacity, format, arguments);
    va_end(arguments);
    return result;
}

HRESULT FormatWideV(wchar_t* destination, std::size_t capacity, const wchar_t* format,
                    va_list arguments) {
    if (capacity == 0 || capacity > kFormatWideMaxCapacity) {
        return E_INVALIDARG;
    }
    BoundedWriter writer(destination, capacity - 1);
    bool failed = false;
    // failed is tested first: after a lone % at the end of the format, p has moved past the
    // terminator and must not be read.
    for (const wchar_t* p = format; !failed && !writer.Truncated() && *p != L'\0'; ++p) {
        if (*p != L'%') {
            writer.Put(*p);
            continue;
        }
        switch (*++p) {
            case L's': {
                const wchar_t* text = va_arg(arguments, const wchar_t*);
                writer.PutString(text != nullptr ? text : L"(null)");
                break;
            }
            case L'd':
                writer.PutDecimal(va_arg(arguments, std::int32_t));
                break;
            case L'%':
                writer.Put(L'%');
                break;
            default:  // an unsupported directive, or a lone % at the end of the format
                failed = true;
                break;
        }
    }
    writer.Terminate();
    return writer.Truncated() || failed ? kFormatWideTruncated : S_OK;
}
