// Guards the test harness itself: the Windows build's tests must really run inside Wine.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>

TEST(Harness, WindowsBuildRunsInsideWine) {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  ASSERT_NE(ntdll, nullptr);
  using VersionFn = const char* (*)();
  auto wine_version =
      reinterpret_cast<VersionFn>(reinterpret_cast<void*>(GetProcAddress(ntdll, "wine_get_version")));
  ASSERT_NE(wine_version, nullptr) << "not running under Wine";
  EXPECT_NE(std::string(wine_version()), "");
  EXPECT_EQ(sizeof(void*), 4u) << "the Windows build must be 32-bit";
}
#else
TEST(Harness, NativeBuildIsSixtyFourBitLinux) { EXPECT_EQ(sizeof(void*), 8u); }
#endif
