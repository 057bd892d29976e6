#include "imagenes/Problema.h"

namespace imagenes {

std::string TextoId(std::uint8_t id) {
  constexpr std::string_view Cifras = "0123456789ABCDEF";
  return {'&', Cifras[id >> 4], Cifras[id & 0x0F]};
}

std::string TextoPista(int pista, int cara) {
  return "pista " + std::to_string(pista) + ", cara " + std::to_string(cara);
}

std::string_view NombreTipo(TipoProblema tipo) {
  switch (tipo) {
  case TipoProblema::ArchivoIlegible: return "archivo-ilegible";
  case TipoProblema::FirmaDesconocida: return "firma-desconocida";
  case TipoProblema::CabeceraCorta: return "cabecera-corta";
  case TipoProblema::GeometriaInvalida: return "geometria-invalida";
  case TipoProblema::PistaAusente: return "pista-ausente";
  case TipoProblema::PistaCorta: return "pista-corta";
  case TipoProblema::PistaSinFirma: return "pista-sin-firma";
  case TipoProblema::PistaNumeroDistinto: return "pista-numero-distinto";
  case TipoProblema::SectoresDeMas: return "sectores-de-mas";
  case TipoProblema::SectorCorto: return "sector-corto";
  case TipoProblema::SectorDebil: return "sector-debil";
  case TipoProblema::SectorRepetido: return "sector-repetido";
  case TipoProblema::SectorError: return "sector-error";
  case TipoProblema::SectorPasaElIndice: return "sector-pasa-el-indice";
  case TipoProblema::BytesSobrantes: return "bytes-sobrantes";
  case TipoProblema::LecturaFlujo: return "lectura-flujo";
  case TipoProblema::PistaFm: return "pista-fm";
  case TipoProblema::FirmaRara: return "firma-rara";
  case TipoProblema::TamanoPistaDistinto: return "tamano-pista-distinto";
  case TipoProblema::LongitudGuardadaDistinta: return "longitud-guardada-distinta";
  case TipoProblema::FormatoDesconocido: return "formato-desconocido";
  case TipoProblema::FormatoForzado: return "formato-forzado";
  case TipoProblema::FormatoNombreMalo: return "formato-nombre-malo";
  case TipoProblema::DescripcionInvalida: return "descripcion-invalida";
  case TipoProblema::SectorAusente: return "sector-ausente";
  case TipoProblema::SectorTamanoDistinto: return "sector-tamano-distinto";
  case TipoProblema::BloqueFueraDelDisco: return "bloque-fuera-del-disco";
  case TipoProblema::BloqueTrasElFinal: return "bloque-tras-el-final";
  case TipoProblema::BloqueCompartido: return "bloque-compartido";
  case TipoProblema::ExtensionAusente: return "tramo-ausente";
  case TipoProblema::ExtensionRepetida: return "tramo-repetido";
  case TipoProblema::RegistrosDeMas: return "registros-de-mas";
  case TipoProblema::RegistrosDeMenos: return "registros-de-menos";
  case TipoProblema::UsuarioFueraDeRango: return "usuario-fuera-de-rango";
  case TipoProblema::NombreInvalido: return "nombre-invalido";
  case TipoProblema::ArchivoIncompleto: return "archivo-incompleto";
  case TipoProblema::CabeceraAmsdosInvalida: return "cabecera-amsdos-invalida";
  case TipoProblema::LongitudCabeceraExcede: return "longitud-cabecera-excede";
  }
  return "desconocido";
}

} // namespace imagenes
