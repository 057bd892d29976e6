// The real Win32 window, made in this process and driven by window messages as
// the controls send them; its rows read back from the list view itself. Runs
// under Wine with a display.
#include "Ayudas32.h"
#include "Comun.h"
#include "Generador.h"

#include "platform/Errores.h"
#include "ui/win32/F_AcercaW.h"
#include "ui/win32/F_AlcoveW.h"
#include "ui/win32/ProgresoW.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Generador::CrearEntrada;

class VentanaWin32 : public ::testing::Test {
protected:
  void SetUp() override {
    Generador::ImagenDsk juegos(Generador::Disposicion::Estandar, 40, 1);
    juegos.Creador("TEST CREADOR");
    juegos.AgregarEntrada(CrearEntrada(0, "ZAP     BAK", 16))
        .AgregarEntrada(CrearEntrada(0, "GAME    BIN", 128, 0))
        .AgregarEntrada(CrearEntrada(0, "GAME    BIN", 16, 1))
        .AgregarEntrada(CrearEntrada(3, "notes   bin", 0))
        .AgregarEntrada(CrearEntrada(0, "BAD\x01NAMEBAS", 10));
    Generador::EscribirArchivo(carpeta.Ruta() / "juegos.dsk", juegos.Bytes());
    Generador::ImagenDsk otro(Generador::Disposicion::Extendida, 42, 2);
    otro.Creador("OTRO");
    otro.AgregarEntrada(CrearEntrada(0, "BETA    BAS", 24));
    Generador::EscribirArchivo(carpeta.Ruta() / "Extendido.DSK", otro.Bytes());
    std::filesystem::create_directory(carpeta.Ruta() / "sub");
    actual = std::make_unique<CarpetaActual>(carpeta.Ruta());
    anterior = Win32::InstalarAvisador([this](HWND, const std::string &m) { avisos.push_back(m); });
    ventana = std::make_unique<F_AlcoveW>();
    ::ShowWindow(ventana->Hwnd(), SW_SHOW);
    Procesar();
  }
  void TearDown() override {
    ventana.reset();
    Win32::InstalarAvisador(std::move(anterior));
    actual.reset();
  }

  HWND C(const std::string &nombre) const { return ventana->Control(nombre); }
  // The user picks row `fila` of pane i's file list.
  void ElegirArchivo(int i, int fila) {
    const HWND lista = C("File_" + std::to_string(i));
    ::SendMessageW(lista, LB_SETCURSEL, static_cast<WPARAM>(fila), 0);
    ::SendMessageW(ventana->Hwnd(), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(lista), LBN_SELCHANGE),
                   reinterpret_cast<LPARAM>(lista));
    Procesar();
  }
  void PulsarCabecera(int i, int columna) {
    NMLISTVIEW aviso{};
    aviso.hdr.hwndFrom = C("DSK_" + std::to_string(i));
    aviso.hdr.idFrom = static_cast<UINT_PTR>(::GetDlgCtrlID(aviso.hdr.hwndFrom));
    aviso.hdr.code = LVN_COLUMNCLICK;
    aviso.iItem = -1;
    aviso.iSubItem = columna;
    ::SendMessageW(ventana->Hwnd(), WM_NOTIFY, aviso.hdr.idFrom, reinterpret_cast<LPARAM>(&aviso));
  }
  // Rows as the list view holds them: the four cells and the icon's index.
  std::vector<std::string> Filas(int i) const {
    const HWND v = C("DSK_" + std::to_string(i));
    std::vector<std::string> filas;
    const auto n = static_cast<int>(::SendMessageW(v, LVM_GETITEMCOUNT, 0, 0));
    for (int f = 0; f < n; ++f) {
      std::string fila;
      for (int c = 0; c < 4; ++c) {
        wchar_t texto[64] = {};
        LVITEMW item{};
        item.iSubItem = c;
        item.pszText = texto;
        item.cchTextMax = 63;
        ::SendMessageW(v, LVM_GETITEMTEXTW, static_cast<WPARAM>(f),
                       reinterpret_cast<LPARAM>(&item));
        fila += Plataforma::Estrecho(texto) + "|";
      }
      LVITEMW item{};
      item.mask = LVIF_IMAGE;
      item.iItem = f;
      ::SendMessageW(v, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
      filas.push_back(fila + std::to_string(item.iImage));
    }
    return filas;
  }
  std::vector<std::string> Paneles() const {
    std::vector<std::string> textos;
    for (int p = 0; p < 4; ++p) {
      wchar_t texto[128] = {};
      ::SendMessageW(C("StatusBar"), SB_GETTEXTW, static_cast<WPARAM>(p),
                     reinterpret_cast<LPARAM>(texto));
      textos.push_back(Plataforma::Estrecho(texto));
    }
    return textos;
  }

  CarpetaTemporal carpeta;
  std::unique_ptr<CarpetaActual> actual;
  std::vector<std::string> avisos;
  Win32::Avisador anterior;
  std::unique_ptr<F_AlcoveW> ventana;
};

TEST_F(VentanaWin32, StartsInTheCurrentFolderWithItsImagesAndTheFirstStatusTexts) {
  wchar_t titulo[64] = {};
  ::GetWindowTextW(ventana->Hwnd(), titulo, 63);
  EXPECT_EQ(Plataforma::Estrecho(titulo), "Alcove beta 1");
  RECT cliente;
  ::GetClientRect(ventana->Hwnd(), &cliente);
  EXPECT_EQ(cliente.right, Win32::Px(13410));
  EXPECT_EQ(cliente.bottom, Win32::Px(8265));
  EXPECT_EQ(::GetWindowLongW(ventana->Hwnd(), GWL_STYLE) & (WS_MAXIMIZEBOX | WS_MINIMIZEBOX), 0);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(ventana->File(i).Archivos(),
              (std::vector<std::string>{"Extendido.DSK", "juegos.dsk"}));
    EXPECT_EQ(ventana->File(i).Path(), ventana->Dir(i).Path());
    EXPECT_TRUE(Filas(i).empty());
  }
  // The drive list shows drive letters, the current one chosen.
  wchar_t unidad[8] = {};
  ::GetWindowTextW(C("Drive_0"), unidad, 7);
  const std::string texto = Plataforma::Estrecho(unidad);
  ASSERT_EQ(texto.size(), 2U);
  EXPECT_EQ(texto[1], ':');
  EXPECT_EQ(Paneles(), (std::vector<std::string>{"Disco", "Formato Imagen", "Pistas / Caras", ""}));
  const HMENU menu = ::GetMenu(ventana->Hwnd());
  ASSERT_EQ(::GetMenuItemCount(menu), 3);
  EXPECT_EQ(::GetMenuItemCount(::GetSubMenu(menu, 0)), 0);
  EXPECT_EQ(::GetMenuItemCount(::GetSubMenu(menu, 2)), 1);
}

TEST_F(VentanaWin32, AChosenImageIsListedSortedWithItsIconsAndHeadingsSortOnePane) {
  ElegirArchivo(0, 1); // juegos.dsk
  // Icons: 0 Unknow, 1 BAK, 2 BAS, 3 BIN.
  EXPECT_EQ(Filas(0), (std::vector<std::string>{"GAME    |BIN|  16||3", "GAME    |BIN|   2||3",
                                                "notes   |bin|   1|U3|0", "ZAP     |BAK|   2||1"}));
  EXPECT_EQ(Paneles(),
            (std::vector<std::string>{"juegos.dsk", " MV-CPC EMU ", " T:40 S:1 ", "TEST CREADOR"}));
  EXPECT_TRUE(Filas(1).empty());

  ElegirArchivo(1, 1);
  PulsarCabecera(1, 1); // "EXT", pane B
  EXPECT_EQ(Filas(1), (std::vector<std::string>{"ZAP     |BAK|   2||1", "GAME    |BIN|  16||3",
                                                "GAME    |BIN|   2||3", "notes   |bin|   1|U3|0"}));
  EXPECT_EQ(Filas(0)[0], "GAME    |BIN|  16||3") << "pane A keeps its order";
  // The order outlives a new listing; the other image takes the status bar.
  ElegirArchivo(1, 0);
  EXPECT_EQ(Filas(1), std::vector<std::string>{"BETA    |BAS|   3||2"});
  EXPECT_EQ(Paneles(), (std::vector<std::string>{"Extendido.DSK", " EXTENDED-CPC DSK ",
                                                 " T:42 S:2 ", "OTRO"}));
  ElegirArchivo(1, 1);
  EXPECT_EQ(Filas(1)[0], "ZAP     |BAK|   2||1");
  EXPECT_TRUE(avisos.empty());
}

TEST_F(VentanaWin32, FoldersFollowOnePaneAndAFailureIsToldOnce) {
  const std::string base = ventana->Dir(0).Path();
  ElegirArchivo(0, 1);
  const auto filas = Filas(0);
  // Into "sub" by a double click on its row, which is the last one.
  const HWND dir = C("Dir_1");
  const auto n = static_cast<int>(::SendMessageW(dir, LB_GETCOUNT, 0, 0));
  ASSERT_EQ(ventana->Dir(1).RutaDeFila(n - 1), base + "\\sub");
  ::SendMessageW(dir, LB_SETCURSEL, static_cast<WPARAM>(n - 1), 0);
  ::SendMessageW(ventana->Hwnd(), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(dir), LBN_DBLCLK),
                 reinterpret_cast<LPARAM>(dir));
  EXPECT_EQ(ventana->Dir(1).Path(), base + "\\sub");
  EXPECT_EQ(ventana->File(1).Path(), base + "\\sub");
  EXPECT_TRUE(ventana->File(1).Archivos().empty());
  EXPECT_EQ(ventana->Dir(0).Path(), base);
  EXPECT_EQ(Filas(0), filas);

  // A folder that has gone since it was listed: told, and the list stays.
  ventana->Dir(1).SetPath(base);
  std::filesystem::remove(carpeta.Ruta() / "sub");
  ::SendMessageW(dir, LB_SETCURSEL, static_cast<WPARAM>(n - 1), 0);
  ::SendMessageW(ventana->Hwnd(), WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(dir), LBN_DBLCLK),
                 reinterpret_cast<LPARAM>(dir));
  ASSERT_EQ(avisos.size(), 1U);
  EXPECT_EQ(avisos[0], Errores::Mensaje(Errores::RutaNoEncontrada));
  EXPECT_EQ(ventana->Dir(1).Path(), base);

  // Handlers hand failures on; the window's boundary is what catches them.
  EXPECT_THROW(ventana->Formulario().File_Click(2), ErrorAlcove);
}

TEST(AcercaWin32, ShowsTheSystemTextAndTheMetersAndItsButtonUnloadsIt) {
  const auto info = Plataforma::CrearInfoSistemaHost();
  const auto memoria = Plataforma::CrearMemoriaHost();
  // Read and closed from a timer that the about window's own loop runs.
  static std::string texto, por1;
  ::SetTimer(nullptr, 0, 500, [](HWND, UINT, UINT_PTR id, DWORD) {
    ::KillTimer(nullptr, id);
    const HWND w = AcercaCargada();
    if (w == nullptr)
      return;
    texto = Win32::TextoDe(ControlAcerca("TxT_Info"));
    por1 = Win32::TextoDe(ControlAcerca("Lbl_Por1"));
    const HWND boton = ControlAcerca("Cmd_Aceptar");
    ::SendMessageW(w, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(boton), BN_CLICKED),
                   reinterpret_cast<LPARAM>(boton));
  });
  MostrarAcercaDe(*info, *memoria);
  EXPECT_EQ(AcercaCargada(), nullptr);
  // Windows' own name and version, as WMI tells them (Wine names itself a
  // Windows too).
  EXPECT_EQ(texto.rfind("S.O. Microsoft Windows", 0), 0U) << texto;
  EXPECT_NE(texto.find("\r\nVersion: "), std::string::npos) << texto;
  EXPECT_NE(texto.find("\r\nS/N:"), std::string::npos) << texto;
  ASSERT_FALSE(por1.empty());
  EXPECT_EQ(por1.back(), '%');
}

TEST(ProgresoWin32, TheBarFollowsTheRangeAndTheTitleIsTheLabels) {
  F_Progress progreso(CargarVentanaProgresoW);
  progreso.SetDe(100);
  progreso.SetA(1100);
  progreso.SetTitulo("Extrayendo fichero ....");
  progreso.Mostrar();
  progreso.SetValor(600);
  ASSERT_NE(progreso.Ventana(), nullptr);
  EXPECT_EQ(progreso.Ventana()->PBar().Value(), 46);
  EXPECT_EQ(progreso.Ventana()->Lbl_Titulo().Text(), "Extrayendo fichero ....");
  progreso.SetValor(1100);
  EXPECT_EQ(progreso.Ventana()->PBar().Value(), 91);
  EXPECT_EQ(progreso.EscriturasBarra(), 2U);
  progreso.Ocultar();
  EXPECT_EQ(progreso.Ventana(), nullptr);
}

} // namespace
