// What only Windows has: the long form of paths, the identity of files and
// the resources of Vindolar.exe.
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

TEST(Windows, OneFileIsKnownByItsIndexElseByItsFinalPath) {
  FileIdentity refs{0x1122334455667788, {}, L""};  // a 128-bit index, high bytes set
  refs.index[15] = 0x80;
  FileIdentity other = refs;
  EXPECT_TRUE(SameFile(refs, other));
  other.index[0] = 1;
  EXPECT_FALSE(SameFile(refs, other));
  other = refs;
  other.volume ^= 1ULL << 40;  // the same index on another volume
  EXPECT_FALSE(SameFile(refs, other));
  // A 64-bit index and its own volume's 32-bit serial; the same final path
  // does not make two indexes one file.
  FileIdentity ntfs{0xCAFE, {7, 0, 0, 0, 0, 0, 0, 1}, L"\\Device\\V1\\in.hst"};
  FileIdentity link = ntfs;
  link.final_path.clear();
  EXPECT_TRUE(SameFile(ntfs, link));
  link.index[7] = 2;
  link.final_path = ntfs.final_path;
  EXPECT_FALSE(SameFile(ntfs, link));
  // Unknown indexes: the final paths decide, in any case.
  FileIdentity share{0, {}, L"\\Device\\Mup\\srv\\d\\In.hst"};
  EXPECT_TRUE(SameFile(share, FileIdentity{0, {}, L"\\Device\\Mup\\SRV\\d\\in.HST"}));
  EXPECT_TRUE(SameFile(share, FileIdentity{0xCAFE, {7}, share.final_path}));
  EXPECT_FALSE(SameFile(share, FileIdentity{0, {}, L"\\Device\\Mup\\srv\\d\\in.txt"}));
  EXPECT_FALSE(SameFile(FileIdentity{}, FileIdentity{}));
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
