// Conversions between the two DSK layouts, HFE and raw dumps, on generator
// disks of every format and every kind of damage: what a kind cannot hold is
// listed and nothing is made without forzar; what it can hold comes back
// exactly, and back again to the source's kind.
#include "Ayuda.h"
#include "cpm/Comparacion.h"
#include "cpm/Conversion.h"
#include "imagenes/Hfe.h"
#include "imagenes/Mfm.h"
#include "imagenes/Tipos.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using Generador::DiscoCpm;
using Generador::Disposicion;

const std::string Version = "9.8";

const imagenes::Tipo *Tipo(const char *nombre) {
  const imagenes::Tipo *t = imagenes::TipoPorNombre(nombre);
  EXPECT_NE(t, nullptr) << nombre;
  return t;
}

DiscoCpm ConArchivos(DiscoCpm d) {
  d.Agregar({0, "DISC", "BAS", false, false, false, Datos(3000, 1), {}, 0})
      .Agregar({0, "GAME", "BIN", true, false, false, Datos(20000, 2), {}, 0})
      .Agregar({1, "LEVELS", "DAT", false, true, false, Datos(700, 3), {}, 0});
  return d;
}

DiscoCpm Data(Disposicion disposicion = Disposicion::Extendida) {
  return ConArchivos(DiscoCpm(Generador::GeometriaData(), disposicion).Intercalado(Intercalado()));
}

std::vector<std::uint8_t> Pcw() {
  Generador::Geometria g = Generador::GeometriaPlus3();
  g.pistas = 80;
  g.caras = 2;
  g.tamanoBloque = 2048;
  g.entradas = 128;
  DiscoCpm d = ConArchivos(DiscoCpm(g, Disposicion::Extendida));
  d.Descripcion({3, 0x81, 80, 9, 2, 1, 4, 2, 0x2A, 0x52, 0, 0, 0, 0, 0, 0});
  return d.Bytes();
}

std::vector<std::uint8_t> ConSobrantes() {
  auto b = Data().Bytes();
  b.insert(b.end(), 100, 0x42);
  return b;
}

std::vector<std::uint8_t> Estados(std::uint8_t st1, std::uint8_t st2) {
  DiscoCpm d = Data();
  for (std::uint8_t id = 0xC1; id <= 0xC4; ++id) {
    d.Estado(12, 0, id, st1, st2);
  }
  return d.Bytes();
}

// What each kind loses of a disk: nullptr nothing, else a phrase of the list.
struct Caso {
  const char *nombre;
  std::function<std::vector<std::uint8_t>()> imagen;
  const char *estandar;
  const char *hfe;
  const char *crudo;
};

class Conversion : public testing::TestWithParam<Caso> {};

imagenes::Superficie Superficie(std::span<const std::uint8_t> bytes) {
  const imagenes::Tipo *tipo = imagenes::TipoDeBytes(bytes);
  EXPECT_NE(tipo, nullptr);
  imagenes::Lectura l = (tipo != nullptr ? *tipo : *Tipo("extendido")).leer(bytes, {});
  EXPECT_TRUE(l.disco) << l.error;
  return l.disco.value_or(imagenes::Superficie{});
}

std::string Textos(const std::vector<imagenes::Diferencia> &v) {
  std::string t;
  for (const imagenes::Diferencia &d : v) {
    t += d.texto + "\n";
  }
  return t;
}

// The Track-Info fields of `a` that `b` does not give back (an unknown 0 in
// `a` asks nothing), one line a track; and the creator field, when `b` has it.
std::string CamposCambiados(const imagenes::Superficie &a, const imagenes::Superficie &b,
                            bool conCreador) {
  std::string t;
  if (conCreador && a.creador != b.creador) {
    t += "creador\n";
  }
  for (int pista = 0; pista < a.pistas; ++pista) {
    for (int cara = 0; cara < a.caras; ++cara) {
      const imagenes::PistaSuperficie *x = a.Pista(pista, cara), *y = b.Pista(pista, cara);
      if (x == nullptr || y == nullptr || x->sectores.empty() || y->sectores.empty()) {
        continue;
      }
      if ((x->tasa != 0 && x->tasa != y->tasa) ||
          (x->grabacion != 0 && x->grabacion != y->grabacion) || x->gap != y->gap) {
        t += imagenes::TextoPista(pista, cara) + "\n";
      }
    }
  }
  return t;
}

TEST_P(Conversion, PierdeSoloLoQueElDestinoNoGuarda) {
  const Caso &caso = GetParam();
  const std::vector<std::uint8_t> origen = caso.imagen();
  const imagenes::Superficie original = Superficie(origen);
  const imagenes::Tipo *tipoOrigen = imagenes::TipoDeBytes(origen);
  for (const auto &[destino, pierde] :
       {std::pair{Tipo("extendido"), static_cast<const char *>(nullptr)},
        {Tipo("estandar"), caso.estandar},
        {Tipo("hfe"), caso.hfe},
        {Tipo("raw"), caso.crudo}}) {
    SCOPED_TRACE(std::string(destino->nombre));
    cpm::OpcionesConversion o{destino, false, "", Version};
    const imagenes::Conversion c = cpm::Convertir(origen, o);
    if (pierde != nullptr) {
      EXPECT_FALSE(c.Hecha());
      EXPECT_TRUE(c.bytes.empty());
      EXPECT_NE(Textos(c.perdidas).find(pierde), std::string::npos) << Textos(c.perdidas);
      // Forced, the same list, and an image whose reading is what the list says.
      o.forzar = true;
      const imagenes::Conversion forzada = cpm::Convertir(origen, o);
      ASSERT_TRUE(forzada.Hecha()) << forzada.error;
      EXPECT_EQ(Textos(forzada.perdidas), Textos(c.perdidas));
      EXPECT_FALSE(forzada.bytes.empty());
      continue;
    }
    ASSERT_TRUE(c.Hecha()) << c.error << "\n" << Textos(c.perdidas);
    // And back to the source's kind: the same disk, sector by sector.
    cpm::OpcionesConversion vuelta{tipoOrigen, false, "", Version};
    if (destino == Tipo("raw")) {
      const cpm::Disco d = cpm::LeerDisco(origen);
      ASSERT_TRUE(d.formato);
      vuelta.formato = std::string(d.formato->nombre);
      if (d.formato->caras != 1 || d.formato->pistas != 40) {
        continue; // a described +3/PCW geometry has no name of its own to read the dump by
      }
    }
    const imagenes::Conversion atras = cpm::Convertir(c.bytes, vuelta);
    ASSERT_TRUE(atras.Hecha()) << atras.error << "\n" << Textos(atras.perdidas);
    imagenes::OpcionesComparacion porId;
    porId.porId = destino == Tipo("raw");
    const imagenes::Superficie devuelta = Superficie(atras.bytes);
    EXPECT_EQ(Textos(imagenes::CompararSuperficies(original, devuelta, porId)), "");
    // Nothing said lost, the Track-Info fields come back too (and the creator,
    // through the kinds that hold one).
    if (destino != Tipo("raw")) {
      EXPECT_EQ(CamposCambiados(original, devuelta, destino != Tipo("hfe")), "");
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Discos, Conversion,
    testing::Values(
        Caso{"DataEstandar", [] { return Data(Disposicion::Estandar).Bytes(); }, nullptr, nullptr,
             nullptr},
        Caso{"DataExtendida", [] { return Data().Bytes(); }, nullptr, nullptr, nullptr},
        Caso{"System", [] { return ConArchivos(DiscoCpm(Generador::GeometriaSystem())).Bytes(); },
             nullptr, nullptr, nullptr},
        Caso{"Ibm",
             [] {
               return ConArchivos(DiscoCpm(Generador::GeometriaIbm(), Disposicion::Extendida))
                   .Bytes();
             },
             nullptr, nullptr, nullptr},
        Caso{"PcwDosCaras80Pistas", Pcw, nullptr, nullptr, nullptr},
        Caso{"DataDosCaras",
             [] {
               return ConArchivos(
                          DiscoCpm(Generador::GeometriaData(), Disposicion::Extendida, 40, 2))
                   .Bytes();
             },
             nullptr, nullptr, "pista 0, cara 1: 9 sectores en el origen, ninguno"},
        Caso{"SectorDebil", [] { return Data().Debil(5, 0, 0xC3, 3).Bytes(); },
             "sector &C3: 3 copias en el origen, 1 en la imagen nueva", "3 copias", "3 copias"},
        Caso{"ErrorDeDatos", [] { return Estados(0x20, 0x20); }, nullptr, nullptr,
             "ST1=&20 ST2=&20 en el origen, ST1=&00 ST2=&00"},
        Caso{"ErrorEnElId", [] { return Estados(0x20, 0x00); }, nullptr, nullptr, "ST1=&20"},
        Caso{"MarcaDeBorrado", [] { return Estados(0x00, 0x40); }, nullptr, nullptr, "ST2=&40"},
        Caso{"BitsQueElFdcPone", [] { return Estados(0x80, 0x00); }, nullptr,
             "pista 12, cara 0, sector &C1: ST1=&80", "ST1=&80"},
        Caso{"CodigoDeTamanoDistinto", [] { return Data().CodigoTamano(7, 0, 0xC1, 3).Bytes(); },
             "guarda 512 bytes y su N=3 pide 1024",
             "512 bytes guardados en el origen, 1024 en la imagen nueva",
             "ID C=7 H=0 R=&C1 N=3 en el origen"},
        Caso{"PistaSinFormato", [] { return Data().SinFormato(39, 0).Bytes(); }, nullptr, nullptr,
             "pista 39, cara 0: ninguno en el origen"},
        Caso{"SectorQuitado", [] { return Data().QuitarSector(6, 0, 0xC2).Bytes(); }, nullptr,
             nullptr, "sector &C2: solo en la imagen nueva"},
        // Ten sectors leave a revolution at HFE's rate less room than GAP#3.
        Caso{"DiezSectores", [] { return Data().SectorExtra(3, 0, 0xCA).Bytes(); }, nullptr,
             "pista 3, cara 0: GAP#3 78 en el origen, ", "sector &CA: solo en el origen"},
        // Rate and mode as later tools note them, and a GAP#3 of its own:
        // the DSK layouts and HFE keep them (a raw dump keeps no Track-Info).
        Caso{"CamposDeLaPista",
             [] { return Data().Grabacion(1, 2, 0x50).Creador("SAMdisk").Bytes(); }, nullptr,
             nullptr, nullptr},
        // A GAP#3 no revolution at HFE's rate holds with nine 512-byte sectors.
        Caso{"GapQueNoCabeEnHfe", [] { return Data().Grabacion(1, 2, 0xA0).Bytes(); }, nullptr,
             "pista 0, cara 0: GAP#3 160 en el origen, ", nullptr},
        Caso{"BytesTrasLaUltimaPista", ConSobrantes,
             "tras la última pista: 100 bytes en el origen, 0", "tras la última pista",
             "tras la última pista"}),
    [](const testing::TestParamInfo<Caso> &i) { return std::string(i.param.nombre); });

// An extended image and its standard conversion are the same disk at both levels.
// A file cut short, to every kind: the tracks the reader could not read whole
// are lost, and said so, rather than made unformatted in silence.
TEST(Conversion, UnOrigenCortadoDiceLoQuePierde) {
  const std::vector<std::uint8_t> dsk = Data().Bytes();
  const std::vector<std::uint8_t> hfe = imagenes::EscribirHfe(Superficie(dsk));
  const struct {
    const char *nombre;
    std::vector<std::uint8_t> bytes;
    const char *pierde; // the start of the list of losses
  } casos[] = {
      {"dsk a 30000 bytes", {dsk.begin(), dsk.begin() + 30000}, "pista 6, cara 0: "},
      {"hfe al 3 %",
       {hfe.begin(), hfe.begin() + static_cast<std::ptrdiff_t>(hfe.size() * 3 / 100)},
       "pista 1: "},
  };
  for (const auto &caso : casos) {
    for (const char *destino : {"extendido", "estandar", "hfe", "raw"}) {
      SCOPED_TRACE(std::string(caso.nombre) + " a " + destino);
      cpm::OpcionesConversion o{Tipo(destino), false, "data", Version};
      const imagenes::Conversion c = cpm::Convertir(caso.bytes, o);
      EXPECT_FALSE(c.Hecha());
      EXPECT_EQ(Textos(c.perdidas).rfind(caso.pierde, 0), 0U) << Textos(c.perdidas);
      o.forzar = true;
      EXPECT_TRUE(cpm::Convertir(caso.bytes, o).Hecha());
    }
  }
}

TEST(Comparacion, ExtendidaYSuEstandarSonElMismoDisco) {
  const std::vector<std::uint8_t> extendida = Data().Bytes();
  const imagenes::Conversion estandar =
      cpm::Convertir(extendida, {Tipo("estandar"), false, "", Version});
  ASSERT_TRUE(estandar.Hecha()) << estandar.error;
  EXPECT_EQ(
      Textos(imagenes::CompararSuperficies(Superficie(extendida), Superficie(estandar.bytes))), "");
  const Leido a(extendida), b(estandar.bytes);
  const cpm::ComparacionArchivos archivos = cpm::CompararArchivos(a.disco, b.disco);
  EXPECT_EQ(Textos(archivos.diferencias), "");
  EXPECT_TRUE(archivos.dudas.empty());
}

// Each kind of difference is said once, where it is.
TEST(Comparacion, DiceCadaDiferencia) {
  DiscoCpm base = Data();
  const imagenes::Superficie a = Superficie(base.Bytes());
  DiscoCpm otro = Data();
  otro.Estado(2, 0, 0xC5, 0x20, 0x20).Debil(3, 0, 0xC1, 2).EscribirBloque(20, Datos(1024, 9));
  const auto textos =
      Textos(imagenes::CompararSuperficies(a, Superficie(otro.Bytes()), {"A", "B"}));
  EXPECT_NE(
      textos.find("pista 2, cara 0, sector &C5: ST1=&00 ST2=&00 en A, ST1=&20 ST2=&20 en B\n"),
      std::string::npos)
      << textos;
  EXPECT_NE(textos.find("pista 3, cara 0, sector &C1: 1 copia en A, 2 en B; 512 bytes guardados "
                        "en A, 1024 en B\n"),
            std::string::npos)
      << textos;
  EXPECT_NE(textos.find("distintos desde el byte 0"), std::string::npos) << textos;

  DiscoCpm renombrado = Data();
  renombrado.Agregar({0, "EXTRA", "TXT", false, false, false, Datos(100, 4), {}, 0});
  const Leido x(base.Bytes()), y(renombrado.Bytes());
  const auto archivos = cpm::CompararArchivos(x.disco, y.disco, {"A", "B"});
  EXPECT_EQ(Textos(archivos.diferencias), "EXTRA.TXT: solo en B\n");
}

// What the FDC reported of each sector is written into the cells so that it
// reports it again: a bad CRC in either field, a deleted mark, no data field.
TEST(Hfe, LasMarcasDelFdcVuelven) {
  imagenes::Superficie s;
  s.pistas = 1;
  s.caras = 1;
  imagenes::PistaSuperficie &p = s.pistasCaras.emplace_back();
  p.formateada = true;
  const std::vector<std::pair<std::uint8_t, std::uint8_t>> estados{
      {0x00, 0x00}, {0x20, 0x20}, {0x20, 0x00}, {0x00, 0x40}, {0x01, 0x01}, {0x20, 0x60}};
  for (std::size_t i = 0; i < estados.size(); ++i) {
    imagenes::SectorSuperficie x;
    x.r = static_cast<std::uint8_t>(0xC1 + i);
    x.n = static_cast<std::uint8_t>(i % 3);
    std::tie(x.st1, x.st2) = estados[i];
    if (x.st1 != 0x01) {
      x.datos = Datos(x.LongitudNominal(), static_cast<std::uint8_t>(i));
    }
    p.sectores.push_back(x);
  }
  const std::vector<std::uint8_t> hfe = imagenes::EscribirHfe(s);
  const imagenes::Lectura leida = imagenes::LeerHfe(hfe);
  ASSERT_TRUE(leida.disco) << leida.error;
  EXPECT_EQ(Textos(imagenes::CompararSuperficies(s, *leida.disco)), "");
  EXPECT_TRUE(leida.problemas.empty());
}

// The header and table a Gotek reads: 250 kbit/s, 300 rpm, CPC mode, one step
// a track; 12,500 bytes a side for a revolution.
TEST(Hfe, CabeceraYTabla) {
  const std::vector<std::uint8_t> hfe = imagenes::EscribirHfe(Superficie(Data().Bytes()));
  ASSERT_GE(hfe.size(), 1024U);
  EXPECT_EQ(std::string(hfe.begin(), hfe.begin() + 8), "HXCPICFE");
  EXPECT_EQ(hfe[9], 40); // tracks
  EXPECT_EQ(hfe[10], 1); // sides
  EXPECT_EQ(hfe[11], 0); // ISO/IBM MFM
  EXPECT_EQ(hfe[12] | hfe[13] << 8, 250);
  EXPECT_EQ(hfe[14] | hfe[15] << 8, 300);
  EXPECT_EQ(hfe[16], 6);    // CPC DD
  EXPECT_EQ(hfe[18], 1);    // the table in block 1
  EXPECT_EQ(hfe[21], 0xFF); // single step
  for (int t = 0; t < 40; ++t) {
    const std::size_t e = 512 + static_cast<std::size_t>(t) * 4;
    EXPECT_EQ(hfe[e] | hfe[e + 1] << 8, 2 + t * 49) << t; // 25,000 bytes take 49 blocks
    EXPECT_EQ(hfe[e + 2] | hfe[e + 3] << 8, 25000) << t;
  }
  EXPECT_EQ(hfe.size(), 512U * (2 + 40 * 49));
}

TEST(Hfe, CrcDelFdc) {
  const std::string texto = "123456789"; // CRC-16/CCITT-FALSE's check value
  EXPECT_EQ(
      imagenes::mfm::CrcCcitt({reinterpret_cast<const std::uint8_t *>(texto.data()), texto.size()}),
      0x29B1);
  // An ID field the FDC writes: A1 A1 A1 FE, track 0, side 0, sector 1, N 2.
  const std::vector<std::uint8_t> id{0xA1, 0xA1, 0xA1, 0xFE, 0x00, 0x00, 0x01, 0x02};
  EXPECT_EQ(imagenes::mfm::CrcCcitt(id), 0xCA6F);
}

TEST(Hfe, NoLeeLoQueNoEs) {
  struct Malo {
    const char *nombre;
    std::function<void(std::vector<std::uint8_t> &)> cambio;
    const char *error;
  };
  const std::vector<std::uint8_t> bueno = imagenes::EscribirHfe(Superficie(Data().Bytes()));
  for (const Malo &m :
       std::vector<Malo>{{"v3", [](auto &b) { std::copy_n("HXCHFEV3", 8, b.begin()); }, "HFE v3"},
                         {"FM", [](auto &b) { b[11] = 2; }, "FM"},
                         {"SinPistas", [](auto &b) { b[9] = 0; }, "0 pistas"},
                         {"TablaFuera", [](auto &b) { b[19] = 0xFF; }, "tabla de pistas"},
                         {"Corto", [](auto &b) { b.resize(20); }, "más corto"}}) {
    std::vector<std::uint8_t> b = bueno;
    m.cambio(b);
    const imagenes::Lectura l = imagenes::LeerHfe(b);
    EXPECT_FALSE(l.disco) << m.nombre;
    EXPECT_NE(l.error.find(m.error), std::string::npos) << m.nombre << ": " << l.error;
  }
  // Cut in the middle of its tracks: the whole ones are read, the cut one said.
  std::vector<std::uint8_t> cortado = bueno;
  cortado.resize(512 * (2 + 10 * 49 + 20));
  const imagenes::Lectura l = imagenes::LeerHfe(cortado);
  ASSERT_TRUE(l.disco) << l.error;
  EXPECT_EQ(l.disco->Pista(9, 0)->sectores.size(), 9U);
  EXPECT_FALSE(l.disco->Pista(11, 0)->formateada);
  ASSERT_FALSE(l.problemas.empty());
  EXPECT_EQ(l.problemas.front().texto,
            "La pista 10 no está entera en el archivo; se lee lo que hay");
}

// MFM cells as an HFE file keeps them (the first cell in bit 0 of a byte),
// written here apart from the library's encoder: each data bit after its
// clock, which is 1 only between two 0 bits; a sync A1 lacks the clock
// before its data bit 2.
class CeldasMfm {
public:
  void Byte(std::uint8_t valor, bool sincronia = false) {
    for (int i = 7; i >= 0; --i) {
      const bool dato = ((valor >> i) & 1) != 0;
      Celda(!anterior_ && !dato && !(sincronia && i == 2));
      Celda(dato);
      anterior_ = dato;
    }
  }
  void Repetir(std::size_t veces, std::uint8_t valor) {
    for (std::size_t i = 0; i < veces; ++i) {
      Byte(valor);
    }
  }
  // Twelve zeros, three syncs and the mark byte.
  void Marca(std::uint8_t marca) {
    Repetir(12, 0x00);
    for (int i = 0; i < 3; ++i) {
      Byte(0xA1, true);
    }
    Byte(marca);
  }
  [[nodiscard]] std::size_t Bytes() const { return celdas_ / 16; }
  [[nodiscard]] const std::vector<std::uint8_t> &Archivo() const { return archivo_; }

private:
  void Celda(bool uno) {
    if (celdas_ % 8 == 0) {
      archivo_.push_back(0);
    }
    archivo_.back() = static_cast<std::uint8_t>(archivo_.back() | (uno ? 1u << (celdas_ % 8) : 0u));
    ++celdas_;
  }

  bool anterior_ = false;
  std::size_t celdas_ = 0;
  std::vector<std::uint8_t> archivo_;
};

// An HFE file of `cilindros` cylinders on `caras` sides, every cylinder's
// entry in the table pointing at the one block that holds `cara` on each side.
std::vector<std::uint8_t> HfeDeUnaCara(const std::vector<std::uint8_t> &cara, int cilindros,
                                       int caras) {
  std::vector<std::uint8_t> hfe(512, 0xFF);
  const std::string firma = "HXCPICFE";
  std::copy(firma.begin(), firma.end(), hfe.begin());
  hfe[8] = 0;
  hfe[9] = static_cast<std::uint8_t>(cilindros);
  hfe[10] = static_cast<std::uint8_t>(caras);
  hfe[11] = 0; // MFM
  hfe[12] = 250 & 0xFF;
  hfe[13] = 0;
  hfe[14] = 300 & 0xFF;
  hfe[15] = 300 >> 8;
  hfe[16] = 6;
  hfe[17] = 0;
  hfe[18] = 1; // the table in block 1
  hfe[19] = 0;
  hfe.resize(512 * 3, 0xFF);
  const std::size_t largo = cara.size() * 2;
  for (int t = 0; t < cilindros; ++t) {
    const std::size_t e = 512 + static_cast<std::size_t>(t) * 4;
    hfe[e] = 3; // every cylinder in block 3
    hfe[e + 1] = 0;
    hfe[e + 2] = static_cast<std::uint8_t>(largo & 0xFF);
    hfe[e + 3] = static_cast<std::uint8_t>(largo >> 8);
  }
  for (std::size_t desde = 0; desde < cara.size(); desde += 256) {
    for (int lado = 0; lado < 2; ++lado) {
      std::vector<std::uint8_t> mitad(256, 0);
      std::copy_n(cara.begin() + static_cast<std::ptrdiff_t>(desde),
                  std::min<std::size_t>(256, cara.size() - desde), mitad.begin());
      hfe.insert(hfe.end(), mitad.begin(), mitad.end());
    }
  }
  return hfe;
}

// The crafted HFE of a hostile review: `cilindros` cylinders on two sides, all
// pointing at one block whose sides hold 16,383 bytes each (the most a 16-bit
// cylinder length allows). Each side is an ID of a 16 KB sector (N=7) whose
// data field is full of further IDs and data marks: a reader that looks for
// the next ID right after the last ID field finds them all, and copies the
// rest of the track for each. With 255 cylinders the file is 67,072 bytes.
std::vector<std::uint8_t> HfeDeIdsEnLosDatos(int cilindros) {
  constexpr std::size_t BytesCara = 16383;
  CeldasMfm k;
  k.Repetir(20, 0x4E);
  while (k.Bytes() + 60 <= BytesCara) {
    k.Marca(0xFE);
    for (const std::uint8_t b : {0x00, 0x00, 0x01, 0x07, 0x12, 0x34}) {
      k.Byte(b);
    }
    k.Repetir(22, 0x4E);
    k.Marca(0xFB);
  }
  k.Repetir(BytesCara - k.Bytes(), 0x4E);
  return HfeDeUnaCara(k.Archivo(), cilindros, 2);
}

// A side yields no more than a drive reads of it: from the index round to
// the index, each data field once, the reading going on after the data field
// it read; one sector may run on past the index.
TEST(Hfe, UnaCaraDaLoQueLeeUnaUnidad) {
  const imagenes::Lectura l = imagenes::LeerHfe(HfeDeIdsEnLosDatos(4));
  ASSERT_TRUE(l.disco) << l.error;
  for (const imagenes::PistaSuperficie &p : l.disco->pistasCaras) {
    std::size_t total = 0;
    for (const imagenes::SectorSuperficie &s : p.sectores) {
      total += s.datos.size();
    }
    EXPECT_LE(total, 16383U + 16384U) << p.sectores.size() << " sectores";
  }
}

// The whole 67 KB file: every one of its 510 sides reads as one 16 KB sector.
TEST(Hfe, ElArchivoDe67KbDaUnDiscoDeSuTamano) {
  const std::vector<std::uint8_t> hfe = HfeDeIdsEnLosDatos(255);
  EXPECT_EQ(hfe.size(), 67072U);
  const imagenes::Lectura l = imagenes::LeerHfe(hfe);
  ASSERT_TRUE(l.disco) << l.error;
  std::size_t total = 0;
  for (const imagenes::PistaSuperficie &p : l.disco->pistasCaras) {
    ASSERT_EQ(p.sectores.size(), 1U);
    total += p.sectores.front().datos.size();
  }
  EXPECT_EQ(total, 510U * 16384U);
}

// An 8K sector (N=6) on a track of one revolution, as protected disks have it:
// its data field is cut by the index, and the FDC reads on past the index, over
// the start of the track (the gap, the ID, the data mark), to 8192 bytes, with
// a bad CRC. The reading says so.
TEST(Hfe, UnSectorDe8KSigueTrasElIndice) {
  CeldasMfm k;
  k.Repetir(146, 0x4E);
  k.Marca(0xFE);
  for (const std::uint8_t b : {0x00, 0x00, 0xC1, 0x06, 0x12, 0x34}) {
    k.Byte(b);
  }
  k.Repetir(22, 0x4E);
  k.Marca(0xFB);
  const std::size_t inicioDatos = k.Bytes();
  for (std::size_t i = 0; k.Bytes() < 6250; ++i) {
    k.Byte(static_cast<std::uint8_t>(i * 7));
  }
  const imagenes::Lectura l = imagenes::LeerHfe(HfeDeUnaCara(k.Archivo(), 1, 1));
  ASSERT_TRUE(l.disco) << l.error;
  const imagenes::PistaSuperficie *p = l.disco->Pista(0, 0);
  ASSERT_NE(p, nullptr);
  ASSERT_EQ(p->sectores.size(), 1U);
  const imagenes::SectorSuperficie &s = p->sectores.front();
  ASSERT_EQ(s.datos.size(), 8192U);
  const std::size_t antes = 6250 - inicioDatos; // up to the index
  for (std::size_t i = 0; i < antes; ++i) {
    ASSERT_EQ(s.datos[i], static_cast<std::uint8_t>(i * 7)) << i;
  }
  // Then the track from its start: the gap, then the syncs of the ID.
  for (std::size_t i = 0; i < 146; ++i) {
    ASSERT_EQ(s.datos[antes + i], 0x4E) << i;
  }
  EXPECT_EQ(s.datos[antes + 146 + 12], 0xA1);
  EXPECT_EQ(s.datos[antes + 146 + 15], 0xFE);
  EXPECT_EQ(s.st1, 0x20);
  EXPECT_EQ(s.st2, 0x20);
  ASSERT_EQ(l.problemas.size(), 1U);
  EXPECT_EQ(l.problemas.front().tipo, imagenes::TipoProblema::SectorPasaElIndice);
  EXPECT_EQ(l.problemas.front().texto,
            "El sector &C1 de la pista 0, cara 0 sigue tras el índice: sus 8192 bytes se leen "
            "dando la vuelta a la pista, como los lee el FDC");
}

// A raw dump needs a format, whole tracks of it, and reads as the machine formats.
TEST(Crudo, SoloConFormatoYPistasEnteras) {
  const std::vector<std::uint8_t> crudo(40 * 9 * 512, 0x33);
  EXPECT_NE(cpm::Convertir(crudo, {Tipo("extendido"), false, "", Version}).error.find("--formato"),
            std::string::npos);
  EXPECT_NE(
      cpm::Convertir(std::vector<std::uint8_t>(1000), {Tipo("extendido"), false, "data", Version})
          .error.find("no son un número entero de pistas"),
      std::string::npos);
  const imagenes::Conversion c = cpm::Convertir(crudo, {Tipo("estandar"), false, "data", Version});
  ASSERT_TRUE(c.Hecha()) << c.error;
  const Leido d(c.bytes);
  ASSERT_TRUE(d.disco.formato);
  EXPECT_EQ(d.disco.formato->nombre, "data");
  EXPECT_EQ(d.disco.contenedor.creador, "Alcove " + Version);
  // AMSDOS's interleave, as `new` formats it.
  EXPECT_EQ(d.disco.contenedor.pistasLeidas[0].sectores[1].r, 0xC6);
  EXPECT_EQ(cpm::Convertir(c.bytes, {Tipo("raw"), false, "", Version}).bytes, crudo);
}

} // namespace
