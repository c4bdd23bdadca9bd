// The files a program carries inside itself: resources of a named type and a numeric id, compiled
// in with the Qt resource system under ":/<type>/<id>".
#pragma once

#include <string>

enum class ProgramResourceStatus { Loaded, NotFound, Unreadable };

// The complete bytes of the program's resource id of type (for example "PATCHFILE", 205).
ProgramResourceStatus LoadProgramResource(const std::string& type, int id, std::string* bytes);
