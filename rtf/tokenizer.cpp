#include "rtf/tokenizer.h"

#include "rtf/hex.h"

#include <algorithm>
#include <limits>

namespace orvane::rtf {
namespace {

bool isLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

} // namespace

Token Tokenizer::next() {
    while (pos_ < in_.size()) {
        const char c = in_[pos_];
        switch (c) {
        case '{': ++pos_; return Token{Token::GroupOpen};
        case '}': ++pos_; return Token{Token::GroupClose};
        case '\\': return controlSequence();
        case '\r':
        case '\n':
            ++pos_; // line ends in RTF source carry no meaning
            continue;
        default: {
            const std::size_t start = pos_;
            while (pos_ < in_.size()) {
                const char d = in_[pos_];
                if (d == '{' || d == '}' || d == '\\' || d == '\r' || d == '\n')
                    break;
                ++pos_;
            }
            Token t{Token::Text};
            t.name = in_.substr(start, pos_ - start);
            return t;
        }
        }
    }
    return Token{Token::End};
}

Token Tokenizer::controlSequence() {
    ++pos_; // the backslash
    if (pos_ >= in_.size())
        return Token{Token::End};
    const char c = in_[pos_];

    if (isLetter(c)) {
        const std::size_t start = pos_;
        while (pos_ < in_.size() && isLetter(in_[pos_]))
            ++pos_;
        Token t{Token::ControlWord};
        // Over-long words are kept whole but named by their first letters; none is known.
        t.name = in_.substr(start, std::min<std::size_t>(pos_ - start, kMaxWordLength + 1));
        bool negative = false;
        if (pos_ + 1 < in_.size() && in_[pos_] == '-' && isDigit(in_[pos_ + 1])) {
            negative = true;
            ++pos_;
        }
        if (pos_ < in_.size() && isDigit(in_[pos_])) {
            std::int64_t value = 0;
            constexpr std::int64_t kLimit = std::numeric_limits<std::int32_t>::max();
            while (pos_ < in_.size() && isDigit(in_[pos_])) {
                value = std::min(value * 10 + (in_[pos_] - '0'), kLimit + 1);
                ++pos_;
            }
            value = negative ? -value : value;
            t.hasParam = true;
            t.param = static_cast<std::int32_t>(
                std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(), kLimit));
        }
        if (pos_ < in_.size() && in_[pos_] == ' ')
            ++pos_; // the delimiting blank belongs to the control word

        if (t.name == "bin" && t.hasParam) {
            // Raw bytes follow; never trust the count beyond the end of the input.
            const std::size_t length =
                t.param > 0 ? std::min<std::size_t>(std::size_t(t.param), in_.size() - pos_) : 0;
            Token b{Token::Binary};
            b.name = in_.substr(pos_, length);
            pos_ += length;
            return b;
        }
        if (t.name == "u" && t.hasParam) {
            Token u{Token::Unicode};
            // A signed 16-bit number, units above 32767 written negative; some writers write
            // them as they are. Any other number is no character of the text.
            const bool unit = t.param >= -32768 && t.param <= 65535;
            u.param = !unit ? 0xFFFD : t.param < 0 ? t.param + 65536 : t.param;
            return u;
        }
        return t;
    }

    if (c == '\'') {
        const int hi = pos_ + 1 < in_.size() ? hexValue(in_[pos_ + 1]) : -1;
        const int lo = pos_ + 2 < in_.size() ? hexValue(in_[pos_ + 2]) : -1;
        if (hi >= 0 && lo >= 0) {
            pos_ += 3;
            Token t{Token::HexByte};
            t.byte = static_cast<std::uint8_t>(hi * 16 + lo);
            return t;
        }
        ++pos_; // a broken escape: drop the quote, read what follows as text
        return Token{Token::Text};
    }

    ++pos_;
    Token t{Token::ControlSymbol};
    t.symbol = c;
    return t;
}

void Tokenizer::skipGroup() {
    std::size_t depth = 1;
    while (pos_ < in_.size()) {
        const char c = in_[pos_++];
        if (c == '{') {
            ++depth;
        } else if (c == '}') {
            if (--depth == 0)
                return;
        } else if (c == '\\' && pos_ < in_.size()) {
            if (in_[pos_] == 'b' && in_.substr(pos_, 3) == "bin") {
                --pos_;
                const Token t = controlSequence(); // consumes the binary data too
                (void)t;
            } else {
                ++pos_; // an escaped brace or backslash is not structure
            }
        }
    }
}

} // namespace orvane::rtf
