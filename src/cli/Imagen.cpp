#include "cli/Imagen.h"

#include "cli/Comprimidos.h"
#include "cli/Flujos.h"
#include "cli/Terminal.h"
#include "platform/Errores.h"
#include "platform/LecturaArchivo.h"
#include "platform/Proceso.h"

#include <atomic>
#include <cerrno>
#include <cstdio>

namespace Cli {

void AvisarError(std::string_view que, std::string_view mensaje) {
  std::string linea = "alcove-cli: ";
  linea += que;
  linea += ": ";
  linea += mensaje;
  // One line whatever the message holds.
  for (char &c : linea) {
    if (c == '\n' || c == '\r') {
      c = ' ';
    }
  }
  linea += '\n';
  std::string copia;
  Plataforma::Escribir(Plataforma::Flujo::Errores,
                       ParaFlujo(Plataforma::Flujo::Errores, linea, copia));
}

namespace {
// errno of the first failed write to standard output; 0 while none failed.
std::atomic<int> errnoSalida{0};

} // namespace

void AnotarFalloSalida(int numero) {
  int ninguno = 0;
  errnoSalida.compare_exchange_strong(ninguno, numero != 0 ? numero : EIO);
}

void EscribirSalida(std::string_view texto, bool json) {
  std::string copia;
  const std::string_view escrito = ParaFlujo(Plataforma::Flujo::Salida, texto, copia, json);
  if (const int error = Plataforma::Escribir(Plataforma::Flujo::Salida, escrito); error != 0) {
    AnotarFalloSalida(error);
  }
}

int TerminarSalida(int codigo) {
  errno = 0;
  if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
    AnotarFalloSalida(errno);
  }
  const int numero = errnoSalida.load();
  if (numero == 0) {
    return codigo;
  }
  AvisarError("salida estándar", "no se ha podido escribir entera (" +
                                     Errores::Mensaje(Errores::DesdeHost(numero)) + ")");
  return codigo == kSalidaBien ? kSalidaFallo : codigo;
}

Cls_Imagen::Cls_Imagen(std::string ruta, const std::string &formato) : ruta_(std::move(ruta)) {
  // A plain file, a .gz, a member of a zip or a flux dump.
  FlujoCargado flujo;
  Leer(CargarImagen(ruta_, bytes_, &flujo), formato);
  // What reading the flux said is the image's to tell, as the reader's own.
  disco_.problemas.insert(disco_.problemas.begin(), flujo.notas.begin(), flujo.notas.end());
}

Cls_Imagen::Cls_Imagen(std::string ruta, const std::string &formato,
                       Plataforma::HuellaArchivo &huella)
    : ruta_(std::move(ruta)) {
  Leer(MotivoLectura(
           ruta_, Plataforma::LeerParaReemplazar(ruta_, cpm::TamanoMaximoArchivo, bytes_, huella)),
       formato);
}

std::string MotivoLectura(const std::string &ruta, std::int16_t error) {
  if (error == Errores::Ninguno) {
    return {};
  }
  // The reader takes only regular files: anything else is named for what it is.
  const std::string que = error == Errores::ArchivoNoEncontrado ? Plataforma::QueEs(ruta) : "";
  return error == Errores::ArgumentoNoValido ? "demasiado grande para ser una imagen de disco"
         : !que.empty()                      ? que + ", no una imagen de disco"
                                             : TrasDosPuntos(Errores::Mensaje(error));
}

void Cls_Imagen::Leer(std::string error, const std::string &formato) {
  errorPistas_ = std::move(error);
  if (!errorPistas_.empty()) {
    return;
  }
  cpm::OpcionesLectura opciones;
  opciones.formato = formato;
  disco_ = cpm::LeerDisco(bytes_, opciones);
  if (!disco_.contenedor.valido) {
    errorPistas_ = "no es una imagen de disco CPCEMU";
    for (const cpm::Problema &p : disco_.contenedor.problemas) {
      errorPistas_ += ": " + TrasDosPuntos(p.texto);
      break;
    }
  }
}

std::string Cls_Imagen::ErrorCatalogo() const {
  if (!errorPistas_.empty()) {
    return errorPistas_;
  }
  if (!disco_.formato) {
    return "formato desconocido" +
           (disco_.motivoFormato.empty() ? std::string() : ": " + disco_.motivoFormato);
  }
  return CatalogoIncompleto(disco_);
}

std::string CatalogoIncompleto(const cpm::Disco &disco) {
  if (!disco.formato) {
    return {};
  }
  // The catalogue is read first and stops at the first block it cannot read
  // whole, so the first sector problem on one of its blocks is what stopped it.
  const int bloques = disco.formato->BloquesCatalogo();
  for (const cpm::Problema &p : disco.catalogo.problemas) {
    const bool lectura = p.tipo == cpm::TipoProblema::SectorAusente ||
                         p.tipo == cpm::TipoProblema::SectorTamanoDistinto ||
                         p.tipo == cpm::TipoProblema::SectorCorto ||
                         p.tipo == cpm::TipoProblema::BloqueFueraDelDisco;
    if (lectura && p.lugar.bloque >= 0 && p.lugar.bloque < bloques) {
      std::string texto = p.texto;
      if (!texto.empty() && texto[0] >= 'A' && texto[0] <= 'Z') {
        texto[0] = static_cast<char>(texto[0] - 'A' + 'a');
      }
      return "catálogo incompleto: " + texto;
    }
  }
  return {};
}

std::string NombreConUsuario(const cpm::Archivo &archivo) {
  const std::string nombre = archivo.NombreCompleto();
  return archivo.usuario == 0 ? nombre : std::to_string(archivo.usuario) + ":" + nombre;
}

} // namespace Cli
