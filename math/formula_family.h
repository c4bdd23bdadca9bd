// Registration of the formula family with the node layer and the archives: typing into a
// formula makes formula characters, and archives can create every formula class by name.
#pragma once

class CRuntimeClassRegistry;

// Installs the makers of formula characters and slot ends for caret editing.
void RegisterFormulaFamily();
// Adds every formula class to the registry.
void RegisterMathClasses(CRuntimeClassRegistry& registry);
