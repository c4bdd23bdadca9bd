#include "dialogs/kunten_dialog.h"

#include "nodes/edit_error.h"

#include "dialogs/dialog_template.h"
#include "nodes/edit_kind.h"
#include "nodes/kunten_box.h"
#include "ui/char_palette.h"

#include <new>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTimer>

#include <cstdlib>
#include <cstring>
#include <exception>

// Palette characters go straight to the editor.
class CKuntenPaletteTarget : public IPaletteCharTarget {
public:
    explicit CKuntenPaletteTarget(CKuntenEditWnd& window) : m_window(window) {}
    long OnPaletteChar(char16_t unit, const LOGFONTA& font) override
    {
        m_window.OnPaletteChar(unit, &font);
        return 0;
    }

private:
    CKuntenEditWnd& m_window;
};

namespace {

constexpr int kScreenDpi = 96;
// The editing window's placeholder: 154 × 172 dialog units, 231 × 280 pixels. The window is
// wider than that: the three columns of an upright cell are each a line of the base character,
// and the Mincho face drawn here has lines a ninth taller than its em, so they need 232 pixels
// at the editor's zoom, plus the margins round them.
constexpr int kEditWidth = 246;
constexpr int kEditHeight = 280;

struct MARK_ITEM {
    const char16_t* text;
    bool gaiji;
};

struct MARK_LIST {
    int id;
    int fontPoints;
    std::vector<MARK_ITEM> items;
};

// KUNTEN_MARK_LIST: the items after the empty one, in order.
const std::vector<MARK_LIST>& MarkLists()
{
    static const std::vector<MARK_LIST> lists = {
        {CKuntenDlg::kLeadBracketList, 20, {{u"「", false}, {u"『", false}, {u"「", true}}},
        {CKuntenDlg::kTrailBracketList, 20, {{u"」", false}, {u"』", false}, {u"」", true}, {u"・", true}}},
        {CKuntenDlg::kPunctuationList, 12, {{u"○", false}, {u"ヽ", false}}},
        {CKuntenDlg::kReturnMarkList,
         12,
         {{u"レ", true},
          {u"一", false},
          {u"二", false},
          {u"三", false},
          {u"四", false},
          {u"上", false},
          {u"中", false},
          {u"下", false},
          {u"甲", false},
          {u"乙", false},
          {u"丙", false},
          {u"丁", false},
          {u"□", true},
          {u"■", true},
          {u"△", true}}},
        {CKuntenDlg::kHyphenReturnMarkList,
         12,
         {{u"二", false},
          {u"三", false},
          {u"四", false},
          {u"中", false},
          {u"下", false},
          {u"乙", false},
          {u"丙", false},
          {u"丁", false}}},
    };
    return lists;
}

QWidget* KuntenControls(const DIALOG_CONTROL& control, QWidget* host)
{
    if (control.kind == DIALOG_CONTROL::DropList)
        return new CKuntenCombo(host);
    if (control.id == CKuntenDlg::kPaletteButton) {
        // A check box drawn as a push button.
        auto* button = new QPushButton(QString::fromStdU16String(control.text), host);
        button->setCheckable(true);
        return button;
    }
    return nullptr;
}

std::string FaceOf(const CEditNode* node)
{
    return node != nullptr ? std::string(node->m_lf.lfFaceName, strnlen(node->m_lf.lfFaceName, LF_FACESIZE)) : std::string();
}

bool IsGaijiFace(const std::string& face)
{
    return face.find("Orvellan") != std::string::npos;
}

// The face of a box's first inner node, or of the box itself when it holds none.
std::string BoxFace(CEditNode* box)
{
    if (box == nullptr)
        return {};
    CEditNode* inner = box->GetFirstInner();
    return FaceOf(inner != nullptr && box->IsAncestorOf(inner) ? inner : box);
}

}  // namespace

CKuntenDlg::CKuntenDlg() = default;

CKuntenDlg::~CKuntenDlg()
{
    // The editor's history keeps nodes outside its tree; it is emptied before the tree goes.
    if (m_editWnd != nullptr)
        m_editWnd->Editor().ClearUndo();
}

bool CKuntenDlg::Create(QWidget* parent)
{
    if (m_created)
        return false;
    setParent(parent, Qt::Dialog);
    setModal(false);
    const DIALOG_TEMPLATE& dialogTemplate = GetDialogTemplate(kTemplateId);
    if (dialogTemplate.controls.empty())
        return false;
    setWindowTitle(QString::fromStdU16String(dialogTemplate.title));
    QGridLayout* grid = BuildDialogControls(this, dialogTemplate, KuntenControls);
    // The editing window (child 1) takes the placeholder's place, down the whole left side.
    m_editWnd = new CKuntenEditWnd(this);
    m_editWnd->setObjectName(QStringLiteral("kuntenEdit"));
    m_editWnd->setFixedSize(kEditWidth, kEditHeight);
    if (QWidget* placeholder = FindControl<QWidget>(this, kEditPlaceholder))
        placeholder->hide();
    grid->addWidget(m_editWnd, 0, 0, grid->rowCount(), 1);
    m_editWnd->Editor().m_displayMap.SetVertical(1);
    m_editWnd->painted = [this] { Notify(); };

    // The gaiji palette, a tool window owned by the dialog.
    m_palette = new CPaletteDlg(this);
    m_palette->Create(this, kGaijiPaletteMode);
    m_paletteTarget = std::make_unique<CKuntenPaletteTarget>(*m_editWnd);
    if (CCharPaletteTab* tab = m_palette->Tab())
        tab->Grid().SetTarget(m_paletteTarget.get());

    for (const MARK_LIST& list : MarkLists()) {
        CKuntenCombo* combo = List(list.id);
        if (combo == nullptr)
            continue;
        const int id = list.id;
        connect(combo, QOverload<int>::of(&QComboBox::activated), this, [this, id] { OnSelectMark(id); });
    }
    for (int id : {kWithoutHyphen, kWithHyphen}) {
        if (auto* radio = FindControl<QRadioButton>(this, id))
            connect(radio, &QRadioButton::clicked, this, [this] { OnHyphenStyle(); });
    }
    auto button = [this](int id) { return FindControl<QAbstractButton>(this, id); };
    if (QAbstractButton* b = button(KuntenCommand::kPrevChar))
        connect(b, &QAbstractButton::clicked, this, [this] { OnPrevChar(); });
    if (QAbstractButton* b = button(KuntenCommand::kNextChar))
        connect(b, &QAbstractButton::clicked, this, [this] { OnNextChar(); });
    if (QAbstractButton* b = button(kFontSizeButton))
        connect(b, &QAbstractButton::clicked, this, [this] { OnFontSize(); });
    if (QAbstractButton* b = button(kPaletteButton))
        connect(b, &QAbstractButton::clicked, this, [this] { OnGaijiPalette(); });
    if (QAbstractButton* b = button(1)) {
        disconnect(b, nullptr, this, nullptr);
        connect(b, &QAbstractButton::clicked, this, [this] { accept(); });
    }
    m_created = true;
    OnInitDialog();
    return true;
}

CKuntenCombo* CKuntenDlg::List(int id) const
{
    return FindControl<CKuntenCombo>(this, id);
}

void CKuntenDlg::OnInitDialog()
{
    for (const MARK_LIST& list : MarkLists()) {
        CKuntenCombo* combo = List(list.id);
        if (combo == nullptr)
            continue;
        combo->CreateFonts(MulDiv(list.fontPoints, kScreenDpi, 72));
        combo->AddMark(u"", kKuntenMinchoFace);
        for (const MARK_ITEM& item : list.items)
            combo->AddMark(item.text, item.gaiji ? kKuntenGaijiFace : kKuntenMinchoFace);
    }
    if (auto* glyph = FindControl<QLabel>(this, kHyphenGlyph)) {
        QFont font(QStringLiteral("ＭＳ Ｐ明朝"));
        font.setPixelSize(MulDiv(12, kScreenDpi, 72));
        glyph->setFont(font);
        glyph->setAlignment(Qt::AlignCenter);
    }
    UpdateMarkLayout();
    if (auto* toggle = FindControl<QAbstractButton>(this, kPaletteButton))
        toggle->setChecked(m_paletteShown != 0);
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        adjustSize();
        move(screen->availableGeometry().center() - rect().center());
    }
    // Once the dialog is up, the palette takes its place under the size button.
    QTimer::singleShot(0, this, [this] { OnKuntenRelayout(); });
    m_editWnd->setFocus(Qt::OtherFocusReason);
}

void CKuntenDlg::OnKuntenRelayout()
{
    if (auto* sizeButton = FindControl<QWidget>(this, kFontSizeButton); sizeButton != nullptr && m_palette != nullptr) {
        m_palette->move(sizeButton->mapToGlobal(QPoint(0, sizeButton->height())));
        if (m_paletteShown) {
            m_palette->setAttribute(Qt::WA_ShowWithoutActivating);
            m_palette->show();
        } else {
            m_palette->hide();
        }
    }
    Editor().Relayout();
    Editor().UpdateCursor(TRUE);
}

void CKuntenDlg::Notify()
{
    if (afterEvent)
        afterEvent();
}

KuntenMarkBox CKuntenDlg::TargetBox(int listId)
{
    switch (listId) {
    case kLeadBracketList: return KuntenMarkBox::LeadBracket;
    case kTrailBracketList: return KuntenMarkBox::TrailBracket;
    case kPunctuationList: return KuntenMarkBox::Punctuation;
    default: return KuntenMarkBox::ReturnMark;
    }
}

std::unique_ptr<CEditKan> CKuntenDlg::LoadNode(std::unique_ptr<CEditKan> cell)
{
    if (m_editWnd == nullptr)
        return nullptr;
    std::unique_ptr<CEditKan> old = Editor().SwapCell(std::move(cell));
    m_hyphenStyle = Editor().GetCellMode() != 0 ? 1 : 0;
    if (auto* radio = FindControl<QRadioButton>(this, m_hyphenStyle ? kWithHyphen : kWithoutHyphen))
        radio->setChecked(true);
    UpdateMarkLayout();
    return old;
}

void CKuntenDlg::UpdateMarkLayout()
{
    const bool hyphen = m_hyphenStyle != 0;
    for (int id : {kReturnMarkList, kPunctuationList, kTrailBracketList})
        if (QWidget* w = FindControl<QWidget>(this, id))
            w->setVisible(!hyphen);
    for (int id : {kHyphenReturnMarkList, kHyphenGlyph})
        if (QWidget* w = FindControl<QWidget>(this, id))
            w->setVisible(hyphen);
    if (auto* radio = FindControl<QRadioButton>(this, hyphen ? kWithHyphen : kWithoutHyphen))
        radio->setChecked(true);
    SelectCurrentMarks();
}

void CKuntenDlg::SelectCurrentMarks()
{
    if (m_editWnd == nullptr)
        return;
    const std::vector<int> lists = m_hyphenStyle != 0
                                       ? std::vector<int>{kLeadBracketList, kHyphenReturnMarkList}
                                       : std::vector<int>{kLeadBracketList, kTrailBracketList, kPunctuationList, kReturnMarkList};
    for (int id : lists) {
        CKuntenCombo* combo = List(id);
        if (combo == nullptr)
            continue;
        std::u16string text;
        const int gaiji = Editor().GetBoxMark(TargetBox(id), text);
        const int index = combo->FindMark(text, gaiji != 0);
        combo->setCurrentIndex(index < 0 ? 0 : index);
    }
}

void CKuntenDlg::OnSelectMark(int listId)
{
    try {
        CKuntenCombo* combo = List(listId);
        const int index = combo != nullptr ? combo->currentIndex() : -1;
        if (index < 0)
            return;
        std::u16string text;
        std::string face;
        if (!combo->GetMark(index, text, face))
            return;
        const KuntenMarkBox box = TargetBox(listId);
        if (!IsGaijiFace(face)) {
            // A Mincho mark takes the base character's face; a base in the gaiji face gives way to
            // the target box's own face, unless that too is the gaiji face.
            CEditKan* cell = Editor().GetCurrentCell();
            CEditNode* base = cell != nullptr ? cell->GetBaseBox() : nullptr;
            if (base != nullptr) {
                const std::string baseFace = BoxFace(base);
                if (!IsGaijiFace(baseFace)) {
                    face = baseFace;
                } else {
                    const std::string boxFace = BoxFace(Editor().GetMarkBox(box));
                    if (!boxFace.empty() && !IsGaijiFace(boxFace))
                        face = boxFace;
                }
            }
        }
        Editor().SetBoxMark(box, text, face);
        Editor().MoveCaretToBox(box);
        m_editWnd->update();
    } catch (const CEditError&) {
        ReportKuntenStepFailure(kKuntenEditFailed);
    } catch (const std::bad_alloc&) {
        ReportKuntenStepFailure(kKuntenEditFailed);
    }
    Notify();
}

void CKuntenDlg::OnHyphenStyle()
{
    const int old = m_hyphenStyle;
    auto* with = FindControl<QRadioButton>(this, kWithHyphen);
    m_hyphenStyle = with != nullptr && with->isChecked() ? 1 : 0;
    if (m_hyphenStyle != old) {
        UpdateMarkLayout();
        Editor().SetCellMode(m_hyphenStyle);
    }
    Notify();
}

void CKuntenDlg::OnFontSize()
{
    try {
        CKuntenEditor& editor = Editor();
        CEditNode* caret = editor.m_caret.m_caretNode;
        CEditNode* parent = caret != nullptr ? caret->GetEditParent() : nullptr;
        auto* cell = caret != nullptr && parent != nullptr
                         ? dynamic_cast<CEditKan*>(caret->FindAncestorOfType(static_cast<int>(EditKind::kKan), 1))
                         : nullptr;
        if (cell != nullptr) {
            CEditNode* left = cell->GetLeftKanaBox();
            CEditNode* right = cell->GetRightKanaBox();
            CEditNode* base = cell->GetBaseBox();
            auto height = [](CEditNode* box) {
                CEditNode* inner = box != nullptr ? box->GetFirstInner() : nullptr;
                return inner != nullptr ? std::abs(static_cast<int>(inner->m_lf.lfHeight)) : 0;
            };
            CFontSizeDlg sizes(this);
            sizes.m_focusField = parent == left    ? CFontSizeDlg::kFocusLeftKana
                                 : parent == right ? CFontSizeDlg::kFocusRightKana
                                                   : CFontSizeDlg::kFocusBase;
            sizes.m_baseSize = height(base);
            sizes.m_leftKanaSize = height(left);
            sizes.m_rightKanaSize = height(right);
            const int result = runSizeDialog ? runSizeDialog(sizes) : sizes.DoModal();
            if (result == 1) {
                const SIZE baseSize{0, sizes.m_baseSize};
                const SIZE leftSize{0, sizes.m_leftKanaSize};
                const SIZE rightSize{0, sizes.m_rightKanaSize};
                if (base != nullptr)
                    base->SetFontSizeRecursive(&baseSize, 1, nullptr);
                cell->SetSatelliteSizes(nullptr);
                if (left != nullptr)
                    left->SetFontSizeRecursive(&leftSize, 1, nullptr);
                if (right != nullptr)
                    right->SetFontSizeRecursive(&rightSize, 1, nullptr);
                editor.SetScaleFromSize(sizes.m_baseSize);
                caret->MarkPartModified(TRUE);
                m_editWnd->update();
                update();
            }
        }
    } catch (const CEditError&) {
        ReportKuntenStepFailure(kKuntenEditFailed);
    } catch (const std::bad_alloc&) {
        ReportKuntenStepFailure(kKuntenEditFailed);
    }
    m_editWnd->setFocus(Qt::OtherFocusReason);
    Notify();
}

void CKuntenDlg::OnGaijiPalette()
{
    auto* toggle = FindControl<QAbstractButton>(this, kPaletteButton);
    m_paletteShown = toggle != nullptr && toggle->isChecked() ? 1 : 0;
    if (m_palette != nullptr)
        m_palette->setVisible(m_paletteShown != 0);
    Notify();
}

void CKuntenDlg::OnPaletteClosed(int shown)
{
    if (auto* toggle = FindControl<QAbstractButton>(this, kPaletteButton))
        toggle->setChecked(shown != 0);
    m_paletteShown = shown != 0 ? 1 : 0;
    if (m_palette != nullptr)
        m_palette->setVisible(m_paletteShown != 0);
    Notify();
}

void CKuntenDlg::OnPrevChar()
{
    m_command = KuntenCommand::kPrevChar;
    m_editWnd->setFocus(Qt::OtherFocusReason);
    Notify();
}

void CKuntenDlg::OnNextChar()
{
    m_command = KuntenCommand::kNextChar;
    m_editWnd->setFocus(Qt::OtherFocusReason);
    Notify();
}

void CKuntenDlg::accept()
{
    m_command = KuntenCommand::kClose;
    Notify();
}

void CKuntenDlg::reject()
{
    m_command = KuntenCommand::kCancel;
    Notify();
}

void CKuntenDlg::closeEvent(QCloseEvent* event)
{
    // The close box cancels; the caller ends the dialog.
    event->ignore();
    reject();
}

bool CKuntenDlg::event(QEvent* event)
{
    if (event->type() == PaletteClosedEvent::kType) {
        OnPaletteClosed(0);
        return true;
    }
    return QDialog::event(event);
}
