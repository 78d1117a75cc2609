// THTTPSend: one HTTP/1.x request at a time over an owned TTCPBlockSocket. It builds the request
// head from its settings and the URL, sends an optional body, reads the status line, the header
// lines and the body (sized, chunked or up to the peer's close), keeps cookies and keeps the
// connection for reuse when Protocol "1.1" allows it. All calls block; failures are Boolean
// results plus the socket's LastError, never exceptions of this class. The socket's OnStatus and
// OnMonitor are left to the caller for watching the transfer.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "net/net_client.h"
#include "net/stream.h"

namespace ov {

class TTCPBlockSocket;
class HttpSocket;
struct HttpTarget;

enum TTransferEncoding : std::uint8_t {
  TE_UNKNOWN = 0,   // no length known: the body ends when the peer closes
  TE_IDENTITY = 1,  // Content-Length known
  TE_CHUNKED = 2,
};

class THTTPSend : public TNetClient {
 public:
  // Longest header line, and largest response head as a whole, accepted from a server.
  static constexpr std::int32_t kMaxHeadBytes = 1024 * 1024;

  THTTPSend();
  ~THTTPSend() override;
  THTTPSend(const THTTPSend&) = delete;
  THTTPSend& operator=(const THTTPSend&) = delete;

  // Forgets the range, the document, the headers and the content of both streams; keeps
  // cookies, proxy settings and the open connection.
  void Clear();
  // "HTTP/1.0 200 OK" gives ResultCode 200 and ResultString "OK".
  void DecodeStatus(std::string_view value);
  // One request. True when the request went out and the response head and body were read
  // without a socket error; the HTTP status itself is only in ResultCode/ResultString.
  bool HTTPMethod(std::string_view method, std::string_view url);
  // Makes the socket's next send or receive fail with 10053, ending a running request.
  void Abort();

  TTCPBlockSocket& Sock();
  // Before a request: extra request lines of the caller. After it: the status line(s), the
  // response header lines (folded ones joined) and a final empty line.
  std::vector<std::string>& Headers() { return FHeaders; }
  MemoryStream& Document() { return FDocument; }
  std::vector<std::string>& Cookies() { return FCookies; }  // "name=value" entries
  std::int32_t ResultCode() const { return FResultCode; }
  const std::string& ResultString() const { return FResultString; }
  // Announced size of a sized body, size of the last chunk of a chunked one, else 0.
  std::int64_t DownloadSize() const { return FDownloadSize; }
  // Streamed request body size, or head + body when both went out in one send; 0 without body.
  std::int64_t UploadSize() const { return FUploadSize; }

  std::string MimeType = "text/html";
  std::string Protocol = "1.0";
  bool KeepAlive = true;
  std::int32_t KeepAliveTimeout = 300;  // seconds
  bool Status100 = false;
  std::string ProxyHost;
  std::string ProxyPort = "8080";
  std::string ProxyUser;
  std::string ProxyPass;
  std::string UserAgent = "Mozilla/4.0 (compatible; Instalador)";
  std::int64_t RangeStart = 0;
  std::int64_t RangeEnd = 0;
  bool AddPortNumberToHost = true;
  // Not owned. When set, the request body is read from InputStream and the response body is
  // written to OutputStream (in blocks, through the Stream interface) instead of Document.
  Stream* InputStream = nullptr;
  Stream* OutputStream = nullptr;

 protected:
  virtual bool ReadBodyToClose();
  virtual bool ReadBodySized(std::int64_t size);
  virtual bool ReadBodyChunked();

  Stream& RequestStream();
  Stream& ResponseStream();
  // The head as it goes on the wire (ANSI bytes, CR LF line ends).
  std::string HeaderBlock() const;
  bool OpenConnection(bool use_tls);
  bool ReuseOrOpenConnection(bool use_tls);
  void CollectCookies();

 private:
  void BuildRequestHead(std::string_view method, const HttpTarget& target, bool has_body,
                        bool expect100);
  bool SendRequest(bool has_body, bool expect100, std::string& first_line);
  bool ReceiveResponse(std::string_view method, const std::string& first_line);
  void ReadStatusLine(const std::string& first_line);
  bool ReadHeaderLines(std::int64_t& size, bool& close_after);
  void ApplyHeaderLine(const std::string& line, std::int64_t& size, bool& close_after);
  bool ReadBody(std::int64_t size);
  void ReadChunkTrailer();
  bool PeerClosedGracefully();
  std::string ReceiveLine();
  std::string ReceiveNonEmptyLine();
  void DropConnection();

  std::unique_ptr<HttpSocket> FSock;
  TTransferEncoding FTransferEncoding = TE_UNKNOWN;
  std::string FAliveHost;
  std::string FAlivePort;
  std::vector<std::string> FHeaders;
  MemoryStream FDocument;
  std::int32_t FResultCode = 0;
  std::string FResultString;
  std::vector<std::string> FCookies;
  std::int64_t FDownloadSize = 0;
  std::int64_t FUploadSize = 0;
  bool FUseProxy = false;          // the running request goes to the proxy in absolute form
  bool FConnectionBroken = false;  // the response could not be framed: never reuse
  std::int64_t FHeadBytes = 0;     // bytes of the response head read so far
  // Header lines of a final answer that came instead of "100 Continue".
  std::vector<std::string> FEarlyHeadLines;
};

}  // namespace ov
