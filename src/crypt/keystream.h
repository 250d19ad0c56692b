// The key stream of a password: the decimal codes of its characters joined into a key string
// ("A" and "d" give "65100"), whose character codes are taken one after the other and again
// from the first after the last. Lengths and positions are 16-bit counters, as in the
// scrambled formats: 32,767 characters or more overflow (error 6).
#pragma once
#include <span>
#include <string>
#include <string_view>

namespace zor {

// Texts and passwords hold at most this many characters.
constexpr size_t maxCryptLength = 32766;

class KeyStream {
public:
    explicit KeyStream(std::wstring_view password);
    // The next key code; error 5 when the key string is empty.
    unsigned char next();
    // Combines each byte with the next key code by XOR, as next() would, four bytes at a time.
    void scramble(std::span<unsigned char> bytes);
    const std::string& keyString() const { return key_; }

private:
    std::string key_;
    long position_ = 1; // 1-based position in the key string
};

} // namespace zor
