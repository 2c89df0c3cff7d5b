#include "tools/string_table_command.h"

#include <new>

#include "base/messages.h"
#include "editor/cursor.h"
#include "editor/edit.h"
#include "editor/language.h"
#include "editor/places.h"
#include "editor/undo.h"
#include "platform/files.h"
#include "platform/text.h"
#include "platform/ui.h"
#include "tools/string_table_messages.h"

namespace tarvo::tools {
namespace {

// An output file: what it held, and what it is to hold.
struct Output {
    std::string path;
    bool existed = false;
    std::string old{};
    std::string text{};
    bool ours = false;
};

bool ReadOutput(Output& o) {
    o.existed = platform::FileExists(o.path);
    if (!o.existed) return true;
    platform::FileContent content;
    if (platform::ReadWholeFile(o.path, content) != platform::ReadStatus::Ok) {
        base::ErrorBox(Printf(base::GetString(base::kMsgCannotOpenForWriting), o.path.c_str()));
        return false;
    }
    o.old.assign(content.data.get(), content.size);
    o.ours = StartsWithMarker(o.old);
    return true;
}

// A file of another program is replaced only when the user says so; no means stop.
bool MayReplace(const Output& o) {
    if (!o.existed || o.ours) return true;
    return base::Confirm(Printf(base::GetString(kMsgStringsDestroy), o.path.c_str())) == 1;
}

bool WriteText(const std::string& path, const std::string& text) {
    platform::ReplaceFile file;
    if (platform::BeginReplace(file, path) != platform::ReplaceStatus::Ok) return false;
    if (!platform::WriteReplace(file, text.data(), text.size())) return false;
    return platform::FinishReplace(file) == platform::ReplaceStatus::Ok;
}

// Every output, or none: one that fails puts back those written before it.
bool WriteOutputs(const std::vector<Output>& outputs) {
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        if (WriteText(outputs[i].path, outputs[i].text)) continue;
        for (std::size_t k = 0; k < i; ++k) {
            if (outputs[k].existed) WriteText(outputs[k].path, outputs[k].old);
            else platform::RemoveFile(outputs[k].path);
        }
        base::ErrorBox(Printf(base::GetString(kMsgStringsCannotWrite), outputs[i].path.c_str()));
        return false;
    }
    return true;
}

bool RebuildDocument(editor::View& v, const std::vector<RewrittenLine>& lines) {
    editor::Document& d = *v.document;
    const editor::Position cursor = editor::CursorPosition();
    std::vector<editor::SavedLine> saved;
    try {
        std::size_t k = 0;
        long number = 0;
        for (editor::Line* line = d.lines->next; line != d.lines && k < lines.size(); line = line->next, ++number) {
            if (lines[k].line != static_cast<std::size_t>(number)) continue;
            saved.push_back({number + 1, std::string(editor::LineText(*line)), line->marks});
            editor::SetText(*line, lines[k].text);
            const long length = static_cast<long>(lines[k].text.size());
            editor::ForEachPlace(d, [&](editor::Line*& l, long& c) {
                if (l == line && c > length) c = length;
            });
            ++k;
        }
    } catch (const std::bad_alloc&) {
        base::OutOfMemoryBox();
    }
    if (saved.empty()) return false;
    d.flags &= static_cast<std::uint16_t>(~editor::kCommentMapCurrent);
    editor::MarkChanged(d, false);
    editor::LogLineRestore(v.window, cursor, std::move(saved));
    return true;
}

}  // namespace

StringOptions& stringOptions() {
    static StringOptions options;
    return options;
}

std::string DefaultArrayFile(const std::string& documentPath) { return OutputBase(documentPath) + "_str.c"; }

bool MoveStrings(const StringOptions& options) {
    editor::View* v = editor::CurrentView();
    if (!v) return false;
    editor::Document& d = *v->document;
    const std::string name = platform::BaseName(d.name);
    if (!editor::IsCLanguage(d.language)) {
        base::ErrorBox(Printf(base::GetString(kMsgStringsNotC), name.c_str()));
        return false;
    }
    std::string badName;
    if (unsigned error = CheckStringOptions(options, badName)) {
        base::ErrorBox(Printf(base::GetString(error), badName.c_str()));
        return false;
    }
    if (!editor::CanEdit(d)) return false;
    std::vector<std::string_view> lines;
    for (editor::Line* l = d.lines->next; l != d.lines; l = l->next) lines.push_back(editor::LineText(*l));
    const bool array = options.flags & kStringsArray;
    const bool identifiers = !array && (options.flags & kStringsIdentifiers);
    Collected collected = CollectStrings(lines, !array);
    if (collected.end != CollectEnd::Ok) {
        unsigned id = collected.end == CollectEnd::BadCharConstant ? kMsgStringsBadChar : kMsgStringsUnfinished;
        base::ErrorBox(Printf(base::GetString(id), name.c_str(), static_cast<int>(collected.badLine)));
        return false;
    }
    if (collected.entries.empty()) {
        platform::ui().statusText(Printf(base::GetString(kMsgStringsNone), name.c_str()).c_str());
        return false;
    }
    const std::string base = OutputBase(d.name);
    std::vector<Output> outputs;
    if (array) outputs.push_back({options.arrayFile.empty() ? DefaultArrayFile(d.name) : options.arrayFile});
    else outputs.push_back({base + ".rc"});
    if (identifiers) outputs.push_back({base + ".h"});
    for (Output& o : outputs) {
        o.path = platform::FullPath(o.path);
        if (editor::FindDocument(o.path, false)) {
            base::ErrorBox(Printf(base::GetString(kMsgStringsOutputOpen), o.path.c_str()));
            return false;
        }
        if (!ReadOutput(o)) return false;
    }
    // What is asked is asked before anything is written.
    long first = 0;
    if (array) {
        Output& o = outputs[0];
        if (o.existed && o.ours) {
            if (base::Confirm(Printf(base::GetString(kMsgStringsAppend), o.path.c_str())) != 1) return false;
            first = ArrayEntryCount(o.old);
        } else if (!MayReplace(o)) {
            return false;
        }
    } else {
        for (const Output& o : outputs)
            if (!MayReplace(o)) return false;
        first = NextResourceNumber(outputs[0].ours ? outputs[0].old : "",
                                   identifiers && outputs[1].ours ? outputs[1].old : "");
    }
    NumberEntries(collected.entries, first, options.prefix);
    bool built = array ? BuildArrayFile(outputs[0].ours ? outputs[0].old : "", options.arrayName, name,
                                        collected.entries, outputs[0].text)
                       : BuildResourceScript(outputs[0].ours ? outputs[0].old : "", name, collected.entries,
                                             identifiers ? platform::BaseName(outputs[1].path) : "", outputs[0].text);
    if (!built) {
        base::ErrorBox(Printf(base::GetString(kMsgStringsCannotExtend), outputs[0].path.c_str()));
        return false;
    }
    if (identifiers)
        outputs[1].text = BuildResourceHeader(outputs[1].ours ? outputs[1].old : "", name, collected.entries);
    if (!WriteOutputs(outputs)) return false;
    StringOptions used = options;
    if (!array) used.flags |= kStringsCall;  // a resource is only reached through a function
    if (!identifiers) used.flags &= static_cast<std::uint16_t>(~kStringsIdentifiers);
    if (!RebuildDocument(*v, RewriteLines(lines, collected, used))) return false;
    platform::ui().statusText(Printf(base::GetString(kMsgStringsMoved), static_cast<int>(collected.entries.size()),
                                     outputs[0].path.c_str())
                                  .c_str());
    return true;
}

}  // namespace tarvo::tools
