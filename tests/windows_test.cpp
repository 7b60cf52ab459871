// What only Windows has: the long form of paths and the identity of files.
#include <gtest/gtest.h>

#include "file_io_win32.h"

TEST(Windows, LongPathsGetTheVerbatimFormAndShortOnesStayAsTyped) {
  const std::wstring dirs = std::wstring(250, L'd') + L"\\cpu.000";
  EXPECT_EQ(LongPathForm(L"\\\\srv\\share\\" + dirs, L"\\\\srv\\share\\" + dirs),
            L"\\\\?\\UNC\\srv\\share\\" + dirs);
  EXPECT_EQ(LongPathForm(L"\\\\?\\C:\\" + dirs, L"\\\\?\\C:\\" + dirs), L"\\\\?\\C:\\" + dirs);
  // The classic limit: 260 characters with the NUL.
  const std::wstring longest = L"C:\\" + std::wstring(256, L'x');
  EXPECT_EQ(LongPathForm(L"x", longest), L"x");
  EXPECT_EQ(LongPathForm(L"x", longest + L"x"), L"\\\\?\\" + longest + L"x");
}

static FileIdentity Id(std::uint64_t volume, unsigned char low, unsigned char high,
                       std::wstring path) {
  return {volume, {low, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, high}, std::move(path)};
}

TEST(Windows, OneFileIsKnownByItsIndexElseByItsFinalPath) {
  // The index (128 bits, or 64 with the high bytes zero) and the volume
  // count, the path does not.
  EXPECT_TRUE(SameFile(Id(9, 1, 0x80, L"a"), Id(9, 1, 0x80, L"b")));
  EXPECT_FALSE(SameFile(Id(9, 1, 0x80, L"a"), Id(9, 1, 0x81, L"a")));
  EXPECT_FALSE(SameFile(Id(9, 1, 0x80, L"a"), Id(1ULL << 40 | 9, 1, 0x80, L"a")));
  // An unknown index: the final paths decide, in any case; no path, no match.
  EXPECT_TRUE(SameFile(Id(0, 0, 0, L"\\Mup\\srv\\In.hst"), Id(0, 0, 0, L"\\Mup\\SRV\\in.HST")));
  EXPECT_FALSE(SameFile(Id(0, 0, 0, L"\\Mup\\srv\\in.hst"), Id(0, 0, 0, L"\\Mup\\srv\\in.txt")));
  EXPECT_FALSE(SameFile(Id(0, 0, 0, L""), Id(0, 0, 0, L"")));
}
