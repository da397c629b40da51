#include "results/workbook_check.h"

#include <zlib.h>

#include <cstdint>
#include <string_view>

#include "text/text_file.h"

namespace quorin {

namespace {

constexpr std::uint32_t End_Record = 0x06054b50, Central_Entry = 0x02014b50, Local_Entry = 0x04034b50;

// A little-endian number of `bytes` bytes at `at`, 0 beyond the end.
std::uint32_t number_at(std::string_view zip, std::size_t at, int bytes) {
  if (at + static_cast<std::size_t>(bytes) > zip.size()) return 0;
  std::uint32_t value = 0;
  for (int k = bytes - 1; k >= 0; --k)
    value = value << 8 | static_cast<unsigned char>(zip[at + static_cast<std::size_t>(k)]);
  return value;
}

// The name of the element an XML text opens first (after its declaration), "" for none.
std::string_view root_element(std::string_view head) {
  for (std::size_t at = head.find('<'); at != std::string_view::npos; at = head.find('<', at + 1))
    if (at + 1 < head.size() && head[at + 1] != '?' && head[at + 1] != '!') {
      const std::size_t end = head.find_first_of(" \t\r\n/>", at + 1);
      return end == std::string_view::npos ? std::string_view() : head.substr(at + 1, end - at - 1);
    }
  return {};
}

// Inflates one part (stored or deflated) and checks its size, its checksum and, for XML, its end.
bool part_whole(std::string_view data, int method, std::uint32_t size, std::uint32_t crc, bool xml) {
  std::string head, tail;  // the first and the last bytes of the part
  std::uint32_t produced = 0, checksum = static_cast<std::uint32_t>(crc32(0, nullptr, 0));
  auto take = [&](const char* bytes, std::size_t n) {
    checksum = static_cast<std::uint32_t>(crc32(checksum, reinterpret_cast<const Bytef*>(bytes), static_cast<uInt>(n)));
    produced += static_cast<std::uint32_t>(n);
    if (head.size() < 1024) head.append(bytes, std::min(n, 1024 - head.size()));
    tail.append(bytes, n);
    if (tail.size() > 256) tail.erase(0, tail.size() - 256);
  };
  if (method == 0) {
    take(data.data(), data.size());
  } else if (method == Z_DEFLATED) {
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) return false;
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    char out[1 << 16];
    int status = Z_OK;
    while (status == Z_OK) {
      stream.next_out = reinterpret_cast<Bytef*>(out);
      stream.avail_out = sizeof out;
      status = inflate(&stream, Z_NO_FLUSH);
      take(out, sizeof out - stream.avail_out);
    }
    inflateEnd(&stream);
    if (status != Z_STREAM_END) return false;
  } else {
    return false;
  }
  if (produced != size || checksum != crc) return false;
  if (!xml) return true;
  const std::string_view root = root_element(head);
  const std::string_view end = std::string_view(tail).substr(0, tail.find_last_not_of(" \t\r\n") + 1);
  return !root.empty() && end.ends_with("</" + std::string(root) + ">");
}

}  // namespace

std::string workbook_parts_whole(const std::string& path) {
  const text::File_Read file = text::read_file(path);
  if (!file.ok) return file.message;
  const std::string_view zip = file.bytes;
  // The end record lies in the last 22 bytes, before a comment of at most 65535.
  std::size_t end = zip.size() < 22 ? std::string_view::npos : zip.size() - 22;
  while (end != std::string_view::npos && number_at(zip, end, 4) != End_Record && zip.size() - end < 22 + 65535)
    end = end == 0 ? std::string_view::npos : end - 1;
  if (end == std::string_view::npos || number_at(zip, end, 4) != End_Record) return "Excel ファイルの形が壊れています";
  std::size_t entry = number_at(zip, end + 16, 4);
  for (std::uint32_t parts = number_at(zip, end + 10, 2); parts > 0; --parts) {
    if (number_at(zip, entry, 4) != Central_Entry) return "Excel ファイルの形が壊れています";
    const std::uint32_t name_size = number_at(zip, entry + 28, 2);
    const std::string name(zip.substr(std::min(zip.size(), entry + 46), name_size));
    const std::size_t local = number_at(zip, entry + 42, 4);
    const std::size_t data = local + 30 + number_at(zip, local + 26, 2) + number_at(zip, local + 28, 2);
    const std::uint32_t stored = number_at(zip, entry + 20, 4);
    const bool xml = name.ends_with(".xml") || name.ends_with(".rels");
    if (number_at(zip, local, 4) != Local_Entry || data + stored > zip.size() ||
        !part_whole(zip.substr(data, stored), static_cast<int>(number_at(zip, entry + 10, 2)),
                    number_at(zip, entry + 24, 4), number_at(zip, entry + 16, 4), xml))
      return "Excel ファイルの「" + name + "」が途中で切れています (一時フォルダの空きを確かめてください)";
    entry += 46 + name_size + number_at(zip, entry + 30, 2) + number_at(zip, entry + 32, 2);
  }
  return "";
}

}  // namespace quorin
