#include "net/stream.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>

namespace ov {
namespace {

namespace fs = std::filesystem;

std::string Utf8(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

fs::path FromUtf8(const std::string& text) {
  return fs::path(std::u8string(text.begin(), text.end()));
}

// A fresh folder per test, removed afterwards.
class FileStreamTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::random_device random;
    dir_ = fs::temp_directory_path() / ("ov_stream_" + std::to_string(random()));
    fs::create_directories(dir_);
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  // A file name with non-ASCII letters, so the UTF-8 path is used as such.
  std::string PathOf(const std::string& name) { return Utf8(dir_) + "/" + name; }

  fs::path dir_;
};

// The same checks for both kinds of stream.
void ExerciseStream(Stream& s) {
  EXPECT_EQ(s.Size(), 0);
  WriteBytesToStream(s, "hello world");
  EXPECT_EQ(s.Size(), 11);
  EXPECT_EQ(s.Position(), 11);
  s.Seek(6);
  EXPECT_EQ(ReadBytesFromStream(s, 100), "world");  // only what is there
  EXPECT_EQ(ReadBytesFromStream(s, 5), "");
  s.Seek(0);
  WriteBytesToStream(s, "J");
  s.Seek(0);
  EXPECT_EQ(ReadBytesFromStream(s, 5), "Jello");

  s.SetSize(4);  // truncate: the position beyond moves to the end
  EXPECT_EQ(s.Size(), 4);
  EXPECT_EQ(s.Position(), 4);
  s.Seek(1);
  s.SetSize(6);  // extend with zeros, the position stays
  EXPECT_EQ(s.Position(), 1);
  s.Seek(0);
  EXPECT_EQ(ReadBytesFromStream(s, 10), std::string("Jell\0\0", 6));

  s.Seek(8);  // writing past the end leaves zeros in the gap
  WriteBytesToStream(s, std::string("\xFF\x00", 2));
  EXPECT_EQ(s.Size(), 10);
  s.Seek(0);
  EXPECT_EQ(ReadBytesFromStream(s, 10), std::string("Jell\0\0\0\0\xFF\0", 10));
  s.Seek(-3);
  EXPECT_EQ(s.Position(), 0);
  s.SetSize(0);
  EXPECT_EQ(s.Size(), 0);
  EXPECT_EQ(ReadBytesFromStream(s, 1), "");
}

TEST(MemoryStream, ReadsWritesSeeksAndResizes) {
  MemoryStream s;
  ExerciseStream(s);
  MemoryStream filled(std::string("abc"));
  EXPECT_EQ(filled.Position(), 0);
  EXPECT_EQ(ReadBytesFromStream(filled, 2), "ab");
  filled.Data() += "def";
  EXPECT_EQ(ReadBytesFromStream(filled, 9), "cdef");
  filled.Clear();
  EXPECT_EQ(filled.Size(), 0);
  EXPECT_EQ(filled.Position(), 0);
  EXPECT_EQ(filled.Data(), "");
}

TEST_F(FileStreamTest, ReadsWritesSeeksAndResizes) {
  std::string error;
  auto s = FileStream::Open(PathOf("a\xC3\xA7\xC3\xA3o.part"), FileStream::Mode::Create, &error);
  ASSERT_TRUE(s) << error;
  ExerciseStream(*s);
  WriteBytesToStream(*s, "kept");
  s.reset();
  EXPECT_EQ(fs::file_size(dir_ / FromUtf8("a\xC3\xA7\xC3\xA3o.part")), 4u);
}

TEST_F(FileStreamTest, OpenModes) {
  const std::string path = PathOf("f.bin");
  std::string error;
  EXPECT_FALSE(FileStream::Open(path, FileStream::Mode::OpenRead, &error));
  EXPECT_NE(error.find("f.bin"), std::string::npos) << error;
  EXPECT_FALSE(FileStream::Open(path, FileStream::Mode::OpenReadWrite, nullptr));

  auto created = FileStream::Open(path, FileStream::Mode::Create, &error);
  ASSERT_TRUE(created) << error;
  WriteBytesToStream(*created, "0123456789");
  created.reset();

  auto appended = FileStream::Open(path, FileStream::Mode::OpenReadWrite, &error);
  ASSERT_TRUE(appended) << error;
  EXPECT_EQ(appended->Size(), 10);
  EXPECT_EQ(appended->Position(), 0);
  appended->Seek(appended->Size());
  WriteBytesToStream(*appended, "AB");
  appended.reset();

  auto reader = FileStream::Open(path, FileStream::Mode::OpenRead, &error);
  ASSERT_TRUE(reader) << error;
  EXPECT_EQ(ReadBytesFromStream(*reader, 100), "0123456789AB");
  EXPECT_EQ(reader->Write("x", 1), 0u);  // read-only
  EXPECT_EQ(reader->Size(), 12);
  reader.reset();

  auto recreated = FileStream::Open(path, FileStream::Mode::Create, &error);
  ASSERT_TRUE(recreated) << error;
  EXPECT_EQ(recreated->Size(), 0);
}

TEST_F(FileStreamTest, OpenFileIsExclusiveUntilClosed) {
  const std::string path = PathOf("busy.part");
  std::string error;
  auto first = FileStream::Open(path, FileStream::Mode::Create, &error);
  ASSERT_TRUE(first) << error;
  WriteBytesToStream(*first, "precious");

  for (FileStream::Mode mode :
       {FileStream::Mode::OpenRead, FileStream::Mode::OpenReadWrite, FileStream::Mode::Create}) {
    error.clear();
    EXPECT_FALSE(FileStream::Open(path, mode, &error)) << static_cast<int>(mode);
    EXPECT_FALSE(error.empty());
  }
  // A refused "create" must not have emptied the file that is open.
  EXPECT_EQ(first->Size(), 8);
  first.reset();

  auto again = FileStream::Open(path, FileStream::Mode::OpenRead, &error);
  ASSERT_TRUE(again) << error;
  EXPECT_EQ(ReadBytesFromStream(*again, 100), "precious");
}

TEST_F(FileStreamTest, PositionsBeyondFourGigabytesAreKept) {
  std::string error;
  auto s = FileStream::Open(PathOf("sparse.bin"), FileStream::Mode::Create, &error);
  ASSERT_TRUE(s) << error;
  const std::int64_t far = (std::int64_t{1} << 32) + 7;
  s->Seek(far);
  EXPECT_EQ(s->Position(), far);
  EXPECT_EQ(ReadBytesFromStream(*s, 4), "");
  s->SetSize(0);
  EXPECT_EQ(s->Position(), 0);
}

}  // namespace
}  // namespace ov
