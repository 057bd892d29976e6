#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

// Writing whole files so that a failure never leaves one half-written and an
// interrupted run leaves no temporary file behind: the bytes go to a file with
// no name where the host has them (or a hidden temporary name, removed if the
// process is interrupted), which is then put in place in one step. Names are
// taken inside the folder only (they may hold no separator), so nothing can
// land elsewhere.
namespace EscrituraSegura {

// A folder opened once. Every file is written relative to it, so changing what
// its path names meanwhile (a folder swapped for a link) steers nothing.
class Carpeta {
public:
  explicit Carpeta(const std::string &ruta);
  ~Carpeta();
  Carpeta(const Carpeta &) = delete;
  Carpeta &operator=(const Carpeta &) = delete;

  // An Errores number: 0 when the folder is open; RutaNoEncontrada when it does not exist.
  [[nodiscard]] std::int16_t Error() const { return error_; }

  // Writes `bytes` as `nombre`. Without `reemplazar`, an existing file of that
  // name is kept and ArchivoYaExiste returned; the check and the placing are
  // one atomic step. Returns an Errores number (0 when written).
  std::int16_t Escribir(const std::string &nombre, std::span<const std::uint8_t> bytes,
                        bool reemplazar);

  // True when the folder holds an entry of that name, of any kind (a link is not followed).
  [[nodiscard]] bool Existe(const std::string &nombre) const;

private:
  struct Estado; // the host's handle
  std::unique_ptr<Estado> estado_;
  std::int16_t error_ = 0;
};

// One file written through a Carpeta opened for it.
std::int16_t EscribirEnCarpeta(const std::string &carpeta, const std::string &nombre,
                               std::span<const std::uint8_t> bytes, bool reemplazar);

} // namespace EscrituraSegura
