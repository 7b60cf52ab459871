#pragma once

#include <array>
#include <cstdint>
#include <string>

// What only the Windows files use.

// UTF-8 to UTF-16 for the wide Windows API. False when the text is not
// valid UTF-8.
bool Widen(const char* text, std::wstring* wide);
// UTF-16 to UTF-8; unpaired surrogates become U+FFFD.
std::string Narrow(const wchar_t* wide);

// The form of a path that Windows calls take, given the path as typed and
// its full form (from GetFullPathNameW): as typed while the full path is
// shorter than the classic limit of 260 characters, otherwise the full path
// marked \\?\ (\\?\UNC\ for a share), which lifts the limit. A path
// already in the \\?\ or \\.\ form stays as typed.
std::wstring LongPathForm(const std::wstring& typed, const std::wstring& full);

// What tells two names of one file apart from two files: the volume's serial
// number and the file's index on it, 128 bits where the file system has
// them (ReFS), else the 64-bit index in the first 8 bytes. An index of all
// zeros is unknown (some network shares); the final path, which Windows
// resolves through links, short names and mapped drives, then stands in.
struct FileIdentity {
  std::uint64_t volume = 0;
  std::array<unsigned char, 16> index{};
  std::wstring final_path;  // empty when unknown
};
// True when both identities are of one file. Where either index is unknown
// the final paths decide, compared without regard to case as Windows
// compares names; two unknown paths never match.
bool SameFile(const FileIdentity& a, const FileIdentity& b);
