#pragma once

// The test doubles of the windows, written once: fakes of the host's controls
// (as F_Alcove and the disk manager reach them), the user as a script of
// answers to the disk manager's questions, and the progress indicator as seen.
#include "Comun.h"

#include "gestion/Dialogos.h"
#include "platform/Errores.h"
#include "platform/Progreso.h"
#include "ui/controles/Controles.h"
#include "ui/controles/FilasOrdenadas.h"
#include "ui/main/Iconos.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

// ---- Controls ---------------------------------------------------------------------

struct UnidadesFalsas final : Controles::ListaUnidades {
  std::string texto;
  [[nodiscard]] std::string Drive() const override { return texto; }
};

// A folder list or a file list: a path that must be a folder, and its writes.
struct CarpetasFalsas final : Controles::ListaCarpetas {
  std::string ruta;
  int escrituras = 0;
  [[nodiscard]] std::string Path() const override { return ruta; }
  void SetPath(const std::string &r) override {
    if (!std::filesystem::is_directory(RutaFs(r)))
      LanzarError(Errores::RutaNoEncontrada);
    ruta = r;
    ++escrituras;
  }
};

struct ArchivosFalsos final : Controles::ListaArchivos {
  std::string ruta, nombre;
  int listados = 0;
  [[nodiscard]] std::string Path() const override { return ruta; }
  void SetPath(const std::string &r) override {
    ruta = r;
    nombre.clear();
    ++listados;
  }
  [[nodiscard]] std::string FileName() const override { return nombre; }
  void FijarOtrasImagenes(OtrasImagenes o) override { otras = std::move(o); }
  OtrasImagenes otras;
};

struct ImagenesFalsas final : Controles::ListaImagenes {
  std::vector<std::string> claves = Iconos::ClavesCatalogo();
  [[nodiscard]] int Count() const override { return static_cast<int>(claves.size()); }
  [[nodiscard]] std::string Key(int j) const override {
    return j >= 1 && j <= Count() ? claves[static_cast<std::size_t>(j - 1)] : std::string();
  }
  [[nodiscard]] int Index(const std::string &clave) const override {
    for (int j = 1; j <= Count(); ++j)
      if (Key(j) == clave)
        return j;
    return 0;
  }
};

struct VistaFalsa final : Controles::VistaLista {
  explicit VistaFalsa(const ImagenesFalsas &i) : imagenes(i) {}
  const ImagenesFalsas &imagenes;
  FilasOrdenadas filas;
  void Clear() override {
    filas.Clear();
    elegidas.clear();
    actual = -1;
  }
  int Add(const Textos &t, int icono) override { return filas.Add(t, icono); }
  [[nodiscard]] bool Sorted() const override { return filas.Sorted(); }
  [[nodiscard]] std::int16_t SortKey() const override { return filas.SortKey(); }
  [[nodiscard]] int SortOrder() const override { return filas.SortOrder(); }
  void SetSortKey(std::int16_t c) override { filas.SetSortKey(c); }
  void SetSortOrder(int o) override { filas.SetSortOrder(o); }
  [[nodiscard]] int Filas() const override { return filas.size(); }
  [[nodiscard]] std::string Texto(int f, int c) const override {
    return filas[f].textos[static_cast<std::size_t>(c)];
  }
  [[nodiscard]] std::string ClaveIcono(int f) const override {
    return imagenes.Key(filas[f].icono);
  }
  [[nodiscard]] int Llegada(int f) const override { return filas.Llegada(f); }
  std::vector<int> elegidas;
  int actual = -1;
  [[nodiscard]] std::vector<int> Seleccionadas() const override { return elegidas; }
  [[nodiscard]] int FilaActual() const override { return actual; }
  void SeleccionarSolo(int f) override {
    elegidas = f < 0 ? std::vector<int>{} : std::vector<int>{f};
    actual = f < 0 ? actual : f;
  }
  void Seleccionar(const std::vector<int> &f) override {
    elegidas.clear();
    for (const int fila : f) {
      if (fila >= 0 && fila < Filas())
        elegidas.push_back(fila);
    }
    actual = elegidas.empty() ? -1 : elegidas.front();
    std::sort(elegidas.begin(), elegidas.end()); // as hosts give them
  }
};

struct EstadoFalso final : Controles::BarraEstado {
  std::array<std::string, Paneles> textos{"Disco", "Formato Imagen", "Pistas / Caras", ""};
  void SetPanelText(int p, const std::string &t) override {
    textos.at(static_cast<std::size_t>(p - 1)) = t;
  }
  [[nodiscard]] std::string PanelText(int p) const override {
    return textos.at(static_cast<std::size_t>(p - 1));
  }
};

// ---- The user and the progress window ----------------------------------------------

// The user, as a script: answers in order, and what was asked and told. A
// question with no answer left is a failure of the test.
class Guion final : public Gestion::Dialogos {
public:
  std::deque<bool> confirmar;
  std::optional<std::string> texto;
  std::optional<Destino> carpeta;
  std::vector<std::string> archivos;
  std::optional<std::string> archivoNuevo;
  std::vector<std::string> propuestos; // "folder|name" offered for a new file
  std::optional<DiscoNuevo> disco;
  std::optional<BorradoElegido> borrado;
  bool recuperacionOfrecida = false;
  // put's options: nothing cancels; none given takes what is offered.
  std::optional<OpcionesPoner> poner;
  bool cancelarPoner = false;

  std::vector<std::string> preguntas, ofrecidos, avisos, informes;
  std::vector<OpcionesPoner> ponerOfrecidas;
  std::vector<std::vector<std::string>> ponerArchivos;
  std::vector<bool> cabeceraOfrecida;
  std::string mostrado;

  bool Confirmar(const std::string &, const std::string &pregunta) override {
    preguntas.push_back(pregunta);
    if (confirmar.empty()) {
      ADD_FAILURE() << "unexpected question: " << pregunta;
      return false;
    }
    const bool si = confirmar.front();
    confirmar.pop_front();
    return si;
  }
  std::optional<std::string> PedirTexto(const std::string &, const std::string &pregunta,
                                        const std::string &) override {
    preguntas.push_back(pregunta);
    return texto;
  }
  std::optional<Destino> ElegirCarpeta(const std::string &, bool conCabecera) override {
    cabeceraOfrecida.push_back(conCabecera);
    return carpeta;
  }
  std::vector<std::string> ElegirArchivos(const std::string &) override { return archivos; }
  std::optional<std::string> ElegirArchivoNuevo(const std::string &, const std::string &desde,
                                                const std::string &nombre) override {
    propuestos.push_back(desde + "|" + nombre);
    return archivoNuevo;
  }
  std::optional<DiscoNuevo>
  PedirDiscoNuevo(const std::vector<std::pair<std::string, std::string>> &formatos) override {
    EXPECT_FALSE(formatos.empty());
    formatosOfrecidos.clear();
    for (const auto &f : formatos)
      formatosOfrecidos.push_back(f.first);
    return disco;
  }
  std::vector<std::string> formatosOfrecidos;
  std::optional<BorradoElegido> ElegirBorrado(const std::vector<std::string> &b,
                                              bool sePuedeRecuperar) override {
    ofrecidos = b;
    recuperacionOfrecida = sePuedeRecuperar;
    return borrado;
  }
  std::optional<OpcionesPoner> PedirOpcionesPoner(const std::vector<std::string> &nombres,
                                                  const OpcionesPoner &inicial) override {
    ponerArchivos.push_back(nombres);
    ponerOfrecidas.push_back(inicial);
    if (cancelarPoner)
      return std::nullopt;
    return poner.value_or(inicial);
  }
  // "Propiedades": `cabecera` makes the fields the user leaves from those
  // offered; none given cancels.
  std::function<std::optional<Cabecera>(Cabecera)> cabecera;
  std::optional<Cabecera> cabeceraEditable;
  std::vector<std::string> tiposOfrecidos;
  std::optional<Cabecera> EditarPropiedades(const std::string &t, const Cabecera &c,
                                            const std::vector<std::string> &tipos) override {
    mostrado = t;
    cabeceraEditable = c;
    tiposOfrecidos = tipos;
    return cabecera ? cabecera(c) : std::nullopt;
  }
  // The disk's map: `mapa` picks the box the user opens; none given closes it.
  std::function<std::optional<Gestion::CeldaMapa>(const Gestion::DibujoMapa &)> mapa;
  std::optional<Gestion::CeldaMapa> MostrarMapa(const std::string &,
                                                const Gestion::DibujoMapa &dibujo) override {
    ++mapasMostrados;
    return mapa ? mapa(dibujo) : std::nullopt;
  }
  int mapasMostrados = 0;
  // The sector view: `sector` edits the dump shown; none given cancels.
  std::function<std::optional<std::string>(const std::string &)> sector;
  std::string cabeceraSector;
  bool sectorSoloLeer = false;
  std::optional<std::string> EditarSector(const std::string &, const std::string &arriba,
                                          const std::string &volcado, bool soloLeer) override {
    cabeceraSector = arriba;
    sectorSoloLeer = soloLeer;
    return sector && !soloLeer ? sector(volcado) : std::nullopt;
  }
  void Avisar(const std::string &mensaje) override { avisos.push_back(mensaje); }
  void Informar(const std::string &mensaje) override { informes.push_back(mensaje); }
  void Mostrar(const std::string &, const std::string &t) override { mostrado = t; }
};

// What the shared progress indicator was told.
class ProgresoVisto final : public IndicadorProgreso {
public:
  ProgresoVisto() { Plataforma::InstalarProgreso(this); }
  ~ProgresoVisto() override { Plataforma::InstalarProgreso(nullptr); }
  ProgresoVisto(const ProgresoVisto &) = delete;
  ProgresoVisto &operator=(const ProgresoVisto &) = delete;
  void SetDe(double v) override { de = v; }
  void SetA(double v) override { a = v; }
  void SetTitulo(const std::string &t) override { titulos.push_back(t); }
  void Mostrar() override { ++mostrado; }
  void SetValor(double v) override { valor = v; }
  void Ocultar() override { ++oculto; }
  double de = 0, a = 0, valor = 0;
  int mostrado = 0, oculto = 0;
  std::vector<std::string> titulos;
};
