// CEditError: how an editing operation abandons its work when it finds the tree not as it needs
// it (a caret node missing from its parent, a neighbour that is gone). The operation that throws
// it catches it itself, takes back what it had changed and reports failure to its caller. Other
// exceptions (a failed allocation) are not caught by the editing operations: they take back
// their changes on the way out and let the exception reach the command that called them.
#pragma once

#include <stdexcept>

class CEditError : public std::runtime_error {
public:
    explicit CEditError(const char* what) : std::runtime_error(what) {}
};
