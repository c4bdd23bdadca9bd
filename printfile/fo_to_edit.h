// Building the editing tree of a paper from the element-object tree of its XSL-FO pages: page
// geometry and name-field pages into the root, each block-container of the flow into a question
// part, text box or page-break block, text into characters and the FO constructs the writer uses
// for labels back into their nodes.
#pragma once

#include "base/wide_string.h"
#include "printfile/edit_to_fo.h"

#include <string>
#include <vector>

class CEditKan;
class CEditNode;
class CEditPrint;
class CEditRuby;
class CEditTable;
class CQNXMLNode;

class COleDocument;

class CFoToEditBuilder {
public:
    explicit CFoToEditBuilder(CEditPrint* root, COleDocument* document = nullptr) : m_root(root), m_document(document) {}
    // The builder of a formula object's data (root null): every child of fo:root is read, a
    // block container under the formula root gives the root its size, only MathML is read from
    // instream objects, and pictures are left out (a formula object has no side files).
    static CFoToEditBuilder ForFormulaObject()
    {
        CFoToEditBuilder builder(nullptr);
        builder.m_variant = FoTreeVariant::FormulaObject;
        return builder;
    }

    // Dispatches on the element; used for the whole tree from fo:root down to the content of
    // every container. An element in the wrong place is left out; any other failure (memory
    // running out) is passed on, so that the read fails rather than show a paper in part.
    void BuildFromFo(CQNXMLNode* element, CEditNode* target);
    // The inline content of one block, closed by a line break of the block's own.
    void BuildFoInlines(CQNXMLNode* block, CEditNode* target);
    // Rows and cells of a table; a ragged table gets empty cells, so that every row has as many
    // cells as the longest.
    void BuildFoTable(CQNXMLNode* tableAndCaption, CEditTable* table);
    // Reading and base of a ruby pair.
    void BuildFoRuby(CQNXMLNode* inlineContainer, CEditRuby* ruby);
    // A kanbun cell and its sub-boxes.
    void BuildFoKanbun(CQNXMLNode* inlineContainer, CEditKan* kan);
    void BuildFoKanbunLines(CQNXMLNode* element, CEditNode* box);

    // A page size or margin that no paper can have was met; the text says which.
    bool HasGeometryError() const { return !m_geometryError.IsEmpty(); }
    const CStringW& GeometryError() const { return m_geometryError; }
    // The pictures that stand as placeholders because their files could not be read or their
    // names were refused: one line each, naming the file.
    const std::vector<CStringW>& MissingPictures() const { return m_missingPictures; }

private:
    void BuildPageMaster(CQNXMLNode* element, CEditNode* target);
    void BuildNameFieldPages(CQNXMLNode* element, CEditNode* target);
    void BuildNameFieldTemplate(CQNXMLNode* element, CEditNode* target);
    void BuildFlow(CQNXMLNode* element, CEditNode* target);
    void BuildContainer(CQNXMLNode* element, CEditNode* target);
    void BuildInstreamObject(CQNXMLNode* object, CEditNode* target);
    void BuildInlineContainer(CQNXMLNode* container, CEditNode* target);
    void BuildPicture(CQNXMLNode* graphic, CEditNode* target);
    // An embedded object from its side file; a missing or bad file leaves a line break instead.
    void BuildObject(CQNXMLNode* element, CEditNode* target);

    bool ForFormula() const { return m_variant == FoTreeVariant::FormulaObject; }

    CEditPrint* m_root;
    COleDocument* m_document;
    FoTreeVariant m_variant = FoTreeVariant::PrintFile;
    CStringW m_geometryError;
    std::vector<CStringW> m_missingPictures;
};

// The full path of a side file named in a print file, in the folder of the paper; false (and
// the reason in error) for a name that is empty, absolute, has a folder part or is "." or "..",
// so that nothing outside that folder is ever read, listed or deleted.
bool ResolveSideFilePath(const CEditPrint* root, const std::string& name, std::string& path, CStringW& error);
