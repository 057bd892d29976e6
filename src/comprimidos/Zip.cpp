#include "comprimidos/Zip.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <climits>

namespace comprimidos {
namespace {

std::uint16_t Le16(std::span<const std::uint8_t> b, std::size_t pos) {
  return static_cast<std::uint16_t>(b[pos] | (b[pos + 1] << 8));
}
std::uint32_t Le32(std::span<const std::uint8_t> b, std::size_t pos) {
  return static_cast<std::uint32_t>(Le16(b, pos)) |
         (static_cast<std::uint32_t>(Le16(b, pos + 2)) << 16);
}
std::uint64_t Le64(std::span<const std::uint8_t> b, std::size_t pos) {
  return Le32(b, pos) | (static_cast<std::uint64_t>(Le32(b, pos + 4)) << 32);
}

// End of central directory record.
constexpr std::uint32_t kFirmaFin = 0x06054B50;
constexpr std::size_t kTamanoFin = 22;
constexpr std::size_t kFinDisco = 4;
constexpr std::size_t kFinDiscoDirectorio = 6;
constexpr std::size_t kFinEntradasDisco = 8;
constexpr std::size_t kFinEntradas = 10;
constexpr std::size_t kFinTamano = 12;
constexpr std::size_t kFinPosicion = 16;
constexpr std::size_t kFinComentario = 20;
// The ZIP64 locator stands right before the end record, and points at the
// ZIP64 end record, which holds the same fields in 64 bits.
constexpr std::uint32_t kFirmaLocalizador64 = 0x07064B50;
constexpr std::size_t kTamanoLocalizador64 = 20;
constexpr std::size_t kLoc64Posicion = 8;
constexpr std::uint32_t kFirmaFin64 = 0x06064B50;
constexpr std::size_t kTamanoFin64 = 56;
constexpr std::size_t kFin64Disco = 16;
constexpr std::size_t kFin64DiscoDirectorio = 20;
constexpr std::size_t kFin64EntradasDisco = 24;
constexpr std::size_t kFin64Entradas = 32;
constexpr std::size_t kFin64Tamano = 40;
constexpr std::size_t kFin64Posicion = 48;
// The extra field of an entry whose sizes or offset do not fit in 32 bits.
constexpr std::uint16_t kExtraZip64 = 0x0001;

// Central directory header.
constexpr std::uint32_t kFirmaCentral = 0x02014B50;
constexpr std::size_t kTamanoCentral = 46;
constexpr std::size_t kCenBanderas = 8;
constexpr std::size_t kCenMetodo = 10;
constexpr std::size_t kCenCrc = 16;
constexpr std::size_t kCenComprimido = 20;
constexpr std::size_t kCenTamano = 24;
constexpr std::size_t kCenNombre = 28;
constexpr std::size_t kCenExtra = 30;
constexpr std::size_t kCenComentario = 32;
constexpr std::size_t kCenPosicion = 42;

// Local header.
constexpr std::uint32_t kFirmaLocal = 0x04034B50;
constexpr std::size_t kTamanoLocal = 30;
constexpr std::size_t kLocNombre = 26;
constexpr std::size_t kLocExtra = 28;

constexpr std::uint16_t kBitCifrado = 1U << 0;
constexpr std::uint16_t kBitUtf8 = 1U << 11;
constexpr std::uint32_t kMarca64 = 0xFFFFFFFF;

// A directory this large is no collection of disk images.
constexpr std::uint64_t kDirectorioMaximo = 64ULL << 20;

// The old DOS code page (437), the names of zips that do not say UTF-8.
constexpr std::array<std::uint16_t, 128> kCp437 = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF,
    0x00EE, 0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,
    0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA,
    0x00F1, 0x00D1, 0x00AA, 0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557,
    0x255D, 0x255C, 0x255B, 0x2510, 0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559,
    0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4, 0x03A6, 0x0398, 0x03A9, 0x03B4,
    0x221E, 0x03C6, 0x03B5, 0x2229, 0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248,
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0};

std::string DesdeCp437(std::span<const std::uint8_t> nombre) {
  std::string s;
  s.reserve(nombre.size());
  for (const std::uint8_t b : nombre) {
    if (b < 0x80) {
      s += static_cast<char>(b);
      continue;
    }
    const std::uint16_t c = kCp437[b - 0x80];
    if (c < 0x800) {
      s += static_cast<char>(0xC0 | (c >> 6));
    } else {
      s += static_cast<char>(0xE0 | (c >> 12));
      s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    }
    s += static_cast<char>(0x80 | (c & 0x3F));
  }
  return s;
}

bool TerminaEn(std::string_view nombre, std::string_view ext) {
  if (nombre.size() <= ext.size()) {
    return false;
  }
  const std::string_view cola = nombre.substr(nombre.size() - ext.size());
  return std::equal(cola.begin(), cola.end(), ext.begin(), [](char a, char b) {
    return (a >= 'A' && a <= 'Z' ? static_cast<char>(a + 32) : a) == b;
  });
}

std::string NombreMetodo(std::uint16_t metodo) {
  switch (metodo) {
  case 1: return "shrink";
  case 6: return "implode";
  case 9: return "deflate64";
  case 12: return "bzip2";
  case 14: return "LZMA";
  case 93: return "zstd";
  case 95: return "xz";
  case 98: return "PPMd";
  default: return std::to_string(metodo);
  }
}

// zlib's inflate state, ended however the reading ends.
class Cls_Inflador {
public:
  // `bits`: -15 raw deflate (zip), 15 + 16 gzip.
  explicit Cls_Inflador(int bits) { listo_ = inflateInit2(&z_, bits) == Z_OK; }
  ~Cls_Inflador() {
    if (listo_) {
      inflateEnd(&z_);
    }
  }
  Cls_Inflador(const Cls_Inflador &) = delete;
  Cls_Inflador &operator=(const Cls_Inflador &) = delete;

  [[nodiscard]] bool Listo() const { return listo_; }
  z_stream &Flujo() { return z_; }

private:
  z_stream z_{};
  bool listo_ = false;
};

enum class Inflado { Fin, Tope, FaltanDatos, Danado };

// Inflates from where the stream's input stands, appending to `destino` until
// the stream ends, the input runs out or `destino` holds `tope` bytes. The
// buffer grows as the output does, so a lying size costs nothing.
Inflado Inflar(z_stream &z, std::vector<std::uint8_t> &destino, std::size_t tope) {
  std::size_t hecho = destino.size();
  for (;;) {
    if (hecho >= tope) {
      destino.resize(hecho);
      return Inflado::Tope;
    }
    if (destino.size() == hecho) {
      destino.resize(std::min(tope, std::max<std::size_t>(hecho * 2, 64 * 1024)));
    }
    z.next_out = destino.data() + hecho;
    z.avail_out = static_cast<uInt>(std::min<std::size_t>(destino.size() - hecho, UINT_MAX));
    const uInt antes = z.avail_out;
    const int r = inflate(&z, Z_NO_FLUSH);
    hecho += antes - z.avail_out;
    if (r == Z_STREAM_END) {
      destino.resize(hecho);
      return Inflado::Fin;
    }
    const bool sinEntrada = z.avail_in == 0 && z.avail_out != 0;
    if ((r == Z_OK && sinEntrada) || (r == Z_BUF_ERROR && z.avail_in == 0)) {
      destino.resize(hecho);
      return Inflado::FaltanDatos;
    }
    if (r != Z_OK) {
      destino.resize(hecho);
      return Inflado::Danado;
    }
  }
}

void Entrada(z_stream &z, std::span<const std::uint8_t> bytes) {
  // zlib reads through a non-const pointer but never writes there.
  z.next_in = const_cast<Bytef *>(bytes.data());
  z.avail_in = static_cast<uInt>(std::min<std::size_t>(bytes.size(), UINT_MAX));
}

std::uint32_t Crc(std::span<const std::uint8_t> bytes) {
  uLong crc = crc32(0L, Z_NULL, 0);
  while (!bytes.empty()) {
    const auto trozo = static_cast<uInt>(std::min<std::size_t>(bytes.size(), UINT_MAX));
    crc = crc32(crc, bytes.data(), trozo);
    bytes = bytes.subspan(trozo);
  }
  return static_cast<std::uint32_t>(crc);
}

constexpr const char *kCortado = "cortado: faltan datos comprimidos";
constexpr const char *kDanado = "datos comprimidos dañados";
constexpr const char *kMasQueDeclara =
    "se descomprime en más bytes de los que declara el zip: dañado o malicioso";

std::string ExtraerGuardado(std::span<const std::uint8_t> datos, const Miembro &m,
                            std::vector<std::uint8_t> &destino, std::size_t cuantos) {
  if (m.tamanoComprimido != m.tamano) {
    return "dañado: un miembro guardado sin comprimir con dos tamaños distintos";
  }
  if (datos.size() < cuantos) {
    return kCortado;
  }
  destino.assign(datos.begin(), datos.begin() + static_cast<std::ptrdiff_t>(cuantos));
  return {};
}

std::string ExtraerDeflate(std::span<const std::uint8_t> datos, const Miembro &m,
                           std::vector<std::uint8_t> &destino, std::size_t cuantos, bool entero) {
  Cls_Inflador inflador(-MAX_WBITS);
  if (!inflador.Listo()) {
    return "sin memoria para descomprimir";
  }
  Entrada(inflador.Flujo(), datos.first(std::min<std::uint64_t>(datos.size(), m.tamanoComprimido)));
  // One byte past the claimed size tells a member that inflates to more.
  switch (Inflar(inflador.Flujo(), destino, entero ? cuantos + 1 : cuantos)) {
  case Inflado::Fin:
    // A stream may end just as it reaches the extra byte.
    if (destino.size() > cuantos) {
      return kMasQueDeclara;
    }
    return destino.size() < cuantos
               ? "se descomprime en menos bytes de los que declara el zip: dañado"
               : std::string();
  case Inflado::Tope: return entero ? kMasQueDeclara : std::string();
  case Inflado::FaltanDatos: return kCortado;
  case Inflado::Danado: break;
  }
  return kDanado;
}

constexpr const char *kVolumenes = "zip partido en varios volúmenes: no admitido";

// The classic end record, at the start of `f`.
bool LeerFin32(std::span<const std::uint8_t> f, FinDirectorio &fin) {
  if (Le16(f, kFinDisco) != 0 || Le16(f, kFinDiscoDirectorio) != 0 ||
      Le16(f, kFinEntradasDisco) != Le16(f, kFinEntradas)) {
    fin.error = kVolumenes;
    return false;
  }
  fin.entradas = Le16(f, kFinEntradas);
  fin.tamano = Le32(f, kFinTamano);
  fin.posicion = Le32(f, kFinPosicion);
  return true;
}

// The ZIP64 end record the locator at `localizador` points at; it must lie in
// the tail, before the locator. `hasta` becomes where it starts.
bool LeerFin64(std::span<const std::uint8_t> cola, std::uint64_t inicioCola,
               std::size_t localizador, FinDirectorio &fin, std::uint64_t &hasta) {
  const std::uint64_t donde = Le64(cola, localizador + kLoc64Posicion);
  if (donde < inicioCola || donde - inicioCola > localizador ||
      localizador - (donde - inicioCola) < kTamanoFin64 ||
      Le32(cola, static_cast<std::size_t>(donde - inicioCola)) != kFirmaFin64) {
    fin.error = "registro final ZIP64 dañado o fuera de su sitio";
    return false;
  }
  const auto f = cola.subspan(static_cast<std::size_t>(donde - inicioCola));
  if (Le32(f, kFin64Disco) != 0 || Le32(f, kFin64DiscoDirectorio) != 0 ||
      Le64(f, kFin64EntradasDisco) != Le64(f, kFin64Entradas)) {
    fin.error = kVolumenes;
    return false;
  }
  fin.entradas = Le64(f, kFin64Entradas);
  fin.tamano = Le64(f, kFin64Tamano);
  fin.posicion = Le64(f, kFin64Posicion);
  hasta = donde;
  return true;
}

// The 64-bit sizes and offset of a ZIP64 entry, from its extra field: each
// there only when its classic field is 0xFFFFFFFF, in this order.
bool LeerExtra64(std::span<const std::uint8_t> extra, Miembro &m) {
  while (extra.size() >= 4) {
    const std::size_t largo = Le16(extra, 2);
    if (largo > extra.size() - 4) {
      return false;
    }
    if (Le16(extra, 0) == kExtraZip64) {
      const auto datos = extra.subspan(4, largo);
      std::size_t leidos = 0;
      for (std::uint64_t *campo : {&m.tamano, &m.tamanoComprimido, &m.posicionCabecera}) {
        if (*campo != kMarca64) {
          continue;
        }
        if (datos.size() - leidos < 8) {
          return false;
        }
        *campo = Le64(datos, leidos);
        leidos += 8;
      }
      return true;
    }
    extra = extra.subspan(4 + largo);
  }
  return false;
}

} // namespace

FinDirectorio LeerFin(std::span<const std::uint8_t> cola, std::uint64_t tamanoArchivo) {
  FinDirectorio fin;
  if (cola.size() > tamanoArchivo) {
    fin.error = "cola más larga que el archivo";
    return fin;
  }
  const std::uint64_t inicioCola = tamanoArchivo - cola.size();
  // Backwards, so that a comment that happens to hold a signature does not
  // hide the real record; its comment must reach the end exactly.
  for (std::size_t pos = cola.size() >= kTamanoFin ? cola.size() - kTamanoFin + 1 : 0; pos-- > 0;) {
    if (Le32(cola, pos) != kFirmaFin ||
        pos + kTamanoFin + Le16(cola, pos + kFinComentario) != cola.size()) {
      continue;
    }
    // The directory must end where the records after it begin.
    std::uint64_t hasta = inicioCola + pos;
    if (pos >= kTamanoLocalizador64 &&
        Le32(cola, pos - kTamanoLocalizador64) == kFirmaLocalizador64) {
      if (!LeerFin64(cola, inicioCola, pos - kTamanoLocalizador64, fin, hasta)) {
        return fin;
      }
    } else if (!LeerFin32(cola.subspan(pos), fin)) {
      return fin;
    }
    if (fin.posicion > hasta || fin.tamano > hasta - fin.posicion) {
      fin.error = "directorio central fuera del archivo: zip cortado o dañado";
    } else if (fin.tamano > kDirectorioMaximo) {
      fin.error = "directorio central de " + TextoTamano(fin.tamano) + ": demasiado grande";
    } else if (fin.entradas > fin.tamano / kTamanoCentral) {
      fin.error = "directorio central más corto que sus entradas: zip dañado";
    }
    return fin;
  }
  fin.error = "no es un archivo zip (no tiene directorio central)";
  return fin;
}

namespace {

// Sorted by where their local headers lie, each member is checked against the
// furthest reach of the data before it: 30 bytes of header and its compressed
// bytes at least, whatever its name and extra field add, and never past the
// central directory at `hasta`.
void MarcarCompartidos(Directorio &d, std::uint64_t hasta) {
  if (d.miembros.size() >= Miembro::kSinCompartir) {
    return;
  }
  std::vector<std::uint32_t> orden(d.miembros.size());
  for (std::uint32_t i = 0; i < orden.size(); ++i) {
    orden[i] = i;
  }
  std::stable_sort(orden.begin(), orden.end(), [&d](std::uint32_t a, std::uint32_t b) {
    return d.miembros[a].posicionCabecera < d.miembros[b].posicionCabecera;
  });
  std::uint64_t alcance = 0;
  std::uint32_t duenio = Miembro::kSinCompartir;
  for (const std::uint32_t i : orden) {
    Miembro &m = d.miembros[i];
    if (duenio != Miembro::kSinCompartir && m.posicionCabecera < alcance) {
      m.datosDe = duenio;
    }
    const std::uint64_t largo = kTamanoLocal + std::min(m.tamanoComprimido, hasta);
    const std::uint64_t fin =
        std::min(hasta, m.posicionCabecera > hasta ? hasta : m.posicionCabecera + largo);
    if (fin > alcance) {
      alcance = fin;
      duenio = i;
    }
  }
}

Directorio LeerEntradas(std::span<const std::uint8_t> bytes, const FinDirectorio &fin) {
  Directorio d;
  if (!fin.error.empty()) {
    d.error = fin.error;
    return d;
  }
  if (bytes.size() < fin.tamano || bytes.size() < std::uint64_t{fin.entradas} * kTamanoCentral) {
    d.error = "directorio central cortado";
    return d;
  }
  d.miembros.reserve(static_cast<std::size_t>(fin.entradas));
  std::size_t pos = 0;
  for (std::uint64_t i = 0; i < fin.entradas; ++i) {
    if (bytes.size() - pos < kTamanoCentral || Le32(bytes, pos) != kFirmaCentral) {
      d.error = "directorio central dañado en la entrada " + std::to_string(i + 1);
      return d;
    }
    const auto e = bytes.subspan(pos);
    const std::size_t largoNombre = Le16(e, kCenNombre);
    const std::size_t largo =
        kTamanoCentral + largoNombre + Le16(e, kCenExtra) + Le16(e, kCenComentario);
    if (e.size() < largo) {
      d.error = "directorio central cortado en la entrada " + std::to_string(i + 1);
      return d;
    }
    Miembro m;
    const std::uint16_t banderas = Le16(e, kCenBanderas);
    const auto nombre = e.subspan(kTamanoCentral, largoNombre);
    m.ruta =
        (banderas & kBitUtf8) != 0 ? std::string(nombre.begin(), nombre.end()) : DesdeCp437(nombre);
    m.metodo = Le16(e, kCenMetodo);
    m.cifrado = (banderas & kBitCifrado) != 0;
    m.crc = Le32(e, kCenCrc);
    m.tamanoComprimido = Le32(e, kCenComprimido);
    m.tamano = Le32(e, kCenTamano);
    m.posicionCabecera = Le32(e, kCenPosicion);
    const bool es64 =
        m.tamano == kMarca64 || m.tamanoComprimido == kMarca64 || m.posicionCabecera == kMarca64;
    if (es64 && !LeerExtra64(e.subspan(kTamanoCentral + largoNombre, Le16(e, kCenExtra)), m)) {
      d.error = m.ruta + ": entrada ZIP64 dañada";
      return d;
    }
    d.miembros.push_back(std::move(m));
    pos += largo;
  }
  return d;
}

} // namespace

Directorio LeerDirectorio(std::span<const std::uint8_t> bytes, const FinDirectorio &fin) {
  Directorio d = LeerEntradas(bytes, fin);
  MarcarCompartidos(d, fin.posicion);
  return d;
}

std::string MotivoCompartido(const Directorio &d, const Miembro &m) {
  if (m.datosDe >= d.miembros.size()) {
    return {};
  }
  const Miembro &otro = d.miembros[m.datosDe];
  return std::string("sus datos comprimidos ") +
         (otro.posicionCabecera == m.posicionCabecera ? "son" : "están dentro de") +
         " los de otro miembro (" + otro.ruta + "): posible bomba zip; no se lee";
}

std::uint64_t PresupuestoInflado(std::uint64_t tamanoZip) {
  constexpr std::uint64_t kTope = std::numeric_limits<std::uint64_t>::max() / 4 / kRazonDeflate;
  return 2 * kRazonDeflate * std::min(tamanoZip, kTope) + (16ULL << 20);
}

Directorio ListarZip(std::span<const std::uint8_t> zip) {
  const auto cola = zip.last(std::min(zip.size(), kColaMaxima));
  const FinDirectorio fin = LeerFin(cola, zip.size());
  if (!fin.error.empty()) {
    return LeerDirectorio({}, fin);
  }
  return LeerDirectorio(zip.subspan(fin.posicion, fin.tamano), fin);
}

std::uint64_t InicioDatos(std::span<const std::uint8_t> local, std::string &error) {
  if (local.size() < kTamanoLocal || Le32(local, 0) != kFirmaLocal) {
    error = "cabecera local dañada o fuera del archivo";
    return 0;
  }
  return kTamanoLocal + std::uint64_t{Le16(local, kLocNombre)} + Le16(local, kLocExtra);
}

std::string MotivoIlegible(const Miembro &m, std::uint64_t limite) {
  if (m.cifrado) {
    return "cifrado: alcove-cli no lee miembros con contraseña";
  }
  if (m.metodo != kGuardado && m.metodo != kDeflate) {
    return "método de compresión " + NombreMetodo(m.metodo) +
           " no admitido (solo guardado y deflate)";
  }
  if (m.tamano > limite) {
    return "ocupa " + TextoTamano(m.tamano) + " descomprimido; el límite es " + TextoTamano(limite);
  }
  // Deflate adds far less than this even to bytes it cannot compress; the
  // compressed bytes are read whole, so their size is bounded too.
  if (m.tamanoComprimido > m.tamano + m.tamano / 64 + 64 * 1024) {
    return "dañado: " + TextoTamano(m.tamanoComprimido) + " comprimidos para " +
           TextoTamano(m.tamano);
  }
  return {};
}

std::string Extraer(std::span<const std::uint8_t> datos, const Miembro &m, std::uint64_t limite,
                    std::vector<std::uint8_t> &destino, std::size_t primeros) {
  destino.clear();
  std::string error = MotivoIlegible(m, limite);
  if (!error.empty()) {
    return error;
  }
  const bool entero = primeros >= m.tamano;
  const auto cuantos = static_cast<std::size_t>(entero ? m.tamano : primeros);
  error = m.metodo == kGuardado ? ExtraerGuardado(datos, m, destino, cuantos)
                                : ExtraerDeflate(datos, m, destino, cuantos, entero);
  if (error.empty() && entero && Crc(destino) != m.crc) {
    error = "CRC incorrecto: el contenido está dañado";
  }
  if (!error.empty()) {
    destino.clear();
  }
  return error;
}

std::string LeerMiembro(std::span<const std::uint8_t> zip, const Miembro &m, std::uint64_t limite,
                        std::vector<std::uint8_t> &destino, std::size_t primeros) {
  destino.clear();
  std::string error = MotivoIlegible(m, limite);
  if (!error.empty()) {
    return error;
  }
  if (m.posicionCabecera >= zip.size()) {
    return "cabecera local fuera del archivo: zip cortado";
  }
  const auto local = zip.subspan(static_cast<std::size_t>(m.posicionCabecera));
  const std::uint64_t inicio = InicioDatos(local, error);
  if (!error.empty()) {
    return error;
  }
  if (inicio > local.size()) {
    return kCortado;
  }
  return Extraer(local.subspan(static_cast<std::size_t>(inicio)), m, limite, destino, primeros);
}

std::string LeerGz(std::span<const std::uint8_t> gz, std::uint64_t limite,
                   std::vector<std::uint8_t> &destino, std::size_t primeros) {
  destino.clear();
  if (gz.size() < 2 || gz[0] != 0x1F || gz[1] != 0x8B) {
    return "no es un archivo gzip";
  }
  Cls_Inflador inflador(MAX_WBITS + 16);
  if (!inflador.Listo()) {
    return "sin memoria para descomprimir";
  }
  z_stream &z = inflador.Flujo();
  Entrada(z, gz);
  const bool entero = primeros > limite;
  const std::size_t tope = entero ? static_cast<std::size_t>(limite) + 1 : primeros;
  std::string error;
  for (;;) {
    const Inflado r = Inflar(z, destino, tope);
    if (r == Inflado::Tope) {
      if (entero) {
        error = "más de " + TextoTamano(limite) + " descomprimido: el límite de una imagen";
      }
      break;
    }
    if (r != Inflado::Fin) {
      error = r == Inflado::FaltanDatos ? kCortado : "datos comprimidos dañados o CRC incorrecto";
      break;
    }
    // Concatenated gzip members make one file; trailing zeros are padding.
    const std::span<const std::uint8_t> resto(z.next_in, z.avail_in);
    if (std::all_of(resto.begin(), resto.end(), [](std::uint8_t b) { return b == 0; }) ||
        inflateReset(&z) != Z_OK) {
      break;
    }
  }
  if (!error.empty()) {
    destino.clear();
  }
  return error;
}

bool EsNombreZip(std::string_view nombre) { return TerminaEn(nombre, ".zip"); }
bool EsNombreGz(std::string_view nombre) { return TerminaEn(nombre, ".gz"); }

std::string TextoTamano(std::uint64_t bytes) {
  if (bytes >= (1ULL << 20) && bytes % (1ULL << 20) == 0) {
    return std::to_string(bytes >> 20) + " MiB";
  }
  if (bytes >= (1ULL << 20)) {
    return std::to_string((bytes + (1ULL << 19)) >> 20) + " MiB";
  }
  if (bytes >= 1024) {
    return std::to_string((bytes + 512) / 1024) + " KiB";
  }
  return std::to_string(bytes) + (bytes == 1 ? " byte" : " bytes");
}

} // namespace comprimidos
