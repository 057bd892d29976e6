#include "ver/Pantalla.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace Ver {
namespace {

// The video memory: 16 KB at &C000, eight blocks of 2048 bytes, one per
// character row's pixel line; in each, 80 bytes per row of characters. The
// last 48 bytes of each block are not shown.
constexpr std::size_t kTamano = 16384;
constexpr std::size_t kSinUltimoHueco = 16336; // a dump saved without the last 48 spare bytes
constexpr int kLineas = 200;
constexpr std::size_t kBytesPorLinea = 80;
constexpr std::size_t kBloque = 2048;
constexpr int kAncho = 640;
constexpr int kAlto = 400;

// The level of each of the three guns: off, half, full.
constexpr std::array<std::uint8_t, 3> kNiveles{0x00, 0x80, 0xFF};

// The ink of pixel `n` (counted from the left) of a byte, in each mode. Mode 0
// spreads a pixel's four bits over the byte (bits 7,3,5,1 for the first pixel,
// lowest bit first); mode 1 two bits (7 and 3 for the first); mode 2 one.
int Tinta(std::uint8_t b, int modo, int n) {
  const auto bit = [b](int i) { return (b >> i) & 1; };
  switch (modo) {
  case 0: return bit(7 - n) | (bit(3 - n) << 1) | (bit(5 - n) << 2) | (bit(1 - n) << 3);
  case 1: return bit(7 - n) | (bit(3 - n) << 1);
  default: return bit(7 - n);
  }
}

// A word to echo in a message: whole, or its first 24 bytes and "…", cut
// where a UTF-8 character begins.
std::string Recortada(std::string_view palabra) {
  if (palabra.size() <= 24) {
    return std::string(palabra);
  }
  std::size_t corte = 24;
  while (corte > 0 && (static_cast<unsigned char>(palabra[corte]) & 0xC0) == 0x80) {
    --corte;
  }
  return std::string(palabra.substr(0, corte)) + "…";
}
// OCP Art Studio's palette file: the mode, the flashing's two bytes, then 12
// colours for each of the 16 inks (its flashing's steps) and the border's.
constexpr std::size_t kOcpModo = 0;
constexpr std::size_t kOcpTintas = 3;
constexpr std::size_t kOcpPasos = 12;
constexpr std::size_t kOcpMinimo = kOcpTintas + 16 * kOcpPasos;

// The firmware colour of each of the Gate Array's 32 colour numbers (the low
// five bits; OCP stores them with bit 6 set, as they are sent to the chip).
// Several numbers give the same colour.
constexpr std::array<std::uint8_t, 32> kFirmwareDeHardware{
    13, 13, 19, 25, 1, 7, 10, 16, 7, 25, 24, 26, 6, 8, 15, 17,
    1,  19, 18, 20, 0, 2, 9,  11, 4, 22, 21, 23, 3, 5, 12, 14};

} // namespace

Paleta PaletaPorOmision() { return {1, 24, 20, 6, 26, 0, 2, 8, 10, 12, 14, 16, 18, 22, 1, 16}; }

// A firmware colour number is 9 × green + 3 × red + blue, each gun 0, 1 or 2.
std::array<std::uint8_t, 3> ColorFirmware(int numero) {
  const int n = std::clamp(numero, 0, 26);
  return {kNiveles[(n / 3) % 3], kNiveles[n / 9], kNiveles[n % 3]};
}

std::optional<Paleta> LeerPaleta(std::string_view texto, std::string &error, std::size_t *dadas) {
  const auto separador = [](char c) {
    return c == ',' || c == ';' || std::isspace(static_cast<unsigned char>(c)) != 0;
  };
  Paleta p = PaletaPorOmision();
  std::size_t tinta = 0;
  std::size_t i = 0;
  while (i < texto.size()) {
    if (separador(texto[i])) {
      ++i;
      continue;
    }
    std::size_t fin = i;
    while (fin < texto.size() && !separador(texto[fin])) {
      ++fin;
    }
    // The whole word is the colour, and what an error echoes: never part of
    // it, such as half the UTF-8 sequence of a digit of another script.
    const std::string_view palabra = texto.substr(i, fin - i);
    const bool cifras =
        palabra.size() <= 2 &&
        std::all_of(palabra.begin(), palabra.end(), [](char c) { return c >= '0' && c <= '9'; });
    const int color = cifras ? std::stoi(std::string(palabra)) : -1;
    if (color < 0 || color > 26) {
      error = "color no válido: " + Recortada(palabra) + " (de 0 a 26, como los toma INK)";
      return std::nullopt;
    }
    if (tinta == p.size()) {
      error = "más de 16 colores";
      return std::nullopt;
    }
    p[tinta++] = static_cast<std::uint8_t>(color);
    i = fin;
  }
  if (tinta == 0) {
    error = "ningún color";
    return std::nullopt;
  }
  if (dadas != nullptr) {
    *dadas = tinta;
  }
  return p;
}

std::optional<ArchivoPaleta> LeerArchivoPaleta(std::span<const std::uint8_t> bytes,
                                               std::string &error) {
  const auto esGateArray = [](std::uint8_t b) { return (b & 0xE0) == 0x40; };
  bool ocp = bytes.size() >= kOcpMinimo && bytes[kOcpModo] <= 2;
  for (std::size_t t = 0; ocp && t < 16; ++t)
    ocp = esGateArray(bytes[kOcpTintas + t * kOcpPasos]);
  if (ocp) {
    ArchivoPaleta a{};
    for (std::size_t t = 0; t < 16; ++t)
      a.paleta[t] = kFirmwareDeHardware[bytes[kOcpTintas + t * kOcpPasos] & 0x1F];
    a.modo = bytes[kOcpModo];
    return a;
  }
  const bool texto = std::all_of(bytes.begin(), bytes.end(), [](std::uint8_t b) {
    return (b >= 0x20 && b < 0x7F) || b == '\r' || b == '\n' || b == '\t' || b == 0x1A;
  });
  if (!texto) {
    error = "no es una paleta: ni de OCP Art Studio ni colores del firmware en texto";
    return std::nullopt;
  }
  // A CP/M text ends at ^Z.
  const auto fin = std::find(bytes.begin(), bytes.end(), std::uint8_t{0x1A});
  const auto paleta = LeerPaleta(std::string_view(reinterpret_cast<const char *>(bytes.data()),
                                                  static_cast<std::size_t>(fin - bytes.begin())),
                                 error);
  if (!paleta)
    return std::nullopt;
  return ArchivoPaleta{*paleta, std::nullopt};
}

Pantalla PintarPantalla(std::span<const std::uint8_t> bytes, int modo, const Paleta &paleta) {
  Pantalla r;
  r.imagen.ancho = kAncho;
  r.imagen.alto = kAlto;
  r.imagen.rgb.assign(static_cast<std::size_t>(kAncho) * kAlto * 3, 0);
  modo = std::clamp(modo, 0, 2);
  const int pixeles = 2 << modo; // per byte: 2, 4 or 8
  const int ancho = 4 >> modo;   // picture pixels per screen pixel: 4, 2 or 1
  for (int y = 0; y < kLineas; ++y) {
    const std::size_t inicio = static_cast<std::size_t>(y % 8) * kBloque +
                               static_cast<std::size_t>(y / 8) * kBytesPorLinea;
    for (std::size_t x = 0; x < kBytesPorLinea && inicio + x < bytes.size(); ++x) {
      for (int n = 0; n < pixeles; ++n) {
        const auto color =
            ColorFirmware(paleta[static_cast<std::size_t>(Tinta(bytes[inicio + x], modo, n))]);
        const int columna = (static_cast<int>(x) * pixeles + n) * ancho;
        for (int fila = 2 * y; fila < 2 * y + 2; ++fila) {
          for (int k = 0; k < ancho; ++k) {
            const std::size_t p = (static_cast<std::size_t>(fila) * kAncho + columna + k) * 3;
            std::copy(color.begin(), color.end(),
                      r.imagen.rgb.begin() + static_cast<std::ptrdiff_t>(p));
          }
        }
      }
    }
  }
  if (bytes.size() < kSinUltimoHueco) {
    r.parcial = true;
    r.nota = "la pantalla tiene " + std::to_string(bytes.size()) + " bytes de " +
             std::to_string(kTamano) + "; lo que falta queda en negro";
  } else if (bytes.size() > kTamano) {
    const std::size_t sobran = bytes.size() - kTamano;
    r.nota = (sobran == 1 ? std::string("sobra 1 byte")
                          : "sobran " + std::to_string(sobran) + " bytes") +
             " tras los 16 KB de la pantalla";
  }
  return r;
}

bool PareceDePantalla(std::size_t largo, std::string_view extension,
                      std::optional<std::uint16_t> carga) {
  if (largo != kTamano && largo != kSinUltimoHueco) {
    return false;
  }
  std::string ext(extension);
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  // OCP Art Studio and most screen savers write .SCR; ROM images are 16 KB at
  // &C000 too, and are no screen.
  if (ext == "SCR" || ext == "SCN" || ext == "PAN") {
    return true;
  }
  return carga == 0xC000 && ext != "ROM";
}

} // namespace Ver
