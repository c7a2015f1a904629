#include "wsjtx/udp_socket.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <utility>

namespace kelvora::wsjtx {

namespace {

// The largest UDP payload over IPv4.
constexpr std::size_t kLargestDatagram = 65'507;

Failure SystemError(const std::string& what) {
  return Fail(what + ": " + std::strerror(errno), FailureKind::kBroken);
}

bool IsLoopback(std::uint32_t address) { return (address >> 24) == 127; }

}  // namespace

std::string UdpPeer::Text() const {
  in_addr a{};
  a.s_addr = htonl(address);
  char text[INET_ADDRSTRLEN] = {};
  inet_ntop(AF_INET, &a, text, sizeof text);
  return std::string(text) + ":" + std::to_string(port);
}

kelvora::Status CheckMulticastGroup(const std::string& group) {
  in_addr a{};
  if (inet_pton(AF_INET, group.c_str(), &a) != 1) {
    return Fail("'" + group + "' is not an IPv4 address");
  }
  if ((ntohl(a.s_addr) >> 28) != 0xe) {
    return Fail("'" + group + "' is not a multicast group (224.0.0.0 to 239.255.255.255)");
  }
  return Done();
}

Result<UdpSocket> UdpSocket::Open(const UdpOptions& options) {
  if (options.port < 0 || options.port > 65535) {
    return Fail("port " + std::to_string(options.port) + " is outside 0-65535");
  }
  in_addr group{};
  if (!options.group.empty()) {
    if (kelvora::Status checked = CheckMulticastGroup(options.group); !checked) {
      return checked.failure();
    }
    inet_pton(AF_INET, options.group.c_str(), &group);
  }
  const int fd = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return SystemError("socket");
  UdpSocket sock(fd, options.port, options.allowOtherHosts);
  const int on = 1;
  if (!options.group.empty()) {
    // Several listeners may share a group's port.
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
  }
  sockaddr_in local{};
  local.sin_family = AF_INET;
  local.sin_port = htons(static_cast<std::uint16_t>(options.port));
  if (!options.group.empty()) {
    local.sin_addr = group;
  } else {
    local.sin_addr.s_addr = htonl(options.allowOtherHosts ? INADDR_ANY : INADDR_LOOPBACK);
  }
  if (bind(fd, reinterpret_cast<const sockaddr*>(&local), sizeof local) != 0) {
    return SystemError("cannot listen on UDP port " + std::to_string(options.port));
  }
  if (!options.group.empty()) {
    ip_mreq membership{};
    membership.imr_multiaddr = group;
    membership.imr_interface.s_addr = htonl(options.allowOtherHosts ? INADDR_ANY : INADDR_LOOPBACK);
    if (setsockopt(fd, IPPROTO_IP, IP_ADD_MEMBERSHIP, &membership, sizeof membership) != 0) {
      return SystemError("cannot join multicast group " + options.group);
    }
  }
  sockaddr_in bound{};
  socklen_t length = sizeof bound;
  getsockname(fd, reinterpret_cast<sockaddr*>(&bound), &length);
  sock.port_ = ntohs(bound.sin_port);
  return sock;
}

UdpSocket::UdpSocket(UdpSocket&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)),
      port_(other.port_),
      allowOtherHosts_(other.allowOtherHosts_),
      dropped_(other.dropped_) {}

UdpSocket& UdpSocket::operator=(UdpSocket&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) close(fd_);
    fd_ = std::exchange(other.fd_, -1);
    port_ = other.port_;
    allowOtherHosts_ = other.allowOtherHosts_;
    dropped_ = other.dropped_;
  }
  return *this;
}

UdpSocket::~UdpSocket() {
  if (fd_ >= 0) close(fd_);
}

std::optional<Datagram> UdpSocket::Receive(int timeoutMs) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  std::vector<std::uint8_t> buffer(kLargestDatagram);
  for (;;) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    pollfd p{fd_, POLLIN, 0};
    const int ready = poll(&p, 1, static_cast<int>(left > 0 ? left : 0));
    if (ready < 0 && errno == EINTR) return std::nullopt;  // a signal: let the caller look
    if (ready <= 0) return std::nullopt;
    sockaddr_in from{};
    socklen_t length = sizeof from;
    const ssize_t size = recvfrom(fd_, buffer.data(), buffer.size(), 0,
                                  reinterpret_cast<sockaddr*>(&from), &length);
    if (size < 0) {
      if (errno == EINTR) return std::nullopt;
      continue;
    }
    const UdpPeer peer{ntohl(from.sin_addr.s_addr), ntohs(from.sin_port)};
    if (!allowOtherHosts_ && !IsLoopback(peer.address)) {
      ++dropped_;
      continue;
    }
    buffer.resize(static_cast<std::size_t>(size));
    buffer.shrink_to_fit();
    return Datagram{std::move(buffer), peer};
  }
}

kelvora::Status UdpSocket::Send(const std::vector<std::uint8_t>& bytes, const UdpPeer& peer) {
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_port = htons(peer.port);
  to.sin_addr.s_addr = htonl(peer.address);
  const ssize_t sent = sendto(fd_, bytes.data(), bytes.size(), 0,
                              reinterpret_cast<const sockaddr*>(&to), sizeof to);
  if (sent != static_cast<ssize_t>(bytes.size())) {
    return SystemError("cannot send to " + peer.Text());
  }
  return Done();
}

}  // namespace kelvora::wsjtx
