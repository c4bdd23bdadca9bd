// CKuntenDlg: the modeless dialog "訓点設定" in which the reading marks of a kanbun passage are set
// one cell at a time. It holds the reading-mark editor with the cell, five lists of marks, the
// hyphen form, the manual font sizes and an embedded gaiji palette. It never changes the paper:
// it only records which command the user gave and swaps cells in and out of its editor when its
// caller (CKuntenSession) asks.
#pragma once

#include "dialogs/kunten_combos.h"
#include "dialogs/kunten_edit_wnd.h"

#include <QDialog>

#include <functional>
#include <memory>

class CPaletteDlg;
class CKuntenPaletteTarget;

// KUNTEN_COMMAND: what the user asked the caller to do.
namespace KuntenCommand {
constexpr int kNone = 0;
constexpr int kClose = 1;
constexpr int kCancel = 2;
constexpr int kPrevChar = 1293;
constexpr int kNextChar = 1294;
}  // namespace KuntenCommand

class CKuntenDlg : public QDialog {
public:
    static constexpr int kTemplateId = 354;
    // Controls of the template.
    static constexpr int kFontSizeButton = 1255;
    static constexpr int kPaletteButton = 1261;
    static constexpr int kLeadBracketList = 1296;
    static constexpr int kTrailBracketList = 1302;
    static constexpr int kPunctuationList = 1300;
    static constexpr int kReturnMarkList = 1297;
    static constexpr int kHyphenReturnMarkList = 1204;
    static constexpr int kHyphenGlyph = 1206;
    static constexpr int kWithoutHyphen = 1203;
    static constexpr int kWithHyphen = 1205;
    static constexpr int kEditPlaceholder = 1195;

    CKuntenDlg();
    ~CKuntenDlg() override;

    // Builds the controls under the parent, modeless, hidden; false when it cannot.
    bool Create(QWidget* parent);
    // Puts the cell into the editor and gives back the one taken out (null when the editor held
    // none); the form, the lists and their choices follow the new cell.
    std::unique_ptr<CEditKan> LoadNode(std::unique_ptr<CEditKan> cell);
    // Selects in each shown list the item of its box's current mark, item 0 when none matches.
    void SelectCurrentMarks();
    // Whether the editor painted since the flag was last cleared; clears it when asked.
    bool CheckModified(bool clear) { return m_editWnd != nullptr && m_editWnd->Editor().CheckModified(clear); }

    CKuntenEditWnd* EditWindow() const { return m_editWnd; }
    CKuntenEditor& Editor() { return m_editWnd->Editor(); }
    CKuntenCombo* List(int id) const;
    CPaletteDlg* Palette() const { return m_palette; }

    int m_paletteShown = 0;
    int m_hyphenStyle = 0;
    int m_command = KuntenCommand::kNone;
    // Called after each event the dialog's controls handle, and after each paint of the editor.
    std::function<void()> afterEvent;
    // Runs the manual font-size dialog; a test answers it. Unbound: DoModal.
    std::function<int(CFontSizeDlg& dialog)> runSizeDialog;

    // --- handlers
    void OnSelectMark(int listId);
    void OnHyphenStyle();
    void OnFontSize();
    void OnGaijiPalette();
    void OnPaletteClosed(int shown);
    void OnPrevChar();
    void OnNextChar();
    // "閉じる" and Esc only set the command: the dialog stays until its caller ends it.
    void accept() override;
    void reject() override;
    // Moves the palette under the size button and shows or hides it; lays the editor out again.
    void OnKuntenRelayout();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void OnInitDialog();
    void UpdateMarkLayout();
    void Notify();
    // The box a list writes.
    static KuntenMarkBox TargetBox(int listId);

    CKuntenEditWnd* m_editWnd = nullptr;
    CPaletteDlg* m_palette = nullptr;
    std::unique_ptr<CKuntenPaletteTarget> m_paletteTarget;
    bool m_created = false;
};
