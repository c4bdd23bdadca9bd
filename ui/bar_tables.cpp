#include "ui/bar_tables.h"

#include "platform/utf8.h"

#include <charconv>

namespace {

std::vector<std::string_view> SplitTabs(std::string_view line)
{
    std::vector<std::string_view> fields;
    size_t start = 0;
    for (;;) {
        const size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab == std::string_view::npos ? std::string_view::npos : tab - start));
        if (tab == std::string_view::npos)
            return fields;
        start = tab + 1;
    }
}

bool ParseId(std::string_view text, unsigned* id)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *id);
    return error == std::errc() && end == text.data() + text.size() && *id != 0;
}

// Calls back with each line that is neither empty nor a comment.
template <typename Visit>
bool ForEachLine(std::string_view text, Visit visit)
{
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        start = end + 1;
        if (line.empty() || line.front() == '#')
            continue;
        if (!visit(line))
            return false;
    }
    return true;
}

}  // namespace

MENU_ITEM* FindPopup(std::vector<MENU_ITEM>& items, size_t position)
{
    return position < items.size() && items[position].kind == MENU_ITEM::Popup ? &items[position] : nullptr;
}

bool ParseMenuTable(std::string_view text, std::vector<MENU_ITEM>* menuBar)
{
    menuBar->clear();
    std::vector<std::vector<MENU_ITEM>*> levels{menuBar};
    return ForEachLine(text, [&](std::string_view line) {
        size_t indent = 0;
        while (indent < line.size() && line[indent] == ' ')
            ++indent;
        if (indent % 2 != 0 || indent / 2 >= levels.size())
            return false;
        levels.resize(indent / 2 + 1);
        const std::vector<std::string_view> fields = SplitTabs(line.substr(indent));
        MENU_ITEM item;
        if (fields[0] == "separator" && fields.size() == 1) {
            item.kind = MENU_ITEM::Separator;
        } else if (fields[0] == "popup" && fields.size() == 2) {
            item.kind = MENU_ITEM::Popup;
            item.text = Utf8ToUtf16(fields[1]);
        } else if (fields[0] == "item" && (fields.size() == 3 || fields.size() == 4)) {
            if (!ParseId(fields[1], &item.id))
                return false;
            item.text = Utf8ToUtf16(fields[2]);
            if (fields.size() == 4)
                item.accelerator = Utf8ToUtf16(fields[3]);
        } else {
            return false;
        }
        std::vector<MENU_ITEM>& level = *levels.back();
        level.push_back(std::move(item));
        if (level.back().kind == MENU_ITEM::Popup)
            levels.push_back(&level.back().items);
        return true;
    });
}

bool ParseToolbarTable(std::string_view text, TOOLBAR_LAYOUT* toolbar)
{
    toolbar->buttons.clear();
    return ForEachLine(text, [&](std::string_view line) {
        const std::vector<std::string_view> fields = SplitTabs(line);
        TOOLBAR_BUTTON button;
        if (fields.size() == 1 && fields[0] == "|") {
            button.kind = TOOLBAR_BUTTON::Separator;
        } else if (fields.size() == 2 && fields[0] == "box") {
            button.kind = TOOLBAR_BUTTON::Box;
            if (!ParseId(fields[1], &button.id))
                return false;
        } else if (fields.size() == 2) {
            if (!ParseId(fields[0], &button.id))
                return false;
            button.tooltip = Utf8ToUtf16(fields[1]);
        } else {
            return false;
        }
        toolbar->buttons.push_back(std::move(button));
        return true;
    });
}

bool ParseAcceleratorTable(std::string_view text, std::vector<ACCELERATOR>* accelerators)
{
    accelerators->clear();
    return ForEachLine(text, [&](std::string_view line) {
        const std::vector<std::string_view> fields = SplitTabs(line);
        ACCELERATOR accelerator;
        if (fields.size() != 2 || fields[0].empty() || !ParseId(fields[1], &accelerator.id))
            return false;
        accelerator.key = std::string(fields[0]);
        accelerators->push_back(std::move(accelerator));
        return true;
    });
}

MENU_ITEM* FindMenuItem(std::vector<MENU_ITEM>& items, unsigned id)
{
    for (MENU_ITEM& item : items) {
        if (item.kind == MENU_ITEM::Command && item.id == id)
            return &item;
        if (item.kind == MENU_ITEM::Popup)
            if (MENU_ITEM* found = FindMenuItem(item.items, id))
                return found;
    }
    return nullptr;
}

bool RemoveMenuItem(MENU_ITEM& popup, unsigned id)
{
    for (auto it = popup.items.begin(); it != popup.items.end(); ++it) {
        if (it->kind == MENU_ITEM::Command && it->id == id) {
            popup.items.erase(it);
            return true;
        }
    }
    return false;
}

bool ReplaceMenuItem(std::vector<MENU_ITEM>& items, unsigned oldId, unsigned newId, const std::u16string& text)
{
    MENU_ITEM* item = FindMenuItem(items, oldId);
    if (!item)
        return false;
    item->id = newId;
    item->text = text;
    return true;
}

bool RemoveButton(TOOLBAR_LAYOUT& toolbar, unsigned id)
{
    for (auto it = toolbar.buttons.begin(); it != toolbar.buttons.end(); ++it) {
        if (it->kind == TOOLBAR_BUTTON::Button && it->id == id) {
            toolbar.buttons.erase(it);
            return true;
        }
    }
    return false;
}

bool ReplaceButtonId(TOOLBAR_LAYOUT& toolbar, unsigned oldId, unsigned newId)
{
    for (TOOLBAR_BUTTON& button : toolbar.buttons) {
        if (button.kind == TOOLBAR_BUTTON::Button && button.id == oldId) {
            button.id = newId;
            return true;
        }
    }
    return false;
}
