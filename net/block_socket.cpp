#include "net/block_socket.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "net/block_socket_throttle.h"
#include "net/codec.h"
#include "net/ip_text.h"
#include "net/socket_errors.h"
#include "net/socket_interface.h"
#include "net/stream.h"
#include "net/time_utils.h"

namespace ov {
namespace {

std::string Joined(std::string_view ip, std::string_view port) {
  std::string text(ip);
  text += ':';
  text += port;
  return text;
}

void SleepMs(std::uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

// Four bytes of `value`, least significant first.
std::string PackLongLE(std::uint32_t value) { return PackLongBE(SwapLongBytes(value)); }

}  // namespace

const char* HookReasonName(THookSocketReason reason) {
  static constexpr const char* kNames[] = {
      "HR_ResolvingBegin", "HR_ResolvingEnd", "HR_SocketCreate", "HR_SocketClose", "HR_Bind",
      "HR_Connect",        "HR_CanRead",      "HR_CanWrite",     "HR_Listen",      "HR_Accept",
      "HR_ReadCount",      "HR_WriteCount",   "HR_Wait",         "HR_Error"};
  return reason <= HR_Error ? kNames[reason] : "HR_?";
}

TBlockSocket::TBlockSocket() {
  EnsureSocketInterface();
  FdSetZero(fd_set_);
}

TBlockSocket::TBlockSocket(std::string_view /*stub*/) : TBlockSocket() {}

TBlockSocket::~TBlockSocket() {
  try {
    TBlockSocket::AbortSocket();
  } catch (...) {
    // A status handler that throws must not take the program down from a destructor.
  }
}

// ---- Settings reached through properties --------------------------------------------------

void TBlockSocket::SetNonBlockMode(bool value) { QueueOption({SOT_NonBlock, value, 0}); }

void TBlockSocket::SetMaxBandwidth(std::int32_t value) {
  MaxSendBandwidth = value;
  MaxRecvBandwidth = value;
}

void TBlockSocket::SetFamily(TSocketFamily value) { family_ = value; }

void TBlockSocket::SetSocket(TSocket value) {
  recv_counter_ = 0;
  send_counter_ = 0;
  socket_ = value;
  FdSetZero(fd_set_);
  FdSetAdd(socket_, fd_set_);
  GetSins();
  ip6_used_ = remote_sin_.AddressFamily == ws::kAfInet6;
}

std::int32_t TBlockSocket::SizeRecvBuffer() {
  std::int32_t value = 0;
  int length = sizeof(value);
  SockCheck(Entries().getsockopt(socket_, ws::kSolSocket, ws::kSoRcvBuf,
                                 reinterpret_cast<char*>(&value), &length));
  ExceptCheck();
  return last_error_ == 0 ? value : 1024;
}

void TBlockSocket::SetSizeRecvBuffer(std::int32_t size) { QueueOption({SOT_RecvBuff, true, size}); }

std::int32_t TBlockSocket::SizeSendBuffer() {
  std::int32_t value = 0;
  int length = sizeof(value);
  SockCheck(Entries().getsockopt(socket_, ws::kSolSocket, ws::kSoSndBuf,
                                 reinterpret_cast<char*>(&value), &length));
  ExceptCheck();
  return last_error_ == 0 ? value : 1024;
}

void TBlockSocket::SetSizeSendBuffer(std::int32_t size) { QueueOption({SOT_SendBuff, true, size}); }

std::int32_t TBlockSocket::TTL() {
  std::int32_t value = 0;
  int length = sizeof(value);
  if (ip6_used_) {
    Entries().getsockopt(socket_, ws::kIpProtoIpv6, ws::kIpv6UnicastHops,
                         reinterpret_cast<char*>(&value), &length);
  } else {
    Entries().getsockopt(socket_, ws::kIpProtoIp, ws::kIpTtl, reinterpret_cast<char*>(&value),
                         &length);
  }
  return value;
}

void TBlockSocket::SetTTL(std::int32_t ttl) { QueueOption({SOT_TTL, true, ttl}); }

const TWSAData& TBlockSocket::WSAData() const { return WsaData(); }

// ---- Events -------------------------------------------------------------------------------

void TBlockSocket::FireStatus(THookSocketReason reason, const std::string& value) {
  if (OnStatus) OnStatus(*this, reason, value);
}

void TBlockSocket::FireMonitor(bool writing, const void* buffer, std::int32_t length) {
  if (OnMonitor) OnMonitor(*this, writing, buffer, length);
}

void TBlockSocket::FireCreateSocket() {
  if (OnCreateSocket) OnCreateSocket(*this);
}

void TBlockSocket::FireHeartbeat() {
  if (OnHeartbeat && HeartbeatRate != 0) OnHeartbeat(*this);
}

// ---- Errors -------------------------------------------------------------------------------

void TBlockSocket::ResetLastError() {
  last_error_ = 0;
  last_error_desc_.clear();
}

void TBlockSocket::SetLastError(std::int32_t code) {
  last_error_ = code;
  last_error_desc_ = GetErrorDescEx();
}

std::int32_t TBlockSocket::SockCheck(std::int32_t sock_result) {
  ResetLastError();
  if (sock_result == ws::kSocketError) SetLastError(Entries().WSAGetLastError());
  return last_error_;
}

void TBlockSocket::ExceptCheck() {
  last_error_desc_ = GetErrorDescEx();
  if (last_error_ == 0 || last_error_ == ws::kWsaEWouldBlock ||
      last_error_ == ws::kWsaEInProgress) {
    return;
  }
  FireStatus(HR_Error, std::to_string(last_error_) + "," + last_error_desc_);
  if (RaiseExcept) throw ESocketError::FromCode(last_error_, last_error_desc_);
}

std::string TBlockSocket::GetErrorDesc(std::int32_t error_code) {
  return ::ov::GetErrorDesc(error_code);
}

std::string TBlockSocket::GetErrorDescEx() { return GetErrorDesc(last_error_); }

std::int32_t TBlockSocket::GetSocketType() { return 0; }

std::int32_t TBlockSocket::GetSocketProtocol() { return 0; }

int TBlockSocket::FamilyToAddressFamily(TSocketFamily family) {
  switch (family) {
    case SF_IP4:
      return ws::kAfInet;
    case SF_IP6:
      return ws::kAfInet6;
    default:
      return ws::kAfUnspec;
  }
}

// ---- Addresses ----------------------------------------------------------------------------

void TBlockSocket::PrepareSin(TVarSin& sin, std::string_view ip, std::string_view port) {
  FireStatus(HR_ResolvingBegin, Joined(ip, port));
  ResetLastError();
  TSocketFamily family = family_;
  if (family_ == SF_Any) {
    if (socket_ == ws::kInvalidSocket) {
      family = IsIP4Text(ip) ? SF_IP4 : IsIP6Text(ip) ? SF_IP6 : SF_Any;
    } else {
      // An open handle can only use addresses of its own family.
      family = ip6_used_ ? SF_IP6 : SF_IP4;
    }
  }
  SetLastError(ResolveSin(sin, ip, port, FamilyToAddressFamily(family), GetSocketProtocol(),
                          GetSocketType(), PreferIP4));
  FireStatus(HR_ResolvingEnd, SinToIP(sin) + ":" + std::to_string(SinToPort(sin)));
}

void TBlockSocket::GetSinLocal() { SockLocalName(socket_, local_sin_); }

void TBlockSocket::GetSinRemote() { SockPeerName(socket_, remote_sin_); }

void TBlockSocket::GetSins() {
  GetSinLocal();
  GetSinRemote();
}

std::string TBlockSocket::GetLocalSinIP() { return SinToIP(local_sin_); }

std::string TBlockSocket::GetRemoteSinIP() { return SinToIP(remote_sin_); }

std::int32_t TBlockSocket::GetLocalSinPort() { return SinToPort(local_sin_); }

std::int32_t TBlockSocket::GetRemoteSinPort() { return SinToPort(remote_sin_); }

void TBlockSocket::SetRemoteSin(std::string_view ip, std::string_view port) {
  PrepareSin(remote_sin_, ip, port);
}

std::string TBlockSocket::LocalName() {
  std::string name = LocalHostName();
  return name.empty() ? "127.0.0.1" : name;
}

void TBlockSocket::ResolveNameToIP(std::string_view name, std::vector<std::string>& ip_list) {
  ip_list.clear();
  LookupNameToIPs(name, FamilyToAddressFamily(family_), GetSocketProtocol(), GetSocketType(),
                  ip_list);
  if (ip_list.empty()) ip_list.push_back("0.0.0.0");
}

std::string TBlockSocket::ResolveName(std::string_view name) {
  std::vector<std::string> list;
  ResolveNameToIP(name, list);
  return list.front();
}

std::string TBlockSocket::ResolveIPToName(std::string_view ip) {
  std::string address(ip);
  if (!IsIP4Text(address) && !IsIP6Text(address)) address = ResolveName(address);
  return LookupIPToName(address, FamilyToAddressFamily(family_), GetSocketProtocol(),
                        GetSocketType());
}

std::uint16_t TBlockSocket::ResolvePort(std::string_view port) {
  return LookupPort(port, FamilyToAddressFamily(family_), GetSocketProtocol(), GetSocketType());
}

// ---- Handle and options -------------------------------------------------------------------

void TBlockSocket::OpenSocketHandle(const TVarSin& sin) {
  StopFlag = false;
  recv_counter_ = 0;
  send_counter_ = 0;
  ResetLastError();
  if (socket_ != ws::kInvalidSocket) return;
  line_buffer_.Clear();
  ip6_used_ = sin.AddressFamily == ws::kAfInet6;
  socket_ = Entries().socket(sin.AddressFamily, GetSocketType(), GetSocketProtocol());
  if (socket_ == ws::kInvalidSocket) SetLastError(Entries().WSAGetLastError());
  FdSetZero(fd_set_);
  FdSetAdd(socket_, fd_set_);
  ExceptCheck();
  FireStatus(HR_SocketCreate, ip6_used_ ? "IPv6" : "IPv4");
  ApplyQueuedOptions();
  FireCreateSocket();
}

void TBlockSocket::CreateSocket() {
  ResetLastError();
  if (family_ == SF_Any || socket_ != ws::kInvalidSocket) return;
  TVarSin sin{};
  sin.AddressFamily = family_ == SF_IP6 ? ws::kAfInet6 : ws::kAfInet;
  OpenSocketHandle(sin);
}

void TBlockSocket::CreateSocketByName(std::string_view value) {
  if (socket_ != ws::kInvalidSocket) return;
  TVarSin sin{};
  PrepareSin(sin, value, "0");
  if (last_error_ == 0) OpenSocketHandle(sin);
}

void TBlockSocket::QueueOption(const TSocketOption& option) {
  if (socket_ == ws::kInvalidSocket) {
    option_queue_.push_back(option);
  } else {
    ApplyOption(option);
  }
}

void TBlockSocket::ApplyQueuedOptions() {
  std::vector<TSocketOption> queue;
  queue.swap(option_queue_);
  for (const TSocketOption& option : queue) ApplyOption(option);
}

void TBlockSocket::ApplyOption(const TSocketOption& option) {
  const SocketEntries& e = Entries();
  auto set_int = [&](int level, int name, std::int32_t value) {
    e.setsockopt(socket_, level, name, reinterpret_cast<const char*>(&value), sizeof(value));
  };
  const int ip_level = ip6_used_ ? ws::kIpProtoIpv6 : ws::kIpProtoIp;
  switch (option.Option) {
    case SOT_Linger: {
      TLinger linger{static_cast<std::uint16_t>(option.Enabled ? 1 : 0),
                     static_cast<std::uint16_t>(option.Value / 1000)};
      e.setsockopt(socket_, ws::kSolSocket, ws::kSoLinger, reinterpret_cast<const char*>(&linger),
                   sizeof(linger));
      break;
    }
    case SOT_RecvBuff:
      set_int(ws::kSolSocket, ws::kSoRcvBuf, option.Value);
      break;
    case SOT_SendBuff:
      set_int(ws::kSolSocket, ws::kSoSndBuf, option.Value);
      break;
    case SOT_NonBlock: {
      non_block_mode_ = option.Enabled;
      std::uint32_t on = option.Enabled ? 1 : 0;
      e.ioctlsocket(socket_, ws::kFionBio, &on);
      break;
    }
    case SOT_RecvTimeout:
      set_int(ws::kSolSocket, ws::kSoRcvTimeo, option.Value);
      break;
    case SOT_SendTimeout:
      set_int(ws::kSolSocket, ws::kSoSndTimeo, option.Value);
      break;
    case SOT_Reuse:
      set_int(ws::kSolSocket, ws::kSoReuseAddr, option.Enabled ? 1 : 0);
      break;
    case SOT_TTL:
      set_int(ip_level, ip6_used_ ? ws::kIpv6UnicastHops : ws::kIpTtl, option.Value);
      break;
    case SOT_Broadcast:
      set_int(ws::kSolSocket, ws::kSoBroadcast, option.Enabled ? 1 : 0);
      break;
    case SOT_MulticastTTL:
      set_int(ip_level, ws::kIpMulticastTtl, option.Value);
      break;
    case SOT_MulticastLoop:
      set_int(ip_level, ws::kIpMulticastLoop, option.Enabled ? 1 : 0);
      break;
  }
}

void TBlockSocket::SetLinger(bool enable, std::int32_t linger_ms) {
  QueueOption({SOT_Linger, enable, linger_ms});
}

void TBlockSocket::EnableReuse(bool value) { QueueOption({SOT_Reuse, value, 0}); }

void TBlockSocket::SetSendTimeout(std::int32_t timeout) {
  QueueOption({SOT_SendTimeout, true, timeout});
}

void TBlockSocket::SetRecvTimeout(std::int32_t timeout) {
  QueueOption({SOT_RecvTimeout, true, timeout});
}

void TBlockSocket::SetTimeout(std::int32_t timeout) {
  SetSendTimeout(timeout);
  SetRecvTimeout(timeout);
}

void TBlockSocket::CloseSocket() { AbortSocket(); }

void TBlockSocket::AbortSocket() {
  // A socket that outlives the interface (destroyed after its shut-down) has nothing to close.
  if (socket_ != ws::kInvalidSocket && Entries().closesocket != nullptr) {
    Entries().closesocket(socket_);
  }
  socket_ = ws::kInvalidSocket;
  option_queue_.clear();
  FireStatus(HR_SocketClose, "");
}

// ---- Connection ---------------------------------------------------------------------------

void TBlockSocket::Bind(std::string_view ip, std::string_view port) {
  ResetLastError();
  if (socket_ == ws::kInvalidSocket && family_ == SF_Any && ip == "0.0.0.0" && port == "0") {
    return;
  }
  TVarSin sin{};
  PrepareSin(sin, ip, port);
  if (last_error_ == 0) {
    if (socket_ == ws::kInvalidSocket) OpenSocketHandle(sin);
    SockCheck(SockBind(socket_, sin));
    GetSinLocal();
    line_buffer_.Clear();
  }
  ExceptCheck();
  FireStatus(HR_Bind, Joined(ip, port));
}

void TBlockSocket::Connect(std::string_view ip, std::string_view port) {
  TVarSin sin{};
  PrepareSin(sin, ip, port);
  if (last_error_ == 0) {
    if (socket_ == ws::kInvalidSocket) OpenSocketHandle(sin);
    if (ConnectionTimeout > 0) {
      ConnectWithTimeout(sin);
    } else {
      SockCheck(SockConnect(socket_, sin));
    }
    if (last_error_ == 0) GetSins();
    line_buffer_.Clear();
    last_cr_ = false;
    last_lf_ = false;
  }
  ExceptCheck();
  FireStatus(HR_Connect, Joined(ip, port));
}

void TBlockSocket::ConnectWithTimeout(const TVarSin& sin) {
  const bool was_non_blocking = non_block_mode_;
  SetNonBlockMode(true);
  SockCheck(SockConnect(socket_, sin));
  if (last_error_ == ws::kWsaEInProgress || last_error_ == ws::kWsaEWouldBlock) {
    if (WaitConnectOutcome(ConnectionTimeout)) {
      // Ready can also mean failed: the socket's pending error tells which.
      const std::int32_t pending = PendingSocketError();
      if (pending != 0) {
        SetLastError(pending);
      } else {
        ResetLastError();
        FireStatus(HR_CanWrite, "");
      }
    } else {
      SetLastError(ws::kWsaETimedOut);
    }
  }
  SetNonBlockMode(was_non_blocking);
}

bool TBlockSocket::WaitConnectOutcome(std::int32_t timeout) {
  // Like CanWrite, but a refused attempt is reported through the exception set on Windows,
  // so that set is watched too.
  std::int32_t repeats = 0;
  std::int32_t first = timeout;
  if (HeartbeatRate != 0 && timeout != -1) {
    repeats = timeout / HeartbeatRate;
    first = timeout % HeartbeatRate;
  }
  bool ready = WaitSelect(false, true, true, first);
  for (std::int32_t i = 0; !ready && i <= repeats; ++i) {
    FireHeartbeat();
    if (StopFlag.exchange(false)) break;
    ready = WaitSelect(false, true, true, HeartbeatRate);
  }
  return ready;
}

std::int32_t TBlockSocket::PendingSocketError() {
  std::int32_t value = 0;
  int length = sizeof(value);
  if (Entries().getsockopt(socket_, ws::kSolSocket, ws::kSoError, reinterpret_cast<char*>(&value),
                           &length) != 0) {
    return Entries().WSAGetLastError();
  }
  return value;
}

void TBlockSocket::Listen() {
  SockCheck(Entries().listen(socket_, 0x7FFFFFFF));
  GetSins();
  ExceptCheck();
  FireStatus(HR_Listen, "");
}

TSocket TBlockSocket::Accept() {
  const TSocket accepted = SockAccept(socket_, remote_sin_);
  if (accepted == ws::kInvalidSocket) {
    SockCheck(ws::kSocketError);
  } else {
    ResetLastError();
  }
  ExceptCheck();
  FireStatus(HR_Accept, "");
  return accepted;
}

// ---- Stop flag and throttle ---------------------------------------------------------------

bool TBlockSocket::CheckStopFlag() {
  FireHeartbeat();
  if (!StopFlag.exchange(false)) return false;
  SetLastError(ws::kWsaEConnAborted);
  ExceptCheck();
  return true;
}

void TBlockSocket::ThrottleBandwidth(std::int64_t length, std::int32_t limit,
                                     std::uint32_t& next_time) {
  if (StopFlag || limit <= 0) return;
  const std::uint32_t wait = ThrottleWaitMs(MillisecondTick(), next_time);
  if (wait > 0) {
    FireStatus(HR_Wait, std::to_string(wait));
    SleepMs(wait % 250);
    for (std::uint32_t i = 0; i < wait / 250; ++i) {
      if (StopFlag) break;
      SleepMs(250);
    }
  }
  next_time = ThrottleNextTick(MillisecondTick(), length, limit);
}

// ---- Sending ------------------------------------------------------------------------------

std::int32_t TBlockSocket::SendBuffer(const void* buffer, std::int32_t length) {
  if (CheckStopFlag()) return 0;
  ResetLastError();
  FireMonitor(true, buffer, length);
  const char* bytes = static_cast<const char*>(buffer);
  std::int32_t result = 0;
  std::int32_t sent = 0;
  while (sent < length) {
    const std::int32_t piece = std::min(length - sent, SendMaxChunk);
    if (piece <= 0) break;
    ThrottleBandwidth(piece, MaxSendBandwidth, next_send_time_);
    std::int32_t r = SockSend(socket_, bytes + sent, piece, 0);
    SockCheck(r);
    if (last_error_ == ws::kWsaEWouldBlock) {
      if (CanWrite(NonblockSendTimeout)) {
        r = SockSend(socket_, bytes + sent, piece, 0);
        SockCheck(r);
      } else {
        SetLastError(ws::kWsaETimedOut);
      }
    }
    if (last_error_ != 0) break;
    sent += r;
    result += r;
    send_counter_ += r;
    FireStatus(HR_WriteCount, std::to_string(r));
  }
  ExceptCheck();
  return result;
}

void TBlockSocket::SendByte(std::uint8_t data) { SendBuffer(&data, 1); }

void TBlockSocket::SendString(std::string_view data) {
  SendBuffer(data.data(), static_cast<std::int32_t>(data.size()));
}

void TBlockSocket::SendInteger(std::int32_t data) {
  SendString(PackLongLE(static_cast<std::uint32_t>(data)));
}

void TBlockSocket::SendBlock(std::string_view data) {
  std::string framed = PackLongLE(static_cast<std::uint32_t>(data.size()));
  framed += data;
  SendString(framed);
}

void TBlockSocket::SendStreamCore(Stream& stream, bool with_size, bool size_msb_first) {
  std::string prefix;
  if (with_size) {
    const auto size = static_cast<std::uint32_t>(stream.Size() - stream.Position());
    prefix = size_msb_first ? PackLongBE(size) : PackLongLE(size);
  }
  const auto chunk_size = static_cast<std::size_t>(std::max<std::int32_t>(SendMaxChunk, 1));
  bool first = true;
  for (;;) {
    std::string chunk = ReadBytesFromStream(stream, chunk_size);
    if (chunk.empty()) break;
    if (first) {
      SendString(prefix + chunk);
      first = false;
    } else {
      SendString(chunk);
    }
    if (last_error_ != 0) break;
  }
}

void TBlockSocket::SendStreamRaw(Stream& stream) { SendStreamCore(stream, false, false); }

void TBlockSocket::SendStream(Stream& stream) { SendStreamCore(stream, true, false); }

void TBlockSocket::SendStreamIndy(Stream& stream) { SendStreamCore(stream, true, true); }

std::int32_t TBlockSocket::SendBufferTo(const void* buffer, std::int32_t length) {
  if (CheckStopFlag()) return 0;
  FireMonitor(true, buffer, length);
  ThrottleBandwidth(length, MaxSendBandwidth, next_send_time_);
  const std::int32_t r = SockSendTo(socket_, buffer, length, 0, remote_sin_);
  SockCheck(r);
  ExceptCheck();
  if (r >= 0) {
    send_counter_ += r;
    FireStatus(HR_WriteCount, std::to_string(r));
  }
  return r;
}

// ---- Waiting ------------------------------------------------------------------------------

bool TBlockSocket::WaitSelect(bool read, bool write, bool except, std::int32_t timeout) {
  TFDSet read_set = fd_set_;
  TFDSet write_set = fd_set_;
  TFDSet except_set = fd_set_;
  TTimeVal limit{timeout / 1000, (timeout % 1000) * 1000};
  const int r = Entries().select(static_cast<int>(socket_ + 1), read ? &read_set : nullptr,
                                 write ? &write_set : nullptr, except ? &except_set : nullptr,
                                 timeout == -1 ? nullptr : &limit);
  SockCheck(r);
  return r > 0 && last_error_ == 0;
}

bool TBlockSocket::WaitReadable(std::int32_t timeout) {
  return WaitSelect(true, false, false, timeout);
}

bool TBlockSocket::WaitWritable(std::int32_t timeout) {
  return WaitSelect(false, true, false, timeout);
}

bool TBlockSocket::WaitWithHeartbeat(bool reading, std::int32_t timeout) {
  const auto wait = [this, reading](std::int32_t ms) {
    return reading ? WaitReadable(ms) : WaitWritable(ms);
  };
  std::int32_t repeats = 0;
  std::int32_t first = timeout;
  if (HeartbeatRate != 0 && timeout != -1) {
    repeats = timeout / HeartbeatRate;
    first = timeout % HeartbeatRate;
  }
  bool ready = wait(first);
  for (std::int32_t i = 0; !ready && i <= repeats; ++i) {
    FireHeartbeat();
    if (StopFlag.exchange(false)) break;
    ready = wait(HeartbeatRate);
  }
  ExceptCheck();
  if (ready) FireStatus(reading ? HR_CanRead : HR_CanWrite, "");
  return ready;
}

bool TBlockSocket::CanRead(std::int32_t timeout) { return WaitWithHeartbeat(true, timeout); }

bool TBlockSocket::CanWrite(std::int32_t timeout) { return WaitWithHeartbeat(false, timeout); }

std::int32_t TBlockSocket::WaitingData() {
  std::uint32_t count = 0;
  if (Entries().ioctlsocket(socket_, ws::kFionRead, &count) != 0) return 0;
  return static_cast<std::int32_t>(std::min<std::uint32_t>(count, 65536));
}

bool TBlockSocket::GroupCanRead(const std::vector<TBlockSocket*>& socket_list, std::int32_t timeout,
                                std::vector<TBlockSocket*>& can_read_list) {
  TFDSet set;
  FdSetZero(set);
  TSocket highest = 0;
  for (TBlockSocket* s : socket_list) {
    if (s == nullptr) continue;
    FdSetAdd(s->Socket(), set);
    highest = std::max(highest, s->Socket());
  }
  TTimeVal limit{timeout / 1000, (timeout % 1000) * 1000};
  const int r = Entries().select(static_cast<int>(highest + 1), &set, nullptr, nullptr,
                                 timeout == -1 ? nullptr : &limit);
  SockCheck(r);
  ExceptCheck();
  can_read_list.clear();
  const bool any = r > 0 && last_error_ == 0;
  if (any) {
    for (TBlockSocket* s : socket_list) {
      if (s != nullptr && FdSetHas(s->Socket(), set)) can_read_list.push_back(s);
    }
  }
  return any;
}

}  // namespace ov
