// Converting the editing tree of a paper into XSL-FO element objects before it is written as a
// print file: one fo:block-container per question part, one fo:block per line, one fo:inline per
// run of equally formatted characters, and instream objects for question numbers and points
// labels.
#pragma once

struct XML_BUILD_CONTEXT;
class CEditNode;
class CEditPrint;
class CQNXMLNode;

// Converts node into children of parent: the root into its parts, a container into its lines.
// A node of another kind, or a container without children, adds nothing. The caller owns the
// output tree.
void BuildXmlTree(CEditNode* node, CQNXMLNode* parent, XML_BUILD_CONTEXT* context);
void BuildXmlPrint(CEditPrint* root, CQNXMLNode* parent, XML_BUILD_CONTEXT* context);

// The numbering of the side files (pictures and embedded objects) of one save. The save resets
// it once at its start, so that no two side files of one save share a name.
struct SIDE_FILE_COUNTERS {
    int pictures = 0;
    int objects = 0;
};
SIDE_FILE_COUNTERS& SideFileCounters();
void ResetSideFileCounters();
