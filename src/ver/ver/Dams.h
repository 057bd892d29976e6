#pragma once

#include "ver/Listado.h"

#include <cstdint>
#include <span>

// Assembler sources as the DAMS (and ADAM) editor saves them: tokenised lines.
namespace Ver {

// One line of text per source line: the label, the mnemonic from the token
// table, the operands and the comment, in columns. A source cut short or
// holding a byte no line may hold is listed up to there, marked partial.
Listado ListarDams(std::span<const std::uint8_t> fuente);

// The bytes read whole as a DAMS source with at least one mnemonic.
bool PareceDams(std::span<const std::uint8_t> bytes);

} // namespace Ver
