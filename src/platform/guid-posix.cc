// Random identities from getrandom(2), with /dev/urandom as the fallback for
// kernels that lack the system call.
#include <fcntl.h>
#include <sys/random.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstring>

#include "platform/guid.h"

namespace cw {
namespace {

bool FillFromGetrandom(unsigned char* buffer, size_t size) {
  size_t done = 0;
  while (done < size) {
    ssize_t n = getrandom(buffer + done, size - done, 0);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

bool FillFromUrandom(unsigned char* buffer, size_t size) {
  int fd = open("/dev/urandom", O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  size_t done = 0;
  while (done < size) {
    ssize_t n = read(fd, buffer + done, size - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  close(fd);
  return done == size;
}

}  // namespace

bool CreateGuid(Guid* guid) {
  unsigned char bytes[16];
  if (!FillFromGetrandom(bytes, sizeof bytes) && !FillFromUrandom(bytes, sizeof bytes)) return false;
  bytes[6] = static_cast<unsigned char>((bytes[6] & 0x0F) | 0x40);  // version 4
  bytes[8] = static_cast<unsigned char>((bytes[8] & 0x3F) | 0x80);  // RFC 4122 variant
  guid->data1 = (uint32_t{bytes[0]} << 24) | (uint32_t{bytes[1]} << 16) | (uint32_t{bytes[2]} << 8) | bytes[3];
  guid->data2 = static_cast<uint16_t>((bytes[4] << 8) | bytes[5]);
  guid->data3 = static_cast<uint16_t>((bytes[6] << 8) | bytes[7]);
  std::memcpy(guid->data4, bytes + 8, 8);
  return true;
}

}  // namespace cw
