#include "nodes/edit_families.h"

EDIT_FAMILY_MAKERS& EditFamilyMakers()
{
    static EDIT_FAMILY_MAKERS makers;
    return makers;
}
