// SCP, the SuperCard Pro's flux image, as a Greaseweazle writes it too: a
// kind only read. Its file is read a track at a time (flujo/Scp.h), never
// whole, and every side's flux decoded as the FDC would read it
// (imagenes/Flujo.h).
#include "imagenes/Flujo.h"
#include "imagenes/Tipos.h"

#include "flujo/Scp.h"
#include "platform/Errores.h"
#include "platform/LecturaArchivo.h"

#include <algorithm>

namespace imagenes {
namespace {

Lectura LeerDe(flujo::Fuente &fuente) {
  DiscoDeFlujo disco;
  const flujo::LecturaScp cabecera = flujo::LeerCabeceraScp(fuente);
  if (!cabecera.cabecera) {
    return disco.Terminar(1, cabecera.error);
  }
  disco.Avisos(cabecera.avisos);
  flujo::Avisos avisos;
  flujo::RecorrerScp(
      fuente, *cabecera.cabecera, [&](flujo::PistaFlujo &&f) { disco.Flujo(f); }, avisos);
  disco.Avisos(avisos);
  return disco.Terminar(1, fuente.Fallo());
}

} // namespace

bool EsScp(std::span<const std::uint8_t> bytes) {
  return bytes.size() >= flujo::FirmaScp.size() &&
         std::equal(flujo::FirmaScp.begin(), flujo::FirmaScp.end(), bytes.begin());
}

Lectura LeerScp(std::span<const std::uint8_t> bytes, const OpcionesLectura &) {
  flujo::FuenteMemoria fuente(bytes);
  return LeerDe(fuente);
}

Lectura LeerScpArchivo(const std::string &ruta, const OpcionesLectura &) {
  std::vector<std::uint8_t> principio;
  std::uintmax_t tamano = 0;
  if (const std::int16_t e = Plataforma::LeerPrincipioArchivo(ruta, 0, principio, &tamano);
      e != Errores::Ninguno) {
    return DiscoDeFlujo().Terminar(1, Errores::TrasDosPuntos(Errores::Mensaje(e)));
  }
  FuenteArchivo fuente(ruta, tamano);
  return LeerDe(fuente);
}

} // namespace imagenes
