// The plain UDP socket of the command line: loopback round trip, datagrams
// from another host of this machine dropped, options refused with a reason.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <string>

#include "wsjtx/udp_socket.h"

namespace kelvora::wsjtx {
namespace {

// This machine's first IPv4 address that is not a loopback one, or 0.
std::uint32_t OwnOtherAddress() {
  ifaddrs* list = nullptr;
  std::uint32_t own = 0;
  if (getifaddrs(&list) != 0) return 0;
  for (ifaddrs* a = list; a != nullptr && own == 0; a = a->ifa_next) {
    if (a->ifa_addr == nullptr || a->ifa_addr->sa_family != AF_INET) continue;
    const std::uint32_t address = ntohl(reinterpret_cast<sockaddr_in*>(a->ifa_addr)->sin_addr.s_addr);
    if ((address >> 24) != 127) own = address;
  }
  freeifaddrs(list);
  return own;
}

TEST(WsjtxUdpSocket, LoopbackOnlyUnlessAllowed) {
  auto a = UdpSocket::Open(UdpOptions{});
  auto b = UdpSocket::Open(UdpOptions{});
  ASSERT_TRUE(a && b);
  UdpSocket& listener = *a;
  UdpSocket& sender = *b;
  const UdpPeer to{0x7f000001, static_cast<std::uint16_t>(listener.port())};
  ASSERT_TRUE(sender.Send({1, 2, 3}, to).ok());
  const auto got = listener.Receive(2000);
  ASSERT_TRUE(got);
  EXPECT_EQ(got->bytes, (std::vector<std::uint8_t>{1, 2, 3}));
  EXPECT_EQ(got->from, (UdpPeer{0x7f000001, static_cast<std::uint16_t>(sender.port())}));
  EXPECT_FALSE(listener.Receive(50));  // nothing more: a timeout, no hang

  // Sent to 127.0.0.1 from this machine's own network address: dropped.
  if (const std::uint32_t own = OwnOtherAddress(); own != 0) {
    const int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in from{};
    from.sin_family = AF_INET;
    from.sin_addr.s_addr = htonl(own);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&from), sizeof from), 0);
    sockaddr_in dest{};
    dest.sin_family = AF_INET;
    dest.sin_port = htons(to.port);
    dest.sin_addr.s_addr = htonl(to.address);
    const char byte = 7;
    ::sendto(fd, &byte, 1, 0, reinterpret_cast<sockaddr*>(&dest), sizeof dest);
    ::close(fd);
    EXPECT_FALSE(listener.Receive(300));
    EXPECT_EQ(listener.dropped(), 1u);
  }
}

TEST(WsjtxUdpSocket, RefusesBadOptionsWithAReason) {
  const struct {
    UdpOptions options;
    const char* reason;
  } cases[] = {
      {{70000, "", false}, "port 70000 is outside 0-65535"},
      {{0, "10.0.0.1", false}, "'10.0.0.1' is not a multicast group"},
      {{0, "239.1", false}, "'239.1' is not an IPv4 address"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.reason);
    const auto opened = UdpSocket::Open(c.options);
    ASSERT_FALSE(opened);
    EXPECT_NE(opened.reason().find(c.reason), std::string::npos) << opened.reason();
  }
  // A port already taken.
  const auto first = UdpSocket::Open(UdpOptions{});
  ASSERT_TRUE(first);
  const auto second = UdpSocket::Open(UdpOptions{first->port(), "", false});
  ASSERT_FALSE(second);
  EXPECT_NE(second.reason().find("cannot listen on UDP port"), std::string::npos);
}

}  // namespace
}  // namespace kelvora::wsjtx
