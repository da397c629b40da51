#include "text/cp932.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>

#include "text/format.h"

namespace quorin::text {

namespace {

// One conversion descriptor per direction and thread, opened on first use and closed when the
// thread ends. glibc names the Windows code page "CP932" (with 0x5C as the backslash and the
// Windows mappings of 0x8160 "～", 0x817C "－", 0x8161 "∥", 0x8191 "￠", 0x8192 "￡", 0x81CA "￢").
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (ok()) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;
  bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

  // Converts all of the input into out; on failure returns false and sets the input offset of
  // the first byte that could not be converted.
  bool convert(std::string_view in, std::string& out, std::size_t& failed_at) {
    failed_at = 0;
    if (!ok()) return false;
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);  // initial state
    out.clear();
    out.resize(in.size() * 2 + 16);
    char* in_pointer = const_cast<char*>(in.data());
    std::size_t in_left = in.size();
    std::size_t done = 0;
    while (in_left > 0) {
      char* out_pointer = out.data() + done;
      std::size_t out_left = out.size() - done;
      const std::size_t result = iconv(cd_, &in_pointer, &in_left, &out_pointer, &out_left);
      done = static_cast<std::size_t>(out_pointer - out.data());
      if (result != static_cast<std::size_t>(-1)) break;
      if (errno == E2BIG) {
        out.resize(out.size() * 2);
        continue;
      }
      // EILSEQ (not convertible) or EINVAL (incomplete sequence at the end).
      failed_at = in.size() - in_left;
      out.clear();
      return false;
    }
    out.resize(done);
    return true;
  }

 private:
  iconv_t cd_;
};

Converter& to_utf8() {
  thread_local Converter converter("UTF-8", "CP932");
  return converter;
}

Converter& from_utf8() {
  thread_local Converter converter("CP932", "UTF-8");
  return converter;
}

std::size_t first_non_ascii(std::string_view text) {
  const auto at = std::find_if(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
  return static_cast<std::size_t>(at - text.begin());
}

bool is_ascii(std::string_view text) { return first_non_ascii(text) == text.size(); }

// Length of the UTF-8 sequence that starts with this byte (1 for a stray byte).
std::size_t sequence_length(unsigned char lead) {
  if (lead < 0xC0) return 1;
  if (lead < 0xE0) return 2;
  if (lead < 0xF0) return 3;
  if (lead < 0xF8) return 4;
  return 1;
}

// The character that starts at offset, for the error report. A byte that does not start a valid
// UTF-8 character is named by its value ("\xC3") so that the message stays valid UTF-8.
std::string character_at(std::string_view text, std::size_t offset, bool valid) {
  if (!valid) {
    static const char hex[] = "0123456789ABCDEF";
    const auto byte = static_cast<unsigned char>(text[offset]);
    return std::string{'\\', 'x', hex[byte >> 4], hex[byte & 15]};
  }
  const std::size_t n = sequence_length(static_cast<unsigned char>(text[offset]));
  return std::string(text.substr(offset, n));
}

// True when the bytes at offset form one complete, valid UTF-8 character.
bool valid_utf8_at(std::string_view text, std::size_t offset) {
  const auto lead = static_cast<unsigned char>(text[offset]);
  const std::size_t n = sequence_length(lead);
  if (n == 1) return lead < 0x80;
  if (offset + n > text.size()) return false;
  std::uint32_t code = lead & (0x7F >> n);
  for (std::size_t k = 1; k < n; ++k) {
    const auto c = static_cast<unsigned char>(text[offset + k]);
    if ((c & 0xC0) != 0x80) return false;
    code = (code << 6) | (c & 0x3F);
  }
  static const std::uint32_t minimum[] = {0, 0, 0x80, 0x800, 0x10000};
  if (code < minimum[n] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
  return true;
}

void fail(Cp932_Error* error, std::size_t offset, std::string character) {
  if (error) {
    error->offset = offset;
    error->character = std::move(character);
  }
}

// Offset of the first byte that does not start a valid UTF-8 character; the size when none.
std::size_t first_invalid_utf8(std::string_view text) {
  std::size_t offset = 0;
  while (offset < text.size()) {
    // Runs of ASCII, most of a message or a file, eight bytes at a time.
    std::uint64_t eight = 0;
    while (offset + 8 <= text.size() &&
           (std::memcpy(&eight, text.data() + offset, 8), (eight & 0x8080808080808080u) == 0))
      offset += 8;
    if (offset == text.size() || !valid_utf8_at(text, offset)) break;
    offset += sequence_length(static_cast<unsigned char>(text[offset]));
  }
  return offset;
}

// True when every lead byte of the (valid UTF-8) text starts a sequence of at most 2 bytes:
// U+0080..U+07FF only (Latin, Greek, Cyrillic, ...), the characters that code page 932 bytes can
// also spell.
bool only_two_byte_sequences(std::string_view text) {
  return std::none_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0xE0; });
}

std::size_t line_at(std::string_view bytes, std::size_t offset) {
  return 1 + static_cast<std::size_t>(std::count(bytes.begin(), bytes.begin() + std::min(offset, bytes.size()), '\n'));
}

// The word around offset for a message (its first 40 bytes or so), between separators and line
// ends: valid in UTF-8 and in code page 932 alike, as those bytes are all below 0x40 and no code
// page 932 character holds one.
std::string_view word_around(std::string_view text, std::size_t offset) {
  constexpr std::string_view Separators = ",;\t\r\n\" ";
  constexpr std::size_t Longest = 40;
  const std::size_t before = text.find_last_of(Separators, offset);
  const std::size_t begin = before == std::string_view::npos ? 0 : before + 1;
  std::string_view word = text.substr(begin, std::min(text.find_first_of(Separators, offset), text.size()) - begin);
  for (std::size_t n = std::min(word.size(), Longest); n > offset - begin; --n)
    if (valid_utf8(word.substr(0, n)) && cp932_to_utf8(word.substr(0, n))) return word.substr(0, n);
  return word;  // whole: valid both ways, as its ends are such bytes or the text's ends
}

}  // namespace

std::optional<std::string> cp932_to_utf8(std::string_view bytes, Cp932_Error* error) {
  if (is_ascii(bytes)) return std::string(bytes);
  std::string out;
  std::size_t failed_at = 0;
  if (!to_utf8().convert(bytes, out, failed_at)) {
    fail(error, failed_at, {});
    return std::nullopt;
  }
  return out;
}

std::optional<std::string> utf8_to_cp932(std::string_view text, Cp932_Error* error) {
  if (is_ascii(text)) return std::string(text);
  std::string out;
  std::size_t failed_at = 0;
  if (!from_utf8().convert(text, out, failed_at)) {
    fail(error, failed_at, character_at(text, failed_at, failed_at < text.size() && valid_utf8_at(text, failed_at)));
    return std::nullopt;
  }
  // glibc also maps some characters one way only (U+00A5 "¥" to 0x5C, U+301C "〜" to 0x8160,
  // U+2212 "−" to 0x817C, ...): the bytes would read back as another character. Such a
  // character is refused like one that has no code at all, so nothing is replaced silently.
  std::string back;
  if (to_utf8().convert(out, back, failed_at) && back == text) return out;
  std::size_t offset = 0;
  while (offset < text.size()) {
    const std::size_t n = sequence_length(static_cast<unsigned char>(text[offset]));
    const std::string_view one = text.substr(offset, n);
    std::string one_out;
    std::string one_back;
    if (!from_utf8().convert(one, one_out, failed_at) || !to_utf8().convert(one_out, one_back, failed_at) ||
        one_back != one)
      break;
    offset += n;
  }
  if (offset >= text.size()) offset = 0;  // cannot happen: the whole text would have matched
  fail(error, offset, character_at(text, offset, valid_utf8_at(text, offset)));
  return std::nullopt;
}

bool valid_utf8(std::string_view text) { return first_invalid_utf8(text) == text.size(); }

std::optional<std::string> any_text_to_utf8(std::string_view bytes, std::string* refusal) {
  constexpr std::string_view Byte_Order_Mark = "\xEF\xBB\xBF";
  auto refuse = [&](std::size_t offset, const std::string& what) -> std::optional<std::string> {
    if (refusal) *refusal = bare_text(static_cast<long long>(line_at(bytes, offset))) + " 行目" + what;
    return std::nullopt;
  };
  if (bytes.starts_with(Byte_Order_Mark)) {
    bytes.remove_prefix(Byte_Order_Mark.size());
    if (const std::size_t bad = first_invalid_utf8(bytes); bad < bytes.size())
      return refuse(bad, "が UTF-8 ではありません (先頭に UTF-8 の BOM があります)");
    return std::string(bytes);
  }
  if (first_invalid_utf8(bytes) == bytes.size()) {
    const std::size_t first = first_non_ascii(bytes);
    if (first == bytes.size() || !only_two_byte_sequences(bytes) || !cp932_to_utf8(bytes)) return std::string(bytes);
    const std::string_view both = word_around(bytes, first);
    return refuse(first, "はシフトJIS なら「" + cp932_to_utf8(both).value_or("") + "」、UTF-8 なら「" +
                             std::string(both) +
                             "」と読めるため、文字コードを決められません。BOM 付きの UTF-8 で保存し直してください");
  }
  Cp932_Error error;
  std::optional<std::string> decoded = cp932_to_utf8(bytes, &error);
  if (!decoded) return refuse(error.offset, "が UTF-8 でもシフトJIS でもありません");
  return decoded;
}

}  // namespace quorin::text
