// Response side of THTTPSend: status line, header lines and the three body framings.
#include <string>
#include <vector>

#include "net/ansi.h"
#include "net/tcp_block_socket.h"
#include "net/text_utils.h"
#include "protocols/http_send.h"
#include "protocols/http_socket.h"
#include "protocols/http_text.h"

namespace ov {

std::string THTTPSend::ReceiveLine() {
  std::string line = FSock->RecvString(Timeout);
  FHeadBytes += static_cast<std::int64_t>(line.size()) + 2;
  return line;
}

std::string THTTPSend::ReceiveNonEmptyLine() {
  std::string line;
  while (line.empty() && FSock->LastError() == 0) line = ReceiveLine();
  return line;
}

bool THTTPSend::ReceiveResponse(std::string_view method, const std::string& first_line) {
  Clear();
  std::int64_t size = -1;
  FTransferEncoding = TE_UNKNOWN;
  ReadStatusLine(first_line);
  bool close_after = Protocol != "1.1";
  bool head_fits = true;
  if (!FHeaders.empty()) head_fits = ReadHeaderLines(size, close_after);
  if (!head_fits || FSock->LastError() != 0) {
    FConnectionBroken = !head_fits;
    DropConnection();
    return false;
  }
  bool result = true;
  if (method != "HEAD" && FResultCode != 204 && FResultCode != 304) result = ReadBody(size);
  ResponseStream().Seek(0);
  // A body that failed leaves the connection in an unknown state: it is never reused.
  if (close_after || !result || FConnectionBroken) DropConnection();
  CollectCookies();
  return result;
}

void THTTPSend::ReadStatusLine(const std::string& first_line) {
  if (!first_line.empty()) {
    FHeaders.push_back(AnsiToUtf8(first_line));
    return;
  }
  do {
    const std::string line = ReceiveNonEmptyLine();
    if (FSock->LastError() != 0) break;
    if (UpperAscii(line.substr(0, 5)) == "HTTP/") {
      FHeaders.push_back(AnsiToUtf8(line));
      DecodeStatus(FHeaders.back());
    } else {
      // No status line: an old-style answer whose every byte is body.
      WriteBytesToStream(ResponseStream(), line + "\r\n");
      FResultCode = 0;
    }
  } while (FSock->LastError() == 0 && FResultCode == 100);
}

bool THTTPSend::ReadHeaderLines(std::int64_t& size, bool& close_after) {
  std::vector<std::string> lines;
  bool fits = FHeadBytes <= kMaxHeadBytes;
  for (const std::string& line : FEarlyHeadLines) lines.push_back(AnsiToUtf8(line));
  FEarlyHeadLines.clear();
  while (fits && (lines.empty() || !lines.back().empty())) {
    const std::string line = ReceiveLine();
    if (FSock->LastError() != 0) break;
    if (FHeadBytes > kMaxHeadBytes) {
      fits = false;
      break;
    }
    lines.push_back(AnsiToUtf8(line));
  }
  if (!fits) return false;
  for (std::size_t index = 0; index < lines.size();) {
    const std::string line = UnfoldHeaderLine(lines, index);
    FHeaders.push_back(line);
    ApplyHeaderLine(line, size, close_after);
  }
  return fits;
}

void THTTPSend::ApplyHeaderLine(const std::string& line, std::int64_t& size, bool& close_after) {
  const std::string upper = UpperAscii(line);
  if (StartsWith(upper, "CONTENT-LENGTH:")) {
    size = ParseDecimalLength(TextAfter(line, ":")).value_or(-1);
    if (size != -1 && FTransferEncoding == TE_UNKNOWN) FTransferEncoding = TE_IDENTITY;
  } else if (StartsWith(upper, "CONTENT-TYPE:")) {
    MimeType = TrimSpaces(TextAfter(line, ":"));
  } else if (StartsWith(upper, "TRANSFER-ENCODING:") &&
             TrimSpaces(TextAfter(upper, ":")).find("CHUNKED") != std::string::npos) {
    FTransferEncoding = TE_CHUNKED;
  }
  const bool has_close = upper.find("CLOSE") != std::string::npos;
  if (FUseProxy) {
    if (StartsWith(upper, "PROXY-CONNECTION:") && has_close) close_after = true;
  } else if (StartsWith(upper, "CONNECTION:") && has_close) {
    close_after = true;
  }
}

bool THTTPSend::ReadBody(std::int64_t size) {
  switch (FTransferEncoding) {
    case TE_IDENTITY:
      return ReadBodySized(size);
    case TE_CHUNKED:
      return ReadBodyChunked();
    case TE_UNKNOWN:
      break;
  }
  return ReadBodyToClose();
}

bool THTTPSend::ReadBodyToClose() {
  Stream& out = ResponseStream();
  for (;;) {
    const std::string packet = FSock->RecvPacket(Timeout);
    // A stream that takes fewer bytes than offered (a full disk) has lost part of the body.
    if (out.Write(packet.data(), packet.size()) != packet.size()) return false;
    if (FSock->LastError() != 0) break;
  }
  // Both an orderly close and a reset arrive as 10054; only the orderly one ends the body.
  if (FSock->LastError() == 10054 && PeerClosedGracefully()) {
    FSock->ResetLastError();
    return true;
  }
  return false;
}

bool THTTPSend::PeerClosedGracefully() {
  // A reset leaves an error pending on the handle (or reported by the next receive); an
  // orderly close leaves none, and a receive then returns 0 bytes.
  if (FSock->PendingSocketError() != 0) return false;
  char probe = 0;
  const std::int32_t got = FSock->PeekBuffer(&probe, 1);
  return got == 0 && FSock->LastError() == 0;
}

bool THTTPSend::ReadBodySized(std::int64_t size) {
  if (size <= 0) return true;
  FDownloadSize = size;
  Stream& out = ResponseStream();
  const std::int64_t start = out.Position();
  FSock->RecvStreamSize(out, Timeout, size);
  // A stream that took fewer bytes than offered (a full disk) has lost part of the body.
  const bool stored = out.Position() - start == size;
  out.Seek(out.Size());
  return FSock->LastError() == 0 && stored;
}

bool THTTPSend::ReadBodyChunked() {
  for (;;) {
    const std::string line = ReceiveNonEmptyLine();
    if (FSock->LastError() != 0) break;
    const std::string field = TrimSpaces(TextBefore(TrimSpaces(TextBefore(line, " ")), ";"));
    const std::optional<std::int64_t> chunk = ParseChunkSize(field);
    if (!chunk) {
      FConnectionBroken = true;  // the rest of the stream cannot be framed
      return false;
    }
    if (*chunk == 0) {
      ReadChunkTrailer();
      break;
    }
    if (!ReadBodySized(*chunk)) break;
  }
  return FSock->LastError() == 0;
}

void THTTPSend::ReadChunkTrailer() {
  // Trailer lines up to the empty line belong to this response; the connection is clean for
  // the next request only once they are read. The body itself is complete either way.
  FHeadBytes = 0;
  for (;;) {
    const std::string line = ReceiveLine();
    if (FSock->LastError() != 0 || FHeadBytes > kMaxHeadBytes) {
      FSock->ResetLastError();
      FConnectionBroken = true;
      return;
    }
    if (line.empty()) return;
  }
}

}  // namespace ov
