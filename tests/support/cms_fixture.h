// A version store in a scratch folder for the check-in and administration tests: a working
// folder with its CMS folder, a fixed user, every shown line and question recorded, answers
// taken from a queue (no when it is empty), and one day a check-in.
#pragma once
#include <string>
#include <vector>

#include "cms/checkin.h"
#include "editor_test_util.h"
#include "platform/files.h"
#include "settings_test_util.h"

namespace tarvo::test {

struct CmsFixture : MainKeyTest {
    editor::test::TempDir tmp;
    cms::CmsContext c;
    std::vector<std::string> shown, asked;
    std::vector<bool> answers;
    int day = 1;
    void SetUp() override {
        MainKeyTest::SetUp();
        c.workingDirectory = tmp.path + "\\work";
        c.cmsDirectory = tmp.path + "\\work\\CMS";
        platform::MakeDirectory(c.workingDirectory);
        platform::MakeDirectory(c.cmsDirectory);
        c.user = "carol";
        c.show = [this](const std::string& line) { shown.push_back(line); };
        c.ask = [this](const std::string& q) {
            asked.push_back(q);
            bool yes = !answers.empty() && answers.front();
            if (!answers.empty()) answers.erase(answers.begin());
            return yes;
        };
        c.now = [this] { return "2024.6." + std::to_string(day) + ".9.30.0"; };
    }
};

}  // namespace tarvo::test
