#include "nodes/inline_node_classes.h"

#include "nodes/edit_table.h"
#include "nodes/floating_frame.h"
#include "nodes/in_text_answer.h"
#include "nodes/kanbun_cell.h"
#include "nodes/kunten_box.h"
#include "nodes/labelled_underline.h"
#include "nodes/picture_node.h"
#include "nodes/ruby.h"

void RegisterInlineNodeClasses(CRuntimeClassRegistry& registry, bool editorRoots)
{
    for (const CRuntimeClass* runtimeClass :
         {RUNTIME_CLASS(CEditKanChar), RUNTIME_CLASS(CEditKanCR), RUNTIME_CLASS(CEditKan), RUNTIME_CLASS(CEditKunten),
          RUNTIME_CLASS(CEditOkurigana), RUNTIME_CLASS(CEditRuby), RUNTIME_CLASS(CEditRubyBase),
          RUNTIME_CLASS(CEditRubyText), RUNTIME_CLASS(CEditTable), RUNTIME_CLASS(CEditCell),
          RUNTIME_CLASS(CEditCyukai), RUNTIME_CLASS(CEditKasen), RUNTIME_CLASS(CEditGraphic),
          RUNTIME_CLASS(CEditFloat)})
        registry.Add(runtimeClass);
    if (editorRoots)
        registry.Add(RUNTIME_CLASS(CEditEditKan));
}
