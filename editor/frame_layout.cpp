#include "editor/frame_layout.h"

#include "platform/utf8.h"
#include "ui/toolbars.h"
#include "ui/ui_resources.h"

#include <QFile>
#include <QString>


// The resources live in this static library, so they are registered by hand before first use.
static void InitTarselResources()
{
    Q_INIT_RESOURCE(tarsel);
    InitUiResources();
}

namespace {

std::string LoadResource(const char* name)
{
    static const bool registered = (InitTarselResources(), true);
    (void)registered;
    QFile file(QString(":/tarsel/") + name);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll().toStdString();
}

}  // namespace

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
        !CFormulaToolBar::LoadLayout(&layout->formula) ||
        !ParseAcceleratorTable(LoadResource("accel_128.txt"), &layout->accelerators))
        return false;
    PruneFeatures(layout->menuBar, layout->standard, layout->format);
    return true;
}
