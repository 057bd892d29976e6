#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// The codes of a tokenised Locomotive BASIC 1.1 program, shared by the lister
// and the tokeniser so that one table says what each byte is.
namespace Ver::Fichas {

// Keywords &80..&FE; empty where Locomotive BASIC 1.1 has none.
inline constexpr std::array<const char *, 0x7F> kPalabras = {"AFTER",
                                                             "AUTO",
                                                             "BORDER",
                                                             "CALL",
                                                             "CAT",
                                                             "CHAIN",
                                                             "CLEAR",
                                                             "CLG",
                                                             "CLOSEIN",
                                                             "CLOSEOUT",
                                                             "CLS",
                                                             "CONT",
                                                             "DATA",
                                                             "DEF",
                                                             "DEFINT",
                                                             "DEFREAL",
                                                             "DEFSTR",
                                                             "DEG",
                                                             "DELETE",
                                                             "DIM",
                                                             "DRAW",
                                                             "DRAWR",
                                                             "EDIT",
                                                             "ELSE",
                                                             "END",
                                                             "ENT",
                                                             "ENV",
                                                             "ERASE",
                                                             "ERROR",
                                                             "EVERY",
                                                             "FOR",
                                                             "GOSUB",
                                                             "GOTO",
                                                             "IF",
                                                             "INK",
                                                             "INPUT",
                                                             "KEY",
                                                             "LET",
                                                             "LINE",
                                                             "LIST",
                                                             "LOAD",
                                                             "LOCATE",
                                                             "MEMORY",
                                                             "MERGE",
                                                             "MID$",
                                                             "MODE",
                                                             "MOVE",
                                                             "MOVER",
                                                             "NEXT",
                                                             "NEW",
                                                             "ON",
                                                             "ON BREAK",
                                                             "ON ERROR GOTO",
                                                             "ON SQ",
                                                             "OPENIN",
                                                             "OPENOUT",
                                                             "ORIGIN",
                                                             "OUT",
                                                             "PAPER",
                                                             "PEN",
                                                             "PLOT",
                                                             "PLOTR",
                                                             "POKE",
                                                             "PRINT",
                                                             "'",
                                                             "RAD",
                                                             "RANDOMIZE",
                                                             "READ",
                                                             "RELEASE",
                                                             "REM",
                                                             "RENUM",
                                                             "RESTORE",
                                                             "RESUME",
                                                             "RETURN",
                                                             "RUN",
                                                             "SAVE",
                                                             "SOUND",
                                                             "SPEED",
                                                             "STOP",
                                                             "SYMBOL",
                                                             "TAG",
                                                             "TAGOFF",
                                                             "TROFF",
                                                             "TRON",
                                                             "WAIT",
                                                             "WEND",
                                                             "WHILE",
                                                             "WIDTH",
                                                             "WINDOW",
                                                             "WRITE",
                                                             "ZONE",
                                                             "DI",
                                                             "EI",
                                                             "FILL",
                                                             "GRAPHICS",
                                                             "MASK",
                                                             "FRAME",
                                                             "CURSOR",
                                                             "",
                                                             "ERL",
                                                             "FN",
                                                             "SPC",
                                                             "STEP",
                                                             "SWAP",
                                                             "",
                                                             "",
                                                             "TAB",
                                                             "THEN",
                                                             "TO",
                                                             "USING",
                                                             ">",
                                                             "=",
                                                             ">=",
                                                             "<",
                                                             "<>",
                                                             "<=",
                                                             "+",
                                                             "-",
                                                             "*",
                                                             "/",
                                                             "^",
                                                             "\\",
                                                             "AND",
                                                             "MOD",
                                                             "OR",
                                                             "XOR",
                                                             "NOT"};

// Functions after the &FF prefix: three runs of codes, each from its first.
inline constexpr std::array<const char *, 0x1E> kFuncionesBajas = {
    "ABS",   "ASC", "ATN",    "CHR$", "CINT", "COS",  "CREAL", "EXP",    "FIX",    "FRE",
    "INKEY", "INP", "INT",    "JOY",  "LEN",  "LOG",  "LOG10", "LOWER$", "PEEK",   "REMAIN",
    "SGN",   "SIN", "SPACE$", "SQ",   "SQR",  "STR$", "TAN",   "UNT",    "UPPER$", "VAL"};
inline constexpr std::array<const char *, 0x0A> kFuncionesSinArgumentos = {
    "EOF", "ERR", "HIMEM", "INKEY$", "PI", "RND", "TIME", "XPOS", "YPOS", "DERR"};
inline constexpr std::array<const char *, 0x0F> kFuncionesVarias = {
    "BIN$",   "DEC$",  "HEX$",    "INSTR", "LEFT$", "MAX",      "MIN", "POS",
    "RIGHT$", "ROUND", "STRING$", "TEST",  "TESTR", "COPYCHR$", "VPOS"};

struct TramoFunciones {
  std::uint8_t primero;
  const char *const *nombres;
  std::size_t cuantos;
};
inline constexpr std::array<TramoFunciones, 3> kTramosFunciones = {{
    {0x00, kFuncionesBajas.data(), kFuncionesBajas.size()},
    {0x40, kFuncionesSinArgumentos.data(), kFuncionesSinArgumentos.size()},
    {0x71, kFuncionesVarias.data(), kFuncionesVarias.size()},
}};

// The function an &FF code names, or null.
inline const char *Funcion(std::uint8_t codigo) {
  for (const TramoFunciones &t : kTramosFunciones) {
    if (codigo >= t.primero && static_cast<std::size_t>(codigo - t.primero) < t.cuantos) {
      return t.nombres[codigo - t.primero];
    }
  }
  return nullptr;
}

inline constexpr std::uint8_t kFinLinea = 0x00;
inline constexpr std::uint8_t kSeparador = 0x01;
inline constexpr std::uint8_t kCifra0 = 0x0E; // &0E..&18 stand for 0..10
inline constexpr std::uint8_t kCifra10 = 0x18;
inline constexpr std::uint8_t kEntero8 = 0x19;
inline constexpr std::uint8_t kEntero16 = 0x1A;
inline constexpr std::uint8_t kBinario = 0x1B;
inline constexpr std::uint8_t kHexadecimal = 0x1C;
inline constexpr std::uint8_t kPunteroLinea = 0x1D;
inline constexpr std::uint8_t kNumeroLinea = 0x1E;
inline constexpr std::uint8_t kReal = 0x1F;
inline constexpr std::uint8_t kComillas = 0x22;
inline constexpr std::uint8_t kRsx = 0x7C;
inline constexpr std::uint8_t kData = 0x8C;
inline constexpr std::uint8_t kElse = 0x97;
inline constexpr std::uint8_t kComentario = 0xC0;
inline constexpr std::uint8_t kFn = 0xE4;
inline constexpr std::uint8_t kRem = 0xC5;
inline constexpr std::uint8_t kPrefijoFuncion = 0xFF;

// A line record: length word (counting itself), line number word, tokens, &00.
inline constexpr std::size_t kCabeceraLinea = 4;
// BASIC programs sit at &0170 in the CPC's memory; line pointers (&1D) left by
// a program that ran before it was saved are addresses there.
inline constexpr std::uint32_t kInicioPrograma = 0x0170;

} // namespace Ver::Fichas
