#include "formula/window/format_bar.h"

#include "base/gdi_cache.h"
#include "dialogs/kunten_combos.h"
#include "platform/codepage.h"

#include <QAbstractItemView>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>

#include <algorithm>

namespace {

// Visible list rows for a drop-down of the given height in pixels.
int RowsFor(const QComboBox* combo, int dropHeight)
{
    const int row = std::max(1, combo->fontMetrics().height() + 2);
    return std::max(1, dropHeight / row);
}

}  // namespace

CFontNameCombo::CFontNameCombo(QWidget* parent) : QComboBox(parent)
{
    setObjectName(QString("box_%1").arg(VumatBox::kFontName));
    setIconSize(QSize(16, 16));
    setFocusPolicy(Qt::StrongFocus);
}

void CFontNameCombo::FillFonts(int dpiY)
{
    LOGFONTA gui{};
    GetGuiLogFont(&gui);
    QFont font(QString::fromStdU16String(Cp932ToWide(gui.lfFaceName)));
    font.setPixelSize(MulDiv(10, dpiY > 0 ? dpiY : 96, 72));
    setFont(font);
    clear();
    const QIcon plain = CommandIcon(151), flagged = CommandIcon(150);
    for (int i = 0; i < GetInstalledFontCount(); ++i) {
        LOGFONTA installed{};
        NEWTEXTMETRICA metric{};
        if (GetInstalledFont(i, &installed) < 0)
            continue;
        GetInstalledFontMetric(i, &metric);
        addItem((metric.ntmFlags & 0x40000) != 0 ? flagged : plain,
                QString::fromStdU16String(Cp932ToWide(installed.lfFaceName)));
    }
    setCurrentIndex(-1);
}

int CFontNameCombo::SelectFontName(const QString& face)
{
    const int index = findText(face, Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (index < 0) {
        // A list-only combo shows a face it does not list as the text of its empty selection.
        setCurrentIndex(-1);
        setPlaceholderText(face);
        return -1;
    }
    if (currentIndex() != index)
        setCurrentIndex(index);
    return index;
}

CVumatFormatBar::CVumatFormatBar(QWidget* parent) : CBarBase(kBarId, QString::fromUtf16(u"書式設定"), parent)
{
    setMinimumHeight(30);
    m_name = new CFontNameCombo(this);
    m_size = new CFontSizeCombo(this);
    m_size->setObjectName(QString("box_%1").arg(VumatBox::kFontSize));
    m_size->setFocusPolicy(Qt::StrongFocus);
    for (QWidget* watched : {static_cast<QWidget*>(m_name), static_cast<QWidget*>(m_size),
                             static_cast<QWidget*>(m_size->lineEdit())})
        if (watched != nullptr)
            watched->installEventFilter(this);
    // A face or a size picked from a list is the combo's command, as its selection change.
    connect(m_name, &QComboBox::activated, this, [this] {
        if (command)
            command(VumatBox::kFontName);
    });
    connect(m_size, &QComboBox::activated, this, [this] {
        if (command)
            command(VumatBox::kFontSize);
    });
    const int dpiY = logicalDpiY();
    m_name->FillFonts(dpiY);
    LayoutCombos(dpiY);
}

QWidget* CVumatFormatBar::BoxWidget(unsigned id)
{
    if (id == VumatBox::kFontName)
        return m_name;
    if (id == VumatBox::kFontSize)
        return m_size;
    return nullptr;
}

void CVumatFormatBar::LayoutCombos(int dpiY)
{
    m_name->setFixedWidth(kNameWidth);
    m_name->setMaxVisibleItems(RowsFor(m_name, kNameDropHeight));
    // The bar's width for the box at least, and wide enough that "10.5" shows whole beside the
    // arrow, which this style draws wider than the bar's own system did.
    m_size->setMinimumContentsLength(4);
    m_size->setFixedWidth(std::max(dpiY > 96 ? 64 : 48, m_size->sizeHint().width()));
    m_size->setMaxVisibleItems(RowsFor(m_size, kSizeDropHeight));
}

int CVumatFormatBar::GetFontName(LOGFONTA* font) const
{
    const int index = m_name->currentIndex();
    if (index < 0 || GetInstalledFont(index, font) < 0)
        return -1;
    int size = 0;
    font->lfHeight = m_size->GetSize(&size) ? size : 0;
    font->lfWidth = 0;
    return index;
}

int CVumatFormatBar::SetSize(int hmm) { return m_size->SetSize(hmm); }

bool CVumatFormatBar::GetSize(int* hmm) const { return m_size->GetSize(hmm); }

void CVumatFormatBar::OnUpdateCmdUI()
{
    if (m_focusId == 0)
        Notify(m_size, VumatBox::kFontSize, NM_BARCOMBO_SELCHANGE);
}

bool CVumatFormatBar::eventFilter(QObject* watched, QEvent* event)
{
    const unsigned id = watched == m_name ? VumatBox::kFontName : VumatBox::kFontSize;
    switch (event->type()) {
    case QEvent::FocusIn:
        m_focusId = id;
        break;
    case QEvent::FocusOut:
        if (!m_name->hasFocus() && !m_size->hasFocus() && !(m_size->lineEdit() && m_size->lineEdit()->hasFocus()))
            m_focusId = 0;
        break;
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && m_focusId != 0) {
            // The view applies the combo's value; the key goes no further.
            Notify(m_focusId == VumatBox::kFontName ? static_cast<QWidget*>(m_name) : m_size, m_focusId,
                   NM_BARCOMBO_RETURN);
            return true;
        }
        break;
    }
    default:
        break;
    }
    return CBarBase::eventFilter(watched, event);
}
