#include "dialogs/font_default_sheet.h"

#include "base/gdi_cache.h"
#include "base/length_units.h"
#include "dialogs/dialog_template.h"
#include "dialogs/font_lists.h"
#include "dialogs/value_dialog.h"
#include "platform/shell.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTabWidget>
#include <QVBoxLayout>

#include <cstring>

namespace {

constexpr FONT_PAGE_LAYOUT kTextPage{368, {{1316, 1000, 1201, 0}, {1210, 1209, 1211, 1}, {1315, 1258, 1202, 2}}, 1001, 0, {0, 1, 0}};
constexpr FONT_PAGE_LAYOUT kMathPage{369, {{1317, 1212, 1214, 2}, {1318, 1256, 1200, 0}, {1319, 1213, 1215, 1}}, 1320, 1, {0, 0, 0}};

const char* const kSizeEntries[] = {"8", "9", "10", "10.5", "11", "12", "14", "16", "18", "20", "22", "24", "26", "28", "36", "48", "72"};

// The font of a chosen installed face: 10.5 points, upright, normal weight.
void TakeInstalledFont(const LOGFONTA& installed, LOGFONTA* font)
{
    *font = LOGFONTA{};
    font->lfHeight = -PointsToHmm(10, 5);
    font->lfWeight = 400;
    font->lfCharSet = installed.lfCharSet;
    font->lfOutPrecision = installed.lfOutPrecision;
    font->lfClipPrecision = installed.lfClipPrecision;
    font->lfQuality = installed.lfQuality;
    font->lfPitchAndFamily = installed.lfPitchAndFamily;
    std::memcpy(font->lfFaceName, installed.lfFaceName, sizeof font->lfFaceName);
}

}  // namespace

CFontDefaultsPage::CFontDefaultsPage(const FONT_PAGE_LAYOUT& layout, QWidget* parent) : QWidget(parent), m_layout(layout)
{
    const DIALOG_TEMPLATE& page = GetDialogTemplate(layout.templateId);
    setWindowTitle(QString::fromStdU16String(page.title));
    BuildDialogControls(this, page);
    for (int i = 0; i < 3; ++i) {
        italics[i] = layout.italicDefaults[i];
        auto* chooser = new QComboBox(this);
        chooser->setObjectName(QString::number(layout.rows[i].chooser));
        chooser->setMinimumWidth(220);
        chooser->setMaxVisibleItems(16);
        CoverPlaceholder(this, layout.rows[i].placeholder, chooser);
        m_choosers[i] = chooser;
    }
}

void CFontDefaultsPage::showEvent(QShowEvent* event)
{
    OnInitDialog();
    QWidget::showEvent(event);
}

void CFontDefaultsPage::OnInitDialog()
{
    if (m_initialised)
        return;
    m_initialised = true;
    for (int i = 0; i < 3; ++i) {
        const FONT_PAGE_ROW& row = m_layout.rows[i];
        if (auto* check = FindControl<QCheckBox>(this, row.italicCheck))
            check->setChecked(italics[row.italicMember] != 0);
        FillInstalledFontList(m_choosers[i], true);
        SelectFontFace(m_choosers[i], FaceName(fonts[i]));
    }
    if (auto* size = FindControl<QComboBox>(this, m_layout.sizeBox)) {
        size->lineEdit()->setMaxLength(4);
        for (const char* entry : kSizeEntries)
            size->addItem(QString::fromLatin1(entry));
    }
    SetSizeText(heights[m_layout.shownHeight]);
    m_choosers[0]->setFocus();
}

void CFontDefaultsPage::SetSizeText(int height)
{
    auto* size = FindControl<QComboBox>(this, m_layout.sizeBox);
    if (size == nullptr)
        return;
    const QString text = QString::fromStdString(m_sizeField.Show(height));
    const int at = size->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
    size->setCurrentIndex(at);
    if (at < 0)
        size->setEditText(text);
}

bool CFontDefaultsPage::ParseSizeText(int* height) const
{
    return m_sizeField.Read(::ControlText(this, m_layout.sizeBox).toStdString(), PointTextRule::FontSize, height);
}

bool CFontDefaultsPage::OnOK()
{
    int height = 0;
    if (!ParseSizeText(&height)) {
        ShowBadNumber(this, u"フォントサイズ");
        return false;
    }
    for (int i = 0; i < 3; ++i) {
        LOGFONTA installed{};
        if (ChosenInstalledFont(m_choosers[i], &installed))
            TakeInstalledFont(installed, &fonts[i]);
        const FONT_PAGE_ROW& row = m_layout.rows[i];
        if (auto* check = FindControl<QCheckBox>(this, row.italicCheck))
            italics[row.italicMember] = check->isChecked() ? 1 : 0;
        heights[i] = height;
    }
    return true;
}

CFontDefaultPage::CFontDefaultPage(QWidget* parent) : CFontDefaultsPage(kTextPage, parent) {}

CFontMathDefaultPage::CFontMathDefaultPage(QWidget* parent) : CFontDefaultsPage(kMathPage, parent) {}

CFontDefaultSheet::CFontDefaultSheet(QWidget* parent, int captionId, int startPage) : QDialog(parent)
{
    setWindowTitle(captionId == kCaption ? QString::fromUtf16(u"フォント既定値") : QString());
    m_tabs = new QTabWidget(this);
    m_textPage = new CFontDefaultPage;
    m_mathPage = new CFontMathDefaultPage;
    m_tabs->addTab(m_textPage, m_textPage->windowTitle());
    m_tabs->addTab(m_mathPage, m_mathPage->windowTitle());
    m_tabs->setCurrentIndex(startPage == 1 ? 1 : 0);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QString::fromUtf16(u"OK"), QDialogButtonBox::AcceptRole);
    QPushButton* cancel = buttons->addButton(QString::fromUtf16(u"キャンセル"), QDialogButtonBox::RejectRole);
    ok->setObjectName("1");
    cancel->setObjectName("2");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, [this] { OnOK(); });
    connect(cancel, &QPushButton::clicked, this, [this] { done(IDCANCEL); });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(buttons);
}

CFontDefaultSheet::CFontDefaultSheet(QWidget* parent, const QString& caption) : CFontDefaultSheet(parent, 0, 1)
{
    setWindowTitle(caption);
    // The text page stays with the sheet, unshown, so that OK never reads it.
    m_tabs->removeTab(m_tabs->indexOf(m_textPage));
    m_textPage->setParent(this);
    m_textPage->hide();
}

int CFontDefaultSheet::DoModal()
{
    return exec() == IDOK ? IDOK : IDCANCEL;
}

void CFontDefaultSheet::OnOK()
{
    for (CFontDefaultsPage* page : {static_cast<CFontDefaultsPage*>(m_textPage), static_cast<CFontDefaultsPage*>(m_mathPage)}) {
        if (page->IsInitialised() && !page->OnOK()) {
            m_tabs->setCurrentWidget(page);
            return;
        }
    }
    done(IDOK);
}

void CFontDefaultSheet::SetEntries(const DEFAULT_FONT entries[6])
{
    // The formula page's rows are operators, letters, digits; its checks letters, digits, operators.
    constexpr int kMathRows[3] = {5, 3, 4};
    for (int i = 0; i < 3; ++i) {
        m_textPage->fonts[i] = entries[i].font;
        m_textPage->heights[i] = entries[i].height;
        m_textPage->italics[i] = entries[i].italic;
        m_mathPage->fonts[i] = entries[kMathRows[i]].font;
        m_mathPage->heights[i] = entries[kMathRows[i]].height;
        m_mathPage->italics[i] = entries[3 + i].italic;
    }
}

void CFontDefaultSheet::GetEntries(DEFAULT_FONT entries[6]) const
{
    constexpr int kMathRows[3] = {5, 3, 4};
    for (int i = 0; i < 3; ++i) {
        entries[i].font = m_textPage->fonts[i];
        entries[i].height = m_textPage->heights[i];
        entries[i].italic = m_textPage->italics[i];
        entries[kMathRows[i]].font = m_mathPage->fonts[i];
        entries[kMathRows[i]].height = m_mathPage->heights[i];
        entries[3 + i].italic = m_mathPage->italics[i];
    }
}

bool RunFontDefaultSheet(DEFAULT_FONT entries[6], QWidget* parent)
{
    CFontDefaultSheet sheet(parent);
    sheet.SetEntries(entries);
    if (sheet.DoModal() != IDOK)
        return false;
    sheet.GetEntries(entries);
    return true;
}

bool RunFormulaFontDefaultSheet(DEFAULT_FONT entries[3], const QString& caption, QWidget* parent)
{
    CFontDefaultSheet sheet(parent, caption);
    DEFAULT_FONT all[6]{};
    for (int i = 0; i < 3; ++i)
        all[3 + i] = entries[i];
    sheet.SetEntries(all);
    if (sheet.DoModal() != IDOK)
        return false;
    sheet.GetEntries(all);
    for (int i = 0; i < 3; ++i)
        entries[i] = all[3 + i];
    return true;
}
