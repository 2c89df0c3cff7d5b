#include "base/settings_numbered.h"

#include "platform/text.h"

namespace tarvo::base {
namespace {

std::string itemName(std::string_view item, long n) {
    return std::string(item) + Printf("%ld", n);
}

}  // namespace

void ReadNumbered(const SettingsKey& key, std::string_view count, std::string_view item,
                  const std::function<bool(const std::string& text)>& take) {
    long stored = ReadNumber(key, count, 0);
    for (long n = 1; n <= stored; ++n) {
        std::string text;
        if (!ReadText(key, itemName(item, n), text) || !take(text)) return;
    }
}

bool WriteNumbered(SettingsKey& key, std::string_view count, std::string_view item,
                   const std::vector<std::string>& texts) {
    WriteNumber(key, count, static_cast<long>(texts.size()));
    for (size_t i = 0; i < texts.size(); ++i)
        WriteText(key, itemName(item, static_cast<long>(i + 1)), texts[i]);
    return !key.failed;
}

std::string TextItem(const std::string& text) { return text; }

ItemRead TakeText(const std::string& text, std::string& item) {
    item = text;
    return ItemRead::Take;
}

}  // namespace tarvo::base
