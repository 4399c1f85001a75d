// File helpers of the Windows tests.
#pragma once

#include <string>

namespace halvane::test {

// Removes a folder with everything below it; links are removed, not followed.
void RemoveTree(const std::wstring& path);
// The full path of `name` in this test program's own folder.
std::wstring BesideThisProgram(const std::wstring& name);

}  // namespace halvane::test
