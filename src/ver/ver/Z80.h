#pragma once

#include "ver/Listado.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

// Machine code for the CPC's Z80, disassembled.
namespace Ver {

// What one instruction does to the flow of the program.
enum class Flujo {
  Sigue,    // on to the next instruction
  Salta,    // JP, JR: only to its target
  SaltaSi,  // a conditional JP, JR or DJNZ: to its target or on
  Llama,    // CALL, RST: to its target, and back
  Vuelve,   // RET, RETI, RETN, JP (HL): nowhere this listing can follow
  VuelveSi, // a conditional RET
};

struct Instruccion {
  std::size_t largo = 0; // bytes; 0 when the bytes end inside the instruction
  std::string texto;     // "LD A,(IX+&05)", numbers in CPC hex
  Flujo flujo = Flujo::Sigue;
  std::optional<std::uint16_t> destino; // of a jump, call or RST
};

// The instruction at the start of `bytes`, which sits at `direccion`. Every
// opcode decodes, documented or not (IX/IY halves, SLL, the DD CB and ED forms).
Instruccion DecodificarZ80(std::span<const std::uint8_t> bytes, std::uint16_t direccion);

// The firmware routine whose jumpblock entry is at `direccion` ("TXT OUTPUT"),
// or empty.
std::string_view NombreFirmware(std::uint16_t direccion);

// The listing of `codigo` loaded at `origen`: one line per instruction or per
// run of data bytes, with the address and the bytes, labels for targets inside
// the file and the firmware's names beside calls and jumps into its
// jumpblocks. Code is told from data by following the flow from `entrada` (or
// from `origen`); every byte appears on some line.
Listado DesensamblarZ80(std::span<const std::uint8_t> codigo, std::uint16_t origen,
                        std::optional<std::uint16_t> entrada = std::nullopt);

} // namespace Ver
