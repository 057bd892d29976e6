#include "ver/CatalogoCpc.h"

#include "cpm/Entrada.h"

#include <algorithm>
#include <array>
#include <map>

namespace Ver {
namespace {

constexpr std::size_t kEntrada = cpm::entrada::TamanoEntrada;
constexpr std::size_t kNombre = cpm::entrada::PosNombre;
constexpr std::size_t kBloques = cpm::entrada::PosBloques;
constexpr std::size_t kSoloLectura = cpm::entrada::PosSoloLectura;
constexpr std::size_t kSistema = cpm::entrada::PosSistema;
constexpr std::uint8_t kUsuarioCat = 0; // CAT lists the current user's files: 0 after a reset
// A file two to a line: CAT fills the 40 columns of mode 1, the mode BASIC starts in.
constexpr int kPorLinea = 2;

struct ArchivoCat {
  bool soloLectura = false;
  bool sistema = false;
  std::uint64_t bloques = 0;
};

} // namespace

std::string TextoCat(std::span<const std::uint8_t> entradas, int tamanoBloque, int bloques,
                     std::uint64_t kbLibres, const FormaNombre &forma) {
  // Entries of one name are one file; the name's top bits are attributes.
  std::map<std::array<std::uint8_t, 11>, ArchivoCat> archivos;
  const bool punteros16 = bloques > 255;
  for (std::size_t e = 0; e + kEntrada <= entradas.size(); e += kEntrada) {
    const auto entrada = entradas.subspan(e, kEntrada);
    if (entrada[0] != kUsuarioCat) {
      continue;
    }
    std::array<std::uint8_t, 11> nombre{};
    for (std::size_t k = 0; k < nombre.size(); ++k) {
      nombre[k] = entrada[kNombre + k] & 0x7F;
    }
    ArchivoCat &a = archivos[nombre];
    a.soloLectura = a.soloLectura || (entrada[kSoloLectura] & 0x80) != 0;
    a.sistema = a.sistema || (entrada[kSistema] & 0x80) != 0;
    for (std::size_t k = kBloques; k < kEntrada; k += punteros16 ? 2 : 1) {
      const unsigned b = entrada[k] | (punteros16 ? entrada[k + 1] << 8 : 0);
      a.bloques += b != 0 ? 1 : 0;
    }
  }
  std::string s = "\r\nDrive A: user  0\r\n\r\n";
  int columna = 0;
  for (const auto &[nombre, a] : archivos) { // the map keeps CAT's order: by name
    if (a.sistema) {
      continue;
    }
    std::string doce(nombre.begin(), nombre.begin() + 8);
    doce += '.';
    doce.append(nombre.begin() + 8, nombre.end());
    s += forma ? forma(doce) : doce;
    s += a.soloLectura ? '*' : ' ';
    const std::string kb =
        std::to_string(a.bloques * static_cast<std::uint64_t>(std::max(tamanoBloque, 0)) / 1024);
    s += std::string(kb.size() < 3 ? 3 - kb.size() : 0, ' ') + kb + "K";
    s += ++columna == kPorLinea ? "\r\n" : "   ";
    columna %= kPorLinea;
  }
  if (columna != 0) {
    s += "\r\n";
  }
  return s + "\r\n" + std::to_string(kbLibres) + "K free\r\n\r\n";
}

} // namespace Ver
