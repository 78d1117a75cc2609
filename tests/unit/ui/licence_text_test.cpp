#include "ui/licence_text.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace ov {
namespace {

TEST(LicenceText, LineBreaksBecomeCrLfWithoutATrailingOne) {
  struct Case {
    std::string in, out;
  } cases[] = {
      {"a\nb\n", "a\r\nb"},
      {"a\r\nb\r\n", "a\r\nb"},
      {"a\n\nb", "a\r\n\r\nb"},
      {"\n", ""},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(LinesForTextBox(c.in), c.out) << c.in;
}

std::string ReadResource(const std::string& name) {
  // The source tree from the environment, else from this file's own place in it.
  const char* root = std::getenv("OV_SOURCE_DIR");
  const std::filesystem::path source =
      root ? std::filesystem::path(root)
           : std::filesystem::path(__FILE__).parent_path() / "../../..";
  std::ifstream in(source / "ui/win32/resources" / name, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(LicenceText, AgreementsHaveTheirFirstLineAndLineCount) {
  struct Case {
    std::string file, first_line;
    std::size_t lines;
  } cases[] = {
      {"licenca_gratuito.txt",
       "Termo de Licen\xC3\xA7"
       "a de uso do sistema Ovilar Gratuito",
       240},
      {"licenca_demo.txt",
       "Termo de Licen\xC3\xA7"
       "a de uso do Sistema Ovilar - Vers\xC3\xA3o Demonstra\xC3\xA7\xC3\xA3o",
       245},
  };
  for (const auto& c : cases) {
    const std::string box = LinesForTextBox(ReadResource(c.file));
    ASSERT_FALSE(box.empty()) << c.file;
    std::size_t lines = 1, pos = 0;
    while ((pos = box.find("\r\n", pos)) != std::string::npos) ++lines, pos += 2;
    EXPECT_EQ(lines, c.lines) << c.file;
    EXPECT_EQ(box.substr(0, box.find("\r\n")), c.first_line);
    EXPECT_NE(box.find("CL\xC3\x81USULA 1\xC2\xAA"), std::string::npos) << c.file;
  }
}

}  // namespace
}  // namespace ov
