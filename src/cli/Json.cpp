#include "cli/Json.h"

#include "cli/Listado.h"
#include "ver/Vista.h"

#include <algorithm>

namespace Cli {

using nlohmann::json;

namespace {

json ArrayBytes(std::span<const std::uint8_t> bytes) {
  json lista = json::array();
  for (const std::uint8_t b : bytes) {
    lista.push_back(b);
  }
  return lista;
}

// Both versions of a header text: for people, and the bytes as the file stores them.
void PonerTextoCabecera(json &j, const char *clave, const std::string &texto,
                        std::span<const std::uint8_t> bytes) {
  j[clave] = TextoUnaLinea(texto);
  j[std::string(clave) + "_bytes"] = ArrayBytes(bytes);
}

// Common to both kinds of loose entry: where it is and what its name bytes say.
json JsonSuelta(const cpm::EntradaSuelta &e) {
  return {{"entrada", e.entrada}, {"texto", e.texto}, {"bytes", ArrayBytes(e.crudo)}};
}

json JsonSector(const imagenes::Pista &p, const imagenes::Sector &s, int codigoFormato) {
  const RarezasSector r = Rarezas(p, s, codigoFormato);
  json rarezas = json::array();
  for (const auto &[hay, codigo] : {std::pair{r.errorFdc, "error-fdc"},
                                    {r.debil, "debil"},
                                    {r.tamanoGuardado, "tamano-guardado"},
                                    {r.codigoDistinto, "codigo-tamano-distinto"},
                                    {r.pistaDistinta, "pista-distinta"}}) {
    if (hay) {
      rarezas.push_back(codigo);
    }
  }
  return {{"c", s.c},
          {"h", s.h},
          {"r", s.r},
          {"n", s.n},
          {"st1", s.st1},
          {"st2", s.st2},
          {"bytes_guardados", s.longitudGuardada},
          {"copias", s.copias},
          {"rarezas", rarezas}};
}

json JsonTablaPistas(const cpm::Disco &disco) {
  const int codigo = CodigoFormato(disco);
  json pistas = json::array();
  for (const imagenes::Pista &p : disco.contenedor.pistasLeidas) {
    json sectores = json::array();
    for (const imagenes::Sector &s : p.sectores) {
      sectores.push_back(JsonSector(p, s, codigo));
    }
    pistas.push_back({{"pista", p.pista},
                      {"cara", p.cara},
                      {"formateada", p.formateada},
                      {"codigo_tamano", p.codigoTamano},
                      {"sectores", sectores}});
  }
  return pistas;
}

json JsonPruebas(const std::vector<cpm::Prueba> &pruebas) {
  json lista = json::array();
  for (const cpm::Prueba &p : pruebas) {
    lista.push_back({{"pista", p.pista},
                     {"cara", p.cara},
                     {"sector", p.sector >= 0 ? json(p.sector) : json(nullptr)},
                     {"texto", p.texto}});
  }
  return lista;
}

// The verdict whole: every scheme that fits with its evidence, and the tracks
// behind any other class; with the counts of odd sectors `info` has always given.
json JsonProteccion(const cpm::Disco &disco) {
  const cpm::Veredicto v = VeredictoDe(disco);
  const SenalesProteccion s = Senales(disco);
  json j = JsonVeredicto(v);
  json esquemas = json::array();
  for (const cpm::Hallazgo &h : v.hallazgos) {
    esquemas.push_back({{"esquema", h.esquema},
                        {"certeza", std::string(cpm::CodigoCerteza(h.certeza))},
                        {"pruebas", JsonPruebas(h.pruebas)},
                        {"faltas", JsonPruebas(h.faltas)},
                        {"completable", h.completable}});
  }
  j["esquemas"] = esquemas;
  j["pistas"] = JsonPruebas(v.pistas);
  j["mas3"] = v.mas3;
  j["sectores_error_fdc"] = s.errores;
  j["sectores_debiles"] = s.debiles;
  j["sectores_tamano_guardado"] = s.tamanos;
  j["sectores_codigo_distinto"] = s.codigos;
  return j;
}

json JsonError(const cpm::Imagen &imagen, const std::string &error) {
  return {{"imagen", imagen.Ruta()}, {"error", error}};
}

} // namespace

json JsonVeredicto(const cpm::Veredicto &v) {
  const cpm::Hallazgo *h = v.hallazgos.empty() ? nullptr : &v.hallazgos.front();
  return {
      {"probable", v.Protegido()},
      {"veredicto", std::string(cpm::CodigoClase(v.clase))},
      {"texto", cpm::TextoVeredicto(v)},
      {"esquema", h != nullptr ? json(h->esquema) : json(nullptr)},
      {"certeza", h != nullptr ? json(std::string(cpm::CodigoCerteza(h->certeza))) : json(nullptr)},
      {"incompleta", v.Incompleto()}};
}

std::uint64_t LongitudExacta(const cpm::Archivo &a) {
  if (!a.cabecera) {
    return a.tamano;
  }
  // `get` cuts the header off and the file at the header's length, never past the stored bytes.
  const std::uint64_t fin = cpm::TamanoCabeceraAmsdos + std::uint64_t{a.cabecera->longitud};
  return std::min(fin, std::max<std::uint64_t>(a.tamano, cpm::TamanoCabeceraAmsdos)) -
         cpm::TamanoCabeceraAmsdos;
}

std::string_view CodigoTipo(cpm::TipoAmsdos tipo) {
  switch (tipo) {
  case cpm::TipoAmsdos::Basic: return "basic";
  case cpm::TipoAmsdos::BasicProtegido: return "basic-protegido";
  case cpm::TipoAmsdos::Binario: return "binario";
  case cpm::TipoAmsdos::Otro: return "otro";
  case cpm::TipoAmsdos::Plus3Basic: return "plus3-basic";
  case cpm::TipoAmsdos::Plus3Codigo: return "plus3-codigo";
  case cpm::TipoAmsdos::Plus3Matriz: return "plus3-matriz";
  }
  return "otro";
}

json JsonArchivo(const cpm::Archivo &a, int tamanoBloque) {
  json j = {{"usuario", a.usuario},
            {"nombre", a.nombre},
            {"extension", a.extension},
            {"solo_lectura", a.soloLectura},
            {"sistema", a.sistema},
            {"archivado", a.archivado},
            {"tamano", a.tamano},
            {"longitud", LongitudExacta(a)},
            {"kb", KbOcupados(a, tamanoBloque)},
            {"completo", a.completo},
            {"entradas_catalogo", a.extensiones.size()},
            {"amsdos", nullptr}};
  j["longitud"] = a.longitud; // the bytes get writes by default, as ls -l shows them
  if (a.cabecera) {
    j["amsdos"] = {{"cabecera", std::string(cpm::NombreFormato(a.cabecera->formato))},
                   {"tipo", std::string(CodigoTipo(a.cabecera->tipo))},
                   {"tipo_texto", std::string(cpm::NombreTipo(a.cabecera->tipo))},
                   {"tipo_codigo", a.cabecera->tipoCrudo},
                   {"carga", a.cabecera->carga},
                   {"entrada", a.cabecera->entrada},
                   {"longitud", a.cabecera->longitud}};
  }
  return j;
}

json JsonBorrada(const cpm::EntradaSuelta &e) { return JsonSuelta(e); }

json JsonRara(const cpm::EntradaSuelta &e) {
  json j = JsonSuelta(e);
  j["byte_usuario"] = e.usuario;
  j["motivo"] = e.motivo;
  return j;
}

json JsonProblemas(const imagenes::Problemas &problemas) {
  json lista = json::array();
  for (const imagenes::Problema &p : problemas) {
    json lugar = json::object();
    const auto poner = [&lugar](const char *clave, long long valor) {
      if (valor >= 0) {
        lugar[clave] = valor;
      }
    };
    poner("pista", p.lugar.pista);
    poner("cara", p.lugar.cara);
    poner("sector", p.lugar.sector);
    poner("entrada", p.lugar.entrada);
    poner("bloque", p.lugar.bloque);
    poner("desplazamiento", p.lugar.desplazamiento);
    lista.push_back({{"tipo", std::string(imagenes::NombreTipo(p.tipo))},
                     {"texto", p.texto},
                     {"lugar", lugar}});
  }
  return lista;
}

json JsonFormato(const cpm::Formato &f) {
  return {{"nombre", std::string(f.nombre)},
          {"descripcion", std::string(f.descripcion)},
          {"primer_sector", f.primerSector},
          {"sectores_por_pista", f.sectoresPorPista},
          {"tamano_sector", f.tamanoSector},
          {"pistas", f.pistas},
          {"caras", f.caras},
          {"reservadas", f.reservadas},
          {"tamano_bloque", f.tamanoBloque},
          {"entradas", f.entradas},
          {"bloques", f.bloques}};
}

json JsonCatalogo(const cpm::Disco &disco) {
  json archivos = json::array();
  for (const cpm::Archivo *a : ArchivosOrdenados(disco.catalogo, true)) {
    json j = JsonArchivo(*a, disco.formato->tamanoBloque);
    // The viewer that fits it, from the bytes get writes.
    const cpm::Extraido e = cpm::ExtraerArchivo(
        disco, *a, a->cabecera ? cpm::ModoExtraccion::Archivo : cpm::ModoExtraccion::Crudo);
    j["vista"] = std::string(Ver::NombreVista(Ver::ElegirVista(*a, e.bytes)));
    archivos.push_back(std::move(j));
  }
  json borradas = json::array();
  for (const cpm::EntradaSuelta &e : disco.catalogo.borradas) {
    borradas.push_back(JsonBorrada(e));
  }
  json raras = json::array();
  for (const cpm::EntradaSuelta &e : disco.catalogo.raras) {
    raras.push_back(JsonRara(e));
  }
  return {{"formato", JsonFormato(*disco.formato)},
          {"archivos", archivos},
          {"borradas", borradas},
          {"raras", raras},
          {"kb_capacidad", KbCapacidad(disco)},
          {"kb_libres", KbLibres(disco)},
          {"problemas", JsonProblemas(disco.problemas)}};
}

json JsonLs(const cpm::Imagen &imagen) {
  const std::string error = imagen.ErrorCatalogo();
  if (!imagen.HayCatalogo()) {
    return JsonError(imagen, error);
  }
  const cpm::Disco &d = imagen.Disco();
  json j = JsonCatalogo(d);
  if (!error.empty()) {
    j["error"] = error; // the catalogue read in part: what was read is listed
  }
  j["imagen"] = imagen.Ruta();
  j["disposicion"] = std::string(d.contenedor.tipo);
  PonerTextoCabecera(j, "creador", d.contenedor.creador, d.contenedor.creadorBytes);
  return j;
}

json JsonInfo(const cpm::Imagen &imagen) {
  if (!imagen.ErrorPistas().empty()) {
    return JsonError(imagen, imagen.ErrorPistas());
  }
  const cpm::Disco &d = imagen.Disco();
  const imagenes::Contenedor &c = d.contenedor;
  json j = {{"imagen", imagen.Ruta()}, {"disposicion", std::string(c.tipo)}};
  PonerTextoCabecera(j, "firma", c.firma, c.firmaBytes);
  PonerTextoCabecera(j, "creador", c.creador, c.creadorBytes);
  j["pistas"] = c.pistas;
  j["caras"] = c.caras;
  j["formato"] = d.formato ? JsonFormato(*d.formato) : json(nullptr);
  j["motivo_formato"] = d.motivoFormato;
  j["tabla_pistas"] = JsonTablaPistas(d);
  j["proteccion"] = JsonProteccion(d);
  j["problemas"] = JsonProblemas(d.problemas);
  return j;
}

std::string TextoJson(const json &documento) {
  return documento.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}

} // namespace Cli
