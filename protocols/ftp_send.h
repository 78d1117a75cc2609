// TFTPSend: blocking FTP client. One control connection (Sock) carries one command at a time
// and its reply; every transfer opens a fresh data connection (DSock), passive (EPSV/PASV) or
// active (EPRT/PORT). Logs on directly, through one of nine proxy/firewall sequences or a
// caller's table; resumes transfers when the server supports restart; hands listings to
// TFTPList. Failures are Boolean/numeric results; the last reply stays in ResultCode,
// ResultString and FullResult. Only Abort and TelnetAbort may be called from another thread.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "net/net_client.h"
#include "net/stream.h"
#include "net/tcp_block_socket.h"
#include "protocols/ftp_list.h"
#include "protocols/ftp_send_logon.h"

namespace ov {

class TFTPSend;

// Response: true for a line received, false for a command sent (passwords included).
using TFTPStatus = std::function<void(TFTPSend& Sender, bool Response, const std::string& Value)>;

class TFTPSend : public TNetClient {
 public:
  TFTPSend();
  ~TFTPSend() override;
  TFTPSend(const TFTPSend&) = delete;
  TFTPSend& operator=(const TFTPSend&) = delete;

  // Settings (TargetHost, TargetPort, IPInterface, Timeout, UserName, Password inherited).
  std::string Account;
  std::string FWHost;  // empty: connect to TargetHost and log on directly whatever FWMode says
  std::string FWPort = "21";
  std::string FWUsername;
  std::string FWPassword;
  std::int32_t FWMode = 0;  // -1 = CustomLogon, 0..8 built-in sequences
  bool DirectFile = false;  // transfers go to/from DirectFileName instead of DataStream
  std::string DirectFileName;
  bool PassiveMode = true;
  bool ForceDefaultPort = false;  // active mode listens on local port 20
  bool ForceOldPort = false;      // never EPSV/EPRT
  bool BinaryMode = true;
  bool AutoTLS = false;
  bool FullSSL = false;
  bool TLSonData = true;
  bool UseMLSDList = false;
  TLogonActions CustomLogon{};
  TFTPStatus OnStatus;

  // Results.
  std::int32_t ResultCode() const { return ResultCode_; }
  const std::string& ResultString() const { return ResultString_; }
  const std::vector<std::string>& FullResult() const { return FullResult_; }
  const std::string& DataIP() const { return DataIP_; }
  const std::string& DataPort() const { return DataPort_; }
  bool CanResume() const { return CanResume_; }
  bool IsTLS() const { return IsTLS_; }
  bool IsDataTLS() const { return IsDataTLS_; }

  TTCPBlockSocket& Sock() const { return *Sock_; }
  TTCPBlockSocket& DSock() const { return *DSock_; }
  MemoryStream& DataStream() const { return *DataStream_; }
  TFTPList& FtpList() const { return *FtpList_; }

  // Reads one reply; its code (0 when no line carried one) is also kept in ResultCode.
  virtual std::int32_t ReadResult();
  // Fields of a PASV reply into DataIP/DataPort.
  virtual void ParseRemote(const std::string& Value);
  // Port of an EPSV reply into DataPort; DataIP becomes TargetHost.
  virtual void ParseRemoteEPSV(const std::string& Value);
  // Discards unread input, sends Value + CR LF, reports it, reads the reply.
  virtual std::int32_t FTPCommand(const std::string& Value);
  virtual bool Login();
  virtual bool Logout();
  // Writes ABOR on the control connection and stops the running data transfer.
  virtual void Abort();
  // Telnet IP and DM, then Abort.
  virtual void TelnetAbort();
  // LIST, MLSD (UseMLSDList) or NLST (NameList: the raw names stay in DataStream).
  virtual bool List(const std::string& Directory, bool NameList);
  virtual bool RetrieveFile(const std::string& FileName, bool Restore);
  virtual bool StoreFile(const std::string& FileName, bool Restore);
  virtual bool StoreUniqueFile();
  virtual bool AppendFile(const std::string& FileName);
  virtual bool RenameFile(const std::string& OldName, const std::string& NewName);
  virtual bool DeleteFile(const std::string& FileName);
  // -1 when the server refuses SIZE or its answer is not a number.
  virtual std::int64_t FileSize(const std::string& FileName);
  virtual bool NoOp();
  virtual bool ChangeWorkingDir(const std::string& Directory);
  virtual bool ChangeToParentDir();
  virtual bool ChangeToRootDir();
  virtual bool DeleteDir(const std::string& Directory);
  virtual bool CreateDir(const std::string& Directory);
  // Empty when the server refuses PWD.
  virtual std::string GetCurrentDir();
  // Receives the data connection into DestStream; true when the closing reply is 2xx and
  // every byte was stored.
  virtual bool DataRead(Stream& DestStream);
  // Sends SourceStream from its position; true when the send succeeded and the reply is 2xx.
  virtual bool DataWrite(Stream& SourceStream);

 protected:
  virtual bool RunLogon(std::int32_t Mode);
  virtual bool OpenControl();
  virtual bool SendStor(const std::string& Command, std::int64_t RestartAt);
  virtual bool PrepareData();
  virtual bool AcceptData();
  virtual void ReportStatus(bool Response, const std::string& Value);

 private:
  bool PreparePassive();
  bool PrepareActive();
  bool RunRestartTest();
  bool ReceiveInto(Stream& destination);
  std::int32_t ReplyClass() const { return ResultCode_ / 100; }

  std::int32_t ResultCode_ = 0;
  std::string ResultString_;
  std::string DataIP_;
  std::string DataPort_;
  bool CanResume_ = false;
  bool IsTLS_ = false;
  bool IsDataTLS_ = false;

  // Declared in reverse order of release: DSock goes first, FullResult last.
  std::vector<std::string> FullResult_;
  std::unique_ptr<MemoryStream> DataStream_;
  std::unique_ptr<TFTPList> FtpList_;
  std::unique_ptr<TTCPBlockSocket> Sock_;
  std::unique_ptr<TTCPBlockSocket> DSock_;
};

}  // namespace ov
