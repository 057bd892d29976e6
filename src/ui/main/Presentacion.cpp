#include "ui/main/Presentacion.h"

#include <QByteArray>
#include <QFile>

namespace Presentacion {

QString TextoDisco(const std::string &bytes) {
  return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

QString TextoNombreHost(const std::string &bytes) {
  return QFile::decodeName(QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

QString TextoKB(std::uint8_t Registros) {
  QString texto = QString::number(Registros >> 3);
  if (texto == QLatin1String("0"))
    texto = QStringLiteral("1");
  return texto.rightJustified(4, u' ');
}

int IndiceIcono(const QString &ext, const QStringList &claves) {
  int indice = static_cast<int>(claves.indexOf(QStringLiteral("Unknow"))) + 1;
  for (qsizetype j = 0; j < claves.size(); ++j) {
    if (claves[j] == ext) {
      indice = static_cast<int>(j) + 1;
      break;
    }
  }
  return indice;
}

std::vector<FilaCatalogo> FilasCatalogo(const CabeceraDisco &cabecera, const QStringList &claves) {
  std::vector<FilaCatalogo> filas;
  for (int i = 0; i < CabeceraDisco::EntradasCatalogo; ++i) {
    const EntradaDir &entrada = cabecera.Entradas[static_cast<std::size_t>(i)];
    if (entrada.Estado == EstadoEntrada::NoUsada || entrada.Estado == EstadoEntrada::NombreNoValido)
      continue;
    const QString nombre = TextoDisco(entrada.Nombre);
    FilaCatalogo fila;
    fila.Nombre = nombre.left(8);
    fila.Ext = nombre.right(3);
    fila.Icono = IndiceIcono(fila.Ext, claves);
    fila.KB = TextoKB(entrada.Registros);
    filas.push_back(std::move(fila));
  }
  return filas;
}

TextosEstado EstadoInicial() {
  return {QStringLiteral("Disco"), QStringLiteral("Formato Imagen"),
          QStringLiteral("Pistas / Caras"), QString()};
}

QString TextoFormato(std::int32_t Formato) {
  switch (Formato) {
  case FormatoImagen::Estandar: return QStringLiteral(" MV-CPC EMU ");
  case FormatoImagen::Extendido: return QStringLiteral(" EXTENDED-CPC DSK ");
  default: return {};
  }
}

QString TextoPistasCaras(std::uint8_t Pistas, std::uint8_t Caras) {
  return QStringLiteral(" T:") + QString::number(Pistas) + QStringLiteral(" S:") +
         QString::number(Caras) + QStringLiteral(" ");
}

TextosEstado EstadoDisco(const std::string &NombreCFichero, const CabeceraDisco &cabecera) {
  return {TextoNombreHost(NombreCFichero), TextoFormato(cabecera.Formato),
          TextoPistasCaras(cabecera.Pistas, cabecera.Caras), TextoDisco(cabecera.Creador)};
}

} // namespace Presentacion
