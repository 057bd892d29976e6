// The disk manager's Win32 binding, in this process under Wine: the messages
// its list views send (a right-click's WM_CONTEXTMENU, keys, double-clicks,
// drops through the views' own drop targets) reach the decisions, and the
// menus, the viewer and the dialogs show what the decisions give. What each
// action does is tested once, on the decisions (tests/gestion/test_paneles.cpp).
#include "Ayudas32.h"
#include "Comun.h"
#include "Dobles.h"
#include "Generador.h"
#include "Proceso.h"
#include "ProgramaBasic.h"
#include "ZipDePrueba.h"

#include "gestion/Dialogos.h"
#include "platform/Progreso.h"
#include "ui/win32/DialogosW.h"
#include "ui/win32/F_AlcoveW.h"

#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Plataforma::Estrecho;

std::vector<std::uint8_t> ConCabecera(std::string_view nombre11, std::uint8_t tipo,
                                      std::uint16_t carga, std::vector<std::uint8_t> cuerpo) {
  std::vector<std::uint8_t> b = Generador::CabeceraAmsdos(
      nombre11, tipo, carga, carga, static_cast<std::uint32_t>(cuerpo.size()));
  b.insert(b.end(), cuerpo.begin(), cuerpo.end());
  return b;
}

Generador::ArchivoCpm Archivo(std::uint8_t usuario, const char *nombre, const char *ext,
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
std::vector<std::uint8_t> DiscoA() {
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

std::vector<std::uint8_t> DiscoB() {
  Generador::DiscoCpm d(Generador::GeometriaData());
  d.Agregar(Archivo(0, "OTRO", "BIN", Generador::ContenidoPrueba(100, 1)));
  return d.Bytes();
}

std::string Recortado(std::string s) {
  while (!s.empty() && s.back() == ' ')
    s.pop_back();
  return s;
}

class GestorWin32 : public ::testing::Test {
protected:
  void SetUp() override {
    Gestion::InstalarDialogos(&guion);
    anterior = Win32::InstalarAvisador([this](HWND, const std::string &m) { avisos.push_back(m); });
    elector = GestorW::InstalarElectorMenu(
        [this](HMENU menu, HWND, POINT punto) { return Elegir(menu, punto); });
    Escribir(A(), DiscoA());
    Escribir(B(), DiscoB());
    Escribir(carpeta.Archivo("extra.bin"), Generador::ContenidoPrueba(700, 5));
    fs::create_directory(carpeta.Ruta() / "cli");
    fs::create_directory(carpeta.Ruta() / "fuera");
    actual = std::make_unique<CarpetaActual>(carpeta.Ruta());
    ventana = std::make_unique<F_AlcoveW>();
    ::ShowWindow(ventana->Hwnd(), SW_SHOW);
    Procesar();
    ElegirArchivo(0, "a.dsk");
    ElegirArchivo(1, "b.dsk");
    ASSERT_EQ(Nombres(0).size(), 5U);
  }
  void TearDown() override {
    ventana.reset();
    actual.reset();
    GestorW::InstalarElectorMenu(std::move(elector));
    Win32::InstalarAvisador(std::move(anterior));
    Gestion::InstalarDialogos(nullptr);
  }

  std::string A() const { return carpeta.Archivo("a.dsk"); }
  std::string B() const { return carpeta.Archivo("b.dsk"); }
  HWND Vista(int i) const { return ventana->Control("DSK_" + std::to_string(i)); }
  GestorW &G() { return ventana->Gestor(); }

  // The user picks `nombre` in pane i's file list.
  void ElegirArchivo(int i, const std::string &nombre) {
    const auto &nombres = ventana->File(i).Archivos();
    const auto it = std::find(nombres.begin(), nombres.end(), nombre);
    ASSERT_NE(it, nombres.end()) << nombre;
    const HWND lista = ventana->Control("File_" + std::to_string(i));
    ::SendMessageW(lista, LB_SETCURSEL, static_cast<WPARAM>(it - nombres.begin()), 0);
    ::SendMessageW(ventana->Hwnd(), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(lista), LBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(lista));
    Procesar();
  }
  // "NOMBRE.EXT" of each row, as shown, blanks cut.
  std::vector<std::string> Nombres(int i) {
    std::vector<std::string> n;
    Win32::VistaW &v = ventana->DSK(i);
    for (int f = 0; f < v.Filas(); ++f)
      n.push_back(Recortado(v.Texto(f, 0)) + "." + Recortado(v.Texto(f, 1)));
    return n;
  }
  bool Lista(int i, const std::string &nombre) {
    const auto n = Nombres(i);
    return std::find(n.begin(), n.end(), nombre) != n.end();
  }
  // Selects the rows of those names; the first of them becomes the current row.
  void Seleccionar(int i, const std::vector<std::string> &nombres) {
    Win32::VistaW &v = ventana->DSK(i);
    v.SeleccionarSolo(-1);
    bool primera = true;
    const auto todos = Nombres(i);
    for (int f = 0; f < static_cast<int>(todos.size()); ++f) {
      if (std::find(nombres.begin(), nombres.end(), todos[static_cast<std::size_t>(f)]) ==
          nombres.end())
        continue;
      if (primera) {
        v.SeleccionarSolo(f);
      } else {
        LVITEMW item{};
        item.state = item.stateMask = LVIS_SELECTED;
        ::SendMessageW(Vista(i), LVM_SETITEMSTATE, static_cast<WPARAM>(f),
                       reinterpret_cast<LPARAM>(&item));
      }
      primera = false;
    }
    ASSERT_FALSE(primera) << "no row named " << nombres.front();
  }
  // A point of the view on the screen: on the current row, or below the rows.
  POINT Punto(int i, bool vacio) {
    const HWND v = Vista(i);
    RECT r{};
    if (vacio) {
      ::GetClientRect(v, &r);
      r.top = r.bottom - 10;
      r.left = 10;
    } else {
      r.left = LVIR_BOUNDS;
      ::SendMessageW(v, LVM_GETITEMRECT, static_cast<WPARAM>(ventana->DSK(i).FilaActual()),
                     reinterpret_cast<LPARAM>(&r));
      r.left += 20;
    }
    POINT p{r.left, (r.top + r.bottom) / 2};
    ::ClientToScreen(v, &p);
    return p;
  }
  // A right-click on the current row (or the empty area), then the item `accion`
  // of the menu it opens; `accion` empty chooses nothing.
  void Menu(int i, const std::string &accion, bool vacio = false) {
    eleccion = accion;
    menuVisto.clear();
    const POINT p = Punto(i, vacio);
    ::SendMessageW(ventana->Hwnd(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Vista(i)),
                   MAKELPARAM(p.x, p.y));
    Procesar();
  }
  // What the menu showed: each item's text, with "(no)" when disabled and
  // "(sí)" when checked; what it chose.
  int Elegir(HMENU menu, POINT punto) {
    puntoMenu = punto;
    const auto &opciones = G().Opciones();
    int elegido = 0;
    for (std::size_t k = 0; k < opciones.size(); ++k) {
      if (opciones[k].Separador())
        continue;
      const UINT estado = ::GetMenuState(menu, static_cast<UINT>(k + 1), MF_BYCOMMAND);
      menuVisto.push_back(opciones[k].texto + ((estado & MF_GRAYED) != 0 ? " (no)" : "") +
                          ((estado & MF_CHECKED) != 0 ? " (sí)" : ""));
      if (opciones[k].nombre == eleccion)
        elegido = static_cast<int>(k + 1);
    }
    return elegido;
  }
  void Tecla(int i, WPARAM tecla) {
    ::SendMessageW(Vista(i), WM_KEYDOWN, tecla, 0);
    ::SendMessageW(Vista(i), WM_KEYUP, tecla, 0);
    Procesar();
  }
  // A copy of `imagen` changed by alcove-cli with `args` (IMAGEN stands for it).
  std::vector<std::uint8_t> PorCli(const std::string &imagen, std::vector<std::string> args) {
    const std::string copia = carpeta.Archivo("cli\\copia.dsk");
    Escribir(copia, Leer(imagen));
    for (std::string &a : args)
      a = a == "IMAGEN" ? copia : a;
    const Resultado r = EjecutarCli(args);
    EXPECT_EQ(r.codigo, 0) << r.errores;
    return Leer(copia);
  }
  // The files a data object carries, read back from its CF_HDROP.
  static std::vector<std::string> ArchivosDe(IDataObject *datos) {
    FORMATETC f{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM m{};
    if (datos->GetData(&f, &m) != S_OK)
      return {};
    std::vector<std::string> rutas = Win32::ArchivosDeHdrop(static_cast<HDROP>(m.hGlobal));
    ::ReleaseStgMedium(&m);
    return rutas;
  }
  // A drag over pane i's view that brings `datos`, and let go there when `soltar`:
  // the effect the view answered.
  DWORD Soltar(int i, IDataObject *datos, bool soltar) {
    IDropTarget *destino = G().Destino(i);
    DWORD efecto = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    destino->DragEnter(datos, MK_LBUTTON, {20, 20}, &efecto);
    if (!soltar) {
      destino->DragLeave();
      return efecto;
    }
    efecto = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    destino->Drop(datos, 0, {20, 20}, &efecto);
    Procesar(); // the drop's work runs once the drop has ended
    return efecto;
  }

  CarpetaTemporal carpeta;
  Guion guion;
  std::vector<std::string> avisos;
  Win32::Avisador anterior;
  GestorW::ElectorMenu elector;
  std::string eleccion;
  std::vector<std::string> menuVisto;
  POINT puntoMenu{};
  std::unique_ptr<CarpetaActual> actual;
  std::unique_ptr<F_AlcoveW> ventana;
};

TEST_F(GestorWin32, TheMenusOfARowOfSeveralOfTheKeyboardAndOfTheEmptyArea) {
  // A right-click on a row not selected makes it the selection.
  Seleccionar(0, {"LOADER.BAS"});
  ventana->DSK(0).SeleccionarSolo(-1);
  const auto filas = Nombres(0);
  const int code =
      static_cast<int>(std::find(filas.begin(), filas.end(), "CODE.BIN") - filas.begin());
  ventana->DSK(0).SeleccionarSolo(code);
  const POINT sobre = Punto(0, false);
  ventana->DSK(0).SeleccionarSolo(0);
  eleccion = "Propiedades";
  ::SendMessageW(ventana->Hwnd(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Vista(0)),
                 MAKELPARAM(sobre.x, sobre.y));
  Procesar(); // the item's action runs once the message has returned
  EXPECT_EQ(ventana->DSK(0).Seleccionadas(), std::vector<int>{code});
  EXPECT_EQ(menuVisto, (std::vector<std::string>{"Ver", "Extraer…", "Propiedades", "Borrar",
                                                 "Cambiar nombre…", "Solo lectura", "Oculto",
                                                 "Mapa del disco…", "Comprobar disco"}));
  EXPECT_NE(guion.mostrado.find("Tipo AMSDOS:  binario (&02)\n"), std::string::npos)
      << guion.mostrado;
  EXPECT_NE(guion.mostrado.find("Usuario:      3\n"), std::string::npos) << guion.mostrado;

  // An item runs the decision: the file made read-only keeps its row, marked.
  Menu(0, "SoloLectura");
  ASSERT_TRUE(Lista(0, "CODE.BIN"));
  Menu(0, "");
  EXPECT_EQ(menuVisto[5], "Solo lectura (sí)");
  // Two rows: one name cannot be given to both.
  Seleccionar(0, {"LOADER.BAS", "DATOS.BIN"});
  Menu(0, "");
  EXPECT_EQ(menuVisto[4], "Cambiar nombre… (no)");
  // The menu key (no point): at the current row, which stays selected.
  eleccion.clear();
  ::SendMessageW(ventana->Hwnd(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Vista(0)), -1);
  EXPECT_EQ(ventana->DSK(0).Seleccionadas().size(), 2U);
  RECT fila{};
  fila.left = LVIR_BOUNDS;
  ::SendMessageW(Vista(0), LVM_GETITEMRECT, static_cast<WPARAM>(ventana->DSK(0).FilaActual()),
                 reinterpret_cast<LPARAM>(&fila));
  POINT enVista = puntoMenu;
  ::ScreenToClient(Vista(0), &enVista);
  EXPECT_TRUE(enVista.y >= fila.top && enVista.y < fila.bottom) << enVista.y;

  // Below the rows: what a disk takes, and nothing stays selected.
  Menu(0, "", true);
  EXPECT_EQ(menuVisto, (std::vector<std::string>{"Nuevo disco…", "Poner archivos…",
                                                 "Archivos borrados…", "Propiedades del disco",
                                                 "Mapa del disco…", "Comprobar disco"}));
  EXPECT_TRUE(ventana->DSK(0).Seleccionadas().empty());
  // A header click keeps the selection on its rows.
  Seleccionar(0, {"LEEME.TXT"});
  ventana->Formulario().DSK_ColumnClick(0, 2);
  const auto elegidas = ventana->DSK(0).Seleccionadas();
  ASSERT_EQ(elegidas.size(), 1U);
  EXPECT_EQ(Nombres(0)[static_cast<std::size_t>(elegidas[0])], "LEEME.TXT");
  EXPECT_TRUE(guion.avisos.empty());
}

TEST_F(GestorWin32, DoubleClickAndEnterOpenTheViewerWhichOffersTheOtherViewersAndEscCloses) {
  Seleccionar(0, {"LOADER.BAS"});
  RECT r{};
  r.left = LVIR_BOUNDS;
  ::SendMessageW(Vista(0), LVM_GETITEMRECT, static_cast<WPARAM>(ventana->DSK(0).FilaActual()),
                 reinterpret_cast<LPARAM>(&r));
  ::SendMessageW(Vista(0), WM_LBUTTONDBLCLK, MK_LBUTTON,
                 MAKELPARAM(r.left + 20, (r.top + r.bottom) / 2));
  Procesar();
  ASSERT_EQ(G().Visores().size(), 1U);
  F_VerW &ver = *G().Visores().front();
  EXPECT_EQ(ver.Texto().rfind("10 CLS:PRINT \"HOLA\"\n20 ", 0), 0U) << ver.Texto();
  EXPECT_EQ(Win32::TextoDe(ver.Hwnd()), "LOADER.BAS - Alcove");
  EXPECT_FALSE(ver.NotaVisible());
  // The same file as a dump, from the viewers offered.
  ASSERT_EQ(::SendMessageW(ver.Vistas(), CB_GETCOUNT, 0, 0), 3);
  ::SendMessageW(ver.Vistas(), CB_SETCURSEL, 2, 0);
  ::SendMessageW(ver.Hwnd(), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(ver.Vistas()), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(ver.Vistas()));
  EXPECT_EQ(ver.Texto().rfind("0170  ", 0), 0U) << "dumped from its load address";
  // Esc, where the keyboard is, closes it.
  ::SendMessageW(ver.Cuadro(), WM_KEYDOWN, VK_ESCAPE, 0);
  Procesar();
  EXPECT_TRUE(G().Visores().empty());

  // Enter on the current row; a row the exact reading does not know shows its entry.
  Seleccionar(0, {"LEEME.TXT"});
  Tecla(0, VK_RETURN);
  Seleccionar(0, {"."});
  Tecla(0, VK_RETURN);
  const auto visores = G().Visores();
  ASSERT_EQ(visores.size(), 2U);
  EXPECT_EQ(visores[0]->Texto(), "HOLA\nMUNDO\n");
  const std::string texto = visores[1]->Texto();
  EXPECT_NE(texto.find("La lectura exacta del disco no tiene este archivo"), std::string::npos)
      << texto;
  EXPECT_NE(texto.find("0000  00 20 20 20 20 20 20 20  20 20 20 20 00 00 00 08"), std::string::npos)
      << texto;
  EXPECT_TRUE(visores[1]->NotaVisible());
  EXPECT_EQ(visores[1]->Nota(), "entrada desconocida");

  // Delete and F2 on the view do what the decisions do with them.
  Seleccionar(0, {"LEEME.TXT"});
  guion.texto = "notas.txt";
  Tecla(0, VK_F2);
  EXPECT_TRUE(Lista(0, "NOTAS.TXT"));
  EXPECT_EQ(Nombres(0)[static_cast<std::size_t>(ventana->DSK(0).FilaActual())], "NOTAS.TXT")
      << "the renamed row is selected";
  guion.confirmar = {true};
  Tecla(0, VK_DELETE);
  EXPECT_FALSE(Lista(0, "NOTAS.TXT"));
  EXPECT_TRUE(guion.confirmar.empty());
  EXPECT_TRUE(guion.avisos.empty());
}

TEST(VisorWin32, APictureIsDrawnEnlargedInThePanesColoursAndTextReplacesIt) {
  Gestion::Visor visor;
  visor.contenido.titulo = "PANTALLA.SCR";
  visor.contenido.vista = Ver::Vista::Pantalla;
  // Left half red, right half the CPC's blue.
  Gestion::Imagen p{2, 1, {255, 0, 0, 0, 0, 170}};
  visor.contenido.imagen = p;
  visor.vistas = {Ver::Vista::Pantalla, Ver::Vista::Hex};
  F_VerW ver(nullptr, visor);
  Procesar();
  ASSERT_TRUE(ver.MuestraImagen());
  ::UpdateWindow(ver.Hwnd());
  RECT c;
  ::GetClientRect(ver.Hwnd(), &c);
  const HDC dc = ::GetDC(ver.Hwnd());
  // The picture fills the middle: its left half red just left of the centre.
  const COLORREF izquierda = ::GetPixel(dc, c.right / 2 - 5, c.bottom / 2);
  const COLORREF derecha = ::GetPixel(dc, c.right / 2 + 5, c.bottom / 2);
  ::ReleaseDC(ver.Hwnd(), dc);
  EXPECT_EQ(izquierda, RGB(255, 0, 0));
  EXPECT_EQ(derecha, RGB(0, 0, 170));
  Gestion::Contenido texto;
  texto.titulo = "PANTALLA.SCR";
  texto.texto = "0000  ...";
  texto.imagen = Gestion::Imagen{2, 1, {255, 0, 0}}; // does not add up: not drawn
  ver.Mostrar(texto);
  EXPECT_FALSE(ver.MuestraImagen());
  EXPECT_EQ(ver.Texto(), "0000  ...");
}

// A screen's mode, palette and PNG: the viewer's own controls, shown only for
// a screen, reach the decisions with what it shows.
TEST(VisorWin32, AScreensModePaletteAndPngReachTheDecisions) {
  Gestion::Visor visor;
  visor.contenido.titulo = "PANTALLA.SCR";
  visor.contenido.vista = Ver::Vista::Pantalla;
  visor.contenido.imagen = Gestion::Imagen{2, 1, {255, 0, 0, 0, 0, 170}};
  visor.contenido.pantalla = Gestion::OpcionesPantalla{0, {"Firmware", "PANTALLA.PAL"}, 1};
  visor.vistas = {Ver::Vista::Pantalla, Ver::Vista::Hex};
  std::vector<std::string> pedidos;
  visor.otroModo = [&](const Gestion::Contenido &c, int modo) {
    pedidos.push_back("modo " + std::to_string(modo));
    Gestion::Contenido otro = c;
    otro.pantalla->modo = modo;
    return otro;
  };
  visor.otraPaleta = [&](const Gestion::Contenido &c, std::size_t paleta) {
    pedidos.push_back("paleta " + std::to_string(paleta) + " desde modo " +
                      std::to_string(c.pantalla->modo));
    Gestion::Contenido otro = c;
    otro.pantalla->paleta = paleta;
    return otro;
  };
  visor.guardarPng = [&](const Gestion::Contenido &c) {
    pedidos.push_back("png " + std::to_string(c.pantalla->paleta));
  };
  F_VerW ver(nullptr, visor);
  Procesar();
  EXPECT_TRUE(::IsWindowVisible(ver.Modos()));
  EXPECT_EQ(::SendMessageW(ver.Modos(), CB_GETCURSEL, 0, 0), 0);
  EXPECT_EQ(::SendMessageW(ver.Paletas(), CB_GETCOUNT, 0, 0), 2);
  EXPECT_EQ(::SendMessageW(ver.Paletas(), CB_GETCURSEL, 0, 0), 1);
  const auto elegir = [&](HWND combo, int k) {
    ::SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(k), 0);
    ::SendMessageW(ver.Hwnd(), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(combo), CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(combo));
  };
  elegir(ver.Modos(), 2);
  elegir(ver.Paletas(), 0);
  ::SendMessageW(ver.GuardarPng(), BM_CLICK, 0, 0);
  EXPECT_EQ(pedidos, (std::vector<std::string>{"modo 2", "paleta 0 desde modo 2", "png 0"}));
  // Text: no screen's controls.
  Gestion::Contenido texto;
  texto.texto = "0000  ...";
  ver.Mostrar(texto);
  EXPECT_FALSE(::IsWindowVisible(ver.Modos()));
  EXPECT_FALSE(::IsWindowVisible(ver.GuardarPng()));
}

TEST_F(GestorWin32, DragsCarryExactFilesOutAndBetweenPanesAndDropsPutHostFiles) {
  // Out: a data object of files that get writes, with no window while the
  // button is held.
  ProgresoVisto progreso;
  Seleccionar(0, {"LOADER.BAS", "LEEME.TXT"});
  const Win32::Com<IDataObject> datos = G().DatosArrastre(0);
  ASSERT_TRUE(datos);
  EXPECT_EQ(progreso.mostrado, 0);
  const std::vector<std::string> rutas = ArchivosDe(datos.get());
  ASSERT_EQ(rutas.size(), 2U);
  ASSERT_EQ(
      EjecutarCli({"get", A(), "LOADER.BAS", "LEEME.TXT", "-o", carpeta.Archivo("cli")}).codigo, 0);
  for (const std::string &ruta : rutas) {
    const std::string nombre = ruta.substr(ruta.find_last_of('\\') + 1);
    EXPECT_EQ(Leer(ruta), Leer(carpeta.Archivo("cli\\" + nombre))) << nombre;
  }
  // Onto the other pane: copied with their headers, as get --raw and put copy them.
  ASSERT_EQ(EjecutarCli({"get", A(), "LOADER.BAS", "LEEME.TXT", "--raw", "--force", "-o",
                         carpeta.Archivo("cli")})
                .codigo,
            0);
  const std::vector<std::uint8_t> esperado =
      PorCli(B(), {"put", "IMAGEN", carpeta.Archivo("cli\\LEEME.TXT"),
                   carpeta.Archivo("cli\\LOADER.BAS")});
  EXPECT_EQ(Soltar(0, datos.get(), false), static_cast<DWORD>(DROPEFFECT_NONE))
      << "a pane does not take its own rows";
  EXPECT_EQ(Soltar(1, datos.get(), true), static_cast<DWORD>(DROPEFFECT_COPY));
  EXPECT_EQ(Leer(B()), esperado);
  EXPECT_TRUE(Lista(1, "LOADER.BAS"));
  EXPECT_EQ(ventana->DSK(1).Seleccionadas().size(), 2U) << "the copied rows are selected";

  // In from another program: files only, put as alcove-cli's put, asked once.
  const std::vector<std::uint8_t> conExtra =
      PorCli(B(), {"put", "IMAGEN", carpeta.Archivo("extra.bin")});
  const Win32::Com<IDataObject> archivos = Win32::DatosDeFilas({carpeta.Archivo("extra.bin")}, -1);
  EXPECT_EQ(Soltar(1, archivos.get(), true), static_cast<DWORD>(DROPEFFECT_COPY));
  EXPECT_EQ(Leer(B()), conExtra);
  EXPECT_TRUE(Lista(1, "EXTRA.BIN"));
  EXPECT_EQ(guion.ponerArchivos, std::vector<std::vector<std::string>>{{"extra.bin"}});
  // Nothing that names no file is taken.
  const Win32::Com<IDataObject> vacio = Win32::DatosDeFilas({}, -1);
  EXPECT_EQ(Soltar(1, vacio.get(), false), static_cast<DWORD>(DROPEFFECT_NONE));
  EXPECT_TRUE(guion.avisos.empty());
  EXPECT_TRUE(avisos.empty());
}

TEST_F(GestorWin32, ImagesInsideZipsFollowTheFoldersOwnAndAreReadButNeverWritten) {
  const std::vector<std::uint8_t> zip =
      zip_prueba::CrearZip({zip_prueba::Comprimido("juegos/juego.dsk", DiscoB()),
                            zip_prueba::Guardado("leeme.txt", {1})});
  Escribir(carpeta.Archivo("coleccion.zip"), zip);
  ventana->File(0).SetPath(ventana->File(0).Path());
  EXPECT_EQ(ventana->File(0).Archivos(),
            (std::vector<std::string>{"a.dsk", "b.dsk", "coleccion.zip/juegos/juego.dsk"}));
  ElegirArchivo(0, "coleccion.zip/juegos/juego.dsk");
  EXPECT_EQ(Nombres(0), std::vector<std::string>{"OTRO.BIN"});
  wchar_t panel[64] = {};
  ::SendMessageW(ventana->Control("StatusBar"), SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(panel));
  EXPECT_EQ(Estrecho(panel), "juego.dsk");
  const std::string miembro = ventana->File(0).Path() + "\\coleccion.zip/juegos/juego.dsk";
  EXPECT_EQ(G().Paneles().Imagen(0), miembro);

  // Read: dragged out, the file is get's.
  Seleccionar(0, {"OTRO.BIN"});
  const Win32::Com<IDataObject> datos = G().DatosArrastre(0);
  ASSERT_TRUE(datos);
  ASSERT_EQ(EjecutarCli({"get", miembro, "OTRO.BIN", "-o", carpeta.Archivo("cli")}).codigo, 0);
  EXPECT_EQ(Leer(ArchivosDe(datos.get()).front()), Leer(carpeta.Archivo("cli\\OTRO.BIN")));
  // Never written: the writes are greyed, and choosing one does nothing.
  Menu(0, "Borrar");
  EXPECT_EQ(menuVisto,
            (std::vector<std::string>{"Ver", "Extraer…", "Propiedades", "Borrar (no)",
                                      "Cambiar nombre… (no)", "Solo lectura (no)", "Oculto (no)",
                                      "Mapa del disco…", "Comprobar disco"}));
  EXPECT_TRUE(guion.preguntas.empty());
  EXPECT_TRUE(guion.avisos.empty());
  EXPECT_EQ(Leer(carpeta.Archivo("coleccion.zip")), zip);
}

// The disk's own properties, from the empty area's menu, and the status bar's
// tooltip name the copy protection of the image listed last.
TEST_F(GestorWin32, TheDisksPropertiesAndTheStatusBarsTooltipNameItsProtection) {
  // The tooltip of a panel whose text fits: the tracks and sides.
  const auto nota = [this] { return Win32::AyudaDe(ventana->Control("StatusBar"), 3); };
  ASSERT_NE(ventana->Control("NotaDisco"), nullptr);
  EXPECT_EQ(nota(), "Protección anticopia: no se ve ninguna señal");
  Escribir(carpeta.Archivo("p.dsk"),
           Generador::CasoProteccionPorNombre("rainbow-incompleto").bytes);
  ventana->File(0).SetPath(ventana->File(0).Path());
  ElegirArchivo(0, "p.dsk");
  EXPECT_EQ(nota(), "Protección anticopia: Rainbow Arts (confirmada), volcado incompleto");
  ventana->DSK(0).SeleccionarSolo(-1);
  Menu(0, "PropiedadesDisco", true);
  EXPECT_NE(guion.mostrado.find("Protección:   Rainbow Arts (confirmada), volcado incompleto\n"
                                "  pista 40, cara 0: 9 sectores, el 2.º guardado de ID &C6 con "
                                "error de CRC en los datos\n"),
            std::string::npos)
      << guion.mostrado;
  ElegirArchivo(1, "a.dsk");
  EXPECT_EQ(nota(), "Protección anticopia: no se ve ninguna señal");
}

TEST_F(GestorWin32, ANewDiskIsAlcoveClisNewAndOpensInThePane) {
  guion.disco = Gestion::Dialogos::DiscoNuevo{"vacio", "data"};
  ventana->DSK(0).SeleccionarSolo(-1);
  Menu(0, "NuevoDisco", true);
  ASSERT_TRUE(fs::exists(carpeta.Ruta() / "vacio.dsk")) << "the extension is added";
  ASSERT_EQ(EjecutarCli({"new", carpeta.Archivo("cli\\vacio.dsk")}).codigo, 0);
  EXPECT_EQ(Leer(carpeta.Archivo("vacio.dsk")), Leer(carpeta.Archivo("cli\\vacio.dsk")));
  const auto &archivos = ventana->File(0).Archivos();
  EXPECT_NE(std::find(archivos.begin(), archivos.end(), "vacio.dsk"), archivos.end());
  EXPECT_TRUE(Nombres(0).empty());
  // Over the image the other pane shows, which it holds open, once the user
  // says so: both panes list the new disk.
  guion.disco = Gestion::Dialogos::DiscoNuevo{"b.dsk", "system"};
  guion.confirmar = {true};
  Menu(0, "NuevoDisco", true);
  const Resultado nuevo =
      EjecutarCli({"new", carpeta.Archivo("cli\\b.dsk"), "--formato", "system"});
  ASSERT_EQ(nuevo.codigo, 0) << nuevo.errores;
  EXPECT_EQ(Leer(B()), Leer(carpeta.Archivo("cli\\b.dsk")));
  EXPECT_TRUE(Nombres(1).empty());
  EXPECT_TRUE(guion.confirmar.empty());
  EXPECT_TRUE(guion.avisos.empty()) << guion.avisos.front();
}

// The action a menu item, Delete or F2 chose runs once the message that chose
// it has returned: its dialogs and the progress window let messages run, and
// the list view that sent the message, listed again by the action, must not
// change under its own handler.
TEST_F(GestorWin32, ActionsRunOnceTheMessageThatChoseThemHasReturned) {
  struct Caso {
    const char *nombre;
    std::function<void()> elegir;
  };
  for (const Caso &c : std::vector<Caso>{
           {"menu",
            [&] {
              eleccion = "Borrar";
              const POINT p = Punto(0, false);
              ::SendMessageW(ventana->Hwnd(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Vista(0)),
                             MAKELPARAM(p.x, p.y));
            }},
           {"Delete", [&] { ::SendMessageW(Vista(0), WM_KEYDOWN, VK_DELETE, 0); }},
           {"F2", [&] { ::SendMessageW(Vista(0), WM_KEYDOWN, VK_F2, 0); }},
       }) {
    SCOPED_TRACE(c.nombre);
    Seleccionar(0, {"DATOS.BIN"});
    guion.preguntas.clear();
    guion.confirmar = {false};
    guion.texto.reset();
    c.elegir();
    EXPECT_TRUE(guion.preguntas.empty()) << "asked inside the message: " << guion.preguntas[0];
    Procesar();
    EXPECT_EQ(guion.preguntas.size(), 1U) << "asked once the message had returned";
  }
  EXPECT_TRUE(guion.avisos.empty()) << guion.avisos.front();
}

// The window's own dialogs, answered from a timer that their loop runs: what
// each one shows, and what it gives back.
TEST(DialogosWin32, EachDialogAsksInSpanishAndGivesBackWhatWasAnswered) {
  static std::vector<std::string> botones;
  static std::function<void(HWND)> responder;
  const auto programar = [](std::function<void(HWND)> r) {
    responder = std::move(r);
    botones.clear();
    ::SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR id, DWORD) {
      const HWND d = DialogosW::Abierto();
      if (d == nullptr)
        return;
      ::KillTimer(nullptr, id);
      for (const int b : {IDOK, IDCANCEL})
        botones.push_back(::GetDlgItem(d, b) ? Win32::TextoDe(::GetDlgItem(d, b)) : "");
      responder(d);
    });
  };
  const auto pulsar = [](int boton) {
    return [boton](HWND d) { ::SendMessageW(::GetDlgItem(d, boton), BM_CLICK, 0, 0); };
  };
  DialogosW dialogos(nullptr);

  programar(pulsar(IDOK));
  EXPECT_TRUE(dialogos.Confirmar("Borrar", "¿Borrar DATOS.BIN?"));
  EXPECT_EQ(botones, (std::vector<std::string>{"Sí", "No"}));
  programar(pulsar(IDCANCEL));
  EXPECT_FALSE(dialogos.Confirmar("Borrar", "¿Borrar DATOS.BIN?"));
  // Enter alone is "No": nothing is lost by it.
  programar([](HWND d) { ::SendMessageW(d, WM_COMMAND, IDOK, 0); });
  EXPECT_FALSE(dialogos.Confirmar("Borrar", "¿Borrar DATOS.BIN?"));

  programar([](HWND d) {
    Win32::PonerTexto(::GetDlgItem(d, DialogosW::IdEntrada), "notas.txt");
    ::SendMessageW(::GetDlgItem(d, IDOK), BM_CLICK, 0, 0);
  });
  EXPECT_EQ(dialogos.PedirTexto("Cambiar nombre", "Nombre nuevo:", "LEEME.TXT"), "notas.txt");
  EXPECT_EQ(botones, (std::vector<std::string>{"Aceptar", "Cancelar"}));
  programar(pulsar(IDCANCEL));
  EXPECT_EQ(dialogos.PedirTexto("Cambiar nombre", "Nombre nuevo:", "LEEME.TXT"), std::nullopt);

  programar([](HWND d) {
    Win32::PonerTexto(::GetDlgItem(d, DialogosW::IdEntrada), "juegos");
    ::SendMessageW(::GetDlgItem(d, DialogosW::IdFormato), CB_SETCURSEL, 1, 0);
    ::SendMessageW(::GetDlgItem(d, IDOK), BM_CLICK, 0, 0);
  });
  const auto disco = dialogos.PedirDiscoNuevo({{"data", "CPC DATA"}, {"system", ""}});
  ASSERT_TRUE(disco.has_value());
  EXPECT_EQ(disco->nombre, "juegos");
  EXPECT_EQ(disco->formato, "system");
  EXPECT_EQ(botones, (std::vector<std::string>{"Crear", "Cancelar"}));

  // A deleted file: extracted, or restored when that is offered.
  const std::vector<std::string> borrados{"A.BIN (10 bytes)", "B.BIN (20 bytes)"};
  const auto segunda = [](HWND d) {
    LVITEMW fila{};
    fila.state = fila.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    ::SendMessageW(::GetDlgItem(d, DialogosW::IdLista), LVM_SETITEMSTATE, 1,
                   reinterpret_cast<LPARAM>(&fila));
  };
  programar([segunda](HWND d) {
    segunda(d);
    ::SendMessageW(::GetDlgItem(d, DialogosW::IdRecuperar), BM_CLICK, 0, 0);
  });
  auto borrado = dialogos.ElegirBorrado(borrados, true);
  ASSERT_TRUE(borrado.has_value());
  EXPECT_EQ(borrado->indice, 1U);
  EXPECT_TRUE(borrado->recuperar);
  EXPECT_EQ(botones, (std::vector<std::string>{"Extraer…", "Cancelar"}));
  static bool recuperable = true;
  programar([](HWND d) {
    recuperable = ::IsWindowEnabled(::GetDlgItem(d, DialogosW::IdRecuperar)) != FALSE;
    ::SendMessageW(::GetDlgItem(d, IDOK), BM_CLICK, 0, 0);
  });
  borrado = dialogos.ElegirBorrado(borrados, false);
  ASSERT_TRUE(borrado.has_value());
  EXPECT_EQ(borrado->indice, 0U);
  EXPECT_FALSE(borrado->recuperar);
  EXPECT_FALSE(recuperable) << "restoring is greyed when it is not offered";

  // put's options: they start as given; the addresses are a binary's only.
  static bool cargaActiva = true;
  programar([](HWND d) {
    cargaActiva = ::IsWindowEnabled(::GetDlgItem(d, DialogosW::IdCarga)) != FALSE;
    const HWND tipo = ::GetDlgItem(d, DialogosW::IdTipo);
    ::SendMessageW(tipo, CB_SETCURSEL, 1, 0); // binary
    ::SendMessageW(d, WM_COMMAND, MAKEWPARAM(DialogosW::IdTipo, CBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(tipo));
    Win32::PonerTexto(::GetDlgItem(d, DialogosW::IdCarga), " &4000 ");
    ::SendMessageW(::GetDlgItem(d, DialogosW::IdUsuario), CB_SETCURSEL, 7, 0);
    ::SendMessageW(::GetDlgItem(d, DialogosW::IdSistema), BM_SETCHECK, BST_CHECKED, 0);
    ::SendMessageW(::GetDlgItem(d, IDOK), BM_CLICK, 0, 0);
  });
  Gestion::Dialogos::OpcionesPoner inicial;
  inicial.tipo = cpm::TipoPoner::Basic;
  const auto poner = dialogos.PedirOpcionesPoner({"juego.bin"}, inicial);
  ASSERT_TRUE(poner.has_value());
  EXPECT_FALSE(cargaActiva);
  EXPECT_EQ(poner->tipo, cpm::TipoPoner::Binario);
  EXPECT_EQ(poner->carga, "&4000");
  EXPECT_EQ(poner->entrada, "");
  EXPECT_EQ(poner->usuario, 7);
  EXPECT_FALSE(poner->soloLectura);
  EXPECT_TRUE(poner->sistema);
  EXPECT_EQ(botones, (std::vector<std::string>{"Poner", "Cancelar"}));

  static std::string mostrado, ayuda;
  const auto mirar = [&programar] {
    programar([](HWND d) {
      mostrado = Win32::TextoDe(::GetDlgItem(d, DialogosW::IdEntrada));
      ayuda = Win32::AyudaDe(::GetDlgItem(d, DialogosW::IdEntrada));
      ::SendMessageW(d, WM_CLOSE, 0, 0);
    });
  };
  mirar();
  dialogos.Mostrar("Propiedades", "Usuario:      3\nBloques: 2");
  EXPECT_EQ(mostrado, "Usuario:      3\r\nBloques: 2");
  EXPECT_EQ(botones, (std::vector<std::string>{"Cerrar", ""}));
  EXPECT_EQ(ayuda, "") << "every line fits";
  // A block list wider than the box: whole in the tooltip, under its value.
  const auto lista = [](int n) {
    std::string s = "Bloques:      " + std::to_string(n) + " bloques de 1024 bytes: ";
    for (int b = 2; b < n + 2; ++b)
      s += std::to_string(b) + (b < n + 1 ? ", " : "");
    return s;
  };
  const std::string bloques = lista(120);
  mirar();
  dialogos.Mostrar("Propiedades", "Usuario:      3\n" + bloques + "\n");
  EXPECT_EQ(ayuda.rfind("Bloques:      120 bloques de 1024 bytes:", 0), 0U) << ayuda;
  EXPECT_EQ(ayuda.find("Usuario"), std::string::npos) << "a line that fits is not repeated";
  std::string junto;
  for (std::size_t i = 0; i < ayuda.size();) {
    std::size_t fin = ayuda.find('\n', i);
    fin = fin == std::string::npos ? ayuda.size() : fin;
    const std::string linea = ayuda.substr(i, fin - i);
    EXPECT_LE(linea.size(), 80U) << linea;
    if (i > 0) {
      EXPECT_EQ(linea.rfind(std::string(14, ' '), 0), 0U) << linea;
      junto += ' ' + linea.substr(14);
    } else {
      junto = linea;
    }
    i = fin + 1;
  }
  EXPECT_EQ(junto, bloques);
  EXPECT_NE(ayuda.find('\n'), std::string::npos) << "broken into lines that fit";
  // Past what a tooltip keeps, its lines up to there and a line that says so.
  mirar();
  dialogos.Mostrar("Propiedades", lista(400));
  EXPECT_LT(Plataforma::Ancho(ayuda).size(), std::size_t{INFOTIPSIZE});
  EXPECT_EQ(ayuda.rfind("Bloques:      400 bloques de 1024 bytes: 2, 3,", 0), 0U) << ayuda;
  EXPECT_EQ(ayuda.substr(ayuda.size() - 5), ",\n…") << ayuda;
  // "Propiedades" of one file: its header's fields, changed and read back.
  static std::string tipoVisto;
  programar([](HWND d) {
    mostrado = Win32::TextoDe(::GetDlgItem(d, DialogosW::IdEntrada));
    tipoVisto = Win32::TextoDe(::GetDlgItem(d, DialogosW::IdTipo));
    Win32::PonerTexto(::GetDlgItem(d, DialogosW::IdCarga), "&4100");
    Win32::PonerTexto(::GetDlgItem(d, DialogosW::IdTipo), "BASIC");
    ::SendMessageW(::GetDlgItem(d, DialogosW::IdConCabecera), BM_CLICK, 0, 0);
    ::SendMessageW(::GetDlgItem(d, IDOK), BM_CLICK, 0, 0);
  });
  const Gestion::Dialogos::Cabecera antes{true, "binario", "&4000", "&4000", "3000"};
  const auto cabecera = dialogos.EditarPropiedades("Archivo:      CODE.BIN\n", antes,
                                                   {"BASIC", "BASIC protegido", "binario"});
  ASSERT_TRUE(cabecera.has_value());
  EXPECT_EQ(*cabecera, (Gestion::Dialogos::Cabecera{false, "BASIC", "&4100", "&4000", "3000"}));
  EXPECT_EQ(mostrado, "Archivo:      CODE.BIN\r\n");
  EXPECT_EQ(tipoVisto, "binario");
  EXPECT_EQ(botones, (std::vector<std::string>{"Aceptar", "Cancelar"}));
  programar(pulsar(IDCANCEL));
  EXPECT_FALSE(dialogos.EditarPropiedades("", antes, {"BASIC"}).has_value());
  programar([](HWND d) {
    mostrado = Win32::TextoDe(::GetDlgItem(d, DialogosW::IdPregunta));
    ::SendMessageW(::GetDlgItem(d, IDOK), BM_CLICK, 0, 0);
  });
  Win32::CajaAviso(nullptr, "Alcove", "No se ha borrado nada.");
  EXPECT_EQ(mostrado, "No se ha borrado nada.");
  EXPECT_EQ(botones, (std::vector<std::string>{"Aceptar", ""}));
  EXPECT_EQ(DialogosW::Abierto(), nullptr);
}

} // namespace
