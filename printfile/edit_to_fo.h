// Converting the editing tree of a paper into XSL-FO element objects before it is written as a
// print file: one fo:block-container per question part, one fo:block per line, one fo:inline per
// run of equally formatted characters, and instream objects for question numbers and points
// labels.
#pragma once

#include <set>
#include <string>

class FileReplacementGroup;
struct XML_BUILD_CONTEXT;
class CEditKan;
class CEditNode;
class CEditPrint;
class CEditRuby;
class CEditTable;
class CQNXMLNode;

// What a conversion is for: a print file, whose pictures and embedded objects become side files
// beside it, or the data of a formula object, which has no side files (pictures and objects
// stay out, and a paper's root is not converted) and whose root is the formula root.
enum class FoTreeVariant { PrintFile, FormulaObject };

// Converts node into children of parent: the root into its parts, a container into its lines.
// A node of another kind, or a container without children, adds nothing. The caller owns the
// output tree.
void BuildXmlTree(CEditNode* node, CQNXMLNode* parent, XML_BUILD_CONTEXT* context,
                  FoTreeVariant variant = FoTreeVariant::PrintFile);
void BuildXmlPrint(CEditPrint* root, CQNXMLNode* parent, XML_BUILD_CONTEXT* context);
// An fo:table with its rows and cells appended to parent.
void BuildXmlTable(CEditTable* table, CQNXMLNode* parent, XML_BUILD_CONTEXT* context,
                   FoTreeVariant variant = FoTreeVariant::PrintFile);
// Fill an fo:inline-container from a kanbun cell and from a ruby pair.
void BuildXmlKanbun(CEditKan* kan, CQNXMLNode* container, XML_BUILD_CONTEXT* context,
                    FoTreeVariant variant = FoTreeVariant::PrintFile);
void BuildXmlRuby(CEditRuby* ruby, CQNXMLNode* container, XML_BUILD_CONTEXT* context,
                  FoTreeVariant variant = FoTreeVariant::PrintFile);

// The numbering of the side files (pictures and embedded objects) of one save. The save resets
// it once at its start, so that no two side files of one save share a name.
struct SIDE_FILE_COUNTERS {
    int pictures = 0;
    int objects = 0;
    // A side file could not be written: the save must fail.
    bool failed = false;
    // The paper being saved, whose folder and name the side files take (the name-field template
    // stands outside its tree).
    CEditPrint* root = nullptr;
    // The names that placeholders of the paper keep, which no side file of the save may take.
    std::set<std::string> keptReferences;
    // When set, side files are written under temporary names of this group, to be put in place
    // with the print file; otherwise straight to their names.
    FileReplacementGroup* group = nullptr;
};
SIDE_FILE_COUNTERS& SideFileCounters();
void ResetSideFileCounters();
