#include "cli/CatalogoBreve.h"

#include <algorithm>
#include <array>

namespace Cli {
namespace {

// A catalogue entry.
constexpr std::size_t kTamanoEntrada = 32;
constexpr std::size_t kPosNombre = 1, kLargoNombre = 8, kLargoExt = 3;
constexpr std::size_t kPosEx = 12, kPosS1 = 13, kPosS2 = 14, kPosRc = 15;
constexpr std::uint8_t kMaxUsuario = 15;
constexpr int kRegistrosExtension = 128; // a logical 16 KB extent
constexpr std::uint64_t kTamanoRegistro = 128;

using Clave = std::array<std::uint8_t, 1 + kLargoNombre + kLargoExt>; // user, name bits 0-6

// The user and name of an entry that belongs to a file; false for deleted,
// blank or odd entries, which the exact reader keeps apart.
bool ClaveDeArchivo(std::span<const std::uint8_t> e, Clave &clave) {
  if (e[0] > kMaxUsuario) {
    return false;
  }
  clave[0] = e[0];
  bool blanco = true;
  for (std::size_t k = 0; k < kLargoNombre + kLargoExt; ++k) {
    const auto c = static_cast<std::uint8_t>(e[kPosNombre + k] & 0x7F);
    if (c < 0x20 || c == 0x7F) {
      return false;
    }
    blanco = blanco && c == ' ';
    clave[k + 1] = c;
  }
  return !blanco;
}

// The bytes a file holds by the catalogue, from the entry of its last
// extent: the highest extent number, the first such entry when repeated.
std::uint64_t TamanoDesde(std::span<const std::uint8_t> e, const cpm::Formato &f) {
  const int exm = f.MascaraExtension();
  const int x = ((e[kPosS2] & 0x3F) << 5) | (e[kPosEx] & 0x1F);
  const int rc = e[kPosRc];
  const int numero = x / (exm + 1);
  const int registros = (x & exm) * kRegistrosExtension + std::min(rc, kRegistrosExtension);
  const auto porEntrada =
      static_cast<std::uint64_t>(exm + 1) * kRegistrosExtension * kTamanoRegistro;
  std::uint64_t t = static_cast<std::uint64_t>(numero) * porEntrada +
                    static_cast<std::uint64_t>(registros) * kTamanoRegistro;
  // CP/M 3 keeps the byte count of the last record in S1.
  if (f.bytesCpm3 && e[kPosS1] > 0 && e[kPosS1] < kTamanoRegistro && registros > 0) {
    t -= kTamanoRegistro - e[kPosS1];
  }
  return t;
}

int NumeroExtension(std::span<const std::uint8_t> e, const cpm::Formato &f) {
  const int x = ((e[kPosS2] & 0x3F) << 5) | (e[kPosEx] & 0x1F);
  return x / (f.MascaraExtension() + 1);
}

// Printable bytes (a file's name holds no others), trailing blanks cut.
void Recortado(const Clave &clave, std::size_t desde, std::size_t n, std::string &destino) {
  while (n > 0 && clave[desde + n - 1] == ' ') {
    --n;
  }
  destino.append(reinterpret_cast<const char *>(clave.data() + desde), n);
}

} // namespace

bool BytesCatalogo(const cpm::Contenedor &disco, const cpm::Formato &formato,
                   std::vector<std::uint8_t> &destino) {
  destino.clear();
  if (formato.tamanoSector <= 0 || formato.tamanoBloque <= 0 || formato.entradas <= 0) {
    return false;
  }
  const auto tamanoSector = static_cast<std::size_t>(formato.tamanoSector);
  const std::size_t total = std::min(static_cast<std::size_t>(formato.entradas) * kTamanoEntrada,
                                     static_cast<std::size_t>(formato.BloquesCatalogo()) *
                                         static_cast<std::size_t>(formato.tamanoBloque));
  const long long primero = static_cast<long long>(formato.reservadas) * formato.sectoresPorPista;
  const int codigo = formato.CodigoTamano();
  for (long long k = 0; destino.size() < total; ++k) {
    const cpm::Ubicacion u = cpm::UbicarSector(formato, primero + k);
    const cpm::Sector *s = cpm::BuscarSector(disco, u.pista, u.cara, u.id);
    if (s == nullptr || s->n != codigo || s->datos.size() < tamanoSector) {
      return false;
    }
    const std::size_t tomo = std::min(tamanoSector, total - destino.size());
    destino.insert(destino.end(), s->datos.begin(),
                   s->datos.begin() + static_cast<std::ptrdiff_t>(tomo));
  }
  return destino.size() == static_cast<std::size_t>(formato.entradas) * kTamanoEntrada;
}

void BuscarEnCatalogo(std::span<const std::uint8_t> entradas, const cpm::Formato &formato,
                      const cpm::Patron &patron, std::vector<ArchivoBreve> &encontrados) {
  encontrados.clear();
  const std::size_t n = entradas.size() / kTamanoEntrada;
  // Sorting (user, name, entry number) groups each file's entries in
  // catalogue order and puts the files in the exact reader's order.
  thread_local std::vector<std::pair<Clave, std::size_t>> claves;
  claves.clear();
  for (std::size_t i = 0; i < n; ++i) {
    if (entradas[i * kTamanoEntrada] > kMaxUsuario) {
      continue; // most of a catalogue: free or deleted entries
    }
    Clave clave{};
    if (ClaveDeArchivo(entradas.subspan(i * kTamanoEntrada, kTamanoEntrada), clave)) {
      claves.emplace_back(clave, i);
    }
  }
  std::sort(claves.begin(), claves.end());
  thread_local cpm::Archivo archivo; // only its user and name are compared
  for (std::size_t i = 0; i < claves.size();) {
    const Clave &clave = claves[i].first;
    std::size_t ultima = claves[i].second;
    int mayor = -1;
    for (; i < claves.size() && claves[i].first == clave; ++i) {
      const auto e = entradas.subspan(claves[i].second * kTamanoEntrada, kTamanoEntrada);
      const int numero = NumeroExtension(e, formato);
      if (numero > mayor) {
        mayor = numero;
        ultima = claves[i].second;
      }
    }
    archivo.usuario = clave[0];
    archivo.nombre.clear();
    archivo.extension.clear();
    Recortado(clave, 1, kLargoNombre, archivo.nombre);
    Recortado(clave, 1 + kLargoNombre, kLargoExt, archivo.extension);
    if (cpm::Coincide(patron, archivo)) {
      encontrados.push_back(
          {archivo.usuario, archivo.NombreCompleto(),
           TamanoDesde(entradas.subspan(ultima * kTamanoEntrada, kTamanoEntrada), formato)});
    }
  }
}

} // namespace Cli
