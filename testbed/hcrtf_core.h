// The help compiler stand-in's checks, without Windows: it reads a help project file and the
// topics file it names, checks them strictly, and writes as the "help file" a text dump that
// tests read:
//
//   TARVO HELP DUMP 1
//   TITLE <title>
//   CONTENTS <context string>
//   TOPIC <context string>[ <more context strings>]\t<title>
//   KEYWORDS <keyword>;<keyword>...     (when the topic has any)
//   BROWSE <sequence>                   (when it has one)
//   TEXT <one line of the topic's text>
//   JUMP <jump text>\t<context string>
//
// Checked: the project's sections and names; the topics file's rtf header, balanced braces
// and nothing after the outer group; every topic has a context string and a title; context
// strings hold only letters, digits, '_' and '.', at most 255 of them, and are unique; every
// jump resolves; the CONTENTS topic exists.
#pragma once
#include <string>
#include <vector>

namespace tarvo::testbed {

struct HelpProjectFile {
    std::string title, contents, errorLog;
    std::vector<std::string> files;
};

// False with the problems appended to `errors` when the project file is not usable.
bool ParseHelpProject(const std::string& text, HelpProjectFile& project, std::vector<std::string>& errors);

struct HelpTopicDump {
    std::vector<std::string> contexts;
    std::string title, keywords, browse;
    std::vector<std::string> text;                            // the topic's lines
    std::vector<std::pair<std::string, std::string>> jumps;   // jump text, context string
};

// Parses and checks a topics file; the topics are filled as far as they could be read.
bool CheckHelpTopics(const std::string& rtf, const std::string& fileName, std::vector<HelpTopicDump>& topics,
                     std::vector<std::string>& errors);

// Checks across the files: unique context strings, jumps that resolve, the contents topic.
bool CheckHelpLinks(const HelpProjectFile& project, const std::vector<HelpTopicDump>& topics,
                    std::vector<std::string>& errors);

std::string HelpDump(const HelpProjectFile& project, const std::vector<HelpTopicDump>& topics);

}  // namespace tarvo::testbed
