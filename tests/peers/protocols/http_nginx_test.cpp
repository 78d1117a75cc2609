// THTTPSend against a real nginx on loopback: sized bodies, ranges, errors, HEAD, connection
// reuse, and a large body checked by SHA-256 against the file and against curl's download.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

#include "net/tcp_block_socket.h"
#include "protocols/http_send.h"
#include "support/nginx_server.h"
#include "support/requirements.h"
#include "support/sha256.h"

namespace ov {
namespace {

using testing::NginxServer;
using testing::Sha256;
using testing::Sha256Hex;
using testing::Sha256OfFile;

// A response stream that keeps only a running digest: the body never sits in memory.
class HashingStream : public Stream {
 public:
  std::int64_t Size() const override { return size_; }
  std::int64_t Position() const override { return position_; }
  void Seek(std::int64_t position) override { position_ = position; }
  std::size_t Read(void*, std::size_t) override { return 0; }
  std::size_t Write(const void* buffer, std::size_t count) override {
    EXPECT_EQ(position_, size_) << "writes must be sequential";
    hash_.Update(buffer, count);
    position_ += static_cast<std::int64_t>(count);
    size_ = position_;
    ++writes_;
    return count;
  }
  void SetSize(std::int64_t size) override {
    ASSERT_EQ(size, 0) << "only truncation to empty is expected";
    hash_.Reset();
    size_ = position_ = 0;
  }
  std::string HexDigest() { return hash_.HexDigest(); }
  int Writes() const { return writes_; }

 private:
  Sha256 hash_;
  std::int64_t size_ = 0;
  std::int64_t position_ = 0;
  int writes_ = 0;
};

std::string Pattern(std::size_t size) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>('a' + (i * 7 + i / 13) % 26);
  return bytes;
}

class HttpNginx : public ::testing::Test {
 protected:
  void SetUp() override {
    OV_REQUIRE_PROGRAM(nginx, NginxServer::ProgramName(), "nginx-light");
    std::string error;
    server_ = NginxServer::Start(nginx, &error);
    ASSERT_NE(server_, nullptr) << error;
    small_ = Pattern(1000);
    std::ofstream(server_->Root() + "/small.bin", std::ios::binary) << small_;
  }

  std::unique_ptr<NginxServer> server_;
  std::string small_;
};

TEST_F(HttpNginx, SizedBody) {
  THTTPSend http;
  ASSERT_TRUE(http.HTTPMethod("GET", server_->Url("/small.bin")));
  EXPECT_EQ(http.ResultCode(), 200);
  EXPECT_EQ(http.DownloadSize(), 1000);
  EXPECT_EQ(http.Document().Data(), small_);
  EXPECT_EQ(http.MimeType, "application/octet-stream");
}

TEST_F(HttpNginx, Ranges) {
  struct Case {
    std::int64_t start, end;
    std::string expected;
  } cases[] = {{10, 19, small_.substr(10, 10)},
               {990, 0, small_.substr(990)},
               {0, 99, small_.substr(0, 100)}};
  for (const Case& c : cases) {
    THTTPSend http;
    http.RangeStart = c.start;
    http.RangeEnd = c.end;
    ASSERT_TRUE(http.HTTPMethod("GET", server_->Url("/small.bin")));
    EXPECT_EQ(http.ResultCode(), 206) << c.start;
    EXPECT_EQ(http.Document().Data(), c.expected) << c.start;
  }
}

TEST_F(HttpNginx, MissingFileIsReportedByStatusOnly) {
  THTTPSend http;
  ASSERT_TRUE(http.HTTPMethod("GET", server_->Url("/nothing-here")));
  EXPECT_EQ(http.ResultCode(), 404);
  EXPECT_EQ(http.ResultString(), "Not Found");
  EXPECT_NE(http.Document().Data().find("404"), std::string::npos);
}

TEST_F(HttpNginx, HeadReadsNoBody) {
  THTTPSend http;
  ASSERT_TRUE(http.HTTPMethod("HEAD", server_->Url("/small.bin")));
  EXPECT_EQ(http.ResultCode(), 200);
  EXPECT_TRUE(http.Document().Data().empty());
  bool has_length = false;
  for (const std::string& line : http.Headers()) has_length |= line == "Content-Length: 1000";
  EXPECT_TRUE(has_length);
}

TEST_F(HttpNginx, Protocol11ReusesOneConnection) {
  THTTPSend http;
  http.Protocol = "1.1";
  int connects = 0;
  http.Sock().OnStatus = [&connects](TBlockSocket&, THookSocketReason reason, const std::string&) {
    if (reason == HR_Connect) ++connects;
  };
  ASSERT_TRUE(http.HTTPMethod("GET", server_->Url("/small.bin")));
  const std::int32_t local_port = http.Sock().GetLocalSinPort();
  http.Clear();
  http.RangeStart = 500;
  ASSERT_TRUE(http.HTTPMethod("GET", server_->Url("/small.bin")));
  EXPECT_EQ(http.ResultCode(), 206);
  EXPECT_EQ(http.Document().Data(), small_.substr(500));
  EXPECT_EQ(connects, 1);
  EXPECT_EQ(http.Sock().GetLocalSinPort(), local_port);

  // nginx saw both requests on one connection.
  http.Sock().OnStatus = nullptr;
  http.Sock().CloseSocket();
  const std::string log = server_->AccessLog();
  const std::string first = log.substr(0, log.find(' '));
  EXPECT_EQ(log, first + " GET /small.bin HTTP/1.1\n" + first + " GET /small.bin HTTP/1.1\n");
}

TEST_F(HttpNginx, Protocol10ClosesAfterEachAnswer) {
  THTTPSend http;
  int connects = 0;
  http.Sock().OnStatus = [&connects](TBlockSocket&, THookSocketReason reason, const std::string&) {
    if (reason == HR_Connect) ++connects;
  };
  ASSERT_TRUE(http.HTTPMethod("GET", server_->Url("/small.bin")));
  http.Clear();
  ASSERT_TRUE(http.HTTPMethod("GET", server_->Url("/small.bin")));
  EXPECT_EQ(connects, 2);
}

TEST_F(HttpNginx, LargeBodyMatchesTheFileAndCurl) {
#ifndef _WIN32
  OV_REQUIRE_PROGRAM(curl, "curl", "curl");
#endif
  const std::string path = server_->Root() + "/large.bin";
  {
    std::ofstream out(path, std::ios::binary);
    const std::string block = Pattern(1 << 20);
    for (int i = 0; i < 64; ++i) out << block << static_cast<char>(i);  // 64 MiB + 64 bytes
  }
  const std::int64_t size = 64 * ((1 << 20) + 1);
  const std::string file_digest = Sha256OfFile(path);
  ASSERT_FALSE(file_digest.empty());

  THTTPSend http;
  HashingStream body;
  http.OutputStream = &body;
  std::int64_t reported = 0;
  http.Sock().OnStatus = [&reported](TBlockSocket&, THookSocketReason reason,
                                     const std::string& value) {
    if (reason == HR_ReadCount) reported += std::stoll(value);
  };
  ASSERT_TRUE(http.HTTPMethod("GET", server_->Url("/large.bin")));
  EXPECT_EQ(http.ResultCode(), 200);
  EXPECT_EQ(http.DownloadSize(), size);
  EXPECT_EQ(body.Size(), size);
  EXPECT_TRUE(http.Document().Data().empty());  // nothing went through the memory document
  EXPECT_GE(reported, size);
  EXPECT_LE(body.Writes(), size / 16384 + 1) << "the body must arrive in large blocks";
  const std::string client_digest = body.HexDigest();
  EXPECT_EQ(client_digest, file_digest);

#ifndef _WIN32
  // curl is a Linux program: the comparison runs in the native build.
  const std::string curl_file = server_->Folder() + "/curl.bin";
  const std::string command = curl + " -s -o " + curl_file + " " + server_->Url("/large.bin");
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(Sha256OfFile(curl_file), client_digest);
#endif
}

TEST(Sha256Helper, KnownDigests) {
  EXPECT_EQ(Sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(Sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(Sha256Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  Sha256 pieces;  // the same million 'a' fed in uneven pieces
  const std::string a(1000000, 'a');
  for (std::size_t at = 0; at < a.size(); at += 777) pieces.Update(a.substr(at, 777));
  EXPECT_EQ(pieces.HexDigest(), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
}

}  // namespace
}  // namespace ov
