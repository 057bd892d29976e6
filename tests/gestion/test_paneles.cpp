// The disk manager's scenarios on its decisions (GestorPaneles), once for every
// host: the main window's decisions (F_Alcove) over fakes of the controls, the
// user as a script, every write compared byte for byte with what alcove-cli
// makes of the same request. Each toolkit's own suite only checks that its
// events reach these decisions.
#include "Dobles.h"
#include "Escenario.h"
#include "Proceso.h"
#include "ZipDePrueba.h"

#include "Flujo.h"
#include "imagenes/Contenedor.h"
#include "imagenes/Dsk.h"
#include "imagenes/Hfe.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

TEST_F(Escenario, EachWriteGivesTheBytesAlcoveCliGivesAndThePaneListsTheImageAgain) {
  struct Caso {
    const char *nombre;
    std::vector<std::string> filas; // empty: the empty area
    const char *accion;             // an item of the menu, or "Supr" / "F2"
    std::vector<bool> respuestas;
    std::optional<std::string> texto;
    std::vector<std::string> cli;
    std::string aparece, desaparece;
    std::string atributos = {};
  };
  const std::string extra = carpeta.Archivo("extra.bin"), datos = carpeta.Archivo("datos.bin");
  const std::vector<Caso> casos{
      {"delete",
       {"DATOS.BIN"},
       "Borrar",
       {true},
       {},
       {"rm", "IMAGEN", "DATOS.BIN"},
       "",
       "DATOS.BIN"},
      {"delete two by the key",
       {"LEEME.TXT", "LOADER.BAS"},
       "Supr",
       {true},
       {},
       {"rm", "IMAGEN", "LEEME.TXT", "LOADER.BAS"},
       "",
       "LOADER.BAS"},
      {"rename",
       {"LEEME.TXT"},
       "CambiarNombre",
       {},
       "notas.txt",
       {"ren", "IMAGEN", "LEEME.TXT", "NOTAS.TXT"},
       "NOTAS.TXT",
       "LEEME.TXT"},
      {"rename by F2",
       {"DATOS.BIN"},
       "F2",
       {},
       "otros.bin",
       {"ren", "IMAGEN", "DATOS.BIN", "OTROS.BIN"},
       "OTROS.BIN",
       "DATOS.BIN"},
      // An attribute is a top bit of an extension character: the row stays
      // and says so.
      {"read-only",
       {"LEEME.TXT"},
       "SoloLectura",
       {},
       {},
       {"attr", "IMAGEN", "LEEME.TXT", "--ro"},
       "LEEME.TXT",
       "",
       "R/O"},
      {"hidden",
       {"CODE.BIN"},
       "Oculto",
       {},
       {},
       {"attr", "IMAGEN", "3:CODE.BIN", "--sys"},
       "CODE.BIN",
       "",
       "SYS U3"},
      {"put", {}, "PonerArchivos", {}, {}, {"put", "IMAGEN", extra}, "EXTRA.BIN", ""},
      {"put over a name, replacing",
       {},
       "PonerArchivos",
       {true},
       {},
       {"put", "IMAGEN", datos, "--force"},
       "DATOS.BIN",
       ""},
  };
  Escribir(carpeta.Archivo("datos.bin"), Generador::ContenidoPrueba(300, 8));
  const std::vector<std::uint8_t> original = DiscoA();
  for (const Caso &c : casos) {
    SCOPED_TRACE(c.nombre);
    Escribir(A(), original);
    Elegir(0, "a.dsk");
    const std::vector<std::uint8_t> esperado = PorCli(A(), c.cli);
    guion.confirmar.assign(c.respuestas.begin(), c.respuestas.end());
    guion.texto = c.texto;
    guion.archivos = {c.cli.back() == "--force" ? datos : extra};
    Seleccionar(0, c.filas);
    if (std::string(c.accion) == "Supr")
      gestor->BorrarSeleccion(0);
    else if (std::string(c.accion) == "F2")
      gestor->RenombrarSeleccion(0);
    else
      Menu(0, c.accion);
    EXPECT_TRUE(guion.avisos.empty()) << guion.avisos.front();
    guion.avisos.clear();
    EXPECT_TRUE(guion.confirmar.empty()) << "every question was asked";
    EXPECT_EQ(Leer(A()), esperado);
    EXPECT_TRUE(c.aparece.empty() || Fila(0, c.aparece) >= 0) << c.aparece;
    EXPECT_TRUE(c.desaparece.empty() || Fila(0, c.desaparece) < 0) << c.desaparece;
    if (!c.atributos.empty()) {
      EXPECT_EQ(vista[0].Texto(Fila(0, c.aparece), 3), c.atributos);
    }
  }
}

TEST_F(Escenario, RefusalsSayWhyAndLeaveTheImageByteForByte) {
  struct Caso {
    const char *nombre;
    std::vector<std::string> filas;
    const char *accion;
    std::vector<bool> respuestas;
    std::optional<std::string> texto;
    std::string archivo; // to put
    const char *motivo;  // in the message; empty: no message
  };
  Escribir(carpeta.Archivo("enorme.bin"), Generador::ContenidoPrueba(200000, 2));
  Escribir(carpeta.Archivo("loader.bas"), {1, 2, 3});
  const std::vector<Caso> casos{
      {"answered no", {"DATOS.BIN"}, "Borrar", {false}, {}, "", ""},
      {"name taken",
       {"LEEME.TXT"},
       "CambiarNombre",
       {},
       "LOADER.BAS",
       "",
       "Ya hay un 0:LOADER.BAS en el disco"},
      {"bad name",
       {"LEEME.TXT"},
       "CambiarNombre",
       {},
       "A*B.TXT",
       "",
       "no vale como nombre de CP/M"},
      {"rename cancelled", {"LEEME.TXT"}, "CambiarNombre", {}, {}, "", ""},
      {"full disk", {}, "PonerArchivos", {}, {}, "enorme.bin", "No hay sitio"},
      {"replace declined", {}, "PonerArchivos", {false}, {}, "loader.bas", ""},
      {"unknown row", {"."}, "Borrar", {}, {}, "", "La lectura exacta del disco no tiene"},
      {"unknown row kept out of a rename",
       {"."},
       "CambiarNombre",
       {},
       {},
       "",
       "La lectura exacta del disco no tiene"},
  };
  const std::vector<std::uint8_t> original = Leer(A());
  for (const Caso &c : casos) {
    SCOPED_TRACE(c.nombre);
    guion.confirmar.assign(c.respuestas.begin(), c.respuestas.end());
    guion.texto = c.texto;
    guion.archivos = {carpeta.Archivo(c.archivo)};
    Seleccionar(0, c.filas);
    Menu(0, c.accion);
    if (*c.motivo == '\0') {
      EXPECT_TRUE(guion.avisos.empty()) << guion.avisos.front();
    } else {
      ASSERT_EQ(guion.avisos.size(), 1U);
      EXPECT_NE(guion.avisos.front().find(c.motivo), std::string::npos) << guion.avisos.front();
    }
    guion.avisos.clear();
    EXPECT_TRUE(guion.confirmar.empty());
    EXPECT_EQ(Leer(A()), original);
  }
}

TEST_F(Escenario, ADiskWhoseCatalogueCannotBeReadWholeIsNeverWritten) {
  Generador::DiscoCpm d(Generador::GeometriaData(), Generador::Disposicion::Extendida);
  d.Agregar(Archivo(0, "UNO", "BIN", Generador::ContenidoPrueba(100, 1)));
  d.Debil(0, 0, 0xC2, 3); // the catalogue's second sector, stored three ways
  Escribir(B(), d.Bytes());
  Elegir(1, "b.dsk");
  const std::vector<std::uint8_t> original = Leer(B());
  guion.confirmar = {true};
  Seleccionar(1, {"UNO.BIN"});
  Menu(1, "Borrar");
  ASSERT_EQ(guion.avisos.size(), 1U);
  EXPECT_NE(guion.avisos.front().find("catálogo no se lee entero"), std::string::npos)
      << guion.avisos.front();
  EXPECT_EQ(Leer(B()), original);
}

TEST_F(Escenario, TheViewerShowsTheCurrentRowAsWhatItIsAndAnUnknownRowItsEntry) {
  Seleccionar(0, {"LOADER.BAS"});
  gestor->Ver(0);
  ASSERT_EQ(visores.size(), 1U);
  const Gestion::Visor &basic = visores.back();
  EXPECT_EQ(basic.contenido.texto.rfind("10 CLS:PRINT \"HOLA\"\n20 ", 0), 0U)
      << basic.contenido.texto;
  EXPECT_EQ(basic.contenido.titulo, "LOADER.BAS");
  // The same file as a dump, from the viewers offered.
  ASSERT_EQ(basic.vistas.size(), 3U);
  EXPECT_EQ(basic.vistas[2], Ver::Vista::Hex);
  EXPECT_EQ(basic.calcular(Ver::Vista::Hex).texto.rfind("0170  ", 0), 0U)
      << "dumped from its load address";

  // Of several selected rows, the current one.
  Seleccionar(0, {"LEEME.TXT", "DATOS.BIN"});
  vista[0].actual = Fila(0, "LEEME.TXT");
  gestor->Ver(0);
  EXPECT_EQ(visores.back().contenido.texto, "HOLA\nMUNDO\n");
  EXPECT_TRUE(visores.back().contenido.nota.empty());

  Seleccionar(0, {"."});
  gestor->Ver(0);
  const Gestion::Contenido &desconocido = visores.back().contenido;
  EXPECT_NE(desconocido.texto.find("La lectura exacta del disco no tiene este archivo"),
            std::string::npos)
      << desconocido.texto;
  EXPECT_NE(desconocido.texto.find("Entrada 10 del catálogo"), std::string::npos)
      << desconocido.texto;
  EXPECT_NE(desconocido.texto.find("0000  00 20 20 20 20 20 20 20  20 20 20 20 00 00 00 08"),
            std::string::npos)
      << desconocido.texto;
  EXPECT_EQ(desconocido.nota, "entrada desconocida");
}

TEST_F(Escenario, ExtractionWritesWhatGetWritesAndRemembersTheHeaderChoice) {
  ProgresoVisto progreso;
  const std::string fuera = carpeta.Archivo("fuera");
  Seleccionar(0, {"LOADER.BAS", "CODE.BIN"});
  guion.carpeta = Gestion::Dialogos::Destino{fuera, false};
  Menu(0, "Extraer");
  ASSERT_EQ(
      EjecutarCli({"get", A(), "LOADER.BAS", "3:CODE.BIN", "-o", carpeta.Archivo("cli")}).codigo,
      0);
  for (const char *n : {"LOADER.BAS", "CODE.BIN"})
    EXPECT_EQ(Leer(carpeta.Archivo(std::string("fuera/") + n)),
              Leer(carpeta.Archivo(std::string("cli/") + n)))
        << n;
  EXPECT_EQ(progreso.mostrado, 1);
  EXPECT_EQ(progreso.oculto, 1);
  EXPECT_EQ(progreso.valor, progreso.a) << "the bar ends full";
  // Files go in the order the view shows them.
  EXPECT_EQ(progreso.titulos.back(), "Extrayendo LOADER.BAS");

  // Again, keeping the headers: the files are there, so the user is asked.
  guion.carpeta->conCabecera = true;
  guion.confirmar = {true};
  Menu(0, "Extraer");
  ASSERT_EQ(guion.preguntas.size(), 1U);
  EXPECT_NE(guion.preguntas[0].find("CODE.BIN y LOADER.BAS"), std::string::npos)
      << guion.preguntas[0];
  ASSERT_EQ(
      EjecutarCli({"get", A(), "LOADER.BAS", "--raw", "--force", "-o", carpeta.Archivo("cli")})
          .codigo,
      0);
  EXPECT_EQ(Leer(carpeta.Archivo("fuera/LOADER.BAS")), Leer(carpeta.Archivo("cli/LOADER.BAS")));
  // The choice made is offered the next time; declining keeps the files.
  guion.confirmar = {false};
  guion.carpeta->conCabecera = false;
  const std::vector<std::uint8_t> antes = Leer(carpeta.Archivo("fuera/LOADER.BAS"));
  Menu(0, "Extraer");
  EXPECT_EQ(guion.cabeceraOfrecida, (std::vector<bool>{false, false, true}));
  EXPECT_EQ(Leer(carpeta.Archivo("fuera/LOADER.BAS")), antes);
  EXPECT_TRUE(guion.avisos.empty()) << guion.avisos.front();
}

TEST_F(Escenario, TheMenusOfARowOfSeveralAndOfTheEmptyArea) {
  // A right-click on a row not selected makes it the selection.
  Seleccionar(0, {"LOADER.BAS"});
  const int code = Fila(0, "CODE.BIN");
  std::vector<Gestion::OpcionMenu> menu = gestor->Menu(0, code, false);
  EXPECT_EQ(vista[0].Seleccionadas(), std::vector<int>{code});
  EXPECT_EQ(Textos(menu), (std::vector<std::string>{"Ver", "Extraer…", "Propiedades", "Borrar",
                                                    "Cambiar nombre…", "Solo lectura", "Oculto",
                                                    "Mapa del disco…", "Comprobar disco"}));
  Hacer(menu, "Propiedades");
  EXPECT_NE(guion.mostrado.find("Tipo AMSDOS:  binario (&02)\n"), std::string::npos)
      << guion.mostrado;
  EXPECT_NE(guion.mostrado.find("Usuario:      3\n"), std::string::npos) << guion.mostrado;
  Hacer(menu, "SoloLectura");
  menu = gestor->Menu(0, Fila(0, "CODE.BIN"), false);
  EXPECT_TRUE(Opcion(menu, "SoloLectura").marcable);
  EXPECT_TRUE(Opcion(menu, "SoloLectura").marcada);
  EXPECT_FALSE(Opcion(menu, "Oculto").marcada);

  // Two rows: one name cannot be given to both. From the keyboard the
  // selection stays as it is.
  Seleccionar(0, {"LOADER.BAS", "DATOS.BIN"});
  menu = gestor->Menu(0, -1, true);
  EXPECT_EQ(vista[0].Seleccionadas().size(), 2U);
  EXPECT_FALSE(Opcion(menu, "CambiarNombre").habilitada);
  EXPECT_TRUE(Opcion(menu, "Borrar").habilitada);

  // Below the rows: what a disk takes, and nothing stays selected.
  menu = gestor->Menu(0, -1, false);
  EXPECT_EQ(Textos(menu), (std::vector<std::string>{"Nuevo disco…", "Poner archivos…",
                                                    "Archivos borrados…", "Propiedades del disco",
                                                    "Mapa del disco…", "Comprobar disco"}));
  EXPECT_TRUE(vista[0].Seleccionadas().empty());
  // The map comes back after each sector opened on it, until it is closed.
  int abiertos = 0;
  guion.mapa = [&abiertos](const Gestion::DibujoMapa &d) {
    return abiertos++ == 0 ? std::optional(d.celdas.front()) : std::nullopt;
  };
  Hacer(menu, "MapaDisco");
  EXPECT_EQ(guion.mapasMostrados, 2);
  EXPECT_NE(guion.cabeceraSector.find("Pista 0, cara 0, sector &C1"), std::string::npos)
      << guion.cabeceraSector;
  EXPECT_TRUE(guion.avisos.empty()) << guion.avisos.front();
}

TEST_F(Escenario, ANewDiskIsAlcoveClisNewAndOpensInThePane) {
  guion.disco = Gestion::Dialogos::DiscoNuevo{"vacio", "data"};
  const int listados = file[0].listados;
  Menu(0, "NuevoDisco");
  ASSERT_TRUE(fs::exists(carpeta.Ruta() / "vacio.dsk")) << "the extension is added";
  ASSERT_EQ(EjecutarCli({"new", carpeta.Archivo("cli/vacio.dsk")}).codigo, 0);
  EXPECT_EQ(Leer(carpeta.Archivo("vacio.dsk")), Leer(carpeta.Archivo("cli/vacio.dsk")));
  EXPECT_EQ(file[0].listados, listados + 1) << "the file list shows the new file";
  EXPECT_EQ(vista[0].Filas(), 0);
  EXPECT_EQ(estado.textos[0], "vacio.dsk");
  // Each format once, by its own name.
  EXPECT_EQ(guion.formatosOfrecidos,
            (std::vector<std::string>{"data", "system", "plus3", "ibm", "pcw720", "romdos-d2",
                                      "romdos-d10", "romdos-d20"}));
  // Tracks, sides and the extended layout, as new takes them.
  guion.disco = Gestion::Dialogos::DiscoNuevo{"grande.dsk", "plus3", 80, 2, true};
  Menu(0, "NuevoDisco");
  ASSERT_EQ(EjecutarCli({"new", carpeta.Archivo("cli/grande.dsk"), "--formato", "plus3", "--pistas",
                         "80", "--caras", "2", "--extendida"})
                .codigo,
            0);
  EXPECT_EQ(Leer(carpeta.Archivo("grande.dsk")), Leer(carpeta.Archivo("cli/grande.dsk")));
  // What new refuses, the window refuses, saying why.
  guion.disco = Gestion::Dialogos::DiscoNuevo{"malo.dsk", "data", 80, 2, false};
  Menu(0, "NuevoDisco");
  ASSERT_EQ(guion.avisos.size(), 1U);
  EXPECT_NE(guion.avisos[0].find("40 pistas y 1 cara"), std::string::npos) << guion.avisos[0];
  EXPECT_FALSE(fs::exists(carpeta.Ruta() / "malo.dsk"));
  guion.avisos.clear();
  // Over an existing file only when the user says so.
  guion.disco = Gestion::Dialogos::DiscoNuevo{"a.dsk", "system"};
  guion.confirmar = {false};
  const std::vector<std::uint8_t> a = Leer(A());
  Menu(0, "NuevoDisco");
  EXPECT_EQ(Leer(A()), a);
  EXPECT_TRUE(guion.avisos.empty()) << guion.avisos.front();
}

TEST_F(Escenario, DragsCarryExactFilesOutAndBetweenPanesAndDropsPutHostFiles) {
  // Out: the files get writes, in a folder of their own, with no window
  // while the button is held.
  ProgresoVisto progreso;
  Seleccionar(0, {"LOADER.BAS", "LEEME.TXT"});
  const std::vector<std::string> rutas = gestor->Arrastrar(0);
  EXPECT_EQ(progreso.mostrado, 0);
  ASSERT_EQ(rutas.size(), 2U);
  ASSERT_EQ(
      EjecutarCli({"get", A(), "LOADER.BAS", "LEEME.TXT", "-o", carpeta.Archivo("cli")}).codigo, 0);
  for (const std::string &ruta : rutas) {
    const std::string nombre = Utf8(RutaFs(ruta).filename());
    EXPECT_EQ(Leer(ruta), Leer(carpeta.Archivo("cli/" + nombre))) << nombre;
  }
  // Onto the other pane: copied with their headers, as get --raw and put copy them.
  ASSERT_EQ(EjecutarCli({"get", A(), "LOADER.BAS", "LEEME.TXT", "--raw", "--force", "-o",
                         carpeta.Archivo("cli")})
                .codigo,
            0);
  const std::vector<std::uint8_t> esperado = PorCli(
      B(), {"put", "IMAGEN", carpeta.Archivo("cli/LEEME.TXT"), carpeta.Archivo("cli/LOADER.BAS")});
  EXPECT_FALSE(gestor->Recibir(0, {0, {}})) << "a pane does not take its own rows";
  const std::function<void()> copia = gestor->Recibir(1, {0, {}});
  ASSERT_TRUE(copia);
  copia();
  gestor->FinArrastre(true);
  EXPECT_EQ(Leer(B()), esperado);
  EXPECT_GE(Fila(1, "LOADER.BAS"), 0);

  // In from the host: put as alcove-cli's put.
  const std::vector<std::uint8_t> conExtra =
      PorCli(B(), {"put", "IMAGEN", carpeta.Archivo("extra.bin")});
  const std::function<void()> puesta = gestor->Recibir(1, {-1, {carpeta.Archivo("extra.bin")}});
  ASSERT_TRUE(puesta);
  puesta();
  EXPECT_EQ(Leer(B()), conExtra);
  EXPECT_GE(Fila(1, "EXTRA.BIN"), 0);
  EXPECT_FALSE(gestor->Recibir(1, {-1, {}})) << "nothing that names no file is taken";
  EXPECT_TRUE(guion.avisos.empty()) << guion.avisos.front();
}

// Images a pane lists through a copy: a zip's member, and images of the
// kinds only read (HFE, an SCP flux dump, a KryoFlux set by its first file).
// Each follows the folder's own images, lists its files, gives them to a drag
// as get does, and is never written.
TEST_F(Escenario, ImagesOfEveryKindAndInsideZipsFollowTheFoldersOwnAndAreReadButNeverWritten) {
  const std::vector<std::uint8_t> hfe =
      imagenes::EscribirHfe(imagenes::DesdeContenedor(imagenes::LeerContenedor(DiscoB())));
  const std::vector<std::uint8_t> zip =
      zip_prueba::CrearZip({zip_prueba::Comprimido("juegos/juego.dsk", DiscoB()),
                            zip_prueba::Guardado("leeme.txt", {1})});
  struct Caso {
    Generador::Archivos archivos; // written in the folder
    const char *listada;          // as the file list shows it
    const char *etiqueta;         // the pane's label
  };
  const Caso casos[] = {
      {{{"coleccion.zip", zip}}, "coleccion.zip/juegos/juego.dsk", "juego.dsk"},
      {{{"juego.hfe", hfe}}, "juego.hfe", "juego.hfe"},
      {{{"juego.scp", Generador::EscribirScp(DiscoCpmB(), {})}}, "juego.scp", "juego.scp"},
      {Generador::EscribirStreams(DiscoCpmB(), {}), "track00.0.raw", "track00.0.raw"},
  };
  for (const Caso &c : casos) {
    SCOPED_TRACE(c.listada);
    for (const auto &[nombre, bytes] : c.archivos) {
      Escribir(carpeta.Archivo(nombre), bytes);
    }
    EXPECT_EQ(file[0].otras(file[0].ruta), std::vector<std::string>{c.listada});
    Elegir(0, c.listada);
    EXPECT_EQ(Nombres(0), std::vector<std::string>{"OTRO.BIN"});
    EXPECT_EQ(estado.textos[0], c.etiqueta);
    const std::string imagen = carpeta.Archivo(c.listada);
    EXPECT_EQ(gestor->Imagen(0), imagen);

    // Read: dragged out, the file is get's.
    Seleccionar(0, {"OTRO.BIN"});
    const std::vector<std::string> rutas = gestor->Arrastrar(0);
    ASSERT_EQ(rutas.size(), 1U);
    const std::string sacado = carpeta.Archivo("cli-" + c.archivos.front().first);
    ASSERT_EQ(EjecutarCli({"get", imagen, "OTRO.BIN", "-o", sacado}).codigo, 0);
    EXPECT_EQ(Leer(rutas.front()), Leer(sacado + "/OTRO.BIN"));
    gestor->FinArrastre(true);
    // Never written: the writes are offered greyed, the keys and drops do
    // nothing, and the file stays as it was.
    const std::vector<Gestion::OpcionMenu> menu = gestor->Menu(0, -1, true);
    for (const char *escritura : {"Borrar", "CambiarNombre", "SoloLectura", "Oculto"})
      EXPECT_FALSE(Opcion(menu, escritura).habilitada) << escritura;
    for (const char *lectura : {"Ver", "Extraer", "Propiedades"})
      EXPECT_TRUE(Opcion(menu, lectura).habilitada) << lectura;
    Seleccionar(0, {});
    EXPECT_FALSE(Opcion(gestor->Menu(0, -1, true), "PonerArchivos").habilitada);
    Seleccionar(0, {"OTRO.BIN"});
    gestor->BorrarSeleccion(0);
    gestor->RenombrarSeleccion(0);
    EXPECT_FALSE(gestor->Recibir(0, {-1, {carpeta.Archivo("extra.bin")}}));
    EXPECT_FALSE(gestor->Recibir(0, {1, {}}));
    EXPECT_TRUE(guion.preguntas.empty());
    EXPECT_TRUE(guion.avisos.empty()) << guion.avisos.front();
    for (const auto &[nombre, bytes] : c.archivos) {
      EXPECT_EQ(Leer(carpeta.Archivo(nombre)), bytes);
      fs::remove(carpeta.Ruta() / nombre);
    }
  }
}

// Put asks once a drop for what put takes: the type (auto, binary, BASIC,
// ASCII), the addresses, the user and the attributes; the answer is the next
// question's start. Each answer gives what alcove-cli's put gives.
TEST_F(Escenario, PutAsksForTheHeaderACpcNeedsOnceADropAndKeepsTheLastAnswer) {
  using Opciones = Gestion::Dialogos::OpcionesPoner;
  const std::string juego = carpeta.Archivo("juego.bin"), lista = carpeta.Archivo("lista.bas");
  const std::string texto = carpeta.Archivo("texto.txt");
  Escribir(juego, Generador::ContenidoPrueba(2000, 4));
  Escribir(lista, BytesProgramaCompleto());
  const std::string t = "uno\ndos\n";
  Escribir(texto, {t.begin(), t.end()});
  struct Caso {
    const char *nombre;
    Opciones opciones;
    std::vector<std::string> archivos;
    std::vector<std::string> cli; // put's arguments after the image and the files
    std::vector<std::string> escritos;
    std::vector<bool> respuestas = {};
  };
  const std::vector<Caso> casos{
      {"binary, load and entry",
       {cpm::TipoPoner::Binario, "&4000", "0x4010", 0, false, false},
       {juego},
       {"--tipo", "binario", "--carga", "&4000", "--entrada", "&4010"},
       {"JUEGO.BIN"}},
      {"binary, the entry is the load address, user and attributes",
       {cpm::TipoPoner::Binario, "#C000", "", 5, true, true},
       {juego},
       {"--tipo", "binario", "--carga", "&C000", "--usuario", "5", "--ro", "--sys"},
       {"JUEGO.BIN"}},
      {"BASIC",
       {cpm::TipoPoner::Basic, "", "", 0, false, false},
       {lista},
       {"--tipo", "basic"},
       {"LISTA.BAS"}},
      {"ASCII and auto, two files at once",
       {cpm::TipoPoner::Ascii, "", "", 2, false, false},
       {texto, juego},
       {"--tipo", "ascii", "--usuario", "2"},
       {"TEXTO.TXT", "JUEGO.BIN"}},
      {"a bare decimal that reads otherwise as hex, accepted",
       {cpm::TipoPoner::Binario, "4000", "", 0, false, false},
       {juego},
       {"--tipo", "binario", "--carga", "4000"},
       {"JUEGO.BIN"},
       {true}},
  };
  const std::vector<std::uint8_t> original = Leer(A());
  Opciones anterior;
  for (const Caso &c : casos) {
    SCOPED_TRACE(c.nombre);
    Escribir(A(), original);
    Elegir(0, "a.dsk");
    std::vector<std::string> args{"put", "IMAGEN"};
    args.insert(args.end(), c.archivos.begin(), c.archivos.end());
    args.insert(args.end(), c.cli.begin(), c.cli.end());
    const std::vector<std::uint8_t> esperado = PorCli(A(), args);
    guion.poner = c.opciones;
    guion.confirmar.assign(c.respuestas.begin(), c.respuestas.end());
    const auto puesta = gestor->Recibir(0, {-1, c.archivos});
    ASSERT_TRUE(puesta);
    puesta();
    EXPECT_TRUE(guion.avisos.empty()) << guion.avisos.front();
    guion.avisos.clear();
    EXPECT_TRUE(guion.confirmar.empty());
    EXPECT_EQ(Leer(A()), esperado);
    // Asked once, from the last answer, for the files by name.
    ASSERT_FALSE(guion.ponerOfrecidas.empty());
    EXPECT_EQ(guion.ponerOfrecidas.back(), anterior);
    EXPECT_EQ(guion.ponerArchivos.back().size(), c.archivos.size());
    anterior = c.opciones;
    // What the write made is selected.
    std::vector<std::string> hechos = c.escritos;
    std::sort(hechos.begin(), hechos.end());
    EXPECT_EQ(Seleccionadas(0), hechos);
  }
  EXPECT_EQ(guion.ponerOfrecidas.size(), casos.size());
}

TEST_F(Escenario, PutRefusesWhatPutRefusesAndLeavesTheImageByteForByte) {
  using Opciones = Gestion::Dialogos::OpcionesPoner;
  const std::string juego = carpeta.Archivo("juego.bin");
  Escribir(juego, Generador::ContenidoPrueba(2000, 4));
  Escribir(carpeta.Archivo("otro"), {}); // a folder's name
  struct Caso {
    const char *nombre;
    Opciones opciones;
    const char *motivo; // empty: nothing said
    std::vector<bool> respuestas = {};
  };
  const std::vector<Caso> casos{
      {"binary without a load address",
       {cpm::TipoPoner::Binario, "", "", 0, false, false},
       "Falta la dirección de carga"},
      {"a load address that is none",
       {cpm::TipoPoner::Binario, "&G000", "", 0, false, false},
       "Dirección de carga no válida: &G000"},
      {"past &FFFF",
       {cpm::TipoPoner::Binario, "&10000", "", 0, false, false},
       "Dirección de carga no válida: &10000"},
      {"the file runs past &FFFF",
       {cpm::TipoPoner::Binario, "&FC00", "", 0, false, false},
       "&FFFF"},
      {"a bare decimal declined",
       {cpm::TipoPoner::Binario, "4000", "", 0, false, false},
       "",
       {false}},
  };
  const std::vector<std::uint8_t> original = Leer(A());
  for (const Caso &c : casos) {
    SCOPED_TRACE(c.nombre);
    guion.poner = c.opciones;
    guion.confirmar.assign(c.respuestas.begin(), c.respuestas.end());
    gestor->Recibir(0, {-1, {juego}})();
    if (*c.motivo == '\0') {
      EXPECT_TRUE(guion.avisos.empty()) << guion.avisos.front();
    } else {
      ASSERT_EQ(guion.avisos.size(), 1U);
      EXPECT_NE(guion.avisos.front().find(c.motivo), std::string::npos) << guion.avisos.front();
    }
    guion.avisos.clear();
    EXPECT_TRUE(guion.confirmar.empty());
    EXPECT_EQ(Leer(A()), original);
  }
  // Cancelled: nothing is put, and the answer before stays the next start.
  guion.cancelarPoner = true;
  Seleccionar(0, {});
  Menu(0, "PonerArchivos");
  guion.archivos = {juego};
  Menu(0, "PonerArchivos");
  EXPECT_EQ(Leer(A()), original);
  EXPECT_EQ(guion.ponerOfrecidas.back(), casos.back().opciones);
}

// The background menu lists the deleted files as ls --borrados does and
// brings one back: on the disk, as unrm does, or into a folder, as
// get --borrados does; never one whose blocks a live file has taken.
TEST_F(Escenario, DeletedFilesComeBackOnTheDiskOrIntoAFolderWhenNoFileTookTheirBlocks) {
  // A new file takes CODE.BIN's entry and blocks, LEEME.TXT's block and
  // DATOS.BIN's first; LOADER.BAS is erased after it, and can come back.
  const std::string grande = carpeta.Archivo("grande.bin");
  Escribir(grande, Generador::ContenidoPrueba(6000, 6));
  // The pane lets the image go while alcove-cli changes it: Windows replaces
  // no file another handle holds.
  ventana->CerrarImagen(0);
  ASSERT_EQ(EjecutarCli({"rm", A(), "LEEME.TXT", "DATOS.BIN", "3:CODE.BIN"}).codigo, 0);
  ASSERT_EQ(EjecutarCli({"put", A(), grande}).codigo, 0);
  ASSERT_EQ(EjecutarCli({"rm", A(), "LOADER.BAS"}).codigo, 0);
  Elegir(0, "a.dsk");
  const std::vector<std::uint8_t> borrado = Leer(A());
  guion.borrado = std::nullopt; // cancelled: nothing changes
  Menu(0, "Borrados");
  ASSERT_EQ(guion.ofrecidos.size(), 3U);
  EXPECT_NE(guion.ofrecidos[0].find("DATOS.BIN (5120 bytes; no recuperable: su bloque"),
            std::string::npos)
      << guion.ofrecidos[0];
  EXPECT_NE(guion.ofrecidos[1].find("LEEME.TXT (128 bytes; no recuperable: su bloque"),
            std::string::npos)
      << guion.ofrecidos[1];
  EXPECT_EQ(guion.ofrecidos[2].rfind("LOADER.BAS (", 0), 0U) << guion.ofrecidos[2];
  EXPECT_EQ(guion.ofrecidos[2].find("no recuperable"), std::string::npos) << guion.ofrecidos[2];
  EXPECT_TRUE(guion.recuperacionOfrecida);
  EXPECT_EQ(Leer(A()), borrado);

  // Into a folder, as get --borrados writes it, and said in one line.
  guion.borrado = Gestion::Dialogos::BorradoElegido{2, false};
  guion.carpeta = Gestion::Dialogos::Destino{carpeta.Archivo("fuera"), false};
  Menu(0, "Borrados");
  ASSERT_EQ(
      EjecutarCli({"get", "--borrados", A(), "LOADER.BAS", "-o", carpeta.Archivo("cli")}).codigo,
      0);
  EXPECT_EQ(Leer(carpeta.Archivo("fuera/LOADER.BAS")), Leer(carpeta.Archivo("cli/LOADER.BAS")));
  EXPECT_EQ(guion.informes, std::vector<std::string>{"Se ha extraído 1 archivo en " +
                                                     carpeta.Archivo("fuera") + "."});
  EXPECT_EQ(Leer(A()), borrado);

  // On the disk, as unrm puts it back: its row is there and selected.
  const std::vector<std::uint8_t> esperado = PorCli(A(), {"unrm", "IMAGEN", "LOADER.BAS"});
  guion.borrado = Gestion::Dialogos::BorradoElegido{2, true};
  Menu(0, "Borrados");
  EXPECT_EQ(Leer(A()), esperado);
  EXPECT_EQ(Seleccionadas(0), std::vector<std::string>{"LOADER.BAS"});
  EXPECT_TRUE(guion.avisos.empty()) << guion.avisos.front();

  // Not one whose blocks are taken, either way: the reason is said.
  Seleccionar(0, {});
  for (const bool recuperar : {true, false}) {
    guion.borrado = Gestion::Dialogos::BorradoElegido{0, recuperar};
    Menu(0, "Borrados");
    ASSERT_EQ(guion.avisos.size(), 1U);
    EXPECT_NE(guion.avisos[0].find("DATOS.BIN no se puede recuperar: su bloque"), std::string::npos)
        << guion.avisos[0];
    guion.avisos.clear();
  }
  EXPECT_EQ(Leer(A()), esperado);
}

TEST_F(Escenario, ARenameACopyAndAnExtractionSayWhatTheyDid) {
  // The renamed file's row is selected.
  Seleccionar(0, {"LEEME.TXT"});
  guion.texto = "2:notas.txt";
  Menu(0, "CambiarNombre");
  EXPECT_EQ(Seleccionadas(0), std::vector<std::string>{"NOTAS.TXT"});
  EXPECT_EQ(vista[0].Texto(vista[0].FilaActual(), 3), "U2");
  // Rows copied onto the other pane are selected there, every extent of them.
  Seleccionar(0, {"LOADER.BAS", "DATOS.BIN"});
  gestor->Recibir(1, {0, {}})();
  EXPECT_EQ(Seleccionadas(1), (std::vector<std::string>{"DATOS.BIN", "LOADER.BAS"}));
  // An extraction says how many files went where, in one line.
  Seleccionar(0, {"LOADER.BAS", "DATOS.BIN"});
  guion.carpeta = Gestion::Dialogos::Destino{carpeta.Archivo("fuera"), false};
  Menu(0, "Extraer");
  EXPECT_EQ(guion.informes, std::vector<std::string>{"Se han extraído 2 archivos en " +
                                                     carpeta.Archivo("fuera") + "."});
  EXPECT_TRUE(guion.avisos.empty()) << guion.avisos.front();
}

// A palette file as OCP Art Studio saves it: the mode, then 12 Gate Array
// colours an ink; ink 1's first is `tinta1`, the others black.
std::vector<std::uint8_t> PaletaOcp(std::uint8_t modo, std::uint8_t tinta1) {
  std::vector<std::uint8_t> pal(239, 0x54);
  pal[0] = modo;
  pal[3 + 12] = tinta1;
  return pal;
}

// Screens are drawn in every mode, with the firmware's inks or a palette file
// of the same disk (the mode the file gives); the picture goes to a PNG as
// cat --png writes it.
TEST_F(Escenario, AScreenIsDrawnInItsPalettesModeWithAnyOfTheDisksPalettesAndSavedAsCatDoes) {
  std::vector<std::uint8_t> pantalla(16384, 0);
  pantalla[0] = 0x80; // the top left pixel is ink 1 in every mode
  Generador::DiscoCpm d(Generador::GeometriaData());
  d.Agregar(Archivo(0, "PANTALLA", "SCR", ConCabecera("PANTALLA SCR", 2, 0xC000, pantalla)));
  d.Agregar(
      Archivo(0, "PANTALLA", "PAL", ConCabecera("PANTALLA PAL", 2, 0x8809, PaletaOcp(0, 0x56))));
  d.Agregar(Archivo(0, "OTRA", "PAL", PaletaOcp(2, 0x4C)));
  d.Agregar(Archivo(0, "NOTAS", "PAL", {'h', 'o', 'l', 'a', 0x1A})); // no palette
  Escribir(B(), d.Bytes());
  Elegir(1, "b.dsk");
  Seleccionar(1, {"PANTALLA.SCR"});
  gestor->Ver(1);
  ASSERT_EQ(visores.size(), 1U);
  const Gestion::Visor &v = visores.back();
  using Rgb = std::array<std::uint8_t, 3>;
  const auto arribaIzquierda = [](const Gestion::Contenido &c) {
    EXPECT_TRUE(c.imagen && c.imagen->Valida());
    return c.imagen ? Rgb{c.imagen->rgb[0], c.imagen->rgb[1], c.imagen->rgb[2]} : Rgb{};
  };
  ASSERT_TRUE(v.contenido.pantalla);
  EXPECT_EQ(v.contenido.pantalla->paletas,
            (std::vector<std::string>{"Firmware", "OTRA.PAL", "PANTALLA.PAL"}));
  EXPECT_EQ(v.contenido.pantalla->paleta, 2U) << "the palette of its own name";
  EXPECT_EQ(v.contenido.pantalla->modo, 0) << "the mode its palette file gives";
  EXPECT_EQ(arribaIzquierda(v.contenido), (Rgb{0x00, 0x80, 0x00}));

  struct Paso {
    const char *nombre;
    std::optional<int> modo;           // another mode
    std::optional<std::size_t> paleta; // or another palette
    int modoVisto;
    std::size_t paletaVista;
    Rgb color;
  };
  const std::vector<Paso> pasos{
      {"mode 2, same inks", 2, {}, 2, 2, {0x00, 0x80, 0x00}},
      {"the firmware's: it gives no mode", {}, 0, 2, 0, {0xFF, 0xFF, 0x00}},
      {"mode 1", 1, {}, 1, 0, {0xFF, 0xFF, 0x00}},
      {"another file: its mode", {}, 1, 2, 1, {0xFF, 0x00, 0x00}},
  };
  Gestion::Contenido actual = v.contenido;
  for (const Paso &p : pasos) {
    SCOPED_TRACE(p.nombre);
    actual = p.modo ? v.otroModo(actual, *p.modo) : v.otraPaleta(actual, *p.paleta);
    ASSERT_TRUE(actual.pantalla);
    EXPECT_EQ(actual.pantalla->modo, p.modoVisto);
    EXPECT_EQ(actual.pantalla->paleta, p.paletaVista);
    EXPECT_EQ(arribaIzquierda(actual), p.color);
  }

  // Saved as cat --png draws it with that palette file, asked before replacing.
  const std::string png = carpeta.Archivo("fuera/pantalla.png");
  guion.archivoNuevo = png;
  v.guardarPng(v.contenido);
  EXPECT_EQ(guion.propuestos, std::vector<std::string>{Utf8(carpeta.Ruta()) + "|PANTALLA.png"});
  ASSERT_EQ(EjecutarCli({"get", B(), "PANTALLA.PAL", "-o", carpeta.Archivo("cli")}).codigo, 0);
  const Resultado cat =
      EjecutarCli({"cat", B(), "PANTALLA.SCR", "--png", carpeta.Archivo("cli/p.png"), "--paleta",
                   carpeta.Archivo("cli/PANTALLA.PAL")});
  ASSERT_EQ(cat.codigo, 0) << cat.errores;
  EXPECT_NE(cat.salida.find("modo 0"), std::string::npos) << cat.salida;
  EXPECT_EQ(Leer(png), Leer(carpeta.Archivo("cli/p.png")));
  ASSERT_EQ(guion.informes.size(), 1U);
  EXPECT_EQ(guion.informes[0], "PANTALLA.SCR -> " + png + " (640 × 400, modo 0)");
  guion.confirmar = {false};
  v.guardarPng(actual);
  EXPECT_EQ(Leer(png), Leer(carpeta.Archivo("cli/p.png"))) << "declined: kept";
  guion.confirmar = {true};
  v.guardarPng(actual);
  EXPECT_NE(Leer(png), Leer(carpeta.Archivo("cli/p.png"))) << "replaced: another palette";
  EXPECT_TRUE(guion.confirmar.empty());
  EXPECT_TRUE(guion.avisos.empty()) << guion.avisos.front();
}

} // namespace
