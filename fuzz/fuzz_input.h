// Turns a fuzzer's bytes into the values a target needs. Texts are runs of bytes ended by a zero
// byte (so seed files stay readable); each byte stands for one wide character: bytes below 0xE0
// for the Latin-1 character of that code, the top 32 for characters that tend to break text
// handling (white space outside ASCII, surrogates, the escaped-byte range, code points beyond
// Unicode and negative values).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

class FuzzInput {
  public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool Empty() const { return position_ >= size_; }

    std::uint8_t Byte() { return Empty() ? 0 : data_[position_++]; }

    std::uint32_t Uint32() {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            value |= static_cast<std::uint32_t>(Byte()) << (8 * i);
        }
        return value;
    }

    // Bytes up to the next zero byte (or the end), the zero byte consumed.
    std::string Chunk() {
        std::string chunk;
        while (!Empty()) {
            const std::uint8_t byte = data_[position_++];
            if (byte == 0) {
                break;
            }
            chunk.push_back(static_cast<char>(byte));
        }
        return chunk;
    }

    std::wstring WideChunk() { return Widen(Chunk()); }

    // Everything not consumed yet.
    std::string Rest() {
        std::string rest(reinterpret_cast<const char*>(data_) + position_, size_ - position_);
        position_ = size_;
        return rest;
    }

    static wchar_t WideCharFor(std::uint8_t byte) {
        static constexpr std::uint32_t kSpecial[32] = {
            0x3000,   0x2028,     0x0085,     0x00A0,     0xFEFF, 0xFFFD,  0xFFFF,  0xD800,
            0xDBFF,   0xDC00,     0xDC80,     0xDCFF,     0xDFFF, 0x10000, 0x1F600, 0x10FFFF,
            0x110000, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, 0xFF10, 0xFF21,  0x0660,  0x00B2,
            0x0130,   0x212A,     0x017F,     0x2215,     0xFF3C, 0x0301,  0x4E2D,  0x05D0,
        };
        const std::uint32_t code = byte < 0xE0 ? byte : kSpecial[byte - 0xE0];
        wchar_t c;
        std::memcpy(&c, &code, sizeof c);  // values above the signed range become negative
        return c;
    }

    static std::wstring Widen(const std::string& bytes) {
        std::wstring wide;
        wide.reserve(bytes.size());
        for (char byte : bytes) {
            wide.push_back(WideCharFor(static_cast<std::uint8_t>(byte)));
        }
        return wide;
    }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t position_ = 0;
};
