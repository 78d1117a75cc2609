// The reading operations of TBlockSocket: the raw receive call and the readers built on the
// receive buffer (packets, exact lengths, lines, integers, blocks, streams), plus peeking,
// datagram receive and purging.
#include <algorithm>
#include <chrono>
#include <cstring>
#include <limits>
#include <memory>
#include <thread>

#include "net/block_socket.h"
#include "net/codec.h"
#include "net/socket_errors.h"
#include "net/stream.h"
#include "net/text_utils.h"
#include "net/time_utils.h"

namespace ov {

void TBlockSocket::ApplyReadFilter(void* buffer, std::int32_t& count) {
  if (!OnReadFilter || count <= 0) return;
  std::string value(static_cast<const char*>(buffer), static_cast<std::size_t>(count));
  OnReadFilter(*this, value);
  if (value.size() > static_cast<std::size_t>(count)) value.resize(static_cast<std::size_t>(count));
  count = static_cast<std::int32_t>(value.size());
  std::memcpy(buffer, value.data(), value.size());
}

void TBlockSocket::DeliverReceived(void* buffer, std::int32_t& count) {
  recv_counter_ += count;
  FireStatus(HR_ReadCount, std::to_string(count));
  FireMonitor(false, buffer, count);
  ApplyReadFilter(buffer, count);
}

std::int32_t TBlockSocket::RecvBuffer(void* buffer, std::int32_t length) {
  if (CheckStopFlag()) return 0;
  ThrottleBandwidth(length, MaxRecvBandwidth, next_recv_time_);
  std::int32_t r = SockRecv(socket_, buffer, length, 0);
  if (r == 0) {
    SetLastError(ws::kWsaEConnReset);  // the peer has closed
  } else {
    SockCheck(r);
  }
  ExceptCheck();
  if (r > 0) DeliverReceived(buffer, r);
  return r;
}

std::int32_t TBlockSocket::RecvBufferFrom(void* buffer, std::int32_t length) {
  if (CheckStopFlag()) return 0;
  ThrottleBandwidth(length, MaxRecvBandwidth, next_recv_time_);
  const std::int32_t r = SockRecvFrom(socket_, buffer, length, 0, remote_sin_);
  SockCheck(r);
  ExceptCheck();
  if (r >= 0) {
    recv_counter_ += r;
    FireStatus(HR_ReadCount, std::to_string(r));
    FireMonitor(false, buffer, r);
  }
  return r;
}

std::int32_t TBlockSocket::PeekBuffer(void* buffer, std::int32_t length) {
  const std::int32_t r = SockRecv(socket_, buffer, length, ws::kMsgPeek);
  SockCheck(r);
  ExceptCheck();
  return r;
}

std::uint8_t TBlockSocket::PeekByte(std::int32_t timeout) {
  std::uint8_t byte = 0;
  if (CanRead(timeout)) {
    PeekBuffer(&byte, 1);
  } else {
    SetLastError(ws::kWsaETimedOut);
  }
  ExceptCheck();
  return byte;
}

// ---- Packets ------------------------------------------------------------------------------

void TBlockSocket::ConvertPacketLineEnds(std::string& packet) {
  if (!ConvertLineEnd || packet.empty()) return;
  // The line before ended in a lone CR (or LF) at the end of the data: drop its partner here.
  if (last_cr_ && packet.front() == '\n') packet.erase(0, 1);
  if (!packet.empty() && last_lf_ && packet.front() == '\r') packet.erase(0, 1);
  last_cr_ = false;
  last_lf_ = false;
}

void TBlockSocket::NormalizeBufferFront() {
  // The conversion RecvPacket would apply to the buffer as a packet, done in place.
  if (!ConvertLineEnd || line_buffer_.Empty()) return;
  if (last_cr_ && line_buffer_.View().front() == '\n') line_buffer_.Consume(1);
  if (!line_buffer_.Empty() && last_lf_ && line_buffer_.View().front() == '\r') {
    line_buffer_.Consume(1);
  }
  last_cr_ = false;
  last_lf_ = false;
}

std::int32_t TBlockSocket::WaitForNetworkData(std::int32_t timeout) {
  std::this_thread::yield();
  std::int32_t waiting = WaitingData();
  if (waiting == 0) {
    if (CanRead(timeout)) {
      waiting = WaitingData();
      if (waiting == 0) SetLastError(ws::kWsaEConnReset);  // readable with nothing: closed
    } else {
      SetLastError(ws::kWsaETimedOut);
    }
  }
  return std::max(waiting, 0);
}

std::string TBlockSocket::ReadPacketFromNetwork(std::int32_t timeout) {
  const std::int32_t waiting = WaitForNetworkData(timeout);
  if (waiting == 0) return {};
  std::string packet(static_cast<std::size_t>(waiting), '\0');
  const std::int32_t r = RecvBuffer(packet.data(), waiting);
  if (r < 0) return {};
  packet.resize(static_cast<std::size_t>(r));
  return packet;
}

std::string TBlockSocket::RecvPacket(std::int32_t timeout) {
  ResetLastError();
  std::string packet =
      line_buffer_.Empty() ? ReadPacketFromNetwork(timeout) : line_buffer_.TakeAll();
  ConvertPacketLineEnds(packet);
  ExceptCheck();
  return packet;
}

// ---- Exact lengths ------------------------------------------------------------------------

// Reads exactly `length` bytes unless an error or the timeout intervenes; returns the count
// delivered. `room(offset, n)` gives the place for n bytes at `offset` of the result. Bytes
// already buffered are taken in place. A network read takes everything waiting, as a packet
// read does; when all of it is wanted it goes straight to its place, otherwise through the
// buffer, which keeps the surplus for the next reader.
template <typename Room>
std::int32_t TBlockSocket::ReadExact(std::int32_t length, std::int32_t timeout, Room&& room) {
  ResetLastError();
  if (length <= 0) return 0;
  std::int32_t got = 0;
  // With a whole-call budget, -1 still means no limit at all.
  auto budget_spent = [&](std::uint32_t start) {
    if (InterPacketTimeout || timeout < 0) return false;
    timeout -= static_cast<std::int32_t>(TickDifference(start, MillisecondTick()));
    if (timeout > 0) return false;
    SetLastError(ws::kWsaETimedOut);
    return true;
  };
  auto take_from_buffer = [&] {
    NormalizeBufferFront();
    const auto take =
        std::min<std::size_t>(line_buffer_.Size(), static_cast<std::size_t>(length - got));
    if (take > 0)
      std::memcpy(room(static_cast<std::size_t>(got), take), line_buffer_.View().data(), take);
    line_buffer_.Consume(take);
    got += static_cast<std::int32_t>(take);
  };
  for (;;) {
    const std::uint32_t start = MillisecondTick();
    if (!line_buffer_.Empty() || (ConvertLineEnd && (last_cr_ || last_lf_))) {
      if (line_buffer_.Empty()) line_buffer_.Assign(RecvPacket(timeout));
      take_from_buffer();
    } else {
      ResetLastError();
      const std::int32_t waiting = WaitForNetworkData(timeout);
      if (waiting > 0 && waiting <= length - got) {
        const std::int32_t r = RecvBuffer(
            room(static_cast<std::size_t>(got), static_cast<std::size_t>(waiting)), waiting);
        got += std::max(r, 0);
      } else if (waiting > 0) {
        // More is waiting than wanted: the whole packet is read and the surplus buffered.
        std::string packet(static_cast<std::size_t>(waiting), '\0');
        const std::int32_t r = RecvBuffer(packet.data(), waiting);
        packet.resize(static_cast<std::size_t>(std::max(r, 0)));
        line_buffer_.Assign(std::move(packet));
        take_from_buffer();
      }
      ExceptCheck();
    }
    if (last_error_ != 0 || got >= length || budget_spent(start)) break;
  }
  return got;
}

std::int32_t TBlockSocket::RecvBufferEx(void* buffer, std::int32_t length, std::int32_t timeout) {
  char* out = static_cast<char*>(buffer);
  return ReadExact(length, timeout,
                   [out](std::size_t offset, std::size_t) { return out + offset; });
}

std::string TBlockSocket::RecvBufferStr(std::int32_t length, std::int32_t timeout) {
  if (length < 1) return {};
  // The string grows with the data that actually arrives, so a huge announced length costs
  // nothing until the bytes are there.
  std::string result;
  result.reserve(static_cast<std::size_t>(std::min<std::int32_t>(length, 65536)));
  const std::int32_t got =
      ReadExact(length, timeout, [&result](std::size_t offset, std::size_t count) {
        result.resize(offset + count);
        return result.data() + offset;
      });
  if (last_error_ != 0) return {};
  result.resize(static_cast<std::size_t>(got));
  return result;
}

std::uint8_t TBlockSocket::RecvByte(std::int32_t timeout) {
  ResetLastError();
  if (line_buffer_.Empty()) line_buffer_.Assign(RecvPacket(timeout));
  std::uint8_t byte = 0;
  if (last_error_ == 0 && !line_buffer_.Empty()) {
    byte = static_cast<std::uint8_t>(line_buffer_.View().front());
    line_buffer_.Consume(1);
  }
  ExceptCheck();
  return byte;
}

std::int32_t TBlockSocket::RecvInteger(std::int32_t timeout) {
  const std::string bytes = RecvBufferStr(4, timeout);
  if (last_error_ != 0 || bytes.size() != 4) return 0;
  const auto b = [&bytes](int i) {
    return static_cast<std::uint32_t>(static_cast<std::uint8_t>(bytes[i]));
  };
  return static_cast<std::int32_t>(b(0) | b(1) << 8 | b(2) << 16 | b(3) << 24);
}

std::string TBlockSocket::RecvBlock(std::int32_t timeout) {
  const std::int32_t length = RecvInteger(timeout);
  if (last_error_ != 0) return {};
  return RecvBufferStr(length, timeout);
}

// ---- Lines --------------------------------------------------------------------------------

TBlockSocket::LineEnd TBlockSocket::FindLineEnd(std::string_view data, std::size_t from,
                                                bool crlf_mode, std::string_view terminator) {
  LineEnd end;
  if (from >= data.size()) return end;
  if (crlf_mode) {
    std::string found;
    const int x = FindLineBreak(data.substr(from), found);  // 1-based, -1 = none
    if (x > 0) {
      end = {true, from + static_cast<std::size_t>(x) - 1, found.size()};
      if (found == "\r") last_cr_ = true;
      if (found == "\n") last_lf_ = true;
    }
    return end;
  }
  const std::size_t pos = data.find(terminator, from);
  if (pos != std::string_view::npos) end = {true, pos, terminator.size()};
  return end;
}

bool TBlockSocket::LineTooLong(std::size_t length) const {
  return MaxLineLength != 0 && length > static_cast<std::size_t>(std::max(MaxLineLength, 0));
}

std::string TBlockSocket::RecvTerminated(std::int32_t timeout, std::string_view terminator) {
  ResetLastError();
  if (terminator.empty()) return {};
  const bool crlf_mode = ConvertLineEnd && terminator == "\r\n";
  std::string result;

  // A line already held in the buffer is cut out in place.
  NormalizeBufferFront();
  LineEnd end = FindLineEnd(line_buffer_.View(), 0, crlf_mode, terminator);
  if (end.found) {
    result.assign(line_buffer_.View().substr(0, end.pos));
    line_buffer_.Consume(end.pos + end.length);
    if (LineTooLong(end.pos)) SetLastError(ws::kWsaENoBufs);
    ExceptCheck();
    return result;
  }

  std::string data = line_buffer_.TakeAll();
  std::size_t searched = data.size();  // bytes of `data` known to hold no complete terminator
  if (LineTooLong(data.size())) SetLastError(ws::kWsaENoBufs);
  while (last_error_ == 0) {
    const std::uint32_t start = MillisecondTick();
    data += RecvPacket(timeout);
    if (last_error_ != 0) break;
    const std::size_t from = searched >= terminator.size() ? searched - (terminator.size() - 1) : 0;
    end = FindLineEnd(data, crlf_mode ? searched : from, crlf_mode, terminator);
    if (LineTooLong(end.found ? end.pos : data.size())) SetLastError(ws::kWsaENoBufs);
    if (end.found || last_error_ != 0) break;
    searched = data.size();
    if (!InterPacketTimeout && timeout >= 0) {
      timeout -= static_cast<std::int32_t>(TickDifference(start, MillisecondTick()));
      if (timeout <= 0) SetLastError(ws::kWsaETimedOut);
    }
  }
  if (end.found) result.assign(data, 0, end.pos);
  line_buffer_.Assign(std::move(data));
  if (end.found) line_buffer_.Consume(end.pos + end.length);
  ExceptCheck();
  return result;
}

std::string TBlockSocket::RecvString(std::int32_t timeout) {
  std::string line = RecvTerminated(timeout, "\r\n");
  return last_error_ == 0 ? line : std::string();
}

// ---- Streams ------------------------------------------------------------------------------

void TBlockSocket::RecvStreamRaw(Stream& stream, std::int32_t timeout) {
  if (MaxRecvBandwidth > 0) {
    // The throttle reserves time per requested block: keep blocks packet-sized.
    for (;;) {
      const std::string packet = RecvPacket(timeout);
      if (last_error_ != 0) break;
      WriteBytesToStream(stream, packet);
    }
    return;
  }
  ResetLastError();
  char* block = DirectBlock();
  while (last_error_ == 0) {
    const std::int64_t got = HasBufferedInput() ? TakeBuffered(block, timeout, kDirectBlockSize)
                                                : RecvDirect(block, timeout, kDirectBlockSize);
    WriteBytesToStream(stream, std::string_view(block, static_cast<std::size_t>(got)));
  }
}

void TBlockSocket::RecvStreamSize(Stream& stream, std::int32_t timeout, std::int64_t size) {
  const std::int64_t chunk = SendMaxChunk > 0 ? SendMaxChunk : 65536;
  if (MaxRecvBandwidth > 0 || !InterPacketTimeout || chunk > kDirectBlockSize) {
    RecvStreamSizeInChunks(stream, timeout, size, chunk);
    return;
  }
  ResetLastError();
  // Data reaches the stream in whole chunks (counted from the start of the call), as with
  // chunk-by-chunk reads: a chunk cut short by an error is dropped.
  const std::int64_t room = chunk * (kDirectBlockSize / chunk);
  char* block = DirectBlock();
  std::int64_t filled = 0;
  while (size > 0 && last_error_ == 0) {
    const std::int64_t want = std::min(size, room - filled);
    const std::int64_t got = HasBufferedInput() ? TakeBuffered(block + filled, timeout, want)
                                                : RecvDirect(block + filled, timeout, want);
    filled += got;
    size -= got;
    if (filled == room) {
      WriteBytesToStream(stream, std::string_view(block, static_cast<std::size_t>(filled)));
      filled = 0;
    }
  }
  if (last_error_ != 0) filled -= filled % chunk;
  WriteBytesToStream(stream, std::string_view(block, static_cast<std::size_t>(filled)));
}

void TBlockSocket::RecvStreamSizeInChunks(Stream& stream, std::int32_t timeout, std::int64_t size,
                                          std::int64_t chunk) {
  for (std::int64_t block = size / chunk; block > 0; --block) {
    const std::string bytes = RecvBufferStr(static_cast<std::int32_t>(chunk), timeout);
    if (last_error_ != 0) return;
    WriteBytesToStream(stream, bytes);
  }
  const std::int64_t rest = size % chunk;
  if (rest > 0) {
    const std::string bytes = RecvBufferStr(static_cast<std::int32_t>(rest), timeout);
    if (last_error_ == 0) WriteBytesToStream(stream, bytes);
  }
}

char* TBlockSocket::DirectBlock() {
  if (!direct_block_) direct_block_ = std::make_unique_for_overwrite<char[]>(kDirectBlockSize);
  return direct_block_.get();
}

bool TBlockSocket::HasBufferedInput() const {
  return !line_buffer_.Empty() || (ConvertLineEnd && (last_cr_ || last_lf_));
}

std::int64_t TBlockSocket::TakeBuffered(char* destination, std::int32_t timeout,
                                        std::int64_t limit) {
  // A pending line-end conversion applies to the next packet, which goes through the buffer.
  if (line_buffer_.Empty()) line_buffer_.Assign(RecvPacket(timeout));
  if (last_error_ != 0) return 0;
  NormalizeBufferFront();
  const auto take = static_cast<std::size_t>(
      std::min<std::int64_t>(limit, static_cast<std::int64_t>(line_buffer_.Size())));
  if (take > 0) std::memcpy(destination, line_buffer_.View().data(), take);
  line_buffer_.Consume(take);
  return static_cast<std::int64_t>(take);
}

std::int64_t TBlockSocket::RecvDirect(char* destination, std::int32_t timeout,
                                      std::int64_t limit) {
  // The readiness wait is skipped while the platform reports data waiting.
  if (WaitingData() == 0 && !CanRead(timeout)) {
    SetLastError(ws::kWsaETimedOut);
    ExceptCheck();
    return 0;
  }
  const std::int64_t before = recv_counter_;
  const auto want = static_cast<std::int32_t>(std::min<std::int64_t>(limit, kDirectBlockSize));
  const std::int32_t r = RecvBuffer(destination, want);
  if (r > 0) return r;
  if (last_error_ == 0 && recv_counter_ == before) {
    SetLastError(ws::kWsaEConnReset);  // readable with nothing: closed
    ExceptCheck();
  }
  return 0;
}

void TBlockSocket::RecvStream(Stream& stream, std::int32_t timeout) {
  const auto size = static_cast<std::uint32_t>(RecvInteger(timeout));
  if (last_error_ == 0) RecvStreamSize(stream, timeout, size);
}

void TBlockSocket::RecvStreamIndy(Stream& stream, std::int32_t timeout) {
  const auto size = SwapLongBytes(static_cast<std::uint32_t>(RecvInteger(timeout)));
  if (last_error_ == 0) RecvStreamSize(stream, timeout, size);
}

// ---- Waiting and purging ------------------------------------------------------------------

bool TBlockSocket::CanReadEx(std::int32_t timeout) {
  if (!line_buffer_.Empty()) return true;
  return CanRead(timeout);
}

std::int32_t TBlockSocket::WaitingDataEx() {
  if (!line_buffer_.Empty()) {
    return static_cast<std::int32_t>(std::min<std::size_t>(line_buffer_.Size(), 0x7FFFFFFF));
  }
  return WaitingData();
}

void TBlockSocket::Purge() {
  std::this_thread::sleep_for(std::chrono::milliseconds(1));
  try {
    while (!line_buffer_.Empty() || WaitingData() > 0) {
      RecvPacket(0);
      if (last_error_ != 0) break;
    }
  } catch (...) {
    // Purging discards; a raised socket error just ends it.
  }
  ResetLastError();
}

}  // namespace ov
