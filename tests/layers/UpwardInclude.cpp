// Compiled against the search layer alone: the view lies above it, so this include must fail.
#include "view/ViewState.h"
