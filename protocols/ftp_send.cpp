#include "protocols/ftp_send.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

#include "net/ansi.h"
#include "net/ip_text.h"
#include "net/text_to_int.h"
#include "protocols/ftp_send_text.h"

namespace ov {
namespace {

// A reply line may not grow past this (it counts all data buffered while looking for the
// line's end, so it stays well above one network packet).
constexpr std::int32_t kMaxReplyLineLength = 1 << 20;
// Receive block of data transfers; smaller under a bandwidth limit so the pacing stays even.
constexpr std::int32_t kDataBlock = 256 * 1024;
constexpr std::int32_t kThrottledDataBlock = 16 * 1024;

bool FileExists(const std::string& utf8_path) {
  const std::u8string u8(utf8_path.begin(), utf8_path.end());
  std::error_code error;
  return std::filesystem::is_regular_file(std::filesystem::path(u8), error);
}

// Closes the data socket when a transfer leaves, by any path.
class DataSocketCloser {
 public:
  explicit DataSocketCloser(TTCPBlockSocket& socket) : socket_(socket) {}
  ~DataSocketCloser() { socket_.CloseSocket(); }
  DataSocketCloser(const DataSocketCloser&) = delete;
  DataSocketCloser& operator=(const DataSocketCloser&) = delete;

 private:
  TTCPBlockSocket& socket_;
};

}  // namespace

TFTPSend::TFTPSend()
    : DataStream_(std::make_unique<MemoryStream>()),
      FtpList_(std::make_unique<TFTPList>()),
      Sock_(std::make_unique<TTCPBlockSocket>()),
      DSock_(std::make_unique<TTCPBlockSocket>()) {
  Sock_->Owner = this;
  Sock_->ConvertLineEnd = true;
  Sock_->MaxLineLength = kMaxReplyLineLength;
  DSock_->Owner = this;
  TargetPort = "21";
  Timeout = 300000;
  UserName = "anonymous";
  Password = "anonymous@" + Sock_->LocalName();
}

TFTPSend::~TFTPSend() = default;

void TFTPSend::ReportStatus(bool Response, const std::string& Value) {
  if (OnStatus) OnStatus(*this, Response, Value);
}

std::int32_t TFTPSend::ReadResult() {
  FullResult_.clear();
  ResultString_.clear();
  std::string code;
  for (;;) {
    const std::string raw = Sock_->RecvString(Timeout);
    if (Sock_->LastError() != 0) break;
    std::string line = AnsiToUtf8(raw);
    if (code.empty()) code = FtpReplyCode(line);
    const bool last = !code.empty() && line.starts_with(code + " ");
    ResultString_ = line;
    FullResult_.push_back(std::move(line));
    ReportStatus(true, ResultString_);
    if (last) break;
  }
  ResultCode_ = TextToIntDef(code, 0);
  return ResultCode_;
}

std::int32_t TFTPSend::FTPCommand(const std::string& Value) {
  Sock_->Purge();
  Sock_->SendString(Utf8ToAnsi(Value) + "\r\n");
  ReportStatus(false, Value);
  return ReadResult();
}

void TFTPSend::ParseRemote(const std::string& Value) {
  const FtpHostPort parsed = ParsePasvReply(Value);
  DataIP_ = parsed.IP;
  DataPort_ = parsed.Port;
}

void TFTPSend::ParseRemoteEPSV(const std::string& Value) {
  DataPort_ = ParseEpsvPort(Value);
  DataIP_ = TargetHost;
}

// ---- Connection and logon -----------------------------------------------------------------

bool TFTPSend::OpenControl() {
  Sock_->CloseSocket();
  Sock_->Bind(IPInterface, "0");
  if (Sock_->LastError() == 0) {
    if (FWHost.empty()) {
      Sock_->Connect(TargetHost, TargetPort);
    } else {
      Sock_->Connect(FWHost, FWPort);
    }
  }
  if (Sock_->LastError() == 0 && FullSSL) Sock_->SSLDoConnect();
  return Sock_->LastError() == 0;
}

bool TFTPSend::RunLogon(std::int32_t Mode) {
  if (FWHost.empty()) Mode = 0;
  const TLogonActions table = Mode == -1 ? CustomLogon : BuiltInLogonTable(Mode);
  const LogonCredentials credentials{UserName,   Password,   Account,   FWUsername,
                                     FWPassword, TargetHost, TargetPort};
  return RunLogonTable(table, credentials,
                       [this](const std::string& line) { return FTPCommand(line); });
}

bool TFTPSend::RunRestartTest() {
  if (FTPCommand("REST 0") != 350) return false;
  if (FTPCommand("REST 1") != 350) return false;
  FTPCommand("REST 0");
  return true;
}

bool TFTPSend::Login() {
  CanResume_ = false;
  if (!OpenControl()) return false;
  IsTLS_ = FullSSL;
  IsDataTLS_ = false;
  do {
    ReadResult();
  } while (ReplyClass() == 1);
  if (ReplyClass() != 2) return false;
  if (AutoTLS && !IsTLS_ && FTPCommand("AUTH TLS") / 100 == 2) {
    Sock_->SSLDoConnect();
    IsTLS_ = Sock_->LastError() == 0;
    if (!IsTLS_) return false;
  }
  if (!RunLogon(FWMode)) return false;
  if (IsTLS_) {
    FTPCommand("PBSZ 0");
    if (TLSonData) IsDataTLS_ = FTPCommand("PROT P") / 100 == 2;
    if (!IsDataTLS_) FTPCommand("PROT C");
  }
  FTPCommand("TYPE I");
  FTPCommand("STRU F");
  FTPCommand("MODE S");
  CanResume_ = RunRestartTest();
  return true;
}

bool TFTPSend::Logout() {
  const bool result = FTPCommand("QUIT") / 100 == 2;
  Sock_->CloseSocket();
  return result;
}

void TFTPSend::Abort() {
  Sock_->SendString("ABOR\r\n");
  DSock_->StopFlag = true;
}

void TFTPSend::TelnetAbort() {
  Sock_->SendString("\xFF\xF4\xFF\xF2");
  Abort();
}

// ---- Data connection ----------------------------------------------------------------------

bool TFTPSend::PreparePassive() {
  const bool ip6 = Sock_->IP6used();
  if (ip6 && !ForceOldPort && FTPCommand("EPSV 2") / 100 == 2) {
    ParseRemoteEPSV(ResultString_);
  } else {
    if (ip6) return false;
    if (FTPCommand("PASV") / 100 != 2) return false;
    ParseRemote(ResultString_);
    // The address in the reply may be private to the server's network or name a third
    // host; the data connection goes to the server we are talking to.
    DataIP_ = Sock_->GetRemoteSinIP();
  }
  DSock_->CloseSocket();
  DSock_->Bind(IPInterface, "0");
  if (DSock_->LastError() != 0) return false;
  DSock_->Connect(DataIP_, DataPort_);
  return DSock_->LastError() == 0;
}

bool TFTPSend::PrepareActive() {
  DSock_->CloseSocket();
  DSock_->Bind(Sock_->GetLocalSinIP(), ForceDefaultPort ? "20" : "0");
  if (DSock_->LastError() != 0) return false;
  DSock_->SetLinger(true, 10000);
  DSock_->Listen();
  if (DSock_->LastError() != 0) return false;
  DSock_->GetSins();
  DataIP_ = DSock_->ResolveName(DSock_->GetLocalSinIP());
  DataPort_ = std::to_string(DSock_->GetLocalSinPort());
  if (Sock_->IP6used() && !ForceOldPort) {
    const std::string family = IsIP6Text(DataIP_) ? "2" : "1";
    if (FTPCommand("EPRT |" + family + "|" + DataIP_ + "|" + DataPort_ + "|") / 100 == 2) {
      return true;
    }
  }
  if (!IsIP4Text(DataIP_)) return false;
  return FTPCommand("PORT " + PortArgument(DataIP_, DSock_->GetLocalSinPort())) / 100 == 2;
}

bool TFTPSend::PrepareData() {
  // An abort requested while no transfer ran must not end the next one.
  DSock_->StopFlag = false;
  if (IsDataTLS_) PassiveMode = true;
  const bool ready = PassiveMode ? PreparePassive() : PrepareActive();
  if (!ready) DSock_->CloseSocket();
  return ready;
}

bool TFTPSend::AcceptData() {
  if (!PassiveMode) {
    if (!DSock_->CanRead(Timeout)) return false;
    const TSocket accepted = DSock_->Accept();
    if (DSock_->LastError() != 0) return false;
    if (!DSock_->UsingSocks()) {
      DSock_->CloseSocket();
      DSock_->SetSocket(accepted);
    }
  }
  if (!IsDataTLS_) return true;
  DSock_->SSL().Assign(Sock_->SSL());
  DSock_->SSLDoConnect();
  return DSock_->LastError() == 0;
}

bool TFTPSend::ReceiveInto(Stream& destination) {
  // Bytes a proxy handshake left buffered belong to the data.
  const std::string pending = DSock_->LineBuffer();
  if (!pending.empty()) {
    DSock_->SetLineBuffer({});
    if (destination.Write(pending.data(), pending.size()) != pending.size()) return false;
  }
  if (DSock_->SSL().SSLEnabled()) {
    DSock_->RecvStreamRaw(destination, Timeout);
    return true;
  }
  const std::int32_t block = DSock_->MaxRecvBandwidth > 0 ? kThrottledDataBlock : kDataBlock;
  std::string buffer(static_cast<std::size_t>(block), '\0');
  for (;;) {
    if (!DSock_->CanRead(Timeout)) break;
    const std::int32_t got = DSock_->RecvBuffer(buffer.data(), block);
    if (got <= 0) break;
    const auto count = static_cast<std::size_t>(got);
    if (destination.Write(buffer.data(), count) != count) return false;  // disk full
  }
  return true;
}

bool TFTPSend::DataRead(Stream& DestStream) {
  DataSocketCloser closer(*DSock_);
  if (!AcceptData()) return false;
  const bool stored = ReceiveInto(DestStream);
  DSock_->CloseSocket();
  ReadResult();
  return stored && ReplyClass() == 2;
}

bool TFTPSend::DataWrite(Stream& SourceStream) {
  DataSocketCloser closer(*DSock_);
  if (!AcceptData()) return false;
  DSock_->SendStreamRaw(SourceStream);
  const bool sent = DSock_->LastError() == 0;
  DSock_->CloseSocket();
  ReadResult();
  return sent && ReplyClass() == 2;
}

// ---- Transfers ----------------------------------------------------------------------------

bool TFTPSend::List(const std::string& Directory, bool NameList) {
  DataStream_->Clear();
  FtpList_->Clear();
  const std::string argument = Directory.empty() ? std::string() : " " + Directory;
  FTPCommand("TYPE A");
  if (!PrepareData()) return false;
  const char* command = NameList ? "NLST" : UseMLSDList ? "MLSD" : "LIST";
  if (FTPCommand(command + argument) / 100 != 1) {
    DSock_->CloseSocket();
    return false;
  }
  const bool result = DataRead(*DataStream_);
  if (result && !NameList) {
    FtpList_->Lines() = ListingLines(DataStream_->Data());
    if (UseMLSDList) {
      FtpList_->ParseMLSDLines();
    } else {
      FtpList_->ParseLines();
    }
  }
  DataStream_->Seek(0);
  return result;
}

bool TFTPSend::RetrieveFile(const std::string& FileName, bool Restore) {
  if (FileName.empty()) return false;
  if (!PrepareData()) return false;
  DataSocketCloser closer(*DSock_);
  Restore = Restore && CanResume_;
  std::unique_ptr<FileStream> file;
  Stream* destination = DataStream_.get();
  if (DirectFile) {
    // An existing partial file is never emptied when it cannot be opened for resuming.
    const bool resume_file = Restore && FileExists(DirectFileName);
    file = FileStream::Open(
        DirectFileName, resume_file ? FileStream::Mode::OpenReadWrite : FileStream::Mode::Create,
        nullptr);
    if (!file) return false;
    destination = file.get();
  }
  FTPCommand(BinaryMode ? "TYPE I" : "TYPE A");
  if (Restore) {
    destination->Seek(destination->Size());
    if (FTPCommand("REST " + std::to_string(destination->Size())) / 100 != 3) return false;
  } else if (!DirectFile) {
    DataStream_->Clear();
  }
  if (FTPCommand("RETR " + FileName) / 100 != 1) return false;
  const bool result = DataRead(*destination);
  if (!DirectFile) DataStream_->Seek(0);
  return result;
}

bool TFTPSend::SendStor(const std::string& Command, std::int64_t RestartAt) {
  std::unique_ptr<FileStream> file;
  Stream* source = DataStream_.get();
  if (DirectFile) {
    if (!FileExists(DirectFileName)) return false;
    file = FileStream::Open(DirectFileName, FileStream::Mode::OpenRead, nullptr);
    if (!file) return false;
    source = file.get();
  }
  if (!PrepareData()) return false;
  DataSocketCloser closer(*DSock_);
  FTPCommand(BinaryMode ? "TYPE I" : "TYPE A");
  const std::int64_t size = source->Size();
  if (!CanResume_) RestartAt = 0;
  if (size > 0 && RestartAt == size) return true;  // the server already has all of it
  if (RestartAt > size || RestartAt < 0) RestartAt = 0;
  FTPCommand("ALLO " + std::to_string(size - RestartAt));
  if (CanResume_ && FTPCommand("REST " + std::to_string(RestartAt)) / 100 != 3) return false;
  source->Seek(RestartAt);
  if (FTPCommand(Command) / 100 != 1) return false;
  return DataWrite(*source);
}

bool TFTPSend::StoreFile(const std::string& FileName, bool Restore) {
  if (FileName.empty()) return false;
  std::int64_t restart_at = 0;
  if (Restore && CanResume_) restart_at = std::max<std::int64_t>(FileSize(FileName), 0);
  return SendStor("STOR " + FileName, restart_at);
}

bool TFTPSend::StoreUniqueFile() { return SendStor("STOU", 0); }

bool TFTPSend::AppendFile(const std::string& FileName) {
  if (FileName.empty()) return false;
  return SendStor("APPE " + FileName, 0);
}

// ---- Simple commands ----------------------------------------------------------------------

bool TFTPSend::RenameFile(const std::string& OldName, const std::string& NewName) {
  if (FTPCommand("RNFR " + OldName) / 100 != 3) return false;
  return FTPCommand("RNTO " + NewName) / 100 == 2;
}

bool TFTPSend::DeleteFile(const std::string& FileName) {
  return FTPCommand("DELE " + FileName) / 100 == 2;
}

std::int64_t TFTPSend::FileSize(const std::string& FileName) {
  if (FTPCommand("SIZE " + FileName) / 100 != 2) return -1;
  return SizeFromReply(ResultString_);
}

bool TFTPSend::NoOp() { return FTPCommand("NOOP") / 100 == 2; }

bool TFTPSend::ChangeWorkingDir(const std::string& Directory) {
  return FTPCommand("CWD " + Directory) / 100 == 2;
}

bool TFTPSend::ChangeToParentDir() { return FTPCommand("CDUP") / 100 == 2; }

bool TFTPSend::ChangeToRootDir() { return ChangeWorkingDir("/"); }

bool TFTPSend::DeleteDir(const std::string& Directory) {
  return FTPCommand("RMD " + Directory) / 100 == 2;
}

bool TFTPSend::CreateDir(const std::string& Directory) {
  return FTPCommand("MKD " + Directory) / 100 == 2;
}

std::string TFTPSend::GetCurrentDir() {
  if (FTPCommand("PWD") / 100 != 2) return {};
  return DirectoryFromPwdReply(ResultString_);
}

}  // namespace ov
