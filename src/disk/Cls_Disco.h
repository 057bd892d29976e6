#pragma once

#include "disk/Types_Def.h"

#include <cstdint>
#include <memory>
#include <string>

class Cls_Util;
class IndicadorProgreso;

// One CPCEMU disk image opened by the program. Cargar opens the file and decodes
// its header and catalogue; the object then serves the bytes of the open file.
// Failures throw ErrorAlcove and pass to the caller unchanged.
class Cls_Disco {
public:
  Cls_Disco();
  ~Cls_Disco();
  Cls_Disco(const Cls_Disco &) = delete;
  Cls_Disco &operator=(const Cls_Disco &) = delete;

  std::string NombreFichero; // full path of the loaded image
  double TotalBytes = 0;     // its length, taken when it was opened
  double Puntero = 0;        // kept for compatibility; nothing uses it

  // Opens and decodes `Fichero`. A path that names no existing file is no
  // failure: nothing changes and the image loaded before stays open. Nor is a
  // folder, FIFO, device or a file of 2 GiB or more. A file that is there but
  // cannot be opened throws, and the image loaded before stays open too.
  void Cargar(std::string Fichero);

  // Closes the open image; does nothing when none is open.
  void Cerrar();

  // The byte at `Pos`; 0 past the end of the file.
  [[nodiscard]] std::uint8_t NumByte(double Pos) const;

  // Copies bytes HexI..HexO of the image to the host file `Ruta`, which ends up
  // holding exactly that range, under the shared progress indicator. Ranges
  // longer than 2^31 - 1 bytes are refused before anything is opened.
  void Extraer(std::string Ruta, double &HexI, double &HexO);

  // Bytes HexI..HexO as text, carriage returns and line feeds as blanks; empty
  // when HexI > HexO.
  [[nodiscard]] std::string ExtraerStr(double HexI, double HexO) const;

  // Writes the first HexO - HexI + 1 characters of `Datos` at HexI..HexO. Too
  // few characters is refused before anything is written, and so is a write
  // reaching 2 GiB, or one into an image whose path now names another file or
  // nothing (saved over or deleted by another program).
  void MeterSTR(double HexI, double HexO, std::string Datos);

  // NombreFichero without its folder.
  [[nodiscard]] std::string NombreCFichero() const;

  // A copy of the header record of the loaded image.
  [[nodiscard]] CabeceraDisco Cabecera() const;

private:
  void ComprobarExtraccion(const std::string &Ruta, std::int64_t desde, std::int64_t hasta) const;
  void CopiarConProgreso(std::int16_t destino, std::int64_t desde, std::int64_t hasta,
                         IndicadorProgreso &progreso) const;

  CabeceraDisco Cab;
  std::int16_t NumFichero = 0;
  std::unique_ptr<Cls_Util> Util;
};
