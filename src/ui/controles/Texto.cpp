#include "ui/controles/Texto.h"

#include <cstdint>
#include <vector>

namespace Texto {

namespace {

void Codificar(char32_t c, std::string &salida) {
  if (c < 0x80) {
    salida += static_cast<char>(c);
  } else if (c < 0x800) {
    salida += static_cast<char>(0xC0 | (c >> 6));
    salida += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    salida += static_cast<char>(0xE0 | (c >> 12));
    salida += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    salida += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    salida += static_cast<char>(0xF0 | (c >> 18));
    salida += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    salida += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    salida += static_cast<char>(0x80 | (c & 0x3F));
  }
}

constexpr char32_t Sustituto = 0xFFFD;

// The character at `i` and the bytes it takes; an invalid sequence (overlong,
// a surrogate, past U+10FFFF or cut short) is one U+FFFD of one byte.
char32_t Leer(std::string_view s, std::size_t i, std::size_t &largo) {
  const auto b0 = static_cast<std::uint8_t>(s[i]);
  largo = 1;
  if (b0 < 0x80)
    return b0;
  std::size_t n = 0;
  char32_t c = 0;
  char32_t minimo = 0;
  if ((b0 & 0xE0) == 0xC0) {
    n = 2, c = b0 & 0x1F, minimo = 0x80;
  } else if ((b0 & 0xF0) == 0xE0) {
    n = 3, c = b0 & 0x0F, minimo = 0x800;
  } else if ((b0 & 0xF8) == 0xF0) {
    n = 4, c = b0 & 0x07, minimo = 0x10000;
  } else {
    return Sustituto;
  }
  if (s.size() - i < n)
    return Sustituto;
  for (std::size_t k = 1; k < n; ++k) {
    const auto b = static_cast<std::uint8_t>(s[i + k]);
    if ((b & 0xC0) != 0x80)
      return Sustituto;
    c = (c << 6) | (b & 0x3F);
  }
  if (c < minimo || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
    return Sustituto;
  largo = n;
  return c;
}

char32_t Plegar(char32_t c) {
  if (c >= 'A' && c <= 'Z')
    return c + 32;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) // Latin-1 capitals, not the sign ×
    return c + 32;
  return c;
}

} // namespace

std::string DesdeBytesDisco(std::string_view bytes) {
  std::string salida;
  salida.reserve(bytes.size());
  for (const char b : bytes)
    Codificar(static_cast<std::uint8_t>(b), salida);
  return salida;
}

std::string DesdeNombreHost(std::string_view bytes) {
  std::string salida;
  salida.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size();) {
    std::size_t largo = 0;
    const char32_t c = Leer(bytes, i, largo);
    if (c == Sustituto && largo == 1)
      Codificar(Sustituto, salida);
    else
      salida.append(bytes.substr(i, largo));
    i += largo;
  }
  return salida;
}

int CompararSinCaso(std::string_view a, std::string_view b) {
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    std::size_t la = 0, lb = 0;
    const char32_t ca = Plegar(Leer(a, i, la));
    const char32_t cb = Plegar(Leer(b, j, lb));
    if (ca != cb)
      return ca < cb ? -1 : 1;
    i += la;
    j += lb;
  }
  if (i < a.size())
    return 1;
  if (j < b.size())
    return -1;
  return 0;
}

std::string AyudaSiCortado(std::string_view texto, int necesita, int ancho) {
  return necesita > ancho ? std::string(texto) : std::string();
}

namespace {

// The characters of a UTF-8 line, each as its bytes.
std::vector<std::string_view> Letras(std::string_view linea) {
  std::vector<std::string_view> letras;
  for (std::size_t i = 0; i < linea.size();) {
    std::size_t largo = 0;
    Leer(linea, i, largo);
    letras.push_back(linea.substr(i, largo));
    i += largo;
  }
  return letras;
}

// `linea`, wider than `columnas`, as the lines of its tooltip.
std::string Partir(std::string_view linea, std::size_t columnas, std::size_t sangria) {
  const std::vector<std::string_view> letras = Letras(linea);
  std::string salida;
  std::size_t i = 0;
  for (bool primera = true; i < letras.size(); primera = false) {
    const std::size_t margen = primera ? 0 : sangria;
    const std::size_t cabe = columnas - margen;
    std::size_t fin = letras.size();
    std::size_t siguiente = fin;
    if (fin - i > cabe) {
      // The last blank that leaves the line inside the box, past its own
      // leading blanks; none, and the box's edge cuts it.
      std::size_t texto = i;
      while (texto < letras.size() && letras[texto] == " ")
        ++texto;
      fin = i + cabe;
      siguiente = fin;
      for (std::size_t j = i + cabe; j > texto; --j) {
        if (letras[j] == " ") {
          fin = j;
          while (fin > texto && letras[fin - 1] == " ")
            --fin;
          siguiente = j;
          while (siguiente < letras.size() && letras[siguiente] == " ")
            ++siguiente;
          break;
        }
      }
    }
    if (!primera)
      salida += '\n';
    salida.append(margen, ' ');
    for (std::size_t j = i; j < fin; ++j)
      salida += letras[j];
    i = siguiente;
  }
  return salida;
}

} // namespace

std::string AyudaDeLineasCortadas(std::string_view texto, std::size_t columnas,
                                  std::size_t sangria) {
  if (columnas == 0)
    return {};
  // An indent that leaves less than half the box is not kept.
  if (2 * sangria > columnas)
    sangria = 0;
  std::string ayuda;
  while (!texto.empty()) {
    const std::size_t fin = texto.find('\n');
    const std::string_view linea = texto.substr(0, fin);
    texto = fin == std::string_view::npos ? std::string_view() : texto.substr(fin + 1);
    if (Letras(linea).size() <= columnas)
      continue;
    if (!ayuda.empty())
      ayuda += '\n';
    ayuda += Partir(linea, columnas, sangria);
  }
  return ayuda;
}

} // namespace Texto
