#include "dialogs/kunten_session.h"

#include "nodes/edit_error.h"
#include "nodes/edit_kind.h"
#include "nodes/kanbun_cell.h"
#include "nodes/kunten_box.h"
#include "nodes/undo.h"
#include "platform/archive.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>

#include <cstdlib>
#include <exception>
#include <new>

namespace {

// A copy of a paper's cell whose boxes take the caret, for the editor.
std::unique_ptr<CEditKan> EditableCopy(const CEditKan& cell)
{
    auto copy = std::make_unique<CEditKan>();
    cell.CopyInto(copy.get());
    copy->LockSubBoxes(0);
    return copy;
}

int BaseHeight(CEditKan* cell)
{
    CEditNode* box = cell != nullptr ? cell->GetBaseBox() : nullptr;
    CEditNode* base = box != nullptr ? box->GetFirstInner() : nullptr;
    if (base == nullptr || !box->IsAncestorOf(base))
        return -1;
    return std::abs(static_cast<int>(base->m_lf.lfHeight));
}

// Sees the quit request that the application gets while the dialog's loop runs.
class CQuitWatcher : public QObject {
public:
    explicit CQuitWatcher(CKuntenSession& session) : m_session(session) {}
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == QCoreApplication::instance() && event->type() == QEvent::Quit)
            m_session.OnQuitRequested();
        return false;
    }

private:
    CKuntenSession& m_session;
};

}  // namespace

CKuntenSession::CKuntenSession(CEditKan* paperCell, const CDisplayMap& map, int baseHeight, int paletteShown,
                               std::function<void(std::unique_ptr<CUndoGroup>)> pushUndo,
                               std::function<void(CEditKan*, bool)> afterStep)
    : m_current(paperCell), m_map(map), m_baseHeight(baseHeight), m_paletteShown(paletteShown),
      m_pushUndo(std::move(pushUndo)), m_afterStep(std::move(afterStep))
{
}

CKuntenSession::~CKuntenSession()
{
    if (m_dialog)
        End();
}

bool CKuntenSession::Begin(QWidget* parent)
{
    if (m_current == nullptr)
        return false;
    m_dialog = std::make_unique<CKuntenDlg>();
    m_dialog->m_paletteShown = m_paletteShown;
    if (!m_dialog->Create(parent)) {
        m_dialog.reset();
        return false;
    }
    CKuntenEditor& editor = m_dialog->Editor();
    editor.m_displayMap = m_map;
    editor.m_displayMap.SetOrigin(0, 0);
    editor.SetScaleFromSize(m_baseHeight);
    try {
        m_dialog->LoadNode(EditableCopy(*m_current));
    } catch (const CArchiveException&) {
        m_dialog.reset();
        ReportKuntenStepFailure(kKuntenEditFailed);
        return false;
    } catch (const std::bad_alloc&) {
        m_dialog.reset();
        ReportKuntenStepFailure(kKuntenEditFailed);
        return false;
    }
    m_dialog->afterEvent = [this] { RequestStep(); };
    m_dialog->show();
    m_dialog->SelectCurrentMarks();
    editor.SelectBaseCharacter();
    m_running = true;
    return true;
}

void CKuntenSession::RequestStep()
{
    // Many events may come in one pass of the loop: one step follows them.
    if (m_stepPending || !m_running)
        return;
    m_stepPending = true;
    QTimer::singleShot(0, m_dialog.get(), [this] {
        m_stepPending = false;
        if (m_running && !Step() && m_loop != nullptr)
            m_loop->quit();
    });
}

CEditKan* CKuntenSession::SiblingCell(bool next) const
{
    for (CQNXMLNode* node = next ? m_current->GetNextSibling() : m_current->GetPrevSibling(); node != nullptr;
         node = next ? node->GetNextSibling() : node->GetPrevSibling()) {
        CEditNode* edit = CEditNode::FromNode(node);
        if (edit != nullptr && edit->IsKind(EditKind::kKan))
            return dynamic_cast<CEditKan*>(edit);
    }
    return nullptr;
}

void CKuntenSession::WriteBack(std::unique_ptr<CEditKan> edited, CEditNode* neighbour)
{
    CEditNode* parent = m_current->GetEditParent();
    if (!edited || parent == nullptr)
        return;
    const int index = parent->IndexOfChild(m_current);
    auto group = std::make_unique<CUndoGroup>();
    CUndoAction* removal = group->RecordNodeEx(UndoCode::kRemoveAt, m_current, m_current, index, parent, 0, 0);
    if (removal == nullptr)
        return;
    removal->TakeOut();
    edited->LockSubBoxes(1);
    CEditKan* cell = edited.get();
    CUndoAction* insertion = group->RecordNodeEx(UndoCode::kInsertAt, cell, neighbour, index, parent, 0, 0);
    if (insertion == nullptr) {
        removal->PutBack();
        return;
    }
    insertion->Keep(std::move(edited));
    if (!insertion->PutBack()) {
        removal->PutBack();
        return;
    }
    if (insertion->m_pSecondNode == nullptr)
        insertion->m_pSecondNode = CEditNode::FromNode(cell->GetNextSibling());
    m_current = cell;
    m_pushUndo(std::move(group));
}

bool CKuntenSession::Step()
{
    if (!m_running || !m_dialog)
        return false;
    bool goOn = true;
    try {
        const int height = BaseHeight(m_current);
        if (height < 0) {
            goOn = false;
        } else {
            CKuntenEditor& editor = m_dialog->Editor();
            editor.SetScaleFromSize(height);
            switch (m_dialog->m_command) {
            case KuntenCommand::kClose: {
                editor.ClearUndo();
                auto empty = std::make_unique<CEditKan>();
                empty->BuildEmpty(0);
                WriteBack(m_dialog->LoadNode(std::move(empty)), nullptr);
                goOn = false;
                break;
            }
            case KuntenCommand::kCancel:
                goOn = false;
                break;
            case KuntenCommand::kPrevChar:
            case KuntenCommand::kNextChar:
                if (CEditKan* target = SiblingCell(m_dialog->m_command == KuntenCommand::kNextChar)) {
                    editor.ClearUndo();
                    WriteBack(m_dialog->LoadNode(EditableCopy(*target)), target);
                    m_current = target;
                    editor.SelectBaseCharacter();
                    editor.Relayout();
                    editor.UpdateCursor(TRUE);
                }
                m_dialog->m_command = KuntenCommand::kNone;
                break;
            default:
                break;
            }
        }
    } catch (const CEditError&) {
        // A failed step leaves the paper as the last finished step left it.
        m_dialog->m_command = KuntenCommand::kNone;
        ReportKuntenStepFailure(kKuntenEditFailed);
    } catch (const CArchiveException&) {
        m_dialog->m_command = KuntenCommand::kNone;
        ReportKuntenStepFailure(kKuntenEditFailed);
    } catch (const std::bad_alloc&) {
        m_dialog->m_command = KuntenCommand::kNone;
        ReportKuntenStepFailure(kKuntenEditFailed);
    }
    const bool repaint = m_dialog->CheckModified(true);
    if (m_afterStep)
        m_afterStep(m_current, goOn && repaint);
    if (!goOn)
        m_running = false;
    return goOn;
}

void CKuntenSession::OnQuitRequested()
{
    m_quit = true;
    m_running = false;
    if (m_loop != nullptr)
        m_loop->quit();
}

void CKuntenSession::End()
{
    if (!m_dialog)
        return;
    m_dialog->Editor().ClearUndo();
    m_paletteShown = m_dialog->m_paletteShown;
    m_dialog->afterEvent = nullptr;
    m_dialog->hide();
    m_dialog.reset();
    m_running = false;
}

void CKuntenSession::Run(QWidget* parent)
{
    if (!Begin(parent))
        return;
    CQuitWatcher watcher(*this);
    QCoreApplication::instance()->installEventFilter(&watcher);
    QEventLoop loop;
    m_loop = &loop;
    if (m_running)
        loop.exec();
    m_loop = nullptr;
    QCoreApplication::instance()->removeEventFilter(&watcher);
    End();
    if (m_quit) {
        // The loop took the request; the application's own loop must still see it.
        if (passQuitOn)
            passQuitOn();
        else
            QCoreApplication::postEvent(QCoreApplication::instance(), new QEvent(QEvent::Quit));
    }
}
