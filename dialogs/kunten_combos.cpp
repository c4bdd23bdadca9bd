#include "dialogs/kunten_combos.h"

#include "base/gdi_cache.h"
#include "base/length_units.h"
#include "base/property_records.h"
#include "dialogs/point_text.h"
#include "dialogs/spin_edit.h"
#include "platform/gdi_qt.h"

#include <QAbstractItemDelegate>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QStyleOptionComboBox>
#include <QStylePainter>

#include <cstring>

namespace {

constexpr int kScreenDpi = 96;

LOGFONTA TurnedFont(const char* face, int height)
{
    LOGFONTA font{};
    if (!FindInstalledFont(face, &font))
        CopyFaceName(font.lfFaceName, face);
    font.lfWidth = 0;
    font.lfHeight = -height;
    font.lfEscapement = 2700;
    font.lfOrientation = 2700;
    return font;
}

// Paints one item of the open list through the combo's own drawing on a device context.
class CKuntenItemDelegate : public QAbstractItemDelegate {
public:
    explicit CKuntenItemDelegate(CKuntenCombo* combo) : QAbstractItemDelegate(combo), m_combo(combo) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const QRect area = option.rect;
        QImage image(area.size(), QImage::Format_RGB32);
        image.fill(Qt::white);
        {
            auto dc = CQtDC::ForImage(&image, kScreenDpi, kScreenDpi);
            KUNTEN_DRAW_ITEM item;
            item.index = index.row();
            item.selected = (option.state & QStyle::State_Selected) != 0;
            item.rect = RECT{0, 0, area.width(), area.height()};
            m_combo->DrawItem(dc.get(), item);
        }
        painter->drawImage(area.topLeft(), image);
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        return QSize(option.rect.width(), m_combo->MeasureItem(index.row()));
    }

private:
    CKuntenCombo* m_combo;
};

}  // namespace

// ---------------------------------------------------------------------------------------------
// CKuntenCombo

CKuntenCombo::CKuntenCombo(QWidget* parent) : QComboBox(parent)
{
    setItemDelegate(new CKuntenItemDelegate(this));
    setMinimumHeight(kFieldHeight);
    CreateFonts(16);
}

void CKuntenCombo::CreateFonts(int height)
{
    m_minchoLogFont = TurnedFont(kKuntenMinchoFace, height);
    m_gaijiLogFont = TurnedFont(kKuntenGaijiFace, height);
    m_mincho.DeleteObject();
    m_gaiji.DeleteObject();
    m_mincho.CreateFontIndirect(&m_minchoLogFont);
    m_gaiji.CreateFontIndirect(&m_gaijiLogFont);
}

void CKuntenCombo::AddMark(const std::u16string& text, const std::string& face)
{
    addItem(QString());
    m_texts.push_back(text);
    m_faces.push_back(face);
}

bool CKuntenCombo::GetMark(int index, std::u16string& text, std::string& face) const
{
    if (index < 0 || index >= MarkCount())
        return false;
    text = m_texts[static_cast<size_t>(index)];
    face = m_faces[static_cast<size_t>(index)];
    return true;
}

int CKuntenCombo::FindMark(const std::u16string& text, bool gaiji) const
{
    for (int i = 0; i < MarkCount(); ++i) {
        if (m_texts[static_cast<size_t>(i)] != text)
            continue;
        if (!gaiji || m_faces[static_cast<size_t>(i)].find("Orvellan Gaiji") != std::string::npos)
            return i;
    }
    return -1;
}

int CKuntenCombo::MeasureItem(int index) const
{
    return index < 0 ? kFieldHeight : kItemHeight;
}

void CKuntenCombo::DrawItem(CDC* dc, const KUNTEN_DRAW_ITEM& item) const
{
    dc->SetBkMode(TRANSPARENT);
    const RECT& r = item.rect;
    if (item.selected) {
        dc->FillSolidRect(&r, kHighlight);
        dc->SetTextColor(kHighlightText);
    } else {
        dc->FillSolidRect(&r, 0xFFFFFF);
        dc->SetTextColor(0x000000);
    }
    if (item.index < 0 || item.index >= MarkCount())
        return;
    const std::u16string& text = m_texts[static_cast<size_t>(item.index)];
    const bool gaiji = m_faces[static_cast<size_t>(item.index)] == kKuntenGaijiFace;
    for (size_t i = 0; i < text.size(); ++i) {
        HFONT previous = dc->SelectObject(gaiji ? &m_gaiji : &m_mincho);
        dc->TextOutW(r.right - kRightInset, r.top + kCharacterStep * static_cast<int>(i), &text[i], 1);
        dc->SelectObject(previous);
    }
}

void CKuntenCombo::paintEvent(QPaintEvent*)
{
    // The frame and arrow of the style, the selected mark drawn in the field by the combo itself.
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    if (field.isEmpty())
        return;
    QImage image(field.size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        auto dc = CQtDC::ForImage(&image, kScreenDpi, kScreenDpi);
        KUNTEN_DRAW_ITEM item;
        item.index = currentIndex();
        item.selected = hasFocus();
        item.rect = RECT{0, 0, field.width(), field.height()};
        DrawItem(dc.get(), item);
    }
    painter.drawImage(field.topLeft(), image);
}

// ---------------------------------------------------------------------------------------------
// CFontSizeCombo

CFontSizeCombo::CFontSizeCombo(QWidget* parent) : QComboBox(parent)
{
    setEditable(true);
    setInsertPolicy(QComboBox::NoInsert);
    FillSizes();
}

void CFontSizeCombo::FillSizes()
{
    LOGFONTA gui{};
    GetGuiLogFont(&gui);
    QFont font = this->font();
    font.setPixelSize(MulDiv(10, kScreenDpi, 72));
    setFont(font);
    if (lineEdit() != nullptr)
        lineEdit()->setMaxLength(4);
    clear();
    static const char* const kSizes[] = {"8",  "9",  "10", "10.5", "11", "12", "14", "16", "18",
                                         "20", "22", "24", "26", "28",   "36", "48", "72"};
    for (const char* size : kSizes)
        addItem(QString::fromLatin1(size));
    setCurrentIndex(3);
    setCurrentIndex(-1);
    setEditText(QString());
}

int CFontSizeCombo::SetSize(int hmm)
{
    int points = 0;
    int half = 0;
    HmmToPoints(hmm, points, half);
    const QString text = half == 0 ? QString::number(points) : QString("%1.%2").arg(points).arg(half);
    const int index = findText(text, Qt::MatchExactly);
    if (index >= 0) {
        if (currentIndex() != index)
            setCurrentIndex(index);
        setEditText(text);
        return index;
    }
    setCurrentIndex(-1);
    setEditText(text);
    return -1;
}

bool CFontSizeCombo::GetSize(int* hmm) const
{
    // The edit field shows the selected item's text, or what the user typed over it.
    const QString text = isEditable() ? currentText() : itemText(currentIndex());
    return ReadPointText(text.toStdString(), PointTextRule::FontSize, hmm);
}

// ---------------------------------------------------------------------------------------------
// CFontSizeDlg

namespace {

QWidget* FontSizeControls(const DIALOG_CONTROL& control, QWidget* host)
{
    if (control.id == CFontSizeDlg::kBaseCombo)
        return new CFontSizeCombo(host);
    return nullptr;
}

// A kana size typed in the dialog: read as the size fields read, and only within 1 to 900 points.
bool ReadKanaSize(const QString& text, int* hmm)
{
    const std::string narrow = text.trimmed().toStdString();
    int ignored = 0;
    if (!ReadPointText(narrow, PointTextRule::FontSize, &ignored))
        return false;
    *hmm = ParsePointsTextToHmm(narrow.c_str());
    return true;
}

}  // namespace

CFontSizeDlg::CFontSizeDlg(QWidget* parent) : CValueDialog(kTemplateId, parent, FontSizeControls) {}

void CFontSizeDlg::DoDataExchange(bool save)
{
    if (save) {
        m_leftKanaText = ControlText(kLeftKanaEdit).left(4);
        m_rightKanaText = ControlText(kRightKanaEdit).left(4);
    } else {
        SetControlText(kLeftKanaEdit, m_leftKanaText);
        SetControlText(kRightKanaEdit, m_rightKanaText);
    }
}

bool CFontSizeDlg::UpdateSizes(bool save)
{
    CFontSizeCombo* combo = SizeCombo();
    if (!save) {
        if (combo != nullptr)
            combo->SetSize(m_baseSize);
        m_leftKanaText = QString::fromStdString(FormatPointField(m_leftKanaSize));
        m_rightKanaText = QString::fromStdString(FormatPointField(m_rightKanaSize));
        DoDataExchange(false);
        return true;
    }
    // Every size is read before any is kept, so a refused one leaves all three as they were.
    int base = m_baseSize;
    if (combo != nullptr && !combo->GetSize(&base))
        return false;
    DoDataExchange(true);
    int left = 0;
    int right = 0;
    if (!ReadKanaSize(m_leftKanaText, &left) || !ReadKanaSize(m_rightKanaText, &right))
        return false;
    m_baseSize = base;
    m_leftKanaSize = left;
    m_rightKanaSize = right;
    return true;
}

void CFontSizeDlg::OnInitDialog()
{
    for (int id : {kLeftKanaEdit, kRightKanaEdit}) {
        if (auto* spin = Control<CSpinEdit>(id)) {
            spin->SetRange(1, 99);
            spin->SetMaxLength(4);
        }
    }
    if (CFontSizeCombo* combo = SizeCombo())
        combo->FillSizes();
    UpdateSizes(false);
    const int focus = m_focusField == kFocusBase ? kBaseCombo : m_focusField == kFocusRightKana ? kRightKanaEdit : kLeftKanaEdit;
    if (auto* control = Control<QWidget>(focus))
        control->setFocus();
}

void CFontSizeDlg::OnOK()
{
    if (!UpdateSizes(true)) {
        ShowBadNumber(this, u"フォントサイズ");
        return;
    }
    done(IDOK_RESULT);
}
