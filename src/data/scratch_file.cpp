#include "data/scratch_file.h"

#include <sys/mman.h>
#include <unistd.h>
#include <cerrno>

namespace quorin {

namespace {

using Bytes = std::vector<unsigned char>;

void put_16(unsigned char* at, std::uint16_t value) {
  at[0] = static_cast<unsigned char>(value);
  at[1] = static_cast<unsigned char>(value >> 8);
}

void put_32(unsigned char* at, std::uint32_t value) {
  put_16(at, static_cast<std::uint16_t>(value));
  put_16(at + 2, static_cast<std::uint16_t>(value >> 16));
}

std::uint16_t get_16(const unsigned char* at) { return static_cast<std::uint16_t>(at[0] | at[1] << 8); }

std::uint32_t get_32(const unsigned char* at) { return get_16(at) | static_cast<std::uint32_t>(get_16(at + 2)) << 16; }

Long count_at(const unsigned char* record) { return static_cast<Long>(get_32(record)); }
void set_count_at(unsigned char* record, Long count) { put_32(record, static_cast<std::uint32_t>(count)); }

// Byte offset of record k (k from 1).
off_t offset_of(long record) { return static_cast<off_t>(record - 1) * Scratch_File::Record_Length; }

}  // namespace

Scratch_File::~Scratch_File() {
  if (fd_ >= 0) ::close(fd_);
}

bool Scratch_File::open_anonymous() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = ::memfd_create("quorin-sheet", MFD_CLOEXEC);
  return fd_ >= 0;
}

bool Scratch_File::fail() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
  return false;
}

bool Scratch_File::read_bytes(long first, long count, Bytes& bytes) {
  bytes.resize(static_cast<std::size_t>(count) * Record_Length);
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t got = ::pread(fd_, bytes.data() + done, bytes.size() - done, offset_of(first) + done);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return fail();  // an error, or records that were never written
    done += static_cast<std::size_t>(got);
  }
  return true;
}

bool Scratch_File::write_bytes(long first, const unsigned char* bytes, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t put = ::pwrite(fd_, bytes + done, size - done, offset_of(first) + done);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return fail();
    done += static_cast<std::size_t>(put);
  }
  return true;
}

void Scratch_File::encode(const Cell_Rec& record, unsigned char* at) {
  set_count_at(at, record.count);
  put_16(at + 4, static_cast<std::uint16_t>(record.group));
  put_16(at + 6, static_cast<std::uint16_t>(record.tube));
}

bool Scratch_File::replace_with(const unsigned char* bytes, std::size_t size) {
  if (!write_bytes(1, bytes, size)) return false;
  // Records left from an earlier, larger sheet go with it.
  if (::ftruncate(fd_, static_cast<off_t>(size)) != 0) return fail();
  return true;
}

bool Scratch_File::read(long first, long count, Cell_Rec* out) {
  if (fd_ < 0 || first < 1 || count < 0) return false;
  Bytes bytes;
  if (!read_bytes(first, count, bytes)) return false;
  const unsigned char* at = bytes.data();
  for (long k = 0; k < count; ++k, at += Record_Length)
    out[k] = {count_at(at), static_cast<Integer>(get_16(at + 4)), static_cast<Integer>(get_16(at + 6))};
  return true;
}

bool Scratch_File::write_count(long record, Long count) {
  if (fd_ < 0 || record < 1) return false;
  Bytes bytes(4);
  set_count_at(bytes.data(), count);
  return write_bytes(record, bytes.data(), bytes.size());
}

bool Scratch_File::insert_count(long row, long last) {
  if (fd_ < 0 || row < 1 || row > last) return false;
  Bytes bytes;
  if (!read_bytes(row, last - row + 1, bytes)) return false;
  for (long k = last - row; k > 0; --k)
    set_count_at(&bytes[k * Record_Length], count_at(&bytes[(k - 1) * Record_Length]));
  set_count_at(bytes.data(), 0);
  return write_bytes(row, bytes.data(), bytes.size());
}

bool Scratch_File::delete_count(long row, long last) {
  if (fd_ < 0 || row < 1 || row > last) return false;
  Bytes bytes;
  if (!read_bytes(row, last - row + 1, bytes)) return false;
  const long span = last - row;
  for (long k = 0; k < span; ++k) set_count_at(&bytes[k * Record_Length], count_at(&bytes[(k + 1) * Record_Length]));
  set_count_at(&bytes[span * Record_Length], 0);
  return write_bytes(row, bytes.data(), bytes.size());
}

}  // namespace quorin
