#include "base/element_vocabulary.h"

#include "base/element_classes.h"
#include "platform/wide_runtime.h"

#include <string_view>
#include <unordered_map>

const XML_ELEMENT_CODE XmlElementCodeTable[96] = {
    {0, u""},
    {XEC_PRINT, u"print"},
    {XEC_DMON, u"dmon"},
    {XEC_MON, u"mon"},
    {XEC_SMON, u"smon"},
    {XEC_DAI, u"dai"},
    {XEC_KAI, u"kai"},
    {XEC_RAN, u"ran"},
    {XEC_SETSU, u"setsu"},
    {XEC_CYUKAI, u"cyukai"},
    {XEC_SP, u"sp"},
    {XEC_IMG, u"img"},
    {XEC_OBJECT, u"object"},
    {XEC_DNO, u"dno"},
    {XEC_NO, u"no"},
    {XEC_GAI, u"gai"},
    {XEC_KIM, u"kim"},
    {XEC_HAI, u"hai"},
    {XEC_SEARCH_PROG_ID, u"SearchProgID"},
    {XEC_SEARCH_INFO, u"SearchInfo"},
    {XEC_MONDAI_ID, u"MondaiID"},
    {XEC_XSL_STYLESHEET, u"xsl:stylesheet"},
    {XEC_XSL_TEMPLATE, u"xsl:template"},
    {XEC_XSL_APPLY_TEMPLATES, u"xsl:apply-templates"},
    {XEC_XSL_VALUE_OF, u"xsl:value-of"},
    {XEC_XSL_COPY_OF, u"xsl:copy-of"},
    {XEC_FO_ROOT, u"fo:root"},
    {XEC_FO_LAYOUT_MASTER_SET, u"fo:layout-master-set"},
    {XEC_FO_SIMPLE_PAGE_MASTER, u"fo:simple-page-master"},
    {XEC_FO_REGION_BEFORE, u"fo:region-before"},
    {XEC_FO_REGION_BODY, u"fo:region-body"},
    {XEC_FO_REGION_AFTER, u"fo:region-after"},
    {XEC_FO_REGION_START, u"fo:region-start"},
    {XEC_FO_REGION_END, u"fo:region-end"},
    {XEC_FO_PAGE_SEQUENCE_MASTER, u"fo:page-sequence-master"},
    {XEC_FO_SINGLE_PAGE_MASTER_REFERENCE, u"fo:single-page-master-reference"},
    {XEC_FO_REPEATABLE_PAGE_MASTER_REFERENCE, u"fo:repeatable-page-master-reference"},
    {XEC_FO_REPEATABLE_PAGE_MASTER_ALTERNATIVES, u"fo:repeatable-page-master-alternatives"},
    {XEC_FO_DECLARATIONS, u"fo:declarations"},
    {XEC_FO_PAGE_SEQUENCE, u"fo:page-sequence"},
    {XEC_FO_TITLE, u"fo:title"},
    {XEC_FO_STATIC_CONTENT, u"fo:static-content"},
    {XEC_FO_FLOW, u"fo:flow"},
    {XEC_FO_BLOCK_CONTAINER, u"fo:block-container"},
    {XEC_FO_BLOCK, u"fo:block"},
    {XEC_FO_FLOAT, u"fo:float"},
    {XEC_FO_INLINE_CONTAINER, u"fo:inline-container"},
    {XEC_FO_INLINE, u"fo:inline"},
    {XEC_FO_CHARACTER, u"fo:character"},
    {XEC_FO_INITIAL_PROPERTY_SET, u"fo:initial-property-set"},
    {XEC_FO_INSTREAM_FOREIGN_OBJECT, u"fo:instream-foreign-object"},
    {XEC_FO_EXTERNAL_GRAPHIC, u"fo:external-graphic"},
    {XEC_FO_TABLE_AND_CAPTION, u"fo:table-and-caption"},
    {XEC_FO_TABLE, u"fo:table"},
    {XEC_FO_TABLE_CAPTION, u"fo:table-caption"},
    {XEC_FO_TABLE_HEADER, u"fo:table-header"},
    {XEC_FO_TABLE_FOOTER, u"fo:table-footer"},
    {XEC_FO_TABLE_BODY, u"fo:table-body"},
    {XEC_FO_TABLE_ROW, u"fo:table-row"},
    {XEC_FO_TABLE_CELL, u"fo:table-cell"},
    {XEC_FO_LIST_BLOCK, u"fo:list-block"},
    {XEC_FO_LIST_ITEM, u"fo:list-item"},
    {XEC_FO_LIST_ITEM_LABEL, u"fo:list-item-label"},
    {XEC_FO_LIST_ITEM_BODY, u"fo:list-item-body"},
    {XEC_MATH, u"math"},
    {XEC_MI, u"mi"},
    {XEC_MN, u"mn"},
    {XEC_MO, u"mo"},
    {XEC_MS, u"ms"},
    {XEC_MTEXT, u"mtext"},
    {XEC_MSPACE, u"mspace"},
    {XEC_MGLYPH, u"mglyph"},
    {XEC_MROW, u"mrow"},
    {XEC_MFRAC, u"mfrac"},
    {XEC_MSQRT, u"msqrt"},
    {XEC_MROOT, u"mroot"},
    {XEC_MSTYLE, u"mstyle"},
    {XEC_MERROR, u"merror"},
    {XEC_MPADDED, u"mpadded"},
    {XEC_MPHANTOM, u"mphantom"},
    {XEC_MFENCED, u"mfenced"},
    {XEC_MENCLOSE, u"menclose"},
    {XEC_MSUB, u"msub"},
    {XEC_MSUP, u"msup"},
    {XEC_MSUBSUP, u"msubsup"},
    {XEC_MUNDER, u"munder"},
    {XEC_MOVER, u"mover"},
    {XEC_MUNDEROVER, u"munderover"},
    {XEC_MMULTISCRIPTS, u"mmultiscripts"},
    {XEC_MPRESCRIPTS, u"mprescripts"},
    {XEC_NONE, u"none"},
    {XEC_MTABLE, u"mtable"},
    {XEC_MTR, u"mtr"},
    {XEC_MTD, u"mtd"},
    {XEC_MLABELEDTR, u"mlabeledtr"},
    {-1, u""},
};

const XML_CLASS_CODE XmlClassCodeTable[10] = {
    {XCC_RUBY, u"ruby"},   {XCC_CYUKAI, u"cyukai"},   {XCC_GAI, u"gai"},
    {XCC_KIM, u"kim"},     {XCC_KANA, u"kanA"},       {XCC_KANB, u"kanB"},
    {XCC_KUN, u"kun"},     {XCC_KAIPAGE, u"kaipage"}, {XCC_KASEN, u"kasen"},
    {-1, u""},
};

int XMLElementCodeFromName(const char16_t* name)
{
    // Readers ask once per element they meet: the table is indexed by name once, the first
    // entry of a name winning as in the table's order.
    static const std::unordered_map<std::u16string_view, int> codes = [] {
        std::unordered_map<std::u16string_view, int> index;
        for (const XML_ELEMENT_CODE& entry : XmlElementCodeTable) {
            if (entry.code == -1)
                break;
            index.emplace(entry.name, entry.code);
        }
        return index;
    }();
    const auto found = codes.find(name ? std::u16string_view(name) : std::u16string_view());
    return found != codes.end() ? found->second : 0;
}

CStringW XMLElementNameFromCode(int code)
{
    for (const XML_ELEMENT_CODE& entry : XmlElementCodeTable) {
        if (entry.code == code)
            return CStringW(entry.name);
        if (entry.code == -1)
            break;
    }
    return CStringW();
}

int XMLClassCodeFromString(const char16_t* text)
{
    const std::u16string_view haystack = text ? text : u"";
    for (const XML_CLASS_CODE& entry : XmlClassCodeTable)
        if (haystack.find(entry.name) != std::u16string_view::npos)
            return entry.code;  // the end entry's empty name occurs in every text
    return -1;
}

CQNXMLNode* CreateXMLNode(int code)
{
    switch (code) {
    case XEC_PRINT: return new CMondaiPrint;
    case XEC_DMON: return new CMondaiDmon;
    case XEC_MON: return new CMondaiMon;
    case XEC_SMON: return new CMondaiSmon;
    case XEC_DAI: return new CMondaiDai;
    case XEC_KAI: return new CMondaiKai;
    case XEC_RAN: return new CMondaiRan;
    case XEC_SETSU: return new CMondaiSetsu;
    case XEC_CYUKAI: return new CMondaiCyukai;
    case XEC_SP: return new CMondaiSp;
    case XEC_GAI: return new CMondaiGai;
    case XEC_KIM: return new CMondaiKim;
    case XEC_IMG: return new CMondaiImg;
    case XEC_OBJECT: return new CMondaiObject;
    case XEC_DNO: return new CMondaiDno;
    case XEC_NO: return new CMondaiNo;
    case XEC_HAI: return new CMondaiHai;

    case XEC_XSL_STYLESHEET: return new CXslStylesheet;
    case XEC_XSL_TEMPLATE: return new CXslTemplate;
    case XEC_XSL_APPLY_TEMPLATES: return new CXslApplyTemplates;
    case XEC_XSL_VALUE_OF: return new CXslValueOf;
    case XEC_XSL_COPY_OF: return new CXslCopyOf;

    case XEC_FO_ROOT: return new CFoRoot;
    case XEC_FO_LAYOUT_MASTER_SET: return new CFoLayoutMasterSet;
    case XEC_FO_SIMPLE_PAGE_MASTER: return new CFoSimplePageMaster;
    case XEC_FO_REGION_BODY: return new CFoRegionBody;
    case XEC_FO_REGION_BEFORE: return new CFoRegionBefore;
    case XEC_FO_REGION_AFTER: return new CFoRegionAfter;
    case XEC_FO_PAGE_SEQUENCE_MASTER: return new CFoPageSequenceMaster;
    case XEC_FO_SINGLE_PAGE_MASTER_REFERENCE: return new CFoSinglePageMasterReference;
    case XEC_FO_PAGE_SEQUENCE: return new CFoPageSequence;
    case XEC_FO_STATIC_CONTENT: return new CFoStaticContent;
    case XEC_FO_FLOW: return new CFoFlow;
    case XEC_FO_BLOCK_CONTAINER: return new CFoBlockContainer;
    case XEC_FO_BLOCK: return new CFoBlock;
    case XEC_FO_FLOAT: return new CFoFloat;
    case XEC_FO_INLINE_CONTAINER: return new CFoInlineContainer;
    case XEC_FO_INLINE: return new CFoInline;
    case XEC_FO_INSTREAM_FOREIGN_OBJECT: return new CFoInstreamForeignObject;
    case XEC_FO_EXTERNAL_GRAPHIC: return new CFoExternalGraphic;
    case XEC_FO_INITIAL_PROPERTY_SET: return new CFoInitialPropertySet;
    case XEC_FO_TABLE_AND_CAPTION: return new CFoTableAndCaption;
    case XEC_FO_TABLE_CAPTION: return new CFoTableCaption;
    case XEC_FO_TABLE: return new CFoTable;
    case XEC_FO_TABLE_HEADER: return new CFoTableHeader;
    case XEC_FO_TABLE_FOOTER: return new CFoTableFooter;
    case XEC_FO_TABLE_BODY: return new CFoTableBody;
    case XEC_FO_TABLE_ROW: return new CFoTableRow;
    case XEC_FO_TABLE_CELL: return new CFoTableCell;

    case XEC_MATH: return new CMathMLMath;
    case XEC_MI:
    case XEC_MN:
    case XEC_MTEXT: return new CMathMLToken(code);
    case XEC_MO: return new CMathMLMo;
    case XEC_MS: return new CMathMLMs;
    case XEC_MROW: return new CMathMLRow(code);
    case XEC_MFRAC: return new CMathMLFrac;
    case XEC_MSQRT:
    case XEC_MROOT: return new CMathMLRoot(code);
    case XEC_MSTYLE: return new CMathMLNode(code);
    case XEC_MFENCED: return new CMathMLFenced;
    case XEC_MENCLOSE: return new CMathMLEnclose;
    case XEC_MSUB:
    case XEC_MSUP:
    case XEC_MSUBSUP: return new CMathMLScript(code);
    case XEC_MUNDER:
    case XEC_MOVER:
    case XEC_MUNDEROVER: return new CMathMLUnderOver(code);
    case XEC_MMULTISCRIPTS: return new CMathMLMultiScripts;
    case XEC_MPRESCRIPTS: return new CMathMLPrescripts;
    case XEC_NONE: return new CMathMLNone;
    case XEC_MTABLE: return new CMathMLTable;
    case XEC_MTR: return new CMathMLTr;
    case XEC_MTD: return new CMathMLTd;
    default: return nullptr;
    }
}

int GetPathStepIndex(const CStringW& step)
{
    if (step.IsEmpty())
        return -1;
    const int open = step.Find(u'[');
    const int close = step.Find(u']');
    if (open < 0)
        return close < 0 ? 1 : 0;
    if (close < 0 || close - open - 1 < 1)
        return 0;
    return WideAtoi(step.View().substr(static_cast<size_t>(open + 1), static_cast<size_t>(close - open - 1)));
}

CStringW FormatPathStep(const char16_t* name, int n)
{
    CStringW step;
    if (n < 0)
        return step;
    if (n == 0)
        return CStringW(name ? name : u"");
    step.Format(u"%s[%d]", name ? name : u"", n);
    return step;
}

void SplitPath(std::vector<CStringW>& out, CStringW& path)
{
    if (path.IsEmpty())
        return;
    const int open = path.Find(u'{');
    if (open >= 0)
        path.Delete(open, 1);
    const int close = path.Find(u'}');
    if (close >= 0)
        path.Delete(close, 1);
    if (path.IsEmpty())
        return;
    out.clear();
    // Every "/" separates steps, a trailing one included; empty steps give nothing.
    CStringW step;
    for (char16_t unit : path.View()) {
        if (unit == u'/') {
            if (!step.IsEmpty())
                out.push_back(step);
            step.Empty();
        } else {
            step += unit;
        }
    }
    if (!step.IsEmpty())
        out.push_back(step);
}
