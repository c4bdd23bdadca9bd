// Underline numbering in both editors: the numbering dialog's values and their mapping to and
// from a numbering record with its underline, the defaults the application keeps, and how one
// selected node takes a numbered underline.
#pragma once

#include "base/property_records.h"

#include <memory>
#include <string>

class CEditNode;
class CUndoGroup;

// The values of the underline-numbering dialog: the new flag (only the defaults are set), the
// underline state 0 … 7, the numbering kind (type − 1), the label text of kind 5, the forced
// number (0 automatic), the label face (code page 932) and size (1/100 mm).
struct UNDERLINE_NUMBER_VALUES {
    int newFlag = 0;
    int underlineState = 0;
    int kindIndex = 0;
    std::u16string labelText;
    int force = 0;
    std::string face;
    int size = 0;
};

// The dialog's underline state of an underline (style, width), and back: 0 (1, 1), 1 (2, 1),
// 2 (1, 3), 3 (4, 1), 4 (3, 1), 5 … 7 (5 … 7, 1).
int UnderlineStateOf(int style, int width);
void UnderlineOfState(int state, int* style, int* width);

// The dialog's values from a numbering record and its underline, and the record and underline
// from the values the dialog gave back.
UNDERLINE_NUMBER_VALUES NumberingToDialog(int newFlag, const CKasenRenbanProperties& numbering,
                                          const CCharacterProperties& underline);
void NumberingFromDialog(const UNDERLINE_NUMBER_VALUES& values, CKasenRenbanProperties* numbering,
                         CCharacterProperties* underline);

// The application's underline-numbering defaults ("Settings\Bango"): the numbering record and
// the underline style and width that "下線連番挿入" applies.
class INumberingDefaults {
public:
    virtual ~INumberingDefaults() = default;
    virtual void GetNumberingDefaults(CKasenRenbanProperties* numbering, CCharacterProperties* underline) const = 0;
    virtual void SetNumberingDefaults(const CKasenRenbanProperties& numbering, const CCharacterProperties& underline) = 0;
};

// Defaults kept in memory: the first values of a new installation.
class CNumberingDefaults : public INumberingDefaults {
public:
    CNumberingDefaults();
    void GetNumberingDefaults(CKasenRenbanProperties* numbering, CCharacterProperties* underline) const override;
    void SetNumberingDefaults(const CKasenRenbanProperties& numbering, const CCharacterProperties& underline) override;

private:
    CKasenRenbanProperties m_numbering;
    CCharacterProperties m_underline;
};

// Gives a node the underline of its kind: a kanbun cell its cell underline, a ruby the box
// underline and its base characters the character underline, a character the character
// underline, and, when boxes is set, any other container or formula the box underline. The
// group records the changes, or none is given and nothing is recorded.
void SetRunUnderline(CEditNode* node, int style, int width, CUndoGroup* group, bool boxes = true);

// The numbering of a node where a numbered underline comes from: its record and its underline
// (a kanbun cell's cell underline, else the character underline).
void NumberingOfNode(const CEditNode& node, CKasenRenbanProperties* numbering, CCharacterProperties* underline);
