#include "editor/frame_commands.h"

#include "base/default_fonts.h"
#include "base/gdi_cache.h"
#include "base/length_units.h"
#include "base/property_records.h"
#include "dialogs/font_default_sheet.h"
#include "editor/frame_layout.h"
#include "editor/main_frame.h"
#include "editor/sorel_doc.h"
#include "editor/toolbars.h"
#include "platform/codepage.h"
#include "platform/shell.h"

#include <QFile>
#include <QMenu>
#include <QToolBar>

#include <cstdlib>
#include <cstring>

namespace {

constexpr unsigned kSaveOtherFormat = 33006, kCharMap = 32888, kFontDefaults = 32969;

QString FaceOf(const LOGFONTA& font) { return QString::fromStdU16String(Cp932ToWide(font.lfFaceName)); }

// The font-defaults sheet over the six fonts, in the sheet's order (which is this record's).
bool RunDefaultFontSheet(FONT_DEFAULTS& values, QWidget* parent)
{
    DEFAULT_FONT entries[FONT_DEFAULTS::Count];
    for (int i = 0; i < FONT_DEFAULTS::Count; ++i)
        entries[i] = DEFAULT_FONT{values.font[i], values.italic[i], values.height[i]};
    if (!RunFontDefaultSheet(entries, parent))
        return false;
    for (int i = 0; i < FONT_DEFAULTS::Count; ++i) {
        values.font[i] = entries[i].font;
        values.italic[i] = entries[i].italic;
        values.height[i] = entries[i].height;
    }
    return true;
}

FontDefaultSheet& Sheet()
{
    static FontDefaultSheet sheet = RunDefaultFontSheet;
    return sheet;
}

}  // namespace

FONT_DEFAULTS LoadFontDefaults(bool vertical)
{
    const CDefaultFontTable& table = CDefaultFontTable::Instance();
    const int v = vertical ? 1 : 0;
    FONT_DEFAULTS values;
    table.GetDefaultFont(&values.font[FONT_DEFAULTS::Text], v);
    table.GetHankakuFont(&values.font[FONT_DEFAULTS::Hankaku], v);
    table.GetNumericFont(&values.font[FONT_DEFAULTS::Numeric], v);
    table.GetMathFont(&values.font[FONT_DEFAULTS::Math]);
    table.GetMathNumericFont(&values.font[FONT_DEFAULTS::MathNumeric]);
    table.GetMathOperatorFont(&values.font[FONT_DEFAULTS::MathOperator]);
    values.italic[FONT_DEFAULTS::Text] = table.GetDefaultItalic(v);
    values.italic[FONT_DEFAULTS::Hankaku] = table.GetHankakuItalic(v);
    values.italic[FONT_DEFAULTS::Numeric] = table.GetNumericItalic(v);
    values.italic[FONT_DEFAULTS::Math] = table.GetMathItalic();
    values.italic[FONT_DEFAULTS::MathNumeric] = table.GetMathNumericItalic();
    values.italic[FONT_DEFAULTS::MathOperator] = table.GetMathOperatorItalic();
    values.height[FONT_DEFAULTS::Text] = table.GetDefaultHeight();
    values.height[FONT_DEFAULTS::Hankaku] = table.GetHankakuHeight();
    values.height[FONT_DEFAULTS::Numeric] = table.GetNumericHeight();
    values.height[FONT_DEFAULTS::Math] = table.GetMathHeight();
    values.height[FONT_DEFAULTS::MathNumeric] = table.GetMathNumericHeight();
    values.height[FONT_DEFAULTS::MathOperator] = table.GetMathOperatorHeight();
    return values;
}

void StoreFontDefaults(const FONT_DEFAULTS& values, bool vertical)
{
    CDefaultFontTable& table = CDefaultFontTable::Instance();
    const int v = vertical ? 1 : 0;
    table.SetDefaultFont(&values.font[FONT_DEFAULTS::Text], v);
    table.SetHankakuFont(&values.font[FONT_DEFAULTS::Hankaku], v);
    table.SetNumericFont(&values.font[FONT_DEFAULTS::Numeric], v);
    table.SetMathFont(&values.font[FONT_DEFAULTS::Math]);
    table.SetMathNumericFont(&values.font[FONT_DEFAULTS::MathNumeric]);
    table.SetMathOperatorFont(&values.font[FONT_DEFAULTS::MathOperator]);
    table.SetDefaultItalic(values.italic[FONT_DEFAULTS::Text], v);
    table.SetHankakuItalic(values.italic[FONT_DEFAULTS::Hankaku], v);
    table.SetNumericItalic(values.italic[FONT_DEFAULTS::Numeric], v);
    table.SetMathItalic(values.italic[FONT_DEFAULTS::Math]);
    table.SetMathNumericItalic(values.italic[FONT_DEFAULTS::MathNumeric]);
    table.SetMathOperatorItalic(values.italic[FONT_DEFAULTS::MathOperator]);
    table.SetDefaultHeight(values.height[FONT_DEFAULTS::Text]);
    table.SetHankakuHeight(values.height[FONT_DEFAULTS::Hankaku]);
    table.SetNumericHeight(values.height[FONT_DEFAULTS::Numeric]);
    table.SetMathHeight(values.height[FONT_DEFAULTS::Math]);
    table.SetMathNumericHeight(values.height[FONT_DEFAULTS::MathNumeric]);
    table.SetMathOperatorHeight(values.height[FONT_DEFAULTS::MathOperator]);
}

FontDefaultSheet SetFontDefaultSheet(FontDefaultSheet sheet)
{
    FontDefaultSheet previous = Sheet();
    Sheet() = sheet ? std::move(sheet) : FontDefaultSheet(RunDefaultFontSheet);
    return previous;
}

bool CFrameCommands::IsFrameCommand(unsigned id)
{
    return IsDropDownCommand(id) || id == kSaveOtherFormat || id == kCharMap || id == kFontDefaults;
}

bool CFrameCommands::OnCommand(unsigned id)
{
    if (IsDropDownCommand(id)) {
        OnDropDown(id);
        return true;
    }
    switch (id) {
    case kSaveOtherFormat: OnSaveOtherFormat(); return true;
    case kCharMap: OnInsertCharMap(); return true;
    case kFontDefaults: OnFontDefaults(); return true;
    default: return false;
    }
}

QToolBar* CFrameCommands::BarOf(unsigned id) const
{
    if (IsDropDownCommand(id))
        return m_frame.Bar(IsFormulaDropDown(id) ? BarId::kFormula : BarId::kFormat);
    return m_frame.Bar(BarId::kStandard);
}

CPickerPopup* CFrameCommands::OpenDropDown(unsigned id)
{
    m_openPopup.reset();
    m_openMenu = MakeDropDownMenu(id);
    if (!m_openMenu)
        return nullptr;
    m_openPopup = std::make_unique<CPickerPopup>(*m_openMenu, &m_frame);
    m_openPopup->Open(DropDownPoint(BarOf(id), id));
    return m_openPopup.get();
}

void CFrameCommands::OnDropDown(unsigned id)
{
    const unsigned chosen = TrackDropDown(id, BarOf(id), &m_frame);
    if (chosen)
        m_frame.OnCommand(chosen);
}

std::unique_ptr<QMenu> CFrameCommands::MakeSaveOtherFormatMenu()
{
    QFile file(":/tarsel/menu_456.txt");
    std::vector<MENU_ITEM> menuBar;
    if (!file.open(QIODevice::ReadOnly) || !ParseMenuTable(file.readAll().toStdString(), &menuBar) || menuBar.empty())
        return nullptr;
    auto menu = std::make_unique<QMenu>(&m_frame);
    for (const MENU_ITEM& item : menuBar.front().items) {
        if (item.kind != MENU_ITEM::Command)
            continue;
        QAction* action = menu->addAction(CommandIcon(item.id), QString::fromStdU16String(item.text));
        action->setData(item.id);
        bool enabled = true, checked = false;
        m_frame.UpdateCommandUI(item.id, &enabled, &checked);
        action->setEnabled(enabled);
        const unsigned id = item.id;
        QObject::connect(action, &QAction::triggered, &m_frame, [this, id] { m_frame.OnCommand(id); });
    }
    return menu;
}

void CFrameCommands::OnSaveOtherFormat()
{
    std::unique_ptr<QMenu> menu = MakeSaveOtherFormatMenu();
    if (menu)
        menu->exec(DropDownPoint(m_frame.Bar(BarId::kStandard), kSaveOtherFormat));
}

void CFrameCommands::OnInsertCharMap()
{
    m_charMap.Open(SorelDocText::kApplicationTitle);
}

void CFrameCommands::OnFontDefaults()
{
    IFrameView* activeView = m_frame.ActiveView();
    if (!activeView)
        return;
    const bool vertical = activeView->IsVertical();
    FONT_DEFAULTS values = LoadFontDefaults(vertical);
    if (!Sheet()(values, &m_frame))
        return;
    StoreFontDefaults(values, vertical);
    // The new default text font becomes the typing font, without its italic flag.
    LOGFONTA stored{};
    CDefaultFontTable::Instance().GetDefaultFont(&stored, vertical ? 1 : 0);
    LOGFONTA& typing = activeView->TypingFont();
    CopyFontFace(&typing, stored);
    const int height = std::abs(CDefaultFontTable::Instance().GetDefaultHeight());
    if (auto* format = dynamic_cast<CFormatToolBar*>(m_frame.Bar(BarId::kFormat))) {
        format->SelectFontName(FaceOf(stored));
        format->SetSize(height);
    }
    typing.lfHeight = -height;
    typing.lfWidth = 0;
    activeView->ShowCaretAndIme();
}
