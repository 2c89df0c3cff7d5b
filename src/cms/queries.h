// What a repository file holds and what was done with it, without changing anything: the
// query of a file, the keywords of a working file, the operations log filtered, and two
// revisions (or one and the working file) put in scratch files for a comparison.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "cms/checkin.h"

namespace tarvo::cms {

// A store date ("2024.6.7.9.30.0") in fields; two-digit years are of the 1900s. False when
// the text is not a date.
struct DateFields {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};
bool SplitDate(std::string_view date, DateFields& out);
// "January" to "December"; empty outside 1 to 12.
std::string_view MonthName(int month);

// The query's lines: head, default branch, locks, access list, symbolic names, the number of
// revisions, the description and each revision with its date, author, state and log.
std::vector<std::string> QueryLines(const Repository& repo);
// The locks as one text, "user revision" each, separated by blanks.
std::string LocksText(const Repository& repo);
// Reads the repository file of a working file for an operation that only reads: the name
// checked, the file there, no operation changing it, the user on its access list.
bool ReadForQuery(const CmsContext& context, const std::string& file, std::string& cmsPath, Repository& repo);
// Reads the repository file of `file` (refused while an operation holds it) and shows the
// query lines, or with `locksOnly` returns the locks in `locks` without showing anything.
bool Query(const CmsContext& context, const std::string& file, bool locksOnly, std::string& locks);

// Every keyword of the text ("$Revision: 1.4 $") as "%-15s | %s"; "No keywords found" alone
// when there is none.
std::vector<std::string> KeywordLines(std::string_view text);
// The same for a file; false with the message when it cannot be read.
bool KeywordList(const std::string& path, std::vector<std::string>& lines, std::string& message);

// The operations log filtered: "*" passes everything; month 0 is every month.
struct LogFilter {
    std::string module = "*", operation = "*", user = "*";
    int month = 0;
};
struct LogView {
    std::string heading;
    std::vector<std::string> rows;
    int selected = 0, total = 0;
};
LogView ViewLog(std::string_view log, const LogFilter& filter);
// The count line under the rows.
std::string CountLine(const LogView& view);

// Two sides of a comparison of revisions of a working file: with two revisions both are
// retrieved; with one (or none: the default revision) it is compared with the working file,
// which must exist. The retrieved sides are written to scratch files in `scratchDirectory`.
struct ComparedSides {
    std::string firstPath, secondPath, firstName, secondName;
    std::vector<std::string> scratch;  // the files to remove afterwards
};
bool RevisionSides(const CmsContext& context, const std::string& file, const std::string& first,
                   const std::string& second, const std::string& scratchDirectory, ComparedSides& out);
// Writes a scratch file whole; shows the failure.
bool WriteScratch(const std::string& path, const std::string& content);

}  // namespace tarvo::cms
