// TBlockSocket: one platform socket handle with synchronous (blocking) operations, a receive
// buffer shared by all readers, error recording in LastError/LastErrorDesc (exceptions only
// when RaiseExcept is on), status/monitor/filter/heartbeat events, per-direction bandwidth
// limits, a stop flag that may be set from any thread, and a queue of options applied when a
// handle is created. Subclasses choose the socket kind (GetSocketType/GetSocketProtocol).
// Creating a socket makes sure the process's socket interface is started (see
// net/socket_interface.h); it throws ESocketError when that is impossible.
// Timeouts are in ms: -1 waits without limit, 0 polls once.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "net/block_socket_buffer.h"
#include "net/block_socket_types.h"
#include "net/socket_binding.h"

namespace ov {

class Stream;

class TBlockSocket {
 public:
  TBlockSocket();
  explicit TBlockSocket(std::string_view stub);  // the same; the stub has no effect
  // Closes the handle (this class's AbortSocket: a subclass with its own close calls it in
  // its destructor) and discards queued options.
  virtual ~TBlockSocket();
  TBlockSocket(const TBlockSocket&) = delete;
  TBlockSocket& operator=(const TBlockSocket&) = delete;

  THookSocketStatus OnStatus;
  THookDataFilter OnReadFilter;
  THookCreateSocket OnCreateSocket;
  THookMonitor OnMonitor;
  THookHeartbeat OnHeartbeat;

  // Plain settings.
  std::int32_t Tag = 0;
  bool RaiseExcept = false;
  std::int32_t MaxLineLength = 0;     // bytes; 0 = no limit
  std::int32_t MaxSendBandwidth = 0;  // bytes per second; 0 = no limit
  std::int32_t MaxRecvBandwidth = 0;  // bytes per second; 0 = no limit
  bool ConvertLineEnd = false;
  bool PreferIP4 = true;
  bool InterPacketTimeout = true;     // false: a reader's timeout is the budget of the whole call
  std::int32_t SendMaxChunk = 65536;  // largest piece of one send call; block of sized reads
  std::int32_t NonblockSendTimeout = 15000;
  std::int32_t HeartbeatRate = 0;      // ms; 0 = no heartbeat
  std::int32_t ConnectionTimeout = 0;  // ms; 0 = the platform's own connect attempt
  void* Owner = nullptr;               // for the owner's use; never touched by the socket
  // Aborts a running transfer at its next check point; may be set from any thread.
  std::atomic<bool> StopFlag{false};

  // State reached through properties.
  const TVarSin& LocalSin() const { return local_sin_; }
  const TVarSin& RemoteSin() const { return remote_sin_; }
  std::string LineBuffer() const { return line_buffer_.Str(); }
  void SetLineBuffer(std::string bytes) { line_buffer_.Assign(std::move(bytes)); }
  bool NonBlockMode() const { return non_block_mode_; }
  void SetNonBlockMode(bool value);          // queued (applied at once when a handle exists)
  void SetMaxBandwidth(std::int32_t value);  // both directions
  TSocketFamily Family() const { return family_; }
  virtual void SetFamily(TSocketFamily value);
  bool IP6used() const { return ip6_used_; }
  const TFDSet& FDset() const { return fd_set_; }
  std::int64_t RecvCounter() const { return recv_counter_; }
  std::int64_t SendCounter() const { return send_counter_; }
  TSocket Socket() const { return socket_; }
  // Attaches an existing handle (for instance one returned by Accept).
  virtual void SetSocket(TSocket value);
  std::int32_t LastError() const { return last_error_; }
  const std::string& LastErrorDesc() const { return last_error_desc_; }
  std::int32_t SizeRecvBuffer();  // 1024 when the platform cannot tell
  void SetSizeRecvBuffer(std::int32_t size);
  std::int32_t SizeSendBuffer();
  void SetSizeSendBuffer(std::int32_t size);
  std::int32_t TTL();
  void SetTTL(std::int32_t ttl);
  const TWSAData& WSAData() const;

  // Handle.
  void CreateSocket();
  void CreateSocketByName(std::string_view value);
  virtual void CloseSocket();
  virtual void AbortSocket();

  // Connection.
  void Bind(std::string_view ip, std::string_view port);
  virtual void Connect(std::string_view ip, std::string_view port);
  virtual void Listen();
  // The accepted handle (kInvalidSocket on failure, with LastError set); the peer's address
  // goes to RemoteSin. Hand the handle to another socket through SetSocket.
  virtual TSocket Accept();

  // Sending.
  virtual std::int32_t SendBuffer(const void* buffer, std::int32_t length);
  virtual void SendByte(std::uint8_t data);
  virtual void SendString(std::string_view data);
  virtual void SendInteger(std::int32_t data);    // least significant byte first
  virtual void SendBlock(std::string_view data);  // 4-byte length (LSB first), then the data
  virtual void SendStreamRaw(Stream& stream);
  virtual void SendStream(Stream& stream);      // 4-byte size prefix, LSB first
  virtual void SendStreamIndy(Stream& stream);  // 4-byte size prefix, MSB first
  virtual std::int32_t SendBufferTo(const void* buffer, std::int32_t length);

  // Receiving (block_socket_recv.cpp).
  // One receive call straight from the handle: bytes received, 0 when the peer closed, -1 on
  // a platform error.
  virtual std::int32_t RecvBuffer(void* buffer, std::int32_t length);
  virtual std::int32_t RecvBufferEx(void* buffer, std::int32_t length, std::int32_t timeout);
  virtual std::string RecvBufferStr(std::int32_t length, std::int32_t timeout);
  virtual std::uint8_t RecvByte(std::int32_t timeout);
  virtual std::int32_t RecvInteger(std::int32_t timeout);
  virtual std::string RecvString(std::int32_t timeout);
  virtual std::string RecvTerminated(std::int32_t timeout, std::string_view terminator);
  virtual std::string RecvPacket(std::int32_t timeout);
  virtual std::string RecvBlock(std::int32_t timeout);
  virtual void RecvStreamRaw(Stream& stream, std::int32_t timeout);
  void RecvStreamSize(Stream& stream, std::int32_t timeout, std::int64_t size);
  virtual void RecvStream(Stream& stream, std::int32_t timeout);
  virtual void RecvStreamIndy(Stream& stream, std::int32_t timeout);
  virtual std::int32_t PeekBuffer(void* buffer, std::int32_t length);
  virtual std::uint8_t PeekByte(std::int32_t timeout);
  virtual std::int32_t RecvBufferFrom(void* buffer, std::int32_t length);
  std::int32_t WaitingDataEx();
  void Purge();

  // Waiting.
  virtual bool CanRead(std::int32_t timeout);
  virtual bool CanReadEx(std::int32_t timeout);
  virtual bool CanWrite(std::int32_t timeout);
  // Bytes the platform holds for reading, at most 65536; 0 when it cannot tell.
  virtual std::int32_t WaitingData();
  // One wait over several sockets (null entries are skipped); the ready ones go to
  // `can_read_list` in list order.
  bool GroupCanRead(const std::vector<TBlockSocket*>& socket_list, std::int32_t timeout,
                    std::vector<TBlockSocket*>& can_read_list);

  // Addresses and names.
  void GetSinLocal();
  void GetSinRemote();
  void GetSins();
  virtual std::string GetLocalSinIP();
  virtual std::string GetRemoteSinIP();
  virtual std::int32_t GetLocalSinPort();
  virtual std::int32_t GetRemoteSinPort();
  void SetRemoteSin(std::string_view ip, std::string_view port);
  std::string LocalName();
  void ResolveNameToIP(std::string_view name, std::vector<std::string>& ip_list);
  std::string ResolveName(std::string_view name);
  std::string ResolveIPToName(std::string_view ip);
  std::uint16_t ResolvePort(std::string_view port);

  // Options (queued until a handle exists).
  void SetLinger(bool enable, std::int32_t linger_ms);
  void EnableReuse(bool value);
  void SetSendTimeout(std::int32_t timeout);
  void SetRecvTimeout(std::int32_t timeout);
  void SetTimeout(std::int32_t timeout);

  // Errors.
  void ResetLastError();
  // Records a platform result: -1 takes the platform's error number; anything else is success.
  virtual std::int32_t SockCheck(std::int32_t sock_result);
  // Announces LastError (other than 0, 10035, 10036) by HR_Error and, with RaiseExcept, throws.
  void ExceptCheck();
  static std::string GetErrorDesc(std::int32_t error_code);
  virtual std::string GetErrorDescEx();

  // Socket kind passed to handle creation and to name resolution (0 and 0 here).
  virtual std::int32_t GetSocketType();
  virtual std::int32_t GetSocketProtocol();

 protected:
  virtual void SendStreamCore(Stream& stream, bool with_size, bool size_msb_first);
  virtual bool WaitReadable(std::int32_t timeout);
  virtual bool WaitWritable(std::int32_t timeout);

  void FireStatus(THookSocketReason reason, const std::string& value);
  void FireMonitor(bool writing, const void* buffer, std::int32_t length);
  // Lets OnReadFilter rewrite `count` received bytes in place; `count` may shrink.
  void ApplyReadFilter(void* buffer, std::int32_t& count);
  // Counts `count` bytes just received, reports them (status, monitor), then filters them as
  // ApplyReadFilter does.
  void DeliverReceived(void* buffer, std::int32_t& count);
  void FireCreateSocket();
  void FireHeartbeat();
  void PrepareSin(TVarSin& sin, std::string_view ip, std::string_view port);
  void OpenSocketHandle(const TVarSin& sin);
  void QueueOption(const TSocketOption& option);
  void ApplyOption(const TSocketOption& option);
  void ApplyQueuedOptions();
  // Sleeps as the limit requires before a transfer of `length` bytes and reserves its time.
  void ThrottleBandwidth(std::int64_t length, std::int32_t limit, std::uint32_t& next_time);
  // Heartbeat; when StopFlag is set: clears it, LastError 10053, ExceptCheck, true.
  bool CheckStopFlag();
  static int FamilyToAddressFamily(TSocketFamily family);
  void SetLastError(std::int32_t code);

  // Receive-path helpers (block_socket_recv.cpp).
  void NormalizeBufferFront();
  struct LineEnd {
    bool found = false;
    std::size_t pos = 0;     // 0-based start of the line end
    std::size_t length = 0;  // its length
  };
  LineEnd FindLineEnd(std::string_view data, std::size_t from, bool crlf_mode,
                      std::string_view terminator);
  bool LineTooLong(std::size_t length) const;
  void ConnectWithTimeout(const TVarSin& sin);
  bool WaitConnectOutcome(std::int32_t timeout);
  void ConvertPacketLineEnds(std::string& packet);
  // Waits as a packet read does; the bytes the platform holds (at most 65536), or 0 with
  // LastError 10054 (peer closed) or 10060 (nothing came in time).
  std::int32_t WaitForNetworkData(std::int32_t timeout);
  std::string ReadPacketFromNetwork(std::int32_t timeout);
  // Stream readers: bytes held in the receive buffer (or a pending line-end conversion) go
  // first; network reads then land straight in the reused direct block. Both return the
  // bytes placed at `destination` (at most `limit`).
  bool HasBufferedInput() const;
  std::int64_t TakeBuffered(char* destination, std::int32_t timeout, std::int64_t limit);
  std::int64_t RecvDirect(char* destination, std::int32_t timeout, std::int64_t limit);
  char* DirectBlock();  // kDirectBlockSize bytes, allocated on first use
  // Sized read one RecvBufferStr chunk at a time, each with its own timeout budget (throttled
  // or whole-call timeouts).
  void RecvStreamSizeInChunks(Stream& stream, std::int32_t timeout, std::int64_t size,
                              std::int64_t chunk);
  static constexpr std::int32_t kDirectBlockSize = 1 << 20;
  template <typename Room>
  std::int32_t ReadExact(std::int32_t length, std::int32_t timeout, Room&& room);
  // select over copies of the socket set; true when one of the wanted sets became ready.
  bool WaitSelect(bool read, bool write, bool except, std::int32_t timeout);
  // CanRead (`reading`) or CanWrite: waits in HeartbeatRate slices, firing the heartbeat
  // between them; a StopFlag raised meanwhile ends the wait early.
  bool WaitWithHeartbeat(bool reading, std::int32_t timeout);
  std::int32_t PendingSocketError();

  TVarSin local_sin_{};
  TVarSin remote_sin_{};
  ReceiveBuffer line_buffer_;
  std::unique_ptr<char[]> direct_block_;  // allocated on the first stream read
  bool non_block_mode_ = false;
  std::uint32_t next_send_time_ = 0;
  std::uint32_t next_recv_time_ = 0;
  bool last_cr_ = false;  // the last line ended in a lone CR
  bool last_lf_ = false;  // the last line ended in a lone LF
  TSocketFamily family_ = SF_Any;
  bool ip6_used_ = false;
  std::vector<TSocketOption> option_queue_;  // oldest first
  TFDSet fd_set_{};
  std::int64_t recv_counter_ = 0;
  std::int64_t send_counter_ = 0;
  TSocket socket_ = ws::kInvalidSocket;
  std::int32_t last_error_ = 0;
  std::string last_error_desc_;
};

}  // namespace ov
