#include "cli/NombreHost.h"

namespace Cli {
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

} // namespace

std::string NombreHostSeguro(std::string_view nombre, std::string_view ext) {
  std::string s = Limpio(nombre);
  const std::string e = Limpio(ext);
  if (!e.empty()) {
    s += "." + e;
  }
  // A leading dot would hide the file, or name the folder itself or its parent.
  if (s.empty() || s.front() == '.') {
    s.insert(s.begin(), '_');
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

} // namespace Cli
