// The stream classes of the inline node families: kanbun cells and their boxes, ruby, tables,
// in-text answers, labelled underlines, pictures and floating frames.
#pragma once

#include "platform/archive.h"

// Adds the classes to the registry; the reading-mark editor's root only with editorRoots (the
// formula editor has none).
void RegisterInlineNodeClasses(CRuntimeClassRegistry& registry, bool editorRoots);
