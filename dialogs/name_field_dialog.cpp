#include "dialogs/name_field_dialog.h"

#include "base/gdi_cache.h"
#include "platform/codepage.h"

#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstring>
#include <string>

namespace {

constexpr int kHeadingWidth = 48;
constexpr int kRowHeight = 113;
constexpr int kCheckWidth = 48;
constexpr int kPictureWidth = 99;
constexpr uint16_t kRowHeadingAlign = 0x24;

std::u16string Digits(int value)
{
    const std::string text = std::to_string(value);
    return std::u16string(text.begin(), text.end());
}

}  // namespace

bool LoadPictureBitmap(int pictureId, CBitmap* bitmap)
{
    const QImage picture(QString(":/dialogs/bitmap_%1.svg").arg(pictureId));
    if (picture.isNull())
        return false;
    QImage image(picture.size(), QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.drawImage(0, 0, picture);
    painter.end();
    return bitmap->CreateBitmap(image.width(), image.height(), 1, 32, image.constBits()) != FALSE;
}

// ---------------------------------------------------------------------------------------------
// The grid

CNameFieldGrid::CNameFieldGrid(QWidget* parent) : CGridCtrl(parent) {}

void CNameFieldGrid::SetPageCount(int pages)
{
    m_pageCount = std::clamp(pages, 0, kMaxPages);
}

int CNameFieldGrid::GetFlag(int page) const
{
    return page >= 0 && page < kMaxPages ? m_flags[static_cast<size_t>(page)] : 0;
}

void CNameFieldGrid::SetFlag(int page, int flag)
{
    if (page >= 0 && page < kMaxPages)
        m_flags[static_cast<size_t>(page)] = flag;
}

bool CNameFieldGrid::IsChecked(int row)
{
    CGridCell cell;
    GetCell(0, row, cell);
    return cell.GetBoolValue() != FALSE;
}

int CNameFieldGrid::PictureOf(int row)
{
    CGridCell cell;
    GetCell(1, row, cell);
    const HBITMAP bitmap = cell.GetBitmap();
    if (bitmap == HBITMAP())
        return 0;
    return bitmap == HBITMAP(m_withField) ? kWithField : bitmap == HBITMAP(m_withoutField) ? kWithoutField : 0;
}

void CNameFieldGrid::ReadChecks()
{
    for (int row = 0; row < m_pageCount; ++row)
        m_flags[static_cast<size_t>(row)] = IsChecked(row) ? 1 : 0;
}

void CNameFieldGrid::ShowPicture(int row)
{
    CGridCell cell;
    GetCell(1, row, cell);
    cell.SetBitmap(IsChecked(row) ? HBITMAP(m_withField) : HBITMAP(m_withoutField));
    SetCell(1, row, cell);
    RefreshCell(1, row);
}

void CNameFieldGrid::SetRow(int row, bool checked)
{
    CGridCell box;
    GetCell(0, row, box);
    box.SetText(checked ? u"1" : u"0");
    SetCell(0, row, box);
    RefreshCell(0, row);
    ShowPicture(row);
}

void CNameFieldGrid::OnGridCreated()
{
    UseDialogCellFont(m_font);
    LoadPictureBitmap(kWithField, &m_withField);
    LoadPictureBitmap(kWithoutField, &m_withoutField);

    SetRowHeadingWidth(kHeadingWidth);
    SetDefaultRowHeight(kRowHeight);
    SetDefaultColumnWidth(kCheckWidth);
    SetRowCount(m_pageCount, true);
    SetColumnCount(m_columnCount, true);

    CGridCell corner;
    corner.SetText(u"ページ");
    corner.SetFont(m_font);
    SetCell(-1, -1, corner);
    CGridCell heading;
    heading.SetText(u"記名欄");
    SetCell(0, -1, heading);
    SetColumnWidth(0, kCheckWidth);
    SetColumnWidth(1, kPictureWidth);
    for (int row = 0; row < m_pageCount; ++row) {
        CGridCell number;
        number.SetText(Digits(row + 1));
        number.SetAlignment(kRowHeadingAlign);
        SetCell(-1, row, number);
        SetRowHeight(row, kRowHeight);
        const bool flagged = m_flags[static_cast<size_t>(row)] != 0;
        CGridCell box;
        box.SetCellType(1);
        box.SetText(flagged ? u"1" : u"0");
        SetCell(0, row, box);
        CGridCell picture;
        picture.SetBitmap(flagged ? HBITMAP(m_withField) : HBITMAP(m_withoutField));
        SetCell(1, row, picture);
    }
    RedrawAll();
}

void CNameFieldGrid::OnCellClick(int column, int row, int, const RECT&, POINT, int)
{
    if (column != 0 || row < 0 || row >= m_pageCount)
        return;
    ShowPicture(row);
}

void CNameFieldGrid::OnColumnHeadingDoubleClick(int column, int, const RECT&, POINT, int)
{
    if (column != 0)
        return;
    bool allChecked = true;
    for (int row = 0; row < m_pageCount && allChecked; ++row)
        allChecked = IsChecked(row);
    for (int row = 0; row < m_pageCount; ++row)
        SetRow(row, !allChecked);
}

void CNameFieldGrid::OnRowHeadingDoubleClick(int, int row, const RECT&, POINT, int)
{
    if (row < 0 || row >= m_pageCount)
        return;
    SetRow(row, !IsChecked(row));
}

// ---------------------------------------------------------------------------------------------
// The dialog

CNameFieldDlg::CNameFieldDlg(QWidget* parent) : CValueDialog(kTemplate, parent), m_grid(new CNameFieldGrid(this))
{
    m_grid->setMinimumSize(220, 300);
    CoverPlaceholder(this, kGridFrame, m_grid);
}

void CNameFieldDlg::OnInitDialog()
{
    const QRect frame = m_grid->geometry();
    m_grid->CreateGrid(RECT{frame.left(), frame.top(), frame.right() + 1, frame.bottom() + 1}, nullptr);
    m_grid->setFocus();
}

void CNameFieldDlg::OnOK()
{
    m_grid->ReadChecks();
    done(IDOK_RESULT);
}
