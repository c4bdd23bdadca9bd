// The element objects: one class per element family and kind, each a CQNXMLNode with the typed
// fields into which SetAttribute parses the attributes of its element. Objects are made by
// CreateXMLNode and deleted through CQNXMLNode's virtual destructor. None of the fields is
// streamed: the classes report CQNXMLNode's runtime class and add nothing to its stream form.
// Fields called reserved are filled by no attribute and keep their constructor values.
#pragma once

#include "base/element_vocabulary.h"
#include "base/property_records.h"
#include "base/wide_string.h"
#include "base/xml_node.h"

#include <cstdint>
#include <string>
#include <vector>

// Layout records that element objects carry and nothing fills.
struct FO_LINE_LAYOUT {
    CFDraw draw;
    int32_t values[4] = {};
};

struct FO_RUN_LAYOUT {
    CFDraw draw;
    int32_t values[5] = {};
};

// Problem-document family.

class CMondaiNode : public CQNXMLNode {
public:
    explicit CMondaiNode(int code) : CQNXMLNode(code) {}
};

class CMondaiPrint : public CMondaiNode {
public:
    CMondaiPrint() : CMondaiNode(XEC_PRINT) {}
};
class CMondaiDmon : public CMondaiNode {
public:
    CMondaiDmon() : CMondaiNode(XEC_DMON) {}
};
class CMondaiMon : public CMondaiNode {
public:
    CMondaiMon() : CMondaiNode(XEC_MON) {}
};
class CMondaiSmon : public CMondaiNode {
public:
    CMondaiSmon() : CMondaiNode(XEC_SMON) {}
};
class CMondaiDai : public CMondaiNode {
public:
    CMondaiDai() : CMondaiNode(XEC_DAI) {}
};
class CMondaiKai : public CMondaiNode {
public:
    CMondaiKai() : CMondaiNode(XEC_KAI) {}
};
class CMondaiRan : public CMondaiNode {
public:
    CMondaiRan() : CMondaiNode(XEC_RAN) {}
};
class CMondaiSetsu : public CMondaiNode {
public:
    CMondaiSetsu() : CMondaiNode(XEC_SETSU) {}
};
class CMondaiCyukai : public CMondaiNode {
public:
    CMondaiCyukai() : CMondaiNode(XEC_CYUKAI) {}
};
class CMondaiSp : public CMondaiNode {
public:
    CMondaiSp() : CMondaiNode(XEC_SP) {}
};
class CMondaiGai : public CMondaiNode {
public:
    CMondaiGai() : CMondaiNode(XEC_GAI) {}
};
class CMondaiKim : public CMondaiNode {
public:
    CMondaiKim() : CMondaiNode(XEC_KIM) {}
};

// Major and sub question numbers.
class CMondaiDno : public CMondaiNode {
public:
    CMondaiDno() : CMondaiNode(XEC_DNO) {}
    int32_t m_numberingStyle = -1;  // index of a letter in "abcdefghijklmnopqrstuvwxyz"; -1 none
};
class CMondaiNo : public CMondaiNode {
public:
    CMondaiNo() : CMondaiNode(XEC_NO) {}
    int32_t m_numberingStyle = -1;
};

class CMondaiHai : public CMondaiNode, public HAITEN_INFO {
public:
    CMondaiHai() : CMondaiNode(XEC_HAI) {}
};

class CMondaiImg : public CMondaiNode {
public:
    CMondaiImg() : CMondaiNode(XEC_IMG) {}
    std::string m_src;  // code page 932
    int32_t m_imgReserved1 = 0;
    int32_t m_imgReserved2 = 0;
};

class CMondaiObject : public CQNXMLNode {
public:
    CMondaiObject() : CQNXMLNode(XEC_OBJECT) {}
    std::string m_dataPath;  // code page 932
    int32_t m_width = 0;
    int32_t m_height = 0;
};

// XSLT family.

class CXslNode : public CQNXMLNode {
public:
    explicit CXslNode(int code) : CQNXMLNode(code) {}
    int32_t m_xslReserved = 0;
    CStringW m_xslReservedText;
    CStringW m_select;  // "select" of xsl:apply-templates
};

class CXslStylesheet : public CXslNode {
public:
    CXslStylesheet() : CXslNode(XEC_XSL_STYLESHEET) {}
};
class CXslTemplate : public CXslNode {
public:
    CXslTemplate() : CXslNode(XEC_XSL_TEMPLATE) {}
};
class CXslApplyTemplates : public CXslNode {
public:
    CXslApplyTemplates() : CXslNode(XEC_XSL_APPLY_TEMPLATES) {}
    int32_t m_applyReserved[4] = {};
};
class CXslValueOf : public CXslNode {
public:
    CXslValueOf() : CXslNode(XEC_XSL_VALUE_OF) {}
};
class CXslCopyOf : public CXslNode {
public:
    CXslCopyOf() : CXslNode(XEC_XSL_COPY_OF) {}
};

// XSL-FO family.

class CFoNode : public CXslNode, public CFDraw {
public:
    explicit CFoNode(int code) : CXslNode(code) {}
    int32_t m_foReserved = 0;
};

class CFoRoot : public CFoNode {
public:
    CFoRoot() : CFoNode(XEC_FO_ROOT) {}
};
class CFoLayoutMasterSet : public CFoNode {
public:
    CFoLayoutMasterSet() : CFoNode(XEC_FO_LAYOUT_MASTER_SET) {}
};

// Page margins and page height and width.
class CFoSimplePageMaster : public CFoNode, public CBlockMarginProperties, public PAGE_GEOMETRY {
public:
    CFoSimplePageMaster() : CFoNode(XEC_FO_SIMPLE_PAGE_MASTER) {}
    CStringW m_masterReserved;
};

// Region margins and, for the body, the column count.
class CFoRegionBody : public CFoNode,
                      public CBorderPaddingBackgroundProperties,
                      public CBlockMarginProperties,
                      public PAGE_GEOMETRY {
public:
    CFoRegionBody() : CFoNode(XEC_FO_REGION_BODY) {}
};
class CFoRegionBefore : public CFoNode,
                        public CBorderPaddingBackgroundProperties,
                        public CBlockMarginProperties,
                        public PAGE_GEOMETRY {
public:
    CFoRegionBefore() : CFoNode(XEC_FO_REGION_BEFORE) {}
};
class CFoRegionAfter : public CFoNode,
                       public CBorderPaddingBackgroundProperties,
                       public CBlockMarginProperties,
                       public PAGE_GEOMETRY {
public:
    CFoRegionAfter() : CFoNode(XEC_FO_REGION_AFTER) {}
};

class CFoPageSequenceMaster : public CFoNode {
public:
    CFoPageSequenceMaster() : CFoNode(XEC_FO_PAGE_SEQUENCE_MASTER) {}
    CStringW m_sequenceReserved;
};
class CFoSinglePageMasterReference : public CFoNode {
public:
    CFoSinglePageMasterReference() : CFoNode(XEC_FO_SINGLE_PAGE_MASTER_REFERENCE) {}
    CStringW m_masterReference;
};
class CFoPageSequence : public CFoNode {
public:
    CFoPageSequence() : CFoNode(XEC_FO_PAGE_SEQUENCE) {}
    CStringW m_masterReference;
};
class CFoStaticContent : public CFoNode {
public:
    CFoStaticContent() : CFoNode(XEC_FO_STATIC_CONTENT) {}
    CStringW m_flowName;
};
class CFoFlow : public CFoNode {
public:
    CFoFlow() : CFoNode(XEC_FO_FLOW) {}
    CStringW m_flowName = u"xsl-region-body";
};

class CFoBlockContainer : public CFoNode,
                          public CBlockMarginProperties,
                          public CBorderPaddingBackgroundProperties,
                          public CBlockLineRelatedProperties {
public:
    CFoBlockContainer() : CFoNode(XEC_FO_BLOCK_CONTAINER) {}
    CBlockMarginProperties m_secondMargins;
    int32_t m_breakAfter = 0;  // 2: page
    int32_t m_containerReserved = 0;
    int32_t m_visibility = 0;  // 2: collapse, 0: visible
    int32_t m_width = 0;
    int32_t m_height = 0;
};

class CFoBlock : public CFoNode,
                 public CFontProperties,
                 public CColorRelatedProperties,
                 public CBorderPaddingBackgroundProperties,
                 public CBlockMarginProperties,
                 public CBlockLineRelatedProperties,
                 public CCharacterProperties {
public:
    CFoBlock() : CFoNode(XEC_FO_BLOCK) {}
    std::vector<FO_LINE_LAYOUT> m_lineLayouts;
};

class CFoFloat : public CFoNode {
public:
    CFoFloat() : CFoNode(XEC_FO_FLOAT) {}
    int32_t m_floatReserved = 0;
    int32_t m_floatSide = 0;  // 1 left, 2 right
};

class CFoInlineContainer : public CFoNode,
                           public CBorderPaddingBackgroundProperties,
                           public CInlineMarginProperties,
                           public CKasenRenbanProperties {
public:
    CFoInlineContainer() : CFoNode(XEC_FO_INLINE_CONTAINER) {}
    int32_t m_containerReserved[2] = {-1, -1};
};

class CFoInline : public CFoNode,
                  public CFontProperties,
                  public CColorRelatedProperties,
                  public CBorderPaddingBackgroundProperties,
                  public CInlineMarginProperties,
                  public CAreaAlignmentProperties,
                  public CCharacterProperties,
                  public CKasenRenbanProperties {
public:
    CFoInline() : CFoNode(XEC_FO_INLINE) {}
    std::vector<FO_RUN_LAYOUT> m_runLayouts;
    FO_RUN_LAYOUT m_runLayout;
};

class CFoInstreamForeignObject : public CFoNode, public CAreaDimensionProperties {
public:
    CFoInstreamForeignObject() : CFoNode(XEC_FO_INSTREAM_FOREIGN_OBJECT) {}
    int32_t m_objectReserved[2] = {-1, -1};
};

class CFoExternalGraphic : public CFoNode, public CAreaDimensionProperties {
public:
    CFoExternalGraphic() : CFoNode(XEC_FO_EXTERNAL_GRAPHIC) {}
    int32_t m_graphicReserved[2] = {-1, -1};
    std::string m_src;  // code page 932
};

// Line spacing and letter spacing.
class CFoInitialPropertySet : public CFoNode, public CBlockLineRelatedProperties, public CCharacterProperties {
public:
    CFoInitialPropertySet() : CFoNode(XEC_FO_INITIAL_PROPERTY_SET) {}
};

class CFoTableAndCaption : public CFoNode, public CBorderPaddingBackgroundProperties {
public:
    CFoTableAndCaption() : CFoNode(XEC_FO_TABLE_AND_CAPTION) {}
};
class CFoTableCaption : public CFoNode, public CBorderPaddingBackgroundProperties {
public:
    CFoTableCaption() : CFoNode(XEC_FO_TABLE_CAPTION) {}
};
class CFoTable : public CFoNode, public CBorderPaddingBackgroundProperties {
public:
    CFoTable() : CFoNode(XEC_FO_TABLE) {}
};
class CFoTableHeader : public CFoNode, public CBorderPaddingBackgroundProperties {
public:
    CFoTableHeader() : CFoNode(XEC_FO_TABLE_HEADER) {}
};
class CFoTableFooter : public CFoNode, public CBorderPaddingBackgroundProperties {
public:
    CFoTableFooter() : CFoNode(XEC_FO_TABLE_FOOTER) {}
};
class CFoTableBody : public CFoNode, public CBorderPaddingBackgroundProperties {
public:
    CFoTableBody() : CFoNode(XEC_FO_TABLE_BODY) {}
};
class CFoTableRow : public CFoNode, public CBorderPaddingBackgroundProperties {
public:
    CFoTableRow() : CFoNode(XEC_FO_TABLE_ROW) {}
};
class CFoTableCell : public CFoNode, public CBorderPaddingBackgroundProperties {
public:
    CFoTableCell();
};

// The border record of a table row's child: a cell's at once, any other element's when its class
// carries one; null when it does not.
inline const CBorderPaddingBackgroundProperties* BorderRecordOf(const CQNXMLNode* cell)
{
    if (cell != nullptr && typeid(*cell) == typeid(CFoTableCell))
        return static_cast<const CFoTableCell*>(cell);
    return dynamic_cast<const CBorderPaddingBackgroundProperties*>(cell);
}

// MathML family. CMathMLNode itself is the class of mstyle.

class CMathMLNode : public CQNXMLNode,
                    public CFDraw,
                    public CFontProperties,
                    public CColorRelatedProperties,
                    public CBorderPaddingBackgroundProperties,
                    public CCharacterProperties,
                    public CBlockLineRelatedProperties,
                    public CKasenRenbanProperties {
public:
    explicit CMathMLNode(int code) : CQNXMLNode(code) {}

    // A mathsize text that is no length this system reads ("1.2em"), with the size the element
    // had when it was read: it is written back unchanged while the size stays as it was.
    CStringW m_unreadableSizeText;
    int32_t m_sizeBesideUnreadableText = 0;
};

// Face "Times New Roman" at 10.5 pt.
class CMathMLMath : public CMathMLNode {
public:
    CMathMLMath();
};

// mi, mn and mtext; face "Times New Roman" at 10.5 pt.
class CMathMLToken : public CMathMLNode {
public:
    explicit CMathMLToken(int code);
    std::vector<FO_RUN_LAYOUT> m_runLayouts;
    FO_RUN_LAYOUT m_runLayout;
};

class CMathMLMo : public CMathMLToken {
public:
    CMathMLMo() : CMathMLToken(XEC_MO) {}
    int32_t m_moReserved1[2] = {};
    int32_t m_stretchy = 0;  // 1: stretchy
    int32_t m_moReserved2[4] = {};
};

class CMathMLMs : public CMathMLToken {
public:
    CMathMLMs() : CMathMLToken(XEC_MS) {}
};

// mrow, and the base of mtd, mfenced and menclose.
class CMathMLRow : public CMathMLNode {
public:
    explicit CMathMLRow(int code) : CMathMLNode(code) {}
};

class CMathMLFrac : public CMathMLNode {
public:
    CMathMLFrac() : CMathMLNode(XEC_MFRAC) {}
    int32_t m_fracReserved = 0;
    int32_t m_bevelled = 0;
};

// msqrt and mroot.
class CMathMLRoot : public CMathMLNode {
public:
    explicit CMathMLRoot(int code) : CMathMLNode(code) {}
};

class CMathMLFenced : public CMathMLRow {
public:
    CMathMLFenced() : CMathMLRow(XEC_MFENCED) {}
    CStringW m_open = u"(";
    CStringW m_close = u")";
    FO_RUN_LAYOUT m_fenceLayouts[2];
};

class CMathMLEnclose : public CMathMLRow {
public:
    CMathMLEnclose() : CMathMLRow(XEC_MENCLOSE) {}
    std::string m_notation = "longdiv";
    FO_RUN_LAYOUT m_encloseLayout;
};

// msub, msup and msubsup.
class CMathMLScript : public CMathMLNode {
public:
    explicit CMathMLScript(int code) : CMathMLNode(code) {}
};

// munder, mover and munderover.
class CMathMLUnderOver : public CMathMLNode {
public:
    explicit CMathMLUnderOver(int code) : CMathMLNode(code) {}
};

class CMathMLMultiScripts : public CMathMLNode {
public:
    CMathMLMultiScripts() : CMathMLNode(XEC_MMULTISCRIPTS) {}
};
class CMathMLPrescripts : public CMathMLNode {
public:
    CMathMLPrescripts() : CMathMLNode(XEC_MPRESCRIPTS) {}
};
class CMathMLNone : public CMathMLNode {
public:
    CMathMLNone() : CMathMLNode(XEC_NONE) {}
};

// Centred columns at construction.
class CMathMLTable : public CMathMLNode {
public:
    CMathMLTable();
};
class CMathMLTr : public CMathMLNode {
public:
    CMathMLTr() : CMathMLNode(XEC_MTR) {}
};
class CMathMLTd : public CMathMLRow {
public:
    CMathMLTd() : CMathMLRow(XEC_MTD) {}
};
