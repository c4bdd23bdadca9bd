#include "dialogs/underline_number_dialog.h"

#include "base/gdi_cache.h"
#include "dialogs/font_lists.h"
#include "dialogs/spin_edit.h"
#include "nodes/underline_numbering.h"
#include "platform/codepage.h"
#include "platform/gdi_qt.h"
#include "platform/shell.h"
#include "platform/wide_runtime.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QImage>
#include <QPainter>
#include <QPaintEvent>
#include <QStyleOptionComboBox>
#include <QStyledItemDelegate>
#include <QStylePainter>

#include <vector>

namespace {

constexpr COLORREF kBlack = 0x000000;
constexpr COLORREF kWhite = 0xFFFFFF;

// Paints the sample of `itemData` into `target` through a device context on an image.
void PaintSample(const CUnderlineCombo& combo, QPainter* painter, const QRect& target, int itemData, bool selected)
{
    if (target.width() <= 0 || target.height() <= 0)
        return;
    QImage image(target.size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        auto dc = CQtDC::ForImage(&image);
        combo.DrawItem(dc.get(), RECT{0, 0, target.width(), target.height()}, itemData, selected);
        dc->End();
    }
    painter->drawImage(target.topLeft(), image);
}

class CUnderlineDelegate : public QStyledItemDelegate {
public:
    explicit CUnderlineDelegate(CUnderlineCombo* combo) : QStyledItemDelegate(combo), m_combo(combo) {}

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const bool selected = (option.state & QStyle::State_Selected) != 0;
        PaintSample(*m_combo, painter, option.rect, index.data(Qt::UserRole).toInt(), selected);
    }

    QSize sizeHint(const QStyleOptionViewItem& /*option*/, const QModelIndex& /*index*/) const override
    {
        return QSize(120, 18);
    }

private:
    CUnderlineCombo* m_combo;
};

// The fixed entries of a start list: "自動", then the labels.
QStringList StartEntries(const std::vector<const char16_t*>& labels)
{
    QStringList entries{QString::fromUtf16(u"自動")};
    for (const char16_t* label : labels)
        entries << QString::fromUtf16(label);
    return entries;
}

QStringList CircledEntries()
{
    QStringList entries{QString::fromUtf16(u"自動")};
    for (char16_t c = u'①'; c <= u'⑳'; ++c)
        entries << QString(QChar(c));
    return entries;
}

QStringList LetterEntries(char16_t first)
{
    QStringList entries{QString::fromUtf16(u"自動")};
    for (char16_t c = first; c < first + 26; ++c)
        entries << QString("(") + QChar(c) + QString(")");
    return entries;
}

QStringList KatakanaEntries()
{
    return StartEntries({u"(ア)", u"(イ)", u"(ウ)", u"(エ)", u"(オ)", u"(カ)", u"(キ)", u"(ク)", u"(ケ)", u"(コ)",
                         u"(サ)", u"(シ)", u"(ス)", u"(セ)", u"(ソ)", u"(タ)", u"(チ)", u"(ツ)", u"(テ)", u"(ト)",
                         u"(ナ)", u"(ニ)", u"(ヌ)", u"(ネ)", u"(ノ)", u"(ハ)", u"(ヒ)", u"(フ)", u"(ヘ)", u"(ホ)",
                         u"(マ)", u"(ミ)", u"(ム)", u"(メ)", u"(モ)", u"(ヤ)", u"(ユ)", u"(ヨ)", u"(ラ)", u"(リ)",
                         u"(ル)", u"(レ)", u"(ロ)", u"(ワ)", u"(ヲ)", u"(ン)"});
}

// Only digits and blanks make a number; anything else ("自動") is automatic.
int StartFromText(const QString& text)
{
    if (text.isEmpty())
        return 0;
    for (QChar c : text)
        if (!(c == u' ' || (c >= u'0' && c <= u'9')))
            return 0;
    return NarrowAtoi(text.toStdString());
}

}  // namespace

CUnderlineCombo::CUnderlineCombo(QWidget* parent) : QComboBox(parent), m_thickPen(PS_SOLID, MulDiv(96, 3, 144), kBlack)
{
    setItemDelegate(new CUnderlineDelegate(this));
    setMinimumWidth(140);
}

void CUnderlineCombo::AddLineKinds()
{
    clear();
    for (int data = 1; data <= kItemCount; ++data)
        addItem(QString(), data);
}

void CUnderlineCombo::DrawItem(CDC* dc, const RECT& item, int itemData, bool selected) const
{
    dc->FillRect(&item, HBRUSH(GetStockObject(WHITE_BRUSH)));
    dc->SetBkColor(kWhite);
    const int left = item.left + 10;
    const int right = item.right - 10;
    const int h = item.bottom - item.top;
    const int mid = item.top + h / 2;
    auto line = [dc, left, right](int y) {
        dc->MoveTo(left, y);
        dc->LineTo(right, y);
    };
    const HPEN previous = dc->SelectObject(HPEN(GetStockObject(BLACK_PEN)));
    switch (itemData) {
    case 1: line(mid); break;
    case 2:
        line(item.top + 2 * (h / 5));
        line(item.top + 3 * (h / 5));
        break;
    case 3:
        dc->SelectObject(&m_thickPen);
        line(mid);
        break;
    case 4: dc->SelectObject(GetDashPen(kBlack)); line(mid); break;
    case 5: dc->SelectObject(GetDotPen(kBlack)); line(mid); break;
    case 6: dc->SelectObject(GetDashDotPen(kBlack)); line(mid); break;
    case 7: dc->SelectObject(GetDashDotDotPen(kBlack)); line(mid); break;
    case 8: {
        // Half-waves of 5 pixels between a lower and an upper level, one Bézier chain.
        dc->SelectObject(GetSolidPen(kBlack));
        const int n = (right - left) / 5;
        if (n <= 0)
            break;
        const int lower = item.bottom - h / 2 + 2;
        const int upper = mid - 2;
        std::vector<POINT> points{{left, lower}};
        for (int i = 0; i < n; ++i) {
            const int from = i % 2 == 0 ? lower : upper;
            const int to = i % 2 == 0 ? upper : lower;
            const int control = left + 5 * i + 2;
            const int end = i == n - 1 ? left + 5 * n + 2 : left + 5 * i + 5;
            points.push_back({control, from});
            points.push_back({control, to});
            points.push_back({end, to});
        }
        dc->PolyBezier(points.data(), static_cast<int>(points.size()));
        break;
    }
    default: break;
    }
    dc->SelectObject(previous);
    if (selected)
        dc->FrameRect(&item, HBRUSH(GetStockObject(BLACK_BRUSH)));
}

void CUnderlineCombo::paintEvent(QPaintEvent* /*event*/)
{
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    if (currentIndex() < 0)
        return;
    const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    PaintSample(*this, &painter, field, currentData().toInt(), false);
}

CUnderlineNumberDlg::CUnderlineNumberDlg(QWidget* parent, int fontListId)
    : CValueDialog(408, parent,
                   [](const DIALOG_CONTROL& control, QWidget* host) -> QWidget* {
                       return control.id == kLineKind ? new CUnderlineCombo(host) : nullptr;
                   }),
      m_fontListId(fontListId)
{
    m_lineKinds = Control<CUnderlineCombo>(kLineKind);
    if (auto* fonts = Control<QComboBox>(1000))
        fonts->setObjectName(QString::number(fontListId));
}

bool CUnderlineNumberDlg::ExchangeValue(bool save)
{
    if (!save) {
        switch (m_numberKind) {
        case 1: m_numberStartText = m_start > 0 ? QString::number(m_start) : QString::fromUtf16(u"自動"); break;
        case 2: m_katakanaStartIndex = m_start; break;
        case 3: m_lowerStartIndex = m_start; break;
        case 4: m_upperStartIndex = m_start; break;
        default: m_circledStartIndex = m_start; break;
        }
        if (m_numberKind != 1)
            m_numberStartText = QString::fromUtf16(u"自動");
        m_sizeText = QString::fromStdString(m_sizeField.Show(m_size));
        return true;
    }
    switch (m_numberKind) {
    case 1: m_start = StartFromText(m_numberStartText); break;
    case 2: m_start = m_katakanaStartIndex; break;
    case 3: m_start = m_lowerStartIndex; break;
    case 4: m_start = m_upperStartIndex; break;
    default: m_start = m_circledStartIndex; break;
    }
    if (!m_sizeField.Read(m_sizeText.toStdString(), PointTextRule::Tenths, &m_size)) {
        ShowBadNumber(this, u"フォントサイズ");
        return false;
    }
    return true;
}

void CUnderlineNumberDlg::DoDataExchange(bool save)
{
    auto list = [this, save](int id, int* index) {
        if (auto* combo = Control<QComboBox>(id)) {
            if (save)
                *index = combo->currentIndex();
            else
                combo->setCurrentIndex(*index < combo->count() ? *index : -1);
        }
    };
    auto text = [this, save](int id, QString* value) {
        if (save)
            *value = ControlText(id);
        else
            SetControlText(id, *value);
    };
    list(kLineKind, &m_lineKind);
    if (auto* kinds = Control<QButtonGroup>(kFirstKind)) {
        if (save)
            m_numberKind = kinds->checkedId();
        else if (QAbstractButton* button = kinds->button(m_numberKind))
            button->setChecked(true);
    }
    list(kCircledStart, &m_circledStartIndex);
    text(kNumberStart, &m_numberStartText);
    list(kKatakanaStart, &m_katakanaStartIndex);
    list(kLowerStart, &m_lowerStartIndex);
    list(kUpperStart, &m_upperStartIndex);
    text(kCustomText, &m_customText);
    text(kSize, &m_sizeText);
}

void CUnderlineNumberDlg::OnInitDialog()
{
    ExchangeValue(false);
    if (auto* combo = Control<QComboBox>(kCircledStart))
        combo->addItems(CircledEntries());
    if (auto* combo = Control<QComboBox>(kKatakanaStart))
        combo->addItems(KatakanaEntries());
    if (auto* combo = Control<QComboBox>(kLowerStart))
        combo->addItems(LetterEntries(u'ａ'));
    if (auto* combo = Control<QComboBox>(kUpperStart))
        combo->addItems(LetterEntries(u'Ａ'));
    if (m_lineKinds != nullptr)
        m_lineKinds->AddLineKinds();
    if (auto* spin = Control<CSpinEdit>(kNumberStart))
        spin->SetRange(0, 100);
    DoDataExchange(false);
    if (m_start <= 0)
        SetControlText(kNumberStart, QString::fromUtf16(u"自動"));
    if (auto* fonts = Control<QComboBox>(m_fontListId)) {
        FillInstalledFontList(fonts, false);
        SelectFontFace(fonts, m_fontFace);
    }
    if (m_defaultsOnly) {
        for (int id : {kCircledStart, kNumberStart, kKatakanaStart, kLowerStart, kUpperStart, kCustomKind, kCustomText})
            if (auto* control = Control<QWidget>(id))
                control->setEnabled(false);
    }
}

void CUnderlineNumberDlg::OnOK()
{
    DoDataExchange(true);
    if (!ExchangeValue(true))
        return;
    LOGFONTA chosen{};
    if (auto* fonts = Control<QComboBox>(m_fontListId); fonts != nullptr && ChosenInstalledFont(fonts, &chosen))
        m_fontFace = FaceName(chosen);
    done(IDOK_RESULT);
}

int RunUnderlineNumberDialog(UNDERLINE_NUMBER_VALUES* values, QWidget* parent, int fontListId)
{
    CUnderlineNumberDlg dialog(parent, fontListId);
    dialog.m_defaultsOnly = values->newFlag;
    dialog.m_lineKind = values->underlineState;
    dialog.m_numberKind = values->kindIndex;
    dialog.m_customText = QString::fromStdU16String(values->labelText);
    dialog.m_start = values->force;
    dialog.m_fontFace = QString::fromStdU16String(Cp932ToWide(values->face));
    dialog.m_size = values->size;
    const int result = dialog.DoModal();
    if (result != IDOK)
        return result;
    values->underlineState = dialog.m_lineKind;
    values->kindIndex = dialog.m_numberKind;
    values->labelText = dialog.m_customText.toStdU16String();
    values->force = dialog.m_start;
    values->face = WideToCp932(dialog.m_fontFace.toStdU16String());
    values->size = dialog.m_size;
    return result;
}
