// alcove-dskgen: writes CPCEMU disk images made by our own generator.
//   alcove-dskgen samples CARPETA        the sample images
//   alcove-dskgen many CARPETA N         N small images (for benchmarks)
//   alcove-dskgen semillas CARPETA       seeds for the CP/M reader's fuzzer
//   alcove-dskgen protecciones CARPETA   a disk for each copy-protection case
//   alcove-dskgen flujo SALIDA.scp|CARPETA PISTAS CARAS VUELTAS [DERIVA TEMBLOR]
//                                        a DATA-like disk full of files as flux:
//                                        an SCP image, or KryoFlux streams in CARPETA
//   alcove-dskgen danados CARPETA        a disk for each kind of damage the check names
#include "Flujo.h"
#include "Generador.h"

#include <cstdlib>
#include <iostream>
#include <string>

int main(int argc, char **argv) {
  try {
    const std::string orden = argc > 1 ? argv[1] : "";
    if (orden == "samples" && argc == 3) {
      Generador::GenerarMuestras(argv[2]);
      return 0;
    }
    if (orden == "semillas" && argc == 3) {
      Generador::GenerarSemillasCpm(argv[2]);
      return 0;
    }
    if (orden == "danados" && argc == 3) {
      Generador::GenerarDanados(argv[2]);
      return 0;
    }
    if (orden == "protecciones" && argc == 3) {
      const std::filesystem::path carpeta = argv[2];
      std::filesystem::create_directories(carpeta);
      for (const Generador::CasoProteccion &c : Generador::CasosProteccion()) {
        Generador::EscribirArchivo(carpeta / (c.nombre + ".dsk"), c.bytes);
        std::cout << c.nombre << ".dsk\t" << c.que << '\n';
      }
      return 0;
    }
    if (orden == "flujo" && (argc == 6 || argc == 8)) {
      const std::filesystem::path salida = argv[2];
      const Generador::DiscoCpm d = Generador::DiscoLleno(std::atoi(argv[3]), std::atoi(argv[4]));
      Generador::OpcionesFlujo o;
      o.vueltas = std::atoi(argv[5]);
      if (argc == 8) {
        o.deriva = std::atof(argv[6]);
        o.temblor = std::atof(argv[7]);
      }
      if (salida.extension() == ".scp") {
        Generador::EscribirArchivo(salida, Generador::EscribirScp(d, o));
      } else {
        std::filesystem::create_directories(salida);
        for (const auto &[nombre, bytes] : Generador::EscribirStreams(d, o)) {
          Generador::EscribirArchivo(salida / nombre, bytes);
        }
      }
      return 0;
    }
    if (orden == "many" && argc == 4) {
      const std::filesystem::path carpeta = argv[2];
      std::filesystem::create_directories(carpeta);
      const long n = std::strtol(argv[3], nullptr, 10);
      const auto bytes = Generador::ImagenDsk()
                             .AgregarEntrada(Generador::CrearEntrada(0, "FILE    BIN", 8))
                             .Bytes();
      for (long i = 0; i < n; ++i) {
        Generador::EscribirArchivo(carpeta / ("img" + std::to_string(i) + ".dsk"), bytes);
      }
      return 0;
    }
    std::cerr << "uso: alcove-dskgen samples CARPETA | many CARPETA N | semillas CARPETA | "
                 "protecciones CARPETA | flujo SALIDA.scp|CARPETA PISTAS CARAS VUELTAS [DERIVA "
                 "TEMBLOR] | danados CARPETA\n";
    return 2;
  } catch (const std::exception &e) {
    std::cerr << "alcove-dskgen: " << e.what() << '\n';
    return 1;
  }
}
