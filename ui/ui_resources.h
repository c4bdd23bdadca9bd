// The resources of the shared window pieces (palette tables, command icons) live in this static
// library, so they are registered by hand before first use.
#pragma once

void InitUiResources();
