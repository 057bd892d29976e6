#include "cpm/Problema.h"

// Stub: replaced by the real code in the next commits.
