#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

// A tokenised Locomotive BASIC program written byte by byte, using every kind
// of token, and the text LIST prints for it.
class ProgramaBasic {
public:
  // Adds a line; `texto` is what LIST prints for it after the number and a blank.
  ProgramaBasic &Linea(std::uint16_t numero, std::initializer_list<int> tokens,
                       const std::string &texto) {
    inicios_.push_back(bytes_.size());
    const std::size_t largo = 4 + tokens.size() + 1;
    bytes_.push_back(largo & 0xFF);
    bytes_.push_back(largo >> 8);
    bytes_.push_back(numero & 0xFF);
    bytes_.push_back(numero >> 8);
    for (const int t : tokens) {
      bytes_.push_back(static_cast<std::uint8_t>(t));
    }
    bytes_.push_back(0x00);
    listado_ += std::to_string(numero) + " " + texto + "\n";
    return *this;
  }
  // The address LIST's line pointer (&1D) holds for line record `indice`:
  // programs sit at &0170 and the pointer names the byte before the record.
  [[nodiscard]] std::uint16_t Direccion(std::size_t indice) const {
    return static_cast<std::uint16_t>(0x170 + inicios_.at(indice) - 1);
  }
  [[nodiscard]] std::vector<std::uint8_t> Bytes() const {
    std::vector<std::uint8_t> b = bytes_;
    b.push_back(0x00);
    b.push_back(0x00);
    return b;
  }
  [[nodiscard]] const std::string &Listado() const { return listado_; }

private:
  std::vector<std::uint8_t> bytes_;
  std::vector<std::size_t> inicios_;
  std::string listado_;
};

// A program with every token kind: keywords, &FF functions, the three typed
// and the untyped variables with their offset bytes, every integer form,
// floats, line numbers and pointers, strings, REM, ', DATA, RSX and the
// colon LIST hides before ELSE and '.
inline ProgramaBasic ProgramaCompleto() {
  constexpr int B = 0x80; // bit 7 ends a name
  ProgramaBasic p;
  p.Linea(10, {0x8A, 0x01, 0xBF, ' ', 0x22, 'H', 'O', 'L', 'A', 0x22}, "CLS:PRINT \"HOLA\"");
  p.Linea(20,
          {0x02, 0x00, 0x00, 'a' | B, 0xEF, 0x13, 0x01, 0x03, 0x12, 0x34, 'n', 'o', 'm' | B, 0xEF,
           0x04, 0x00, 0x00, 'c' | B, 0xF4, 0x0D, 0x00, 0x00, 't',  'o',  't', 'a', 'l' | B},
          "a%=5:nom$=c!+total");
  // 123, 12345, &FF, &X101, PI as stored, -10
  p.Linea(30,
          {0x0B, 0x00, 0x00, 'x' | B, 0xEF, 0x19, 123,  0xF4, 0x1A, 0x39, 0x30, 0xF4, 0x1C, 0xFF,
           0x00, 0xF4, 0x1B, 0x05,    0x00, 0xF6, 0x1F, 0xA2, 0xDA, 0x0F, 0x49, 0x82, 0xF5, 0x18},
          "x=123+12345+&FF+&X101*3.14159265-10");
  p.Linea(40, {0xA0, ' ', 0x1E, 0x0A, 0x00}, "GOTO 10");
  p.Linea(50, {0x9F, ' ', 0x1D, 0x00, 0x00}, "GOSUB 20"); // pointer patched below
  p.Linea(60,
          {0xA1, ' ', 0x0D, 0x00, 0x00, 'a' | B, ' ', 0xEB, ' ', 0xBF, ' ', 0x0F, ' ', 0x01, 0x97,
           ' ', 0xBF, ' ', 0x10},
          "IF a THEN PRINT 1 ELSE PRINT 2");
  p.Linea(70,
          {0xBF, ' ',  0xFF, 0x1C, '(',  0x03, 0x00, 0x00, 'n', 'o', 'm' | B, ')', ';', 0xFF, 0x0E,
           '(',  0x22, 'A',  'B',  0x22, ')',  0x01, 0xC5, ' ', 'f', 'i',     'n', ':', 0x8A, '"'},
          "PRINT UPPER$(nom$);LEN(\"AB\"):REM fin:\x8A\"");
  p.Linea(80,
          {0x8C, ' ', '1', ',', '"', 'a', ':', 'b', '"', ',', 'c', 0x01, 0x7C, 0x00, 'D', 'I', 'S',
           'C' | B},
          "DATA 1,\"a:b\",c:|DISC");
  p.Linea(90, {0x8A, ' ', 0x01, 0xC0, ' ', 'n', 'o', 't', 'a', ':', 0xBF}, "CLS ' nota:\xBF");
  p.Linea(100, {0x0B, 0x00, 0x00, 'x' | B, 0xEF, 0xFF, 0x44, 0x01, 0x0B, 0x00, 0x00, 'y' | B, 0xEF,
                0x1F, 0x00, 0x00, 0x00,    0x00, 0x80, 0x01, 0xB4, ' ',  0x1E, 0x64, 0x00},
          "x=PI:y=0.5:ON ERROR GOTO 100");
  p.Linea(110, {0xA1, ' ',  0x0B, 0x00, 0x00, 'x' | B, 0xF2, 0x0B, 0x00,    0x00, 'y' | B,
                ' ',  0xFA, ' ',  0xFE, ' ',  0x0B,    0x00, 0x00, 'z' | B, 0xF0, 0x0E,
                ' ',  0xEB, ' ',  0x98, 0x01, 0xFF,    0x71, '(',  0x0E,    ')'},
          "IF x<>y AND NOT z>=0 THEN END:BIN$(0)");
  return p;
}

// The same program with line 50's pointer aimed at line 20.
inline std::vector<std::uint8_t> BytesProgramaCompleto() {
  const ProgramaBasic p = ProgramaCompleto();
  std::vector<std::uint8_t> b = p.Bytes();
  // Line 50 is record 4: length, number, GOSUB, blank, &1D, then the address.
  const std::size_t registro50 = p.Direccion(4) + 1 - 0x170;
  const std::uint16_t destino = p.Direccion(1);
  b[registro50 + 7] = destino & 0xFF;
  b[registro50 + 8] = destino >> 8;
  return b;
}
