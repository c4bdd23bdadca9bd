#include "dialogs/dialog_template.h"

#include "dialogs/spin_edit.h"
#include "platform/shell.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include <charconv>
#include <map>
#include <memory>
#include <mutex>

// The resources live in this static library, so they are registered by hand before first use.
static void InitDialogResources()
{
    Q_INIT_RESOURCE(dialogs);
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

bool ParseInt(std::string_view text, int* value)
{
    if (text == "-") {
        *value = -1;
        return true;
    }
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *value);
    return error == std::errc() && end == text.data() + text.size();
}

std::u16string Utf16(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).toStdU16String();
}

bool KindFromName(std::string_view name, DIALOG_CONTROL::Kind* kind)
{
    static const std::map<std::string_view, DIALOG_CONTROL::Kind> kinds = {
        {"label", DIALOG_CONTROL::Label},       {"edit", DIALOG_CONTROL::Edit},
        {"spin", DIALOG_CONTROL::Spin},         {"check", DIALOG_CONTROL::Check},
        {"radio", DIALOG_CONTROL::Radio},       {"droplist", DIALOG_CONTROL::DropList},
        {"dropdown", DIALOG_CONTROL::DropDown}, {"group", DIALOG_CONTROL::Group},
        {"picture", DIALOG_CONTROL::Picture},   {"placeholder", DIALOG_CONTROL::Placeholder},
        {"button", DIALOG_CONTROL::Button},
    };
    const auto found = kinds.find(name);
    if (found == kinds.end())
        return false;
    *kind = found->second;
    return true;
}

QString IdName(int id)
{
    return QString::number(id);
}

QWidget* MakeControl(const DIALOG_CONTROL& control, bool spinFollows, QWidget* host)
{
    const QString text = QString::fromStdU16String(control.text);
    switch (control.kind) {
    case DIALOG_CONTROL::Label: return new QLabel(text, host);
    case DIALOG_CONTROL::Edit:
        if (spinFollows)
            return new CSpinEdit(host);
        return new QLineEdit(host);
    case DIALOG_CONTROL::Check: return new QCheckBox(text, host);
    case DIALOG_CONTROL::Radio: return new QRadioButton(text, host);
    case DIALOG_CONTROL::DropList: return new QComboBox(host);
    case DIALOG_CONTROL::DropDown: {
        auto* combo = new QComboBox(host);
        combo->setEditable(true);
        combo->setInsertPolicy(QComboBox::NoInsert);
        return combo;
    }
    case DIALOG_CONTROL::Group: {
        auto* label = new QLabel(text, host);
        QFont font = label->font();
        font.setBold(true);
        label->setFont(font);
        return label;
    }
    case DIALOG_CONTROL::Picture: {
        auto* picture = new QLabel(host);
        picture->setPixmap(QPixmap(QString(":/dialogs/") + text));
        return picture;
    }
    case DIALOG_CONTROL::Placeholder: return new QLabel(host);
    case DIALOG_CONTROL::Button: return new QPushButton(text, host);
    case DIALOG_CONTROL::Spin: break;
    }
    return nullptr;
}

}  // namespace

bool ParseDialogTemplate(std::string_view text, DIALOG_TEMPLATE* out, std::string* error)
{
    *out = DIALOG_TEMPLATE{};
    size_t start = 0;
    bool seenHead = false;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty() || line.front() == '#')
            continue;
        const std::vector<std::string_view> fields = SplitTabs(line);
        auto fail = [&]() {
            if (error)
                *error = std::string(line);
            return false;
        };
        if (!seenHead) {
            // dialog <id> [<title>]
            if (fields.size() < 2 || fields[0] != "dialog" || !ParseInt(fields[1], &out->id))
                return fail();
            out->title = fields.size() > 2 ? Utf16(fields[2]) : std::u16string();
            seenHead = true;
            continue;
        }
        // <kind> <id> [<row> <column> <span> [<text> [group]]]; a spin gives only its id.
        DIALOG_CONTROL control;
        if (fields.size() < 2 || !KindFromName(fields[0], &control.kind) || !ParseInt(fields[1], &control.id))
            return fail();
        if (control.kind != DIALOG_CONTROL::Spin) {
            if (fields.size() < 5 || !ParseInt(fields[2], &control.row) || !ParseInt(fields[3], &control.column) ||
                !ParseInt(fields[4], &control.span) || control.row < 0 || control.column < 0 || control.span < 1)
                return fail();
            if (fields.size() > 5)
                control.text = Utf16(fields[5]);
            control.groupStart = fields.size() > 6 && fields[6] == "group";
        } else if (out->controls.empty() || out->controls.back().kind != DIALOG_CONTROL::Edit) {
            return fail();
        }
        out->controls.push_back(std::move(control));
    }
    if (!seenHead && error)
        *error = "no dialog line";
    return seenHead;
}

const DIALOG_TEMPLATE& GetDialogTemplate(int id)
{
    static std::mutex lock;
    static std::map<int, std::unique_ptr<DIALOG_TEMPLATE>> loaded;
    const std::lock_guard guard(lock);
    std::unique_ptr<DIALOG_TEMPLATE>& entry = loaded[id];
    if (!entry) {
        static const bool registered = (InitDialogResources(), true);
        (void)registered;
        entry = std::make_unique<DIALOG_TEMPLATE>();
        QFile file(QString(":/dialogs/dialog_%1.txt").arg(id));
        if (file.open(QIODevice::ReadOnly)) {
            const QByteArray bytes = file.readAll();
            if (!ParseDialogTemplate(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())), entry.get()))
                *entry = DIALOG_TEMPLATE{};
        }
    }
    return *entry;
}

QGridLayout* BuildDialogControls(QWidget* host, const DIALOG_TEMPLATE& dialogTemplate,
                                 const DialogControlFactory& factory)
{
    auto* grid = new QGridLayout(host);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(6);
    QButtonGroup* radios = nullptr;
    const std::vector<DIALOG_CONTROL>& controls = dialogTemplate.controls;
    QWidget* last = nullptr;
    for (size_t i = 0; i < controls.size(); ++i) {
        const DIALOG_CONTROL& control = controls[i];
        if (control.kind == DIALOG_CONTROL::Spin) {
            if (last != nullptr)
                last->setProperty("spinId", control.id);
            continue;
        }
        const bool spinFollows = i + 1 < controls.size() && controls[i + 1].kind == DIALOG_CONTROL::Spin;
        QWidget* widget = factory ? factory(control, host) : nullptr;
        if (widget == nullptr)
            widget = MakeControl(control, spinFollows, host);
        if (control.id != -1)
            widget->setObjectName(IdName(control.id));
        if (control.kind == DIALOG_CONTROL::Radio) {
            if (radios == nullptr || control.groupStart) {
                radios = new QButtonGroup(host);
                radios->setObjectName(IdName(control.id));
            }
            radios->addButton(static_cast<QRadioButton*>(widget), radios->buttons().size());
        }
        if (control.kind == DIALOG_CONTROL::Button) {
            auto* button = static_cast<QPushButton*>(widget);
            button->setAutoDefault(control.id == IDOK);
            button->setDefault(control.id == IDOK);
        }
        grid->addWidget(widget, control.row, control.column, 1, control.span);
        last = widget;
    }
    return grid;
}

void CoverPlaceholder(QWidget* host, int placeholderId, QWidget* control)
{
    auto* grid = qobject_cast<QGridLayout*>(host->layout());
    auto* placeholder = host->findChild<QWidget*>(IdName(placeholderId), Qt::FindDirectChildrenOnly);
    if (grid == nullptr || placeholder == nullptr)
        return;
    const int index = grid->indexOf(placeholder);
    int row = 0, column = 0, rows = 1, columns = 1;
    grid->getItemPosition(index, &row, &column, &rows, &columns);
    placeholder->hide();
    grid->addWidget(control, row, column, rows, columns);
}

QString ControlText(const QObject* host, int id)
{
    if (auto* spin = FindControl<CSpinEdit>(host, id))
        return spin->Text();
    if (auto* edit = FindControl<QLineEdit>(host, id))
        return edit->text();
    if (auto* combo = FindControl<QComboBox>(host, id))
        return combo->currentText();
    if (auto* label = FindControl<QLabel>(host, id))
        return label->text();
    if (auto* button = FindControl<QAbstractButton>(host, id))
        return button->text();
    return {};
}

void SetControlText(const QObject* host, int id, const QString& text)
{
    if (auto* spin = FindControl<CSpinEdit>(host, id))
        spin->SetText(text);
    else if (auto* edit = FindControl<QLineEdit>(host, id))
        edit->setText(text);
    else if (auto* combo = FindControl<QComboBox>(host, id))
        combo->setEditText(text);
    else if (auto* label = FindControl<QLabel>(host, id))
        label->setText(text);
    else if (auto* button = FindControl<QAbstractButton>(host, id))
        button->setText(text);
}
