// The element vocabulary: every element the system reads or writes as XML is known by an
// integer code (XML_ELEMENT_CODE), and block and inline containers carry a class code
// (XML_CLASS_CODE) in their "id" or "qntype". The factory CreateXMLNode makes the element object
// of a code; three helpers take apart and build the XPath-like paths of the problem document.
#pragma once

#include "base/wide_string.h"

#include <vector>

class CQNXMLNode;

// Element codes. The high bits name the family: 0x100 problem document, 0x200 MathML,
// 0x400 XSLT, 0xC00 XSL-FO (every XSLT and XSL-FO code has 0x400).
enum : int {
    XEC_FAMILY_MONDAI = 0x100,
    XEC_FAMILY_MATHML = 0x200,
    XEC_FAMILY_XSL = 0x400,

    XEC_PRINT = 0x101,
    XEC_DMON = 0x102,
    XEC_MON = 0x103,
    XEC_SMON = 0x104,
    XEC_DAI = 0x105,
    XEC_KAI = 0x106,
    XEC_RAN = 0x107,
    XEC_SETSU = 0x108,
    XEC_CYUKAI = 0x109,
    XEC_SP = 0x10A,
    XEC_IMG = 0x10B,
    XEC_OBJECT = 0x10C,
    XEC_DNO = 0x10D,
    XEC_NO = 0x10E,
    XEC_GAI = 0x10F,
    XEC_KIM = 0x110,
    XEC_HAI = 0x111,
    XEC_SEARCH_PROG_ID = 0x112,
    XEC_SEARCH_INFO = 0x113,
    XEC_MONDAI_ID = 0x114,

    XEC_XSL_STYLESHEET = 0x401,
    XEC_XSL_TEMPLATE = 0x402,
    XEC_XSL_APPLY_TEMPLATES = 0x403,
    XEC_XSL_VALUE_OF = 0x404,
    XEC_XSL_COPY_OF = 0x405,

    XEC_FO_ROOT = 0xC01,
    XEC_FO_LAYOUT_MASTER_SET = 0xC02,
    XEC_FO_SIMPLE_PAGE_MASTER = 0xC03,
    XEC_FO_REGION_BODY = 0xC04,
    XEC_FO_REGION_BEFORE = 0xC05,
    XEC_FO_REGION_AFTER = 0xC06,
    XEC_FO_REGION_START = 0xC07,
    XEC_FO_REGION_END = 0xC08,
    XEC_FO_PAGE_SEQUENCE_MASTER = 0xC09,
    XEC_FO_SINGLE_PAGE_MASTER_REFERENCE = 0xC0A,
    XEC_FO_REPEATABLE_PAGE_MASTER_REFERENCE = 0xC0B,
    XEC_FO_REPEATABLE_PAGE_MASTER_ALTERNATIVES = 0xC0C,
    XEC_FO_DECLARATIONS = 0xC0D,
    XEC_FO_PAGE_SEQUENCE = 0xC0E,
    XEC_FO_TITLE = 0xC0F,
    XEC_FO_STATIC_CONTENT = 0xC10,
    XEC_FO_FLOW = 0xC11,
    XEC_FO_BLOCK_CONTAINER = 0xC21,
    XEC_FO_BLOCK = 0xC22,
    XEC_FO_FLOAT = 0xC23,
    XEC_FO_INLINE_CONTAINER = 0xC31,
    XEC_FO_INLINE = 0xC32,
    XEC_FO_INSTREAM_FOREIGN_OBJECT = 0xC33,
    XEC_FO_EXTERNAL_GRAPHIC = 0xC34,
    XEC_FO_CHARACTER = 0xC35,
    XEC_FO_INITIAL_PROPERTY_SET = 0xC36,
    XEC_FO_TABLE_AND_CAPTION = 0xC40,
    XEC_FO_TABLE_CAPTION = 0xC41,
    XEC_FO_TABLE = 0xC42,
    XEC_FO_TABLE_HEADER = 0xC44,
    XEC_FO_TABLE_FOOTER = 0xC45,
    XEC_FO_TABLE_BODY = 0xC46,
    XEC_FO_TABLE_ROW = 0xC47,
    XEC_FO_TABLE_CELL = 0xC48,
    XEC_FO_LIST_BLOCK = 0xC50,
    XEC_FO_LIST_ITEM = 0xC51,
    XEC_FO_LIST_ITEM_LABEL = 0xC52,
    XEC_FO_LIST_ITEM_BODY = 0xC53,

    XEC_MATH = 0x201,
    XEC_MI = 0x203,
    XEC_MN = 0x204,
    XEC_MO = 0x205,
    XEC_MS = 0x206,
    XEC_MTEXT = 0x207,
    XEC_MSPACE = 0x208,
    XEC_MGLYPH = 0x209,
    XEC_MROW = 0x211,
    XEC_MFRAC = 0x212,
    XEC_MSQRT = 0x213,
    XEC_MROOT = 0x214,
    XEC_MSTYLE = 0x215,
    XEC_MERROR = 0x216,
    XEC_MPADDED = 0x217,
    XEC_MPHANTOM = 0x218,
    XEC_MFENCED = 0x219,
    XEC_MENCLOSE = 0x21A,
    XEC_MSUB = 0x221,
    XEC_MSUP = 0x222,
    XEC_MSUBSUP = 0x223,
    XEC_MUNDER = 0x224,
    XEC_MOVER = 0x225,
    XEC_MUNDEROVER = 0x226,
    XEC_MMULTISCRIPTS = 0x227,
    XEC_MPRESCRIPTS = 0x228,
    XEC_NONE = 0x229,
    XEC_MTABLE = 0x231,
    XEC_MTR = 0x232,
    XEC_MTD = 0x233,
    XEC_MLABELEDTR = 0x234,
};

// Class codes of block and inline containers and formulas.
enum : int {
    XCC_RUBY = 1,
    XCC_CYUKAI = 2,   // in-text answer
    XCC_GAI = 3,      // free text box
    XCC_KIM = 4,      // name field
    XCC_KANA = 5,     // kanbun cell without hyphen
    XCC_KANB = 6,     // kanbun cell with hyphen
    XCC_KUN = 7,      // reading mark
    XCC_KAIPAGE = 8,  // page-break block
    XCC_KASEN = 9,    // labelled underline
};

struct XML_ELEMENT_CODE {
    int code;
    const char16_t* name;
};

struct XML_CLASS_CODE {
    int code;
    const char16_t* name;
};

// The tables in search order: entry 0 (code 0, empty name), the entries, then the end entry
// (code -1, empty name) that ends every look-up.
extern const XML_ELEMENT_CODE XmlElementCodeTable[96];
extern const XML_CLASS_CODE XmlClassCodeTable[10];

// The code of the first entry named exactly name (prefix included, case-sensitive); 0 when none.
int XMLElementCodeFromName(const char16_t* name);
// The name of the first entry with code; empty when none.
CStringW XMLElementNameFromCode(int code);
// The code of the first class whose name occurs anywhere in text; -1 when none. Stored ids such
// as "kaipage0011" and "cyukai[2]" rely on the substring match.
int XMLClassCodeFromString(const char16_t* text);
// A new element object of the class that serves code, owned by the caller; null for a code
// without a class.
CQNXMLNode* CreateXMLNode(int code);

// The index in brackets of a path step: dmon[3] gives 3, dmon 1, an unreadable index 0 and the
// empty step -1.
int GetPathStepIndex(const CStringW& step);
// name for n = 0, "name[n]" for n > 0, empty for n < 0.
CStringW FormatPathStep(const char16_t* name, int n);
// The steps of path, empty steps dropped; the first "{" and "}" are removed from path itself.
void SplitPath(std::vector<CStringW>& out, CStringW& path);
