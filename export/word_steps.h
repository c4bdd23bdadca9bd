// What the word-processor writers share besides the wrappers: the protected step, the lending of
// nodes to a paragraph of their own while they are converted into a fragment file, the gathering
// of a kanbun passage and the framing of question numbers.
#pragma once

#include "base/wide_string.h"
#include "export/export_temp_files.h"
#include "platform/automation.h"

#include <cstdint>
#include <functional>
#include <new>
#include <string>
#include <utility>
#include <vector>

class CEditBox;
class CEditNode;
class CEditPrint;
class CEditSentence;
class COleClientItem;
class IConvertProgress;
struct EXPORT_NODE_CONTEXT;

// Runs one step whose refused automation call (or exhausted memory) ends only the step; the
// writer goes on with the next one. True when the step ran to its end.
template <typename Step>
bool WordStep(Step&& step)
{
    try {
        std::forward<Step>(step)();
        return true;
    } catch (const COleDispatchException&) {
    } catch (const COleException&) {
    } catch (const std::bad_alloc&) {
    }
    return false;
}

// Hands each visible block of the paper to write in order, reporting the progress by block index.
void ForEachVisibleBlock(CEditPrint& root, IConvertProgress& progress, const std::function<void(CEditNode*)>& write);

// Whether the writers type the children of a node of this kind.
bool IsContainerWritten(const CEditNode* node);

// A character's text, or its blank under maskText: half-width or full-width by its first unit.
CStringW RunText(const CEditNode* character, const EXPORT_NODE_CONTEXT& context);

// The layout box of its container that holds node; null when there is none.
const CEditBox* BoxOf(const CEditNode* container, const CEditNode* node);

// Children of a container, given by ascending indexes, lent to a borrower for the life of the
// object; they go back to their places when it ends, whatever happened.
class LentNodes {
public:
    LentNodes(CEditNode* container, const std::vector<int>& indexes, CEditSentence* borrower);
    ~LentNodes();
    LentNodes(const LentNodes&) = delete;
    LentNodes& operator=(const LentNodes&) = delete;

private:
    CEditNode* m_container;
    CEditSentence* m_borrower;
    std::vector<std::pair<int, CEditNode*>> m_lent;
};

// A node's second class code set for a conversion and restored after it.
class ClassForConversion {
public:
    ClassForConversion(CEditNode* node, int classCode);
    ~ClassForConversion();
    ClassForConversion(const ClassForConversion&) = delete;
    ClassForConversion& operator=(const ClassForConversion&) = delete;

private:
    CEditNode* m_node;
    int m_former;
};

// The border style and width of a framed question number set to 1 while it is written, and
// restored whatever happens.
class FramedNumber {
public:
    explicit FramedNumber(CEditNode* label);
    ~FramedNumber();
    FramedNumber(const FramedNumber&) = delete;
    FramedNumber& operator=(const FramedNumber&) = delete;

private:
    CEditNode* m_label;
    int32_t m_style;
    int32_t m_width;
};

// An embedded object that has nothing to show: no item, or one without class, storage and picture.
bool IsBlankItem(const COleClientItem* item);

// A kanbun passage: the cell at a container's index and the cells and line breaks after it in
// the same layout box, passing over hidden points labels.
struct KANBUN_PASSAGE {
    std::vector<int> indexes;   // the nodes the fragment is made of, ascending
    int next = 0;               // the first child not consumed: the one that ended the passage
    bool returnDue = false;     // the passage took the paragraph's closing line break, or ended
                                // on a line break followed by more
};
KANBUN_PASSAGE GatherKanbunPassage(const CEditNode* container, int index);

// Converts the children of container at the indexes into a fragment file of the formula editor
// (formula) or of the kanbun editor in folder, its block container width by height: the nodes
// are lent to a paragraph of their own (a formula in an in-text answer converts as one), the
// gaiji pass runs over the tree and the file is written. The file goes when the returned object
// dies. Throws COleException when no file could be made or written.
CExportTempFile WriteFragmentFile(CEditNode* container, const std::vector<int>& indexes, int width, int height,
                                  bool formula, bool vertical, const std::string& folder);
