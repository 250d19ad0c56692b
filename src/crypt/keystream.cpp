#include "crypt/keystream.h"
#include <cstdint>
#include <cstring>
#include "runtime/errors.h"
#include "runtime/text.h"

namespace zor {

KeyStream::KeyStream(std::wstring_view password) {
    if (password.size() > maxCryptLength) throw Error(errOverflow);
    for (wchar_t c : password) key_ += std::to_string(ansiCode(c));
}

unsigned char KeyStream::next() {
    if (key_.empty()) throw Error(errIllegalCall);
    unsigned char k = static_cast<unsigned char>(key_[position_ - 1]);
    if (position_ == 32767) throw Error(errOverflow); // the counter cannot pass 32,767
    if (++position_ > static_cast<long>(key_.size())) position_ = 1;
    return k;
}

void KeyStream::scramble(std::span<unsigned char> bytes) {
    if (bytes.empty()) return;
    if (key_.empty()) throw Error(errIllegalCall);
    const size_t length = key_.size();
    if (length >= 32767) { // only such a key string can reach the counter's limit
        for (unsigned char& b : bytes) b ^= next();
        return;
    }
    // The stream repeats with a period of whole key strings, at least four codes long; the
    // ring holds one period and three codes more, so that four codes can be read anywhere.
    size_t period = length;
    while (period < 4) period += length;
    std::string ring;
    while (ring.size() < period + 3) ring += key_;
    size_t p = static_cast<size_t>(position_ - 1);
    unsigned char* data = bytes.data();
    size_t i = 0;
    for (; i + 4 <= bytes.size(); i += 4) {
        uint32_t word, key;
        std::memcpy(&word, data + i, 4);
        std::memcpy(&key, ring.data() + p, 4);
        word ^= key;
        std::memcpy(data + i, &word, 4);
        p += 4;
        if (p >= period) p -= period;
    }
    for (; i < bytes.size(); ++i) {
        data[i] ^= static_cast<unsigned char>(ring[p]);
        if (++p >= period) p -= period;
    }
    position_ = static_cast<long>(p % length) + 1;
}

} // namespace zor
