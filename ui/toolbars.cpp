#include "ui/toolbars.h"

#include "ui/menus.h"
#include "ui/ui_resources.h"

#include <QAbstractButton>
#include <QAction>
#include <QFile>
#include <QWidgetAction>

#include <unordered_map>

namespace {

enum class Picker { Color, Shade, Line, Template };

struct DROPDOWN_COMMAND {
    unsigned id;
    Picker picker;
    int kind;
    bool formulaBar;
};

const DROPDOWN_COMMAND kDropDowns[] = {
    {32790, Picker::Color, 0, false},    {32862, Picker::Color, 1, false},   {32859, Picker::Shade, 0, false},
    {32858, Picker::Line, 2, false},     {32789, Picker::Line, 0, false},    {32855, Picker::Line, 1, false},
    {32839, Picker::Template, 1, true},  {32835, Picker::Template, 2, true}, {32838, Picker::Template, 3, true},
    {32840, Picker::Template, 4, true},  {32841, Picker::Template, 5, true}, {32842, Picker::Template, 6, true},
    {32843, Picker::Template, 7, true},  {32844, Picker::Template, 8, true}, {32845, Picker::Template, 9, true},
    {32846, Picker::Template, 10, true}, {32847, Picker::Template, 11, true}, {32848, Picker::Template, 12, true},
    {32999, Picker::Template, 13, true}, {32998, Picker::Template, 14, true}};

const DROPDOWN_COMMAND* FindDropDown(unsigned id)
{
    for (const DROPDOWN_COMMAND& command : kDropDowns)
        if (command.id == id)
            return &command;
    return nullptr;
}

}  // namespace

QIcon CommandIcon(unsigned id)
{
    // Each picture is read and parsed once: the bars, the menus and a rebuilt bar share its icon
    // and the pixmaps drawn of it. Kept for the program's life, as the resources are.
    static auto* icons = new std::unordered_map<unsigned, QIcon>;
    if (const auto known = icons->find(id); known != icons->end())
        return known->second;
    InitUiResources();
    const QString path = QString(":/tarsel/icons/%1.svg").arg(id);
    return icons->emplace(id, QFile::exists(path) ? QIcon(path) : QIcon()).first->second;
}

// --- common bar

CBarBase::CBarBase(unsigned barId, const QString& title, QWidget* parent) : QToolBar(title, parent), m_barId(barId)
{
    setObjectName(QString("bar_%1").arg(barId));
    setAllowedAreas(Qt::AllToolBarAreas);
    setIconSize(QSize(16, 16));
}

void CBarBase::BuildButtons(const TOOLBAR_LAYOUT& layout)
{
    clear();
    for (const TOOLBAR_BUTTON& button : layout.buttons) {
        const QString tooltip = QString::fromStdU16String(button.tooltip);
        // Boxes and hover buttons stand in the places of their ids.
        if (QAction* box = button.kind != TOOLBAR_BUTTON::Separator ? BoxAction(button.id) : nullptr) {
            box->setToolTip(tooltip);
            addAction(box);
            continue;
        }
        switch (button.kind) {
        case TOOLBAR_BUTTON::Separator:
            addSeparator();
            break;
        case TOOLBAR_BUTTON::Box:
            break;
        case TOOLBAR_BUTTON::Button: {
            QAction* action = addAction(CommandIcon(button.id), tooltip);
            action->setData(button.id);
            action->setToolTip(tooltip);
            const unsigned id = button.id;
            connect(action, &QAction::triggered, this, [this, id] {
                if (command)
                    command(id);
            });
            break;
        }
        }
    }
}

QAction* CBarBase::ButtonAction(unsigned id) const
{
    for (QAction* action : actions())
        if (!action->isSeparator() && action->data().toUInt() == id)
            return action;
    return nullptr;
}

QAction* CBarBase::BoxAction(unsigned id)
{
    const auto it = m_boxActions.find(id);
    if (it != m_boxActions.end())
        return it->second;
    QWidget* widget = BoxWidget(id);
    if (!widget)
        return nullptr;
    // The bar keeps the action, so rebuilding the buttons keeps the box and its contents.
    if (auto* button = qobject_cast<QAbstractButton*>(widget))
        connect(button, &QAbstractButton::clicked, this, [this, id] {
            if (command)
                command(id);
        });
    auto* action = new QWidgetAction(this);
    action->setDefaultWidget(widget);
    action->setData(id);
    m_boxActions.emplace(id, action);
    return action;
}

void CBarBase::Notify(QWidget* source, unsigned id, UINT code)
{
    if (notify)
        notify(BAR_NOTIFY{source, id, code});
}

// --- maths bar

CFormulaToolBar::CFormulaToolBar(QWidget* parent) : CBarBase(kBarId, QString::fromUtf16(u"数式"), parent)
{
    setIconSize(QSize(24, 23));
}

bool CFormulaToolBar::LoadLayout(TOOLBAR_LAYOUT* layout)
{
    InitUiResources();
    *layout = {kBarId, u"数式", {}};
    QFile file(QStringLiteral(":/ui/toolbar_131.txt"));
    return file.open(QIODevice::ReadOnly) && ParseToolbarTable(file.readAll().toStdString(), layout);
}

// --- picker drop-downs

bool IsDropDownCommand(unsigned id) { return FindDropDown(id) != nullptr; }

bool IsFormulaDropDown(unsigned id)
{
    const DROPDOWN_COMMAND* command = FindDropDown(id);
    return command != nullptr && command->formulaBar;
}

std::unique_ptr<CPickerMenu> MakeDropDownMenu(unsigned id)
{
    const DROPDOWN_COMMAND* command = FindDropDown(id);
    if (!command)
        return nullptr;
    switch (command->picker) {
    case Picker::Color: {
        auto menu = std::make_unique<CColorMenu>();
        return menu->Create(command->kind) ? std::move(menu) : nullptr;
    }
    case Picker::Shade: {
        auto menu = std::make_unique<CShadeMenu>();
        return menu->Create() ? std::move(menu) : nullptr;
    }
    case Picker::Line: {
        auto menu = std::make_unique<CLineMenu>();
        return menu->Create(command->kind) ? std::move(menu) : nullptr;
    }
    case Picker::Template: {
        auto menu = std::make_unique<CTemplateMenu>();
        return menu->Create(command->kind) ? std::move(menu) : nullptr;
    }
    }
    return nullptr;
}

QPoint DropDownPoint(QToolBar* bar, unsigned id)
{
    if (!bar)
        return QPoint();
    for (QAction* action : bar->actions()) {
        if (action->isSeparator() || action->data().toUInt() != id)
            continue;
        const QRect rect = bar->actionGeometry(action);
        return bar->mapToGlobal(rect.bottomLeft() + QPoint(0, 1));
    }
    return bar->mapToGlobal(QPoint(0, bar->height()));
}

unsigned TrackDropDown(unsigned id, QToolBar* bar, QWidget* parent)
{
    std::unique_ptr<CPickerMenu> menu = MakeDropDownMenu(id);
    if (!menu)
        return 0;
    CPickerPopup popup(*menu, parent);
    return popup.Track(DropDownPoint(bar, id));
}
