#include "platform/udp.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace kota {
namespace {

sockaddr_in to_sockaddr(const UdpAddress& a) {
  sockaddr_in s{};
  s.sin_family = AF_INET;
  s.sin_addr.s_addr = htonl(a.host);
  s.sin_port = htons(a.port);
  return s;
}

}  // namespace

std::string udp_address_text(const UdpAddress& a) {
  char text[32];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u:%u", a.host >> 24, (a.host >> 16) & 255,
                (a.host >> 8) & 255, a.host & 255, a.port);
  return text;
}

std::optional<UdpAddress> udp_resolve(const std::string& host, uint16_t port) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_DGRAM;
  addrinfo* found = nullptr;
  if (host.empty() || getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found) {
    return std::nullopt;
  }
  UdpAddress a;
  a.host = ntohl(reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr.s_addr);
  a.port = port;
  freeaddrinfo(found);
  return a;
}

UdpAddress udp_loopback(uint16_t port) {
  return {INADDR_LOOPBACK, port};
}

std::string error_name(int error) {
  if (const char* name = strerrorname_np(error)) return name;
  return "error " + std::to_string(error);
}

UdpSocket& UdpSocket::operator=(UdpSocket&& other) noexcept {
  if (this != &other) {
    close();
    fd_ = other.fd_;
    other.fd_ = -1;
  }
  return *this;
}

bool UdpSocket::open(uint16_t port, uint32_t host, std::string& error) {
  close();
  int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    error = error_name(errno);
    return false;
  }
  sockaddr_in s = to_sockaddr({host, port});
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&s), sizeof s) != 0) {
    error = error_name(errno);
    ::close(fd);
    return false;
  }
  fd_ = fd;
  return true;
}

void UdpSocket::close() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

uint16_t UdpSocket::local_port() const {
  if (fd_ < 0) return 0;
  sockaddr_in s{};
  socklen_t len = sizeof s;
  if (getsockname(fd_, reinterpret_cast<sockaddr*>(&s), &len) != 0) return 0;
  return ntohs(s.sin_port);
}

bool UdpSocket::send_to(const UdpAddress& to, const void* data, size_t size, std::string& error) {
  if (fd_ < 0) {
    error = error_name(EBADF);
    return false;
  }
  sockaddr_in s = to_sockaddr(to);
  ssize_t sent;
  do {
    sent = ::sendto(fd_, data, size, MSG_NOSIGNAL, reinterpret_cast<const sockaddr*>(&s), sizeof s);
  } while (sent < 0 && errno == EINTR);
  if (sent < 0) {
    error = error_name(errno);
    return false;
  }
  return true;
}

std::optional<size_t> UdpSocket::receive(uint8_t* buffer, size_t capacity, UdpAddress& from,
                                         bool* truncated) {
  if (fd_ < 0) return std::nullopt;
  while (true) {
    sockaddr_in s{};
    socklen_t len = sizeof s;
    // MSG_TRUNC reports the datagram's real length, so a cut one is known as such.
    ssize_t got = ::recvfrom(fd_, buffer, capacity, MSG_TRUNC, reinterpret_cast<sockaddr*>(&s),
                             &len);
    if (got < 0) {
      if (errno == EINTR) continue;
      // An ICMP "port unreachable" for an earlier send comes back as ECONNREFUSED on some
      // kernels; it is not a datagram, so look for the next one.
      if (errno == ECONNREFUSED) continue;
      return std::nullopt;
    }
    from.host = ntohl(s.sin_addr.s_addr);
    from.port = ntohs(s.sin_port);
    size_t size = static_cast<size_t>(got);
    if (truncated) *truncated = size > capacity;
    return size > capacity ? capacity : size;
  }
}

bool UdpSocket::wait(double seconds, int other_fd) const {
  pollfd fds[2] = {{fd_, POLLIN, 0}, {other_fd, POLLIN, 0}};
  int count = other_fd >= 0 ? 2 : 1;
  int ms = seconds <= 0 ? 0 : static_cast<int>(std::ceil(seconds * 1000));
  // A signal ends the wait early, so that a server told to stop does not sleep on.
  return ::poll(fds, static_cast<nfds_t>(count), ms) > 0;
}

}  // namespace kota
