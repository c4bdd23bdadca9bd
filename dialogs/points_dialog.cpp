#include "dialogs/points_dialog.h"

#include "platform/gdi.h"
#include "platform/gdi_objects.h"
#include "platform/gdi_qt.h"

#include <QButtonGroup>
#include <QFont>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QRadioButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QResizeEvent>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>
#include <climits>
#include <cstdio>

namespace {

// The control ids of the seven rows: four radios, seven edits, eleven statics each.
constexpr int kRadioIds[7][4] = {
    {1270, 1274, 1266, 1281}, {1284, 1287, 1016, 1290}, {1019, 1038, 1043, 1047}, {1050, 1053, 1058, 1062},
    {1065, 1068, 1073, 1077}, {1080, 1083, 1088, 1092}, {1095, 1098, 1103, 1107},
};
constexpr int kEditIds[7][7] = {
    {1272, 1262, 1276, 1265, 1020, 1279, 1282}, {1285, 1264, 1018, 1268, 1277, 1288, 1291},
    {1036, 1039, 1040, 1041, 1044, 1045, 1048}, {1051, 1054, 1055, 1056, 1059, 1060, 1063},
    {1066, 1069, 1070, 1071, 1074, 1075, 1078}, {1081, 1084, 1085, 1086, 1089, 1090, 1093},
    {1096, 1099, 1100, 1101, 1104, 1105, 1108},
};
constexpr int kStaticIds[7][11] = {
    {1131, 1132, 1133, 1110, 1117, 1134, 1135, 1124, 1136, 1137, 1138},
    {1181, 1175, 1169, 1111, 1118, 1163, 1157, 1125, 1151, 1145, 1139},
    {1182, 1176, 1170, 1112, 1119, 1164, 1158, 1126, 1152, 1146, 1140},
    {1183, 1177, 1171, 1113, 1120, 1165, 1159, 1127, 1153, 1147, 1141},
    {1184, 1178, 1172, 1114, 1121, 1166, 1160, 1128, 1154, 1148, 1142},
    {1185, 1179, 1173, 1115, 1122, 1167, 1161, 1129, 1155, 1149, 1143},
    {1186, 1180, 1174, 1116, 1123, 1168, 1162, 1130, 1156, 1150, 1144},
};

// Left to right: R1 S1 E1 S2 | R2 S3 E2 S4 E3 S5 E4 S6 | R3 S7 E5 S8 E6 S9 | R4 S10 E7 S11.
struct ROW_ITEM {
    char kind;
    int index;  // from 0
};
constexpr ROW_ITEM kRowItems[] = {
    {'R', 0}, {'S', 0}, {'E', 0}, {'S', 1}, {'|', 0}, {'R', 1}, {'S', 2}, {'E', 1}, {'S', 3}, {'E', 2}, {'S', 4},
    {'E', 3}, {'S', 5}, {'|', 0}, {'R', 2}, {'S', 6}, {'E', 4}, {'S', 7}, {'E', 5}, {'S', 8}, {'|', 0}, {'R', 3},
    {'S', 9}, {'E', 6}, {'S', 10},
};

constexpr COLORREF kShadow = 0x808080;
constexpr COLORREF kHighlight = 0xFFFFFF;
constexpr COLORREF kDarkLine = 0x404040;

COLORREF ToColorRef(const QColor& color)
{
    return static_cast<COLORREF>(color.red() | (color.green() << 8) | (color.blue() << 16));
}

void Line(CDC* dc, COLORREF color, int x1, int y1, int x2, int y2)
{
    CPen pen(PS_SOLID, 1, color);
    HPEN previous = dc->SelectObject(&pen);
    dc->MoveTo(x1, y1);
    dc->LineTo(x2, y2);
    dc->SelectObject(previous);
}

// An etched rule: a shadow line with a highlight beside it.
void EtchedHorizontal(CDC* dc, int x1, int x2, int y)
{
    Line(dc, kShadow, x1, y, x2, y);
    Line(dc, kHighlight, x1, y + 1, x2, y + 1);
}

void EtchedVertical(CDC* dc, int x, int y1, int y2)
{
    Line(dc, kShadow, x, y1, x, y2);
    Line(dc, kHighlight, x + 1, y1, x + 1, y2);
}

std::u16string FourWide(int number)
{
    char text[16];
    std::snprintf(text, sizeof text, "%4d", number);
    std::u16string out;
    for (const char* p = text; *p != '\0'; ++p)
        out += static_cast<char16_t>(*p);
    return out;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// The table

CPointsTableDlg::CPointsTableDlg(QWidget* parent) : QWidget(parent)
{
    static const char16_t* const kHeadings[] = {u"大", u"小", u"配点表示　種類選択"};
    for (size_t i = 0; i < m_headings.size(); ++i) {
        auto* heading = new QLabel(QString::fromUtf16(kHeadings[i]), this);
        heading->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        heading->setAlignment(Qt::AlignCenter);
        m_headings[i] = heading;
    }
    for (int r = 1; r <= kRows; ++r)
        BuildRow(r);
    m_scrollBar = new QScrollBar(Qt::Vertical, this);
    m_scrollBar->setPageStep(kRows);
    connect(m_scrollBar, &QScrollBar::valueChanged, this, [this](int value) {
        if (!m_syncingBar)
            ScrollBy(PointsScroll::kThumb, value + 1);
    });
    const int rowHeight = m_rows[0].strip->sizeHint().height();
    m_pitch = rowHeight + 6;
    setMinimumSize(m_rows[0].strip->sizeHint().width() + m_scrollBar->sizeHint().width(),
                   HeaderHeight() + kRows * m_pitch);
    setFocusPolicy(Qt::StrongFocus);
    UpdateScrollBar();
}

int CPointsTableDlg::GetRowControlId(char kind, int row, int column)
{
    if (row < 1 || row > kRows)
        return 0;
    const size_t r = static_cast<size_t>(row - 1);
    switch (kind) {
    case 'R': return column >= 1 && column <= 4 ? kRadioIds[r][column - 1] : 0;
    case 'E': return column >= 1 && column <= 7 ? kEditIds[r][column - 1] : 0;
    case 'S': return column >= 1 && column <= 11 ? kStaticIds[r][column - 1] : 0;
    default: return 0;
    }
}

QRadioButton* CPointsTableDlg::Radio(int row, int form) const
{
    return row >= 1 && row <= kRows && form >= 1 && form <= 4 ? m_rows[static_cast<size_t>(row - 1)].radios[static_cast<size_t>(form - 1)] : nullptr;
}

QLineEdit* CPointsTableDlg::Edit(int row, int edit) const
{
    return row >= 1 && row <= kRows && edit >= 1 && edit <= 7 ? m_rows[static_cast<size_t>(row - 1)].edits[static_cast<size_t>(edit - 1)] : nullptr;
}

QLabel* CPointsTableDlg::Static(int row, int index) const
{
    return row >= 1 && row <= kRows && index >= 1 && index <= 11 ? m_rows[static_cast<size_t>(row - 1)].statics[static_cast<size_t>(index - 1)] : nullptr;
}

void CPointsTableDlg::BuildRow(int row)
{
    ROW_CONTROLS& controls = m_rows[static_cast<size_t>(row - 1)];
    controls.strip = new QWidget(this);
    auto* layout = new QHBoxLayout(controls.strip);
    const QFontMetrics metrics(font());
    // Room for the major number, then the sub-question number, before the first radio.
    layout->setContentsMargins(2 * metrics.horizontalAdvance(QStringLiteral("0000")) + 16, 0, 4, 0);
    layout->setSpacing(2);
    controls.forms = new QButtonGroup(controls.strip);
    const int editWidth = metrics.horizontalAdvance(QStringLiteral("00000")) + 10;
    auto keepPlace = [](QWidget* widget) {
        QSizePolicy policy = widget->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        widget->setSizePolicy(policy);
    };
    for (const ROW_ITEM& item : kRowItems) {
        QWidget* widget = nullptr;
        switch (item.kind) {
        case 'R': {
            auto* radio = new QRadioButton(controls.strip);
            controls.forms->addButton(radio, item.index + 1);
            controls.radios[static_cast<size_t>(item.index)] = radio;
            radio->setObjectName(QString::number(GetRowControlId('R', row, item.index + 1)));
            widget = radio;
            break;
        }
        case 'E': {
            auto* edit = new QLineEdit(controls.strip);
            edit->setAlignment(Qt::AlignRight);
            edit->setMaxLength(CPointsTableModel::kMaxDigits);
            edit->setValidator(new QRegularExpressionValidator(
                QRegularExpression(QStringLiteral("[0-9]{0,%1}").arg(CPointsTableModel::kMaxDigits)), edit));
            edit->setFixedWidth(editWidth);
            edit->setReadOnly(item.index == 3 || item.index == 5);
            edit->setObjectName(QString::number(GetRowControlId('E', row, item.index + 1)));
            controls.edits[static_cast<size_t>(item.index)] = edit;
            connect(edit, &QLineEdit::textEdited, this, [this, row] { OnValueEdited(row); });
            widget = edit;
            break;
        }
        case 'S': {
            auto* label = new QLabel(controls.strip);
            label->setObjectName(QString::number(GetRowControlId('S', row, item.index + 1)));
            controls.statics[static_cast<size_t>(item.index)] = label;
            widget = label;
            break;
        }
        default:
            layout->addSpacing(14);
            continue;
        }
        keepPlace(widget);
        layout->addWidget(widget);
    }
    layout->addStretch(1);
    connect(controls.forms, &QButtonGroup::idClicked, this, [this, row](int form) { OnFormClicked(row, form); });
    // Template texts, shown until the first fill.
    static const char16_t* const kTexts[] = {u"(", u"点)", u"(各", u"点×", u"＝", u"点)", u"(各", u"点：計", u"点)", u"(計", u"点)"};
    for (size_t s = 0; s < controls.statics.size(); ++s)
        controls.statics[s]->setText(QString::fromUtf16(kTexts[s]));
}

int CPointsTableDlg::HeaderHeight() const { return m_headings[0]->sizeHint().height() + 4; }

int CPointsTableDlg::FormLeft(int form) const
{
    const QRadioButton* radio = m_rows[0].radios[static_cast<size_t>(form - 1)];
    return radio->x() + m_rows[0].strip->x();
}

void CPointsTableDlg::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    PlaceRows();
}

void CPointsTableDlg::PlaceRows()
{
    const int top = HeaderHeight();
    const int barWidth = m_scrollBar->sizeHint().width();
    const int rowHeight = m_rows[0].strip->sizeHint().height();
    m_pitch = std::max(rowHeight, (height() - top) / kRows);
    const int stripWidth = width() - barWidth;
    for (int r = 1; r <= kRows; ++r) {
        QWidget* strip = m_rows[static_cast<size_t>(r - 1)].strip;
        strip->setGeometry(0, top + (r - 1) * m_pitch + (m_pitch - rowHeight) / 2, stripWidth, rowHeight);
    }
    m_scrollBar->setGeometry(stripWidth, top, barWidth, kRows * m_pitch);
    // The headings stand over the major numbers, the sub-question numbers and the forms.
    m_rows[0].strip->layout()->activate();
    const int firstRadio = FormLeft(1);
    const int minorX = firstRadio / 2 - 3;
    m_headings[0]->setGeometry(0, 0, minorX, top - 2);
    m_headings[1]->setGeometry(minorX, 0, firstRadio - 4 - minorX, top - 2);
    m_headings[2]->setGeometry(firstRadio - 4, 0, stripWidth - firstRadio + 4, top - 2);
    update();
}

void CPointsTableDlg::SetRows(const HAITEN_ROW* rows, int count)
{
    m_model.SetRows(rows, count);
    UpdateScrollBar();
    RefillRows();
}

void CPointsTableDlg::SetBracketStyle(int style)
{
    m_model.SetBracketStyle(style);
    RefillRows();
}

void CPointsTableDlg::SetShowPoints(int show)
{
    m_model.SetShowPoints(show);
    RefillRows();
}

void CPointsTableDlg::UpdateScrollBar()
{
    m_syncingBar = true;
    const int count = static_cast<int>(m_model.Rows().size());
    m_scrollBar->setRange(0, std::max(0, count - kRows));
    m_scrollBar->setValue(m_model.GetFirstVisible() - 1);
    m_scrollBar->setVisible(count > kRows);
    m_syncingBar = false;
}

void CPointsTableDlg::RefillRows()
{
    if (m_model.IsBusy())
        return;
    setUpdatesEnabled(false);
    for (int r = 1; r <= kRows; ++r)
        FillRow(r);
    setUpdatesEnabled(true);
    update();
    UpdateTotal();
}

void CPointsTableDlg::FillRow(int row)
{
    const POINTS_ROW_VIEW view = m_model.FillRow(row);
    ROW_CONTROLS& controls = m_rows[static_cast<size_t>(row - 1)];
    controls.forms->setExclusive(false);
    for (size_t k = 0; k < controls.radios.size(); ++k) {
        QRadioButton* radio = controls.radios[k];
        radio->setChecked(view.checkedForm == static_cast<int>(k) + 1);
        radio->setVisible(view.radioShown[k]);
        radio->setEnabled(view.radioEnabled[k]);
    }
    controls.forms->setExclusive(true);
    for (size_t e = 0; e < controls.edits.size(); ++e) {
        QLineEdit* edit = controls.edits[e];
        edit->setText(QString::fromStdU16String(view.editText[e]));
        edit->setVisible(view.editShown[e]);
        edit->setEnabled(view.editEnabled[e]);
    }
    for (size_t s = 0; s < controls.statics.size(); ++s) {
        QLabel* label = controls.statics[s];
        label->setText(QString::fromStdU16String(view.staticText[s]));
        label->setVisible(view.staticShown[s]);
        label->setEnabled(view.staticEnabled[s]);
    }
}

void CPointsTableDlg::OnFormClicked(int row, int form)
{
    if (m_model.OnFormClicked(row, form))
        RefillRows();
}

void CPointsTableDlg::OnValueEdited(int row)
{
    std::array<std::u16string, POINTS_ROW_VIEW::kEdits> texts;
    const ROW_CONTROLS& controls = m_rows[static_cast<size_t>(row - 1)];
    for (size_t e = 0; e < texts.size(); ++e)
        texts[e] = controls.edits[e]->text().toStdU16String();
    std::vector<POINTS_EDIT_WRITE> writes;
    if (!m_model.OnValueChanged(row, texts, &writes))
        return;
    for (const POINTS_EDIT_WRITE& write : writes) {
        if (QLineEdit* edit = Edit(write.row, write.edit))
            edit->setText(QString::number(write.value));
    }
    UpdateTotal();
}

void CPointsTableDlg::UpdateTotal()
{
    if (onTotalChanged)
        onTotalChanged(m_model.GrandTotal());
}

void CPointsTableDlg::ScrollBy(int code, int thumbRow)
{
    setFocus();
    if (m_model.Scroll(code, thumbRow) == 0) {
        UpdateScrollBar();
        return;
    }
    UpdateScrollBar();
    RefillRows();
}

void CPointsTableDlg::wheelEvent(QWheelEvent* event)
{
    const int delta = event->angleDelta().y();
    if (delta < 0)
        ScrollBy(PointsScroll::kLineDown);
    else if (delta > 0)
        ScrollBy(PointsScroll::kLineUp);
    event->accept();
}

void CPointsTableDlg::keyPressEvent(QKeyEvent* event)
{
    // Enter moves on to the next control and Esc back to the previous one, as in a table.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        focusNextChild();
        event->accept();
        return;
    }
    if (event->key() == Qt::Key_Escape) {
        focusPreviousChild();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void CPointsTableDlg::paintEvent(QPaintEvent* /*event*/)
{
    QImage image(size(), QImage::Format_RGB32);
    image.fill(palette().color(QPalette::Window));
    {
        auto dc = CQtDC::ForImage(&image);
        dc->SetBkMode(TRANSPARENT);
        dc->SetTextColor(ToColorRef(palette().color(QPalette::WindowText)));
        LOGFONTA face{};
        face.lfHeight = -QFontMetrics(font()).height() + 2;
        face.lfCharSet = 128;
        std::snprintf(face.lfFaceName, sizeof face.lfFaceName, "%s", "MS UI Gothic");
        CFont numberFont;
        numberFont.CreateFontIndirect(&face);
        HFONT previousFont = dc->SelectObject(&numberFont);
        const int top = HeaderHeight();
        const int right = width() - (m_scrollBar->isVisible() ? m_scrollBar->width() : 0);
        const int firstRadio = FormLeft(1);
        const int minorX = firstRadio / 2 - 3;
        const int textOffset = (m_pitch + face.lfHeight) / 2;
        int lastBottom = -1;
        for (int r = 1; r <= kRows; ++r) {
            const HAITEN_ROW* record = m_model.RecordAt(r);
            if (record == nullptr)
                break;
            const int y = top + (r - 1) * m_pitch;
            for (int form = 1; form <= 4; ++form)
                EtchedVertical(dc.get(), FormLeft(form) - 3 - 6, y, y + m_pitch);
            if (record->subQuestion == 0) {
                dc->TextOutW(0, y + textOffset, FourWide(record->question));
                EtchedHorizontal(dc.get(), 0, right, y);
                Line(dc.get(), kDarkLine, 0, y - 2, right, y - 2);
            } else {
                dc->TextOutW(minorX + 3, y + textOffset, FourWide(record->subQuestion));
                EtchedVertical(dc.get(), minorX, y, y + m_pitch);
                EtchedHorizontal(dc.get(), minorX, right, y);
                if (record->subQuestion == 1)
                    Line(dc.get(), kDarkLine, minorX, y - 2, right, y - 2);
            }
            lastBottom = y + m_pitch;
        }
        if (lastBottom >= 0) {
            // The closing rule under the last row.
            EtchedHorizontal(dc.get(), 0, right, lastBottom);
            Line(dc.get(), kDarkLine, 0, lastBottom + 2, right, lastBottom + 2);
            Line(dc.get(), kDarkLine, 0, lastBottom + 4, right, lastBottom + 4);
        }
        dc->SelectObject(previousFont);
        dc->End();
    }
    QPainter painter(this);
    painter.drawImage(0, 0, image);
}

// ---------------------------------------------------------------------------------------------
// The dialog

CPointsDlg::CPointsDlg(QWidget* parent) : CValueDialog(256, parent)
{
    m_table = new CPointsTableDlg(this);
    CoverPlaceholder(this, 1254, m_table);
    m_table->onTotalChanged = [this](int64_t total) {
        SetTotal(static_cast<int>(std::clamp<int64_t>(total, INT_MIN, INT_MAX)));
    };
    QFont bold = font();
    bold.setFamily(QStringLiteral("ＭＳ ゴシック"));
    bold.setPixelSize(16);
    bold.setWeight(QFont::ExtraBold);
    for (int id : {kTotal, 1198, 1199}) {
        if (auto* label = Control<QLabel>(id))
            label->setFont(bold);
    }
    if (auto* total = Control<QLabel>(kTotal)) {
        total->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        total->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        total->setMinimumWidth(QFontMetrics(bold).horizontalAdvance(QStringLiteral("000000")) + 8);
    }
    if (auto* group = Control<QButtonGroup>(kShowNone))
        connect(group, &QButtonGroup::idClicked, this, [this] { OnShowPoints(); });
    if (auto* group = Control<QButtonGroup>(kRoundBrackets))
        connect(group, &QButtonGroup::idClicked, this, [this] { OnBracketStyle(); });
}

void CPointsDlg::SetTotal(int total) { SetControlText(kTotal, QString::number(total)); }

void CPointsDlg::EnableBracketStyle()
{
    for (int id : {kRoundBrackets, kSquareBrackets}) {
        if (auto* radio = Control<QRadioButton>(id))
            radio->setEnabled(m_showPoints != 0);
    }
}

void CPointsDlg::OnInitDialog()
{
    m_showPoints = m_showPoints != 0 ? 1 : 0;
    if (auto* show = Control<QRadioButton>(m_showPoints != 0 ? kShowPoints : kShowNone))
        show->setChecked(true);
    if (auto* bracket = Control<QRadioButton>(m_bracketStyle == 1 ? kSquareBrackets : kRoundBrackets))
        bracket->setChecked(true);
    EnableBracketStyle();
    m_table->SetShowPoints(m_showPoints);
    m_table->SetBracketStyle(m_bracketStyle);
}

void CPointsDlg::OnShowPoints()
{
    if (auto* group = Control<QButtonGroup>(kShowNone))
        m_showPoints = group->checkedId() == 1 ? 1 : 0;
    EnableBracketStyle();
    m_table->SetShowPoints(m_showPoints);
}

void CPointsDlg::OnBracketStyle()
{
    if (auto* group = Control<QButtonGroup>(kRoundBrackets))
        m_bracketStyle = group->checkedId() == 1 ? 1 : 0;
    m_table->SetBracketStyle(m_bracketStyle);
}

void CPointsDlg::OnOK() { done(IDOK_RESULT); }
