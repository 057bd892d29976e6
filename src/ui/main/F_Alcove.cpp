#include "ui/main/F_Alcove.h"

#include "cpm/Disco.h"
#include "disk/Cls_Disco.h"
#include "disk/Formato.h"
#include "imagenes/Fuente.h"
#include "platform/Errores.h"
#include "platform/InfoArchivo.h"
#include "ui/controles/Volcado.h"
#include "ui/main/Presentacion.h"

#include <algorithm>
#include <utility>

namespace {

// The pane's position in the control arrays; anything but 0 or 1 is refused.
std::size_t Ranura(int Index) {
  if (Index < 0 || Index > 1)
    LanzarError(Errores::SubindiceFueraDeIntervalo);
  return static_cast<std::size_t>(Index);
}

// The catalogue entries of the image the disk object holds, where the disk
// keeps them. The image is read again whole by its path; when that fails (it
// has gone since, or grown past any image), the 64 entries the object read.
std::vector<Presentacion::EntradaCatalogo> EntradasDelDisco(const Cls_Disco &disco) {
  std::vector<std::uint8_t> bytes;
  if (imagenes::CargarImagen(disco.NombreFichero, bytes).empty())
    return Presentacion::EntradasDeImagen(bytes);
  const CabeceraDisco cabecera = disco.Cabecera();
  std::vector<Presentacion::EntradaCatalogo> entradas(CabeceraDisco::EntradasCatalogo);
  for (std::size_t i = 0; i < entradas.size(); ++i) {
    const EntradaDir &e = cabecera.Entradas[i];
    Presentacion::EntradaCatalogo &c = entradas[i];
    c.Indice = static_cast<int>(i);
    c.Bytes[Formato::EntUsuario] = e.Usuario;
    std::copy_n(e.Nombre.begin(), std::min(e.Nombre.size(), Formato::LargoNombre),
                c.Bytes.begin() + Formato::EntNombre);
    c.Bytes[Formato::EntS2] = e.S2;
    c.Bytes[Formato::EntRegistros] = e.Registros;
    std::copy(e.Bloques.begin(), e.Bloques.end(), c.Bytes.begin() + Formato::EntBloques);
  }
  return entradas;
}

} // namespace

F_Alcove::F_Alcove(Controles_ controles) : c_(std::move(controles)) {}

F_Alcove::~F_Alcove() = default;

void F_Alcove::Form_Load() {
  // Nothing to do: the lists start on the current drive and folder by themselves.
}

bool F_Alcove::ExisteDisco(int Index) const { return Discos[Ranura(Index)] != nullptr; }

const Cls_Disco *F_Alcove::DiscoSiExiste(int Index) const { return Discos[Ranura(Index)].get(); }

std::string F_Alcove::ImagenListada(int Index) const {
  const Cls_Disco *disco = Discos[Ranura(Index)].get();
  return disco == nullptr ? std::string() : disco->NombreFichero;
}

void F_Alcove::CerrarImagen(std::int16_t Index) {
  if (Cls_Disco *disco = Discos[Ranura(Index)].get(); disco != nullptr)
    disco->Cerrar();
}

void F_Alcove::ReabrirImagen(std::int16_t Index) {
  if (Cls_Disco *disco = Discos[Ranura(Index)].get();
      disco != nullptr && !disco->NombreFichero.empty())
    disco->Cargar(disco->NombreFichero);
}

Cls_Disco &F_Alcove::Disco(std::int16_t Index) {
  std::unique_ptr<Cls_Disco> &ranura = Discos[Ranura(Index)];
  if (!ranura)
    ranura = std::make_unique<Cls_Disco>();
  return *ranura;
}

void F_Alcove::Drive_Change(std::int16_t Index) {
  const std::size_t p = Ranura(Index);
  Controles::ListaUnidades &drive = *c_.Drive[p];
  Controles::ListaCarpetas &dir = *c_.Dir[p];
  dir.SetPath(drive.Drive());
}

void F_Alcove::Dir_Change(std::int16_t Index) {
  const std::size_t p = Ranura(Index);
  Controles::ListaCarpetas &dir = *c_.Dir[p];
  Controles::ListaArchivos &file = *c_.File[p];
  file.SetPath(dir.Path());
}

void F_Alcove::File_Click(std::int16_t Index) {
  Disco(Index);
  const Controles::ListaArchivos &file = *c_.File[Ranura(Index)];
  // Folder, separator, name, joined as they are: at the root the separator doubles.
  ListarImagen(Index, file.Path() + Plataforma::SeparadorRuta + file.FileName());
}

void F_Alcove::ListarImagen(std::int16_t Index, const std::string &ruta) {
  Cls_Disco &disco = Disco(Index);
  const std::size_t p = Ranura(Index);
  disco.Cargar(ruta);
  MostrarInfoDisco(Index);

  Controles::VistaLista &filas = *c_.DSK[p];
  filas.Clear();
  Listadas[p].clear();
  // An object that never held an image has nothing to list.
  if (disco.NombreFichero.empty())
    return;
  const Controles::ListaImagenes &imagenes = *c_.Image_EXT;
  std::vector<std::string> claves;
  for (int j = 1; j <= imagenes.Count(); ++j)
    claves.push_back(imagenes.Key(j));
  for (const Presentacion::FilaCatalogo &fila :
       Presentacion::FilasCatalogo(EntradasDelDisco(disco), claves)) {
    filas.Add({fila.Nombre, fila.Ext, fila.KB, fila.Attrib}, fila.Icono);
    Listadas[p].push_back(fila.Entrada);
  }
}

const Presentacion::EntradaCatalogo *F_Alcove::EntradaDeFila(int Index, int llegada) const {
  const std::vector<Presentacion::EntradaCatalogo> &listadas = Listadas[Ranura(Index)];
  if (llegada < 0 || static_cast<std::size_t>(llegada) >= listadas.size())
    return nullptr;
  return &listadas[static_cast<std::size_t>(llegada)];
}

void F_Alcove::MostrarInfoDisco(std::int16_t index) {
  Controles::BarraEstado &barra = *c_.StatusBar;
  Cls_Disco &disco = Disco(index);
  const Presentacion::TextosEstado textos =
      Presentacion::EstadoDisco(disco.NombreCFichero(), disco.Cabecera());
  for (std::size_t i = 0; i < textos.size(); ++i)
    barra.SetPanelText(static_cast<int>(i) + 1, textos[i]);
}

void F_Alcove::DSK_ColumnClick(std::int16_t Index, int ColumnHeader) {
  Controles::VistaLista &vista = *c_.DSK[Ranura(Index)];
  vista.SetSortOrder(0);
  vista.SetSortKey(static_cast<std::int16_t>(ColumnHeader - 1));
}

void F_Alcove::menu_Ayuda_Click(std::int16_t /*Index*/) {
  if (c_.MostrarAcercaDe)
    c_.MostrarAcercaDe();
}

void F_Alcove::Volcar(const std::string &suceso) const noexcept {
  Volcado::Anotar(suceso, *c_.StatusBar, {c_.DSK[0], c_.DSK[1]});
}
