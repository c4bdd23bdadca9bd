#include "editor/frame_layout.h"

#include "platform/utf8.h"
#include "ui/ui_resources.h"

#include <QFile>
#include <QString>

#include <charconv>

// The resources live in this static library, so they are registered by hand before first use.
static void InitTarselResources()
{
    Q_INIT_RESOURCE(tarsel);
    InitUiResources();
}

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

std::string LoadResource(const char* name)
{
    static const bool registered = (InitTarselResources(), true);
    (void)registered;
    QFile file(QString(":/tarsel/") + name);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll().toStdString();
}

MENU_ITEM* FindPopup(std::vector<MENU_ITEM>& items, size_t position)
{
    return position < items.size() && items[position].kind == MENU_ITEM::Popup ? &items[position] : nullptr;
}

}  // namespace

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

void PruneFeatures(std::vector<MENU_ITEM>& menuBar, TOOLBAR_LAYOUT& standard, TOOLBAR_LAYOUT& format)
{
    // Top-level positions: 0 file, 1 edit, 2 view, 3 question, 4 layout, 5 insert, 6 format,
    // 7 reading marks, 8 help.
    if (MENU_ITEM* view = FindPopup(menuBar, 2))
        if (MENU_ITEM* toolbars = FindPopup(view->items, 3))
            RemoveMenuItem(*toolbars, 32921);
    if (MENU_ITEM* question = FindPopup(menuBar, 3))
        RemoveMenuItem(*question, 32885);
    if (MENU_ITEM* edit = FindPopup(menuBar, 1)) {
        RemoveMenuItem(*edit, 57640);
        // The object verbs' placeholder would stand as a literal item while no embedded object
        // can be selected; it goes with the separator before it.
        if (RemoveMenuItem(*edit, kObjectVerbsPlaceholder))
            while (!edit->items.empty() && edit->items.back().kind == MENU_ITEM::Separator)
                edit->items.pop_back();
    }
    RemoveButton(standard, 57640);
    // Reading marks are set only through the kanbun frame's context menu.
    if (FindPopup(menuBar, 7))
        menuBar.erase(menuBar.begin() + 7);
    RemoveButton(format, 32935);
    // The format menu is now at position 6 still; its alignment submenu at position 3.
    if (MENU_ITEM* formatMenu = FindPopup(menuBar, 6)) {
        if (MENU_ITEM* alignment = FindPopup(formatMenu->items, 3))
            RemoveMenuItem(*alignment, 383);
        RemoveButton(format, 383);
        RemoveMenuItem(*formatMenu, 387);
        RemoveButton(format, 387);
        RemoveMenuItem(*formatMenu, 32910);
    }
}

void ApplyWritingDirection(bool vertical, std::vector<MENU_ITEM>& menuBar, TOOLBAR_LAYOUT& standard,
                           TOOLBAR_LAYOUT& format)
{
    if (vertical) {
        ReplaceButtonId(format, 377, 379);
        ReplaceButtonId(format, 378, 380);
        ReplaceMenuItem(menuBar, 377, 379, u"上寄せ");
        ReplaceMenuItem(menuBar, 378, 380, u"下寄せ");
        ReplaceButtonId(standard, 32774, 433);
        ReplaceMenuItem(menuBar, 32774, 433, u"外字パレット");
    } else {
        ReplaceButtonId(format, 379, 377);
        ReplaceButtonId(format, 380, 378);
        ReplaceMenuItem(menuBar, 379, 377, u"左寄せ");
        ReplaceMenuItem(menuBar, 380, 378, u"右寄せ");
        ReplaceButtonId(standard, 433, 32774);
        ReplaceMenuItem(menuBar, 433, 32774, u"文字パレット");
    }
}

bool LoadFrameLayout(FRAME_LAYOUT* layout)
{
    layout->standard = {BarId::kStandard, u"標準", {}};
    layout->format = {BarId::kFormat, u"書式設定", {}};
    layout->question = {BarId::kQuestion, u"問題ツール", {}};
    layout->formula = {BarId::kFormula, u"数式", {}};
    if (!ParseMenuTable(LoadResource("menu_128.txt"), &layout->menuBar) || layout->menuBar.size() != 9 ||
        !ParseToolbarTable(LoadResource("toolbar_128.txt"), &layout->standard) ||
        !ParseToolbarTable(LoadResource("toolbar_130.txt"), &layout->format) ||
        !ParseToolbarTable(LoadResource("toolbar_303.txt"), &layout->question) ||
        !ParseToolbarTable(LoadResource("toolbar_131.txt"), &layout->formula) ||
        !ParseAcceleratorTable(LoadResource("accel_128.txt"), &layout->accelerators))
        return false;
    PruneFeatures(layout->menuBar, layout->standard, layout->format);
    return true;
}
