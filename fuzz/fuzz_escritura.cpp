// Sequences of new, put, rm, ren, attr and header's changes, driven by the input, on new disks of
// every format and on generator disks, both with bytes damaged at random.
// After every write: each file reads back exactly as the model has it, the
// free space adds up, and only catalogue entries and the sectors of newly
// held blocks changed. A refusal gives no bytes; a disk the writer refuses
// to touch is refused by every write.
#include "Generador.h"
#include "cpm/Disco.h"
#include "cpm/Escritura.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <map>
#include <set>
#include <span>
#include <string>
#include <vector>

namespace {

void Comprobar(bool condicion) {
  if (!condicion) {
    std::abort();
  }
}

// The input, read a byte or a number at a time; zeros once it runs out.
class Entrada {
public:
  explicit Entrada(std::span<const std::uint8_t> b) : b_(b) {}
  std::uint8_t Byte() { return pos_ < b_.size() ? b_[pos_++] : 0; }
  std::size_t Numero(std::size_t hasta) { // 0 .. hasta - 1
    std::size_t n = Byte();
    n = (n << 8) | Byte();
    n = (n << 8) | Byte();
    return hasta == 0 ? 0 : n % hasta;
  }
  [[nodiscard]] bool Queda() const { return pos_ < b_.size(); }

private:
  std::span<const std::uint8_t> b_;
  std::size_t pos_ = 0;
};

struct Modelo {
  std::vector<std::uint8_t> contenido; // as the disk gives it back, raw
  bool soloLectura = false, sistema = false, archivado = false;
};
using Archivos = std::map<std::string, Modelo>; // "user:NAME.EXT"

std::string Clave(const cpm::Archivo &a) {
  return std::to_string(a.usuario) + ":" + a.NombreCompleto();
}

// A disk image and its reading, kept together.
struct Estado {
  std::vector<std::uint8_t> bytes;
  cpm::Disco disco;
  void Poner(std::vector<std::uint8_t> b) {
    bytes = std::move(b);
    disco = cpm::LeerDisco(bytes);
  }
  [[nodiscard]] const cpm::Archivo *Buscar(const std::string &clave) const {
    for (const cpm::Archivo &a : disco.catalogo.archivos) {
      if (Clave(a) == clave) {
        return &a;
      }
    }
    return nullptr;
  }
};

Archivos ModeloDe(const cpm::Disco &d) {
  Archivos m;
  for (const cpm::Archivo &a : d.catalogo.archivos) {
    m[Clave(a)] = {cpm::ExtraerArchivo(d, a, cpm::ModoExtraccion::Crudo).bytes, a.soloLectura,
                   a.sistema, a.archivado};
  }
  return m;
}

void ComprobarModelo(const Estado &e, const Archivos &m) {
  Comprobar(e.disco.catalogo.archivos.size() == m.size());
  for (const auto &[clave, modelo] : m) {
    const cpm::Archivo *a = e.Buscar(clave);
    Comprobar(a != nullptr);
    Comprobar(cpm::ExtraerArchivo(e.disco, *a, cpm::ModoExtraccion::Crudo).bytes ==
              modelo.contenido);
    Comprobar(a->soloLectura == modelo.soloLectura && a->sistema == modelo.sistema &&
              a->archivado == modelo.archivado);
  }
}

std::set<int> Bloques(const cpm::Disco &d, const std::set<std::string> &salvo) {
  std::set<int> r;
  for (const cpm::Archivo &a : d.catalogo.archivos) {
    if (salvo.count(Clave(a)) == 0) {
      for (const cpm::Extension &x : a.extensiones) {
        r.insert(x.bloques.begin(), x.bloques.end());
      }
    }
  }
  return r;
}

// Byte ranges [desde, hasta) of the image, by where they start.
using Tramos = std::map<std::size_t, std::size_t>;

void Marcar(const cpm::Disco &d, long long desde, long long n, Tramos &tramos) {
  for (long long i = desde; i < desde + n; ++i) {
    const auto u = cpm::UbicarSector(*d.formato, i);
    if (const imagenes::Sector *s = imagenes::BuscarSector(d.contenedor, u.pista, u.cara, u.id)) {
      tramos[s->desplazamiento] = s->desplazamiento + s->datos.size();
    }
  }
}

// The end of the range holding `pos`; 0 when none does.
std::size_t FinDelTramo(const Tramos &tramos, std::size_t pos) {
  auto it = tramos.upper_bound(pos);
  return it != tramos.begin() && pos < std::prev(it)->second ? std::prev(it)->second : 0;
}

// Only the catalogue's sectors and those of blocks held after and not before
// (files replaced hold none before) may differ.
void ComprobarCambios(const Estado &antes, const Estado &despues,
                      const std::set<std::string> &reemplazados) {
  Comprobar(antes.bytes.size() == despues.bytes.size());
  const cpm::Formato &f = *antes.disco.formato;
  Tramos tramos;
  const long long primero = static_cast<long long>(f.reservadas) * f.sectoresPorPista;
  Marcar(antes.disco, primero, (f.entradas * 32 + f.tamanoSector - 1) / f.tamanoSector, tramos);
  const std::set<int> viejos = Bloques(antes.disco, reemplazados);
  const long long porBloque = f.tamanoBloque / f.tamanoSector;
  for (int b : Bloques(despues.disco, {})) {
    if (viejos.count(b) == 0) {
      Marcar(antes.disco, primero + b * porBloque, porBloque, tramos);
    }
  }
  // Whole runs compared at once; a differing byte must lie in a range, whose
  // bytes are then passed over.
  constexpr std::size_t Trozo = 256;
  const std::uint8_t *a = antes.bytes.data();
  const std::uint8_t *b = despues.bytes.data();
  const std::size_t total = antes.bytes.size();
  for (std::size_t i = 0; i < total;) {
    const std::size_t n = std::min(Trozo, total - i);
    if (std::memcmp(a + i, b + i, n) == 0) {
      i += n;
    } else if (a[i] == b[i]) {
      ++i;
    } else {
      const std::size_t fin = FinDelTramo(tramos, i);
      Comprobar(fin > i);
      i = fin;
    }
  }
}

const char *const Nombres[] = {"A.BIN", "B", "GAME.BAS", "LONGNAME.TXT", "X-1.$$$", "Z9"};

cpm::NombreCpm NombreAl(Entrada &in) {
  const auto n = cpm::ValidarNombre(Nombres[in.Byte() % std::size(Nombres)], in.Byte() % 3);
  Comprobar(n.has_value());
  return *n;
}

std::vector<std::uint8_t> Contenido(std::size_t largo, std::uint8_t semilla) {
  std::vector<std::uint8_t> v(largo);
  std::uint32_t x = semilla * 2654435761u + 1;
  for (auto &b : v) {
    x = x * 1103515245u + 12345u;
    b = static_cast<std::uint8_t>(x >> 16);
  }
  return v;
}

std::vector<std::uint8_t> Esperado(std::vector<std::uint8_t> v, bool cpm3) {
  if (!cpm3) {
    v.resize((v.size() + 127) / 128 * 128, 0x1A);
  }
  return v;
}

std::vector<std::uint8_t> Nuevo(Entrada &in) {
  static const cpm::OpcionesNuevo Opciones[] = {
      {"data", 0, 0, false, "f"},  {"system", 0, 0, false, "f"}, {"ibm", 0, 0, false, "f"},
      {"plus3", 0, 0, false, "f"}, {"pcw720", 0, 0, false, "f"}, {"plus3", 80, 1, false, "f"},
      {"data", 42, 2, false, "f"}, {"plus3", 40, 2, false, "f"}};
  cpm::OpcionesNuevo o = Opciones[in.Byte() % std::size(Opciones)];
  o.extendida = (in.Byte() & 1) != 0;
  cpm::Escrito e = cpm::NuevoDisco(o);
  Comprobar(e.Hecho());
  return std::move(e.bytes);
}

std::vector<std::uint8_t> Generado(Entrada &in) {
  static const Generador::Geometria Geometrias[] = {
      Generador::GeometriaData(), Generador::GeometriaSystem(), Generador::GeometriaPlus3(),
      Generador::GeometriaIbm()};
  const Generador::Geometria &g = Geometrias[in.Byte() % std::size(Geometrias)];
  Generador::DiscoCpm d(g, Generador::Disposicion::Extendida);
  const int archivos = in.Byte() % 4;
  for (int i = 0; i < archivos; ++i) {
    Generador::ArchivoCpm a;
    a.usuario = static_cast<std::uint8_t>(i % 2);
    a.nombre = "G" + std::to_string(i);
    a.ext = "DAT";
    a.soloLectura = (i & 1) != 0;
    a.datos = Contenido(in.Numero(40000), static_cast<std::uint8_t>(i));
    d.Agregar(a);
  }
  // Damage the generator knows how to make, on track 0..39 side 0.
  const int danos = in.Byte() % 3;
  for (int i = 0; i < danos; ++i) {
    // Half the damage on the first tracks, where the catalogue lies.
    const int pista = (in.Byte() & 1) != 0 ? in.Byte() % 3 : in.Byte() % 40;
    const auto id = static_cast<std::uint8_t>(g.primerSector + in.Byte() % g.sectores);
    switch (in.Byte() % 4) {
    case 0: d.Debil(pista, 0, id, 2); break;
    case 1: d.Estado(pista, 0, id, 0x20, 0x20); break;
    case 2: d.CodigoTamano(pista, 0, id, 3); break;
    default: d.SinFormato(pista, 0); break;
    }
  }
  return d.Bytes();
}

void Estropear(Entrada &in, std::vector<std::uint8_t> &b) {
  const int golpes = in.Byte() % 4;
  for (int i = 0; i < golpes && !b.empty(); ++i) {
    // Half of them in the header and the first tracks.
    const std::size_t hasta =
        (in.Byte() & 1) != 0 ? std::min<std::size_t>(b.size(), 16384) : b.size();
    b[in.Numero(hasta)] = in.Byte();
  }
}

// Sum of blocks and entries new files take.
struct Cuenta {
  int bloques = 0, entradas = 0;
};
Cuenta Contar(const cpm::Formato &f, std::span<const cpm::ArchivoNuevo> archivos) {
  const std::size_t b = static_cast<std::size_t>(f.tamanoBloque);
  const std::size_t porEntrada = std::min<std::size_t>(
      (f.Bloques16() ? 8 : 16) * b, static_cast<std::size_t>(f.MascaraExtension() + 1) * 16384);
  Cuenta c;
  for (const auto &a : archivos) {
    c.bloques += static_cast<int>((a.contenido.size() + b - 1) / b);
    c.entradas += static_cast<int>(
        std::max<std::size_t>(1, (a.contenido.size() + porEntrada - 1) / porEntrada));
  }
  return c;
}

// A header's change drawn from the input, each field or not.
cpm::CambioCabecera CambioAl(Entrada &in) {
  cpm::CambioCabecera c;
  const std::uint8_t cuales = in.Byte();
  if ((cuales & 1) != 0) {
    c.tipo = in.Byte();
  }
  if ((cuales & 2) != 0) {
    c.carga = static_cast<std::uint16_t>(in.Numero(0x10000));
  }
  if ((cuales & 4) != 0) {
    c.entrada = static_cast<std::uint16_t>(in.Numero(0x10000));
  }
  if ((cuales & 8) != 0) {
    c.longitud = static_cast<std::uint32_t>(in.Numero(80000));
  }
  return c;
}

// One put, rm, ren, attr or header change; the model follows what it must do.
void Paso(Entrada &in, Estado &e, Archivos &modelo, bool escribible) {
  const cpm::Espacio antes = cpm::EspacioLibre(e.disco);
  std::vector<const cpm::Archivo *> elegidos;
  for (const cpm::Archivo &a : e.disco.catalogo.archivos) {
    if ((in.Byte() & 1) != 0) {
      elegidos.push_back(&a);
    }
  }
  cpm::Escrito r;
  Cuenta cuenta;
  std::set<std::string> reemplazados;
  Archivos nuevoModelo = modelo;
  const int op = in.Byte() % 5;
  bool debeSalir = false;  // nothing stands in its way
  bool debeFallar = false; // a name taken or a file read-only
  if (op == 0) {
    std::vector<cpm::ArchivoNuevo> nuevos(in.Byte() % 3 + 1);
    const bool reemplazar = (in.Byte() & 1) != 0;
    std::set<std::string> claves;
    bool chocan = false;
    for (auto &n : nuevos) {
      n.nombre = NombreAl(in);
      // Mostly small files, some over several extents.
      const std::size_t hasta = (in.Byte() & 3) == 0 ? 70000 : 4000;
      n.contenido = Contenido(in.Numero(hasta), in.Byte());
      n.soloLectura = (in.Byte() & 1) != 0;
      const std::string k = std::to_string(n.nombre.usuario) + ":" + n.nombre.Texto();
      chocan = chocan || !claves.insert(k).second || (!reemplazar && modelo.count(k) != 0);
      if (modelo.count(k) != 0) {
        reemplazados.insert(k);
      }
      nuevoModelo[k] = {Esperado(n.contenido, e.disco.formato && e.disco.formato->bytesCpm3),
                        n.soloLectura, false, false};
    }
    r = cpm::PonerArchivos(e.bytes, e.disco, nuevos, reemplazar);
    debeFallar = chocan;
    if (escribible && !chocan) {
      cuenta = Contar(*e.disco.formato, nuevos);
      debeSalir = reemplazados.empty() && cuenta.bloques <= antes.bloquesLibres &&
                  cuenta.entradas <= antes.entradasLibres;
    }
  } else if (op == 1) {
    const bool forzar = (in.Byte() & 1) != 0;
    r = cpm::BorrarArchivos(e.bytes, e.disco, elegidos, forzar);
    bool protegido = false;
    for (const cpm::Archivo *a : elegidos) {
      protegido = protegido || a->soloLectura;
      nuevoModelo.erase(Clave(*a));
      for (const cpm::Extension &x : a->extensiones) {
        cuenta.bloques += static_cast<int>(x.bloques.size());
        ++cuenta.entradas;
      }
    }
    debeFallar = protegido && !forzar;
    debeSalir = escribible && !debeFallar;
  } else if (op == 2 && !elegidos.empty()) {
    const cpm::NombreCpm n = NombreAl(in);
    const std::string k = std::to_string(n.usuario) + ":" + n.Texto();
    const cpm::Archivo &a = *elegidos.front();
    r = cpm::RenombrarArchivo(e.bytes, e.disco, a, n);
    const Modelo m = nuevoModelo[Clave(a)];
    nuevoModelo.erase(Clave(a));
    debeFallar = modelo.count(k) != 0 && k != Clave(a);
    debeSalir = escribible && !debeFallar;
    nuevoModelo[k] = m;
  } else if (op == 4 && !elegidos.empty()) {
    // header: a change in place, or a header put on or taken off.
    const cpm::Archivo &a = *elegidos.front();
    const std::string k = Clave(a);
    Modelo &m = nuevoModelo[k];
    const bool amsdos = a.cabecera && a.cabecera->formato == cpm::FormatoCabecera::Amsdos;
    // A header put on carries the file's name; a name the model cannot
    // make again has its header only changed.
    const auto nombre = cpm::ValidarNombre(a.NombreCompleto(), a.usuario);
    const int como = nombre ? in.Byte() % 3 : 0;
    reemplazados.insert(k); // its first record, or all of it, may change
    const cpm::CambioCabecera c = CambioAl(in);
    if (como == 0) {
      r = cpm::CambiarCabecera(e.bytes, e.disco, a, c);
      const std::size_t tras = a.tamano > 128 ? a.tamano - 128 : 0;
      debeFallar = !amsdos || (c.longitud && *c.longitud > tras);
      if (m.contenido.size() >= 128) {
        cpm::CambiarCamposCabecera(std::span<std::uint8_t, 128>(m.contenido.data(), 128), c);
      }
    } else {
      const bool poner = como == 1;
      r = poner ? cpm::PonerCabecera(e.bytes, e.disco, a, c)
                : cpm::QuitarCabecera(e.bytes, e.disco, a);
      debeFallar = poner == a.cabecera.has_value();
      const bool cpm3 = e.disco.formato && e.disco.formato->bytesCpm3;
      std::vector<std::uint8_t> nuevo;
      if (poner) {
        const std::uint8_t tipo = c.tipo.value_or(cpm::TipoAmsdosBasic);
        const std::uint16_t carga = c.carga.value_or(cpm::CargaBasic);
        const auto h = cpm::HacerCabeceraAmsdos(
            *nombre, tipo, carga, c.entrada.value_or(tipo == cpm::TipoAmsdosBinario ? carga : 0),
            c.longitud.value_or(static_cast<std::uint32_t>(m.contenido.size())));
        nuevo.assign(h.begin(), h.end());
        nuevo.insert(nuevo.end(), m.contenido.begin(), m.contenido.end());
        debeFallar = debeFallar || (c.longitud && *c.longitud > m.contenido.size());
      } else if (!debeFallar) {
        nuevo = cpm::ExtraerArchivo(e.disco, a, cpm::ModoExtraccion::Archivo).bytes;
      }
      m.contenido = Esperado(nuevo, cpm3);
      m.archivado = false;
      if (e.disco.formato) {
        const cpm::ArchivoNuevo escrito{{}, m.contenido, false, false};
        cuenta = Contar(*e.disco.formato, std::span(&escrito, 1));
      }
    }
  } else {
    cpm::CambioAtributos c;
    const std::uint8_t b = in.Byte();
    if ((b & 3) != 0) {
      c.soloLectura = (b & 3) == 1;
    }
    if ((b & 12) != 0) {
      c.sistema = (b & 12) == 4;
    }
    if ((b & 48) != 0) {
      c.archivado = (b & 48) == 16;
    }
    r = cpm::CambiarAtributos(e.bytes, e.disco, elegidos, c);
    for (const cpm::Archivo *a : elegidos) {
      Modelo &m = nuevoModelo[Clave(*a)];
      m.soloLectura = c.soloLectura.value_or(m.soloLectura);
      m.sistema = c.sistema.value_or(m.sistema);
      m.archivado = c.archivado.value_or(m.archivado);
    }
    debeSalir = escribible;
  }
  if (!r.Hecho()) {
    Comprobar(r.bytes.empty() && !debeSalir && !r.rechazo->texto.empty());
    return;
  }
  Comprobar(escribible && !debeFallar);
  Estado despues;
  despues.Poner(std::move(r.bytes));
  ComprobarCambios(e, despues, reemplazados);
  ComprobarModelo(despues, nuevoModelo);
  // The free space adds up: put takes its blocks and entries (a file replaced
  // gives its own back); rm gives back its files' blocks, all of them when no
  // odd entry may name them too; ren and attr change none.
  const cpm::Espacio ahora = cpm::EspacioLibre(despues.disco);
  const int libres = ahora.bloquesLibres + ahora.bloquesInutilizables;
  const int libresAntes = antes.bloquesLibres + antes.bloquesInutilizables;
  if (op == 0 && reemplazados.empty()) {
    Comprobar(ahora.bloquesLibres == antes.bloquesLibres - cuenta.bloques &&
              ahora.bloquesInutilizables == antes.bloquesInutilizables &&
              ahora.entradasLibres == antes.entradasLibres - cuenta.entradas);
  } else if (op == 0) {
    Comprobar(libres >= libresAntes - cuenta.bloques);
  } else if (op == 4 && cuenta.bloques > 0) {
    // A header put on or taken off writes the file again, as put replaces one.
    Comprobar(libres >= libresAntes - cuenta.bloques);
  } else if (op == 1) {
    Comprobar(libres >= libresAntes &&
              ahora.entradasLibres >= antes.entradasLibres + cuenta.entradas);
    // Odd entries and dropped repeated extents may name blocks the files do.
    const bool otras =
        !e.disco.catalogo.raras.empty() ||
        std::any_of(e.disco.problemas.begin(), e.disco.problemas.end(), [](const auto &p) {
          return p.tipo == imagenes::TipoProblema::ExtensionRepetida;
        });
    Comprobar(otras || libres == libresAntes + cuenta.bloques);
  } else {
    Comprobar(ahora.bloquesLibres == antes.bloquesLibres &&
              ahora.entradasLibres == antes.entradasLibres);
  }
  // Moving the vector keeps its buffer, so the reading still points into it.
  e = std::move(despues);
  modelo = std::move(nuevoModelo);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *datos, std::size_t largo) {
  Entrada in(std::span<const std::uint8_t>(datos, largo));
  Estado e;
  std::vector<std::uint8_t> imagen = (in.Byte() & 1) != 0 ? Generado(in) : Nuevo(in);
  Estropear(in, imagen);
  e.Poner(std::move(imagen));
  Archivos modelo = ModeloDe(e.disco);
  for (int pasos = 0; pasos < 8 && in.Queda(); ++pasos) {
    if (in.Byte() % 8 == 0) {
      e.Poner(Nuevo(in));
      modelo.clear();
    }
    const bool escribible = cpm::SePuedeEscribir(e.disco);
    Paso(in, e, modelo, escribible);
  }
  return 0;
}
