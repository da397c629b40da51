#pragma once
// Code page 932 (Shift-JIS as Windows writes it) to and from UTF-8, the program's internal form.
// U+FF5E "～" is 0x81 0x60, U+FF0D "－" 0x81 0x7C, U+2225 "∥" 0x81 0x61, as on Windows.

#include <optional>
#include <string>
#include <string_view>

namespace quorin::text {

struct Cp932_Error {
  std::size_t offset = 0;  // byte offset in the input of the first character that failed
  std::string character;   // that character (UTF-8) when encoding; empty when decoding; for
                           // bytes that are not valid UTF-8 the byte's value written as "\xC3"
};

// Bytes in code page 932 to UTF-8; nullopt (with the error) for a byte sequence that is not
// code page 932 (0x80, 0xA0, 0xFD..0xFF, a lead byte without a valid trail byte, a lead byte at
// the end). The user-defined area 0xF0..0xF9 reads as private-use characters.
std::optional<std::string> cp932_to_utf8(std::string_view bytes, Cp932_Error* error = nullptr);

// UTF-8 to code page 932 bytes; nullopt (with the first character code page 932 cannot hold)
// when the text holds such a character or is not valid UTF-8. Nothing is ever replaced silently:
// the characters that glibc writes one way only, as the code of another character (U+00A5 "¥"
// as 0x5C, U+301C "〜" as 0x8160, U+2212 "−" as 0x817C, ...), are refused too, so whatever is
// accepted reads back unchanged. A text of ASCII only is copied without conversion.
std::optional<std::string> utf8_to_cp932(std::string_view text, Cp932_Error* error = nullptr);

// True when the text is valid UTF-8 throughout.
bool valid_utf8(std::string_view text);

// A file that may be UTF-8 or code page 932, as UTF-8. With a byte-order mark it is UTF-8 (the
// mark dropped). Without one, valid UTF-8 is taken as such, anything else is decoded from code
// page 932, except a text whose every non-ASCII character is a 2-byte UTF-8 sequence and which is
// also valid code page 932: pairs of half-width katakana ("ﾃｽ" is 0xC3 0xBD, "ý" in UTF-8) make
// such a text, so it cannot be told apart and is refused. On refusal, nullopt with the reason in
// `refusal` (Japanese, naming the line; for an undecidable text both readings and what to do).
std::optional<std::string> any_text_to_utf8(std::string_view bytes, std::string* refusal = nullptr);

}  // namespace quorin::text
