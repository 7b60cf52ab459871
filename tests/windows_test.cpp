// What only Windows has: the long form of paths.
#include <gtest/gtest.h>
#include <windows.h>

#include "conversion_support.h"

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
