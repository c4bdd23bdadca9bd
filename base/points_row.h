// One row of the points table that the points command builds from the question parts' points
// records and the points dialog edits: a major question, followed by a row for each of its
// sub-questions.
#pragma once

#include <cstdint>

struct HAITEN_ROW {
    int32_t question;       // major question number (also on its sub-questions' rows)
    int32_t subQuestion;    // 0 on a major question's row
    int32_t form;           // display form 1 to 4 (the points record's style)
    int32_t shown;          // 1 the label is shown, 0 hidden
    int32_t perItem;        // points per item
    int32_t count;          // number of items
    int32_t total;          // the total, or the points of a sub-question
    int32_t subQuestions;   // number of sub-questions (major rows only, else 0)
};

static_assert(sizeof(HAITEN_ROW) == 32);
