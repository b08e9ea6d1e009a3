#pragma once

// Splits RTF bytes into tokens in one forward pass. Never allocates, never recurses, and never
// reads past the end of the input, whatever the bytes are.

#include <cstdint>
#include <string_view>

namespace orvane::rtf {

struct Token {
    enum Kind : std::uint8_t {
        End,
        GroupOpen,
        GroupClose,
        ControlWord,   // name (1..32 letters), optional numeric parameter
        ControlSymbol, // one non-letter character after the backslash, in `symbol`
        HexByte,       // \'hh, the byte in `byte`
        Unicode,       // \uN, the UTF-16 code unit in `param` (0..65535), U+FFFD for none
        Text,          // a run of literal bytes, without CR and LF
        Binary,        // the raw bytes of \binN
    };
    Kind kind = End;
    bool hasParam = false;
    char symbol = 0;
    std::uint8_t byte = 0;
    std::int32_t param = 0;
    std::string_view name; // control word name, text run or binary data
};

class Tokenizer {
public:
    static constexpr int kMaxWordLength = 32;

    explicit Tokenizer(std::string_view input) : in_(input) {}

    Token next();

    // Skips to the end of the group whose opening brace was just read, honouring escapes and
    // binary data, without building tokens. Used for destinations nobody shows.
    void skipGroup();

    std::size_t position() const { return pos_; }

private:
    Token controlSequence();

    std::string_view in_;
    std::size_t pos_ = 0;
};

} // namespace orvane::rtf
