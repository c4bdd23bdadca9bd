// The progress window of a word-processor export: its message and the bar the document writers
// move while the paper is written.
#pragma once

#include <string>

class IConvertProgress {
public:
    virtual ~IConvertProgress() = default;
    virtual void SetMessage(const std::u16string& text) = 0;
    // The bar's range once, then its position for each step; each is shown at once.
    virtual void SetRange32(int lower, int upper) = 0;
    virtual void SetPos(int position) = 0;
};
