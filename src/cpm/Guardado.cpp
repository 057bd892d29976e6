#include "cpm/Guardado.h"

#include "platform/Errores.h"

#include <algorithm>

namespace cpm {

std::string TextoRechazo(const std::string &rechazo) {
  return rechazo == Plataforma::kSoloLectura ? rechazo : rechazo + "; la imagen queda como estaba";
}

Guardado GuardarEscrito(const std::string &ruta, std::span<const std::uint8_t> leidos,
                        const Plataforma::HuellaArchivo &huella, const Escrito &escrito,
                        const std::function<void()> &antes) {
  if (!escrito.Hecho()) {
    return {false, escrito.rechazo->texto};
  }
  if (std::equal(leidos.begin(), leidos.end(), escrito.bytes.begin(), escrito.bytes.end())) {
    return {}; // nothing to change: the file is not touched
  }
  if (antes) {
    antes();
  }
  const Plataforma::Reemplazo r = Plataforma::ReemplazarArchivo(ruta, huella, escrito.bytes);
  if (r.cambiado) {
    return {false, "la imagen ha cambiado desde que se leyó; no se ha escrito nada"};
  }
  if (!r.rechazo.empty()) {
    return {false, TextoRechazo(r.rechazo)};
  }
  if (r.error != Errores::Ninguno) {
    return {false, "no se ha podido escribir: " + Errores::Mensaje(r.error) +
                       "; la imagen queda como estaba"};
  }
  return {true, {}};
}

} // namespace cpm
