#include "ver/Basic.h"

#include "FichasBasic.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string_view>

namespace Ver {
namespace {

using namespace Fichas;

std::uint16_t LeerPalabra(std::span<const std::uint8_t> b, std::size_t i) {
  return static_cast<std::uint16_t>(b[i] | (b[i + 1] << 8));
}

std::string Hex(std::uint32_t v) {
  char texto[16];
  std::snprintf(texto, sizeof texto, "%X", v);
  return texto;
}

std::string Binario(std::uint32_t v) {
  std::string s;
  do {
    s.insert(s.begin(), static_cast<char>('0' + (v & 1)));
    v >>= 1;
  } while (v != 0);
  return s;
}

bool Letra(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool Cifra(char c) { return c >= '0' && c <= '9'; }

// Reads the tokens of one line. Keeps its position and the first fault.
//
// LIST separates items the program stores run together, as the CPC's ROM
// does: after an item that ends like a word (a keyword ending in a letter,
// digit or period, a number, an untyped variable, an RSX name) it prints one
// blank before a keyword that begins with a letter, a variable, a number, or
// a plain letter, digit, '.', '!', '$' or '%'. Anything else printed ends no
// word. Stored blanks are printed as they are.
class LectorLinea {
public:
  LectorLinea(std::span<const std::uint8_t> programa, std::span<const std::uint8_t> tokens)
      : programa_(programa), t_(tokens) {}

  // Appends the line's text to `salida`; false (with `fallo_` set) on damage.
  bool Listar(std::string &salida) {
    while (i_ < t_.size()) {
      const std::uint8_t c = t_[i_++];
      if (c == kFinLinea) {
        return true;
      }
      if (!Token(c, salida)) {
        return false;
      }
    }
    fallo_ = "la línea no termina en &00";
    return false;
  }

  [[nodiscard]] const std::string &Fallo() const { return fallo_; }

private:
  // `cortado` agrees with `que`: "número cortado", "variable cortada".
  bool Quedan(std::size_t n, const char *que, const char *cortado = " cortado") {
    if (t_.size() - i_ >= n) {
      return true;
    }
    fallo_ = std::string(que) + cortado;
    return false;
  }

  bool Token(std::uint8_t c, std::string &s) {
    if (c == kSeparador) {
      // LIST prints no colon before ELSE and before a ' comment.
      if (i_ < t_.size() && (t_[i_] == kElse || t_[i_] == kComentario)) {
        return true;
      }
      s += ':';
      palabra_ = false;
      return true;
    }
    if (c <= 0x0D) {
      return Variable(c, s);
    }
    if (c >= kCifra0 && c <= kCifra10) {
      Separar(s);
      s += std::to_string(c - kCifra0);
      palabra_ = true;
      return true;
    }
    if (c >= kEntero8 && c <= kReal) {
      return Numero(c, s);
    }
    if (c == kComillas) {
      Cadena(s);
      palabra_ = false;
      return true;
    }
    if (c == kRsx) {
      return Rsx(s);
    }
    if (c < 0x80) {
      Suelto(static_cast<char>(c), s);
      return true;
    }
    if (c == kPrefijoFuncion) {
      return PrefijoFuncion(s);
    }
    return PalabraClave(c, s);
  }

  bool PalabraClave(std::uint8_t c, std::string &s) {
    const char *palabra = kPalabras[c - 0x80];
    if (*palabra == '\0') {
      fallo_ = "código &" + Hex(c) + " desconocido";
      return false;
    }
    Palabra(palabra, s);
    // FN takes its function's name with no blank.
    palabra_ = palabra_ && c != kFn;
    if (c == kRem || c == kComentario) {
      TextoCrudo(s, false);
    } else if (c == kData) {
      TextoCrudo(s, true);
    }
    return true;
  }

  // REM and ' keep the rest of the line as typed; DATA keeps its items up
  // to the next statement, and a colon inside quotes belongs to an item.
  // LIST still spells out every keyword byte (&80 and above) of a DATA
  // statement outside its quotes: programs that POKE their own DATA lines
  // leave such bytes there, and the CPC prints OPENIN for &B6.
  void TextoCrudo(std::string &s, bool hastaSeparador) {
    bool enComillas = false;
    while (i_ < t_.size() && t_[i_] != kFinLinea) {
      const std::uint8_t c = t_[i_];
      if (hastaSeparador && !enComillas && c == kSeparador) {
        return;
      }
      enComillas ^= c == kComillas;
      ++i_;
      if (hastaSeparador && !enComillas && c >= 0x80 && PalabraEnData(c, s)) {
        continue;
      }
      Suelto(static_cast<char>(c), s);
    }
  }

  // A keyword or &FF function inside DATA, by name; false (nothing read) when
  // the byte names none, and it is printed as it is.
  bool PalabraEnData(std::uint8_t c, std::string &s) {
    if (c == kPrefijoFuncion) {
      const char *funcion = i_ < t_.size() ? Funcion(t_[i_]) : nullptr;
      if (funcion == nullptr) {
        return false;
      }
      ++i_;
      Palabra(funcion, s);
      return true;
    }
    const char *palabra = kPalabras[c - 0x80];
    if (*palabra == '\0') {
      return false;
    }
    Palabra(palabra, s);
    return true;
  }

  void Cadena(std::string &s) {
    s += '"';
    while (i_ < t_.size() && t_[i_] != kFinLinea) {
      const std::uint8_t c = t_[i_++];
      s += static_cast<char>(c);
      if (c == kComillas) {
        return;
      }
    }
  }

  // A name whose last character has bit 7 set.
  bool Nombre(std::string &s) {
    for (std::size_t n = 0; i_ < t_.size(); ++n) {
      const std::uint8_t c = t_[i_++];
      if (c == kFinLinea) {
        break;
      }
      s += static_cast<char>(c & 0x7F);
      if ((c & 0x80) != 0) {
        return true;
      }
    }
    fallo_ = "nombre sin final";
    return false;
  }

  bool Variable(std::uint8_t c, std::string &s) {
    if (c >= 0x05 && c <= 0x0A) {
      fallo_ = "código &" + Hex(c) + " desconocido";
      return false;
    }
    // Two bytes of offset into the variable table, then the name.
    if (!Quedan(2, "variable", " cortada")) {
      return false;
    }
    i_ += 2;
    Separar(s);
    if (!Nombre(s)) {
      return false;
    }
    palabra_ = c >= 0x0B;
    if (c == 0x02) {
      s += '%';
    } else if (c == 0x03) {
      s += '$';
    } else if (c == 0x04) {
      s += '!';
    }
    return true;
  }

  bool Rsx(std::string &s) {
    // A byte of offset to the tokens after the name, then the name.
    if (!Quedan(1, "RSX")) {
      return false;
    }
    ++i_;
    s += '|';
    palabra_ = true;
    return Nombre(s);
  }

  bool PrefijoFuncion(std::string &s) {
    if (!Quedan(1, "función", " cortada")) {
      return false;
    }
    const std::uint8_t codigo = t_[i_++];
    const char *funcion = Funcion(codigo);
    if (funcion == nullptr) {
      fallo_ = "función &FF &" + Hex(codigo) + " desconocida";
      return false;
    }
    Palabra(funcion, s);
    return true;
  }

  bool Numero(std::uint8_t c, std::string &s) {
    Separar(s);
    palabra_ = true;
    if (c == kEntero8) {
      if (!Quedan(1, "número")) {
        return false;
      }
      s += std::to_string(t_[i_++]);
      return true;
    }
    if (c == kReal) {
      if (!Quedan(5, "número")) {
        return false;
      }
      s += TextoReal(std::span<const std::uint8_t, 5>(t_.subspan(i_, 5)));
      i_ += 5;
      return true;
    }
    if (!Quedan(2, "número")) {
      return false;
    }
    const std::uint16_t v = Palabra16();
    switch (c) {
    case kEntero16: s += std::to_string(v); break;
    case kBinario: s += "&X" + Binario(v); break;
    case kHexadecimal: s += "&" + Hex(v); break;
    case kNumeroLinea: s += std::to_string(v); break;
    case kPunteroLinea: return PunteroLinea(v, s);
    default: break; // Numero is only called for the codes above
    }
    return true;
  }

  std::uint16_t Palabra16() {
    const std::uint16_t v = LeerPalabra(t_, i_);
    i_ += 2;
    return v;
  }

  // The pointer holds the address of the byte before the target line's record.
  bool PunteroLinea(std::uint16_t direccion, std::string &s) {
    const std::uint32_t registro = static_cast<std::uint32_t>(direccion) + 1;
    if (registro < kInicioPrograma ||
        registro - kInicioPrograma + kCabeceraLinea > programa_.size()) {
      fallo_ = "puntero de línea &" + Hex(direccion) + " fuera del programa";
      return false;
    }
    s += std::to_string(LeerPalabra(programa_, registro - kInicioPrograma + 2));
    return true;
  }

  void Separar(std::string &s) const {
    if (palabra_) {
      s += ' ';
    }
  }

  void Palabra(std::string_view texto, std::string &s) {
    if (Letra(texto.front())) {
      Separar(s);
    }
    s += texto;
    const char ultima = texto.back();
    palabra_ = Letra(ultima) || Cifra(ultima) || ultima == '.';
  }

  // A character stored as itself, outside strings.
  void Suelto(char c, std::string &s) {
    if (Letra(c) || Cifra(c) || c == '.' || c == '!' || c == '$' || c == '%') {
      Separar(s);
    }
    s += c;
    palabra_ = false;
  }

  std::span<const std::uint8_t> programa_;
  std::span<const std::uint8_t> t_;
  std::size_t i_ = 0;
  std::string fallo_;
  bool palabra_ = false; // the last item printed ends like a word
};

// The mantissa's nine significant digits and the decimal exponent of the first.
struct Decimal {
  std::string cifras;
  int exponente = 0;
};

Decimal NueveCifras(double v) {
  char texto[32];
  std::snprintf(texto, sizeof texto, "%.8e", v); // d.dddddddde±xx
  Decimal d;
  d.cifras = std::string(1, texto[0]) + std::string(texto + 2, 8);
  d.exponente = std::atoi(texto + 11);
  while (d.cifras.size() > 1 && d.cifras.back() == '0') {
    d.cifras.pop_back();
  }
  return d;
}

} // namespace

std::string TextoReal(std::span<const std::uint8_t, 5> b) {
  // Four bytes of mantissa, lowest first, whose top bit is the sign (the
  // hidden leading 1 takes its place), and an exponent biased by 128.
  if (b[4] == 0) {
    return "0";
  }
  const std::uint32_t mantisa = static_cast<std::uint32_t>(b[0]) | (b[1] << 8) | (b[2] << 16) |
                                (static_cast<std::uint32_t>(b[3] | 0x80) << 24);
  const double v = std::ldexp(static_cast<double>(mantisa), b[4] - 128 - 32);
  const Decimal d = NueveCifras(v);
  std::string s = (b[3] & 0x80) != 0 ? "-" : "";
  const int n = static_cast<int>(d.cifras.size());
  if (d.exponente >= 9 || (d.exponente < 0 && n - d.exponente > 10)) {
    // Too long for nine places: mantissa and a signed two-digit exponent.
    char exp[16];
    std::snprintf(exp, sizeof exp, "E%c%02d", d.exponente < 0 ? '-' : '+', std::abs(d.exponente));
    s += d.cifras.substr(0, 1);
    if (n > 1) {
      s += "." + d.cifras.substr(1);
    }
    return s + exp;
  }
  if (d.exponente < 0) {
    return s + "0." + std::string(static_cast<std::size_t>(-d.exponente - 1), '0') + d.cifras;
  }
  const auto enteros = static_cast<std::size_t>(d.exponente + 1);
  if (static_cast<std::size_t>(n) <= enteros) {
    return s + d.cifras + std::string(enteros - static_cast<std::size_t>(n), '0');
  }
  return s + d.cifras.substr(0, enteros) + "." + d.cifras.substr(enteros);
}

namespace {

// What follows a program's end mark. A loader often carries its machine code
// there, under the same header, and runs it with CALL; zeros and ^Z are only
// the filler of the last record.
std::string TrasElFinal(std::span<const std::uint8_t> resto) {
  const bool relleno = std::all_of(resto.begin(), resto.end(),
                                   [](std::uint8_t b) { return b == 0x00 || b == 0x1A; });
  if (relleno) {
    return {};
  }
  return "sigue código máquina (" + std::to_string(resto.size()) +
         (resto.size() == 1 ? " byte)" : " bytes)");
}

} // namespace

ListadoBasic ListarBasic(std::span<const std::uint8_t> programa) {
  ListadoBasic r;
  std::size_t i = 0;
  while (i + 2 <= programa.size()) {
    const std::uint16_t largo = LeerPalabra(programa, i);
    if (largo == 0) {
      r.nota = TrasElFinal(programa.subspan(i + 2)); // the program's end mark
      return r;
    }
    if (largo < kCabeceraLinea + 1 || largo > programa.size() - i) {
      r.parcial = true;
      r.nota = "línea de largo " + std::to_string(largo) + " en el byte " + std::to_string(i) +
               " no cabe en el programa";
      return r;
    }
    const std::uint16_t numero = LeerPalabra(programa, i + 2);
    std::string linea = std::to_string(numero) + " ";
    LectorLinea lector(programa, programa.subspan(i + kCabeceraLinea, largo - kCabeceraLinea));
    const bool bien = lector.Listar(linea);
    r.texto += linea + "\n";
    if (!bien) {
      r.parcial = true;
      r.nota = "línea " + std::to_string(numero) + ": " + lector.Fallo();
      return r;
    }
    i += largo;
  }
  // A program cut short of its end mark: what was whole is listed.
  if (i != programa.size()) {
    r.parcial = true;
    r.nota = "el programa acaba a mitad de una línea";
  }
  return r;
}

} // namespace Ver
