#include "dialogs/page_setup_sheet.h"

#include "dialogs/dialog_template.h"
#include "dialogs/spin_edit.h"
#include "dialogs/value_dialog.h"
#include "platform/shell.h"
#include "platform/wide_runtime.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QShowEvent>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>

const PAPER_SIZE_ENTRY kSheetPapers[3] = {{u"A4", 210, 297}, {u"B4", 257, 364}, {u"B5", 182, 257}};

namespace {

constexpr int kOwnSizeIndex = 3;

// Shows a picture resource in a static of the page and remembers which one it is.
void ShowPicture(QWidget* page, int staticId, int pictureId)
{
    if (auto* label = FindControl<QLabel>(page, staticId)) {
        label->setPixmap(QPixmap(QString(":/dialogs/bitmap_%1.svg").arg(pictureId)));
        label->setAlignment(Qt::AlignCenter);
        label->setProperty("pictureId", pictureId);
    }
}

QButtonGroup* RadioGroup(const QWidget* page, int firstId)
{
    return page->findChild<QButtonGroup*>(QString::number(firstId));
}

void SetRadio(const QWidget* page, int firstId, int value)
{
    if (QButtonGroup* group = RadioGroup(page, firstId))
        if (QAbstractButton* button = group->button(value))
            button->setChecked(true);
}

int RadioValue(const QWidget* page, int firstId, int fallback)
{
    QButtonGroup* group = RadioGroup(page, firstId);
    const int checked = group != nullptr ? group->checkedId() : -1;
    return checked >= 0 ? checked : fallback;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Pages

CSheetPage::CSheetPage(int templateId, QWidget* parent) : QWidget(parent)
{
    const DIALOG_TEMPLATE& page = GetDialogTemplate(templateId);
    setWindowTitle(QString::fromStdU16String(page.title));
    QGridLayout* grid = BuildDialogControls(this, page);
    // The controls stay together at the top of the page; pictures stand centred in their cells.
    grid->setRowStretch(grid->rowCount(), 1);
    for (QLabel* picture : findChildren<QLabel*>())
        if (!picture->pixmap().isNull())
            picture->setAlignment(Qt::AlignCenter);
}

void CSheetPage::EnsureInitialised()
{
    if (m_initialised)
        return;
    m_initialised = true;
    OnInitDialog();
}

void CSheetPage::showEvent(QShowEvent* event)
{
    EnsureInitialised();
    QWidget::showEvent(event);
}

// --- paper

CPageSizePage::CPageSizePage(QWidget* parent) : CSheetPage(kTemplate, parent)
{
    if (auto* list = FindControl<QComboBox>(this, kPaperList))
        for (const PAPER_SIZE_ENTRY& paper : kSheetPapers)
            list->addItem(QString::fromUtf16(paper.name));
}

bool CPageSizePage::ExchangeValue(bool save)
{
    if (!save) {
        m_lineSpacingText = QString::fromStdString(m_lineField.Show(m_lineSpacing));
        m_charSpacingText = QString::fromStdString(m_charField.Show(m_charSpacing));
        return true;
    }
    int line = m_lineSpacing;
    if (!m_lineField.Read(m_lineSpacingText.toStdString(), PointTextRule::Tenths, &line)) {
        ShowBadNumber(this, u"行間");
        return false;
    }
    int spacing = m_charSpacing;
    if (!m_charField.Read(m_charSpacingText.toStdString(), PointTextRule::Tenths, &spacing)) {
        ShowBadNumber(this, u"文字間");
        return false;
    }
    m_lineSpacing = line;
    m_charSpacing = spacing;
    return true;
}

bool CPageSizePage::MatchPaper()
{
    for (int i = 0; i < 3; ++i) {
        const PAPER_SIZE_ENTRY& paper = kSheetPapers[i];
        if (m_paperWidth == paper.width && m_paperHeight == paper.height) {
            m_paperIndex = i;
            m_orientation = 0;
            return true;
        }
        if (m_paperWidth == paper.height && m_paperHeight == paper.width) {
            m_paperIndex = i;
            m_orientation = 1;
            return true;
        }
    }
    return false;
}

void CPageSizePage::OnInitDialog()
{
    ExchangeValue(false);
    if (m_vertical != 0) {
        ShowPicture(this, kColumnPicture1, 406);
        ShowPicture(this, kColumnPicture2, 407);
    } else {
        ShowPicture(this, kColumnPicture1, 344);
        ShowPicture(this, kColumnPicture2, 345);
    }
    for (int id : {kLineSpacing, kCharSpacing})
        if (auto* spin = FindControl<CSpinEdit>(this, id)) {
            spin->SetRange(0, 10);
            spin->SetPointRounding(true);
        }
    // A size of the paper's own is listed as such, so that OK leaves it unless another is chosen.
    m_ownSize = !MatchPaper();
    auto* list = FindControl<QComboBox>(this, kPaperList);
    if (m_ownSize) {
        m_ownWidth = m_paperWidth;
        m_ownHeight = m_paperHeight;
        m_paperIndex = kOwnSizeIndex;
        m_orientation = m_paperWidth > m_paperHeight ? 1 : 0;
        if (list != nullptr)
            list->addItem(QString::fromUtf16(u"用紙の大きさのまま (%1 × %2 mm)").arg(m_paperWidth).arg(m_paperHeight));
    }
    if (list != nullptr)
        list->setCurrentIndex(std::clamp(m_paperIndex, 0, list->count() - 1));
    SetRadio(this, kPortrait, m_orientation != 0 ? 1 : 0);
    SetRadio(this, kOneColumn, m_columns != 0 ? 1 : 0);
    SetControlText(this, kLineSpacing, m_lineSpacingText);
    SetControlText(this, kCharSpacing, m_charSpacingText);
}

bool CPageSizePage::OnOK()
{
    EnsureInitialised();
    const auto* list = FindControl<QComboBox>(this, kPaperList);
    const int index = list != nullptr ? list->currentIndex() : m_paperIndex;
    const int orientation = RadioValue(this, kPortrait, m_orientation);
    const int columns = RadioValue(this, kOneColumn, m_columns);
    m_lineSpacingText = ControlText(this, kLineSpacing);
    m_charSpacingText = ControlText(this, kCharSpacing);
    if (!ExchangeValue(true))
        return false;
    m_paperIndex = index;
    m_orientation = orientation;
    m_columns = columns;
    int width = 0, height = 0;
    if (index >= 0 && index < 3) {
        width = kSheetPapers[index].width;
        height = kSheetPapers[index].height;
    } else {
        // The paper's own size, turned only when the other orientation was chosen.
        width = m_ownWidth;
        height = m_ownHeight;
        if ((m_ownWidth > m_ownHeight) != (orientation != 0))
            std::swap(width, height);
    }
    if (index >= 0 && index < 3 && orientation != 0)
        std::swap(width, height);
    m_paperWidth = width;
    m_paperHeight = height;
    return true;
}

// --- margins

CPageMarginPage::CPageMarginPage(QWidget* parent) : CSheetPage(kTemplate, parent) {}

namespace {

struct MARGIN_FIELD {
    int id;
    const char16_t* name;
    unsigned CPageMarginPage::*member;
};
constexpr MARGIN_FIELD kMarginFields[] = {
    {CPageMarginPage::kTop, u"上", &CPageMarginPage::m_top},
    {CPageMarginPage::kBottom, u"下", &CPageMarginPage::m_bottom},
    {CPageMarginPage::kLeft, u"左", &CPageMarginPage::m_left},
    {CPageMarginPage::kRight, u"右", &CPageMarginPage::m_right},
};
constexpr int kMarginMaximum = 100;

// A whole number of millimetres from 0 to 100, blanks around it allowed; false for anything else.
bool ReadMargin(const QString& typed, unsigned* value)
{
    const QString text = typed.trimmed();
    if (text.isEmpty() || text.size() > 3)
        return false;
    for (QChar c : text)
        if (c < u'0' || c > u'9')
            return false;
    const int number = text.toInt();
    if (number > kMarginMaximum)
        return false;
    *value = static_cast<unsigned>(number);
    return true;
}

}  // namespace

void CPageMarginPage::OnInitDialog()
{
    for (const MARGIN_FIELD& field : kMarginFields) {
        if (auto* spin = FindControl<CSpinEdit>(this, field.id)) {
            spin->SetRange(0, kMarginMaximum);
            spin->SetDigitsOnly(true);
            spin->SetMaxLength(3);
        }
        SetControlText(this, field.id, QString::number(this->*field.member));
    }
}

bool CPageMarginPage::OnOK()
{
    EnsureInitialised();
    unsigned values[4] = {};
    for (size_t i = 0; i < std::size(kMarginFields); ++i) {
        const MARGIN_FIELD& field = kMarginFields[i];
        if (!ReadMargin(ControlText(this, field.id), &values[i])) {
            ShowOutOfRange(this, field.name, 0, kMarginMaximum);
            if (QWidget* control = FindControl<QWidget>(this, field.id))
                control->setFocus();
            return false;
        }
    }
    for (size_t i = 0; i < std::size(kMarginFields); ++i)
        this->*kMarginFields[i].member = values[i];
    return true;
}

// --- answer sheet

CPageFieldPage::CPageFieldPage(QWidget* parent) : CSheetPage(kTemplate, parent)
{
    if (auto* list = FindControl<QComboBox>(this, kLayoutList)) {
        for (const char16_t* entry : {u"しない", u"パターン１", u"パターン２", u"パターン３"})
            list->addItem(QString::fromUtf16(entry));
        connect(list, &QComboBox::currentIndexChanged, this, [this](int index) {
            if (!IsInitialised())
                return;
            m_layoutIndex = index;
            ShowPreview();
        });
    }
    auto onClick = [this](int id, auto action) {
        if (auto* button = FindControl<QAbstractButton>(this, id))
            connect(button, &QAbstractButton::clicked, this, action);
    };
    onClick(kAnswerDisplay, [this] {
        if (m_document != nullptr)
            m_document->DoAnswerVisibilityDialog(nullptr);
    });
    onClick(kNameField, [this] {
        if (m_document != nullptr)
            m_document->DoNameFieldDialog(nullptr);
    });
    onClick(kResetSizes, [this] { OnResetSizes(); });
}

int CPageFieldPage::PreviewPicture(int layoutIndex, int vertical)
{
    constexpr int kHorizontal[] = {349, 347, 348, 346};
    constexpr int kVertical[] = {405, 403, 404, 402};
    if (layoutIndex < 0 || layoutIndex > 3)
        return 0;
    return vertical != 0 ? kVertical[layoutIndex] : kHorizontal[layoutIndex];
}

void CPageFieldPage::ShowPreview()
{
    if (const int picture = PreviewPicture(m_layoutIndex, m_vertical))
        ShowPicture(this, kPreview, picture);
}

void CPageFieldPage::OnInitDialog()
{
    if (auto* list = FindControl<QComboBox>(this, kLayoutList)) {
        const QSignalBlocker quiet(list);
        if (m_layoutIndex >= 0 && m_layoutIndex < list->count())
            list->setCurrentIndex(m_layoutIndex);
    }
    ShowPreview();
}

bool CPageFieldPage::OnOK()
{
    EnsureInitialised();
    if (const auto* list = FindControl<QComboBox>(this, kLayoutList); list != nullptr && list->currentIndex() >= 0)
        m_layoutIndex = list->currentIndex();
    return true;
}

void CPageFieldPage::OnResetSizes()
{
    if (m_document == nullptr)
        return;
    const int answer = ShellMessageBox(
        u"この操作を行うと、全てのフィールドのサイズがリセットされます。\n\n実行してよろしいですか？", m_messageCaption,
        MB_OKCANCEL | MB_ICONINFORMATION);
    if (answer == IDOK)
        m_document->ResetFieldSizes();
}

// ---------------------------------------------------------------------------------------------
// The sheet

CPageSetupSheet::CPageSetupSheet(QWidget* parent, int startPage) : QDialog(parent)
{
    setWindowTitle(QString::fromUtf16(u"ページ設定"));
    m_tabs = new QTabWidget(this);
    m_sizePage = new CPageSizePage;
    m_marginPage = new CPageMarginPage;
    m_fieldPage = new CPageFieldPage;
    for (CSheetPage* page : {static_cast<CSheetPage*>(m_sizePage), static_cast<CSheetPage*>(m_marginPage),
                             static_cast<CSheetPage*>(m_fieldPage)})
        m_tabs->addTab(page, page->windowTitle());
    m_tabs->setCurrentIndex(std::clamp(startPage, 0, 2));
    for (CSheetPage* page : {static_cast<CSheetPage*>(m_sizePage), static_cast<CSheetPage*>(m_marginPage)}) {
        for (int id : {kPageSetupPrint, kPageSetupPreview})
            if (auto* button = FindControl<QAbstractButton>(page, id))
                connect(button, &QAbstractButton::clicked, this, [this, id] { EndWith(id); });
    }
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(QString::fromUtf16(u"OK"), QDialogButtonBox::AcceptRole);
    QPushButton* cancel = buttons->addButton(QString::fromUtf16(u"キャンセル"), QDialogButtonBox::RejectRole);
    ok->setObjectName("1");
    cancel->setObjectName("2");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, [this] { EndWith(IDOK); });
    connect(cancel, &QPushButton::clicked, this, [this] { done(IDCANCEL); });
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(buttons);
}

int CPageSetupSheet::DoModal()
{
    const int result = exec();
    return result == IDOK || result == kPageSetupPrint || result == kPageSetupPreview ? result : IDCANCEL;
}

void CPageSetupSheet::EndWith(int result)
{
    for (CSheetPage* page : {static_cast<CSheetPage*>(m_sizePage), static_cast<CSheetPage*>(m_marginPage),
                             static_cast<CSheetPage*>(m_fieldPage)}) {
        if (page->IsInitialised() && !page->OnOK()) {
            m_tabs->setCurrentWidget(page);
            return;
        }
    }
    // The margins must leave room on the paper for the text.
    const CPageMarginPage& margins = *m_marginPage;
    if (static_cast<long long>(margins.m_left) + margins.m_right >= m_sizePage->m_paperWidth ||
        static_cast<long long>(margins.m_top) + margins.m_bottom >= m_sizePage->m_paperHeight) {
        ShowValueMessage(this, u"余白が用紙の大きさを超えています。余白を小さくしてください。", u"余白");
        m_tabs->setCurrentWidget(m_marginPage);
        return;
    }
    done(result);
}
