#pragma once

// Zip and gzip files made in the tests, with zlib, and spoilt on purpose where
// a test needs it: a wrong CRC, a size that lies, an encrypted flag.
#include <zlib.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zip_prueba {

// Deflate at zlib's default level; `bits` -15 raw (zip), 31 gzip.
inline std::vector<std::uint8_t> Comprimir(const std::vector<std::uint8_t> &datos, int bits) {
  z_stream z{};
  if (deflateInit2(&z, Z_DEFAULT_COMPRESSION, Z_DEFLATED, bits, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
    return {};
  }
  std::vector<std::uint8_t> salida(deflateBound(&z, static_cast<uLong>(datos.size())) + 64);
  z.next_in = const_cast<Bytef *>(datos.data());
  z.avail_in = static_cast<uInt>(datos.size());
  z.next_out = salida.data();
  z.avail_out = static_cast<uInt>(salida.size());
  const int r = deflate(&z, Z_FINISH);
  salida.resize(z.total_out);
  deflateEnd(&z);
  return r == Z_STREAM_END ? salida : std::vector<std::uint8_t>{};
}

inline std::vector<std::uint8_t> Gzip(const std::vector<std::uint8_t> &datos) {
  return Comprimir(datos, 31);
}

struct Miembro {
  std::string nombre;
  std::vector<std::uint8_t> contenido;
  bool comprimir = true;
  bool cifrado = false;
  bool utf8 = true;
  std::uint16_t metodo = 0xFFFF;                      // what the headers say; default: the real one
  std::optional<std::uint32_t> tamanoDeclarado;       // uncompressed size the headers claim
  std::optional<std::uint32_t> crc;                   // CRC the headers claim
  std::size_t danarEn = static_cast<std::size_t>(-1); // flip this byte of the stored data
  // A directory entry only, pointing at the local header of an earlier member
  // (its index), moved on by `desplazar` bytes: data shared, as bombs share it.
  std::optional<std::size_t> datosDe;
  std::size_t desplazar = 0;
};

inline Miembro Comprimido(std::string nombre, std::vector<std::uint8_t> contenido) {
  Miembro m;
  m.nombre = std::move(nombre);
  m.contenido = std::move(contenido);
  return m;
}
inline Miembro Guardado(std::string nombre, std::vector<std::uint8_t> contenido) {
  Miembro m = Comprimido(std::move(nombre), std::move(contenido));
  m.comprimir = false;
  return m;
}
// A member that claims `tamano` bytes, whatever it holds.
inline Miembro QueDice(Miembro m, std::uint32_t tamano) {
  m.tamanoDeclarado = tamano;
  return m;
}

namespace detalle {
inline void U16(std::vector<std::uint8_t> &b, std::uint32_t v) {
  b.push_back(static_cast<std::uint8_t>(v));
  b.push_back(static_cast<std::uint8_t>(v >> 8));
}
inline void U32(std::vector<std::uint8_t> &b, std::uint32_t v) {
  U16(b, v & 0xFFFF);
  U16(b, v >> 16);
}
} // namespace detalle

// A zip of the members in order, as archivers write them: local headers and
// data, then the central directory and its end record. With `zip64`, as
// streaming archivers write them: sizes and offsets in ZIP64 extra fields, and
// the ZIP64 end record and its locator before the classic one.
inline std::vector<std::uint8_t> CrearZip(const std::vector<Miembro> &miembros,
                                          bool zip64 = false) {
  using detalle::U16;
  using detalle::U32;
  std::vector<std::uint8_t> zip;
  std::vector<std::uint8_t> central;
  std::vector<std::uint32_t> posiciones;
  for (const Miembro &m : miembros) {
    const Miembro &fuente = m.datosDe ? miembros[*m.datosDe] : m;
    std::vector<std::uint8_t> datos =
        fuente.comprimir ? Comprimir(fuente.contenido, -15) : fuente.contenido;
    if (m.danarEn < datos.size()) {
      datos[m.danarEn] ^= 0xFF;
    }
    const auto crc = m.crc.value_or(static_cast<std::uint32_t>(
        crc32(0, fuente.contenido.data(), static_cast<uInt>(fuente.contenido.size()))));
    const std::uint32_t tamano =
        m.tamanoDeclarado.value_or(static_cast<std::uint32_t>(fuente.contenido.size()));
    const std::uint16_t metodo = m.metodo != 0xFFFF ? m.metodo : (fuente.comprimir ? 8 : 0);
    const std::uint16_t banderas = (m.cifrado ? 1 : 0) | (m.utf8 ? 0x800 : 0);
    const auto posicion = m.datosDe
                              ? static_cast<std::uint32_t>(posiciones[*m.datosDe] + m.desplazar)
                              : static_cast<std::uint32_t>(zip.size());
    posiciones.push_back(posicion);
    // Sizes and offset, each 8 bytes, as the ZIP64 extra field holds them.
    std::vector<std::uint8_t> extra;
    if (zip64) {
      U16(extra, 1);
      U16(extra, 24);
      for (const std::uint32_t v : {tamano, static_cast<std::uint32_t>(datos.size()), posicion}) {
        U32(extra, v);
        U32(extra, 0);
      }
    }
    const auto campo = [zip64](std::uint32_t v) { return zip64 ? 0xFFFFFFFFU : v; };
    const auto comunes = [&](std::vector<std::uint8_t> &b) {
      U16(b, zip64 ? 45 : 20); // version needed
      U16(b, banderas);
      U16(b, metodo);
      U32(b, 0x00210000); // time and date: 1 January 1980
      U32(b, crc);
      U32(b, campo(static_cast<std::uint32_t>(datos.size())));
      U32(b, campo(tamano));
      U16(b, static_cast<std::uint32_t>(m.nombre.size()));
      U16(b, static_cast<std::uint32_t>(extra.size()));
    };
    if (!m.datosDe) {
      U32(zip, 0x04034B50);
      comunes(zip);
      zip.insert(zip.end(), m.nombre.begin(), m.nombre.end());
      zip.insert(zip.end(), extra.begin(), extra.end());
      zip.insert(zip.end(), datos.begin(), datos.end());
    }

    U32(central, 0x02014B50);
    U16(central, 0x031E); // made by: Unix
    comunes(central);
    U16(central, 0); // comment
    U16(central, 0); // disk
    U16(central, 0); // internal attributes
    U32(central, 0); // external attributes
    U32(central, campo(posicion));
    central.insert(central.end(), m.nombre.begin(), m.nombre.end());
    central.insert(central.end(), extra.begin(), extra.end());
  }
  const auto inicioCentral = static_cast<std::uint32_t>(zip.size());
  zip.insert(zip.end(), central.begin(), central.end());
  if (zip64) {
    const auto fin64 = static_cast<std::uint32_t>(zip.size());
    U32(zip, 0x06064B50);
    for (const std::uint32_t v : {44U, 0U}) { // size of the rest of the record
      U32(zip, v);
    }
    U16(zip, 45);
    U16(zip, 45);
    U32(zip, 0); // disk
    U32(zip, 0); // disk of the directory
    for (const std::uint32_t v :
         {static_cast<std::uint32_t>(miembros.size()), static_cast<std::uint32_t>(miembros.size()),
          static_cast<std::uint32_t>(central.size()), inicioCentral}) {
      U32(zip, v);
      U32(zip, 0);
    }
    U32(zip, 0x07064B50);
    U32(zip, 0); // disk of the ZIP64 end record
    U32(zip, fin64);
    U32(zip, 0);
    U32(zip, 1); // disks
  }
  U32(zip, 0x06054B50);
  U16(zip, 0);
  U16(zip, 0);
  U16(zip, static_cast<std::uint32_t>(miembros.size()));
  U16(zip, static_cast<std::uint32_t>(miembros.size()));
  U32(zip, static_cast<std::uint32_t>(central.size()));
  U32(zip, inicioCentral);
  U16(zip, 0); // comment
  return zip;
}

} // namespace zip_prueba
