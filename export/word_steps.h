// What the Word writers share besides the wrappers: the protected step, and the lending of
// nodes to a paragraph of their own while they are converted into a fragment.
#pragma once

#include "platform/automation.h"

#include <new>
#include <utility>
#include <vector>

class CEditBox;
class CEditNode;
class CEditSentence;

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
