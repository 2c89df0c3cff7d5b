// Lists stored as a count value followed by values numbered from 1: "PrjFiles" = 2, "File1",
// "File2". Reading stops at the first missing value; writing writes the count, then the items,
// and stops at the first failed write (the SettingsKey keeps that state).
#pragma once
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/settings_store.h"

namespace tarvo::base {

// What the reading does with one stored item.
enum class ItemRead { Take, Skip, End };

// A list's names and its items' text format. The name of item n is `item` followed by n.
template <class Item>
struct NumberedList {
    std::string_view count;
    std::string_view item;
    std::string (*format)(const Item&);
    // Fills the item from its text, or says to skip it or to end the list there.
    ItemRead (*parse)(const std::string& text, Item& item);
};

// Reads the count, then the items from 1 until one is missing or `take` returns false.
void ReadNumbered(const SettingsKey& key, std::string_view count, std::string_view item,
                  const std::function<bool(const std::string& text)>& take);
bool WriteNumbered(SettingsKey& key, std::string_view count, std::string_view item,
                   const std::vector<std::string>& texts);

template <class Item>
void ReadList(const SettingsKey& key, const NumberedList<Item>& list, std::vector<Item>& items) {
    items.clear();
    ReadNumbered(key, list.count, list.item, [&](const std::string& text) {
        Item read{};
        ItemRead verdict = list.parse(text, read);
        if (verdict == ItemRead::Take) items.push_back(std::move(read));
        return verdict != ItemRead::End;
    });
}

template <class Item>
bool WriteList(SettingsKey& key, const NumberedList<Item>& list, const std::vector<Item>& items) {
    std::vector<std::string> texts;
    texts.reserve(items.size());
    for (const Item& item : items) texts.push_back(list.format(item));
    return WriteNumbered(key, list.count, list.item, texts);
}

// Lists of plain texts (project names, users, file names).
std::string TextItem(const std::string& text);
ItemRead TakeText(const std::string& text, std::string& item);
constexpr NumberedList<std::string> TextList(std::string_view count, std::string_view item) {
    return {count, item, TextItem, TakeText};
}

}  // namespace tarvo::base
