// How the lists of the settings are stored: a count value and numbered values, each list in its
// own text format. Readers take what is readable and stop where the stored list ends; writers
// go through a SettingsKey and so stop at its first failed write.
#pragma once
#include <string>
#include <vector>

#include "base/settings.h"
#include "base/settings_store.h"

namespace tarvo::base {

// The name of a numbered value: "Util%dNickname", "Language%dKeywords%d".
std::string Numbered(const char* format, long n);
std::string Numbered(const char* format, long n, long m);

// Rectangles: "%d,%d,%d,%d" (tool bar) or "%d %d %d %d" (a project's frame).
std::string FormatRect(const Rect& r, char separator);
bool ParseRect(const std::string& text, char separator, Rect& r);

// Macro text: three characters per byte, a line holds 21 bytes (63 characters).
inline constexpr size_t kMacroBytesPerLine = 21;
std::string EncodeMacroByte(unsigned char byte);
std::vector<std::string> EncodeMacroText(const std::string& text);
// Appends the bytes of one stored line; false when the line is not whole groups of three.
bool DecodeMacroLine(const std::string& line, std::string& text);

// "%4d%4d%4d%4d": row index, key, command, modifiers.
std::string FormatKeyBinding(size_t row, const KeyRow& binding);
bool ParseKeyBinding(const std::string& text, size_t& row, KeyRow& binding);

// "\"%s\" %d %d %d %d %d": name, cursor line, window left, top, right, bottom.
std::string FormatOpenFile(const OpenFile& file);
bool ParseOpenFile(const std::string& text, OpenFile& file);

void ReadUtilities(const SettingsKey& key, std::vector<Utility>& utilities);
bool WriteUtilities(SettingsKey& key, const std::vector<Utility>& utilities);

// Stored languages update the one of the same name in `languages`; the others are put in front,
// in their stored order.
void ReadLanguages(const SettingsKey& key, std::vector<Language>& languages);
bool WriteLanguages(SettingsKey& key, const std::vector<Language>& languages);

void ReadMacros(const SettingsKey& key, std::vector<Macro>& macros);
bool WriteMacros(SettingsKey& key, const std::vector<Macro>& macros);

// Stored bindings change the rows of `rows` (a copy of the command key table).
void ReadKeyBindings(const SettingsKey& key, std::vector<KeyRow>& rows);
bool WriteKeyBindings(SettingsKey& key, const std::vector<KeyRow>& rows);

void ReadOpenFiles(const SettingsKey& key, std::vector<OpenFile>& files);
bool WriteOpenFiles(SettingsKey& key, const std::vector<OpenFile>& files);

}  // namespace tarvo::base
