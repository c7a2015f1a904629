// A UDP socket for WSJT-X's messages without Qt (the command line and the
// tests): bound to a port on the loopback interface, or joined to a
// multicast group there, with datagrams from other hosts dropped unless
// they are allowed. Replies go out from the same socket, so WSJT-X sees
// them come from the port it sends to.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/result.h"

namespace kelvora::wsjtx {

struct UdpOptions {
  int port = 0;            // 0: any free port (tests)
  std::string group;       // an IPv4 multicast group, or empty for unicast
  bool allowOtherHosts = false;
};

struct UdpPeer {
  std::uint32_t address = 0;  // IPv4, host order
  std::uint16_t port = 0;
  std::string Text() const;   // "127.0.0.1:55402"
  bool operator==(const UdpPeer&) const = default;
};

struct Datagram {
  std::vector<std::uint8_t> bytes;
  UdpPeer from;
};

// Checks an address given for --group or the settings: IPv4 in 224.0.0.0/4.
// (kelvora::Status, the outcome, not WSJT-X's Status message.)
kelvora::Status CheckMulticastGroup(const std::string& group);

class UdpSocket {
 public:
  // The socket, or the reason it could not be opened (port in use, bad
  // group, ...).
  static Result<UdpSocket> Open(const UdpOptions& options);

  UdpSocket(UdpSocket&& other) noexcept;
  UdpSocket& operator=(UdpSocket&& other) noexcept;
  UdpSocket(const UdpSocket&) = delete;
  UdpSocket& operator=(const UdpSocket&) = delete;
  ~UdpSocket();

  // The port bound (the one chosen when 0 was asked for).
  int port() const { return port_; }

  // Waits up to `timeoutMs` for a datagram from an allowed sender; those
  // from other hosts are counted and dropped, and a failed read is tried
  // again until the time is up.
  std::optional<Datagram> Receive(int timeoutMs);
  // Sends to `peer`.
  kelvora::Status Send(const std::vector<std::uint8_t>& bytes, const UdpPeer& peer);

  std::uint64_t dropped() const { return dropped_; }

 private:
  UdpSocket(int fd, int port, bool allowOtherHosts)
      : fd_(fd), port_(port), allowOtherHosts_(allowOtherHosts) {}

  int fd_ = -1;
  int port_ = 0;
  bool allowOtherHosts_ = false;
  std::uint64_t dropped_ = 0;
};

}  // namespace kelvora::wsjtx
