#include "cpm/NombreHost.h"

namespace cpm {
namespace {

// Characters no host should get from a disk: separators of every host, the
// characters Windows refuses, controls and anything outside ASCII.
bool Seguro(unsigned char c) {
  constexpr std::string_view kProhibidos = "/\\:*?\"<>|";
  return c >= 0x20 && c < 0x7F && kProhibidos.find(static_cast<char>(c)) == std::string_view::npos;
}

std::string Limpio(std::string_view parte) {
  while (!parte.empty() && parte.back() == ' ') {
    parte.remove_suffix(1); // names are padded with blanks
  }
  std::string s;
  for (const char c : parte) {
    s += Seguro(static_cast<unsigned char>(c)) ? c : '_';
  }
  return s;
}

char Mayuscula(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

// CON, PRN, AUX, NUL, COM1-COM9 and LPT1-LPT9 name devices on Windows, with
// any extension and in any case: "CON.TXT" cannot be a file there; so do the
// console's two halves, CONIN$ and CONOUT$.
bool EsDispositivoWindows(std::string_view nombre) {
  std::string base;
  for (const char c : nombre.substr(0, nombre.find('.'))) {
    base += Mayuscula(c);
  }
  if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL" || base == "CONIN$" ||
      base == "CONOUT$") {
    return true;
  }
  return base.size() == 4 && (base.starts_with("COM") || base.starts_with("LPT")) &&
         base[3] >= '1' && base[3] <= '9';
}

} // namespace

std::string NombreHostSeguro(std::string_view nombre, std::string_view ext) {
  std::string s = Limpio(nombre);
  const std::string e = Limpio(ext);
  if (!e.empty()) {
    s += "." + e;
  }
  // A leading dot would hide the file, or name the folder itself or its parent.
  if (s.empty() || s.front() == '.' || EsDispositivoWindows(s)) {
    s.insert(s.begin(), '_');
  }
  // Windows drops a trailing dot or blank from a name, so that "AB." would be
  // written as "AB" and printed as another name.
  if (s.back() == '.' || s.back() == ' ') {
    s.back() = '_';
  }
  return s;
}

std::string NombreLibre(const std::string &nombre,
                        const std::function<bool(const std::string &)> &ocupado) {
  // A dot at the start is not an extension's (safe names never have one there).
  const std::size_t punto = nombre.rfind('.');
  const std::size_t corte = punto == std::string::npos || punto == 0 ? nombre.size() : punto;
  for (unsigned n = 2;; ++n) {
    std::string candidato =
        nombre.substr(0, corte) + "_" + std::to_string(n) + nombre.substr(corte);
    if (!ocupado(candidato)) {
      return candidato;
    }
  }
}

NombreElegido ElegirNombreHost(const Archivo &archivo, std::set<std::string> &deEstaVez,
                               bool reemplazar,
                               const std::function<bool(const std::string &)> &existe) {
  NombreElegido r{NombreHostSeguro(archivo.nombre, archivo.extension), reemplazar};
  if (deEstaVez.count(r.nombre) != 0 && archivo.usuario != 0) {
    r.nombre = std::to_string(archivo.usuario) + "_" + r.nombre;
  }
  if (deEstaVez.count(r.nombre) != 0) {
    r.nombre = NombreLibre(
        r.nombre, [&](const std::string &n) { return deEstaVez.count(n) != 0 || existe(n); });
    r.reemplazable = false;
  }
  deEstaVez.insert(r.nombre);
  return r;
}

} // namespace cpm
