// The keywords of a working file ("$Revision: 1.4 $", "$Id: main.c 1.4 2024/05/01 14:05:09
// carol Exp $", ...), read when a file is checked in with the values it names.
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace tarvo::cms {

struct KeywordValues {
    std::string author, revision, date, state, file, locker;
    std::vector<std::string> warnings;  // logged, the check-in goes on
};

// Scans the text until the author, revision, state, date and a file name are known. False with
// the message on a value that cannot be used.
bool ReadKeywords(std::string_view text, KeywordValues& values, std::string& message);

// One of the store's keyword names ("Author", "Date", "Header", "Id", ...).
bool IsKeywordName(std::string_view word);

// A date of a keyword as the store writes dates ("2024.5.1.14.5.9"): the store's own form, or a
// date and a time word ("24/05/01 14:05:09", four-digit years too; two-digit years from 70 are
// 19xx, below 70 20xx). Empty when it is not a date.
std::string KeywordDate(std::string_view day, std::string_view time);

}  // namespace tarvo::cms
