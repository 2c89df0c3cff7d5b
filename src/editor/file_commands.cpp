#include "editor/file_commands.h"

#include "editor/window_messages.h"
#include "platform/text.h"
#include "platform/ui.h"
#include "base/messages.h"

namespace tarvo::editor {

bool ToggleReadOnly() {
    Document* d = CurrentDocument();
    if (!d) return false;
    d->flags ^= kReadOnly;
    unsigned text = (d->flags & kReadOnly) ? kMsgNowReadOnly : kMsgNowWritable;
    platform::ui().statusText(Printf(base::GetString(text), d->name.c_str()).c_str());
    return true;
}

}  // namespace tarvo::editor
