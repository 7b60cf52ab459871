#pragma once

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
