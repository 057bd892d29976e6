#pragma once

#include "cpm/NombreHost.h"

// The names the command line gives extracted files are the library's.
namespace Cli {
using cpm::NombreHostSeguro;
using cpm::NombreLibre;
} // namespace Cli
