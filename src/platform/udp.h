// UDP sockets and host-name resolution for the game server protocol: IPv4, non-blocking,
// one socket per connection (the client) or per port (the server). Failures come back as
// values with the system's error name ("ECONNRESET").
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace kota {

// An IPv4 address and port, both in host order.
struct UdpAddress {
  uint32_t host = 0;
  uint16_t port = 0;
  bool operator==(const UdpAddress&) const = default;
};

// "a.b.c.d:port".
std::string udp_address_text(const UdpAddress& a);

// Resolves a host name or dotted address. Nothing when the name does not resolve.
std::optional<UdpAddress> udp_resolve(const std::string& host, uint16_t port);

// The loopback address 127.0.0.1 with `port`.
UdpAddress udp_loopback(uint16_t port);

// The errno name of `error` ("EAGAIN"), or its number in words when the system has no name.
std::string error_name(int error);

class UdpSocket {
 public:
  UdpSocket() = default;
  ~UdpSocket() { close(); }
  UdpSocket(const UdpSocket&) = delete;
  UdpSocket& operator=(const UdpSocket&) = delete;
  UdpSocket(UdpSocket&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
  UdpSocket& operator=(UdpSocket&& other) noexcept;

  // Opens a non-blocking socket bound to `port` (0 = any free port) on the interface of
  // `host` (0 = every interface). False with `error` set on failure.
  bool open(uint16_t port, uint32_t host, std::string& error);
  void close();
  bool is_open() const { return fd_ >= 0; }
  int fd() const { return fd_; }
  // The port the socket is bound to, 0 when closed.
  uint16_t local_port() const;

  // Sends one datagram. False with the error name in `error` when the system refused it.
  bool send_to(const UdpAddress& to, const void* data, size_t size, std::string& error);

  // Receives one waiting datagram into `buffer`; its length, or nothing when none waits.
  // A datagram longer than `capacity` is cut to it (`truncated` says so).
  std::optional<size_t> receive(uint8_t* buffer, size_t capacity, UdpAddress& from,
                                bool* truncated = nullptr);

  // Waits up to `seconds` for a datagram (or for `other_fd` to become readable, when it is
  // not -1). True when something is ready to read.
  bool wait(double seconds, int other_fd = -1) const;

 private:
  int fd_ = -1;
};

}  // namespace kota
