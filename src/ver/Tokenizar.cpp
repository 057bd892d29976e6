// Locomotive BASIC 1.1 typed as text, made into the program the CPC keeps:
// the inverse of the lister in Basic.cpp, over the same table of codes.
#include "ver/Basic.h"

#include "FichasBasic.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <map>
#include <string_view>

namespace Ver {
namespace {

using namespace Fichas;

// The CPC's line editor takes 255 characters, the number included.
constexpr std::size_t kLargoLinea = 255;
// A variable's name holds at most 40 characters.
constexpr std::size_t kLargoNombre = 40;
constexpr std::uint32_t kMayorNumeroLinea = 65535;
constexpr std::uint32_t kMayorEntero = 32767; // larger integers are stored as reals
constexpr std::uint8_t kFinTexto = 0x1A;      // ^Z
constexpr std::uint8_t kMarcaNombre = 0x80;   // bit 7 ends a name
constexpr std::uint8_t kVariableSinTipo = 0x0D;
constexpr std::uint8_t kVariableEntera = 0x02, kVariableCadena = 0x03, kVariableReal = 0x04;

// The code of a keyword, by the name LIST prints for it.
constexpr std::uint8_t CodigoDe(std::string_view nombre) {
  for (std::size_t i = 0; i < kPalabras.size(); ++i) {
    if (nombre == kPalabras[i]) {
      return static_cast<std::uint8_t>(0x80 + i);
    }
  }
  return 0;
}

// Keywords after which a whole number is a line number (&1E), as are the
// numbers after it while only blanks, commas and '-' come between them:
// GOTO 10, ON n GOSUB 100,200, LIST 10-50.
constexpr std::array kConNumerosDeLinea{
    CodigoDe("GOTO"),    CodigoDe("GOSUB"), CodigoDe("THEN"), CodigoDe("ELSE"),
    CodigoDe("RESTORE"), CodigoDe("RUN"),   CodigoDe("LIST"), CodigoDe("DELETE"),
    CodigoDe("RENUM"),   CodigoDe("AUTO"),  CodigoDe("EDIT"), CodigoDe("ON ERROR GOTO")};
// DEFINT A-Z: the letters of a DEF statement are kept as plain characters.
constexpr std::array kConLetras{CodigoDe("DEFINT"), CodigoDe("DEFREAL"), CodigoDe("DEFSTR")};
constexpr std::uint8_t kPrint = CodigoDe("PRINT");
constexpr std::uint8_t kMenos = CodigoDe("-");

bool Letra(std::uint8_t c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool Cifra(std::uint8_t c) { return c >= '0' && c <= '9'; }
// What a variable's name is made of after its first letter.
bool DeNombre(std::uint8_t c) { return Letra(c) || Cifra(c) || c == '.'; }
// A hexadecimal digit's value; 16 for anything else.
int ValorCifra(std::uint8_t c) {
  if (Cifra(c)) {
    return c - '0';
  }
  if ((c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f')) {
    return (c & 0x0F) + 9;
  }
  return 16;
}
bool Blanco(std::uint8_t c) { return c == ' ' || c == '\t'; }
char Mayuscula(std::uint8_t c) {
  return static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
}

// A word BASIC knows: its spelling (upper case, blanks as typed between the
// words of ON ERROR GOTO) and the bytes it is stored as.
struct Palabra {
  std::string_view nombre;
  std::uint8_t primero;
  std::uint8_t segundo; // after the &FF prefix; unused for one-byte keywords
  bool prefijo;
};

// Every keyword and &FF function, plus the spellings the ROM also takes
// (GO TO, GO SUB, ? for PRINT), the longest first so that DEFINT is found
// before DEF and INKEY$ before INKEY.
const std::vector<Palabra> &Palabras() {
  static const std::vector<Palabra> palabras = [] {
    std::vector<Palabra> v;
    for (std::size_t i = 0; i < kPalabras.size(); ++i) {
      if (*kPalabras[i] != '\0') {
        v.push_back({kPalabras[i], static_cast<std::uint8_t>(0x80 + i), 0, false});
      }
    }
    for (const TramoFunciones &t : kTramosFunciones) {
      for (std::size_t i = 0; i < t.cuantos; ++i) {
        v.push_back(
            {t.nombres[i], kPrefijoFuncion, static_cast<std::uint8_t>(t.primero + i), true});
      }
    }
    v.push_back({"GO TO", CodigoDe("GOTO"), 0, false});
    v.push_back({"GO SUB", CodigoDe("GOSUB"), 0, false});
    v.push_back({"?", kPrint, 0, false});
    std::stable_sort(v.begin(), v.end(), [](const Palabra &a, const Palabra &b) {
      return a.nombre.size() > b.nombre.size();
    });
    return v;
  }();
  return palabras;
}

// The five bytes of a CPC real for a positive value: a 32-bit mantissa whose
// top bit (always 1) holds the sign, and an exponent biased by 128. False when
// the value is past the largest the CPC holds (about 1.7E+38).
bool BytesReal(double v, std::array<std::uint8_t, 5> &b) {
  b = {};
  if (v == 0) {
    return true;
  }
  int exponente = 0;
  const double fraccion = std::frexp(v, &exponente); // 0.5 <= fraccion < 1
  auto mantisa = static_cast<std::uint64_t>(std::llround(std::ldexp(fraccion, 32)));
  if (mantisa >> 32 != 0) { // rounded up to the next power of two
    mantisa >>= 1;
    ++exponente;
  }
  if (exponente + 128 > 255) {
    return false;
  }
  if (exponente + 128 < 1) {
    return true; // below the smallest the CPC holds: zero
  }
  b = {static_cast<std::uint8_t>(mantisa), static_cast<std::uint8_t>(mantisa >> 8),
       static_cast<std::uint8_t>(mantisa >> 16), static_cast<std::uint8_t>((mantisa >> 24) & 0x7F),
       static_cast<std::uint8_t>(exponente + 128)};
  return true;
}

std::string Hex2(std::uint8_t c) {
  char texto[8];
  std::snprintf(texto, sizeof texto, "&%02X", static_cast<unsigned>(c));
  return texto;
}

// One line's text after its number, made into tokens.
class Linea {
public:
  explicit Linea(std::string_view texto) : t_(texto) {}

  // The tokens, without the line's end byte; false with `error` set.
  bool Tokenizar(std::vector<std::uint8_t> &salida, std::string &error) {
    s_ = &salida;
    while (i_ < t_.size() && error_.empty()) {
      Siguiente();
    }
    error = error_;
    return error_.empty();
  }

private:
  enum class Modo {
    Normal,
    NumerosDeLinea, // after GOTO and its kin
    Letras,         // in DEFINT and its kin
    NombreFn,       // right after FN: a name, never a keyword
  };

  std::uint8_t Byte(std::size_t i) const {
    return i < t_.size() ? static_cast<std::uint8_t>(t_[i]) : 0;
  }
  void Poner(std::uint8_t b) { s_->push_back(b); }
  void PonerPalabra16(std::uint8_t ficha, std::uint32_t v) {
    Poner(ficha);
    Poner(static_cast<std::uint8_t>(v & 0xFF));
    Poner(static_cast<std::uint8_t>(v >> 8));
  }

  void Siguiente() {
    const std::uint8_t c = Byte(i_);
    if (Blanco(c)) {
      Poner(' '); // stored as typed; a tab is a blank to the CPC's editor
      ++i_;
      return;
    }
    if (modo_ == Modo::Letras && Letra(c)) {
      Poner(c);
      ++i_;
      return;
    }
    if (modo_ == Modo::NumerosDeLinea) {
      if (Cifra(c) && NumeroDeLinea()) {
        return;
      }
      if (c == ',' || c == '-') {
        Poner(c == ',' ? c : kMenos);
        ++i_;
        return;
      }
    }
    if (modo_ != Modo::Letras || c == ':') {
      modo_ = Modo::Normal;
    }
    if (c < 0x20 || c >= 0x7F) {
      error_ = "carácter " + Hex2(c) + " fuera de una cadena, un REM o un DATA";
      return;
    }
    if (c == kComillas) {
      Cadena();
    } else if (c == ':') {
      Poner(kSeparador);
      ++i_;
    } else if (c == '\'') {
      // The comment form of REM keeps a statement's colon that LIST hides.
      Poner(kSeparador);
      Poner(kComentario);
      ++i_;
      Crudo(false);
    } else if (c == '|') {
      Rsx();
    } else if (c == '&') {
      Hexadecimal();
    } else if (Cifra(c) || (c == '.' && Cifra(Byte(i_ + 1)))) {
      Numero();
    } else if (Letra(c)) {
      PalabraOVariable();
    } else if (!Simbolo()) {
      Poner(c);
      ++i_;
    }
  }

  // A string, its quotes and all, to its closing quote or the line's end.
  void Cadena() {
    Poner(t_[i_++]);
    while (i_ < t_.size()) {
      const std::uint8_t c = Byte(i_++);
      if (!DeTexto(c)) {
        return;
      }
      Poner(c);
      if (c == kComillas) {
        return;
      }
    }
  }

  // REM and ' keep the rest of the line; DATA its items, up to a colon that
  // is not inside quotes.
  void Crudo(bool hastaSeparador) {
    bool enComillas = false;
    while (i_ < t_.size()) {
      const std::uint8_t c = Byte(i_);
      if (hastaSeparador && !enComillas && c == ':') {
        return;
      }
      if (!DeTexto(c)) {
        return;
      }
      enComillas ^= c == kComillas;
      Poner(c);
      ++i_;
    }
  }

  // Bytes below &20 would be read as tokens: only a tab is kept as it is.
  bool DeTexto(std::uint8_t c) {
    if (c < 0x20 && c != '\t') {
      error_ = "carácter de control " + Hex2(c);
      return false;
    }
    return true;
  }

  // A name of letters, digits and periods, from a letter; its last byte marked.
  bool Nombre(bool mayusculas) {
    const std::size_t inicio = i_;
    while (i_ < t_.size() && DeNombre(Byte(i_))) {
      ++i_;
    }
    if (i_ - inicio > kLargoNombre) {
      error_ = "el nombre " + std::string(t_.substr(inicio, i_ - inicio)) + " pasa de " +
               std::to_string(kLargoNombre) + " caracteres";
      return false;
    }
    for (std::size_t j = inicio; j < i_; ++j) {
      const auto c = static_cast<std::uint8_t>(mayusculas ? Mayuscula(Byte(j)) : Byte(j));
      Poner(j + 1 == i_ ? static_cast<std::uint8_t>(c | kMarcaNombre) : c);
    }
    return true;
  }

  // |NAME: an RSX, its offset byte (filled in when it runs) and its name.
  void Rsx() {
    ++i_;
    if (!Letra(Byte(i_)) && !Cifra(Byte(i_))) {
      error_ = "| sin nombre de RSX";
      return;
    }
    Poner(kRsx);
    Poner(0);
    Nombre(true);
  }

  // The keyword spelt at the cursor, the longest that fits: one that ends in
  // a letter or digit must not run on into a name (ORANGE is a variable, not
  // OR ANGE), but FN takes its function's name straight after it.
  const Palabra *PalabraAqui() const {
    for (const Palabra &p : Palabras()) {
      if (!Letra(static_cast<std::uint8_t>(p.nombre.front())) || i_ + p.nombre.size() > t_.size()) {
        continue;
      }
      bool igual = true;
      for (std::size_t j = 0; j < p.nombre.size() && igual; ++j) {
        igual = Mayuscula(Byte(i_ + j)) == p.nombre[j];
      }
      if (!igual) {
        continue;
      }
      const bool fn = !p.prefijo && p.primero == kFn;
      if (fn || !DeNombre(static_cast<std::uint8_t>(p.nombre.back())) ||
          !DeNombre(Byte(i_ + p.nombre.size()))) {
        return &p;
      }
    }
    return nullptr;
  }

  void PalabraOVariable() {
    const Palabra *p = modo_ == Modo::NombreFn ? nullptr : PalabraAqui();
    if (p == nullptr) {
      Variable();
      return;
    }
    i_ += p->nombre.size();
    if (p->prefijo) {
      Poner(kPrefijoFuncion);
      Poner(p->segundo);
      return;
    }
    const std::uint8_t codigo = p->primero;
    if (codigo == kElse) {
      Poner(kSeparador); // ELSE keeps a statement's colon that LIST hides
    }
    Poner(codigo);
    if (codigo == kRem) {
      Crudo(false);
    } else if (codigo == kData) {
      Crudo(true);
    } else if (codigo == kFn) {
      modo_ = Modo::NombreFn;
    } else if (std::find(kConNumerosDeLinea.begin(), kConNumerosDeLinea.end(), codigo) !=
               kConNumerosDeLinea.end()) {
      modo_ = Modo::NumerosDeLinea;
    } else if (std::find(kConLetras.begin(), kConLetras.end(), codigo) != kConLetras.end()) {
      modo_ = Modo::Letras;
    }
  }

  // A variable: its type code, two bytes of offset (filled in when the
  // program runs), its name as typed; the suffix is in the code, not the name.
  void Variable() {
    modo_ = Modo::Normal;
    std::size_t fin = i_;
    while (fin < t_.size() && DeNombre(Byte(fin))) {
      ++fin;
    }
    std::uint8_t tipo = kVariableSinTipo;
    switch (Byte(fin)) {
    case '%': tipo = kVariableEntera; break;
    case '$': tipo = kVariableCadena; break;
    case '!': tipo = kVariableReal; break;
    default: break;
    }
    Poner(tipo);
    Poner(0);
    Poner(0);
    if (Nombre(false) && tipo != kVariableSinTipo) {
      ++i_;
    }
  }

  // Operators and the one-character keywords, the two-character ones first.
  bool Simbolo() {
    for (const Palabra &p : Palabras()) {
      if (Letra(static_cast<std::uint8_t>(p.nombre.front())) || p.prefijo ||
          t_.substr(i_, p.nombre.size()) != p.nombre) {
        continue;
      }
      i_ += p.nombre.size();
      Poner(p.primero);
      return true;
    }
    return false;
  }

  // A line number after GOTO and its kin; false (nothing read) when the
  // number is no whole number a line can have, and it is read as a number.
  bool NumeroDeLinea() {
    std::size_t fin = i_;
    std::uint32_t v = 0;
    while (fin < t_.size() && Cifra(Byte(fin)) && v <= kMayorNumeroLinea) {
      v = v * 10 + (Byte(fin++) - '0');
    }
    const std::uint8_t tras = Byte(fin);
    if (v > kMayorNumeroLinea || Cifra(tras) || tras == '.' || tras == 'E' || tras == 'e') {
      return false;
    }
    PonerPalabra16(kNumeroLinea, v);
    i_ = fin;
    return true;
  }

  // &1F00, &H1F00 and &X101: 16-bit values.
  void Hexadecimal() {
    const std::uint8_t marca = static_cast<std::uint8_t>(Mayuscula(Byte(i_ + 1)));
    const int base = marca == 'X' && ValorCifra(Byte(i_ + 2)) < 2 ? 2 : 16;
    const bool marcado = base == 2 || (marca == 'H' && ValorCifra(Byte(i_ + 2)) < 16);
    const std::size_t desde = i_ + (marcado ? 2 : 1);
    const bool binario = base == 2;
    std::size_t fin = desde;
    std::uint32_t v = 0;
    for (; fin < t_.size() && ValorCifra(Byte(fin)) < base; ++fin) {
      v = std::min<std::uint32_t>(v * static_cast<std::uint32_t>(base) +
                                      static_cast<std::uint32_t>(ValorCifra(Byte(fin))),
                                  0x10000);
    }
    if (fin == desde) {
      // '&' is only ever a number's prefix; stored alone it would list as
      // the start of whatever number follows it.
      error_ = "& sin un número detrás";
      return;
    }
    if (v > 0xFFFF) {
      error_ = std::string(t_.substr(i_, fin - i_)) + " no cabe en 16 bits";
      return;
    }
    PonerPalabra16(binario ? kBinario : kHexadecimal, v);
    i_ = fin;
  }

  // 7, 300, 40000, 3.5, .5, 1E+38: whole numbers up to 32767 in their short
  // forms, anything else as a five-byte real.
  void Numero() {
    std::size_t fin = i_;
    bool entero = true;
    while (Cifra(Byte(fin))) {
      ++fin;
    }
    if (Byte(fin) == '.') {
      entero = false;
      for (++fin; Cifra(Byte(fin)); ++fin) {
      }
    }
    if (Byte(fin) == 'E' || Byte(fin) == 'e') {
      const std::size_t signo = Byte(fin + 1) == '+' || Byte(fin + 1) == '-' ? 1 : 0;
      if (Cifra(Byte(fin + 1 + signo))) {
        entero = false;
        for (fin += 1 + signo; Cifra(Byte(fin)); ++fin) {
        }
      }
    }
    const std::string_view texto = t_.substr(i_, fin - i_);
    i_ = fin;
    if (entero) {
      std::uint32_t v = 0;
      for (const char c : texto) {
        v = std::min<std::uint32_t>(v * 10 + static_cast<std::uint32_t>(c - '0'), kMayorEntero + 1);
      }
      if (v <= 10) {
        Poner(static_cast<std::uint8_t>(kCifra0 + v));
        return;
      }
      if (v <= 0xFF) {
        Poner(kEntero8);
        Poner(static_cast<std::uint8_t>(v));
        return;
      }
      if (v <= kMayorEntero) {
        PonerPalabra16(kEntero16, v);
        return;
      }
    }
    // from_chars reads a leading '.' only with a digit before it.
    const std::string escrito =
        texto.front() == '.' ? "0" + std::string(texto) : std::string(texto);
    double v = 0;
    const auto leido = std::from_chars(escrito.data(), escrito.data() + escrito.size(), v);
    // Out of a double's range: too small is zero, as on the CPC; too large is not.
    const bool diminuto = leido.ec == std::errc::result_out_of_range &&
                          escrito.find_first_of("-") != std::string::npos;
    std::array<std::uint8_t, 5> real{};
    if (!diminuto && (leido.ec != std::errc{} || !BytesReal(v, real))) {
      error_ = std::string(texto) + " es mayor que el mayor número del CPC (1.7E+38)";
      return;
    }
    Poner(kReal);
    s_->insert(s_->end(), real.begin(), real.end());
  }

  std::string_view t_;
  std::size_t i_ = 0;
  std::vector<std::uint8_t> *s_ = nullptr;
  Modo modo_ = Modo::Normal;
  std::string error_;
};

// The text's lines, without their ends, up to a ^Z.
std::vector<std::string_view> Lineas(std::span<const std::uint8_t> texto) {
  const auto fin = std::find(texto.begin(), texto.end(), kFinTexto);
  const std::string_view t(reinterpret_cast<const char *>(texto.data()),
                           static_cast<std::size_t>(fin - texto.begin()));
  std::vector<std::string_view> lineas;
  std::size_t inicio = 0;
  for (std::size_t i = 0; i < t.size(); ++i) {
    if (t[i] == '\n' || t[i] == '\r') {
      lineas.push_back(t.substr(inicio, i - inicio));
      if (t[i] == '\r' && i + 1 < t.size() && t[i + 1] == '\n') {
        ++i;
      }
      inicio = i + 1;
    }
  }
  if (inicio < t.size()) {
    lineas.push_back(t.substr(inicio));
  }
  return lineas;
}

std::size_t SinBlancos(std::string_view linea, std::size_t i) {
  while (i < linea.size() && Blanco(static_cast<std::uint8_t>(linea[i]))) {
    ++i;
  }
  return i;
}

} // namespace

bool LineasNumeradas(std::span<const std::uint8_t> texto) {
  bool alguna = false;
  for (const std::string_view linea : Lineas(texto)) {
    const std::size_t i = SinBlancos(linea, 0);
    if (i == linea.size()) {
      continue;
    }
    if (!Cifra(static_cast<std::uint8_t>(linea[i]))) {
      return false;
    }
    alguna = true;
  }
  return alguna;
}

ProgramaTokenizado TokenizarBasic(std::span<const std::uint8_t> texto) {
  ProgramaTokenizado r;
  std::map<std::uint32_t, std::vector<std::uint8_t>> programa;
  const std::vector<std::string_view> lineas = Lineas(texto);
  for (std::size_t n = 0; n < lineas.size(); ++n) {
    const std::string_view linea = lineas[n];
    std::size_t i = SinBlancos(linea, 0);
    if (i == linea.size()) {
      continue;
    }
    const std::string delTexto = "línea " + std::to_string(n + 1) + " del texto: ";
    std::uint32_t numero = 0;
    const std::size_t inicioNumero = i;
    for (; i < linea.size() && Cifra(static_cast<std::uint8_t>(linea[i])); ++i) {
      numero = std::min<std::uint32_t>(numero * 10 + static_cast<std::uint32_t>(linea[i] - '0'),
                                       kMayorNumeroLinea + 1);
    }
    if (i == inicioNumero) {
      r.error = delTexto + "no empieza por un número de línea";
      return r;
    }
    if (numero == 0 || numero > kMayorNumeroLinea) {
      r.error = delTexto + "el número de línea " +
                std::string(linea.substr(inicioNumero, i - inicioNumero)) +
                " no está entre 1 y 65535";
      return r;
    }
    const std::string deLinea = "línea " + std::to_string(numero) + ": ";
    if (linea.size() > kLargoLinea) {
      r.error = deLinea + "tiene " + std::to_string(linea.size()) + " caracteres y el CPC admite " +
                std::to_string(kLargoLinea);
      return r;
    }
    i = SinBlancos(linea, i);
    if (i == linea.size()) {
      programa.erase(numero); // a number alone deletes its line, as on the CPC
      continue;
    }
    std::vector<std::uint8_t> fichas;
    std::string error;
    if (!Linea(linea.substr(i)).Tokenizar(fichas, error)) {
      r.error = deLinea + error;
      return r;
    }
    programa[numero] = std::move(fichas);
  }
  if (programa.empty()) {
    r.error = "no hay ninguna línea de programa";
    return r;
  }
  for (const auto &[numero, fichas] : programa) {
    const std::size_t largo = kCabeceraLinea + fichas.size() + 1;
    r.bytes.insert(r.bytes.end(),
                   {static_cast<std::uint8_t>(largo & 0xFF), static_cast<std::uint8_t>(largo >> 8),
                    static_cast<std::uint8_t>(numero & 0xFF),
                    static_cast<std::uint8_t>(numero >> 8)});
    r.bytes.insert(r.bytes.end(), fichas.begin(), fichas.end());
    r.bytes.push_back(kFinLinea);
  }
  r.bytes.insert(r.bytes.end(), {0, 0});
  r.lineas = programa.size();
  return r;
}

} // namespace Ver
