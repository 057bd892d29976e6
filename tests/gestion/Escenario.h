#pragma once

// The disk manager as a user meets it, without any toolkit: the main window's
// decisions (F_Alcove) over fakes of the controls, the disk manager's
// (GestorPaneles) over the same controls, the user as a script. Two images in
// a fresh folder: a.dsk in pane A, b.dsk in pane B.
#include "Comun.h"
#include "Dobles.h"
#include "Generador.h"
#include "Proceso.h"
#include "ProgramaBasic.h"

#include "gestion/Paneles.h"
#include "ui/main/F_Alcove.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

inline std::vector<std::uint8_t> ConCabecera(std::string_view nombre11, std::uint8_t tipo,
                                             std::uint16_t carga,
                                             std::vector<std::uint8_t> cuerpo) {
  std::vector<std::uint8_t> b = Generador::CabeceraAmsdos(
      nombre11, tipo, carga, carga, static_cast<std::uint32_t>(cuerpo.size()));
  b.insert(b.end(), cuerpo.begin(), cuerpo.end());
  return b;
}

inline Generador::ArchivoCpm Archivo(std::uint8_t usuario, const char *nombre, const char *ext,
                                     std::vector<std::uint8_t> datos) {
  Generador::ArchivoCpm a;
  a.usuario = usuario;
  a.nombre = nombre;
  a.ext = ext;
  a.datos = std::move(datos);
  return a;
}

// LOADER.BAS (BASIC, with header), 3:CODE.BIN (binary), LEEME.TXT (text),
// DATOS.BIN (no header), and a row the exact reading does not know.
inline std::vector<std::uint8_t> DiscoA() {
  Generador::DiscoCpm d(Generador::GeometriaData());
  d.Agregar(
      Archivo(0, "LOADER", "BAS", ConCabecera("LOADER  BAS", 0, 0x170, BytesProgramaCompleto())));
  d.Agregar(Archivo(3, "CODE", "BIN",
                    ConCabecera("CODE    BIN", 2, 0x4000, Generador::ContenidoPrueba(3000, 7))));
  const std::string leeme = "HOLA\r\nMUNDO\r\n\x1A";
  d.Agregar(Archivo(0, "LEEME", "TXT", {leeme.begin(), leeme.end()}));
  d.Agregar(Archivo(0, "DATOS", "BIN", Generador::ContenidoPrueba(5000, 3)));
  // Blank names make a row, but no file of the exact reading.
  d.FijarEntrada(10, Generador::CrearEntrada(0, "           ", 8));
  return d.Bytes();
}

inline std::vector<std::uint8_t> DiscoB() {
  Generador::DiscoCpm d(Generador::GeometriaData());
  d.Agregar(Archivo(0, "OTRO", "BIN", Generador::ContenidoPrueba(100, 1)));
  return d.Bytes();
}

class Escenario : public ::testing::Test {
protected:
  void SetUp() override {
    Escribir(A(), DiscoA());
    Escribir(B(), DiscoB());
    Escribir(carpeta.Archivo("extra.bin"), Generador::ContenidoPrueba(700, 5));
    std::filesystem::create_directory(carpeta.Ruta() / "cli");
    std::filesystem::create_directory(carpeta.Ruta() / "fuera");
    F_Alcove::Controles_ c;
    for (std::size_t p = 0; p < 2; ++p) {
      drive[p].texto = dir[p].ruta = file[p].ruta = Utf8(carpeta.Ruta());
      c.Drive[p] = &drive[p];
      c.Dir[p] = &dir[p];
      c.File[p] = &file[p];
      c.DSK[p] = &vista[p];
    }
    c.StatusBar = &estado;
    c.Image_EXT = &imagenes;
    ventana = std::make_unique<F_Alcove>(std::move(c));
    std::array<Gestion::PanelVentana, 2> paneles;
    for (std::size_t p = 0; p < 2; ++p) {
      const auto i = static_cast<std::int16_t>(p);
      paneles[p] = {&vista[p],
                    &file[p],
                    [this, i] { return ventana->ImagenListada(i); },
                    [this, i](int llegada) { return ventana->EntradaDeFila(i, llegada); },
                    [this, i](const std::string &ruta) { ventana->ListarImagen(i, ruta); },
                    [this, i] { ventana->CerrarImagen(i); },
                    [this, i] { ventana->ReabrirImagen(i); },
                    {}};
    }
    gestor = std::make_unique<Gestion::GestorPaneles>(
        std::move(paneles), guion, [this](Gestion::Visor v) { visores.push_back(std::move(v)); });
    Elegir(0, "a.dsk");
    Elegir(1, "b.dsk");
    ASSERT_EQ(vista[0].Filas(), 5);
  }

  [[nodiscard]] std::string A() const { return carpeta.Archivo("a.dsk"); }
  [[nodiscard]] std::string B() const { return carpeta.Archivo("b.dsk"); }

  // The user picks `nombre` in pane i's file list.
  void Elegir(int i, const std::string &nombre) {
    file[static_cast<std::size_t>(i)].nombre = nombre;
    ventana->File_Click(static_cast<std::int16_t>(i));
    gestor->ArchivoElegido(i);
  }
  // "NOMBRE.EXT" of each row as shown, blanks cut, top to bottom.
  [[nodiscard]] std::vector<std::string> Nombres(int i) const {
    const VistaFalsa &v = vista[static_cast<std::size_t>(i)];
    const auto recortado = [](std::string s) {
      while (!s.empty() && s.back() == ' ')
        s.pop_back();
      return s;
    };
    std::vector<std::string> n;
    for (int f = 0; f < v.Filas(); ++f)
      n.push_back(recortado(v.Texto(f, 0)) + "." + recortado(v.Texto(f, 1)));
    return n;
  }
  // The row showing `nombre`; -1 when none does.
  [[nodiscard]] int Fila(int i, const std::string &nombre) const {
    const std::vector<std::string> n = Nombres(i);
    const auto it = std::find(n.begin(), n.end(), nombre);
    return it == n.end() ? -1 : static_cast<int>(it - n.begin());
  }
  // Selects the rows of those names (none: an empty selection); the first of
  // them becomes the current row.
  void Seleccionar(int i, const std::vector<std::string> &nombres) {
    std::vector<int> filas;
    for (const std::string &n : nombres) {
      const int f = Fila(i, n);
      ASSERT_GE(f, 0) << "no row named " << n;
      filas.push_back(f);
    }
    vista[static_cast<std::size_t>(i)].Seleccionar(filas);
  }
  // The selected rows' names, top to bottom.
  [[nodiscard]] std::vector<std::string> Seleccionadas(int i) const {
    std::vector<std::string> n;
    const std::vector<std::string> todos = Nombres(i);
    for (const int f : vista[static_cast<std::size_t>(i)].Seleccionadas())
      n.push_back(todos[static_cast<std::size_t>(f)]);
    std::sort(n.begin(), n.end());
    return n;
  }

  static const Gestion::OpcionMenu &Opcion(const std::vector<Gestion::OpcionMenu> &menu,
                                           const std::string &nombre) {
    const auto it = std::find_if(menu.begin(), menu.end(),
                                 [&](const Gestion::OpcionMenu &o) { return o.nombre == nombre; });
    if (it == menu.end())
      throw std::runtime_error("the menu has no item " + nombre);
    return *it;
  }
  static std::vector<std::string> Textos(const std::vector<Gestion::OpcionMenu> &menu) {
    std::vector<std::string> t;
    for (const Gestion::OpcionMenu &o : menu) {
      if (!o.Separador())
        t.push_back(o.texto);
    }
    return t;
  }
  // Chooses item `nombre` as a host does: only when it is enabled.
  static void Hacer(const std::vector<Gestion::OpcionMenu> &menu, const std::string &nombre) {
    const Gestion::OpcionMenu &o = Opcion(menu, nombre);
    ASSERT_TRUE(o.habilitada) << nombre << " is greyed";
    o.hacer();
  }
  // The menu of the selected rows (of the pane when none is), as the menu key
  // opens it, then its item `accion`.
  void Menu(int i, const std::string &accion) { Hacer(gestor->Menu(i, -1, true), accion); }

  // A copy of `imagen` changed by alcove-cli with `args` (IMAGEN stands for it).
  std::vector<std::uint8_t> PorCli(const std::string &imagen, std::vector<std::string> args) {
    return ::PorCli(carpeta, imagen, std::move(args));
  }

  CarpetaTemporal carpeta;
  Guion guion;
  ImagenesFalsas imagenes;
  std::array<UnidadesFalsas, 2> drive;
  std::array<CarpetasFalsas, 2> dir;
  std::array<ArchivosFalsos, 2> file;
  std::array<VistaFalsa, 2> vista{VistaFalsa(imagenes), VistaFalsa(imagenes)};
  EstadoFalso estado;
  std::unique_ptr<F_Alcove> ventana;
  std::unique_ptr<Gestion::GestorPaneles> gestor;
  std::vector<Gestion::Visor> visores;
};
