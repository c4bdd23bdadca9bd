// The readers of the question-bank identities of a print file: the short form of "MondaiID"
// (records of an id and a modified flag) and the long form of "MondaiID2" (nine numbers per
// record). Spaces and CR are skipped; "," and LF both end a field, except that a line break
// standing where a record starts is passed over, so a text broken into lines between records
// reads as the same records.
#pragma once

#include "base/wide_string.h"
#include "nodes/mondai_info.h"

#include <memory>
#include <vector>

// Records of kind 1. An id longer than five characters splits into the problem number and the
// last five characters, the sub number, with codes (998, 0, 0, 0, 0, 0); a shorter id gives an
// unclassified record (999, 0, …) without numbers (-1). A last record without its final
// separator still counts.
std::vector<std::unique_ptr<CMondaiInfo>> ReadMondaiIdRecords(const CStringW& text);
// Records of kind 2; a record written without its final comma still counts.
std::vector<std::unique_ptr<CMondaiInfo>> ReadMondaiId2Records(const CStringW& text);
