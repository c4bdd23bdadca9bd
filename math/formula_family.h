// Registration of the formula family with the node layer and the archives: typing into a
// formula makes formula characters, and archives can create every formula class by name.
#pragma once

class CRuntimeClassRegistry;

// Installs the makers of formula characters and slot ends for caret editing.
void RegisterFormulaFamily();
// Adds every formula class to the registry.
void RegisterMathClasses(CRuntimeClassRegistry& registry);
// The classes a node list of the problem editor may hold (the clipboard, the name-field copies):
// every editing node class of the program and every formula class, in a registry of their own.
const CRuntimeClassRegistry& ProblemEditorNodeClasses();
// The classes a node list of the formula editor may hold: its editing node classes and every
// formula class; the paper's own classes (objects, question numbers, points) are not among them.
const CRuntimeClassRegistry& FormulaEditorNodeClasses();
