#include "ui/application_title.h"

#include <gtest/gtest.h>

namespace ov {
namespace {

TEST(ApplicationTitle, FileNameUpToTheFirstDotWithTheRestLowerCased) {
  struct Case {
    std::string path, title;
  } cases[] = {
      {"Instalador.exe", "Instalador"},
      {"C:\\Users\\ana\\Downloads\\INSTALADOR.EXE", "Instalador"},
      {"/tmp/dir.with.dots/instalador.v2.exe", "instalador"},
      {"Z:\\\xC3\x81RVORE\xC3\x87.exe", "\xC3\x81rvore\xC3\xA7"},  // ÁRVOREÇ gives Árvoreç
      {"SemPonto", "Semponto"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(ApplicationTitle(c.path), c.title) << c.path;
}

}  // namespace
}  // namespace ov
