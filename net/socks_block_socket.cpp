#include "net/socks_block_socket.h"

#include "net/ansi.h"

namespace ov {
namespace {

constexpr std::int32_t kSocksFailure = ws::kWsaSysNotReady;  // 10091

bool ByteIs(const std::string& bytes, std::size_t index, unsigned char value) {
  return bytes.size() > index && static_cast<unsigned char>(bytes[index]) == value;
}

}  // namespace

bool TSocksBlockSocket::SocksOpen() {
  using_socks_ = false;
  if (SocksType == TSocksType::ST_Socks4) {
    using_socks_ = true;
    return true;
  }
  const std::optional<std::string> credentials =
      SocksUserPassRequest(Utf8ToAnsi(SocksUsername), Utf8ToAnsi(SocksPassword));
  if (!SocksUsername.empty() && !credentials) return false;

  SendString(SocksGreeting(!SocksUsername.empty()));
  if (LastError() != 0) return false;
  std::string reply = RecvBufferStr(2, SocksTimeout);
  if (reply.size() < 2 || !ByteIs(reply, 0, 0x05)) return false;
  if (ByteIs(reply, 1, 0x02)) {
    if (!credentials) return false;
    SendString(*credentials);
    if (LastError() != 0) return false;
    reply = RecvBufferStr(2, SocksTimeout);
    if (reply.size() < 2 || !ByteIs(reply, 1, 0x00)) return false;
  } else if (!ByteIs(reply, 1, 0x00)) {
    return false;
  }
  using_socks_ = true;
  return true;
}

bool TSocksBlockSocket::SocksRequest(std::uint8_t Cmd, std::string_view IP, std::string_view Port) {
  const std::optional<std::string> address = SocksEncodeAddress(IP, Port);
  if (!address) {
    SetLastError(kSocksFailure);  // announced by the caller's check
    return false;
  }
  std::string request;
  if (SocksType == TSocksType::ST_Socks4) {
    request = {'\x04', static_cast<char>(Cmd)};
  } else {
    request = {'\x05', static_cast<char>(Cmd), '\x00'};
  }
  SendString(request + *address);
  return LastError() == 0;
}

bool TSocksBlockSocket::SocksResponse() {
  socks_response_ip_.clear();
  socks_response_port_.clear();
  socks_last_error_ = -1;
  const std::string reply =
      SocksType == TSocksType::ST_Socks4 ? ReadSocks4Reply() : ReadSocks5Reply();
  if (reply.empty()) return false;
  socks_last_error_ = static_cast<unsigned char>(reply[1]);
  if (socks_last_error_ != 0 && socks_last_error_ != 90) return false;
  SocksDecodeAddress(reply);
  return true;
}

// The whole 8-byte reply, or empty when it could not be read or is not a SOCKS 4 reply.
std::string TSocksBlockSocket::ReadSocks4Reply() {
  std::string reply = RecvBufferStr(8, SocksTimeout);
  if (LastError() != 0 || reply.size() < 8 || !ByteIs(reply, 0, 0x00)) return {};
  return reply;
}

// Header, address part and port of one reply, or empty when any of it could not be read or
// the reply is not a SOCKS 5 reply of a known address type.
std::string TSocksBlockSocket::ReadSocks5Reply() {
  std::string reply = RecvBufferStr(4, SocksTimeout);
  if (LastError() != 0 || reply.size() < 4 || !ByteIs(reply, 0, 0x05)) return {};
  switch (static_cast<unsigned char>(reply[3])) {
    case 0x01:
      reply += RecvBufferStr(4, SocksTimeout);
      break;
    case 0x03: {
      const std::uint8_t length = RecvByte(SocksTimeout);
      if (LastError() != 0) return {};
      reply += static_cast<char>(length);
      reply += RecvBufferStr(length, SocksTimeout);
      break;
    }
    case 0x04:
      reply += RecvBufferStr(16, SocksTimeout);
      break;
    default:
      return {};
  }
  if (LastError() != 0) return {};
  reply += RecvBufferStr(2, SocksTimeout);
  if (LastError() != 0) return {};
  return reply;
}

std::optional<std::string> TSocksBlockSocket::SocksEncodeAddress(std::string_view IP,
                                                                 std::string_view Port) {
  const std::string ip = SocksResolver ? std::string(IP) : ResolveName(IP);
  return SocksEncodeAddressBytes(SocksType, Utf8ToAnsi(ip), ResolvePort(Port),
                                 Utf8ToAnsi(SocksUsername));
}

void TSocksBlockSocket::SocksDecodeAddress(std::string_view reply) {
  SocksReplyAddress decoded = SocksDecodeAddressBytes(SocksType, reply);
  socks_response_ip_ = AnsiToUtf8(decoded.ip);
  socks_response_port_ = std::move(decoded.port);
}

}  // namespace ov
