#include "keystream.h"
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

} // namespace zor
