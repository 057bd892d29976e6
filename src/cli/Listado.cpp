#include "cli/Listado.h"

#include "cli/Salida.h"
#include "cli/Terminal.h"
#include "cpm/Borrados.h"
#include "cpm/Imagen.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <vector>

namespace Cli {
namespace {

std::string Formatear(const char *formato, auto... valores) {
  char texto[256];
  std::snprintf(texto, sizeof texto, formato, valores...);
  return texto;
}

// `texto` right-aligned in `ancho` columns. Built by hand: a listing has one
// line per file, and snprintf costs more than the rest of the line.
std::string ADerecha(const std::string &texto, std::size_t ancho) {
  return std::string(ancho - std::min(ancho, texto.size()), ' ') + texto;
}

// "NOMBRE  .EXT" as CAT lays names out.
std::string NombreCat(const std::string &nombre, const std::string &ext) {
  std::string s = nombre;
  s.resize(std::max<std::size_t>(s.size(), 8), ' ');
  s += '.';
  s += ext;
  s.resize(std::max<std::size_t>(s.size(), s.size() - ext.size() + 3), ' ');
  return s;
}

std::string Hex2(unsigned v) { return Formatear("&%02X", v); }
std::string Hex4(unsigned v) { return Formatear("&%04X", v); }

std::string Marca(bool si) { return si ? "sí" : " -"; }

// KB on the disk as CAT counts them, then the bytes `get` writes.
std::string LineaLarga(const cpm::Archivo &a, int tamanoBloque) {
  std::string s = Formatear("%3u %s %s %s %s %6lluK %10llu", a.usuario,
                            NombreCat(a.nombre, a.extension).c_str(), Marca(a.soloLectura).c_str(),
                            Marca(a.sistema).c_str(), Marca(a.archivado).c_str(),
                            static_cast<unsigned long long>(KbOcupados(a, tamanoBloque)),
                            static_cast<unsigned long long>(a.longitud));
  if (a.cabecera) {
    s += Formatear("  %-16s %s   %s", std::string(cpm::NombreTipo(a.cabecera->tipo)).c_str(),
                   Hex4(a.cabecera->carga).c_str(), Hex4(a.cabecera->entrada).c_str());
  }
  if (!a.completo) {
    s += "  (incompleto)";
  }
  return s + "\n";
}

std::string LineaCorta(const cpm::Archivo &a, int tamanoBloque, bool conUsuario) {
  std::string s = conUsuario ? ADerecha(std::to_string(a.usuario), 2) + ":" : "";
  s += NombreCat(a.nombre, a.extension);
  s += " " + ADerecha(std::to_string(KbOcupados(a, tamanoBloque)), 4) + "K";
  if (!a.completo) {
    s += "  (incompleto)";
  }
  return s + "\n";
}

// A deleted file's line, like a live one's, saying when get cannot recover it.
std::string LineaBorrado(const cpm::Disco &disco, const cpm::Archivo &a, bool largo) {
  const int bloque = disco.formato ? disco.formato->tamanoBloque : 1024;
  std::string s = largo ? LineaLarga(a, bloque) : LineaCorta(a, bloque, false);
  const std::string motivo = cpm::MotivoIrrecuperable(disco, a);
  if (!motivo.empty()) {
    s.insert(s.size() - 1, "  (no recuperable: " + motivo + ")");
  }
  if (largo) {
    s.replace(0, 3, "  -"); // the user is lost with the entry
  }
  return s;
}

std::string LineaFinal(const cpm::Disco &disco, std::size_t listados, std::size_t ocultos,
                       bool catalogoEntero) {
  const cpm::Catalogo &c = disco.catalogo;
  // Blocks of the entries that could not be read may be in use.
  std::string s = Plural(listados, "archivo", "archivos") + ", " +
                  (catalogoEntero ? std::to_string(KbLibres(disco)) +
                                        (KbLibres(disco) == 1 ? "K libre" : "K libres")
                                  : std::string("espacio libre desconocido"));
  if (ocultos != 0) {
    s += ", " + Plural(ocultos, "de sistema sin listar (-a)", "de sistema sin listar (-a)");
  }
  s += ", " + Plural(c.borradas.size(), "entrada borrada", "entradas borradas");
  s += ", " + Plural(c.raras.size(), "entrada rara", "entradas raras") + "\n";
  return s;
}

// How many things the reader found wrong; the format chosen by name is the
// user's doing, not the disk's.
std::string LineaProblemas(const imagenes::Problemas &problemas) {
  const auto n = static_cast<std::size_t>(
      std::count_if(problemas.begin(), problemas.end(), [](const imagenes::Problema &p) {
        return p.tipo != imagenes::TipoProblema::FormatoForzado;
      }));
  if (n == 0) {
    return {};
  }
  return Plural(n, "problema", "problemas") + " en la lectura (alcove-cli info " +
         (n == 1 ? "lo" : "los") + " detalla)\n";
}

} // namespace

// "a", "a o b", "a, b o c".
std::string Enumerar(const std::vector<std::string> &cosas) {
  std::string s;
  for (std::size_t i = 0; i < cosas.size(); ++i) {
    s += (i == 0 ? "" : i + 1 == cosas.size() ? " o " : ", ") + cosas[i];
  }
  return s;
}

std::string Plural(std::size_t n, const char *uno, const char *varios) {
  return std::to_string(n) + " " + (n == 1 ? uno : varios);
}

std::vector<const cpm::Archivo *> ArchivosOrdenados(const cpm::Catalogo &catalogo,
                                                    bool incluirSistema) {
  std::vector<const cpm::Archivo *> lista;
  for (const cpm::Archivo &a : catalogo.archivos) {
    if (incluirSistema || !a.sistema) {
      lista.push_back(&a);
    }
  }
  std::stable_sort(lista.begin(), lista.end(), [](const cpm::Archivo *x, const cpm::Archivo *y) {
    return std::tie(x->nombre, x->extension, x->usuario) <
           std::tie(y->nombre, y->extension, y->usuario);
  });
  return lista;
}

std::uint64_t KbOcupados(const cpm::Archivo &archivo, int tamanoBloque) {
  std::uint64_t bloques = 0;
  for (const cpm::Extension &e : archivo.extensiones) {
    bloques += e.bloques.size();
  }
  return bloques * static_cast<std::uint64_t>(std::max(tamanoBloque, 0)) / 1024;
}

std::uint64_t KbLibres(const cpm::Disco &disco) {
  if (!disco.formato) {
    return 0;
  }
  const cpm::Formato &f = *disco.formato;
  // A block two files claim is counted once.
  std::vector<bool> usado(static_cast<std::size_t>(std::max(f.bloques, 0)), false);
  long long usados = 0;
  for (const cpm::Archivo &a : disco.catalogo.archivos) {
    for (const cpm::Extension &e : a.extensiones) {
      for (const int b : e.bloques) {
        if (b >= f.BloquesCatalogo() && b < f.bloques && !usado[static_cast<std::size_t>(b)]) {
          usado[static_cast<std::size_t>(b)] = true;
          ++usados;
        }
      }
    }
  }
  const long long libres = static_cast<long long>(f.bloques) - f.BloquesCatalogo() - usados;
  return static_cast<std::uint64_t>(std::max(libres, 0LL)) *
         static_cast<std::uint64_t>(f.tamanoBloque) / 1024;
}

std::uint64_t KbCapacidad(const cpm::Disco &disco) {
  if (!disco.formato) {
    return 0;
  }
  const cpm::Formato &f = *disco.formato;
  const long long bloques = static_cast<long long>(f.bloques) - f.BloquesCatalogo();
  return static_cast<std::uint64_t>(std::max(bloques, 0LL)) *
         static_cast<std::uint64_t>(std::max(f.tamanoBloque, 0)) / 1024;
}

std::string TextoLs(const cpm::Disco &disco, const OpcionesLs &opciones) {
  const auto lista = ArchivosOrdenados(disco.catalogo, opciones.todos);
  const int bloque = disco.formato ? disco.formato->tamanoBloque : 1024;
  const bool conUsuario = std::any_of(lista.begin(), lista.end(),
                                      [](const cpm::Archivo *a) { return a->usuario != 0; });
  std::string s;
  s.reserve(lista.size() * 32 + 128); // a line a file, grown once
  if (opciones.largo) {
    s += "Usu Nombre       R/O SYS ARC Disco       Bytes  Tipo             Carga   Entrada\n";
  }
  for (const cpm::Archivo *a : lista) {
    s += opciones.largo ? LineaLarga(*a, bloque) : LineaCorta(*a, bloque, conUsuario);
  }
  if (opciones.borrados && !disco.catalogo.archivosBorrados.empty()) {
    s += "Archivos borrados:\n";
    for (const cpm::Archivo &a : disco.catalogo.archivosBorrados) {
      s += LineaBorrado(disco, a, opciones.largo);
    }
  }
  const std::string incompleto = cpm::CatalogoIncompleto(disco);
  if (!incompleto.empty()) {
    s += incompleto + "\n";
  }
  const std::size_t ocultos = disco.catalogo.archivos.size() - lista.size();
  return s + LineaFinal(disco, lista.size(), ocultos, incompleto.empty()) +
         LineaProblemas(disco.problemas);
}

namespace {

std::string LineaFormato(const cpm::Formato &f) {
  const auto n = [](int v) { return static_cast<std::size_t>(std::max(v, 0)); };
  const std::string reservadas =
      f.reservadas <= 0 ? "ninguna reservada" : Plural(n(f.reservadas), "reservada", "reservadas");
  return "  " + Plural(n(f.sectoresPorPista), "sector", "sectores") +
         Formatear(" de %d bytes por pista desde %s, ", f.tamanoSector,
                   Hex2(f.primerSector).c_str()) +
         Plural(n(f.pistas), "pista", "pistas") + ", " + Plural(n(f.caras), "cara", "caras") +
         ", " + reservadas + ",\n  " + Plural(n(f.bloques), "bloque", "bloques") +
         Formatear(" de %d bytes, ", f.tamanoBloque) +
         Plural(n(f.entradas), "entrada", "entradas") + " de catálogo\n";
}

// What is odd about one sector, or nothing.
std::string TextoRarezas(const imagenes::Sector &s, const RarezasSector &r) {
  std::string t;
  if (r.errorFdc) {
    t += " ST1=" + Hex2(s.st1) + " ST2=" + Hex2(s.st2);
  }
  if (r.debil) {
    t += " débil (" + std::to_string(s.copias) + " copias)";
  }
  if (r.tamanoGuardado) {
    t += " " + Plural(s.longitudGuardada, "byte guardado", "bytes guardados") + " de " +
         std::to_string(s.LongitudNominal());
  }
  if (r.codigoDistinto) {
    t += " N=" + std::to_string(s.n) + " distinto del formato";
  }
  if (r.pistaDistinta) {
    t += " C=" + std::to_string(s.c) + " distinto de la pista";
  }
  return t;
}

// The size code most of a track's sectors have (the first met of the most
// common); the Track-Info's own when it has none.
unsigned CodigoMayoritario(const imagenes::Pista &p) {
  std::array<int, 256> veces{};
  unsigned mejor = p.codigoTamano;
  int maximo = 0;
  for (const imagenes::Sector &sec : p.sectores) {
    if (++veces[sec.n] > maximo) {
      maximo = veces[sec.n];
      mejor = sec.n;
    }
  }
  return mejor;
}

// The layout of a track: "sin formatear" or its sector count, size code and IDs.
std::string DisposicionPista(const imagenes::Pista &p) {
  if (!p.formateada) {
    return " sin formatear\n";
  }
  std::string s = Formatear(" %2zu %s N=%u:", p.sectores.size(),
                            p.sectores.size() == 1 ? "sector" : "sectores", CodigoMayoritario(p));
  static constexpr std::string_view Hex = "0123456789ABCDEF";
  for (const imagenes::Sector &sec : p.sectores) {
    s += ' ';
    s += Hex[sec.r >> 4];
    s += Hex[sec.r & 0x0F];
  }
  return s + "\n";
}

// The odd sectors of a track, one line for each run of sectors (in stored
// order) odd alike: "sectores &C1-&C9: ST1=&20 ST2=&20".
std::string RarezasPista(const imagenes::Pista &p, int codigoFormato) {
  std::string s;
  const auto &sectores = p.sectores;
  const auto texto = [&](const imagenes::Sector &sec) {
    return TextoRarezas(sec, Rarezas(p, sec, codigoFormato));
  };
  for (std::size_t i = 0; i < sectores.size();) {
    const imagenes::Sector &sec = sectores[i];
    const std::string r = texto(sec);
    std::size_t j = i + 1;
    while (!r.empty() && j < sectores.size() && texto(sectores[j]) == r) {
      ++j;
    }
    if (!r.empty()) {
      s += j > i + 1 ? "        sectores " + Hex2(sec.r) + "-" + Hex2(sectores[j - 1].r)
                     : "        sector " + Hex2(sec.r);
      s += ":" + r + "\n";
    }
    i = j;
  }
  return s;
}

// One line per run of tracks laid out alike with nothing odd ("00.0-36.0"),
// and each odd track on its own with its odd sectors below it.
std::string TextoPistas(const std::vector<imagenes::Pista> &pistas, int codigoFormato) {
  std::vector<std::string> formas, rarezasDe;
  formas.reserve(pistas.size());
  rarezasDe.reserve(pistas.size());
  for (const imagenes::Pista &p : pistas) {
    formas.push_back(DisposicionPista(p));
    rarezasDe.push_back(RarezasPista(p, codigoFormato));
  }
  std::string s;
  for (std::size_t i = 0; i < pistas.size();) {
    const std::string &forma = formas[i];
    const std::string &rarezas = rarezasDe[i];
    std::size_t j = i + 1;
    if (rarezas.empty()) {
      while (j < pistas.size() && formas[j] == forma && rarezasDe[j].empty()) {
        ++j;
      }
    }
    std::string nombre = Formatear("%02d.%d", pistas[i].pista, pistas[i].cara);
    if (j > i + 1) {
      nombre += Formatear("-%02d.%d", pistas[j - 1].pista, pistas[j - 1].cara);
    }
    s += Formatear("  %-10s", nombre.c_str()) + forma + rarezas;
    i = j;
  }
  return s;
}

// The verdict, its evidence, and how many sectors show each oddity.
std::string TextoProteccion(const cpm::Veredicto &v, const SenalesProteccion &s) {
  std::string razones;
  const auto agregar = [&razones](int n, const char *uno, const char *varios) {
    if (n > 0) {
      razones += (razones.empty() ? "" : ", ") + Plural(static_cast<std::size_t>(n), uno, varios);
    }
  };
  agregar(s.errores, "con bits de error del FDC", "con bits de error del FDC");
  agregar(s.debiles, "débil", "débiles");
  agregar(s.tamanos, "con bytes guardados de más o de menos",
          "con bytes guardados de más o de menos");
  agregar(s.codigos, "de código de tamaño distinto del formato",
          "de código de tamaño distinto del formato");
  std::string t = "Protección anticopia: " + cpm::TextoVeredicto(v) + "\n" +
                  ParaTerminal(cpm::TextoPruebas(v, "  "));
  return razones.empty() ? t : t + "  sectores raros: " + razones + "\n";
}

// A problem's text with the numbers of its place masked (after "pista",
// "cara", "sector", "bloque", "entrada"): problems alike but for their place
// give the same.
std::string Molde(const std::string &texto) {
  static constexpr std::array<std::string_view, 5> Lugares = {"pista ", "cara ", "sector ",
                                                              "bloque ", "entrada "};
  std::string m;
  m.reserve(texto.size());
  for (std::size_t i = 0; i < texto.size();) {
    m += texto[i++];
    // Every place word ends in a blank: only there can one end.
    const bool lugar =
        m.back() == ' ' && std::any_of(Lugares.begin(), Lugares.end(), [&m](std::string_view l) {
          return std::string_view(m).ends_with(l);
        });
    if (lugar && i < texto.size() &&
        (texto[i] == '&' || std::isdigit(static_cast<unsigned char>(texto[i])) != 0)) {
      ++i;
      while (i < texto.size() && std::isxdigit(static_cast<unsigned char>(texto[i])) != 0) {
        ++i;
      }
      m += '#';
    }
  }
  return m;
}

// Where a problem is, as a text can name it; empty when it has no place.
std::string Donde(const imagenes::Lugar &l) {
  const std::string pista =
      "la pista " + std::to_string(l.pista) + ", cara " + std::to_string(std::max(l.cara, 0));
  if (l.sector >= 0 && l.pista >= 0) {
    return "el sector " + imagenes::TextoId(static_cast<std::uint8_t>(l.sector)) + " de " + pista;
  }
  if (l.pista >= 0) {
    return pista;
  }
  if (l.bloque >= 0) {
    return "el bloque " + std::to_string(l.bloque);
  }
  return l.entrada >= 0 ? "la entrada " + std::to_string(l.entrada) + " del catálogo" : "";
}

// One line per problem, and one for a run of problems alike but for their
// place: the first, and where the run ends.
std::string TextoProblemas(const imagenes::Problemas &problemas) {
  const auto conLugar = [](const imagenes::Lugar &l) {
    return l.pista >= 0 || l.bloque >= 0 || l.entrada >= 0;
  };
  std::string s;
  std::string molde = problemas.empty() ? "" : Molde(problemas.front().texto);
  for (std::size_t i = 0; i < problemas.size();) {
    const imagenes::Problema &p = problemas[i];
    std::size_t j = i + 1;
    std::string siguiente; // the mould of the first problem after the run
    while (j < problemas.size()) {
      siguiente = Molde(problemas[j].texto);
      if (problemas[j].tipo != p.tipo || !conLugar(problemas[j].lugar) || siguiente != molde) {
        break;
      }
      ++j;
    }
    s += "  - " + std::string(imagenes::NombreTipo(p.tipo)) + ": " + p.texto;
    if (j > i + 1) {
      s += "; y así hasta " + Donde(problemas[j - 1].lugar) + " (" + std::to_string(j - i) +
           " en total)";
    }
    s += "\n";
    i = j;
    molde = std::move(siguiente);
  }
  return s;
}

} // namespace

RarezasSector Rarezas(const imagenes::Pista &p, const imagenes::Sector &s, int codigoFormato) {
  RarezasSector r;
  r.errorFdc = s.st1 != 0 || s.st2 != 0;
  r.debil = s.copias > 1;
  r.tamanoGuardado = s.LongitudRara();
  r.codigoDistinto = codigoFormato >= 0 && s.n != codigoFormato;
  r.pistaDistinta = s.c != p.pistaCabecera;
  return r;
}

int CodigoFormato(const cpm::Disco &disco) {
  return disco.formato ? disco.formato->CodigoTamano() : -1;
}

SenalesProteccion Senales(const cpm::Disco &disco) {
  const int codigo = CodigoFormato(disco);
  SenalesProteccion s;
  for (const imagenes::Pista &p : disco.contenedor.pistasLeidas) {
    for (const imagenes::Sector &sec : p.sectores) {
      const RarezasSector r = Rarezas(p, sec, codigo);
      s.errores += r.errorFdc ? 1 : 0;
      s.debiles += r.debil ? 1 : 0;
      s.tamanos += r.tamanoGuardado ? 1 : 0;
      s.codigos += r.codigoDistinto ? 1 : 0;
    }
  }
  return s;
}

cpm::Veredicto VeredictoDe(const cpm::Disco &disco) {
  return cpm::JuzgarProteccion(disco.contenedor);
}

// Header texts hold "\r\n" and NUL padding, shown as blanks; any other
// control byte is shown visibly, so a header cannot command a terminal.
std::string TextoUnaLinea(const std::string &texto) {
  std::string s;
  for (const char c : texto) {
    if (c == '\r' || c == '\n' || c == '\0') {
      if (!s.empty() && s.back() != ' ') {
        s += ' ';
      }
    } else {
      s += c;
    }
  }
  while (!s.empty() && s.back() == ' ') {
    s.pop_back();
  }
  return ParaTerminal(s);
}

std::string TextoInfo(const cpm::Disco &disco) {
  const imagenes::Contenedor &c = disco.contenedor;
  std::string s = "Disposición: " + std::string(c.tipo) + "\n";
  s += "Firma: " + TextoUnaLinea(c.firma) + "\n";
  s += "Creador: " + TextoUnaLinea(c.creador) + "\n";
  s += Formatear("Pistas: %d  Caras: %d\n", c.pistas, c.caras);
  if (disco.formato) {
    const cpm::Formato &f = *disco.formato;
    s += "Formato: " + std::string(f.nombre) + " (" + std::string(f.descripcion) + ")";
    // The reason, unless the description already says it.
    const bool dicho = f.descripcion.find(disco.motivoFormato) != std::string_view::npos;
    s += dicho ? "\n" : ": " + disco.motivoFormato + "\n";
    s += LineaFormato(f);
  } else {
    s += "Formato: desconocido" +
         (disco.motivoFormato.empty() ? std::string() : ": " + disco.motivoFormato) + "\n";
  }
  s += "Pistas (pista.cara, sectores en el orden guardado):\n";
  s += TextoPistas(c.pistasLeidas, CodigoFormato(disco));
  s += TextoProteccion(VeredictoDe(disco), Senales(disco));
  if (!disco.problemas.empty()) {
    s += "Problemas:\n" + TextoProblemas(disco.problemas);
  }
  return s;
}

} // namespace Cli
