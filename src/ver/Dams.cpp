#include "ver/Dams.h"

#include <array>
#include <string_view>

namespace Ver {
namespace {

// DAMS (and ADAM, its relative) keep a source as lines ended by &0D, the whole
// ended by &00 where a line would begin. A line is its label in plain ASCII,
// then a byte &80 + n for mnemonic n of the table below followed by the
// operands as typed, then &FF and the comment's text. The table is DAMS's
// own order (as damsdecode, Pascal Séguy's converter, lists it).
constexpr std::array<std::string_view, 77> kMnemonicos{
    "LD",   "INC",  "DEC",  "ADD",  "ADC",  "SUB",  "SBC",  "AND",  "XOR",  "OR",   "CP",
    "PUSH", "POP",  "BIT",  "RES",  "SET",  "RLC",  "RRC",  "RL",   "RR",   "SLA",  "SRA",
    "SRL",  "IN",   "OUT",  "RST",  "DJNZ", "EX",   "IM",   "JR",   "CALL", "RET",  "JP",
    "NOP",  "RLCA", "RRCA", "RLA",  "RRA",  "DAA",  "CPL",  "SCF",  "CCF",  "HALT", "EXX",
    "DI",   "EI",   "NEG",  "RETN", "RETI", "RRD",  "RLD",  "LDI",  "CPI",  "INI",  "OUTI",
    "LDD",  "CPD",  "IND",  "OUTD", "LDIR", "CPIR", "INIR", "OTIR", "LDDR", "CPDR", "INDR",
    "OTDR", "DEFB", "DEFW", "DEFM", "DEFS", "EQU",  "ORG",  "ENT",  "IF",   "ELSE", "END"};

constexpr std::uint8_t kFinLinea = 0x0D;
constexpr std::uint8_t kFinFuente = 0x00;
constexpr std::uint8_t kComentario = 0xFF;
constexpr std::uint8_t kPrimerToken = 0x80;

// The columns of a line: label, mnemonic, operands, comment.
constexpr std::size_t kColMnemonico = 8;
constexpr std::size_t kColOperandos = 16;
constexpr std::size_t kColComentario = 32;

std::string Hex2(std::uint8_t c) {
  constexpr std::string_view kCifras = "0123456789ABCDEF";
  return {'&', kCifras[c >> 4], kCifras[c & 15]};
}

void HastaColumna(std::string &linea, std::size_t columna) {
  linea.resize(std::max(linea.size() + (linea.empty() ? 0 : 1), columna), ' ');
}

struct Lectura {
  Listado listado;
  int mnemonicos = 0;
};

Lectura Leer(std::span<const std::uint8_t> f) {
  Lectura r;
  std::size_t i = 0;
  int numero = 0;
  while (i < f.size() && f[i] != kFinFuente) {
    ++numero;
    std::string linea;
    bool conMnemonico = false;
    bool comentario = false;
    for (; i < f.size() && f[i] != kFinLinea; ++i) {
      const std::uint8_t c = f[i];
      if (comentario) {
        linea += static_cast<char>(c); // comments keep any byte
        continue;
      }
      if (c == kComentario) {
        if (!linea.empty()) {
          HastaColumna(linea, kColComentario);
        }
        linea += ';';
        comentario = true;
        continue;
      }
      if (c >= kPrimerToken) {
        const std::size_t n = c - kPrimerToken;
        if (n >= kMnemonicos.size() || conMnemonico) {
          r.listado.parcial = true;
          r.listado.nota =
              "línea " + std::to_string(numero) + ": código " + Hex2(c) + " inesperado";
          return r;
        }
        HastaColumna(linea, kColMnemonico);
        linea += kMnemonicos[n];
        ++r.mnemonicos;
        HastaColumna(linea, kColOperandos);
        conMnemonico = true;
        continue;
      }
      if (c < 0x20 && c != '\t') {
        r.listado.parcial = true;
        r.listado.nota =
            "línea " + std::to_string(numero) + ": byte de control " + Hex2(c) + " inesperado";
        return r;
      }
      linea += static_cast<char>(c);
    }
    if (i == f.size()) {
      r.listado.parcial = true;
      r.listado.nota = "la fuente acaba a mitad de la línea " + std::to_string(numero);
      return r;
    }
    while (!linea.empty() && linea.back() == ' ') {
      linea.pop_back();
    }
    r.listado.texto += linea + "\n";
    ++i; // the line's &0D
  }
  // A source whose bytes end after a whole line, without the &00, is whole.
  return r;
}

} // namespace

Listado ListarDams(std::span<const std::uint8_t> fuente) { return Leer(fuente).listado; }

bool PareceDams(std::span<const std::uint8_t> bytes) {
  const Lectura r = Leer(bytes);
  return !r.listado.parcial && r.mnemonicos > 0;
}

} // namespace Ver
