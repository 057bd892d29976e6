#include "cpm/Formatos.h"

// Stub: replaced by the real code in the next commits.
