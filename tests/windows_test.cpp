// What only Windows has: the long form of paths and the resources of
// Vindolar.exe.
#include <gtest/gtest.h>
#include <windows.h>

#include "file_io_win32.h"

TEST(Windows, LongPathsGetTheVerbatimFormAndShortOnesStayAsTyped) {
  const std::wstring dirs = std::wstring(250, L'd') + L"\\cpu.000";
  EXPECT_EQ(LongPathForm(L"C:\\" + dirs, L"C:\\" + dirs), L"\\\\?\\C:\\" + dirs);
  EXPECT_EQ(LongPathForm(L"cpu.000", L"C:\\" + dirs), L"\\\\?\\C:\\" + dirs);
  EXPECT_EQ(LongPathForm(L"\\\\srv\\share\\" + dirs, L"\\\\srv\\share\\" + dirs),
            L"\\\\?\\UNC\\srv\\share\\" + dirs);
  EXPECT_EQ(LongPathForm(L"\\\\?\\C:\\" + dirs, L"\\\\?\\C:\\" + dirs), L"\\\\?\\C:\\" + dirs);
  // The classic limit: 260 characters with the NUL.
  const std::wstring longest = L"C:\\" + std::wstring(256, L'x');
  EXPECT_EQ(LongPathForm(L"x", longest), L"x");
  EXPECT_EQ(LongPathForm(L"x", longest + L"x"), L"\\\\?\\" + longest + L"x");
}

// The file version, as File Properties shows it.
TEST(Windows, TheExecutableCarriesTheProjectVersion) {
  std::string info(GetFileVersionInfoSizeW(VINDOLAR_EXE, nullptr), '\0');
  ASSERT_TRUE(GetFileVersionInfoW(VINDOLAR_EXE, 0, info.size(), info.data()));
  VS_FIXEDFILEINFO* fixed;
  UINT size;
  ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &size));
  EXPECT_EQ(std::to_wstring(HIWORD(fixed->dwFileVersionMS)) + L"." +
                std::to_wstring(LOWORD(fixed->dwFileVersionMS)) + L"." +
                std::to_wstring(HIWORD(fixed->dwFileVersionLS)),
            VINDOLAR_VERSION);
}
