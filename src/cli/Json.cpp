#include "cli/Json.h"

#include "cli/Listado.h"

namespace Cli {

using nlohmann::json;

json JsonArchivo(const cpm::Archivo &a, int tamanoBloque) {
  json j = {{"usuario", a.usuario},     {"nombre", a.nombre},
            {"extension", a.extension}, {"solo_lectura", a.soloLectura},
            {"sistema", a.sistema},     {"archivado", a.archivado},
            {"tamano", a.tamano},       {"kb", KbOcupados(a, tamanoBloque)},
            {"completo", a.completo},   {"extensiones", a.extensiones.size()},
            {"amsdos", nullptr}};
  j["longitud"] = a.longitud; // the bytes get writes by default, as ls -l shows them
  if (a.cabecera) {
    j["amsdos"] = {{"tipo", std::string(cpm::NombreTipo(a.cabecera->tipo))},
                   {"tipo_codigo", a.cabecera->tipoCrudo},
                   {"carga", a.cabecera->carga},
                   {"entrada", a.cabecera->entrada},
                   {"longitud", a.cabecera->longitud}};
  }
  return j;
}

json JsonSuelta(const cpm::EntradaSuelta &e) {
  json crudo = json::array();
  for (const std::uint8_t b : e.crudo) {
    crudo.push_back(b);
  }
  return {{"entrada", e.entrada},
          {"usuario", e.usuario},
          {"texto", e.texto},
          {"bytes", crudo},
          {"motivo", e.motivo}};
}

json JsonProblemas(const cpm::Problemas &problemas) {
  json lista = json::array();
  for (const cpm::Problema &p : problemas) {
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
    lista.push_back(
        {{"tipo", std::string(cpm::NombreTipo(p.tipo))}, {"texto", p.texto}, {"lugar", lugar}});
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
    archivos.push_back(JsonArchivo(*a, disco.formato->tamanoBloque));
  }
  json borradas = json::array();
  for (const cpm::EntradaSuelta &e : disco.catalogo.borradas) {
    borradas.push_back(JsonSuelta(e));
  }
  json raras = json::array();
  for (const cpm::EntradaSuelta &e : disco.catalogo.raras) {
    raras.push_back(JsonSuelta(e));
  }
  return {{"formato", JsonFormato(*disco.formato)},
          {"archivos", archivos},
          {"borradas", borradas},
          {"raras", raras},
          {"kb_libres", KbLibres(disco)},
          {"problemas", JsonProblemas(disco.problemas)}};
}

std::string TextoJson(const json &documento) {
  return documento.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
}

} // namespace Cli
