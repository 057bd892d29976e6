#pragma once

#include "cpm/Texto.h"

// Plain CP/M and AMSDOS text files: the library's rules, which writing shares.
namespace Ver {

using cpm::ConFinesCpm;
using cpm::ConFinesUnix;
using cpm::HastaFinDeTexto;
using cpm::PareceTexto;
using cpm::PareceTextoCpc;

} // namespace Ver
