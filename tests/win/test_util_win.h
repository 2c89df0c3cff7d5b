// Files, folders, window texts and screenshots for the Win32 tests and the GUI tests.
#pragma once
#include <windows.h>

#include <string>

namespace tarvo::test {

// The compiler root of this build as a Windows path (Z:\...\root).
std::string BuildRoot();
// A fresh, empty folder for one test's files (and screenshots), under the build tree.
std::string ScratchDir(const std::string& name);
// Deletes the files in the folder (files of an earlier run would change what a test sees).
void EmptyFolder(const std::string& dir);
void WriteTextFile(const std::string& path, const std::string& text);
std::string ReadTextFile(const std::string& path);
// Moves a file's modification time by that many seconds (a later time without waiting).
void ShiftFileTime(const std::string& path, int seconds);

std::string Text(HWND window);
std::string ClassOf(HWND window);

// Saves the screen as a BMP file.
bool Screenshot(const std::string& path);

}  // namespace tarvo::test
