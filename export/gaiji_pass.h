// The gaiji pass over an output element tree: before a formula or kanbun passage is written as
// a fragment file for a word processor, each character that only the gaiji font draws becomes the
// character at whose code that font holds its shape, set in the gaiji face.
#pragma once

class CQNXMLNode;

// The gaiji face, and its vertical form that fo:inline runs take in vertical writing.
inline constexpr char kGaijiFace[] = "Orvellan Gaiji";
inline constexpr char kVerticalGaijiFace[] = "@Orvellan Gaiji";

// Rewrites the children of element and their descendants in place (element itself is not
// looked at). An fo:inline run is split where its characters change between mapped and not:
// the mapped runs take the gaiji face ("@" form when vertical), the others keep their own, and
// no character is lost; the pass does not descend into an fo:inline. A MathML element other than
// mo gets every mappable character of its text mapped and, when one was, the horizontal gaiji
// face in both writing directions. Running out of memory ends the pass over the remaining
// children of the element being treated; what was rewritten stays.
void ApplyGaijiFont(CQNXMLNode* element, bool vertical);
